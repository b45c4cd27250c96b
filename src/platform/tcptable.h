#pragma once
// The table of listening TCP ports of this machine.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Local ports of every TCP socket in LISTEN state (IPv4 and IPv6), sorted and
// without duplicates: asked of the kernel's socket diagnostics, else read
// from /proc/net/tcp and /proc/net/tcp6; nullopt when neither can be read.
std::optional<std::vector<uint16_t>> ListeningTcpPorts();
// The same read from the /proc files only.
std::optional<std::vector<uint16_t>> ListeningTcpPortsFromProc();

// Parses the text of one /proc/net/tcp* file and appends the listening ports.
// Returns false when the text does not look like such a table.
bool ParseProcNetTcp(const std::string& text, std::vector<uint16_t>& ports);

}  // namespace platform
