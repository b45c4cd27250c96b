// The display controls in the real program, read back from the engine: the
// zoom and its style sheet, the width limit with coloured margins, the own
// page background. Screenshots go to /tmp/shots when that folder exists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "readerrun.h"
#include "support/tempfolder.h"

namespace {

// What the page says of its zoom: device pixels per CSS pixel, the viewport
// width and the vertical scroll bar's width in CSS pixels.
const std::string kZoomProbe =
    "eval String(window.devicePixelRatio)+' '+window.innerWidth+' '+"
    "(window.innerWidth-document.documentElement.clientWidth)";

std::string Shot(const std::string& name) {
    return std::filesystem::is_directory("/tmp/shots") ? "screenshot /tmp/shots/display-" + name + ".png"
                                                       : "sleep 0";
}

// A page with a black block 100 CSS pixels wide at its top left (after the
// body's margin of 8), then a tall rest.
std::string Page(const std::string& text, const std::string& bodyStyle = "") {
    return "<html><body style='" + bodyStyle + "'><div style='width:100px;height:40px;background:#000'></div><p>" +
           text + "</p><div style='height:3000px'></div></body></html>";
}

void ExpectNoTimeouts(const std::vector<std::string>& out) {
    for (const std::string& line : out) EXPECT_NE(line.rfind("TIMEOUT", 0), 0u) << line;
}

double Field(const std::string& text, int n) {
    size_t at = 0;
    for (int i = 0; i < n; ++i) at = text.find(' ', at) + 1;
    return std::atof(text.c_str() + at);
}

}  // namespace

TEST(DisplayGui, ZoomAppliesToEveryPageWritesTheStyleSheetAndKeepsScrollBarPixels) {
    CReaderRun run;
    const std::string first = run.WriteFile("first.htm", Page("first"));
    run.WriteFile("site/index.htm", Page("served"));
    const std::string zip = MakeZip(run, "site", "site.zip");
    ASSERT_FALSE(zip.empty());
    const std::string css = run.Folder() + "/Pagora.css";
    auto out = run.Run({kZoomProbe, "frame view-pixel 130 20", "eval String(window.marker=1)",
                        // Confirming the value the dialog opened with changes nothing.
                        "frame dialog view.zoom ok", "wait", "eval String(window.marker)",
                        "frame dialog view.zoom set:percent:150 values ok", "wait", "frame zoom",
                        "waitfor String(window.devicePixelRatio)==='1.5'", kZoomProbe,
                        // On screen the block now reaches past 8 + 150 pixels.
                        "until ^FRAME: #000000$ | frame view-pixel 130 20", Shot("zoom150"),
                        "eval String(window.marker)",
                        // A page of another origin (the archive's server) keeps the zoom.
                        "open " + zip, "location", kZoomProbe,
                        "frame dialog view.zoom set:percent:100 ok", "waitfor String(window.devicePixelRatio)==='1'",
                        kZoomProbe, "close"},
                       {first});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "#ffffff");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "[] cancel");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 2), "1") << "an unchanged zoom must not reload the page";
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2), "percent=150 ok");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 3), "150");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 4), "#000000");
    ExpectNoTimeouts(out);

    const std::string at100 = CReaderRun::Value(out, "EVAL", 0);
    const std::string at150 = CReaderRun::Value(out, "EVAL", 3);
    ASSERT_EQ(Field(at100, 0), 1.0) << at100;
    ASSERT_EQ(Field(at150, 0), 1.5) << at150;
    // The viewport holds two thirds as many CSS pixels.
    EXPECT_NEAR(Field(at150, 1), Field(at100, 1) / 1.5, 2) << at100 << " / " << at150;
    // The scroll bar keeps its width in screen pixels.
    ASSERT_GT(Field(at100, 2), 0) << at100;
    EXPECT_NEAR(Field(at150, 2) * 1.5, Field(at100, 2), 1.0) << at100 << " / " << at150;
    // A changed zoom opens the page again (at the same place).
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 4), "undefined");

    EXPECT_TRUE(Has(CReaderRun::Value(out, "LOCATION"), "http://127.0.0.1:")) << CReaderRun::Value(out, "LOCATION");
    EXPECT_EQ(Field(CReaderRun::Value(out, "EVAL", 5), 0), 1.5) << "the zoom stays after navigating elsewhere";
    EXPECT_EQ(Field(CReaderRun::Value(out, "EVAL", 6), 0), 1.0);
    // Back at 100 the style sheet and both "Styles" values are gone.
    EXPECT_FALSE(std::filesystem::exists(css));
    const std::string registry = testsupport::ReadFile(run.Folder() + "/registry.ini");
    EXPECT_FALSE(Has(registry, "Stylesheet")) << registry;
    EXPECT_TRUE(Has(run.IniText(), "PARA_ZOOM_PERSENT=100"));
}

TEST(DisplayGui, ZoomLeavesItsStyleSheetAndStylesValuesWhileInForce) {
    CReaderRun run;
    const std::string first = run.WriteFile("first.htm", Page("first"));
    auto out = run.Run({"frame dialog view.zoom set:percent:150 ok", "frame zoom", "close"}, {first});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "150");
    const std::string css = run.Folder() + "/Pagora.css";
    EXPECT_EQ(testsupport::ReadFile(css), "\r\nbody {zoom: 150%;}\r\n");
    const std::string registry = testsupport::ReadFile(run.Folder() + "/registry.ini");
    EXPECT_TRUE(Has(registry, "Use%20My%20Stylesheet=n:1")) << registry;
    EXPECT_TRUE(Has(registry, "User%20Stylesheet=s:" + css)) << registry;
    // The next start shows pages zoomed at once.
    out = run.Run({"frame zoom", "eval String(window.devicePixelRatio)", "close"}, {first});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME"), "150");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL"), "1.5");
}

TEST(DisplayGui, WidthLimitCentresThePageBetweenColouredMargins) {
    CReaderRun run;
    const std::string first = run.WriteFile("first.htm", Page("first"));
    const std::string second = run.WriteFile("second.htm", Page("second"));
    auto out = run.Run({"frame view-size 1000 600", "frame browser-rect",
                        "frame dialog view.display-width set:width:701 set:colour:0x00ff00 values ok",
                        "frame browser-rect", "frame view-pixel 20 300", "frame view-pixel 980 300",
                        "eval String(window.innerWidth)", Shot("width701"),
                        "open " + second, "frame browser-rect",
                        "frame view-size 800 600", "frame browser-rect",
                        // The window colour instead of the chosen one.
                        "frame dialog view.display-width set:fillWindow:1 ok", "frame view-pixel 20 300",
                        "frame dialog view.display-width set:unlimited:1 ok", "frame browser-rect", "close"},
                       {first});
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "1000x600");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "0 0 1000 600");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 2),
              "unlimited=0,limited=1,width=701,fillColour=1,fillWindow=0,colour=0xff00 ok");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 3), "150 0 700 600");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 4), "#00ff00");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 5), "#00ff00");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL"), "700") << "the page itself is 700 pixels wide";
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 6), "150 0 700 600") << "kept after a navigation";
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 7), "800x600");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 8), "50 0 700 600") << "centred again after a resize";
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 9), "[] ok");
    EXPECT_NE(CReaderRun::Value(out, "FRAME", 10), "#00ff00");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 12), "0 0 800 600");
    ExpectNoTimeouts(out);
    const std::string ini = run.IniText();
    EXPECT_TRUE(Has(ini, "PARA_WIDTH_LIMITED=701")) << ini;
    EXPECT_TRUE(Has(ini, "PARA_WIDTH_LIMIT_IT=0")) << ini;
    EXPECT_TRUE(Has(ini, "PARA_WIDTH_LIMITED_BG_COLOR=" + std::to_string(static_cast<int>(0xFF00FF00u)))) << ini;
}

TEST(DisplayGui, OwnBackgroundColourPaintsEveryPageWithoutAReload) {
    CReaderRun run;
    const std::string red = run.WriteFile("red.htm", Page("red", "background:#ff0000"));
    const std::string plain = run.WriteFile("plain.htm", Page("plain"));
    const std::string bg = "eval getComputedStyle(document.body).backgroundColor";
    auto out = run.Run({bg, "eval String(window.marker=1)",
                        // 0xFF0000 is blue in the stored byte order.
                        "frame dialog options.html-display set:useMine:1 set:colour:0xff0000 values ok",
                        "waitfor getComputedStyle(document.body).backgroundColor==='rgb(0, 0, 255)'", bg,
                        "eval String(window.marker)",
                        // The screen shows the colour once the engine has painted it.
                        "until ^FRAME: #0000ff$ | frame view-pixel 400 300", Shot("own-colour"),
                        "open " + plain, bg, "open " + red, bg,
                        "frame dialog options.html-display set:usePage:1 ok",
                        "waitfor getComputedStyle(document.body).backgroundColor==='rgb(255, 0, 0)'", bg, "close"},
                       {red});
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 0), "rgb(255, 0, 0)");
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 0), "colour=0xff0000,useBrowser=0,useMine=1,usePage=0 ok");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 2), "rgb(0, 0, 255)");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 3), "1") << "the colour changes without a reload";
    EXPECT_EQ(CReaderRun::Value(out, "FRAME", 1), "#0000ff");
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 4), "rgb(0, 0, 255)") << "a page without its own colour";
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 5), "rgb(0, 0, 255)") << "a page that sets its own";
    EXPECT_EQ(CReaderRun::Value(out, "EVAL", 6), "rgb(255, 0, 0)") << "the page's own colour again";
    const std::string registry = testsupport::ReadFile(run.Folder() + "/registry.ini");
    EXPECT_TRUE(Has(registry, "Always%20Use%20My%20Colors=n:0")) << registry;
    EXPECT_TRUE(Has(registry, "Background%20Color=s:0,0,255")) << registry;
    ExpectNoTimeouts(out);
    EXPECT_TRUE(Has(registry, "Use_DlgBox_Colors=s:no")) << registry;
}
