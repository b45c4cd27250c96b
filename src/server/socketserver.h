#pragma once
// CSocketServer: the machinery of the loopback HTTP server (a listener thread,
// one thread per connection, a reaper thread, start and shutdown); what a
// request means is left to a derived class through four virtual operations.

#include "server/threadstackpool.h"

#include <pthread.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <list>
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

    // Live connection threads (in the client list) and threads waiting to be
    // reaped (in the finished list); for monitoring and tests.
    size_t ClientCount() const;
    size_t FinishedCount() const;

protected:
    bool AddClient(int socket, const std::string& peerAddress, uint16_t peerPort);

private:
    struct ClientStart {
        CSocketServer* server;
        int socket;
    };
    struct ClientRecord {
        pthread_t thread;
        void* stack; // from m_stacks, or nullptr for a stack of the system's
    };
    struct LaunchSignal;

    static void* AcceptThread(void* arg);
    static void* HelperThread(void* arg);
    static void* ClientThread(void* arg);

    void AcceptLoop(LaunchSignal* launch);
    void HelperLoop(LaunchSignal* launch);
    void ServeConnection(ClientStart* start);
    void RemoveClient(int socket, ClientStart* start);
    bool ShutdownRequested(int waitMs) const;
    // Joins every finished thread; returns how many there were.
    size_t ReapFinished(int waitMs);

    mutable std::mutex m_controlLock; // serialises Run and Shutdown
    std::atomic<bool> m_running{false};
    std::atomic<uint16_t> m_port{0};
    uint32_t m_clientTimeoutMs = 0;
    int m_shutdownEvent = -1; // eventfd; readable once shutdown was requested

    pthread_t m_acceptThread{};
    pthread_t m_helperThread{};

    mutable std::mutex m_clientLock; // the client list and the start records
    std::list<ClientRecord> m_clients;
    mutable std::mutex m_finishedLock; // the finished list
    std::vector<ClientRecord> m_finished;
    // Stacks of connection threads, reused once a thread has been reaped.
    CThreadStackPool m_stacks;
    // Connection threads that have not yet put themselves on the finished list.
    std::atomic<int> m_liveThreads{0};
};

} // namespace server
