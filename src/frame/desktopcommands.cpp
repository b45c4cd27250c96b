#include "frame/desktopcommands.h"

#include <QUrl>
#include <QWidget>

#include "dialogs/shortcutdialog.h"
#include "frame/commandids.h"
#include "frame/commandregistry.h"
#include "platform/modulepath.h"
#include "session/desktopintegration.h"
#include "view/messagebox.h"

namespace {

void ToggleOpenWith(QWidget* window) {
    desktop::ToggleOutcome outcome = desktop::ToggleContextMenu(desktop::FoldersFromEnvironment(), platform::ProgramPath());
    if (!outcome.message.empty()) readerbox::Message(window, outcome.message);
}

void OpenHelp(QWidget* window) {
    std::string help = desktop::HelpFilePath(platform::ProgramPath());
    if (help.empty()) {
        readerbox::Message(window, "抱歉，找不到帮助文件。\n请下载完整的ZIP文件。");
        return;
    }
    std::string address = QUrl::fromLocalFile(QString::fromStdString(help)).toString(QUrl::FullyEncoded).toStdString();
    int code = desktop::OpenInBrowser(address, desktop::FoldersFromEnvironment());
    // The reader says so when no browser took the page, rather than nothing happening.
    if (code <= 32) {
        readerbox::Beep();
        readerbox::Warning(window, desktop::OpenErrorText(code));
    }
}

}  // namespace

void RegisterDesktopCommands(CCommandRegistry& r, QWidget* window) {
    r.Add(ID_CONTEXT_MENU, "options.context-menu", "加入资源管理器右键菜单(&E)",
          "在资源管理器右键菜单中加入用Pagora打开文件\n右键菜单", [window] { ToggleOpenWith(window); })
        .Checks([] { return desktop::IsContextMenuRegistered(desktop::FoldersFromEnvironment()); });
    r.Add(ID_SHORTCUTS, "options.shortcuts", "创建快捷方式...", "为快速启动本软件创建快捷方式\n创建快捷方式", [window] {
        CShortcutDialog dialog(window);
        dialog.exec();
    });
    r.Add(ID_HELP, "help.contents", "使用说明", "打开使用说明文件\n使用说明", [window] { OpenHelp(window); });
}
