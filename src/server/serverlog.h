#pragma once
// The server's logging hook: every failure of the loopback server is reported
// here with a log name, a description and the place it happened. The hook
// discards everything, so no log file is ever written.

namespace server {

// Log name used by every server report.
inline constexpr const char* kServerLogName = "UMServer.log";

// Reports one server failure; the report is discarded.
void ServerLog(const char* logName, const char* description, const char* place);

} // namespace server
