#pragma once
// Recognises the encoding of a plain text from its first bytes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace txtfilter {

// What a text's first bytes say about its encoding: an iconv name and how many
// bytes at the start are a byte-order mark (not part of the text).
struct EncodingGuess {
    std::string name;
    size_t markLength = 0;
};

// The rules, in order:
//  1. a byte-order mark: EF BB BF is UTF-8, FF FE UTF-16LE, FE FF UTF-16BE;
//  2. at the start of a text without a mark, the UTF-16 test (IsTextUnicode)
//     for little-endian, and the same test on the swapped bytes for
//     big-endian when zero bytes occur; when both fit, the order in which
//     more units are ASCII or CJK;
//  3. text that is valid UTF-8 is UTF-8;
//  4. otherwise uchardet's answer (GB18030 for GBK, BIG5, SHIFT_JIS, EUC-KR,
//     WINDOWS-1252, the ISO-8859 sets...), mapped to the iconv set that
//     decodes the Windows variant of it (CP949 for EUC-KR and UHC, CP932 for
//     Shift_JIS, WINDOWS-1252 for ISO-8859-1);
//  5. when uchardet has no answer (binary data, too little text): the
//     locale's own set when that is not UTF-8, else GB18030, the encoding of
//     most texts our readers have that are not UTF-8.
// Every name returned can be opened by iconv towards UTF-8.
class CEncodingDetector {
public:
    // `atStart`: the sample begins the text (marks and UTF-16 are looked for).
    // `whole`: the sample is all of the text (else a character cut at its end
    // does not make it invalid UTF-8).
    static EncodingGuess Detect(const uint8_t* sample, size_t length, bool atStart, bool whole);

    // The byte-order mark the bytes start with; an empty name when none.
    static EncodingGuess FromMark(const uint8_t* bytes, size_t length);
    // Strict UTF-8 (no overlong forms, surrogates or values above U+10FFFF);
    // unless `whole`, a sequence cut by the end of the bytes is accepted.
    static bool IsUtf8(const uint8_t* bytes, size_t length, bool whole);
    // The length of the strict UTF-8 character at `bytes` (1 to 4), 0 when
    // none starts there, -1 when the `left` bytes end inside one.
    static int Utf8Length(const uint8_t* bytes, size_t left);
    // What uchardet says, mapped as above; empty when it has no usable answer.
    static std::string Guess(const uint8_t* bytes, size_t length);
    static std::string Fallback();
    // Whether iconv can decode `name`.
    static bool Known(const std::string& name);
};

}  // namespace txtfilter
