// The main window's Qt-free rules: where a location goes, the stored
// placement, the favourites folder, the keyboard lock panes and the address
// bar's history.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "frame/addresshistory.h"
#include "frame/favouritesfolder.h"
#include "frame/keylocks.h"
#include "frame/locationsync.h"
#include "frame/windowplacement.h"
#include "platform/registrystore.h"

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

// The same temporary folder serves the other file-based tests.
using KeyLockLeds = FavouritesFolder;
using AddressHistory = FavouritesFolder;

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

TEST_F(FavouritesFolder, WrittenShortcutIsListedWithItsAddress) {
    std::string folder = m_root + "/new/Favorites";  // created on the way
    std::string path = CFavouritesFolder::WriteShortcut(folder, " Chapter 1/2 ", "file:///books/a.htm");
    EXPECT_EQ(path, folder + "/Chapter 1_2.url");
    EXPECT_EQ(CFavouritesFolder::WriteShortcut(folder, ".profile", "http://p/"), folder + "/_profile.url");
    EXPECT_EQ(CFavouritesFolder::WriteShortcut(folder, "   ", "http://x/"), "");
    EXPECT_EQ(CFavouritesFolder::WriteShortcut(folder, "no address", ""), "");
    CFavouritesFolder fav;
    fav.Load(folder);
    ASSERT_EQ(fav.Root().items.size(), 2u);
    EXPECT_EQ(fav.Root().items[0].title, "_profile");
    EXPECT_EQ(fav.Root().items[1].title, "Chapter 1_2");
    EXPECT_EQ(fav.AddressOf(CFavouritesFolder::kFirstId + fav.Root().items[1].index), "file:///books/a.htm");
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

TEST(KeyLocks, PaneTextsAndXIndicatorBits) {
    KeyLockTexts texts = KeyLockPaneTexts(KeyLockState{true, false, true});
    EXPECT_EQ(texts.caps, "CAP");
    EXPECT_EQ(texts.num, "");
    EXPECT_EQ(texts.scroll, "SCRL");
    texts = KeyLockPaneTexts(std::nullopt);
    EXPECT_EQ(texts.caps + texts.num + texts.scroll, "") << "unreadable locks leave the panes empty";

    // The bits are found by name wherever the keymap puts them.
    std::vector<std::string> names(32);
    names[0] = "Caps Lock", names[1] = "Num Lock", names[2] = "Scroll Lock", names[3] = "Compose";
    EXPECT_EQ(KeyLocksFromIndicators(names, 0b0001), (KeyLockState{true, false, false}));
    EXPECT_EQ(KeyLocksFromIndicators(names, 0b1110), (KeyLockState{false, true, true}));
    std::vector<std::string> moved(32);
    moved[5] = "NUM LOCK", moved[31] = "caps lock";
    EXPECT_EQ(KeyLocksFromIndicators(moved, 1u << 31), (KeyLockState{true, false, false}));
    EXPECT_EQ(KeyLocksFromIndicators(moved, 1u << 5), (KeyLockState{false, true, false}));
    // A keymap naming none of the locks says nothing about them.
    std::vector<std::string> other(32);
    other[0] = "Compose", other[1] = "Mail";
    EXPECT_FALSE(KeyLocksFromIndicators(other, 0xFFFFFFFF));
    EXPECT_FALSE(KeyLocksFromIndicators({}, 0));
}

TEST_F(KeyLockLeds, LitLedsOfAnyKeyboard) {
    auto led = [this](const std::string& name, const std::string& brightness) {
        fs::create_directories(fs::path(m_root) / name);
        std::ofstream(fs::path(m_root) / name / "brightness") << brightness << "\n";
    };
    led("input3::capslock", "0");
    led("input3::numlock", "1");
    led("input3::scrolllock", "0");
    led("phy0-led", "1");  // not a keyboard lock
    EXPECT_EQ(KeyLocksFromLeds(m_root), (KeyLockState{false, true, false}));
    // A second keyboard with Caps Lock lit: the lock is on.
    led("input9::capslock", "1");
    EXPECT_EQ(KeyLocksFromLeds(m_root), (KeyLockState{true, true, false}));
    EXPECT_FALSE(KeyLocksFromLeds(m_root + "/missing"));
    fs::create_directories(fs::path(m_root) / "empty");
    EXPECT_FALSE(KeyLocksFromLeds(m_root + "/empty")) << "no lock LED: nothing to show";
}

TEST_F(AddressHistory, ListsAndTypedAddressesAcrossRuns) {
    platform::RegistryStore store(m_root + "/registry.ini");
    CAddressHistory history;
    history.Load(store);
    EXPECT_TRUE(history.Typed().empty());
    history.Entered("http://www.example.org/a", &store);
    history.Entered("/books/b.txt", &store);
    history.Entered("http://www.example.org/a", &store);
    // The drop-down list keeps every entry in order, repeats included.
    EXPECT_EQ(history.DropDown(),
              (std::vector<std::string>{"http://www.example.org/a", "/books/b.txt", "http://www.example.org/a"}));
    // The typed list has each address once, the newest first.
    EXPECT_EQ(history.Typed(), (std::vector<std::string>{"http://www.example.org/a", "/books/b.txt"}));
    EXPECT_EQ(store.GetString(CAddressHistory::TypedKey(), "url1").value_or(""), "http://www.example.org/a");

    // The next run completes from what was typed before, not from the drop-down list.
    CAddressHistory next;
    next.Load(store);
    EXPECT_TRUE(next.DropDown().empty());
    next.Reached("ch2.htm");
    next.Reached("http://example.org/about");
    next.Reached("ch2.htm");
    next.Reached("file:///books/b.txt");
    EXPECT_EQ(next.Visited().size(), 3u);
    next.Reached("ch2.htm");
    EXPECT_EQ(next.Visited()[0], "ch2.htm");
    next = CAddressHistory();
    next.Load(store);
    next.Reached("http://example.org/about");
    next.Reached("file:///books/b.txt");
    next.Reached("ch2.htm");
    EXPECT_EQ(next.Visited(),
              (std::vector<std::string>{"ch2.htm", "file:///books/b.txt", "http://example.org/about"}));
    // Typed addresses first, then reached ones, each once; the scheme and
    // "www." may be left out; case is ignored.
    EXPECT_EQ(next.Completions("EXAMPLE"),
              (std::vector<std::string>{"http://www.example.org/a", "http://example.org/about"}));
    EXPECT_EQ(next.Completions("http://www.example.org/a"), (std::vector<std::string>{"http://www.example.org/a"}));
    // The typed path and the file address reached for it are one document.
    EXPECT_EQ(next.Completions("/books"), (std::vector<std::string>{"/books/b.txt"}));
    EXPECT_EQ(next.Completions("ch"), (std::vector<std::string>{"ch2.htm"}));
    EXPECT_TRUE(next.Completions("org").empty()) << "only beginnings match";
    EXPECT_TRUE(next.Completions("").empty());
}

TEST_F(AddressHistory, TypedAddressesKeepTheNewestWithinTheLimit) {
    platform::RegistryStore store(m_root + "/registry.ini");
    CAddressHistory history;
    const size_t n = CAddressHistory::kTypedLimit + 5;
    for (size_t i = 0; i < n; ++i) history.Entered("a" + std::to_string(i), &store);
    ASSERT_EQ(history.Typed().size(), CAddressHistory::kTypedLimit);
    EXPECT_EQ(history.Typed().front(), "a" + std::to_string(n - 1));
    EXPECT_EQ(history.Typed().back(), "a5");
    EXPECT_EQ(history.DropDown().size(), n);
    CAddressHistory next;
    next.Load(store);
    EXPECT_EQ(next.Typed(), history.Typed());
    EXPECT_FALSE(store.GetString(CAddressHistory::TypedKey(), "url26"));
    // A damaged store with a repeated entry loads it once.
    store.SetString(CAddressHistory::TypedKey(), "url2", "a" + std::to_string(n - 1));
    next.Load(store);
    EXPECT_EQ(next.Typed().size(), CAddressHistory::kTypedLimit - 1);
}
