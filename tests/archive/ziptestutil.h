#pragma once
// Helpers for the archive tests: a temporary folder and archives written with libzip.

#include <string>

#include "support/tempfolder.h"
#include <utility>
#include <vector>

namespace ziptest {

// A fresh folder under /tmp, removed with everything in it on destruction.
using TempDir = ::TempFolder;
using testsupport::ReadFile;
using testsupport::WriteFile;

struct Entry {
    std::string name;  // stored byte for byte
    std::string data;  // a name ending in '/' is a directory and has none
};

// Writes a ZIP archive (deflated entries unless `store`); false on failure.
bool WriteZip(const std::string& path, const std::vector<Entry>& entries, bool store = false);

// One stored entry written byte for byte as another system would: the name
// bytes as given, the UTF-8 flag (general purpose bit 11) as given, and the
// extra field in both the local header and the central directory.
struct RawEntry {
    std::string name;
    std::string data;
    bool utf8Flag = false;
    std::string extra;
};
// The bytes of a ZIP archive of stored entries, made without libzip.
std::string RawZip(const std::vector<RawEntry>& entries);
// A ZIP Unicode path extra field (0x7075): version 1, the CRC-32 of the
// header's `storedName`, then `utf8Name`.
std::string UnicodePathField(const std::string& storedName, const std::string& utf8Name);


// Runs a shell command; true when it exits with 0.
bool Run(const std::string& command);

// Binds the main settings block to a fresh INI file in `dir` and clears the
// password table, the home names and the prompt, so that tests start alike.
void ResetArchiveState(const TempDir& dir);

// Switches LC_CTYPE to a GBK locale built for the test (the target systems
// use GBK) and back on destruction. Active() is false when it cannot be built.
class GbkLocale {
public:
    GbkLocale();
    ~GbkLocale();
    bool Active() const { return m_active; }

private:
    TempDir m_dir;
    std::string m_savedLocale, m_savedLocPath;
    bool m_hadLocPath = false, m_active = false;
};

// The bytes of a malloc'ed extraction result, freed here; "<none>" for nullptr.
std::string Take(char* buffer, size_t size);

}  // namespace ziptest
