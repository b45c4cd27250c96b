#pragma once
// The table of listening TCP ports of this machine.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Local ports of every socket in LISTEN state, read from /proc/net/tcp and
// /proc/net/tcp6, sorted and without duplicates; nullopt when neither file can be read.
std::optional<std::vector<uint16_t>> ListeningTcpPorts();

// Parses the text of one /proc/net/tcp* file and appends the listening ports.
// Returns false when the text does not look like such a table.
bool ParseProcNetTcp(const std::string& text, std::vector<uint16_t>& ports);

}  // namespace platform
