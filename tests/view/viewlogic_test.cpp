// The Qt-free decisions of the view and frame.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <set>
#include <thread>

#include "frame/commandlayout.h"
#include "frame/commandregistry.h"
#include "view/httpfetch.h"
#include "view/indexnavigator.h"
#include "settings/extensionlists.h"
#include "view/navigationrules.h"
#include "view/textroute.h"

TEST(TextRoute, MapsFileAndHttpAddressesBothWays) {
    struct Case {
        const char* original;
        const char* privateForm;
    } cases[] = {
        {"file:///home/u/book.txt", "pagora-txt://localfile.invalid/home/u/book.txt"},
        {"file:///home/u/%E4%B8%AD%20a.TXT", "pagora-txt://localfile.invalid/home/u/%E4%B8%AD%20a.TXT"},
        {"http://127.0.0.1:50123/dir/a.txt", "pagora-txt://127.0.0.1:50123/dir/a.txt"},
        {"http://127.0.0.1:50123/a.txt?x=1", "pagora-txt://127.0.0.1:50123/a.txt?x=1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(textroute::ToPrivate(c.original), c.privateForm) << c.original;
        EXPECT_EQ(textroute::ToOriginal(c.privateForm), c.original) << c.privateForm;
    }
    // file://localhost/p keeps only the path.
    EXPECT_EQ(textroute::ToPrivate("file://localhost/p/a.txt"), "pagora-txt://localfile.invalid/p/a.txt");
}

TEST(TextRoute, OnlyTextAddressesOfFileAndHttpTakeTheRoad) {
    for (const char* no : {"file:///a/b.txt.htm", "file:///a/b.text", "https://h/a.txt", "res://Pagora/a.txt",
                           "http://h/a.htm", "file:///a/txt", "ftp://h/a.txt", ""})
        EXPECT_FALSE(textroute::IsCandidate(no)) << no;
    EXPECT_TRUE(textroute::IsCandidate("http://h/a.txt#part"));
    // A host named like the local marker never becomes a file.
    EXPECT_EQ(textroute::ToPrivate("http://localfile.invalid/a.txt"), "");
    EXPECT_EQ(textroute::ToOriginal("http://h/a.htm"), "http://h/a.htm");
}

TEST(NavigationRules, TextSwitchFollowsTheLastFourCharacters) {
    EXPECT_TRUE(navrules::IsTextAddress("/books/README.TXT"));
    EXPECT_TRUE(navrules::IsTextAddress("http://127.0.0.1:50000/notes.Txt"));
    EXPECT_FALSE(navrules::IsTextAddress("/books/notes.txt.htm"));
    EXPECT_FALSE(navrules::IsTextAddress("/books/notes.text"));
    EXPECT_FALSE(navrules::IsTextAddress("txt"));
}

TEST(NavigationRules, ArchivesErrorPageAndHomePage) {
    // One rule for every caller (view, bars, address mapping, the server tool).
    EXPECT_TRUE(IsArchiveName("/a/B.ZIP"));
    EXPECT_TRUE(IsArchiveName("/a/b.maff"));
    EXPECT_TRUE(IsArchiveName("x.Maff"));
    EXPECT_TRUE(IsArchiveName("file:///a/b.Rar"));
    EXPECT_FALSE(IsArchiveName("/a/b.zip.htm"));
    EXPECT_FALSE(IsArchiveName("x.zipx"));
    EXPECT_FALSE(IsArchiveName("zip"));
    EXPECT_FALSE(IsArchiveName("/书/小说.ＺＩＰ"));
    EXPECT_EQ(navrules::ErrorPageAddress("Pagora", "/a/b.zip"), "res://Pagora/dnserror.htm#/a/b.zip");
    EXPECT_TRUE(navrules::IsBuiltInHome("RES://Pagora/Pagora_home.page"));
    EXPECT_FALSE(navrules::IsBuiltInHome("res://Pagora/pagora_home.page.htm"));
    EXPECT_FALSE(navrules::IsBuiltInHome("file:///x/Pagora_home.page"));
}

TEST(NavigationRules, QuestionMarkRefusalNamesThePath) {
    EXPECT_EQ(navrules::QuestionMarkMessage("/a/why?.htm"), "/a/why?.htm\r\n包含一个无效的路径字符（?），请更名。");
    EXPECT_EQ(navrules::QuestionMarkMessage("/a/fine.htm"), "");
}

TEST(NavigationRules, WindowFilterMatchesWholeTokensOnly) {
    std::vector<std::string> keywords = {"ads", "Popup"};
    EXPECT_TRUE(navrules::WindowFilterRejects("http://ads.example.com/x", keywords));
    EXPECT_TRUE(navrules::WindowFilterRejects("http://h/show?kind=POPUP", keywords));
    EXPECT_FALSE(navrules::WindowFilterRejects("http://h/loads/page.htm", keywords));
    EXPECT_FALSE(navrules::WindowFilterRejects("http://ads.example.com/x", {}));
}

TEST(NavigationRules, DownloadFlagsAndAddressBar) {
    EXPECT_EQ(navrules::ComputeDownloadFlags(0, 0, 0, 0, 0, 0), 0x70u);
    EXPECT_EQ(navrules::ComputeDownloadFlags(1, 1, 1, 1, 1, 1), 0x780u);
    EXPECT_EQ(navrules::ComputeDownloadFlags(0, 0, 0, 1, 0, 1), 0x40u);
    EXPECT_EQ(navrules::AddressBarText("http://127.0.0.1:50000/book/ch1.htm", "http://127.0.0.1:50000/"), "book/ch1.htm");
    EXPECT_EQ(navrules::AddressBarText("http://127.0.0.1:50001/x.htm", "http://127.0.0.1:50000/"),
              "http://127.0.0.1:50001/x.htm");
}

TEST(NavigationRules, RestoreTargetComparesLocalPaths) {
    EXPECT_TRUE(navrules::SameDocument("file:///a/b%20c.htm", "/a/b c.htm"));
    EXPECT_TRUE(navrules::SameDocument("http://127.0.0.1:50000/x.htm", "http://example.org/"));
    EXPECT_FALSE(navrules::SameDocument("/a/b.htm", "/a/c.htm"));
}

class IndexNavigatorTest : public ::testing::Test {
protected:
    std::set<std::string> m_files;
    CIndexNavigator Make() {
        return CIndexNavigator({"start", "index", "default", "content", "contents"},
                               {"htm", "html", "shtml", "mht", "asp", "aspx", "jsp"},
                               [this](const std::string& p) { return m_files.count(p) > 0; });
    }
};

TEST_F(IndexNavigatorTest, HomeNamesComeBeforeExtensionsAndTheFolderName) {
    m_files = {"/b/book/index.htm", "/b/book/start.html", "/b/book/book.htm"};
    EXPECT_EQ(Make().FindFolderHome("/b/book"), "/b/book/start.html");
    m_files = {"/b/book/book.aspx", "/b/book/book.jsp"};
    EXPECT_EQ(Make().FindFolderHome("/b/book/"), "/b/book/book.aspx");
    m_files = {};
    EXPECT_EQ(Make().FindFolderHome("/b/book/"), "");
}

TEST_F(IndexNavigatorTest, FolderAndParentCommands) {
    m_files = {"/b/book/index.htm", "/b/contents.htm"};
    EXPECT_EQ(Make().FolderHome("/b/book/ch1.htm").address, "/b/book/index.htm");
    EXPECT_EQ(Make().FolderHome("file:///b/book/ch1.htm").address, "/b/book/index.htm");
    EXPECT_EQ(Make().ParentFolderHome("/b/book/ch1.htm").address, "/b/contents.htm");
    m_files = {};
    EXPECT_EQ(Make().FolderHome("/b/book/ch1.htm").message, CIndexNavigator::kNoFolderHome);
    EXPECT_EQ(Make().ParentFolderHome("/b/book/ch1.htm").message, CIndexNavigator::kNoParentHome);
    // Network addresses go to the folder; the parent never climbs above the host.
    EXPECT_EQ(Make().FolderHome("http://h/a/b/c.htm").address, "http://h/a/b/");
    EXPECT_EQ(Make().ParentFolderHome("http://h/a/b/c.htm").address, "http://h/a/");
    EXPECT_EQ(Make().ParentFolderHome("http://h/c.htm").message, CIndexNavigator::kNoParentHome);
}

TEST(IndexNavigator, ArchiveParentStopsAtTheTop) {
    const std::string base = "http://127.0.0.1:50000/";
    EXPECT_EQ(CIndexNavigator::ArchiveParent(base + "a/b/c.htm", base).address, base + "a/");
    EXPECT_EQ(CIndexNavigator::ArchiveParent(base + "a/c.htm", base).message, CIndexNavigator::kNoArchiveParent);
    EXPECT_EQ(CIndexNavigator::ArchiveParent(base + "c.htm", base).message, CIndexNavigator::kNoArchiveParent);
    EXPECT_EQ(CIndexNavigator::ArchiveParent("", base).message, CIndexNavigator::kNoArchiveParentHome);
}

TEST(CommandLayout, EveryToolBarButtonIsAMenuCommandWithATip) {
    auto inMenus = [](const std::string& name) {
        for (const LayoutMenu& menu : MenuLayout())
            for (const LayoutItem& item : menu.items)
                if (item.kind == LayoutItem::kCommand && item.name == name) return true;
        return false;
    };
    for (const LayoutItem& item : ToolBarLayout()) {
        if (item.kind == LayoutItem::kCommand) {
            EXPECT_TRUE(inMenus(item.name)) << item.name;
        }
    }
    EXPECT_EQ(MenuLayout().size(), 5u);
    CCommandRegistry commands;
    const Command& open = commands.Add(57601, "file.open", "打开文件(&O)...", "打开本地文件\n打开文件", [] {});
    EXPECT_EQ(open.status, "打开本地文件");
    EXPECT_EQ(open.toolTip, "打开文件");
}

TEST(HttpFetch, SplitsAddressesAndMediaTypes) {
    std::string host, port, target;
    ASSERT_TRUE(CHttpFetch::SplitAddress("http://127.0.0.1:50123/a%20b/c.txt?q=1#frag", &host, &port, &target));
    EXPECT_EQ(host, "127.0.0.1");
    EXPECT_EQ(port, "50123");
    EXPECT_EQ(target, "/a%20b/c.txt?q=1");
    ASSERT_TRUE(CHttpFetch::SplitAddress("http://example.org", &host, &port, &target));
    EXPECT_EQ(port, "80");
    EXPECT_EQ(target, "/");
    EXPECT_FALSE(CHttpFetch::SplitAddress("https://example.org/", &host, &port, &target));
    EXPECT_FALSE(CHttpFetch::SplitAddress("http:///x", &host, &port, &target));
    EXPECT_EQ(CHttpFetch::MediaType(" Text/Plain ; charset=GBK"), "text/plain");
}

TEST(HttpFetch, ReadsHeadAndWholeBodyFromAServer) {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    std::string body(200000, 'x');
    std::string request;
    std::thread server([&] {
        int client = ::accept(listener, nullptr, nullptr);
        char buf[4096];
        ssize_t n = ::recv(client, buf, sizeof buf, 0);
        if (n > 0) request.assign(buf, static_cast<size_t>(n));
        std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/plain; charset=GBK\r\n\r\n" + body;
        ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
        ::close(client);
    });
    CHttpFetch fetch;
    std::string address = "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/dir/a.txt";
    ASSERT_TRUE(fetch.Open(address, 5000));
    CHttpFetch::Head head;
    ASSERT_TRUE(fetch.ReadHead(&head));
    std::string got;
    EXPECT_TRUE(fetch.ReadBody([&](const char* p, size_t n) {
        got.append(p, n);
        return true;
    }));
    server.join();
    ::close(listener);
    EXPECT_EQ(request.rfind("GET /dir/a.txt HTTP/1.0\r\n", 0), 0u);
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.contentType, "text/plain; charset=GBK");
    EXPECT_EQ(got, body);
}
