#include "platform/registrystore.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/atomicfile.h"
#include "platform/inifile.h"
#include "platform/modulepath.h"

namespace platform {
namespace {

using ini::IniDocument;

std::string UpperAscii(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Percent-encodes the bytes that would break an INI line or name.
std::string Escape(const std::string& s, const char* extra) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        bool special = c == '%' || c == '\r' || c == '\n' || c == '\0' || (extra && std::strchr(extra, c) && c != 0);
        if (special) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string Unescape(const std::string& s) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
            out += static_cast<char>(hex(s[i + 1]) * 16 + hex(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Value names become INI keys: "@" is the default value.
std::string NameKey(const std::string& name) { return name.empty() ? "@" : Escape(name, "=[;@ \t]\""); }
std::string KeyOfName(const std::string& key) { return key == "@" ? std::string() : Unescape(key); }

// Section names are the normalized key path with its parts escaped.
std::string SectionOf(const std::string& normalized) { return Escape(normalized, "]"); }

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() && ini::NamesEqual(std::string_view(s).substr(0, prefix.size()), prefix);
}

std::vector<std::string> Ancestors(const std::string& normalized) {
    std::vector<std::string> out;
    for (size_t pos = normalized.find('\\'); pos != std::string::npos; pos = normalized.find('\\', pos + 1))
        out.push_back(normalized.substr(0, pos));
    out.push_back(normalized);
    return out;
}

}  // namespace

RegistryStore& RegistryStore::Instance() {
    static RegistryStore s_store(ProfileFolder() + "/registry.ini");
    return s_store;
}

RegistryStore::RegistryStore(std::string filePath) : m_path(std::move(filePath)) {}

std::string RegistryStore::NormalizeKey(const std::string& key) {
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= key.size()) {
        size_t slash = key.find('\\', pos);
        std::string part = key.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos);
        if (!part.empty()) parts.push_back(part);
        if (slash == std::string::npos) break;
        pos = slash + 1;
    }
    if (parts.empty()) return {};
    std::string root = UpperAscii(parts[0]);
    if (root == "HKCU") root = "HKEY_CURRENT_USER";
    else if (root == "HKCR") root = "HKEY_CLASSES_ROOT";
    else if (root == "HKLM") root = "HKEY_LOCAL_MACHINE";
    else if (root == "HKU") root = "HKEY_USERS";
    if (root != "HKEY_CURRENT_USER" && root != "HKEY_CLASSES_ROOT" && root != "HKEY_LOCAL_MACHINE" &&
        root != "HKEY_USERS")
        return {};
    std::string out = root;
    for (size_t i = 1; i < parts.size(); ++i) out += "\\" + parts[i];
    return out;
}

bool RegistryStore::CreateKey(const std::string& key) {
    std::string n = NormalizeKey(key);
    if (n.empty()) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    return LockedRewrite(m_path, [&](std::string& text) {
        IniDocument doc = IniDocument::FromText(text);
        for (const std::string& a : Ancestors(n))
            if (!doc.AddSection(SectionOf(a))) return false;
        text = doc.ToText();  // an unchanged text is not rewritten
        return true;
    });
}

bool RegistryStore::KeyExists(const std::string& key) {
    std::string n = NormalizeKey(key);
    if (n.empty()) return false;
    if (n.find('\\') == std::string::npos) return true;  // the roots always exist
    return IniDocument::FromFile(m_path).HasSection(SectionOf(n));
}

bool RegistryStore::DeleteKey(const std::string& key) {
    std::string n = NormalizeKey(key);
    if (n.empty() || n.find('\\') == std::string::npos) return false;  // a root cannot be deleted
    std::lock_guard<std::mutex> lock(m_mutex);
    bool found = false;
    bool ok = LockedRewrite(m_path, [&](std::string& text) {
        IniDocument doc = IniDocument::FromText(text);
        const std::string sec = SectionOf(n);
        const std::string prefix = sec + "\\";
        for (const std::string& s : doc.SectionNames())
            if (ini::NamesEqual(s, sec) || StartsWithNoCase(s, prefix)) found = doc.RemoveSection(s) || found;
        if (!found) return false;
        text = doc.ToText();
        return true;
    });
    return ok && found;
}

bool RegistryStore::SetString(const std::string& key, const std::string& name, const std::string& value) {
    return SetStored(key, name, "s:" + Escape(value, nullptr));
}

bool RegistryStore::SetNumber(const std::string& key, const std::string& name, uint32_t value) {
    return SetStored(key, name, "n:" + std::to_string(value));
}

bool RegistryStore::SetStored(const std::string& key, const std::string& name, const std::string& stored) {
    std::string n = NormalizeKey(key);
    if (n.empty()) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    bool valid = true;
    bool ok = LockedRewrite(m_path, [&](std::string& text) {
        IniDocument doc = IniDocument::FromText(text);
        for (const std::string& a : Ancestors(n)) doc.AddSection(SectionOf(a));
        valid = doc.Set(SectionOf(n), NameKey(name), stored);
        if (!valid) return false;
        text = doc.ToText();  // an unchanged text is not rewritten
        return true;
    });
    return ok && valid;
}

std::optional<std::string> RegistryStore::GetString(const std::string& key, const std::string& name) {
    std::string n = NormalizeKey(key);
    if (n.empty()) return std::nullopt;
    std::optional<std::string> v = IniDocument::FromFile(m_path).Get(SectionOf(n), NameKey(name));
    if (!v || v->compare(0, 2, "s:") != 0) return std::nullopt;
    return Unescape(v->substr(2));
}

std::optional<uint32_t> RegistryStore::GetNumber(const std::string& key, const std::string& name) {
    std::string n = NormalizeKey(key);
    if (n.empty()) return std::nullopt;
    std::optional<std::string> v = IniDocument::FromFile(m_path).Get(SectionOf(n), NameKey(name));
    if (!v || v->compare(0, 2, "n:") != 0 || v->size() == 2) return std::nullopt;
    uint64_t x = 0;
    for (size_t i = 2; i < v->size(); ++i) {
        char c = (*v)[i];
        if (c < '0' || c > '9') return std::nullopt;
        x = x * 10 + static_cast<uint64_t>(c - '0');
        if (x > 0xFFFFFFFFull) return std::nullopt;
    }
    return static_cast<uint32_t>(x);
}

bool RegistryStore::DeleteValue(const std::string& key, const std::string& name) {
    std::string n = NormalizeKey(key);
    if (n.empty()) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    bool found = false;
    bool ok = LockedRewrite(m_path, [&](std::string& text) {
        IniDocument doc = IniDocument::FromText(text);
        found = doc.Remove(SectionOf(n), NameKey(name));
        if (!found) return false;
        text = doc.ToText();
        return true;
    });
    return ok && found;
}

std::vector<std::string> RegistryStore::SubKeys(const std::string& key) {
    std::vector<std::string> out;
    std::string n = NormalizeKey(key);
    if (n.empty()) return out;
    const std::string prefix = SectionOf(n) + "\\";
    for (const std::string& s : IniDocument::FromFile(m_path).SectionNames()) {
        if (!StartsWithNoCase(s, prefix)) continue;
        std::string rest = s.substr(prefix.size());
        if (rest.empty() || rest.find('\\') != std::string::npos) continue;
        out.push_back(Unescape(rest));
    }
    return out;
}

std::vector<std::string> RegistryStore::ValueNames(const std::string& key) {
    std::vector<std::string> out;
    std::string n = NormalizeKey(key);
    if (n.empty()) return out;
    for (const std::string& k : IniDocument::FromFile(m_path).KeyNames(SectionOf(n))) out.push_back(KeyOfName(k));
    return out;
}

}  // namespace platform
