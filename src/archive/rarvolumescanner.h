#pragma once
// CRarVolumeScanner: reads the block headers of one RAR 4.x or RAR 5 volume without touching file data.

#include <cstdint>
#include <string>
#include <vector>

// Where the scanner reads from: a file or a memory block, read at offsets.
class IRarByteSource {
public:
    virtual ~IRarByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads up to `length` bytes at `offset`; returns how many were read.
    virtual size_t ReadAt(uint64_t offset, void* buffer, size_t length) const = 0;
};

// One file header of a volume: a whole file, or one part of a file that is
// split across volumes.
struct RarFilePart {
    std::string rawName;        // the name bytes as stored (RAR 4 non-Unicode names)
    std::string utf8Name;       // the name in UTF-8 when the archive gives one (RAR 5, RAR 4 Unicode)
    bool unixHost = false;      // RAR 4: written on Unix, so a plain name is in the writer's locale
    unsigned flags = 0;         // RarHeaderFlags of rarlibrary.h
    uint64_t packSize = 0;      // packed bytes of this part
    uint64_t unpSize = 0;       // unpacked size of the whole file
    uint32_t crc = 0;           // CRC-32: of the whole file in the last part, of this part's packed bytes otherwise
    bool hasCrc = false;
    bool unknownSize = false;   // RAR 5: the unpacked size was not known when written
    unsigned unpVer = 0;
    unsigned method = 0;
    uint64_t headerOffset = 0;  // where the file header begins
    uint32_t headerSize = 0;    // RAR 4: the header's length (without data)
    uint64_t dataOffset = 0;
    bool truncated = false;     // the volume ends inside this part's data
};

struct RarVolumeInfo {
    int version = 0;               // 4 or 5; 0 when this is no RAR archive
    bool isVolume = false;         // part of a volume set
    bool solid = false;
    bool encryptedHeaders = false; // everything after the archive header is encrypted
    bool firstVolume = false;      // known to be the first volume of its set
    bool newNumbering = false;     // volumes named ".partN.rar"
    bool hasEnd = false;           // an end-of-archive header was found
    bool nextVolume = false;       // the end header says another volume follows
    bool damaged = false;          // a header failed its check or ran past the end
    uint32_t volumeNumber = 0;
    std::vector<RarFilePart> files;
};

// Reads one RAR 5 variable-length integer from p[pos..size) and moves `pos`
// past it. False when the bytes end first or the value exceeds 64 bits.
bool ReadRar5Vint(const unsigned char* p, size_t size, size_t& pos, uint64_t& value);

class CRarVolumeScanner {
public:
    // Reads every header of the volume in `source`. Never throws and never
    // reads outside the source; a bad header ends the scan with `damaged` set.
    static RarVolumeInfo Scan(const IRarByteSource& source);

    // The RAR 4 Unicode name encoding: `encoded` is the part after the zero
    // byte, `ansi` the part before it. Returns the name in UTF-8.
    static std::string DecodeRar4UnicodeName(const std::string& ansi, const std::string& encoded);

private:
    static void ScanRar4(const IRarByteSource& source, RarVolumeInfo& info);
    static void ScanRar5(const IRarByteSource& source, RarVolumeInfo& info);
};
