#pragma once
// CRequestReader: the read half of one connection. It gathers the request
// text from the socket until the server calls it a whole request, and before
// the socket is closed it reads away what the client has sent beyond it.

#include <cstddef>
#include <string>

namespace server {

class CSocketServer;

class CRequestReader {
public:
    enum class Received {
        Nothing,  // no bytes yet (the socket would block or was interrupted)
        Partial,  // bytes came; the request is not whole yet
        Complete, // the request is whole
        Over,     // the peer closed, the receive failed, or the text grew too long
    };

    // `buffer` holds CSocketServer::kReceiveBufferSize bytes.
    CRequestReader(CSocketServer& server, int socket, char* buffer);

    // One receive call, its bytes added to the request text.
    Received Receive();
    const std::string& Request() const { return m_request; }

    // True for a GET (or HEAD) request that announces no body: nothing
    // follows the head the connection has read.
    bool EndsWithItsHead() const;
    // Unread bytes at close would make the system reset the connection and
    // could cut off the answer just sent; this reads what is already there,
    // once, so that a client that never stops sending cannot hold the thread.
    void DiscardUnread();

private:
    CSocketServer& m_server;
    const int m_socket;
    char* const m_buffer;
    std::string m_request;
};

} // namespace server
