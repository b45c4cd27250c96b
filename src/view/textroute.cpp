#include "view/textroute.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace textroute {
namespace {

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

// The path part of an address: up to the first '?' or '#'.
std::string PathPart(const std::string& address) {
    return address.substr(0, address.find_first_of("?#"));
}

}  // namespace

bool IsCandidate(const std::string& address) {
    if (!StartsWithNoCase(address, "file://") && !StartsWithNoCase(address, "http://")) return false;
    std::string path = PathPart(address);
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".txt";
}

std::string ToPrivate(const std::string& address) {
    if (!IsCandidate(address)) return {};
    const std::string prefix = std::string(kScheme) + "://";
    if (StartsWithNoCase(address, "file://")) {
        // file:///p or file://localhost/p: keep only the path.
        std::string rest = address.substr(7);
        size_t slash = rest.find('/');
        if (slash == std::string::npos) return {};
        return prefix + kLocalHost + rest.substr(slash);
    }
    std::string rest = address.substr(7);
    // An http host spelled like the local marker would come back as a file.
    if (StartsWithNoCase(rest, std::string(kLocalHost) + "/") || StartsWithNoCase(rest, std::string(kLocalHost) + ":"))
        return {};
    return prefix + rest;
}

bool IsPrivate(const std::string& address) {
    return StartsWithNoCase(address, std::string(kScheme) + "://");
}

std::string ToOriginal(const std::string& address) {
    if (!IsPrivate(address)) return address;
    std::string rest = address.substr(std::string(kScheme).size() + 3);
    std::string local = std::string(kLocalHost) + "/";
    if (StartsWithNoCase(rest, local)) return WithoutPart("file://" + rest.substr(local.size() - 1));
    return WithoutPart("http://" + rest);
}

// The address without the part item at its end, if any.
static std::string WithoutLastPart(const std::string& address);

int PartOf(const std::string& address) {
    const size_t hash = address.find('#');
    const std::string head = address.substr(0, hash);
    const size_t key = head.rfind(kPartKey);
    if (key == std::string::npos || key == 0 || (head[key - 1] != '?' && head[key - 1] != '&')) return 1;
    const std::string digits = head.substr(key + std::string(kPartKey).size());
    if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos) return 1;
    const int part = std::atoi(digits.c_str());
    return part >= 1 ? part : 1;
}

std::string WithoutPart(const std::string& address) {
    if (address.find(kPartKey) == std::string::npos) return address;
    // Every part item at the end goes (a hand-made address may repeat it).
    std::string plain = address;
    for (;;) {
        std::string shorter = WithoutLastPart(plain);
        if (shorter == plain) return plain;
        plain = std::move(shorter);
    }
}

static std::string WithoutLastPart(const std::string& address) {
    const size_t hash = address.find('#');
    std::string head = address.substr(0, hash);
    const std::string fragment = hash == std::string::npos ? std::string() : address.substr(hash);
    const size_t key = head.rfind(kPartKey);
    if (key == std::string::npos || key == 0 || (head[key - 1] != '?' && head[key - 1] != '&')) return address;
    const std::string digits = head.substr(key + std::string(kPartKey).size());
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return address;
    // "a?pagora-part=2" -> "a"; "a?x=1&pagora-part=2" -> "a?x=1".
    head.erase(key - 1);
    return head + fragment;
}

std::string WithPart(const std::string& address, int part) {
    std::string plain = WithoutPart(address);
    if (part <= 1) return plain;
    const size_t hash = plain.find('#');
    std::string head = plain.substr(0, hash);
    const std::string fragment = hash == std::string::npos ? std::string() : plain.substr(hash);
    head += head.find('?') == std::string::npos ? '?' : '&';
    return head + kPartKey + std::to_string(part) + fragment;
}

uint64_t AddressHash(const std::string& address) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : address) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

size_t PartBytes() {
    if (const char* text = std::getenv("PAGORA_TEXT_PART_BYTES")) {
        const long long bytes = std::atoll(text);
        if (bytes >= 4096) return static_cast<size_t>(bytes);
    }
    return kMaxConvertedBytes;
}

namespace {
// The converter's page head ends with the first table's opening cell.
constexpr char kHeadEnd[] = "<td>\r\n";
constexpr size_t kHeadEndLength = sizeof kHeadEnd - 1;
}  // namespace

CTextPartCutter::CTextPartCutter(int part, size_t partBytes, std::string startNotice, std::string endNotice,
                                 std::string missingNotice)
    : m_part(part < 1 ? 1 : part),
      m_partBytes(partBytes > 0 ? partBytes : 1),
      m_startNotice(std::move(startNotice)),
      m_endNotice(std::move(endNotice)),
      m_missingNotice(std::move(missingNotice)) {}

void CTextPartCutter::Line(const char* data, size_t size, std::string& out) {
    // A line that would carry the part beyond its size opens the next one
    // (a single line longer than a part stays whole).
    if (m_body > m_partStart && m_body + size - m_partStart > m_partBytes) {
        if (m_current == m_part) {
            out += m_endNotice;
            m_ended = true;
            return;
        }
        ++m_current;
        m_partStart = m_body;
    }
    if (m_current == m_part) out.append(data, size);
    m_body += size;
}

bool CTextPartCutter::Feed(const char* data, size_t size, std::string& out) {
    if (m_ended) return false;
    size_t i = 0;
    if (m_inHead) {
        // The head goes out whole, whichever part is asked for.
        for (; i < size; ++i) {
            m_headTail += data[i];
            if (m_headTail.size() > kHeadEndLength) m_headTail.erase(0, 1);
            if (m_headTail == kHeadEnd) {
                ++i;
                break;
            }
        }
        out.append(data, i);
        if (m_headTail != kHeadEnd) return true;
        m_inHead = false;
        if (m_part > 1) out += m_startNotice;
    }
    while (i < size && !m_ended) {
        const void* found = std::memchr(data + i, '\n', size - i);
        if (!found) {
            m_line.append(data + i, size - i);
            // A "line" as long as a part is cut where it stands.
            if (m_line.size() >= m_partBytes) {
                std::string line;
                line.swap(m_line);
                Line(line.data(), line.size(), out);
            }
            break;
        }
        const size_t end = static_cast<size_t>(static_cast<const char*>(found) - data) + 1;
        if (m_line.empty()) {
            Line(data + i, end - i, out);
        } else {
            m_line.append(data + i, end - i);
            std::string line;
            line.swap(m_line);
            Line(line.data(), line.size(), out);
        }
        i = end;
    }
    return !m_ended;
}

void CTextPartCutter::Finish(std::string& out) {
    if (m_ended) return;
    if (m_inHead) {
        // No head at all: nothing to cut.
        return;
    }
    if (!m_line.empty()) {
        std::string line;
        line.swap(m_line);
        Line(line.data(), line.size(), out);
    }
    if (!m_ended && m_current < m_part) out += m_missingNotice;
    m_ended = true;
}

namespace {

std::string References(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) out += static_cast<char>(c);
        else out += "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
    }
    return out;
}

std::u32string Number(long long n) {
    std::u32string text;
    for (char c : std::to_string(n)) text += static_cast<char32_t>(c);
    return text;
}

std::string Link(const std::string& address, const std::u32string& text) {
    std::string href;
    for (char c : address) {
        if (c == '"') href += "%22";
        else if (c == '<') href += "%3C";
        else if (c == '>') href += "%3E";
        else if (c == '&') href += "&amp;";
        else href += c;
    }
    return "<a href=\"" + href + "\">" + References(text) + "</a>";
}

const char kNoticeStyle[] = "margin:1em 0;padding:0.5em;border:1px solid #c00;color:#c00;background:#fff";

}  // namespace

std::string PartStartNotice(int part, const std::string& previousAddress) {
    return std::string("<div id=\"pagora-text-part\" style=\"") + kNoticeStyle + "\">" +
           References(U"此文本很长，分成几部分显示；这是第 " + Number(part) + U" 部分。") + " " +
           Link(previousAddress, U"上一部分") + "</div>\r\n";
}

std::string PartEndNotice(int part, const std::string& nextAddress) {
    return std::string("</td></tr></table>\r\n<div id=\"pagora-text-limit\" style=\"") + kNoticeStyle + "\">" +
           References(U"此文本很长，第 " + Number(part) + U" 部分到此为止。") + " " +
           Link(nextAddress, U"下一部分") + "</div>\r\n";
}

std::string MissingPartNotice(int part, const std::string& firstAddress) {
    return std::string("</td></tr></table>\r\n<div id=\"pagora-text-limit\" style=\"") + kNoticeStyle + "\">" +
           References(U"此文本没有第 " + Number(part) + U" 部分。") + " " + Link(firstAddress, U"第一部分") +
           "</div>\r\n";
}

std::string PlainAddress(const std::string& address) { return WithoutPart(ToOriginal(address)); }

}  // namespace textroute
