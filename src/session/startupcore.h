#pragma once
// The Qt-free start-up and shutdown sequence: side files, settings, port,
// lists, first page; the window steps are hooks the Qt application fills in.

#include <functional>
#include <string>
#include <vector>

class CParaBlock;

// The status text shown when the browser reports an empty status ("完成",
// UTF-8 like every text of the user interface).
std::string IdleStatusText();

// The window-filter keywords: the file's lines, trimmed of surrounding blanks,
// empty lines left out. A missing or unreadable file gives an empty list.
std::vector<std::string> ReadWindowFilterKeywords(const std::string& path);
// The process-wide list read at start-up (empty before).
std::vector<std::string> WindowFilterKeywords();
void SetWindowFilterKeywords(std::vector<std::string> keywords);

// What the command line asks for: "new" (nothing named) or "open" a path.
enum class CommandAction { New, Open };
struct ParsedCommandLine {
    CommandAction action = CommandAction::New;
    std::string path;  // absolute local path for Open
};
// `args` without the program name. One argument (a path or a file:// address)
// opens it; no argument, or anything else, is "new".
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args, const std::string& currentDir);

// The first page. For "open" writes the position keys at once (scroll 0 0,
// "CurrentDir" and "CurPathInZip" empty, "CurrentPath" the named path) and
// opens the main block's position; for "new" opens the main block's position
// when "CurrentPath" is set and "PARA_SAVE_RST" is on, else the position of a
// fresh, fully reset block (the home page). `openPosition` is the view's
// operation that opens a position; exceptions from it pass to the caller.
void OpenFirstPage(CParaBlock& main, const ParsedCommandLine& cmd,
                   const std::function<void(CParaBlock& position)>& openPosition);

// Hooks for the steps that belong to other modules or need a window. An empty
// hook is skipped.
struct StartupHooks {
    std::function<void()> loadPasswords;        // the ".pwd" table
    std::function<void()> loadHomeNames;        // the ".zhp" names, with the five defaults when empty
    std::function<void()> loadBookshelf;        // the ".blb" list
    std::function<void()> readRecentLists;      // recent documents and bookmarks from the INI file
    std::function<void()> loadTextFilterModule; // load Pagora_txt and call "IntiHookText"
    std::function<void()> registerTextFilter;   // only when "PAEA_TXT_USE_IE_DEFAULT" is 0
    // When the first page will be an archive's: start the page server now, beside
    // the making of the windows (it must not block).
    std::function<void()> launchPageServer;
    std::function<void()> createWindows;        // document, frame and view; show the frame
    std::function<void()> showClock;            // only when "PARA_CLOCK_SHOW" is non-zero
    std::function<void(CParaBlock&)> openPosition;  // the view opens a position
    std::function<void()> waitForBrowser;       // bounded wait for the browser to exist
};

// The data steps of start-up, in order: side files, bind the main block to
// "ParaBlock" of the INI file, choose the port, read the window-filter
// keywords, build the extension lists, load the side tables, read the recent
// lists, Load the main block, and when "PARA_SAVE_RST" is 0 reset and write
// the position and write "PARA_SAVE_RST" as 0.
void RunStartupDataSteps(const StartupHooks& hooks);

// The whole start-up: the data steps, the text filter, the windows, the clock,
// the first page and the wait for the browser. Returns false when opening the
// first page threw (the program then ends).
bool RunStartup(const StartupHooks& hooks, const ParsedCommandLine& cmd);

struct ShutdownHooks {
    std::function<void()> removeDisplayReplacements;  // colour and scroll-bar replacements
    std::function<void()> removeTextFilter;           // unregister from the session
    std::function<void()> freeTextFilterModule;       // "UnIntiHookText", unload
    std::function<void()> writeRecentBookmarks;
    std::function<void()> writeRecentFiles;
};
// The exit steps in order; each hook acts only on what exists.
void RunShutdown(const ShutdownHooks& hooks);
