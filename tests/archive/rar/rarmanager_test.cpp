// CRarManager over a scripted library (password cycle, notices, volume
// prompts) and over the real reader with the generated fixtures.

#include <gtest/gtest.h>

#include <atomic>
#include <clocale>
#include <thread>
#include <cstring>

#include "settings/parablock.h"
#include "archive/archiveholder.h"
#include "archive/archiveprompt.h"
#include "archive/passwordtable.h"
#include "archive/rarencryptednotice.h"
#include "archive/rarmanager.h"
#include "archive/ziptestutil.h"
#include "rartestutil.h"

using namespace rartest;

namespace {

struct FakeEntry {
    std::string name;
    std::string data;
    unsigned flags = 0;
    bool encrypted = false;
    bool volumeBefore = false;  // its volume is missing until the user supplies it
    bool badData = false;       // half the data, then a data error
};

// A library that plays back a list of entries, with passwords checked
// against one right password.
class FakeLibrary : public IRarLibrary {
public:
    std::vector<FakeEntry> entries;
    bool encryptedHeaders = false;
    bool decrypts = true;
    std::string rightPassword = "right";
    std::vector<std::string> passwordsTried;
    std::vector<int> modes;

    std::unique_ptr<IRarArchive> OpenArchive(const std::string&, int mode, RarCallback callback, void* context,
                                             int* result) override;
    bool CanDecrypt() const override { return decrypts; }
};

class FakeArchive : public IRarArchive {
public:
    FakeArchive(FakeLibrary& library, RarCallback callback, void* context)
        : m_lib(library), m_callback(callback), m_context(context)
    {
    }
    int ReadHeader(RarHeader& header) override
    {
        RarHeaderEx ex;
        int r = ReadHeaderEx(ex);
        header = ex;
        return r;
    }
    int ReadHeaderEx(RarHeaderEx& header) override
    {
        if (m_lib.encryptedHeaders && !Unlock())
            return m_password.empty() ? kRarMissingPassword : kRarBadData;
        if (m_next >= m_lib.entries.size())
            return kRarEndArchive;
        const FakeEntry& e = m_lib.entries[m_next];
        if (e.volumeBefore &&
            m_callback(kRarChangeVolume, m_context, reinterpret_cast<intptr_t>("/media/disk/set.part2.rar"),
                       kRarVolumeAsk) != 0)
            return kRarOpenFailed;
        header = RarHeaderEx();
        header.fileName = e.name;
        header.flags = e.flags | (e.encrypted ? unsigned(kRarFlagEncrypted) : 0u);
        header.unpSize = static_cast<uint32_t>(e.data.size());
        m_current = m_next++;
        return kRarSuccess;
    }
    int ProcessFile(int operation) override
    {
        if (operation == kRarSkip)
            return kRarSuccess;
        const FakeEntry& e = m_lib.entries[m_current];
        if (e.encrypted && !Unlock())
            return m_password.empty() ? kRarMissingPassword : kRarBadData;
        size_t n = e.badData ? e.data.size() / 2 : e.data.size();
        for (size_t at = 0; at < n; at += 3)
            m_callback(kRarProcessData, m_context, reinterpret_cast<intptr_t>(e.data.data() + at),
                       static_cast<intptr_t>(std::min<size_t>(3, n - at)));
        return e.badData ? kRarBadData : kRarSuccess;
    }
    void SetCallback(RarCallback callback, void* context) override
    {
        m_callback = callback;
        m_context = context;
    }
    void SetPassword(const std::string& password) override { m_password = password; }
    int Close() override { return kRarSuccess; }

private:
    bool Unlock()
    {
        if (m_password.empty()) {
            char buffer[128] = {};
            if (m_callback(kRarNeedPassword, m_context, reinterpret_cast<intptr_t>(buffer), sizeof buffer) == 0)
                m_password = buffer;
            m_lib.passwordsTried.push_back(m_password);
        }
        return m_lib.decrypts && m_password == m_lib.rightPassword;
    }

    FakeLibrary& m_lib;
    RarCallback m_callback;
    void* m_context;
    std::string m_password;
    size_t m_next = 0;
    size_t m_current = 0;
};

std::unique_ptr<IRarArchive> FakeLibrary::OpenArchive(const std::string&, int mode, RarCallback callback,
                                                      void* context, int* result)
{
    modes.push_back(mode);
    *result = kRarSuccess;
    return std::make_unique<FakeArchive>(*this, callback, context);
}

// The main window's side: records the questions and answers as scripted.
class ScriptedPrompt : public IArchivePrompt, public IRarEncryptedNotice {
public:
    std::vector<int> kinds;
    std::vector<std::string> volumes;
    std::vector<std::string> addOnAsk;  // passwords the user adds, one per question
    bool insertVolume = false;
    int encryptedNotices = 0;

    int AskPassword(int kind) override
    {
        kinds.push_back(kind);
        if (kind == 1)
            return 0;
        if (addOnAsk.empty())
            return 2;
        auto passwords = ThePasswordTable().Passwords();
        passwords.push_back(addOnAsk.front());
        addOnAsk.erase(addOnAsk.begin());
        ThePasswordTable().SetPasswords(passwords);
        return kArchivePromptOk;
    }
    bool AskInsertVolume(const std::string& volumeName) override
    {
        volumes.push_back(volumeName);
        return insertVolume;
    }
    void ShowEncryptedRarNotice() override { ++encryptedNotices; }
};

class RarManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::setlocale(LC_ALL, "C.UTF-8");
        ziptest::ResetArchiveState(m_dir);
        SetArchivePrompt(&m_prompt);
        SetRarEncryptedNotice(&m_prompt);
        m_lib = std::make_shared<FakeLibrary>();
        m_lib->entries = {
            {"book", "", kRarFlagDirectory},
            {"book\\ch1.htm", "<p>one</p>"},
            {"index.htm", "<p>index</p>"},
            {"empty.htm", ""},
            {"pic.gif", "GIF89a"},
            {"dict.htm", "<p>dictionary bits are no directory</p>", 0x20},
        };
    }
    void TearDown() override
    {
        SetArchivePrompt(nullptr);
        SetRarEncryptedNotice(nullptr);
    }
    std::string Extract(CRarManager& manager, const std::string& name)
    {
        size_t size = 0;
        char* buffer = manager.Extract(name, &size);
        return ziptest::Take(buffer, size);
    }

    ziptest::TempDir m_dir;
    ScriptedPrompt m_prompt;
    std::shared_ptr<FakeLibrary> m_lib;
};

}  // namespace

TEST_F(RarManagerTest, ListsFilesAndFindsThemByEitherSeparatorAndCase)
{
    CRarManager manager(m_lib);
    manager.Open("/books/set.rar");
    EXPECT_EQ(manager.TotalCount(), 5);  // the directory is not counted
    EXPECT_EQ(manager.ListedCount(), 4);  // nor the picture listed
    EXPECT_EQ(manager.Entries(), (std::vector<std::string>{"dict.htm", "empty.htm", "index.htm", "book\\ch1.htm"}));
    EXPECT_EQ(manager.CurrentEntry(), 0);
    EXPECT_EQ(MainParaBlock().GetString(PARA_STR_CURRENT_PATH), "/books/set.rar");
    // The counting pass lists, the recording pass too; neither extracts.
    EXPECT_EQ(m_lib->modes, (std::vector<int>{kRarOpenList, kRarOpenList}));

    EXPECT_EQ(Extract(manager, "book/ch1.htm"), "<p>one</p>");
    EXPECT_EQ(Extract(manager, "BOOK/CH1.HTM"), "<p>one</p>");
    EXPECT_EQ(Extract(manager, "book\\ch1.htm"), "<p>one</p>");
    EXPECT_EQ(Extract(manager, "pic.gif"), "GIF89a");  // not listed, still served
    EXPECT_EQ(Extract(manager, "empty.htm"), "<none>");
    EXPECT_EQ(Extract(manager, "book"), "<none>");
    EXPECT_EQ(Extract(manager, "nothing.htm"), "<none>");
    EXPECT_EQ(Extract(manager, ""), "<none>");
    EXPECT_TRUE(m_prompt.kinds.empty());
}

TEST_F(RarManagerTest, LaterVolumeOfSolidSetShowsTheNotice)
{
    m_lib->entries[0].flags = kRarFlagSolid | kRarFlagSplitBefore;
    CRarManager manager(m_lib);
    manager.Open("/books/set.part2.rar");
    EXPECT_FALSE(manager.HasEntries());
    EXPECT_EQ(m_prompt.kinds, (std::vector<int>{1}));  // once, not once per pass

    m_prompt.kinds.clear();
    m_lib->entries.clear();  // an archive that ends at once
    manager.Open("/books/empty.rar");
    EXPECT_FALSE(manager.HasEntries());
    EXPECT_EQ(m_prompt.kinds, (std::vector<int>{1}));
}

TEST_F(RarManagerTest, EncryptedHeadersAskAtOnceThenUseTheAddedPassword)
{
    m_lib->encryptedHeaders = true;
    m_prompt.addOnAsk = {"right"};
    CRarManager manager(m_lib);
    manager.Open("/books/locked.rar");
    ASSERT_TRUE(manager.HasEntries());
    EXPECT_EQ(manager.ListedCount(), 4);
    // The empty table gives the empty password; the dialog comes at once;
    // the recording pass finds the index on the working password.
    EXPECT_EQ(m_prompt.kinds, (std::vector<int>{0}));
    EXPECT_EQ(m_lib->passwordsTried, (std::vector<std::string>{"", "right", "right"}));
    EXPECT_EQ(Extract(manager, "index.htm"), "<p>index</p>");
    EXPECT_EQ(m_prompt.kinds.size(), 1u);

    // Cancelling the dialog leaves the archive empty.
    m_lib->rightPassword = "other";
    m_lib->passwordsTried.clear();
    manager.Open("/books/locked.rar");
    EXPECT_FALSE(manager.HasEntries());
    EXPECT_EQ(m_prompt.kinds, (std::vector<int>{0, 0}));
}

TEST_F(RarManagerTest, PasswordCycleStartsAtTheCurrentIndexAndStaysOnTheWinner)
{
    for (auto& e : m_lib->entries)
        e.encrypted = true;
    m_lib->rightPassword = "p0";
    ThePasswordTable().SetPasswords({"p0", "p1", "p2"});
    ThePasswordTable().SetCurrentIndex(1);
    CRarManager manager(m_lib);
    manager.Open("/books/set.rar");
    ASSERT_TRUE(manager.HasEntries());  // names of encrypted files are readable

    EXPECT_EQ(Extract(manager, "index.htm"), "<p>index</p>");
    EXPECT_EQ(m_lib->passwordsTried, (std::vector<std::string>{"p1", "p2", "p0"}));
    EXPECT_EQ(ThePasswordTable().CurrentIndex(), 0);
    EXPECT_TRUE(m_prompt.kinds.empty());

    // The next entry starts with the password that worked.
    m_lib->passwordsTried.clear();
    EXPECT_EQ(Extract(manager, "book/ch1.htm"), "<p>one</p>");
    EXPECT_EQ(m_lib->passwordsTried, (std::vector<std::string>{"p0"}));

    // No password fits: the table goes round once, the user is asked, and
    // a cancelled dialog means not found.
    m_lib->rightPassword = "none of them";
    m_lib->passwordsTried.clear();
    EXPECT_EQ(Extract(manager, "index.htm"), "<none>");
    EXPECT_EQ(m_lib->passwordsTried, (std::vector<std::string>{"p0", "p1", "p2"}));
    EXPECT_EQ(m_prompt.kinds, (std::vector<int>{0}));
}

TEST_F(RarManagerTest, UndecryptableArchivesAreReportedOnceAndNeverCycle)
{
    m_lib->decrypts = false;
    m_lib->entries[2].encrypted = true;  // index.htm
    ThePasswordTable().SetPasswords({"p0", "p1"});
    CRarManager manager(m_lib);
    manager.Open("/books/set.rar");
    // The readable files are listed; the locked one is counted only.
    EXPECT_EQ(manager.Entries(), (std::vector<std::string>{"dict.htm", "empty.htm", "book\\ch1.htm"}));
    EXPECT_EQ(manager.TotalCount(), 5);
    EXPECT_EQ(m_prompt.encryptedNotices, 1);
    EXPECT_EQ(Extract(manager, "index.htm"), "<none>");
    EXPECT_EQ(Extract(manager, "book/ch1.htm"), "<p>one</p>");
    EXPECT_TRUE(m_prompt.kinds.empty());
    EXPECT_EQ(m_lib->passwordsTried.size(), 1u);  // the one attempt of the extraction
    EXPECT_EQ(m_prompt.encryptedNotices, 1);

    m_lib->encryptedHeaders = true;
    manager.Open("/books/locked.rar");
    EXPECT_FALSE(manager.HasEntries());
    EXPECT_EQ(m_prompt.encryptedNotices, 2);
    EXPECT_TRUE(m_prompt.kinds.empty());
}

TEST_F(RarManagerTest, MissingVolumeIsAskedForWhileListingOnly)
{
    m_lib->entries[4].volumeBefore = true;  // pic.gif and what follows lie in the second volume
    CRarManager manager(m_lib);
    manager.Open("/books/set.part1.rar");
    // Asked in the counting pass with the whole file name; Cancel ends the
    // listing there. The recording pass never asks.
    EXPECT_EQ(m_prompt.volumes, (std::vector<std::string>{"set.part2.rar"}));
    EXPECT_EQ(manager.Entries(), (std::vector<std::string>{"empty.htm", "index.htm", "book\\ch1.htm"}));

    m_prompt.volumes.clear();
    m_prompt.insertVolume = true;
    manager.Open("/books/set.part1.rar");
    EXPECT_EQ(m_prompt.volumes.size(), 1u);
    EXPECT_EQ(manager.ListedCount(), 3);  // the recording pass was refused the volume

    m_prompt.volumes.clear();
    EXPECT_EQ(Extract(manager, "dict.htm"), "<none>");
    EXPECT_TRUE(m_prompt.volumes.empty());

    const std::string longName(300, 'v');
    EXPECT_EQ(RarInsertVolumeText(longName + ".part2.rar"),
              "请插入包含 " + longName + ".part2.rar 的盘并点“确定”，或点“放弃”退出。");
}

TEST_F(RarManagerTest, DamagedDataIsNotHandedOut)
{
    m_lib->entries[2].badData = true;
    CRarManager manager(m_lib);
    manager.Open("/books/set.rar");
    EXPECT_EQ(Extract(manager, "index.htm"), "<none>");
    EXPECT_TRUE(m_prompt.kinds.empty());
}

TEST_F(RarManagerTest, RealArchivesThroughTheHolder)
{
    RegisterRarManager();
    CArchiveHolder holder;
    auto serve = [&holder](const std::string& path) {
        size_t size = 0;
        char* buffer = holder.ExtractByPath(path, &size);
        return ziptest::Take(buffer, size);
    };
    ASSERT_TRUE(holder.OpenArchive(Fixture("basic.rar")));
    EXPECT_EQ(MainParaBlock().GetString(PARA_STR_CUR_PATH_IN_ZIP), "index.htm");
    std::string page = serve("book/ch1.htm");
    EXPECT_NE(page.find("first chapter"), std::string::npos);
    EXPECT_EQ(serve("empty.htm"), "<none>");
    EXPECT_EQ(serve("pic.gif").substr(0, 6), "GIF89a");

    // A RAR 5 volume set, read through all its volumes; then a ".zip" that is really a solid RAR.
    ziptest::TempDir dir;
    WriteBytes(dir.File("set.part1.rar"), ReadBytes(Fixture("vol5.part1.rar")));
    WriteBytes(dir.File("set.part2.rar"), ReadBytes(Fixture("vol5.part2.rar")));
    ASSERT_TRUE(holder.OpenArchive(dir.File("set.part1.rar")));
    EXPECT_EQ(serve("big.htm").size(), 5000u);

    WriteBytes(dir.File("book.zip"), ReadBytes(Fixture("solid.rar")));
    ASSERT_TRUE(holder.OpenArchive(dir.File("book.zip")));
    EXPECT_NE(serve("BOOK/CH2.HTM").find("second"), std::string::npos);

    EXPECT_FALSE(holder.OpenArchive(Fixture("solidvol.part2.rar")));
    EXPECT_EQ(m_prompt.kinds, (std::vector<int>{1}));
    // Its first file continues one of the first volume without a solid bit of
    // its own; the archive header tells.
    EXPECT_FALSE(holder.OpenArchive(Fixture("solidvol5.part2.rar")));
    EXPECT_EQ(m_prompt.kinds, (std::vector<int>{1, 1}));
    ASSERT_TRUE(holder.OpenArchive(Fixture("solidvol5.part1.rar")));
    EXPECT_EQ(serve("big.htm").size(), 5000u);

    EXPECT_TRUE(holder.OpenArchive(Fixture("encrypted.rar")));
    EXPECT_EQ(m_prompt.encryptedNotices, 1);
    EXPECT_EQ(serve("secret.htm"), "<none>");
    EXPECT_EQ(m_prompt.kinds, (std::vector<int>{1, 1}));

    EXPECT_FALSE(holder.OpenArchive(Fixture("enchead5.rar")));
    EXPECT_EQ(m_prompt.encryptedNotices, 2);
    holder.CloseArchive();
}

TEST_F(RarManagerTest, RealVolumeSetWithItsSecondVolumeMissing)
{
    WriteBytes(m_dir.File("set.part1.rar"), ReadBytes(Fixture("volumes.part1.rar")));
    CRarManager manager;
    manager.Open(m_dir.File("set.part1.rar"));
    // Asked once, while counting; Cancel keeps what was found before.
    EXPECT_EQ(m_prompt.volumes, (std::vector<std::string>{"set.part2.rar"}));
    EXPECT_EQ(manager.Entries(), (std::vector<std::string>{"a.htm", "big.htm"}));
    EXPECT_NE(Extract(manager, "a.htm").find("first volume"), std::string::npos);
    EXPECT_EQ(Extract(manager, "big.htm"), "<none>");
    EXPECT_EQ(m_prompt.volumes.size(), 1u);  // extraction never asks

    // With the volume in place the split file is whole again.
    WriteBytes(m_dir.File("set.part2.rar"), ReadBytes(Fixture("volumes.part2.rar")));
    EXPECT_EQ(Extract(manager, "BIG.HTM").size(), 5000u);
}

// Server threads extract through the holder at once; separate handles of
// the reader share nothing, so they may even run without the lock.
TEST_F(RarManagerTest, ConcurrentExtraction)
{
    RegisterRarManager();
    CArchiveHolder holder;
    ASSERT_TRUE(holder.OpenArchive(Fixture("volumes.part1.rar")));
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 10; ++i) {
                size_t size = 0;
                char* data = holder.ExtractByPath(i % 2 ? "big.htm" : "c.htm", &size);
                good += data && size == (i % 2 ? 5000u : 70u);
                std::free(data);
                Walk walk;
                WalkArchive(*TheRarLibrary(), Fixture(t % 2 ? "vol5.part1.rar" : "solid.rar"), walk);
                good += walk.endResult == kRarEndArchive;
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(good.load(), 80);
    holder.CloseArchive();
}
