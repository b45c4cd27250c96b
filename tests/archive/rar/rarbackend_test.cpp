// The real RAR reader against the generated fixtures, the libraries it
// stands on, and damaged input.

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <sys/stat.h>
#include <zlib.h>

#include "archive/rarbackend.h"
#include "archive/rarbackendarchive.h"
#include "archive/rarmemorysource.h"
#include "archive/rarvolumes.h"
#include "archive/rarvolumescanner.h"
#include "archive/ziptestutil.h"
#include "rartestutil.h"

using namespace rartest;

namespace {

std::string Slashes(std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

std::map<std::string, std::string> WithSlashes(const std::map<std::string, std::string>& in)
{
    std::map<std::string, std::string> out;
    for (const auto& [name, data] : in)
        out[Slashes(name)] = data;
    return out;
}

class RarBackendTest : public ::testing::Test {
protected:
    void SetUp() override { std::setlocale(LC_ALL, "C.UTF-8"); }
    CRarBackend m_backend;
};

}  // namespace

// Every fixture reads the same through our reader as through the library
// that reads it alone; this also checks the generator against the libraries.
TEST_F(RarBackendTest, FixturesMatchTheLibraries)
{
    struct Case {
        const char* first;
        std::vector<const char*> volumes;
        bool rar5;
        bool viaUnarr;
        size_t files;
    };
    const Case cases[] = {
        {"basic.rar", {"basic.rar"}, false, false, 6},
        {"unicode.rar", {"unicode.rar"}, false, false, 2},
        {"volumes.part1.rar", {"volumes.part1.rar", "volumes.part2.rar"}, false, false, 3},
        {"oldvol.rar", {"oldvol.rar", "oldvol.r00"}, false, false, 3},
        {"basic5.rar", {"basic5.rar"}, true, false, 7},
        {"solid5.rar", {"solid5.rar"}, true, false, 7},
        {"vol5.part1.rar", {"vol5.part1.rar", "vol5.part2.rar"}, true, false, 3},
        {"solid.rar", {"solid.rar"}, false, true, 6},
        {"basic.rar", {"basic.rar"}, false, true, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        std::vector<std::string> volumes;
        for (const char* v : c.volumes)
            volumes.push_back(Fixture(v));
        auto expected = c.viaUnarr ? ReadWithUnarr(volumes[0]) : ReadWithLibarchive(volumes, c.rar5);
        ASSERT_EQ(expected.size(), c.files);
        Walk walk;
        WalkArchive(m_backend, Fixture(c.first), walk);
        EXPECT_EQ(walk.endResult, kRarEndArchive);
        auto got = WithSlashes(walk.data);
        got.erase("empty.htm");  // an empty file yields no data block
        expected.erase("empty.htm");
        EXPECT_EQ(got, expected);
    }
    // GBK names come out differently from each reader; the data must agree.
    auto values = [](const std::map<std::string, std::string>& m) {
        std::vector<std::string> v;
        for (const auto& [name, data] : m)
            v.push_back(data);
        std::sort(v.begin(), v.end());
        return v;
    };
    Walk gbk;
    WalkArchive(m_backend, Fixture("gbk.rar"), gbk);
    EXPECT_EQ(values(gbk.data), values(ReadWithUnarr(Fixture("gbk.rar"))));
    EXPECT_EQ(values(gbk.data), values(ReadWithLibarchive({Fixture("gbk.rar")}, false)));
    EXPECT_EQ(gbk.data.size(), 2u);
}

TEST_F(RarBackendTest, ReportsNamesFlagsAndSizes)
{
    Walk walk;
    WalkArchive(m_backend, Fixture("basic.rar"), walk);
    ASSERT_EQ(walk.names.size(), 7u);
    EXPECT_EQ(walk.names[0], "book");
    EXPECT_EQ(walk.flags[0] & kRarFlagDirectory, unsigned(kRarFlagDirectory));
    EXPECT_EQ(walk.names[1], "book\\ch1.htm");
    EXPECT_EQ(walk.flags[1] & kRarFlagDirectory, 0u);

    // RAR 5 stores "/" but reports "\" like RAR 4, and its directory flag
    // comes out as the same mask.
    Walk walk5;
    WalkArchive(m_backend, Fixture("basic5.rar"), walk5);
    ASSERT_EQ(walk5.names.size(), 8u);
    EXPECT_EQ(walk5.names[1], "book\\ch1.htm");
    EXPECT_EQ(walk5.flags[0] & kRarFlagDirectory, unsigned(kRarFlagDirectory));
    EXPECT_EQ(walk5.names[7], "书\\第二章.htm");

    // Names without a Unicode form are GBK; they reach a UTF-8 locale converted.
    Walk gbk;
    WalkArchive(m_backend, Fixture("gbk.rar"), gbk);
    ASSERT_EQ(gbk.names.size(), 3u);
    EXPECT_EQ(gbk.names[1], "中文\\第一章.htm");
    EXPECT_EQ(gbk.names[2], "目录.txt");
    Walk uni;
    WalkArchive(m_backend, Fixture("unicode.rar"), uni);
    ASSERT_EQ(uni.names.size(), 2u);
    EXPECT_EQ(uni.names[0], "書籍\\章節一.htm");
    EXPECT_EQ(uni.names[1], "ελληνικά.txt");
}

TEST_F(RarBackendTest, VolumeSetsAreFoundAndJoined)
{
    for (const char* first : {"volumes.part1.rar", "oldvol.rar", "vol5.part1.rar", "solidvol.part1.rar"}) {
        SCOPED_TRACE(first);
        Walk walk;
        WalkArchive(m_backend, Fixture(first), walk);
        EXPECT_EQ(walk.endResult, kRarEndArchive);
        ASSERT_EQ(walk.names, (std::vector<std::string>{"a.htm", "big.htm", "c.htm"}));
        EXPECT_EQ(walk.data["big.htm"].size(), 5000u);
        EXPECT_EQ(walk.data["big.htm"].substr(0, 9), "line 1 of");
        EXPECT_TRUE(walk.volumesAsked.empty());
    }
    // The joined image of the solid set reads with unarr like the original files.
    auto expected = ReadWithLibarchive({Fixture("volumes.part1.rar"), Fixture("volumes.part2.rar")}, false);
    Walk solid;
    WalkArchive(m_backend, Fixture("solidvol.part1.rar"), solid);
    EXPECT_EQ(solid.data, expected);
}

TEST_F(RarBackendTest, MissingVolumeIsAskedForAndEndsTheFile)
{
    ziptest::TempDir dir;
    WriteBytes(dir.File("set.part1.rar"), ReadBytes(Fixture("volumes.part1.rar")));
    Walk refused;
    WalkArchive(m_backend, dir.File("set.part1.rar"), refused);
    ASSERT_FALSE(refused.volumesAsked.empty());
    EXPECT_EQ(refused.volumesAsked[0], dir.File("set.part2.rar"));
    EXPECT_EQ(refused.names, (std::vector<std::string>{"a.htm", "big.htm"}));
    EXPECT_NE(refused.testResults["big.htm"], kRarSuccess);
    EXPECT_EQ(refused.data.count("big.htm"), 0u);

    // The user supplies the volume and answers OK: the walk goes on.
    struct Supplier {
        static int Callback(unsigned message, void* context, intptr_t p1, intptr_t p2)
        {
            auto* self = static_cast<Supplier*>(context);
            if (message == kRarChangeVolume && p2 == kRarVolumeAsk) {
                ++self->asked;
                WriteBytes(reinterpret_cast<const char*>(p1), ReadBytes(Fixture("volumes.part2.rar")));
                return 0;
            }
            if (message == kRarProcessData)
                self->bytes += static_cast<size_t>(p2);
            return 0;
        }
        int asked = 0;
        size_t bytes = 0;
    } supplier;
    int result = -1;
    auto handle = m_backend.OpenArchive(dir.File("set.part1.rar"), kRarOpenExtract, &Supplier::Callback, &supplier,
                                        &result);
    ASSERT_TRUE(handle);
    RarHeader header;
    ASSERT_EQ(handle->ReadHeader(header), kRarSuccess);
    ASSERT_EQ(handle->ProcessFile(kRarSkip), kRarSuccess);
    ASSERT_EQ(handle->ReadHeader(header), kRarSuccess);
    EXPECT_EQ(header.fileName, "big.htm");
    EXPECT_EQ(handle->ProcessFile(kRarTest), kRarSuccess);
    EXPECT_EQ(supplier.asked, 1);
    EXPECT_EQ(supplier.bytes, 5000u);
}

TEST_F(RarBackendTest, EncryptionIsDetectedAndNeverDecrypted)
{
    for (const char* name : {"encrypted.rar", "enc5.rar"}) {
        SCOPED_TRACE(name);
        Walk walk;
        WalkArchive(m_backend, Fixture(name), walk);
        ASSERT_EQ(walk.names, (std::vector<std::string>{"open.htm", "secret.htm"}));
        EXPECT_EQ(walk.flags[0] & kRarFlagEncrypted, 0u);
        EXPECT_NE(walk.flags[1] & kRarFlagEncrypted, 0u);
        EXPECT_EQ(walk.testResults["open.htm"], kRarSuccess);
        EXPECT_EQ(walk.testResults["secret.htm"], kRarMissingPassword);
        EXPECT_EQ(walk.passwordRequests, 1);
    }
    for (const char* name : {"encheaders.rar", "enchead5.rar"}) {
        SCOPED_TRACE(name);
        Walk walk;
        WalkArchive(m_backend, Fixture(name), walk);
        EXPECT_TRUE(walk.names.empty());
        EXPECT_EQ(walk.endResult, kRarMissingPassword);
        EXPECT_EQ(walk.passwordRequests, 1);
    }
    EXPECT_FALSE(m_backend.CanDecrypt());
}

TEST_F(RarBackendTest, NamesThatLeaveTheFolderAreDropped)
{
    Walk walk;
    WalkArchive(m_backend, Fixture("unsafe.rar"), walk);
    EXPECT_EQ(walk.names, (std::vector<std::string>{"safe..name.htm"}));
    EXPECT_EQ(walk.endResult, kRarEndArchive);
}

// Stored data is not checked by libarchive; a changed byte must not pass.
TEST_F(RarBackendTest, CorruptedDataFailsItsCrc)
{
    ziptest::TempDir dir;
    for (const char* name : {"basic.rar", "basic5.rar", "solid.rar"}) {
        SCOPED_TRACE(name);
        std::string bytes = ReadBytes(Fixture(name));
        size_t at = bytes.find("first chapter");
        ASSERT_NE(at, std::string::npos);
        bytes[at] = 'F';
        WriteBytes(dir.File(name), bytes);
        Walk walk;
        WalkArchive(m_backend, dir.File(name), walk);
        EXPECT_EQ(walk.testResults["book\\ch1.htm"], kRarBadData);
        EXPECT_EQ(walk.testResults["book\\ch2.htm"], kRarSuccess);
    }
}

TEST_F(RarBackendTest, DamagedArchivesFailCleanly)
{
    ziptest::TempDir dir;
    // Every cut of a few archives: no crash, and no file handed out that
    // differs from the original.
    for (const char* name : {"basic.rar", "basic5.rar", "volumes.part1.rar"}) {
        const std::string bytes = ReadBytes(Fixture(name));
        Walk whole;
        WalkArchive(m_backend, Fixture(name), whole);
        for (size_t cut = 0; cut < bytes.size(); cut += 3) {
            WriteBytes(dir.File("cut.rar"), bytes.substr(0, cut));
            Walk walk;
            WalkArchive(m_backend, dir.File("cut.rar"), walk);
            for (const auto& [entry, data] : walk.data)
                EXPECT_EQ(data, whole.data[entry]) << name << " cut at " << cut;
        }
    }
    // A header that claims a huge unpacked size is refused before anything is allocated.
    std::string bytes = ReadBytes(Fixture("basic.rar"));
    size_t header = 20 + 36;  // marker, archive header, the "book" directory header
    ASSERT_EQ(static_cast<unsigned char>(bytes[header + 2]), 0x74);
    for (int i = 0; i < 4; ++i)
        bytes[header + 11 + i] = '\xF0';
    FixRar4HeaderCrc(bytes, header);
    WriteBytes(dir.File("huge.rar"), bytes);
    Walk walk;
    WalkArchive(m_backend, dir.File("huge.rar"), walk);
    ASSERT_EQ(walk.names.size(), 7u);
    EXPECT_EQ(walk.testResults["book\\ch1.htm"], kRarNoMemory);
    EXPECT_EQ(walk.testResults["book\\ch2.htm"], kRarSuccess);

    // Not an archive at all.
    int result = 0;
    WriteBytes(dir.File("text.rar"), "just some text, no archive here");
    EXPECT_FALSE(m_backend.OpenArchive(dir.File("text.rar"), kRarOpenList, nullptr, nullptr, &result));
    EXPECT_EQ(result, kRarBadArchive);
    EXPECT_FALSE(m_backend.OpenArchive(dir.File("missing.rar"), kRarOpenList, nullptr, nullptr, &result));
    EXPECT_EQ(result, kRarOpenFailed);
    // A pipe named like an archive must not hang the reader.
    ASSERT_EQ(mkfifo(dir.File("pipe.rar").c_str(), 0600), 0);
    EXPECT_FALSE(m_backend.OpenArchive(dir.File("pipe.rar"), kRarOpenList, nullptr, nullptr, &result));
    EXPECT_EQ(result, kRarOpenFailed);
}

TEST(RarVolumeNames, CountUpInBothStyles)
{
    struct Case {
        const char* name;
        bool newNumbering;
        const char* next;
    } cases[] = {
        {"/b/book.part1.rar", true, "/b/book.part2.rar"},
        {"/b/book.part09.rar", true, "/b/book.part10.rar"},
        {"/b/book.part9.rar", true, "/b/book.part10.rar"},
        {"/b/book.part099.rar", true, "/b/book.part100.rar"},
        {"/b/v2.0/book.rar", true, "/b/v2.0/book.r00"},  // digits of a folder do not count
        {"/b/book.rar", false, "/b/book.r00"},
        {"/b/BOOK.RAR", false, "/b/BOOK.R00"},
        {"/b/book.r00", false, "/b/book.r01"},
        {"/b/book.r99", false, "/b/book.s00"},
        {"/b/book", false, "/b/book.r00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NextRarVolumeName(c.name, c.newNumbering), c.next) << c.name;
}

TEST(RarVolumeScanner, ReadsTheArchiveFlags)
{
    struct Case {
        const char* name;
        int version;
        bool solid, volume, first, encryptedHeaders;
    } cases[] = {
        {"basic.rar", 4, false, false, true, false},
        {"solid.rar", 4, true, false, true, false},
        {"volumes.part1.rar", 4, false, true, true, false},
        {"volumes.part2.rar", 4, false, true, false, false},
        {"encheaders.rar", 4, false, false, true, true},
        {"solid5.rar", 5, true, false, true, false},
        {"vol5.part2.rar", 5, false, true, false, false},
        {"enchead5.rar", 5, false, false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = ReadBytes(Fixture(c.name));
        CRarMemorySource source(bytes.data(), bytes.size());
        RarVolumeInfo info = CRarVolumeScanner::Scan(source);
        EXPECT_EQ(info.version, c.version);
        EXPECT_EQ(info.solid, c.solid);
        EXPECT_EQ(info.isVolume, c.volume);
        EXPECT_EQ(info.firstVolume, c.first);
        EXPECT_EQ(info.encryptedHeaders, c.encryptedHeaders);
        EXPECT_FALSE(info.damaged);
    }
    // The second volume of the solid set starts with a file that continues
    // one of the first volume and builds on earlier files.
    std::string bytes = ReadBytes(Fixture("solidvol.part2.rar"));
    CRarMemorySource source(bytes.data(), bytes.size());
    RarVolumeInfo info = CRarVolumeScanner::Scan(source);
    ASSERT_FALSE(info.files.empty());
    EXPECT_NE(info.files[0].flags & kRarFlagSolid, 0u);
    EXPECT_NE(info.files[0].flags & kRarFlagSplitBefore, 0u);
}

// The committed fixtures are exactly what the generator writes, so a change
// to either cannot go unnoticed.
TEST(RarFixtures, MatchTheGenerator)
{
    ziptest::TempDir dir;
    ASSERT_TRUE(ziptest::Run("python3 '" PAGORA_SOURCE_DIR "/tests/archive/rar/make_fixtures.py' '" + dir.Path() + "'"));
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        std::string name = entry.path().filename().string();
        EXPECT_EQ(ReadBytes(entry.path().string()), ReadBytes(Fixture(name))) << name;
        ++compared;
    }
    EXPECT_EQ(compared, 31);
}
