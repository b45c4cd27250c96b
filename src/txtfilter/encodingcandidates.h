#pragma once
// The encodings a reader may choose for a text, best first: what the
// recognition would take, then the others by how plausibly they read the
// text's first bytes, each with the first words as it would read them.

#include <cstddef>
#include <string>
#include <vector>

namespace txtfilter {

struct EncodingCandidate {
    std::string name;     // iconv name, the value kept for the text ("GB18030", "CP932")
    std::string label;    // what the reader sees ("GB18030", "Shift_JIS")
    std::string preview;  // the first words of the text in this reading (UTF-8)
    double score = 0;     // share of plausible characters, replacements counted against it
    bool fits = false;    // the reading is plausible: one of the best candidates
    bool recognised = false;  // the encoding the recognition takes for this text
};

class CEncodingCandidates {
public:
    // The encodings every menu offers, in this order, and the locale's own set
    // after them when it is none of these.
    static std::vector<std::string> MenuEncodings(const std::string& localeSet);
    // The name shown for an iconv name (the status bar, the menu).
    static std::string Label(const std::string& name);
    // Whether two iconv names stand for the same menu entry.
    static bool Same(const std::string& a, const std::string& b);

    // Ranks the menu's encodings (and the recognised one when it is none of
    // them) for a text whose first bytes are `sample`; `whole` when the sample
    // is the whole text. The recognised encoding comes first, then the
    // plausible readings by score, then the rest in menu order.
    static std::vector<EncodingCandidate> Rank(const std::string& sample, bool whole,
                                               const std::string& localeSet);

    // How many characters a preview holds at most.
    static constexpr size_t kPreviewChars = 24;
    // A reading is plausible from this score on.
    static constexpr double kFitScore = 0.9;
    // How much of a text is looked at.
    static constexpr size_t kSampleBytes = 65536;

    // The score and preview of reading `sample` as `encoding`.
    static EncodingCandidate Read(const std::string& sample, const std::string& encoding);

private:
    static size_t CountChars(const std::string& utf8);
};

}  // namespace txtfilter
