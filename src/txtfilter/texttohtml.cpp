#include "txtfilter/texttohtml.h"

#include <cstdio>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/codepage.h"
#include "txtfilter/ansiencoder.h"
#include "txtfilter/unicodetest.h"

namespace txtfilter {

const char kTableBreak[] =
    "</td></tr></table>\r\n"
    "<table align=\"center\" cellspacing=\"0\"><tr><td>\r\n";
const size_t kTableBreakLength = sizeof(kTableBreak) - 1;

namespace {

constexpr uint32_t kLinesPerTable = 101;
const char kTab[] = "&nbsp;&nbsp;&nbsp; ";
const char kBreak[] = "\n<BR>";
const char kTableOpen[] = "<table align=\"center\" cellspacing=\"0\"><tr><td>\r\n";
// The resource host of the program's built-in pictures.
const char kResourceBase[] = "res://Pagora/";

// Which bytes need more than a copy: < > & " LF TAB and the blank.
struct SpecialTable {
    bool special[256] = {};
    SpecialTable() {
        for (unsigned char c : {'<', '>', '&', '"', '\n', '\t', ' '}) special[c] = true;
    }
};
const SpecialTable kSpecial;

// Whether the byte at i needs a replacement: a special character, but a
// blank only when another blank follows it in the same block.
inline bool NeedsReplacement(const uint8_t* t, size_t i, size_t length) {
    if (!kSpecial.special[t[i]]) return false;
    return t[i] != ' ' || (i + 1 < length && t[i + 1] == ' ');
}

// The index of the next byte from `i` on that needs a replacement, or `length`.
size_t NextSpecial(const uint8_t* t, size_t i, size_t length) {
#if defined(__SSE2__)
    // Sixteen bytes at a time, looking one byte ahead for blank pairs.
    const __m128i lt = _mm_set1_epi8('<'), gt = _mm_set1_epi8('>'), amp = _mm_set1_epi8('&'),
                  quot = _mm_set1_epi8('"'), lf = _mm_set1_epi8('\n'), tab = _mm_set1_epi8('\t'),
                  blank = _mm_set1_epi8(' ');
    while (i + 17 <= length) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + 1));
        __m128i m = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, gt)),
                                 _mm_or_si128(_mm_cmpeq_epi8(v, amp), _mm_cmpeq_epi8(v, quot)));
        m = _mm_or_si128(m, _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, tab)));
        m = _mm_or_si128(m, _mm_and_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(w, blank)));
        const int mask = _mm_movemask_epi8(m);
        if (mask) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        i += 16;
    }
#endif
    while (i < length && !NeedsReplacement(t, i, length)) ++i;
    return i;
}

}  // namespace

// An attribute value must not end the attribute it sits in.
std::string AttributeText(const std::string& s) {
    std::string r;
    for (char c : s) {
        if (c == '"') r += "&quot;";
        else if (c == '&') r += "&amp;";
        else if (c == '<') r += "&lt;";
        else if (c == '>') r += "&gt;";
        else r += c;
    }
    return r;
}

// A font name inside a CSS string must not end the string or the style element.
std::string CssStringText(const std::string& s) {
    std::string r;
    for (char c : s) {
        if (c == '"' || c == '\\') {
            r += '\\';
            r += c;
        } else if (c == '<') {
            r += "\\3C ";
        } else if (c == '\n' || c == '\r') {
            r += ' ';
        } else {
            r += c;
        }
    }
    return r;
}

CTextToHtml::CTextToHtml(TextStyle style, const std::string& codeSet, const bool* leadBytes)
    : m_style(std::move(style)), m_codeSet(codeSet) {
    m_doubleByte = leadBytes != nullptr;
    for (int i = 0; i < 256; ++i) m_lead[i] = leadBytes && leadBytes[i];
}

CTextToHtml::~CTextToHtml() = default;

std::unique_ptr<CTextToHtml> CTextToHtml::ForLocale(TextStyle style) {
    bool lead[256];
    const bool doubleByte = platform::IsDoubleByteCodeSet();
    for (int i = 0; i < 256; ++i) lead[i] = doubleByte && platform::IsLeadByte(static_cast<unsigned char>(i));
    return std::make_unique<CTextToHtml>(std::move(style), platform::AnsiCodeSet(), doubleByte ? lead : nullptr);
}

size_t CTextToHtml::DecideEncoding(const uint8_t* block, size_t length) {
    if (length >= 2 && block[0] == 0xFF && block[1] == 0xFE) {
        m_isUtf16 = true;
        return 2;
    }
    m_isUtf16 = IsTextUnicode(block, length & ~size_t{1});
    return 0;
}

void CTextToHtml::WriteHead(OutputQueue& out) {
    const TextStyle& s = m_style;
    char size[40] = "", color[40] = "", height[40] = "";
    if (s.fontSize > 0) std::snprintf(size, sizeof size, " font-size: %dpt;", s.fontSize);
    if (s.textColor != 0)
        std::snprintf(color, sizeof color, " color: #%02X%02X%02X;", s.textColor & 0xFF, (s.textColor >> 8) & 0xFF,
                      (s.textColor >> 16) & 0xFF);
    if (s.lineHeight != 100) std::snprintf(height, sizeof height, " line-height: %d%%;", s.lineHeight);
    const char* bold = s.bold != 0 ? " font-weight: bold;" : "";
    const char* underline = s.underline != 0 ? " text-decoration:underline;" : "";
    std::string font;
    if (!s.fontName.empty()) font = "font-family: \"" + CssStringText(s.fontName) + "\";";

    std::string head =
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html;\">\r\n<HTML><head>\r\n"
        "<style type=\"text/css\">table {width: ";
    head += s.width != 0 ? std::to_string(s.width) + "px" : std::string("100%");
    head += "; border: 0; cellpadding: 0;";
    head += size;
    head += color;
    head += height;
    head += bold;
    head += underline;
    head += font;
    head += "}</style>\r\n</head>";
    out.Append(head.data(), head.size());

    std::string body;
    if (!s.imagePath.empty()) {
        body = "<body background=\"" + AttributeText(s.imagePath) + "\" BGPROPERTIES=FIXED>\r\n";
    } else if (const char* name = s.ImageName()) {
        body = std::string("<body background=\"") + kResourceBase + name + "\" BGPROPERTIES=FIXED>\r\n";
    } else {
        char buf[64];
        std::snprintf(buf, sizeof buf, "<body bgcolor=\"#%02X%02X%02X\">\r\n", s.pageColor & 0xFF,
                      (s.pageColor >> 8) & 0xFF, (s.pageColor >> 16) & 0xFF);
        body = buf;
    }
    out.Append(body.data(), body.size());
    out.Append(kTableOpen, sizeof kTableOpen - 1);
}

platform::HRESULT CTextToHtml::ConvertBlock(OutputQueue& out, const uint8_t* block, size_t length) {
    if (!block) return platform::E_INVALIDARG;
    m_carryLength = 0;
    if (m_isUtf16) {
        size_t even = length & ~size_t{1};
        // Keep a high surrogate whose partner may open the next block.
        if (even >= 2) {
            const uint16_t last = static_cast<uint16_t>(block[even - 2] | (block[even - 1] << 8));
            if (last >= 0xD800 && last <= 0xDBFF) even -= 2;
        }
        m_carryLength = length - even;
        std::memcpy(m_carry, block + even, m_carryLength);
        if (!m_encoder) m_encoder = std::make_unique<CAnsiEncoder>(m_codeSet);
        m_encoder->Encode(block, even / 2, m_converted);
        Escape(out, reinterpret_cast<const uint8_t*>(m_converted.data()), m_converted.size());
        return platform::S_OK;
    }
    size_t usable = length;
    if (m_doubleByte) {
        // A byte that is no lead byte always ends a character, so characters
        // start right after the last one; of the lead bytes that follow it,
        // pairs are characters and an odd one out at the end waits for its
        // second byte in the next block.
        size_t run = 0;
        while (run < length && m_lead[block[length - 1 - run]]) ++run;
        if (run % 2 == 1) usable = length - 1;
        m_carryLength = length - usable;
        std::memcpy(m_carry, block + usable, m_carryLength);
    }
    Escape(out, block, usable);
    return platform::S_OK;
}

void CTextToHtml::Flush(OutputQueue& out) {
    if (m_carryLength == 0) return;
    if (m_isUtf16) {
        // A lone surrogate becomes the default character; a last odd byte is no character.
        if (m_carryLength >= 2) {
            if (!m_encoder) m_encoder = std::make_unique<CAnsiEncoder>(m_codeSet);
            m_encoder->Encode(m_carry, 1, m_converted);
            Escape(out, reinterpret_cast<const uint8_t*>(m_converted.data()), m_converted.size());
        }
    } else {
        out.Append(reinterpret_cast<const char*>(m_carry), m_carryLength);
    }
    m_carryLength = 0;
}

void CTextToHtml::WriteTail(OutputQueue& out) {
    out.Append("</td></tr></table>\r\n");
    out.Append("\r\n</BODY></HTML>\r\n");
}

void CTextToHtml::LineBreak(OutputQueue& out) {
    out.Append(kBreak, sizeof kBreak - 1);
    if (++m_lineCount == kLinesPerTable) {
        out.Append(kTableBreak, kTableBreakLength);
        m_lineCount = 0;
    }
}

void CTextToHtml::Escape(OutputQueue& out, const uint8_t* text, size_t length) {
    // Stepping over double-byte characters changes nothing here: the second
    // bytes of every double-byte set lie at 0x40 and above, every special
    // character below, so a special byte is never the second half of a
    // character. (A lead byte before a lower byte is a broken character and
    // must not hide a '<' or a line feed, so no stepping is also the safe rule.)
    const char* base = reinterpret_cast<const char*>(text);
    size_t runStart = 0;
    for (size_t i = NextSpecial(text, 0, length); i < length; i = NextSpecial(text, i, length)) {
        if (i > runStart) AppendRun(out, base + runStart, i - runStart);
        switch (text[i]) {
        case '<': out.Append("&lt;", 4); break;
        case '>': out.Append("&gt;", 4); break;
        case '&': out.Append("&amp;", 5); break;
        case '"': out.Append("&quot;", 6); break;
        case '\t': out.Append(kTab, sizeof kTab - 1); break;
        case ' ': out.Append("&nbsp;", 6); break;
        case '\n': LineBreak(out); break;
        }
        ++i;
        runStart = i;
    }
    if (length > runStart) AppendRun(out, base + runStart, length - runStart);
}

// A run of ordinary bytes may hold single blanks, each of which is an append
// of its own in the output's block structure. When the whole run fits into
// the fill block the pieces land there together, so one copy does; otherwise
// the pieces are appended one by one so that blocks are cut where they would be.
void CTextToHtml::AppendRun(OutputQueue& out, const char* run, size_t length) {
    if (out.Fits(length)) {
        out.Append(run, length);
        return;
    }
    size_t start = 0;
    for (size_t i = 0; i < length; ++i) {
        if (run[i] != ' ') continue;
        if (i > start) out.Append(run + start, i - start);
        out.Append(" ", 1);
        start = i + 1;
    }
    if (length > start) out.Append(run + start, length - start);
}

}  // namespace txtfilter
