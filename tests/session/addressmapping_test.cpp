// Address mapping: archives to loopback addresses with the real holder and
// server, loopback addresses back to what the user sees, leaving an archive.

#include "session/addressmapping.h"
#include "settings/loopback.h"
#include "settings/parablock.h"
#include "session/startupcore.h"
#include "archive/archiveholder.h"
#include "platform/codepage.h"
#include "platform/modulepath.h"
#include "support/loopbackclient.h"
#include "server/pageserver.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <zip.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;
using testing_support::Exchange;

namespace {

void WriteZip(const std::string& path, const std::map<std::string, std::string>& entries)
{
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    ASSERT_NE(z, nullptr);
    for (const auto& [name, data] : entries) {
        zip_source_t* src = zip_source_buffer(z, data.data(), data.size(), 0);
        ASSERT_GE(zip_file_add(z, name.c_str(), src, ZIP_FL_ENC_RAW), 0);
    }
    ASSERT_EQ(zip_close(z), 0);
}

std::string Body(const std::string& response)
{
    const size_t end = response.find("\r\n\r\n");
    return end == std::string::npos ? "<no body>" : response.substr(end + 4);
}

// GET for a full loopback address through a real socket.
std::string Fetch(const std::string& address)
{
    const std::string base = LoopbackBase();
    return Body(Exchange(static_cast<uint16_t>(LoopbackPort()),
                         {"GET /" + address.substr(base.size()) + " HTTP/1.1\r\n\r\n"}));
}

class AddressMappingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/pagora-addrmap-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        platform::SetProfileFolderForTesting(m_dir);
        m_ini = m_dir + "/reader.ini";
        MainParaBlock().SetLocation(kParaBlockSection, &m_ini);
        MainParaBlock().Reset(false);
        SetRefreshBarsHook([this] { ++m_refreshes; });
    }
    void TearDown() override
    {
        server::ThePageServer().Shutdown();
        TheArchiveHolder().CloseArchive();
        ClearPendingArchive();
        SetRefreshBarsHook({});
        MainParaBlock().SetLocation(kParaBlockSection, nullptr);
        platform::SetProfileFolderForTesting("");
        fs::remove_all(m_dir);
    }

    std::string m_dir;
    std::string m_ini;
    int m_refreshes = 0;
};

} // namespace

TEST_F(AddressMappingTest, ArchiveOpensAtItsFirstPageOnTheLoopbackServer)
{
    const std::string book = m_dir + "/Novel.ZIP";
    WriteZip(book, {{"a.htm", "<p>a</p>"}, {"novel.htm", "<p>novel</p>"}, {"b/c.htm", "<p>c</p>"}, {"pic.gif", "GIF89a"}});

    const std::string address = ArchiveStartAddress(book);
    ASSERT_TRUE(server::ThePageServer().IsRunning());
    EXPECT_EQ(server::ThePageServer().Port(), LoopbackPort());
    EXPECT_EQ(server::ThePageServer().DefaultDocument(), "index.htm");
    EXPECT_EQ(server::ThePageServer().ClientTimeout(), 10000u);
    EXPECT_EQ(address, LoopbackBase() + "novel.htm");
    EXPECT_EQ(MainParaBlock().GetString(CParaBlock::PARA_STR_CURRENT_PATH), book);
    EXPECT_EQ(PendingArchive(), book);
    EXPECT_EQ(m_refreshes, 1);

    EXPECT_EQ(Fetch(address), "<p>novel</p>");
    EXPECT_EQ(Fetch(LoopbackBase() + "pic.gif"), "GIF89a"); // not listed, still served
    EXPECT_EQ(Fetch(LoopbackBase() + "b/missing.htm"), "404 Resource not found");

    // A file address names the same archive; the running server is kept.
    const int port = LoopbackPort();
    EXPECT_EQ(ArchiveStartAddress("file://" + m_dir + "/Novel.ZIP"), LoopbackBase() + "novel.htm");
    EXPECT_EQ(LoopbackPort(), port);
}

TEST_F(AddressMappingTest, ServerLaunchedAheadServesTheFirstPageAndStopsOnLeaving)
{
    const std::string book = m_dir + "/ahead.zip";
    WriteZip(book, {{"index.htm", "<p>i</p>"}});
    // The launch runs beside the caller; asking for the first page waits for
    // it instead of launching a second server.
    LaunchPageServerAhead();
    LaunchPageServerAhead();
    const std::string address = ArchiveStartAddress(book);
    ASSERT_TRUE(server::ThePageServer().IsRunning());
    EXPECT_EQ(address, LoopbackBase() + "index.htm");
    EXPECT_EQ(Fetch(address), "<p>i</p>");

    // Leaving an archive while a launch ahead may still run waits for it, then stops the server.
    LeaveArchiveIfOutside("file:///elsewhere.htm");
    EXPECT_FALSE(server::ThePageServer().IsRunning());
    LaunchPageServerAhead();
    EXPECT_TRUE(LeaveArchiveIfOutside("file:///elsewhere.htm"));
    EXPECT_FALSE(server::ThePageServer().IsRunning());
}

TEST_F(AddressMappingTest, DocumentsWithoutPagesGiveNoAddress)
{
    const std::string book = m_dir + "/book.zip";
    WriteZip(book, {{"index.htm", "<p>i</p>"}});
    ASSERT_FALSE(ArchiveStartAddress(book).empty());
    m_refreshes = 0;

    // No archive: the current archive stays, nothing is refreshed.
    for (const std::string& doc : {m_dir + "/page.htm", std::string("http://example.com/a.zip"), std::string("a.zip"),
                                  std::string("")}) {
        EXPECT_EQ(ArchiveStartAddress(doc), "") << doc;
        EXPECT_EQ(TheArchiveHolder().ArchivePath(), book) << doc;
    }
    EXPECT_EQ(m_refreshes, 0);

    // An archive without any document entry, or a damaged one: empty, bars refreshed.
    const std::string pictures = m_dir + "/pictures.zip";
    WriteZip(pictures, {{"c.gif", "GIF89a"}, {"dir/", ""}});
    EXPECT_EQ(ArchiveStartAddress(pictures), "");
    EXPECT_EQ(m_refreshes, 1);
    const std::string broken = m_dir + "/broken.maff";
    FILE* f = std::fopen(broken.c_str(), "wb");
    std::fputs("PK\x03\x04 this is no archive", f);
    std::fclose(f);
    EXPECT_EQ(ArchiveStartAddress(broken), "");
    EXPECT_EQ(m_refreshes, 2);
    EXPECT_EQ(MainParaBlock().GetString(CParaBlock::PARA_STR_CUR_PATH_IN_ZIP), "");
}

TEST_F(AddressMappingTest, LoopbackAddressesAreShownWithoutTheBase)
{
    SetLoopbackPort(50000);
    EXPECT_TRUE(IsLoopbackAddress("http://127.0.0.1:50000/book/ch1.htm"));
    EXPECT_FALSE(IsLoopbackAddress("http://127.0.0.1:50001/book/ch1.htm"));
    EXPECT_FALSE(IsLoopbackAddress("http://localhost:50000/book/ch1.htm"));
    EXPECT_FALSE(IsLoopbackAddress("x http://127.0.0.1:50000/"));

    EXPECT_EQ(TitleFromBrowserTitle("http://127.0.0.1:50000/book/ch1.htm"), "book/ch1.htm");
    EXPECT_EQ(TitleFromBrowserTitle("Chapter http://127.0.0.1:50000/a.htm - x"), "a.htm - x");
    EXPECT_EQ(TitleFromBrowserTitle("Chapter One"), "Chapter One");
    EXPECT_EQ(TitleFromBrowserTitle("http://127.0.0.1:50001/a.htm"), "http://127.0.0.1:50001/a.htm");

    EXPECT_EQ(StatusFromBrowserStatus("Shortcut to http://127.0.0.1:50000/b/c.htm now"), "Shortcut to b/c.htm now");
    EXPECT_EQ(StatusFromBrowserStatus("http://127.0.0.1:50000/x http://127.0.0.1:50000/y"),
              "x http://127.0.0.1:50000/y");
    EXPECT_EQ(StatusFromBrowserStatus("Loading"), "Loading");
    EXPECT_EQ(StatusFromBrowserStatus(""), IdleStatusText());

    EXPECT_EQ(ArchiveEntryCandidates("http://127.0.0.1:50000/a/b\\c.htm"),
              (std::vector<std::string>{"a/b\\c.htm", "a\\b\\c.htm", "a/b/c.htm"}));
    EXPECT_TRUE(ArchiveEntryCandidates("file:///tmp/a.htm").empty());
}

TEST_F(AddressMappingTest, LeavingTheArchiveStopsTheServerAndTheNextOneStartsIt)
{
    const std::string book = m_dir + "/book.zip";
    WriteZip(book, {{"index.htm", "<p>i</p>"}, {"two.htm", "<p>2</p>"}});
    const std::string address = ArchiveStartAddress(book);
    ASSERT_FALSE(address.empty());
    m_refreshes = 0;

    // Pages of the archive keep the server and are recorded as the page in it.
    EXPECT_FALSE(OnNavigationCompleted(LoopbackBase() + "two.htm"));
    EXPECT_TRUE(server::ThePageServer().IsRunning());
    EXPECT_EQ(MainParaBlock().GetString(CParaBlock::PARA_STR_CUR_PATH_IN_ZIP), LoopbackBase() + "two.htm");

    // A local page leaves it.
    const std::string local = m_dir + "/page.htm";
    EXPECT_TRUE(OnNavigationCompleted(local));
    EXPECT_FALSE(server::ThePageServer().IsRunning());
    EXPECT_EQ(MainParaBlock().GetString(CParaBlock::PARA_STR_CUR_PATH_IN_ZIP), "");
    EXPECT_EQ(MainParaBlock().GetString(CParaBlock::PARA_STR_CURRENT_PATH), local);
    EXPECT_EQ(m_refreshes, 1);
    EXPECT_FALSE(LeaveArchiveIfOutside(local)); // nothing left to leave

    // Somebody else takes the old port meanwhile: the next archive gets a new one.
    const int oldPort = LoopbackPort();
    const int blocker = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(oldPort));
    const int one = 1;
    setsockopt(blocker, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    // A reader started beside this test may have taken the freed port first:
    // then it is taken by somebody else already.
    if (bind(blocker, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
        ASSERT_EQ(listen(blocker, 1), 0);
    else
        ASSERT_EQ(errno, EADDRINUSE);

    const std::string again = ArchiveStartAddress(book);
    EXPECT_TRUE(server::ThePageServer().IsRunning());
    EXPECT_NE(LoopbackPort(), oldPort);
    EXPECT_EQ(again, LoopbackBase() + "index.htm");
    EXPECT_EQ(Fetch(again), "<p>i</p>");
    close(blocker);
}

TEST_F(AddressMappingTest, ChineseNamedChaptersOfAGbkBookAreServedForUtf8Requests)
{
    // The sample book as zipped on Chinese Windows: GBK names without the
    // UTF-8 flag; the browser asks for its links in UTF-8 escapes.
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    const std::string book = m_dir + "/竹林小记.zip";
    fs::copy_file(std::string(PAGORA_SOURCE_DIR) + "/samples/gbk-book.zip", book);

    const std::string address = ArchiveStartAddress(book);
    EXPECT_EQ(address, LoopbackBase() + "index.htm");
    const auto get = [](const std::string& path) {
        return Exchange(static_cast<uint16_t>(LoopbackPort()), {"GET /" + path + " HTTP/1.1\r\n\r\n"});
    };
    const std::string gbkChapter = platform::ConvertCodeSet("清晨进山", "UTF-8", "GBK");
    const std::string chapter = get("%E7%AC%AC%E4%B8%80%E7%AB%A0.htm");  // 第一章.htm
    EXPECT_EQ(chapter.rfind("HTTP/1.0 200", 0), 0u) << chapter.substr(0, 40);
    EXPECT_NE(Body(chapter).find(gbkChapter), std::string::npos);
    // A page in a Chinese folder, and a style sheet with a Chinese name.
    EXPECT_NE(Body(get("%E9%99%84%E5%BD%95/%E5%90%8E%E8%AE%B0.htm")).find("</html>"), std::string::npos);
    EXPECT_EQ(get("%E6%A0%B7%E5%BC%8F.css").rfind("HTTP/1.0 200", 0), 0u);
    // The stored GBK bytes, escaped, still reach the entry; a name not in it does not.
    EXPECT_NE(Body(get("%B5%DA%D2%BB%D5%C2.htm")).find(gbkChapter), std::string::npos);
    EXPECT_EQ(Body(get("%E7%AC%AC%E4%B8%89%E7%AB%A0.htm")), "404 Resource not found");
    std::setlocale(LC_CTYPE, saved.c_str());
}
