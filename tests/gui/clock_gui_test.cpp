// The alarm in the real program (offscreen, where no clock can be shown):
// the options dialog arms it, it rings in its minute on a shifted clock,
// snoozing rings it again five minutes later, dismissing leaves it off, and
// a restart does not arm it whatever the settings say.
#include <gtest/gtest.h>

#include <string>

#include "readerrun.h"

TEST(ClockGui, AlarmRingsInItsMinuteSnoozeRingsAgainFiveMinutesLaterAndARestartLeavesItOff) {
    CReaderRun run;
    const std::string page = run.WriteFile("page.htm", "<html><body>page</body></html>");
    auto out = run.Run({"frame alarm", "frame alarm-now 07:30:55", "frame alarm-answer snooze",
                        "frame dialog options.clock values set:alarmTime:731 set:alarmOn:1 text:message:该休息了 ok",
                        "frame alarm", "setting 26", "until rings=1 | frame alarm",
                        // Snoozed at 07:31: it comes again at 07:36.
                        "frame alarm", "frame alarm-now 07:35:55", "frame alarm-answer dismiss",
                        "until rings=2 | frame alarm", "frame dialog options.clock values cancel", "setting 25",
                        "close"},
                       {page});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "rings=0 armed=-1 timer=0 message=");
    // Offscreen there are no see-through windows: the clock's box is disabled.
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 3),
              "showClock=0-,radius=60,showSecond=0,transparency=40,alarmTime=07:30,alarmOn=0,message= ok");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 4), "rings=0 armed=731 timer=1 message=");
    EXPECT_EQ(CReaderRun::Value(out, "SETTING", 0), "731");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 5), "rings=1 armed=736 timer=1 message=该休息了");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 6), "rings=1 armed=736 timer=1 message=该休息了");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 9), "rings=2 armed=736 timer=0 message=该休息了");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 10),
              "showClock=0-,radius=60,showSecond=0,transparency=40,alarmTime=07:31,alarmOn=1,message=该休息了 cancel");
    // Dismissing changes no setting.
    EXPECT_EQ(CReaderRun::Value(out, "SETTING", 1), "1");
    EXPECT_EQ(CReaderRun::Value(out, "TIMEOUT"), "");

    auto again = run.Run({"frame alarm", "close"}, {page});
    EXPECT_EQ(CReaderRun::Value(again, "FRAME"), "rings=0 armed=-1 timer=0 message=");
}
