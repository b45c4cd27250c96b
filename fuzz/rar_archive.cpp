// Feeds arbitrary bytes to the RAR reader: the header scanner on memory, then
// listing and extraction of every file through the real reader on a file.
// Input with a second RAR signature is cut there into two volumes of a set,
// so that split files and the joining of their pieces are reached too.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "archive/rarbackend.h"
#include "archive/rarmemorysource.h"
#include "archive/rarvolumes.h"
#include "archive/rarvolumescanner.h"

namespace {

int Callback(unsigned message, void* context, intptr_t p1, intptr_t p2)
{
    auto* total = static_cast<size_t*>(context);
    if (message == kRarProcessData) {
        // Touch every byte handed out, so that a bad pointer shows.
        const auto* data = reinterpret_cast<const unsigned char*>(p1);
        for (intptr_t i = 0; i < p2; ++i)
            *total += data[i];
        return 0;
    }
    return -1;  // no password, no other volume
}

std::string TempPath(int volume)
{
    return "/tmp/pagora-fuzz-rar-" + std::to_string(getpid()) + ".part" + std::to_string(volume) + ".rar";
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    return true;
}

// Where a second volume begins: the last RAR signature after the first byte.
size_t SecondVolumeAt(const uint8_t* data, size_t size)
{
    static const unsigned char mark[6] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07};
    for (size_t at = size >= 6 ? size - 6 : 0; at > 0; --at)
        if (std::memcmp(data + at, mark, 6) == 0)
            return at;
    return size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CRarMemorySource source(data, size);
    RarVolumeInfo info = CRarVolumeScanner::Scan(source);
    if (!info.files.empty())
        CRarVolumeScanner::DecodeRar4UnicodeName(info.files[0].rawName, info.files[0].rawName);
    NextRarVolumeName(std::string(reinterpret_cast<const char*>(data), size < 64 ? size : 64), size & 1);

    const std::string path = TempPath(1);
    const size_t second = SecondVolumeAt(data, size);
    if (!WriteFile(path, data, second))
        return 0;
    if (second < size)
        WriteFile(TempPath(2), data + second, size - second);
    else
        std::remove(TempPath(2).c_str());
    CRarBackend backend;
    size_t total = 0;
    int result = 0;
    auto archive = backend.OpenArchive(path, kRarOpenExtract, &Callback, &total, &result);
    if (archive) {
        RarHeaderEx header;
        for (int i = 0; i < 1000 && archive->ReadHeaderEx(header) == kRarSuccess; ++i)
            archive->ProcessFile(i % 3 == 2 ? kRarSkip : kRarTest);
        archive->Close();
    }
    return 0;
}
