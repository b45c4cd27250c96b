#pragma once
// CRarFileSource: a RAR volume file as a byte source for the volume scanner.

#include <cstdint>
#include <string>

#include "archive/rarvolumescanner.h"

// A file opened read-only and read with pread.
class CRarFileSource : public IRarByteSource {
public:
    explicit CRarFileSource(const std::string& path);
    ~CRarFileSource() override;
    CRarFileSource(const CRarFileSource&) = delete;
    CRarFileSource& operator=(const CRarFileSource&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    uint64_t Size() const override { return m_size; }
    size_t ReadAt(uint64_t offset, void* buffer, size_t length) const override;

private:
    int m_fd = -1;
    uint64_t m_size = 0;
};
