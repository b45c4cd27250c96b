#pragma once
// The keyboard lock states shown in the status bar's CAP, NUM and SCRL panes,
// and the Qt-free ways of reading them (X keyboard indicators, kernel LEDs).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct KeyLockState {
    bool caps = false;
    bool num = false;
    bool scroll = false;
    bool operator==(const KeyLockState&) const = default;
};

// The texts of the three panes: "CAP", "NUM", "SCRL" while the lock is on,
// empty while it is off; all empty when the states cannot be read.
struct KeyLockTexts {
    std::string caps, num, scroll;
};
KeyLockTexts KeyLockPaneTexts(const std::optional<KeyLockState>& state);

// From the X keyboard extension: `names` are the indicator names by bit
// number (empty for an unnamed bit), `lit` the indicator state mask. The
// locks are found by their standard names "Caps Lock", "Num Lock" and
// "Scroll Lock" (case ignored); nothing when none of the three is named.
std::optional<KeyLockState> KeyLocksFromIndicators(const std::vector<std::string>& names, uint32_t lit);

// From the kernel's LED class: entries of `root` named "<device>::capslock",
// "::numlock" or "::scrolllock" whose "brightness" is not 0. With several
// keyboards a lock counts as on when any of their LEDs is lit. Nothing when
// the folder holds no lock LED at all.
std::optional<KeyLockState> KeyLocksFromLeds(const std::string& root = "/sys/class/leds");
