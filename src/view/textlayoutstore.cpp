#include "view/textlayoutstore.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "settings/localpath.h"
#include "platform/atomicfile.h"
#include "platform/modulepath.h"
#include "view/textroute.h"

namespace {

constexpr char kMagic[] = "Pagora text layout 1";
constexpr char kExtension[] = ".layout";
constexpr char kPartMagic[] = "Pagora text part 1";
constexpr char kPartExtension[] = ".part";

// Identity of the file behind an address (of any of its parts).
std::string IdentityOf(const std::string& address) {
    return CTextLayoutStore::FileIdentity(AddressToLocalPath(textroute::WithoutPart(address)));
}

// The next line of `text` from `pos` (without its line feed); false at the end.
bool NextLine(const std::string& text, size_t& pos, std::string& line) {
    if (pos >= text.size()) return false;
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    line.assign(text, pos, end - pos);
    pos = end + 1;
    return true;
}

}  // namespace

CTextLayoutStore::CTextLayoutStore(std::string folder) : m_folder(std::move(folder)) {}

CTextLayoutStore& CTextLayoutStore::Program() {
    static CTextLayoutStore store(platform::ProfileFolder() + "/TextLayout");
    return store;
}

std::string CTextLayoutStore::FileIdentity(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    const long long mtime = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return std::to_string(static_cast<long long>(st.st_size)) + " " + std::to_string(mtime);
}

std::string CTextLayoutStore::RecordPath(const std::string& address, const char* extension) const {
    char name[32];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(textroute::AddressHash(address)));
    return m_folder + "/" + name + extension;
}

std::string CTextLayoutStore::Format(const std::string& address, const std::string& identity,
                                     const std::vector<uint32_t>& heights64) {
    std::string text = std::string(kMagic) + "\n" + address + "\n" + identity + "\n";
    text += std::to_string(heights64.size()) + "\n";
    for (size_t i = 0; i < heights64.size(); ++i) {
        text += std::to_string(heights64[i]);
        text += (i + 1) % 16 == 0 || i + 1 == heights64.size() ? '\n' : ' ';
    }
    return text;
}

std::vector<uint32_t> CTextLayoutStore::Parse(const std::string& text, const std::string& address,
                                              const std::string& identity) {
    size_t pos = 0;
    std::string line;
    if (!NextLine(text, pos, line) || line != kMagic) return {};
    if (!NextLine(text, pos, line) || line != address) return {};
    if (!NextLine(text, pos, line) || line != identity || identity.empty()) return {};
    if (!NextLine(text, pos, line) || line.empty() || line.size() > 8 ||
        line.find_first_not_of("0123456789") != std::string::npos)
        return {};
    const size_t count = std::strtoul(line.c_str(), nullptr, 10);
    if (count == 0 || count > kMaxTables) return {};
    std::vector<uint32_t> heights;
    heights.reserve(count);
    const char* p = text.c_str() + std::min(pos, text.size());
    while (heights.size() < count) {
        while (*p == ' ' || *p == '\n') ++p;
        if (*p < '0' || *p > '9') return {};
        unsigned long long value = 0;
        int digits = 0;
        while (*p >= '0' && *p <= '9') {
            if (++digits > 10) return {};
            value = value * 10 + static_cast<unsigned>(*p++ - '0');
        }
        if (value > UINT32_MAX) return {};
        heights.push_back(static_cast<uint32_t>(value));
    }
    while (*p == ' ' || *p == '\n') ++p;
    // A record cut short or with more after its heights is no record.
    if (p != text.c_str() + text.size()) return {};
    return heights;
}

std::vector<uint32_t> CTextLayoutStore::Load(const std::string& address) const {
    const std::string identity = IdentityOf(address);
    if (identity.empty()) return {};
    std::string text;
    if (!platform::ReadWholeFile(RecordPath(address, kExtension), text)) return {};
    return Parse(text, address, identity);
}

int CTextLayoutStore::LoadPart(const std::string& address) const {
    const std::string plain = textroute::WithoutPart(address);
    const std::string identity = IdentityOf(plain);
    std::string text;
    if (identity.empty() || !platform::ReadWholeFile(RecordPath(plain, kPartExtension), text)) return 1;
    const std::string expected = std::string(kPartMagic) + "\n" + plain + "\n" + identity + "\n";
    if (text.compare(0, expected.size(), expected) != 0) return 1;
    const std::string number = text.substr(expected.size());
    if (number.size() < 2 || number.size() > 8 || number.back() != '\n' ||
        number.find_first_not_of("0123456789") != number.size() - 1)
        return 1;
    const int part = std::atoi(number.c_str());
    return part >= 1 ? part : 1;
}

bool CTextLayoutStore::SavePart(const std::string& address, int part) const {
    const std::string plain = textroute::WithoutPart(address);
    const std::string identity = IdentityOf(plain);
    if (identity.empty() || part < 1) return false;
    if (::mkdir(m_folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    const std::string text =
        std::string(kPartMagic) + "\n" + plain + "\n" + identity + "\n" + std::to_string(part) + "\n";
    if (!platform::LockedRewrite(RecordPath(plain, kPartExtension), [&](std::string& current) {
            current = text;
            return true;
        }))
        return false;
    Prune();
    return true;
}

bool CTextLayoutStore::Save(const std::string& address, const std::vector<uint32_t>& heights64) const {
    const std::string identity = IdentityOf(address);
    if (identity.empty() || heights64.empty() || heights64.size() > kMaxTables) return false;
    if (::mkdir(m_folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    const std::string text = Format(address, identity, heights64);
    if (!platform::LockedRewrite(RecordPath(address, kExtension), [&](std::string& current) {
            current = text;
            return true;
        }))
        return false;
    Prune();
    return true;
}

void CTextLayoutStore::Prune() const {
    // Each kind of record is kept for the kMaxRecords texts saved last.
    for (const char* extension : {kExtension, kPartExtension}) {
        const std::string ext = extension;
        DIR* dir = ::opendir(m_folder.c_str());
        if (!dir) return;
        std::vector<std::pair<long long, std::string>> records;
        while (dirent* e = ::readdir(dir)) {
            std::string name = e->d_name;
            if (name.size() <= ext.size() || name.compare(name.size() - ext.size(), std::string::npos, ext) != 0)
                continue;
            struct stat st {};
            std::string path = m_folder + "/" + name;
            if (::stat(path.c_str(), &st) != 0) continue;
            records.emplace_back(static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
                                 path);
        }
        ::closedir(dir);
        if (records.size() <= kMaxRecords) continue;
        std::sort(records.begin(), records.end());
        for (size_t i = 0; i + kMaxRecords < records.size(); ++i) ::unlink(records[i].second.c_str());
    }
}
