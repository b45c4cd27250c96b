#pragma once
// Paths of the files kept beside the program (settings, bookmarks, passwords...).

#include <string>

struct SideFiles {
    std::string ini;     // settings and application profile
    std::string bmk;     // bookmarks
    std::string pwd;     // archive passwords
    std::string zhp;     // archive home-page names
    std::string blb;     // bookshelf
    std::string flt;     // window-filter keywords
    std::string css;     // zoom style sheet
    std::string txtLib;  // the text filter library Pagora_txt.so
};

// The side files of the running program: each is ProfileSideFile(ext); the
// text filter library lies beside the program: its path without extension + "_txt.so".
SideFiles MakeSideFiles();
// The process-wide paths; made with MakeSideFiles() on first use. The string
// objects keep their addresses for the life of the process, so a block may
// point at TheSideFiles().ini.
const SideFiles& TheSideFiles();
// Replaces the process-wide paths (start-up, tests). Not to be called while
// other threads read them.
void SetSideFiles(const SideFiles& files);
