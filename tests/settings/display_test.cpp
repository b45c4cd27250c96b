// The display settings outside the block (the option key's colours, the zoom
// style sheet and its "Styles" values) and the models of the zoom, HTML
// display and display width dialogs.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/inifile.h"
#include "platform/registrystore.h"
#include "settings/displayoptions.h"
#include "settings/displaywidthmodel.h"
#include "settings/htmldisplaymodel.h"
#include "settings/parablock.h"
#include "settings/zoommodel.h"
#include "support/storedsettings.h"

namespace {

const std::string kSettings = std::string(displayoptions::kOptionKey) + "\\Settings";
const std::string kMain = std::string(displayoptions::kOptionKey) + "\\Main";
const std::string kStyles = std::string(displayoptions::kOptionKey) + "\\Styles";

class DisplaySettings : public StoredSettingsTest {
protected:
    platform::RegistryStore m_store{m_dir.File("registry.ini")};
};

TEST_F(DisplaySettings, OptionKeyColoursFollowTheThreeBackgroundChoices) {
    m_block.SetValue(PARA_USE_MY_BKCOLOR, 1, false);
    m_block.SetValue(PARA_MY_BKCOLOR, 0x0A141E, false);  // red 30, green 20, blue 10
    displayoptions::WriteOptionKeyColours(m_block, m_store);
    EXPECT_EQ(m_store.GetNumber(kSettings, "Always Use My Colors"), 1u);
    EXPECT_EQ(m_store.GetString(kSettings, "Background Color"), "30,20,10");
    EXPECT_EQ(m_store.GetString(kMain, "Use_DlgBox_Colors"), "no");
    displayoptions::PageColours read = displayoptions::ReadPageColours(m_store);
    EXPECT_TRUE(read.ownBackground);
    EXPECT_EQ(read.red * 65536 + read.green * 256 + read.blue, 30 * 65536 + 20 * 256 + 10);

    // The pages' own colours: the number turns 0, the colour text stays.
    m_block.SetValue(PARA_USE_MY_BKCOLOR, 2, false);
    displayoptions::WriteOptionKeyColours(m_block, m_store);
    EXPECT_EQ(m_store.GetNumber(kSettings, "Always Use My Colors"), 0u);
    EXPECT_EQ(m_store.GetString(kSettings, "Background Color"), "30,20,10");
    EXPECT_EQ(m_store.GetString(kMain, "Use_DlgBox_Colors"), "no");
    EXPECT_FALSE(displayoptions::ReadPageColours(m_store).ownBackground);

    // The engine's own setting: both switches go.
    m_block.SetValue(PARA_USE_MY_BKCOLOR, 0, false);
    displayoptions::WriteOptionKeyColours(m_block, m_store);
    EXPECT_FALSE(m_store.GetNumber(kSettings, "Always Use My Colors"));
    EXPECT_FALSE(m_store.GetString(kMain, "Use_DlgBox_Colors"));
    EXPECT_FALSE(displayoptions::ReadPageColours(m_store).ownBackground);
}

TEST_F(DisplaySettings, AnAutomaticOwnColourIsWrittenAsThePickersAutomaticColour) {
    // The picker's "缺省" stores a value above 0xFFFFFF; taken bytewise it
    // would paint pages white instead of the colour the dialog showed.
    m_block.SetValue(PARA_USE_MY_BKCOLOR, 1, false);
    m_block.SetValue(PARA_MY_BKCOLOR, -1, false);
    displayoptions::WriteOptionKeyColours(m_block, m_store);
    EXPECT_EQ(m_store.GetString(kSettings, "Background Color"), "228,235,241");
}

TEST_F(DisplaySettings, StyleSheetExistsExactlyWhileZoomIsInForce) {
    const std::string css = m_dir.File("Pagora.css");
    m_block.SetValue(RARA_CAN_ZOOM, 1, false);
    m_block.SetValue(PARA_ZOOM_PERSENT, 150, false);
    EXPECT_TRUE(displayoptions::ZoomInForce(m_block));
    EXPECT_EQ(displayoptions::WriteZoomStyleSheet(m_block, m_store, css), displayoptions::StyleSheet::Written);
    EXPECT_EQ(testsupport::ReadFile(css), "\r\nbody {zoom: 150%;}\r\n");
    EXPECT_EQ(m_store.GetNumber(kStyles, "Use My Stylesheet"), 1u);
    EXPECT_EQ(m_store.GetString(kStyles, "User Stylesheet"), css);

    // A new zoom replaces the whole text.
    m_block.SetValue(PARA_ZOOM_PERSENT, 20, false);
    displayoptions::WriteZoomStyleSheet(m_block, m_store, css);
    EXPECT_EQ(testsupport::ReadFile(css), "\r\nbody {zoom: 20%;}\r\n");

    // Back to 100: file and both values go, the key may stay.
    m_block.SetValue(PARA_ZOOM_PERSENT, 100, false);
    EXPECT_EQ(displayoptions::WriteZoomStyleSheet(m_block, m_store, css), displayoptions::StyleSheet::Removed);
    EXPECT_FALSE(std::filesystem::exists(css));
    EXPECT_FALSE(m_store.GetNumber(kStyles, "Use My Stylesheet"));
    EXPECT_FALSE(m_store.GetString(kStyles, "User Stylesheet"));

    // A browser that cannot zoom: no zoom whatever the percentage.
    m_block.SetValue(RARA_CAN_ZOOM, 0, false);
    m_block.SetValue(PARA_ZOOM_PERSENT, 150, false);
    EXPECT_FALSE(displayoptions::ZoomInForce(m_block));
    EXPECT_EQ(displayoptions::WriteZoomStyleSheet(m_block, m_store, css), displayoptions::StyleSheet::Removed);
    EXPECT_FALSE(std::filesystem::exists(css));
}

TEST_F(DisplaySettings, AStyleSheetThatCannotBeWrittenLeavesTheValuesAsTheyWere) {
    m_store.SetNumber(kStyles, "Use My Stylesheet", 0);
    m_block.SetValue(RARA_CAN_ZOOM, 1, false);
    m_block.SetValue(PARA_ZOOM_PERSENT, 150, false);
    const std::string css = m_dir.File("no-such-folder/Pagora.css");
    EXPECT_EQ(displayoptions::WriteZoomStyleSheet(m_block, m_store, css), displayoptions::StyleSheet::Failed);
    EXPECT_EQ(m_store.GetNumber(kStyles, "Use My Stylesheet"), 0u);
    EXPECT_FALSE(m_store.GetString(kStyles, "User Stylesheet"));
}

TEST_F(DisplaySettings, ZoomDialogCountsAnUnchangedValueAsCancelAndBoundsTypedValues) {
    m_block.SetValue(PARA_ZOOM_PERSENT, 120, true);
    CZoomModel same(m_block);
    EXPECT_EQ(same.Percent(), 120);
    same.SetPercent(150);
    same.SetPercent(120);  // changed and changed back
    EXPECT_FALSE(same.Accept());

    // Out of range ends at the bounds; "确定" stores and saves.
    CZoomModel big(m_block);
    big.SetPercent(5000);
    EXPECT_EQ(big.Percent(), 300);
    big.SetPercent(-3);
    EXPECT_EQ(big.Percent(), 20);
    EXPECT_TRUE(big.Accept());
    EXPECT_EQ(Stored("PARA_ZOOM_PERSENT"), "20");

    // The refusal of a browser that cannot zoom names its version with two decimals.
    m_block.SetValue(RARA_CAN_ZOOM, 0, false);
    EXPECT_EQ(CZoomModel::UnavailableMessage(m_block, 5.0),
              "抱歉，此功能只能在IE 5.5以上环境下运行。\n您当前使用的是IE 5.00，请升级您的IE。");
    m_block.SetValue(RARA_CAN_ZOOM, 1, false);
    EXPECT_EQ(CZoomModel::UnavailableMessage(m_block, 5.0), "");
}

TEST_F(DisplaySettings, HtmlDisplayDialogWritesTheChoiceAndTheColour) {
    CHtmlDisplayModel defaults(m_block);
    EXPECT_EQ(defaults.Choice(), 0);
    EXPECT_EQ(defaults.Colour(), 0xF1EBE4u);
    defaults.Choose(7);  // no such button: the choice stays
    EXPECT_EQ(defaults.Choice(), 0);
    defaults.Choose(1);
    defaults.SetColour(0xFFFFFFFF);  // "缺省"
    defaults.Accept();
    EXPECT_EQ(Stored("PARA_USE_MY_BKCOLOR"), "1");
    EXPECT_EQ(Stored("PARA_MY_BKCOLOR"), "-1");

    // A stored choice outside the group is written back unchanged.
    m_block.SetValue(PARA_USE_MY_BKCOLOR, 5, true);
    CHtmlDisplayModel odd(m_block);
    EXPECT_EQ(odd.Choice(), 5);
    odd.Accept();
    EXPECT_EQ(Stored("PARA_USE_MY_BKCOLOR"), "5");
}

TEST_F(DisplaySettings, DisplayWidthDialogSplitsTheTopByteAndSelectsTheTouchedChoice) {
    // A colour with a set top byte opens with the window colour chosen and
    // the picker on its low 24 bits.
    m_block.SetValue(PARA_WIDTH_LIMITED_BG_COLOR, static_cast<int>(0x01345678u), true);
    m_block.SetValue(PARA_WIDTH_LIMITED, 5000, false);
    CDisplayWidthModel model(m_block);
    EXPECT_EQ(model.FillChoice(), 1);
    EXPECT_EQ(model.Colour(), 0x345678u);
    EXPECT_EQ(model.LimitChoice(), 0);
    EXPECT_EQ(model.Width(), 1000);

    model.TypeWidth(150);
    EXPECT_EQ(model.LimitChoice(), 1) << "typing a width selects 限制为";
    EXPECT_EQ(model.Width(), 200);
    model.ChooseFill(1);
    model.Accept();
    EXPECT_EQ(Stored("PARA_WIDTH_LIMITED"), "200");
    EXPECT_EQ(Stored("PARA_WIDTH_LIMIT_IT"), "1");
    EXPECT_EQ(static_cast<uint32_t>(std::stoll(Stored("PARA_WIDTH_LIMITED_BG_COLOR"))), 0xFF345678u);

    CDisplayWidthModel again(m_block);
    EXPECT_EQ(again.FillChoice(), 1);
    again.PickColour(0x00FF00);
    EXPECT_EQ(again.FillChoice(), 0) << "a picked colour selects 使用指定颜色填充:";
    again.Accept();
    EXPECT_EQ(Stored("PARA_WIDTH_LIMITED_BG_COLOR"), std::to_string(0x00FF00));

    // The picker's automatic entry stands for its automatic colour, black.
    CDisplayWidthModel automatic(m_block);
    automatic.PickColour(0xFFFFFFFF);
    automatic.Accept();
    EXPECT_EQ(Stored("PARA_WIDTH_LIMITED_BG_COLOR"), "0");
}

}  // namespace
