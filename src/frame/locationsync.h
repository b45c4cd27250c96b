#pragma once
// CLocationSync: decides where a chosen or reached location goes (view, file
// list, archive bar) and guards the hand-over against re-entrance.
#include <string>

class CLocationSync {
public:
    // Where a location came from.
    enum Origin { kFrame = 0, kView = 1, kFileList = 3, kArchiveBar = 4 };

    struct Routing {
        bool openInView = false;       // the view opens the location
        bool toFileList = false;       // the file list selects that file
        bool rereadArchive = false;    // the archive bar lists the new archive
        bool selectInArchive = false;  // the archive bar selects the entry
    };

    // The routing for one location; the bars only receive it when they exist.
    static Routing Route(const std::string& location, int origin, bool fileListExists, bool archiveBarExists);
    // True for names ending in ".zip", ".maff" or ".rar" (ASCII case ignored).
    static bool IsArchiveName(const std::string& location);

    // Enters the guarded section; false when a hand-over is already running,
    // in which case the nested one must return at once.
    bool Enter();
    void Leave() { m_busy = false; }
    bool Busy() const { return m_busy; }

private:
    bool m_busy = false;
};
