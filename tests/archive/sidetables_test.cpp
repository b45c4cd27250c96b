// The side files and the two dialog models that edit them.

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include "archive/homenamedialogmodel.h"
#include "archive/homenames.h"
#include "archive/passworddialogmodel.h"
#include "archive/passwordtable.h"
#include "archive/sidelist.h"
#include "ziptestutil.h"

using namespace ziptest;

namespace {

// Records what a dialog showed; answers Yes/No questions from a queue.
class FakeFeedback : public IDialogFeedback {
public:
    void Beep(BeepKind kind) override { events.push_back(kind == BeepKind::Plain ? "beep" : "default-beep"); }
    void ShowMessage(const std::string& text) override { events.push_back("msg:" + text); }
    bool AskYesNo(const std::string& text) override
    {
        events.push_back("ask:" + text);
        bool yes = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.erase(answers.begin());
        return yes;
    }
    std::vector<std::string> events;
    std::vector<bool> answers;
};

class SideTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetArchiveState(m_dir);
        m_pwd = m_dir.File("Pagora.pwd");
        m_zhp = m_dir.File("Pagora.zhp");
    }
    TempDir m_dir;
    std::string m_pwd, m_zhp;
    FakeFeedback m_fb;
};

}  // namespace

TEST_F(SideTablesTest, SideFilesReadTrimmedLinesAndWriteCrLf)
{
    WriteFile(m_pwd, "  one \r\n\r\n\ttwo\n   \nthree four  \r\nlast");
    std::vector<std::string> list = {"stale"};
    LoadSideList(list, m_pwd);
    EXPECT_EQ(list, (std::vector<std::string>{"one", "two", "three four", "last"}));

    ASSERT_TRUE(SaveSideList({"b", "", "a"}, m_pwd));
    EXPECT_EQ(ReadFile(m_pwd), "b\r\na\r\n");

    LoadSideList(list, m_dir.File("missing.pwd"));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(SaveSideList({"x"}, m_dir.File("no/such/folder.pwd")));
}

TEST_F(SideTablesTest, StartUpLoadsTablesAndDefaultsTheHomeNames)
{
    WriteFile(m_pwd, "p1\r\np2\r\n");
    ThePasswordTable().SetCurrentIndex(1);
    LoadArchiveTables(m_pwd, m_zhp);
    EXPECT_EQ(ThePasswordTable().Passwords(), (std::vector<std::string>{"p1", "p2"}));
    EXPECT_EQ(ThePasswordTable().CurrentIndex(), 1);
    EXPECT_EQ(TheHomeNames().Names(), (std::vector<std::string>{"start", "index", "default", "content", "contents"}));
    EXPECT_FALSE(std::ifstream(m_zhp).good());

    WriteFile(m_zhp, "cover\n");
    LoadArchiveTables(m_pwd, m_zhp);
    EXPECT_EQ(TheHomeNames().Names(), (std::vector<std::string>{"cover"}));
}

TEST_F(SideTablesTest, PasswordDialogAddsDeletesAndSavesSorted)
{
    WriteFile(m_pwd, "zeta\r\nAlpha\r\n");
    ThePasswordTable().SetPasswords({"in memory only"});
    CPasswordDialogModel dlg(m_pwd, false, m_fb);
    dlg.Open();
    EXPECT_EQ(dlg.Items(), (std::vector<std::string>{"Alpha", "zeta"}));
    EXPECT_FALSE(dlg.Changed());

    dlg.SetEditText("   ");
    EXPECT_EQ(dlg.Add(), DialogOutcome::StayOpen);
    dlg.SetEditText("  abc  ");
    dlg.Add();
    EXPECT_EQ(dlg.EditText(), "");
    dlg.SetEditText("abc");
    dlg.Add();
    EXPECT_EQ(dlg.EditText(), "");
    dlg.SetEditText("ABC");  // passwords are case-sensitive
    dlg.Add();
    EXPECT_EQ(dlg.Items(), (std::vector<std::string>{"ABC", "abc", "Alpha", "zeta"}));
    EXPECT_TRUE(dlg.Changed());

    dlg.Delete();
    dlg.Select(3);
    m_fb.answers = {false, true};
    dlg.Delete();
    EXPECT_EQ(dlg.Items().size(), 4u);
    dlg.Delete();
    EXPECT_EQ(dlg.Items(), (std::vector<std::string>{"ABC", "abc", "Alpha"}));
    EXPECT_EQ(m_fb.events, (std::vector<std::string>{"beep", "msg:密码表中已经有此密码。",
                                                      "msg:请先在列表中选择要删除的密码。", "ask:您真的想删除此密码吗？",
                                                      "ask:您真的想删除此密码吗？"}));

    EXPECT_EQ(dlg.Save(), DialogOutcome::Ok);
    EXPECT_FALSE(dlg.Changed());
    EXPECT_EQ(ReadFile(m_pwd), "ABC\r\nabc\r\nAlpha\r\n");
    EXPECT_EQ(ThePasswordTable().Passwords(), (std::vector<std::string>{"ABC", "abc", "Alpha"}));
}

TEST_F(SideTablesTest, PasswordDialogClosing)
{
    CPasswordDialogModel dlg(m_pwd, false, m_fb);
    dlg.Open();
    EXPECT_EQ(dlg.Cancel(), DialogOutcome::Cancel);
    EXPECT_TRUE(m_fb.events.empty());

    dlg.SetEditText("new");
    dlg.Add();
    m_fb.answers = {false};
    EXPECT_EQ(dlg.Cancel(), DialogOutcome::Cancel);
    EXPECT_EQ(m_fb.events.back(), "ask:密码已改变，关闭前需要保存更改吗？");
    EXPECT_FALSE(std::ifstream(m_pwd).good());

    m_fb.answers = {true};
    EXPECT_EQ(dlg.Cancel(), DialogOutcome::Ok);
    EXPECT_EQ(ReadFile(m_pwd), "new\r\n");

    // "Save" writes even when nothing changed.
    WriteFile(m_pwd, "  spaced  \r\n");
    dlg.Open();
    EXPECT_EQ(dlg.Save(), DialogOutcome::Ok);
    EXPECT_EQ(ReadFile(m_pwd), "spaced\r\n");
}

TEST_F(SideTablesTest, PasswordDialogInAskModeSavesEachAddition)
{
    CPasswordDialogModel dlg(m_pwd, true, m_fb);
    dlg.Open();
    dlg.SetEditText("");
    EXPECT_EQ(dlg.Add(), DialogOutcome::StayOpen);
    dlg.SetEditText("first");
    EXPECT_EQ(dlg.Add(), DialogOutcome::Ok);
    EXPECT_EQ(ThePasswordTable().Passwords(), (std::vector<std::string>{"first"}));

    dlg.Open();
    dlg.SetEditText("first");
    EXPECT_EQ(dlg.Add(), DialogOutcome::Ok);  // saved after the duplicate message too
    EXPECT_EQ(m_fb.events.back(), "msg:密码表中已经有此密码。");
}

TEST_F(SideTablesTest, FailedSaveKeepsTheDialogAndTheEdits)
{
    std::string blocked = m_dir.File("blocked");
    ASSERT_EQ(::mkdir(blocked.c_str(), 0755), 0);  // a folder where the file should be
    CPasswordDialogModel pwd(blocked, false, m_fb);
    pwd.Open();
    pwd.SetEditText("keep me");
    pwd.Add();
    EXPECT_EQ(pwd.Save(), DialogOutcome::StayOpen);
    EXPECT_TRUE(pwd.Changed());
    EXPECT_EQ(pwd.Items(), (std::vector<std::string>{"keep me"}));

    CHomeNameDialogModel home(blocked, m_fb);
    home.Open();
    home.SetEditText("cover");
    home.Add();
    EXPECT_EQ(home.Save(), DialogOutcome::StayOpen);
    EXPECT_EQ(TheHomeNames().Names(), CHomeNames::Defaults());
    EXPECT_EQ(m_fb.events.back().rfind("msg:抱歉，", 0), 0u);
}

TEST_F(SideTablesTest, HomeNameDialogEditsInPlace)
{
    CHomeNameDialogModel dlg(m_zhp, m_fb);
    dlg.Open();
    EXPECT_EQ(dlg.Items(), CHomeNames::Defaults());

    dlg.SetEditText("  cover ");
    dlg.Add();
    dlg.SetEditText("INDEX");
    dlg.Add();
    dlg.SetEditText("");
    dlg.Add();
    EXPECT_EQ(dlg.Items().back(), "cover");
    EXPECT_EQ(dlg.EditText(), "");

    dlg.MoveUp();
    dlg.Select(0);
    dlg.MoveUp();
    dlg.Select(5);
    dlg.MoveDown();
    dlg.MoveUp();
    EXPECT_EQ(dlg.Selection(), 4);
    dlg.MoveDown();
    EXPECT_EQ(dlg.Selection(), 5);
    dlg.Select(1);
    dlg.MoveDown();
    EXPECT_EQ(dlg.Items(), (std::vector<std::string>{"start", "default", "index", "content", "contents", "cover"}));
    EXPECT_EQ(m_fb.events, (std::vector<std::string>{"msg:主页表中已经有此文件名。", "beep",
                                                      "msg:请先在列表中选择要移动的项。", "default-beep",
                                                      "default-beep"}));
    EXPECT_EQ(dlg.Save(), DialogOutcome::Ok);
    EXPECT_EQ(ReadFile(m_zhp), "start\r\ndefault\r\nindex\r\ncontent\r\ncontents\r\ncover\r\n");
    EXPECT_EQ(TheHomeNames().Names(), dlg.Items());
}

TEST_F(SideTablesTest, HomeNameDialogDeletingEverything)
{
    CHomeNameDialogModel dlg(m_zhp, m_fb);
    dlg.Open();
    // Unchanged: "Save" closes without writing.
    EXPECT_EQ(dlg.Save(), DialogOutcome::Ok);
    EXPECT_FALSE(std::ifstream(m_zhp).good());

    dlg.Delete();
    EXPECT_EQ(m_fb.events.back(), "msg:请先在列表中选择要删除的项。");
    m_fb.answers.assign(5, true);
    while (!dlg.Items().empty()) {
        dlg.Select(0);
        dlg.Delete();
    }
    EXPECT_EQ(m_fb.events.back(), "ask:您真的想删除此项吗？");
    m_fb.answers = {false};
    EXPECT_EQ(dlg.Cancel(), DialogOutcome::Cancel);
    EXPECT_EQ(m_fb.events.back(), "ask:关闭前需要保存更改吗？");
    EXPECT_EQ(dlg.Save(), DialogOutcome::Ok);
    EXPECT_EQ(ReadFile(m_zhp), "");
    EXPECT_TRUE(TheHomeNames().Names().empty());
    // The next start brings the defaults back.
    LoadArchiveTables(m_pwd, m_zhp);
    EXPECT_EQ(TheHomeNames().Names(), CHomeNames::Defaults());
}
