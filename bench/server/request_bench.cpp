// Cost of answering one request without sockets: parsing, extraction from a
// 10 000-entry archive and building the response. Run after
// make-bench-archive.py; BENCH_ARCHIVE names the archive (default
// /tmp/pagora-bench/book.zip).

#include "session/addressmapping.h"
#include "settings/parablock.h"
#include "archive/archiveholder.h"
#include "platform/modulepath.h"
#include "server/allocatorsetup.h"
#include "server/pageserver.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

server::CPageServer& Server()
{
    static std::string s_ini;
    static bool s_ready = [] {
        char tmpl[] = "/tmp/pagora-reqbench-XXXXXX";
        const char* dir = mkdtemp(tmpl);
        platform::SetProfileFolderForTesting(dir ? dir : "/tmp");
        s_ini = std::string(dir ? dir : "/tmp") + "/bench.ini";
        MainParaBlock().SetLocation(kParaBlockSection, &s_ini);
        const char* archive = std::getenv("BENCH_ARCHIVE");
        // The allocator as the program sets it at start-up.
        server::ConfigureAllocatorForServer();
        server::ThePageServer().Launch("index.htm", 0, 10000);
        return TheArchiveHolder().OpenArchive(archive ? archive : "/tmp/pagora-bench/book.zip");
    }();
    (void)s_ready;
    return server::ThePageServer();
}

void Answer(benchmark::State& state, const char* path)
{
    server::CPageServer& server = Server();
    const std::string request = std::string("GET /") + path + " HTTP/1.1\r\n\r\n";
    size_t bytes = 0;
    for (auto _ : state) {
        std::string response;
        bool keepAlive = false;
        server.ParseRequest(request, response, keepAlive);
        bytes += response.size();
        benchmark::DoNotOptimize(response.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

// Builds the answer to `request` as the connection threads do, head and
// entry in two buffers; returns its size.
size_t BuildInParts(server::CPageServer& server, const std::string& request)
{
    std::string head;
    server::CPageServer::BodyBuffer body;
    size_t bodySize = 0;
    bool keepAlive = false;
    server.BuildResponse(request, head, body, bodySize, keepAlive);
    benchmark::DoNotOptimize(body.get());
    return head.size() + bodySize;
}

// As the connection threads answer: head and entry stay two buffers.
void AnswerInParts(benchmark::State& state, const char* path)
{
    server::CPageServer& server = Server();
    const std::string request = std::string("GET /") + path + " HTTP/1.1\r\n\r\n";
    size_t bytes = 0;
    for (auto _ : state) {
        bytes += BuildInParts(server, request);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

// First reads of the archive's small chapters, as when a book is read for the
// first time: each entry is asked for once, so none comes from memory; after
// the last one the archive is opened again (not timed) to forget them all.
void BM_ChapterFirstReads(benchmark::State& state)
{
    server::CPageServer& server = Server();
    constexpr int kChapters = 10000 - 3;
    int next = 0;
    size_t bytes = 0;
    char path[64];
    for (auto _ : state) {
        if (next == kChapters) {
            state.PauseTiming();
            const char* archive = std::getenv("BENCH_ARCHIVE");
            TheArchiveHolder().OpenArchive(archive ? archive : "/tmp/pagora-bench/book.zip");
            next = 0;
            state.ResumeTiming();
        }
        std::snprintf(path, sizeof path, "GET /chapters/part%02d/ch%05d.htm HTTP/1.1\r\n\r\n", next / 500, next);
        ++next;
        bytes += BuildInParts(server, path);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_SmallPage(benchmark::State& state) { Answer(state, "bench/page.htm"); }
void BM_SmallPageInParts(benchmark::State& state) { AnswerInParts(state, "bench/page.htm"); }
void BM_LargePictureInParts(benchmark::State& state) { AnswerInParts(state, "bench/pic.jpg"); }
void BM_LargePicture(benchmark::State& state) { Answer(state, "bench/pic.jpg"); }
void BM_MissingEntry(benchmark::State& state) { Answer(state, "bench/missing.htm"); }

} // namespace

BENCHMARK(BM_SmallPage);
BENCHMARK(BM_LargePicture);
BENCHMARK(BM_MissingEntry);
BENCHMARK(BM_SmallPageInParts);
BENCHMARK(BM_LargePictureInParts);
BENCHMARK(BM_ChapterFirstReads);
BENCHMARK_MAIN();
