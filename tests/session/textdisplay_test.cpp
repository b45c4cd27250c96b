// The text display settings dialog's model: what it opens with, the rules of
// its controls, the preview page it builds and the keys "确定" writes.
#include "session/textdisplaymodel.h"

#include <gtest/gtest.h>

#include "platform/inifile.h"
#include "settings/parablock.h"
#include "support/storedsettings.h"

namespace {

const char kTemplate[] =
    "<style>table {width: 95%; %font%%color%%height%}</style>\n"
    "<body %background% topmargin=\"8\"><table><tr><td><!--sample--><p>sample</p><!--/sample--></td></tr></table>";

using Control = CTextDisplayModel::Control;

class TextDisplay : public StoredSettingsTest {
protected:
    CTextDisplayModel Model(std::vector<std::string> faces = {"Noto Sans", "DejaVu Serif"}) {
        return CTextDisplayModel(m_block, std::move(faces));
    }
    std::string Page(const CTextDisplayModel& model) { return model.PreviewDocument(kTemplate).value_or("<blank>"); }
};

TEST_F(TextDisplay, WidthOpensOnTheRadioItsValueMeansWithinTheSpinRange) {
    struct Case { int stored; bool wide; int spin; } cases[] = {
        {0, true, 630}, {49, true, 630}, {50, false, 50}, {630, false, 630}, {2000, false, 2000}, {2500, false, 2000}};
    for (const Case& c : cases) {
        m_block.SetValue(PARA_TXT_WIDTH, c.stored, false);
        CTextDisplayModel model = Model();
        EXPECT_EQ(model.WindowWide(), c.wide) << c.stored;
        EXPECT_EQ(model.WidthSpin(), c.spin) << c.stored;
    }
    CTextDisplayModel model = Model();
    model.ChooseWindowWide(true);
    model.TypeWidth(99999);
    EXPECT_FALSE(model.WindowWide()) << "typing a width selects 行宽限制为";
    EXPECT_EQ(model.WidthSpin(), 2000);
    model.TypeWidth(3);
    EXPECT_EQ(model.WidthSpin(), 50);
}

TEST_F(TextDisplay, ListsHoldTheirItemsAndTheFontListEachFaceOnceSorted) {
    const auto sizes = CTextDisplayModel::SizeItems();
    ASSERT_EQ(sizes.size(), 61u);
    EXPECT_EQ(sizes[0], "缺省");
    EXPECT_EQ(sizes[12], "12点");
    EXPECT_EQ(sizes[60], "60点");
    const auto pictures = CTextDisplayModel::PictureItems();
    ASSERT_EQ(pictures.size(), 15u);
    EXPECT_EQ(pictures[0], "无");
    EXPECT_EQ(pictures[1], "01");
    EXPECT_EQ(pictures[14], "14");
    const auto schemes = CTextDisplayModel::SchemeItems();
    ASSERT_EQ(schemes.size(), 18u);
    EXPECT_EQ(schemes[0], "(预设配色)");
    EXPECT_EQ(schemes[4], "实木");
    EXPECT_EQ(schemes[17], "淡黄");
    EXPECT_STREQ(CTextDisplayModel::PictureName(1), "prairie.png");
    EXPECT_STREQ(CTextDisplayModel::PictureName(14), "bkimg13.jpg");
    EXPECT_EQ(CTextDisplayModel::PictureName(15), nullptr);

    CTextDisplayModel model = Model({"Zeta", "Alpha", "Zeta", "", "Mid"});
    EXPECT_EQ(model.FontItems(), (std::vector<std::string>{"(缺省)", "Alpha", "Mid", "Zeta"}));
    EXPECT_EQ(model.FontIndex(), 0);

    m_block.SetString(PARA_STR_TXT_FONT_NAME, "Mid", false);
    EXPECT_EQ(Model({"Zeta", "Alpha", "Mid"}).FontIndex(), 2);
    // A stored face the system lacks stays listed, so "确定" keeps it.
    m_block.SetString(PARA_STR_TXT_FONT_NAME, "Gone Face", false);
    CTextDisplayModel gone = Model({"Zeta", "Alpha"});
    ASSERT_EQ(gone.FontItems().size(), 4u);
    EXPECT_EQ(gone.FontItems()[gone.FontIndex()], "Gone Face");
    gone.Accept();
    EXPECT_EQ(Stored("PARA_TXT_FONT_NAME"), "Gone Face");
}

TEST_F(TextDisplay, PreviewReplacesEachPlaceholderAsTheTemplateAsks) {
    // Defaults: white text over the first built-in picture, line height 150.
    EXPECT_EQ(Page(Model()),
              "<style>table {width: 95%; color: #FFFFFF;line-height: 150%;}</style>\n"
              "<body bgProperties=fixed background=\"res://Pagora/prairie.png\" topmargin=\"8\">"
              "<table><tr><td><!--sample--><p>sample</p><!--/sample--></td></tr></table>");

    // Bold, underline and 12 points with the default face: three pieces in that order.
    CTextDisplayModel model = Model();
    model.SetBold(true);
    model.SetUnderline(true);
    model.ChooseSize(12);
    EXPECT_EQ(model.FontText(), "font-weight: bold;text-decoration:underline;font-size: 12pt;");
    model.ChooseFont(1);  // "DejaVu Serif", sorted first
    EXPECT_EQ(model.FontText(),
              "font-weight: bold;text-decoration:underline;font-size: 12pt;font-family: \"DejaVu Serif\";");
    model.SetLineHeight(220);
    EXPECT_EQ(model.HeightText(), "line-height: 220%;");

    // Red first: 0x0000FF is red 255.
    model.ChooseTextColour(0x0000FF);
    EXPECT_EQ(model.ColorText(), "color: #FF0000;");
    model.ChooseTextColour(0xFF000000u);  // automatic
    EXPECT_EQ(model.ColorText(), "color: #000000;");

    // A background colour after a built-in picture: the bgColor form.
    model.ChoosePicture(5);
    EXPECT_EQ(model.BackgroundText(), "bgProperties=fixed background=\"res://Pagora/bkimg04.jpg\"");
    model.ChooseBackColour(0x00FF00);
    EXPECT_EQ(model.Picture(), 0);
    EXPECT_EQ(model.BackgroundText(), "bgColor=#00FF00");
    model.ChooseBackColour(0xFFFFFFFFu);
    EXPECT_EQ(model.BackgroundText(), "bgColor=#E4EBF1") << "automatic stands for 0xF1EBE4";
}

TEST_F(TextDisplay, TheUsersPictureWinsAndNoReplacementTextIsTakenForAPlaceholder) {
    const std::string picture = m_dir.Write("my \"pic\" %color%.png", "png");
    m_block.SetString(PARA_STR_TXT_FONT_NAME, "Odd %height% \"Face\"", false);
    m_block.SetValue(PARA_TXT_BK_IMAGE, 3, false);
    CTextDisplayModel model = Model();
    EXPECT_EQ(model.ChooseUserPicture(picture), "");
    EXPECT_EQ(model.Picture(), 3) << "the chosen file does not reset the built-in index";
    const std::string page = Page(model);
    EXPECT_NE(page.find("font-family: \"Odd %height% \\\"Face\\\"\";color: #FFFFFF;line-height: 150%;}"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("<body bgProperties=fixed background=\"" +
                        m_dir.File("my &quot;pic&quot; %color%.png") + "\" topmargin"),
              std::string::npos)
        << page;
}

TEST_F(TextDisplay, PicturePathsAreCheckedAndBuiltInChoicesClearTheUsersPicture) {
    const std::string picture = m_dir.Write("wall.jpg", "jpg");
    m_block.SetString(PARA_STR_BK_IMAGE, picture, false);
    CTextDisplayModel model = Model();
    EXPECT_EQ(model.ChooseUserPicture("/tmp/a?b.png"), "路径含无效字符（?）：\r\n/tmp/a?b.png");
    EXPECT_EQ(model.ChooseUserPicture(m_dir.File("missing.png")), "指定的文件不存在或文件名异常。");
    EXPECT_EQ(model.ChooseUserPicture(m_dir.Path()), "指定的文件不存在或文件名异常。") << "a folder is no picture";
    EXPECT_EQ(model.UserPicture(), picture) << "a refused path leaves the picture as it was";

    model.ChooseTextColour(0x123456);
    EXPECT_EQ(model.UserPicture(), picture) << "the text colour keeps the background";
    model.ChoosePicture(4);
    EXPECT_EQ(model.UserPicture(), "");
    ASSERT_EQ(model.ChooseUserPicture(picture), "");
    model.RemoveUserPicture();
    EXPECT_EQ(model.UserPicture(), "");
    EXPECT_EQ(model.Picture(), 4);
}

TEST_F(TextDisplay, SchemesSetTextColourAndEitherAPictureOrABackgroundColour) {
    const std::string picture = m_dir.Write("wall.jpg", "jpg");
    CTextDisplayModel model = Model();
    ASSERT_EQ(model.ChooseUserPicture(picture), "");
    ASSERT_TRUE(model.ChooseScheme(17));  // 淡黄
    EXPECT_EQ(model.TextColour(), 0x000000u);
    EXPECT_EQ(model.BackColour(), 0xDBE6EEu);
    EXPECT_EQ(model.Picture(), 0);
    EXPECT_EQ(model.UserPicture(), "");
    EXPECT_EQ(model.BackgroundText(), "bgColor=#EEE6DB");

    ASSERT_EQ(model.ChooseUserPicture(picture), "");
    ASSERT_TRUE(model.ChooseScheme(4));  // 实木
    EXPECT_EQ(model.TextColour(), 0xFFFFFFu);
    EXPECT_EQ(model.Picture(), 6);
    EXPECT_EQ(model.UserPicture(), "");
    EXPECT_EQ(model.BackColour(), 0xDBE6EEu) << "a picture scheme leaves the colour";

    ASSERT_TRUE(model.ChooseScheme(1));  // CRT
    EXPECT_EQ(model.ColorText(), "color: #3CB371;");
    EXPECT_EQ(model.BackgroundText(), "bgColor=#000000");

    EXPECT_FALSE(model.ChooseScheme(0));
    EXPECT_FALSE(model.ChooseScheme(18));
    EXPECT_EQ(model.TextColour(), 0x71B33Cu);
}

TEST_F(TextDisplay, UseIeDisablesEverythingAndOwnBackgroundOnlyTheBackgroundControls) {
    const Control all[] = {Control::WidthChoice, Control::WidthSpin, Control::Font, Control::Size, Control::Bold,
                           Control::Underline, Control::TextColour, Control::LineHeight, Control::BackColour,
                           Control::Picture, Control::PicturePath, Control::ChoosePicture, Control::RemovePicture,
                           Control::Schemes};
    m_block.SetValue(PARA_USE_MY_BKCOLOR, 1, false);
    CTextDisplayModel model = Model();
    for (Control c : all) {
        const bool background = c == Control::BackColour || c == Control::PicturePath ||
                                c == Control::ChoosePicture || c == Control::RemovePicture;
        EXPECT_EQ(model.Enabled(c), !background) << static_cast<int>(c);
    }
    model.SetUseIe(true);
    for (Control c : all) EXPECT_FALSE(model.Enabled(c)) << static_cast<int>(c);
    EXPECT_EQ(model.PreviewDocument(kTemplate), std::nullopt) << "a blank preview";
    model.SetUseIe(false);
    EXPECT_TRUE(model.Enabled(Control::Font));
    EXPECT_FALSE(model.Enabled(Control::BackColour));
    EXPECT_EQ(model.PreviewDocument(""), std::string()) << "no template: the preview stays";
}

TEST_F(TextDisplay, OkWritesEveryKeyInOrderAndTurnsTheFilterOnceForAChangedSwitch) {
    m_block.SetString(PARA_STR_TXT_FONT_NAME, "Noto Sans", false);
    CTextDisplayModel model = Model();
    model.ChooseWindowWide(true);
    model.ChooseFont(0);
    model.ChooseBackColour(0xFFFFFFFFu);
    model.SetLineHeight(300);
    model.SetUseIe(true);
    const auto writes = model.Writes();
    const int keys[] = {PARA_TXT_WIDTH, PARA_TXT_BKCOLOR, PARA_TXT_COLOR, PAEA_TXT_USE_IE_DEFAULT,
                        PARA_TXT_FONT_SIZE, PARA_TXT_BOLD, PARA_TXT_UNDER_LINE, PARA_TXT_BK_IMAGE,
                        PARA_TXT_LINE_HEIGHT, PARA_STR_BK_IMAGE, PARA_STR_TXT_FONT_NAME};
    ASSERT_EQ(writes.size(), std::size(keys));
    for (size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].key, keys[i]) << i;
        EXPECT_EQ(writes[i].isString, i >= 9) << i;
    }

    EXPECT_EQ(model.Accept(), CTextDisplayModel::FilterChange::Unregister);
    EXPECT_EQ(model.Accept(), CTextDisplayModel::FilterChange::None) << "once per change";
    // Each key is in the file at once; the automatic colour is stored as it is.
    EXPECT_EQ(Stored("PARA_TXT_WIDTH"), "0");
    EXPECT_EQ(Stored("PARA_TXT_BKCOLOR"), "-1");
    EXPECT_EQ(Stored("PARA_TXT_LINE_HEIGHT"), "300");
    EXPECT_EQ(Stored("PAEA_TXT_USE_IE_DEFAULT"), "1");
    EXPECT_EQ(Stored("PARA_TXT_BK_IMAGE"), "0");
    EXPECT_EQ(Stored("PARA_TXT_FONT_NAME"), "");

    CTextDisplayModel again = Model();
    EXPECT_TRUE(again.UseIe());
    again.SetUseIe(false);
    EXPECT_EQ(again.Accept(), CTextDisplayModel::FilterChange::Register);
    CTextDisplayModel unchanged = Model();
    EXPECT_EQ(unchanged.Accept(), CTextDisplayModel::FilterChange::None);
}

TEST_F(TextDisplay, OwnTextReplacesTheSampleConvertedAsTheFilterConvertsIt) {
    CTextDisplayModel model = Model();
    model.ShowOwnText(true);
    EXPECT_FALSE(model.ShowsOwnText()) << "nothing open, nothing to show";
    EXPECT_FALSE(model.Enabled(Control::OwnText));
    model.SetOwnText("第一章 <开始>\n  两个空格 & \"引号\"\n");
    model.ShowOwnText(true);
    EXPECT_TRUE(model.Enabled(Control::OwnText));
    EXPECT_NE(Page(model).find("<!--sample-->第一章 &lt;开始&gt;\n<BR>&nbsp; 两个空格 &amp; &quot;引号&quot;\n<BR>"
                               "<!--/sample-->"),
              std::string::npos)
        << Page(model);
    model.ShowOwnText(false);
    EXPECT_NE(Page(model).find("<p>sample</p>"), std::string::npos);

    // A long text is cut without splitting a character.
    std::string long_text;
    while (long_text.size() < CTextDisplayModel::kMaxOwnText + 10) long_text += "中";
    model.SetOwnText("a" + long_text);
    model.ShowOwnText(true);
    const std::string page = Page(model);
    const size_t from = page.find("<!--sample-->") + 13, to = page.find("<!--/sample-->");
    EXPECT_LE(to - from, CTextDisplayModel::kMaxOwnText);
    EXPECT_EQ((to - from - 1) % 3, 0u);
}

}  // namespace
