// The main window's Qt-free rules: where a location goes, the stored
// placement, the favourites folder, the keyboard lock panes, the address
// bar's history, the command registry and what the menu layout shows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <stdexcept>

#include "frame/addresshistory.h"
#include "frame/commandids.h"
#include "frame/commandlayout.h"
#include "frame/commandregistry.h"
#include "frame/favouritesfolder.h"
#include "frame/keylocks.h"
#include "frame/locationsync.h"
#include "frame/windowplacement.h"
#include "platform/registrystore.h"

namespace fs = std::filesystem;

TEST(LocationSync, RoutesByOriginAndKind) {
    using S = CLocationSync;
    // A document picked in the frame reaches the view and both bars.
    S::Routing r = S::Route("/books/a.htm", kFromFrame, true, true);
    EXPECT_TRUE(r.openInView && r.toFileList && r.selectInArchive);
    EXPECT_FALSE(r.rereadArchive);
    // An archive makes the archive bar read its entries instead of selecting one.
    r = S::Route("/books/B.ZIP", kFromFrame, true, true);
    EXPECT_TRUE(r.rereadArchive);
    EXPECT_FALSE(r.selectInArchive);
    // The view reports where it is: it is not asked to open it again.
    r = S::Route("/books/a.htm", kFromView, true, true);
    EXPECT_FALSE(r.openInView);
    EXPECT_TRUE(r.toFileList);
    // The file list's own pick is not sent back to it.
    r = S::Route("/books/a.htm", kFromFileList, true, true);
    EXPECT_TRUE(r.openInView);
    EXPECT_FALSE(r.toFileList);
    EXPECT_TRUE(r.selectInArchive);
    // The archive bar's pick goes to neither bar.
    r = S::Route("http://127.0.0.1:5/a.htm", kFromArchiveBar, true, true);
    EXPECT_TRUE(r.openInView);
    EXPECT_FALSE(r.toFileList || r.selectInArchive || r.rereadArchive);
    // Bars that do not exist receive nothing.
    r = S::Route("/books/b.zip", kFromFrame, false, false);
    EXPECT_FALSE(r.toFileList || r.selectInArchive || r.rereadArchive);
}

TEST(LocationSync, GuardAgainstReentrance) {
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

TEST(CommandRegistry, SplitsTheTextsAndFindsCommandsByNumberOrName) {
    CCommandRegistry commands;
    int runs = 0;
    bool shown = false;
    commands.Add(ID_FILE_OPEN, "file.open", "打开文件(&O)...\tCtrl+O", "打开本地文件\n打开文件", [&] { ++runs; });
    commands.Add(ID_VIEW_TOOLBAR, "view.toolbar", "工具条(&T)", "打开/关闭工具条", [&] { shown = !shown; })
        .Checks([&] { return shown; })
        .EnabledWhen([&] { return runs > 0; });
    const Command* open = commands.Find(ID_FILE_OPEN);
    ASSERT_TRUE(open);
    EXPECT_EQ(open->text, "打开文件(&O)...");
    EXPECT_EQ(open->shortcut, "Ctrl+O");
    EXPECT_EQ(open->status, "打开本地文件");
    EXPECT_EQ(open->toolTip, "打开文件");
    EXPECT_FALSE(open->Checkable());
    EXPECT_TRUE(open->Enabled()) << "a command without a condition is always available";
    // Without a tab or a line break: no shortcut, and the prompt is the tool tip.
    const Command* bar = commands.FindByKey("view.toolbar");
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->shortcut, "");
    EXPECT_EQ(bar->toolTip, "打开/关闭工具条");
    EXPECT_TRUE(bar->Checkable());
    EXPECT_FALSE(bar->Enabled());

    EXPECT_EQ(commands.FindByKey("57601"), open);
    EXPECT_EQ(commands.FindByKey("file.open"), open);
    for (const char* unknown : {"", "57602", "file.close", "99999999999999999999", "5760x"})
        EXPECT_EQ(commands.FindByKey(unknown), nullptr) << unknown;
    EXPECT_TRUE(commands.Run(ID_FILE_OPEN));
    EXPECT_TRUE(commands.Run(ID_VIEW_TOOLBAR));
    EXPECT_FALSE(commands.Run(ID_ZOOM));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(bar->checked() && bar->Enabled());
    ASSERT_EQ(commands.Commands().size(), 2u);
    EXPECT_EQ(commands.Commands()[1].name, "view.toolbar") << "kept in the order of registration";
}

TEST(CommandRegistry, RefusesAnIncompleteOrRepeatedRegistration) {
    CCommandRegistry commands;
    auto nothing = [] {};
    commands.Add(ID_FIND, "page.find", "查找", "", nothing);
    EXPECT_THROW(commands.Add(ID_FIND, "page.find-again", "查找", "", nothing), std::invalid_argument);
    EXPECT_THROW(commands.Add(ID_STOP, "page.find", "停止", "", nothing), std::invalid_argument);
    EXPECT_THROW(commands.Add(ID_STOP, "go.stop", "停止", "", nullptr), std::invalid_argument) << "no handler";
    EXPECT_THROW(commands.Add(ID_STOP, "", "停止", "", nothing), std::invalid_argument);
    EXPECT_THROW(commands.Add(0, "go.zero", "停止", "", nothing), std::invalid_argument);
    // A refused registration leaves nothing behind.
    EXPECT_EQ(commands.Commands().size(), 1u);
    EXPECT_EQ(commands.Find("page.find-again"), nullptr);
    EXPECT_EQ(commands.Find(ID_STOP), nullptr);
    commands.Add(ID_STOP, "go.stop", "停止", "", nothing);
    EXPECT_EQ(commands.Find("page.find")->id, ID_FIND) << "earlier references stay valid";
}

namespace {

LayoutItem C(const char* name, const char* submenu = "") { return {LayoutItem::kCommand, name, submenu, {}}; }
LayoutItem S() { return {LayoutItem::kSeparator, "", "", {}}; }

// The layout written out: names, "-" separators, "[title: ...]" sub-menus, "@place".
std::string Shape(const std::vector<LayoutItem>& items) {
    std::string out;
    for (const LayoutItem& item : items) {
        if (!out.empty()) out += " ";
        switch (item.kind) {
        case LayoutItem::kCommand: out += item.name; break;
        case LayoutItem::kSeparator: out += "-"; break;
        case LayoutItem::kPlace: out += "@" + item.name; break;
        case LayoutItem::kSubMenu: out += "[" + item.name + ": " + Shape(item.items) + "]"; break;
        }
    }
    return out;
}

IsRegistered Among(std::set<std::string> names) {
    return [names](const std::string& name) { return names.count(name) > 0; };
}

// Separators only between two shown items, no empty sub-menu, at any level.
void ExpectTidy(const std::vector<LayoutItem>& items, const std::string& where) {
    ASSERT_FALSE(items.empty()) << where;
    EXPECT_NE(items.front().kind, LayoutItem::kSeparator) << where;
    EXPECT_NE(items.back().kind, LayoutItem::kSeparator) << where;
    for (size_t i = 1; i < items.size(); ++i)
        EXPECT_FALSE(items[i].kind == LayoutItem::kSeparator && items[i - 1].kind == LayoutItem::kSeparator) << where;
    for (const LayoutItem& item : items)
        if (item.kind == LayoutItem::kSubMenu) ExpectTidy(item.items, where + "/" + item.name);
}

void CollectNames(const std::vector<LayoutItem>& items, std::vector<std::string>& out) {
    for (const LayoutItem& item : items) {
        if (item.kind == LayoutItem::kCommand) out.push_back(item.name);
        CollectNames(item.items, out);
    }
}

}  // namespace

TEST(CommandLayout, CommandsNobodyRegisteredLeaveNoTrace) {
    const std::vector<LayoutItem> layout = {S(), C("a"), S(), S(), C("b", "Sub"), C("c"), C("d", "Sub"), S(),
                                            C("e", "Empty"), {LayoutItem::kPlace, "spot", "", {}}, S(), C("f"), S()};
    // A sub-menu stands where its first item does and gathers the later ones.
    EXPECT_EQ(Shape(ResolveLayout(layout, Among({"a", "b", "c", "d", "e", "f"}))),
              "a - [Sub: b d] c - [Empty: e] @spot - f");
    // Missing commands take their sub-menus and the separators around them along.
    EXPECT_EQ(Shape(ResolveLayout(layout, Among({"a", "d"}))), "a - [Sub: d] - @spot");
    EXPECT_EQ(Shape(ResolveLayout(layout, Among({"f"}))), "@spot - f");
    EXPECT_EQ(Shape(ResolveLayout({S(), C("x"), S()}, Among({}))), "");
    // A menu left empty is left out of the menu bar.
    auto menus = ResolveMenus({{"One", {C("a"), S(), C("x")}}, {"Two", {C("x"), S()}}}, Among({"a"}));
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].title, "One");
    EXPECT_EQ(Shape(menus[0].items), "a");
}

TEST(CommandLayout, TheProgramsLayoutStaysTidyWhicheverCommandsExist) {
    std::vector<std::string> menuNames;
    for (const LayoutMenu& menu : MenuLayout())
        for (const LayoutItem& item : menu.items)
            if (item.kind == LayoutItem::kCommand) menuNames.push_back(item.name);
    // A command has one place in the menus (the tool bar may repeat one).
    EXPECT_EQ(std::set<std::string>(menuNames.begin(), menuNames.end()).size(), menuNames.size());
    std::mt19937 random(15);
    for (int round = 0; round < 300; ++round) {
        std::set<std::string> registered;
        for (const std::string& name : menuNames)
            if (round == 0 || random() % 3 != 0) registered.insert(name);
        if (round == 1) registered = {"help.about"};
        std::vector<std::string> expected, shown;
        for (const std::string& name : menuNames)
            if (registered.count(name)) expected.push_back(name);
        for (const LayoutMenu& menu : ResolveMenus(MenuLayout(), Among(registered))) {
            ExpectTidy(menu.items, menu.title);
            CollectNames(menu.items, shown);
        }
        // The shown commands keep the layout's order (sub-menus stand at their first item).
        EXPECT_EQ(shown, expected) << "round " << round;
        auto bar = ResolveLayout(ToolBarLayout(), Among(registered));
        if (!bar.empty()) {
            ExpectTidy(bar, "tool bar");
        }
        if (round == 0) {
            EXPECT_EQ(bar.size(), ToolBarLayout().size()) << "everything registered: nothing dropped";
        }
        if (HasFailure()) break;
    }
}

TEST(CommandLayout, PlannedCommandsKeepTheirPlaces) {
    std::set<std::string> inMenus;
    for (const LayoutMenu& menu : MenuLayout())
        for (const LayoutItem& item : menu.items) inMenus.insert(item.name);
    std::set<int> ids;
    std::set<std::string> planned;
    for (const PlannedCommand& command : PlannedCommands()) {
        EXPECT_TRUE(inMenus.count(command.name)) << command.name << " has no place";
        EXPECT_TRUE(ids.insert(command.id).second) << command.id;
        EXPECT_TRUE(planned.insert(command.name).second) << command.name;
        EXPECT_FALSE(command.menuText.empty());
    }
    // With only the planned commands registered, the menus show exactly them.
    std::vector<std::string> shown;
    for (const LayoutMenu& menu : ResolveMenus(MenuLayout(), Among(planned))) CollectNames(menu.items, shown);
    EXPECT_EQ(std::set<std::string>(shown.begin(), shown.end()), planned);
}
