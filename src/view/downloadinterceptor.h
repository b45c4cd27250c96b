#pragma once
// CDownloadInterceptor: keeps what the download-control flags forbid
// (pictures, background sounds, videos, plug-in objects) from being requested.
#include <QWebEngineUrlRequestInterceptor>

#include <atomic>
#include <cstdint>

class CDownloadInterceptor : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
    // Runs on the engine's IO thread, hence atomic.
    void SetFlags(uint32_t flags) { m_flags.store(flags); }

private:
    std::atomic<uint32_t> m_flags{0x70};
};
