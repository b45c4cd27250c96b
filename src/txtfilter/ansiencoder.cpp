#include "txtfilter/ansiencoder.h"

#include <cerrno>
#include <strings.h>

namespace txtfilter {

namespace {

bool IsUtf8Name(const std::string& name) {
    return strcasecmp(name.c_str(), "UTF-8") == 0 || strcasecmp(name.c_str(), "UTF8") == 0;
}

inline uint16_t Unit(const uint8_t* p, size_t i) {
    return static_cast<uint16_t>(p[2 * i] | (p[2 * i + 1] << 8));
}

}  // namespace

CAnsiEncoder::CAnsiEncoder(const std::string& codeSet) : m_utf8(IsUtf8Name(codeSet)) {
    if (!m_utf8) {
        m_cd = iconv_open(codeSet.c_str(), "UTF-16LE");
        // An unknown set cannot show anything but ASCII.
        if (m_cd == reinterpret_cast<iconv_t>(-1)) m_cd = iconv_open("ASCII", "UTF-16LE");
    }
}

CAnsiEncoder::~CAnsiEncoder() {
    if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
}

void CAnsiEncoder::Encode(const uint8_t* bytes, size_t units, std::string& out) {
    if (m_utf8)
        EncodeUtf8(bytes, units, out);
    else
        EncodeIconv(bytes, units, out);
}

void CAnsiEncoder::EncodeUtf8(const uint8_t* p, size_t units, std::string& out) {
    out.resize(units * 3);
    char* o = out.data();
    for (size_t i = 0; i < units; ++i) {
        uint32_t c = Unit(p, i);
        if (c < 0x80) {
            *o++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *o++ = static_cast<char>(0xC0 | (c >> 6));
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            const uint32_t next = i + 1 < units ? Unit(p, i + 1) : 0;
            if (c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                ++i;
                *o++ = static_cast<char>(0xF0 | (c >> 18));
                *o++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                *o++ = static_cast<char>(0x80 | (c & 0x3F));
            } else {
                *o++ = '?';
            }
        } else {
            *o++ = static_cast<char>(0xE0 | (c >> 12));
            *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out.resize(static_cast<size_t>(o - out.data()));
}

void CAnsiEncoder::EncodeIconv(const uint8_t* p, size_t units, std::string& out) {
    out.clear();
    if (m_cd == reinterpret_cast<iconv_t>(-1)) {
        for (size_t i = 0; i < units; ++i) {
            const uint16_t c = Unit(p, i);
            out += c < 0x80 ? static_cast<char>(c) : '?';
        }
        return;
    }
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    char* in = reinterpret_cast<char*>(const_cast<uint8_t*>(p));
    size_t inLeft = units * 2;
    char buf[8192];
    while (inLeft > 0) {
        char* o = buf;
        size_t outLeft = sizeof buf;
        size_t r = iconv(m_cd, &in, &inLeft, &o, &outLeft);
        out.append(buf, static_cast<size_t>(o - buf));
        if (r != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ (not in the set, or an unpaired surrogate) or EINVAL (a
        // surrogate cut at the end): one '?' for the unit, or for the pair.
        out += '?';
        size_t skip = 2;
        if (inLeft >= 4) {
            const uint16_t c = static_cast<uint16_t>(static_cast<uint8_t>(in[0]) | (static_cast<uint8_t>(in[1]) << 8));
            const uint16_t d = static_cast<uint16_t>(static_cast<uint8_t>(in[2]) | (static_cast<uint8_t>(in[3]) << 8));
            if (c >= 0xD800 && c <= 0xDBFF && d >= 0xDC00 && d <= 0xDFFF) skip = 4;
        }
        if (skip > inLeft) skip = inLeft;
        in += skip;
        inLeft -= skip;
    }
    char* o = buf;
    size_t outLeft = sizeof buf;
    iconv(m_cd, nullptr, nullptr, &o, &outLeft);
    out.append(buf, static_cast<size_t>(o - buf));
}

}  // namespace txtfilter
