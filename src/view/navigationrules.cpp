#include "view/navigationrules.h"

#include <algorithm>
#include <cctype>

#include "settings/localpath.h"

namespace navrules {
namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

bool EndsWithNoCase(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && Lower(s.substr(s.size() - suffix.size())) == Lower(suffix);
}

}  // namespace

std::string QuestionMarkMessage(const std::string& localPath) {
    if (localPath.find('?') == std::string::npos) return {};
    return localPath + "\r\n包含一个无效的路径字符（?），请更名。";
}

bool IsTextAddress(const std::string& address) { return EndsWithNoCase(address, ".txt"); }

std::string ResourceAddress(const std::string& module, const std::string& name) {
    return "res://" + module + "/" + name;
}

std::string ErrorPageAddress(const std::string& module, const std::string& address) {
    return ResourceAddress(module, "dnserror.htm") + "#" + address;
}

bool IsBuiltInHome(const std::string& target) {
    return Lower(target.substr(0, 4)) == "res:" && target.size() >= 16 &&
           target.compare(target.size() - 16, 16, "Pagora_home.page") == 0;
}

bool SameDocument(const std::string& a, const std::string& b) {
    return AddressToLocalPath(a) == AddressToLocalPath(b);
}

std::string AddressBarText(const std::string& location, const std::string& base) {
    if (!base.empty() && location.compare(0, base.size(), base) == 0) return location.substr(base.size());
    return location;
}

bool WindowFilterRejects(const std::string& address, const std::vector<std::string>& keywords) {
    if (keywords.empty()) return false;
    static const std::string kSeparators = " :/\\.=?'\"";
    size_t start = 0;
    while (start <= address.size()) {
        size_t end = address.find_first_of(kSeparators, start);
        if (end == std::string::npos) end = address.size();
        if (end > start) {
            std::string token = Lower(address.substr(start, end - start));
            for (const std::string& k : keywords)
                if (!k.empty() && Lower(k) == token) return true;
        }
        start = end + 1;
    }
    return false;
}

uint32_t ComputeDownloadFlags(int noScript, int noJava, int noActiveX, int noImage, int noSound, int noVideo) {
    uint32_t flags = 0;
    if (noScript) flags |= 0x80;
    if (noJava) flags |= 0x100;
    if (noActiveX) flags |= 0x600;
    if (!noImage) flags |= 0x10;
    if (!noSound) flags |= 0x40;
    if (!noVideo) flags |= 0x20;
    return flags;
}

}  // namespace navrules
