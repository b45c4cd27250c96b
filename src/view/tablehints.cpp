#include "view/tablehints.h"

#include <cstdio>
#include <cstring>

namespace tablehints {

namespace {
// How the converter opens every table; '<' occurs only at its start, and
// text never holds a raw '<' (the converter writes "&lt;").
constexpr char kTableTag[] = "<table align=\"center\" cellspacing=\"0\"";
constexpr size_t kTableTagLength = sizeof kTableTag - 1;
}  // namespace

std::string HintStyle() {
    return "<style type=\"text/css\">table{display:block;margin-left:auto;margin-right:auto;"
           "content-visibility:auto;contain-intrinsic-size:auto " +
           std::to_string(kPlaceholderHeight) + "px}tbody,tr,td{display:block}</style>\r\n";
}

std::string HeightCss(uint32_t height64) {
    // A 64th is 0.015625: six decimals carry every such value exactly.
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", height64 / 64.0);
    std::string s = text;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s + "px";
}

CTableHintWriter::CTableHintWriter(std::vector<uint32_t> heights64) : m_heights(std::move(heights64)) {}

void CTableHintWriter::Feed(const char* data, size_t size, std::string& out) {
    size_t copied = 0;  // bytes of `data` already in `out`
    for (size_t i = 0; i < size; ++i) {
        if (m_matched == 0) {
            // Outside a tag only a '<' matters: skip to the next one.
            const void* next = std::memchr(data + i, '<', size - i);
            if (!next) break;
            i = static_cast<size_t>(static_cast<const char*>(next) - data);
        }
        const char c = data[i];
        if (c == kTableTag[m_matched]) {
            ++m_matched;
        } else {
            if (m_matched > 0 && i < m_matched) {
                // The held-back start of the last piece was no tag after all.
                out.append(kTableTag, m_matched - i);
            }
            m_matched = c == kTableTag[0] ? 1 : 0;
        }
        if (m_matched == kTableTagLength) {
            // The tag ends here: write it through this byte, then the hint.
            const size_t start = i + 1 >= kTableTagLength ? i + 1 - kTableTagLength : 0;
            if (start > copied) out.append(data + copied, start - copied);
            out.append(kTableTag, kTableTagLength);
            if (m_tables < m_heights.size() && m_heights[m_tables] > 0)
                out += " style=\"contain-intrinsic-size:auto " + HeightCss(m_heights[m_tables]) + "\"";
            ++m_tables;
            m_matched = 0;
            copied = i + 1;
        }
    }
    // Keep back what may be the start of a tag; bytes held from the last
    // piece that are still part of the match stay held.
    const size_t held = m_matched < size ? m_matched : size;
    const size_t end = size - held;
    if (end > copied) out.append(data + copied, end - copied);
}

void CTableHintWriter::Finish(std::string& out) {
    out.append(kTableTag, m_matched);
    m_matched = 0;
}

}  // namespace tablehints
