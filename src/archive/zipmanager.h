#pragma once
// CZipManager: lists the viewable entries of one ZIP/MAFF archive and extracts single entries into memory.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "archive/archivenametable.h"
#include "archive/zipentrycache.h"

struct zip;
struct zip_stat;
struct libdeflate_decompressor;

// Entries larger than this (uncompressed) are never extracted, so that a
// crafted archive cannot exhaust memory.
inline constexpr uint64_t kMaxEntrySize = 256ull * 1024 * 1024;

// The manager of one archive. The archive path lives in the main settings
// block ("CurrentPath", written by Open, read back by Extract); the chosen
// entry goes to "CurPathInZip". Not thread-safe on its own: every call runs
// under the process-wide archive lock of the holder.
class CZipManager {
public:
    CZipManager();
    virtual ~CZipManager();
    CZipManager(const CZipManager&) = delete;
    CZipManager& operator=(const CZipManager&) = delete;

    // Closes what was open, then lists the archive at `path`: afterwards the
    // list is sorted and the first entry is current, or the manager is empty.
    virtual void Open(const std::string& path);
    // Extracts the named entry of the archive named by "CurrentPath" into a
    // malloc'ed buffer of exactly the entry's size (the caller frees it).
    // nullptr when the name or "CurrentPath" is empty, or on any failure.
    virtual char* Extract(const std::string& entryName, size_t* outSize);

    // Empties the list and sets "CurPathInZip" to empty (saved).
    void Close();
    // Empties the list only; "CurPathInZip" is left alone.
    void ReleaseList();
    // Sets "CurPathInZip" (saved) to the current entry's name, or to empty
    // when there is none, and returns that name. `position` receives the
    // 1-based index of the current entry, or the listed count when there is none.
    std::string SelectFirst(int* position = nullptr);
    bool HasEntries() const { return m_listedCount != 0; }
    // Sorts the list by the sort mode: 1 = fewer separators first, then the
    // locale's collation; 0 = the locale's collation alone.
    void Sort();

    int SortMode() const { return m_sortMode; }
    void SetSortMode(int mode) { m_sortMode = mode; }
    int ListedCount() const { return m_listedCount; }
    int TotalCount() const { return m_totalCount; }
    const std::vector<std::string>& Entries() const { return m_entries; }
    // Index of the current entry in Entries(), -1 when none.
    int CurrentEntry() const { return m_current; }

    // Whether a name counts as a directory entry (ends in '/' or '\').
    static bool IsDirectoryName(const std::string& name);
    // Whether the name's extension (text after the last '.' of the whole
    // name) is one of the viewable document extensions, ignoring case.
    static bool IsViewableName(const std::string& name);
    // Number of '/' and '\' characters in the name.
    static int Depth(const std::string& name);

protected:
    // Outcome of one attempt with one password.
    enum class PasswordAttempt { Finished, WrongPassword };
    // The password cycle after an attempt failed with a wrong password:
    // advances the process-wide password index (wrapping), asks the user
    // through ArchivePrompt() when it comes back to where it started (going
    // on from there only after OK), and calls `attempt` with each password
    // until it reports Finished. Returns false when the user cancelled (or
    // no prompt is set). The index stays where the last attempt was made.
    bool RunPasswordCycle(const std::function<PasswordAttempt(const std::string& password)>& attempt);
    // One attempt with the current password, then the cycle when it was wrong.
    bool TryPasswords(const std::function<PasswordAttempt(const std::string& password)>& attempt);

    // Sets "CurrentPath" (saved) as Open does.
    static void StoreCurrentPath(const std::string& path);
    // Empties the list and stores the listed names (unsorted) with the counts.
    void SetListing(std::vector<std::string> entries, int totalCount);

    int m_sortMode = 1;
    int m_listedCount = 0;
    int m_totalCount = 0;
    std::vector<std::string> m_entries;
    int m_current = -1;

private:
    enum class ExtractResult { Ok, NotFound, Failed };
    // Makes m_zip the archive at `path`, reopening it when the file changed
    // on disk or another archive is asked for. False when it cannot be read.
    bool EnsureOpen(const std::string& path);
    void CloseHandle();
    char* ExtractIndex(uint64_t index, size_t* outSize);
    PasswordAttempt ReadEntry(uint64_t index, const std::string& password, char** out, size_t* outSize);
    enum class QuickRead { Done, Failed, NotTried };
    // Reads an unencrypted stored or deflated entry into `out` (st.size bytes)
    // with libdeflate's inflater and CRC, both faster than those libzip uses;
    // Failed when the data is damaged, NotTried when libzip must read it.
    QuickRead ReadPlainEntry(uint64_t index, const struct zip_stat& st, char* out);

    zip* m_zip = nullptr;
    libdeflate_decompressor* m_inflater = nullptr; // made at the first use
    std::string m_openPath;
    // Identity of the opened file, to notice it being replaced or changed.
    uint64_t m_fileSize = 0, m_fileInode = 0, m_fileDevice = 0;
    int64_t m_fileMtimeNs = 0, m_fileCtimeNs = 0;
    // The names of the open archive's entries by index, readable and as
    // stored; the listing shows the readable ones, lookups accept both.
    CArchiveNameTable m_names;
    // Recently extracted small entries of the open archive, by index; emptied
    // whenever the handle is closed, so it never outlives the file it came from.
    CZipEntryCache m_cache;

public:
    // For tests and monitoring.
    const CZipEntryCache& EntryCache() const { return m_cache; }
    // The code set undeclared names of the open archive were decoded from;
    // empty when none needed it.
    const std::string& NameCharset() const { return m_names.Charset(); }
};
