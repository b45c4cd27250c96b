#pragma once
// The reader's text display settings, read afresh from the INI file for each document.

#include <cstdint>
#include <string>

namespace txtfilter {

struct TextStyle {
    int32_t width = 630;            // table width in pixels; 0 = full width
    int32_t fontSize = 0;           // points; 0 = not set
    uint32_t pageColor = 0xF1EBE4;  // 0x00BBGGRR
    uint32_t textColor = 0xFFFFFF;  // 0x00BBGGRR; 0 = not set
    int32_t lineHeight = 150;       // percent; 100 = not set
    int32_t bold = 0;
    int32_t underline = 0;
    int32_t imageIndex = 1;         // built-in picture, 0 = none
    std::string imagePath;          // the user's picture, empty = none
    std::string fontName;           // empty = not set

    // Reads section "ParaBlock" of `iniPath` with this library's own defaults
    // and bounds. A missing or unreadable file gives the defaults.
    static TextStyle Read(const std::string& iniPath);

    // The name of the built-in picture for imageIndex, or null for 0 and for
    // any value outside 1 to 14 (treated as no picture).
    const char* ImageName() const;
};

}  // namespace txtfilter
