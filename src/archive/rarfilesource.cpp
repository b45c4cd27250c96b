#include "archive/rarfilesource.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CRarFileSource::CRarFileSource(const std::string& path)
{
    // Non-blocking, so that a FIFO given as an archive cannot hang the open.
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0)
        return;
    struct stat st{};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_size = static_cast<uint64_t>(st.st_size);
}

CRarFileSource::~CRarFileSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

namespace {
constexpr size_t kWindow = 64 * 1024;
}

size_t CRarFileSource::ReadAt(uint64_t offset, void* buffer, size_t length) const
{
    if (m_fd < 0 || offset >= m_size)
        return 0;
    if (length > kWindow / 4)
        return ReadDirect(offset, buffer, length);
    if (offset < m_windowOffset || offset + length > m_windowOffset + m_window.size()) {
        m_window.resize(kWindow);
        m_window.resize(ReadDirect(offset, m_window.data(), kWindow));
        m_windowOffset = offset;
    }
    size_t available = static_cast<size_t>(m_windowOffset + m_window.size() - offset);
    size_t n = length < available ? length : available;
    std::memcpy(buffer, m_window.data() + (offset - m_windowOffset), n);
    return n;
}

size_t CRarFileSource::ReadDirect(uint64_t offset, void* buffer, size_t length) const
{
    size_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < length) {
        ssize_t n = ::pread(m_fd, out + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}
