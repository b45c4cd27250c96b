// Opening archives of 10, 10 000 and 100 000 small pages, and extracting one
// 10 KB page from each: extraction must not grow with the archive.
//
//   build/bin/archive_zip_bench [--benchmark_filter=...]
// The archives are generated once into $TMPDIR/pagora-zip-bench/.
// libzip turns every entry's DOS time into a time_t with mktime(), and glibc
// re-reads /etc/localtime on each call while TZ is unset: compare a run with
// TZ=:/etc/localtime to see that share of the opening time.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <zip.h>

#include "settings/parablock.h"
#include "archive/archiveholder.h"

namespace {

std::string BenchFolder()
{
    static const std::string folder = [] {
        auto dir = std::filesystem::temp_directory_path() / "pagora-zip-bench";
        std::filesystem::create_directories(dir);
        return dir.string();
    }();
    return folder;
}

// An archive of `count` small pages in folders of 100, plus "book/big.htm" of 10 KB.
std::string ArchiveOf(int count)
{
    std::string path = BenchFolder() + "/pages-" + std::to_string(count) + ".zip";
    if (std::filesystem::exists(path))
        return path;
    std::string temp = path + ".part";
    int error = 0;
    zip_t* archive = zip_open(temp.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        std::abort();
    static const std::string page = "<html><body><p>A small page of a large book.</p></body></html>";
    static const std::string big = [] {
        std::string s;
        for (int i = 0; s.size() < 10240; ++i)
            s += "<p>Line " + std::to_string(i) + " of the big page, with some text to compress.</p>\n";
        s.resize(10240);
        return s;
    }();
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "book/part%04d/page%06d.htm", i / 100, i);
        zip_source_t* source = zip_source_buffer(archive, page.data(), page.size(), 0);
        zip_file_add(archive, name, source, ZIP_FL_ENC_GUESS);
    }
    zip_source_t* source = zip_source_buffer(archive, big.data(), big.size(), 0);
    zip_file_add(archive, "book/big.htm", source, ZIP_FL_ENC_GUESS);
    if (zip_close(archive) != 0)
        std::abort();
    std::filesystem::rename(temp, path);
    return path;
}

// The settings block writes "CurrentPath" and "CurPathInZip" through, as in the program.
void BindSettings()
{
    static std::string ini = BenchFolder() + "/Pagora.ini";
    MainParaBlock().SetLocation(kParaBlockSection, &ini);
}

void BM_OpenArchive(benchmark::State& state)
{
    BindSettings();
    std::string path = ArchiveOf(static_cast<int>(state.range(0)));
    CArchiveHolder holder;
    for (auto _ : state) {
        if (!holder.OpenArchive(path))
            state.SkipWithError("no entries");
    }
    state.counters["entries"] = static_cast<double>(state.range(0) + 1);
}
BENCHMARK(BM_OpenArchive)->Arg(10)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ExtractEntry(benchmark::State& state)
{
    BindSettings();
    std::string path = ArchiveOf(static_cast<int>(state.range(0)));
    CArchiveHolder holder;
    holder.OpenArchive(path);
    size_t total = 0;
    for (auto _ : state) {
        size_t size = 0;
        char* buffer = holder.ExtractByPath("book/big.htm", &size);
        if (!buffer)
            state.SkipWithError("not extracted");
        total += size;
        std::free(buffer);
    }
    state.SetBytesProcessed(static_cast<int64_t>(total));
}
BENCHMARK(BM_ExtractEntry)->Arg(10)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    const char* tz = std::getenv("TZ");
    benchmark::AddCustomContext("TZ", tz ? tz : "(unset)");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
