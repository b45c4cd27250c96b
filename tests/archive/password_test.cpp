// The password table and the password cycle, on a probe and on encrypted archives.

#include <gtest/gtest.h>

#include "settings/parablock.h"
#include "archive/archiveprompt.h"
#include "archive/passwordtable.h"
#include "archive/zipmanager.h"
#include "ziptestutil.h"

using namespace ziptest;

namespace {

class FakePrompt : public IArchivePrompt {
public:
    int AskPassword(int kind) override
    {
        ++asks;
        lastKind = kind;
        return onAsk ? onAsk() : 2;
    }
    bool AskInsertVolume(const std::string&) override { return false; }
    std::function<int()> onAsk;
    int asks = 0;
    int lastKind = -1;
};

// Exposes the cycle with an attempt that records every password it is given.
class CycleProbe : public CZipManager {
public:
    using CZipManager::PasswordAttempt;
    using CZipManager::TryPasswords;
    bool Try(const std::string& right)
    {
        return TryPasswords([&](const std::string& password) {
            tried.push_back(password);
            return password == right ? PasswordAttempt::Finished : PasswordAttempt::WrongPassword;
        });
    }
    std::vector<std::string> tried;
};

class PasswordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetArchiveState(m_dir);
        SetArchivePrompt(&m_prompt);
    }
    void TearDown() override { SetArchivePrompt(nullptr); }
    std::string Extract(CZipManager& m, const std::string& name)
    {
        size_t size = 0;
        char* buffer = m.Extract(name, &size);
        return Take(buffer, size);
    }
    TempDir m_dir;
    FakePrompt m_prompt;
};

}  // namespace

TEST(PasswordTable, IndexWrapsAndSurvivesShrinking)
{
    CPasswordTable t;
    EXPECT_EQ(t.CurrentPassword(), "");
    EXPECT_EQ(t.Advance(), 0);
    t.SetPasswords({"p0", "p1", "p2"});
    EXPECT_EQ(t.Advance(), 1);
    EXPECT_EQ(t.Advance(), 2);
    EXPECT_EQ(t.Advance(), 0);
    t.SetCurrentIndex(2);
    t.SetPasswords({"q0"});  // a reload keeps the index even when it is now outside
    EXPECT_EQ(t.CurrentIndex(), 2);
    EXPECT_EQ(t.PasswordAt(2), "");
    EXPECT_EQ(t.CurrentPassword(), "q0");
    EXPECT_EQ(t.CurrentIndex(), 0);
}

TEST_F(PasswordTest, CycleStartsAtTheCurrentIndexAndStaysWhereItWorked)
{
    ThePasswordTable().SetPasswords({"p0", "p1", "p2"});
    ThePasswordTable().SetCurrentIndex(1);
    CycleProbe probe;
    EXPECT_TRUE(probe.Try("p0"));
    EXPECT_EQ(probe.tried, (std::vector<std::string>{"p1", "p2", "p0"}));
    EXPECT_EQ(m_prompt.asks, 0);
    EXPECT_EQ(ThePasswordTable().CurrentIndex(), 0);

    probe.tried.clear();
    EXPECT_TRUE(probe.Try("p0"));
    EXPECT_EQ(probe.tried, (std::vector<std::string>{"p0"}));
}

TEST_F(PasswordTest, AsksWhenTheCycleComesBackAndGoesOnAfterOk)
{
    ThePasswordTable().SetPasswords({"p0", "p1", "p2"});
    ThePasswordTable().SetCurrentIndex(1);
    int round = 0;
    m_prompt.onAsk = [&] {
        // The dialog saved a table with the right password in it.
        if (++round == 2)
            ThePasswordTable().SetPasswords({"new", "p1", "p2"});
        return kArchivePromptOk;
    };
    CycleProbe probe;
    EXPECT_TRUE(probe.Try("new"));
    EXPECT_EQ(probe.tried, (std::vector<std::string>{"p1", "p2", "p0", "p1", "p2", "p0", "p1", "p2", "new"}));
    EXPECT_EQ(m_prompt.asks, 2);
    EXPECT_EQ(m_prompt.lastKind, 0);
    EXPECT_EQ(ThePasswordTable().CurrentIndex(), 0);
}

TEST_F(PasswordTest, EmptyTableAsksAtOnceAndCancelEndsTheCycle)
{
    CycleProbe probe;
    EXPECT_FALSE(probe.Try("x"));
    EXPECT_EQ(probe.tried, (std::vector<std::string>{""}));
    EXPECT_EQ(m_prompt.asks, 1);

    // Without a prompt nobody can be asked: the cycle ends as if cancelled.
    SetArchivePrompt(nullptr);
    ThePasswordTable().SetPasswords({"a", "b"});
    probe.tried.clear();
    EXPECT_FALSE(probe.Try("x"));
    EXPECT_EQ(probe.tried, (std::vector<std::string>{"a", "b"}));
}

TEST_F(PasswordTest, TableShrunkDuringTheCycleStillReachesTheQuestion)
{
    ThePasswordTable().SetPasswords({"p0", "p1", "p2", "p3"});
    ThePasswordTable().SetCurrentIndex(1);
    CycleProbe probe;
    int calls = 0;
    bool ok = probe.TryPasswords([&](const std::string& pw) {
        if (++calls == 2)
            ThePasswordTable().SetPasswords({"p0"});
        (void)pw;
        return calls > 50 ? CycleProbe::PasswordAttempt::Finished : CycleProbe::PasswordAttempt::WrongPassword;
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(m_prompt.asks, 1);
    EXPECT_EQ(calls, 2);
}

TEST_F(PasswordTest, TraditionalAndAesEntries)
{
    TempDir src;
    WriteFile(src.File("page.htm"), std::string(3000, 'p'));
    WriteFile(src.File("s.txt"), "tiny");
    std::string trad = m_dir.File("trad.zip");
    std::string aes = m_dir.File("aes.zip");
    ASSERT_TRUE(ziptest::Run("cd " + src.Path() + " && zip -q -P secret " + trad + " page.htm s.txt"));
    // bsdtar writes AE-1 for page.htm and AE-2 (no CRC) for the tiny s.txt.
    ASSERT_TRUE(ziptest::Run("cd " + src.Path() + " && bsdtar --format zip --options zip:encryption=aes256 "
                    "--passphrase secret -cf " + aes + " page.htm s.txt"));
    ThePasswordTable().SetPasswords({"a", "b", "secret", "z"});

    for (const std::string& path : {trad, aes}) {
        ThePasswordTable().SetCurrentIndex(3);
        CZipManager m;
        m.Open(path);
        ASSERT_EQ(m.ListedCount(), 2) << path;
        EXPECT_EQ(Extract(m, "page.htm"), std::string(3000, 'p')) << path;
        EXPECT_EQ(ThePasswordTable().CurrentIndex(), 2);
        EXPECT_EQ(Extract(m, "s.txt"), "tiny") << path;
        EXPECT_EQ(m_prompt.asks, 0);
        // Decrypted entries are not kept: each read goes through the password.
        EXPECT_EQ(m.EntryCache().Count(), 0u) << path;
    }
}

TEST_F(PasswordTest, WrongPasswordsAskAndTheAnswerDecides)
{
    TempDir src;
    WriteFile(src.File("page.htm"), "secret page");
    WriteFile(src.File("open.htm"), "open page");
    std::string trad = m_dir.File("t.zip");
    ASSERT_TRUE(ziptest::Run("cd " + src.Path() + " && zip -q -P right " + trad + " page.htm"));
    ASSERT_TRUE(ziptest::Run("cd " + src.Path() + " && zip -q " + trad + " open.htm"));
    ThePasswordTable().SetPasswords({"w1", "w2"});
    CZipManager m;
    m.Open(trad);

    EXPECT_EQ(Extract(m, "open.htm"), "open page");
    EXPECT_EQ(m_prompt.asks, 0);

    EXPECT_EQ(Extract(m, "page.htm"), "<none>");
    EXPECT_EQ(m_prompt.asks, 1);

    m_prompt.onAsk = [] {
        ThePasswordTable().SetPasswords({"right", "w1", "w2"});
        return kArchivePromptOk;
    };
    EXPECT_EQ(Extract(m, "page.htm"), "secret page");
    EXPECT_EQ(m_prompt.asks, 2);
    EXPECT_EQ(ThePasswordTable().PasswordAt(ThePasswordTable().CurrentIndex()), "right");
}
