#pragma once
// Choice of the loopback server's port among ports nobody listens on.

#include <cstdint>
#include <optional>
#include <vector>

inline constexpr int kFirstLoopbackPort = 50000;
inline constexpr int kLastLoopbackPort = 60000;

// From a table of listening ports: the first port from 50000 upwards that is
// not listening (50000 when all up to 60000 are taken); without a table
// (nullopt) a random port in 50000..59999.
int ChoosePortFrom(const std::optional<std::vector<uint16_t>>& listening);
// Reads the machine's listening table, chooses, stores the port and base
// address through SetLoopbackPort and returns the port.
int ChooseLoopbackPort();
