// The reader on the desktop: the Open-with entry and its check mark, the
// launcher dialog, the help page and the about box's links handed to a fake
// opener, one reader per profile folder (its coming to the front is checked on a
// real X server in frame_xvfb_test), and an installed copy that runs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <thread>

#include "readerrun.h"

namespace fs = std::filesystem;

namespace {

// HOME, the XDG folders and a bin folder in front of PATH, below the run's
// folder, for the test's lifetime; the reader inherits them.
class PrivateDesktop {
public:
    explicit PrivateDesktop(const CReaderRun& run) : m_root(run.Folder() + "/desktop") {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS", "PATH"}) {
            const char* v = std::getenv(name);
            m_saved[name] = v ? std::optional<std::string>(v) : std::nullopt;
        }
        fs::create_directories(m_root + "/bin");
        fs::create_directories(m_root + "/home");
        setenv("HOME", (m_root + "/home").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_root + "/home/.local/share").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_root + "/home/.config").c_str(), 1);
        setenv("XDG_DATA_DIRS", (m_root + "/system").c_str(), 1);
        std::string path = m_saved["PATH"].value_or("/usr/bin:/bin");
        setenv("PATH", (m_root + "/bin:" + path).c_str(), 1);
    }
    ~PrivateDesktop() {
        for (const auto& [name, value] : m_saved) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }
    std::string File(const std::string& name) const { return m_root + "/" + name; }
    // A fake tool that records its arguments, one a line, and exits with `code`.
    void Tool(const std::string& name, int code) const {
        std::string path = File("bin/" + name);
        std::ofstream(path) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << File(name + ".tmp")
                            << "'\nmv '" << File(name + ".tmp") << "' '" << File(name + ".args") << "'\nexit " << code
                            << "\n";
        chmod(path.c_str(), 0755);
    }

private:
    std::string m_root;
    std::map<std::string, std::optional<std::string>> m_saved;
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Validates(const std::string& entry) {
    return std::system(("desktop-file-validate '" + entry + "' >&2").c_str()) == 0;
}

std::string Sample(const std::string& name) { return std::string(PAGORA_SOURCE_DIR) + "/samples/" + name; }

}  // namespace

TEST(DesktopGui, OpenWithEntryAndLaunchersFollowTheCommands) {
    CReaderRun run;
    PrivateDesktop desk(run);
    desk.Tool("update-desktop-database", 0);
    const std::string entry = desk.File("home/.local/share/applications/pagora-open.desktop");
    const std::string onDesktop = desk.File("home/Desktop/Pagora.desktop");
    const std::string inMenu = desk.File("home/.local/share/applications/Pagora.desktop");
    auto lines = run.Run({"frame checked options.context-menu", "command options.context-menu",
                          "frame checked options.context-menu", "frame dialog options.shortcuts values",
                          "frame dialog options.shortcuts set:desktop:1 set:menu:1 ok",
                          "frame dialog options.shortcuts values", "close"},
                         {});
    EXPECT_EQ(CReaderRun::Value(lines, "FRAME", 0), "0");
    EXPECT_EQ(CReaderRun::Value(lines, "FRAME", 1), "1") << "the check mark follows the entry";
    EXPECT_TRUE(Has(CReaderRun::Value(lines, "FRAME", 2), "desktop=0")) << CReaderRun::Value(lines, "FRAME", 2);
    EXPECT_TRUE(Has(CReaderRun::Value(lines, "FRAME", 4), "desktop=1")) << CReaderRun::Value(lines, "FRAME", 4);
    EXPECT_TRUE(Has(CReaderRun::Value(lines, "FRAME", 4), "menu=1"));
    ASSERT_TRUE(fs::exists(entry));
    EXPECT_TRUE(Has(ReadText(entry), "application/zip;"));
    EXPECT_TRUE(Has(ReadText(entry), "Exec=" + run.Folder() + "/Pagora %f"));
    EXPECT_TRUE(Validates(entry));
    EXPECT_EQ(ReadText(desk.File("update-desktop-database.args")),
              "-q\n" + desk.File("home/.local/share/applications") + "\n");
    ASSERT_TRUE(fs::exists(onDesktop));
    ASSERT_TRUE(fs::exists(inMenu));
    EXPECT_TRUE(Has(ReadText(onDesktop), "Path=" + run.Folder() + "\n"));
    EXPECT_TRUE(Validates(onDesktop));
    EXPECT_TRUE(Validates(inMenu));

    // A second run sees them, and takes them all back.
    lines = run.Run({"frame checked options.context-menu", "command options.context-menu",
                     "frame checked options.context-menu", "frame dialog options.shortcuts set:desktop:0 set:menu:0 ok",
                     "close"},
                    {});
    EXPECT_EQ(CReaderRun::Value(lines, "FRAME", 0), "1");
    EXPECT_EQ(CReaderRun::Value(lines, "FRAME", 1), "0");
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_FALSE(fs::exists(onDesktop));
    EXPECT_FALSE(fs::exists(inMenu));
    EXPECT_TRUE(fs::is_empty(desk.File("home/.local/share/applications")));
}

TEST(DesktopGui, HelpAndLinksGoToTheDesktopsOpener) {
    CReaderRun run;
    PrivateDesktop desk(run);
    // Without the help page beside the program the reader says so.
    auto lines = run.Run({"command help.contents", "close"}, {});
    EXPECT_EQ(CReaderRun::Value(lines, "MESSAGE"), "抱歉，找不到帮助文件。") << "first line of the message";

    std::string help = run.WriteFile("Pagora.htm", "<title>帮助</title>");
    desk.Tool("xdg-open", 0);
    lines = run.Run({"command help.contents", "frame dialog help.about link:homepage ok", "close"}, {});
    EXPECT_EQ(CReaderRun::Value(lines, "MESSAGE"), "");
    // The about box's link came last: the opener was given its address.
    EXPECT_EQ(ReadText(desk.File("xdg-open.args")), "https://example.org/pagora/\n");

    lines = run.Run({"command help.contents", "close"}, {});
    EXPECT_EQ(ReadText(desk.File("xdg-open.args")), "file://" + help + "\n");

    // No opener that works and no browser: the link beeps and tells why.
    desk.Tool("xdg-open", 3);
    lines = run.Run({"frame dialog help.about link:mail ok", "close"}, {});
    EXPECT_EQ(CReaderRun::Value(lines, "WARNING"), "Unable to open hyperlink:");
    EXPECT_EQ(ReadText(desk.File("xdg-open.args")), "mailto:pagora@example.org\n");
}

TEST(DesktopGui, ALaterReaderHandsItsDocumentOver) {
    CReaderRun run;
    const std::string zip = Sample("lighthouse.zip");
    const std::string other = run.WriteFile("other.htm", "<title>另一页</title><p>另一页</p>");
    std::vector<std::string> first;
    std::thread reader([&] {
        first = run.Run({"until lighthouse | string 1", "until index.htm | location", "close"}, {other});
    });
    // The first reader listens once its window stands; until then nobody takes the path.
    auto handOver = [&](const std::string& path) {
        std::string command = "cd '" + run.Folder() +
                              "' && env -u DISPLAY QT_QPA_PLATFORM=offscreen timeout 20 ./Pagora --hand-over-only '" +
                              path + "' >/dev/null 2>&1";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    int code = 1;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while ((code = handOver(zip)) == 1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    reader.join();
    EXPECT_EQ(code, 0) << "the running reader took the path";
    EXPECT_TRUE(Has(CReaderRun::Value(first, "STRING"), "lighthouse.zip")) << CReaderRun::Value(first, "STRING");
    EXPECT_TRUE(EndsWith(CReaderRun::Value(first, "LOCATION"), "index.htm")) << CReaderRun::Value(first, "LOCATION");

    // Another profile folder has its own reader: nothing runs there to take it.
    CReaderRun separate;
    std::string command = "cd '" + separate.Folder() +
                          "' && env -u DISPLAY QT_QPA_PLATFORM=offscreen timeout 20 ./Pagora --hand-over-only '" + zip +
                          "' >/dev/null 2>&1";
    int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
}

TEST(DesktopGui, InstalledCopyRunsFromAnyFolder) {
    CReaderRun run;
    PrivateDesktop desk(run);
    const std::string prefix = run.Folder() + "/prefix";
    ASSERT_EQ(std::system(("cmake --install '" PAGORA_BUILD_DIR "' --prefix '" + prefix + "' >/dev/null").c_str()), 0);
    for (const char* file : {"bin/Pagora", "lib/pagora/Pagora_txt.so", "share/pagora/Pagora.htm",
                             "share/applications/pagora.desktop", "share/icons/hicolor/scalable/apps/pagora.svg"})
        EXPECT_TRUE(fs::exists(prefix + "/" + file)) << file;
    EXPECT_TRUE(Validates(prefix + "/share/applications/pagora.desktop"));
    EXPECT_TRUE(Has(ReadText(prefix + "/share/applications/pagora.desktop"), "Exec=" + prefix + "/bin/Pagora %f\n"));

    // Started from elsewhere on a text, the installed reader converts it with
    // its installed filter and keeps its settings in the user's folder.
    const std::string shot = "/tmp/shots/desktop-installed-run.png";
    fs::create_directories("/tmp/shots");
    const std::string script = run.WriteFile("installed-script.txt",
                                             "wait\neval document.body.innerHTML.indexOf('<table') >= 0\nscreenshot " +
                                                 shot + "\nclose\n");
    std::string command = "cd / && env -u DISPLAY QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=offscreen timeout 90 '" +
                          prefix + "/bin/Pagora' --no-message-boxes --script '" + script + "' '" + Sample("story.txt") +
                          "' 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buf[4096];
        while (size_t n = fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
        pclose(pipe);
    }
    EXPECT_TRUE(Has(out, "EVAL: true")) << out;
    EXPECT_TRUE(Has(out, "SCREENSHOT: " + shot));
    EXPECT_TRUE(fs::exists(desk.File("home/.config/Pagora/Pagora.ini")));
    EXPECT_TRUE(Has(ReadText(desk.File("home/.config/Pagora/Pagora.ini")), "story.txt"));
    EXPECT_FALSE(fs::exists(prefix + "/bin/Pagora.ini")) << "nothing written beside the installed program";
}
