#include "session/desktopintegration.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/atomicfile.h"
#include "platform/modulepath.h"
#include "platform/process.h"

namespace desktop {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

// An absolute folder from the variable, else the default.
std::string AbsoluteOr(const char* name, const std::string& fallback) {
    std::string v = Env(name);
    return !v.empty() && v[0] == '/' ? v : fallback;
}

std::vector<std::string> FolderList(const char* name, const std::string& fallback) {
    std::string v = Env(name);
    if (v.empty()) v = fallback;
    std::vector<std::string> out;
    std::stringstream in(v);
    std::string item;
    while (std::getline(in, item, ':'))
        if (!item.empty() && item[0] == '/') out.push_back(item);
    return out;
}

bool IsFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "<prefix>" when the program lies in "<prefix>/bin", else empty.
std::string InstallPrefix(const std::string& programPath) {
    std::string folder = FolderOf(programPath);
    if (folder.size() < 4 || folder.compare(folder.size() - 4, 4, "/bin") != 0) return {};
    return folder.substr(0, folder.size() - 4);
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

// Undoes the escapes of a string value (\s \n \t \r \\).
std::string UnescapeValue(const std::string& v) {
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        char c = v[++i];
        switch (c) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default: out += '\\'; out += c; break;
        }
    }
    return out;
}

bool MakeFolders(const std::string& folder) {
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    std::string parent = FolderOf(folder);
    if (parent != folder && parent != "." && !MakeFolders(parent)) return false;
    return mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST;
}

bool WriteEntry(const std::string& path, const std::string& text, mode_t mode) {
    if (!MakeFolders(FolderOf(path))) return false;
    bool written = platform::LockedRewrite(path, [&text](std::string& current) {
        current = text;
        return true;
    });
    if (!written) return false;
    return chmod(path.c_str(), mode) == 0;
}

std::string CommonKeys(const std::string& programPath) {
    return "Type=Application\n"
           "Version=1.4\n"
           "Name=Pagora\n"
           "GenericName=E-book Reader\n"
           "GenericName[zh_CN]=电子书阅读器\n"
           "Comment=Read HTML pages, texts, folders and ZIP, MAFF and RAR archives\n"
           "Comment[zh_CN]=阅读网页、文本文件、文件夹和ZIP、MAFF、RAR压缩文件\n"
           "Icon=" + EscapeValue(ProgramIcon(programPath)) + "\n"
           "Terminal=false\n"
           "Categories=Office;Viewer;\n";
}

// Maps the errno of a failed start to the codes of the error table.
int CodeOfErrno(int error) {
    switch (error) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EACCES:
    case EPERM: return 5;
    case ENOMEM:
    case E2BIG: return 8;
    case ENOEXEC: return 11;
    case ETXTBSY: return 26;
    default: return error > 32 ? error : 0;  // 0: out of resources
    }
}

// Where a desktop entry id is found: the user's applications first.
std::string FindDesktopEntry(const DesktopFolders& folders, const std::string& id) {
    if (id.empty() || id.find('/') != std::string::npos) return {};
    std::vector<std::string> dirs{folders.dataHome};
    dirs.insert(dirs.end(), folders.dataDirs.begin(), folders.dataDirs.end());
    for (const std::string& dir : dirs) {
        std::string path = dir + "/applications/" + id;
        if (IsFile(path)) return path;
        // "vendor-name.desktop" may lie in "applications/vendor/name.desktop".
        size_t dash = id.find('-');
        if (dash != std::string::npos) {
            std::string sub = dir + "/applications/" + id.substr(0, dash) + "/" + id.substr(dash + 1);
            if (IsFile(sub)) return sub;
        }
    }
    return {};
}

// The first entry of "x-scheme-handler/http" in [Default Applications] of a mimeapps.list.
std::string HttpDefaultIn(const std::string& listPath, const DesktopFolders& folders) {
    std::ifstream in(listPath);
    std::string line;
    bool inDefaults = false;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (!line.empty() && line[0] == '[') {
            inDefaults = line == "[Default Applications]";
            continue;
        }
        if (!inDefaults || line.compare(0, 22, "x-scheme-handler/http=") != 0) continue;
        std::stringstream ids(line.substr(22));
        std::string id;
        while (std::getline(ids, id, ';'))
            if (std::string path = FindDesktopEntry(folders, Trim(id)); !path.empty()) return path;
    }
    return {};
}

bool IsFieldCode(const std::string& s, size_t at) {
    if (at + 1 >= s.size() || s[at] != '%') return false;
    char c = s[at + 1];
    return c == '1' || c == 'u' || c == 'U' || c == 'f' || c == 'F';
}

}  // namespace

DesktopFolders FoldersFromEnvironment() {
    DesktopFolders f;
    f.home = Env("HOME");
    if (f.home.empty()) f.home = "/tmp";
    f.dataHome = AbsoluteOr("XDG_DATA_HOME", f.home + "/.local/share");
    f.configHome = AbsoluteOr("XDG_CONFIG_HOME", f.home + "/.config");
    f.applications = f.dataHome + "/applications";
    f.desktop = DesktopFolderFromUserDirs(f.configHome, f.home);
    f.dataDirs = FolderList("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
    f.configDirs = FolderList("XDG_CONFIG_DIRS", "/etc/xdg");
    return f;
}

std::string DesktopFolderFromUserDirs(const std::string& configHome, const std::string& home) {
    std::ifstream in(configHome + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        const std::string key = "XDG_DESKTOP_DIR=";
        if (line.compare(0, key.size(), key) != 0) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
        // Only absolute paths count, as xdg-user-dir has it; "$HOME/" alone means unset.
        if (!value.empty() && value[0] == '/' && value != home && value != home + "/") {
            while (value.size() > 1 && value.back() == '/') value.pop_back();
            return value;
        }
    }
    return home + "/Desktop";
}

std::string QuoteExecArgument(const std::string& argument) {
    const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string out;
    for (char c : argument) out += c == '%' ? std::string("%%") : std::string(1, c);
    if (!argument.empty() && argument.find_first_of(reserved) == std::string::npos) return out;
    std::string quoted = "\"";
    for (char c : out) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string EscapeValue(const std::string& value) {
    std::string out;
    for (char c : value) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

std::vector<std::string> SplitExec(const std::string& exec) {
    std::vector<std::string> args;
    std::string current;
    bool inArg = false, quoted = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (quoted) {
            if (c == '\\' && i + 1 < exec.size()) current += exec[++i];
            else if (c == '"') quoted = false;
            else current += c;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inArg) args.push_back(current);
            current.clear();
            inArg = false;
            continue;
        }
        inArg = true;
        if (c == '"') quoted = true;
        else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') current += exec[++i];
        else current += c;
    }
    if (inArg) args.push_back(current);
    return args;
}

std::string ReadEntryKey(const std::string& path, const std::string& key) {
    std::ifstream in(path);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inGroup) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos || Trim(line.substr(0, eq)) != key) continue;
        return UnescapeValue(Trim(line.substr(eq + 1)));
    }
    return {};
}

const std::vector<std::string>& OpenedMimeTypes() {
    static const std::vector<std::string> types = {
        "text/html", "application/xhtml+xml", "multipart/related", "application/x-mimearchive", "message/rfc822",
        "text/plain", "application/zip", "application/x-maff", "application/vnd.rar", "application/x-rar",
        "image/png", "image/jpeg", "image/gif", "image/bmp", "image/webp", "image/svg+xml",
    };
    return types;
}

std::string ProgramIcon(const std::string& programPath) {
    std::string prefix = InstallPrefix(programPath);
    if (!prefix.empty()) {
        std::string installed = prefix + "/share/icons/hicolor/scalable/apps/pagora.svg";
        if (IsFile(installed)) return prefix == "/usr" || prefix == "/usr/local" ? std::string("pagora") : installed;
    }
    std::string beside = FolderOf(programPath) + "/pagora.svg";
    return IsFile(beside) ? beside : std::string("pagora");
}

std::string OpenWithEntryText(const std::string& programPath) {
    std::string types;
    for (const std::string& t : OpenedMimeTypes()) types += t + ";";
    return "[Desktop Entry]\n" + CommonKeys(programPath) +
           "Exec=" + EscapeValue(QuoteExecArgument(programPath)) + " %f\n"
           "NoDisplay=true\n"
           "MimeType=" + types + "\n";
}

std::string LauncherEntryText(const std::string& programPath) {
    return "[Desktop Entry]\n" + CommonKeys(programPath) +
           "Exec=" + EscapeValue(QuoteExecArgument(programPath)) + "\n"
           "Path=" + EscapeValue(FolderOf(programPath)) + "\n";
}

std::string OpenWithEntryPath(const DesktopFolders& folders) { return folders.applications + "/pagora-open.desktop"; }

bool IsContextMenuRegistered(const DesktopFolders& folders) {
    return !ReadEntryKey(OpenWithEntryPath(folders), "MimeType").empty();
}

ToggleOutcome ToggleContextMenu(const DesktopFolders& folders, const std::string& programPath) {
    ToggleOutcome outcome;
    const std::string entry = OpenWithEntryPath(folders);
    if (IsContextMenuRegistered(folders)) {
        unlink(entry.c_str());
    } else if (!IsFile(programPath)) {
        // The entry would start nothing (the program was moved or replaced).
        outcome.message = "抱歉，找不到" + NameOf(programPath) + "。\n请下载完整的ZIP文件。";
        return outcome;
    } else if (!WriteEntry(entry, OpenWithEntryText(programPath), 0644)) {
        outcome.message = "抱歉，无法写入" + entry + "。";
    }
    NotifyAssociationsChanged(folders);
    outcome.registered = IsContextMenuRegistered(folders);
    return outcome;
}

void NotifyAssociationsChanged(const DesktopFolders& folders) {
    struct stat st;
    if (stat(folders.applications.c_str(), &st) != 0) return;
    if (!platform::FindProgram("update-desktop-database").empty())
        platform::RunAndWait({"update-desktop-database", "-q", folders.applications}, 20000);
}

std::string DesktopLauncherPath(const DesktopFolders& folders, const std::string& programPath) {
    return folders.desktop + "/" + platform::ReplaceExtension(NameOf(programPath), ".desktop");
}

std::string MenuLauncherPath(const DesktopFolders& folders, const std::string& programPath) {
    return folders.applications + "/" + platform::ReplaceExtension(NameOf(programPath), ".desktop");
}

bool WriteLauncher(const std::string& path, const std::string& programPath) {
    return WriteEntry(path, LauncherEntryText(programPath), 0755);
}

std::string CutBrowserCommand(const std::string& command) {
    // A field code in double quotation marks: cut before the opening mark.
    for (size_t i = 0; i + 3 < command.size(); ++i)
        if (command[i] == '"' && IsFieldCode(command, i + 1) && command[i + 3] == '"') return command.substr(0, i);
    for (size_t i = 0; i + 1 < command.size(); ++i) {
        if (command[i] == '%' && command[i + 1] == '%') {
            ++i;  // a literal percent sign
            continue;
        }
        if (IsFieldCode(command, i)) return command.substr(0, i);
    }
    return command;
}

std::string DefaultBrowserEntry(const DesktopFolders& folders) {
    if (!platform::FindProgram("xdg-settings").empty()) {
        platform::ProcessResult r = platform::RunCapture({"xdg-settings", "get", "default-web-browser"}, 10000);
        if (r.exitCode == 0)
            if (std::string path = FindDesktopEntry(folders, Trim(r.output)); !path.empty()) return path;
    }
    std::vector<std::string> lists{folders.configHome + "/mimeapps.list", folders.dataHome + "/applications/mimeapps.list"};
    for (const std::string& dir : folders.configDirs) lists.push_back(dir + "/mimeapps.list");
    for (const std::string& dir : folders.dataDirs) lists.push_back(dir + "/applications/mimeapps.list");
    for (const std::string& list : lists)
        if (std::string path = HttpDefaultIn(list, folders); !path.empty()) return path;
    return {};
}

int OpenInBrowser(const std::string& address, const DesktopFolders& folders) {
    if (address.empty()) return 2;
    int code = 31;  // no program to open it with
    std::vector<std::vector<std::string>> openers;
    if (!platform::FindProgram("xdg-open").empty()) openers.push_back({"xdg-open", address});
    else if (!platform::FindProgram("gio").empty()) openers.push_back({"gio", "open", address});
    for (const auto& opener : openers) {
        platform::ProcessResult r = platform::RunAndWait(opener, 30000);
        if (r.started && r.exitCode == 0) return kOpenSucceeded;
        if (!r.started) code = CodeOfErrno(r.error);
        else if (r.exitCode == 2) code = 2;  // xdg-open: the file does not exist
    }
    std::string entry = DefaultBrowserEntry(folders);
    if (entry.empty()) return code;
    std::string command = ReadEntryKey(entry, "Exec");
    if (command.empty()) return 27;  // an association without a command
    std::vector<std::string> argv = SplitExec(CutBrowserCommand(command));
    if (argv.empty()) return 27;
    // The address is one argument of its own, whatever blanks or quotation
    // marks it holds: it is never parsed as part of the command.
    argv.push_back(address);
    platform::ProcessResult r = platform::StartDetached(argv);
    return r.started ? kOpenSucceeded : CodeOfErrno(r.error);
}

std::string OpenErrorText(int code) {
    std::string text;
    switch (code) {
    case 0: text = "The operating system is out\nof memory or resources."; break;
    case 2: text = "The specified file was not found."; break;
    case 3: text = "The specified path was not found."; break;
    case 5: text = "The operating system denied\naccess to the specified file."; break;
    case 8: text = "There was not enough memory to complete the operation."; break;
    case 11: text = "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."; break;
    case 26: text = "A sharing violation occurred. "; break;
    case 27: text = "The filename association is\nincomplete or invalid."; break;
    case 28: text = "The DDE transaction could not\nbe completed because the request timed out."; break;
    case 29: text = "The DDE transaction failed."; break;
    case 30:
        text = "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
        break;
    case 31: text = "There is no application associated\nwith the given filename extension."; break;
    case 32: text = "The specified dynamic-link library was not found."; break;
    default: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "Unknown Error (%d) occurred.", code);
        text = buf;
    }
    }
    return "Unable to open hyperlink:\n\n" + text;
}

std::string HelpFilePath(const std::string& programPath) {
    std::string beside = platform::ReplaceExtension(programPath, ".htm");
    if (IsFile(beside)) return beside;
    std::string prefix = InstallPrefix(programPath);
    if (prefix.empty()) return {};
    std::string installed = prefix + "/share/pagora/" + NameOf(beside);
    return IsFile(installed) ? installed : std::string();
}

}  // namespace desktop
