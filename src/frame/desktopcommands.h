#pragma once
// The commands that lead out to the desktop: the "Open with" registration
// with its check mark (加入资源管理器右键菜单), the launcher dialog
// (创建快捷方式...) and the help page (使用说明).
class CCommandRegistry;
class QWidget;

void RegisterDesktopCommands(CCommandRegistry& commands, QWidget* window);
