// The reader on the desktop, in a private HOME and XDG tree with fake
// openers and browsers on PATH that record how they were called.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <thread>

#include "session/desktopintegration.h"
#include "session/shortcutdialogmodel.h"
#include "support/tempfolder.h"

namespace fs = std::filesystem;
using namespace desktop;

namespace {

// Sets the variables for the test's lifetime and restores them afterwards.
class PrivateDesktop {
public:
    PrivateDesktop() {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "PATH"}) {
            const char* v = std::getenv(name);
            m_saved[name] = v ? std::optional<std::string>(v) : std::nullopt;
        }
        fs::create_directories(m_dir.File("home"));
        fs::create_directories(m_dir.File("bin"));
        setenv("HOME", m_dir.File("home").c_str(), 1);
        setenv("XDG_DATA_HOME", m_dir.File("home/.local/share").c_str(), 1);
        setenv("XDG_CONFIG_HOME", m_dir.File("home/.config").c_str(), 1);
        setenv("XDG_DATA_DIRS", m_dir.File("system").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", m_dir.File("etc-xdg").c_str(), 1);
        // Only the fakes: no real opener, browser or cache tool is reached.
        setenv("PATH", m_dir.File("bin").c_str(), 1);
    }
    ~PrivateDesktop() {
        for (const auto& [name, value] : m_saved) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }
    std::string File(const std::string& name) const { return m_dir.File(name); }
    // A shell script; `body` may use $@ and RECORD (a file named after the tool).
    std::string Tool(const std::string& name, const std::string& body) const {
        std::string path = File("bin/" + name);
        Write(path, "#!/bin/sh\nRECORD='" + File(name + ".args") + "'\n" + body + "\n");
        chmod(path.c_str(), 0755);
        return path;
    }
    static void Write(const std::string& path, const std::string& text) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string Program(const std::string& relative = "opt/Pagora") const {
        std::string path = File(relative);
        Write(path, "#!/bin/sh\n");
        chmod(path.c_str(), 0755);
        return path;
    }

private:
    TempFolder m_dir;
    std::map<std::string, std::optional<std::string>> m_saved;
};

// A tool that writes each argument on a line of its own.
const char* kRecordArgs = "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$RECORD.tmp\" && /bin/mv \"$RECORD.tmp\" \"$RECORD\"";

// Waits for a file that a detached process writes.
std::string WaitForFile(const std::string& path) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(path) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return fs::exists(path) ? TempFolder::Read(path) : std::string("<not written>");
}

bool Validates(const std::string& entry) {
    const char* tool = "/usr/bin/desktop-file-validate";
    if (access(tool, X_OK) != 0) return true;  // checked where the tool is installed
    return std::system((std::string(tool) + " '" + entry + "' >&2").c_str()) == 0;
}

}  // namespace

TEST(DesktopFolders, FollowTheVariablesAndUserDirs) {
    PrivateDesktop d;
    DesktopFolders f = FoldersFromEnvironment();
    EXPECT_EQ(f.applications, d.File("home/.local/share/applications"));
    EXPECT_EQ(f.desktop, d.File("home/Desktop")) << "without user-dirs.dirs";
    EXPECT_EQ(f.dataDirs, std::vector<std::string>{d.File("system")});
    // What xdg-user-dir reads: a localised desktop folder below $HOME.
    PrivateDesktop::Write(d.File("home/.config/user-dirs.dirs"),
                          "# comment\nXDG_DOWNLOAD_DIR=\"$HOME/下载\"\nXDG_DESKTOP_DIR=\"$HOME/桌面\"\n");
    EXPECT_EQ(FoldersFromEnvironment().desktop, d.File("home/桌面"));
    PrivateDesktop::Write(d.File("home/.config/user-dirs.dirs"), "XDG_DESKTOP_DIR=\"$HOME/\"\n");
    EXPECT_EQ(FoldersFromEnvironment().desktop, d.File("home/Desktop")) << "$HOME alone means unset";
    unsetenv("XDG_DATA_HOME");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    f = FoldersFromEnvironment();
    EXPECT_EQ(f.dataHome, d.File("home/.local/share"));
    EXPECT_EQ(f.configHome, d.File("home/.config")) << "a relative value is ignored";
}

TEST(DesktopEntries, ExecSurvivesAwkwardProgramPaths) {
    PrivateDesktop d;
    for (const std::string name : {"opt/My Books/Pagora", "opt/say \"hi\"/Pagora", "opt/$HOME`x`/Pagora",
                                   "opt/back\\slash/Pagora", "opt/100%/Pagora", "opt/阅读器/Pagora"}) {
        std::string program = d.Program(name);
        std::string entry = d.File("entry.desktop");
        PrivateDesktop::Write(entry, LauncherEntryText(program));
        std::vector<std::string> args = SplitExec(ReadEntryKey(entry, "Exec"));
        ASSERT_EQ(args.size(), 1u) << name;
        EXPECT_EQ(args[0], program);
        EXPECT_EQ(ReadEntryKey(entry, "Path"), fs::path(program).parent_path().string());
        EXPECT_TRUE(Validates(entry)) << name;

        PrivateDesktop::Write(entry, OpenWithEntryText(program));
        args = SplitExec(ReadEntryKey(entry, "Exec"));
        EXPECT_EQ(args, (std::vector<std::string>{program, "%f"})) << name;
        EXPECT_TRUE(Validates(entry)) << name;
    }
}

TEST(OpenWith, ToggleWritesAndRemovesTheEntry) {
    PrivateDesktop d;
    d.Tool("update-desktop-database", kRecordArgs);
    std::string program = d.Program();
    DesktopFolders f = FoldersFromEnvironment();
    EXPECT_FALSE(IsContextMenuRegistered(f));

    ToggleOutcome on = ToggleContextMenu(f, program);
    EXPECT_TRUE(on.registered);
    EXPECT_EQ(on.message, "");
    EXPECT_TRUE(IsContextMenuRegistered(f));
    std::string entry = OpenWithEntryPath(f);
    std::string types = ReadEntryKey(entry, "MimeType");
    for (const char* t : {"text/html;", "text/plain;", "application/zip;", "application/x-maff;", "application/vnd.rar;",
                          "multipart/related;", "image/jpeg;"})
        EXPECT_NE(types.find(t), std::string::npos) << t;
    EXPECT_EQ(ReadEntryKey(entry, "NoDisplay"), "true");
    EXPECT_TRUE(Validates(entry));
    // The desktop was told: the cache of the user's applications is rebuilt.
    EXPECT_EQ(TempFolder::Read(d.File("update-desktop-database.args")), "-q\n" + f.applications + "\n");

    ToggleOutcome off = ToggleContextMenu(f, program);
    EXPECT_FALSE(off.registered);
    EXPECT_FALSE(IsContextMenuRegistered(f));
    EXPECT_TRUE(fs::is_empty(f.applications)) << "toggling twice leaves nothing behind";

    // An entry without MimeType (a launcher of the same name, say) is no registration.
    PrivateDesktop::Write(entry, LauncherEntryText(program));
    EXPECT_FALSE(IsContextMenuRegistered(f));
}

TEST(OpenWith, MissingProgramIsReportedAndNothingWritten) {
    PrivateDesktop d;
    DesktopFolders f = FoldersFromEnvironment();
    ToggleOutcome r = ToggleContextMenu(f, d.File("gone/Pagora"));
    EXPECT_EQ(r.message, "抱歉，找不到Pagora。\n请下载完整的ZIP文件。");
    EXPECT_FALSE(r.registered);
    EXPECT_FALSE(fs::exists(OpenWithEntryPath(f)));
}

TEST(ShortcutDialog, BoxesFollowTheLaunchers) {
    PrivateDesktop d;
    std::string program = d.Program("opt/pagora/Pagora");
    DesktopFolders f = FoldersFromEnvironment();
    {
        CShortcutDialogModel model(f, program);
        EXPECT_FALSE(model.OnDesktop());
        EXPECT_FALSE(model.InMenu());
        EXPECT_EQ(model.DesktopLauncher(), d.File("home/Desktop/Pagora.desktop"));
        EXPECT_EQ(model.MenuLauncher(), d.File("home/.local/share/applications/Pagora.desktop"));
        EXPECT_TRUE(model.Apply(true, true));
    }
    CShortcutDialogModel reopened(f, program);
    EXPECT_TRUE(reopened.OnDesktop());
    EXPECT_TRUE(reopened.InMenu());
    std::string onDesktop = reopened.DesktopLauncher();
    EXPECT_EQ(ReadEntryKey(onDesktop, "Path"), d.File("opt/pagora")) << "starts in the program's folder";
    EXPECT_EQ(SplitExec(ReadEntryKey(onDesktop, "Exec")), std::vector<std::string>{program});
    EXPECT_EQ(ReadEntryKey(onDesktop, "MimeType"), "") << "a launcher opens nothing by itself";
    EXPECT_NE(access(onDesktop.c_str(), X_OK), -1) << "file managers start only executable launchers";
    EXPECT_TRUE(Validates(onDesktop));

    // Unchecking removes silently; a launcher already gone is no error.
    EXPECT_TRUE(reopened.Apply(false, true));
    EXPECT_FALSE(fs::exists(onDesktop));
    EXPECT_TRUE(fs::exists(reopened.MenuLauncher()));
    EXPECT_TRUE(reopened.Apply(false, false));
    EXPECT_TRUE(reopened.Apply(false, false));
    EXPECT_FALSE(reopened.InMenu());

    // A program at the root keeps "/" as its working folder.
    PrivateDesktop::Write(d.File("root.desktop"), LauncherEntryText("/Pagora"));
    EXPECT_EQ(ReadEntryKey(d.File("root.desktop"), "Path"), "/");

    // A desktop folder that cannot be made is reported, the other launcher still made.
    fs::remove_all(d.File("home/Desktop"));
    PrivateDesktop::Write(d.File("home/Desktop"), "a file, not a folder");
    CShortcutDialogModel blocked(f, program);
    EXPECT_FALSE(blocked.Apply(true, true));
    EXPECT_NE(blocked.Message().find("Pagora.desktop"), std::string::npos) << blocked.Message();
    EXPECT_TRUE(blocked.InMenu());
}

TEST(Browser, CommandIsCutWhereTheAddressGoes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\"/opt/My Browser/browser\" \"%1\"", "\"/opt/My Browser/browser\" "},
        {"\"/opt/b\" -url \"%1\" -extra", "\"/opt/b\" -url "},
        {"firefox-esr %u", "firefox-esr "},
        {"chromium --new-window %U", "chromium --new-window "},
        {"browser %1 \"%1\"", "browser %1 "},  // the quoted one wins, even when later
        {"b --label=100%% %u", "b --label=100%% "},
        {"plainbrowser", "plainbrowser"},
        {"viewer %f", "viewer "},
    };
    for (const auto& [command, want] : cases) EXPECT_EQ(CutBrowserCommand(command), want) << command;
}

TEST(Browser, OpenerFirstThenTheDefaultBrowsersOwnCommand) {
    PrivateDesktop d;
    DesktopFolders f = FoldersFromEnvironment();
    const std::string address = "https://example.org/a b?q=\"x\"&y=1";

    // The desktop's opener takes it: the browser entry is not looked at.
    d.Tool("xdg-open", std::string(kRecordArgs) + "\nexit 0");
    EXPECT_EQ(OpenInBrowser(address, f), kOpenSucceeded);
    EXPECT_EQ(TempFolder::Read(d.File("xdg-open.args")), address + "\n");

    // The opener fails: the default browser of mimeapps.list runs with the
    // address as one argument, after the cut command.
    d.Tool("xdg-open", "exit 3");
    std::string browser = d.Tool("fake browser", kRecordArgs);
    PrivateDesktop::Write(d.File("system/applications/fake.desktop"),
                          "[Desktop Entry]\nType=Application\nName=Fake\nExec=\"" + browser +
                              "\" --new-window \"%u\" --tail\n");
    PrivateDesktop::Write(d.File("home/.config/mimeapps.list"),
                          "[Added Associations]\nx-scheme-handler/http=other.desktop;\n"
                          "[Default Applications]\nx-scheme-handler/http=missing.desktop;fake.desktop;\n");
    EXPECT_EQ(DefaultBrowserEntry(f), d.File("system/applications/fake.desktop"));
    EXPECT_EQ(OpenInBrowser(address, f), kOpenSucceeded);
    EXPECT_EQ(WaitForFile(d.File("fake browser.args")), "--new-window\n" + address + "\n");

    // xdg-settings names the default where it can.
    PrivateDesktop::Write(d.File("home/.local/share/applications/own.desktop"),
                          "[Desktop Entry]\nType=Application\nName=Own\nExec=\"" + browser + "\" %U\n");
    d.Tool("xdg-settings", "[ \"$1 $2\" = 'get default-web-browser' ] && echo own.desktop");
    EXPECT_EQ(DefaultBrowserEntry(f), d.File("home/.local/share/applications/own.desktop"));
    fs::remove(d.File("fake browser.args"));
    EXPECT_EQ(OpenInBrowser("mailto:me@example.org", f), kOpenSucceeded);
    EXPECT_EQ(WaitForFile(d.File("fake browser.args")), "mailto:me@example.org\n");
}

TEST(Browser, FailuresGetTheirCodes) {
    PrivateDesktop d;
    DesktopFolders f = FoldersFromEnvironment();
    // No opener and no browser at all.
    EXPECT_EQ(OpenInBrowser("https://example.org/", f), 31);
    // The opener reports a missing file, and there is no browser to fall back on.
    d.Tool("xdg-open", "exit 2");
    EXPECT_EQ(OpenInBrowser("file:///nowhere.htm", f), 2);
    // The default browser's program is gone.
    PrivateDesktop::Write(d.File("system/applications/gone.desktop"),
                          "[Desktop Entry]\nType=Application\nName=Gone\nExec=/nonexistent/browser %u\n");
    PrivateDesktop::Write(d.File("etc-xdg/mimeapps.list"), "[Default Applications]\nx-scheme-handler/http=gone.desktop\n");
    d.Tool("xdg-open", "exit 4");
    EXPECT_EQ(OpenInBrowser("https://example.org/", f), 2);
    // A browser that may not be run.
    std::string locked = d.File("locked-browser");
    PrivateDesktop::Write(locked, "#!/bin/sh\n");
    chmod(locked.c_str(), 0644);
    PrivateDesktop::Write(d.File("system/applications/gone.desktop"),
                          "[Desktop Entry]\nType=Application\nName=Gone\nExec=" + locked + " %u\n");
    if (geteuid() != 0) EXPECT_EQ(OpenInBrowser("https://example.org/", f), 5);
    // An entry without a command is an incomplete association.
    PrivateDesktop::Write(d.File("system/applications/gone.desktop"), "[Desktop Entry]\nType=Application\nName=Gone\n");
    EXPECT_EQ(OpenInBrowser("https://example.org/", f), 27);
}

TEST(Browser, ErrorTable) {
    EXPECT_EQ(OpenErrorText(2), "Unable to open hyperlink:\n\nThe specified file was not found.");
    EXPECT_EQ(OpenErrorText(0), "Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources.");
    EXPECT_EQ(OpenErrorText(5), "Unable to open hyperlink:\n\nThe operating system denied\naccess to the specified file.");
    EXPECT_EQ(OpenErrorText(26), "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    EXPECT_EQ(OpenErrorText(31),
              "Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension.");
    EXPECT_EQ(OpenErrorText(32), "Unable to open hyperlink:\n\nThe specified dynamic-link library was not found.");
    EXPECT_EQ(OpenErrorText(7), "Unable to open hyperlink:\n\nUnknown Error (7) occurred.");
    EXPECT_EQ(OpenErrorText(-1), "Unable to open hyperlink:\n\nUnknown Error (-1) occurred.");
}

TEST(Help, BesideTheProgramOrInstalled) {
    PrivateDesktop d;
    std::string program = d.Program("build/Pagora");
    EXPECT_EQ(HelpFilePath(program), "");
    PrivateDesktop::Write(d.File("build/Pagora.htm"), "<p>帮助</p>");
    EXPECT_EQ(HelpFilePath(program), d.File("build/Pagora.htm"));

    std::string installed = d.Program("usr/bin/Pagora");
    EXPECT_EQ(HelpFilePath(installed), "");
    PrivateDesktop::Write(d.File("usr/share/pagora/Pagora.htm"), "<p>帮助</p>");
    EXPECT_EQ(HelpFilePath(installed), d.File("usr/share/pagora/Pagora.htm"));
    // The icon of the entries follows the same layout.
    EXPECT_EQ(ProgramIcon(installed), "pagora");
    PrivateDesktop::Write(d.File("usr/share/icons/hicolor/scalable/apps/pagora.svg"), "<svg/>");
    EXPECT_EQ(ProgramIcon(installed), d.File("usr/share/icons/hicolor/scalable/apps/pagora.svg"));
}
