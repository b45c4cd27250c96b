#pragma once
// The program's own path and the names derived from it (side files, profile folder).

#include <string>

namespace platform {

// Full path of the running program, read from /proc/self/exe.
std::string ProgramPath();
// Makes ProgramPath() return `path` (tests); an empty path restores the real one.
void SetProgramPathForTesting(const std::string& path);

// Replaces the extension of the path's file name by `ext` (like ".ini"). A name
// without an extension gets `ext` appended; a dot inside a folder name is never
// taken for an extension, and a leading dot of a hidden file is no extension.
std::string ReplaceExtension(const std::string& path, const std::string& ext);

// The folder that holds the program (no trailing slash, "/" for the root).
std::string ProgramFolder();

// "<prefix>/share/pagora" when the program lies in "<prefix>/bin" of an
// installation (that folder exists), else empty: the program runs from its
// build or unpacked folder.
std::string InstalledDataFolder();
// The text filter library: beside the program, or in "<prefix>/lib/pagora"
// of an installation.
std::string TextFilterLibraryPath();

// Where side files live: the program's folder when it is writable and the
// program is not installed (an installed program's folder is shared by every
// user, even when root may write it), otherwise
// $XDG_CONFIG_HOME/Pagora (default ~/.config/Pagora), created when missing.
// An absolute $PAGORA_PROFILE_DIR, when set, is used instead (created when missing).
std::string ProfileFolder();
// Makes ProfileFolder() return `folder` (tests); empty restores the real rule.
void SetProfileFolderForTesting(const std::string& folder);

// ProfileFolder() + "/" + the program's file name with its extension replaced by `ext`.
std::string ProfileSideFile(const std::string& ext);

}  // namespace platform
