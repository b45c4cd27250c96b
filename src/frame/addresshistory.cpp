#include "frame/addresshistory.h"

#include <algorithm>
#include <cctype>

#include "platform/registrystore.h"

namespace {

std::string Lower(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool StartsWith(const std::string& s, const std::string& head) { return s.compare(0, head.size(), head) == 0; }

// The address without its scheme and a leading "www.".
std::string Bare(const std::string& address) {
    std::string bare = address;
    for (const char* scheme : {"http://", "https://", "file://"}) {
        if (StartsWith(Lower(bare.substr(0, 8)), scheme)) {
            bare.erase(0, std::char_traits<char>::length(scheme));
            break;
        }
    }
    if (StartsWith(Lower(bare.substr(0, 4)), "www.")) bare.erase(0, 4);
    return bare;
}

// Puts `item` first, removing an earlier copy, and keeps at most `limit`.
void MoveToFront(std::vector<std::string>& list, const std::string& item, size_t limit) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
    list.insert(list.begin(), item);
    if (list.size() > limit) list.resize(limit);
}

}  // namespace

const char* CAddressHistory::TypedKey() { return "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs"; }

void CAddressHistory::Load(platform::RegistryStore& store) {
    m_typed.clear();
    for (size_t i = 1; i <= kTypedLimit; ++i) {
        auto value = store.GetString(TypedKey(), "url" + std::to_string(i));
        if (!value) break;
        if (!value->empty() && std::find(m_typed.begin(), m_typed.end(), *value) == m_typed.end())
            m_typed.push_back(*value);
    }
}

void CAddressHistory::Entered(const std::string& text, platform::RegistryStore* store) {
    if (text.empty()) return;
    m_dropDown.push_back(text);
    MoveToFront(m_typed, text, kTypedLimit);
    if (!store) return;
    for (size_t i = 0; i < kTypedLimit; ++i) {
        std::string name = "url" + std::to_string(i + 1);
        if (i < m_typed.size()) store->SetString(TypedKey(), name, m_typed[i]);
        else if (!store->GetString(TypedKey(), name)) break;
        else store->DeleteValue(TypedKey(), name);
    }
}

void CAddressHistory::Reached(const std::string& address) {
    if (address.empty()) return;
    MoveToFront(m_visited, address, kVisitedLimit);
}

std::vector<std::string> CAddressHistory::Completions(const std::string& prefix) const {
    std::vector<std::string> out;
    if (prefix.empty()) return out;
    std::string lower = Lower(prefix);
    // A document typed as a path and reached as a file address is offered once.
    std::vector<std::string> offered;
    auto consider = [&](const std::string& address) {
        std::string bare = Bare(address);
        if (!StartsWith(Lower(address), lower) && !StartsWith(Lower(bare), lower)) return;
        if (std::find(offered.begin(), offered.end(), bare) != offered.end()) return;
        offered.push_back(bare);
        out.push_back(address);
    };
    for (const std::string& a : m_typed) consider(a);
    for (const std::string& a : m_visited) consider(a);
    return out;
}
