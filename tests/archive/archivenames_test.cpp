// Entry names of archives written on other systems: the code set of
// undeclared names, their decoding into the locale's code set, lookups by
// readable and by stored names, and what the listing, the first page and the
// holder make of them.

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>

#include "settings/parablock.h"
#include "archive/archiveholder.h"
#include "archive/archivenamedecoder.h"
#include "archive/archivenametable.h"
#include "archive/homenames.h"
#include "archive/namecharset.h"
#include "archive/zipmanager.h"
#include "platform/codepage.h"
#include "ziptestutil.h"

using namespace ziptest;

namespace {

std::string Gbk(const std::string& utf8) { return platform::ConvertCodeSet(utf8, "UTF-8", "GBK"); }

std::vector<std::string_view> Views(const std::vector<std::string>& names)
{
    return std::vector<std::string_view>(names.begin(), names.end());
}

std::string Chosen(const std::vector<std::string>& names) { return ChooseNameCharset(Views(names), DetectNameCharset(Views(names))); }

// Runs the test in a UTF-8 code set, as the readers' desktops do.
class Utf8Names : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = std::setlocale(LC_CTYPE, nullptr);
        ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
        ResetArchiveState(m_dir);
    }
    void TearDown() override
    {
        std::setlocale(LC_CTYPE, m_saved.c_str());
        TheHomeNames().SetNames(CHomeNames::Defaults());
    }
    std::string Extract(CZipManager& m, const std::string& name)
    {
        size_t size = 0;
        char* buffer = m.Extract(name, &size);
        return Take(buffer, size);
    }
    std::string ExtractPath(CArchiveHolder& h, const std::string& path)
    {
        size_t size = 0;
        char* buffer = h.ExtractByPath(path, &size);
        return Take(buffer, size);
    }
    std::string m_saved;
    TempDir m_dir;
};

// The names of a saved site as zipped on Chinese Windows, plus a name
// declared UTF-8, one with a Unicode path field and one whose field belongs
// to another name.
std::vector<RawEntry> ChineseWindowsBook()
{
    return {
        {Gbk("目录.htm"), "toc", false, ""},
        {Gbk("第一章 春.htm"), "one", false, ""},
        {Gbk("图片/封面.jpg"), "jpg", false, ""},
        {"style.css", "css", false, ""},
        {"第二章.htm", "two", true, ""},
        {Gbk("第三章.htm"), "three", false, UnicodePathField(Gbk("第三章.htm"), "第三章.htm")},
        {Gbk("附录.htm"), "appendix", false, UnicodePathField(Gbk("别的.htm"), "错误.htm")},
    };
}

}  // namespace

TEST(NameCharset, ChineseNamesOutvoteShortSingleByteVerdicts)
{
    // One or two short names fool the detector (TIS-620, ISO-8859-7,
    // WINDOWS-1252 for these); they still read as Chinese.
    for (const std::vector<std::string>& names :
         {std::vector<std::string>{Gbk("第一章.htm")}, {Gbk("书.htm")}, {"index.htm", Gbk("ch/第1回.htm")},
          {Gbk("目录.htm"), Gbk("第一章 春.htm"), Gbk("第二章 夏.htm"), Gbk("图片/封面.jpg")}})
        EXPECT_EQ(Chosen(names), "GB18030") << names[0];

    const std::vector<std::string> one{Gbk("第一章.htm")};
    for (const char* verdict : {"TIS-620", "WINDOWS-1252", "ISO-8859-7", "", "ASCII", "UTF-8", "ISO-2022-CN"})
        EXPECT_EQ(ChooseNameCharset(Views(one), verdict), "GB18030") << verdict;
}

TEST(NameCharset, OtherCodePagesAreTakenFromTheDetector)
{
    auto in = [](const char* set, std::vector<std::string> names) {
        for (std::string& n : names)
            n = platform::ConvertCodeSet(n, "UTF-8", set);
        return names;
    };
    EXPECT_EQ(Chosen(in("BIG5", {"第一章.htm", "第二章.htm", "目錄.htm"})), "BIG5");
    EXPECT_EQ(Chosen(in("SHIFT_JIS", {"第一章.htm", "はじめに.htm", "目次.htm"})), "CP932");
    EXPECT_EQ(Chosen(in("CP866", {"Глава первая.htm", "Оглавление.htm"})), "IBM866");

    const std::vector<std::string> german = in("CP1252", {"Märchen.htm", "Übersicht.htm"});
    EXPECT_EQ(ChooseNameCharset(Views(german), "WINDOWS-1252"), "WINDOWS-1252");
    EXPECT_EQ(ChooseNameCharset(Views(german), "ibm437"), "CP437");
    // A verdict iconv does not know, or whose set cannot read the names.
    EXPECT_EQ(ChooseNameCharset(Views(german), "NO-SUCH-SET"), "GB18030");
    EXPECT_EQ(ChooseNameCharset(Views(std::vector<std::string>{"\xA1\x20.htm"}), "BIG5"), "GB18030");
}

TEST(NameCharset, Cp437OnlyWhereTheDetectorSaysSo)
{
    // Names written by an old DOS zipper: the detector does not name CP437,
    // so they are not read as CP437 (nor are Chinese names, as libzip would).
    const std::vector<std::string> dos = {"\x9A" "bersicht.htm", "Gr\x94\xE1" "e.htm", "M\x84rchen.htm"};
    EXPECT_NE(Chosen(dos), "CP437");

    std::vector<StoredName> stored;
    for (const std::string& n : dos)
        stored.push_back({n, false});
    std::setlocale(LC_CTYPE, "C.UTF-8");
    CArchiveNameDecoder decoder(stored, [](const std::vector<std::string_view>&) { return std::string("IBM437"); });
    EXPECT_EQ(decoder.Charset(), "CP437");
    EXPECT_EQ(decoder.Decode(stored[0]), "Übersicht.htm");
    EXPECT_EQ(decoder.Decode(stored[1]), "Größe.htm");
}

TEST_F(Utf8Names, DecoderReadsUndeclaredNamesTogetherAndKeepsUtf8)
{
    std::vector<StoredName> names = {
        {Gbk("目录.htm"), false},  // well-formed UTF-8 by chance
        {"第二章.htm", true}, {"plain.htm", false}, {Gbk("第一章.htm"), false},
    };
    std::vector<std::vector<std::string_view>> asked;
    auto detector = [&](const std::vector<std::string_view>& v) {
        asked.push_back(v);
        return std::string("TIS-620");
    };
    CArchiveNameDecoder decoder(names, detector);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], (std::vector<std::string_view>{names[0].bytes, names[3].bytes}));
    EXPECT_EQ(decoder.Charset(), "GB18030");
    EXPECT_EQ(decoder.Decode(names[0]), "目录.htm");
    EXPECT_EQ(decoder.Decode(names[1]), "第二章.htm");
    EXPECT_EQ(decoder.Decode(names[2]), "plain.htm");
    EXPECT_EQ(decoder.Decode(names[3]), "第一章.htm");

    // The most common name of a Chinese book, alone: GBK, although it is
    // well-formed UTF-8 ("Ŀ¼").
    CArchiveNameDecoder toc({{Gbk("目录.htm"), false}, {"index.htm", false}});
    EXPECT_EQ(toc.Decode({Gbk("目录.htm"), false}), "目录.htm");

    // UTF-8 names without the flag stay as they are, and the detector is
    // not asked; nor is it when no name needs it.
    asked.clear();
    for (const std::vector<StoredName>& utf8 :
         {std::vector<StoredName>{{"写于Linux.htm", false}, {"a.htm", false}}, {{"café.htm", false}},
          {{"Größe.htm", false}}, {{"a.htm", false}, {"第二章.htm", true}}}) {
        CArchiveNameDecoder kept(utf8, detector);
        EXPECT_EQ(kept.Charset(), "") << utf8[0].bytes;
        for (const StoredName& n : utf8)
            EXPECT_EQ(kept.Decode(n), n.bytes);
    }
    EXPECT_TRUE(asked.empty());
}

TEST_F(Utf8Names, GbkLocaleTurnsUtf8NamesIntoGbkAndKeepsTheRest)
{
    GbkLocale gbk;
    if (!gbk.Active())
        GTEST_SKIP() << "cannot build a GBK locale";
    std::vector<StoredName> names = {{"第二章.htm", true}, {Gbk("目录.htm"), false}, {Gbk("第一章.htm"), false}};
    CArchiveNameDecoder decoder(names);
    EXPECT_EQ(decoder.Charset(), "");
    EXPECT_EQ(decoder.Decode(names[0]), Gbk("第二章.htm"));
    EXPECT_EQ(decoder.Decode(names[1]), Gbk("目录.htm"));
    EXPECT_EQ(decoder.Decode(names[2]), Gbk("第一章.htm"));
}

TEST_F(Utf8Names, TableFindsReadableNamesFirstThenStoredBytes)
{
    CArchiveNameTable table;
    table.Build({
        {Gbk("第一章.htm"), false},  // 0
        {"a.htm", false},           // 1
        {"", false},                // 2: no name
        {"第一章.htm", true},        // 3: shows like 0
        {Gbk("第一章.htm"), false},  // 4: stored like 0
    });
    ASSERT_EQ(table.Size(), 5u);
    EXPECT_EQ(table.Readable(0), "第一章.htm");
    EXPECT_EQ(table.Readable(2), "");
    uint64_t index = 99;
    EXPECT_TRUE(table.Find("第一章.htm", &index));
    EXPECT_EQ(index, 0u);
    EXPECT_TRUE(table.Find(Gbk("第一章.htm"), &index));
    EXPECT_EQ(index, 0u);
    EXPECT_TRUE(table.Find("a.htm", &index));
    EXPECT_EQ(index, 1u);
    EXPECT_FALSE(table.Find("", &index));
    EXPECT_FALSE(table.Find("A.htm", &index));
    table.Clear();
    EXPECT_FALSE(table.Find("a.htm", &index));
    EXPECT_EQ(table.Size(), 0u);
}

TEST_F(Utf8Names, ZipOfChineseWindowsListsAndFindsReadableNames)
{
    const std::string path = m_dir.File("book.zip");
    WriteFile(path, RawZip(ChineseWindowsBook()));
    CZipManager m;
    m.SetSortMode(0);
    m.Open(path);
    EXPECT_EQ(m.NameCharset(), "GB18030");
    std::vector<std::string> listed = m.Entries();
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"目录.htm", "第一章 春.htm", "第三章.htm", "第二章.htm", "附录.htm"}));
    EXPECT_EQ(m.TotalCount(), 7);

    EXPECT_EQ(Extract(m, "目录.htm"), "toc");
    EXPECT_EQ(Extract(m, Gbk("目录.htm")), "toc") << "the stored bytes find it too";
    EXPECT_EQ(Extract(m, "图片/封面.jpg"), "jpg");
    EXPECT_EQ(Extract(m, "第二章.htm"), "two");
    EXPECT_EQ(Extract(m, "第三章.htm"), "three") << "the Unicode path field names it";
    EXPECT_EQ(Extract(m, "附录.htm"), "appendix") << "a field of another name is ignored";
    EXPECT_EQ(Extract(m, "错误.htm"), "<none>");
}

TEST_F(Utf8Names, HolderChoosesStoresAndServesReadableNames)
{
    const std::string path = m_dir.File("book.zip");
    WriteFile(path, RawZip(ChineseWindowsBook()));
    TheHomeNames().SetNames({"目录"});
    CArchiveHolder holder;
    ASSERT_TRUE(holder.OpenArchive(path));
    EXPECT_EQ(MainParaBlock().GetString(PARA_STR_CUR_PATH_IN_ZIP), "目录.htm");

    // Chromium asks in UTF-8 escapes; an address saved with the stored bytes
    // (escaped or not) still finds the entry.
    EXPECT_EQ(ExtractPath(holder, "%E7%9B%AE%E5%BD%95.htm"), "toc");
    EXPECT_EQ(ExtractPath(holder, "%E7%AC%AC%E4%B8%80%E7%AB%A0%20%E6%98%A5.htm"), "one");
    EXPECT_EQ(ExtractPath(holder, "%C4%BF%C2%BC.htm"), "toc");
    EXPECT_EQ(Take(holder.ExtractEntry(Gbk("目录.htm"), nullptr), 3), "toc");

    std::vector<std::string> bar;
    CArchiveHolder().ListArchive(path, bar);
    EXPECT_EQ(bar.size(), 5u);
    EXPECT_NE(std::find(bar.begin(), bar.end(), "第一章 春.htm"), bar.end());
}

TEST_F(Utf8Names, GbkLocaleFindsNamesDeclaredUtf8)
{
    const std::string path = m_dir.File("mixed.zip");
    WriteFile(path, RawZip({{"第二章.htm", "two", true, ""}, {Gbk("目录.htm"), "toc", false, ""}}));
    GbkLocale gbk;
    if (!gbk.Active())
        GTEST_SKIP() << "cannot build a GBK locale";
    std::string two, toc;
    std::vector<std::string> bar;
    {
        CArchiveHolder holder;
        ASSERT_TRUE(holder.OpenArchive(path));
        two = ExtractPath(holder, "%E7%AC%AC%E4%BA%8C%E7%AB%A0.htm");
        toc = ExtractPath(holder, "%E7%9B%AE%E5%BD%95.htm");
        CArchiveHolder().ListArchive(path, bar);
    }
    EXPECT_EQ(two, "two");
    EXPECT_EQ(toc, "toc");
    std::sort(bar.begin(), bar.end());
    EXPECT_EQ(bar, (std::vector<std::string>{Gbk("第二章.htm"), Gbk("目录.htm")}));
}

TEST_F(Utf8Names, ArbitraryNameBytesAreListedAndFound)
{
    // Lone lead bytes, bytes no code page uses, a GBK pair whose second byte
    // is a backslash, a name that decodes to nothing, control characters.
    const std::vector<std::string> names = {"\xB5.htm", "\xFF\xFE.htm", "\x80.htm", "\x81\x5C.htm", "\xB5",
                                            "a\x01\x7F\xC0\xAF.htm", "\xE4\xB8.htm", "\xF0\x90\x80.htm"};
    std::vector<RawEntry> entries;
    for (size_t i = 0; i < names.size(); ++i)
        entries.push_back({names[i], std::to_string(i), false, ""});
    const std::string path = m_dir.File("odd.zip");
    WriteFile(path, RawZip(entries));
    CZipManager m;
    m.Open(path);
    EXPECT_EQ(m.TotalCount(), static_cast<int>(names.size()));
    EXPECT_EQ(m.ListedCount(), static_cast<int>(names.size()) - 1);
    for (const std::string& shown : m.Entries())
        EXPECT_FALSE(shown.empty());
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(Extract(m, names[i]), std::to_string(i)) << i;
    // The pair 0x81 0x5C is one character, not a folder.
    for (const std::string& shown : m.Entries())
        EXPECT_EQ(CZipManager::Depth(shown), 0) << shown;
}
