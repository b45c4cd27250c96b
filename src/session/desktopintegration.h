#pragma once
// The reader on the Linux desktop: its "Open with" entry (the counterpart of
// a context-menu registration), launchers on the desktop and in the
// applications menu, handing addresses to the desktop's opener or the
// default web browser, and the help page. Qt-free; the folders come from the
// XDG variables, so that tests run in a private HOME.
#include <string>
#include <vector>

namespace desktop {

// The folders of the freedesktop specifications, as the environment gives them.
struct DesktopFolders {
    std::string home;
    std::string dataHome;      // $XDG_DATA_HOME, default ~/.local/share
    std::string configHome;    // $XDG_CONFIG_HOME, default ~/.config
    std::string applications;  // dataHome + "/applications": the user's menu entries
    std::string desktop;       // the desktop folder (user-dirs.dirs), default ~/Desktop
    std::vector<std::string> dataDirs;    // $XDG_DATA_DIRS, default /usr/local/share:/usr/share
    std::vector<std::string> configDirs;  // $XDG_CONFIG_DIRS, default /etc/xdg
};
DesktopFolders FoldersFromEnvironment();
// XDG_DESKTOP_DIR of "<configHome>/user-dirs.dirs" (what `xdg-user-dir
// DESKTOP` reads), "$HOME" expanded; "<home>/Desktop" when it is not set.
std::string DesktopFolderFromUserDirs(const std::string& configHome, const std::string& home);

// One argument of an Exec line, quoted as the desktop entry format asks
// (before the file-level escaping of string values).
std::string QuoteExecArgument(const std::string& argument);
// A string value as a desktop entry stores it (backslash, line breaks escaped).
std::string EscapeValue(const std::string& value);
// The arguments of an Exec value read from a file (file-level escapes
// already undone): quoting removed, "%%" turned into "%".
std::vector<std::string> SplitExec(const std::string& exec);
// The value of `key` in the [Desktop Entry] group of a file, escapes undone;
// empty when the file or the key is missing.
std::string ReadEntryKey(const std::string& path, const std::string& key);

// The MIME types of every kind of document the reader opens.
const std::vector<std::string>& OpenedMimeTypes();
// The icon the entries name: the installed or bundled picture of the program.
std::string ProgramIcon(const std::string& programPath);
// The "Open with" entry: opens a file given to it, hidden from the menus.
std::string OpenWithEntryText(const std::string& programPath);
// A launcher: starts the program in its own folder, no arguments.
std::string LauncherEntryText(const std::string& programPath);

// "<applications>/pagora-open.desktop".
std::string OpenWithEntryPath(const DesktopFolders& folders);
// True when the user's "Open with" entry exists and declares what it opens.
bool IsContextMenuRegistered(const DesktopFolders& folders);
// Removes the entry when it is registered, else writes it. `message` is the
// text to show (empty when there is nothing to say).
struct ToggleOutcome {
    bool registered = false;  // the state afterwards
    std::string message;
};
ToggleOutcome ToggleContextMenu(const DesktopFolders& folders, const std::string& programPath);
// Tells the desktop that associations changed: the MIME cache of the
// applications folder is rebuilt where the tool exists.
void NotifyAssociationsChanged(const DesktopFolders& folders);

// "<folder>/<program name>.desktop" in the desktop folder and in the
// applications menu (the two places of the shortcut dialog).
std::string DesktopLauncherPath(const DesktopFolders& folders, const std::string& programPath);
std::string MenuLauncherPath(const DesktopFolders& folders, const std::string& programPath);
// Writes a launcher (the desktop's one executable, as file managers want);
// false when the file could not be written.
bool WriteLauncher(const std::string& path, const std::string& programPath);

// Result codes of opening an address: above 32 is success; otherwise the
// codes of the error table (2 not found, 5 access denied, 31 no handler...).
constexpr int kOpenSucceeded = 42;
// The command of a browser's desktop entry cut where the address goes: before
// the first field code ("%1", "%u", "%U", "%f", "%F") enclosed in double
// quotation marks (before the opening mark), else before the first field
// code, else the whole command.
std::string CutBrowserCommand(const std::string& command);
// The desktop entry file of the default web browser (`xdg-settings get
// default-web-browser`, else the x-scheme-handler/http default of the
// mimeapps.list files); empty when there is none.
std::string DefaultBrowserEntry(const DesktopFolders& folders);
// The desktop's opener (xdg-open, else gio open); when it fails, the default
// browser's own command with the address appended. A code as above.
int OpenInBrowser(const std::string& address, const DesktopFolders& folders);
// The message of a failed opening: "Unable to open hyperlink:\n\n" and the
// text the table gives the code.
std::string OpenErrorText(int code);

// The help page: the program's path with ".htm" for its extension, beside
// the program or in an installation's data folder; empty when there is none.
std::string HelpFilePath(const std::string& programPath);

}  // namespace desktop
