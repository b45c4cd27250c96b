// Cost of loading the settings block from a realistic INI file, and of the
// write-through that replaces the file once per changed key.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "settings/parablock.h"
#include "platform/inifile.h"

namespace {

// An INI file as a reader's would look after some use: every settings key,
// both recent lists, window state and the bar layout sections.
std::string RealisticIni() {
    std::string t = "[ParaBlock]\n";
    for (int i = 0; i < PARA_VALUE_COUNT; ++i)
        if (i != RARA_CAN_ZOOM) t += std::string(CParaBlock::KeyName(i)) + "=" + std::to_string(CParaBlock::DefaultValue(i) + i) + "\n";
    t += "CurrentDir=/home/reader/书库/金庸\nCurrentPath=/home/reader/书库/金庸/天龙八部.zip\n"
         "CurPathInZip=*/tlbb/chapter041.htm\nHomepage=\nBkImage=/home/reader/图片/paper.jpg\nPARA_TXT_FONT_NAME=宋体\n\n";
    t += "[Recent File List]\n";
    for (int i = 1; i <= 8; ++i) t += "File" + std::to_string(i) + "=/home/reader/书库/book" + std::to_string(i) + ".txt\n";
    t += "\n[Recent Bookmark List]\n";
    for (int i = 1; i <= 8; ++i) t += "Bmk" + std::to_string(i) + "=Bookmark " + std::to_string(i) + "\n";
    t += "\n[WindowState]\nWindowPlacement=2C000000000000000100000000000000000000FFFFFFFF000000D2\n";
    for (int b = 0; b < 6; ++b) {
        t += "\n[BarSec-Bar" + std::to_string(b) + "]\n";
        for (int k = 0; k < 12; ++k) t += "Key" + std::to_string(k) + "=" + std::to_string(k * 37) + "\n";
    }
    t += "\n[Alarm]\nInfo1=该休息了\n";
    return t;
}

struct IniFixture {
    IniFixture() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "pagora-bench-XXXXXX").string();
        folder = mkdtemp(tmpl.data());
        path = folder + "/Pagora.ini";
        std::ofstream(path) << RealisticIni();
    }
    ~IniFixture() { std::filesystem::remove_all(folder); }
    std::string folder, path;
};

void BM_LoadMainBlock(benchmark::State& state) {
    IniFixture f;
    CParaBlock block;
    block.SetLocation("ParaBlock", &f.path);
    for (auto _ : state) {
        block.Load();
        benchmark::DoNotOptimize(block.GetValue(PARA_TXT_WIDTH));
    }
}
BENCHMARK(BM_LoadMainBlock);

void BM_SetValueWriteThrough(benchmark::State& state) {
    IniFixture f;
    CParaBlock block;
    block.SetLocation("ParaBlock", &f.path);
    int i = 0;
    for (auto _ : state) block.SetValue(PARA_SCROLL_PERIOD, ++i, true);
}
BENCHMARK(BM_SetValueWriteThrough)->Unit(benchmark::kMicrosecond);

void BM_SetStringWriteThrough(benchmark::State& state) {
    IniFixture f;
    CParaBlock block;
    block.SetLocation("ParaBlock", &f.path);
    int i = 0;
    for (auto _ : state)
        block.SetString(PARA_STR_CUR_PATH_IN_ZIP, "http://127.0.0.1:6122/tlbb/chapter" + std::to_string(++i) + ".htm#p", true);
}
BENCHMARK(BM_SetStringWriteThrough)->Unit(benchmark::kMicrosecond);

void BM_ReadOneKey(benchmark::State& state) {
    IniFixture f;
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::ini::GetString(f.path, "ParaBlock", "PARA_TXT_WIDTH", ""));
}
BENCHMARK(BM_ReadOneKey);

}  // namespace

BENCHMARK_MAIN();
