#include "frame/favouritesfolder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/inifile.h"
#include "platform/registrystore.h"

namespace fs = std::filesystem;

namespace {

// Folders nested deeper than this are not followed (a link loop ends here).
constexpr int kMaxDepth = 32;

bool LessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        unsigned char ux = static_cast<unsigned char>(x), uy = static_cast<unsigned char>(y);
        if (ux < 0x80) ux = static_cast<unsigned char>(std::tolower(ux));
        if (uy < 0x80) uy = static_cast<unsigned char>(std::tolower(uy));
        return ux < uy;
    });
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

void CFavouritesFolder::Load(const std::string& folder) {
    m_root = Menu();
    m_addresses.clear();
    if (!folder.empty()) Fill(folder, m_root, 0);
}

bool CFavouritesFolder::Fill(const std::string& folder, Menu& menu, int depth) {
    std::error_code ec;
    std::vector<std::pair<std::string, std::string>> files;  // title, address
    std::vector<std::string> folders;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;  // hidden
        std::error_code typeEc;
        if (it->is_directory(typeEc)) {
            folders.push_back(name);
        } else if (it->is_regular_file(typeEc) && EndsWith(name, ".url")) {
            std::string address = platform::ini::GetString(it->path().string(), "InternetShortcut", "URL", "", 2048);
            files.emplace_back(name.substr(0, name.size() - 4), address);
        }
    }
    std::stable_sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return LessNoCase(a.first, b.first); });
    std::sort(folders.begin(), folders.end(), LessNoCase);
    const int capacity = kLastId - kFirstId + 1;
    for (auto& [title, address] : files) {
        if (static_cast<int>(m_addresses.size()) >= capacity) break;
        menu.items.push_back({title, static_cast<int>(m_addresses.size())});
        m_addresses.push_back(address);
    }
    if (depth < kMaxDepth) {
        for (const std::string& name : folders) {
            Menu sub;
            sub.title = name;
            Fill(folder + "/" + name, sub, depth + 1);
            if (!sub.items.empty() || !sub.folders.empty()) menu.folders.push_back(std::move(sub));
        }
    }
    return !menu.items.empty() || !menu.folders.empty();
}

std::string CFavouritesFolder::AddressOf(int id) const {
    int index = id - kFirstId;
    if (index < 0 || index >= static_cast<int>(m_addresses.size())) return {};
    return m_addresses[index];
}

std::string CFavouritesFolder::WriteShortcut(const std::string& folder, const std::string& title,
                                             const std::string& address) {
    std::string name;
    for (char c : title) name += (c == '/' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos || folder.empty() || address.empty()) return {};
    name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    // A leading dot would hide the file from the menu.
    if (name[0] == '.') name[0] = '_';
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::string path = folder + "/" + name + ".url";
    if (!platform::ini::WriteString(path, "InternetShortcut", "URL", address)) return {};
    return path;
}

std::string CFavouritesFolder::ExpandEnvironment(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        char c = text[i];
        size_t end = std::string::npos;
        std::string name;
        if (c == '%') {
            end = text.find('%', i + 1);
            if (end != std::string::npos) name = text.substr(i + 1, end - i - 1), ++end;
        } else if (c == '$' && i + 1 < text.size() && text[i + 1] == '{') {
            end = text.find('}', i + 2);
            if (end != std::string::npos) name = text.substr(i + 2, end - i - 2), ++end;
        } else if (c == '$') {
            size_t j = i + 1;
            while (j < text.size() && (std::isalnum(static_cast<unsigned char>(text[j])) || text[j] == '_')) ++j;
            if (j > i + 1) name = text.substr(i + 1, j - i - 1), end = j;
        }
        if (!name.empty() && end != std::string::npos) {
            const char* value = std::getenv(name.c_str());
            if (value) {
                out += value;
                i = end;
                continue;
            }
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

std::string CFavouritesFolder::DefaultFolder() {
    auto value = platform::RegistryStore::Instance().GetString(
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Favorites");
    if (value && !value->empty()) return ExpandEnvironment(*value);
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data && *data) base = data;
    else if (const char* home = std::getenv("HOME")) base = std::string(home) + "/.local/share";
    else return {};
    return base + "/Pagora/Favorites";
}
