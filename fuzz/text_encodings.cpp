// Feeds arbitrary bytes to the encoding menu's ranking (as the first bytes of
// a text) and to the parser of the kept encoding choices. Every ranking must
// offer each menu encoding once with previews that are valid UTF-8 of bounded
// length, and parsed choices must survive a write and a read unchanged.

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "txtfilter/encodingcandidates.h"
#include "txtfilter/encodingdetector.h"
#include "view/textencodingchoices.h"

using txtfilter::CEncodingCandidates;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool utf8 = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    (void)utf8;
    const std::string input(reinterpret_cast<const char*>(data), size);

    const bool whole = size % 2 == 0;
    const auto ranked = CEncodingCandidates::Rank(input, whole, "UTF-8");
    std::set<std::string> names;
    for (const auto& c : ranked) {
        if (!names.insert(c.label).second) std::abort();  // an encoding offered twice
        if (!txtfilter::CEncodingDetector::IsUtf8(reinterpret_cast<const uint8_t*>(c.preview.data()),
                                                  c.preview.size(), true))
            std::abort();
        if (c.preview.size() > CEncodingCandidates::kPreviewChars * 4) std::abort();
        if (c.score < 0 || c.score > 1) std::abort();
    }
    if (ranked.size() < CEncodingCandidates::MenuEncodings("UTF-8").size()) std::abort();

    const auto entries = CTextEncodingChoices::Parse(input);
    if (CTextEncodingChoices::Parse(CTextEncodingChoices::Format(entries)) != entries) std::abort();
    return 0;
}
