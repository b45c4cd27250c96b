#pragma once
// CAutoScroller: automatic scrolling of the page, continuous or page by page,
// as a state machine over two timers (5: seconds towards the next page turn,
// 6: steps of 100 ms). It knows nothing of Qt: the view hands it its timers,
// the page and the settings through AutoScrollHost and forwards the ticks.
#include <optional>
#include <string>

// The settings it works with, read anew at every tick.
struct AutoScrollSettings {
    int type = 0;         // "PARA_SCROLL_TYPE": 0 continuous, else page by page
    int smoothSpeed = 1;  // "PARA_SCROLL_SMOOTH_SPEED": pixels per 100 ms
    int period = 60;      // "PARA_SCROLL_PERIOD": seconds between page turns
    int pageSpeed = 5;    // "PARA_SCROLL_PAGE_SPEED": 0 jumps, else 2 x speed pixels per step
    int showTime = 1;     // "PARA_SCROLL_SHOW_TIME": show the countdown
    int zoom = 100;       // "PARA_ZOOM_PERSENT"
};

// What the scroller needs of the view around it.
class AutoScrollHost {
public:
    virtual ~AutoScrollHost() = default;
    virtual AutoScrollSettings Settings() = 0;
    virtual void StartTimer(int id, int periodMs) = 0;  // restarts a running one
    virtual void KillTimer(int id) = 0;
    // The document is complete (ready state 4).
    virtual bool IsComplete() = 0;
    // The main window is the active window.
    virtual bool FrameActive() = 0;
    // The reader holds a text selection or a mouse button in the page.
    virtual bool UserHolds() = 0;
    // The document's vertical scroll position; none without a document.
    virtual std::optional<int> ScrollTop() = 0;
    // Scrolls down; `glide` spreads the pixels over the coming 100 ms.
    virtual void ScrollDown(int pixels, bool glide) = 0;
    virtual int ClientHeight() = 0;
    // The countdown pane's text; empty clears it.
    virtual void ShowCountdown(const std::string& text) = 0;
};

class CAutoScroller {
public:
    static constexpr int kPageTimer = 5;
    static constexpr int kStepTimer = 6;
    static constexpr int kPageMs = 1000;
    static constexpr int kStepMs = 100;

    explicit CAutoScroller(AutoScrollHost& host) : m_host(host) {}

    // Stops, then starts in the mode "PARA_SCROLL_TYPE" names.
    void StartAutoScroll();
    void StopAutoScroll();
    bool IsAutoScrolling() const { return m_stepTimer || m_pageTimer; }
    // A tick of one of the timers started through the host.
    void OnTimer(int id);

    int ElapsedSeconds() const { return m_elapsedSeconds; }
    int TurnRemaining() const { return m_turnRemaining; }

private:
    void OnStepTick();
    void OnPageTick();
    void TurnPage(const AutoScrollSettings& s);
    void EndTurn();
    void KillStepTimer();

    AutoScrollHost& m_host;
    bool m_stepTimer = false;
    bool m_pageTimer = false;
    bool m_pageMode = false;  // the mode of this run, fixed when it starts
    int m_elapsedSeconds = 0;
    int m_turnRemaining = 0;
    int m_lastTop = 0;
};
