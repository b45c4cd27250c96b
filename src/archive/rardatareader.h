#pragma once
// CRarDataReader: unpacks one entry of a scanned RAR volume set with libarchive or unarr.

#include <cstdint>
#include <string>
#include <vector>

#include "archive/rarvolumescanner.h"

// One volume of a set, with what the scanner found in it.
struct RarLoadedVolume {
    std::string path;
    RarVolumeInfo info;
};

// Where an entry is: its first header (volume and index in that volume's
// file list), its place among the set's file headers, and the last volume
// that holds its data.
struct RarEntryPlace {
    size_t volume = 0;
    size_t index = 0;
    uint64_t ordinal = 0;
    size_t lastVolume = 0;
    uint64_t unpSize = 0;
};

class CRarDataReader {
public:
    // Unpacks the entry into `out`. RAR 5 and non-solid RAR 4 go through
    // libarchive: a non-solid entry as an archive image of that entry alone,
    // a solid one from its file or, in a volume set, from an image of the
    // set joined in memory. Solid RAR 4 goes through unarr, a volume set of
    // it as one joined image too. False when the library fails or yields
    // another size than `unpSize` (the size its last piece gives). The
    // caller checks the CRC.
    static bool Read(const std::vector<RarLoadedVolume>& volumes, const RarEntryPlace& place,
                     std::vector<unsigned char>& out);

    // The archive image of a solid RAR 4 volume set: one archive holding
    // every file of volumes 0..lastVolume with its parts joined. `offset`
    // receives where the header of the file at (volume, index) lies in it.
    // False when a volume cannot be read or the image would be too large.
    static bool BuildJoinedImage(const std::vector<RarLoadedVolume>& volumes, size_t lastVolume, size_t volume,
                                 size_t index, std::vector<unsigned char>& image, uint64_t& offset);

    // A small archive holding only the entry at `place` of a non-solid set,
    // its parts joined: reading it does not walk every header before the
    // entry, nor the volumes.
    static bool BuildEntryImage(const std::vector<RarLoadedVolume>& volumes, const RarEntryPlace& place,
                                std::vector<unsigned char>& image);

    // The archive image of a solid RAR 5 volume set: every file of volumes
    // 0..lastVolume, each split file's pieces joined under the header of its
    // last piece. `entry` receives how many files precede the one at
    // (volume, index) in it.
    static bool BuildJoinedImage5(const std::vector<RarLoadedVolume>& volumes, size_t lastVolume, size_t volume,
                                  size_t index, std::vector<unsigned char>& image, uint64_t& entry);

private:
    // Reads the file after the first `skip` files of an archive image.
    static bool ReadImageWithLibarchive(int version, const std::vector<unsigned char>& image, uint64_t skip,
                                        uint64_t unpSize, std::vector<unsigned char>& out);
    static bool ReadWithLibarchive(const std::vector<RarLoadedVolume>& volumes, const RarEntryPlace& place,
                                   std::vector<unsigned char>& out);
    static bool ReadWithUnarr(const std::vector<RarLoadedVolume>& volumes, const RarEntryPlace& place,
                              std::vector<unsigned char>& out);
};
