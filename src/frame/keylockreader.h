#pragma once
// Reads the keyboard lock states for the status bar: from the X server's
// keyboard indicators when the program runs on X11, else from the kernel's
// keyboard LEDs; nothing when neither can be read.
#include <optional>

#include "frame/keylocks.h"

std::optional<KeyLockState> ReadKeyLocks();
