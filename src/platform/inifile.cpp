#include "platform/inifile.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "platform/atomicfile.h"
#include "platform/codepage.h"

namespace platform::ini {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool NamesEqualWith(std::string_view a, std::string_view b, bool dbcs) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (dbcs && IsLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

// The value part of an entry line as the reading functions return it.
std::string ValueOf(std::string_view raw) {
    size_t eq = raw.find('=');
    std::string_view v = Trim(raw.substr(eq + 1));
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return std::string(v);
}

bool HasBreakingChar(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::string Truncate(std::string s, size_t maxLen) {
    if (s.size() > maxLen) s.resize(maxLen);
    return s;
}

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) { return NamesEqualWith(a, b, IsDoubleByteCodeSet()); }

int ParseInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (IsBlank(text[i]) || text[i] == '\n')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;  // saturate
    }
    if (negative) v = -v;
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    return static_cast<int>(v);
}

// ---- IniDocument -----------------------------------------------------------

IniDocument IniDocument::FromFile(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) return IniDocument();
    return FromText(text);
}

IniDocument IniDocument::FromText(std::string_view text) {
    IniDocument doc;
    doc.m_sections.push_back(Section{});  // lines before the first header
    size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        std::string_view line = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = (nl == std::string_view::npos) ? text.size() : nl + 1;
        if (!line.empty() && line.back() == '\r') {
            if (first) doc.m_crlf = true;
            while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        }
        first = false;
        std::string_view t = Trim(line);
        if (!t.empty() && t.front() == '[') {
            Section s;
            size_t close = t.find(']');
            s.name = std::string(Trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            s.hasHeader = true;
            s.headerRaw = std::string(line);
            doc.m_sections.push_back(std::move(s));
            continue;
        }
        Line l;
        l.raw = std::string(line);
        size_t eq = t.find('=');
        if (!t.empty() && t.front() != ';' && eq != std::string_view::npos && !Trim(t.substr(0, eq)).empty()) {
            l.isEntry = true;
            l.key = std::string(Trim(t.substr(0, eq)));
        }
        doc.m_sections.back().lines.push_back(std::move(l));
    }
    return doc;
}

const IniDocument::Section* IniDocument::FindSection(const std::string& name) const {
    const bool dbcs = IsDoubleByteCodeSet();
    std::string_view want = Trim(name);
    for (const Section& s : m_sections)
        if (s.hasHeader && NamesEqualWith(s.name, want, dbcs)) return &s;
    return nullptr;
}

IniDocument::Section* IniDocument::FindSection(const std::string& name) {
    return const_cast<Section*>(static_cast<const IniDocument*>(this)->FindSection(name));
}

std::optional<std::string> IniDocument::Get(const std::string& section, const std::string& key) const {
    const Section* s = FindSection(section);
    if (!s) return std::nullopt;
    const bool dbcs = IsDoubleByteCodeSet();
    std::string_view want = Trim(key);
    for (const Line& l : s->lines)
        if (l.isEntry && NamesEqualWith(l.key, want, dbcs)) return ValueOf(l.raw);
    return std::nullopt;
}

std::string IniDocument::GetString(const std::string& section, const std::string& key, const std::string& def,
                                   size_t maxLen) const {
    std::optional<std::string> v = Get(section, key);
    return Truncate(v ? *v : def, maxLen);
}

int IniDocument::GetInt(const std::string& section, const std::string& key, int def) const {
    std::optional<std::string> v = Get(section, key);
    if (!v || v->empty()) return def;
    return ParseInt(*v);
}

bool IniDocument::HasSection(const std::string& section) const { return FindSection(section) != nullptr; }

std::vector<std::string> IniDocument::SectionNames() const {
    std::vector<std::string> names;
    const bool dbcs = IsDoubleByteCodeSet();
    for (const Section& s : m_sections) {
        if (!s.hasHeader) continue;
        bool seen = false;
        for (const std::string& n : names) seen = seen || NamesEqualWith(n, s.name, dbcs);
        if (!seen) names.push_back(s.name);
    }
    return names;
}

std::vector<std::string> IniDocument::KeyNames(const std::string& section) const {
    std::vector<std::string> names;
    const Section* s = FindSection(section);
    if (!s) return names;
    const bool dbcs = IsDoubleByteCodeSet();
    for (const Line& l : s->lines) {
        if (!l.isEntry) continue;
        bool seen = false;
        for (const std::string& n : names) seen = seen || NamesEqualWith(n, l.key, dbcs);
        if (!seen) names.push_back(l.key);
    }
    return names;
}

namespace {

bool ValidSectionName(std::string_view section) {
    std::string_view sec = Trim(section);
    return !sec.empty() && !HasBreakingChar(section) && sec.find(']') == std::string_view::npos;
}

}  // namespace

bool IniDocument::AddSection(const std::string& section) {
    if (!ValidSectionName(section)) return false;
    if (FindSection(section)) return true;
    if (m_sections.empty()) m_sections.push_back(Section{});
    Section& last = m_sections.back();
    // A blank line between the previous section and the new one.
    if ((!last.lines.empty() && !Trim(last.lines.back().raw).empty()) || (last.lines.empty() && last.hasHeader))
        last.lines.push_back(Line{});
    Section ns;
    ns.name = std::string(Trim(section));
    ns.hasHeader = true;
    ns.headerRaw = "[" + ns.name + "]";
    m_sections.push_back(std::move(ns));
    return true;
}

bool IniDocument::Set(const std::string& section, const std::string& key, const std::string& value) {
    std::string_view k = Trim(key);
    if (!ValidSectionName(section) || k.empty() || HasBreakingChar(key) || HasBreakingChar(value)) return false;
    if (k.find('=') != std::string_view::npos || k.front() == '[' || k.front() == ';') return false;
    std::string v = value;
    std::string_view tv = Trim(value);
    // Quote a value whose blanks or quotes the reader would strip.
    if (tv.size() != value.size() || (value.size() >= 2 && value.front() == '"' && value.back() == '"'))
        v = "\"" + value + "\"";

    if (!AddSection(section)) return false;
    Section* s = FindSection(section);
    const bool dbcs = IsDoubleByteCodeSet();
    for (Line& l : s->lines) {
        if (l.isEntry && NamesEqualWith(l.key, k, dbcs)) {
            l.raw = l.key + "=" + v;
            return true;
        }
    }
    Line nl;
    nl.isEntry = true;
    nl.key = std::string(k);
    nl.raw = nl.key + "=" + v;
    // After the last non-blank line of the section, so blank separators stay at its end.
    size_t at = s->lines.size();
    while (at > 0 && Trim(s->lines[at - 1].raw).empty()) --at;
    s->lines.insert(s->lines.begin() + static_cast<long>(at), std::move(nl));
    return true;
}

bool IniDocument::Remove(const std::string& section, const std::string& key) {
    Section* s = FindSection(section);
    if (!s) return false;
    const bool dbcs = IsDoubleByteCodeSet();
    std::string_view want = Trim(key);
    bool removed = false;
    for (size_t i = 0; i < s->lines.size();) {
        if (s->lines[i].isEntry && NamesEqualWith(s->lines[i].key, want, dbcs)) {
            s->lines.erase(s->lines.begin() + static_cast<long>(i));
            removed = true;
        } else {
            ++i;
        }
    }
    return removed;
}

bool IniDocument::RemoveSection(const std::string& section) {
    const bool dbcs = IsDoubleByteCodeSet();
    std::string_view want = Trim(section);
    bool removed = false;
    for (size_t i = 0; i < m_sections.size();) {
        if (m_sections[i].hasHeader && NamesEqualWith(m_sections[i].name, want, dbcs)) {
            m_sections.erase(m_sections.begin() + static_cast<long>(i));
            removed = true;
        } else {
            ++i;
        }
    }
    return removed;
}

std::string IniDocument::ToText() const {
    const char* eol = m_crlf ? "\r\n" : "\n";
    std::string out;
    for (const Section& s : m_sections) {
        if (s.hasHeader) {
            out += s.headerRaw;
            out += eol;
        }
        for (const Line& l : s.lines) {
            out += l.raw;
            out += eol;
        }
    }
    return out;
}

// ---- file functions -----------------------------------------------------------

std::string GetString(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& def, size_t maxLen) {
    return IniDocument::FromFile(path).GetString(section, key, def, maxLen);
}

int GetInt(const std::string& path, const std::string& section, const std::string& key, int def) {
    return IniDocument::FromFile(path).GetInt(section, key, def);
}

bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& value) {
    bool valid = true;
    bool written = LockedRewrite(path, [&](std::string& text) {
        IniDocument doc = IniDocument::FromText(text);
        if (!doc.Set(section, key, value)) {
            valid = false;
            return false;
        }
        text = doc.ToText();  // an unchanged text is not rewritten
        return true;
    });
    return valid && written;
}

bool WriteStrings(const std::string& path, const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& keyValues) {
    bool valid = true;
    bool written = LockedRewrite(path, [&](std::string& text) {
        IniDocument doc = IniDocument::FromText(text);
        for (const auto& [key, value] : keyValues) {
            if (!doc.Set(section, key, value)) {
                valid = false;
                return false;
            }
        }
        text = doc.ToText();  // an unchanged text is not rewritten
        return true;
    });
    return valid && written;
}

bool DeleteKey(const std::string& path, const std::string& section, const std::string& key) {
    return LockedRewrite(path, [&](std::string& text) {
        IniDocument doc = IniDocument::FromText(text);
        if (!doc.Remove(section, key)) return false;
        text = doc.ToText();
        return true;
    });
}

bool DeleteSection(const std::string& path, const std::string& section) {
    return LockedRewrite(path, [&](std::string& text) {
        IniDocument doc = IniDocument::FromText(text);
        if (!doc.RemoveSection(section)) return false;
        text = doc.ToText();
        return true;
    });
}

std::vector<std::string> SectionNames(const std::string& path) { return IniDocument::FromFile(path).SectionNames(); }

std::vector<std::string> KeyNames(const std::string& path, const std::string& section) {
    return IniDocument::FromFile(path).KeyNames(section);
}

bool WriteStruct(const std::string& path, const std::string& section, const std::string& key, const void* data,
                 size_t size) {
    static const char kHex[] = "0123456789ABCDEF";
    const unsigned char* p = static_cast<const unsigned char*>(data);
    std::string text;
    text.reserve(size * 2 + 2);
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) {
        text += kHex[p[i] >> 4];
        text += kHex[p[i] & 15];
        sum += p[i];
    }
    text += kHex[(sum >> 4) & 15];
    text += kHex[sum & 15];
    return WriteString(path, section, key, text);
}

bool GetStruct(const std::string& path, const std::string& section, const std::string& key, void* data,
               size_t size) {
    std::optional<std::string> v = IniDocument::FromFile(path).Get(section, key);
    if (!v || v->size() != size * 2 + 2) return false;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string bytes(size + 1, '\0');
    for (size_t i = 0; i <= size; ++i) {
        int hi = nibble((*v)[2 * i]), lo = nibble((*v)[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes[i] = static_cast<char>(hi * 16 + lo);
    }
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) sum += static_cast<unsigned char>(bytes[i]);
    if ((sum & 0xFF) != static_cast<unsigned char>(bytes[size])) return false;
    if (size) std::copy(bytes.begin(), bytes.begin() + static_cast<long>(size), static_cast<char*>(data));
    return true;
}

}  // namespace platform::ini
