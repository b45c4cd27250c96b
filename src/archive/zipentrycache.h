#pragma once
// CZipEntryCache: a bounded, least-recently-used store of small extracted archive entries.

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>

// Pages of a saved site share their style sheets, scripts and pictures, and a
// page is often asked for again (reloads, back and forward); keeping recently
// extracted small entries saves their reading and decompression. Entries are
// keyed by their index in one opened archive, so the owner must Clear() the
// cache whenever it opens another archive or the file changes. Safe to use
// from several threads at once.
class CZipEntryCache {
public:
    static constexpr size_t kDefaultMaxEntrySize = 256 * 1024;
    static constexpr size_t kDefaultMaxTotalSize = 32 * 1024 * 1024;

    explicit CZipEntryCache(size_t maxEntrySize = kDefaultMaxEntrySize, size_t maxTotalSize = kDefaultMaxTotalSize);
    CZipEntryCache(const CZipEntryCache&) = delete;
    CZipEntryCache& operator=(const CZipEntryCache&) = delete;

    // A malloc'ed copy of the entry (the caller frees it) with its size, and
    // the entry becomes the most recently used; nullptr when it is not kept.
    char* Find(uint64_t index, size_t* outSize);
    // Keeps a copy of the entry, dropping the least recently used ones to
    // stay within the total; entries above the entry limit are not kept.
    void Insert(uint64_t index, const char* data, size_t size);
    void Clear();

    size_t Count() const;
    size_t TotalSize() const;
    bool Contains(uint64_t index) const;

private:
    struct Item {
        uint64_t index;
        size_t size;
        std::unique_ptr<char[]> data;
    };
    const size_t m_maxEntrySize;
    const size_t m_maxTotalSize;
    mutable std::mutex m_lock;
    std::list<Item> m_items; // most recently used first
    std::unordered_map<uint64_t, std::list<Item>::iterator> m_byIndex;
    size_t m_totalSize = 0;
};
