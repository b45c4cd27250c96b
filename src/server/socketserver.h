#pragma once
// CSocketServer: the machinery of the loopback HTTP server (a listener thread,
// one thread per connection at a time, a reaper thread, start and shutdown);
// what a request means is left to a derived class through virtual operations.

#include "server/threadstackpool.h"

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace server {

class CSocketServer {
public:
    // Exit code of every server thread.
    static constexpr uintptr_t kThreadExitCode = 0x1234;
    // Bytes read from a connection in one receive call.
    static constexpr size_t kReceiveBufferSize = 100000;
    // Largest piece handed to one send call.
    static constexpr size_t kSendPieceSize = 200000;
    // A request text that grows beyond this without being complete is dropped,
    // so that no client can make the server hold unbounded memory.
    static constexpr size_t kMaxRequestSize = 64 * 1024;
    // How long Run waits for each server thread to report that it is ready.
    static constexpr int kLaunchTimeoutMs = 30000;
    // A connection thread that finished its connection parks and takes the
    // next accepted one, so that the request path creates no thread. The
    // reaper ends parked threads beyond this number at once ...
    static constexpr size_t kParkedThreadsKept = 64;
    // ... and every parked thread that has waited this long without work.
    static constexpr int kParkedIdleMs = 1000;

    // Releases an entry buffer handed out by BuildResponse.
    struct FreeBuffer {
        void operator()(char* p) const { std::free(p); }
    };
    using BodyBuffer = std::unique_ptr<char, FreeBuffer>;

    CSocketServer();
    virtual ~CSocketServer();

    CSocketServer(const CSocketServer&) = delete;
    CSocketServer& operator=(const CSocketServer&) = delete;

    // Called for each accepted connection before its thread starts.
    virtual int OnConnect(const std::string& peerAddress, uint16_t peerPort);
    // Called after a complete response was sent.
    virtual int OnSent(size_t byteCount);
    // True when the request text received so far is a whole request.
    virtual bool IsRequestComplete(const std::string& request) = 0;
    // Builds the response to a complete request; false drops the connection
    // without an answer.
    virtual bool ParseRequest(const std::string& request, std::string& response, bool& keepAlive) = 0;
    // The response in two parts, sent one after the other: the head and a
    // malloc'ed body of bodySize bytes (may be empty). The wire bytes equal
    // ParseRequest's text; a large entry is then never copied once more.
    // By default everything comes from ParseRequest as the head.
    virtual bool BuildResponse(const std::string& request, std::string& head, BodyBuffer& body, size_t& bodySize,
                               bool& keepAlive);

    // Starts listening on 127.0.0.1:port (0 lets the system choose; Port()
    // then tells which). Fails at once when already running or when the port
    // cannot be bound. clientTimeoutMs is the idle limit of a connection, 0 none.
    bool Run(uint16_t port, uint32_t clientTimeoutMs);
    // Stops the server and waits until every connection thread has ended.
    // True when both server threads ended by themselves; false when one had to
    // be abandoned or the server was not running.
    bool Shutdown();
    bool IsRunning() const { return m_running.load(std::memory_order_acquire); }
    uint16_t Port() const { return m_port.load(std::memory_order_acquire); }
    uint32_t ClientTimeout() const { return m_clientTimeoutMs; }

    // Connection threads serving a connection (in the client list) and
    // finished threads parked for the next connection or waiting to be reaped
    // (in the finished list); for monitoring and tests.
    size_t ClientCount() const;
    size_t FinishedCount() const;

protected:
    bool AddClient(int socket, const std::string& peerAddress, uint16_t peerPort);

private:
    struct ClientStart {
        CSocketServer* server;
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
        CSocketServer* server = nullptr;
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
    struct LaunchSignal;

    static void* AcceptThread(void* arg);
    static void* HelperThread(void* arg);
    static void* ClientThread(void* arg);

    void AcceptLoop(LaunchSignal* launch);
    void HelperLoop(LaunchSignal* launch);
    void WorkerLoop(Worker* self, ClientStart* start);
    // Waits, parked, for the next connection; nullptr when told to end.
    ClientStart* WaitForConnection(Worker* self);
    void ServeConnection(ClientStart* start, char* buffer);
    // Unlinks the thread from the client list and parks it; false when it
    // was not in the list (it then ends, detached).
    bool RemoveClient(int socket, ClientStart* start, Worker* self);
    bool ShutdownRequested(int waitMs) const;
    // Sets the shutdown event and wakes the listener out of its accept.
    void RequestShutdown();
    void CloseEvents();
    void DeleteSpareWorkers();
    // Ends and joins the parked threads beyond kParkedThreadsKept and those
    // idle for kParkedIdleMs (all of them when `all`); returns how many.
    size_t ReapFinished(int waitMs, bool all);

    mutable std::mutex m_controlLock; // serialises Run and Shutdown
    std::atomic<bool> m_running{false};
    std::atomic<uint16_t> m_port{0};
    uint32_t m_clientTimeoutMs = 0;
    int m_shutdownEvent = -1; // eventfd; readable once shutdown was requested
    int m_readyEvent = -1; // eventfd that is always readable, to wake a parked thread
    // The listening socket, blocking: the listener sleeps in accept. It is
    // made by the listener and closed by whoever collects the listener, so
    // that waking it (shutdown of the socket) never meets a reused number.
    std::atomic<int> m_listener{-1};

    pthread_t m_acceptThread{};
    pthread_t m_helperThread{};

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
