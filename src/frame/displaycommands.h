#pragma once
// The commands of the page display, "显示比例..." (zoom), "显示宽度限制为..."
// (width limit) and "HTML文件显示..." (page background), registered for the menus.
class CCommandRegistry;
class CPagoraView;
class QWidget;

void RegisterDisplayCommands(CCommandRegistry& commands, CPagoraView* view, QWidget* window);
