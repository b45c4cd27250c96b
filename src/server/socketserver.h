#pragma once
// CSocketServer: the loopback HTTP server's start and shutdown. It runs a
// listener thread (CListener), one connection thread per connection at a time
// (CConnectionPool) and a helper thread that reaps finished connection
// threads; what a request means is left to a derived class through virtual
// operations.

#include "server/connectionpool.h"
#include "server/listener.h"
#include "server/serverevents.h"

#include <pthread.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

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
    // The signal Run waits on, with the server the new thread belongs to.
    struct LaunchSignal;

    static void* AcceptThread(void* arg);
    static void* HelperThread(void* arg);

    // Sets the shutdown event and wakes the listener out of its accept.
    void RequestShutdown();
    void CloseEvents();

    mutable std::mutex m_controlLock; // serialises Run and Shutdown
    std::atomic<bool> m_running{false};
    std::atomic<uint16_t> m_port{0};
    uint32_t m_clientTimeoutMs = 0;
    CServerEvents m_events;

    pthread_t m_acceptThread{};
    pthread_t m_helperThread{};

    // The listener thread's socket and loop.
    CListener m_listener;
    // The connection threads with their lists and locks; the helper thread
    // is their reaper.
    CConnectionPool m_pool;
};

} // namespace server
