#pragma once
// CResponseSender: the send half of one connection. It sends the head and
// then the body of an answer from the position reached so far, in pieces of
// at most CSocketServer::kSendPieceSize bytes, and stops when the socket's
// buffer is full, so that the caller can wait for write readiness.

#include "server/socketserver.h"

#include <cstddef>
#include <string>

namespace server {

class CResponseSender {
public:
    enum class Progress {
        Done,    // every byte is sent
        Blocked, // the socket's buffer is full; call again once it is writable
        Failed,  // the send failed (the peer is gone)
    };

    // The answer: `head`, then `bodySize` bytes of `body` (none when body is empty).
    void Begin(std::string head, CSocketServer::BodyBuffer body, size_t bodySize);
    // Sends on the non-blocking `socket` until done, blocked or failed.
    Progress Send(int socket);

    size_t Sent() const { return m_sent; }
    bool Done() const { return m_sent == m_head.size() + m_bodySize; }

private:
    std::string m_head;
    CSocketServer::BodyBuffer m_body;
    size_t m_bodySize = 0;
    size_t m_sent = 0;
};

} // namespace server
