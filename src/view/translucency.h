#pragma once
// Whether the window system can show see-through top-level windows, which
// the clock needs. Qt has no query for it: on X11 a compositing manager must
// own the "_NET_WM_CM_S<screen>" selection and a 32-bit visual must exist;
// Wayland always composites; other platforms (offscreen) cannot.
// The environment variable PAGORA_TRANSLUCENT_WINDOWS ("1" or "0") overrides
// the answer, so that tests can run the clock on a bare X server.
bool TranslucentWindowsSupported();
