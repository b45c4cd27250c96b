#include "server/socketserver.h"

#include "server/serverlog.h"

#include <arpa/inet.h>
#include <malloc.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <strings.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <ctime>
#include <thread>

namespace server {

namespace {

// Stack of every server thread. Only the pages a thread touches use memory;
// the size leaves room for the thread-local storage that sanitizer builds
// place on a stack given to the thread.
constexpr size_t kThreadStackSize = 1024 * 1024;

void* ThreadExit()
{
    return reinterpret_cast<void*>(CSocketServer::kThreadExitCode);
}

timespec DeadlineAfterMs(int ms)
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    ts.tv_sec += ms / 1000;
    ts.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (ts.tv_nsec >= 1000000000L) {
        ts.tv_sec += 1;
        ts.tv_nsec -= 1000000000L;
    }
    return ts;
}

// Starts a thread on `stack` (kThreadStackSize bytes) or, when that is
// nullptr, on a stack of the system's.
bool StartThread(pthread_t* thread, void* (*body)(void*), void* arg, void* stack = nullptr)
{
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0)
        return false;
    if (stack)
        pthread_attr_setstack(&attr, stack, kThreadStackSize);
    else
        pthread_attr_setstacksize(&attr, kThreadStackSize);
    const int rc = pthread_create(thread, &attr, body, arg);
    pthread_attr_destroy(&attr);
    return rc == 0;
}

} // namespace

// Each new server thread reports here once it is ready (or has failed), so
// that Run learns the outcome at once instead of after its full wait.
struct CSocketServer::LaunchSignal {
    std::mutex lock;
    std::condition_variable cv;
    bool signalled = false;
    bool ok = false;
    CSocketServer* server = nullptr;

    void Signal(bool success)
    {
        std::lock_guard<std::mutex> guard(lock);
        signalled = true;
        ok = success;
        cv.notify_all();
    }
    // Waits for the next signal; false on failure or time-out.
    bool Wait(int timeoutMs)
    {
        std::unique_lock<std::mutex> guard(lock);
        const bool got = cv.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return signalled; });
        const bool result = got && ok;
        signalled = false; // auto reset
        ok = false;
        return result;
    }
};

bool CSocketServer::Worker::OpenWaitSet(int shutdownEvent)
{
    CloseWaitSet();
    sawShutdown = false;
    wait = epoll_create1(EPOLL_CLOEXEC);
    // The shutdown event stays readable once set, so it is watched for one
    // report only; a thread that has seen it looks for work at short intervals.
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLONESHOT;
    ev.data.fd = shutdownEvent;
    const bool ok = wait >= 0 && epoll_ctl(wait, EPOLL_CTL_ADD, shutdownEvent, &ev) == 0;
    if (!ok)
        CloseWaitSet();
    return ok;
}

void CSocketServer::Worker::CloseWaitSet()
{
    if (wait >= 0)
        close(wait);
    wait = -1;
}

void CSocketServer::Worker::Poke(int readyEvent)
{
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLONESHOT;
    ev.data.fd = readyEvent;
    // Watched already from an earlier poke: arm that watch again.
    if (epoll_ctl(wait, EPOLL_CTL_ADD, readyEvent, &ev) != 0 && errno == EEXIST)
        epoll_ctl(wait, EPOLL_CTL_MOD, readyEvent, &ev);
}

// Idle connection stacks kept for reuse: enough for a burst of page loads
// (a page with its pictures and style sheets), little memory while idle.
constexpr size_t kIdleStacksKept = 32;

CSocketServer::CSocketServer()
    : m_stacks(kThreadStackSize, kIdleStacksKept)
{
}

CSocketServer::~CSocketServer()
{
    // A derived class shuts down in its own destructor while its request
    // handling still exists; this only catches a server left running.
    Shutdown();
}

int CSocketServer::OnConnect(const std::string& /*peerAddress*/, uint16_t /*peerPort*/)
{
    return 0;
}

int CSocketServer::OnSent(size_t /*byteCount*/)
{
    return 0;
}

size_t CSocketServer::ClientCount() const
{
    std::lock_guard<std::mutex> guard(m_clientLock);
    return m_clients.size();
}

size_t CSocketServer::FinishedCount() const
{
    std::lock_guard<std::mutex> guard(m_finishedLock);
    return m_finished.size();
}

bool CSocketServer::BuildResponse(const std::string& request, std::string& head, BodyBuffer& body,
                                  size_t& bodySize, bool& keepAlive)
{
    body.reset();
    bodySize = 0;
    return ParseRequest(request, head, keepAlive);
}

namespace {

// True for a GET (or HEAD) request that announces no body: nothing follows
// the head the connection has read.
bool RequestEndsWithItsHead(const std::string& request)
{
    if (request.compare(0, 4, "GET ") != 0 && request.compare(0, 5, "HEAD ") != 0)
        return false;
    for (size_t eol = request.find('\n'); eol != std::string::npos; eol = request.find('\n', eol + 1)) {
        const char* line = request.c_str() + eol + 1;
        if (strncasecmp(line, "content-length:", 15) == 0 || strncasecmp(line, "transfer-encoding:", 18) == 0)
            return false;
    }
    return true;
}

} // namespace

bool CSocketServer::Run(uint16_t port, uint32_t clientTimeoutMs)
{
    std::lock_guard<std::mutex> control(m_controlLock);
    if (IsRunning())
        return false;

    m_port.store(port, std::memory_order_release);
    m_clientTimeoutMs = clientTimeoutMs;
    m_shutdownEvent = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_readyEvent = eventfd(1, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_shutdownEvent < 0 || m_readyEvent < 0) {
        ServerLog(kServerLogName, "WSACreateEvent(...) failure for ShutdownEvent", "AcceptThread");
        CloseEvents();
        return false;
    }

    LaunchSignal launch;
    launch.server = this;
    if (!StartThread(&m_acceptThread, &CSocketServer::AcceptThread, &launch)) {
        ServerLog(kServerLogName, "_beginthreadex(...) failure, for Launch Thread", "Run");
        CloseEvents();
        return false;
    }
    if (!launch.Wait(kLaunchTimeoutMs)) {
        ServerLog(kServerLogName, "Unable to get response from Accept Thread withing specified Timeout ->", "Run");
        // The listener either failed and ended, or never answered: ask it to
        // leave and collect it so that nothing of this attempt survives.
        RequestShutdown();
        pthread_join(m_acceptThread, nullptr);
        CloseEvents();
        return false;
    }

    const bool helperStarted = StartThread(&m_helperThread, &CSocketServer::HelperThread, &launch);
    bool helperOk = helperStarted;
    if (!helperStarted)
        ServerLog(kServerLogName, "_beginthreadex(...) failure, for Helper Thread", "Run");
    else if (!launch.Wait(kLaunchTimeoutMs)) {
        ServerLog(kServerLogName, "Unable to get response from Helper Thread within specified Timeout ->", "Run");
        helperOk = false;
    }
    if (!helperOk) {
        RequestShutdown();
        pthread_join(m_acceptThread, nullptr);
        // A helper that started but did not answer still sees the event.
        if (helperStarted)
            pthread_join(m_helperThread, nullptr);
        m_helperThread = pthread_t{};
        // Connections accepted meanwhile see the event and end as well.
        while (m_liveThreads.load(std::memory_order_acquire) > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ReapFinished(1000, true);
        DeleteSpareWorkers();
        CloseEvents();
        return false;
    }

    m_running.store(true, std::memory_order_release);
    return true;
}

bool CSocketServer::Shutdown()
{
    std::lock_guard<std::mutex> control(m_controlLock);
    if (!IsRunning())
        return false;

    RequestShutdown();

    // Both server threads get one second together.
    bool clean = true;
    const timespec deadline = DeadlineAfterMs(1000);
    const bool acceptEnded = pthread_timedjoin_np(m_acceptThread, nullptr, &deadline) == 0;
    const bool helperEnded = pthread_timedjoin_np(m_helperThread, nullptr, &deadline) == 0;
    if (!acceptEnded || !helperEnded) {
        ServerLog(kServerLogName, "WaitForMultipleObjects(...) timed out", "Shutdown");
        // A POSIX thread cannot be killed safely; a thread that does not end
        // is left to finish on its own.
        if (!acceptEnded) {
            ServerLog(kServerLogName, "TerminateThread(.ThreadA.) failure, probably it is already terminated", "Shutdown");
            pthread_detach(m_acceptThread);
        }
        if (!helperEnded) {
            ServerLog(kServerLogName, "TerminateThread(.ThreadC.) failure, probably it is already terminated", "Shutdown");
            pthread_detach(m_helperThread);
        }
        clean = false;
    }
    m_acceptThread = pthread_t{};
    m_helperThread = pthread_t{};

    // Every connection thread sees the shutdown event and removes itself; one
    // waiting on the archive (for example for a password) is waited for.
    // Then every parked thread is ended.
    while (m_liveThreads.load(std::memory_order_acquire) > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ReapFinished(1000, true);
    m_stacks.Trim();
    // A listener that could not be collected may still hand out records.
    if (clean)
        DeleteSpareWorkers();

    // The events and the listening socket stay open if a server thread
    // could not be collected: it may still use them, and a reused
    // descriptor number would confuse it.
    if (clean)
        CloseEvents();
    else
        m_listener.store(-1);
    m_shutdownEvent = -1;
    m_readyEvent = -1;
    m_running.store(false, std::memory_order_release);
    return clean;
}

void CSocketServer::DeleteSpareWorkers()
{
    std::vector<Worker*> spare;
    {
        std::lock_guard<std::mutex> guard(m_finishedLock);
        spare.swap(m_spareWorkers);
    }
    for (Worker* worker : spare)
        delete worker;
}

void CSocketServer::RequestShutdown()
{
    const uint64_t one = 1;
    (void)!write(m_shutdownEvent, &one, sizeof one);
    // A listener asleep in accept wakes with EINVAL once its socket is shut
    // down; one that stores its socket after this look sees the event first.
    const int listener = m_listener.load();
    if (listener >= 0)
        ::shutdown(listener, SHUT_RDWR);
}

void CSocketServer::CloseEvents()
{
    const int listener = m_listener.exchange(-1);
    if (listener >= 0)
        close(listener);
    if (m_shutdownEvent >= 0)
        close(m_shutdownEvent);
    if (m_readyEvent >= 0)
        close(m_readyEvent);
    m_shutdownEvent = m_readyEvent = -1;
}

bool CSocketServer::ShutdownRequested(int waitMs) const
{
    pollfd pfd{m_shutdownEvent, POLLIN, 0};
    int rc;
    do {
        rc = poll(&pfd, 1, waitMs);
    } while (rc < 0 && errno == EINTR);
    return rc != 0; // a failed wait counts as shutdown, as for the listener
}

void* CSocketServer::AcceptThread(void* arg)
{
    auto* launch = static_cast<LaunchSignal*>(arg);
    launch->server->AcceptLoop(launch);
    return ThreadExit();
}

void CSocketServer::AcceptLoop(LaunchSignal* launch)
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
    addr.sin_port = htons(Port());
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
    m_listener.store(listener);
    launch->Signal(true);
    launch = nullptr; // Run's signal object is gone once Run has returned

    // The listener sleeps in accept itself rather than in a wait for the
    // socket followed by accepts until it would block: one system call per
    // connection instead of about three. Shutdown wakes it by shutting the
    // socket down (see RequestShutdown), which is checked for on every
    // failure, and once here for a shutdown asked before the socket was stored.
    for (bool stop = ShutdownRequested(0); !stop;) {
        sockaddr_in peer{};
        socklen_t peerLen = sizeof peer;
        const int client = accept4(listener, reinterpret_cast<sockaddr*>(&peer), &peerLen,
                                   SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            const int error = errno;
            if (error == EINTR || error == ECONNABORTED)
                continue;
            if (ShutdownRequested(0))
                break;
            if (error == EINVAL || error == EBADF || error == ENOTSOCK) {
                ServerLog(kServerLogName, "WSAEnumNetworkEvents(...) failure", place);
                break;
            }
            ServerLog(kServerLogName, "WSAAccept(...) failure", place);
            // Out of descriptors or memory: back off briefly instead of
            // spinning on a socket that fails at once.
            if (ShutdownRequested(10))
                break;
            continue;
        }
        const uint32_t ip = ntohl(peer.sin_addr.s_addr);
        char text[32];
        std::snprintf(text, sizeof text, "%d.%d.%d.%d", static_cast<int>((ip >> 24) & 0xff),
                      static_cast<int>((ip >> 16) & 0xff), static_cast<int>((ip >> 8) & 0xff),
                      static_cast<int>(ip & 0xff));
        if (!AddClient(client, text, ntohs(peer.sin_port)))
            ServerLog(kServerLogName, "AddClient(...) failure", place);
    }
}

bool CSocketServer::AddClient(int socket, const std::string& peerAddress, uint16_t peerPort)
{
    OnConnect(peerAddress, peerPort);
    auto* start = new ClientStart{this, socket, {}};
    m_liveThreads.fetch_add(1, std::memory_order_acq_rel);

    // A parked thread takes the connection: no thread is created and its
    // stack and buffers are already in memory. The most recently parked one
    // is taken, as its pages are the likeliest to be warm.
    Worker* parked = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_finishedLock);
        if (!m_finished.empty()) {
            parked = m_finished.back();
            m_finished.pop_back();
        }
    }
    if (parked) {
        {
            std::lock_guard<std::mutex> guard(m_clientLock);
            parked->listed = m_clients.insert(m_clients.end(), parked);
            parked->inClientList = true;
        }
        // Off the list, the record is this thread's to hand the connection
        // to. The thread is not woken now but by the request's arrival, which
        // with most clients comes a little after the connection: one wake-up
        // per connection instead of two. Should it serve, park and be reaped
        // before this returns, its record lives on among the spare ones.
        start->handedAt = std::chrono::steady_clock::now();
        const auto handed = reinterpret_cast<uintptr_t>(start);
        parked->next.store(handed, std::memory_order_release);
        epoll_event ev{};
        ev.events = EPOLLIN | EPOLLRDHUP | EPOLLONESHOT;
        ev.data.fd = socket;
        const bool watched = epoll_ctl(parked->wait, EPOLL_CTL_ADD, socket, &ev) == 0;
        // Done with the socket: from now on the thread may take it on any
        // wake-up (unless its socket's event made it do so already).
        uintptr_t expected = handed;
        parked->next.compare_exchange_strong(expected, handed | kHandedOver, std::memory_order_acq_rel);
        if (!watched)
            parked->Poke(m_readyEvent); // no event will come: wake the thread directly
        return true;
    }

    Worker* worker = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_finishedLock);
        if (!m_spareWorkers.empty()) {
            worker = m_spareWorkers.back();
            m_spareWorkers.pop_back();
        }
    }
    if (!worker)
        worker = new Worker;
    worker->server = this;
    worker->quit.store(false, std::memory_order_relaxed);
    start->handedAt = std::chrono::steady_clock::now();
    // pthread_create orders this before the thread's start.
    worker->next.store(reinterpret_cast<uintptr_t>(start) | kHandedOver, std::memory_order_relaxed);
    std::lock_guard<std::mutex> guard(m_clientLock);
    bool started = worker->OpenWaitSet(m_shutdownEvent);
    void* stack = started ? m_stacks.Take() : nullptr;
    // The client-list lock is held until the record is in the list, so the
    // new thread cannot remove itself before it has been added.
    started = started && StartThread(&worker->thread, &CSocketServer::ClientThread, worker, stack);
    if (!started && stack) {
        // The system may refuse a stack it did not make; try one of its own.
        m_stacks.Give(stack);
        stack = nullptr;
        started = StartThread(&worker->thread, &CSocketServer::ClientThread, worker);
    }
    if (!started) {
        m_liveThreads.fetch_sub(1, std::memory_order_acq_rel);
        ServerLog(kServerLogName, "_beginthreadex(...) failure", "AddClient");
        worker->next.store(0, std::memory_order_relaxed);
        worker->CloseWaitSet();
        {
            std::lock_guard<std::mutex> spare(m_finishedLock);
            m_spareWorkers.push_back(worker);
        }
        delete start;
        close(socket); // nobody else would ever close it
        return false;
    }
    worker->stack = stack;
    worker->listed = m_clients.insert(m_clients.end(), worker);
    worker->inClientList = true;
    return true;
}

void* CSocketServer::ClientThread(void* arg)
{
    auto* worker = static_cast<Worker*>(arg);
    ClientStart* start = reinterpret_cast<ClientStart*>(worker->next.exchange(0, std::memory_order_acquire) & ~kHandedOver);
    worker->server->WorkerLoop(worker, start);
    return ThreadExit();
}

void CSocketServer::WorkerLoop(Worker* self, ClientStart* start)
{
    // The receive buffer is the thread's for all its connections: on the
    // stack of a fresh thread it would fault in 25 new pages every time.
    const std::unique_ptr<char[]> receive(new char[kReceiveBufferSize]);
    while (start) {
        ServeConnection(start, receive.get());
        if (!RemoveClient(start->socket, start, self))
            return;
        start = WaitForConnection(self);
    }
}

CSocketServer::ClientStart* CSocketServer::WaitForConnection(Worker* self)
{
    // `next` and `quit` are never both set: whoever sets one has taken the
    // thread off the finished list. Every wake-up, whatever its cause, looks
    // at both; a connection whose request has not come yet is served all the
    // same, with what is left of its idle time.
    int waitMs = m_clientTimeoutMs == 0 ? -1 : static_cast<int>(std::min<uint32_t>(m_clientTimeoutMs, INT32_MAX));
    for (;;) {
        if (self->sawShutdown)
            waitMs = 10;
        epoll_event events[4];
        const int n = epoll_wait(self->wait, events, 4, waitMs);
        if (n < 0 && errno != EINTR) {
            ServerLog(kServerLogName, "WSAWaitForMultipleEvents(...) failure", "ClientThread");
            waitMs = 10; // keep looking, without spinning
        }
        bool socketEvent = false;
        for (int i = 0; i < n; ++i) {
            if (events[i].data.fd == m_readyEvent) {
                // poked: only the wake-up counts
            } else if (events[i].data.fd == m_shutdownEvent) {
                // A connection may still be handed over while the listener
                // stops; it is picked up at the next look.
                self->sawShutdown = true;
            } else {
                socketEvent = true; // the handed socket, whose watch the listener has set
            }
        }
        if (self->quit.load(std::memory_order_acquire))
            return nullptr;
        // Any other wake-up takes the connection only once the listener is
        // done with its socket, which may then be closed at once.
        // (A failed exchange means the listener has just marked it done.)
        uintptr_t handed = self->next.load(std::memory_order_acquire);
        while (handed != 0 && (socketEvent || (handed & kHandedOver))) {
            if (self->next.compare_exchange_weak(handed, 0, std::memory_order_acq_rel))
                return reinterpret_cast<ClientStart*>(handed & ~kHandedOver);
        }
    }
}

void CSocketServer::ServeConnection(ClientStart* start, char* buffer)
{
    const char* place = "ClientThread";
    const int sock = start->socket;
    const int timeout = m_clientTimeoutMs == 0 ? -1 : static_cast<int>(std::min<uint32_t>(m_clientTimeoutMs, INT32_MAX));

    std::string request;
    std::string head;
    BodyBuffer body;
    size_t bodySize = 0;
    size_t total = 0;
    size_t sent = 0;
    bool answering = false;

    // The idle time of the first wait counts from the hand-over: a parked
    // thread may have waited for the request already.
    int firstWait = timeout;
    if (timeout >= 0) {
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start->handedAt).count();
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
            pollfd fds[2] = {{sock, static_cast<short>(answering ? POLLOUT : POLLIN), 0}, {m_shutdownEvent, POLLIN, 0}};
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
            const ssize_t got = recv(sock, buffer, kReceiveBufferSize, 0);
            if (got == 0)
                break; // the peer closed the connection
            if (got < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                    continue;
                ServerLog(kServerLogName, "WSARecv(...) failure", place);
                break;
            }
            request.append(buffer, static_cast<size_t>(got));
            firstPoll = false; // later waits each get the whole idle time
            if (!IsRequestComplete(request)) {
                if (request.size() > kMaxRequestSize)
                    break;
                continue;
            }
            bool keepAlive = false;
            if (!BuildResponse(request, head, body, bodySize, keepAlive))
                break;
            if (!body)
                bodySize = 0;
            total = head.size() + bodySize;
            answering = true;
        } else if (!(ev & (POLLOUT | POLLERR | POLLHUP))) {
            continue;
        }

        // Send head and body from the remembered position, at most one piece
        // per call; a full socket buffer waits for the next write readiness.
        bool failed = false;
        while (sent < total) {
            iovec parts[2];
            int count = 0;
            size_t room = kSendPieceSize;
            if (sent < head.size()) {
                const size_t n = std::min(room, head.size() - sent);
                parts[count++] = iovec{head.data() + sent, n};
                room -= n;
            }
            const size_t bodySent = sent > head.size() ? sent - head.size() : 0;
            if (room > 0 && bodySent < bodySize)
                parts[count++] = iovec{body.get() + bodySent, std::min(room, bodySize - bodySent)};
            msghdr msg{};
            msg.msg_iov = parts;
            msg.msg_iovlen = static_cast<size_t>(count);
            const ssize_t n = sendmsg(sock, &msg, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                sent += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            ServerLog(kServerLogName, "WSASend(...) failure", "ClientThread, Primary Send");
            failed = true;
            break;
        }
        if (failed)
            break;
        if (sent == total) {
            OnSent(sent);
            break; // one request per connection
        }
    }

    // Unread bytes at close would make the system reset the connection and
    // could cut off the answer just sent; read what is already there, once,
    // so that a client that never stops sending cannot hold the thread.
    // A complete request ends with its blank line, so after a GET without a
    // body nothing more is due and the read is left out.
    if (!(answering && sent == total && RequestEndsWithItsHead(request)))
        (void)!recv(sock, buffer, kReceiveBufferSize, MSG_DONTWAIT);
}

bool CSocketServer::RemoveClient(int socket, ClientStart* start, Worker* self)
{
    close(socket);
    bool found = false;
    {
        std::lock_guard<std::mutex> guard(m_clientLock);
        delete start;
        if (self->inClientList) {
            m_clients.erase(self->listed);
            self->inClientList = false;
            found = true;
        }
    }
    if (found) {
        // Parked: the reaper or the next connection finds it here.
        std::lock_guard<std::mutex> guard(m_finishedLock);
        self->parkedSince = std::chrono::steady_clock::now();
        m_finished.push_back(self);
    } else {
        ServerLog(kServerLogName, "Thread not found in the list", "ClientThread");
        pthread_detach(self->thread); // nobody will reap it
    }
    m_liveThreads.fetch_sub(1, std::memory_order_acq_rel);
    return found;
}

void* CSocketServer::HelperThread(void* arg)
{
    auto* launch = static_cast<LaunchSignal*>(arg);
    CSocketServer* self = launch->server;
    self->HelperLoop(launch);
    return ThreadExit();
}

void CSocketServer::HelperLoop(LaunchSignal* launch)
{
    launch->Signal(true);
    while (!ShutdownRequested(100)) {
        // Once the last thread of a busy spell is gone, hand the memory its
        // responses used back to the system: without this the allocator
        // keeps each thread arena's high-water mark for the rest of the run.
        if (ReapFinished(1000, false) > 0 && ClientCount() == 0 && FinishedCount() == 0)
            malloc_trim(0);
    }
}

size_t CSocketServer::ReapFinished(int waitMs, bool all)
{
    std::vector<Worker*> retire;
    {
        std::lock_guard<std::mutex> guard(m_finishedLock);
        // The list is in parking order, so the excess and the long idle ones
        // are at its front.
        const auto now = std::chrono::steady_clock::now();
        const size_t excess = m_finished.size() > kParkedThreadsKept ? m_finished.size() - kParkedThreadsKept : 0;
        size_t kept = 0;
        for (size_t i = 0; i < m_finished.size(); ++i) {
            Worker* worker = m_finished[i];
            if (all || i < excess || now - worker->parkedSince >= std::chrono::milliseconds(kParkedIdleMs)) {
                worker->quit.store(true, std::memory_order_release);
                worker->Poke(m_readyEvent);
                retire.push_back(worker);
            } else {
                m_finished[kept++] = worker;
            }
        }
        m_finished.resize(kept);
    }
    for (Worker* worker : retire) {
        const timespec deadline = DeadlineAfterMs(waitMs);
        if (pthread_timedjoin_np(worker->thread, nullptr, &deadline) != 0) {
            ServerLog(kServerLogName, "WaitForSingleObject(...) timed out", "HelperThread");
            ServerLog(kServerLogName, "TerminateThread(.h.) failure, probably it is already terminated", "HelperThread");
            // Its stack and record stay with it: the thread may still use them.
            pthread_detach(worker->thread);
            continue;
        }
        m_stacks.Give(worker->stack);
        worker->stack = nullptr;
        // A spare record holds no descriptors; a new thread makes its own.
        worker->CloseWaitSet();
        std::lock_guard<std::mutex> guard(m_finishedLock);
        m_spareWorkers.push_back(worker);
    }
    return retire.size();
}

} // namespace server
