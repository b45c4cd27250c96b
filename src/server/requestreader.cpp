#include "server/requestreader.h"

#include "server/serverlog.h"
#include "server/socketserver.h"

#include <strings.h>
#include <sys/socket.h>

#include <cerrno>

namespace server {

CRequestReader::CRequestReader(CSocketServer& server, int socket, char* buffer)
    : m_server(server)
    , m_socket(socket)
    , m_buffer(buffer)
{
}

CRequestReader::Received CRequestReader::Receive()
{
    const ssize_t got = recv(m_socket, m_buffer, CSocketServer::kReceiveBufferSize, 0);
    if (got == 0)
        return Received::Over; // the peer closed the connection
    if (got < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return Received::Nothing;
        ServerLog(kServerLogName, "WSARecv(...) failure", "ClientThread");
        return Received::Over;
    }
    m_request.append(m_buffer, static_cast<size_t>(got));
    if (m_server.IsRequestComplete(m_request))
        return Received::Complete;
    // No client can make the server hold unbounded memory.
    return m_request.size() > CSocketServer::kMaxRequestSize ? Received::Over : Received::Partial;
}

bool CRequestReader::EndsWithItsHead() const
{
    if (m_request.compare(0, 4, "GET ") != 0 && m_request.compare(0, 5, "HEAD ") != 0)
        return false;
    for (size_t eol = m_request.find('\n'); eol != std::string::npos; eol = m_request.find('\n', eol + 1)) {
        const char* line = m_request.c_str() + eol + 1;
        if (strncasecmp(line, "content-length:", 15) == 0 || strncasecmp(line, "transfer-encoding:", 18) == 0)
            return false;
    }
    return true;
}

void CRequestReader::DiscardUnread()
{
    (void)!recv(m_socket, m_buffer, CSocketServer::kReceiveBufferSize, MSG_DONTWAIT);
}

} // namespace server
