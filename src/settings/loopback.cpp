#include "settings/loopback.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex s_mutex;
int s_port = 6122;

}  // namespace

int LoopbackPort() {
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_port;
}

std::string LoopbackBase() {
    int port = LoopbackPort();
    char buf[48];
    std::snprintf(buf, sizeof buf, "http://127.0.0.1:%d/", port);
    return buf;
}

void SetLoopbackPort(int port) {
    std::lock_guard<std::mutex> lock(s_mutex);
    s_port = port;
}
