#pragma once
// The clock's face as numbers: its geometry from the window size, the points
// of marks and hands, what a tick has to redraw, the window's place, size and
// alpha. Qt-free, so the painter and the window only carry it out.
#include <array>

namespace clockface {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Geometry {
    int cx = 0, cy = 0, rx = 0, ry = 0;
    int markSize = 2;
};

// Centre and radii are half the size; marks are a twentieth of the smaller
// radius, at least 2 pixels.
Geometry FromSize(int width, int height);

// The point at dial position `p` (minute units, 0 at the top, clockwise) and
// length factor `f`.
Point PointAt(const Geometry& g, double p, double f);

// The hour hand's position: 5 x hour + minute / 12 (hour taken modulo 12).
int HourHandPos(int hour, int minute);

enum class Hand { Hour, Minute };
// The filled quadrilateral of the hour or minute hand standing at `p`.
std::array<Point, 4> HandShape(const Geometry& g, Hand hand, int p);
// The second hand's far end (the line starts at the centre).
Point SecondHandTip(const Geometry& g, int second, int millisecond);

struct Shown {
    int hour = 0, minute = 0, second = 0, hourHandPos = 0;
};
enum class Redraw { All, Hands, Second, Nothing };
// What DrawHands has to do to go from the time shown to `next`.
Redraw Plan(const Shown& shown, const Shown& next, bool full, bool showSecondHand);
// Every 15 seconds the whole face is painted anew.
bool FullRepaintAt(int second);

// Window alpha for "PARA_CLOCK_TRANSPARENCY": its low byte, at most 100.
int Alpha(int transparency);
// The first place of the clock in the main window's client area, and its side (2R).
Point FirstPlace(int clientWidth, int radius);
int Side(int radius);

}  // namespace clockface
