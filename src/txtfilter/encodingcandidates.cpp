#include "txtfilter/encodingcandidates.h"

#include <algorithm>
#include <cctype>

#include "platform/codepage.h"
#include "txtfilter/encodingdetector.h"
#include "txtfilter/streamtranscoder.h"

namespace txtfilter {

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Spellings iconv accepts for the same set, reduced to one.
std::string Canonical(const std::string& name) {
    std::string u = Upper(name);
    u.erase(std::remove(u.begin(), u.end(), '_'), u.end());
    u.erase(std::remove(u.begin(), u.end(), '-'), u.end());
    if (u == "UTF8") return "UTF-8";
    if (u == "SHIFTJIS" || u == "SJIS" || u == "CP932" || u == "WINDOWS31J" || u == "MSKANJI") return "CP932";
    if (u == "BIG5" || u == "CP950" || u == "BIG5HKSCS") return "BIG5";
    if (u == "GB18030") return "GB18030";
    if (u == "GBK" || u == "CP936") return "GBK";
    if (u == "EUCKR" || u == "CP949" || u == "UHC") return "CP949";
    if (u == "UTF16LE") return "UTF-16LE";
    if (u == "UTF16BE") return "UTF-16BE";
    if (u == "WINDOWS1252" || u == "CP1252") return "WINDOWS-1252";
    return Upper(name);
}

// The next code point of UTF-8 `s` at `i` (advanced); U+FFFD for a broken one.
char32_t NextCodePoint(const std::string& s, size_t& i) {
    const auto* b = reinterpret_cast<const uint8_t*>(s.data());
    const int k = CEncodingDetector::Utf8Length(b + i, s.size() - i);
    if (k <= 0) {
        ++i;
        return 0xFFFD;
    }
    char32_t c = k == 1 ? b[i] : b[i] & (0x7F >> k);
    for (int j = 1; j < k; ++j) c = (c << 6) | (b[i + j] & 0x3F);
    i += static_cast<size_t>(k);
    return c;
}

// Characters a book is made of: white space, printable ASCII, Latin, Greek
// and Cyrillic letters, punctuation, CJK punctuation, kana, the common CJK
// ideographs, Hangul syllables and full-width forms.
bool Plausible(char32_t c) {
    if (c == '\t' || c == '\n' || c == '\r') return true;
    if (c >= 0x20 && c < 0x7F) return true;
    if (c >= 0xA0 && c <= 0x24F) return true;
    if (c >= 0x370 && c <= 0x4FF) return true;
    if (c >= 0x2000 && c <= 0x206F) return true;
    if (c >= 0x2150 && c <= 0x27BF) return true;  // numbers, arrows, symbols, boxes
    if (c >= 0x3000 && c <= 0x30FF) return true;
    if (c >= 0x4E00 && c <= 0x9FFF) return true;
    if (c >= 0xAC00 && c <= 0xD7A3) return true;
    if (c >= 0xFF00 && c <= 0xFFEF) return true;
    return false;
}

bool Space(char32_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0x3000 || c == 0xA0; }

}  // namespace

std::vector<std::string> CEncodingCandidates::MenuEncodings(const std::string& localeSet) {
    std::vector<std::string> list = {"UTF-8", "GB18030", "BIG5", "UTF-16LE", "UTF-16BE", "CP932"};
    const bool listed =
        std::any_of(list.begin(), list.end(), [&](const std::string& n) { return Same(n, localeSet); });
    if (!localeSet.empty() && !listed && CEncodingDetector::Known(localeSet)) list.push_back(localeSet);
    return list;
}

std::string CEncodingCandidates::Label(const std::string& name) {
    const std::string c = Canonical(name);
    if (c == "BIG5") return "Big5";
    if (c == "CP932") return "Shift_JIS";
    if (c == "CP949") return "EUC-KR";
    if (c == "WINDOWS-1252") return "windows-1252";
    return c;
}

bool CEncodingCandidates::Same(const std::string& a, const std::string& b) { return Canonical(a) == Canonical(b); }

EncodingCandidate CEncodingCandidates::Read(const std::string& sample, const std::string& encoding) {
    EncodingCandidate c;
    c.name = encoding;
    c.label = Label(encoding);
    CStreamTranscoder stream(encoding, "UTF-8");
    if (!stream.Valid()) return c;
    const std::string head = sample.substr(0, kSampleBytes);
    size_t skip = 0;
    const EncodingGuess mark =
        CEncodingDetector::FromMark(reinterpret_cast<const uint8_t*>(head.data()), head.size());
    if (Same(mark.name, encoding)) skip = mark.markLength;
    std::string text;
    stream.Convert(reinterpret_cast<const uint8_t*>(head.data()) + skip, head.size() - skip, text);
    // Without Finish, a character cut by the end of the sample is held back,
    // not counted against the reading.
    const size_t replaced = stream.Replaced();
    size_t total = 0, plausible = 0;
    bool space = false;
    for (size_t i = 0; i < text.size();) {
        const char32_t ch = NextCodePoint(text, i);
        ++total;
        if (Plausible(ch)) ++plausible;
        if (c.preview.size() < kPreviewChars * 4 && CountChars(c.preview) < kPreviewChars) {
            if (Space(ch)) {
                space = !c.preview.empty();
            } else if (ch >= 0x20 && ch != 0x7F && ch != 0xFEFF) {
                if (space) c.preview += ' ';
                space = false;
                platform::AppendUtf8(c.preview, ch);
            }
        }
    }
    if (total > 0) {
        const double bad = 4.0 * static_cast<double>(replaced);
        c.score = std::max(0.0, (static_cast<double>(plausible) - bad) / static_cast<double>(total));
    }
    c.fits = c.score >= kFitScore;
    return c;
}

size_t CEncodingCandidates::CountChars(const std::string& utf8) {
    size_t n = 0;
    for (unsigned char ch : utf8)
        if ((ch & 0xC0) != 0x80) ++n;
    return n;
}

std::vector<EncodingCandidate> CEncodingCandidates::Rank(const std::string& sample, bool whole,
                                                         const std::string& localeSet) {
    const std::string head = sample.substr(0, kSampleBytes);
    const EncodingGuess guess = CEncodingDetector::Detect(reinterpret_cast<const uint8_t*>(head.data()),
                                                          head.size(), true, whole && head.size() == sample.size());
    std::vector<std::string> names = MenuEncodings(localeSet);
    if (!guess.name.empty() &&
        std::none_of(names.begin(), names.end(), [&](const std::string& n) { return Same(n, guess.name); }))
        names.push_back(guess.name);

    std::vector<EncodingCandidate> all;
    for (size_t i = 0; i < names.size(); ++i) {
        EncodingCandidate c = Read(head, names[i]);
        c.recognised = Same(names[i], guess.name);
        all.push_back(std::move(c));
    }
    // The recognised one first; then the plausible readings, best first;
    // then the rest as the menu lists them (a stable sort keeps that order).
    std::stable_sort(all.begin(), all.end(), [](const EncodingCandidate& a, const EncodingCandidate& b) {
        if (a.recognised != b.recognised) return a.recognised;
        if (a.fits != b.fits) return a.fits;
        if (a.fits) return a.score > b.score;
        return false;
    });
    if (!all.empty() && all.front().recognised) all.front().fits = true;
    return all;
}

}  // namespace txtfilter
