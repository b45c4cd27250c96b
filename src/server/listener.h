#pragma once
// CListener: the listening socket on 127.0.0.1 and the loop of the listener
// thread, which accepts connections and hands each one on.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace server {

class CServerEvents;
struct CLaunchSignal;

class CListener {
public:
    // Takes an accepted, non-blocking socket and its peer; false when the
    // connection could not be given a thread.
    using HandOver = std::function<bool(int socket, const std::string& peerAddress, uint16_t peerPort)>;

    // `port` is the port to bind (0: the system chooses); the bound one is
    // stored back into it.
    CListener(const CServerEvents& events, std::atomic<uint16_t>& port, HandOver handOver);

    CListener(const CListener&) = delete;
    CListener& operator=(const CListener&) = delete;

    // The listener thread: makes, binds and listens on the socket, signals
    // `launch` with the outcome and accepts until shutdown.
    void AcceptLoop(CLaunchSignal* launch);
    // Wakes a listener asleep in accept (after the shutdown event was set).
    void Wake();
    // Closes the socket, once the listener thread has been collected.
    void Close();
    // Drops the socket without closing it, for a listener that could not be
    // collected: closing could hand its number to a new descriptor under it.
    void Forget() { m_socket.store(-1); }

private:
    const CServerEvents& m_events;
    std::atomic<uint16_t>& m_port;
    const HandOver m_handOver;
    // Blocking: the listener sleeps in accept. It is made by the listener
    // and closed by whoever collects the listener, so that waking it
    // (shutdown of the socket) never meets a reused number.
    std::atomic<int> m_socket{-1};
};

} // namespace server
