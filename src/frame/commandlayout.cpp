#include "frame/commandlayout.h"

#include "frame/commandids.h"

namespace {

LayoutItem Cmd(const char* name, const char* submenu = "") { return {LayoutItem::kCommand, name, submenu, {}}; }
LayoutItem Sep() { return {LayoutItem::kSeparator, "", "", {}}; }
LayoutItem Place(const char* name) { return {LayoutItem::kPlace, name, "", {}}; }

std::vector<LayoutMenu> BuildMenuLayout() {
    return {
        {"文件(&F)",
         {
             Cmd("file.open"), Cmd("file.save-as"), Sep(),
             Cmd("file.page-setup"), Cmd("file.print"), Cmd("file.print-preview"), Sep(),
             Cmd("file.import-export"), Sep(),
             Cmd("file.recent", "最近文件"), Cmd("file.recent-bookmarks", "最近书签"), Sep(),
             Cmd("file.exit"),
         }},
        {"查看(&V)",
         {
             Cmd("view.toolbar"), Cmd("view.status-bar"), Cmd("view.address-bar"), Cmd("view.archive-bar"),
             Cmd("view.file-list"), Cmd("library.default-shelf", "书库相关"), Cmd("library.manage", "书库相关"), Sep(),
             Cmd("view.full-screen"), Cmd("view.width-800"), Cmd("view.display-width"), Cmd("view.auto-scroll"), Sep(),
             Cmd("view.source"), Cmd("view.decoded-source"), Cmd("view.text"), Place("view.encoding"),
             Cmd("view.zoom"), Sep(),
             Cmd("go.stop"), Cmd("go.refresh"), Cmd("go.back"), Cmd("go.forward"), Cmd("go.home"),
             Cmd("go.folder-home", "定位"), Cmd("go.parent-folder", "定位"), Cmd("go.locate-file", "定位"),
             Cmd("bookmarks.add", "书签"), Cmd("bookmarks.organize", "书签"), Sep(),
             Cmd("page.find"), Cmd("page.web-search"),
         }},
        {"选项(&O)",
         {
             Cmd("options.html-display"), Cmd("options.text-display"), Cmd("options.homepage"),
             Cmd("options.downloads"), Sep(),
             Cmd("options.archive-passwords"), Cmd("options.archive-home-names"), Cmd("options.window-filter"),
             Cmd("options.clock"), Cmd("options.scrolling"), Cmd("options.esc-key"), Sep(),
             Cmd("options.restore-session"), Cmd("options.restore-defaults"), Cmd("options.browser"), Sep(),
             Cmd("options.context-menu"), Cmd("options.shortcuts"),
         }},
        {"收藏(&A)",
         {
             Cmd("favourites.add"), Cmd("favourites.organize"), Sep(),
             Cmd("favourites.first", "我的收藏夹"),
         }},
        {"帮助(&H)",
         {
             Cmd("help.contents"), Cmd("help.about"), Cmd("help.check-update"),
         }},
    };
}

std::vector<LayoutItem> BuildToolBarLayout() {
    return {
        Cmd("file.open"), Cmd("file.save-as"), Sep(),
        Cmd("go.back"), Cmd("go.forward"), Cmd("go.stop"), Cmd("go.refresh"), Cmd("go.home"), Sep(),
        Cmd("page.find"), Cmd("page.web-search"), Sep(),
        Cmd("go.folder-home"), Cmd("go.parent-folder"), Sep(),
        Cmd("bookmarks.add"), Cmd("bookmarks.organize"), Sep(),
        Cmd("view.file-list"), Cmd("view.archive-bar"), Sep(),
        Cmd("view.full-screen"), Cmd("view.display-width"), Cmd("view.zoom"), Cmd("options.html-display"),
        Cmd("options.text-display"), Sep(),
        Cmd("view.auto-scroll"), Cmd("options.scrolling"), Sep(),
        Cmd("view.source"), Cmd("view.decoded-source"), Cmd("view.text"), Sep(),
        Cmd("options.restore-session"), Sep(),
        Cmd("view.file-list"), Cmd("go.locate-file"), Cmd("library.manage"), Cmd("library.default-shelf"), Sep(),
        Cmd("help.about"), Cmd("help.contents"), Cmd("help.check-update"),
    };
}

// Drops separators that would open or close a level or follow another one.
void CollapseSeparators(std::vector<LayoutItem>& items) {
    std::vector<LayoutItem> kept;
    for (LayoutItem& item : items) {
        if (item.kind == LayoutItem::kSeparator && (kept.empty() || kept.back().kind == LayoutItem::kSeparator))
            continue;
        kept.push_back(std::move(item));
    }
    if (!kept.empty() && kept.back().kind == LayoutItem::kSeparator) kept.pop_back();
    items = std::move(kept);
}

}  // namespace

const std::vector<LayoutMenu>& MenuLayout() {
    static const std::vector<LayoutMenu> menus = BuildMenuLayout();
    return menus;
}

const std::vector<LayoutItem>& ToolBarLayout() {
    static const std::vector<LayoutItem> buttons = BuildToolBarLayout();
    return buttons;
}

const std::vector<PlannedCommand>& PlannedCommands() {
    static const std::vector<PlannedCommand> planned = {
        {ID_IMPORT_EXPORT, "file.import-export", "导入和导出(&I)...", "导入或导出收藏夹、cookie\n导入和导出"},
        {ID_DISPLAY_WIDTH, "view.display-width", "显示宽度限制为...", "将显示区域限制为指定的宽度\n显示宽度"},
        {ID_AUTO_SCROLL, "view.auto-scroll", "页面滚动\tCtrl+G", "自动滚动当前页面\n页面滚动"},
        {ID_ZOOM, "view.zoom", "显示比例...", "设置页面显示比例\n显示比例"},
        {ID_HTML_DISPLAY, "options.html-display", "HTML文件显示...", "设置显示HTML文件时的字体、背景色等\nHTML文件显示"},
        {ID_TEXT_DISPLAY, "options.text-display", "文本文件显示...",
         "设置显示文本文件时的行宽、字体、背景色等\n文本文件显示"},
        {ID_HOMEPAGE_OPTIONS, "options.homepage", "主页...", "设置主页\n主页"},
        {ID_DOWNLOAD_CONTROL, "options.downloads", "下载控制...",
         "选择是否下载图像、视频、音乐，是否执行脚本、控件等\n下载控制"},
        {ID_WINDOW_FILTER, "options.window-filter", "窗口过滤器...", "设置窗口过滤器\n窗口过滤器"},
        {ID_CLOCK_ALARM, "options.clock", "时钟/闹钟设置...", "设置时钟显示参数，设定、开启、关闭闹钟\n时钟闹钟"},
        {ID_SCROLL_OPTIONS, "options.scrolling", "页面滚动...", "设置页面滚动的方式、速度等\n页面滚动选项"},
        {ID_ESC_OPTIONS, "options.esc-key", "ESC键...", "配置按下ESC键后的行为\nESC键"},
        {ID_IE_OPTIONS, "options.browser", "IE选项...", "打开IE选项对话框\nIE选项"},
    };
    return planned;
}

std::vector<LayoutItem> ResolveLayout(const std::vector<LayoutItem>& layout, const IsRegistered& registered) {
    // Sub-menus first gather their items where the first of them stands.
    std::vector<LayoutItem> grouped;
    for (const LayoutItem& item : layout) {
        if (item.submenu.empty()) {
            grouped.push_back(item);
            continue;
        }
        LayoutItem inner = item;
        inner.submenu.clear();
        auto it = grouped.begin();
        while (it != grouped.end() && !(it->kind == LayoutItem::kSubMenu && it->name == item.submenu)) ++it;
        if (it == grouped.end()) grouped.push_back({LayoutItem::kSubMenu, item.submenu, "", {std::move(inner)}});
        else it->items.push_back(std::move(inner));
    }
    std::vector<LayoutItem> shown;
    for (LayoutItem& item : grouped) {
        if (item.kind == LayoutItem::kCommand && !registered(item.name)) continue;
        if (item.kind == LayoutItem::kSubMenu) {
            item.items = ResolveLayout(item.items, registered);
            if (item.items.empty()) continue;
        }
        shown.push_back(std::move(item));
    }
    CollapseSeparators(shown);
    return shown;
}

std::vector<LayoutMenu> ResolveMenus(const std::vector<LayoutMenu>& menus, const IsRegistered& registered) {
    std::vector<LayoutMenu> shown;
    for (const LayoutMenu& menu : menus) {
        LayoutMenu resolved{menu.title, ResolveLayout(menu.items, registered)};
        if (!resolved.items.empty()) shown.push_back(std::move(resolved));
    }
    return shown;
}
