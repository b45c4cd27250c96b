#include "server/serveconnection.h"

#include "server/requestreader.h"
#include "server/responsesender.h"
#include "server/serverlog.h"
#include "server/socketserver.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>
#include <utility>

namespace server {

void ServeConnection(CSocketServer& server, int socket, std::chrono::steady_clock::time_point handedAt,
                     int shutdownEvent, char* buffer)
{
    const char* place = "ClientThread";
    const uint32_t limit = server.ClientTimeout();
    const int timeout = limit == 0 ? -1 : static_cast<int>(std::min<uint32_t>(limit, INT32_MAX));

    CRequestReader reader(server, socket, buffer);
    CResponseSender sender;
    bool answering = false;

    // The idle time of the first wait counts from the hand-over: a parked
    // thread may have waited for the request already.
    int firstWait = timeout;
    if (timeout >= 0) {
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - handedAt).count();
        firstWait = waited >= timeout ? 0 : timeout - static_cast<int>(waited);
    }
    // A browser sends its request right after connecting, so the first read
    // is tried before any wait; a socket with nothing yet just says EAGAIN.
    bool tryWithoutWait = true;
    bool firstPoll = true;
    for (;;) {
        short ev = POLLIN;
        if (tryWithoutWait) {
            tryWithoutWait = false;
        } else {
            pollfd fds[2] = {{socket, static_cast<short>(answering ? POLLOUT : POLLIN), 0}, {shutdownEvent, POLLIN, 0}};
            const int rc = poll(fds, 2, firstPoll ? firstWait : timeout);
            firstPoll = false;
            if (rc == 0)
                break; // idle for the whole client time-out
            if (rc < 0) {
                if (errno == EINTR)
                    continue;
                ServerLog(kServerLogName, "WSAWaitForMultipleEvents(...) failure", place);
                break;
            }
            if (fds[1].revents != 0)
                break;
            ev = fds[0].revents;
            if (ev & POLLNVAL) {
                ServerLog(kServerLogName, "WSAEnumNetworkEvents(...) failure", place);
                break;
            }
        }

        if (!answering) {
            if (!(ev & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const CRequestReader::Received received = reader.Receive();
            if (received == CRequestReader::Received::Nothing)
                continue;
            if (received == CRequestReader::Received::Over)
                break;
            firstPoll = false; // later waits each get the whole idle time
            if (received == CRequestReader::Received::Partial)
                continue;
            std::string head;
            CSocketServer::BodyBuffer body;
            size_t bodySize = 0;
            bool keepAlive = false;
            if (!server.BuildResponse(reader.Request(), head, body, bodySize, keepAlive))
                break;
            sender.Begin(std::move(head), std::move(body), bodySize);
            answering = true;
        } else if (!(ev & (POLLOUT | POLLERR | POLLHUP))) {
            continue;
        }

        // A full socket buffer waits for the next write readiness.
        const CResponseSender::Progress progress = sender.Send(socket);
        if (progress == CResponseSender::Progress::Failed)
            break;
        if (progress == CResponseSender::Progress::Done) {
            server.OnSent(sender.Sent());
            break; // one request per connection
        }
    }

    // A complete request ends with its blank line, so after a GET without a
    // body nothing more is due and the read of what is left is left out.
    if (!(answering && sender.Done() && reader.EndsWithItsHead()))
        reader.DiscardUnread();
}

} // namespace server
