#include "archive/requestpath.h"

#include <strings.h>

#include "archive/utf8check.h"
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
    } else if (IsWellFormedUtf8(decoded)) {
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
