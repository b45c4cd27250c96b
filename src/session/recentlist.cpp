#include "session/recentlist.h"

#include <cstdio>
#include <filesystem>

#include "platform/inifile.h"

namespace {

size_t Utf8Length(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

// The first `count` characters.
std::string Utf8Head(const std::string& s, size_t count) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (n == count) return s.substr(0, i);
            ++n;
        }
    }
    return s;
}

}  // namespace

CIniRecentList::CIniRecentList(std::string section, std::string entryFormat, int size, Mode mode, int displayLength)
    : m_section(std::move(section)), m_format(std::move(entryFormat)), m_size(size), m_mode(mode),
      m_displayLength(displayLength), m_entries(static_cast<size_t>(size)) {}

void CIniRecentList::Bind(const std::string& iniPath) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_iniPath = iniPath;
}

std::string CIniRecentList::Key(int index) const {
    char buf[64];
    std::snprintf(buf, sizeof buf, m_format.c_str(), index + 1);
    return buf;
}

void CIniRecentList::Add(const std::string& entry) {
    if (entry.empty()) return;
    std::string value = entry;
    if (m_mode == Mode::Paths) {
        std::error_code ec;
        std::filesystem::path full = std::filesystem::absolute(entry, ec);
        if (!ec) value = full.lexically_normal().string();
    }
    std::lock_guard<std::mutex> lock(m_lock);
    int slot = m_size - 1;
    for (int i = 0; i < m_size; ++i) {
        const std::string& e = m_entries[static_cast<size_t>(i)];
        bool same = m_mode == Mode::Names ? platform::ini::NamesEqual(e, value) : e == value;
        if (same && !e.empty()) {
            slot = i;
            break;
        }
    }
    for (int i = slot; i > 0; --i) m_entries[static_cast<size_t>(i)] = m_entries[static_cast<size_t>(i - 1)];
    m_entries[0] = value;
}

void CIniRecentList::Remove(int index) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (index < 0 || index >= m_size) return;
    m_entries.erase(m_entries.begin() + index);
    m_entries.emplace_back();
}

void CIniRecentList::ReadList() {
    std::lock_guard<std::mutex> lock(m_lock);
    platform::ini::IniDocument doc = platform::ini::IniDocument::FromFile(m_iniPath);
    std::vector<std::string> read;
    for (int i = 0; i < m_size; ++i) {
        std::string value = doc.GetString(m_section, Key(i), "", 259);
        if (!value.empty()) read.push_back(value);
    }
    // Gaps left by a hand-edited file close up: the menu numbers entries in order.
    read.resize(static_cast<size_t>(m_size));
    m_entries = std::move(read);
}

void CIniRecentList::WriteList() const {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_iniPath.empty()) return;
    std::vector<std::pair<std::string, std::string>> keys;
    for (int i = 0; i < m_size; ++i)
        if (!m_entries[static_cast<size_t>(i)].empty()) keys.emplace_back(Key(i), m_entries[static_cast<size_t>(i)]);
    if (keys.empty()) {
        platform::ini::DeleteSection(m_iniPath, m_section);
        return;
    }
    // The new entries in one rewrite, then the keys that are no longer
    // entries: a reader in between always sees a whole list.
    platform::ini::WriteStrings(m_iniPath, m_section, keys);
    for (const std::string& key : platform::ini::KeyNames(m_iniPath, m_section)) {
        bool kept = false;
        for (const auto& kv : keys) kept = kept || platform::ini::NamesEqual(kv.first, key);
        if (!kept) platform::ini::DeleteKey(m_iniPath, m_section, key);
    }
}

std::vector<std::string> CIniRecentList::Entries() const {
    std::lock_guard<std::mutex> lock(m_lock);
    std::vector<std::string> out;
    for (const std::string& e : m_entries)
        if (!e.empty()) out.push_back(e);
    return out;
}

std::string CIniRecentList::Abbreviate(const std::string& entry, int length, Mode mode) {
    const size_t max = static_cast<size_t>(length);
    if (Utf8Length(entry) <= max) return entry;
    const std::string dots = "...";
    if (mode == Mode::Paths) {
        size_t slash = entry.rfind('/');
        std::string name = slash == std::string::npos ? entry : entry.substr(slash + 1);
        std::string root = entry.compare(0, 1, "/") == 0 ? "/" : "";
        // Root, ".../" and as many trailing folders as fit before the name.
        if (Utf8Length(root + dots + "/" + name) <= max) {
            std::string tail = "/" + name;
            size_t at = slash;
            while (at != std::string::npos && at > 0) {
                size_t prev = entry.rfind('/', at - 1);
                if (prev == std::string::npos) break;
                std::string more = entry.substr(prev, at - prev) + tail;
                if (Utf8Length(root + dots + more) > max) break;
                tail = more;
                at = prev;
            }
            return root + dots + tail;
        }
        if (Utf8Length(name) <= max) return name;
        return Utf8Head(name, max - dots.size()) + dots;
    }
    return Utf8Head(entry, max - dots.size()) + dots;
}

std::string CIniRecentList::MenuText(int index) const {
    std::vector<std::string> entries = Entries();
    if (index < 0 || index >= static_cast<int>(entries.size())) return {};
    std::string shown = Abbreviate(entries[static_cast<size_t>(index)], m_displayLength, m_mode);
    std::string escaped;
    for (char c : shown) {
        if (c == '&') escaped += '&';
        escaped += c;
    }
    return "&" + std::to_string(index + 1) + " " + escaped;
}

CIniRecentList& TheRecentFiles() {
    static CIniRecentList list("Recent File List", "File%d", 8, CIniRecentList::Mode::Paths);
    return list;
}

CIniRecentList& TheRecentBookmarks() {
    static CIniRecentList list("Recent Bookmark List", "Bmk%d", 8, CIniRecentList::Mode::Names);
    return list;
}
