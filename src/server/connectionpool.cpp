#include "server/connectionpool.h"

#include "server/serveconnection.h"
#include "server/serverevents.h"
#include "server/serverlog.h"
#include "server/serverthreads.h"
#include "server/socketserver.h"

#include <malloc.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <thread>

namespace server {

namespace {

// Idle connection stacks kept for reuse: enough for a burst of page loads
// (a page with its pictures and style sheets), little memory while idle.
constexpr size_t kIdleStacksKept = 32;

} // namespace

bool CConnectionPool::Worker::OpenWaitSet(int shutdownEvent)
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

void CConnectionPool::Worker::CloseWaitSet()
{
    if (wait >= 0)
        close(wait);
    wait = -1;
}

void CConnectionPool::Worker::Poke(int readyEvent)
{
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLONESHOT;
    ev.data.fd = readyEvent;
    // Watched already from an earlier poke: arm that watch again.
    if (epoll_ctl(wait, EPOLL_CTL_ADD, readyEvent, &ev) != 0 && errno == EEXIST)
        epoll_ctl(wait, EPOLL_CTL_MOD, readyEvent, &ev);
}

CConnectionPool::CConnectionPool(CSocketServer& server, const CServerEvents& events)
    : m_server(server)
    , m_events(events)
    , m_stacks(kThreadStackSize, kIdleStacksKept)
{
}

size_t CConnectionPool::ClientCount() const
{
    std::lock_guard<std::mutex> guard(m_clientLock);
    return m_clients.size();
}

size_t CConnectionPool::FinishedCount() const
{
    std::lock_guard<std::mutex> guard(m_finishedLock);
    return m_finished.size();
}

bool CConnectionPool::Add(int socket)
{
    auto* start = new ClientStart{socket, {}};
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
            parked->Poke(m_events.Ready()); // no event will come: wake the thread directly
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
    worker->pool = this;
    worker->quit.store(false, std::memory_order_relaxed);
    start->handedAt = std::chrono::steady_clock::now();
    // pthread_create orders this before the thread's start.
    worker->next.store(reinterpret_cast<uintptr_t>(start) | kHandedOver, std::memory_order_relaxed);
    std::lock_guard<std::mutex> guard(m_clientLock);
    bool started = worker->OpenWaitSet(m_events.Shutdown());
    void* stack = started ? m_stacks.Take() : nullptr;
    // The client-list lock is held until the record is in the list, so the
    // new thread cannot remove itself before it has been added.
    started = started && StartThread(&worker->thread, &CConnectionPool::ClientThread, worker, stack);
    if (!started && stack) {
        // The system may refuse a stack it did not make; try one of its own.
        m_stacks.Give(stack);
        stack = nullptr;
        started = StartThread(&worker->thread, &CConnectionPool::ClientThread, worker);
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

void* CConnectionPool::ClientThread(void* arg)
{
    auto* worker = static_cast<Worker*>(arg);
    ClientStart* start = reinterpret_cast<ClientStart*>(worker->next.exchange(0, std::memory_order_acquire) & ~kHandedOver);
    worker->pool->WorkerLoop(worker, start);
    return ThreadExit();
}

void CConnectionPool::WorkerLoop(Worker* self, ClientStart* start)
{
    // The receive buffer is the thread's for all its connections: on the
    // stack of a fresh thread it would fault in 25 new pages every time.
    const std::unique_ptr<char[]> receive(new char[CSocketServer::kReceiveBufferSize]);
    while (start) {
        ServeConnection(m_server, start->socket, start->handedAt, m_events.Shutdown(), receive.get());
        if (!RemoveClient(start->socket, start, self))
            return;
        start = WaitForConnection(self);
    }
}

CConnectionPool::ClientStart* CConnectionPool::WaitForConnection(Worker* self)
{
    // `next` and `quit` are never both set: whoever sets one has taken the
    // thread off the finished list. Every wake-up, whatever its cause, looks
    // at both; a connection whose request has not come yet is served all the
    // same, with what is left of its idle time.
    const uint32_t limit = m_server.ClientTimeout();
    int waitMs = limit == 0 ? -1 : static_cast<int>(std::min<uint32_t>(limit, INT32_MAX));
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
            if (events[i].data.fd == m_events.Ready()) {
                // poked: only the wake-up counts
            } else if (events[i].data.fd == m_events.Shutdown()) {
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

bool CConnectionPool::RemoveClient(int socket, ClientStart* start, Worker* self)
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

void CConnectionPool::WaitForLiveThreads() const
{
    while (m_liveThreads.load(std::memory_order_acquire) > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void CConnectionPool::ReapUntilShutdown(CLaunchSignal* launch)
{
    launch->Signal(true);
    while (!m_events.ShutdownRequested(100)) {
        // Once the last thread of a busy spell is gone, hand the memory its
        // responses used back to the system: without this the allocator
        // keeps each thread arena's high-water mark for the rest of the run.
        if (ReapFinished(1000, false) > 0 && ClientCount() == 0 && FinishedCount() == 0)
            malloc_trim(0);
    }
}

size_t CConnectionPool::ReapFinished(int waitMs, bool all)
{
    std::vector<Worker*> retire;
    {
        std::lock_guard<std::mutex> guard(m_finishedLock);
        // The list is in parking order, so the excess and the long idle ones
        // are at its front.
        const auto now = std::chrono::steady_clock::now();
        const size_t keepMax = CSocketServer::kParkedThreadsKept;
        const size_t excess = m_finished.size() > keepMax ? m_finished.size() - keepMax : 0;
        size_t kept = 0;
        for (size_t i = 0; i < m_finished.size(); ++i) {
            Worker* worker = m_finished[i];
            if (all || i < excess || now - worker->parkedSince >= std::chrono::milliseconds(CSocketServer::kParkedIdleMs)) {
                worker->quit.store(true, std::memory_order_release);
                worker->Poke(m_events.Ready());
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

void CConnectionPool::DeleteSpareWorkers()
{
    std::vector<Worker*> spare;
    {
        std::lock_guard<std::mutex> guard(m_finishedLock);
        spare.swap(m_spareWorkers);
    }
    for (Worker* worker : spare)
        delete worker;
}

} // namespace server
