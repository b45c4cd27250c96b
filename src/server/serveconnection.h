#pragma once
// Serving one accepted connection on a connection thread: one request read,
// one answer sent, within the server's idle limit and until shutdown.

#include <chrono>

namespace server {

class CSocketServer;

// Reads the request on `socket` (non-blocking), has `server` build the answer
// and sends it; returns when the answer is sent, the connection fails or
// idles for the client time-out, or shutdown is asked for (`shutdownEvent`
// readable). The socket stays open; the caller closes it. The idle time of
// the first wait counts from `handedAt`, when the listener handed the
// connection over. `buffer` holds CSocketServer::kReceiveBufferSize bytes.
void ServeConnection(CSocketServer& server, int socket, std::chrono::steady_clock::time_point handedAt,
                     int shutdownEvent, char* buffer);

} // namespace server
