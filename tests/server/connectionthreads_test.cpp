// Reuse of connection threads: a finished thread parks and serves the next
// connection, parked threads are ended when idle and at shutdown, and a
// response sent in two parts reaches a slow reader byte for byte.

#include "support/loopbackclient.h"
#include "server/pageserver.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

using server::CPageServer;
using namespace testing_support;

namespace {

std::string MakeBig()
{
    std::string big(2 * 1024 * 1024 + 333, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 2654435761u) >> 13);
    return big;
}

const std::string& Big()
{
    static const std::string s_big = MakeBig();
    return s_big;
}

char* Copy(const std::string& data, size_t* size)
{
    *size = data.size();
    char* buf = static_cast<char*>(std::malloc(data.size() + 1));
    std::memcpy(buf, data.data(), data.size());
    return buf;
}

// Remembers which thread sent each response.
class RecordingServer : public CPageServer {
public:
    RecordingServer()
        : CPageServer([](const std::string& path, size_t* size) -> char* {
            if (path == "page.htm")
                return Copy("<html>page</html>", size);
            if (path == "big.bin")
                return Copy(Big(), size);
            return nullptr;
        })
    {
    }
    ~RecordingServer() override { Shutdown(); }

    int OnSent(size_t) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_senders.push_back(pthread_self());
        return 0;
    }
    std::vector<pthread_t> Senders()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_senders;
    }

private:
    std::mutex m_lock;
    std::vector<pthread_t> m_senders;
};

int ProcessThreads()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "Threads:") {
            int n = 0;
            status >> n;
            return n;
        }
    }
    return -1;
}

// The thread count before a test starts its server. One thread is started and
// joined first: a sanitizer runtime starts a helper thread of its own at the
// process's first thread creation, which must not be counted as the server's.
int BaselineThreads()
{
    std::thread([] {}).join();
    return ProcessThreads();
}

template <typename Condition>
bool WaitFor(Condition condition, int ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string Request(uint16_t port, const std::string& path)
{
    return "GET /" + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
}

std::string Body(const std::string& response)
{
    const size_t end = response.find("\r\n\r\n");
    return end == std::string::npos ? "<no body>" : response.substr(end + 4);
}

} // namespace

TEST(ConnectionThreads, FinishedThreadServesTheNextConnectionAndEndsWhenIdle)
{
    const int before = BaselineThreads();
    RecordingServer server;
    ASSERT_TRUE(server.Run(0, 2000));
    const uint16_t port = server.Port();

    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Body(Exchange(port, {Request(port, "page.htm")})), "<html>page</html>");
        // Parked before the next connection arrives, so that one takes it.
        ASSERT_TRUE(WaitFor([&] { return server.FinishedCount() == 1 && server.ClientCount() == 0; }, 2000));
    }
    const std::vector<pthread_t> senders = server.Senders();
    ASSERT_EQ(senders.size(), 3u);
    EXPECT_TRUE(pthread_equal(senders[0], senders[1]) && pthread_equal(senders[1], senders[2]));
    // Listener, reaper and the one parked thread.
    EXPECT_EQ(ProcessThreads(), before + 3);

    // Left idle, the parked thread is ended and joined.
    ASSERT_TRUE(WaitFor([&] { return server.FinishedCount() == 0; }, CPageServer::kParkedIdleMs + 3000));
    EXPECT_TRUE(WaitFor([&] { return ProcessThreads() == before + 2; }, 2000));

    // The next connection gets a thread of its own again.
    EXPECT_EQ(Body(Exchange(port, {Request(port, "page.htm")})), "<html>page</html>");
    EXPECT_TRUE(server.Shutdown());
    EXPECT_EQ(ProcessThreads(), before);
}

TEST(ConnectionThreads, ShutdownEndsParkedThreadsAfterConcurrentClients)
{
    const int before = BaselineThreads();
    RecordingServer server;
    ASSERT_TRUE(server.Run(0, 5000));
    const uint16_t port = server.Port();
    std::atomic<int> good{0};
    std::vector<std::thread> clients;
    for (int t = 0; t < 16; ++t) {
        clients.emplace_back([&, t] {
            for (int i = 0; i < 8; ++i) {
                const bool big = (t + i) % 5 == 0;
                const std::string body = Body(Exchange(port, {Request(port, big ? "big.bin" : "page.htm")}, 20000));
                if (body == (big ? Big() : std::string("<html>page</html>")))
                    ++good;
            }
        });
    }
    for (auto& c : clients)
        c.join();
    EXPECT_EQ(good.load(), 16 * 8);
    ASSERT_TRUE(WaitFor([&] { return server.ClientCount() == 0; }, 5000));
    // Fewer threads than connections: finished ones were taken again.
    const std::vector<pthread_t> senders = server.Senders();
    std::set<std::string> distinct;
    for (const pthread_t& t : senders)
        distinct.insert(std::string(reinterpret_cast<const char*>(&t), sizeof t));
    EXPECT_LT(distinct.size(), senders.size());

    EXPECT_TRUE(server.Shutdown());
    EXPECT_EQ(server.ClientCount(), 0u);
    EXPECT_EQ(server.FinishedCount(), 0u);
    EXPECT_EQ(ProcessThreads(), before);

    // A parked thread of the last run never serves the next one.
    ASSERT_TRUE(server.Run(0, 5000));
    EXPECT_EQ(Body(Exchange(server.Port(), {Request(server.Port(), "page.htm")})), "<html>page</html>");
    EXPECT_TRUE(server.Shutdown());
    EXPECT_EQ(ProcessThreads(), before);
}

TEST(ConnectionThreads, SlowReaderGetsHeadAndEntryExactlyAsOneText)
{
    RecordingServer server;
    ASSERT_TRUE(server.Run(0, 10000));
    const uint16_t port = server.Port();
    const std::string request = Request(port, "big.bin");

    // A small receive window and pauses make the server stop and resume its
    // sending many times, inside the head's part as well as the entry's.
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    const int window = 4096;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_TRUE(SendAll(fd, request));
    std::string received;
    char piece[97];
    for (int reads = 0;; ++reads) {
        if (reads < 40)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const ssize_t n = recv(fd, piece, sizeof piece, 0);
        if (n <= 0)
            break;
        received.append(piece, static_cast<size_t>(n));
    }
    close(fd);

    std::string whole;
    bool keepAlive = true;
    ASSERT_TRUE(server.ParseRequest(request, whole, keepAlive));
    // Equal apart from the date, which may have moved on by a second.
    const auto withoutDate = [](std::string text) {
        const size_t at = text.find("Date: ");
        return at == std::string::npos ? text : text.erase(at, text.find("\r\n", at) - at);
    };
    EXPECT_EQ(received.size(), whole.size());
    EXPECT_TRUE(withoutDate(received) == withoutDate(whole));
    EXPECT_EQ(server.Senders().size(), 1u);
}

TEST(ConnectionThreads, ParkedThreadWaitsForTheRequestAndKeepsTheIdleLimit)
{
    RecordingServer server;
    ASSERT_TRUE(server.Run(0, 400));
    const uint16_t port = server.Port();
    EXPECT_EQ(Body(Exchange(port, {Request(port, "page.htm")})), "<html>page</html>");
    ASSERT_TRUE(WaitFor([&] { return server.FinishedCount() == 1; }, 2000));

    // The parked thread takes a connection whose request comes late, in two
    // pieces: it is answered in full.
    int fd = ConnectLoopback(port);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(WaitFor([&] { return server.ClientCount() == 1 && server.FinishedCount() == 0; }, 2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const std::string request = Request(port, "page.htm");
    ASSERT_TRUE(SendAll(fd, request.substr(0, 10)));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(SendAll(fd, request.substr(10)));
    EXPECT_EQ(Body(ReadUntilClosed(fd, 5000)), "<html>page</html>");
    close(fd);
    ASSERT_TRUE(WaitFor([&] { return server.FinishedCount() == 1 && server.ClientCount() == 0; }, 2000));

    // One that never sends a byte is closed once the idle limit has passed
    // since the hand-over, neither much sooner nor much later.
    fd = ConnectLoopback(port);
    ASSERT_GE(fd, 0);
    const auto connected = std::chrono::steady_clock::now();
    bool closed = false;
    EXPECT_EQ(ReadUntilClosed(fd, 5000, &closed), "");
    const auto waited = std::chrono::steady_clock::now() - connected;
    EXPECT_TRUE(closed);
    EXPECT_GE(waited, std::chrono::milliseconds(350));
    EXPECT_LT(waited, std::chrono::milliseconds(2000));
    close(fd);
    const std::vector<pthread_t> senders = server.Senders();
    ASSERT_EQ(senders.size(), 2u);
    EXPECT_TRUE(pthread_equal(senders[0], senders[1]));
    EXPECT_TRUE(server.Shutdown());
}

TEST(ConnectionThreads, ShutdownEndsAParkedThreadHoldingASilentConnection)
{
    const int before = BaselineThreads();
    RecordingServer server;
    ASSERT_TRUE(server.Run(0, 0)); // no idle limit: only shutdown ends it
    const uint16_t port = server.Port();
    EXPECT_EQ(Body(Exchange(port, {Request(port, "page.htm")})), "<html>page</html>");
    ASSERT_TRUE(WaitFor([&] { return server.FinishedCount() == 1; }, 2000));
    const int fd = ConnectLoopback(port);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(WaitFor([&] { return server.ClientCount() == 1 && server.FinishedCount() == 0; }, 2000));

    const auto asked = std::chrono::steady_clock::now();
    EXPECT_TRUE(server.Shutdown());
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
    EXPECT_EQ(server.ClientCount(), 0u);
    bool closed = false;
    ReadUntilClosed(fd, 2000, &closed);
    EXPECT_TRUE(closed);
    close(fd);
    EXPECT_EQ(ProcessThreads(), before);
}
