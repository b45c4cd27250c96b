#include "frame/locationsync.h"

#include <cctype>

namespace {

bool EndsWithNoCase(const std::string& s, const char* tail, size_t n) {
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        unsigned char a = static_cast<unsigned char>(s[s.size() - n + i]);
        if (a < 0x80) a = static_cast<unsigned char>(std::tolower(a));
        if (a != static_cast<unsigned char>(tail[i])) return false;
    }
    return true;
}

}  // namespace

bool CLocationSync::IsArchiveName(const std::string& location) {
    return EndsWithNoCase(location, ".zip", 4) || EndsWithNoCase(location, ".maff", 5) ||
           EndsWithNoCase(location, ".rar", 4);
}

CLocationSync::Routing CLocationSync::Route(const std::string& location, int origin, bool fileListExists,
                                            bool archiveBarExists) {
    Routing r;
    r.openInView = origin != kView;
    r.toFileList = fileListExists && origin != kFileList && origin != kArchiveBar;
    if (archiveBarExists && origin != kArchiveBar) {
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
