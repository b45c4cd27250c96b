// Request handling of the page server, driven without sockets.

#include "server/pageserver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <regex>

using server::CPageServer;

namespace {

// An archive stand-in: entry names to contents; records every request path.
struct FakeArchive {
    std::map<std::string, std::string> entries;
    std::vector<std::string> asked;

    CPageServer::Extractor Extractor()
    {
        return [this](const std::string& path, size_t* size) -> char* {
            asked.push_back(path);
            const auto it = entries.find(path);
            if (it == entries.end())
                return nullptr;
            *size = it->second.size();
            char* buf = static_cast<char*>(std::malloc(it->second.size() + 1));
            std::memcpy(buf, it->second.data(), it->second.size());
            return buf;
        };
    }
};

std::string Answer(CPageServer& server, const std::string& request, bool* ok = nullptr)
{
    std::string response = "<untouched>";
    bool keepAlive = true;
    const bool parsed = server.ParseRequest(request, response, keepAlive);
    EXPECT_FALSE(keepAlive);
    if (ok)
        *ok = parsed;
    return response;
}

std::string Body(const std::string& response)
{
    const size_t end = response.find("\r\n\r\n");
    return end == std::string::npos ? "<no body>" : response.substr(end + 4);
}

const char* const kDatePattern = "[A-Z][a-z]{2}, [0-9]{2} [A-Z][a-z]{2} [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} GMT";

} // namespace

TEST(PageServerRequest, CompleteOnlyWhenTextEndsWithBlankLine)
{
    CPageServer server;
    EXPECT_FALSE(server.IsRequestComplete(""));
    EXPECT_FALSE(server.IsRequestComplete("\r\n\r"));
    EXPECT_TRUE(server.IsRequestComplete("\r\n\r\n"));
    EXPECT_TRUE(server.IsRequestComplete("GET / HTTP/1.1\r\nHost: x\r\n\r\n"));
    EXPECT_FALSE(server.IsRequestComplete("GET / HTTP/1.1\r\nHost: x\r\n"));
    EXPECT_FALSE(server.IsRequestComplete("GET / HTTP/1.1\r\n\r\nextra"));
    EXPECT_FALSE(server.IsRequestComplete("GET / HTTP/1.1\n\n"));
}

TEST(PageServerRequest, PathsMapToEntryNamesWithDefaultDocument)
{
    FakeArchive archive;
    archive.entries = {{"index.htm", "root"}, {"book/index.htm", "book"}, {"a/b c.htm", "spaced"}};
    CPageServer server(archive.Extractor());

    struct Row {
        const char* request;
        const char* asked;
        const char* body;
    } rows[] = {
        {"GET / HTTP/1.1\r\n\r\n", "index.htm", "root"},
        {"GET /book/ HTTP/1.1\r\n\r\n", "book/index.htm", "book"},
        // Escapes are passed on undecoded: decoding belongs to the holder.
        {"GET /a/b%20c.htm HTTP/1.1\r\n\r\n", "a/b%20c.htm", "404 Resource not found"},
        {"GET  HTTP/1.0\r\n\r\n", "index.htm", "root"},
    };
    for (const Row& row : rows) {
        archive.asked.clear();
        const std::string response = Answer(server, row.request);
        ASSERT_EQ(archive.asked.size(), 1u) << row.request;
        EXPECT_EQ(archive.asked[0], row.asked) << row.request;
        EXPECT_EQ(Body(response), row.body) << row.request;
    }
}

TEST(PageServerRequest, ContentTypeComesFromTheLastExtension)
{
    CPageServer server;
    struct Row {
        const char* path;
        const char* type;
    } rows[] = {
        {"a/b.HTM", "text/html"},      {"a/b.png", "text/html"},  {"x.rtf", "text/richtext"},
        {"noextension", "text/html"},  {"a.b/c", "text/html"},    {"x.tar.gz", "application/x-gzip"},
        {"pic.JPG", "image/jpeg"},     {"s.css", "text/css"},     {"t.txt", "text/plain"},
        {"m.mht", "multipart/related"}, {"p.php", "wwwserver/isapi"}, {"d.doc", "application/msword"},
        {"trailingdot.", "text/html"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(server.ContentTypeOf(row.path), row.type) << row.path;
}

TEST(PageServerRequest, SuccessResponseIsFormattedExactly)
{
    FakeArchive archive;
    const std::string page("<p>\0binary\r\n\r\nbytes</p>", 24);
    archive.entries = {{"dir/page.txt", page}};
    CPageServer server(archive.Extractor());

    // A range request is ignored: the whole entry comes with status 200.
    const std::string response = Answer(server, "GET /dir/page.txt HTTP/1.1\r\nRange: bytes=2-5\r\n\r\n");
    const std::regex header(std::string("HTTP/1.0 200 OK\r\nDate: ") + kDatePattern +
                            "\r\nServer: PagoraWebServer/0.1b\r\nAccept-Ranges: bytes\r\nContent-Length: 24\r\n"
                            "Connection: close\r\nContent-Type: text/plain\r\n"
                            "Pragma:No-cache\r\nCache-Control:no-cache\r\nExpires:0\r\n\r\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(response, m, header, std::regex_constants::match_continuous)) << response;
    EXPECT_EQ(response.substr(m.length(0)), page);
}

TEST(PageServerRequest, ErrorResponsesAreFormattedExactly)
{
    FakeArchive archive;
    archive.entries = {{"index.htm", "x"}};
    CPageServer server(archive.Extractor());

    const std::string missing = Answer(server, "GET /missing.htm HTTP/1.1\r\n\r\n");
    EXPECT_TRUE(std::regex_match(missing, std::regex(std::string("HTTP/1.0 404 Resource not found\r\nContent-Length: 22\r\n"
                                                                 "Content-Type: text/html\r\nDate: ") +
                                                     kDatePattern + "\r\nServer: PagoraWebServer/0.1b\r\n\r\n404 Resource not found")))
        << missing;

    for (const char* request : {"POST /index.htm HTTP/1.1\r\n\r\n", "get / HTTP/1.1\r\n\r\n", "HEAD\x20/\r\n\r\n",
                                "POST /nospace\r\n\r\n"}) {
        archive.asked.clear();
        const std::string reply = Answer(server, request);
        EXPECT_EQ(reply.rfind("HTTP/1.0 501 Not Implemented\r\nContent-Length: 19\r\n", 0), 0u) << request;
        EXPECT_EQ(Body(reply), "501 Not Implemented") << request;
        EXPECT_TRUE(archive.asked.empty()) << request;
    }
}

TEST(PageServerRequest, MalformedRequestLinesGetNoAnswer)
{
    FakeArchive archive;
    CPageServer server(archive.Extractor());
    for (const char* request : {"GET\r\n\r\n", "GET /index.htm\r\n\r\n", "", "\r\n\r\n"}) {
        bool ok = true;
        const std::string reply = Answer(server, request, &ok);
        EXPECT_FALSE(ok) << request;
        EXPECT_EQ(reply, "<untouched>") << request;
    }
    EXPECT_TRUE(archive.asked.empty());
}

TEST(PageServerRequest, WithoutArchiveEverythingIsNotFound)
{
    CPageServer server;
    const std::string reply = Answer(server, "GET /index.htm HTTP/1.1\r\n\r\n");
    EXPECT_EQ(Body(reply), "404 Resource not found");
}

TEST(PageServerRequest, HttpDateUsesEnglishNamesInUtc)
{
    EXPECT_EQ(CPageServer::FormatHttpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
    EXPECT_EQ(CPageServer::FormatHttpDate(1796766847), "Tue, 08 Dec 2026 21:54:07 GMT");
    EXPECT_EQ(CPageServer::FormatHttpDate(951782400), "Tue, 29 Feb 2000 00:00:00 GMT");
}

TEST(PageServerRequest, OnlyOwnHostNamesAreAnswered)
{
    FakeArchive archive;
    archive.entries = {{"index.htm", "secret"}};
    CPageServer server(archive.Extractor());
    ASSERT_TRUE(server.Run(0, 1000));
    const std::string port = std::to_string(server.Port());

    struct Row {
        std::string headers;
        bool served;
    } rows[] = {
        {"", true},
        {"Host: 127.0.0.1:" + port + "\r\n", true},
        {"host:   LOCALHOST:" + port + "  \r\n", true},
        {"User-Agent: x\r\nHOST: localhost:" + port + "\r\nAccept: */*\r\n", true},
        {"Host: evil.example:" + port + "\r\n", false},
        {"Host: 127.0.0.1\r\n", false},
        {"Host: 127.0.0.1:1" + port + "\r\n", false},
        {"Host: 127.0.0.1:" + port + "\r\nHost: evil.example:" + port + "\r\n", false},
        {"Host: 127.0.0.2:" + port + "\r\n", false},
    };
    for (const Row& row : rows) {
        const std::string reply = Answer(server, "GET / HTTP/1.1\r\n" + row.headers + "\r\n");
        EXPECT_EQ(Body(reply), row.served ? "secret" : "404 Resource not found") << row.headers;
    }
    EXPECT_TRUE(server.Shutdown());
}

TEST(PageServerRequest, TwoPartResponseEqualsTheWholeText)
{
    FakeArchive archive;
    archive.entries["a.htm"] = "<p>a</p>";
    archive.entries["empty.htm"] = "";
    CPageServer server(archive.Extractor());
    for (const std::string request : {"GET /a.htm HTTP/1.1\r\n\r\n", "GET /empty.htm HTTP/1.1\r\n\r\n",
                                      "GET /none.htm HTTP/1.1\r\n\r\n", "POST /a.htm HTTP/1.1\r\n\r\n"}) {
        std::string head;
        CPageServer::BodyBuffer body;
        size_t bodySize = 99;
        bool keepAlive = true;
        ASSERT_TRUE(server.BuildResponse(request, head, body, bodySize, keepAlive)) << request;
        EXPECT_FALSE(keepAlive);
        std::string joined = head;
        if (body)
            joined.append(body.get(), bodySize);
        else
            EXPECT_EQ(bodySize, 0u) << request;
        EXPECT_EQ(joined, Answer(server, request)) << request;
    }
    // A dropped request yields neither part.
    std::string head;
    CPageServer::BodyBuffer body;
    size_t bodySize = 0;
    bool keepAlive = false;
    EXPECT_FALSE(server.BuildResponse("GET\r\n\r\n", head, body, bodySize, keepAlive));
    EXPECT_FALSE(body);
}
