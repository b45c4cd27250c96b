#include "server/socketserver.h"

#include "server/serverlog.h"
#include "server/serverthreads.h"

namespace server {

struct CSocketServer::LaunchSignal : CLaunchSignal {
    CSocketServer* server = nullptr;
};

CSocketServer::CSocketServer()
    : m_listener(m_events, m_port,
                 [this](int socket, const std::string& peerAddress, uint16_t peerPort) {
                     return AddClient(socket, peerAddress, peerPort);
                 })
    , m_pool(*this, m_events)
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
    return m_pool.ClientCount();
}

size_t CSocketServer::FinishedCount() const
{
    return m_pool.FinishedCount();
}

bool CSocketServer::BuildResponse(const std::string& request, std::string& head, BodyBuffer& body,
                                  size_t& bodySize, bool& keepAlive)
{
    body.reset();
    bodySize = 0;
    return ParseRequest(request, head, keepAlive);
}

bool CSocketServer::Run(uint16_t port, uint32_t clientTimeoutMs)
{
    std::lock_guard<std::mutex> control(m_controlLock);
    if (IsRunning())
        return false;

    m_port.store(port, std::memory_order_release);
    m_clientTimeoutMs = clientTimeoutMs;
    if (!m_events.Open()) {
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
        m_pool.WaitForLiveThreads();
        m_pool.ReapFinished(1000, true);
        m_pool.DeleteSpareWorkers();
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
    m_pool.WaitForLiveThreads();
    m_pool.ReapFinished(1000, true);
    m_pool.TrimStacks();
    // A listener that could not be collected may still hand out records.
    if (clean)
        m_pool.DeleteSpareWorkers();

    // The events and the listening socket stay open if a server thread
    // could not be collected: it may still use them, and a reused
    // descriptor number would confuse it.
    if (clean)
        CloseEvents();
    else
        m_listener.Forget();
    m_events.Forget();
    m_running.store(false, std::memory_order_release);
    return clean;
}

bool CSocketServer::AddClient(int socket, const std::string& peerAddress, uint16_t peerPort)
{
    OnConnect(peerAddress, peerPort);
    return m_pool.Add(socket);
}

void CSocketServer::RequestShutdown()
{
    m_events.RequestShutdown();
    m_listener.Wake();
}

void CSocketServer::CloseEvents()
{
    m_listener.Close();
    m_events.Close();
}

void* CSocketServer::AcceptThread(void* arg)
{
    auto* launch = static_cast<LaunchSignal*>(arg);
    launch->server->m_listener.AcceptLoop(launch);
    return ThreadExit();
}

void* CSocketServer::HelperThread(void* arg)
{
    auto* launch = static_cast<LaunchSignal*>(arg);
    CSocketServer* self = launch->server;
    self->m_pool.ReapUntilShutdown(launch);
    return ThreadExit();
}

} // namespace server
