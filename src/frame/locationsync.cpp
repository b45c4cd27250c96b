#include "frame/locationsync.h"

#include "settings/extensionlists.h"

CLocationSync::Routing CLocationSync::Route(const std::string& location, int origin, bool fileListExists,
                                            bool archiveBarExists) {
    Routing r;
    r.openInView = origin != kFromView;
    r.toFileList = fileListExists && origin != kFromFileList && origin != kFromArchiveBar;
    if (archiveBarExists && origin != kFromArchiveBar) {
        if (IsArchiveName(location)) r.rereadArchive = true;
        else r.selectInArchive = true;
    }
    return r;
}

bool CLocationSync::Enter() {
    if (m_busy) return false;
    m_busy = true;
    return true;
}
