// The clock face painted into an image: see-through background, marks and
// hands in their colours where the time puts them.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "view/clockpainter.h"

namespace {

QImage Face(const ClockTime& time, const ClockFaceLook& look = {}) {
    QImage image(120, 120, QImage::Format_ARGB32);
    image.fill(QColor(1, 2, 3));  // whatever was there before
    QPainter painter(&image);
    PaintClockFace(painter, clockface::FromSize(120, 120), look, time);
    painter.end();
    return image;
}

QRgb Opaque(int r, int g, int b) { return qRgba(r, g, b, 255); }

TEST(ClockPainter, ThreeOClockHalfAMinute) {
    const QImage face = Face({3, 0, 30, 0});
    EXPECT_EQ(qAlpha(face.pixel(0, 0)), 0) << "the background is see-through";
    EXPECT_EQ(qAlpha(face.pixel(30, 90)), 0);
    EXPECT_EQ(face.pixel(60, 7), Opaque(255, 0, 0)) << "the 12 o'clock mark";
    EXPECT_EQ(face.pixel(70, 60), Opaque(123, 219, 36)) << "the hour hand points to 3";
    EXPECT_EQ(face.pixel(60, 50), Opaque(18, 155, 237)) << "the minute hand points to 12";
    EXPECT_EQ(face.pixel(60, 100), Opaque(255, 0, 0)) << "the second hand points to 6";
    EXPECT_EQ(qAlpha(face.pixel(50, 60)), 0) << "nothing towards 9";
}

TEST(ClockPainter, HiddenPartsAreNotDrawnAndTheHourHandMovesWithTheMinutes) {
    ClockFaceLook look;
    look.showSecondHand = false;
    look.showMarks = false;
    const QImage face = Face({3, 0, 30, 0}, look);
    EXPECT_EQ(qAlpha(face.pixel(60, 100)), 0);
    EXPECT_EQ(qAlpha(face.pixel(60, 7)), 0);
    // At 21:36 the hour hand stands at 48, past 9 by three fifths of an hour.
    const QImage later = Face({21, 36, 0, 0}, look);
    const clockface::Geometry g = clockface::FromSize(120, 120);
    const clockface::Point on = clockface::PointAt(g, 48, 0.15);
    EXPECT_EQ(later.pixel(on.x, on.y), Opaque(123, 219, 36));
    const clockface::Point nine = clockface::PointAt(g, 45, 0.4);
    EXPECT_EQ(qAlpha(later.pixel(nine.x, nine.y)), 0);
}

}  // namespace
