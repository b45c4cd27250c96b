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

}  // namespace textroute
