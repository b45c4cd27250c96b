#pragma once
// The commands the view carries out (files, printing, sources, moving
// between pages, finding), registered for the main window's menus.
class CCommandRegistry;
class CPagoraView;

void RegisterViewCommands(CCommandRegistry& commands, CPagoraView* view);
