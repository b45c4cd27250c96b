// The text display settings dialog in the real program: it opens with the
// stored settings, its preview follows the controls, "放弃" stores nothing,
// refused pictures say why, and "确定" converts an open text anew in the new
// style at the reader's place.
#include <gtest/gtest.h>

#include <string>

#include "readerrun.h"

namespace {

std::string LongText() {
    std::string text;
    for (int i = 1; i <= 600; ++i) text += "第" + std::to_string(i) + "行 小镇在海角的尽头，镇上只有一条石板路。\n";
    return text;
}

// The first line of the table cell on screen, read from the page.
const char kTopLine[] =
    "eval (function(){var r=document.caretRangeFromPoint(40,4);if(!r)return '';"
    "var t=r.startContainer.textContent;return t.substring(0,t.indexOf('行'));})()";

}  // namespace

TEST(TextDisplayGui, OpensWithTheStoredValuesAndThePreviewFollowsTheControls) {
    CReaderRun run;
    run.WriteFile("Pagora.ini",
                  "[ParaBlock]\nPARA_TXT_WIDTH=2500\nPARA_TXT_FONT_SIZE=12\nPARA_TXT_BOLD=1\nPARA_TXT_COLOR=255\n"
                  "PARA_TXT_LINE_HEIGHT=200\nPARA_TXT_BK_IMAGE=5\nPARA_USE_MY_BKCOLOR=0\n");
    auto out = run.Run({"frame dialog options.text-display values cancel",
                        "frame dialog options.text-display preview cancel",
                        "frame dialog options.text-display set:scheme:17 preview cancel", "setting 31", "setting 27",
                        "close"},
                       {});
    const std::string opened = CReaderRun::Value(out, "FRAME", 0);
    // No text is open: the own-text box is disabled ("-").
    for (const char* part : {"useIe=0,ownText=0-,windowWide=0,widthLimit=1,width=2000,",
                             "size=12,bold=1,underline=0,textColour=0xff,lineHeight=200,backColour=0xf1ebe4,picture=5,"
                             "picturePath=,scheme=0"})
        EXPECT_TRUE(Has(opened, part)) << part << " in " << opened;
    const std::string preview = CReaderRun::Value(out, "FRAME", 1);
    EXPECT_TRUE(Has(preview, "font-weight: bold;font-size: 12pt;color: #FF0000;line-height: 200%;")) << preview;
    EXPECT_TRUE(Has(preview, "background=\"res://Pagora/bkimg04.jpg\"")) << preview;

    // 淡黄: black text on red 238, green 230, blue 219, no picture.
    const std::string yellow = CReaderRun::Value(out, "FRAME", 2);
    EXPECT_TRUE(Has(yellow, "color: #000000;")) << yellow;
    EXPECT_TRUE(Has(yellow, "bgcolor=\"#EEE6DB\"")) << yellow;
    EXPECT_FALSE(Has(yellow, "background=")) << yellow;

    // Nothing was stored by "放弃".
    EXPECT_EQ(CReaderRun::Value(out, "SETTING", 0), "5");
    EXPECT_EQ(CReaderRun::Value(out, "SETTING", 1), "255");
}

TEST(TextDisplayGui, OkConvertsTheOpenTextAnewInTheNewColoursAtTheSamePlace) {
    CReaderRun run;
    const std::string text = run.WriteFile("long.txt", LongText());
    auto out = run.Run({"scrollto 0 3000", "scroll", kTopLine,
                        "frame dialog options.text-display set:ownText:1 preview cancel",
                        "frame-wait dialog options.text-display set:scheme:1 set:lineHeight:300 ok", "restored",
                        "eval getComputedStyle(document.querySelector('table')).color + ' ' + "
                        "getComputedStyle(document.body).backgroundColor + ' ' + "
                        "getComputedStyle(document.querySelector('table')).lineHeight",
                        kTopLine, "setting 27", "setting 10", "setting 28", "close"},
                       {text});
    EXPECT_EQ(CReaderRun::Value(out, "SCROLL"), "0,3000");
    const std::string before = CReaderRun::Value(out, "EVAL", 0);
    ASSERT_FALSE(before.empty());
    // The preview can show the open text itself.
    EXPECT_TRUE(Has(CReaderRun::Value(out, "FRAME", 0), "第1行 小镇在海角的尽头")) << CReaderRun::Value(out, "FRAME", 0);
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "[] ok");
    EXPECT_TRUE(Has(CReaderRun::Value(out, "EVAL", 1), "rgb(60, 179, 113) rgb(0, 0, 0)")) << CReaderRun::Value(out, "EVAL", 1);
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 2), before) << "the same line is on top";
    EXPECT_EQ(CReaderRun::Value(out, "SETTING", 0), "7451452");  // 0x71B33C
    EXPECT_EQ(CReaderRun::Value(out, "SETTING", 1), "0");
    EXPECT_EQ(CReaderRun::Value(out, "SETTING", 2), "300");
}
