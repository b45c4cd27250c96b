#pragma once
// Our own test whether a block of bytes is UTF-16 little-endian text.

#include <cstddef>

namespace txtfilter {

// Looks at the first `length` bytes (rounded down to an even number). True when
//  - the block starts with the mark FF FE, or
//  - zero bytes occur and fall mostly on the high (odd) byte of the 16-bit
//    units, as ASCII letters, digits and line ends do in UTF-16, or
//  - otherwise, nearly every high byte lies in the CJK or
//    CJK-punctuation range while the low bytes spread over the whole byte
//    range, as Chinese UTF-16 text without line breaks does.
// False for the mark FE FF (big-endian), for blocks shorter than two bytes,
// and for ANSI text (ASCII, GBK, UTF-8), which has no zero bytes and whose
// bytes above 0x7F do not fit the CJK pattern.
bool IsTextUnicode(const void* data, size_t length);

}  // namespace txtfilter
