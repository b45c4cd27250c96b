#include "view/longlines.h"

#include <algorithm>
#include <cstring>

#include "platform/codepage.h"

namespace longlines {

const char kJoin[] =
    "</td></tr></table>\r\n"
    "<table align=\"center\" cellspacing=\"0\"><tr><td>\r\n";

namespace {
// How far ahead of the soft limit the byte scan starts, so that it knows
// where it stands by the time a cut may be taken.
constexpr size_t kLead = 64;
// The longest character reference the converter writes ("&nbsp;", "&quot;").
constexpr int kLongestReference = 6;
}  // namespace

CLongLineSplitter::CLongLineSplitter(bool utf8, const bool* leadBytes, size_t maxLine)
    : m_utf8(utf8), m_doubleByte(leadBytes != nullptr), m_maxLine(maxLine < 2 * kLead ? 2 * kLead : maxLine) {
    for (int i = 0; i < 256; ++i) m_lead[i] = leadBytes && leadBytes[i];
    m_soft = m_maxLine - m_maxLine / 4;
    m_trackFrom = m_soft - kLead;
}

CLongLineSplitter CLongLineSplitter::ForLocale(size_t maxLine) {
    bool lead[256];
    const bool doubleByte = platform::IsDoubleByteCodeSet();
    for (int i = 0; i < 256; ++i) lead[i] = doubleByte && platform::IsLeadByte(static_cast<unsigned char>(i));
    std::string set = platform::AnsiCodeSet();
    std::transform(set.begin(), set.end(), set.begin(), [](unsigned char c) { return std::toupper(c); });
    const bool utf8 = set == "UTF-8" || set == "UTF8";
    return CLongLineSplitter(utf8, doubleByte ? lead : nullptr, maxLine);
}

void CLongLineSplitter::StartTracking() {
    m_tracking = true;
    m_textSynced = false;
    m_unknownLeft = kLongestReference;
    m_charSynced = !m_doubleByte;
    m_inReference = false;
    m_inTag = false;
    m_trail = false;
    m_afterBlank = false;
}

void CLongLineSplitter::Feed(const char* data, size_t size, std::string& out) {
    size_t copied = 0;  // bytes of `data` already in `out`
    size_t i = 0;
    while (i < size) {
        if (!m_tracking) {
            // Far from the limit only line feeds matter.
            const size_t span = std::min(size - i, m_trackFrom - m_run);
            if (const void* lf = std::memchr(data + i, '\n', span)) {
                i = static_cast<size_t>(static_cast<const char*>(lf) - data) + 1;
                m_run = 0;
                continue;
            }
            i += span;
            m_run += span;
            if (m_run >= m_trackFrom) StartTracking();
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == '\n') {
            m_tracking = false;
            m_run = 0;
            ++i;
            continue;
        }
        const bool boundary = m_textSynced && m_charSynced && !m_inReference && !m_inTag && !m_trail &&
                              (!m_utf8 || (c & 0xC0) != 0x80);
        // Past twice the limit without a safe place (no text of this code
        // set): cut anyway rather than let the line grow on.
        if ((boundary && m_run >= m_soft && (m_afterBlank || m_run >= m_maxLine)) || m_run >= 2 * m_maxLine) {
            out.append(data + copied, i - copied);
            copied = i;
            out += kJoin;
            ++m_cuts;
            m_tracking = false;
            m_run = 0;
            continue;
        }
        ++m_run;
        ++i;
        m_afterBlank = false;
        // A reference is a few bytes long: as many without an '&' show
        // that none was open when the scan began.
        if (!m_textSynced && c != '&' && --m_unknownLeft == 0) m_textSynced = true;
        if (m_inTag) {
            m_inTag = c != '>';
            continue;
        }
        if (m_inReference) {
            m_inReference = c != ';';
            m_afterBlank = !m_inReference;
            continue;
        }
        if (m_trail) {
            m_trail = false;
            continue;
        }
        // These bytes never belong to a reference, nor are they the second
        // byte of any double-byte character.
        if (c == '&' || c == '<' || c == ';' || c == ' ' || c >= 0x80) m_textSynced = true;
        if (c == '&') m_inReference = true;
        else if (c == '<') m_inTag = true;
        else if (c == ' ' || c == ';') m_afterBlank = true;
        if (m_doubleByte) {
            // A byte that is no lead byte ends a character, whatever it was.
            if (!m_lead[c]) m_charSynced = true;
            else if (m_charSynced) m_trail = true;
        }
    }
    out.append(data + copied, size - copied);
}

}  // namespace longlines
