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

void AppendVint(std::vector<unsigned char>& out, uint64_t value)
{
    do {
        unsigned char b = value & 0x7F;
        value >>= 7;
        out.push_back(value ? (b | 0x80) : b);
    } while (value);
}

void AppendRar5Mark(std::vector<unsigned char>& image, bool solid)
{
    // Signature, then a main header: CRC, size 3, type 1, flags 0, archive flags.
    static const unsigned char mark[8] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};
    image.insert(image.end(), mark, mark + 8);
    unsigned char main[8] = {0, 0, 0, 0, 3, 1, 0, static_cast<unsigned char>(solid ? 0x04 : 0)};
    PutLe32(main, static_cast<uint32_t>(crc32(0L, main + 4, 4)));
    image.insert(image.end(), main, main + 8);
}

void AppendRar5End(std::vector<unsigned char>& image)
{
    // End of archive: CRC, size 3, type 5, flags 0, end flags 0.
    unsigned char end[8] = {0, 0, 0, 0, 3, 5, 0, 0};
    PutLe32(end, static_cast<uint32_t>(crc32(0L, end + 4, 4)));
    image.insert(image.end(), end, end + 8);
}

// Appends the header of one whole RAR 5 file, made from `raw`, the header
// of its last piece: that one is written when the whole file is known and
// carries its size, CRC and hash. The split flags go, and the data size
// becomes `packed`, the pieces joined. The new size may take other vint
// bytes than the old one, so the header is encoded afresh.
bool AppendJoinedRar5Header(std::vector<unsigned char>& image, const unsigned char* raw, size_t rawSize,
                            uint64_t packed)
{
    constexpr uint64_t kExtra = 0x01, kData = 0x02, kSplitBefore = 0x08, kSplitAfter = 0x10;
    size_t pos = 4;
    uint64_t headSize = 0, type = 0, flags = 0, extraSize = 0, dataSize = 0;
    if (rawSize < 5 || !ReadRar5Vint(raw, rawSize, pos, headSize) || headSize > rawSize - pos)
        return false;
    const size_t end = pos + static_cast<size_t>(headSize);
    if (!ReadRar5Vint(raw, end, pos, type) || !ReadRar5Vint(raw, end, pos, flags) ||
        ((flags & kExtra) && !ReadRar5Vint(raw, end, pos, extraSize)) ||
        ((flags & kData) && !ReadRar5Vint(raw, end, pos, dataSize)))
        return false;
    std::vector<unsigned char> body;
    AppendVint(body, type);
    AppendVint(body, (flags & ~(kSplitBefore | kSplitAfter)) | kData);
    if (flags & kExtra)
        AppendVint(body, extraSize);
    AppendVint(body, packed);
    body.insert(body.end(), raw + pos, raw + end);  // the file's own fields and the extra area
    std::vector<unsigned char> sized;
    AppendVint(sized, body.size());
    sized.insert(sized.end(), body.begin(), body.end());
    unsigned char crc[4];
    PutLe32(crc, static_cast<uint32_t>(crc32(0L, sized.data(), static_cast<uInt>(sized.size()))));
    image.insert(image.end(), crc, crc + 4);
    image.insert(image.end(), sized.begin(), sized.end());
    return true;
}

// A piece followed by others carries the CRC of its own packed bytes; the
// last one that of the whole file, which the caller checks. RAR 4 writers
// before 2.0 left the field empty (0xFFFFFFFF or older versions).
bool PieceCrcHolds(int version, const RarFilePart& piece, const unsigned char* data)
{
    if (!(piece.flags & kRarFlagSplitAfter))
        return true;
    if (version == 5 ? !piece.hasCrc : piece.unpVer < 20 || piece.crc == 0xFFFFFFFFu)
        return true;
    return static_cast<uint32_t>(crc32(0L, data, static_cast<uInt>(piece.packSize))) == piece.crc;
}

// Appends `size` bytes of `source` read at `offset`.
bool AppendFrom(std::vector<unsigned char>& image, const CRarFileSource& source, uint64_t offset, uint64_t size)
{
    size_t at = image.size();
    image.resize(at + static_cast<size_t>(size));
    return source.ReadAt(offset, image.data() + at, static_cast<size_t>(size)) == size;
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
    // libarchive never walks a volume list here: its RAR 5 reader fails on
    // a following volume shorter than its 512-byte look-ahead. Files that
    // span volumes are read from images with their pieces joined.
    std::vector<unsigned char> image;
    if (!first.solid) {
        if (BuildEntryImage(volumes, place, image))
            return ReadImageWithLibarchive(first.version, image, 0, place.unpSize, out);
        return place.lastVolume == 0 && ReadWithLibarchive(volumes, place, out);
    }
    if (place.lastVolume == 0)
        return ReadWithLibarchive(volumes, place, out);
    uint64_t skip = 0;
    if (!BuildJoinedImage5(volumes, place.lastVolume, place.volume, place.index, image, skip))
        return false;
    return ReadImageWithLibarchive(5, image, skip, place.unpSize, out);
}

bool CRarDataReader::BuildEntryImage(const std::vector<RarLoadedVolume>& volumes, const RarEntryPlace& place,
                                     std::vector<unsigned char>& image)
{
    image.clear();
    if (place.volume >= volumes.size() || place.lastVolume >= volumes.size() ||
        place.index >= volumes[place.volume].info.files.size())
        return false;
    const int version = volumes[place.volume].info.version;
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
    const RarFilePart& head = version == 4 ? *parts.front() : *parts.back();
    const size_t headVolume = version == 4 ? place.volume : place.lastVolume;
    const uint64_t headerSize = head.dataOffset - head.headerOffset;
    if (packed > kMaxEntrySize * 2 || headerSize > 4 * 1024 * 1024)
        return false;
    image.reserve(static_cast<size_t>(packed + headerSize) + 64);

    std::vector<unsigned char> header(static_cast<size_t>(headerSize));
    {
        CRarFileSource source(volumes[headVolume].path);
        if (!source.IsOpen() || source.ReadAt(head.headerOffset, header.data(), header.size()) != header.size())
            return false;
    }
    if (version == 4) {
        static const unsigned char mark[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
        image.insert(image.end(), mark, mark + 7);
        AppendBlock4(image, {0, 0, 0x73, 0x00, 0x00, 13, 0, 0, 0, 0, 0, 0, 0});
        if (parts.size() > 1) {
            // One whole file: joined packed size, the size and CRC of the
            // last part (which the writer knew in full), no split flags.
            constexpr unsigned kLhdSplitBefore = 0x01, kLhdSplitAfter = 0x02, kLhdLarge = 0x100;
            unsigned char* h = header.data();
            unsigned flags = (h[3] | (h[4] << 8)) & ~(kLhdSplitBefore | kLhdSplitAfter);
            PutLe16(h + 3, flags);
            PutLe32(h + 7, static_cast<uint32_t>(packed));
            PutLe32(h + 11, static_cast<uint32_t>(place.unpSize));
            if (flags & kLhdLarge) {
                PutLe32(h + 32, static_cast<uint32_t>(packed >> 32));
                PutLe32(h + 36, static_cast<uint32_t>(place.unpSize >> 32));
            }
            PutLe32(h + 16, parts.back()->crc);
            PutLe16(h, static_cast<unsigned>(crc32(0L, h + 2, static_cast<uInt>(headerSize - 2))) & 0xFFFF);
        }
        image.insert(image.end(), header.begin(), header.end());
    } else {
        AppendRar5Mark(image, false);
        if (!AppendJoinedRar5Header(image, header.data(), header.size(), packed))
            return false;
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        CRarFileSource source(volumes[place.volume + i].path);
        const size_t at = image.size();
        if (!source.IsOpen() || !AppendFrom(image, source, parts[i]->dataOffset, parts[i]->packSize) ||
            !PieceCrcHolds(version, *parts[i], image.data() + at))
            return false;
    }
    if (version == 4)
        AppendBlock4(image, {0, 0, 0x7B, 0x00, 0x00, 7, 0});
    else
        AppendRar5End(image);
    return true;
}

bool CRarDataReader::ReadImageWithLibarchive(int version, const std::vector<unsigned char>& image, uint64_t skip,
                                             uint64_t unpSize, std::vector<unsigned char>& out)
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
    for (uint64_t i = 0;; ++i) {
        int r = archive_read_next_header(a.get(), &entry);
        if (r < ARCHIVE_WARN || r == ARCHIVE_EOF)
            return false;
        if (i == skip)
            return ReadEntryData(a.get(), entry, unpSize, out);
        // A solid file builds on the ones before it: they are unpacked on the way.
        if (archive_read_data_skip(a.get()) < ARCHIVE_WARN)
            return false;
    }
}

bool CRarDataReader::BuildJoinedImage5(const std::vector<RarLoadedVolume>& volumes, size_t lastVolume,
                                       size_t volume, size_t index, std::vector<unsigned char>& image,
                                       uint64_t& entry)
{
    image.clear();
    entry = UINT64_MAX;
    if (lastVolume >= volumes.size())
        return false;
    uint64_t total = 0;
    for (size_t v = 0; v <= lastVolume; ++v)
        for (const RarFilePart& p : volumes[v].info.files)
            total += (p.dataOffset - p.headerOffset) + p.packSize;
    if (total > kMaxJoinedImage)
        return false;
    image.reserve(static_cast<size_t>(total) + 64);
    AppendRar5Mark(image, true);

    // The data of the file being joined waits here until its last piece,
    // whose header goes in front of it.
    std::vector<unsigned char> pending;
    bool open = false;
    uint64_t files = 0;
    for (size_t v = 0; v <= lastVolume; ++v) {
        CRarFileSource source(volumes[v].path);
        if (!source.IsOpen())
            return false;
        const auto& parts = volumes[v].info.files;
        for (size_t i = 0; i < parts.size(); ++i) {
            const RarFilePart& p = parts[i];
            if (p.truncated)
                return false;
            bool continuation = p.flags & kRarFlagSplitBefore;
            if (continuation && !open)
                continue;  // the start of this file lies before the set's first volume
            if (!continuation) {
                if (open)
                    return false;  // a split file whose continuation is missing
                if (v == volume && i == index)
                    entry = files;
                open = true;
                pending.clear();
            }
            const size_t at = pending.size();
            if (!AppendFrom(pending, source, p.dataOffset, p.packSize))
                return false;
            // Only the wanted file's pieces must hold: an earlier damaged
            // file need not spoil it.
            if (entry == files && !PieceCrcHolds(5, p, pending.data() + at))
                return false;
            if (!(p.flags & kRarFlagSplitAfter)) {
                std::vector<unsigned char> header(static_cast<size_t>(p.dataOffset - p.headerOffset));
                if (source.ReadAt(p.headerOffset, header.data(), header.size()) != header.size() ||
                    !AppendJoinedRar5Header(image, header.data(), header.size(), pending.size()))
                    return false;
                image.insert(image.end(), pending.begin(), pending.end());
                open = false;
                ++files;
            }
        }
    }
    AppendRar5End(image);
    return entry != UINT64_MAX;
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
    auto finish = [&](const RarFilePart* last) {
        // The joined file is one whole file: its packed size, the size and
        // CRC of its last part (0 when the set ends inside it), no split
        // flags, and a fresh header CRC.
        unsigned char* h = image.data() + open;
        unsigned flags = (h[3] | (h[4] << 8)) & ~(kLhdSplitBefore | kLhdSplitAfter);
        PutLe16(h + 3, flags);
        PutLe32(h + 7, static_cast<uint32_t>(openPacked));
        if (flags & kLhdLarge)
            PutLe32(h + 32, static_cast<uint32_t>(openPacked >> 32));
        if (last) {
            PutLe32(h + 11, static_cast<uint32_t>(last->unpSize));
            if (flags & kLhdLarge)
                PutLe32(h + 36, static_cast<uint32_t>(last->unpSize >> 32));
        }
        PutLe32(h + 16, last ? last->crc : 0);
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
            if (open == offset && !PieceCrcHolds(4, p, image.data() + at))
                return false;  // only the wanted file's pieces must hold
            openPacked += p.packSize;
            if (!(p.flags & kRarFlagSplitAfter))
                finish(&p);
        }
    }
    if (open != SIZE_MAX)
        finish(nullptr);
    AppendBlock4(image, {0, 0, 0x7B, 0x00, 0x00, 7, 0});  // end of archive
    return offset != UINT64_MAX;
}
