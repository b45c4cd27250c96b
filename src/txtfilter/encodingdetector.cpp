#include "txtfilter/encodingdetector.h"

#include <iconv.h>
#include <uchardet.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

#include "platform/codepage.h"
#include "txtfilter/unicodetest.h"

namespace txtfilter {

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// uchardet names the standard set; texts written on Windows use its superset.
std::string DecoderFor(const std::string& detected) {
    const std::string u = Upper(detected);
    if (u == "EUC-KR" || u == "UHC") return "CP949";
    if (u == "SHIFT_JIS") return "CP932";
    if (u == "ISO-8859-1") return "WINDOWS-1252";
    return u;
}

// How many 16-bit units, taking the byte at offset `high` of each pair as the
// high byte, are ASCII or lie in the common CJK ranges: the reading that
// gives more of them is the text's byte order.
size_t TextLikeUnits(const uint8_t* b, size_t length, size_t high) {
    size_t count = 0;
    for (size_t i = 0; i + 1 < length; i += 2) {
        const uint8_t hi = b[i + high], lo = b[i + 1 - high];
        if ((hi == 0 && lo >= 0x09 && lo < 0x7F) || hi == 0x20 || hi == 0x30 || (hi >= 0x4E && hi <= 0x9F) ||
            hi == 0xFF)
            ++count;
    }
    return count;
}

struct UchardetDeleter {
    void operator()(uchardet_t d) const { uchardet_delete(d); }
};

}  // namespace

EncodingGuess CEncodingDetector::FromMark(const uint8_t* b, size_t n) {
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return {"UTF-8", 3};
    if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) return {"UTF-16LE", 2};
    if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) return {"UTF-16BE", 2};
    return {};
}

int CEncodingDetector::Utf8Length(const uint8_t* b, size_t left) {
    const uint8_t c = b[0];
    if (c < 0x80) return 1;
    size_t need;
    uint8_t lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        if (c == 0xE0) lo = 0xA0;       // overlong
        else if (c == 0xED) hi = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        if (c == 0xF0) lo = 0x90;       // overlong
        else if (c == 0xF4) hi = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    for (size_t k = 1; k <= need; ++k) {
        if (k >= left) return -1;
        const uint8_t t = b[k];
        if (k == 1 ? (t < lo || t > hi) : (t < 0x80 || t > 0xBF)) return 0;
    }
    return static_cast<int>(need + 1);
}

bool CEncodingDetector::IsUtf8(const uint8_t* b, size_t n, bool whole) {
    for (size_t i = 0; i < n;) {
        if (b[i] < 0x80) {
            ++i;
            continue;
        }
        const int k = Utf8Length(b + i, n - i);
        if (k == 0) return false;
        if (k < 0) return !whole;  // cut by the end of the sample
        i += static_cast<size_t>(k);
    }
    return true;
}

bool CEncodingDetector::Known(const std::string& name) {
    if (name.empty()) return false;
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
}

std::string CEncodingDetector::Guess(const uint8_t* b, size_t n) {
    std::unique_ptr<uchardet, UchardetDeleter> detector(uchardet_new());
    if (!detector) return {};
    if (uchardet_handle_data(detector.get(), reinterpret_cast<const char*>(b), n) != 0) return {};
    uchardet_data_end(detector.get());
    const char* answer = uchardet_get_charset(detector.get());
    if (!answer || !*answer) return {};
    const std::string name = DecoderFor(answer);
    // ASCII or UTF-8 would be wrong here: the text was not valid UTF-8.
    if (name == "ASCII" || name == "UTF-8" || !Known(name)) return {};
    return name;
}

std::string CEncodingDetector::Fallback() {
    const std::string locale = platform::AnsiCodeSet();
    if (Upper(locale) != "UTF-8" && Known(locale)) return locale;
    return "GB18030";
}

EncodingGuess CEncodingDetector::Detect(const uint8_t* b, size_t n, bool atStart, bool whole) {
    if (atStart) {
        EncodingGuess mark = FromMark(b, n);
        if (!mark.name.empty()) return mark;
        const size_t even = n & ~size_t{1};
        const bool little = IsTextUnicode(b, even);
        // Big-endian only on the evidence of zero bytes: without them the
        // test's pattern of ideographs also fits Shift_JIS read in pairs.
        bool big = false;
        if (std::find(b, b + even, uint8_t{0}) != b + even) {
            std::vector<uint8_t> swapped(b, b + even);
            for (size_t i = 0; i + 1 < even; i += 2) std::swap(swapped[i], swapped[i + 1]);
            big = IsTextUnicode(swapped.data(), even);
        }
        if (little && big) return {TextLikeUnits(b, even, 1) >= TextLikeUnits(b, even, 0) ? "UTF-16LE" : "UTF-16BE", 0};
        if (little) return {"UTF-16LE", 0};
        if (big) return {"UTF-16BE", 0};
    }
    if (IsUtf8(b, n, whole)) return {"UTF-8", 0};
    std::string guess = Guess(b, n);
    return {guess.empty() ? Fallback() : guess, 0};
}

}  // namespace txtfilter
