#include "txtfilter/unicodetest.h"

#include <cstdint>

namespace txtfilter {

bool IsTextUnicode(const void* data, size_t length) {
    const auto* p = static_cast<const uint8_t*>(data);
    const size_t units = length / 2;
    if (units == 0) return false;
    if (p[0] == 0xFF && p[1] == 0xFE) return true;
    if (p[0] == 0xFE && p[1] == 0xFF) return false;

    size_t zeroHigh = 0, zeroLow = 0, cjkHigh = 0, upperLow = 0;
    for (size_t i = 0; i < units; ++i) {
        const uint8_t lo = p[2 * i], hi = p[2 * i + 1];
        if (hi == 0 && lo != 0) ++zeroHigh;
        if (lo == 0 && hi != 0) ++zeroLow;
        // U+2000-U+20FF general punctuation, U+3000-U+30FF CJK punctuation and
        // kana, U+4E00-U+9FFF ideographs, U+FF00-U+FFEF full-width forms.
        if (hi == 0x20 || hi == 0x30 || (hi >= 0x4E && hi <= 0x9F) || (hi == 0xFF && lo < 0xF0)) ++cjkHigh;
        if (lo >= 0x80) ++upperLow;
    }
    // One stray zero byte in a long ANSI block is no evidence: ask for a
    // pattern (at least one in sixteen units, or four of them).
    if (zeroHigh > zeroLow && (zeroHigh * 16 >= units || zeroHigh >= 4)) return true;
    // Ideographs such as U+4E00 have a zero low byte, so Chinese text without
    // line breaks may show zeros the other way round: judge it by its high
    // bytes. ASCII text fails the second test (its low bytes stay below 0x80)
    // and GBK text the first (its bytes lie above 0x9F).
    return units >= 4 && cjkHigh * 10 >= units * 9 && upperLow * 4 >= units;
}

}  // namespace txtfilter
