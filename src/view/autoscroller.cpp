#include "view/autoscroller.h"

#include <algorithm>

void CAutoScroller::StartAutoScroll() {
    StopAutoScroll();
    m_pageMode = m_host.Settings().type != 0;
    if (m_pageMode) {
        m_host.StartTimer(kPageTimer, kPageMs);
        m_pageTimer = true;
    } else {
        m_host.StartTimer(kStepTimer, kStepMs);
        m_stepTimer = true;
    }
}

void CAutoScroller::StopAutoScroll() {
    KillStepTimer();
    if (m_pageTimer) m_host.KillTimer(kPageTimer);
    m_pageTimer = false;
    m_elapsedSeconds = 0;
    m_turnRemaining = 0;
    m_host.ShowCountdown(std::string());
}

void CAutoScroller::OnTimer(int id) {
    // A tick that was already queued when its timer was killed is dropped.
    if (id == kStepTimer && m_stepTimer) OnStepTick();
    else if (id == kPageTimer && m_pageTimer) OnPageTick();
}

void CAutoScroller::KillStepTimer() {
    if (m_stepTimer) m_host.KillTimer(kStepTimer);
    m_stepTimer = false;
}

void CAutoScroller::OnStepTick() {
    // The page stands still while it loads, while another window is in
    // front and while the reader holds a selection or a mouse button in it.
    if (!m_host.IsComplete() || !m_host.FrameActive() || m_host.UserHolds()) return;
    const AutoScrollSettings s = m_host.Settings();
    if (!m_pageMode) {
        m_host.ScrollDown(std::clamp(s.smoothSpeed, 1, 5), true);
        return;
    }
    const int step = 2 * std::max(s.pageSpeed, 0);
    if (step == 0) {
        // The speed was set to 0 in the middle of a turn: the rest of the
        // turn jumps at once (subtracting 0 would never end the turn, and
        // the page timer waits for its end).
        const int rest = m_turnRemaining;
        EndTurn();
        if (rest > 0) m_host.ScrollDown(rest, false);
        return;
    }
    m_turnRemaining -= step;
    // The last step is taken after the position was read, as the turn ends.
    if (m_turnRemaining <= step) EndTurn();
    m_host.ScrollDown(step, true);
}

void CAutoScroller::EndTurn() {
    m_turnRemaining = 0;
    KillStepTimer();
    if (std::optional<int> top = m_host.ScrollTop()) m_lastTop = *top;
}

void CAutoScroller::OnPageTick() {
    if (m_turnRemaining != 0 || !m_host.IsComplete()) return;
    const AutoScrollSettings s = m_host.Settings();
    const int period = std::max(s.period, 1);
    // The countdown shows even while another window is in front; it never
    // goes below 0 (a period shortened below the seconds already counted
    // turns at this tick), and it is cleared once it is switched off.
    if (s.showTime) m_host.ShowCountdown(std::to_string(std::max(period - m_elapsedSeconds - 1, 0)));
    else m_host.ShowCountdown(std::string());
    if (!m_host.FrameActive()) return;
    const std::optional<int> top = m_host.ScrollTop();
    if (!top) return;
    if (*top != m_lastTop) {
        // The reader moved the page: the count starts again.
        m_elapsedSeconds = 0;
        m_lastTop = *top;
    }
    m_elapsedSeconds = std::min(m_elapsedSeconds + 1, period);
    if (m_elapsedSeconds < period) return;
    // A turn due while the reader holds the page waits for the release.
    if (m_host.UserHolds()) return;
    TurnPage(s);
}

void CAutoScroller::TurnPage(const AutoScrollSettings& s) {
    m_elapsedSeconds = 0;
    const int zoom = s.zoom > 0 ? s.zoom : 100;
    // One screen in document pixels at this zoom, less 10 pixels that stay in view.
    const int distance = m_host.ClientHeight() * 100 / zoom - 10;
    if (distance <= 0) return;  // a view too low to turn by anything
    if (s.pageSpeed > 0) {
        m_turnRemaining = distance;
        KillStepTimer();
        m_host.StartTimer(kStepTimer, kStepMs);
        m_stepTimer = true;
    } else {
        m_host.ScrollDown(distance, false);
    }
}
