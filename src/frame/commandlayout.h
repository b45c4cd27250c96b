#pragma once
// Where the commands go in the menu bar and the tool bar, by stable name.
// A command takes its place once some part of the program has registered
// it; until then the place stays empty, and sub-menus and separators that
// are left with nothing to hold or set apart are left out as well.
#include <functional>
#include <string>
#include <vector>

struct LayoutItem {
    enum Kind { kCommand, kSeparator, kPlace, kSubMenu };
    Kind kind = kCommand;
    // A command's name; for kPlace the name of a spot where a part of the
    // program puts a menu of its own; for a resolved kSubMenu its title.
    std::string name;
    std::string submenu;  // the layout's items of one sub-menu carry its title
    std::vector<LayoutItem> items;  // of a resolved sub-menu
};

struct LayoutMenu {
    std::string title;
    std::vector<LayoutItem> items;
};

// The menu bar: "文件(&F)", "查看(&V)", "选项(&O)", "收藏(&A)", "帮助(&H)".
const std::vector<LayoutMenu>& MenuLayout();
// The tool-bar buttons in order, with separators.
const std::vector<LayoutItem>& ToolBarLayout();

// Commands the layout has a place for that no part of the program carries
// out yet, with the texts they are to show.
struct PlannedCommand {
    int id;
    std::string name, menuText, statusText;
};
const std::vector<PlannedCommand>& PlannedCommands();

using IsRegistered = std::function<bool(const std::string& name)>;
// What shows of a layout: registered commands in layout order, sub-menus
// (kSubMenu, where their first item stands) holding at least one of them,
// places, and separators only between two of those.
std::vector<LayoutItem> ResolveLayout(const std::vector<LayoutItem>& layout, const IsRegistered& registered);
// The same for the menu bar; a menu left empty is left out.
std::vector<LayoutMenu> ResolveMenus(const std::vector<LayoutMenu>& menus, const IsRegistered& registered);
