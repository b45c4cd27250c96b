// The bookmark file, the recent lists, the bookshelf library and the models
// of their three dialogs.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/inifile.h"
#include "session/addbookmarkmodel.h"
#include "session/bookmarks.h"
#include "session/bookshelf.h"
#include "session/librarydialogmodel.h"
#include "session/organisebookmarksmodel.h"
#include "session/recentlist.h"
#include "settings/parablock.h"
#include "support/tempfolder.h"

namespace {

// Records what a dialog shows and answers its questions from a queue (No when empty).
class ScriptedFeedback : public IDialogFeedback {
public:
    void Beep(BeepKind) override { ++beeps; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty()) return false;
        bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    std::vector<std::string> messages, questions;
    std::deque<bool> answers;
    int beeps = 0;
};

bool GbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// A reading position as the main block would hold it.
void Place(CParaBlock& block, const std::string& path, const std::string& inZip) {
    block.SetString(PARA_STR_CURRENT_PATH, path, false);
    block.SetString(PARA_STR_CUR_PATH_IN_ZIP, inZip, false);
}

}  // namespace

TEST(BookmarkNames, DefaultNameFollowsArchiveOrTitle) {
    struct Case {
        const char* what;
        std::string path, title, expected;
    } cases[] = {
        {"zip archive", "D:\\books\\novel.zip", "ignored", "novel"},
        {"maff upper case", "/home/r/Saved.MAFF", "x", "Saved"},
        {"rar", "/home/r/a.b/tale.rar", "x", "tale"},
        {"page title", "/home/r/c3.htm", "Chapter [3]", "Chapter (3)"},
        {"title with slash", "/home/r/c.htm", "Part 1/Chapter 2", "Chapter 2"},
        {"title with backslash", "/home/r/c.htm", "a\\b", "b"},
        {"line break in title", "/home/r/c.htm", "one\ntwo", "one two"},
    };
    for (const Case& c : cases) EXPECT_EQ(bookmarkname::Default(c.path, c.title, {}), c.expected) << c.what;
}

TEST(BookmarkNames, SafeNameKeepsTrailBytesAndWholeCharacters) {
    // GBK: 0x81 0x5B is one character whose trail byte is "[".
    EXPECT_EQ(bookmarkname::Safe("\x81[x[", GbkLead), "\x81[x(");
    EXPECT_EQ(bookmarkname::Safe("\x81[x[", {}), "\x81(x(");
    EXPECT_EQ(bookmarkname::Safe("  a]\r\n ", {}), "a)");
    // 30 three-byte characters cut at 63 bytes: 21 whole characters.
    std::string chinese;
    for (int i = 0; i < 30; ++i) chinese += "书";
    std::string cut = bookmarkname::Safe(chinese, {});
    EXPECT_EQ(cut.size(), 63u);
    EXPECT_EQ(cut, chinese.substr(0, 63));
    std::string shifted = "a" + chinese;
    EXPECT_EQ(bookmarkname::Safe(shifted, {}).size(), 61u) << "no character is split";
}

TEST(BookmarkFile, SavesPositionKeysInOrderOfFirstWriting) {
    TempFolder dir;
    CBookmarkFile file(dir.File("Pagora.bmk"));
    CParaBlock source;
    Place(source, "/books/b.zip", "http://127.0.0.1:6122/ch2.htm#top");
    source.SetValue(PARA_TXT_WIDTH, 700, false);
    file.Save("zeta", source, {3, 480});
    file.Save("alpha", source, {0, 10});
    file.Save("zeta", source, {5, 6});
    EXPECT_EQ(file.Names(), (std::vector<std::string>{"zeta", "alpha"}));
    EXPECT_EQ(file.SortedNames(), (std::vector<std::string>{"alpha", "zeta"}));
    const std::string& path = file.Path();
    EXPECT_EQ(platform::ini::KeyNames(path, "zeta"),
              (std::vector<std::string>{"PARA_STARTPOINT_X", "PARA_STARTPOINT_Y", "CurrentDir", "CurrentPath",
                                        "CurPathInZip"}));
    EXPECT_EQ(platform::ini::GetString(path, "zeta", "PARA_STARTPOINT_Y", ""), "6");
    EXPECT_EQ(platform::ini::GetString(path, "zeta", "CurPathInZip", ""), "*/ch2.htm");
    CParaBlock back;
    ASSERT_TRUE(file.Load("ZETA", back));
    EXPECT_EQ(back.GetValue(PARA_STARTPOINT_X), 5);
    EXPECT_EQ(back.GetString(PARA_STR_CURRENT_PATH), "/books/b.zip");
    EXPECT_TRUE(file.Remove("alpha"));
    EXPECT_EQ(file.Names(), (std::vector<std::string>{"zeta"}));
}

TEST(BookmarkFile, EveryBookmarkIsListedHoweverLongTheNames) {
    TempFolder dir;
    CBookmarkFile file(dir.File("Pagora.bmk"));
    std::string text;
    for (int i = 0; i < 1500; ++i)
        text += "[" + std::to_string(i) + std::string(50, 'n') + "]\nCurrentPath=/b/" + std::to_string(i) + "\n";
    dir.Write("Pagora.bmk", text);
    EXPECT_EQ(file.Names().size(), 1500u);
}

TEST(AddBookmarkModel, NamesOverwriteAndFreeNames) {
    TempFolder dir;
    CBookmarkFile file(dir.Write("Pagora.bmk", "[Free]\nCurrentPath=\nPARA_STARTPOINT_Y=9\n"
                                              "[Taken]\nCurrentPath=/b/old.htm\nPARA_STARTPOINT_Y=1\n"));
    CParaBlock source;
    Place(source, "/b/new.htm", "");
    ScriptedFeedback fb;
    CAddBookmarkModel model(file, source, [] { return std::pair<int, int>{0, 777}; }, fb);
    model.Open("proposed");
    EXPECT_EQ(model.Names(), (std::vector<std::string>{"Free", "Taken"}));
    EXPECT_EQ(model.EditText(), "proposed");

    model.SetEditText("   ");
    EXPECT_EQ(model.Confirm(), DialogOutcome::StayOpen);
    EXPECT_EQ(fb.messages, (std::vector<std::string>{"抱歉，名称不能为空，请更正。"}));

    // An empty "CurrentPath" is a free name: no question.
    model.SetEditText("Free");
    EXPECT_EQ(model.Confirm(), DialogOutcome::Ok);
    EXPECT_TRUE(fb.questions.empty());
    EXPECT_EQ(platform::ini::GetString(file.Path(), "Free", "PARA_STARTPOINT_Y", ""), "777");

    // No keeps the old position and the dialog; Yes replaces it.
    model.SetEditText("taken");
    EXPECT_EQ(model.Confirm(), DialogOutcome::StayOpen);
    EXPECT_EQ(fb.questions.back(), "同名书签已存在，您打算覆盖它吗？");
    EXPECT_EQ(platform::ini::GetString(file.Path(), "Taken", "CurrentPath", ""), "/b/old.htm");
    fb.answers = {true};
    EXPECT_EQ(model.Confirm(), DialogOutcome::Ok);
    EXPECT_EQ(platform::ini::GetString(file.Path(), "Taken", "CurrentPath", ""), "/b/new.htm");
    EXPECT_EQ(platform::ini::GetString(file.Path(), "Taken", "PARA_STARTPOINT_Y", ""), "777");
}

TEST(AddBookmarkModel, TypedBracketsAndLineBreaksNeverReachTheFile) {
    TempFolder dir;
    CBookmarkFile file(dir.File("Pagora.bmk"));
    CParaBlock source;
    Place(source, "/b/a.htm", "");
    ScriptedFeedback fb;
    CAddBookmarkModel model(file, source, {}, fb);
    model.Open("");
    model.SetEditText("bad]\n[name");
    EXPECT_EQ(model.Confirm(), DialogOutcome::Ok);
    EXPECT_EQ(model.SavedName(), "bad) (name");
    // A second bookmark after it still reads back: the file is whole.
    model.SetEditText("next");
    EXPECT_EQ(model.Confirm(), DialogOutcome::Ok);
    EXPECT_EQ(file.Names(), (std::vector<std::string>{"bad) (name", "next"}));
    EXPECT_TRUE(file.Exists("next"));
}

TEST(OrganiseBookmarksModel, OpenDeleteAndTheirMessages) {
    TempFolder dir;
    CBookmarkFile file(dir.File("Pagora.bmk"));
    ScriptedFeedback fb;
    COrganiseBookmarksModel model(file, fb);
    model.Open();
    EXPECT_EQ(model.Open(-1), DialogOutcome::StayOpen);
    EXPECT_EQ(model.Delete(), DialogOutcome::StayOpen);
    EXPECT_EQ(fb.messages, (std::vector<std::string>{"抱歉，没什么好跳转的。", "抱歉，没什么好删除的。"}));

    CParaBlock source;
    Place(source, "/b/two.htm", "");
    file.Save("b", source, {0, 0});
    Place(source, "/b/one.htm", "");
    file.Save("A", source, {0, 0});
    model.Open();
    EXPECT_EQ(model.Names(), (std::vector<std::string>{"A", "b"}));
    fb.messages.clear();
    EXPECT_EQ(model.Open(-1), DialogOutcome::StayOpen);
    EXPECT_EQ(model.Delete(), DialogOutcome::StayOpen);
    EXPECT_EQ(fb.messages, (std::vector<std::string>{"请先选择需跳转的书签。", "请先选择需删除的书签。"}));

    model.Select(1);
    EXPECT_EQ(model.DocumentText(), "/b/two.htm");
    model.Delete();  // answered No
    EXPECT_EQ(fb.questions.back(), "您真的想删除此书签吗？");
    EXPECT_EQ(model.Names().size(), 2u);
    fb.answers = {true};
    model.Delete();
    EXPECT_EQ(model.Names(), (std::vector<std::string>{"A"}));
    EXPECT_EQ(model.Selection(), -1);
    EXPECT_EQ(file.Names(), (std::vector<std::string>{"A"}));
    EXPECT_EQ(platform::ini::KeyNames(file.Path(), "b").size(), 0u) << "the whole section is gone";

    EXPECT_EQ(model.Open(0), DialogOutcome::Ok);
    EXPECT_EQ(model.Chosen(), "A");
}

TEST(RecentList, BookmarkNamesMoveUpShareCaseAndPushOutTheOldest) {
    CIniRecentList list("Recent Bookmark List", "Bmk%d", 8, CIniRecentList::Mode::Names);
    for (const char* n : {"a", "b", "c"}) list.Add(n);
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"c", "b", "a"}));
    list.Add("A");  // the same bookmark: moves up, not duplicated
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"A", "c", "b"}));
    for (const char* n : {"d", "e", "f", "g", "h", "i"}) list.Add(n);
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"i", "h", "g", "f", "e", "d", "A", "c"}));
    list.Remove(0);
    list.Remove(7);  // an empty slot: nothing
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"h", "g", "f", "e", "d", "A", "c"}));
}

TEST(RecentList, FilePathsAreFullAndCaseSensitive) {
    CIniRecentList list("Recent File List", "File%d", 8, CIniRecentList::Mode::Paths);
    list.Add("/books/./x/../Novel.txt");
    list.Add("/books/novel.txt");
    list.Add("/books/Novel.txt");
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/books/Novel.txt", "/books/novel.txt"}));
}

TEST(RecentList, WritesAndReadsTheIniSection) {
    TempFolder dir;
    std::string ini = dir.Write("Pagora.ini", "[Recent Bookmark List]\nBmk1=old\nBmk5=stale\nOther=x\n[ParaBlock]\nA=1\n");
    CIniRecentList list("Recent Bookmark List", "Bmk%d", 8, CIniRecentList::Mode::Names);
    list.Bind(ini);
    list.ReadList();
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"old", "stale"}));
    list.Remove(1);
    list.Add("new");
    list.WriteList();
    EXPECT_EQ(platform::ini::KeyNames(ini, "Recent Bookmark List"), (std::vector<std::string>{"Bmk1", "Bmk2"}));
    EXPECT_EQ(platform::ini::GetString(ini, "Recent Bookmark List", "Bmk1", ""), "new");
    EXPECT_EQ(platform::ini::GetString(ini, "Recent Bookmark List", "Bmk2", ""), "old");
    EXPECT_EQ(platform::ini::GetString(ini, "ParaBlock", "A", ""), "1");
    list.Remove(0);
    list.Remove(0);
    list.WriteList();
    EXPECT_TRUE(platform::ini::KeyNames(ini, "Recent Bookmark List").empty());
}

TEST(RecentList, MenuTextsShowAtMostThirtyCharacters) {
    using M = CIniRecentList::Mode;
    EXPECT_EQ(CIniRecentList::Abbreviate("/short/path.txt", 30, M::Paths), "/short/path.txt");
    std::string longPath = "/home/reader/library/chinese/classics/novel.txt";
    std::string shown = CIniRecentList::Abbreviate(longPath, 30, M::Paths);
    EXPECT_EQ(shown, "/.../classics/novel.txt");
    EXPECT_LE(shown.size(), 30u);
    std::string longName(40, 'x');
    EXPECT_EQ(CIniRecentList::Abbreviate(longName, 30, M::Paths), std::string(27, 'x') + "...");
    std::string chinese;
    for (int i = 0; i < 40; ++i) chinese += "书";
    std::string cut = CIniRecentList::Abbreviate(chinese, 30, M::Names);
    EXPECT_EQ(cut, chinese.substr(0, 27 * 3) + "...");
    CIniRecentList list("S", "K%d", 8, M::Names);
    list.Add("R&D");
    EXPECT_EQ(list.MenuText(0), "&1 R&&D");
    EXPECT_EQ(list.MenuText(1), "");
}

TEST(Bookshelf, ParsesBlanksEmptyLinesAndTheFirstMark) {
    auto lines = bookshelf::Parse("  D:\\books \t\r\n\r\n*E:\\novels\r\n*F:\\more\n");
    EXPECT_EQ(lines, (std::vector<std::string>{"D:\\books", "*E:\\novels", "*F:\\more"}));
    EXPECT_EQ(bookshelf::DefaultShelf(lines), "E:\\novels");
    EXPECT_EQ(bookshelf::DefaultShelf({"a", "b"}), "");
    TempFolder dir;
    LoadShelves(dir.File("missing.blb"));
    EXPECT_TRUE(Shelves().empty());
    EXPECT_EQ(DefaultShelf(), "");
}

TEST(LibraryDialogModel, EditsMarksAndSaves) {
    TempFolder dir;
    std::string blb = dir.Write("Pagora.blb", "/a\n*/b\n");
    LoadShelves(blb);
    ScriptedFeedback fb;
    std::vector<std::string> shown;
    CLibraryDialogModel model(blb, fb, [&](const std::string& f) { shown.push_back(f); });
    model.Open();
    EXPECT_EQ(model.Rows(), (std::vector<std::string>{"/a", "*/b"}));

    // Already listed, with or without the mark; another letter case is new.
    model.AddFolder("/a");
    model.AddFolder("/b");
    EXPECT_EQ(fb.messages, (std::vector<std::string>{"/a\n已在列表中，请重新选择。", "/b\n已在列表中，请重新选择。"}));
    model.AddFolder("/A");
    // A dropped file adds the folder that holds it; a folder comes as it is.
    std::string book = dir.Write("book.txt", "x");
    std::filesystem::create_directory(dir.File("shelf"));
    model.Drop({book, dir.File("shelf")});
    EXPECT_EQ(model.Rows(), (std::vector<std::string>{"/a", "*/b", "/A", dir.Path(), dir.File("shelf")}));

    fb.messages.clear();
    model.SetDefault();
    model.Delete();
    model.OpenRow();
    EXPECT_EQ(fb.messages, (std::vector<std::string>{"请先选择需要设置的项。", "请先选择需要删除的项。",
                                                     "请先选择需要打开的项。"}));
    model.Select(3);
    model.SetDefault();
    EXPECT_EQ(model.Rows()[1], "/b");
    EXPECT_EQ(model.Rows()[3], "*" + dir.Path());
    model.OpenRow();
    EXPECT_EQ(shown, (std::vector<std::string>{dir.Path()}));
    model.Select(0);
    model.OpenRow();
    EXPECT_EQ(fb.messages.back(), "抱歉，所选文件夹无效，或已不存在。");
    fb.answers = {true};
    model.Delete();
    EXPECT_EQ(fb.questions.back(), "您真的想删除所选项吗？");
    EXPECT_EQ(model.Ok(), DialogOutcome::Ok);
    EXPECT_EQ(TempFolder::Read(blb), "/b\n/A\n*" + dir.Path() + "\n" + dir.File("shelf") + "\n");
    EXPECT_EQ(DefaultShelf(), dir.Path());
}

TEST(LibraryDialogModel, ClearingDeletesTheFileAndAFailedSaveKeepsTheEdits) {
    TempFolder dir;
    std::string blb = dir.Write("Pagora.blb", "/a\n");
    LoadShelves(blb);
    ScriptedFeedback fb;
    CLibraryDialogModel model(blb, fb, {});
    model.Open();
    model.Clear();  // answered No
    EXPECT_EQ(fb.questions.back(), "您真的想清空列表吗？");
    EXPECT_EQ(model.Rows().size(), 1u);
    fb.answers = {true};
    model.Clear();
    EXPECT_EQ(model.Ok(), DialogOutcome::Ok);
    EXPECT_FALSE(std::filesystem::exists(blb));
    EXPECT_TRUE(Shelves().empty());

    CLibraryDialogModel unwritable(dir.File("no/such/folder/Pagora.blb"), fb, {});
    unwritable.Open();
    unwritable.AddFolder("/x");
    EXPECT_EQ(unwritable.Ok(), DialogOutcome::StayOpen);
    EXPECT_EQ(fb.messages.back(), "存盘失败。");
    EXPECT_EQ(unwritable.Rows(), (std::vector<std::string>{"/x"}));
}
