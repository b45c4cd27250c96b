#include "archive/rarbackendarchive.h"

#include <algorithm>
#include <sys/stat.h>
#include <zlib.h>

#include "archive/rarfilesource.h"
#include "archive/rarvolumes.h"
#include "archive/zipmanager.h"
#include "platform/codepage.h"

namespace {

constexpr size_t kBlock = 64 * 1024;
// How often one missing volume is asked for before the set is given up.
constexpr int kMaxVolumeAsks = 1000;

bool IsValidUtf8(const std::string& s)
{
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

// The device and inode of a file: two names of one file (links) give the same.
std::pair<uint64_t, uint64_t> FileId(const std::string& path)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return {0, 0};
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

bool ScanVolume(const std::string& path, RarVolumeInfo& info)
{
    CRarFileSource source(path);
    if (!source.IsOpen())
        return false;
    info = CRarVolumeScanner::Scan(source);
    return info.version != 0;
}

}  // namespace

CRarBackendArchive::CRarBackendArchive(std::string path, int mode, RarCallback callback, void* context)
    : m_path(std::move(path)), m_mode(mode), m_callback(callback), m_context(context)
{
}

int CRarBackendArchive::Open()
{
    CRarFileSource source(m_path);
    if (!source.IsOpen())
        return kRarOpenFailed;
    RarLoadedVolume first{m_path, CRarVolumeScanner::Scan(source)};
    if (first.info.version == 0)
        return kRarBadArchive;
    m_encryptedHeaders = first.info.encryptedHeaders;
    std::vector<StoredName> plainNames;
    for (const RarFilePart& part : first.info.files) {
        if (part.utf8Name.empty() && !(part.unixHost && IsValidUtf8(part.rawName)))
            plainNames.push_back({part.rawName, false});
    }
    m_names.emplace(plainNames);
    m_volumes.push_back(std::move(first));
    m_volumeIds.push_back(FileId(m_path));
    return kRarSuccess;
}

void CRarBackendArchive::SetCallback(RarCallback callback, void* context)
{
    m_callback = callback;
    m_context = context;
}

int CRarBackendArchive::Close()
{
    m_volumes.clear();
    m_volumeIds.clear();
    m_haveCurrent = false;
    return kRarSuccess;
}

std::string CRarBackendArchive::DisplayName(const RarFilePart& part) const
{
    std::string name;
    if (!part.utf8Name.empty())
        name = platform::Utf8ToAnsi(part.utf8Name);
    else if (part.unixHost && IsValidUtf8(part.rawName))
        name = platform::Utf8ToAnsi(part.rawName);
    else if (m_names)
        // Names without a Unicode form written on Windows carry the writer's
        // code page, which the names of the archive tell together.
        name = m_names->Decode({part.rawName, false});
    else
        name = part.rawName;
    for (char& c : name)
        if (c == '/')
            c = '\\';
    return name;
}

bool CRarBackendArchive::IsUnsafeName(const std::string& name)
{
    if (name.empty() || name[0] == '\\' || name[0] == '/')
        return true;
    if (name.size() >= 2 && name[1] == ':')
        return true;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = name.size();
        if (name.compare(start, end - start, "..") == 0)
            return true;
        start = end + 1;
    }
    return false;
}

bool CRarBackendArchive::HasSuccessor(size_t volume) const
{
    const RarVolumeInfo& info = m_volumes[volume].info;
    if (info.encryptedHeaders)
        return false;
    if (info.nextVolume)
        return true;
    if (!info.files.empty() && (info.files.back().flags & kRarFlagSplitAfter) && !info.files.back().truncated)
        return true;
    // Volumes written without end headers: another one may follow.
    return info.isVolume && !info.hasEnd && !info.damaged;
}

bool CRarBackendArchive::LoadNextVolume()
{
    if (m_noMoreVolumes)
        return false;
    const RarLoadedVolume& last = m_volumes.back();
    std::string next = NextRarVolumeName(last.path, m_volumes[0].info.newNumbering);
    if (next.empty()) {
        m_noMoreVolumes = true;
        return false;
    }
    for (int ask = 0; ask < kMaxVolumeAsks; ++ask) {
        RarVolumeInfo info;
        const auto id = FileId(next);
        // A name that leads back to a volume of the set (a link) would make
        // the set go round in a loop: it is no next volume.
        const bool seen = id.second != 0 && std::find(m_volumeIds.begin(), m_volumeIds.end(), id) != m_volumeIds.end();
        bool fits = !seen && ScanVolume(next, info) && info.version == last.info.version && info.isVolume &&
                    !info.firstVolume && (info.version != 5 || info.volumeNumber == last.info.volumeNumber + 1);
        if (fits) {
            if (m_callback)
                m_callback(kRarChangeVolume, m_context, reinterpret_cast<intptr_t>(next.c_str()), kRarVolumeNotify);
            m_volumes.push_back({next, std::move(info)});
            m_volumeIds.push_back(id);
            return true;
        }
        if (!m_callback ||
            m_callback(kRarChangeVolume, m_context, reinterpret_cast<intptr_t>(next.c_str()), kRarVolumeAsk) != 0)
            break;
    }
    m_noMoreVolumes = true;
    return false;
}

int CRarBackendArchive::AskPassword()
{
    if (m_password.empty() && m_callback) {
        char buffer[256] = {};
        if (m_callback(kRarNeedPassword, m_context, reinterpret_cast<intptr_t>(buffer), sizeof buffer) == 0) {
            buffer[sizeof buffer - 1] = '\0';
            m_password = buffer;
        }
    }
    // The password cannot be applied: without one the archive misses it,
    // with one the data stays unreadable.
    return m_password.empty() ? kRarMissingPassword : kRarBadData;
}

int CRarBackendArchive::NextPart()
{
    for (;;) {
        if (m_volumes.empty())
            return kRarBadArchive;
        if (m_vol < m_volumes.size() && m_index < m_volumes[m_vol].info.files.size())
            return kRarSuccess;
        const RarVolumeInfo& info = m_volumes[m_vol].info;
        if (info.damaged)
            return kRarBadArchive;
        if (!HasSuccessor(m_vol))
            return kRarEndArchive;
        if (m_vol + 1 >= m_volumes.size() && !LoadNextVolume())
            return kRarOpenFailed;
        ++m_vol;
        m_index = 0;
    }
}

int CRarBackendArchive::ReadHeaderEx(RarHeaderEx& header)
{
    if (m_encryptedHeaders)
        return AskPassword();
    if (m_haveCurrent && !m_processed) {
        int r = ProcessFile(kRarSkip);
        if (r != kRarSuccess)
            return r;
    }
    for (;;) {
        m_haveCurrent = false;
        int r = NextPart();
        if (r != kRarSuccess)
            return r;
        m_curVol = m_vol;
        m_curIndex = m_index;
        m_curOrdinal = m_ordinal++;
        ++m_index;
        m_haveCurrent = true;
        m_processed = false;
        // The size and CRC of a split file are those of its last piece,
        // written when the whole file was known (a writer that did not know
        // the size beforehand leaves it open in the earlier pieces). Looking
        // them up loads the following volumes, which skipping the file would
        // load anyway; without them the first piece's values stand.
        size_t lastVolume = m_curVol;
        const bool whole = FindPieces(lastVolume) == kRarSuccess;
        const RarFilePart& part = m_volumes[m_curVol].info.files[m_curIndex];
        const RarFilePart& last = whole && lastVolume != m_curVol ? m_volumes[lastVolume].info.files[0] : part;
        std::string name = DisplayName(part);
        if (IsUnsafeName(name)) {
            // Never reported: a name that climbs out of the archive has no
            // place among its pages.
            r = ProcessFile(kRarSkip);
            if (r != kRarSuccess)
                return r;
            continue;
        }
        header = RarHeaderEx();
        header.fileName = std::move(name);
        header.flags = part.flags;
        // A later volume of a solid set is marked as such on its first file
        // even when that file's own header does not say so (a continued file).
        const RarVolumeInfo& opened = m_volumes[0].info;
        if (m_curOrdinal == 0 && opened.solid && opened.isVolume && !opened.firstVolume &&
            (opened.version == 5 || opened.newNumbering))
            header.flags |= kRarFlagSolid;
        header.packSize = static_cast<uint32_t>(part.packSize);
        header.packSizeHigh = static_cast<uint32_t>(part.packSize >> 32);
        header.unpSize = static_cast<uint32_t>(last.unpSize);
        header.unpSizeHigh = static_cast<uint32_t>(last.unpSize >> 32);
        header.fileCrc = last.crc;
        header.unpVer = part.unpVer;
        header.method = part.method;
        return kRarSuccess;
    }
}

int CRarBackendArchive::ReadHeader(RarHeader& header)
{
    RarHeaderEx ex;
    int r = ReadHeaderEx(ex);
    if (r == kRarSuccess)
        header = static_cast<const RarHeader&>(ex);
    return r;
}

int CRarBackendArchive::FindPieces(size_t& lastVolume)
{
    lastVolume = m_curVol;
    bool more = m_volumes[m_curVol].info.files[m_curIndex].flags & kRarFlagSplitAfter;
    while (more) {
        size_t v = lastVolume + 1;
        if (v >= m_volumes.size() && !LoadNextVolume())
            return kRarOpenFailed;
        const auto& files = m_volumes[v].info.files;
        if (files.empty() || !(files[0].flags & kRarFlagSplitBefore))
            return kRarBadData;
        lastVolume = v;
        more = files[0].flags & kRarFlagSplitAfter;
    }
    return kRarSuccess;
}

int CRarBackendArchive::CollectPieces(size_t& lastVolume)
{
    int r = FindPieces(lastVolume);
    if (lastVolume != m_curVol) {
        m_vol = lastVolume;
        m_index = 1;
    }
    return r;
}

int CRarBackendArchive::ProcessFile(int operation)
{
    if (!m_haveCurrent || m_processed)
        return kRarBadArchive;
    m_processed = true;
    size_t lastVolume = 0;
    int r = CollectPieces(lastVolume);
    if (r != kRarSuccess)
        return r;
    if (operation != kRarTest)
        return kRarSuccess;
    if (m_mode == kRarOpenList)
        return kRarBadArchive;  // a listing handle reads no data

    // The first part carries the flags; the last one the size and CRC of the whole file.
    const RarFilePart& first = m_volumes[m_curVol].info.files[m_curIndex];
    const RarFilePart& last =
        lastVolume == m_curVol ? first : m_volumes[lastVolume].info.files[0];
    if ((first.flags & kRarFlagDirectory) == kRarFlagDirectory)
        return kRarSuccess;
    if (first.flags & kRarFlagEncrypted)
        return AskPassword();
    if (first.truncated || last.truncated || (first.flags & kRarFlagSplitBefore) || last.unknownSize)
        return kRarBadData;
    if (last.unpSize > kMaxEntrySize)
        return kRarNoMemory;

    RarEntryPlace place;
    place.volume = m_curVol;
    place.index = m_curIndex;
    place.ordinal = m_curOrdinal;
    place.lastVolume = lastVolume;
    place.unpSize = last.unpSize;
    std::vector<unsigned char> data;
    if (!CRarDataReader::Read(m_volumes, place, data))
        return kRarBadData;
    // Neither library checks stored files: the CRC is checked here, so that
    // what is handed out is what was archived.
    if (last.hasCrc && static_cast<uint32_t>(crc32(0L, data.data(), static_cast<uInt>(data.size()))) != last.crc)
        return kRarBadData;
    if (m_callback) {
        for (size_t at = 0; at < data.size(); at += kBlock) {
            size_t n = data.size() - at < kBlock ? data.size() - at : kBlock;
            if (m_callback(kRarProcessData, m_context, reinterpret_cast<intptr_t>(data.data() + at),
                           static_cast<intptr_t>(n)) == -1)
                return kRarBadData;
        }
    }
    return kRarSuccess;
}
