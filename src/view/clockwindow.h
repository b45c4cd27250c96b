#pragma once
// CClockWindow: the clock over the main window. A frameless window whose
// background is see-through, so that only the marks and hands show; the
// window as a whole may be translucent as well. Only the painted pixels take
// the mouse (the window's shape is their region), so a click beside a hand
// reaches the page below, and a hand held with the left button drags the
// clock. It ticks every second and repaints by the rules of clockface.h.
#include <QTime>
#include <QTimer>
#include <QWidget>

#include <functional>

#include "view/clockface.h"
#include "view/clockpainter.h"

class CClockWindow : public QWidget {
    Q_OBJECT
public:
    // `owner` is the main window (the clock stays above it and hands the
    // keyboard focus back to it); `now` is the local time to show.
    CClockWindow(QWidget* owner, std::function<QTime()> now);
    ~CClockWindow() override;

    // Draws the second hand or not; a change repaints the whole face at once.
    void SetShowSeconds(bool show);
    // "PARA_CLOCK_TRANSPARENCY": 0 opaque marks and hands, 100 invisible.
    void SetTransparency(int transparency);
    int Alpha() const { return m_alpha; }
    void MoveBy(int dx, int dy);
    // Starts or stops the one-second timer; starting paints at once.
    void Run(bool on);
    bool Running() const { return m_timer.isActive(); }

    // Whether a point of the window (its own coordinates) is painted and so
    // takes the mouse.
    bool TakesMouseAt(const QPoint& p) const { return m_shape.contains(p); }
    // How many times the face was painted, and the time it shows.
    int Paints() const { return m_paints; }
    ClockTime Shown() const { return m_time; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Tick();
    void TakeTime();
    void Repaint();
    void GiveFocusBack();

    QWidget* m_owner;
    std::function<QTime()> m_now;
    QTimer m_timer;
    clockface::Geometry m_geometry;
    ClockFaceLook m_look;
    ClockTime m_time;
    clockface::Shown m_shown;
    QRegion m_shape;
    int m_alpha = 255;
    int m_paints = 0;
    bool m_dragging = false;
    bool m_systemMoveTried = false;
    QPoint m_grab;  // the pointer's offset from the window's corner while dragging
};
