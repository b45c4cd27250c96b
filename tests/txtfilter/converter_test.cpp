// The text-to-HTML conversion: golden pages, the settings' bounds, escaping
// across block boundaries, encodings and carried bytes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "filterrun.h"
#include "txtfilter/outputqueue.h"
#include "txtfilter/texttohtml.h"
#include "txtfilter/unicodetest.h"

using namespace testing_txt;
namespace fs = std::filesystem;

namespace {

const std::string kGoldenDir = PAGORA_SOURCE_DIR "/tests/txtfilter/golden";

std::vector<std::string> GoldenCases() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(kGoldenDir))
        if (e.path().extension() == ".txt") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string HeadStyle(const std::string& html) {
    size_t a = html.find("table {"), b = html.find("}</style>");
    return a == std::string::npos || b == std::string::npos ? "" : html.substr(a, b - a + 1);
}

std::string BodyTag(const std::string& html) {
    size_t a = html.find("<body"), b = html.find(">\r\n", a);
    return a == std::string::npos ? "" : html.substr(a, b - a + 1);
}

std::string Ini(const std::string& lines) { return "[ParaBlock]\n" + lines; }

// The converter alone, with a chosen code set, fed block by block.
std::string ConvertBlocks(const std::vector<std::string>& blocks, const std::string& codeSet, bool gbkLeads) {
    bool lead[256] = {};
    for (int i = 0x81; i <= 0xFE; ++i) lead[i] = true;
    txtfilter::CTextToHtml conv(txtfilter::TextStyle{}, codeSet, gbkLeads ? lead : nullptr);
    txtfilter::OutputQueue q;
    bool first = true;
    std::string carried;
    for (const std::string& b : blocks) {
        std::string block = std::string(reinterpret_cast<const char*>(conv.Carried()), conv.CarriedLength()) + b;
        const auto* p = reinterpret_cast<const uint8_t*>(block.data());
        size_t skip = 0;
        if (first) {
            skip = conv.DecideEncoding(p, block.size());
            first = false;
        }
        EXPECT_EQ(conv.ConvertBlock(q, p + skip, block.size() - skip), platform::S_OK);
    }
    conv.Flush(q);
    q.End();
    std::string out(1 << 16, '\0');
    bool empty;
    out.resize(q.ReadOut(out.data(), out.size(), &empty));
    return out;
}

}  // namespace

// Each golden case: NAME.txt (input), NAME.ini (settings, optional), NAME.html
// (expected bytes). PAGORA_UPDATE_GOLDEN=1 rewrites the expectations.
class GoldenPage : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenPage, MatchesExpectedBytes) {
    const std::string base = kGoldenDir + "/" + GetParam();
    const std::string ini = fs::exists(base + ".ini") ? ReadFile(base + ".ini") : "";
    const std::string html = ConvertText(ReadFile(base + ".txt"), ini);
    if (const char* update = std::getenv("PAGORA_UPDATE_GOLDEN"); update && *update == '1')
        WriteFile(base + ".html", html);
    EXPECT_EQ(html, ReadFile(base + ".html"));
    // The same text in small odd blocks gives the same page when no blank run
    // crosses a block edge (all golden texts but the blank-run case).
    if (GetParam() != "blank_runs") {
        EXPECT_EQ(ConvertText(ReadFile(base + ".txt"), ini, 7, 5), html);
    }
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenPage, ::testing::ValuesIn(GoldenCases()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(TextStyleBounds, HeadAndBodyFollowTheSettings) {
    struct Case {
        const char* ini;
        const char* style;
        const char* body;
    } cases[] = {
        {"", "table {width: 630px; border: 0; cellpadding: 0; color: #FFFFFF; line-height: 150%;}",
         "<body background=\"res://Pagora/prairie.png\" BGPROPERTIES=FIXED>"},
        {"PARA_TXT_WIDTH=50\n", "table {width: 100%; border: 0; cellpadding: 0; color: #FFFFFF; line-height: 150%;}", nullptr},
        {"PARA_TXT_WIDTH=51\n", "table {width: 51px; border: 0; cellpadding: 0; color: #FFFFFF; line-height: 150%;}", nullptr},
        {"PARA_TXT_WIDTH=5000\n", "table {width: 2000px; border: 0; cellpadding: 0; color: #FFFFFF; line-height: 150%;}", nullptr},
        {"PARA_TXT_WIDTH=-3\n", "table {width: 100%; border: 0; cellpadding: 0; color: #FFFFFF; line-height: 150%;}", nullptr},
        {"PARA_TXT_COLOR=0\nPARA_TXT_LINE_HEIGHT=100\n", "table {width: 630px; border: 0; cellpadding: 0;}", nullptr},
        {"PARA_TXT_COLOR=255\nPARA_TXT_LINE_HEIGHT=20\n", "table {width: 630px; border: 0; cellpadding: 0; color: #FF0000;}", nullptr},
        {"PARA_TXT_COLOR=-1\nPARA_TXT_LINE_HEIGHT=900\n", "table {width: 630px; border: 0; cellpadding: 0; line-height: 500%;}", nullptr},
        {"PARA_TXT_FONT_SIZE=75\nPARA_TXT_COLOR=0\nPARA_TXT_LINE_HEIGHT=0\n",
         "table {width: 630px; border: 0; cellpadding: 0; font-size: 60pt;}", nullptr},
        {"PARA_TXT_FONT_SIZE=-3\nPARA_TXT_FONT_NAME=Arial\n",
         "table {width: 630px; border: 0; cellpadding: 0; color: #FFFFFF; line-height: 150%;font-family: \"Arial\";}", nullptr},
        {"PARA_TXT_BK_IMAGE=0\nPARA_TXT_BKCOLOR=255\n", nullptr, "<body bgcolor=\"#FF0000\">"},
        {"PARA_TXT_BK_IMAGE=0\nPARA_TXT_BKCOLOR=-7\n", nullptr, "<body bgcolor=\"#E4EBF1\">"},
        {"PARA_TXT_BK_IMAGE=14\n", nullptr, "<body background=\"res://Pagora/bkimg13.jpg\" BGPROPERTIES=FIXED>"},
        {"PARA_TXT_BK_IMAGE=15\n", nullptr, "<body bgcolor=\"#E4EBF1\">"},
        {"PARA_TXT_BK_IMAGE=-2147483648\n", nullptr, "<body bgcolor=\"#E4EBF1\">"},
        {"PARA_TXT_BK_IMAGE=5\nBkImage=/home/u/my pic.png\n", nullptr,
         "<body background=\"/home/u/my pic.png\" BGPROPERTIES=FIXED>"},
        // A quote in the path must not end the attribute.
        {"PARA_TXT_BK_IMAGE=0\nBkImage=/p/a\"b.png\n", nullptr, "<body background=\"/p/a&quot;b.png\" BGPROPERTIES=FIXED>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        const std::string html = ConvertText("x", Ini(c.ini));
        if (c.style) {
            EXPECT_EQ(HeadStyle(html), c.style);
        }
        if (c.body) {
            EXPECT_EQ(BodyTag(html), c.body);
        }
    }
}

TEST(TextStyleBounds, UnreadableIniGivesTheDefaults) {
    TempDir dir;
    // A folder where the file should be: it cannot be read as a file.
    fs::create_directory(dir.File("host.ini"));
    txtfilter::XMLMimeFilterPP::SetIniPathForTesting(dir.File("host.ini"));
    EXPECT_EQ(txtfilter::TextStyle::Read(dir.File("host.ini")).width, 630);
    EXPECT_EQ(txtfilter::TextStyle::Read(dir.File("missing.ini")).imageIndex, 1);
    txtfilter::XMLMimeFilterPP::SetIniPathForTesting("");
}

TEST(Escaping, BlanksDependOnTheNextByteOfTheSameBlock) {
    EXPECT_EQ(BodyOf(ConvertText("a  b")), "a&nbsp; b");
    EXPECT_EQ(BodyOf(ConvertText("a    b")), "a&nbsp;&nbsp;&nbsp; b");
    EXPECT_EQ(BodyOf(ConvertText("a \tb")), "a &nbsp;&nbsp;&nbsp; b");
    // A blank that ends a block the converter is given is written plain,
    // whatever comes next. (The filter's blocks are those of the converted
    // text, which need not be the source's.)
    EXPECT_EQ(ConvertBlocks({"a ", " b"}, "UTF-8", false), "a  b");
    EXPECT_EQ(BodyOf(ConvertText("\"x\" & <y>\r\n")), "&quot;x&quot; &amp; &lt;y&gt;\r\n<BR>");
}

TEST(Escaping, TablesAreCutEvery101Lines) {
    const std::string br = "\n<BR>";
    const std::string cut = txtfilter::kTableBreak;
    EXPECT_EQ(cut.size(), 68u);
    std::string expected101;
    for (int i = 0; i < 101; ++i) expected101 += br;
    EXPECT_EQ(BodyOf(ConvertText(std::string(101, '\n'))), expected101 + cut);
    EXPECT_EQ(BodyOf(ConvertText(std::string(100, '\n'))), expected101.substr(0, 500));
    // The count runs on across blocks: the 202nd line feed makes the second cut.
    const std::string html = ConvertText(std::string(203, '\n'), "", 13);
    EXPECT_EQ(BodyOf(html), expected101 + cut + expected101 + cut + br);
}

TEST(Escaping, ZeroBytesAreCopiedAndTheTextAfterThemIsStillEscaped) {
    // Zeros on the even bytes: no UTF-16 pattern, so this is ANSI text.
    const std::string text("ab\0<cd\0\0\n", 9);
    // The converter itself: the filter in front of it would read these bytes
    // as UTF-16BE (zeros on the even bytes are its high bytes).
    EXPECT_EQ(ConvertBlocks({text}, "UTF-8", false), std::string("ab\0&lt;cd\0\0\n<BR>", 16));
}

TEST(Escaping, EmptyDocumentIsOnlyTheTail) {
    EXPECT_EQ(ConvertText(""), "</td></tr></table>\r\n\r\n</BODY></HTML>\r\n");
}

TEST(Encoding, Utf16IsRecognisedAndConvertedToTheCodeSet) {
    const std::string utf16("\xFF\xFE" "a\0<\0\x2D\x4E\x87\x65\n\0", 12);  // a<中文\n
    EXPECT_EQ(BodyOf(ConvertText(utf16)), "a&lt;\xE4\xB8\xAD\xE6\x96\x87\n<BR>");
    // Without the mark, by the test of its bytes.
    EXPECT_EQ(BodyOf(ConvertText(utf16.substr(2))), "a&lt;\xE4\xB8\xAD\xE6\x96\x87\n<BR>");
    // A UTF-8 mark is recognised too and is not part of the text.
    EXPECT_EQ(BodyOf(ConvertText("\xEF\xBB\xBFx")), "x");
}

TEST(Encoding, Utf16SplitAnywhereLosesNothing) {
    // An odd block size cuts units; a block edge inside the pair cuts 😀 (U+1F600).
    const std::string utf16("\xFF\xFE" "h\0i\0\x3D\xD8\x00\xDE \0 \0x\0\n\0", 18);
    const std::string whole = ConvertText(utf16);
    EXPECT_EQ(BodyOf(whole), "hi\xF0\x9F\x98\x80&nbsp; x\n<BR>");
    for (size_t block : {1, 2, 3, 5, 7, 8}) {
        SCOPED_TRACE(block);
        // Blank runs may be cut differently; compare without blanks' forms.
        std::string body = BodyOf(ConvertText(utf16, "", block));
        EXPECT_NE(body.find("hi\xF0\x9F\x98\x80"), std::string::npos);
        EXPECT_NE(body.find("x\n<BR>"), std::string::npos);
    }
    // The mark itself cut in two is still a mark.
    EXPECT_EQ(BodyOf(ConvertText(utf16, "", 1)).substr(0, 6), "hi\xF0\x9F\x98\x80");
}

TEST(Encoding, InvalidUtf16BecomesTheReplacementCharacter) {
    // A lone low surrogate, a lone high surrogate at the end, and an odd last byte.
    const std::string utf16("\xFF\xFE" "a\0\x00\xDC" "b\0\x00\xD8" "c", 11);
    // Each becomes one replacement character (U+FFFD in UTF-8).
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(BodyOf(ConvertText(utf16)), "a" + r + "b" + r + r);
    EXPECT_EQ(BodyOf(ConvertText(utf16, "", 3)), "a" + r + "b" + r + r);
}

TEST(Encoding, DoubleByteCharactersAreSteppedOverAndCarriedAcrossBlocks) {
    // B0 A1 is one GBK character; A1 is also a lead byte, so a scan that
    // started on it would take '<' for its second byte.
    EXPECT_EQ(ConvertBlocks({"x\xB0", "\xA1<"}, "GBK", true), "x\xB0\xA1&lt;");
    EXPECT_EQ(ConvertBlocks({"\xB0\xA1\xB0", "\xA1", "<"}, "GBK", true), "\xB0\xA1\xB0\xA1&lt;");
    // A lead byte before a byte that cannot be a second byte does not hide it.
    EXPECT_EQ(ConvertBlocks({"\xB0<b\xB0\n"}, "GBK", true), "\xB0&lt;b\xB0\n<BR>");
    // A lone lead byte at the end of the document is written, not lost.
    EXPECT_EQ(ConvertBlocks({"a<", "\xB0"}, "GBK", true), "a&lt;\xB0");
    // UTF-16 text is converted to GBK, with '?' for what GBK lacks.
    EXPECT_EQ(ConvertBlocks({std::string("\xFF\xFE\x2D\x4E\x3D\xD8\x00\xDE", 8)}, "GBK", true), "\xD6\xD0?");
}

TEST(Encoding, ConvertBlockRefusesANullBlock) {
    txtfilter::CTextToHtml conv(txtfilter::TextStyle{}, "UTF-8", nullptr);
    txtfilter::OutputQueue q;
    EXPECT_EQ(conv.ConvertBlock(q, nullptr, 5), platform::E_INVALIDARG);
    EXPECT_EQ(q.HeldBytes(), 0u);
}

TEST(UnicodeTest, TellsUtf16FromAnsiText) {
    auto is = [](const std::string& s) { return txtfilter::IsTextUnicode(s.data(), s.size()); };
    EXPECT_TRUE(is(std::string("h\0e\0l\0l\0o\0\r\0\n\0", 14)));
    EXPECT_TRUE(is(std::string("\xFF\xFE", 2)));
    // Chinese UTF-16 without any line break: 中文的一个测试内容 ...
    std::string cjk;
    for (int i = 0; i < 200; ++i) cjk += std::string("\x2D\x4E\x87\x65\x84\x76\x2A\x4E\x4B\x6D\xD5\x8B", 12);
    EXPECT_TRUE(is(cjk));
    // ... and with 一 (U+4E00, a zero low byte) among it.
    for (int i = 0; i < 20; ++i) cjk += std::string("\x00\x4E\x2D\x4E", 4);
    EXPECT_TRUE(is(cjk));
    EXPECT_FALSE(is("Hello, world. This is plain ASCII text without any mark.\r\n"));
    EXPECT_FALSE(is("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"));
    EXPECT_FALSE(is("\xD6\xD0\xCE\xC4\xB5\xC4\xD2\xBB\xB8\xF6\xB2\xE2\xCA\xD4\xC4\xDA\xC8\xDD"));  // GBK
    EXPECT_FALSE(is("\xE4\xB8\xAD\xE6\x96\x87\xE7\x9A\x84\xE4\xB8\x80\xE4\xB8\xAA\xE6\xB5\x8B"));  // UTF-8
    EXPECT_FALSE(is(std::string("\xFE\xFF\0h\0i", 6)));
    std::string ansiWithNul(4000, 'x');
    ansiWithNul[1001] = '\0';
    EXPECT_FALSE(is(ansiWithNul));
    EXPECT_FALSE(is("a"));
}
