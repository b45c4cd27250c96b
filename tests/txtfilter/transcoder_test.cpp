// Reading texts of any encoding: the encoding's recognition, the streaming
// conversion into the locale's set (cut anywhere), bad input, and the filter
// showing GBK, Big5 and UTF-16BE texts as UTF-8 pages.

#include <gtest/gtest.h>

#include <random>

#include "filterrun.h"
#include "platform/codepage.h"
#include "txtfilter/encodingcandidates.h"
#include "txtfilter/encodingdetector.h"
#include "txtfilter/streamtranscoder.h"
#include "txtfilter/texttranscoder.h"

using namespace testing_txt;
using txtfilter::CEncodingDetector;
using txtfilter::CStreamTranscoder;
using txtfilter::CTextTranscoder;

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

// Simplified Chinese prose, a few hundred bytes, as a novel's opening reads.
const std::string kNovel =
    "第一章 灯塔\n"
    "海边的小镇上住着一位老人，他每天傍晚都会爬上灯塔，点亮那盏古老的灯。"
    "镇上的孩子们常常问他，为什么要守着这座没有船来的灯塔。老人只是笑笑，说："
    "“总有一天，会有人在黑夜里找到回家的路。”\n"
    "那年冬天，风雪特别大，渔民们都不敢出海。一个陌生的年轻人敲开了老人的门。\n";
// The same in traditional characters, for Big5.
const std::string kTraditional =
    "第一章 燈塔\n"
    "海邊的小鎮上住著一位老人，他每天傍晚都會爬上燈塔，點亮那盞古老的燈。"
    "鎮上的孩子們常常問他，為什麼要守著這座沒有船來的燈塔。老人只是笑笑，說："
    "「總有一天，會有人在黑夜裡找到回家的路。」\n";

// The first `bytes` bytes of UTF-8 text, shortened to end on a whole character.
std::string Prefix(const std::string& utf8, size_t bytes) {
    while (bytes < utf8.size() && (static_cast<uint8_t>(utf8[bytes]) & 0xC0) == 0x80) --bytes;
    return utf8.substr(0, bytes);
}

std::string From(const std::string& utf8, const char* set) { return platform::ConvertCodeSet(utf8, "UTF-8", set); }

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

std::string Detected(const std::string& text, bool whole = true) {
    return CEncodingDetector::Detect(Bytes(text), text.size(), true, whole).name;
}

// The stream transcoder fed the pieces in order.
std::string StreamPieces(const std::vector<std::string>& pieces, const std::string& from) {
    CStreamTranscoder t(from, "UTF-8");
    std::string out;
    for (const std::string& p : pieces) t.Convert(Bytes(p), p.size(), out);
    t.Finish(out);
    return out;
}

// The text transcoder fed the text cut at the given offsets.
std::string TextCuts(const std::string& text, const std::vector<size_t>& cuts, const std::string& encoding = {}) {
    CTextTranscoder t("UTF-8", encoding);
    std::string out;
    size_t from = 0;
    for (size_t c : cuts) {
        t.Convert(Bytes(text) + from, c - from, out);
        from = c;
    }
    t.Convert(Bytes(text) + from, text.size() - from, out);
    t.Finish(out);
    return out;
}

std::string Utf16(const std::string& utf8, bool bigEndian) { return From(utf8, bigEndian ? "UTF-16BE" : "UTF-16LE"); }

}  // namespace

TEST(EncodingDetection, MarksComeFirstAndAreNotText) {
    auto mark = [](const std::string& s) { return CEncodingDetector::Detect(Bytes(s), s.size(), true, true); };
    EXPECT_EQ(mark("\xEF\xBB\xBFx").name, "UTF-8");
    EXPECT_EQ(mark("\xEF\xBB\xBFx").markLength, 3u);
    EXPECT_EQ(mark("\xFF\xFEx\0").name, "UTF-16LE");
    EXPECT_EQ(mark(std::string("\xFE\xFF\0x", 4)).name, "UTF-16BE");
    EXPECT_EQ(mark(std::string("\xFE\xFF\0x", 4)).markLength, 2u);
    // A mark is looked for only at the start of a text.
    const std::string later = "\xEF\xBB\xBFx";
    EXPECT_EQ(CEncodingDetector::Detect(Bytes(later), later.size(), false, true).markLength, 0u);
}

TEST(EncodingDetection, Utf16WithoutAMarkInEitherOrder) {
    EXPECT_EQ(Detected(Utf16("Chapter 1\nThe lighthouse\n", false)), "UTF-16LE");
    EXPECT_EQ(Detected(Utf16("Chapter 1\nThe lighthouse\n", true)), "UTF-16BE");
    EXPECT_EQ(Detected(Utf16(kNovel, true)), "UTF-16BE");
    EXPECT_EQ(Detected(Utf16(kNovel, false)), "UTF-16LE");
}

TEST(EncodingDetection, ValidUtf8IsUtf8AndACutLastCharacterOnlyWhenMoreFollows) {
    EXPECT_EQ(Detected(kNovel), "UTF-8");
    EXPECT_EQ(Detected("plain ASCII"), "UTF-8");
    const std::string cut = kNovel.substr(0, kNovel.find("灯") + 1);  // first byte of a character
    EXPECT_TRUE(CEncodingDetector::IsUtf8(Bytes(cut), cut.size(), false));
    EXPECT_FALSE(CEncodingDetector::IsUtf8(Bytes(cut), cut.size(), true));
    // Overlong forms, surrogates and values above U+10FFFF are no UTF-8.
    for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"})
        EXPECT_FALSE(CEncodingDetector::IsUtf8(reinterpret_cast<const uint8_t*>(bad), strlen(bad), false)) << bad;
}

TEST(EncodingDetection, LegacySetsByUchardet) {
    EXPECT_EQ(Detected(From(kNovel, "GBK")), "GB18030");
    EXPECT_EQ(Detected(From(kNovel, "GB18030")), "GB18030");
    EXPECT_EQ(Detected(From(kTraditional, "BIG5")), "BIG5");
    // Only the first line of a novel is enough.
    EXPECT_EQ(Detected(From(Prefix(kNovel, 150), "GBK")), "GB18030");
    const std::string japanese = "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"
                                 "何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。";
    EXPECT_EQ(Detected(From(japanese, "SHIFT_JIS")), "CP932");
    const std::string korean = "대한민국은 민주공화국이다. 대한민국의 주권은 국민에게 있고, 모든 권력은 국민으로부터 나온다. "
                               "국민이 되는 요건은 법률로 정한다.";
    EXPECT_EQ(Detected(From(korean, "EUC-KR")), "CP949");
    const std::string french = "Le phare se dressait au bout de la jetée. Chaque soir, le vieil homme montait "
                               "l'escalier et allumait la lampe. « Quelqu'un trouvera son chemin », disait-il, "
                               "et les enfants du village riaient de ses idées étranges.";
    EXPECT_EQ(Detected(From(french, "WINDOWS-1252")), "WINDOWS-1252");
}

TEST(EncodingDetection, NoAnswerFallsBackToASetIconvKnows) {
    std::string binary;
    std::mt19937 rng(7);
    for (int i = 0; i < 5000; ++i) binary += static_cast<char>(rng() & 0xFF);
    const std::string name = Detected(binary);
    EXPECT_TRUE(CEncodingDetector::Known(name)) << name;
    EXPECT_TRUE(CEncodingDetector::Known(CEncodingDetector::Fallback()));
    EXPECT_FALSE(CEncodingDetector::Known("NO-SUCH-SET"));
}

TEST(StreamTranscoding, EveryCutPointGivesTheWholeConversion) {
    // Two-byte GBK, four-byte GB18030 (Hangul and an emoji lie outside GBK),
    // Big5, UTF-16BE with a surrogate pair, and UTF-8 itself.
    const std::string gb4 = "灯塔 한글 😀 第一章\n";
    struct Case {
        std::string text;
        const char* from;
        std::string expected;
    } cases[] = {
        {From(Prefix(kNovel, 90), "GBK"), "GB18030", Prefix(kNovel, 90)},
        {From(gb4, "GB18030"), "GB18030", gb4},
        {From(Prefix(kTraditional, 90), "BIG5"), "BIG5", Prefix(kTraditional, 90)},
        {Utf16(gb4, true), "UTF-16BE", gb4},
        {Utf16(gb4, false), "UTF-16LE", gb4},
        {gb4, "UTF-8", gb4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        ASSERT_EQ(StreamPieces({c.text}, c.from), c.expected);
        for (size_t cut = 0; cut <= c.text.size(); ++cut)
            ASSERT_EQ(StreamPieces({c.text.substr(0, cut), c.text.substr(cut)}, c.from), c.expected) << cut;
        // Three pieces, the middle one shorter than a character.
        for (size_t cut = 0; cut + 1 <= c.text.size(); ++cut)
            ASSERT_EQ(StreamPieces({c.text.substr(0, cut), c.text.substr(cut, 1), c.text.substr(cut + 1)}, c.from),
                      c.expected)
                << cut;
        std::vector<std::string> bytes;
        for (char b : c.text) bytes.emplace_back(1, b);
        ASSERT_EQ(StreamPieces(bytes, c.from), c.expected);
    }
}

TEST(StreamTranscoding, BadBytesBecomeOneReplacementEachAndConversionGoesOn) {
    // 0x80 and 0xFF start no GB18030 character; 0xB0 before a blank is a broken pair.
    EXPECT_EQ(StreamPieces({"a\x80" "b\xFF" "c\xB0 d"}, "GB18030"), "a" + kReplacement + "b" + kReplacement + "c" +
                                                                        kReplacement + " d");
    // A lone lead byte at the end, whole or cut off in a block of its own.
    const std::string lead = From("灯", "GBK").substr(0, 1);
    EXPECT_EQ(StreamPieces({"x" + lead}, "GB18030"), "x" + kReplacement);
    EXPECT_EQ(StreamPieces({"x", lead}, "GB18030"), "x" + kReplacement);
    // The first three bytes of a four-byte sequence at the end: each becomes one.
    const std::string four = From("😀", "GB18030");
    ASSERT_EQ(four.size(), 4u);
    EXPECT_EQ(StreamPieces({four.substr(0, 3)}, "GB18030"), kReplacement + "9" + kReplacement);
    // UTF-16: lone surrogates and an odd last byte.
    EXPECT_EQ(StreamPieces({std::string("\0a\xDC\x00\0b\xD8\x00", 8)}, "UTF-16BE"),
              "a" + kReplacement + "b" + kReplacement);
    EXPECT_EQ(StreamPieces({std::string("\0a\0", 3)}, "UTF-16BE"), "a" + kReplacement);
    // Broken UTF-8 in UTF-8 text.
    EXPECT_EQ(StreamPieces({"\xE7\x81" "a\xC0\xAF"}, "UTF-8"), kReplacement + kReplacement + "a" + kReplacement +
                                                                  kReplacement);
}

TEST(StreamTranscoding, ACharacterTheTargetLacksBecomesOneReplacement) {
    // Hangul is GB18030 (four bytes) but not GBK, which also has no U+FFFD.
    CStreamTranscoder t("GB18030", "GBK");
    ASSERT_TRUE(t.Valid());
    EXPECT_EQ(t.Replacement(), "?");
    const std::string text = From("灯한塔", "GB18030");
    std::string out;
    t.Convert(Bytes(text), text.size(), out);
    t.Finish(out);
    EXPECT_EQ(out, From("灯?塔", "GBK"));
    EXPECT_FALSE(CStreamTranscoder("NO-SUCH-SET", "UTF-8").Valid());
}

TEST(TextTranscoding, RecognisesThenConvertsWhateverTheCuts) {
    // Longer than the sample, so blocks arrive after the decision too.
    std::string novel;
    while (novel.size() < 3 * CTextTranscoder::kSampleBytes) novel += kNovel;
    const std::string gbk = From(novel, "GBK");
    const std::string utf16 = "\xFE\xFF" + Utf16(novel, true);
    const std::string big5 = From(kTraditional, "BIG5");
    std::mt19937 rng(11);
    for (const auto& [text, expected] : {std::pair{gbk, novel}, std::pair{utf16, novel},
                                         std::pair{"\xEF\xBB\xBF" + novel, novel},
                                         std::pair{big5, kTraditional}}) {
        ASSERT_EQ(TextCuts(text, {}), expected);
        // Cuts at every byte around the end of the sample, and random ones.
        const size_t s = std::min(text.size(), CTextTranscoder::kSampleBytes);
        for (size_t cut = s > 8 ? s - 8 : 0; cut <= std::min(text.size(), s + 8); ++cut)
            ASSERT_EQ(TextCuts(text, {cut}), expected) << cut;
        for (int round = 0; round < 20; ++round) {
            std::vector<size_t> cuts;
            for (size_t at = 0; (at += rng() % 5000) < text.size();) cuts.push_back(at);
            ASSERT_EQ(TextCuts(text, cuts), expected);
        }
    }
}

TEST(TextTranscoding, AnAsciiStartLongerThanTheSampleDecidesNothing) {
    const std::string preface(CTextTranscoder::kSampleBytes + 100, 'a');
    const std::string text = preface + From(kNovel, "GBK");
    CTextTranscoder t("UTF-8");
    std::string out;
    t.Convert(Bytes(text), CTextTranscoder::kSampleBytes + 50, out);
    EXPECT_FALSE(t.Decided());
    EXPECT_EQ(out, std::string(CTextTranscoder::kSampleBytes, 'a'));  // passed on at once
    t.Convert(Bytes(text) + CTextTranscoder::kSampleBytes + 50, text.size() - CTextTranscoder::kSampleBytes - 50, out);
    t.Finish(out);
    EXPECT_EQ(t.Encoding(), "GB18030");
    EXPECT_EQ(out, preface + kNovel);
}

TEST(TextTranscoding, AWaitingSourceGetsADecisionOnWhatArrived) {
    CTextTranscoder t("UTF-8");
    std::string out;
    t.Convert(Bytes(std::string("Title\n")), 6, out);
    t.SourceWaits(out);  // pure ASCII: passed on, still undecided
    EXPECT_EQ(out, "Title\n");
    EXPECT_FALSE(t.Decided());
    const std::string gbk = From(kNovel, "GBK");
    t.Convert(Bytes(gbk), gbk.size(), out);
    t.SourceWaits(out);
    EXPECT_TRUE(t.Decided());
    EXPECT_EQ(t.Encoding(), "GB18030");
    t.Finish(out);
    EXPECT_EQ(out, "Title\n" + kNovel);
}

TEST(TextTranscoding, AChosenEncodingIsTakenAsItIs) {
    const std::string gbk = From(kNovel, "GBK");
    CTextTranscoder chosen("UTF-8", "GBK");
    EXPECT_TRUE(chosen.Decided());
    EXPECT_FALSE(chosen.Recognised());
    EXPECT_EQ(chosen.Encoding(), "GBK");
    // Read as Big5 on purpose, the same bytes give another text, not the novel.
    const std::string asBig5 = CTextTranscoder::ConvertAll(gbk, "UTF-8", "BIG5");
    EXPECT_NE(asBig5, kNovel);
    EXPECT_EQ(CTextTranscoder::ConvertAll(gbk, "UTF-8", "GBK"), kNovel);
    // A name iconv does not know: recognised instead.
    CTextTranscoder unknown("UTF-8", "NO-SUCH-SET");
    EXPECT_FALSE(unknown.Decided());
    EXPECT_EQ(CTextTranscoder::ConvertAll(gbk, "UTF-8", "NO-SUCH-SET"), kNovel);
}

TEST(TextTranscoding, BinaryAndMixedInputGiveTheirBestReading) {
    std::string binary;
    std::mt19937 rng(3);
    for (int i = 0; i < 100000; ++i) binary += static_cast<char>(rng() & 0xFF);
    const std::string whole = CTextTranscoder::ConvertAll(binary, "UTF-8");
    EXPECT_FALSE(whole.empty());
    EXPECT_TRUE(CEncodingDetector::IsUtf8(Bytes(whole), whole.size(), true));
    // UTF-8 text with GBK lines later on: the UTF-8 stays, the GBK bytes
    // become replacements rather than breaking the page.
    std::string utf8;
    while (utf8.size() <= CTextTranscoder::kSampleBytes) utf8 += kNovel;
    const std::string mixed = utf8 + From(kNovel, "GBK") + "end\n";
    const std::string out = CTextTranscoder::ConvertAll(mixed, "UTF-8");
    EXPECT_EQ(out.compare(0, utf8.size(), utf8), 0);
    EXPECT_NE(out.find(kReplacement), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 4), "end\n");
    EXPECT_TRUE(CEncodingDetector::IsUtf8(Bytes(out), out.size(), true));
}

TEST(FilterEncodings, LegacyTextsBecomeUtf8PagesWithTheirFirstLineAsWritten) {
    const std::string firstLine = "第一章 灯塔\n<BR>";
    for (size_t block : {4096, 7, 1}) {
        SCOPED_TRACE(block);
        EXPECT_EQ(BodyOf(ConvertText(From(kNovel, "GBK"), "", block)).substr(0, firstLine.size()), firstLine);
    }
    const std::string traditional = "第一章 燈塔\n<BR>";
    EXPECT_EQ(BodyOf(ConvertText(From(kTraditional, "BIG5"))).substr(0, traditional.size()), traditional);
    EXPECT_EQ(BodyOf(ConvertText(Utf16(kNovel, true), "", 333)).substr(0, firstLine.size()), firstLine);
    EXPECT_EQ(BodyOf(ConvertText("\xFE\xFF" + Utf16("a<b", true))), "a&lt;b");
    // Only a mark: an empty page, not a missing one.
    EXPECT_EQ(BodyOf(ConvertText("\xFE\xFF")), "");
}

TEST(FilterEncodings, BinaryInputStillMakesACompletePage) {
    std::string binary;
    std::mt19937 rng(5);
    for (int i = 0; i < 50000; ++i) binary += static_cast<char>(rng() & 0xFF);
    const std::string html = ConvertText(binary, "", 1000, 777);
    EXPECT_NE(BodyOf(html), "<no body>");
    EXPECT_EQ(html.substr(html.size() - 16), "</BODY></HTML>\r\n");
}

// The encoding menu's candidates: the recognised reading first, the plausible
// ones next with the text's first words as they would read.
TEST(EncodingCandidates, TheRightReadingComesFirstWithTheFirstWordsAsWritten) {
    using txtfilter::CEncodingCandidates;
    struct Case {
        std::string bytes;
        std::string first;  // the label expected first
    } cases[] = {
        {From(kNovel, "GBK"), "GB18030"},
        {From(kTraditional, "BIG5"), "Big5"},
        {From(kNovel, "UTF-16BE"), "UTF-16BE"},  // no mark
        {"\xFF\xFE" + From(kNovel, "UTF-16LE"), "UTF-16LE"},
        {kNovel, "UTF-8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        const auto ranked = CEncodingCandidates::Rank(c.bytes, true, "UTF-8");
        ASSERT_FALSE(ranked.empty());
        EXPECT_EQ(ranked[0].label, c.first);
        EXPECT_TRUE(ranked[0].recognised);
        EXPECT_TRUE(ranked[0].fits);
        const std::string expected = c.first == "Big5" ? "第一章 燈塔 海邊的小鎮上住著一位老人，他每天傍"
                                                       : "第一章 灯塔 海边的小镇上住着一位老人，他每天傍";
        EXPECT_EQ(ranked[0].preview, expected);
        // Every entry of the menu is there once, whatever the text.
        size_t menu = 0;
        for (const auto& r : ranked) menu += r.recognised ? 0 : 1;
        EXPECT_EQ(ranked.size(), 6u);
        EXPECT_EQ(menu, 5u);
        // The readings that fit come before those that do not.
        bool seenMisfit = false;
        for (const auto& r : ranked) {
            if (!r.fits) {
                seenMisfit = true;
            } else {
                EXPECT_FALSE(seenMisfit) << r.label;
            }
        }
    }
    // GBK bytes read as UTF-8 or UTF-16 are no plausible reading.
    const auto gbk = CEncodingCandidates::Rank(From(kNovel, "GBK"), true, "UTF-8");
    for (const auto& r : gbk) {
        if (r.label == "UTF-8" || r.label == "UTF-16LE" || r.label == "UTF-16BE") {
            EXPECT_FALSE(r.fits) << r.label;
        }
    }
}

TEST(EncodingCandidates, TheLocalesOwnSetAndAnUnlistedRecognitionJoinTheMenu) {
    using txtfilter::CEncodingCandidates;
    EXPECT_EQ(CEncodingCandidates::MenuEncodings("UTF-8").size(), 6u);
    EXPECT_EQ(CEncodingCandidates::MenuEncodings("utf8").size(), 6u);
    const auto gbkLocale = CEncodingCandidates::MenuEncodings("GBK");
    ASSERT_EQ(gbkLocale.size(), 7u);
    EXPECT_EQ(gbkLocale.back(), "GBK");
    EXPECT_EQ(CEncodingCandidates::Label("SHIFT_JIS"), "Shift_JIS");
    EXPECT_TRUE(CEncodingCandidates::Same("cp932", "Shift_JIS"));
    // A Korean text: the recognised set is none of the menu's and comes first.
    const std::string korean = From("대한민국의 수도는 서울이다. 서울은 한강을 끼고 있는 큰 도시이며 인구가 많다. "
                                    "우리는 어제 박물관에 가서 오래된 그림과 책을 구경했다.\n",
                                    "CP949");
    const auto ranked = CEncodingCandidates::Rank(korean, true, "UTF-8");
    ASSERT_EQ(ranked.size(), 7u);
    EXPECT_EQ(ranked[0].label, "EUC-KR");
    EXPECT_EQ(ranked[0].preview.substr(0, 12), "대한민국");
    // Nothing to read: every entry is there, none claims to fit but the recognised one.
    const auto empty = CEncodingCandidates::Rank("", true, "UTF-8");
    EXPECT_EQ(empty.size(), 6u);
    for (const auto& r : empty) EXPECT_TRUE(r.preview.empty());
}
