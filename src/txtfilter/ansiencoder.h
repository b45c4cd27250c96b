#pragma once
// Converts UTF-16 little-endian text to the locale's code set (the ANSI code
// page), writing '?' (the default character) for what the set cannot show.

#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace txtfilter {

// One per document; not thread-safe. A UTF-8 code set is converted by our own
// fast loop, any other through iconv. Unpaired surrogates and characters the
// code set lacks become '?'; U+0000 becomes a zero byte.
class CAnsiEncoder {
public:
    explicit CAnsiEncoder(const std::string& codeSet);
    ~CAnsiEncoder();
    CAnsiEncoder(const CAnsiEncoder&) = delete;
    CAnsiEncoder& operator=(const CAnsiEncoder&) = delete;

    // Replaces `out` with the conversion of `units` UTF-16LE code units at `bytes`.
    void Encode(const uint8_t* bytes, size_t units, std::string& out);

private:
    void EncodeUtf8(const uint8_t* bytes, size_t units, std::string& out);
    void EncodeIconv(const uint8_t* bytes, size_t units, std::string& out);

    bool m_utf8 = false;
    iconv_t m_cd = reinterpret_cast<iconv_t>(-1);
};

}  // namespace txtfilter
