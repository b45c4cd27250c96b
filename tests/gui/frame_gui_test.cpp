// The main window around the view: side bars, location hand-over, window
// state across runs, Esc, full screen, drops and favourites, with the real
// program under an offscreen display.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "readerrun.h"

namespace {

const std::string kSamples = std::string(PAGORA_SOURCE_DIR) + "/samples";

}  // namespace

TEST(FrameGui, CommandsAreHandledOrHiddenAndToolBarKeepsItsOrder) {
    CReaderRun run;
    auto out = run.Run({"frame actions", "frame toolbar", "command 32803", "frame bars", "command 32803", "frame bars",
                        "close"},
                       {kSamples + "/story.txt"});
    std::string actions = CReaderRun::Value(out, "FRAME", 0);
    // Commands the window handles are enabled; those whose windows do not
    // exist yet are not shown at all.
    for (const char* on : {"57601:1", "32830:1", "32804:1", "32807:1", "32809:1", "32819:1", "33157:1", "3328:1",
                           "32815:1", "32814:1", "32780:1", "32797:1", "33158:1", "33159:1", "57616:1"})
        EXPECT_TRUE(Has(actions, on)) << on << " in " << actions;
    for (const char* on : {"32856:1", "32802:1", "32792:1", "32816:1", "32817:1", "32806:1", "32794:1"})
        EXPECT_TRUE(Has(actions, on)) << on << " in " << actions;
    // Outside an archive the archive bar cannot be opened; no bookmark has
    // been opened yet: the placeholder of "最近书签" is disabled.
    EXPECT_TRUE(Has(actions, "32796:0")) << actions;
    EXPECT_TRUE(Has(actions, "57624:0")) << actions;
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1),
              "57601 57604 | 32787 32788 32778 32779 32789 | 32791 32790 | 32795 32799 | 32780 32797 | 32830 32796 | "
              "32804 32817 32816 32792 32802 | 32815 32814 | 32811 32812 32813 | 32808 | 32830 33157 33158 33159 | "
              "57664 57670 32818");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2), "menu=1 tool=1 address=0 status=1");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 3), "menu=1 tool=1 address=1 status=1");
}

TEST(FrameGui, MenusShowOnlyBuiltCommandsAndCommandsGoByName) {
    CReaderRun run;
    auto out = run.Run({"frame menus", "command view.address-bar", "frame bars",
                        "frame dialog options.archive-home-names cancel", "frame dialog view.zoom cancel", "frame dialog options.browser cancel", "close"},
                       {kSamples + "/story.txt"});
    std::string menus = CReaderRun::Value(out, "FRAME", 0);
    // Sub-menus and separators of commands not built are gone with them;
    // the encoding sub-menu keeps its place after "文本".
    EXPECT_TRUE(Has(menus, "文件(&F): 打开文件(&O)...|另存为(&A)...|-|页面设置(&U)...|打印(&P)...|打印预览(&V)|-|"
                           "最近文件/&1 ")) << menus;
    EXPECT_TRUE(Has(menus, "|最近书签/最近书签|-|退出(&X) ; ")) << "no bookmark opened yet: " << menus;
    EXPECT_TRUE(Has(menus, "|全屏|窗口宽度限制为800象素|显示宽度限制为...|页面滚动|-|源文件|解码源文件|文本|文字编码(&D)/|"
                           "显示比例...|-|停止(&P)|"))
        << menus;
    EXPECT_TRUE(Has(menus, "定位/文件定位|书签/加入书签...|书签/整理书签...|-|在页面中查找...")) << menus;
    EXPECT_TRUE(Has(menus, "|文件列表|书库相关/缺省书架|书库相关/书库管理...|-|全屏|")) << menus;
    EXPECT_TRUE(Has(menus, "选项(&O): HTML文件显示...|文本文件显示...|主页...|下载控制...|-|压缩文件密码管理...|"
                           "压缩文件主页管理...|窗口过滤器...|时钟/闹钟设置...|页面滚动...|ESC键...|-|启动时自动恢复现场|"
                           "恢复默认选项|-|加入资源管理器右键菜单(&E)|创建快捷方式... ; ")) << menus;
    EXPECT_TRUE(Has(menus, "帮助(&H): 使用说明|关于Pagora...|检查更新...")) << menus;
    for (const char* hidden : {"导入和导出", "IE选项", "--"})
        EXPECT_FALSE(Has(menus, hidden)) << hidden << " in " << menus;
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "menu=1 tool=1 address=0 status=1");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2), "[start,index,default,content,contents] cancel");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 3), "[] cancel");
    // A command nobody carries out cannot be run either.
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 4), "no dialog none");
}

TEST(FrameGui, ArchiveBarListsEntriesOpensThemAndFollowsPages) {
    CReaderRun run;
    auto out = run.Run({"command 32830", "command 32796", "frame archivebar", "frame-wait archive-pick ch2.htm",
                        "location", "frame archivebar", "click next", "location", "frame archivebar",
                        "frame filelist", "screenshot " + run.Folder() + "/bars.png", "close"},
                       {kSamples + "/lighthouse.zip"});
    std::string listed = CReaderRun::Value(out, "FRAME", 0);
    EXPECT_EQ(listed.rfind("visible right ", 0), 0u) << listed;
    EXPECT_TRUE(Has(listed, "ch1.htm,ch2.htm,ch3.htm,index.htm]")) << listed;
    EXPECT_TRUE(EndsWith(listed, "] index.htm")) << "the first page is selected: " << listed;
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "LOCATION", 0), "/ch2.htm"));
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "FRAME", 2), "] ch2.htm"));
    // A link followed in the page moves the bar's selection along.
    ASSERT_TRUE(EndsWith(CReaderRun::Value(out, "LOCATION", 1), "/ch3.htm")) << CReaderRun::Value(out, "LOCATION", 1);
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "FRAME", 3), "] ch3.htm")) << CReaderRun::Value(out, "FRAME", 3);
    // The file list, docked left, shows the archive's file selected.
    std::string files = CReaderRun::Value(out, "FRAME", 4);
    EXPECT_EQ(files.rfind("visible left ", 0), 0u) << files;
    EXPECT_TRUE(EndsWith(files, kSamples + "/lighthouse.zip")) << files;
}

TEST(FrameGui, ArchiveBarShowsGbkNamesReadablyAndOpensThem) {
    setenv("LC_ALL", "C.UTF-8", 1);
    CReaderRun run;
    auto out = run.Run({"command 32796", "frame archivebar", "frame-wait archive-pick 第二章.htm", "location",
                        "eval document.getElementById('chapter').textContent", "frame archivebar",
                        "frame-wait archive-pick 附录/后记.htm", "eval document.getElementById('chapter').textContent",
                        "close"},
                       {kSamples + "/gbk-book.zip"});
    const std::string listed = CReaderRun::Value(out, "FRAME", 0);
    EXPECT_TRUE(Has(listed, "[index.htm,第一章.htm,第二章.htm,附录/后记.htm]")) << listed;
    EXPECT_TRUE(EndsWith(listed, "] index.htm")) << listed;
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "picked");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 0), "第二章　听雨") << CReaderRun::Value(out, "LOCATION");
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "FRAME", 2), "] 第二章.htm")) << CReaderRun::Value(out, "FRAME", 2);
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 1), "后记");
}

TEST(FrameGui, FileListPickOpensDocumentAndLeavingArchiveHidesArchiveBar) {
    CReaderRun run;
    auto out = run.Run({"command 32830", "command 32796", "frame-wait filelist-pick story.txt", "location",
                        "frame archivebar", "frame filelist", "pane 32805", "frame actions", "close"},
                       {kSamples + "/lighthouse.zip"});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "picked");
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION"), "file://" + kSamples + "/story.txt");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1).rfind("hidden ", 0), 0u) << CReaderRun::Value(out, "FRAME", 1);
    EXPECT_TRUE(Has(CReaderRun::Value(out, "FRAME", 1), "[]")) << "the entry list is emptied";
    EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "FRAME", 2), "/story.txt"));
    EXPECT_EQ(CReaderRun::Value(out, "PANE"), "");
    EXPECT_TRUE(Has(CReaderRun::Value(out, "FRAME", 3), "32796:0"));
}

TEST(FrameGui, FullScreenRoundTripRestoresExactlyWhatWasVisible) {
    CReaderRun run;
    auto out = run.Run({"command 32830", "command 32803", "frame window", "command 32804", "frame bars",
                        "frame filelist", "frame window", "command 32804", "frame bars", "frame filelist",
                        "frame window", "close"},
                       {kSamples + "/story.txt"});
    std::string before = CReaderRun::Value(out, "FRAME", 0);
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "menu=0 tool=0 address=0 status=0");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2).rfind("hidden", 0), 0u);
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 3).rfind("fullscreen", 0), 0u);
    // The address bar was hidden before and stays hidden.
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 4), "menu=1 tool=1 address=0 status=1");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 5).rfind("visible left", 0), 0u);
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 6).substr(0, 9), before.substr(0, 9)) << before;
}

TEST(FrameGui, PlacementAndBarLayoutSurviveRestart) {
    CReaderRun run;
    auto first = run.Run({"command 32830", "frame dock filelist bottom 180", "frame move 40 30 700 520",
                          "command 32803", "frame window", "close"},
                         {kSamples + "/story.txt"});
    ASSERT_EQ(CReaderRun::Value(first, "FRAME", 1), "moved");
    std::string ini = run.IniText();
    EXPECT_TRUE(Has(ini, "WindowPlacement=2C000000")) << ini;
    EXPECT_TRUE(Has(ini, "[BarSec]")) << ini;
    auto second = run.Run({"frame window", "frame filelist", "frame bars", "frame minimize", "close"},
                          {kSamples + "/story.txt"});
    EXPECT_EQ(CReaderRun::Value(second, "FRAME", 0).rfind("normal 40,30 700x520", 0), 0u)
        << CReaderRun::Value(second, "FRAME", 0) << " after " << CReaderRun::Value(first, "FRAME", 2);
    std::string bar = CReaderRun::Value(second, "FRAME", 1);
    EXPECT_EQ(bar.rfind("visible bottom ", 0), 0u) << bar;
    EXPECT_EQ(CReaderRun::Value(second, "FRAME", 2), "menu=1 tool=1 address=0 status=1");
    // Closed while minimised: reopens restored.
    auto third = run.Run({"frame window", "close"}, {kSamples + "/story.txt"});
    EXPECT_EQ(CReaderRun::Value(third, "FRAME", 0).rfind("normal ", 0), 0u) << CReaderRun::Value(third, "FRAME", 0);
}

TEST(FrameGui, DamagedStoredStateIsIgnored) {
    CReaderRun run;
    run.WriteFile("Pagora.ini", "[ParaBlock]\nPARA_SHOW_ADDR=0\n[BarSec]\nLayout=bm90IGEgbGF5b3V0\n"
                                "[WindowState]\nWindowPlacement=2C00000000000000\n");
    auto out = run.Run({"frame window", "frame bars", "frame filelist", "close"}, {kSamples + "/story.txt"});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0).rfind("maximized", 0), 0u) << CReaderRun::Value(out, "FRAME", 0);
    // An unusable layout leaves the default one, address bar shown.
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "menu=1 tool=1 address=1 status=1");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2), "absent");
}

TEST(FrameGui, EscQuitsOrGoesToTheNotificationArea) {
    CReaderRun quit;
    int code = -1;
    // Without an explicit quit the run only ends (status 0, not the time
    // limit's 124) when Esc closed the program.
    quit.Run({"frame esc"}, {kSamples + "/story.txt"}, &code, 30);
    EXPECT_EQ(code, 0) << "the program should have quit on Esc";

    CReaderRun tray;
    tray.WriteFile("Pagora.ini", "[ParaBlock]\nPARA_ESC_KEY=1\n");
    auto out = tray.Run({"frame esc", "frame window", "frame tray", "frame tray-click", "frame window", "frame tray", "close"},
                   {kSamples + "/story.txt"});
    if (CReaderRun::Value(out, "FRAME", 0) == "tray-available") {
        EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "FRAME", 1), "visible=0"));
        EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2), "shown");
        EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "FRAME", 4), "visible=1"));
        EXPECT_EQ(CReaderRun::Value(out, "FRAME", 5), "none");
    } else {
        // Without a notification area the window stays as it is.
        EXPECT_TRUE(EndsWith(CReaderRun::Value(out, "FRAME", 1), "visible=1")) << CReaderRun::Value(out, "FRAME", 1);
        EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2), "none");
    }
}

TEST(FrameGui, DropOpensFirstExistingFile) {
    CReaderRun run;
    std::string second = run.WriteFile("second.txt", "the second file\n");
    auto out = run.Run({"frame-wait drop " + run.Folder() + "/missing.txt " + second + " " + kSamples + "/story.txt",
                        "location", "frame drop /nowhere/a.txt", "close"},
                       {kSamples + "/story.txt"});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "accepted");
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION"), "file://" + second);
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "ignored");
}

TEST(FrameGui, FavouritesMenuFromFolderOpensItsAddresses) {
    CReaderRun run;
    std::string target = run.WriteFile("fav-target.txt", "favourite page\n");
    run.WriteFile("Favorites/Reading.url", "[InternetShortcut]\nURL=file://" + target + "\n");
    run.WriteFile("Favorites/Shouting.URL", "[InternetShortcut]\nURL=http://ignored/\n");
    run.WriteFile("Favorites/Sites/alpha.url", "[InternetShortcut]\nURL=http://alpha.example/\n");
    run.WriteFile("Favorites/Empty/readme.txt", "no shortcuts here\n");
    auto out = run.Run({"frame favourites " + run.Folder() + "/Favorites", "frame-wait favourite-open 0", "location",
                        "close"},
                       {kSamples + "/story.txt"});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "Sites/alpha|Reading");
    EXPECT_EQ(CReaderRun::Value(out, "LOCATION"), "file://" + target);
}

TEST(FrameGui, HomeNameDialogSavesOnOkAndKeepsTheFileOnCancel) {
    CReaderRun run;
    auto out = run.Run({"frame dialog 32809 edit:INDEX add edit:abc add row:5 up save",
                        "frame dialog 32809 row:0 down cancel", "frame dialog 32809 cancel", "close"},
                       {kSamples + "/story.txt"});
    // INDEX repeats a default name; abc is added at the end and moved up.
    EXPECT_EQ(CReaderRun::Value(out, "MESSAGE"), "主页表中已经有此文件名。");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "[start,index,default,content,abc,contents] ok");
    // A changed list closed with "放弃" asks; No keeps the file as saved.
    EXPECT_EQ(CReaderRun::Value(out, "QUESTION"), "关闭前需要保存更改吗？");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "[index,start,default,content,abc,contents] cancel");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2), "[start,index,default,content,abc,contents] cancel");
    std::ifstream in(run.Folder() + "/Pagora.zhp", std::ios::binary);
    std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, "start\r\nindex\r\ndefault\r\ncontent\r\nabc\r\ncontents\r\n");
}

TEST(FrameGui, PasswordDialogSavesSortedAndCancelLeavesTheFile) {
    CReaderRun run;
    auto out = run.Run({"frame dialog 32793 edit:zeta add edit:alpha add save",
                        "frame dialog 32793 edit:ALPHA add cancel", "close"},
                       {kSamples + "/story.txt"});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "[alpha,zeta] ok");
    EXPECT_EQ(CReaderRun::Value(out, "QUESTION"), "密码已改变，关闭前需要保存更改吗？");
    // Passwords differ by case; the unsaved one is gone after Cancel.
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "[ALPHA,alpha,zeta] cancel");
    auto again = run.Run({"frame dialog 32793 cancel", "close"}, {kSamples + "/story.txt"});
    EXPECT_EQ(CReaderRun::Value(again, "FRAME", 0), "[alpha,zeta] cancel");
}

TEST(FrameGui, FileListWaitsForThePageToComplete) {
    CReaderRun run;
    auto out = run.Run({"navigate-nowait " + kSamples + "/lighthouse.zip", "command 32830", "frame filelist", "wait",
                        "command 32830", "frame filelist", "close"},
                       {kSamples + "/story.txt"});
    EXPECT_EQ(CReaderRun::Value(out, "MESSAGE"), "请等到页面显示完成再选择此功能。");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "absent");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1).rfind("visible left", 0), 0u) << CReaderRun::Value(out, "FRAME", 1);
}

TEST(FrameGui, AddressBarListsEveryEntryAndCompletesAcrossRuns) {
    CReaderRun run;
    std::string book = run.WriteFile("book.txt", "a book\n");
    auto out = run.Run({"address " + book, "address " + kSamples + "/story.txt", "address " + book,
                        "frame address-list", "frame address-type " + run.Folder() + "/bo",
                        "frame address-type file://" + kSamples + "/sto", "close"},
                       {kSamples + "/story.txt"});
    // Appended in order, a repeated address included.
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), book + "|" + kSamples + "/story.txt|" + book);
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), book);
    // Reached pages complete too.
    EXPECT_TRUE(Has(CReaderRun::Value(out, "FRAME", 2), "file://" + kSamples + "/story.txt"))
        << CReaderRun::Value(out, "FRAME", 2);
    // The next run starts with an empty list but completes what was typed.
    auto next = run.Run({"frame address-list", "frame address-type " + run.Folder() + "/b", "close"},
                        {kSamples + "/story.txt"});
    EXPECT_EQ(CReaderRun::Value(next, "FRAME", 0), "");
    EXPECT_EQ(CReaderRun::Value(next, "FRAME", 1), book);
}

TEST(FrameGui, F6MovesTheFocusThroughTheVisiblePanes) {
    CReaderRun run;
    auto out = run.Run({"command 32830", "frame focus-pane", "frame focus-pane", "frame focus-pane",
                        "frame focus-pane back", "command 32803", "frame focus-pane", "frame focus-pane", "close"},
                       {kSamples + "/story.txt"});
    // The file list command leaves the focus on the page.
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "filelist");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "address");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2), "view");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 3), "address");
    // A hidden address bar is passed over: the focus alternates between the others.
    std::string a = CReaderRun::Value(out, "FRAME", 4), b = CReaderRun::Value(out, "FRAME", 5);
    EXPECT_TRUE((a == "view" && b == "filelist") || (a == "filelist" && b == "view")) << a << " " << b;
}
