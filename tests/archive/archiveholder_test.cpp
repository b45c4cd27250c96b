// The archive holder: opening, listing, extraction by request path, threads.

#include <gtest/gtest.h>

#include <atomic>
#include <clocale>
#include <cstdlib>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "settings/parablock.h"
#include "archive/archiveholder.h"
#include "archive/archiveprompt.h"
#include "archive/passwordtable.h"
#include "ziptestutil.h"

using namespace ziptest;

namespace {

class ArchiveHolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetArchiveState(m_dir);
        SetArchiveCountIndicator([this](const std::string& text) { m_counts.push_back(text); });
        m_book = m_dir.File("novel.zip");
        ASSERT_TRUE(WriteZip(m_book, {{"a.htm", "A"}, {"novel.htm", "N"}, {"b/c.htm", "C"}, {"pic.gif", "G"},
                                      {"b/", ""}, {"z z.txt", "Z"}}));
    }
    void TearDown() override { SetArchiveCountIndicator({}); }
    static std::string CurPathInZip() { return MainParaBlock().GetString(PARA_STR_CUR_PATH_IN_ZIP); }

    TempDir m_dir;
    std::string m_book;
    std::vector<std::string> m_counts;
};

// A stand-in for the RAR reader, registered through the factory.
class FakeRarManager : public CZipManager {
public:
    void Open(const std::string& path) override
    {
        Close();
        StoreCurrentPath(path);
        SetListing({"x\\y.htm", "index.htm"}, 3);
        Sort();
        m_current = 0;
    }
    char* Extract(const std::string& name, size_t* size) override
    {
        char* b = static_cast<char*>(std::malloc(name.size()));
        std::copy(name.begin(), name.end(), b);
        *size = name.size();
        return b;
    }
};

std::string ExtractPath(CArchiveHolder& h, const std::string& request)
{
    size_t size = 0;
    char* buffer = h.ExtractByPath(request, &size);
    return Take(buffer, size);
}

}  // namespace

TEST_F(ArchiveHolderTest, OpenShowsCountsAndStoresTheFirstPage)
{
    CArchiveHolder holder;
    EXPECT_TRUE(holder.OpenArchive(m_book));
    EXPECT_EQ(m_counts, (std::vector<std::string>{"4/5"}));
    EXPECT_EQ(CurPathInZip(), "novel.htm");
    EXPECT_EQ(MainParaBlock().GetString(PARA_STR_CURRENT_PATH), m_book);
    EXPECT_EQ(holder.ArchivePath(), m_book);

    EXPECT_EQ(ExtractPath(holder, "b/c.htm"), "C");
    EXPECT_EQ(ExtractPath(holder, "z%20z.txt"), "Z");
    EXPECT_EQ(ExtractPath(holder, "pic.gif?v=2"), "G");
    EXPECT_EQ(ExtractPath(holder, "missing.htm"), "<none>");

    holder.CloseArchive();
    EXPECT_EQ(holder.ArchivePath(), "");
    EXPECT_EQ(ExtractPath(holder, "a.htm"), "<none>");
}

TEST_F(ArchiveHolderTest, NonArchivesAndEmptyArchives)
{
    CArchiveHolder holder;
    MainParaBlock().SetString(PARA_STR_CUR_PATH_IN_ZIP, "old.htm", false);
    WriteFile(m_dir.File("page.htm"), "PK\x03\x04");
    EXPECT_FALSE(holder.OpenArchive(m_dir.File("page.htm")));
    EXPECT_EQ(CurPathInZip(), "");
    EXPECT_EQ(holder.ArchivePath(), "");
    EXPECT_FALSE(holder.OpenArchive(""));

    std::string pictures = m_dir.File("pictures.zip");
    ASSERT_TRUE(WriteZip(pictures, {{"a.gif", "G"}}));
    EXPECT_FALSE(holder.OpenArchive(pictures));
    EXPECT_TRUE(m_counts.empty());
    EXPECT_EQ(CurPathInZip(), "");
    // The manager stays for extraction even though nothing is listed.
    EXPECT_EQ(ExtractPath(holder, "a.gif"), "G");

    // A RAR file without a RAR reader registered is not opened.
    WriteFile(m_dir.File("x.rar"), "Rar!\x1a\x07\x00");
    EXPECT_FALSE(holder.OpenArchive(m_dir.File("x.rar")));
    EXPECT_EQ(ExtractPath(holder, "a.gif"), "<none>");
}

TEST_F(ArchiveHolderTest, ListingUsesPlainOrderAndLeavesTheGlobalHolderAlone)
{
    ASSERT_TRUE(TheArchiveHolder().OpenArchive(m_book));
    std::vector<std::string> listBox = {"stale"};
    {
        CArchiveHolder local;
        local.ListArchive(m_book, listBox);
    }
    EXPECT_EQ(listBox, (std::vector<std::string>{"a.htm", "b/c.htm", "novel.htm", "z z.txt"}));
    EXPECT_EQ(CurPathInZip(), "");
    EXPECT_EQ(TheArchiveHolder().ArchivePath(), m_book);
    EXPECT_EQ(ExtractPath(TheArchiveHolder(), "a.htm"), "A");

    CArchiveHolder local;
    local.ListArchive(m_dir.File("missing.zip"), listBox);
    EXPECT_TRUE(listBox.empty());
    TheArchiveHolder().CloseArchive();
}

TEST_F(ArchiveHolderTest, RegisteredRarReaderIsUsedForRarFiles)
{
    RegisterRarManagerFactory([] { return std::make_unique<FakeRarManager>(); });
    WriteFile(m_dir.File("set.rar"), "Rar!\x1a\x07\x00");
    WriteFile(m_dir.File("disguised.zip"), "Rar!\x1a\x07\x00");
    CArchiveHolder holder;
    for (const char* name : {"set.rar", "disguised.zip"}) {
        m_counts.clear();
        EXPECT_TRUE(holder.OpenArchive(m_dir.File(name)));
        EXPECT_EQ(m_counts, (std::vector<std::string>{"2/3"}));
        EXPECT_EQ(CurPathInZip(), "index.htm");
        EXPECT_EQ(ExtractPath(holder, "x/y.htm"), "x/y.htm");
    }
    RegisterRarManagerFactory({});
    EXPECT_FALSE(holder.OpenArchive(m_dir.File("set.rar")));
}

TEST_F(ArchiveHolderTest, Utf8RequestFindsTheEntryInTheLocaleCodeSet)
{
    std::string got;
    {
        GbkLocale gbkLocale;
        if (!gbkLocale.Active())
            GTEST_SKIP() << "cannot build a GBK locale";
    const std::string gbk = "\xD6\xD0\xCE\xC4/\xB5\xDA\xD2\xBB\xD5\xC2.htm";  // 中文/第一章.htm
    std::string path = m_dir.File("gbk.zip");
    ASSERT_TRUE(WriteZip(path, {{gbk, "chapter one"}}));
    CArchiveHolder holder;
    holder.OpenArchive(path);
    EXPECT_EQ(CurPathInZip(), gbk);
    got = ExtractPath(holder, "%E4%B8%AD%E6%96%87/%E7%AC%AC%E4%B8%80%E7%AB%A0.htm");
    }
    EXPECT_EQ(got, "chapter one");
}

TEST_F(ArchiveHolderTest, ThreadsExtractWhileTheArchiveIsReopened)
{
    std::string second = m_dir.File("second.zip");
    ASSERT_TRUE(WriteZip(second, {{"a.htm", "A"}, {"index.htm", "I"}}));
    CArchiveHolder& holder = TheArchiveHolder();
    ASSERT_TRUE(holder.OpenArchive(m_book));
    std::atomic<int> good{0}, bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                std::string got = ExtractPath(holder, "a.htm");
                (got == "A" ? good : bad)++;
            }
        });
    }
    for (int i = 0; i < 20; ++i) {
        holder.OpenArchive(i % 2 ? m_book : second);
        std::vector<std::string> list;
        CArchiveHolder().ListArchive(second, list);
    }
    for (std::thread& t : readers)
        t.join();
    EXPECT_EQ(good + bad, 800);
    EXPECT_EQ(bad, 0);  // a.htm is "A" in both archives
    holder.CloseArchive();
}

namespace {

// A prompt that, like the main window, waits until the user-interface thread
// has answered the question.
class WaitingPrompt : public IArchivePrompt {
public:
    int AskPassword(int) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_asked = true;
        m_changed.wait(lock, [this] { return m_answer != 0; });
        int answer = m_answer;
        m_answer = 0;
        m_asked = false;
        return answer;
    }
    bool AskInsertVolume(const std::string&) override { return false; }
    // What the user-interface thread does for a pending question.
    void AnswerIfAsked(int answer)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_asked && m_answer == 0) {
            m_answer = answer;
            m_changed.notify_all();
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_asked = false;
    int m_answer = 0;
};

}  // namespace

TEST_F(ArchiveHolderTest, WaitingForTheLockAnswersThePasswordQuestion)
{
    TempDir src;
    WriteFile(src.File("locked.htm"), "locked page");
    std::string path = m_dir.File("locked.zip");
    ASSERT_TRUE(ziptest::Run("cd " + src.Path() + " && zip -q -P key " + path + " locked.htm"));
    WaitingPrompt prompt;
    SetArchivePrompt(&prompt);
    CArchiveHolder& holder = TheArchiveHolder();
    ASSERT_TRUE(holder.OpenArchive(path));

    // The main window, waiting for the lock, answers the question of the
    // thread that holds it; without that both would wait forever.
    SetArchiveLockWaitHook([&] {
        ThePasswordTable().SetPasswords({"key"});
        prompt.AnswerIfAsked(kArchivePromptOk);
    });
    std::string got;
    std::atomic<bool> done{false};
    std::thread server([&] {
        got = ExtractPath(holder, "locked.htm");
        done = true;
    });
    while (!done)
        holder.ArchivePath();  // waits whenever the server thread holds the lock
    server.join();
    SetArchiveLockWaitHook({});
    SetArchivePrompt(nullptr);
    holder.CloseArchive();
    EXPECT_EQ(got, "locked page");
}
