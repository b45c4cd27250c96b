#include "archive/namecharset.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iconv.h>
#include <uchardet.h>

#include "archive/utf8check.h"

namespace {

constexpr const char* kFallback = "GB18030";
// The detector sees at most this much of the names; more adds nothing.
constexpr size_t kMaxDetectBytes = 64 * 1024;

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Double-byte sets the detector recognises from their statistics; their
// verdict is trusted. The Windows variants are supersets of the sets the
// detector names, so they decode what those systems really write.
std::string TrustedMultiByte(const std::string& verdict)
{
    if (verdict == "GB18030" || verdict == "BIG5" || verdict == "EUC-TW" || verdict == "EUC-JP")
        return verdict;
    if (verdict == "SHIFT_JIS")
        return "CP932";
    if (verdict == "EUC-KR")
        return "CP949";
    return std::string();
}

// Whether every byte from 0x80 up pairs into a GBK character and most of
// those characters lie in the GB2312 range of common hanzi and punctuation
// (both bytes 0xA1-0xFE): names that read as Chinese, whatever a detector
// made of the few bytes it saw. Accented Latin letters rarely meet that.
bool ReadsAsChinese(const std::vector<std::string_view>& names)
{
    size_t common = 0, other = 0;
    for (std::string_view name : names) {
        const auto* s = reinterpret_cast<const unsigned char*>(name.data());
        for (size_t i = 0; i < name.size(); ++i) {
            if (s[i] < 0x80)
                continue;
            if (s[i] == 0x80 || s[i] == 0xFF || i + 1 >= name.size())
                return false;
            const unsigned char trail = s[i + 1];
            if (trail < 0x40 || trail == 0x7F || trail == 0xFF)
                return false;
            (s[i] >= 0xA1 && s[i] <= 0xF7 && trail >= 0xA1 ? common : other)++;
            ++i;
        }
    }
    return common > 0 && common >= other;
}

// Whether iconv knows `charset` and turns every name into UTF-8 without a
// byte it cannot read.
bool DecodesCleanly(const std::vector<std::string_view>& names, const std::string& charset)
{
    iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    bool clean = true;
    char out[1024];
    for (std::string_view name : names) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(name.data());
        size_t inLeft = name.size();
        while (clean && inLeft > 0) {
            char* dst = out;
            size_t dstLeft = sizeof out;
            if (iconv(cd, &in, &inLeft, &dst, &dstLeft) == static_cast<size_t>(-1) && errno != E2BIG)
                clean = false;
        }
        if (!clean)
            break;
    }
    iconv_close(cd);
    return clean;
}

// The code points of well-formed UTF-8.
std::vector<char32_t> CodePoints(std::string_view text)
{
    std::vector<char32_t> out;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = s[i];
        const size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        for (size_t k = 1; k < len && i + k < text.size(); ++k)
            cp = (cp << 6) | (s[i + k] & 0x3F);
        out.push_back(cp);
        i += len;
    }
    return out;
}

bool IsCjk(char32_t cp)
{
    return (cp >= 0x2E80 && cp <= 0xD7AF) || (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFF00 && cp <= 0xFFEF) ||
           cp >= 0x20000;
}

bool IsAsciiLetter(char32_t cp)
{
    return (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z');
}

// CJK text, or a non-ASCII letter inside a word of ASCII ones ("café",
// "Größe"): what real UTF-8 names look like and chance readings of GBK
// bytes rarely do.
bool ReadsAsUtf8Text(std::string_view name)
{
    const std::vector<char32_t> cps = CodePoints(name);
    for (size_t i = 0; i < cps.size(); ++i) {
        if (cps[i] < 0x80)
            continue;
        if (IsCjk(cps[i]))
            return true;
        if ((i > 0 && IsAsciiLetter(cps[i - 1])) || (i + 1 < cps.size() && IsAsciiLetter(cps[i + 1])))
            return true;
    }
    return false;
}

}  // namespace

bool UndeclaredNamesAreUtf8(const std::vector<std::string_view>& names)
{
    for (std::string_view name : names) {
        if (!IsWellFormedUtf8(name))
            return false;
    }
    for (std::string_view name : names) {
        if (ReadsAsUtf8Text(name))
            return true;
    }
    return !ReadsAsChinese(names);
}

std::string DetectNameCharset(const std::vector<std::string_view>& names)
{
    uchardet_t detector = uchardet_new();
    if (!detector)
        return std::string();
    size_t fed = 0;
    for (std::string_view name : names) {
        if (fed >= kMaxDetectBytes)
            break;
        const size_t take = std::min(name.size(), kMaxDetectBytes - fed);
        // One name a line, as in a listing: the line ends keep the last
        // character of one name from pairing with the first of the next.
        if (uchardet_handle_data(detector, name.data(), take) != 0 || uchardet_handle_data(detector, "\n", 1) != 0)
            break;
        fed += take + 1;
    }
    uchardet_data_end(detector);
    const char* verdict = uchardet_get_charset(detector);
    std::string result = verdict ? verdict : "";
    uchardet_delete(detector);
    return result;
}

std::string ChooseNameCharset(const std::vector<std::string_view>& names, const std::string& verdict)
{
    std::string v = Upper(verdict);
    if (v == "IBM437" || v == "CP437")
        v = "CP437";
    std::string chosen = TrustedMultiByte(v);
    if (chosen.empty()) {
        // Empty, ASCII or UTF-8 (the names are not UTF-8), the 7-bit and
        // UTF-16/32 sets (names hold no such text): the detector cannot tell.
        const bool noAnswer = v.empty() || v == "ASCII" || v.rfind("UTF", 0) == 0 || v.rfind("ISO-2022", 0) == 0 ||
                              v.rfind("HZ", 0) == 0;
        if (noAnswer || ReadsAsChinese(names))
            return kFallback;
        chosen = v;  // a single-byte set
    }
    return DecodesCleanly(names, chosen) ? chosen : kFallback;
}
