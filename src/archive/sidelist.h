#pragma once
// Reading and writing the one-item-per-line side files (".pwd", ".zhp").

#include <string>
#include <vector>

// Empties `list`, then appends every line of the file, trimmed of white
// space at both ends, skipping lines that are then empty. LF and CR LF line
// ends are accepted. A file that cannot be opened leaves the list empty.
void LoadSideList(std::vector<std::string>& list, const std::string& path);
// Writes each non-empty item followed by CR LF, replacing the file
// atomically. False (the file left as it was) when it cannot be written.
bool SaveSideList(const std::vector<std::string>& list, const std::string& path);
// `text` without white space at both ends.
std::string TrimSpace(const std::string& text);
