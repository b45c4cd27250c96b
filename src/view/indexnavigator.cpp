#include "view/indexnavigator.h"

#include "settings/localpath.h"

const char* const CIndexNavigator::kNoFolderHome = "抱歉，在此目录下找不到index.htm。";
const char* const CIndexNavigator::kNoParentHome = "抱歉，在上级目录下找不到index.htm。";
const char* const CIndexNavigator::kNoArchiveHome = "抱歉，在压缩文件中，此目录下没有index.htm。";
const char* const CIndexNavigator::kNoArchiveParentHome = "抱歉，在压缩文件中，上级目录下没有index.htm。";
const char* const CIndexNavigator::kNoArchiveParent = "抱歉，已经没有上级目录可以去了，没事请不要乱跑。";

CIndexNavigator::CIndexNavigator(std::vector<std::string> homeNames, std::vector<std::string> htmlExtensions,
                                 std::function<bool(const std::string&)> exists)
    : m_homeNames(std::move(homeNames)), m_extensions(std::move(htmlExtensions)), m_exists(std::move(exists)) {}

std::string CIndexNavigator::FindFolderHome(std::string folder) const {
    if (folder.empty()) return {};
    if (folder.back() != '/') folder += '/';
    for (const std::string& name : m_homeNames)
        for (const std::string& ext : m_extensions) {
            std::string candidate = folder + name + "." + ext;
            if (m_exists(candidate)) return candidate;
        }
    // The folder's own name: book/book.htm.
    std::string trimmed = folder.substr(0, folder.size() - 1);
    size_t slash = trimmed.rfind('/');
    std::string own = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    if (own.empty()) return {};
    for (const std::string& ext : m_extensions) {
        std::string candidate = folder + own + "." + ext;
        if (m_exists(candidate)) return candidate;
    }
    return {};
}

CIndexNavigator::Outcome CIndexNavigator::FolderHome(const std::string& currentPath) const {
    std::string local = AddressToLocalPath(currentPath);
    if (!local.empty()) {
        size_t slash = local.rfind('/');
        std::string found = slash == std::string::npos ? std::string() : FindFolderHome(local.substr(0, slash + 1));
        if (found.empty()) return {{}, kNoFolderHome};
        return {found, {}};
    }
    // A network address: its folder, which the server answers with its index.
    size_t slash = currentPath.rfind('/');
    if (slash == std::string::npos) return {{}, kNoFolderHome};
    return {currentPath.substr(0, slash + 1), {}};
}

CIndexNavigator::Outcome CIndexNavigator::ParentFolderHome(const std::string& currentPath) const {
    std::string local = AddressToLocalPath(currentPath);
    const std::string& path = local.empty() ? currentPath : local;
    size_t last = path.rfind('/');
    size_t previous = (last == std::string::npos || last == 0) ? std::string::npos : path.rfind('/', last - 1);
    if (!local.empty()) {
        if (previous == std::string::npos) return {{}, kNoParentHome};
        std::string found = FindFolderHome(path.substr(0, previous + 1));
        if (found.empty()) return {{}, kNoParentHome};
        return {found, {}};
    }
    // Never climb above the host of a network address ("http://host/").
    size_t hostEnd = path.find("://");
    hostEnd = hostEnd == std::string::npos ? 0 : path.find('/', hostEnd + 3);
    if (previous == std::string::npos || hostEnd == std::string::npos || previous < hostEnd) return {{}, kNoParentHome};
    return {path.substr(0, previous + 1), {}};
}

CIndexNavigator::Outcome CIndexNavigator::ArchiveParent(const std::string& curPathInZip, const std::string& base) {
    if (curPathInZip.empty()) return {{}, kNoArchiveParentHome};
    std::string text = curPathInZip;
    size_t last = text.rfind('/');
    if (last != std::string::npos) text = text.substr(0, last);
    size_t previous = text.rfind('/');
    text = previous == std::string::npos ? "/" : text.substr(0, previous + 1);
    if (text.size() > base.size()) return {text, {}};
    return {{}, kNoArchiveParent};
}
