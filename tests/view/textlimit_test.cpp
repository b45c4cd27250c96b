// How the converted page of a very long text is cut into parts, how the
// parts are addressed, and what joins them.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "view/textroute.h"

namespace {

const std::string kHead = "<HTML><head><style>table{}</style></head><body>\r\n<table align=\"center\"><tr><td>\r\n";

// A converted body of `lines` numbered lines (UTF-8 in the middle of each).
std::string Body(int lines) {
    std::string body;
    for (int i = 0; i < lines; ++i) body += "\xe9\x9b\xa8 line " + std::to_string(i) + "\n<BR>";
    return body + "</td></tr></table>\r\n</BODY></HTML>\r\n";
}

// Part `part` of `page` fed in pieces cut at `cuts`; "S", "E" and "M" stand for the notices.
std::string PartOf(const std::string& page, int part, size_t partBytes, const std::vector<size_t>& cuts) {
    textroute::CTextPartCutter cutter(part, partBytes, "S", "E", "M");
    std::string out;
    size_t from = 0;
    for (size_t cut : cuts) {
        if (!cutter.Feed(page.data() + from, cut - from, out)) return out;
        from = cut;
    }
    if (cutter.Feed(page.data() + from, page.size() - from, out)) cutter.Finish(out);
    return out;
}

}  // namespace

TEST(TextParts, PartsJoinUpToTheWholeTextAndEndAtLineBreaks) {
    const std::string body = Body(400);
    const std::string page = kHead + body;
    const size_t partBytes = 1000;
    std::string joined;
    int parts = 0;
    for (int part = 1; part < 100; ++part) {
        std::string out = PartOf(page, part, partBytes, {});
        ASSERT_EQ(out.compare(0, kHead.size(), kHead), 0) << "every part starts with the page head";
        out.erase(0, kHead.size());
        if (part > 1) {
            ASSERT_EQ(out.compare(0, 1, "S"), 0);
            out.erase(0, 1);
        }
        if (!out.empty() && out.back() == 'M') break;  // past the last part
        ++parts;
        const bool more = !out.empty() && out.back() == 'E';
        if (more) out.pop_back();
        EXPECT_LE(out.size(), partBytes) << part;
        if (more) {
            EXPECT_EQ(out.back(), '\n') << "a part ends at a line break";
        }
        joined += out;
        if (!more) break;
    }
    EXPECT_EQ(joined, body);
    EXPECT_GT(parts, 5);
    // Whatever the pieces, a part comes out the same.
    std::mt19937 random(3);
    for (int round = 0; round < 50; ++round) {
        std::vector<size_t> cuts;
        size_t pos = 0;
        while ((pos += 1 + random() % 300) < page.size()) cuts.push_back(pos);
        for (int part : {1, 2, parts})
            ASSERT_EQ(PartOf(page, part, partBytes, cuts), PartOf(page, part, partBytes, {})) << round << " " << part;
    }
}

TEST(TextParts, ShortTextsLongLinesAndMissingParts) {
    const std::string page = kHead + Body(3);
    // Fits in one part: the page passes unchanged, no notice.
    EXPECT_EQ(PartOf(page, 1, 1 << 20, {}), page);
    // A text of fewer parts: the head and the missing-part notice.
    EXPECT_EQ(PartOf(page, 4, 1 << 20, {}), kHead + "S" + "M");
    // A single line longer than a part is cut where it stands, never lost.
    const std::string longLine = kHead + std::string(5000, 'x') + "\n<BR>end\n";
    std::string first = PartOf(longLine, 1, 4096, {100, 2000});
    std::string second = PartOf(longLine, 2, 4096, {100, 2000});
    ASSERT_EQ(first.back(), 'E');
    first.pop_back();
    EXPECT_EQ(first.substr(kHead.size()) + second.substr(kHead.size() + 1), longLine.substr(kHead.size()));
}

TEST(TextParts, PartAddressesComeAndGoWithoutTouchingTheRest) {
    using textroute::PartOf;
    using textroute::WithoutPart;
    using textroute::WithPart;
    EXPECT_EQ(WithPart("file:///b/novel.txt", 3), "file:///b/novel.txt?pagora-part=3");
    EXPECT_EQ(WithPart("file:///b/novel.txt?pagora-part=3", 1), "file:///b/novel.txt");
    EXPECT_EQ(WithPart("http://h:1/a.txt?x=1", 2), "http://h:1/a.txt?x=1&pagora-part=2");
    EXPECT_EQ(WithoutPart("http://h:1/a.txt?x=1&pagora-part=2"), "http://h:1/a.txt?x=1");
    EXPECT_EQ(PartOf("http://h:1/a.txt?x=1&pagora-part=12"), 12);
    EXPECT_EQ(PartOf("file:///b/novel.txt"), 1);
    // Repeated items all go, so that the plain address is always the same.
    EXPECT_EQ(WithoutPart("file:///b/n.txt?pagora-part=1?pagora-part=2"), "file:///b/n.txt");
    EXPECT_EQ(WithPart("file:///b/n.txt?pagora-part=1?pagora-part=2", 3), "file:///b/n.txt?pagora-part=3");
    // Not a part item: left as it is.
    for (const char* address : {"file:///b/xpagora-part=2.txt", "http://h/a.txt?pagora-part=x",
                                "http://h/a.txt?pagora-part=", "http://h/a.txt?mypagora-part=2"}) {
        EXPECT_EQ(PartOf(address), 1) << address;
        EXPECT_EQ(WithoutPart(address), address) << address;
    }
    // The private form of a part maps back to the plain address the view knows.
    const std::string priv = textroute::ToPrivate("file:///b/novel.txt?pagora-part=2");
    EXPECT_EQ(PartOf(priv), 2);
    EXPECT_EQ(textroute::ToOriginal(priv), "file:///b/novel.txt");
}

TEST(TextParts, NoticesArePlainAsciiAndLinkTheNeighbours) {
    const std::string end = textroute::PartEndNotice(2, "file:///b/a\"b.txt?pagora-part=3");
    const std::string start = textroute::PartStartNotice(2, "file:///b/novel.txt");
    for (const std::string& notice : {end, start})
        for (char c : notice) EXPECT_EQ(static_cast<unsigned char>(c) & 0x80, 0) << notice;
    EXPECT_NE(end.find("id=\"pagora-text-limit\""), std::string::npos);
    EXPECT_NE(end.find("href=\"file:///b/a%22b.txt?pagora-part=3\""), std::string::npos) << end;
    EXPECT_NE(start.find("href=\"file:///b/novel.txt\""), std::string::npos) << start;
    // "下一部分" and "上一部分" as references.
    EXPECT_NE(end.find("&#19979;&#19968;&#37096;&#20998;"), std::string::npos) << end;
    EXPECT_NE(start.find("&#19978;&#19968;&#37096;&#20998;"), std::string::npos) << start;
}
