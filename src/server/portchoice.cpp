#include "server/portchoice.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <unistd.h>

#include "settings/loopback.h"
#include "platform/tcptable.h"

int ChoosePortFrom(const std::optional<std::vector<uint16_t>>& listening) {
    if (!listening) {
        // No table: a random port. Time and process id together keep two
        // processes started in the same second apart.
        auto now = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
        std::mt19937_64 rng(now ^ (static_cast<uint64_t>(getpid()) << 32));
        return kFirstLoopbackPort + static_cast<int>(rng() % 10000);
    }
    // Every listening port of the range counts; no cap on how many are collected.
    std::vector<uint16_t> taken;
    for (uint16_t p : *listening)
        if (p >= kFirstLoopbackPort && p <= kLastLoopbackPort) taken.push_back(p);
    std::sort(taken.begin(), taken.end());
    for (int candidate = kFirstLoopbackPort; candidate < kLastLoopbackPort; ++candidate) {
        if (!std::binary_search(taken.begin(), taken.end(), static_cast<uint16_t>(candidate))) return candidate;
    }
    return kFirstLoopbackPort;
}

int ChooseLoopbackPort() {
    int port = ChoosePortFrom(platform::ListeningTcpPorts());
    SetLoopbackPort(port);
    return port;
}
