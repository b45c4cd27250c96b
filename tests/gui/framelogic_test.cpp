// The main window's Qt-free rules: where a location goes, the stored
// placement, and the favourites folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "frame/favouritesfolder.h"
#include "frame/locationsync.h"
#include "frame/windowplacement.h"

namespace fs = std::filesystem;

TEST(LocationSync, RoutesByOriginAndKind) {
    using S = CLocationSync;
    // A document picked in the frame reaches the view and both bars.
    S::Routing r = S::Route("/books/a.htm", S::kFrame, true, true);
    EXPECT_TRUE(r.openInView && r.toFileList && r.selectInArchive);
    EXPECT_FALSE(r.rereadArchive);
    // An archive makes the archive bar read its entries instead of selecting one.
    r = S::Route("/books/B.ZIP", S::kFrame, true, true);
    EXPECT_TRUE(r.rereadArchive);
    EXPECT_FALSE(r.selectInArchive);
    // The view reports where it is: it is not asked to open it again.
    r = S::Route("/books/a.htm", S::kView, true, true);
    EXPECT_FALSE(r.openInView);
    EXPECT_TRUE(r.toFileList);
    // The file list's own pick is not sent back to it.
    r = S::Route("/books/a.htm", S::kFileList, true, true);
    EXPECT_TRUE(r.openInView);
    EXPECT_FALSE(r.toFileList);
    EXPECT_TRUE(r.selectInArchive);
    // The archive bar's pick goes to neither bar.
    r = S::Route("http://127.0.0.1:5/a.htm", S::kArchiveBar, true, true);
    EXPECT_TRUE(r.openInView);
    EXPECT_FALSE(r.toFileList || r.selectInArchive || r.rereadArchive);
    // Bars that do not exist receive nothing.
    r = S::Route("/books/b.zip", S::kFrame, false, false);
    EXPECT_FALSE(r.toFileList || r.selectInArchive || r.rereadArchive);
}

TEST(LocationSync, ArchiveNamesAndGuard) {
    EXPECT_TRUE(CLocationSync::IsArchiveName("x.Maff"));
    EXPECT_TRUE(CLocationSync::IsArchiveName("x.rar"));
    EXPECT_FALSE(CLocationSync::IsArchiveName("x.zipx"));
    EXPECT_FALSE(CLocationSync::IsArchiveName("zip"));
    CLocationSync sync;
    ASSERT_TRUE(sync.Enter());
    EXPECT_FALSE(sync.Enter()) << "a nested hand-over must return at once";
    sync.Leave();
    EXPECT_TRUE(sync.Enter());
}

TEST(WindowPlacement, RoundTripAndDamagedValues) {
    CWindowPlacement p;
    p.showCmd = CWindowPlacement::kMaximized;
    p.left = 10, p.top = 20, p.right = 810, p.bottom = 620;
    std::string bytes = p.Encode();
    ASSERT_EQ(bytes.size(), 44u);
    auto back = CWindowPlacement::Decode(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->showCmd, CWindowPlacement::kMaximized);
    EXPECT_EQ(back->left, 10);
    EXPECT_EQ(back->bottom, 620);
    // Negative coordinates (a window on a screen left of the first) survive.
    p.left = -1200, p.right = -100;
    EXPECT_EQ(CWindowPlacement::Decode(p.Encode())->left, -1200);
    // Minimised states reopen restored.
    for (int minimised : {2, 6, 7, 11}) {
        p.showCmd = minimised;
        EXPECT_EQ(CWindowPlacement::Decode(p.Encode())->showCmd, CWindowPlacement::kRestore) << minimised;
    }
    EXPECT_FALSE(CWindowPlacement::Decode(bytes.substr(0, 40)));
    EXPECT_FALSE(CWindowPlacement::Decode(bytes + "x"));
    p.showCmd = 1, p.left = 0, p.right = 0;
    EXPECT_FALSE(CWindowPlacement::Decode(p.Encode())) << "a rectangle without area cannot be shown";
}

TEST(WindowPlacement, EightHundredPixelLimit) {
    int left = -1, width = -1;
    ASSERT_TRUE(CWindowPlacement::LimitedMaximum(0, 1920, &left, &width));
    EXPECT_EQ(width, 800);
    EXPECT_EQ(left, 560);
    // A work area that does not start at the screen's edge (a panel on the left).
    ASSERT_TRUE(CWindowPlacement::LimitedMaximum(64, 1001, &left, &width));
    EXPECT_EQ(left, 64 + 100);
    // On narrow screens the limit does nothing.
    EXPECT_FALSE(CWindowPlacement::LimitedMaximum(0, 800, &left, &width));
}

class FavouritesFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pagora-fav-XXXXXX";
        m_root = mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(m_root); }
    void Url(const std::string& name, const std::string& address) {
        fs::path path = fs::path(m_root) / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "[InternetShortcut]\r\nURL=" << address << "\r\n";
    }
    std::string m_root;
};

TEST_F(FavouritesFolder, SortedTreeWithRunningIndexes) {
    Url("zeta.url", "http://z/");
    Url("Alpha.url", "http://a/");
    Url("beta.url", "http://b/");
    Url("Upper.URL", "http://upper/");  // extension case differs: not listed
    Url(".hidden.url", "http://hidden/");
    Url("news/daily.url", "http://daily/");
    Url("Art/gallery.url", "http://gallery/");
    fs::create_directories(fs::path(m_root) / "empty");
    Url("notes/readme.txt", "not a shortcut");

    CFavouritesFolder fav;
    fav.Load(m_root);
    const auto& root = fav.Root();
    ASSERT_EQ(root.items.size(), 3u);
    EXPECT_EQ(root.items[0].title, "Alpha");
    EXPECT_EQ(root.items[1].title, "beta");
    EXPECT_EQ(root.items[2].title, "zeta");
    // Folders without shortcuts get no sub-menu; the others are sorted ignoring case.
    ASSERT_EQ(root.folders.size(), 2u);
    EXPECT_EQ(root.folders[0].title, "Art");
    EXPECT_EQ(root.folders[1].title, "news");
    ASSERT_EQ(fav.Addresses().size(), 5u);
    EXPECT_EQ(fav.AddressOf(CFavouritesFolder::kFirstId + root.items[1].index), "http://b/");
    EXPECT_EQ(fav.AddressOf(CFavouritesFolder::kFirstId + root.folders[1].items[0].index), "http://daily/");
    EXPECT_EQ(fav.AddressOf(CFavouritesFolder::kFirstId + 5), "");
    EXPECT_EQ(fav.AddressOf(CFavouritesFolder::kFirstId - 1), "");

    // Loading again (a missing folder) starts from empty.
    fav.Load(m_root + "/missing");
    EXPECT_TRUE(fav.Root().items.empty() && fav.Root().folders.empty() && fav.Addresses().empty());
}

TEST_F(FavouritesFolder, AtMostTheHandledIdentifiers) {
    for (int i = 0; i < 770; ++i) Url("f" + std::to_string(i) + ".url", "http://x/" + std::to_string(i));
    CFavouritesFolder fav;
    fav.Load(m_root);
    EXPECT_EQ(fav.Addresses().size(), size_t(CFavouritesFolder::kLastId - CFavouritesFolder::kFirstId + 1));
}

TEST(FavouritesFolderPath, ExpandsEnvironment) {
    setenv("PAGORA_FAV_TEST", "/home/reader", 1);
    unsetenv("PAGORA_FAV_UNSET");
    EXPECT_EQ(CFavouritesFolder::ExpandEnvironment("%PAGORA_FAV_TEST%/Fav"), "/home/reader/Fav");
    EXPECT_EQ(CFavouritesFolder::ExpandEnvironment("${PAGORA_FAV_TEST}/a $PAGORA_FAV_TEST"),
              "/home/reader/a /home/reader");
    // Unknown names and lone markers stay as written.
    EXPECT_EQ(CFavouritesFolder::ExpandEnvironment("%PAGORA_FAV_UNSET%/100%"), "%PAGORA_FAV_UNSET%/100%");
}
