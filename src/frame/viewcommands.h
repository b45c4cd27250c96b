#pragma once
// The commands the view carries out (files, printing, sources, moving
// between pages, finding), registered for the main window's menus.
class CCommandRegistry;
class CDocumentMemory;
class CPagoraView;

// A file chosen in the open dialog is opened through `memory`, so it returns
// to where the reader left it, as from the recent-file list.
void RegisterViewCommands(CCommandRegistry& commands, CPagoraView* view, CDocumentMemory* memory);
