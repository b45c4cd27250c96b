// The cache of small extracted entries: its limits, its order of eviction, and
// that an archive served through it never shows stale or foreign bytes.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "archive/archiveholder.h"
#include "archive/zipentrycache.h"
#include "archive/zipmanager.h"
#include "ziptestutil.h"

using namespace ziptest;

namespace {

std::string Find(CZipEntryCache& cache, uint64_t index)
{
    size_t size = 0;
    char* buffer = cache.Find(index, &size);
    return Take(buffer, size);
}

void Insert(CZipEntryCache& cache, uint64_t index, const std::string& bytes)
{
    cache.Insert(index, bytes.data(), bytes.size());
}

}  // namespace

TEST(ZipEntryCache, KeepsCopiesWithinItsLimitsAndDropsTheLeastRecentlyUsed)
{
    CZipEntryCache cache(/*maxEntrySize=*/10, /*maxTotalSize=*/20);
    std::string bytes = "0123456789";
    Insert(cache, 1, bytes);
    bytes[0] = 'X';  // the cache holds its own copy
    EXPECT_EQ(Find(cache, 1), "0123456789");
    EXPECT_EQ(Find(cache, 2), "<none>");

    Insert(cache, 2, "abcdefghij");
    Insert(cache, 3, "too long by one");  // above the entry limit
    EXPECT_FALSE(cache.Contains(3));
    EXPECT_EQ(cache.TotalSize(), 20u);

    // 1 was used after 2, so 2 is the one to go when room is needed.
    EXPECT_EQ(Find(cache, 1), "0123456789");
    Insert(cache, 4, "four");
    EXPECT_TRUE(cache.Contains(1));
    EXPECT_FALSE(cache.Contains(2));
    EXPECT_TRUE(cache.Contains(4));
    EXPECT_EQ(cache.TotalSize(), 14u);

    // An empty entry is an entry, not a miss.
    Insert(cache, 5, "");
    size_t size = 99;
    char* empty = cache.Find(5, &size);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(size, 0u);
    std::free(empty);

    // The same index again keeps the first bytes and counts them once.
    Insert(cache, 4, "FOUR");
    EXPECT_EQ(Find(cache, 4), "four");
    EXPECT_EQ(cache.Count(), 3u);

    cache.Clear();
    EXPECT_EQ(cache.Count(), 0u);
    EXPECT_EQ(cache.TotalSize(), 0u);
    EXPECT_EQ(Find(cache, 1), "<none>");
}

TEST(ZipEntryCache, ConcurrentReadersWritersAndClears)
{
    CZipEntryCache cache(64, 64 * 8);
    auto bytesOf = [](uint64_t index) { return std::string(16 + index % 48, static_cast<char>('a' + index % 26)); };
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                const uint64_t index = static_cast<uint64_t>((i * 7 + t) % 32);
                size_t size = 0;
                if (char* got = cache.Find(index, &size)) {
                    if (std::string(got, size) != bytesOf(index))
                        ++wrong;
                    std::free(got);
                } else {
                    const std::string bytes = bytesOf(index);
                    cache.Insert(index, bytes.data(), bytes.size());
                }
                if (t == 0 && i % 300 == 0)
                    cache.Clear();
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_LE(cache.TotalSize(), 64u * 8);
}

class ZipManagerCacheTest : public ::testing::Test {
protected:
    void SetUp() override { ResetArchiveState(m_dir); }
    static std::string Extract(CZipManager& m, const std::string& name)
    {
        size_t size = 0;
        char* buffer = m.Extract(name, &size);
        return Take(buffer, size);
    }
    TempDir m_dir;
};

TEST_F(ZipManagerCacheTest, ServesRepeatsFromMemoryButNeverFromAnotherArchive)
{
    const std::string big(CZipEntryCache::kDefaultMaxEntrySize + 1, 'B');
    const std::string path = m_dir.File("site.zip");
    ASSERT_TRUE(WriteZip(path, {{"a.htm", "first a"}, {"style.css", "p{}"}, {"big.htm", big}}));
    CZipManager m;
    m.Open(path);
    EXPECT_EQ(Extract(m, "a.htm"), "first a");
    EXPECT_EQ(Extract(m, "style.css"), "p{}");
    EXPECT_EQ(Extract(m, "big.htm"), big);
    EXPECT_EQ(m.EntryCache().Count(), 2u);  // the big entry is read afresh each time
    EXPECT_EQ(Extract(m, "a.htm"), "first a");

    // Replaced under the same name: the entries of the old file are gone,
    // even where the new one has the same entry at the same index.
    const std::string other = m_dir.File("other.zip");
    ASSERT_TRUE(WriteZip(other, {{"a.htm", "second a"}, {"style.css", "q{}"}}));
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    EXPECT_EQ(Extract(m, "a.htm"), "second a");
    EXPECT_EQ(Extract(m, "style.css"), "q{}");
    EXPECT_EQ(Extract(m, "big.htm"), "<none>");

    // Another archive opened by the same manager.
    const std::string third = m_dir.File("third.zip");
    ASSERT_TRUE(WriteZip(third, {{"a.htm", "third a"}}));
    m.Open(third);
    EXPECT_EQ(m.EntryCache().Count(), 0u);
    EXPECT_EQ(Extract(m, "a.htm"), "third a");

    // Overwritten in place by damaged bytes: nothing is served any more.
    WriteFile(third, std::string(200, 'x'));
    EXPECT_EQ(Extract(m, "a.htm"), "<none>");
    EXPECT_EQ(m.EntryCache().Count(), 0u);
}

TEST_F(ZipManagerCacheTest, DamagedEntriesAreNeitherServedNorKept)
{
    const std::string path = m_dir.File("damaged.zip");
    const std::string text = "a page whose stored bytes will be damaged";
    ASSERT_TRUE(WriteZip(path, {{"bad.htm", text}, {"good.htm", "fine"}}, /*store=*/true));
    std::string bytes = ReadFile(path);
    const size_t at = bytes.find(text);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 3] = 'X';  // the CRC no longer matches
    WriteFile(path, bytes);
    CZipManager m;
    m.Open(path);
    EXPECT_EQ(Extract(m, "bad.htm"), "<none>");
    EXPECT_EQ(Extract(m, "bad.htm"), "<none>");
    EXPECT_EQ(Extract(m, "good.htm"), "fine");
    EXPECT_EQ(m.EntryCache().Count(), 1u);
}

TEST_F(ZipManagerCacheTest, ReadersThroughTheHolderWhileTheFileIsReplaced)
{
    // Two versions of one book; every entry differs between them.
    const std::string path = m_dir.File("book.zip");
    auto version = [](char v) {
        std::vector<Entry> entries;
        for (int i = 0; i < 8; ++i)
            entries.push_back({"p" + std::to_string(i) + ".htm", std::string(1000 + i, v)});
        return entries;
    };
    const std::string oldFile = m_dir.File("old.zip"), newFile = m_dir.File("new.zip");
    ASSERT_TRUE(WriteZip(oldFile, version('o')));
    ASSERT_TRUE(WriteZip(newFile, version('n')));
    ASSERT_TRUE(WriteZip(path, version('o')));
    CArchiveHolder holder;
    ASSERT_TRUE(holder.OpenArchive(path));

    std::atomic<bool> replaced{false};
    std::atomic<int> torn{0}, staleAfterReplace{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&, t] {
            // Reads go on while the file changes and for a while after the last change.
            int readsAfter = 0;
            for (int i = 0; readsAfter < 50; ++i) {
                const bool after = replaced.load();
                readsAfter += after ? 1 : 0;
                const int n = (i + t) % 8;
                size_t size = 0;
                char* buffer = holder.ExtractEntry("p" + std::to_string(n) + ".htm", &size);
                const std::string got = Take(buffer, size);
                const bool isOld = got == std::string(1000 + n, 'o');
                const bool isNew = got == std::string(1000 + n, 'n');
                if (!isOld && !isNew && torn++ == 0)
                    ADD_FAILURE() << "p" << n << ".htm: " << got.substr(0, 40);
                if (after && !isNew)
                    ++staleAfterReplace;
            }
        });
    }
    // Swap the file under the readers a few times, ending with the new one.
    for (int round = 0; round < 6; ++round) {
        const std::string& from = round % 2 == 0 ? newFile : oldFile;
        const std::string copy = path + ".tmp";
        WriteFile(copy, ReadFile(from));
        ASSERT_EQ(std::rename(copy.c_str(), path.c_str()), 0);
        // File times move in steps of a few milliseconds; let each copy have its own.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    WriteFile(path + ".tmp", ReadFile(newFile));
    ASSERT_EQ(std::rename((path + ".tmp").c_str(), path.c_str()), 0);
    replaced = true;
    for (std::thread& t : readers)
        t.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(staleAfterReplace.load(), 0);
}
