// Rules that keep bad input from overwhelming the engine: very long lines of
// a converted text, and pages that ask for many windows.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "view/longlines.h"
#include "view/popuprules.h"

namespace {

using longlines::CLongLineSplitter;
using longlines::kJoin;

constexpr size_t kLimit = 1024;

std::string Split(CLongLineSplitter splitter, const std::string& page, const std::vector<size_t>& cuts = {}) {
    std::string out;
    size_t from = 0;
    for (size_t cut : cuts) {
        splitter.Feed(page.data() + from, cut - from, out);
        from = cut;
    }
    splitter.Feed(page.data() + from, page.size() - from, out);
    return out;
}

// The stretches of `out` between joins.
std::vector<std::string> Pieces(const std::string& out) {
    std::vector<std::string> pieces;
    const std::string join = kJoin;
    size_t from = 0;
    for (size_t at; (at = out.find(join, from)) != std::string::npos; from = at + join.size())
        pieces.push_back(out.substr(from, at - from));
    pieces.push_back(out.substr(from));
    return pieces;
}

std::string Joined(const std::vector<std::string>& pieces) {
    std::string all;
    for (const std::string& p : pieces) all += p;
    return all;
}

bool StartsCharacterUtf8(const std::string& piece) {
    return piece.empty() || (static_cast<unsigned char>(piece[0]) & 0xC0) != 0x80;
}

// No piece begins inside one of the converter's references.
bool SplitsNoReference(const std::vector<std::string>& pieces) {
    for (size_t i = 0; i + 1 < pieces.size(); ++i) {
        const size_t amp = pieces[i].rfind('&');
        if (amp != std::string::npos && pieces[i].find(';', amp) == std::string::npos) return false;
    }
    return true;
}

}  // namespace

TEST(LongLines, ShortLinesPassUnchangedWhateverThePieces) {
    std::string page = "<HTML><body>\r\n<table align=\"center\" cellspacing=\"0\"><tr><td>\r\n";
    for (int i = 0; i < 300; ++i) page += "\xe9\x9b\xa8 &lt;line&gt;&nbsp; " + std::to_string(i) + "\n<BR>";
    // One line just under the limit stays whole too.
    page += std::string(kLimit * 3 / 4 - 80, 'x') + "\n<BR>";
    CLongLineSplitter splitter(true, nullptr, kLimit);
    EXPECT_EQ(Split(splitter, page, {5, 100, 2000}), page);
}

TEST(LongLines, ATextWithoutLineBreaksIsCutIntoTablesWithoutSplittingCharactersOrReferences) {
    // Chinese without blanks, references now and then, a blank here and there.
    std::string line = "<BR>";
    for (int i = 0; line.size() < 40 * kLimit; ++i) {
        line += "\xe9\x9b\xa8\xe4\xb8\x8b";  // 雨下
        if (i % 7 == 0) line += "&quot;";
        if (i % 11 == 0) line += "&nbsp;&nbsp;&nbsp; ";
        if (i % 97 == 0) line += "a b";
    }
    const std::string page = line + "\n<BR>end\n";
    CLongLineSplitter splitter(true, nullptr, kLimit);
    const std::string out = Split(splitter, page);
    const std::vector<std::string> pieces = Pieces(out);
    ASSERT_GT(pieces.size(), 40u);
    EXPECT_EQ(Joined(pieces), page) << "only joins are added";
    for (size_t i = 0; i + 1 < pieces.size(); ++i) {
        EXPECT_LE(pieces[i].size(), kLimit) << i;
        EXPECT_GE(pieces[i].size(), kLimit / 2) << i;
        EXPECT_TRUE(StartsCharacterUtf8(pieces[i + 1])) << i;
        // Blanks lie close together here: every cut follows one.
        const char last = pieces[i].back();
        EXPECT_TRUE(last == ' ' || last == ';') << i << ": " << pieces[i].substr(pieces[i].size() - 10);
    }
    EXPECT_TRUE(SplitsNoReference(pieces));
    // The same cuts whatever pieces the page arrives in.
    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        std::vector<size_t> cuts;
        size_t pos = 0;
        while ((pos += 1 + random() % 700) < page.size()) cuts.push_back(pos);
        ASSERT_EQ(Split(CLongLineSplitter(true, nullptr, kLimit), page, cuts), out) << round;
    }
}

TEST(LongLines, LettersNulBytesAndDoubleByteTextAreCutAtCharacterStarts) {
    // Nothing but letters (or NUL bytes): cut at the limit.
    for (char c : {'a', '\0'}) {
        const std::string page(10 * kLimit, c);
        const std::vector<std::string> pieces = Pieces(Split(CLongLineSplitter(true, nullptr, kLimit), page));
        EXPECT_EQ(Joined(pieces), page);
        ASSERT_EQ(pieces.size(), 10u) << int(c);
        for (size_t i = 0; i + 1 < pieces.size(); ++i) EXPECT_EQ(pieces[i].size(), kLimit) << int(c);
    }
    // A double-byte set (lead bytes 0x81-0xFE) whose second bytes include
    // ASCII letters: a cut never falls between the two bytes.
    bool lead[256] = {};
    for (int b = 0x81; b <= 0xFE; ++b) lead[b] = true;
    std::string page;
    std::mt19937 random(9);
    while (page.size() < 20 * kLimit) {
        page += static_cast<char>(0x81 + random() % 0x7E);
        page += static_cast<char>(random() % 2 ? 0x41 + random() % 26 : 0x81 + random() % 0x7E);
    }
    const std::string out = Split(CLongLineSplitter(false, lead, kLimit), page, {1, 333, 4097});
    const std::vector<std::string> pieces = Pieces(out);
    ASSERT_GT(pieces.size(), 15u);
    EXPECT_EQ(Joined(pieces), page);
    size_t offset = 0;
    for (const std::string& piece : pieces) {
        EXPECT_EQ(offset % 2, 0u) << "a cut inside a double-byte character";
        offset += piece.size();
    }
    // Bytes that fit no code set at all are still cut, at twice the limit.
    const std::string junk(9 * kLimit, '\x90');
    const std::vector<std::string> junkPieces = Pieces(Split(CLongLineSplitter(true, nullptr, kLimit), junk));
    EXPECT_EQ(Joined(junkPieces), junk);
    for (const std::string& piece : junkPieces) EXPECT_LE(piece.size(), 2 * kLimit);
}

TEST(PopupRules, PagesOpenWindowsOnlyWhenSettledOrClickedAndNeverMany) {
    using popuprules::Action;
    using popuprules::Decide;
    const popuprules::Settings defaults;  // no pop-ups, one instance
    const popuprules::Request loading{"http://h/ad.htm", -1, false, 0};
    const popuprules::Request justLoaded{"http://h/ad.htm", -1, true, popuprules::kSettleMs - 1};
    const popuprules::Request settled{"http://h/ad.htm", -1, true, popuprules::kSettleMs};
    const popuprules::Request clicked{"http://h/next.htm", 100, false, 0};
    EXPECT_EQ(Decide(defaults, loading, 0), Action::Cancel);
    EXPECT_EQ(Decide(defaults, justLoaded, 0), Action::Cancel);
    EXPECT_EQ(Decide(defaults, settled, 0), Action::OpenHere);
    EXPECT_EQ(Decide(defaults, clicked, 0), Action::OpenHere);
    EXPECT_EQ(Decide(defaults, {"", 100, true, 5000}, 0), Action::Cancel);
    // A click counts for 200 ms; an older one leaves a loading page without windows.
    EXPECT_EQ(Decide(defaults, {"http://h/next.htm", popuprules::kClickMs, false, 0}, 0), Action::OpenHere);
    EXPECT_EQ(Decide(defaults, {"http://h/next.htm", popuprules::kClickMs + 1, false, 0}, 0), Action::Cancel);
    EXPECT_EQ(Decide(defaults, {"http://h/next.htm", popuprules::kClickMs + 1, true, popuprules::kSettleMs}, 0),
              Action::OpenHere);

    // Pop-ups allowed: windows of their own, but only a few at a time.
    popuprules::Settings allowed;
    allowed.noPopups = false;
    EXPECT_EQ(Decide(allowed, loading, 0), Action::OwnWindow);
    EXPECT_EQ(Decide(allowed, clicked, popuprules::kMaxOwnWindows - 1), Action::OwnWindow);
    EXPECT_EQ(Decide(allowed, clicked, popuprules::kMaxOwnWindows), Action::Cancel);

    // The window filter holds for new windows as for any navigation.
    const std::vector<std::string> keywords = {"ad"};
    popuprules::Settings filtered;
    filtered.filterOn = true;
    filtered.keywords = &keywords;
    EXPECT_EQ(Decide(filtered, {"http://h/ad.htm", 100, true, 5000}, 0), Action::Cancel);
    EXPECT_EQ(Decide(filtered, {"http://h/next.htm", 100, true, 5000}, 0), Action::OpenHere);

    popuprules::WindowOpened();
    popuprules::WindowOpened();
    popuprules::WindowClosed();
    EXPECT_EQ(popuprules::OwnWindowsOpen(), 1);
    popuprules::WindowClosed();
    popuprules::WindowClosed();
    EXPECT_EQ(popuprules::OwnWindowsOpen(), 0);
}
