#include "session/bookmarks.h"

#include <algorithm>
#include <cctype>

#include "platform/codepage.h"
#include "platform/inifile.h"
#include "settings/parablock.h"
#include "settings/sidefiles.h"

const std::string& BookmarkFilePath() { return TheSideFiles().bmk; }

namespace bookmarkname {

namespace {

bool IsUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

std::string Trimmed(const std::string& text) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    size_t e = text.find_last_not_of(' ');
    return text.substr(b, e - b + 1);
}

}  // namespace

std::string Safe(std::string_view name, const LeadBytePredicate& isLead) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (isLead && isLead(c) && i + 1 < name.size()) {
            out += name[i];
            out += name[++i];  // the trail byte stays as it is
            continue;
        }
        if (c == '[') out += '(';
        else if (c == ']') out += ')';
        else if (c < 0x20 || c == 0x7F) out += ' ';
        else out += static_cast<char>(c);
    }
    out = Trimmed(out);
    if (out.size() <= kMaxBytes) return out;
    // Cut where a character starts, so that the section holds whole characters.
    size_t cut = 0;
    for (size_t i = 0; i < out.size();) {
        size_t len = 1;
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (isLead && isLead(c) && i + 1 < out.size()) len = 2;
        else
            while (i + len < out.size() && IsUtf8Continuation(static_cast<unsigned char>(out[i + len]))) ++len;
        if (i + len > kMaxBytes) break;
        i += len;
        cut = i;
    }
    return Trimmed(out.substr(0, cut));
}

std::string Default(const std::string& currentPath, const std::string& pageTitle, const LeadBytePredicate& isLead) {
    std::string name = pageTitle;
    size_t dot = currentPath.rfind('.');
    if (dot != std::string::npos) {
        std::string ext = currentPath.substr(dot);
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (ext == ".rar" || ext == ".maff" || ext == ".zip") name = currentPath.substr(0, dot);
    }
    name = Safe(name, isLead);
    if (size_t slash = name.rfind('/'); slash != std::string::npos) name = name.substr(slash + 1);
    else if (size_t back = name.rfind('\\'); back != std::string::npos) name = name.substr(back + 1);
    return name;
}

LeadBytePredicate LocaleLeadBytes() {
    if (!platform::IsDoubleByteCodeSet()) return {};
    return [](unsigned char c) { return platform::IsLeadByte(c); };
}

}  // namespace bookmarkname

void SortNames(std::vector<std::string>& names) {
    auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return s;
    };
    std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        std::string la = lower(a), lb = lower(b);
        return la != lb ? la < lb : a < b;
    });
}

std::vector<std::string> CBookmarkFile::Names() const { return platform::ini::SectionNames(m_path); }

std::vector<std::string> CBookmarkFile::SortedNames() const {
    std::vector<std::string> names = Names();
    SortNames(names);
    return names;
}

bool CBookmarkFile::Exists(const std::string& name) const {
    return !platform::ini::GetString(m_path, name, "CurrentPath", "").empty();
}

bool CBookmarkFile::Load(const std::string& name, CParaBlock& record) const {
    record.SetLocation(name, &m_path);
    record.Load();
    return !record.GetString(PARA_STR_CURRENT_PATH).empty();
}

void CBookmarkFile::Save(const std::string& name, const CParaBlock& source, std::pair<int, int> offsets) const {
    CParaBlock record;
    record.CopyFrom(source);
    record.SetLocation(name, &m_path);
    record.SetValue(PARA_STARTPOINT_X, offsets.first, false);
    record.SetValue(PARA_STARTPOINT_Y, offsets.second, false);
    record.Save();
}

bool CBookmarkFile::Remove(const std::string& name) const { return platform::ini::DeleteSection(m_path, name); }
