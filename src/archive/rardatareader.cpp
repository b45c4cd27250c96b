#include "archive/rardatareader.h"

#include <archive.h>
#include <archive_entry.h>
#include <cstring>
#include <memory>
#include <mutex>
#include <unarr.h>
#include <zlib.h>

#include "archive/rarfilesource.h"
#include "archive/rarlibrary.h"
#include "archive/zipmanager.h"

namespace {

constexpr size_t kBlock = 64 * 1024;
// A joined image of a solid volume set is held in memory; past this size
// the set is refused rather than exhausting memory.
constexpr uint64_t kMaxJoinedImage = 1024ull * 1024 * 1024;

// libarchive and unarr both convert header times through the C library's
// time zone state; calls into them are kept one at a time. The holder's
// archive lock already serialises the program's own calls.
std::mutex s_libraryLock;

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};

void PutLe16(unsigned char* p, unsigned v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void PutLe32(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// Appends a RAR 4 block, filling in its header CRC.
void AppendBlock4(std::vector<unsigned char>& image, std::vector<unsigned char> block)
{
    PutLe16(block.data(), static_cast<unsigned>(crc32(0L, block.data() + 2, static_cast<uInt>(block.size() - 2))) & 0xFFFF);
    image.insert(image.end(), block.begin(), block.end());
}

// Reads the data of the current entry, which must have `unpSize` bytes.
bool ReadEntryData(archive* a, archive_entry* entry, uint64_t unpSize, std::vector<unsigned char>& out)
{
    if (archive_entry_size_is_set(entry) && static_cast<uint64_t>(archive_entry_size(entry)) != unpSize)
        return false;  // not the entry the headers describe
    out.reserve(static_cast<size_t>(unpSize));
    unsigned char buf[kBlock];
    for (;;) {
        la_ssize_t n = archive_read_data(a, buf, sizeof buf);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (out.size() + static_cast<size_t>(n) > unpSize)
            return false;
        out.insert(out.end(), buf, buf + n);
    }
    // A volume set handed over incompletely yields short data silently.
    return out.size() == unpSize;
}

}  // namespace

bool CRarDataReader::Read(const std::vector<RarLoadedVolume>& volumes, const RarEntryPlace& place,
                          std::vector<unsigned char>& out)
{
    out.clear();
    if (volumes.empty() || place.lastVolume >= volumes.size() || place.volume > place.lastVolume)
        return false;
    if (place.unpSize > kMaxEntrySize)
        return false;
    std::lock_guard<std::mutex> guard(s_libraryLock);
    const RarVolumeInfo& first = volumes[0].info;
    if (first.version == 4 && first.solid)
        return ReadWithUnarr(volumes, place, out);
    std::vector<unsigned char> image;
    if (!first.solid && BuildEntryImage(volumes, place, image))
        return ReadImageWithLibarchive(first.version, image, place.unpSize, out);
    return ReadWithLibarchive(volumes, place, out);
}

bool CRarDataReader::BuildEntryImage(const std::vector<RarLoadedVolume>& volumes, const RarEntryPlace& place,
                                     std::vector<unsigned char>& image)
{
    image.clear();
    if (place.volume >= volumes.size() || place.lastVolume >= volumes.size() ||
        place.index >= volumes[place.volume].info.files.size())
        return false;
    const int version = volumes[place.volume].info.version;
    if (version == 5 && place.lastVolume != place.volume)
        return false;
    // The parts of the entry: the first header, then the first file of
    // each following volume up to the last one.
    std::vector<const RarFilePart*> parts{&volumes[place.volume].info.files[place.index]};
    for (size_t v = place.volume + 1; v <= place.lastVolume; ++v) {
        if (volumes[v].info.files.empty())
            return false;
        parts.push_back(&volumes[v].info.files[0]);
    }
    uint64_t packed = 0;
    for (const RarFilePart* p : parts) {
        if (p->truncated)
            return false;
        packed += p->packSize;
    }
    const RarFilePart& head = *parts.front();
    const uint64_t headerSize = head.dataOffset - head.headerOffset;
    if (packed > kMaxEntrySize * 2 || headerSize > 4 * 1024 * 1024)
        return false;
    image.reserve(static_cast<size_t>(packed + headerSize) + 64);

    CRarFileSource first(volumes[place.volume].path);
    if (!first.IsOpen())
        return false;
    if (version == 4) {
        static const unsigned char mark[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
        image.insert(image.end(), mark, mark + 7);
        AppendBlock4(image, {0, 0, 0x73, 0x00, 0x00, 13, 0, 0, 0, 0, 0, 0, 0});
    } else {
        // Signature, then a main header with no flags: CRC, size 3, type 1, flags 0, archive flags 0.
        static const unsigned char mark[8] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};
        image.insert(image.end(), mark, mark + 8);
        unsigned char main[8] = {0, 0, 0, 0, 3, 1, 0, 0};
        PutLe32(main, static_cast<uint32_t>(crc32(0L, main + 4, 4)));
        image.insert(image.end(), main, main + 8);
    }
    const size_t headerAt = image.size();
    image.resize(headerAt + static_cast<size_t>(headerSize));
    if (first.ReadAt(head.headerOffset, image.data() + headerAt, static_cast<size_t>(headerSize)) != headerSize)
        return false;
    for (size_t i = 0; i < parts.size(); ++i) {
        CRarFileSource other(volumes[place.volume + i].path);
        const CRarFileSource& source = i == 0 ? first : other;
        if (!source.IsOpen())
            return false;
        size_t at = image.size();
        image.resize(at + static_cast<size_t>(parts[i]->packSize));
        if (source.ReadAt(parts[i]->dataOffset, image.data() + at, static_cast<size_t>(parts[i]->packSize)) !=
            parts[i]->packSize)
            return false;
    }
    if (version == 4) {
        if (parts.size() > 1) {
            // One whole file: joined packed size, the final CRC, no split flags.
            constexpr unsigned kLhdSplitBefore = 0x01, kLhdSplitAfter = 0x02, kLhdLarge = 0x100;
            unsigned char* h = image.data() + headerAt;
            unsigned flags = (h[3] | (h[4] << 8)) & ~(kLhdSplitBefore | kLhdSplitAfter);
            PutLe16(h + 3, flags);
            PutLe32(h + 7, static_cast<uint32_t>(packed));
            if (flags & kLhdLarge)
                PutLe32(h + 32, static_cast<uint32_t>(packed >> 32));
            PutLe32(h + 16, parts.back()->crc);
            PutLe16(h, static_cast<unsigned>(crc32(0L, h + 2, static_cast<uInt>(headerSize - 2))) & 0xFFFF);
        }
        AppendBlock4(image, {0, 0, 0x7B, 0x00, 0x00, 7, 0});
    } else {
        // End of archive: CRC, size 3, type 5, flags 0, end flags 0.
        unsigned char end[8] = {0, 0, 0, 0, 3, 5, 0, 0};
        PutLe32(end, static_cast<uint32_t>(crc32(0L, end + 4, 4)));
        image.insert(image.end(), end, end + 8);
    }
    return true;
}

bool CRarDataReader::ReadImageWithLibarchive(int version, const std::vector<unsigned char>& image, uint64_t unpSize,
                                             std::vector<unsigned char>& out)
{
    std::unique_ptr<archive, ArchiveCloser> a(archive_read_new());
    if (!a)
        return false;
    if (version == 5)
        archive_read_support_format_rar5(a.get());
    else
        archive_read_support_format_rar(a.get());
    if (archive_read_open_memory(a.get(), image.data(), image.size()) != ARCHIVE_OK)
        return false;
    archive_entry* entry = nullptr;
    int r = archive_read_next_header(a.get(), &entry);
    if (r < ARCHIVE_WARN || r == ARCHIVE_EOF)
        return false;
    return ReadEntryData(a.get(), entry, unpSize, out);
}

bool CRarDataReader::ReadWithLibarchive(const std::vector<RarLoadedVolume>& volumes, const RarEntryPlace& place,
                                        std::vector<unsigned char>& out)
{
    std::unique_ptr<archive, ArchiveCloser> a(archive_read_new());
    if (!a)
        return false;
    if (volumes[0].info.version == 5)
        archive_read_support_format_rar5(a.get());
    else
        archive_read_support_format_rar(a.get());
    std::vector<const char*> names;
    for (size_t v = 0; v <= place.lastVolume; ++v)
        names.push_back(volumes[v].path.c_str());
    names.push_back(nullptr);
    if (archive_read_open_filenames(a.get(), names.data(), kBlock) != ARCHIVE_OK)
        return false;
    archive_entry* entry = nullptr;
    for (uint64_t i = 0;; ++i) {
        int r = archive_read_next_header(a.get(), &entry);
        if (r < ARCHIVE_WARN || r == ARCHIVE_EOF)
            return false;
        if (i < place.ordinal) {
            if (archive_read_data_skip(a.get()) < ARCHIVE_WARN)
                return false;
            continue;
        }
        return ReadEntryData(a.get(), entry, place.unpSize, out);
    }
}

bool CRarDataReader::ReadWithUnarr(const std::vector<RarLoadedVolume>& volumes, const RarEntryPlace& place,
                                   std::vector<unsigned char>& out)
{
    std::vector<unsigned char> image;
    uint64_t target = 0;
    ar_stream* stream = nullptr;
    if (place.lastVolume == 0) {
        stream = ar_open_file(volumes[0].path.c_str());
        target = volumes[0].info.files[place.index].headerOffset;
    } else {
        if (!BuildJoinedImage(volumes, place.lastVolume, place.volume, place.index, image, target))
            return false;
        stream = ar_open_memory(image.data(), image.size());
    }
    if (!stream)
        return false;
    ar_archive* ar = ar_open_rar_archive(stream);
    if (!ar) {
        ar_close(stream);
        return false;
    }
    bool ok = false;
    std::vector<unsigned char> scratch(kBlock);
    while (ar_parse_entry(ar)) {
        uint64_t offset = static_cast<uint64_t>(ar_entry_get_offset(ar));
        size_t size = ar_entry_get_size(ar);
        if (offset == target) {
            if (size != place.unpSize)
                break;
            out.resize(size);
            ok = size == 0 || ar_entry_uncompress(ar, out.data(), size);
            break;
        }
        if (offset > target)
            break;
        // In a solid archive every file builds on the ones before it, so the
        // earlier files are unpacked (and dropped) on the way. A damaged one
        // need not spoil the wanted file: that one's own check decides.
        bool drained = true;
        for (size_t left = size; left > 0 && drained;) {
            size_t n = left < kBlock ? left : kBlock;
            drained = ar_entry_uncompress(ar, scratch.data(), n);
            left -= n;
        }
    }
    ar_close_archive(ar);
    ar_close(stream);
    if (!ok)
        out.clear();
    return ok;
}

bool CRarDataReader::BuildJoinedImage(const std::vector<RarLoadedVolume>& volumes, size_t lastVolume, size_t volume,
                                      size_t index, std::vector<unsigned char>& image, uint64_t& offset)
{
    constexpr unsigned kLhdSplitBefore = 0x01, kLhdSplitAfter = 0x02, kLhdLarge = 0x100;
    image.clear();
    offset = UINT64_MAX;
    if (lastVolume >= volumes.size())
        return false;
    uint64_t total = 0;
    for (size_t v = 0; v <= lastVolume; ++v)
        for (const RarFilePart& p : volumes[v].info.files)
            total += p.headerSize + p.packSize;
    if (total > kMaxJoinedImage)
        return false;
    image.reserve(static_cast<size_t>(total) + 64);
    static const unsigned char mark[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
    image.insert(image.end(), mark, mark + 7);
    AppendBlock4(image, {0, 0, 0x73, 0x08, 0x00, 13, 0, 0, 0, 0, 0, 0, 0});  // archive header, solid

    size_t open = SIZE_MAX;     // image offset of the header of a file still being joined
    uint64_t openPacked = 0;
    unsigned openHeadSize = 0;
    auto finish = [&](uint32_t crc) {
        // The joined file is one whole file: its packed size, the final
        // CRC, no split flags, and a fresh header CRC.
        unsigned char* h = image.data() + open;
        unsigned flags = (h[3] | (h[4] << 8)) & ~(kLhdSplitBefore | kLhdSplitAfter);
        PutLe16(h + 3, flags);
        PutLe32(h + 7, static_cast<uint32_t>(openPacked));
        if (flags & kLhdLarge)
            PutLe32(h + 32, static_cast<uint32_t>(openPacked >> 32));
        PutLe32(h + 16, crc);
        PutLe16(h, static_cast<unsigned>(crc32(0L, h + 2, openHeadSize - 2)) & 0xFFFF);
        open = SIZE_MAX;
    };
    for (size_t v = 0; v <= lastVolume; ++v) {
        CRarFileSource source(volumes[v].path);
        if (!source.IsOpen())
            return false;
        const auto& files = volumes[v].info.files;
        for (size_t i = 0; i < files.size(); ++i) {
            const RarFilePart& p = files[i];
            if (p.truncated)
                return false;
            bool continuation = p.flags & kRarFlagSplitBefore;
            if (continuation && open == SIZE_MAX)
                continue;  // the start of this file lies before the set's first volume
            if (!continuation) {
                if (open != SIZE_MAX)
                    return false;  // a split file whose continuation is missing
                if (v == volume && i == index)
                    offset = image.size();
                open = image.size();
                openPacked = 0;
                openHeadSize = p.headerSize;
                size_t at = image.size();
                image.resize(at + p.headerSize);
                if (source.ReadAt(p.headerOffset, image.data() + at, p.headerSize) != p.headerSize)
                    return false;
            }
            size_t at = image.size();
            image.resize(at + static_cast<size_t>(p.packSize));
            if (source.ReadAt(p.dataOffset, image.data() + at, static_cast<size_t>(p.packSize)) != p.packSize)
                return false;
            openPacked += p.packSize;
            if (!(p.flags & kRarFlagSplitAfter))
                finish(p.crc);
        }
    }
    if (open != SIZE_MAX)
        finish(0);
    AppendBlock4(image, {0, 0, 0x7B, 0x00, 0x00, 7, 0});  // end of archive
    return offset != UINT64_MAX;
}
