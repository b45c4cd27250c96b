#include "frame/commandtable.h"

namespace {

std::vector<MenuPopup> BuildMenuBar() {
    return {
        {"文件(&F)",
         {
             {ID_FILE_OPEN, "打开文件(&O)...\tCtrl+O", "打开本地文件\n打开文件", ""},
             {ID_FILE_SAVE_AS, "另存为(&A)...\tCtrl+S", "将该文档保存到文件中\n另存为", ""},
             {0, "", "", ""},
             {ID_FILE_PAGE_SETUP, "页面设置(&U)...", "更改该页的纸张、页眉、页脚、方向以及页边距\n页面设置", ""},
             {ID_FILE_PRINT, "打印(&P)...\tCtrl+P", "打印该页\n打印", ""},
             {ID_FILE_PRINT_PREVIEW, "打印预览(&V)", "预览页面的打印效果\n打印预览", ""},
             {0, "", "", ""},
             {ID_IMPORT_EXPORT, "导入和导出(&I)...", "导入或导出收藏夹、cookie\n导入和导出", ""},
             {0, "", "", ""},
             {ID_FILE_MRU_FIRST, "最近文件", "打开该文档", "最近文件"},
             {ID_BMK_MRU_FIRST, "最近书签", "打开该文档", "最近书签"},
             {0, "", "", ""},
             {ID_APP_EXIT, "退出(&X)", "退出本程序\n退出", ""},
         }},
        {"查看(&V)",
         {
             {ID_VIEW_TOOLBAR, "工具条(&T)", "打开/关闭工具条\n工具条", ""},
             {ID_VIEW_STATUS_BAR, "状态条(&S)", "打开/关闭状态条\n状态条", ""},
             {ID_VIEW_ADDRESS_BAR, "地址栏", "打开/关闭地址栏\n地址栏", ""},
             {ID_VIEW_ARCHIVE_BAR, "压缩文件内容", "打开/关闭压缩文件内容列表\n压缩文件内容", ""},
             {ID_VIEW_FILE_LIST, "文件列表", "打开/关闭文件列表\n文件列表", ""},
             {ID_DEFAULT_SHELF, "缺省书架", "打开文件列表并跳至书库缺省书架\n缺省书架", "书库相关"},
             {ID_LIBRARY, "书库管理...", "管理书库中的书架（文件夹）\n书库管理", "书库相关"},
             {0, "", "", ""},
             {ID_FULL_SCREEN, "全屏\tF11", "将窗口扩大到全屏幕\n全屏", ""},
             {ID_WIDTH_800, "窗口宽度限制为800象素", "将窗口宽度限制为800象素\n800象素宽", ""},
             {ID_DISPLAY_WIDTH, "显示宽度限制为...", "将显示区域限制为指定的宽度\n显示宽度", ""},
             {ID_AUTO_SCROLL, "页面滚动\tCtrl+G", "自动滚动当前页面\n页面滚动", ""},
             {0, "", "", ""},
             {ID_VIEW_SOURCE, "源文件", "显示该页的HTML源文件\n查看源文件", ""},
             {ID_VIEW_DECODED_SOURCE, "解码源文件", "对于加密HTML，尝试解码，然后显示解码后的HTML内容\n解码源文件", ""},
             {ID_VIEW_TEXT, "文本", "显示该页的文本\n查看文本", ""},
             {ID_ZOOM, "显示比例...", "设置页面显示比例\n显示比例", ""},
             {0, "", "", ""},
             {ID_STOP, "停止(&P)", "停止加载当前页\n停止", ""},
             {ID_REFRESH, "刷新(&R)\tF5", "刷新当前页内容\n刷新", ""},
             {ID_BACK, "后退(&B)\tAlt+Left", "转到上一页\n后退", ""},
             {ID_FORWARD, "前进(&F)\tAlt+Right", "转到下一页\n前进", ""},
             {ID_HOME, "主页(&S)", "转到主页\n主页", ""},
             {ID_FOLDER_HOME, "当前文件夹的主页", "打开当前文件夹（或ZIP文件）中的index.htm\n当前文件夹的主页", "定位"},
             {ID_PARENT_FOLDER, "上级文件夹", "打开上级文件夹中的index.htm\n上级文件夹", "定位"},
             {ID_FILE_LOCATE, "文件定位", "在文件列表中定位当前文件\n文件定位", "定位"},
             {ID_ADD_BOOKMARK, "加入书签...", "将当前页面加入书签\n加入书签", "书签"},
             {ID_ORGANIZE_BOOKMARKS, "整理书签...", "整理书签\n整理书签", "书签"},
             {0, "", "", ""},
             {ID_FIND, "在页面中查找...\tCtrl+F", "在当前页面中查找文字\n查找", ""},
             {ID_WEB_SEARCH, "Web搜索(&W)", "打开googel搜索页面\nWeb搜索", ""},
         }},
        {"选项(&O)",
         {
             {ID_HTML_DISPLAY, "HTML文件显示...", "设置显示HTML文件时的字体、背景色等\nHTML文件显示", ""},
             {ID_TEXT_DISPLAY, "文本文件显示...", "设置显示文本文件时的行宽、字体、背景色等\n文本文件显示", ""},
             {ID_HOMEPAGE_OPTIONS, "主页...", "设置主页\n主页", ""},
             {ID_DOWNLOAD_CONTROL, "下载控制...", "选择是否下载图像、视频、音乐，是否执行脚本、控件等\n下载控制", ""},
             {0, "", "", ""},
             {ID_ARCHIVE_PASSWORDS, "压缩文件密码管理...", "压缩文件密码管理\n压缩文件密码管理", ""},
             {ID_ARCHIVE_HOMENAMES, "压缩文件主页管理...", "压缩文件主页管理\n压缩文件主页管理", ""},
             {ID_WINDOW_FILTER, "窗口过滤器...", "设置窗口过滤器\n窗口过滤器", ""},
             {ID_CLOCK_ALARM, "时钟/闹钟设置...", "设置时钟显示参数，设定、开启、关闭闹钟\n时钟闹钟", ""},
             {ID_SCROLL_OPTIONS, "页面滚动...", "设置页面滚动的方式、速度等\n页面滚动选项", ""},
             {ID_ESC_OPTIONS, "ESC键...", "配置按下ESC键后的行为\nESC键", ""},
             {0, "", "", ""},
             {ID_SAVE_RST, "启动时自动恢复现场", "启动时自动恢复上次退出时浏览的页面、位置\n启动时自动恢复现场", ""},
             {ID_RESTORE_DEFAULTS, "恢复默认选项", "将所有选项恢复成默认值\n恢复默认选项", ""},
             {ID_IE_OPTIONS, "IE选项...", "打开IE选项对话框\nIE选项", ""},
             {0, "", "", ""},
             {ID_CONTEXT_MENU, "加入资源管理器右键菜单(&E)", "在资源管理器右键菜单中加入用Pagora打开文件\n右键菜单", ""},
             {ID_SHORTCUTS, "创建快捷方式...", "为快速启动本软件创建快捷方式\n创建快捷方式", ""},
         }},
        {"收藏(&A)",
         {
             {ID_ADD_FAVORITE, "添加到收藏夹...", "将当前页添加到收藏夹\n添加到收藏夹", ""},
             {ID_ORGANIZE_FAVORITES, "整理收藏夹...", "整理收藏夹\n整理收藏夹", ""},
             {0, "", "", ""},
             {ID_FAVORITE_FIRST, "My Favorite 1", "My Favorites\nMy Favorites", "我的收藏夹"},
         }},
        {"帮助(&H)",
         {
             {ID_HELP, "使用说明", "打开使用说明文件\n使用说明", ""},
             {ID_APP_ABOUT, "关于Pagora...", "显示程序信息，版本号和版权\n关于Pagora", ""},
             {ID_CHECK_UPDATE, "检查更新...", "访问Pagora主页，检查最近更新\n检查更新", ""},
         }},
    };
}

}  // namespace

const std::vector<MenuPopup>& MenuBar() {
    static const std::vector<MenuPopup> menu = BuildMenuBar();
    return menu;
}

const std::vector<int>& ToolBarButtons() {
    static const std::vector<int> buttons = {
        ID_FILE_OPEN, ID_FILE_SAVE_AS, 0, ID_BACK, ID_FORWARD, ID_STOP, ID_REFRESH, ID_HOME, 0,
        ID_FIND, ID_WEB_SEARCH, 0, ID_FOLDER_HOME, ID_PARENT_FOLDER, 0, ID_ADD_BOOKMARK, ID_ORGANIZE_BOOKMARKS, 0,
        ID_VIEW_FILE_LIST, ID_VIEW_ARCHIVE_BAR, 0, ID_FULL_SCREEN, ID_DISPLAY_WIDTH, ID_ZOOM, ID_HTML_DISPLAY,
        ID_TEXT_DISPLAY, 0, ID_AUTO_SCROLL, ID_SCROLL_OPTIONS, 0, ID_VIEW_SOURCE, ID_VIEW_DECODED_SOURCE,
        ID_VIEW_TEXT, 0, ID_SAVE_RST, 0, ID_VIEW_FILE_LIST, ID_FILE_LOCATE, ID_LIBRARY, ID_DEFAULT_SHELF, 0,
        ID_APP_ABOUT, ID_HELP, ID_CHECK_UPDATE,
    };
    return buttons;
}

const MenuItem* FindCommand(int id) {
    for (const MenuPopup& popup : MenuBar())
        for (const MenuItem& item : popup.items)
            if (item.id == id) return &item;
    return nullptr;
}

std::string StatusPrompt(const std::string& status) { return status.substr(0, status.find('\n')); }

std::string ToolTipOf(const std::string& status) {
    size_t nl = status.find('\n');
    return nl == std::string::npos ? status : status.substr(nl + 1);
}
