#include "settings/localpath.h"

#include <cctype>
#include <vector>

#include "platform/codepage.h"

namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool StartsWithNoCase(const std::string& s, const char* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= s.size() || std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// True when the text starts with "scheme:" (letters, digits, + - . after a letter).
bool HasScheme(const std::string& s) {
    if (s.empty() || !std::isalpha(static_cast<unsigned char>(s[0]))) return false;
    for (size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == ':') return true;
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
    }
    return false;
}

// Resolves "." and ".." segments and repeated slashes of an absolute path.
std::string Canonical(const std::string& path) {
    std::vector<std::string> parts;
    size_t pos = 1;
    while (pos <= path.size()) {
        size_t slash = path.find('/', pos);
        std::string part = path.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string::npos) break;
        pos = slash + 1;
    }
    if (parts.empty()) return std::string(1, '/');
    std::string out;
    for (const std::string& p : parts) {
        out += '/';
        out += p;
    }
    // A trailing slash names a folder; keep it so the folder stays the document.
    if (path.back() == '/') out += '/';
    return out;
}

std::string FileAddressToPath(const std::string& address) {
    std::string rest = address.substr(5);  // after "file:"
    // Query and fragment are cut before decoding; an escaped "%23" stays part of the name.
    size_t cut = rest.find_first_of("?#");
    if (cut != std::string::npos) rest.resize(cut);
    if (StartsWith(rest, "//")) {
        size_t slash = rest.find('/', 2);
        std::string host = rest.substr(2, slash == std::string::npos ? std::string::npos : slash - 2);
        // Only this machine's files have a local path.
        if (!host.empty() && !(host.size() == 9 && StartsWithNoCase(host, "localhost"))) return {};
        rest = (slash == std::string::npos) ? "/" : rest.substr(slash);
    }
    if (rest.empty() || rest[0] != '/') return {};
    std::string decoded;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 && HexValue(rest[i + 2]) >= 0) {
            char c = static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
            if (c == '\0') return {};  // a NUL can never be part of a path
            decoded += c;
            i += 2;
        } else {
            decoded += rest[i];
        }
    }
    // File addresses carry UTF-8; local paths are in the locale's code set.
    if (platform::AnsiCodeSet() != "UTF-8") decoded = platform::Utf8ToAnsi(decoded);
    return Canonical(decoded);
}

}  // namespace

std::string AddressToLocalPath(const std::string& address) {
    if (StartsWith(address, "http:") || StartsWith(address, "https:") || StartsWith(address, "ftp:") ||
        StartsWith(address, "res:") || StartsWith(address, "about:"))
        return {};
    if (StartsWithNoCase(address, "file:")) return FileAddressToPath(address);
    if (IsLocalPath(address)) return address;
    return {};
}

bool IsLocalPath(const std::string& path) { return !path.empty() && path[0] == '/' && !HasScheme(path); }

std::string FolderOfPath(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    if (slash == 0) return "/";
    return path.substr(0, slash);
}
