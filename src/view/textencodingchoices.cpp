#include "view/textencodingchoices.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "session/addressmapping.h"
#include "settings/localpath.h"
#include "archive/archiveholder.h"
#include "archive/requestpath.h"
#include "platform/atomicfile.h"
#include "platform/modulepath.h"
#include "view/textroute.h"

namespace {

constexpr char kMagic[] = "Pagora text encodings 1";

}  // namespace

CTextEncodingChoices::CTextEncodingChoices(std::string file) : m_file(std::move(file)) {}

CTextEncodingChoices& CTextEncodingChoices::Program() {
    static CTextEncodingChoices choices(platform::ProfileFolder() + "/TextEncodings");
    return choices;
}

std::string CTextEncodingChoices::Format(const Entries& entries) {
    std::string text = std::string(kMagic) + "\n";
    for (const auto& [key, encoding] : entries) text += encoding + "\t" + key + "\n";
    return text;
}

CTextEncodingChoices::Entries CTextEncodingChoices::Parse(const std::string& text) {
    Entries entries;
    size_t pos = text.find('\n');
    if (pos == std::string::npos || text.compare(0, pos, kMagic) != 0) return entries;
    ++pos;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        const size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0 || tab + 1 >= line.size()) continue;
        const std::string encoding = line.substr(0, tab);
        if (encoding.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.:") !=
            std::string::npos)
            continue;
        entries.emplace_back(line.substr(tab + 1), encoding);
    }
    return entries;
}

void CTextEncodingChoices::LoadLocked() const {
    if (m_loaded) return;
    m_loaded = true;
    std::string text;
    if (platform::ReadWholeFile(m_file, text)) m_entries = Parse(text);
}

std::string CTextEncodingChoices::Chosen(const std::string& key) const {
    std::lock_guard<std::mutex> lock(m_lock);
    LoadLocked();
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
        if (it->first == key) return it->second;
    return {};
}

bool CTextEncodingChoices::Choose(const std::string& key, const std::string& encoding) {
    // A key with a line break could not be read back as one line.
    if (key.empty() || key.find('\n') != std::string::npos) return false;
    std::lock_guard<std::mutex> lock(m_lock);
    LoadLocked();
    auto edit = [&](Entries& entries) {
        for (auto it = entries.begin(); it != entries.end();)
            it = it->first == key ? entries.erase(it) : it + 1;
        if (!encoding.empty()) entries.emplace_back(key, encoding);
        if (entries.size() > kMaxChoices) entries.erase(entries.begin(), entries.end() - kMaxChoices);
    };
    edit(m_entries);
    // Another run of the program may have kept choices since: the file's own
    // list is edited, not replaced by this run's.
    return platform::LockedRewrite(m_file, [&](std::string& text) {
        Entries entries = Parse(text);
        edit(entries);
        text = Format(entries);
        return true;
    });
}

namespace textencoding {

namespace {

// The entry name a loopback address asks for; empty when it is no address
// of the open archive.
std::string EntryOf(const std::string& plain) {
    if (!IsLoopbackAddress(plain)) return {};
    std::string request = EntryPathOfAddress(plain);
    const size_t query = request.find_first_of("?#");
    if (query != std::string::npos) request.erase(query);
    return DecodeRequestPath(request);
}

std::mutex s_usedLock;
std::map<std::string, std::string> s_used;

}  // namespace

std::string KeyFor(const std::string& address) {
    const std::string plain = textroute::PlainAddress(address);
    const std::string local = AddressToLocalPath(plain);
    if (!local.empty()) return local;
    const std::string entry = EntryOf(plain);
    const std::string archive = entry.empty() ? std::string() : TheArchiveHolder().ArchivePath();
    if (!archive.empty()) return archive + "\t" + entry;
    return plain;
}

bool ReadSample(const std::string& address, size_t maxBytes, std::string* sample, bool* whole) {
    sample->clear();
    *whole = false;
    const std::string plain = textroute::PlainAddress(address);
    const std::string local = AddressToLocalPath(plain);
    if (!local.empty()) {
        FILE* file = std::fopen(local.c_str(), "rb");
        if (!file) return false;
        sample->resize(maxBytes + 1);
        const size_t got = std::fread(sample->data(), 1, maxBytes + 1, file);
        std::fclose(file);
        *whole = got <= maxBytes;
        sample->resize(std::min(got, maxBytes));
        return true;
    }
    const std::string entry = EntryOf(plain);
    if (entry.empty()) return false;
    size_t size = 0;
    std::unique_ptr<char, decltype(&std::free)> data(TheArchiveHolder().ExtractEntry(entry, &size), &std::free);
    if (!data) return false;
    *whole = size <= maxBytes;
    sample->assign(data.get(), std::min(size, maxBytes));
    return true;
}

void RecordUsed(const std::string& address, const std::string& encoding) {
    const std::string key = KeyFor(address);
    std::lock_guard<std::mutex> lock(s_usedLock);
    // The texts of one run; a bound keeps a long session's record small.
    if (s_used.size() >= 256) s_used.clear();
    s_used[key] = encoding;
}

std::string Used(const std::string& address) {
    const std::string key = KeyFor(address);
    std::lock_guard<std::mutex> lock(s_usedLock);
    auto it = s_used.find(key);
    return it == s_used.end() ? std::string() : it->second;
}

}  // namespace textencoding
