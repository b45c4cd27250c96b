#include "platform/tcptable.h"

#include <algorithm>
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

std::optional<std::vector<uint16_t>> ListeningTcpPorts() {
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
