#pragma once
// Converts a text from one code set to another with iconv as it streams in
// blocks cut anywhere.

#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace txtfilter {

// One per text; not thread-safe. A character cut between two blocks is kept
// back and completed by the next block, so the output never depends on where
// the blocks were cut. A byte (a unit of UTF-16) that is no character of the
// source set, and a character that the target set cannot show, become one
// replacement character each (U+FFFD, or '?' where the target has none) and
// the conversion goes on after it.
class CStreamTranscoder {
public:
    // The longest character iconv may leave unfinished at the end of a block
    // (a GB18030 four-byte sequence, a UTF-16 surrogate pair) is shorter.
    static constexpr size_t kMaxCarry = 8;

    CStreamTranscoder(const std::string& from, const std::string& to);
    ~CStreamTranscoder();
    CStreamTranscoder(const CStreamTranscoder&) = delete;
    CStreamTranscoder& operator=(const CStreamTranscoder&) = delete;

    // False when iconv cannot convert between the two sets.
    bool Valid() const { return m_cd != kNone; }
    // Appends the conversion of the block to `out`.
    void Convert(const uint8_t* bytes, size_t length, std::string& out);
    // At the end of the text: an unfinished character becomes replacements,
    // and a stateful target set is returned to its initial state.
    void Finish(std::string& out);
    const std::string& Replacement() const { return m_replacement; }
    // How many replacement characters were written so far.
    size_t Replaced() const { return m_replaced; }

private:
    static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

    // Converts as much of the bytes as makes whole characters (all of them
    // when `final`) and returns how many were used.
    size_t Run(const uint8_t* bytes, size_t length, std::string& out, bool final);
    // How many bytes of a refused character to step over: a whole character
    // of the source set that the target lacks, else one byte (one unit).
    size_t RefusedLength(const uint8_t* bytes, size_t length);
    // UTF-8 to UTF-8: a checking copy. (iconv lets values above U+10FFFF
    // through, and the copy is faster.)
    size_t CopyUtf8(const uint8_t* bytes, size_t length, std::string& out, bool final);

    iconv_t m_cd = kNone;
    iconv_t m_probe = kNone;  // source set to UTF-32, opened at the first refusal
    std::string m_from;
    size_t m_unit = 1;
    bool m_utf8Copy = false;
    std::string m_replacement;
    uint8_t m_carry[kMaxCarry];
    size_t m_carryLength = 0;
    size_t m_replaced = 0;
};

}  // namespace txtfilter
