// The models of the download control, home page and Esc key dialogs: what
// they open with and what "确定" stores in the INI file.
#include <gtest/gtest.h>

#include "platform/inifile.h"
#include "settings/downloadcontrolmodel.h"
#include "settings/esckeymodel.h"
#include "settings/homepagemodel.h"
#include "settings/parablock.h"
#include "support/storedsettings.h"

namespace {

class OptionModels : public StoredSettingsTest {
protected:
};

TEST_F(OptionModels, DownloadControlShowsEachKeyAndStoresEverySwitchAsZeroOrOne) {
    m_block.SetValue(PARA_NO_IMAGE, 5, false);  // any non-zero value forbids
    m_block.SetValue(PARA_NO_JAVA, 1, false);
    CDownloadControlModel model(m_block);
    EXPECT_FALSE(model.IsOn(CDownloadControlModel::NoScript));
    EXPECT_TRUE(model.IsOn(CDownloadControlModel::NoJava));
    EXPECT_TRUE(model.IsOn(CDownloadControlModel::NoImage));
    EXPECT_FALSE(model.IsOn(CDownloadControlModel::NoVideo));

    model.Set(CDownloadControlModel::NoScript, true);
    model.Set(CDownloadControlModel::NoJava, false);
    EXPECT_EQ(Stored("PARA_NO_SCRIPT"), "<absent>") << "nothing is written before 确定";
    model.Accept();
    EXPECT_EQ(Stored("PARA_NO_SCRIPT"), "1");
    EXPECT_EQ(Stored("PARA_NO_JAVA"), "0");
    EXPECT_EQ(Stored("PARA_NO_ACTIVEX"), "0");
    EXPECT_EQ(Stored("PARA_NO_IMAGE"), "1");
    EXPECT_EQ(Stored("PARA_NO_SOUND"), "0");
    EXPECT_EQ(Stored("PARA_NO_VIDEO"), "0");
}

TEST_F(OptionModels, HomePageSelectsTheButtonOfTheStoredValueAndNoneForAnAddress) {
    struct Case {
        const char* stored;
        int choice;
    };
    const Case cases[] = {{"", CHomePageModel::BuiltIn},
                          {"*", CHomePageModel::EngineHome},
                          {"ABOUT:Blank", CHomePageModel::Blank},
                          {"http://example.org/", CHomePageModel::None},
                          {"about:blank#x", CHomePageModel::None}};
    for (const Case& c : cases) {
        m_block.SetString(PARA_STR_HOMEPAGE, c.stored, false);
        EXPECT_EQ(CHomePageModel(m_block, "/books/a.htm").Choice(), c.choice) << c.stored;
    }
}

TEST_F(OptionModels, HomePageStoresTheChoiceAndTheEmptyStringWithoutOne) {
    m_block.SetString(PARA_STR_HOMEPAGE, "http://example.org/", true);
    CHomePageModel none(m_block, "/books/a.htm");
    none.Accept();
    EXPECT_EQ(Stored("Homepage"), "");
    EXPECT_EQ(m_block.GetString(PARA_STR_HOMEPAGE), "");

    const std::pair<int, std::string> choices[] = {{CHomePageModel::EngineHome, "*"},
                                                   {CHomePageModel::Blank, "about:blank"},
                                                   {CHomePageModel::CurrentPage, "/books/a.htm"},
                                                   {CHomePageModel::BuiltIn, ""},
                                                   {7, ""}};
    for (const auto& [choice, value] : choices) {
        CHomePageModel model(m_block, "/books/a.htm");
        model.Choose(choice);
        model.Accept();
        EXPECT_EQ(m_block.GetString(PARA_STR_HOMEPAGE), value) << choice;
    }
}

TEST_F(OptionModels, EscKeyShowsTheStoredChoiceAndStoresTheNewOne) {
    EXPECT_EQ(CEscKeyModel(m_block).Choice(), CEscKeyModel::Quit);
    m_block.SetValue(PARA_ESC_KEY, 1, false);
    CEscKeyModel model(m_block);
    EXPECT_EQ(model.Choice(), CEscKeyModel::HideToTray);
    model.Choose(CEscKeyModel::Quit);
    model.Accept();
    EXPECT_EQ(Stored("PARA_ESC_KEY"), "0");
    model.Choose(CEscKeyModel::HideToTray);
    model.Accept();
    EXPECT_EQ(Stored("PARA_ESC_KEY"), "1");
}

}  // namespace
