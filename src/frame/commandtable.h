#pragma once
// The main window's commands: identifiers, menu texts, status texts and the
// menu and tool-bar layout, kept apart from the widgets that show them.
#include <string>
#include <vector>

enum CommandId : int {
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PAGE_SETUP = 57605,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_IMPORT_EXPORT = 32820,
    ID_FILE_MRU_FIRST = 57616,
    ID_BMK_MRU_FIRST = 57624,
    ID_APP_EXIT = 57665,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_VIEW_ADDRESS_BAR = 32803,
    ID_VIEW_ARCHIVE_BAR = 32796,
    ID_VIEW_FILE_LIST = 32830,
    ID_FILE_LOCATE = 33157,
    ID_DEFAULT_SHELF = 33159,
    ID_LIBRARY = 33158,
    ID_FULL_SCREEN = 32804,
    ID_WIDTH_800 = 32807,
    ID_DISPLAY_WIDTH = 32817,
    ID_AUTO_SCROLL = 32815,
    ID_VIEW_SOURCE = 32811,
    ID_VIEW_DECODED_SOURCE = 32812,
    ID_VIEW_TEXT = 32813,
    ID_ZOOM = 32816,
    ID_STOP = 32778,
    ID_REFRESH = 32779,
    ID_BACK = 32787,
    ID_FORWARD = 32788,
    ID_HOME = 32789,
    ID_FOLDER_HOME = 32795,
    ID_PARENT_FOLDER = 32799,
    ID_ADD_BOOKMARK = 32780,
    ID_ORGANIZE_BOOKMARKS = 32797,
    ID_FIND = 32791,
    ID_WEB_SEARCH = 32790,
    ID_HTML_DISPLAY = 32792,
    ID_TEXT_DISPLAY = 32802,
    ID_HOMEPAGE_OPTIONS = 32810,
    ID_DOWNLOAD_CONTROL = 32806,
    ID_ARCHIVE_PASSWORDS = 32793,
    ID_ARCHIVE_HOMENAMES = 32809,
    ID_WINDOW_FILTER = 32794,
    ID_CLOCK_ALARM = 32856,
    ID_SCROLL_OPTIONS = 32814,
    ID_ESC_OPTIONS = 32839,
    ID_SAVE_RST = 32808,
    ID_RESTORE_DEFAULTS = 32819,
    ID_IE_OPTIONS = 32777,
    ID_CONTEXT_MENU = 32827,
    ID_SHORTCUTS = 32852,
    ID_ADD_FAVORITE = 32775,
    ID_ORGANIZE_FAVORITES = 32776,
    ID_FAVORITE_FIRST = 3328,
    ID_HELP = 57670,
    ID_APP_ABOUT = 57664,
    ID_CHECK_UPDATE = 32818,
    ID_ESC_KEY = 32772,
};

// One item of a menu; id 0 is a separator, a non-empty `submenu` with id 0
// opens a sub-menu of that name.
struct MenuItem {
    int id;
    std::string text;      // menu text with '&' mnemonic and, after a tab, the shortcut
    std::string status;    // status text; the part after "\n" is the tool tip
    std::string submenu;   // items of the same sub-menu carry its name
};

struct MenuPopup {
    std::string title;
    std::vector<MenuItem> items;
};

// The menu bar: "文件(&F)", "查看(&V)", "选项(&O)", "收藏(&A)", "帮助(&H)".
const std::vector<MenuPopup>& MenuBar();
// The tool-bar buttons in order; 0 is a separator.
const std::vector<int>& ToolBarButtons();
// The item of a command, or nullptr.
const MenuItem* FindCommand(int id);
// The status text before "\n" and the tool tip after it.
std::string StatusPrompt(const std::string& status);
std::string ToolTipOf(const std::string& status);
