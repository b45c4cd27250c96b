#include "archive/requestpath.h"

#include <strings.h>

#include "platform/codepage.h"

namespace {

// Longest decoded path accepted; no archive entry name comes near it.
constexpr size_t kMaxDecodedPath = 4096;

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// %XX escapes undone; a '%' not followed by two hex digits stays as it is.
std::string PercentDecode(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

bool IsValidUtf8(const std::string& text)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        unsigned int cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (size_t k = 1; k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

}  // namespace

std::string DecodeRequestPath(const std::string& requestPath)
{
    std::string path = requestPath;
    bool hadLeadingSeparator = false;
    if (!path.empty() && (path[0] == '/' || path[0] == '\\')) {
        path.erase(0, 1);
        hadLeadingSeparator = true;
    }
    // As in an address http://host/<path>: the query and the fragment are no
    // part of the path.
    std::string undecoded = "/" + path.substr(0, path.find_first_of("?#"));
    std::string decoded = PercentDecode(undecoded);
    if (decoded.find('\0') != std::string::npos || decoded.size() > kMaxDecodedPath)
        return std::string();

    std::string result;
    if (decoded.size() == undecoded.size() && ::strcasecmp(decoded.c_str(), undecoded.c_str()) == 0) {
        result = decoded;
    } else if (IsValidUtf8(decoded)) {
        result = platform::Utf8ToAnsi(decoded);
        if (result.size() > undecoded.size())
            result.resize(undecoded.size());
    } else {
        // Escaped bytes that are no UTF-8 are taken to be the entry's own
        // bytes in the archive's code page.
        result = decoded;
    }
    if (result.empty() || result[0] != '/')
        return std::string();
    return hadLeadingSeparator ? result : result.substr(1);
}
