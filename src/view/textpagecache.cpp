#include "view/textpagecache.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>

#include "view/textroute.h"

namespace textpagecache {
namespace {

std::mutex s_mutex;
std::map<std::string, std::string> s_byFile;  // file path -> private address
std::string s_testFolder;

bool MakeFolder(const std::string& path) {
    for (size_t i = 1; i < path.size(); ++i)
        if (path[i] == '/' && ::mkdir(path.substr(0, i).c_str(), 0700) != 0 && errno != EEXIST) return false;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// The path of a "file://" address, its escapes decoded; empty for others.
std::string DecodedPath(const std::string& address) {
    if (address.compare(0, 7, "file://") != 0) return {};
    const std::string rest = address.substr(7);
    if (rest.empty() || rest[0] != '/') return {};
    std::string out;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '?' || rest[i] == '#') break;
        if (rest[i] == '%' && i + 2 < rest.size() && std::isxdigit(static_cast<unsigned char>(rest[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(rest[i + 2]))) {
            out += static_cast<char>(std::stoi(rest.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += rest[i];
        }
    }
    return out;
}

std::string OwnPrefix() { return "p" + std::to_string(static_cast<long>(::getpid())) + "-"; }

}  // namespace

std::string Folder() {
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        folder = s_testFolder;
    }
    if (folder.empty()) {
        const char* cache = std::getenv("XDG_CACHE_HOME");
        const char* home = std::getenv("HOME");
        if (cache && cache[0] == '/') folder = std::string(cache) + "/Pagora/TextPages";
        else if (home && home[0] == '/') folder = std::string(home) + "/.cache/Pagora/TextPages";
        else return {};
    }
    return MakeFolder(folder) ? folder : std::string();
}

std::string FileFor(const std::string& privateAddress) {
    const std::string folder = Folder();
    if (folder.empty()) return {};
    char name[40];
    std::snprintf(name, sizeof name, "%016llx.html",
                  static_cast<unsigned long long>(textroute::AddressHash(privateAddress)));
    const std::string path = folder + "/" + OwnPrefix() + name;
    std::lock_guard<std::mutex> lock(s_mutex);
    s_byFile[path] = privateAddress;
    return path;
}

std::string Unmapped(const std::string& address) {
    const std::string path = DecodedPath(address);
    if (path.empty()) return address;
    std::lock_guard<std::mutex> lock(s_mutex);
    auto it = s_byFile.find(path);
    return it == s_byFile.end() ? address : it->second;
}

void RemoveOwnFiles() {
    std::lock_guard<std::mutex> lock(s_mutex);
    for (const auto& entry : s_byFile) ::unlink(entry.first.c_str());
    s_byFile.clear();
}

void RemoveStaleFiles() {
    const std::string folder = Folder();
    if (folder.empty()) return;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const time_t dayAgo = std::time(nullptr) - 24 * 3600;
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() < 6 || name.compare(name.size() - 5, 5, ".html") != 0) continue;
        const std::string path = folder + "/" + name;
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && st.st_mtime < dayAgo) ::unlink(path.c_str());
    }
    ::closedir(dir);
}

void SetFolderForTesting(const std::string& folder) {
    std::lock_guard<std::mutex> lock(s_mutex);
    s_testFolder = folder;
}

}  // namespace textpagecache
