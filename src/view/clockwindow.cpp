#include "view/clockwindow.h"

#include <QBitmap>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <utility>

namespace {
clockface::Shown ShownOf(const ClockTime& t) {
    return {t.hour, t.minute, t.second, clockface::HourHandPos(t.hour, t.minute)};
}
}  // namespace

CClockWindow::CClockWindow(QWidget* owner, std::function<QTime()> now)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), m_owner(owner),
      m_now(std::move(now)) {
    setObjectName(QStringLiteral("clock"));
    setWindowTitle(QStringLiteral("Pagora clock"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::PointingHandCursor);
    m_look.showSecondHand = false;
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &CClockWindow::Tick);
    m_geometry = clockface::FromSize(width(), height());
    Run(true);
}

CClockWindow::~CClockWindow() { Run(false); }

void CClockWindow::SetShowSeconds(bool show) {
    if (m_look.showSecondHand == show) return;
    m_look.showSecondHand = show;
    Repaint();
}

void CClockWindow::SetTransparency(int transparency) {
    m_alpha = clockface::Alpha(transparency);
    setWindowOpacity(m_alpha / 255.0);
}

void CClockWindow::MoveBy(int dx, int dy) { move(pos() + QPoint(dx, dy)); }

void CClockWindow::Run(bool on) {
    if (!on) {
        m_timer.stop();
        return;
    }
    TakeTime();
    Repaint();
    if (!m_timer.isActive()) m_timer.start();
}

void CClockWindow::TakeTime() {
    const QTime t = m_now();
    m_time = {t.hour() % 12, t.minute(), t.second(), t.msec()};
}

void CClockWindow::Tick() {
    TakeTime();
    const clockface::Shown next = ShownOf(m_time);
    const clockface::Redraw plan = clockface::Plan(m_shown, next, false, m_look.showSecondHand);
    // Every 15 seconds the whole face is painted anew, whatever moved.
    if (plan != clockface::Redraw::Nothing || clockface::FullRepaintAt(m_time.second)) Repaint();
}

void CClockWindow::Repaint() {
    m_shown = ShownOf(m_time);
    // The shape follows what is painted: marks and hands take the mouse,
    // the see-through rest lets it through to the window below.
    QImage face(size(), QImage::Format_ARGB32_Premultiplied);
    face.fill(Qt::transparent);
    {
        QPainter p(&face);
        PaintClockFace(p, m_geometry, m_look, m_time);
    }
    QRegion shape(QBitmap::fromImage(face.createAlphaMask()));
    if (shape != m_shape) {
        m_shape = shape;
        // An empty mask would mean no mask at all: keep one pixel in the centre.
        setMask(shape.isEmpty() ? QRegion(m_geometry.cx, m_geometry.cy, 1, 1) : shape);
    }
    update();
}

void CClockWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintClockFace(p, m_geometry, m_look, m_time);
    ++m_paints;
}

void CClockWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_geometry = clockface::FromSize(width(), height());
    Repaint();
}

void CClockWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_dragging = true;
    m_systemMoveTried = false;
    m_grab = event->globalPosition().toPoint() - pos();
}

void CClockWindow::mouseMoveEvent(QMouseEvent* event) {
    // Only the left button, with no other button or modifier key, drags.
    if (!m_dragging || event->buttons() != Qt::LeftButton || event->modifiers() != Qt::NoModifier) return;
    if (!m_systemMoveTried) {
        m_systemMoveTried = true;
        // The window manager's own move loop where there is one.
        if (windowHandle() && windowHandle()->startSystemMove()) {
            m_dragging = false;
            GiveFocusBack();
            return;
        }
    }
    move(event->globalPosition().toPoint() - m_grab);
}

void CClockWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_dragging = false;
    GiveFocusBack();
}

void CClockWindow::GiveFocusBack() {
    if (m_owner) m_owner->activateWindow();
}
