#include "settings/sidefiles.h"

#include <mutex>

#include "platform/modulepath.h"

namespace {

std::once_flag s_once;
// Never destroyed: the main block points at its INI path until the very end.
SideFiles& s_files = *new SideFiles;

}  // namespace

SideFiles MakeSideFiles() {
    SideFiles f;
    f.ini = platform::ProfileSideFile(".ini");
    f.bmk = platform::ProfileSideFile(".bmk");
    f.pwd = platform::ProfileSideFile(".pwd");
    f.zhp = platform::ProfileSideFile(".zhp");
    f.blb = platform::ProfileSideFile(".blb");
    f.flt = platform::ProfileSideFile(".flt");
    f.css = platform::ProfileSideFile(".css");
    // The library is found beside the program (or in an installation's
    // library folder), not in the profile folder.
    f.txtLib = platform::TextFilterLibraryPath();
    return f;
}

const SideFiles& TheSideFiles() {
    std::call_once(s_once, [] { s_files = MakeSideFiles(); });
    return s_files;
}

void SetSideFiles(const SideFiles& files) {
    std::call_once(s_once, [] {});
    // Assigning member by member keeps each string object (and its address).
    s_files.ini = files.ini;
    s_files.bmk = files.bmk;
    s_files.pwd = files.pwd;
    s_files.zhp = files.zhp;
    s_files.blb = files.blb;
    s_files.flt = files.flt;
    s_files.css = files.css;
    s_files.txtLib = files.txtLib;
}
