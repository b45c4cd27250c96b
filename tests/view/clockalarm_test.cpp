// The clock face's numbers (geometry, hands, what a tick redraws, place and
// alpha of the window) and when the alarm rings.
#include <gtest/gtest.h>

#include "view/alarmmodel.h"
#include "view/clockface.h"

using namespace clockface;

namespace {

int At(int h, int m, int s = 0) { return (h * 60 + m) * 60 + s; }

TEST(ClockFace, WindowPlaceSizeAndAlphaFollowTheSettings) {
    EXPECT_EQ(Side(60), 120);
    EXPECT_EQ(FirstPlace(1000, 60), (Point{850, 100}));
    EXPECT_EQ(Alpha(0), 255);
    EXPECT_EQ(Alpha(40), 153);
    EXPECT_EQ(Alpha(100), 0);
    EXPECT_EQ(Alpha(250), 0) << "above 100 counts as 100";
    EXPECT_EQ(Alpha(0x128), 153) << "only the low byte counts";
}

TEST(ClockFace, GeometryAndDialPoints) {
    const Geometry g = FromSize(120, 120);
    EXPECT_EQ(g.cx, 60);
    EXPECT_EQ(g.rx, 60);
    EXPECT_EQ(g.markSize, 3);
    EXPECT_EQ(FromSize(60, 60).markSize, 2) << "never below 2";
    EXPECT_EQ(FromSize(200, 100).markSize, 2);
    // 12, 3, 6 and 9 o'clock at factor 0.9 of the radius; adding 0.5 and
    // truncating moves points above and left of the centre 1 pixel inwards.
    EXPECT_EQ(PointAt(g, 0, 0.9), (Point{60, 7}));
    EXPECT_EQ(PointAt(g, 15, 0.9), (Point{114, 60}));
    EXPECT_EQ(PointAt(g, 30, 0.9), (Point{60, 114}));
    EXPECT_EQ(PointAt(g, 45, 0.9), (Point{7, 60}));
    // An oval face keeps its radii apart.
    const Geometry wide = FromSize(200, 100);
    EXPECT_EQ(PointAt(wide, 15, 1.0), (Point{200, 50}));
    EXPECT_EQ(PointAt(wide, 30, 1.0), (Point{100, 100}));
}

TEST(ClockFace, HandsStandWhereTheTimeSays) {
    EXPECT_EQ(HourHandPos(3, 0), 15);
    EXPECT_EQ(HourHandPos(3, 11), 15);
    EXPECT_EQ(HourHandPos(3, 12), 16);
    EXPECT_EQ(HourHandPos(15, 59), 19) << "afternoon hours on the same dial";
    EXPECT_EQ(HourHandPos(0, 0), 0);
    const Geometry g = FromSize(120, 120);
    // Hour hand at 12: tail below the centre, tip at half the radius above it.
    auto hour = HandShape(g, Hand::Hour, 0);
    EXPECT_EQ(hour[0], (Point{60, 66}));
    EXPECT_EQ(hour[2], (Point{60, 31}));
    EXPECT_LT(hour[3].x, 60);
    EXPECT_GT(hour[1].x, 60);
    auto minute = HandShape(g, Hand::Minute, 15);
    EXPECT_EQ(minute[2], (Point{102, 60}));
    EXPECT_EQ(SecondHandTip(g, 30, 0), (Point{60, 108}));
}

TEST(ClockFace, ATickRedrawsOnlyWhatChanged) {
    const Shown at{3, 11, 40, 15};
    EXPECT_EQ(Plan(at, at, true, false), Redraw::All);
    EXPECT_EQ(Plan(at, {3, 11, 41, 15}, false, true), Redraw::Second);
    EXPECT_EQ(Plan(at, {3, 11, 41, 15}, false, false), Redraw::Nothing);
    EXPECT_EQ(Plan(at, {3, 12, 0, 16}, false, false), Redraw::Hands);
    EXPECT_EQ(Plan(at, at, false, true), Redraw::Nothing);
    for (int s : {0, 15, 30, 45}) EXPECT_TRUE(FullRepaintAt(s)) << s;
    for (int s : {1, 14, 59}) EXPECT_FALSE(FullRepaintAt(s)) << s;
}

TEST(Alarm, NotArmedUntilTheDialogArmsIt) {
    CAlarmModel alarm;
    EXPECT_EQ(alarm.AlarmTime(), -1);
    EXPECT_FALSE(alarm.Check(At(7, 30)));
    alarm.ApplyOptions(false, 730, At(7, 0));
    EXPECT_FALSE(alarm.Armed());
    EXPECT_FALSE(alarm.Check(At(7, 30)));
}

TEST(Alarm, RingsInItsMinuteOnceAndSnoozesFiveMinutes) {
    CAlarmModel alarm;
    alarm.ApplyOptions(true, 730, At(7, 0));
    EXPECT_TRUE(alarm.Armed());
    EXPECT_EQ(alarm.AlarmTime(), 730);
    for (int t = At(7, 0); t < At(7, 30); t += 10) ASSERT_FALSE(alarm.Check(t)) << t;
    EXPECT_TRUE(alarm.Check(At(7, 30, 0)));
    EXPECT_FALSE(alarm.Armed()) << "the timer stops while the dialog shows";
    EXPECT_FALSE(alarm.Check(At(7, 30, 10)));
    alarm.Snooze(At(7, 30, 5));
    EXPECT_EQ(alarm.AlarmTime(), 735);
    EXPECT_FALSE(alarm.Check(At(7, 34, 50)));
    EXPECT_TRUE(alarm.Check(At(7, 35, 0)));
    // Snoozing just before midnight rings after it.
    alarm.Snooze(At(23, 58, 0));
    EXPECT_EQ(alarm.AlarmTime(), 3);
    EXPECT_FALSE(alarm.Check(At(23, 59, 50)));
    EXPECT_TRUE(alarm.Check(At(0, 3, 0)));
}

TEST(Alarm, ArmedInItsOwnMinuteRingsAtOnceAndAHeldUpTimerStillRings) {
    CAlarmModel now;
    now.ApplyOptions(true, 730, At(7, 30, 20));
    EXPECT_TRUE(now.Check(At(7, 30, 30)));

    // The checks stopped from 07:25 to 07:40 (a sleeping machine): it rings late, not never.
    CAlarmModel late;
    late.ApplyOptions(true, 730, At(7, 0));
    EXPECT_FALSE(late.Check(At(7, 25)));
    EXPECT_TRUE(late.Check(At(7, 40)));

    // Armed after its time, it rings the next day.
    CAlarmModel tomorrow;
    tomorrow.ApplyOptions(true, 730, At(8, 0));
    EXPECT_FALSE(tomorrow.Check(At(8, 0, 10)));
    EXPECT_FALSE(tomorrow.Check(At(23, 59)));
    EXPECT_FALSE(tomorrow.Check(At(7, 29)));
    EXPECT_TRUE(tomorrow.Check(At(7, 30)));
}

TEST(Alarm, UnusableStoredTimesNeitherArmNorShowInThePicker) {
    CAlarmModel alarm;
    alarm.ApplyOptions(true, 2460, At(7, 0));
    EXPECT_FALSE(alarm.Armed());
    EXPECT_EQ(CAlarmModel::PickerTime(730, At(9, 5)), 730);
    EXPECT_EQ(CAlarmModel::PickerTime(0, At(9, 5)), 905) << "0: the picker shows the current time";
    EXPECT_EQ(CAlarmModel::PickerTime(1299, At(9, 5)), 905);
}

}  // namespace
