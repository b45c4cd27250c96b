#include "view/clockpainter.h"

#include <QColor>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygon>

using namespace clockface;

namespace {

QColor FromColorValue(uint32_t v) { return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }

// A raised three-dimensional frame: light on the top and left, shadow on
// the bottom and right.
void RaisedFrame(QPainter& p, const QRect& r) {
    p.setPen(QColor(255, 255, 255));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(QColor(128, 128, 128));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

QRect Around(const Point& c, int inflate) {
    return QRect(QPoint(c.x - inflate, c.y - inflate), QPoint(c.x + inflate, c.y + inflate));
}

void FillHand(QPainter& p, const std::array<Point, 4>& shape, const QColor& fill, const QColor& outline) {
    QPolygon polygon;
    for (const Point& pt : shape) polygon << QPoint(pt.x, pt.y);
    p.setPen(QPen(outline, 1));
    p.setBrush(fill);
    p.drawPolygon(polygon);
}

}  // namespace

void PaintClockFace(QPainter& p, const Geometry& g, const ClockFaceLook& look, const ClockTime& time) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    // The background is no colour at all: only marks and hands are seen,
    // and only they take the mouse.
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(0, 0, p.device()->width(), p.device()->height()), Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (look.showMarks) {
        for (int i = 0; i < 60; ++i) {
            const Point at = PointAt(g, i, 0.9);
            if (i % 5 == 0) {
                const QRect mark = Around(at, g.markSize / 2 + 1);
                p.fillRect(mark, FromColorValue(look.markColor));
                if (look.raisedHourMarks) RaisedFrame(p, mark);
            } else if (look.showMinuteMarks) {
                RaisedFrame(p, Around(at, 1));
            }
        }
    }
    const QColor outline = FromColorValue(look.outlineColor);
    if (look.showHourHand)
        FillHand(p, HandShape(g, Hand::Hour, HourHandPos(time.hour, time.minute)), FromColorValue(look.hourHandColor),
                 outline);
    if (look.showMinuteHand)
        FillHand(p, HandShape(g, Hand::Minute, time.minute), FromColorValue(look.minuteHandColor), outline);
    if (look.showSecondHand) {
        // The hand was drawn as the inverse of pen XOR screen; over the
        // black background that is the inverted pen colour.
        const Point tip = SecondHandTip(g, time.second, time.millisecond);
        p.setPen(QPen(FromColorValue(~look.secondHandColor & 0xFFFFFF), 1));
        p.drawLine(QPoint(g.cx, g.cy), QPoint(tip.x, tip.y));
    }
    p.restore();
}
