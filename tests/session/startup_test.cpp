// Port choice, side files, extension lists, local paths and the start-up sequence.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "settings/extensionlists.h"
#include "settings/localpath.h"
#include "settings/loopback.h"
#include "settings/parablock.h"
#include "server/portchoice.h"
#include "settings/restoredefaults.h"
#include "settings/sidefiles.h"
#include "session/startupcore.h"
#include "platform/inifile.h"
#include "platform/modulepath.h"
#include "support/tempfolder.h"

namespace ini = platform::ini;

namespace {

std::vector<uint16_t> Range(int from, int to) {
    std::vector<uint16_t> v;
    for (int p = from; p <= to; ++p) v.push_back(static_cast<uint16_t>(p));
    return v;
}

// Listens on 127.0.0.1:port; -1 when the port is taken.
int ListenOn(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 1) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

TEST(PortChoice, FirstFreePortOfTheTable) {
    using Table = std::optional<std::vector<uint16_t>>;
    EXPECT_EQ(ChoosePortFrom(Table(std::vector<uint16_t>{})), 50000);
    EXPECT_EQ(ChoosePortFrom(Table({50000, 50001})), 50002);
    EXPECT_EQ(ChoosePortFrom(Table({50001, 50000, 80, 22})), 50002);
    EXPECT_EQ(ChoosePortFrom(Table({49999, 60001, 50001})), 50000) << "ports outside the range never exclude";
    EXPECT_EQ(ChoosePortFrom(Table(Range(50000, 59999))), 50000) << "all taken";
    EXPECT_EQ(ChoosePortFrom(Table(Range(50000, 51500))), 51501) << "more than 1024 taken ports still count";
    for (int i = 0; i < 50; ++i) {
        int p = ChoosePortFrom(std::nullopt);
        EXPECT_GE(p, 50000);
        EXPECT_LE(p, 59999);
    }
}

TEST(PortChoice, RealListeningSocketsAreAvoided) {
    // Other programs may take a port between the choice and our bind: retry a few times.
    bool checked = false;
    for (int attempt = 0; attempt < 5 && !checked; ++attempt) {
        int first = ChooseLoopbackPort();
        EXPECT_EQ(LoopbackBase(), "http://127.0.0.1:" + std::to_string(first) + "/");
        int fd = ListenOn(first);  // what a first process's server does
        if (fd < 0) continue;
        int second = ChooseLoopbackPort();  // a second process sees it listening
        EXPECT_NE(second, first);
        int fd2 = ListenOn(second);
        close(fd);
        if (fd2 < 0) continue;
        close(fd2);
        checked = true;
    }
    EXPECT_TRUE(checked) << "no chosen port could be listened on";
    SetLoopbackPort(6122);
}

TEST(SideFiles, NamedAfterTheProgram) {
    TempFolder dir;
    platform::SetProgramPathForTesting(dir.File("Pagora"));
    SideFiles f = MakeSideFiles();
    EXPECT_EQ(f.ini, dir.File("Pagora.ini"));
    EXPECT_EQ(f.bmk, dir.File("Pagora.bmk"));
    EXPECT_EQ(f.pwd, dir.File("Pagora.pwd"));
    EXPECT_EQ(f.zhp, dir.File("Pagora.zhp"));
    EXPECT_EQ(f.blb, dir.File("Pagora.blb"));
    EXPECT_EQ(f.flt, dir.File("Pagora.flt"));
    EXPECT_EQ(f.css, dir.File("Pagora.css"));
    EXPECT_EQ(f.txtLib, dir.File("Pagora_txt.so"));
    const std::string* before = &TheSideFiles().ini;
    SetSideFiles(f);
    EXPECT_EQ(&TheSideFiles().ini, before) << "a bound block may keep pointing at it";
    EXPECT_EQ(TheSideFiles().ini, f.ini);
    platform::SetProgramPathForTesting("");
}

TEST(ExtensionLists, BuiltFromTheFilterText) {
    EXPECT_EQ(DocumentExtensions(), (std::vector<std::string>{"htm", "html", "shtml", "mht", "asp", "aspx", "jsp",
                                                               "txt", "doc", "rtf", "pdf"}));
    EXPECT_EQ(HtmlExtensions(),
              (std::vector<std::string>{"htm", "html", "shtml", "mht", "asp", "aspx", "jsp"}));
    EXPECT_TRUE(HasExtensionIn("/a/B.HTM", HtmlExtensions()));
    EXPECT_FALSE(HasExtensionIn("/a/b.txt", HtmlExtensions()));
    EXPECT_TRUE(HasExtensionIn("/a/b.TxT", DocumentExtensions()));
    EXPECT_FALSE(HasExtensionIn("/a.htm/readme", DocumentExtensions()));
    EXPECT_FALSE(HasExtensionIn("/a/b.zip", DocumentExtensions()));
    EXPECT_EQ(ExtensionOf("dir\\x.Rtf"), "Rtf");
    EXPECT_EQ(ExtensionOf("noext"), "");
    EXPECT_EQ(ExtensionsFromFilter("no bar at all", "zip"), std::vector<std::string>{});
}

TEST(LocalPath, AddressesAndPaths) {
    struct Case {
        const char* address;
        const char* local;
    };
    const Case cases[] = {
        {"http://127.0.0.1:50000/a.htm", ""},
        {"https://example.org/a", ""},
        {"ftp://host/file.txt", ""},
        {"res://Pagora/home.htm", ""},
        {"about:blank", ""},
        {"file:///home/u/my%20book.htm", "/home/u/my book.htm"},
        {"file://localhost/home/u/x.txt", "/home/u/x.txt"},
        {"file:///home/u/%E4%B9%A6.txt#top", "/home/u/书.txt"},
        {"file:///home/u/a%23b.txt", "/home/u/a#b.txt"},
        {"file:///home/u/../v/./x.htm", "/home/v/x.htm"},
        {"file://otherhost/x.txt", ""},
        {"file:///bad%00name", ""},
        {"/home/u/book.txt", "/home/u/book.txt"},
        {"relative/with/slashes.htm", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(AddressToLocalPath(c.address), c.local) << c.address;
    EXPECT_EQ(FolderOfPath("/a/b/c.txt"), "/a/b");
    EXPECT_EQ(FolderOfPath("/c.txt"), "/");
    EXPECT_EQ(FolderOfPath("c.txt"), "");
}

TEST(StartupCore, WindowFilterKeywordsAndCommandLine) {
    TempFolder dir;
    std::string flt = dir.Write("Pagora.flt", "  ads.example \r\n\n\t\ncounter\r\npop up  ");
    EXPECT_EQ(ReadWindowFilterKeywords(flt), (std::vector<std::string>{"ads.example", "counter", "pop up"}));
    EXPECT_TRUE(ReadWindowFilterKeywords(dir.File("missing.flt")).empty());
    EXPECT_TRUE(ReadWindowFilterKeywords(dir.Path()).empty()) << "a folder is unreadable as a file";
    EXPECT_EQ(IdleStatusText(), "完成");

    auto parse = [](std::vector<std::string> args) { return ParseCommandLine(args, "/home/u"); };
    EXPECT_EQ(parse({}).action, CommandAction::New);
    EXPECT_EQ(parse({"a", "b"}).action, CommandAction::New);
    EXPECT_EQ(parse({"--help"}).action, CommandAction::New);
    EXPECT_EQ(parse({"book.txt"}).path, "/home/u/book.txt");
    EXPECT_EQ(parse({"../v/./book.txt"}).path, "/home/v/book.txt");
    EXPECT_EQ(parse({"/srv/books/"}).path, "/srv/books/");
    EXPECT_EQ(parse({"file:///srv/a%20b.zip"}).path, "/srv/a b.zip");
    EXPECT_EQ(parse({"File:///srv/c.txt"}).path, "/srv/c.txt");
    EXPECT_EQ(parse({"http://example.org/"}).path, "http://example.org/");
    EXPECT_EQ(parse({"/x"}).action, CommandAction::Open);
}

namespace {

// A program in a temporary folder with its INI file, for the start-up steps.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetProgramPathForTesting(m_dir.File("Pagora"));
        m_ini = m_dir.File("Pagora.ini");
    }
    void TearDown() override {
        MainParaBlock().Reset(false);
        MainParaBlock().SetLocation(kParaBlockSection, nullptr);
        SetRecentFileHook(nullptr);
        platform::SetProgramPathForTesting("");
        SetLoopbackPort(6122);
    }
    std::string Stored(const std::string& key) { return ini::GetString(m_ini, "ParaBlock", key, "<absent>"); }
    void StoreLastRun() {
        ini::WriteString(m_ini, "ParaBlock", "PARA_STARTPOINT_Y", "4000");
        ini::WriteString(m_ini, "ParaBlock", "CurrentPath", "/books/last.zip");
        ini::WriteString(m_ini, "ParaBlock", "CurrentDir", "/books");
        ini::WriteString(m_ini, "ParaBlock", "CurPathInZip", "*/ch3.htm");
    }

    TempFolder m_dir;
    std::string m_ini;
};

}  // namespace

TEST_F(StartupTest, StepsRunInOrderAndBindTheMainBlock) {
    StoreLastRun();
    m_dir.Write("Pagora.flt", "blocked\n");
    std::vector<std::string> order;
    StartupHooks hooks;
    hooks.loadPasswords = [&] { order.push_back("pwd"); };
    hooks.loadHomeNames = [&] { order.push_back("zhp"); };
    hooks.loadBookshelf = [&] { order.push_back("blb"); };
    hooks.readRecentLists = [&] { order.push_back("recent"); };
    hooks.loadTextFilterModule = [&] { order.push_back("loadtxt"); };
    hooks.registerTextFilter = [&] { order.push_back("register"); };
    hooks.launchPageServer = [&] { order.push_back("server"); };
    hooks.createWindows = [&] { order.push_back("windows"); };
    hooks.showClock = [&] { order.push_back("clock"); };
    hooks.openPosition = [&](CParaBlock& pos) {
        order.push_back("open " + pos.GetString(PARA_STR_CURRENT_PATH) + " " +
                        std::to_string(pos.GetValue(PARA_STARTPOINT_Y)));
    };
    hooks.waitForBrowser = [&] { order.push_back("wait"); };
    ASSERT_TRUE(RunStartup(hooks, ParsedCommandLine{}));
    // The archive to restore has its server started before the windows are made.
    EXPECT_EQ(order, (std::vector<std::string>{"pwd", "zhp", "blb", "recent", "loadtxt", "register", "server", "windows",
                                               "clock", "open /books/last.zip 4000", "wait"}));
    EXPECT_EQ(TheSideFiles().ini, m_ini);
    EXPECT_EQ(MainParaBlock().IniPath(), &TheSideFiles().ini);
    EXPECT_EQ(WindowFilterKeywords(), std::vector<std::string>{"blocked"});
    EXPECT_GE(LoopbackPort(), 50000);
    EXPECT_EQ(MainParaBlock().GetString(PARA_STR_CUR_PATH_IN_ZIP), LoopbackBase() + "ch3.htm");

    // With the browser's own text display the filter is not registered, but the library is still loaded.
    order.clear();
    ini::WriteString(m_ini, "ParaBlock", "PAEA_TXT_USE_IE_DEFAULT", "1");
    ini::WriteString(m_ini, "ParaBlock", "PARA_CLOCK_SHOW", "0");
    ASSERT_TRUE(RunStartup(hooks, ParsedCommandLine{}));
    EXPECT_EQ(std::count(order.begin(), order.end(), "register"), 0);
    EXPECT_EQ(std::count(order.begin(), order.end(), "clock"), 0);
    EXPECT_EQ(std::count(order.begin(), order.end(), "loadtxt"), 1);
}

TEST_F(StartupTest, RestoreOffClearsThePositionAndOpensTheHomePage) {
    StoreLastRun();
    ini::WriteString(m_ini, "ParaBlock", "PARA_SAVE_RST", "0");
    std::string opened = "none";
    StartupHooks hooks;
    bool serverLaunched = false;
    hooks.launchPageServer = [&] { serverLaunched = true; };
    hooks.openPosition = [&](CParaBlock& pos) {
        opened = pos.GetString(PARA_STR_CURRENT_PATH) + "|" + pos.GetString(PARA_STR_HOMEPAGE);
        EXPECT_NE(&pos, &MainParaBlock());
    };
    ASSERT_TRUE(RunStartup(hooks, ParsedCommandLine{}));
    EXPECT_EQ(opened, "|");
    EXPECT_FALSE(serverLaunched) << "the archive of the last run is not reopened";
    EXPECT_EQ(Stored("CurrentPath"), "");
    EXPECT_EQ(Stored("CurrentDir"), "");
    EXPECT_EQ(Stored("CurPathInZip"), "");
    EXPECT_EQ(Stored("PARA_STARTPOINT_Y"), "0");
    EXPECT_EQ(Stored("PARA_STARTPOINT_X"), "0");
    EXPECT_EQ(Stored("PARA_SAVE_RST"), "0");
}

TEST_F(StartupTest, NamedFileOpensAtTheTop) {
    StoreLastRun();
    std::vector<std::string> recent;
    SetRecentFileHook([&](const std::string& p) { recent.push_back(p); });
    int openedY = -1;
    std::string openedPath;
    StartupHooks hooks;
    int serverLaunches = 0;
    hooks.launchPageServer = [&] { ++serverLaunches; };
    hooks.openPosition = [&](CParaBlock& pos) {
        openedY = pos.GetValue(PARA_STARTPOINT_Y);
        openedPath = pos.GetString(PARA_STR_CURRENT_PATH);
    };
    ASSERT_TRUE(RunStartup(hooks, ParseCommandLine({"novel.txt"}, "/home/u")));
    EXPECT_EQ(openedY, 0);
    EXPECT_EQ(openedPath, "/home/u/novel.txt");
    EXPECT_EQ(Stored("PARA_STARTPOINT_Y"), "0");
    EXPECT_EQ(Stored("CurPathInZip"), "");
    EXPECT_EQ(Stored("CurrentPath"), "/home/u/novel.txt");
    EXPECT_EQ(MainParaBlock().GetString(PARA_STR_CURRENT_DIR), "/home/u");
    EXPECT_EQ(recent, std::vector<std::string>{"/home/u/novel.txt"});
    EXPECT_EQ(serverLaunches, 0) << "a text needs no page server";
    ASSERT_TRUE(RunStartup(hooks, ParseCommandLine({"site.ZIP"}, "/home/u")));
    EXPECT_EQ(serverLaunches, 1);
}

TEST_F(StartupTest, FailureWhileOpeningTheFirstPageIsReported) {
    bool waited = false;
    StartupHooks hooks;
    hooks.openPosition = [](CParaBlock&) { throw std::runtime_error("view failed"); };
    hooks.waitForBrowser = [&] { waited = true; };
    EXPECT_FALSE(RunStartup(hooks, ParsedCommandLine{}));
    EXPECT_FALSE(waited);

    std::vector<int> order;
    ShutdownHooks down;
    down.removeDisplayReplacements = [&] { order.push_back(1); };
    down.removeTextFilter = [&] { order.push_back(2); };
    down.freeTextFilterModule = [&] { order.push_back(3); };
    down.writeRecentBookmarks = [&] { order.push_back(4); };
    down.writeRecentFiles = [&] { order.push_back(5); };
    RunShutdown(down);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5}));
    RunShutdown(ShutdownHooks{});  // nothing installed: nothing to undo
}

TEST_F(StartupTest, RestoreDefaultsKeepsThePositionStrings) {
    RunStartupDataSteps(StartupHooks{});
    CParaBlock& main = MainParaBlock();
    main.SetValue(PARA_WIDTH_LIMIT_IT, 1, true);
    main.SetValue(PARA_ZOOM_PERSENT, 180, true);
    main.SetValue(PARA_STARTPOINT_Y, 500, true);
    main.SetString(PARA_STR_CURRENT_PATH, "/books/a.htm", true);
    main.SetString(PARA_STR_CURRENT_DIR, "/books", true);
    main.SetString(PARA_STR_CUR_PATH_IN_ZIP, "http://127.0.0.1:50000/z.htm", true);
    main.SetString(PARA_STR_HOMEPAGE, "/home.htm", true);
    ini::WriteString(m_ini, "Recent File List", "File1", "/books/a.htm");

    EXPECT_FALSE(RunRestoreDefaults(main, [] { return false; }, nullptr));
    EXPECT_EQ(main.GetValue(PARA_ZOOM_PERSENT), 180) << "declined: nothing changes";

    RestoreDefaultsMemo seen;
    ASSERT_TRUE(RunRestoreDefaults(main, [] { return true; }, [&](const RestoreDefaultsMemo& m) { seen = m; }));
    EXPECT_TRUE(seen.widthLimitWasOn);
    EXPECT_FALSE(seen.width800WasOn);
    EXPECT_EQ(main.GetValue(PARA_ZOOM_PERSENT), 100);
    EXPECT_EQ(main.GetValue(PARA_STARTPOINT_Y), 0);
    EXPECT_EQ(main.GetString(PARA_STR_HOMEPAGE), "");
    EXPECT_EQ(main.GetString(PARA_STR_CURRENT_PATH), "/books/a.htm");
    EXPECT_EQ(main.GetString(PARA_STR_CURRENT_DIR), "/books");
    EXPECT_EQ(ini::KeyNames(m_ini, "ParaBlock"), (std::vector<std::string>{"CurrentPath", "CurrentDir", "CurPathInZip"}));
    EXPECT_EQ(Stored("CurPathInZip"), CParaBlock::StoredForm("http://127.0.0.1:50000/z.htm"));
    EXPECT_EQ(ini::GetString(m_ini, "Recent File List", "File1", ""), "/books/a.htm") << "other sections stay";
}
