// Feeds arbitrary sets of stored entry names to the name decoding and the
// name table. Input: the first line is a detector verdict used for odd
// inputs (the real detector runs for even ones); every further line is one
// name, its first byte telling whether it is declared UTF-8 (odd) or not.
// Every name must afterwards be found by its readable and its stored form.

#include <clocale>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archivenametable.h"
#include "archive/firstpage.h"
#include "archive/zipmanager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool utf8 = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    (void)utf8;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> lines;
    for (size_t start = 0; start <= input.size();) {
        size_t end = input.find('\n', start);
        if (end == std::string_view::npos)
            end = input.size();
        lines.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() > 2000)
        return 0;
    const std::string verdict(lines[0]);
    std::vector<StoredName> stored;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty()) {
            stored.push_back({});
            continue;
        }
        // libzip hands out names as C strings: no NUL inside.
        std::string bytes(lines[i].substr(1));
        bytes = bytes.substr(0, bytes.find('\0'));
        stored.push_back({bytes, (static_cast<unsigned char>(lines[i][0]) & 1) != 0});
    }

    CArchiveNameTable table;
    if (size % 2)
        table.Build(stored, [&](const std::vector<std::string_view>&) { return verdict; });
    else
        table.Build(stored);
    if (table.Size() != stored.size())
        __builtin_trap();
    std::vector<std::string> readable;
    for (size_t i = 0; i < stored.size(); ++i) {
        uint64_t index = 0;
        const std::string& shown = table.Readable(i);
        if (stored[i].bytes.empty()) {
            if (!shown.empty())
                __builtin_trap();
            continue;
        }
        // Found by either form; a shared name leads to an entry of that name.
        if (!table.Find(shown, &index) || index >= stored.size() || table.Readable(index) != shown)
            __builtin_trap();
        if (!table.Find(stored[i].bytes, &index) || index >= stored.size())
            __builtin_trap();
        if (table.Readable(index) != stored[i].bytes && stored[index].bytes != stored[i].bytes)
            __builtin_trap();
        if (!CZipManager::IsDirectoryName(shown) && CZipManager::IsViewableName(shown))
            readable.push_back(shown);
    }
    if (!readable.empty())
        ChooseFirstPage(readable, "/x/book.zip", {"index", "目录"}, {"htm", "html"});
    return 0;
}
