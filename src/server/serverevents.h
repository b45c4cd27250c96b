#pragma once
// CServerEvents: the two eventfds that every server thread watches. The
// shutdown event becomes readable once shutdown is asked for and stays so;
// the ready event is always readable, so that adding it to a parked thread's
// wait set wakes that thread at once.

namespace server {

class CServerEvents {
public:
    // Makes both; false (with neither open) when the system refuses one.
    bool Open();
    // Closes both.
    void Close();
    // Drops both numbers without closing them: a server thread that could
    // not be collected may still use them, and a reused number would confuse it.
    void Forget() { m_shutdown = m_ready = -1; }

    // Makes the shutdown event readable, for good.
    void RequestShutdown() const;
    // Waits up to waitMs for the shutdown event; a failed wait counts as
    // shutdown, so that a broken event never keeps a thread looping.
    bool ShutdownRequested(int waitMs) const;

    int Shutdown() const { return m_shutdown; }
    int Ready() const { return m_ready; }

private:
    int m_shutdown = -1;
    int m_ready = -1;
};

} // namespace server
