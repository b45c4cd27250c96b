#pragma once
// CLocationSync: decides where a chosen or reached location goes (view, file
// list, archive bar) and guards the hand-over against re-entrance.
#include <string>

#include "view/locationorigin.h"

class CLocationSync {
public:
    struct Routing {
        bool openInView = false;       // the view opens the location
        bool toFileList = false;       // the file list selects that file
        bool rereadArchive = false;    // the archive bar lists the new archive
        bool selectInArchive = false;  // the archive bar selects the entry
    };

    // The routing for one location; the bars only receive it when they exist.
    // `origin` is a LocationOrigin.
    static Routing Route(const std::string& location, int origin, bool fileListExists, bool archiveBarExists);

    // Enters the guarded section; false when a hand-over is already running,
    // in which case the nested one must return at once.
    bool Enter();
    void Leave() { m_busy = false; }
    bool Busy() const { return m_busy; }

private:
    bool m_busy = false;
};
