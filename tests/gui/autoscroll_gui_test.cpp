// Automatic scrolling in the real program: Ctrl+G's command moves a long
// page at the set speed and stops on the second press; page mode turns by a
// screen less 10 pixels with the countdown pane counting; the options dialog.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "readerrun.h"

namespace {

constexpr int kCountdownPane = 32840;

std::string LongPage() {
    std::string html = "<html><body style='margin:0'>";
    for (int i = 0; i < 3000; ++i) html += "<p style='margin:0;height:20px'>line " + std::to_string(i) + "</p>";
    return html + "</body></html>";
}

int OffsetOf(const std::string& scroll) {
    const size_t comma = scroll.find(',');
    return comma == std::string::npos ? -1 : std::atoi(scroll.c_str() + comma + 1);
}

std::string Pane() { return "pane " + std::to_string(kCountdownPane); }

}  // namespace

TEST(AutoScrollGui, ContinuousSpeedThreeScrollsAboutThirtyPixelsASecondAndStopsOnTheSecondPress) {
    CReaderRun run;
    run.WriteFile("Pagora.ini", "[ParaBlock]\nPARA_SCROLL_TYPE=0\nPARA_SCROLL_SMOOTH_SPEED=3\n");
    const std::string page = run.WriteFile("long.htm", LongPage());
    auto out = run.Run({"frame checked view.auto-scroll", "command view.auto-scroll", "frame checked view.auto-scroll",
                        "until ^SCROLL: 0,([6-9][0-9]|[1-9][0-9]{2,})$ | scroll", "clock",
                        "until ^SCROLL: 0,([3-9][0-9]{2}|[1-9][0-9]{3,})$ | scroll", "clock",
                        "command view.auto-scroll", "frame checked view.auto-scroll", Pane(), "close"},
                       {page});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "0");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "1");
    const int from = OffsetOf(CReaderRun::Value(out, "SCROLL", 0));
    const int to = OffsetOf(CReaderRun::Value(out, "SCROLL", 1));
    const long ms = std::atol(CReaderRun::Value(out, "CLOCK", 1).c_str()) -
                    std::atol(CReaderRun::Value(out, "CLOCK", 0).c_str());
    ASSERT_GE(from, 60);
    ASSERT_GE(to, 300);
    ASSERT_GT(ms, 0);
    const double rate = (to - from) * 1000.0 / ms;
    // 30 pixels a second; a busy machine delays ticks and the readings.
    EXPECT_GT(rate, 18.0);
    EXPECT_LT(rate, 40.0);
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2), "0");
    EXPECT_EQ(CReaderRun::Value(out, "PANE"), "");
}

TEST(AutoScrollGui, PageModeCountsDownAndTurnsByTheClientHeightLessTen) {
    CReaderRun run;
    run.WriteFile("Pagora.ini",
                  "[ParaBlock]\nPARA_SCROLL_TYPE=1\nPARA_SCROLL_PERIOD=2\nPARA_SCROLL_PAGE_SPEED=0\n"
                  "PARA_SCROLL_SHOW_TIME=1\n");
    const std::string page = run.WriteFile("long.htm", LongPage());
    auto out = run.Run({"eval String(window.innerHeight)", "command view.auto-scroll", "until ^PANE: 1$ | " + Pane(),
                        "scroll", "until ^PANE: 0$ | " + Pane(), "until ^SCROLL: 0,[1-9] | scroll",
                        "until ^PANE: 1$ | " + Pane(), "command view.auto-scroll", Pane(),
                        "frame checked view.auto-scroll", "close"},
                       {page});
    const int height = std::atoi(CReaderRun::Value(out, "EVAL").c_str());
    ASSERT_GT(height, 100);
    EXPECT_EQ(CReaderRun::Value(out, "PANE", 0), "1");
    EXPECT_EQ(CReaderRun::Value(out, "SCROLL", 0), "0,0") << "nothing moves before the count ends";
    EXPECT_EQ(CReaderRun::Value(out, "PANE", 1), "0");
    EXPECT_EQ(OffsetOf(CReaderRun::Value(out, "SCROLL", 1)), height - 10);
    EXPECT_EQ(CReaderRun::Value(out, "PANE", 2), "1") << "the count starts again after the turn";
    EXPECT_EQ(CReaderRun::Value(out, "PANE", 3), "");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME"), "0");
}

TEST(AutoScrollGui, OptionsDialogSelectsTheModeOfTheControlTouchedAndRestartsAScrollInTheNewMode) {
    CReaderRun run;
    const std::string page = run.WriteFile("long.htm", LongPage());
    auto out = run.Run({"frame dialog options.scrolling values cancel",
                        "frame dialog options.scrolling set:period:3 set:pageSpeed:0 values ok",
                        "setting 37", "setting 39", "setting 40",
                        "frame dialog options.scrolling set:smoothSpeed:4 values ok", "setting 37", "setting 38",
                        // Continuous now; switched to page mode while it runs, the countdown appears.
                        "command view.auto-scroll", "until ^SCROLL: 0,[1-9] | scroll",
                        "frame dialog options.scrolling set:page:1 ok", "until ^PANE: [0-9]+$ | " + Pane(),
                        "frame checked view.auto-scroll", "close"},
                       {page});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0),
              "smooth=1,page=0,smoothSpeed=0,period=60,showTime=1,pageSpeed=5 cancel");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1),
              "smooth=0,page=1,smoothSpeed=0,period=3,showTime=1,pageSpeed=0 ok");
    EXPECT_EQ(CReaderRun::Value(out, "SETTING", 0), "1");
    EXPECT_EQ(CReaderRun::Value(out, "SETTING", 1), "3");
    EXPECT_EQ(CReaderRun::Value(out, "SETTING", 2), "0");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2),
              "smooth=1,page=0,smoothSpeed=4,period=3,showTime=1,pageSpeed=0 ok");
    EXPECT_EQ(CReaderRun::Value(out, "SETTING", 3), "0");
    EXPECT_EQ(CReaderRun::Value(out, "SETTING", 4), "5");
    EXPECT_FALSE(CReaderRun::Value(out, "PANE").empty());
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 4), "1");
}
