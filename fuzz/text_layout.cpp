// What the reader makes of a converted long text on its way to the engine,
// and the kept table heights read back from the profile folder: the part
// cutter and the table-hint writer over arbitrary page text in arbitrary
// pieces, and the layout record parser over arbitrary files.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "view/tablehints.h"
#include "view/textlayoutstore.h"
#include "view/textroute.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int part = 1 + data[0] % 4;
    const size_t step = 1 + data[1];
    const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);

    // Record text: whatever it is, either no heights or exactly the count it names.
    std::vector<uint32_t> heights = CTextLayoutStore::Parse(input, "file:///a.txt", "1 2");
    const std::string again = CTextLayoutStore::Format("file:///a.txt", "1 2", heights);
    if (!heights.empty() && CTextLayoutStore::Parse(again, "file:///a.txt", "1 2") != heights) __builtin_trap();

    // The page in pieces of `step` bytes: the hint writer keeps every byte
    // that is not a hint, and the cutter never gives more than it was fed
    // plus its notices.
    tablehints::CTableHintWriter writer({6400, 0, 1});
    textroute::CTextPartCutter cutter(part, 4096, "S", "E", "M");
    std::string hinted, cut;
    for (size_t at = 0; at < input.size(); at += step) {
        const size_t n = std::min(step, input.size() - at);
        writer.Feed(input.data() + at, n, hinted);
        cutter.Feed(input.data() + at, n, cut);
    }
    writer.Finish(hinted);
    cutter.Finish(cut);
    if (hinted.size() < input.size()) __builtin_trap();
    if (cut.size() > input.size() + 3) __builtin_trap();
    return 0;
}
