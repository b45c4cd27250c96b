#pragma once
// Helpers for the RAR tests: fixture paths, file bytes, and reading a whole archive through an IRarLibrary.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "archive/rarlibrary.h"

namespace rartest {

std::string Fixture(const std::string& name);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// What a walk over an archive met: each file header with its flags, and the
// data of each file that tested successfully.
struct Walk {
    int openResult = 0;
    int endResult = 0;  // the result that ended the walk
    std::vector<std::string> names;
    std::vector<unsigned> flags;
    std::map<std::string, std::string> data;
    std::map<std::string, int> testResults;
    std::vector<std::string> volumesAsked;
    int passwordRequests = 0;
    int volumeAnswer = -1;  // what a volume request is answered with
};

// Opens `path` for extraction and tests every file, collecting its data.
void WalkArchive(IRarLibrary& library, const std::string& path, Walk& walk);

// The entries of an archive read with libarchive ("/" separators, UTF-8 names),
// handed the volumes in order.
std::map<std::string, std::string> ReadWithLibarchive(const std::vector<std::string>& volumes, bool rar5);
// The same with unarr (one RAR 4 file).
std::map<std::string, std::string> ReadWithUnarr(const std::string& path);

// Rewrites the RAR 4 header CRC of the block at `offset` after a patch.
void FixRar4HeaderCrc(std::string& bytes, size_t offset);

}  // namespace rartest
