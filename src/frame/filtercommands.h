#pragma once
// The commands of the option dialogs on what pages may load and open
// (download control, window filter), the home page and the Esc key,
// registered for the main window's menus.
class CCommandRegistry;
class CPagoraView;
class QWidget;

void RegisterFilterCommands(CCommandRegistry& commands, CPagoraView* view, QWidget* window);
