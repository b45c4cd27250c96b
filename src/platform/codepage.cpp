#include "platform/codepage.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iconv.h>
#include <langinfo.h>

namespace platform {
namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

enum class Family { Single, Utf8, Gbk, Big5, ShiftJis, EucKr, EucJp };

Family FamilyOf(const std::string& codeSet) {
    std::string u = Upper(codeSet);
    u.erase(std::remove(u.begin(), u.end(), '-'), u.end());
    u.erase(std::remove(u.begin(), u.end(), '_'), u.end());
    if (u == "UTF8") return Family::Utf8;
    if (u == "GBK" || u == "GB2312" || u == "GB18030" || u == "CP936" || u == "EUCCN") return Family::Gbk;
    if (u == "BIG5" || u == "BIG5HKSCS" || u == "CP950") return Family::Big5;
    if (u == "SHIFTJIS" || u == "SJIS" || u == "CP932") return Family::ShiftJis;
    if (u == "EUCKR" || u == "CP949") return Family::EucKr;
    if (u == "EUCJP") return Family::EucJp;
    return Family::Single;
}

bool IsUtf16(const char* name) { return Upper(name).rfind("UTF-16", 0) == 0; }

// How many input bytes to skip over one character iconv refused.
size_t SkipLength(const char* from, const unsigned char* p, size_t left) {
    size_t n = 1;
    if (IsUtf16(from)) {
        n = 2;
        if (left >= 4) {
            unsigned unit = p[0] | (p[1] << 8);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                unsigned next = p[2] | (p[3] << 8);
                if (next >= 0xDC00 && next <= 0xDFFF) n = 4;
            }
        }
    } else {
        Family f = FamilyOf(from);
        unsigned char c = p[0];
        if (f == Family::Utf8) {
            size_t want = (c >= 0xC2 && c <= 0xDF) ? 2 : (c >= 0xE0 && c <= 0xEF) ? 3 : (c >= 0xF0 && c <= 0xF4) ? 4 : 1;
            // Skip a whole well-formed character only; a broken one costs one byte.
            size_t ok = 1;
            while (ok < want && ok < left && (p[ok] & 0xC0) == 0x80) ++ok;
            n = (ok == want) ? want : 1;
        } else if (f != Family::Single && left >= 2) {
            // A lead byte takes its trail byte along only when that could be one.
            n = (c >= 0x81 && p[1] >= 0x40 && p[1] != 0x7F) ? 2 : 1;
        }
    }
    return std::min(n, left);
}

}  // namespace

std::string AnsiCodeSet() {
    const char* cs = nl_langinfo(CODESET);
    std::string s = cs ? cs : "";
    // The C/POSIX locale reports plain ASCII; file names and texts on a Linux
    // desktop are UTF-8 then, so treat it as UTF-8 rather than losing text.
    if (s.empty() || s == "ANSI_X3.4-1968" || Upper(s) == "ASCII") return "UTF-8";
    return s;
}

bool IsDoubleByteCodeSet() {
    Family f = FamilyOf(AnsiCodeSet());
    return f != Family::Single && f != Family::Utf8;
}

bool IsLeadByte(unsigned char c) {
    switch (FamilyOf(AnsiCodeSet())) {
    case Family::Gbk:
    case Family::Big5:
    case Family::EucKr: return c >= 0x81 && c <= 0xFE;
    case Family::ShiftJis: return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case Family::EucJp: return c == 0x8E || c == 0x8F || (c >= 0xA1 && c <= 0xFE);
    default: return false;
    }
}

std::string ConvertCodeSet(std::string_view text, const char* from, const char* to) {
    if (text.empty()) return {};
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // Unknown code set: keep ASCII, replace everything else.
        std::string out;
        bool wide = IsUtf16(to);
        for (char c : text) {
            char a = (static_cast<unsigned char>(c) < 0x80) ? c : '?';
            out += a;
            if (wide) out += '\0';
        }
        return out;
    }
    const bool wideOut = IsUtf16(to);
    std::string out;
    out.resize(text.size() * 4 + 16);
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    size_t used = 0;
    while (inLeft > 0) {
        char* dst = out.data() + used;
        size_t dstLeft = out.size() - used;
        size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else if (errno == EILSEQ) {
            size_t skip = SkipLength(from, reinterpret_cast<unsigned char*>(in), inLeft);
            in += skip;
            inLeft -= skip;
            if (out.size() - used < 2) out.resize(out.size() * 2);
            out[used++] = '?';
            if (wideOut) out[used++] = '\0';
        } else {
            break;  // EINVAL: incomplete sequence at the end is dropped
        }
    }
    // Flush any shift state.
    for (;;) {
        char* dst = out.data() + used;
        size_t dstLeft = out.size() - used;
        size_t r = iconv(cd, nullptr, nullptr, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (r == static_cast<size_t>(-1) && errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        break;
    }
    iconv_close(cd);
    out.resize(used);
    return out;
}

std::string Utf16ToAnsi(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t u : text) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    std::string cs = AnsiCodeSet();
    return ConvertCodeSet(bytes, "UTF-16LE", cs.c_str());
}

std::u16string AnsiToUtf16(std::string_view text) {
    std::string cs = AnsiCodeSet();
    std::string bytes = ConvertCodeSet(text, cs.c_str(), "UTF-16LE");
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return out;
}

std::string Utf8ToAnsi(std::string_view text) {
    std::string cs = AnsiCodeSet();
    return ConvertCodeSet(text, "UTF-8", cs.c_str());
}

std::string AnsiToUtf8(std::string_view text) {
    std::string cs = AnsiCodeSet();
    return ConvertCodeSet(text, cs.c_str(), "UTF-8");
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace platform
