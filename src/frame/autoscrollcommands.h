#pragma once
// The commands of automatic scrolling, "页面滚动" (Ctrl+G, checked while the
// page scrolls) and "页面滚动..." (its options), registered for the menus.
class CCommandRegistry;
class CPagoraView;
class QWidget;

void RegisterAutoScrollCommands(CCommandRegistry& commands, CPagoraView* view, QWidget* window);
