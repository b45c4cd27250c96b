// The server machinery over real loopback sockets: connections, time-outs,
// start and shutdown, and that every connection thread is reaped.

#include "support/loopbackclient.h"
#include "server/pageserver.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using server::CPageServer;
using namespace testing_support;

namespace {

std::string Body(const std::string& response)
{
    const size_t end = response.find("\r\n\r\n");
    return end == std::string::npos ? "<no body>" : response.substr(end + 4);
}

// Serves "page.htm" and a large "big.bin"; everything else is missing.
CPageServer::Extractor TestEntries(const std::string* big)
{
    return [big](const std::string& path, size_t* size) -> char* {
        std::string data;
        if (path == "page.htm")
            data = "<html>page</html>";
        else if (path == "big.bin")
            data = *big;
        else
            return nullptr;
        *size = data.size();
        char* buf = static_cast<char*>(std::malloc(data.size() + 1));
        std::memcpy(buf, data.data(), data.size());
        return buf;
    };
}

// Waits (bounded) until the server has no live or unreaped connection threads.
bool WaitUntilQuiet(const CPageServer& server, int ms = 5000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < deadline) {
        if (server.ClientCount() == 0 && server.FinishedCount() == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class SocketServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_big.resize(3 * 1024 * 1024 + 17);
        for (size_t i = 0; i < m_big.size(); ++i)
            m_big[i] = static_cast<char>('a' + (i * 7) % 26);
    }
    void TearDown() override { m_server.Shutdown(); }

    std::string Get(const std::string& path, int timeoutMs = 5000)
    {
        return Exchange(m_server.Port(), {"GET /" + path + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                                          std::to_string(m_server.Port()) + "\r\n\r\n"},
                        timeoutMs);
    }

    std::string m_big;
    CPageServer m_server{TestEntries(&m_big)};
};

} // namespace

TEST_F(SocketServerTest, AnswersOneRequestPerConnectionAndReapsItsThread)
{
    ASSERT_TRUE(m_server.Launch("index.htm", 0, 2000));
    EXPECT_TRUE(m_server.IsRunning());
    EXPECT_NE(m_server.Port(), 0);

    EXPECT_EQ(Body(Get("page.htm")), "<html>page</html>");
    EXPECT_EQ(Body(Get("nothing.htm")), "404 Resource not found");
    const std::string big = Get("big.bin", 20000);
    EXPECT_EQ(Body(big).size(), m_big.size());
    EXPECT_TRUE(Body(big) == m_big);
    EXPECT_TRUE(WaitUntilQuiet(m_server));
}

TEST_F(SocketServerTest, RequestSplitOverPacketsIsAnsweredWhenComplete)
{
    ASSERT_TRUE(m_server.Run(0, 2000));
    const std::string reply = Exchange(m_server.Port(), {"GE", "T /page.h", "tm HTTP/1.1\r\n", "Accept: */*\r\n", "\r\n"});
    EXPECT_EQ(Body(reply), "<html>page</html>");

    // A malformed request line is dropped without a word.
    EXPECT_EQ(Exchange(m_server.Port(), {"GET\r\n\r\n"}), "");
}

TEST_F(SocketServerTest, IdleAndOversizedConnectionsAreClosed)
{
    ASSERT_TRUE(m_server.Run(0, 300));
    const uint16_t port = m_server.Port();

    // Nothing sent, or a request that never ends: closed after the time-out.
    for (const char* partial : {"", "GET /page.htm HTTP/1.1\r\n"}) {
        const int fd = ConnectLoopback(port);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(SendAll(fd, partial));
        bool closed = false;
        EXPECT_EQ(ReadUntilClosed(fd, 5000, &closed), "");
        EXPECT_TRUE(closed) << "'" << partial << "'";
        close(fd);
    }

    // A client that keeps sending without a blank line is cut off long before
    // any time-out would fire.
    m_server.Shutdown();
    ASSERT_TRUE(m_server.Run(0, 60000));
    const int fd = ConnectLoopback(m_server.Port());
    ASSERT_GE(fd, 0);
    const std::string flood(8192, 'x');
    bool refused = false;
    for (int i = 0; i < 64 && !refused; ++i)
        refused = !SendAll(fd, flood);
    bool closed = false;
    ReadUntilClosed(fd, 5000, &closed);
    EXPECT_TRUE(closed || refused);
    close(fd);
    EXPECT_TRUE(WaitUntilQuiet(m_server));
}

TEST_F(SocketServerTest, StartAndStopFollowTheirRules)
{
    EXPECT_FALSE(m_server.Shutdown()); // not running

    // A port somebody else holds fails at once and leaves the server stopped.
    const int other = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(other, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(other, 1), 0);
    socklen_t len = sizeof addr;
    getsockname(other, reinterpret_cast<sockaddr*>(&addr), &len);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(m_server.Run(ntohs(addr.sin_port), 1000));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10));
    EXPECT_FALSE(m_server.IsRunning());
    close(other);

    ASSERT_TRUE(m_server.Run(0, 1000));
    EXPECT_FALSE(m_server.Run(0, 1000)); // already running
    const uint16_t first = m_server.Port();
    EXPECT_TRUE(m_server.Shutdown());
    EXPECT_FALSE(m_server.IsRunning());
    EXPECT_EQ(ConnectLoopback(first), -1);

    // It can be started again, on the same port too.
    ASSERT_TRUE(m_server.Run(first, 1000));
    EXPECT_EQ(Body(Get("page.htm")), "<html>page</html>");
    EXPECT_TRUE(m_server.Shutdown());

    // Every stop ends a listener asleep in accept at once and leaves no
    // descriptor behind (the listening socket and the events are closed).
    const auto openDescriptors = [] {
        size_t n = 0;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
            n += entry.path().filename() != "." ? 1 : 0;
        return n;
    };
    const size_t descriptors = openDescriptors();
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(m_server.Run(0, 1000));
        if (i % 2) {
            EXPECT_EQ(Body(Get("page.htm")), "<html>page</html>");
        }
        EXPECT_TRUE(m_server.Shutdown());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(openDescriptors(), descriptors);
}

TEST_F(SocketServerTest, ListensOnTheLoopbackAddressOnly)
{
    ASSERT_TRUE(m_server.Run(0, 1000));
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X", m_server.Port());
    std::ifstream table("/proc/net/tcp");
    std::string line;
    bool found = false;
    bool wildcard = false;
    char anyAddress[32];
    std::snprintf(anyAddress, sizeof anyAddress, "00000000:%04X", m_server.Port());
    while (std::getline(table, line)) {
        std::istringstream row(line);
        std::string slot, local;
        row >> slot >> local;
        found = found || local == wanted;
        wildcard = wildcard || local == anyAddress;
    }
    EXPECT_TRUE(found);
    EXPECT_FALSE(wildcard);
}

TEST_F(SocketServerTest, ShutdownWaitsForOpenConnections)
{
    ASSERT_TRUE(m_server.Run(0, 0)); // no time-out: only shutdown ends them
    std::vector<int> fds;
    for (int i = 0; i < 6; ++i) {
        fds.push_back(ConnectLoopback(m_server.Port()));
        ASSERT_GE(fds.back(), 0);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (m_server.ClientCount() < fds.size() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(m_server.ClientCount(), fds.size());

    EXPECT_TRUE(m_server.Shutdown());
    EXPECT_EQ(m_server.ClientCount(), 0u);
    EXPECT_EQ(m_server.FinishedCount(), 0u);
    for (int fd : fds) {
        bool closed = false;
        ReadUntilClosed(fd, 2000, &closed);
        EXPECT_TRUE(closed);
        close(fd);
    }
}

TEST_F(SocketServerTest, ManyConcurrentClientsAreAllAnswered)
{
    ASSERT_TRUE(m_server.Run(0, 5000));
    std::atomic<int> good{0};
    std::vector<std::thread> clients;
    for (int t = 0; t < 24; ++t) {
        clients.emplace_back([&] {
            for (int i = 0; i < 10; ++i) {
                if (Body(Get(i % 2 ? "page.htm" : "x.htm")) == (i % 2 ? "<html>page</html>" : "404 Resource not found"))
                    ++good;
            }
        });
    }
    for (auto& c : clients)
        c.join();
    EXPECT_EQ(good.load(), 240);
    EXPECT_TRUE(WaitUntilQuiet(m_server));
}
