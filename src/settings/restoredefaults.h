#pragma once
// The data side of "restore defaults": resets the settings block but keeps the reading position.

#include <functional>

class CParaBlock;

// What the window steps need to know after the data has been reset.
struct RestoreDefaultsMemo {
    bool widthLimitWasOn = false;  // "PARA_WIDTH_LIMIT_IT" before the reset
    bool width800WasOn = false;    // "PARA_WIDTH_800" before the reset
};

// Remembers the two width switches and the strings, resets the block fully,
// deletes its whole section from the INI file and writes back "CurrentDir",
// "CurrentPath" and "CurPathInZip"; the other strings stay empty.
RestoreDefaultsMemo RestoreDefaultSettings(CParaBlock& block);

// The whole command: asks `confirm` (anything but true ends it), performs the
// data steps and hands the memo to `windowSteps` (browser flags, reload,
// clock, the 800-pixel toggle). Returns whether the defaults were restored.
bool RunRestoreDefaults(CParaBlock& block, const std::function<bool()>& confirm,
                        const std::function<void(const RestoreDefaultsMemo&)>& windowSteps);
