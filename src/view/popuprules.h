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
    bool userGesture = false;      // the engine counts the request as the user's (a click)
    bool pageComplete = false;     // the asking page has finished loading
    long long msSinceComplete = 0;  // since it finished
};

// A page still loading, or done less than this long ago, opens no window
// on its own.
inline constexpr long long kSettleMs = 700;
// Windows of their own that pages may hold open at the same time.
inline constexpr int kMaxOwnWindows = 4;

// The answer to one request, given how many windows of their own pages hold now.
Action Decide(const Settings& settings, const Request& request, int ownWindowsOpen);

// The count of windows of their own that pages hold open (user-interface thread).
void WindowOpened();
void WindowClosed();
int OwnWindowsOpen();

}  // namespace popuprules
