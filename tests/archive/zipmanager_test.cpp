// Listing, sorting and extraction of ZIP archives, including damaged and hostile ones.

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <zip.h>

#include "settings/parablock.h"
#include "archive/archivekind.h"
#include "archive/zipmanager.h"
#include "ziptestutil.h"

using namespace ziptest;

namespace {

class ZipManagerTest : public ::testing::Test {
protected:
    void SetUp() override { ResetArchiveState(m_dir); }
    std::string Extract(CZipManager& m, const std::string& name)
    {
        size_t size = 0;
        char* buffer = m.Extract(name, &size);
        return Take(buffer, size);
    }
    TempDir m_dir;
};

// Rewrites a 32-bit little-endian field of every local and central header.
void PatchSizes(std::string& bytes, uint32_t uncompressed)
{
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
        if (bytes.compare(i, 4, "PK\x03\x04") == 0)
            put(i + 22, uncompressed);
        else if (bytes.compare(i, 4, "PK\x01\x02") == 0)
            put(i + 24, uncompressed);
    }
}

}  // namespace

TEST_F(ZipManagerTest, KindFromExtensionAndFirstBytes)
{
    struct Case {
        const char* name;
        std::string bytes;
        ArchiveKind kind;
    } cases[] = {
        {"a.zip", "PK\x03\x04rest", ArchiveKind::Zip},
        {"b.MAFF", "PK\x03\x04", ArchiveKind::Zip},
        {"c.zip", "Rar!\x1a\x07", ArchiveKind::Rar},
        {"d.rar", "PKxx", ArchiveKind::Zip},
        {"e.rar", "Rar!", ArchiveKind::Rar},
        {"f.RAR", "", ArchiveKind::Rar},
        {"g.zip", "Ra", ArchiveKind::Zip},
        {"h.htm", "PK\x03\x04", ArchiveKind::None},
        {"noext", "PK\x03\x04", ArchiveKind::None},
    };
    for (const Case& c : cases) {
        WriteFile(m_dir.File(c.name), c.bytes);
        EXPECT_EQ(DetectArchiveKind(m_dir.File(c.name)), c.kind) << c.name;
    }
    EXPECT_EQ(DetectArchiveKind(m_dir.File("missing.zip")), ArchiveKind::Zip);
    EXPECT_EQ(DetectArchiveKind(m_dir.File("missing.rar")), ArchiveKind::Rar);
    // A folder named like an archive: the extension of the file name counts.
    EXPECT_EQ(DetectArchiveKind(m_dir.File("x.zip/readme")), ArchiveKind::None);
    EXPECT_EQ(CreateArchiveManager(ArchiveKind::None), nullptr);
    EXPECT_NE(CreateArchiveManager(ArchiveKind::Zip), nullptr);
}

TEST_F(ZipManagerTest, CountsOnlyFilesAndListsViewableOnes)
{
    std::string path = m_dir.File("book.zip");
    ASSERT_TRUE(WriteZip(path, {{"dir/", ""}, {"a.txt", "A"}, {"b.pdf", "B"}, {"c.gif", "C"}, {"dir/noext", "N"},
                                {"dir/d.HTM", "D"}, {"e.htm.bak", "E"}}));
    CZipManager m;
    m.Open(path);
    EXPECT_EQ(m.TotalCount(), 6);
    EXPECT_EQ(m.ListedCount(), 3);
    EXPECT_EQ(m.Entries(), (std::vector<std::string>{"a.txt", "b.pdf", "dir/d.HTM"}));
    EXPECT_EQ(m.CurrentEntry(), 0);
    EXPECT_EQ(MainParaBlock().GetString(PARA_STR_CURRENT_PATH), path);

    int position = 0;
    EXPECT_EQ(m.SelectFirst(&position), "a.txt");
    EXPECT_EQ(position, 1);
    EXPECT_EQ(MainParaBlock().GetString(PARA_STR_CUR_PATH_IN_ZIP), "a.txt");

    // Images are not listed but are still extracted.
    EXPECT_EQ(Extract(m, "c.gif"), "C");
    m.Close();
    EXPECT_FALSE(m.HasEntries());
    EXPECT_EQ(m.TotalCount(), 0);
    EXPECT_EQ(MainParaBlock().GetString(PARA_STR_CUR_PATH_IN_ZIP), "");
    EXPECT_EQ(m.SelectFirst(&position), "");
    EXPECT_EQ(position, 0);
}

TEST_F(ZipManagerTest, SortModes)
{
    std::string path = m_dir.File("s.zip");
    ASSERT_TRUE(WriteZip(path, {{"z.htm", ""}, {"a/a.htm", ""}, {"B.htm", ""}, {"a/b/c.htm", ""}, {"a\\x.htm", ""}}));
    CZipManager shallow;
    shallow.Open(path);
    EXPECT_EQ(shallow.Entries(), (std::vector<std::string>{"B.htm", "z.htm", "a/a.htm", "a\\x.htm", "a/b/c.htm"}));

    CZipManager plain;
    plain.SetSortMode(0);
    plain.Open(path);
    EXPECT_EQ(plain.Entries(), (std::vector<std::string>{"B.htm", "a/a.htm", "a/b/c.htm", "a\\x.htm", "z.htm"}));
}

TEST_F(ZipManagerTest, SortUnderALocaleCollationKeepsTheOrder)
{
    // C.UTF-8 collates by code point, so its keys must give the byte order,
    // also for names decoded from another code page.
    std::string saved = std::setlocale(LC_COLLATE, nullptr);
    if (!std::setlocale(LC_COLLATE, "C.UTF-8"))
        GTEST_SKIP() << "no C.UTF-8 locale";
    std::string path = m_dir.File("l.zip");
    ASSERT_TRUE(WriteZip(path, {{"b.htm", ""}, {"\xB5\xDA.htm", ""}, {"a.htm", ""}, {"c/A.htm", ""}, {"B.htm", ""}}));
    CZipManager m;
    m.Open(path);
    std::setlocale(LC_COLLATE, saved.c_str());
    // The GBK name is listed decoded (the process runs in a UTF-8 code set).
    EXPECT_EQ(m.Entries(), (std::vector<std::string>{"B.htm", "a.htm", "b.htm", "第.htm", "c/A.htm"}));
}

TEST_F(ZipManagerTest, ExtractsByExactRawName)
{
    std::string path = m_dir.File("raw.zip");
    const std::string gbkName = "\xD6\xD0\xCE\xC4/\xB5\xDA\xD2\xBB\xD5\xC2.htm";  // 中文/第一章.htm in GBK
    ASSERT_TRUE(WriteZip(path, {{gbkName, "chapter"}, {"Case.htm", "upper"}, {"\\lead.htm", "lead"},
                                {"empty.txt", ""}, {"../up.htm", "up"}}, true));
    CZipManager m;
    m.Open(path);
    ASSERT_EQ(m.ListedCount(), 5);
    // Listed readably, found by the stored bytes too.
    EXPECT_NE(std::find(m.Entries().begin(), m.Entries().end(), "中文/第一章.htm"), m.Entries().end());

    EXPECT_EQ(Extract(m, gbkName), "chapter");
    EXPECT_EQ(Extract(m, "中文/第一章.htm"), "chapter");
    EXPECT_EQ(Extract(m, "Case.htm"), "upper");
    EXPECT_EQ(Extract(m, "case.htm"), "<none>");
    EXPECT_EQ(Extract(m, "lead.htm"), "lead");
    EXPECT_EQ(Extract(m, "\\lead.htm"), "lead");
    EXPECT_EQ(Extract(m, "../up.htm"), "up");
    EXPECT_EQ(Extract(m, "*.htm"), "<none>");
    EXPECT_EQ(Extract(m, ""), "<none>");

    size_t size = 99;
    char* buffer = m.Extract("empty.txt", &size);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(size, 0u);
    std::free(buffer);

    // The archive is the one named by "CurrentPath".
    MainParaBlock().SetString(PARA_STR_CURRENT_PATH, "", false);
    EXPECT_EQ(Extract(m, "Case.htm"), "<none>");
}

TEST_F(ZipManagerTest, BadFilesGiveNoEntries)
{
    std::string good = m_dir.File("good.zip");
    ASSERT_TRUE(WriteZip(good, {{"a.htm", std::string(5000, 'a')}, {"b.htm", "b"}}));
    std::string bytes = ReadFile(good);

    WriteFile(m_dir.File("empty.zip"), "");
    WriteFile(m_dir.File("text.zip"), "this is no archive at all");
    WriteFile(m_dir.File("truncated.zip"), bytes.substr(0, bytes.size() / 2));
    std::string damaged = bytes;
    damaged[damaged.size() - 10] ^= 0x55;  // inside the end-of-directory record
    WriteFile(m_dir.File("damaged.zip"), damaged);

    for (const char* name : {"empty.zip", "text.zip", "truncated.zip", "missing.zip"}) {
        CZipManager m;
        m.Open(m_dir.File(name));
        EXPECT_FALSE(m.HasEntries()) << name;
        EXPECT_EQ(Extract(m, "a.htm"), "<none>") << name;
    }
    CZipManager m;
    m.Open(m_dir.File("damaged.zip"));
    if (m.HasEntries())
        Extract(m, "a.htm");  // may or may not read: must not crash
    // Strong encryption, which this reader cannot decrypt: refused, not leaked.
    std::string strong = m_dir.File("strong.zip");
    ASSERT_TRUE(WriteZip(strong, {{"s.htm", "S"}}, true));
    std::string sb = ReadFile(strong);
    for (size_t i = 0; i + 4 <= sb.size(); ++i) {
        if (sb.compare(i, 4, "PK\x03\x04") == 0)
            sb[i + 6] = 0x41;
        else if (sb.compare(i, 4, "PK\x01\x02") == 0)
            sb[i + 8] = 0x41;
    }
    WriteFile(strong, sb);
    CZipManager s;
    s.Open(strong);
    EXPECT_TRUE(s.HasEntries());
    EXPECT_EQ(Extract(s, "s.htm"), "<none>");

    CZipManager none;
    none.Open("");
    EXPECT_FALSE(none.HasEntries());
    EXPECT_EQ(MainParaBlock().GetString(PARA_STR_CUR_PATH_IN_ZIP), "");
}

TEST_F(ZipManagerTest, RefusesEntriesWithHugeOrFalseSizes)
{
    std::string path = m_dir.File("bomb.zip");
    ASSERT_TRUE(WriteZip(path, {{"bomb.htm", std::string(100000, 'x')}}));
    std::string bytes = ReadFile(path);

    std::string huge = bytes;
    PatchSizes(huge, 0xFFFFFF00u);  // declared near 4 GiB, far above the limit
    WriteFile(path, huge);
    CZipManager m;
    m.Open(path);
    ASSERT_TRUE(m.HasEntries());
    EXPECT_EQ(Extract(m, "bomb.htm"), "<none>");

    std::string small = bytes;
    PatchSizes(small, 100);  // the data inflates to more than declared
    WriteFile(path, small);
    m.Open(path);
    EXPECT_EQ(Extract(m, "bomb.htm"), "<none>");
}

TEST_F(ZipManagerTest, FollowsTheFileOnDisk)
{
    std::string path = m_dir.File("live.zip");
    ASSERT_TRUE(WriteZip(path, {{"a.htm", "first"}}));
    CZipManager m;
    m.Open(path);
    EXPECT_EQ(Extract(m, "a.htm"), "first");

    // Replaced by another archive under the same name.
    std::string other = m_dir.File("other.zip");
    ASSERT_TRUE(WriteZip(other, {{"a.htm", "second, longer"}, {"b.htm", "b"}}));
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    EXPECT_EQ(Extract(m, "a.htm"), "second, longer");
    EXPECT_EQ(Extract(m, "b.htm"), "b");

    // Overwritten in place by something that is no archive, then deleted.
    WriteFile(path, "garbage garbage garbage");
    EXPECT_EQ(Extract(m, "a.htm"), "<none>");
    std::remove(path.c_str());
    EXPECT_EQ(Extract(m, "a.htm"), "<none>");
}

TEST_F(ZipManagerTest, RefusesDamagedDataOfStoredAndDeflatedEntries)
{
    // Large stored entries, small stored ones and deflated ones take
    // different reading paths; each must refuse a damaged byte anywhere.
    std::string large(100 * 1024, '\0');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>('a' + (i * 7) % 26);
    const std::string small = "a small stored entry";
    const std::string path = m_dir.File("damaged.zip");

    struct Case {
        const char* what;
        std::string data;
        bool store;
        size_t damageAt;  // offset into the stored bytes of the entry
    } cases[] = {
        {"large stored, first byte", large, true, 0},
        {"large stored, middle", large, true, large.size() / 2},
        {"large stored, last byte", large, true, large.size() - 1},
        {"small stored", small, true, 4},
        {"deflated", large, false, 40},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteZip(path, {{"e.htm", c.data}, {"z.htm", "after"}}, c.store)) << c.what;
        std::string bytes = ReadFile(path);
        CZipManager intact;
        intact.Open(path);
        EXPECT_EQ(Extract(intact, "e.htm"), c.data) << c.what;

        // The entry's data follows its local header, name and extra field.
        ASSERT_EQ(bytes.compare(0, 4, "PK\x03\x04"), 0);
        auto u16 = [&](size_t at) { return static_cast<size_t>(static_cast<unsigned char>(bytes[at])) |
                                           static_cast<size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8; };
        const size_t data = 30 + u16(26) + u16(28);
        bytes[data + c.damageAt] = static_cast<char>(bytes[data + c.damageAt] ^ 0x10);
        WriteFile(path, bytes);
        CZipManager m;
        m.Open(path);
        EXPECT_EQ(Extract(m, "e.htm"), "<none>") << c.what;
        EXPECT_EQ(Extract(m, "z.htm"), "after") << c.what;
    }

    // A deflated entry whose declared size exceeds what its data gives.
    ASSERT_TRUE(WriteZip(path, {{"e.htm", large}}));
    std::string longer = ReadFile(path);
    PatchSizes(longer, static_cast<uint32_t>(large.size() + 1));
    WriteFile(path, longer);
    CZipManager m;
    m.Open(path);
    EXPECT_EQ(Extract(m, "e.htm"), "<none>");
}
