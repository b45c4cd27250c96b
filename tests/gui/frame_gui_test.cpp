// The main window around the view: side bars, location hand-over, window
// state across runs, Esc, full screen, drops and favourites, with the real
// program under an offscreen display.
#include <gtest/gtest.h>

#include <string>

#include "readerrun.h"

namespace {

const std::string kSamples = std::string(PAGORA_SOURCE_DIR) + "/samples";

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool Has(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

}  // namespace

TEST(FrameGui, CommandsAreHandledOrDisabledAndToolBarKeepsItsOrder) {
    CReaderRun run;
    auto out = run.Run({"frame actions", "frame toolbar", "command 32803", "frame bars", "command 32803", "frame bars",
                        "close"},
                       {kSamples + "/story.txt"});
    std::string actions = CReaderRun::Value(out, "FRAME", 0);
    // Commands the window handles are enabled; those whose windows do not
    // exist yet are disabled rather than inert.
    for (const char* on : {"57601:1", "32830:1", "32804:1", "32807:1", "32809:1", "32819:1", "33157:1", "3328:1"})
        EXPECT_TRUE(Has(actions, on)) << on << " in " << actions;
    for (const char* off : {"32780:0", "32815:0", "32856:0", "32802:0"})
        EXPECT_TRUE(Has(actions, off)) << off << " in " << actions;
    // Outside an archive the archive bar cannot be opened.
    EXPECT_TRUE(Has(actions, "32796:0")) << actions;
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1),
              "57601 57604 | 32787 32788 32778 32779 32789 | 32791 32790 | 32795 32799 | 32780 32797 | 32830 32796 | "
              "32804 32817 32816 32792 32802 | 32815 32814 | 32811 32812 32813 | 32808 | 32830 33157 33158 33159 | "
              "57664 57670 32818");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2), "menu=1 tool=1 address=0 status=1");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 3), "menu=1 tool=1 address=1 status=1");
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
