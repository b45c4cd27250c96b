// Feeds arbitrary bytes to ZIP listing and extraction: the bytes become an
// archive file that is listed, sorted, and every listed entry (plus a few
// names that are not) extracted.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "archive/firstpage.h"
#include "archive/zipmanager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One scratch file per process, removed when the fuzzer exits.
    struct ScratchFile {
        std::string path = "/tmp/pagora-fuzz-" + std::to_string(::getpid()) + ".zip";
        ~ScratchFile() { std::remove(path.c_str()); }
    };
    static const ScratchFile scratch;
    const std::string& path = scratch.path;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    CZipManager manager;
    manager.Open(path);
    std::vector<std::string> names = manager.Entries();
    if (manager.HasEntries())
        ChooseFirstPage(names, path);
    manager.SelectFirst();
    manager.SetSortMode(0);
    manager.Sort();
    names.insert(names.end(), {"index.htm", "\\index.htm", "a/../b.htm", ""});
    for (const std::string& name : names) {
        size_t outSize = 0;
        char* buffer = manager.Extract(name, &outSize);
        if (buffer && outSize > 0)
            buffer[outSize - 1] ^= 1;  // the whole buffer must be ours
        std::free(buffer);
    }
    manager.Close();
    return 0;
}
