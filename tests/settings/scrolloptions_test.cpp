// The page-scrolling options dialog's model: what it opens with, which mode
// a touched control selects, and what "确定" writes.
#include "settings/scrolloptionsmodel.h"

#include <gtest/gtest.h>

#include "platform/inifile.h"
#include "settings/parablock.h"
#include "support/storedsettings.h"

namespace {

class ScrollOptions : public StoredSettingsTest {
protected:
};

TEST_F(ScrollOptions, OpensWithTheStoredKeysAsListIndexes) {
    CScrollOptionsModel defaults(m_block);
    EXPECT_EQ(defaults.Type(), 0);
    EXPECT_EQ(defaults.SmoothSpeedIndex(), 0);  // speed 1 is the first item
    EXPECT_EQ(defaults.PageSpeedIndex(), 5);    // the page list starts at "0"
    EXPECT_EQ(defaults.Period(), 60);
    EXPECT_TRUE(defaults.ShowTime());

    // Values set unbounded in this run still open inside the controls' ranges.
    m_block.SetValue(PARA_SCROLL_PERIOD, 0, false);
    m_block.SetValue(PARA_SCROLL_SMOOTH_SPEED, 9, false);
    m_block.SetValue(PARA_SCROLL_TYPE, 7, false);
    CScrollOptionsModel odd(m_block);
    EXPECT_EQ(odd.Period(), 1);
    EXPECT_EQ(odd.SmoothSpeedIndex(), 4);
    EXPECT_EQ(odd.Type(), 1);
}

TEST_F(ScrollOptions, ATouchedControlSelectsItsMode) {
    CScrollOptionsModel model(m_block);
    model.ChoosePageSpeed(0);
    EXPECT_EQ(model.Type(), 1);
    model.ChooseSmoothSpeed(2);
    EXPECT_EQ(model.Type(), 0);
    model.SetPeriod(10);
    EXPECT_EQ(model.Type(), 1);
    model.ChooseType(0);
    model.SetShowTime(false);
    EXPECT_EQ(model.Type(), 1);
    model.SetPeriod(99999);
    EXPECT_EQ(model.Period(), 3600);
    model.SetPeriod(-3);
    EXPECT_EQ(model.Period(), 1);
}

TEST_F(ScrollOptions, AcceptWritesEveryKeyAtOnceAndNothingBefore) {
    CScrollOptionsModel model(m_block);
    model.ChooseSmoothSpeed(4);
    model.SetPeriod(30);
    model.ChoosePageSpeed(0);
    model.SetShowTime(false);
    EXPECT_EQ(Stored("PARA_SCROLL_PERIOD"), "<absent>");
    EXPECT_EQ(m_block.GetValue(PARA_SCROLL_PERIOD), 60);
    model.Accept();
    EXPECT_EQ(Stored("PARA_SCROLL_TYPE"), "1");
    EXPECT_EQ(Stored("PARA_SCROLL_SMOOTH_SPEED"), "5");
    EXPECT_EQ(Stored("PARA_SCROLL_PERIOD"), "30");
    EXPECT_EQ(Stored("PARA_SCROLL_PAGE_SPEED"), "0");
    EXPECT_EQ(Stored("PARA_SCROLL_SHOW_TIME"), "0");
    EXPECT_EQ(m_block.GetValue(PARA_SCROLL_SMOOTH_SPEED), 5);
}

}  // namespace
