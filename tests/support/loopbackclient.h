#pragma once
// A minimal blocking HTTP client for tests: connects to 127.0.0.1, sends
// text (optionally in pieces) and reads until the server closes.

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Connects to 127.0.0.1:port; -1 on failure.
int ConnectLoopback(uint16_t port);
// Sends all of `text`; false on failure.
bool SendAll(int fd, const std::string& text);
// Reads until the peer closes or `timeoutMs` passes; `closed` tells which.
std::string ReadUntilClosed(int fd, int timeoutMs, bool* closed = nullptr);
// One whole exchange: connect, send the pieces with a short pause between
// them, read the answer until the server closes.
std::string Exchange(uint16_t port, const std::vector<std::string>& pieces, int timeoutMs = 5000);

} // namespace testing_support
