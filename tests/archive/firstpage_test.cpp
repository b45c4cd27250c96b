// The choice of an archive's first page.

#include <gtest/gtest.h>

#include "archive/firstpage.h"
#include "archive/homenames.h"
#include "archive/homenamedialogmodel.h"
#include "ziptestutil.h"

namespace {

const std::vector<std::string> kPages = {"htm", "html", "shtml", "mht", "asp", "aspx", "jsp"};

std::string Choose(const std::vector<std::string>& entries, const std::string& archive = "/books/book.zip",
                   const std::vector<std::string>& homes = CHomeNames::Defaults())
{
    return ChooseFirstPage(entries, archive, homes, kPages);
}

}  // namespace

TEST(FirstPage, HomeNamesComeFirstInListOrder)
{
    // "start" is before "index" in the list, whatever the entry order.
    EXPECT_EQ(Choose({"index.htm", "a/start.htm"}), "a/start.htm");
    // A plain suffix test, ignoring case.
    EXPECT_EQ(Choose({"a.htm", "REINDEX.HTML"}), "REINDEX.HTML");
    // Only page extensions count for home names.
    EXPECT_EQ(Choose({"b.htm", "index.txt"}), "b.htm");
    EXPECT_EQ(Choose({"x.htm", "y/default.jsp"}, "/a.zip", {"nothing", "default"}), "y/default.jsp");
    // An empty list of home names falls through to the other rules.
    EXPECT_EQ(Choose({"a.txt", "b.htm"}, "/a.zip", {}), "b.htm");
}

TEST(FirstPage, PositionAndFolderNames)
{
    struct Case {
        std::vector<std::string> entries;
        std::string archive;
        std::string expected;
    } cases[] = {
        {{"x/ch1.htm", "x/x.htm"}, "/b.zip", "x/x.htm"},
        {{"ch1.txt", "ch2.htm"}, "/b.zip", "ch2.htm"},
        {{"ch1.txt"}, "/b.zip", "ch1.txt"},
        {{"a.htm", "novel.htm", "b/c.htm"}, "/home/u/novel.zip", "novel.htm"},
        {{"a.htm", "NOVEL.txt", "b.htm"}, "/home/u/novel.maff", "NOVEL.txt"},
        // The last entry named like its folder at the top depth wins...
        {{"p/q.htm", "p/p.htm", "r/r.txt", "r/z.htm"}, "/b.zip", "r/r.txt"},
        // ...but deeper entries end the walk.
        {{"a.htm", "b/x.htm", "b/c/c.htm"}, "/b.zip", "a.htm"},
        {{"a.htm", "b/b.htm"}, "/b.zip", "a.htm"},
        // Entries before the first page are skipped, even when named well.
        {{"b.txt", "c.htm"}, "/b.zip", "c.htm"},
        {{"d\\d.htm", "d\\e.htm"}, "/b.rar", "d\\d.htm"},
        {{}, "/b.zip", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Choose(c.entries, c.archive, {}), c.expected) << c.entries.size() << " " << c.expected;
}

TEST(FirstPage, IgnoringCaseLeavesDoubleByteCharactersAlone)
{
    ziptest::GbkLocale gbk;
    if (!gbk.Active())
        GTEST_SKIP() << "cannot build a GBK locale";
    // 0xB5 0x41 and 0xB5 0x61 are two different GBK characters.
    EXPECT_EQ(Choose({"\xB5" "A/x.htm", "\xB5" "A/\xB5" "a.htm"}, "/x.zip", {}), "\xB5" "A/x.htm");
    EXPECT_EQ(Choose({"\xB5" "A/x.htm", "\xB5" "A/\xB5" "A.htm"}, "/x.zip", {}), "\xB5" "A/\xB5" "A.htm");
    // A home name never matches from the middle of a character.
    EXPECT_EQ(Choose({"b.htm", "\xB5" "index.htm"}, "/x.zip", {"index"}), "b.htm");
    EXPECT_EQ(Choose({"b.htm", "\xB5\xB5" "INDEX.htm"}, "/x.zip", {"index"}), "\xB5\xB5" "INDEX.htm");

    struct Silent : IDialogFeedback {
        void Beep(BeepKind) override {}
        void ShowMessage(const std::string& t) override { shown.push_back(t); }
        bool AskYesNo(const std::string&) override { return false; }
        std::vector<std::string> shown;
    } feedback;
    TheHomeNames().SetNames({"\xB5" "A", "index"});
    CHomeNameDialogModel dlg("/nonexistent/x.zhp", feedback);
    dlg.Open();
    dlg.SetEditText("\xB5" "a");
    dlg.Add();
    dlg.SetEditText("INDEX");
    dlg.Add();
    EXPECT_EQ(dlg.Items(), (std::vector<std::string>{"\xB5" "A", "index", "\xB5" "a"}));
    EXPECT_EQ(feedback.shown.size(), 1u);
    TheHomeNames().SetNames(CHomeNames::Defaults());
}
