// Layout hints of converted text pages and the table heights kept between runs.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "view/tablehints.h"
#include "view/textlayoutstore.h"
#include "view/textpagecache.h"

namespace fs = std::filesystem;

namespace {

const std::string kTag = "<table align=\"center\" cellspacing=\"0\">";

// A converted page of `tables` tables, with near-misses of the tag in between.
std::string Page(int tables) {
    std::string page = "<style>table{}</style><body>\r\n";
    for (int i = 0; i < tables; ++i) {
        if (i > 0) page += "</td></tr></table>\r\n";
        page += kTag + "<tr><td>\r\nline " + std::to_string(i) + "<BR>&lt;table align=\"center\"<BR><tab\r\n";
    }
    return page + "</td></tr></table></body>";
}

std::string Rewrite(const std::string& page, const std::vector<uint32_t>& heights, const std::vector<size_t>& cuts,
                    size_t* tables = nullptr) {
    tablehints::CTableHintWriter writer(heights);
    std::string out;
    size_t from = 0;
    for (size_t cut : cuts) {
        writer.Feed(page.data() + from, cut - from, out);
        from = cut;
    }
    writer.Feed(page.data() + from, page.size() - from, out);
    writer.Finish(out);
    if (tables) *tables = writer.Tables();
    return out;
}

}  // namespace

TEST(TableHints, EachTableGetsItsKeptHeightWhereverThePiecesAreCut) {
    const std::string page = Page(5);
    // Heights for the first three tables; the second has none (0).
    const std::vector<uint32_t> heights = {64 * 4826 + 1, 0, 64 * 100};
    std::string expected = page;
    size_t at = 0;
    int index = 0;
    while ((at = expected.find(kTag, at)) != std::string::npos) {
        std::string hint;
        if (index == 0) hint = " style=\"contain-intrinsic-size:auto 4826.015625px\"";
        if (index == 2) hint = " style=\"contain-intrinsic-size:auto 100px\"";
        expected.insert(at + kTag.size() - 1, hint);
        at += kTag.size() + hint.size();
        ++index;
    }
    size_t tables = 0;
    EXPECT_EQ(Rewrite(page, heights, {}, &tables), expected);
    EXPECT_EQ(tables, 5u);
    // Every single cut point, then many random ones.
    for (size_t cut = 0; cut <= page.size(); ++cut) ASSERT_EQ(Rewrite(page, heights, {cut}), expected) << cut;
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<size_t> cuts;
        size_t pos = 0;
        while (true) {
            pos += random() % 40;
            if (pos >= page.size()) break;
            cuts.push_back(pos);
        }
        ASSERT_EQ(Rewrite(page, heights, cuts), expected) << round;
    }
}

TEST(TableHints, TextWithoutTablesAndAnUnfinishedTagPassUnchanged) {
    const std::string text = "no tables here <tab <table align=\"center\" cellspacing=\"0";
    for (size_t cut = 0; cut <= text.size(); ++cut) EXPECT_EQ(Rewrite(text, {640}, {cut}), text) << cut;
    EXPECT_EQ(tablehints::HeightCss(1), "0.015625px");
    EXPECT_EQ(tablehints::HeightCss(64 * 3000), "3000px");
}

class TextLayoutStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pagora-layout-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_book = m_dir + "/book.txt";
        std::ofstream(m_book) << "第一行\n第二行\n";
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Address() const { return "file://" + m_book; }
    std::string m_dir, m_book;
};

TEST_F(TextLayoutStoreTest, HeightsComeBackOnlyForTheSameUnchangedFile) {
    CTextLayoutStore store(m_dir + "/TextLayout");
    const std::vector<uint32_t> heights = {308864, 192000, 1, 4294967295u};
    ASSERT_TRUE(store.Save(Address(), heights));
    EXPECT_EQ(store.Load(Address()), heights);
    // Another text, a non-local address, a missing file.
    EXPECT_TRUE(store.Load("file://" + m_dir + "/other.txt").empty());
    EXPECT_FALSE(store.Save("http://127.0.0.1:5000/a.txt", heights));
    EXPECT_FALSE(store.Save(Address(), {}));
    // The file grows: its heights no longer hold.
    std::ofstream(m_book, std::ios::app) << "第三行\n";
    EXPECT_TRUE(store.Load(Address()).empty());
    // Same size, other time of change: neither.
    ASSERT_TRUE(store.Save(Address(), heights));
    struct timespec times[2] = {{0, UTIME_OMIT}, {12345, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, m_book.c_str(), times, 0), 0);
    EXPECT_TRUE(store.Load(Address()).empty());
}

TEST_F(TextLayoutStoreTest, DamagedRecordsAreNoRecords) {
    const std::string identity = "10 20";
    const std::string good = CTextLayoutStore::Format(Address(), identity, {1, 2, 3});
    EXPECT_EQ(CTextLayoutStore::Parse(good, Address(), identity), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_TRUE(CTextLayoutStore::Parse(good, Address(), "10 21").empty());
    EXPECT_TRUE(CTextLayoutStore::Parse(good, Address() + "x", identity).empty());
    const std::string head = "Pagora text layout 1\n" + Address() + "\n" + identity + "\n";
    for (const std::string& bad : {head + "3\n1 2\n", head + "3\n1 2 3 4\n", head + "3\n1 x 3\n",
                                   head + "1\n99999999999\n", head + "0\n", head + "-1\n1\n", head + "\n",
                                   head + "99999999\n1\n", std::string("Pagora text layout 2\n") + good.substr(21),
                                   good.substr(0, good.size() - 3), std::string()})
        EXPECT_TRUE(CTextLayoutStore::Parse(bad, Address(), identity).empty()) << bad;
}

TEST_F(TextLayoutStoreTest, OnlyTheMostRecentRecordsAreKept) {
    CTextLayoutStore store(m_dir + "/TextLayout");
    std::vector<std::string> books;
    for (size_t i = 0; i < CTextLayoutStore::kMaxRecords + 5; ++i) {
        books.push_back(m_dir + "/b" + std::to_string(i) + ".txt");
        std::ofstream(books.back()) << i;
        ASSERT_TRUE(store.Save("file://" + books.back(), {uint32_t(i + 1)}));
        // Distinct times of change order the records.
        ::usleep(2000);
    }
    size_t records = 0;
    for (const auto& e : fs::directory_iterator(m_dir + "/TextLayout")) records += e.path().extension() == ".layout";
    EXPECT_EQ(records, CTextLayoutStore::kMaxRecords);
    EXPECT_TRUE(store.Load("file://" + books.front()).empty());
    EXPECT_EQ(store.Load("file://" + books.back()), (std::vector<uint32_t>{uint32_t(books.size())}));
}

TEST_F(TextLayoutStoreTest, CachePagesMapBackToTheirTextAndGoWithTheRun) {
    textpagecache::SetFolderForTesting(m_dir + "/page cache");
    const std::string priv = "pagora-txt://localfile.invalid/b/novel.txt?pagora-part=2";
    const std::string path = textpagecache::FileFor(priv);
    ASSERT_FALSE(path.empty());
    std::ofstream(path) << "<html></html>";
    // The engine reports the file with its blank escaped.
    std::string address = "file://";
    for (char c : path) address += c == ' ' ? std::string("%20") : std::string(1, c);
    EXPECT_EQ(textpagecache::Unmapped(address), priv);
    EXPECT_EQ(textpagecache::Unmapped(address + "#top"), priv);
    for (const std::string& other : {std::string("file:///b/novel.txt"), std::string("http://h/a.txt"), priv})
        EXPECT_EQ(textpagecache::Unmapped(other), other);
    // Another text gets another file.
    EXPECT_NE(textpagecache::FileFor("pagora-txt://localfile.invalid/b/novel.txt"), path);
    textpagecache::RemoveOwnFiles();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(textpagecache::Unmapped(address), address);
    textpagecache::SetFolderForTesting({});
}
