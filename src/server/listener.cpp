#include "server/listener.h"

#include "server/serverevents.h"
#include "server/serverlog.h"
#include "server/serverthreads.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace server {

CListener::CListener(const CServerEvents& events, std::atomic<uint16_t>& port, HandOver handOver)
    : m_events(events)
    , m_port(port)
    , m_handOver(std::move(handOver))
{
}

void CListener::AcceptLoop(CLaunchSignal* launch)
{
    const char* place = "AcceptThread";
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        ServerLog(kServerLogName, "WSASocket(...) failure", place);
        launch->Signal(false);
        return;
    }
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    // Accepted sockets inherit TCP_NODELAY from the listener (Linux copies
    // the option), which saves a system call on every connection.
    setsockopt(listener, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);

    // Only the loopback interface: the books must never be served to the network.
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(m_port.load(std::memory_order_acquire));
    if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ServerLog(kServerLogName, "bind(...) failure", place);
        close(listener);
        launch->Signal(false);
        return;
    }
    if (listen(listener, SOMAXCONN) != 0) {
        ServerLog(kServerLogName, "listen(...) failure", place);
        close(listener);
        launch->Signal(false);
        return;
    }
    socklen_t len = sizeof addr;
    if (getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        m_port.store(ntohs(addr.sin_port), std::memory_order_release);

    // From here the socket is the server's: it is closed with the events.
    m_socket.store(listener);
    launch->Signal(true);
    launch = nullptr; // Run's signal object is gone once Run has returned

    // The listener sleeps in accept itself rather than in a wait for the
    // socket followed by accepts until it would block: one system call per
    // connection instead of about three. Shutdown wakes it by shutting the
    // socket down (see Wake), which is checked for on every failure, and
    // once here for a shutdown asked before the socket was stored.
    for (bool stop = m_events.ShutdownRequested(0); !stop;) {
        sockaddr_in peer{};
        socklen_t peerLen = sizeof peer;
        const int client = accept4(listener, reinterpret_cast<sockaddr*>(&peer), &peerLen,
                                   SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            const int error = errno;
            if (error == EINTR || error == ECONNABORTED)
                continue;
            if (m_events.ShutdownRequested(0))
                break;
            if (error == EINVAL || error == EBADF || error == ENOTSOCK) {
                ServerLog(kServerLogName, "WSAEnumNetworkEvents(...) failure", place);
                break;
            }
            ServerLog(kServerLogName, "WSAAccept(...) failure", place);
            // Out of descriptors or memory: back off briefly instead of
            // spinning on a socket that fails at once.
            if (m_events.ShutdownRequested(10))
                break;
            continue;
        }
        const uint32_t ip = ntohl(peer.sin_addr.s_addr);
        char text[32];
        std::snprintf(text, sizeof text, "%d.%d.%d.%d", static_cast<int>((ip >> 24) & 0xff),
                      static_cast<int>((ip >> 16) & 0xff), static_cast<int>((ip >> 8) & 0xff),
                      static_cast<int>(ip & 0xff));
        if (!m_handOver(client, text, ntohs(peer.sin_port)))
            ServerLog(kServerLogName, "AddClient(...) failure", place);
    }
}

void CListener::Wake()
{
    // A listener asleep in accept wakes with EINVAL once its socket is shut
    // down; one that stores its socket after this look sees the event first.
    const int listener = m_socket.load();
    if (listener >= 0)
        ::shutdown(listener, SHUT_RDWR);
}

void CListener::Close()
{
    const int listener = m_socket.exchange(-1);
    if (listener >= 0)
        close(listener);
}

} // namespace server
