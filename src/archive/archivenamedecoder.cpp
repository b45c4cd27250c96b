#include "archive/archivenamedecoder.h"

#include <algorithm>
#include <cctype>

#include "archive/namecharset.h"
#include "archive/utf8check.h"
#include "platform/codepage.h"

namespace {

bool IsUtf8Name(std::string codeSet)
{
    codeSet.erase(std::remove_if(codeSet.begin(), codeSet.end(), [](char c) { return c == '-' || c == '_'; }),
                  codeSet.end());
    for (char& c : codeSet)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return codeSet == "UTF8";
}

}  // namespace

CArchiveNameDecoder::CArchiveNameDecoder(const std::vector<StoredName>& names, const Detector& detector)
    : m_localeSet(platform::AnsiCodeSet()), m_localeUtf8(IsUtf8Name(m_localeSet))
{
    if (!m_localeUtf8)
        return;
    std::vector<std::string_view> undecided;
    for (const StoredName& name : names) {
        if (IsUndecided(name))
            undecided.push_back(name.bytes);
    }
    if (undecided.empty() || UndeclaredNamesAreUtf8(undecided))
        return;
    m_charset = ChooseNameCharset(undecided, detector ? detector(undecided) : DetectNameCharset(undecided));
}

bool CArchiveNameDecoder::IsUndecided(const StoredName& name) const
{
    if (name.utf8 && IsWellFormedUtf8(name.bytes))
        return false;
    return std::any_of(name.bytes.begin(), name.bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::string CArchiveNameDecoder::Decode(const StoredName& name) const
{
    if (m_localeUtf8) {
        if (!m_charset.empty() && IsUndecided(name))
            return platform::ConvertCodeSet(name.bytes, m_charset.c_str(), m_localeSet.c_str());
        return name.bytes;
    }
    if (name.utf8 && IsWellFormedUtf8(name.bytes))
        return platform::Utf8ToAnsi(name.bytes);
    return name.bytes;
}
