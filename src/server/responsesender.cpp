#include "server/responsesender.h"

#include "server/serverlog.h"

#include <sys/socket.h>
#include <sys/uio.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace server {

void CResponseSender::Begin(std::string head, CSocketServer::BodyBuffer body, size_t bodySize)
{
    m_head = std::move(head);
    m_body = std::move(body);
    m_bodySize = m_body ? bodySize : 0;
    m_sent = 0;
}

CResponseSender::Progress CResponseSender::Send(int socket)
{
    // Head and body go out together in one call where both fit one piece.
    const size_t total = m_head.size() + m_bodySize;
    while (m_sent < total) {
        iovec parts[2];
        int count = 0;
        size_t room = CSocketServer::kSendPieceSize;
        if (m_sent < m_head.size()) {
            const size_t n = std::min(room, m_head.size() - m_sent);
            parts[count++] = iovec{m_head.data() + m_sent, n};
            room -= n;
        }
        const size_t bodySent = m_sent > m_head.size() ? m_sent - m_head.size() : 0;
        if (room > 0 && bodySent < m_bodySize)
            parts[count++] = iovec{m_body.get() + bodySent, std::min(room, m_bodySize - bodySent)};
        msghdr msg{};
        msg.msg_iov = parts;
        msg.msg_iovlen = static_cast<size_t>(count);
        // MSG_NOSIGNAL: a peer that has gone must not end the program with SIGPIPE.
        const ssize_t n = sendmsg(socket, &msg, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            m_sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return Progress::Blocked;
        ServerLog(kServerLogName, "WSASend(...) failure", "ClientThread, Primary Send");
        return Progress::Failed;
    }
    return Progress::Done;
}

} // namespace server
