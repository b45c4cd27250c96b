// Bookmarks, the recent lists and the bookshelf in the real program.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "readerrun.h"

namespace {

const std::string kSamples = std::string(PAGORA_SOURCE_DIR) + "/samples";

std::string ReadText(const std::string& path) { return CReaderRun::WaitForFileText(path, [](const std::string&) { return true; }, 1); }

}  // namespace

TEST(BookmarksGui, ArchiveBookmarkComesBackAtItsOffsetFromRecentBookmarks) {
    CReaderRun run;
    run.WriteFile("novel/index.htm", "<html><body><a id='go' href='part/long.htm'>long</a></body></html>");
    run.WriteFile("novel/part/long.htm", LongPage("long"));
    std::string zip = MakeZip(run, "novel", "novel.zip");
    ASSERT_FALSE(zip.empty());
    auto first = run.Run({"click go", "scrollto 0 1500", "frame dialog bookmarks.add ok", "close"}, {zip});
    // The archive's name is proposed; no bookmark existed before.
    EXPECT_EQ(CReaderRun::Value(first, "FRAME"), "[] ok");
    std::string bmk = ReadText(run.Folder() + "/Pagora.bmk");
    EXPECT_TRUE(Has(bmk, "[novel]")) << bmk;
    EXPECT_TRUE(Has(bmk, "PARA_STARTPOINT_Y=1500")) << bmk;
    EXPECT_TRUE(Has(bmk, "CurPathInZip=*/part/long.htm")) << bmk;

    // Another document, then the bookmark from the organise dialog: it goes
    // to the top of "最近书签".
    std::string page = run.WriteFile("other.htm", LongPage("other"));
    auto second = run.Run({"frame dialog bookmarks.organize row:0 open", "restored", "location", "scroll", "frame menus",
                           "close"},
                          {page});
    EXPECT_EQ(CReaderRun::Value(second, "FRAME", 0), "[novel] ok");
    EXPECT_TRUE(EndsWith(CReaderRun::Value(second, "LOCATION"), "/part/long.htm"));
    EXPECT_EQ(CReaderRun::Value(second, "SCROLL"), "0,1500");
    EXPECT_TRUE(Has(CReaderRun::Value(second, "FRAME", 1), "|最近书签/&1 novel|")) << CReaderRun::Value(second, "FRAME", 1);

    // After a restart the recent bookmark opens the page at the offset.
    auto third = run.Run({"location", "command 57624", "restored", "location", "scroll", "close"}, {page});
    EXPECT_EQ(CReaderRun::Value(third, "LOCATION", 0), "file://" + page);
    EXPECT_TRUE(EndsWith(CReaderRun::Value(third, "LOCATION", 1), "/part/long.htm"));
    EXPECT_EQ(CReaderRun::Value(third, "SCROLL"), "0,1500");
    EXPECT_TRUE(Has(run.IniText(), "[Recent Bookmark List]\nBmk1=novel")) << run.IniText();

    // From the command line, by name in any letter case; an unknown name says so.
    auto named = run.Run({"restored", "location", "scroll", "close"}, {"--bookmark", "NOVEL"});
    EXPECT_TRUE(EndsWith(CReaderRun::Value(named, "LOCATION"), "/part/long.htm"));
    EXPECT_EQ(CReaderRun::Value(named, "SCROLL"), "0,1500");
    EXPECT_EQ(CReaderRun::Value(named, "MESSAGE"), "");
    auto unknown = run.Run({"wait", "location", "close"}, {"--bookmark", "nosuch"});
    EXPECT_EQ(CReaderRun::Value(unknown, "MESSAGE"), "抱歉，没有名为“nosuch”的书签。");
    EXPECT_FALSE(EndsWith(CReaderRun::Value(unknown, "LOCATION"), "/part/long.htm")) << "the home page";
}

TEST(BookmarksGui, OrganiseDialogAsksAndDeletesTheSelectedBookmark) {
    CReaderRun run;
    run.WriteFile("Pagora.bmk", "[one]\nCurrentPath=/a.htm\n[two]\nCurrentPath=/b.htm\nPARA_STARTPOINT_Y=5\n");
    auto out = run.Run({"frame dialog bookmarks.organize open leave", "frame dialog bookmarks.organize row:1 delete leave",
                        "answer yes", "frame dialog bookmarks.organize row:1 delete leave", "close"},
                       {kSamples + "/story.txt"});
    EXPECT_EQ(CReaderRun::Value(out, "MESSAGE"), "请先选择需跳转的书签。");
    EXPECT_EQ(CReaderRun::Value(out, "QUESTION", 0), "您真的想删除此书签吗？");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "[one,two] cancel") << "No keeps it";
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2), "[one] cancel");
    std::string bmk = ReadText(run.Folder() + "/Pagora.bmk");
    EXPECT_FALSE(Has(bmk, "two")) << bmk;
    EXPECT_FALSE(Has(bmk, "PARA_STARTPOINT_Y=5")) << "the whole section goes: " << bmk;
    EXPECT_TRUE(Has(bmk, "[one]")) << bmk;
}

TEST(BookmarksGui, DefaultShelfMovesTheFileListAndTheLibraryDialogSaves) {
    CReaderRun run;
    std::string shelf = run.Folder() + "/shelf";
    run.WriteFile("shelf/book.txt", "a book\n");
    std::string other = run.WriteFile("other/more.txt", "more\n");
    run.WriteFile("Pagora.blb", "   /nowhere/at/all  \r\n\r\n*" + shelf + "\r\n");
    auto out = run.Run({"command library.default-shelf", "frame filelist-folder",
                        "frame dialog library.manage drop:" + other + "," + shelf + " row:2 set-default ok", "close"},
                       {kSamples + "/story.txt"});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), shelf);
    // The dropped file adds its folder; the folder already listed is refused.
    EXPECT_EQ(CReaderRun::Value(out, "MESSAGE"), shelf) << "the path, then a line break and the hint";
    // The list as "确定" found it: the mark moved to the dropped file's folder.
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "[/nowhere/at/all," + shelf + ",*" + run.Folder() + "/other] ok");
    EXPECT_EQ(ReadText(run.Folder() + "/Pagora.blb"), "/nowhere/at/all\n" + shelf + "\n*" + run.Folder() + "/other\n");
}

TEST(BookmarksGui, VanishedRecentFileLeavesTheMenuWhenChosen) {
    CReaderRun run;
    std::string gone = run.WriteFile("gone.htm", "<html><body>gone</body></html>");
    std::string kept = run.WriteFile("kept.htm", "<html><body>kept</body></html>");
    run.Run({"close"}, {gone});
    std::filesystem::remove(gone);
    auto out = run.Run({"frame menus", "command 57617", "frame menus", "location", "close"}, {kept});
    // Long paths show their root and as much of their end as fits in 30 characters.
    EXPECT_TRUE(Has(CReaderRun::Value(out, "FRAME", 0), "|最近文件/&1 /.../kept.htm|最近文件/&2 /.../gone.htm|"))
        << CReaderRun::Value(out, "FRAME", 0);
    EXPECT_TRUE(Has(CReaderRun::Value(out, "FRAME", 1), "|最近文件/&1 /.../kept.htm|最近书签/"))
        << CReaderRun::Value(out, "FRAME", 1);
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION"), "file://" + kept) << "nothing else happens";
    EXPECT_FALSE(Has(run.IniText(), "gone.htm")) << run.IniText();
}

TEST(BookmarksGui, DocumentsReopenedFromTheWindowReturnToTheirOwnPlace) {
    CReaderRun run;
    std::string a = run.WriteFile("a.htm", LongPage("a"));
    std::string b = run.WriteFile("b.htm", LongPage("b"));
    auto first = run.Run({"scrollto 0 1200", "address " + b, "scrollto 0 300", "close"}, {a});
    // a.htm from "最近文件" (entry 2) comes back where it was left, b.htm from
    // the address bar too; the command line still opens at the top.
    auto second = run.Run({"scroll", "command 57617", "restored", "location", "scroll", "address " + b, "restored",
                           "scroll", "close"},
                          {b});
    EXPECT_EQ(CReaderRun::Value(second, "SCROLL", 0), "0,0");
    EXPECT_EQ(CReaderRun::Value(second, "LOCATION"), "file://" + a);
    EXPECT_EQ(CReaderRun::Value(second, "SCROLL", 1), "0,1200");
    EXPECT_EQ(CReaderRun::Value(second, "SCROLL", 2), "0,0") << "b.htm was left at the top this time";
    // A file picked in the open dialog comes back at its place too; a
    // cancelled dialog opens nothing.
    auto picked = run.Run({"answer-file", "command file.open", "location", "answer-file " + a, "command file.open",
                           "restored", "location", "scroll", "close"},
                          {b});
    EXPECT_EQ(CReaderRun::Value(picked, "FILEDIALOG"), "打开");
    EXPECT_EQ(CReaderRun::Value(picked, "LOCATION", 0), "file://" + b);
    EXPECT_EQ(CReaderRun::Value(picked, "LOCATION", 1), "file://" + a);
    EXPECT_EQ(CReaderRun::Value(picked, "SCROLL"), "0,1200");
    // Turned off in the INI file: documents open at the top.
    run.WriteFile("Pagora.ini", run.IniText() + "\n[DocumentPositions]\nKeep=0\n");
    auto off = run.Run({"command-wait 57617", "location", "scroll", "close"}, {b});
    EXPECT_EQ(CReaderRun::Value(off, "LOCATION"), "file://" + a);
    EXPECT_EQ(CReaderRun::Value(off, "SCROLL"), "0,0");
}
