#include "server/serverevents.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace server {

bool CServerEvents::Open()
{
    m_shutdown = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_ready = eventfd(1, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_shutdown >= 0 && m_ready >= 0)
        return true;
    Close();
    return false;
}

void CServerEvents::Close()
{
    if (m_shutdown >= 0)
        close(m_shutdown);
    if (m_ready >= 0)
        close(m_ready);
    m_shutdown = m_ready = -1;
}

void CServerEvents::RequestShutdown() const
{
    const uint64_t one = 1;
    (void)!write(m_shutdown, &one, sizeof one);
}

bool CServerEvents::ShutdownRequested(int waitMs) const
{
    pollfd pfd{m_shutdown, POLLIN, 0};
    int rc;
    do {
        rc = poll(&pfd, 1, waitMs);
    } while (rc < 0 && errno == EINTR);
    return rc != 0;
}

} // namespace server
