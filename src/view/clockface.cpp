#include "view/clockface.h"

#include <algorithm>
#include <cmath>

namespace clockface {

namespace {
constexpr double kPi = 3.14159;
// Adds 0.5 and truncates, as the face has always rounded.
int Round(double v) { return static_cast<int>(v + 0.5); }
}  // namespace

Geometry FromSize(int width, int height) {
    Geometry g;
    g.cx = width / 2;
    g.cy = height / 2;
    g.rx = width / 2;
    g.ry = height / 2;
    g.markSize = std::max(std::min(g.rx, g.ry) / 20, 2);
    return g;
}

Point PointAt(const Geometry& g, double p, double f) {
    const double angle = (p - 15) * kPi / 30;
    return {g.cx + Round(std::cos(angle) * g.rx * f), g.cy + Round(std::sin(angle) * g.ry * f)};
}

int HourHandPos(int hour, int minute) { return 5 * (((hour % 12) + 12) % 12) + minute / 12; }

std::array<Point, 4> HandShape(const Geometry& g, Hand hand, int p) {
    const int w = hand == Hand::Hour ? 10 : 15;
    const double tip = hand == Hand::Hour ? 0.5 : 0.7;
    return {PointAt(g, p + 30, 0.1), PointAt(g, p + w, 0.05), PointAt(g, p, tip), PointAt(g, p - w, 0.05)};
}

Point SecondHandTip(const Geometry& g, int second, int millisecond) {
    return PointAt(g, second + millisecond * 0.001, 0.8);
}

Redraw Plan(const Shown& shown, const Shown& next, bool full, bool showSecondHand) {
    if (full) return Redraw::All;
    if (next.hour != shown.hour || next.minute != shown.minute || next.hourHandPos != shown.hourHandPos)
        return Redraw::Hands;
    if (next.second != shown.second && showSecondHand) return Redraw::Second;
    return Redraw::Nothing;
}

bool FullRepaintAt(int second) { return second % 15 == 0; }

int Alpha(int transparency) {
    const int t = std::min(transparency & 0xFF, 100);
    return (100 - t) * 255 / 100;
}

Point FirstPlace(int clientWidth, int radius) { return {clientWidth - 2 * radius - 30, 100}; }

int Side(int radius) { return 2 * radius; }

}  // namespace clockface
