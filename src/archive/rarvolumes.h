#pragma once
// Names of the volumes of a RAR volume set, found from the name of one volume.

#include <string>

// The name of the volume that follows `path`.
// New numbering (".part1.rar", ".part01.rar", also "name1.rar"): the last
// group of digits before the extension counts up, keeping its width unless it
// overflows. Old numbering: ".rar" -> ".r00" -> ".r01" ... ".r99" -> ".s00".
// When new numbering is asked for but the name has no digits, the old
// numbering is used. Returns "" when no next name can be made.
std::string NextRarVolumeName(const std::string& path, bool newNumbering);
