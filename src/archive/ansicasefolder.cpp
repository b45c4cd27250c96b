#include "archive/ansicasefolder.h"

#include "platform/codepage.h"

namespace {

char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

CAnsiCaseFolder::CAnsiCaseFolder()
{
    m_doubleByte = platform::IsDoubleByteCodeSet();
    if (m_doubleByte) {
        for (int c = 0x80; c < 0x100; ++c)
            m_lead[c] = platform::IsLeadByte(static_cast<unsigned char>(c));
    }
}

bool CAnsiCaseFolder::Equal(std::string_view a, std::string_view b) const
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (m_doubleByte && m_lead[static_cast<unsigned char>(a[i])] && i + 1 < a.size()) {
            // A double-byte character: both bytes exactly.
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            ++i;
            continue;
        }
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

bool CAnsiCaseFolder::EndsWith(std::string_view text, std::string_view tail) const
{
    if (tail.size() > text.size())
        return false;
    size_t start = text.size() - tail.size();
    if (m_doubleByte) {
        // Walk the characters to see that the tail does not begin inside one.
        size_t i = 0;
        while (i < start)
            i += m_lead[static_cast<unsigned char>(text[i])] && i + 1 < text.size() ? 2 : 1;
        if (i != start)
            return false;
    }
    return Equal(text.substr(start), tail);
}
