#include "archive/zipentrycache.h"

#include <cstdlib>
#include <cstring>

CZipEntryCache::CZipEntryCache(size_t maxEntrySize, size_t maxTotalSize)
    : m_maxEntrySize(maxEntrySize < maxTotalSize ? maxEntrySize : maxTotalSize)
    , m_maxTotalSize(maxTotalSize)
{
}

char* CZipEntryCache::Find(uint64_t index, size_t* outSize)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_byIndex.find(index);
    if (it == m_byIndex.end())
        return nullptr;
    const Item& item = *it->second;
    char* copy = static_cast<char*>(std::malloc(item.size ? item.size : 1));
    if (!copy)
        return nullptr;
    if (item.size)
        std::memcpy(copy, item.data.get(), item.size);
    m_items.splice(m_items.begin(), m_items, it->second);
    *outSize = item.size;
    return copy;
}

void CZipEntryCache::Insert(uint64_t index, const char* data, size_t size)
{
    if (size > m_maxEntrySize)
        return;
    // The copy is made before the lock is taken: other readers need not wait for it.
    std::unique_ptr<char[]> copy(new char[size ? size : 1]);
    if (size)
        std::memcpy(copy.get(), data, size);
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_byIndex.count(index) != 0)
        return; // the same entry of the same archive: the bytes are the same
    while (!m_items.empty() && m_totalSize + size > m_maxTotalSize) {
        m_totalSize -= m_items.back().size;
        m_byIndex.erase(m_items.back().index);
        m_items.pop_back();
    }
    m_items.push_front(Item{index, size, std::move(copy)});
    m_byIndex.emplace(index, m_items.begin());
    m_totalSize += size;
}

void CZipEntryCache::Clear()
{
    std::list<Item> dropped;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        dropped.swap(m_items);
        m_byIndex.clear();
        m_totalSize = 0;
    }
    // The buffers are released after the lock is given back.
}

size_t CZipEntryCache::Count() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_items.size();
}

size_t CZipEntryCache::TotalSize() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_totalSize;
}

bool CZipEntryCache::Contains(uint64_t index) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_byIndex.count(index) != 0;
}
