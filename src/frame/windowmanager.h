#pragma once
// Whether a window manager looks after the program's top-level windows.
// Without one (a bare X server, as in Xvfb) nothing acts on a request to
// maximise: the window keeps whatever geometry the program gives it.
bool WindowManagerRunning();
