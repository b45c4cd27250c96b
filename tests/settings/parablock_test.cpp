#include "settings/parablock.h"

#include <gtest/gtest.h>

#include <thread>

#include "settings/loopback.h"
#include "platform/inifile.h"
#include "support/tempfolder.h"

namespace ini = platform::ini;

namespace {

// A block bound to "ParaBlock" of a fresh INI file in a temporary folder.
class ParaBlockTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_ini = m_dir.File("Pagora.ini");
        SetLoopbackPort(50000);
    }
    void TearDown() override {
        SetRecentFileHook(nullptr);
        SetLoopbackPort(6122);
    }
    std::string Stored(const std::string& key) { return ini::GetString(m_ini, "ParaBlock", key, "<absent>"); }

    TempFolder m_dir;
    std::string m_ini;
};

}  // namespace

TEST_F(ParaBlockTest, FreshFileGivesDefaultsWithTheForcedKeys) {
    ini::WriteString(m_ini, "ParaBlock", "PARA_ONE_INSTANCE", "0");
    ini::WriteString(m_ini, "ParaBlock", "PARA_INTERNET_TXT_FILE", "0");
    CParaBlock block;
    block.SetLocation("ParaBlock", &m_ini);
    block.Load();
    for (int i = 0; i < PARA_VALUE_COUNT; ++i) {
        int want = CParaBlock::DefaultValue(i);
        if (i == PARA_ONE_INSTANCE || i == PARA_INTERNET_TXT_FILE) want = 1;
        EXPECT_EQ(block.GetValue(i), want) << CParaBlock::KeyName(i);
    }
    EXPECT_EQ(block.GetValue(PARA_MY_BKCOLOR), 15854564);
    EXPECT_EQ(block.GetValue(PARA_TXT_COLOR), 0xFFFFFF);
    EXPECT_STREQ(CParaBlock::KeyName(PAEA_TXT_USE_IE_DEFAULT), "PAEA_TXT_USE_IE_DEFAULT");
    EXPECT_STREQ(CParaBlock::KeyName(PARA_AlARM_TIME), "PARA_AlARM_TIME");
    EXPECT_STREQ(CParaBlock::KeyName(RARA_CAN_ZOOM), "RARA_CAN_ZOOM");
    EXPECT_STREQ(CParaBlock::StringKeyName(PARA_STR_CUR_PATH_IN_ZIP), "CurPathInZip");
    EXPECT_EQ(CParaBlock::KeyName(PARA_VALUE_COUNT), nullptr);
    for (int i = 0; i < PARA_STRING_COUNT; ++i) EXPECT_EQ(block.GetString(i), "");
}

TEST_F(ParaBlockTest, LoadAppliesBounds) {
    struct Case {
        int index;
        const char* stored;
        int loaded;
    };
    const Case cases[] = {
        {PARA_TXT_WIDTH, "49", 0},          {PARA_TXT_WIDTH, "50", 50},           {PARA_TXT_WIDTH, "5000", 2000},
        {PARA_TXT_WIDTH, "1999", 1999},     {PARA_ZOOM_PERSENT, "10", 20},        {PARA_ZOOM_PERSENT, "301", 300},
        {PARA_TXT_FONT_SIZE, "-3", 0},      {PARA_TXT_FONT_SIZE, "75", 60},       {PARA_TXT_FONT_SIZE, "59", 59},
        {PARA_CLOCK_RADIUS, "5", 30},       {PARA_CLOCK_TRANSPARENCY, "101", 100}, {PARA_TXT_LINE_HEIGHT, "99", 100},
        {PARA_WIDTH_LIMITED, "1001", 1000}, {PARA_SCROLL_TYPE, "2", 1},           {PARA_SCROLL_SMOOTH_SPEED, "0", 1},
        {PARA_SCROLL_PERIOD, "9999", 3600}, {PARA_SCROLL_PAGE_SPEED, "-1", 0},    {PARA_SCROLL_SHOW_TIME, "7", 1},
        {PARA_CLOCK_RADIUS, "junk", 30},    {PARA_WIDTH_LIMITED_BG_COLOR, "-16777216", -16777216},
        {PARA_STARTPOINT_Y, "  1234px", 1234},
    };
    for (const Case& c : cases) {
        ini::WriteString(m_ini, "ParaBlock", CParaBlock::KeyName(c.index), c.stored);
        CParaBlock block;
        block.SetLocation("ParaBlock", &m_ini);
        block.Load();
        EXPECT_EQ(block.GetValue(c.index), c.loaded) << CParaBlock::KeyName(c.index) << "=" << c.stored;
    }
}

TEST_F(ParaBlockTest, EmptyIntegerKeepsCurrentValueButEmptyStringEmpties) {
    ini::WriteString(m_ini, "ParaBlock", "PARA_TXT_WIDTH", "");
    ini::WriteString(m_ini, "ParaBlock", "Homepage", "");
    CParaBlock block;
    block.SetLocation("ParaBlock", &m_ini);
    block.SetValue(PARA_TXT_WIDTH, 777, false);
    block.SetString(PARA_STR_HOMEPAGE, "/home/u/start.htm", false);
    block.SetString(PARA_STR_BK_IMAGE, "/pic.png", false);
    block.Load();
    EXPECT_EQ(block.GetValue(PARA_TXT_WIDTH), 777);
    EXPECT_EQ(block.GetString(PARA_STR_HOMEPAGE), "");
    EXPECT_EQ(block.GetString(PARA_STR_BK_IMAGE), "") << "an absent string key empties the string";
}

TEST_F(ParaBlockTest, SetValueWritesUnboundedAndOnlyWhenAsked) {
    CParaBlock block;
    block.SetLocation("ParaBlock", &m_ini);
    block.SetValue(PARA_ZOOM_PERSENT, 5, true);
    EXPECT_EQ(block.GetValue(PARA_ZOOM_PERSENT), 5);
    EXPECT_EQ(Stored("PARA_ZOOM_PERSENT"), "5");
    block.SetValue(PARA_CLOCK_RADIUS, 99, false);
    EXPECT_EQ(Stored("PARA_CLOCK_RADIUS"), "<absent>");
    block.SetValue(PARA_WIDTH_LIMITED_BG_COLOR, static_cast<int>(0xFF000000u | 0x123456), true);
    EXPECT_EQ(Stored("PARA_WIDTH_LIMITED_BG_COLOR"), "-15584170");
    block.Load();
    EXPECT_EQ(block.GetValue(PARA_ZOOM_PERSENT), 20) << "only the next Load bounds it";
    block.SetValue(-1, 5, true);
    block.SetValue(PARA_VALUE_COUNT, 5, true);
    EXPECT_EQ(block.GetValue(PARA_VALUE_COUNT), 0);
}

TEST_F(ParaBlockTest, StoredFormOfAddresses) {
    struct Case {
        const char* value;
        const char* stored;
    };
    const Case cases[] = {
        {"http://127.0.0.1:50000/book/ch1.htm#sec2", "*/book/ch1.htm"},
        {"http://127.0.0.1:50000/book/ch1.html#a", "*/book/ch1.html"},
        {"http://127.0.0.1:50000/b/x.cc#frag", "*/b/x.cc#frag"},        // two-letter extension
        {"http://127.0.0.1:50000/b/x.xhtml#frag", "*/b/x.xhtml#frag"},  // five-letter extension
        {"http://127.0.0.1:50000/b/readme#frag", "*/b/readme#frag"},    // no extension
        {"http://127.0.0.1:5000/other.htm", "http://127.0.0.1:5000/other.htm"},
        {"/home/u/a#b.htm#top", "/home/u/a#b.htm"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(CParaBlock::StoredForm(c.value), c.stored) << c.value;
}

TEST_F(ParaBlockTest, LoopbackAddressFollowsThePort) {
    CParaBlock block;
    block.SetLocation("ParaBlock", &m_ini);
    const std::string page = "http://127.0.0.1:50000/book/ch1.htm#sec2";
    block.SetString(PARA_STR_CUR_PATH_IN_ZIP, page, true);
    EXPECT_EQ(block.GetString(PARA_STR_CUR_PATH_IN_ZIP), page) << "memory keeps fragment and base";
    EXPECT_EQ(Stored("CurPathInZip"), "*/book/ch1.htm");

    SetLoopbackPort(50007);
    CParaBlock later;
    later.SetLocation("ParaBlock", &m_ini);
    later.Load();
    EXPECT_EQ(later.GetString(PARA_STR_CUR_PATH_IN_ZIP), "http://127.0.0.1:50007/book/ch1.htm");
}

TEST_F(ParaBlockTest, CurrentPathDerivesFolderAndFeedsRecentList) {
    std::vector<std::string> recent;
    SetRecentFileHook([&](const std::string& p) { recent.push_back(p); });
    CParaBlock block;
    block.SetLocation("ParaBlock", &m_ini);
    struct Case {
        const char* path;
        const char* dir;
        bool local;
    };
    const Case cases[] = {
        {"/home/u/books/a.txt", "/home/u/books", true},
        {"/a.txt", "/", true},
        {"file:///home/u/my%20book.htm", "/home/u", false},
        {"http://example.org/x/y.htm", "", false},
        {"http://127.0.0.1:50000/ch1.htm", "", false},
        {"relative/name.htm", "", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        recent.clear();
        block.SetString(PARA_STR_CURRENT_DIR, "stale", false);
        block.SetString(PARA_STR_CURRENT_PATH, c.path, true);
        EXPECT_EQ(block.GetString(PARA_STR_CURRENT_DIR), c.dir) << c.path;
        EXPECT_EQ(recent.size(), c.local ? 1u : 0u) << c.path;
        EXPECT_EQ(Stored("CurrentDir"), "<absent>") << "the folder is not written";
    }
    // The hook may read the block without deadlocking.
    SetRecentFileHook([&](const std::string&) { recent.push_back(block.GetString(PARA_STR_CURRENT_DIR)); });
    recent.clear();
    block.SetString(PARA_STR_CURRENT_PATH, "/x/y.htm", false);
    EXPECT_EQ(recent, std::vector<std::string>{"/x"});
}

TEST_F(ParaBlockTest, SaveWritesAllForTheMainBlockAndThePositionForRecords) {
    const std::string bmk = m_dir.File("Pagora.bmk");
    CParaBlock record;
    record.SetLocation("Bookmark 1", &bmk);
    record.SetValue(PARA_STARTPOINT_Y, 880, false);
    record.SetValue(PARA_ZOOM_PERSENT, 150, false);
    record.SetString(PARA_STR_CURRENT_PATH, "/books/b.htm", false);
    record.SetString(PARA_STR_HOMEPAGE, "/home.htm", false);
    record.Save();
    EXPECT_EQ(ini::KeyNames(bmk, "Bookmark 1"),
              (std::vector<std::string>{"PARA_STARTPOINT_X", "PARA_STARTPOINT_Y", "CurrentDir", "CurrentPath",
                                        "CurPathInZip"}));
    EXPECT_EQ(ini::GetString(bmk, "Bookmark 1", "CurrentDir", ""), "/books");

    CParaBlock& main = MainParaBlock();
    main.Reset(false);
    main.SetLocation("ParaBlock", &m_ini);
    main.SetValue(RARA_CAN_ZOOM, 1, false);
    main.Save();
    std::vector<std::string> keys = ini::KeyNames(m_ini, "ParaBlock");
    EXPECT_EQ(keys.size(), static_cast<size_t>(PARA_VALUE_COUNT - 1 + PARA_STRING_COUNT));
    EXPECT_EQ(Stored("RARA_CAN_ZOOM"), "<absent>") << "a fact of the run, never stored";
    EXPECT_EQ(Stored("PARA_MY_BKCOLOR"), "15854564");
    main.SetLocation("ParaBlock", nullptr);
}

TEST_F(ParaBlockTest, CopyFromReportsChangesAndCopyLocationBinds) {
    CParaBlock a, b;
    EXPECT_TRUE(a.CopyFrom(b));
    b.SetValue(PARA_TXT_BOLD, 1, false);
    EXPECT_FALSE(a.CopyFrom(b));
    EXPECT_EQ(a.GetValue(PARA_TXT_BOLD), 1);
    EXPECT_TRUE(a.CopyFrom(b));
    b.SetString(PARA_STR_TXT_FONT_NAME, "宋体", false);
    EXPECT_FALSE(a.CopyFrom(b));
    EXPECT_EQ(a.GetString(PARA_STR_TXT_FONT_NAME), "宋体");
    EXPECT_TRUE(a.CopyFrom(a));

    b.SetLocation(std::string(100, 's'), &m_ini);
    a.CopyLocation(b);
    EXPECT_EQ(a.Section(), std::string(63, 's'));
    EXPECT_EQ(a.IniPath(), &m_ini);
    a.SetString(PARA_STR_BK_IMAGE, "/p.png", true);
    EXPECT_EQ(ini::GetString(m_ini, std::string(63, 's'), "BkImage", ""), "/p.png") << "strings follow the binding";
}

TEST_F(ParaBlockTest, ResetPositionOnlyKeepsOptions) {
    CParaBlock block;
    block.SetValue(PARA_STARTPOINT_X, 3, false);
    block.SetValue(PARA_STARTPOINT_Y, 4, false);
    block.SetValue(PARA_ZOOM_PERSENT, 150, false);
    block.SetString(PARA_STR_CURRENT_PATH, "/a/b.htm", false);
    block.SetString(PARA_STR_CUR_PATH_IN_ZIP, "x.htm", false);
    block.SetString(PARA_STR_HOMEPAGE, "/h.htm", false);
    block.Reset(true);
    EXPECT_EQ(block.GetValue(PARA_STARTPOINT_X) + block.GetValue(PARA_STARTPOINT_Y), 0);
    EXPECT_EQ(block.GetString(PARA_STR_CURRENT_DIR) + block.GetString(PARA_STR_CURRENT_PATH) +
                  block.GetString(PARA_STR_CUR_PATH_IN_ZIP), "");
    EXPECT_EQ(block.GetValue(PARA_ZOOM_PERSENT), 150);
    EXPECT_EQ(block.GetString(PARA_STR_HOMEPAGE), "/h.htm");
    block.Reset(false);
    EXPECT_EQ(block.GetValue(PARA_ZOOM_PERSENT), 100);
    EXPECT_EQ(block.GetString(PARA_STR_HOMEPAGE), "");
}

TEST_F(ParaBlockTest, SavePositionWritesOnlyThePositionOfTheMainBlock) {
    CParaBlock& main = MainParaBlock();
    main.Reset(false);
    main.SetLocation("ParaBlock", &m_ini);
    main.SetString(PARA_STR_CURRENT_PATH, "/books/a.htm", false);
    main.SetValue(PARA_ZOOM_PERSENT, 150, false);
    SavePosition([] { return std::make_pair(12, 3400); });
    EXPECT_EQ(Stored("PARA_STARTPOINT_Y"), "3400");
    EXPECT_EQ(Stored("PARA_STARTPOINT_X"), "12");
    EXPECT_EQ(Stored("CurrentPath"), "/books/a.htm");
    EXPECT_EQ(Stored("CurrentDir"), "/books");
    EXPECT_EQ(Stored("PARA_ZOOM_PERSENT"), "<absent>");
    EXPECT_EQ(main.GetValue(PARA_STARTPOINT_Y), 0) << "the main block keeps its values";

    main.SetValue(PARA_SAVE_RST, 0, false);
    SavePosition([] { return std::make_pair(0, 99); });
    EXPECT_EQ(Stored("PARA_STARTPOINT_Y"), "3400") << "nothing saved when restoring is off";
    main.Reset(false);
    main.SetLocation("ParaBlock", nullptr);
}

TEST_F(ParaBlockTest, ConcurrentUseFromManyThreads) {
    CParaBlock a, b;
    a.SetLocation("ParaBlock", &m_ini);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                a.SetValue(PARA_SCROLL_PERIOD, i, false);
                a.SetString(PARA_STR_CURRENT_PATH, "/t" + std::to_string(t) + "/f.htm", false);
                (void)a.GetString(PARA_STR_CURRENT_DIR);
                if (t % 2) a.CopyFrom(b);
                else b.CopyFrom(a);  // opposite directions must not deadlock
            }
            a.SetValue(PARA_TXT_WIDTH + t, 100 + t, true);
        });
    }
    for (auto& th : threads) th.join();
    std::string dir = a.GetString(PARA_STR_CURRENT_DIR);
    std::string path = a.GetString(PARA_STR_CURRENT_PATH);
    if (!path.empty()) {
        EXPECT_EQ(dir + "/f.htm", path);
    }
    for (int t = 0; t < 4; ++t) EXPECT_EQ(Stored(CParaBlock::KeyName(PARA_TXT_WIDTH + t)), std::to_string(100 + t));
}
