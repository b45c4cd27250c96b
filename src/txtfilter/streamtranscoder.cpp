#include "txtfilter/streamtranscoder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "txtfilter/encodingdetector.h"

namespace txtfilter {

namespace {

constexpr size_t kCarryLookahead = 16;

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

size_t UnitOf(const std::string& set) {
    const std::string u = Upper(set);
    if (u.rfind("UTF-32", 0) == 0 || u.rfind("UCS-4", 0) == 0) return 4;
    if (u.rfind("UTF-16", 0) == 0 || u.rfind("UCS-2", 0) == 0) return 2;
    return 1;
}

bool IsUtf8Name(const std::string& set) {
    const std::string u = Upper(set);
    return u == "UTF-8" || u == "UTF8";
}

}  // namespace

CStreamTranscoder::CStreamTranscoder(const std::string& from, const std::string& to) : m_from(from) {
    m_cd = iconv_open(to.c_str(), from.c_str());
    m_unit = UnitOf(from);
    m_utf8Copy = IsUtf8Name(from) && IsUtf8Name(to);
    // The replacement character in the target set, '?' where it has none.
    m_replacement = "?";
    iconv_t r = iconv_open(to.c_str(), "UTF-8");
    if (r != kNone) {
        char in[] = "\xEF\xBF\xBD";
        char buf[16];
        char* ip = in;
        size_t il = 3;
        char* op = buf;
        size_t ol = sizeof buf;
        if (iconv(r, &ip, &il, &op, &ol) != static_cast<size_t>(-1) && il == 0)
            m_replacement.assign(buf, static_cast<size_t>(op - buf));
        iconv_close(r);
    }
}

CStreamTranscoder::~CStreamTranscoder() {
    if (m_cd != kNone) iconv_close(m_cd);
    if (m_probe != kNone) iconv_close(m_probe);
}

void CStreamTranscoder::Convert(const uint8_t* bytes, size_t length, std::string& out) {
    if (!Valid() || length == 0) return;
    if (m_carryLength > 0) {
        // Complete the carried character with the first bytes of this block.
        uint8_t joined[kMaxCarry + kCarryLookahead];
        const size_t take = std::min(length, kCarryLookahead);
        std::memcpy(joined, m_carry, m_carryLength);
        std::memcpy(joined + m_carryLength, bytes, take);
        const size_t carried = m_carryLength;
        const size_t total = carried + take;
        const size_t used = Run(joined, total, out, false);
        if (used < carried) {
            // Still unfinished: the block was shorter than the character.
            m_carryLength = total - used;
            std::memmove(m_carry, joined + used, m_carryLength);
            return;
        }
        m_carryLength = 0;
        bytes += used - carried;
        length -= used - carried;
    }
    const size_t used = Run(bytes, length, out, false);
    m_carryLength = std::min(length - used, kMaxCarry);
    std::memcpy(m_carry, bytes + used, m_carryLength);
}

void CStreamTranscoder::Finish(std::string& out) {
    if (!Valid()) return;
    if (m_carryLength > 0) Run(m_carry, m_carryLength, out, true);
    m_carryLength = 0;
    char buf[64];
    char* op = buf;
    size_t ol = sizeof buf;
    iconv(m_cd, nullptr, nullptr, &op, &ol);
    out.append(buf, static_cast<size_t>(op - buf));
}

size_t CStreamTranscoder::Run(const uint8_t* bytes, size_t length, std::string& out, bool final) {
    if (m_utf8Copy) return CopyUtf8(bytes, length, out, final);
    char* in = reinterpret_cast<char*>(const_cast<uint8_t*>(bytes));
    size_t left = length;
    while (left > 0) {
        // Room for the worst growth (a byte of a single-byte set to three
        // bytes of UTF-8, or a replacement per byte); E2BIG asks for more.
        const size_t start = out.size();
        out.resize(start + left * 4 + 16);
        char* op = out.data() + start;
        size_t ol = out.size() - start;
        const size_t rc = iconv(m_cd, &in, &left, &op, &ol);
        const int err = errno;
        out.resize(static_cast<size_t>(op - out.data()));
        if (rc != static_cast<size_t>(-1)) break;
        if (err == E2BIG) continue;
        if (err == EINVAL && !final) break;  // a character cut by the end: kept for the next block
        // A refused character, or (at the end) an unfinished one: one
        // replacement, then on after it. Any other failure counts as a refusal.
        const size_t skip = (err == EILSEQ) ? RefusedLength(reinterpret_cast<uint8_t*>(in), left)
                                            : std::min(m_unit, left);
        out += m_replacement;
        ++m_replaced;
        in += skip;
        left -= skip;
    }
    return length - left;
}

size_t CStreamTranscoder::CopyUtf8(const uint8_t* bytes, size_t length, std::string& out, bool final) {
    size_t i = 0, run = 0;  // the valid bytes from `run` on are not copied yet
    while (i < length) {
        // Runs of ASCII eight bytes at a time.
        uint64_t word;
        while (i + 8 <= length && (std::memcpy(&word, bytes + i, 8), (word & 0x8080808080808080ull) == 0)) i += 8;
        if (i == length) break;
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        const int k = CEncodingDetector::Utf8Length(bytes + i, length - i);
        if (k > 0) {
            i += static_cast<size_t>(k);
            continue;
        }
        out.append(reinterpret_cast<const char*>(bytes) + run, i - run);
        if (k < 0 && !final) return i;  // a character cut by the end: kept for the next block
        out += m_replacement;
        ++m_replaced;
        run = ++i;
    }
    out.append(reinterpret_cast<const char*>(bytes) + run, i - run);
    return i;
}

size_t CStreamTranscoder::RefusedLength(const uint8_t* bytes, size_t length) {
    // iconv refuses both a byte that starts no character and a whole
    // character the target lacks; only the probe into UTF-32 tells them apart.
    if (m_probe == kNone) m_probe = iconv_open("UTF-32LE", m_from.c_str());
    if (m_probe != kNone) {
        for (size_t n = m_unit; n <= std::min<size_t>(4 * m_unit, length); n += m_unit) {
            iconv(m_probe, nullptr, nullptr, nullptr, nullptr);
            char* ip = reinterpret_cast<char*>(const_cast<uint8_t*>(bytes));
            size_t il = n;
            char buf[32];
            char* op = buf;
            size_t ol = sizeof buf;
            if (iconv(m_probe, &ip, &il, &op, &ol) != static_cast<size_t>(-1) && il == 0) {
                // Exactly one character: the source knows it, the target does not.
                if (op - buf == 4) return n;
                break;
            }
            if (errno != EINVAL) break;  // no prefix of a character: a bad byte
        }
        iconv(m_probe, nullptr, nullptr, nullptr, nullptr);
    }
    return std::min(m_unit, length);
}

}  // namespace txtfilter
