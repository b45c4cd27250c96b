#include "view/httpfetch.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

}  // namespace

CHttpFetch::~CHttpFetch() {
    if (m_fd >= 0) ::close(m_fd);
}

bool CHttpFetch::SplitAddress(const std::string& address, std::string* host, std::string* port, std::string* target) {
    if (Lower(address.substr(0, 7)) != "http://") return false;
    std::string rest = address.substr(7);
    size_t slash = rest.find_first_of("/?#");
    std::string authority = rest.substr(0, slash);
    std::string path = slash == std::string::npos ? "/" : rest.substr(slash);
    size_t hash = path.find('#');
    if (hash != std::string::npos) path.erase(hash);
    if (path.empty() || path[0] != '/') path = "/" + path;
    if (authority.empty()) return false;
    size_t colon = authority.rfind(':');
    if (colon != std::string::npos && authority.find(']', colon) == std::string::npos) {
        *host = authority.substr(0, colon);
        *port = authority.substr(colon + 1);
    } else {
        *host = authority;
        *port = "80";
    }
    if (host->size() > 2 && host->front() == '[' && host->back() == ']') *host = host->substr(1, host->size() - 2);
    *target = path;
    return !host->empty() && !port->empty();
}

bool CHttpFetch::Open(const std::string& address, int timeoutMs) {
    m_timeoutMs = timeoutMs;
    std::string host, port, target;
    if (!SplitAddress(address, &host, &port, &target)) return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return false;
    for (addrinfo* a = found; a; a = a->ai_next) {
        int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            m_fd = fd;
            break;
        }
        ::close(fd);
    }
    freeaddrinfo(found);
    if (m_fd < 0) return false;
    std::string request = "GET " + target + " HTTP/1.0\r\nHost: " + host + ":" + port +
                          "\r\nAccept: */*\r\nConnection: close\r\n\r\n";
    size_t sent = 0;
    while (sent < request.size()) {
        ssize_t n = ::send(m_fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void CHttpFetch::Cancel() { m_cancelled = true; }

bool CHttpFetch::ReadHead(Head* head) {
    std::string data;
    char buf[4096];
    size_t end;
    while ((end = data.find("\r\n\r\n")) == std::string::npos) {
        if (data.size() > 65536 || Cancelled()) return false;
        pollfd p{m_fd, POLLIN, 0};
        // Waits in short slices so that Cancel is seen.
        int waited = 0;
        int r = 0;
        while ((r = ::poll(&p, 1, 100)) == 0 && !Cancelled() && (waited += 100) < m_timeoutMs) {}
        if (r <= 0) return false;
        ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
        if (n <= 0) return false;
        data.append(buf, static_cast<size_t>(n));
    }
    m_pending = data.substr(end + 4);
    return ParseHead(data.substr(0, end), head);
}

bool CHttpFetch::ParseHead(const std::string& headText, Head* head) {
    size_t lineEnd = headText.find("\r\n");
    std::string status = headText.substr(0, lineEnd);
    if (Lower(status.substr(0, 5)) != "http/") return false;
    size_t space = status.find(' ');
    if (space == std::string::npos) return false;
    // A three-digit status; anything else (also an overflowing number) is no response.
    long code = std::strtol(status.c_str() + space + 1, nullptr, 10);
    head->status = code >= 100 && code <= 999 ? static_cast<int>(code) : 0;
    size_t pos = lineEnd;
    while (pos != std::string::npos && pos < headText.size()) {
        size_t start = pos + 2;
        size_t next = headText.find("\r\n", start);
        std::string line = headText.substr(start, next == std::string::npos ? std::string::npos : next - start);
        size_t colon = line.find(':');
        if (colon != std::string::npos && Lower(line.substr(0, colon)) == "content-type") {
            std::string value = line.substr(colon + 1);
            size_t first = value.find_first_not_of(" \t");
            head->contentType = first == std::string::npos ? std::string() : value.substr(first);
        }
        pos = next;
    }
    return head->status > 0;
}

bool CHttpFetch::ReadBody(const std::function<bool(const char*, size_t)>& write) {
    if (!m_pending.empty()) {
        std::string first;
        first.swap(m_pending);
        if (!write(first.data(), first.size())) return true;
    }
    char buf[65536];
    for (;;) {
        if (Cancelled()) return false;
        pollfd p{m_fd, POLLIN, 0};
        int r = ::poll(&p, 1, 100);
        if (r == 0) continue;
        if (r < 0) return false;
        ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
        if (n == 0) return true;
        if (n < 0) return false;
        if (!write(buf, static_cast<size_t>(n))) return true;
    }
}

std::string CHttpFetch::MediaType(const std::string& contentType) {
    std::string type = contentType.substr(0, contentType.find(';'));
    while (!type.empty() && std::isspace(static_cast<unsigned char>(type.back()))) type.pop_back();
    type.erase(0, type.find_first_not_of(" \t"));
    return Lower(type);
}
