#include "view/viewautoscroll.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTimer>

#include "settings/parablock.h"
#include "view/browsercontrol.h"
#include "view/pagoraview.h"

CViewAutoScroll::CViewAutoScroll(CPagoraView* view)
    : QObject(view), m_view(view), m_pageTimer(new QTimer(this)), m_stepTimer(new QTimer(this)) {
    // Precise timers: a coarse one may drift by 5 % and the speeds are in
    // pixels per tenth of a second.
    m_pageTimer->setTimerType(Qt::PreciseTimer);
    m_stepTimer->setTimerType(Qt::PreciseTimer);
    connect(m_pageTimer, &QTimer::timeout, this, [this] { m_scroller.OnTimer(CAutoScroller::kPageTimer); });
    connect(m_stepTimer, &QTimer::timeout, this, [this] { m_scroller.OnTimer(CAutoScroller::kStepTimer); });
}

CViewAutoScroll::~CViewAutoScroll() = default;

void CViewAutoScroll::StartAutoScroll() {
    m_scroller.StartAutoScroll();
    Q_EMIT Changed(true);
}

void CViewAutoScroll::StopAutoScroll() {
    const bool was = m_scroller.IsAutoScrolling();
    m_scroller.StopAutoScroll();
    if (was) Q_EMIT Changed(false);
}

AutoScrollSettings CViewAutoScroll::Settings() {
    // Read at every tick, so that a changed value acts at once; bounded as a
    // load would bound it, since values set in this run are stored as given.
    CParaBlock& b = MainParaBlock();
    auto value = [&b](int key) { return CParaBlock::BoundValue(key, b.GetValue(key)); };
    AutoScrollSettings s;
    s.type = value(PARA_SCROLL_TYPE);
    s.smoothSpeed = value(PARA_SCROLL_SMOOTH_SPEED);
    s.period = value(PARA_SCROLL_PERIOD);
    s.pageSpeed = value(PARA_SCROLL_PAGE_SPEED);
    s.showTime = value(PARA_SCROLL_SHOW_TIME);
    s.zoom = value(PARA_ZOOM_PERSENT);
    return s;
}

QTimer* CViewAutoScroll::TimerOf(int id) { return id == CAutoScroller::kPageTimer ? m_pageTimer : m_stepTimer; }

void CViewAutoScroll::StartTimer(int id, int periodMs) { TimerOf(id)->start(periodMs); }

void CViewAutoScroll::KillTimer(int id) { TimerOf(id)->stop(); }

bool CViewAutoScroll::IsComplete() { return m_view->Browser() && m_view->Browser()->IsComplete(); }

bool CViewAutoScroll::FrameActive() { return m_view->isActiveWindow(); }

bool CViewAutoScroll::UserHolds() {
    CBrowserControl* browser = m_view->Browser();
    if (!browser) return false;
    if (browser->HasSelection()) return true;
    // A button held with the pointer over the page: the reader is selecting
    // or dragging the scroll bar.
    return QGuiApplication::mouseButtons() != Qt::NoButton &&
           browser->rect().contains(browser->mapFromGlobal(QCursor::pos()));
}

std::optional<int> CViewAutoScroll::ScrollTop() {
    // The offsets the engine last reported; asking the page would wait for it.
    if (!m_view->Browser()) return std::nullopt;
    return m_view->Browser()->ScrollOffsets().second;
}

void CViewAutoScroll::ScrollDown(int pixels, bool glide) {
    CBrowserControl* browser = m_view->Browser();
    if (!browser) return;
    if (glide) browser->GlideBy(pixels, CAutoScroller::kStepMs);
    else browser->ScrollBy(0, pixels);
}

int CViewAutoScroll::ClientHeight() { return m_view->height(); }

void CViewAutoScroll::ShowCountdown(const std::string& text) {
    const QString q = QString::fromStdString(text);
    if (q == m_shown) return;
    m_shown = q;
    Q_EMIT Countdown(q);
}
