// pagora-txt2html FILE: writes the HTML page that the reader shows for a text
// file to standard output. It loads Pagora_txt.so from its own folder and runs
// the file through the filter registered in its URL-moniker session, exactly
// as the program does; the settings come from the INI file beside the tool.

#include <clocale>
#include <cstdio>
#include <cstring>

#include "settings/parablock.h"
#include "settings/sidefiles.h"
#include "session/textfiltermodule.h"
#include "platform/modulepath.h"
#include "platform/urlmon.h"

using namespace platform;

namespace {

void Shutdown() {
    RemoveTextFilter(false);
    FreeTextFilterModule();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: pagora-txt2html FILE\n");
        return 2;
    }
    std::setlocale(LC_ALL, "");

    // The tool is not named Pagora, so the library is found by its own name beside it.
    SideFiles files = MakeSideFiles();
    files.txtLib = ProgramFolder() + "/Pagora_txt.so";
    SetSideFiles(files);
    MainParaBlock().SetLocation("ParaBlock", &TheSideFiles().ini);
    MainParaBlock().Load();

    if (!LoadTextFilterModule()) {
        std::fprintf(stderr, "pagora-txt2html: cannot load %s\n", TextFilterModulePath().c_str());
        return 1;
    }
    RegisterTextFilter();
    if (!TextFilterRegistered()) {
        std::fprintf(stderr, "pagora-txt2html: the text filter could not be registered\n");
        Shutdown();
        return 1;
    }
    SetTextConversion(true);

    auto source = CFileSourceProtocol::Create();
    HRESULT hr;
    {
        CUrlmonDocument doc(source.Get(), "text/plain", argv[1]);
        hr = doc.Open();
        if (Failed(hr)) {
            std::fprintf(stderr, "pagora-txt2html: cannot open %s\n", argv[1]);
            Shutdown();
            return 1;
        }
        if (!doc.Filtered()) {
            std::fprintf(stderr, "pagora-txt2html: the text filter did not start\n");
            Shutdown();
            return 1;
        }
        hr = doc.Pump([](const char* bytes, size_t n) { return std::fwrite(bytes, 1, n, stdout) == n; });
    }
    Shutdown();
    if (std::fflush(stdout) != 0 || Failed(hr)) {
        std::fprintf(stderr, "pagora-txt2html: conversion failed (0x%08X)\n", static_cast<unsigned>(hr));
        return 1;
    }
    return 0;
}
