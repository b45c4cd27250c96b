#include "view/popuprules.h"

#include "view/navigationrules.h"

namespace popuprules {
namespace {
int s_ownWindows = 0;
Tally s_tally;
}  // namespace

Action Decide(const Settings& settings, const Request& request, int ownWindowsOpen) {
    if (request.address.empty()) return Action::Cancel;
    if (settings.filterOn && settings.keywords && navrules::WindowFilterRejects(request.address, *settings.keywords))
        return Action::Cancel;
    // Without a left click just before, a page that is loading or has only
    // just loaded opens nothing: that is where pop-ups come from.
    const bool clicked = request.msSinceLeftClick >= 0 && request.msSinceLeftClick <= kClickMs;
    if (settings.noPopups && !clicked && (!request.pageComplete || request.msSinceComplete < kSettleMs))
        return Action::Cancel;
    if (settings.noPopups && settings.oneInstance) return Action::OpenHere;
    // Each window of its own costs a page and its memory: past a few, a
    // page asking for more gets none.
    if (ownWindowsOpen >= kMaxOwnWindows) return Action::Cancel;
    return Action::OwnWindow;
}

void Record(Action action) {
    switch (action) {
    case Action::Cancel: ++s_tally.cancelled; break;
    case Action::OpenHere: ++s_tally.openedHere; break;
    case Action::OwnWindow: ++s_tally.ownWindows; break;
    }
}

Tally Answers() { return s_tally; }

void WindowOpened() { ++s_ownWindows; }
void WindowClosed() {
    if (s_ownWindows > 0) --s_ownWindows;
}
int OwnWindowsOpen() { return s_ownWindows; }

}  // namespace popuprules
