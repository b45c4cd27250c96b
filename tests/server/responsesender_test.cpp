// The send half of a connection on a socket pair: a full socket buffer stops
// it and the next call goes on at the exact byte, and a peer that has gone
// fails the send instead of raising SIGPIPE.

#include "server/responsesender.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

using server::CResponseSender;
using server::CSocketServer;
using Progress = CResponseSender::Progress;

namespace {

std::string Pattern(size_t size, unsigned seed)
{
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>(((i + seed) * 2654435761u) >> 13);
    return s;
}

CSocketServer::BodyBuffer MallocCopy(const std::string& data)
{
    char* p = static_cast<char*>(std::malloc(data.size()));
    std::memcpy(p, data.data(), data.size());
    return CSocketServer::BodyBuffer(p);
}

// A connected pair; [0] sends without blocking through a small buffer.
struct SocketPair {
    int fd[2] = {-1, -1};
    SocketPair()
    {
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, fd) != 0)
            return;
        const int small = 16 * 1024;
        setsockopt(fd[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
        fcntl(fd[0], F_SETFL, fcntl(fd[0], F_GETFL) | O_NONBLOCK);
    }
    ~SocketPair()
    {
        for (int f : fd)
            if (f >= 0)
                close(f);
    }
};

} // namespace

TEST(ResponseSender, FullSocketStopsTheSendAndTheNextGoesOnAtTheExactByte)
{
    // A head longer than one send piece, so that a piece ends inside it and
    // the body starts within a later piece.
    const std::string head = Pattern(CSocketServer::kSendPieceSize + 12345, 1);
    const std::string body = Pattern(700001, 2);
    SocketPair pair;
    ASSERT_GE(pair.fd[0], 0);

    CResponseSender sender;
    sender.Begin(head, MallocCopy(body), body.size());
    std::string received;
    int blocked = 0;
    char chunk[8192];
    for (Progress p = sender.Send(pair.fd[0]); p != Progress::Done; p = sender.Send(pair.fd[0])) {
        ASSERT_EQ(p, Progress::Blocked);
        ++blocked;
        ASSERT_GE(sender.Sent(), received.size());
        const ssize_t n = read(pair.fd[1], chunk, sizeof chunk);
        ASSERT_GT(n, 0);
        received.append(chunk, static_cast<size_t>(n));
    }
    EXPECT_GT(blocked, 0) << "the buffer never filled: no short write was exercised";
    EXPECT_TRUE(sender.Done());
    EXPECT_EQ(sender.Sent(), head.size() + body.size());
    EXPECT_EQ(sender.Send(pair.fd[0]), Progress::Done); // nothing more goes out
    shutdown(pair.fd[0], SHUT_WR);
    for (ssize_t n; (n = read(pair.fd[1], chunk, sizeof chunk)) > 0;)
        received.append(chunk, static_cast<size_t>(n));
    ASSERT_EQ(received.size(), head.size() + body.size());
    EXPECT_TRUE(received == head + body);

    // A body size without a body means no body: only the head is sent.
    SocketPair second;
    CResponseSender headOnly;
    headOnly.Begin("HTTP/1.1 204 No Content\r\n\r\n", nullptr, 4096);
    EXPECT_EQ(headOnly.Send(second.fd[0]), Progress::Done);
    EXPECT_EQ(headOnly.Sent(), 27u);
}

TEST(ResponseSender, PeerThatHasGoneFailsTheSendWithoutASignal)
{
    SocketPair pair;
    ASSERT_GE(pair.fd[0], 0);
    close(pair.fd[1]);
    pair.fd[1] = -1;
    CResponseSender sender;
    const std::string body = Pattern(100000, 3);
    sender.Begin("HTTP/1.1 200 OK\r\n\r\n", MallocCopy(body), body.size());
    // Without MSG_NOSIGNAL the test program would end here with SIGPIPE.
    EXPECT_EQ(sender.Send(pair.fd[0]), Progress::Failed);
    EXPECT_FALSE(sender.Done());
}
