#pragma once
// What becomes of a window that a page asks for. A page may ask for any
// number of them (a loop of window.open): each request is answered at once
// and cheaply, and however many come, at most a few windows are ever made.
#include <string>
#include <vector>

namespace popuprules {

enum class Action { Cancel, OpenHere, OwnWindow };

struct Settings {
    bool noPopups = true;     // block windows the page opens on its own
    bool oneInstance = true;  // open the windows a page asks for in the reader's own view
    bool filterOn = false;    // the window filter is on
    const std::vector<std::string>* keywords = nullptr;  // its keywords
};

struct Request {
    std::string address;
    long long msSinceLeftClick = -1;  // since the last left click in the view; -1: none yet
    bool pageComplete = false;        // the asking page has finished loading
    long long msSinceComplete = 0;    // since it finished
};

// A request this soon after a left click in the view is the reader's own.
inline constexpr long long kClickMs = 200;
// A page still loading, or done less than this long ago, opens no window
// on its own.
inline constexpr long long kSettleMs = 700;
// Windows of their own that pages may hold open at the same time.
inline constexpr int kMaxOwnWindows = 4;

// The answer to one request, given how many windows of their own pages hold now.
Action Decide(const Settings& settings, const Request& request, int ownWindowsOpen);

// How many requests ended in each answer so far (user-interface thread).
struct Tally {
    int cancelled = 0;
    int openedHere = 0;
    int ownWindows = 0;
};
void Record(Action action);
Tally Answers();

// The count of windows of their own that pages hold open (user-interface thread).
void WindowOpened();
void WindowClosed();
int OwnWindowsOpen();

}  // namespace popuprules
