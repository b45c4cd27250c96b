// Opening a 10 000-entry RAR archive and extracting one entry from it, for
// RAR 4.x (libarchive path), solid RAR 4.x (unarr path) and RAR 5.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <zlib.h>

#include "settings/parablock.h"
#include "archive/rarmanager.h"

namespace {

constexpr int kEntries = 10000;

uint32_t Crc(const std::string& s)
{
    return static_cast<uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}

void Le(std::string& out, uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(v >> (8 * i));
}

std::string Block4(unsigned type, unsigned flags, const std::string& body)
{
    std::string rest;
    Le(rest, type, 1);
    Le(rest, flags, 2);
    Le(rest, 7 + body.size(), 2);
    rest += body;
    std::string out;
    Le(out, Crc(rest.substr(0)) & 0xFFFF, 2);
    return out + rest;
}

std::string Vint(uint64_t v)
{
    std::string out;
    do {
        unsigned char b = v & 0x7F;
        v >>= 7;
        out += static_cast<char>(v ? b | 0x80 : b);
    } while (v);
    return out;
}

std::string Block5(uint64_t type, uint64_t flags, const std::string& fields, uint64_t dataSize, bool hasData)
{
    std::string body = Vint(type) + Vint(flags | (hasData ? 2 : 0));
    if (hasData)
        body += Vint(dataSize);
    body += fields;
    std::string sized = Vint(body.size()) + body;
    std::string out;
    Le(out, Crc(sized), 4);
    return out + sized;
}

std::string Page(int i)
{
    std::string text = "<html><body><h1>Chapter " + std::to_string(i) + "</h1>";
    while (text.size() < 900)
        text += "<p>Some reading text of a chapter in a large book.</p>";
    return text + "</body></html>";
}

std::string Name(int i) { return "book\\part" + std::to_string(i / 100) + "\\ch" + std::to_string(i) + ".htm"; }

std::string MakeRar4(bool solid)
{
    std::string out("Rar!\x1a\x07\x00", 7);
    std::string main;
    Le(main, 0, 6);
    out += Block4(0x73, solid ? 0x08 : 0, main);
    for (int i = 0; i < kEntries; ++i) {
        std::string data = Page(i), name = Name(i), body;
        Le(body, data.size(), 4);
        Le(body, data.size(), 4);
        Le(body, 2, 1);
        Le(body, Crc(data), 4);
        Le(body, 0x5A6B0000, 4);
        Le(body, 29, 1);
        Le(body, 0x30, 1);
        Le(body, name.size(), 2);
        Le(body, 0x20, 4);
        body += name;
        out += Block4(0x74, 0x8000 | (solid && i > 0 ? 0x10 : 0), body) + data;
    }
    return out + Block4(0x7B, 0, "");
}

std::string MakeRar5()
{
    std::string out("Rar!\x1a\x07\x01\x00", 8);
    out += Block5(1, 0, Vint(0), 0, false);
    for (int i = 0; i < kEntries; ++i) {
        std::string data = Page(i), name = Name(i);
        for (char& c : name)
            if (c == '\\')
                c = '/';
        std::string fields = Vint(0x04) + Vint(data.size()) + Vint(0x20);
        Le(fields, Crc(data), 4);
        fields += Vint(0) + Vint(0) + Vint(name.size()) + name;
        out += Block5(2, 0, fields, data.size(), true) + data;
    }
    return out + Block5(5, 0, Vint(0), 0, false);
}

struct Setup {
    std::string dir, ini, rar4, solid4, rar5;
    Setup()
    {
        char tmpl[] = "/tmp/pagora-rar-bench-XXXXXX";
        dir = mkdtemp(tmpl);
        ini = dir + "/Pagora.ini";
        MainParaBlock().SetLocation(kParaBlockSection, &ini);
        rar4 = Write("book4.rar", MakeRar4(false));
        solid4 = Write("solid4.rar", MakeRar4(true));
        rar5 = Write("book5.rar", MakeRar5());
    }
    ~Setup() { std::system(("rm -rf '" + dir + "'").c_str()); }
    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::string path = dir + "/" + name;
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    }
};

Setup& TheSetup()
{
    static Setup setup;
    return setup;
}

const std::string& PathFor(int kind)
{
    Setup& s = TheSetup();
    return kind == 0 ? s.rar4 : kind == 1 ? s.solid4 : s.rar5;
}

void BM_OpenRar(benchmark::State& state)
{
    const std::string& path = PathFor(static_cast<int>(state.range(0)));
    CRarManager manager;
    for (auto _ : state) {
        manager.Open(path);
        if (manager.ListedCount() != kEntries)
            state.SkipWithError("listing failed");
    }
}

// The entry in the middle of the archive: half the headers are walked twice
// (by the manager and by the library), and for solid archives half the data
// is unpacked on the way.
void BM_ExtractOne(benchmark::State& state)
{
    const std::string& path = PathFor(static_cast<int>(state.range(0)));
    CRarManager manager;
    manager.Open(path);
    const std::string name = "book/part50/ch5000.htm";
    for (auto _ : state) {
        size_t size = 0;
        char* data = manager.Extract(name, &size);
        if (!data || size != Page(5000).size())
            state.SkipWithError("extraction failed");
        std::free(data);
    }
}

}  // namespace

// 0: RAR 4.x, 1: solid RAR 4.x, 2: RAR 5.
BENCHMARK(BM_OpenRar)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractOne)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
