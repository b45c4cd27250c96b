#pragma once
// CPageServer: the loopback server of the reader; it answers each GET request
// with the archive entry that the request path names.

#include "server/adaptivemutex.h"
#include "server/socketserver.h"

#include <cstddef>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

namespace server {

class CPageServer : public CSocketServer {
public:
    // Extracts the entry named by a request path into a malloc'ed buffer
    // (released with free) and stores its size; nullptr when there is none.
    using Extractor = std::function<char*(const std::string& requestPath, size_t* outSize)>;

    static constexpr const char* kServerName = "PagoraWebServer/0.1b";
    static constexpr const char* kDefaultDocument = "index.htm";
    static constexpr uint32_t kClientTimeoutMs = 10000;

    explicit CPageServer(Extractor extractor = {});
    ~CPageServer() override;

    // Sets the default document, then starts the server (see Run).
    bool Launch(const std::string& defaultDocument, uint16_t port, uint32_t clientTimeoutMs);
    std::string DefaultDocument() const { return m_defaultDocument; }

    bool IsRequestComplete(const std::string& request) override;
    // The whole response as one text (head and entry), as sent on the wire.
    bool ParseRequest(const std::string& request, std::string& response, bool& keepAlive) override;
    // The same response with the extracted entry kept in its own buffer.
    bool BuildResponse(const std::string& request, std::string& head, BodyBuffer& body, size_t& bodySize,
                       bool& keepAlive) override;

    // The content type for a request path, by the text after its last '.'.
    std::string ContentTypeOf(const std::string& requestPath) const;
    // "Tue, 08 Dec 2026 21:54:07 GMT", always with English names.
    static std::string FormatHttpDate(std::time_t when);
    // True when every Host header of the request names this server
    // (127.0.0.1 or localhost with its port); a request without one passes.
    bool HostIsLoopback(const std::string& request) const;

private:
    static std::string SuccessHead(size_t bodySize, const std::string& contentType);
    static std::string ErrorResponse(const char* status);

    Extractor m_extract;
    CAdaptiveMutex m_extractLock; // one extraction at a time
    std::string m_defaultDocument = kDefaultDocument;
    std::unordered_map<std::string, std::string> m_contentTypes;
};

// The program's one page server; it serves from the current archive holder.
CPageServer& ThePageServer();

} // namespace server
