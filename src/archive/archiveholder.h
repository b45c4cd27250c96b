#pragma once
// CArchiveHolder: the one current archive of the process, with every access serialised by one lock.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/archivekind.h"
#include "archive/zipmanager.h"

// Owns the manager of one open archive. Every operation takes the
// process-wide archive lock for its whole duration, whichever holder and
// whichever thread calls, because the archive readers, the password index
// and the settings they write are process-wide.
class CArchiveHolder {
public:
    CArchiveHolder() = default;
    ~CArchiveHolder();
    CArchiveHolder(const CArchiveHolder&) = delete;
    CArchiveHolder& operator=(const CArchiveHolder&) = delete;

    // Closes the open archive and empties "CurPathInZip"; for an archive with
    // entries shows "%d/%d" (listed/total) in the count indicator, stores the
    // chosen first page in "CurPathInZip" and keeps the manager for
    // extraction. True when the archive had listed entries.
    bool OpenArchive(const std::string& path);
    // Fills `listBox` with the listed entries of `path` in plain name order
    // (sort mode 0). Meant for a short-lived holder of its own.
    void ListArchive(const std::string& path, std::vector<std::string>& listBox);
    // The open archive's path; empty when none.
    std::string ArchivePath();
    // Releases the list, destroys the manager, empties the path.
    void CloseArchive();
    // Decodes a request path (see DecodeRequestPath) and extracts that entry;
    // a malloc'ed buffer the caller frees, or nullptr.
    char* ExtractByPath(const std::string& requestPath, size_t* outSize);
    // Extracts the entry with exactly this name; nullptr when there is no
    // manager or the entry cannot be read.
    char* ExtractEntry(const std::string& entryName, size_t* outSize);

private:
    void CloseArchiveLocked();

    std::string m_path;
    std::unique_ptr<CZipManager> m_manager;
};

// The global holder used by the view and the server.
CArchiveHolder& TheArchiveHolder();

// Takes and releases the process-wide archive lock (recursive). Holder
// operations use it; other code that calls archive managers directly must too.
class CArchiveLock {
public:
    CArchiveLock();
    ~CArchiveLock();
    CArchiveLock(const CArchiveLock&) = delete;
    CArchiveLock& operator=(const CArchiveLock&) = delete;
};

// Called repeatedly, on the waiting thread, while an archive operation waits
// for the lock held by another thread. The main window uses it to answer a
// password question of the thread that holds the lock, which would otherwise
// wait for the user-interface thread forever. Empty function: none.
void SetArchiveLockWaitHook(std::function<void()> hook);
