#pragma once
// CHttpFetch: a small blocking HTTP/1.0 GET client for the text road, which
// needs a document's type before it decides whether the text filter sees it.
#include <atomic>
#include <functional>
#include <string>

class CHttpFetch {
public:
    struct Head {
        int status = 0;
        std::string contentType;  // as sent, e.g. "text/plain; charset=GBK"
    };

    // Connects to the host of `address` ("http://host[:port]/path?query") and
    // sends the GET. False when the address is not http or the connection fails.
    bool Open(const std::string& address, int timeoutMs = 30000);
    // Reads the status line and headers; false on a malformed or missing head.
    bool ReadHead(Head* head);
    // Hands the body to `write` piece by piece until the server closes the
    // connection or `write` answers false; false on a read error.
    bool ReadBody(const std::function<bool(const char*, size_t)>& write);
    // Any thread: makes a waiting read give up.
    void Cancel();
    // Asked between waits; true makes the fetch give up (the reader has gone).
    void SetCancelCheck(std::function<bool()> check) { m_cancelCheck = std::move(check); }
    ~CHttpFetch();

    // Parses a response head (status line and headers, without the blank
    // line); false when it is no HTTP response.
    static bool ParseHead(const std::string& headText, Head* head);
    // The media type without parameters, lower case ("text/plain").
    static std::string MediaType(const std::string& contentType);
    // Splits "http://host:port/path" into its parts; false when no http address.
    static bool SplitAddress(const std::string& address, std::string* host, std::string* port, std::string* target);

private:
    int m_fd = -1;
    int m_timeoutMs = 30000;
    bool Cancelled() const { return m_cancelled || (m_cancelCheck && m_cancelCheck()); }
    std::atomic<bool> m_cancelled{false};
    std::function<bool()> m_cancelCheck;
    std::string m_pending;  // body bytes read together with the head
};
