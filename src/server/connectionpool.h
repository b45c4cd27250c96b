#pragma once
// CConnectionPool: the connection threads. Each accepted connection is served
// by one thread; a thread that has finished its connection parks in the
// finished list and takes the next one, so that the request path creates no
// thread. The reaper thread ends parked threads that are not needed.

#include "server/threadstackpool.h"

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <vector>

namespace server {

class CServerEvents;
class CSocketServer;
struct CLaunchSignal;

class CConnectionPool {
public:
    // Connections are served by `server`'s request operations; `events` are
    // the server's, open while any connection thread runs.
    CConnectionPool(CSocketServer& server, const CServerEvents& events);

    CConnectionPool(const CConnectionPool&) = delete;
    CConnectionPool& operator=(const CConnectionPool&) = delete;

    // Gives the accepted `socket` to a parked thread or to a new one; false
    // when no thread could be started (the socket is then closed).
    bool Add(int socket);

    // The reaper thread: signals `launch`, then until shutdown ends the parked
    // threads that are not needed (see ReapFinished).
    void ReapUntilShutdown(CLaunchSignal* launch);
    // Ends and joins the parked threads beyond kParkedThreadsKept and those
    // idle for kParkedIdleMs (all of them when `all`); returns how many.
    size_t ReapFinished(int waitMs, bool all);
    // Waits until every connection thread has put itself on the finished list.
    void WaitForLiveThreads() const;
    // Unmaps the idle stacks.
    void TrimStacks() { m_stacks.Trim(); }
    // Deletes the records of reaped threads; only while no server thread runs.
    void DeleteSpareWorkers();

    size_t ClientCount() const;
    size_t FinishedCount() const;

private:
    struct ClientStart {
        int socket;
        // When the listener handed the connection over; its idle time counts from here.
        std::chrono::steady_clock::time_point handedAt;
    };
    // One connection thread. While parked it sits in the finished list and
    // waits on its own wait set (`wait`): whoever takes it off the list sets
    // `next` and adds the connection's socket to the set, so that the thread
    // wakes once the request has arrived, or sets `quit` and pokes it. The
    // set is the thread's one descriptor beyond its connection's socket.
    static constexpr uintptr_t kHandedOver = 1;
    // The set also holds the shutdown event.
    struct Worker {
        Worker() = default;
        ~Worker() { CloseWaitSet(); }
        Worker(const Worker&) = delete;
        Worker& operator=(const Worker&) = delete;

        // Makes `wait`; false when the system has no descriptors left.
        bool OpenWaitSet(int shutdownEvent);
        void CloseWaitSet();
        // Wakes the thread once, by watching the always-readable `readyEvent`.
        void Poke(int readyEvent);

        pthread_t thread{};
        void* stack = nullptr; // from m_stacks, or nullptr for a stack of the system's
        CConnectionPool* pool = nullptr;
        // The handed connection; the low bit (kHandedOver) is set once the
        // listener has finished with it, after which a wake-up of any kind
        // may take it. Before that only its socket's own event may.
        std::atomic<uintptr_t> next{0};
        std::atomic<bool> quit{false};
        // Its place in the client list while it serves a connection, so that
        // leaving the list does not walk it (under the client-list lock).
        std::list<Worker*>::iterator listed;
        bool inClientList = false;
        int wait = -1; // epoll set
        bool sawShutdown = false; // the thread's own: the one shutdown report came
        std::chrono::steady_clock::time_point parkedSince;
    };

    static void* ClientThread(void* arg);
    void WorkerLoop(Worker* self, ClientStart* start);
    // Waits, parked, for the next connection; nullptr when told to end.
    ClientStart* WaitForConnection(Worker* self);
    // Unlinks the thread from the client list and parks it; false when it
    // was not in the list (it then ends, detached).
    bool RemoveClient(int socket, ClientStart* start, Worker* self);

    CSocketServer& m_server;
    const CServerEvents& m_events;

    mutable std::mutex m_clientLock; // the client list and the start records
    std::list<Worker*> m_clients;
    mutable std::mutex m_finishedLock; // the finished list and every parked worker's fields
    std::vector<Worker*> m_finished; // most recently parked last
    // Records of reaped threads, reused for new ones. They are deleted only
    // by Shutdown, so that a late wake-up never touches freed memory.
    std::vector<Worker*> m_spareWorkers;
    // Stacks of connection threads, reused once a thread has been reaped.
    CThreadStackPool m_stacks;
    // Connection threads that have not yet put themselves on the finished list.
    std::atomic<int> m_liveThreads{0};
};

} // namespace server
