#include "platform/modulepath.h"

#include <cstdlib>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace platform {
namespace {

std::mutex s_mutex;
std::string s_programOverride;
std::string s_profileOverride;

std::string ReadSelfExe() {
    std::string buf(PATH_MAX, '\0');
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < buf.size()) {
            buf.resize(static_cast<size_t>(n));
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// mkdir -p; true when the folder exists afterwards.
bool MakeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    std::string parent = FolderOf(folder);
    if (parent != folder && parent != "." && !MakeFolders(parent)) return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

std::string ProgramPath() {
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        if (!s_programOverride.empty()) return s_programOverride;
    }
    return ReadSelfExe();
}

void SetProgramPathForTesting(const std::string& path) {
    std::lock_guard<std::mutex> lock(s_mutex);
    s_programOverride = path;
}

std::string ReplaceExtension(const std::string& path, const std::string& ext) {
    size_t nameStart = path.rfind('/');
    nameStart = (nameStart == std::string::npos) ? 0 : nameStart + 1;
    size_t dot = path.rfind('.');
    // A dot before the name (inside a folder) or leading the name (a hidden
    // file such as ".pagora") is no extension: append instead.
    if (dot == std::string::npos || dot <= nameStart) return path + ext;
    return path.substr(0, dot) + ext;
}

std::string ProgramFolder() { return FolderOf(ProgramPath()); }

std::string InstalledDataFolder() {
    std::string folder = ProgramFolder();
    const std::string bin = "/bin";
    if (folder.size() < bin.size() || folder.compare(folder.size() - bin.size(), bin.size(), bin) != 0) return {};
    std::string data = folder.substr(0, folder.size() - bin.size()) + "/share/pagora";
    struct stat st;
    return stat(data.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? data : std::string();
}

std::string TextFilterLibraryPath() {
    std::string beside = ReplaceExtension(ProgramPath(), "") + "_txt.so";
    if (access(beside.c_str(), F_OK) == 0) return beside;
    std::string data = InstalledDataFolder();
    if (data.empty()) return beside;
    // "<prefix>/share/pagora" -> "<prefix>/lib/pagora/<name>_txt.so"
    std::string prefix = data.substr(0, data.size() - std::string("/share/pagora").size());
    std::string name = beside.substr(beside.rfind('/') + 1);
    return prefix + "/lib/pagora/" + name;
}

std::string ProfileFolder() {
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        if (!s_profileOverride.empty()) return s_profileOverride;
    }
    // An explicit folder wins: lets a user keep several profiles and lets
    // tests run the program without touching its real settings.
    const char* explicitFolder = std::getenv("PAGORA_PROFILE_DIR");
    if (explicitFolder && explicitFolder[0] == '/') {
        MakeFolders(explicitFolder);
        return explicitFolder;
    }
    std::string folder = ProgramFolder();
    if (InstalledDataFolder().empty() && access(folder.c_str(), W_OK) == 0) return folder;
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/tmp") + "/.config";
    }
    std::string profile = base + "/Pagora";
    MakeFolders(profile);
    return profile;
}

void SetProfileFolderForTesting(const std::string& folder) {
    std::lock_guard<std::mutex> lock(s_mutex);
    s_profileOverride = folder;
}

std::string ProfileSideFile(const std::string& ext) {
    std::string program = ProgramPath();
    size_t slash = program.rfind('/');
    std::string name = (slash == std::string::npos) ? program : program.substr(slash + 1);
    std::string folder = ProfileFolder();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder + ReplaceExtension(name, ext);
}

}  // namespace platform
