#include "view/textroute.h"

#include <algorithm>
#include <cctype>

namespace textroute {
namespace {

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

// The path part of an address: up to the first '?' or '#'.
std::string PathPart(const std::string& address) {
    return address.substr(0, address.find_first_of("?#"));
}

}  // namespace

bool IsCandidate(const std::string& address) {
    if (!StartsWithNoCase(address, "file://") && !StartsWithNoCase(address, "http://")) return false;
    std::string path = PathPart(address);
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".txt";
}

std::string ToPrivate(const std::string& address) {
    if (!IsCandidate(address)) return {};
    const std::string prefix = std::string(kScheme) + "://";
    if (StartsWithNoCase(address, "file://")) {
        // file:///p or file://localhost/p: keep only the path.
        std::string rest = address.substr(7);
        size_t slash = rest.find('/');
        if (slash == std::string::npos) return {};
        return prefix + kLocalHost + rest.substr(slash);
    }
    std::string rest = address.substr(7);
    // An http host spelled like the local marker would come back as a file.
    if (StartsWithNoCase(rest, std::string(kLocalHost) + "/") || StartsWithNoCase(rest, std::string(kLocalHost) + ":"))
        return {};
    return prefix + rest;
}

bool IsPrivate(const std::string& address) {
    return StartsWithNoCase(address, std::string(kScheme) + "://");
}

std::string ToOriginal(const std::string& address) {
    if (!IsPrivate(address)) return address;
    std::string rest = address.substr(std::string(kScheme).size() + 3);
    std::string local = std::string(kLocalHost) + "/";
    if (StartsWithNoCase(rest, local)) return "file://" + rest.substr(local.size() - 1);
    return "http://" + rest;
}

size_t CutForLimit(const char* data, size_t size, size_t written, size_t limit) {
    if (written + size <= limit) return size;
    if (written >= limit) return 0;
    // The last line break within the limit: never cut a multi-byte character.
    for (size_t i = limit - written; i > 0; --i)
        if (data[i - 1] == '\n') return i;
    return 0;
}

std::string LimitNotice(size_t shownBytes) {
    // Numeric references keep the notice readable in whatever code set the page uses.
    auto refs = [](const std::u32string& text) {
        std::string out;
        for (char32_t c : text) {
            if (c < 0x80) out += static_cast<char>(c);
            else out += "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
        }
        return out;
    };
    return "</table></table></table>\r\n<div id=\"pagora-text-limit\" style=\"margin:2em;padding:1em;"
           "border:1px solid #c00;color:#c00\">" +
           refs(U"此文本过长，阅读器只显示了转换后的前 " + [&] {
               std::u32string n;
               for (char c : std::to_string(shownBytes >> 20)) n += static_cast<char32_t>(c);
               return n;
           }() + U" MB，其余部分没有载入。") +
           "</div>\r\n";
}

}  // namespace textroute
