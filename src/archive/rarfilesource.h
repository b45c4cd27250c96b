#pragma once
// CRarFileSource: a RAR volume file as a byte source for the volume scanner.

#include <cstdint>
#include <string>
#include <vector>

#include "archive/rarvolumescanner.h"

// A file opened read-only. Small reads are served from a window of the file
// read ahead, since headers are many, small and close together. One thread
// at a time.
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
    size_t ReadDirect(uint64_t offset, void* buffer, size_t length) const;

    int m_fd = -1;
    uint64_t m_size = 0;
    mutable std::vector<unsigned char> m_window;
    mutable uint64_t m_windowOffset = 0;
};
