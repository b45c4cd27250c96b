// The window filter dialog's model: the switches it stores, the keyword text
// written as typed, the filter list read back, an unwritable file.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

#include "platform/inifile.h"
#include "session/startupcore.h"
#include "session/windowfiltermodel.h"
#include "settings/parablock.h"
#include "support/storedsettings.h"

namespace {

class WindowFilter : public StoredSettingsTest {
protected:
    void SetUp() override {
        StoredSettingsTest::SetUp();
        SetWindowFilterKeywords({"ads", "popup"});
    }
    void TearDown() override { SetWindowFilterKeywords({}); }
};

TEST_F(WindowFilter, OpensWithTheKeysAndTheListOneKeywordALine) {
    m_block.SetValue(PARA_NO_POP_WND, 0, false);
    CWindowFilterModel model(m_block, m_dir.File("Pagora.flt"));
    EXPECT_FALSE(model.NoPopups());
    EXPECT_TRUE(model.OneInstance());
    EXPECT_TRUE(model.FilterOn());
    EXPECT_EQ(model.Text(), "ads\npopup\n");
}

TEST_F(WindowFilter, AcceptWritesTheTextUnchangedAndReloadsTheList) {
    const std::string file = m_dir.Write("Pagora.flt", "old\n");
    CWindowFilterModel model(m_block, file);
    model.SetNoPopups(false);
    model.SetFilterOn(false);
    m_block.SetValue(PARA_ONE_INSTANCE, 0, false);
    const std::string typed = "  Banner \n\n\ncount=\nads";
    model.SetText(typed);
    EXPECT_TRUE(model.Accept());
    EXPECT_EQ(TempFolder::Read(file), typed) << "blank lines and blanks stay in the file";
    EXPECT_EQ(WindowFilterKeywords(), (std::vector<std::string>{"Banner", "count=", "ads"}));
    EXPECT_EQ(Stored("PARA_NO_POP_WND"), "0");
    EXPECT_EQ(Stored("PARA_WND_FILTER"), "0");
    EXPECT_EQ(Stored("PARA_ONE_INSTANCE"), "1") << "one instance is always on";

    // An emptied field empties the file and the list.
    CWindowFilterModel cleared(m_block, file);
    cleared.SetText("");
    EXPECT_TRUE(cleared.Accept());
    EXPECT_EQ(TempFolder::Read(file), "");
    EXPECT_TRUE(WindowFilterKeywords().empty());
}

TEST_F(WindowFilter, AWriteThatFailsHalfwayKeepsTheOldFileWhole) {
    const std::string file = m_dir.Write("Pagora.flt", "ads\npopup\n");
    // Files may grow to 8 bytes only: the new text cannot be written out
    // (for root too), as on a full disk.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 8;
    signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    CWindowFilterModel model(m_block, file);
    model.SetText("a much longer keyword list\n");
    const bool written = model.Accept();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_FALSE(written);
    EXPECT_EQ(TempFolder::Read(file), "ads\npopup\n");
    EXPECT_EQ(WindowFilterKeywords(), (std::vector<std::string>{"ads", "popup"}));
}

TEST_F(WindowFilter, AFileInAMissingFolderIsReportedAndLeavesTheList) {
    CWindowFilterModel model(m_block, m_dir.File("gone/Pagora.flt"));
    model.SetText("other\n");
    EXPECT_FALSE(model.Accept());
    EXPECT_EQ(WindowFilterKeywords(), (std::vector<std::string>{"ads", "popup"}));
}

}  // namespace
