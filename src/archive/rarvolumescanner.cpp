#include "archive/rarvolumescanner.h"

#include "platform/codepage.h"

#include <cstring>
#include <zlib.h>

#include "archive/rarlibrary.h"

namespace {

const unsigned char kRar4Mark[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
const unsigned char kRar5Mark[8] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};

// RAR 4 block types and flags.
constexpr unsigned kMainHead = 0x73, kFileHead = 0x74, kEndArcHead = 0x7B;
constexpr unsigned kMhdVolume = 0x0001, kMhdSolid = 0x0008, kMhdNewNumbering = 0x0010, kMhdPassword = 0x0080,
                   kMhdFirstVolume = 0x0100;
constexpr unsigned kLhdSplitBefore = 0x01, kLhdSplitAfter = 0x02, kLhdPassword = 0x04, kLhdSolid = 0x10,
                   kLhdDirectoryMask = 0xE0, kLhdLarge = 0x100, kLhdUnicode = 0x200;
constexpr unsigned kLongBlock = 0x8000;
constexpr unsigned kEarcNextVolume = 0x0001;

// RAR 5 header types and flags.
constexpr uint64_t kHead5Main = 1, kHead5File = 2, kHead5Crypt = 4, kHead5End = 5;
constexpr uint64_t kHfl5Extra = 0x01, kHfl5Data = 0x02, kHfl5SplitBefore = 0x08, kHfl5SplitAfter = 0x10;
constexpr uint64_t kMhfl5Volume = 0x01, kMhfl5VolNumber = 0x02, kMhfl5Solid = 0x04;
constexpr uint64_t kFhfl5Directory = 0x01, kFhfl5Time = 0x02, kFhfl5Crc = 0x04, kFhfl5UnknownSize = 0x08;
constexpr uint64_t kExtra5Crypt = 0x01;
// A RAR 5 header may not be larger than this.
constexpr uint64_t kMaxHeader5 = 2 * 1024 * 1024;

uint32_t Crc32(const unsigned char* data, size_t size)
{
    return static_cast<uint32_t>(crc32(0L, data, static_cast<uInt>(size)));
}

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// Reads the variable-length integers of RAR 5 headers from a byte range.
class Reader5 {
public:
    Reader5(const unsigned char* p, size_t size) : m_p(p), m_size(size) {}
    bool Vint(uint64_t& value)
    {
        value = 0;
        for (int shift = 0; shift < 70; shift += 7) {
            if (m_pos >= m_size)
                return false;
            unsigned char b = m_p[m_pos++];
            if (shift == 63 && (b & 0x7E))
                return false;  // more than 64 bits
            value |= static_cast<uint64_t>(b & 0x7F) << shift;
            if (!(b & 0x80))
                return true;
        }
        return false;
    }
    bool U32(uint32_t& value)
    {
        if (m_size - m_pos < 4)
            return false;
        value = Le32(m_p + m_pos);
        m_pos += 4;
        return true;
    }
    bool Bytes(size_t count, const unsigned char*& out)
    {
        if (m_size - m_pos < count)
            return false;
        out = m_p + m_pos;
        m_pos += count;
        return true;
    }
    size_t Pos() const { return m_pos; }
    size_t Size() const { return m_size; }

private:
    const unsigned char* m_p;
    size_t m_size;
    size_t m_pos = 0;
};

// Reads one variable-length integer straight from the source.
bool SourceVint(const IRarByteSource& source, uint64_t offset, uint64_t& value, size_t& length)
{
    unsigned char buf[10];
    size_t n = source.ReadAt(offset, buf, sizeof buf);
    Reader5 r(buf, n);
    if (!r.Vint(value))
        return false;
    length = r.Pos();
    return true;
}

}  // namespace

bool ReadRar5Vint(const unsigned char* p, size_t size, size_t& pos, uint64_t& value)
{
    if (pos > size)
        return false;
    Reader5 r(p + pos, size - pos);
    if (!r.Vint(value))
        return false;
    pos += r.Pos();
    return true;
}

RarVolumeInfo CRarVolumeScanner::Scan(const IRarByteSource& source)
{
    RarVolumeInfo info;
    unsigned char mark[8] = {};
    size_t n = source.ReadAt(0, mark, sizeof mark);
    if (n >= 8 && std::memcmp(mark, kRar5Mark, 8) == 0) {
        info.version = 5;
        ScanRar5(source, info);
    } else if (n >= 7 && std::memcmp(mark, kRar4Mark, 7) == 0) {
        info.version = 4;
        ScanRar4(source, info);
    }
    return info;
}

std::string CRarVolumeScanner::DecodeRar4UnicodeName(const std::string& ansi, const std::string& encoded)
{
    // The encoded name gives each UTF-16 unit in one of four ways chosen by
    // two flag bits: a low byte, a low byte with the common high byte, a full
    // unit, or a run copied from the ANSI name with an optional correction.
    const auto* enc = reinterpret_cast<const unsigned char*>(encoded.data());
    size_t encSize = encoded.size();
    std::u16string units;
    const size_t maxUnits = 2048;
    size_t pos = 0;
    if (encSize == 0)
        return std::string();
    unsigned highByte = enc[pos++];
    unsigned flags = 0;
    int flagBits = 0;
    while (pos < encSize && units.size() < maxUnits) {
        if (flagBits == 0) {
            flags = enc[pos++];
            flagBits = 8;
        }
        switch (flags >> 6) {
        case 0:
            if (pos >= encSize)
                goto done;
            units += static_cast<char16_t>(enc[pos++]);
            break;
        case 1:
            if (pos >= encSize)
                goto done;
            units += static_cast<char16_t>(enc[pos++] + (highByte << 8));
            break;
        case 2:
            if (pos + 1 >= encSize)
                goto done;
            units += static_cast<char16_t>(enc[pos] + (enc[pos + 1] << 8));
            pos += 2;
            break;
        case 3: {
            if (pos >= encSize)
                goto done;
            unsigned length = enc[pos++];
            if (length & 0x80) {
                if (pos >= encSize)
                    goto done;
                unsigned correction = enc[pos++];
                for (length = (length & 0x7F) + 2; length > 0 && units.size() < maxUnits; --length) {
                    size_t i = units.size();
                    unsigned char a = i < ansi.size() ? static_cast<unsigned char>(ansi[i]) : 0;
                    units += static_cast<char16_t>(((a + correction) & 0xFF) + (highByte << 8));
                }
            } else {
                for (length += 2; length > 0 && units.size() < maxUnits; --length) {
                    size_t i = units.size();
                    units += static_cast<char16_t>(i < ansi.size() ? static_cast<unsigned char>(ansi[i]) : 0);
                }
            }
            break;
        }
        }
        flags = (flags << 2) & 0xFF;
        flagBits -= 2;
    }
done:
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t u = units[i];
        if (u == 0)
            break;
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            u = 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            u = '?';
        }
        platform::AppendUtf8(out, u);
    }
    return out;
}

void CRarVolumeScanner::ScanRar4(const IRarByteSource& source, RarVolumeInfo& info)
{
    const uint64_t size = source.Size();
    uint64_t pos = 7;
    std::string header;
    while (pos < size) {
        unsigned char base[7];
        if (source.ReadAt(pos, base, 7) < 7) {
            info.damaged = true;
            return;
        }
        unsigned type = base[2];
        unsigned flags = Le16(base + 3);
        unsigned headSize = Le16(base + 5);
        if (headSize < 7) {
            info.damaged = true;
            return;
        }
        header.resize(headSize);
        if (source.ReadAt(pos, header.data(), headSize) < headSize) {
            info.damaged = true;
            return;
        }
        const auto* h = reinterpret_cast<const unsigned char*>(header.data());
        if ((Crc32(h + 2, headSize - 2) & 0xFFFF) != Le16(h)) {
            info.damaged = true;
            return;
        }
        uint64_t addSize = 0;
        if (flags & kLongBlock) {
            if (headSize < 11) {
                info.damaged = true;
                return;
            }
            addSize = Le32(h + 7);
        }

        if (type == kMainHead) {
            info.isVolume = flags & kMhdVolume;
            info.solid = flags & kMhdSolid;
            info.newNumbering = flags & kMhdNewNumbering;
            info.firstVolume = !(flags & kMhdVolume) || (flags & kMhdFirstVolume);
            if (flags & kMhdPassword) {
                info.encryptedHeaders = true;
                return;
            }
        } else if (type == kFileHead) {
            // PACK_SIZE UNP_SIZE HOST_OS FILE_CRC FTIME UNP_VER METHOD NAME_SIZE ATTR
            if (headSize < 32) {
                info.damaged = true;
                return;
            }
            RarFilePart part;
            uint64_t packHigh = 0, unpHigh = 0;
            size_t nameAt = 32;
            if (flags & kLhdLarge) {
                if (headSize < 40) {
                    info.damaged = true;
                    return;
                }
                packHigh = Le32(h + 32);
                unpHigh = Le32(h + 36);
                nameAt = 40;
            }
            part.packSize = (packHigh << 32) | Le32(h + 7);
            part.unpSize = (unpHigh << 32) | Le32(h + 11);
            part.crc = Le32(h + 16);
            part.hasCrc = true;
            part.unixHost = h[15] == 3;
            part.unpVer = h[24];
            part.method = h[25];
            size_t nameSize = Le16(h + 26);
            if (nameAt + nameSize > headSize) {
                info.damaged = true;
                return;
            }
            std::string name(header, nameAt, nameSize);
            if (flags & kLhdUnicode) {
                size_t zero = name.find('\0');
                if (zero == std::string::npos)
                    part.utf8Name = name;  // stored as UTF-8 already
                else
                    part.utf8Name = DecodeRar4UnicodeName(name.substr(0, zero), name.substr(zero + 1));
                part.rawName = name.substr(0, zero);
            } else {
                part.rawName = name.substr(0, name.find('\0'));
            }
            unsigned out = 0;
            if (flags & kLhdSplitBefore)
                out |= kRarFlagSplitBefore;
            if (flags & kLhdSplitAfter)
                out |= kRarFlagSplitAfter;
            if (flags & kLhdPassword)
                out |= kRarFlagEncrypted;
            if (flags & kLhdSolid)
                out |= kRarFlagSolid;
            if ((flags & kLhdDirectoryMask) == kLhdDirectoryMask)
                out |= kRarFlagDirectory;
            part.flags = out;
            part.headerOffset = pos;
            part.headerSize = headSize;
            part.dataOffset = pos + headSize;
            addSize = part.packSize;
            part.truncated = part.dataOffset > size || size - part.dataOffset < part.packSize;
            info.files.push_back(std::move(part));
            if (info.files.back().truncated) {
                info.damaged = true;
                return;
            }
        } else if (type == kEndArcHead) {
            info.hasEnd = true;
            info.nextVolume = flags & kEarcNextVolume;
            return;
        }
        if (addSize > size || pos + headSize > size - addSize) {
            info.damaged = true;  // a block that claims more than the file holds
            return;
        }
        pos += headSize + addSize;
    }
}

void CRarVolumeScanner::ScanRar5(const IRarByteSource& source, RarVolumeInfo& info)
{
    const uint64_t size = source.Size();
    uint64_t pos = 8;
    std::string header;
    info.firstVolume = true;
    while (pos < size) {
        unsigned char crcBytes[4];
        uint64_t headSize = 0;
        size_t sizeLen = 0;
        if (source.ReadAt(pos, crcBytes, 4) < 4 || !SourceVint(source, pos + 4, headSize, sizeLen) ||
            headSize == 0 || headSize > kMaxHeader5 || headSize > size) {
            info.damaged = true;
            return;
        }
        uint64_t total = sizeLen + headSize;  // the checked bytes: size field and header
        header.resize(static_cast<size_t>(total));
        if (source.ReadAt(pos + 4, header.data(), header.size()) < header.size()) {
            info.damaged = true;
            return;
        }
        const auto* h = reinterpret_cast<const unsigned char*>(header.data());
        if (Crc32(h, header.size()) != Le32(crcBytes)) {
            info.damaged = true;
            return;
        }
        Reader5 r(h + sizeLen, static_cast<size_t>(headSize));
        uint64_t type = 0, hflags = 0, extraSize = 0, dataSize = 0;
        if (!r.Vint(type) || !r.Vint(hflags) || ((hflags & kHfl5Extra) && !r.Vint(extraSize)) ||
            ((hflags & kHfl5Data) && !r.Vint(dataSize)) || extraSize > headSize) {
            info.damaged = true;
            return;
        }
        const uint64_t headerEnd = pos + 4 + total;
        if (dataSize > size || headerEnd > size - dataSize) {
            // The data area runs past the end of the file: only a file part
            // may be cut short like this, and nothing can follow it.
            if (type != kHead5File) {
                info.damaged = true;
                return;
            }
        }
        // The extra area sits at the end of the header.
        const size_t extraAt = static_cast<size_t>(headSize - extraSize);

        if (type == kHead5Main) {
            uint64_t aflags = 0;
            if (!r.Vint(aflags)) {
                info.damaged = true;
                return;
            }
            info.isVolume = aflags & kMhfl5Volume;
            info.solid = aflags & kMhfl5Solid;
            info.newNumbering = true;
            if (aflags & kMhfl5VolNumber) {
                uint64_t number = 0;
                if (!r.Vint(number)) {
                    info.damaged = true;
                    return;
                }
                info.volumeNumber = number > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(number);
            }
            info.firstVolume = info.volumeNumber == 0;
        } else if (type == kHead5Crypt) {
            info.encryptedHeaders = true;
            return;
        } else if (type == kHead5File) {
            RarFilePart part;
            uint64_t fflags = 0, unpSize = 0, attr = 0, compInfo = 0, hostOs = 0, nameLen = 0;
            uint32_t mtime = 0, crc = 0;
            const unsigned char* name = nullptr;
            if (!r.Vint(fflags) || !r.Vint(unpSize) || !r.Vint(attr) || ((fflags & kFhfl5Time) && !r.U32(mtime)) ||
                ((fflags & kFhfl5Crc) && !r.U32(crc)) || !r.Vint(compInfo) || !r.Vint(hostOs) || !r.Vint(nameLen) ||
                nameLen > 64 * 1024 || !r.Bytes(static_cast<size_t>(nameLen), name) || r.Pos() > extraAt) {
                info.damaged = true;
                return;
            }
            part.utf8Name.assign(reinterpret_cast<const char*>(name), static_cast<size_t>(nameLen));
            part.utf8Name = part.utf8Name.substr(0, part.utf8Name.find('\0'));
            part.rawName = part.utf8Name;
            part.unpSize = unpSize;
            part.unknownSize = fflags & kFhfl5UnknownSize;
            part.crc = crc;
            part.hasCrc = fflags & kFhfl5Crc;
            part.unpVer = 50;
            part.method = static_cast<unsigned>((compInfo >> 7) & 7);
            unsigned out = 0;
            if (hflags & kHfl5SplitBefore)
                out |= kRarFlagSplitBefore;
            if (hflags & kHfl5SplitAfter)
                out |= kRarFlagSplitAfter;
            if (compInfo & 0x40)
                out |= kRarFlagSolid;
            if (fflags & kFhfl5Directory)
                out |= kRarFlagDirectory;
            // Walk the extra records for the file encryption record.
            Reader5 extra(h + sizeLen + extraAt, static_cast<size_t>(extraSize));
            while (extra.Pos() < extra.Size()) {
                uint64_t recSize = 0, recType = 0;
                size_t start = extra.Pos();
                if (!extra.Vint(recSize) || recSize == 0 || recSize > extra.Size() - extra.Pos())
                    break;
                size_t recEnd = extra.Pos() + static_cast<size_t>(recSize);
                if (!extra.Vint(recType))
                    break;
                if (recType == kExtra5Crypt)
                    out |= kRarFlagEncrypted;
                const unsigned char* skip = nullptr;
                if (recEnd < extra.Pos() || !extra.Bytes(recEnd - extra.Pos(), skip) || extra.Pos() == start)
                    break;
            }
            part.flags = out;
            part.packSize = dataSize;
            part.headerOffset = pos;
            part.dataOffset = headerEnd;
            part.truncated = headerEnd > size || size - headerEnd < dataSize;
            info.files.push_back(std::move(part));
            if (info.files.back().truncated) {
                info.damaged = true;
                return;
            }
        } else if (type == kHead5End) {
            uint64_t eflags = 0;
            r.Vint(eflags);
            info.hasEnd = true;
            info.nextVolume = eflags & 1;
            return;
        }
        pos = headerEnd + dataSize;
    }
}
