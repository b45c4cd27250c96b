// Where a converted page that is too long for the engine is cut, and what ends it.
#include <gtest/gtest.h>

#include <string>

#include "view/textroute.h"

TEST(TextLimit, CutsOnlyAtLineBreaksWithinTheLimit) {
    const std::string piece = "ab\n\xe9\x9b\xa8\xe4\xb8\x8b\ncd\n";  // two-line text with UTF-8 in the middle
    // All of it fits.
    EXPECT_EQ(textroute::CutForLimit(piece.data(), piece.size(), 0, 100), piece.size());
    EXPECT_EQ(textroute::CutForLimit(piece.data(), piece.size(), 100 - piece.size(), 100), piece.size());
    // The limit falls inside the multi-byte characters: the cut goes back to the line break before them.
    EXPECT_EQ(textroute::CutForLimit(piece.data(), piece.size(), 0, 5), 3u);
    EXPECT_EQ(textroute::CutForLimit(piece.data(), piece.size(), 90, 95), 3u);
    // Exactly at a line break.
    EXPECT_EQ(textroute::CutForLimit(piece.data(), piece.size(), 0, 10), 10u);
    // No line break within the limit, or the limit already reached.
    EXPECT_EQ(textroute::CutForLimit(piece.data(), piece.size(), 0, 2), 0u);
    EXPECT_EQ(textroute::CutForLimit(piece.data(), piece.size(), 100, 100), 0u);
    EXPECT_EQ(textroute::CutForLimit(piece.data(), piece.size(), 120, 100), 0u);
}

TEST(TextLimit, NoticeIsPlainAsciiWhateverTheCodeSet) {
    std::string notice = textroute::LimitNotice(size_t(80) << 20);
    for (char c : notice) EXPECT_EQ(static_cast<unsigned char>(c) & 0x80, 0) << notice;
    EXPECT_NE(notice.find(" 80 MB"), std::string::npos) << notice;
    EXPECT_NE(notice.find("id=\"pagora-text-limit\""), std::string::npos);
    // "此文本过长" as references.
    EXPECT_NE(notice.find("&#27492;&#25991;&#26412;&#36807;&#38271;"), std::string::npos) << notice;
}
