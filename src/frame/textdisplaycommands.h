#pragma once
// The command "文本文件显示..." (the text display settings dialog), registered
// for the menus: after "确定" a text page on screen is converted anew.
class CCommandRegistry;
class CPagoraView;
class QWidget;

void RegisterTextDisplayCommands(CCommandRegistry& commands, CPagoraView* view, QWidget* window);
