#pragma once
// Paints the clock face for a given time into any paint device: the
// background left see-through, the hour marks, the hour, minute and second
// hands, as the numbers of clockface.h place them.
#include <cstdint>

#include "view/clockface.h"

class QPainter;

struct ClockFaceLook {
    // Colour values 0x00BBGGRR.
    uint32_t hourHandColor = 0x24DB7B;
    uint32_t minuteHandColor = 0xED9B12;
    uint32_t secondHandColor = 0xFFFF00;
    uint32_t markColor = 0x0000FF;
    uint32_t outlineColor = 0x0F0F0F;
    bool showHourHand = true, showMinuteHand = true, showSecondHand = true;
    bool showMarks = true, showMinuteMarks = true, raisedHourMarks = true;
};

struct ClockTime {
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Clears the area of `g` to transparent and draws the face at `time`.
void PaintClockFace(QPainter& painter, const clockface::Geometry& g, const ClockFaceLook& look, const ClockTime& time);
