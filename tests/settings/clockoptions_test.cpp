// The clock and alarm options dialog's model: what it opens with, what
// "确定" stores, and the message kept as one line of the INI file.
#include "settings/clockoptionsmodel.h"

#include <gtest/gtest.h>

#include "platform/inifile.h"
#include "settings/parablock.h"
#include "support/storedsettings.h"

namespace {

constexpr int kAt0915 = 9 * 3600 + 15 * 60 + 42;

class ClockOptions : public StoredSettingsTest {
protected:
};

TEST_F(ClockOptions, OpensWithTheDefaultsAndNowWhenNoAlarmTimeIsStored) {
    CClockOptionsModel m(m_block, m_ini, true, kAt0915);
    EXPECT_TRUE(m.ClockSwitchEnabled());
    EXPECT_TRUE(m.ShowClock());
    EXPECT_EQ(m.Radius(), 60);
    EXPECT_FALSE(m.ShowSecond());
    EXPECT_EQ(m.Transparency(), 40);
    EXPECT_FALSE(m.AlarmOn());
    EXPECT_EQ(m.AlarmHour(), 9);
    EXPECT_EQ(m.AlarmMinute(), 15);
    EXPECT_EQ(m.Message(), "");

    m_block.SetValue(PARA_AlARM_TIME, 730, true);
    CClockOptionsModel stored(m_block, m_ini, true, kAt0915);
    EXPECT_EQ(stored.AlarmHour(), 7);
    EXPECT_EQ(stored.AlarmMinute(), 30);
    // A time no picker can show (edited by hand) gives now as well.
    m_block.SetValue(PARA_AlARM_TIME, 2575, true);
    CClockOptionsModel bad(m_block, m_ini, true, kAt0915);
    EXPECT_EQ(bad.AlarmHour() * 100 + bad.AlarmMinute(), 915);
}

TEST_F(ClockOptions, AcceptStoresEveryKeyAndTheMessageReadBackByTheAlarm) {
    CClockOptionsModel m(m_block, m_ini, true, kAt0915);
    m.SetShowClock(false);
    m.SetRadius(250);  // beyond the spin: the largest radius
    m.SetShowSecond(true);
    m.SetTransparency(-5);
    m.SetAlarmTime(7, 30);
    m.SetAlarmOn(true);
    m.SetMessage("该休息了");
    ASSERT_TRUE(m.Accept());
    EXPECT_EQ(Stored("PARA_CLOCK_SHOW"), "0");
    EXPECT_EQ(Stored("PARA_CLOCK_RADIUS"), "200");
    EXPECT_EQ(Stored("PARA_CLOCK_SHOW_SECOND"), "1");
    EXPECT_EQ(Stored("PARA_CLOCK_TRANSPARENCY"), "0");
    EXPECT_EQ(Stored("PARA_AlARM_SHOW"), "1");
    EXPECT_EQ(Stored("PARA_AlARM_TIME"), "730");
    EXPECT_EQ(CClockOptionsModel::ReadMessage(m_ini), "该休息了");
    // The next opening shows what was stored.
    CClockOptionsModel again(m_block, m_ini, true, kAt0915);
    EXPECT_FALSE(again.ShowClock());
    EXPECT_EQ(again.Radius(), 200);
    EXPECT_EQ(again.Message(), "该休息了");
}

TEST_F(ClockOptions, WithoutTranslucentWindowsTheSwitchIsOffButTheStoredChoiceStays) {
    CClockOptionsModel m(m_block, m_ini, false, kAt0915);
    EXPECT_FALSE(m.ClockSwitchEnabled());
    EXPECT_FALSE(m.ShowClock());
    m.SetShowClock(true);
    EXPECT_FALSE(m.ShowClock());
    m.SetRadius(90);
    ASSERT_TRUE(m.Accept());
    // A desktop without compositing must not switch the clock off for one that has it.
    EXPECT_EQ(m_block.GetValue(PARA_CLOCK_SHOW), 1);
    EXPECT_EQ(Stored("PARA_CLOCK_RADIUS"), "90");
}

TEST_F(ClockOptions, MessageStaysOneLineAndWithinWhatIsReadBack) {
    CClockOptionsModel m(m_block, m_ini, true, kAt0915);
    m.SetMessage("第一行\r\n[Alarm]\nInfo1=x");
    ASSERT_TRUE(m.Accept());
    EXPECT_EQ(CClockOptionsModel::ReadMessage(m_ini), "第一行  [Alarm] Info1=x");
    EXPECT_EQ(Stored("PARA_AlARM_TIME"), "915") << "the rest of the file is untouched";

    // 400 three-byte characters: cut to 341 whole ones (1023 bytes).
    std::string longText;
    for (int i = 0; i < 400; ++i) longText += "字";
    m.SetMessage(longText);
    EXPECT_EQ(m.Message().size(), 1023u);
    EXPECT_EQ(m.Message().substr(1020), "字");
    ASSERT_TRUE(m.Accept());
    EXPECT_EQ(CClockOptionsModel::ReadMessage(m_ini), m.Message());
}

TEST_F(ClockOptions, AcceptReportsAMessageThatCouldNotBeWritten) {
    const std::string folderAsFile = m_dir.File("nowhere");
    std::string unwritable = folderAsFile + "/sub/Pagora.ini";
    platform::ini::WriteString(folderAsFile, "x", "y", "z");  // a file where the folder should be
    CClockOptionsModel m(m_block, unwritable, true, kAt0915);
    m.SetMessage("lost?");
    EXPECT_FALSE(m.Accept());
}

}  // namespace
