// Volume sets cut at a volume size (a short last volume, a size known only at
// the end) through the manager, the holder and the page server; every
// committed fixture against an independent reader, unar; header and volume
// loops.

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <zlib.h>

#include "session/addressmapping.h"
#include "settings/loopback.h"
#include "settings/parablock.h"
#include "archive/archiveholder.h"
#include "archive/rarbackend.h"
#include "archive/rarmanager.h"
#include "archive/rarmemorysource.h"
#include "archive/rarvolumescanner.h"
#include "archive/ziptestutil.h"
#include "platform/modulepath.h"
#include "rartestutil.h"
#include "support/loopbackclient.h"
#include "server/pageserver.h"

namespace fs = std::filesystem;
using namespace rartest;

namespace {

// What make_fixtures.py stores in the cut sets.
const std::string kSetText = "a text that lies wholly in the first volume\r\n";

std::string SetPage()
{
    const std::string line = "line 2 of a page that is long enough to be split; ";
    std::string text;
    while (text.size() < 6000)
        text += line;
    text.resize(6000);
    return "<html><head><title>Big</title></head><body>" + text + "</body></html>\r\n";
}

struct CutSet {
    const char* what;
    std::vector<const char*> volumes;
};

const CutSet kCutSets[] = {
    {"RAR 4, .partN.rar names", {"cut.part1.rar", "cut.part2.rar"}},
    {"RAR 4, .rar and .r00 names", {"cutold.rar", "cutold.r00"}},
    {"RAR 5", {"cut5.part1.rar", "cut5.part2.rar"}},
    {"RAR 5, solid", {"cutsolid5.part1.rar", "cutsolid5.part2.rar"}},
    {"RAR 5, size known only in the last piece", {"stream5.part1.rar", "stream5.part2.rar"}},
};

class RarSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::setlocale(LC_ALL, "C.UTF-8");
        ziptest::ResetArchiveState(m_dir);
        RegisterRarManager();
    }
    std::string Extract(CRarManager& manager, const std::string& name)
    {
        size_t size = 0;
        char* buffer = manager.Extract(name, &size);
        return ziptest::Take(buffer, size);
    }

    ziptest::TempDir m_dir;
};

// The path of `tool` on PATH, or "".
std::string FindTool(const std::string& tool)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + tool;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::string();
}

std::string RunAndRead(const std::string& command)
{
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

}  // namespace

TEST_F(RarSetTest, CutSetsReadWholeThroughTheManagerAndTheHolder)
{
    for (const CutSet& set : kCutSets) {
        SCOPED_TRACE(set.what);
        // Under a name of their own, so that the volumes are found by name.
        ziptest::TempDir dir;
        std::vector<std::string> copies;
        for (const char* v : set.volumes) {
            std::string name = v;
            copies.push_back(dir.File("book" + name.substr(name.find('.'))));
            WriteBytes(copies.back(), ReadBytes(Fixture(v)));
        }
        CRarManager manager;
        manager.Open(copies[0]);
        EXPECT_EQ(manager.Entries(), (std::vector<std::string>{"a.txt", "big.html"}));
        EXPECT_EQ(Extract(manager, "a.txt"), kSetText);
        EXPECT_EQ(Extract(manager, "big.html"), SetPage());

        // Without its second volume the split page is not found, the other one is.
        fs::remove(copies[1]);
        EXPECT_EQ(Extract(manager, "big.html"), "<none>");
        EXPECT_EQ(Extract(manager, "a.txt"), kSetText);
        WriteBytes(copies[1], ReadBytes(Fixture(set.volumes[1])));

        CArchiveHolder holder;
        ASSERT_TRUE(holder.OpenArchive(copies[0]));
        size_t size = 0;
        char* buffer = holder.ExtractByPath("BIG.HTML", &size);
        EXPECT_EQ(ziptest::Take(buffer, size), SetPage());
        holder.CloseArchive();
    }
}

// The reader's own walk reports the size of the whole file in the header,
// also when the first piece left it open.
TEST_F(RarSetTest, SplitFilesReportTheSizeAndCrcOfTheLastPiece)
{
    CRarBackend backend;
    for (const CutSet& set : kCutSets) {
        SCOPED_TRACE(set.what);
        int result = -1;
        auto archive = backend.OpenArchive(Fixture(set.volumes[0]), kRarOpenList, nullptr, nullptr, &result);
        ASSERT_TRUE(archive);
        RarHeaderEx header;
        ASSERT_EQ(archive->ReadHeaderEx(header), kRarSuccess);
        EXPECT_EQ(archive->ProcessFile(kRarSkip), kRarSuccess);
        ASSERT_EQ(archive->ReadHeaderEx(header), kRarSuccess);
        EXPECT_EQ(header.fileName, "big.html");
        EXPECT_EQ(header.unpSize, SetPage().size());
        const std::string page = SetPage();
        EXPECT_EQ(header.fileCrc, crc32(0L, reinterpret_cast<const Bytef*>(page.data()), page.size()));
        EXPECT_EQ(archive->ProcessFile(kRarSkip), kRarSuccess);
        EXPECT_EQ(archive->ReadHeaderEx(header), kRarEndArchive);
    }
}

TEST_F(RarSetTest, CutSetsAreServedWholeByThePageServer)
{
    platform::SetProfileFolderForTesting(m_dir.Path());
    for (const CutSet& set : kCutSets) {
        SCOPED_TRACE(set.what);
        const std::string address = ArchiveStartAddress(Fixture(set.volumes[0]));
        ASSERT_EQ(address, LoopbackBase() + "big.html");
        ASSERT_TRUE(server::ThePageServer().IsRunning());
        for (const auto& [name, body] : {std::pair<std::string, std::string>{"big.html", SetPage()},
                                         std::pair<std::string, std::string>{"a.txt", kSetText}}) {
            const std::string response = testing_support::Exchange(
                static_cast<uint16_t>(LoopbackPort()), {"GET /" + name + " HTTP/1.1\r\n\r\n"});
            EXPECT_EQ(response.substr(0, 12), "HTTP/1.0 200") << name;
            const size_t end = response.find("\r\n\r\n");
            ASSERT_NE(end, std::string::npos);
            EXPECT_EQ(response.substr(end + 4), body) << name;
        }
    }
    server::ThePageServer().Shutdown();
    TheArchiveHolder().CloseArchive();
    ClearPendingArchive();
    platform::SetProfileFolderForTesting("");
}

// A piece that is not the last carries the CRC of its own bytes. One that
// carries the whole file's CRC instead (as unar finds too) is no piece of
// this file: the page is not handed out, the rest of the set still is.
TEST_F(RarSetTest, APieceWithAnotherCrcIsNotHandedOut)
{
    const std::string page = SetPage();
    const uint32_t whole = crc32(0L, reinterpret_cast<const Bytef*>(page.data()), page.size());
    for (const char* first : {"cut.part1.rar", "cut5.part1.rar", "cutsolid5.part1.rar"}) {
        SCOPED_TRACE(first);
        std::string bytes = ReadBytes(Fixture(first));
        CRarMemorySource source(bytes.data(), bytes.size());
        RarVolumeInfo info = CRarVolumeScanner::Scan(source);
        ASSERT_EQ(info.files.size(), 2u);
        const RarFilePart& piece = info.files[1];
        std::string oldCrc(4, '\0'), newCrc(4, '\0');
        for (int i = 0; i < 4; ++i) {
            oldCrc[i] = static_cast<char>(piece.crc >> (8 * i));
            newCrc[i] = static_cast<char>(whole >> (8 * i));
        }
        const size_t at = bytes.find(oldCrc, piece.headerOffset + 4);
        ASSERT_LT(at, piece.dataOffset);
        bytes.replace(at, 4, newCrc);
        if (info.version == 4) {
            FixRar4HeaderCrc(bytes, piece.headerOffset);
        } else {
            const size_t from = piece.headerOffset + 4;
            const uint32_t crc =
                crc32(0L, reinterpret_cast<const Bytef*>(bytes.data() + from), piece.dataOffset - from);
            for (int i = 0; i < 4; ++i)
                bytes[piece.headerOffset + i] = static_cast<char>(crc >> (8 * i));
        }
        const std::string name = first;
        WriteBytes(m_dir.File(name), bytes);
        const std::string second = name.substr(0, name.find('.')) + ".part2.rar";
        WriteBytes(m_dir.File(second), ReadBytes(Fixture(second)));
        CRarManager manager;
        manager.Open(m_dir.File(name));
        EXPECT_EQ(manager.Entries(), (std::vector<std::string>{"a.txt", "big.html"}));
        EXPECT_EQ(Extract(manager, "big.html"), "<none>");
        EXPECT_EQ(Extract(manager, "a.txt"), kSetText);
    }
}

// Every fixture meant to be whole: unar tests it, and each file that unar
// extracts is served with the same bytes.
TEST_F(RarSetTest, FixturesAgreeWithUnar)
{
    const std::string lsar = FindTool("lsar"), unar = FindTool("unar");
    if (lsar.empty() || unar.empty())
        GTEST_SKIP() << "lsar and unar (package unar) are not installed";
    // The first volumes of every set that holds no encrypted file and no
    // name that climbs out of a folder.
    const char* archives[] = {
        "basic.rar",          "basic5.rar",          "gbk.rar",           "unicode.rar",     "solid.rar",
        "solid5.rar",         "volumes.part1.rar",   "oldvol.rar",        "solidvol.part1.rar",
        "vol5.part1.rar",     "solidvol5.part1.rar", "cut.part1.rar",     "cutold.rar",      "cut5.part1.rar",
        "cutsolid5.part1.rar", "stream5.part1.rar",
    };
    for (const char* name : archives) {
        SCOPED_TRACE(name);
        const std::string path = Fixture(name);
        const std::string tested = RunAndRead("'" + lsar + "' -t '" + path + "' 2>&1");
        EXPECT_NE(tested.find(" passed, 0 failed."), std::string::npos) << tested;

        ziptest::TempDir out;
        ASSERT_TRUE(ziptest::Run("'" + unar + "' -q -f -D -o '" + out.Path() + "' '" + path + "' >/dev/null 2>&1"));
        CRarManager manager;
        manager.Open(path);
        int files = 0;
        for (const auto& item : fs::recursive_directory_iterator(out.Path())) {
            if (!item.is_regular_file())
                continue;
            ++files;
            const std::string entry = fs::relative(item.path(), out.Path()).string();
            SCOPED_TRACE(entry);
            const std::string expected = ReadBytes(item.path().string());
            // An empty file is never found, as the holder's rules want.
            EXPECT_EQ(Extract(manager, entry), expected.empty() ? "<none>" : expected);
        }
        EXPECT_EQ(manager.TotalCount(), files);
    }
}

// A header whose size points back to an earlier offset (the sum wraps), and
// volume names that lead back into the set: listing ends at once, the files
// that cannot be read are not found, the others are.
TEST_F(RarSetTest, HeaderAndVolumeLoopsEndTheListing)
{
    const auto started = std::chrono::steady_clock::now();
    // RAR 5: the data size of a.txt's header set so that the next header
    // would lie 50 bytes before it.
    {
        std::string bytes = ReadBytes(Fixture("cut5.part1.rar"));
        // Signature (8), main header (CRC 4, size 1, 3 bytes), then a.txt's
        // header: CRC, size vint, type 2, flags 0x02 (data), data size vint.
        const size_t at = 8 + 4 + 1 + 3;
        ASSERT_EQ(static_cast<unsigned char>(bytes[at + 5]), 2u);
        ASSERT_EQ(static_cast<unsigned char>(bytes[at + 6]), 0x02u);
        const size_t headerSize = 4 + 1 + static_cast<unsigned char>(bytes[at + 4]);
        // The new size takes ten vint bytes instead of one; the header grows
        // by nine, and its end plus the size wraps round to at - 50.
        const uint64_t back = ~uint64_t{0} - (headerSize + 9) - 50 + 1;
        std::string vint;
        for (uint64_t v = back; v; v >>= 7)
            vint += static_cast<char>((v & 0x7F) | (v > 0x7F ? 0x80 : 0));
        ASSERT_EQ(vint.size(), 10u);
        std::string header = bytes.substr(at + 4, headerSize - 4);
        header[0] = static_cast<char>(header[0] + vint.size() - 1);
        header.replace(3, 1, vint);
        const uint32_t crc = crc32(0L, reinterpret_cast<const Bytef*>(header.data()), header.size());
        std::string crcBytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            crcBytes[i] = static_cast<char>(crc >> (8 * i));
        bytes.replace(at, headerSize, crcBytes + header);
        WriteBytes(m_dir.File("loop5.part1.rar"), bytes);
        WriteBytes(m_dir.File("loop5.part2.rar"), ReadBytes(Fixture("cut5.part2.rar")));
        CRarManager manager;
        manager.Open(m_dir.File("loop5.part1.rar"));
        EXPECT_EQ(manager.TotalCount(), 1);  // a.txt, whose data runs past the end
        EXPECT_EQ(Extract(manager, "a.txt"), "<none>");
        EXPECT_EQ(Extract(manager, "big.html"), "<none>");
    }
    // RAR 4 volumes named so that the set goes round: the second volume's
    // piece is marked to go on, and the third name is a link to the second.
    {
        std::string second = ReadBytes(Fixture("cut.part2.rar"));
        const size_t file = 7 + 13;  // marker, archive header
        ASSERT_EQ(static_cast<unsigned char>(second[file + 2]), 0x74u);
        second[file + 3] = static_cast<char>(second[file + 3] | 0x02);  // continued in the next volume
        FixRar4HeaderCrc(second, file);
        const size_t end = second.size() - 9;  // end block with the volume number
        ASSERT_EQ(static_cast<unsigned char>(second[end + 2]), 0x7Bu);
        second[end + 3] = static_cast<char>(second[end + 3] | 0x01);  // the set goes on
        FixRar4HeaderCrc(second, end);
        WriteBytes(m_dir.File("ring.part1.rar"), ReadBytes(Fixture("cut.part1.rar")));
        WriteBytes(m_dir.File("ring.part2.rar"), second);
        fs::create_symlink("ring.part2.rar", m_dir.File("ring.part3.rar"));
        fs::create_symlink("ring.part1.rar", m_dir.File("ring.part4.rar"));

        Walk walk;
        WalkArchive(*TheRarLibrary(), m_dir.File("ring.part1.rar"), walk);
        EXPECT_EQ(walk.names, (std::vector<std::string>{"a.txt", "big.html"}));
        // The link is no next volume: it is asked for as missing.
        EXPECT_EQ(walk.volumesAsked, (std::vector<std::string>{m_dir.File("ring.part3.rar")}));
        EXPECT_EQ(walk.data.count("big.html"), 0u);
        EXPECT_EQ(walk.data["a.txt"], kSetText);

        CRarManager manager;
        manager.Open(m_dir.File("ring.part1.rar"));
        EXPECT_EQ(Extract(manager, "big.html"), "<none>");
        EXPECT_EQ(Extract(manager, "a.txt"), kSetText);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}
