// Where the browser sits under the width limit and the margins' colour.
#include "view/browserlayout.h"

#include <gtest/gtest.h>

TEST(BrowserLayout, CentresTheLimitedColumnWithIntegerHalves) {
    using browserlayout::Horizontal;
    // 701 in 1000 pixels spans 150 to 850: the odd pixel is lost.
    browserlayout::Span s = Horizontal(0, 1000, true, 701);
    EXPECT_EQ(s.left, 150);
    EXPECT_EQ(s.width, 700);
    // An odd client width puts the centre on its integer half, offset by the left edge.
    s = Horizontal(10, 801, true, 400);
    EXPECT_EQ(s.left, 10 + 400 - 200);
    EXPECT_EQ(s.width, 400);
    // Without the limit the browser fills the client area.
    s = Horizontal(0, 1000, false, 701);
    EXPECT_EQ(s.left, 0);
    EXPECT_EQ(s.width, 1000);
    // A view narrower than the limit keeps all of the page in sight.
    s = Horizontal(0, 500, true, 700);
    EXPECT_EQ(s.left, 0);
    EXPECT_EQ(s.width, 500);
    s = Horizontal(0, 0, true, 700);
    EXPECT_EQ(s.width, 0);
}

TEST(BrowserLayout, MarginColourIsTheWindowColourAboveTheColourRange) {
    EXPECT_EQ(browserlayout::MarginColour(0x00FF00, 0xFFFFFF), 0x00FF00u);
    EXPECT_EQ(browserlayout::MarginColour(0, 0xFFFFFF), 0u);
    EXPECT_EQ(browserlayout::MarginColour(static_cast<int>(0xFF123456u), 0xEEEEEE), 0xEEEEEEu);
    EXPECT_EQ(browserlayout::MarginColour(0x01000000, 0xEEEEEE), 0xEEEEEEu);
}
