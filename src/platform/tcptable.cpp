#include "platform/tcptable.h"

#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "platform/atomicfile.h"

namespace platform {

bool ParseProcNetTcp(const std::string& text, std::vector<uint16_t>& ports) {
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line.find("local_address") == std::string::npos) return false;
    while (std::getline(in, line)) {
        std::istringstream row(line);
        std::string slot, local, remote, state;
        if (!(row >> slot >> local >> remote >> state)) continue;
        if (state != "0A") continue;  // TCP_LISTEN
        size_t colon = local.rfind(':');
        if (colon == std::string::npos || colon + 1 >= local.size()) continue;
        unsigned long port = 0;
        bool ok = true;
        for (size_t i = colon + 1; i < local.size() && ok; ++i) {
            char c = local[i];
            int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
            if (d < 0) ok = false;
            port = port * 16 + static_cast<unsigned long>(d < 0 ? 0 : d);
            if (port > 0xFFFF) ok = false;
        }
        if (ok) ports.push_back(static_cast<uint16_t>(port));
    }
    return true;
}

namespace {

// One dump request for the listening TCP sockets of a family.
bool RequestListening(int fd, uint8_t family) {
    struct {
        nlmsghdr header;
        inet_diag_req_v2 request;
    } message{};
    message.header.nlmsg_len = sizeof message;
    message.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    message.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    message.request.sdiag_family = family;
    message.request.sdiag_protocol = IPPROTO_TCP;
    message.request.idiag_states = 1u << TCP_LISTEN;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    return sendto(fd, &message, sizeof message, 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) ==
           static_cast<ssize_t>(sizeof message);
}

// Reads the answers to one dump request until its end; false on any error.
bool ReadListening(int fd, std::vector<uint16_t>& ports) {
    alignas(nlmsghdr) char buffer[16384];
    for (;;) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        int left = static_cast<int>(n);
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(h, left); h = NLMSG_NEXT(h, left)) {
            if (h->nlmsg_type == NLMSG_DONE) return true;
            if (h->nlmsg_type == NLMSG_ERROR) return false;
            if (h->nlmsg_type != SOCK_DIAG_BY_FAMILY || h->nlmsg_len < NLMSG_LENGTH(sizeof(inet_diag_msg))) continue;
            const auto* diag = static_cast<const inet_diag_msg*>(NLMSG_DATA(h));
            if (diag->idiag_state == TCP_LISTEN) ports.push_back(ntohs(diag->id.idiag_sport));
        }
    }
}

// The kernel's socket diagnostics: only its table of listening sockets is
// walked, where reading /proc/net/tcp walks every connection as well (several
// milliseconds on a machine with a large connection table).
bool ListeningBySockDiag(std::vector<uint16_t>& ports) {
    const int fd = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (fd < 0) return false;
    timeval timeout{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    bool ok = true;
    for (uint8_t family : {static_cast<uint8_t>(AF_INET), static_cast<uint8_t>(AF_INET6)})
        ok = ok && RequestListening(fd, family) && ReadListening(fd, ports);
    close(fd);
    return ok;
}

}  // namespace

std::optional<std::vector<uint16_t>> ListeningTcpPorts() {
    std::vector<uint16_t> ports;
    if (ListeningBySockDiag(ports)) {
        std::sort(ports.begin(), ports.end());
        ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
        return ports;
    }
    ports.clear();
    return ListeningTcpPortsFromProc();
}

std::optional<std::vector<uint16_t>> ListeningTcpPortsFromProc() {
    std::vector<uint16_t> ports;
    bool any = false;
    for (const char* file : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::string text;
        if (ReadWholeFile(file, text) && ParseProcNetTcp(text, ports)) any = true;
    }
    if (!any) return std::nullopt;
    std::sort(ports.begin(), ports.end());
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    return ports;
}

}  // namespace platform
