#pragma once
// CWindowPlacement: the window placement kept in the INI file as one 44-byte
// binary value (length, flags, show state, minimised and maximised points,
// normal rectangle), and how a stored one is read back.
#include <cstdint>
#include <optional>
#include <string>

class CWindowPlacement {
public:
    // Show states as stored.
    enum Show { kHide = 0, kNormal = 1, kMinimized = 2, kMaximized = 3, kMinNoActive = 6, kMinNa = 7,
                kRestore = 9, kForceMinimize = 11 };
    static constexpr size_t kSize = 44;

    int showCmd = kNormal;
    int left = 0, top = 0, right = 0, bottom = 0;  // normal (restored) rectangle

    // The 44 stored bytes (little-endian 32-bit fields).
    std::string Encode() const;
    // Reads stored bytes; nothing unless exactly 44 bytes with a non-empty
    // rectangle. A minimised state comes back as restore.
    static std::optional<CWindowPlacement> Decode(const std::string& bytes);

    // The maximised window under the 800-pixel limit: 800 wide, the work
    // area's height, centred in it. False (no limit) when the work area is
    // 800 pixels wide or less.
    static bool LimitedMaximum(int workLeft, int workWidth, int* left, int* width);

    // INI section and key of the value.
    static const char* Section() { return "WindowState"; }
    static const char* Key() { return "WindowPlacement"; }
};
