#pragma once
// CRarMemorySource: bytes in memory as a byte source for the volume scanner.

#include <cstdint>
#include <cstring>

#include "archive/rarvolumescanner.h"

// The bytes must outlive the source.
class CRarMemorySource : public IRarByteSource {
public:
    CRarMemorySource(const void* data, size_t size) : m_data(static_cast<const unsigned char*>(data)), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    size_t ReadAt(uint64_t offset, void* buffer, size_t length) const override
    {
        if (offset >= m_size)
            return 0;
        size_t n = length < m_size - offset ? length : static_cast<size_t>(m_size - offset);
        std::memcpy(buffer, m_data + offset, n);
        return n;
    }

private:
    const unsigned char* m_data;
    size_t m_size;
};
