#pragma once
// Whole-file reads and locked, atomic rewrites shared by the INI module and the registry store.

#include <functional>
#include <string>

namespace platform {

// Reads the whole file into `out`; false (and `out` empty) when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& out);

// Rewrites a file without ever losing data: takes an exclusive lock on the
// file's folder (flock; shared by every process and thread using this
// function), reads the current text (empty when the file is missing), lets
// `edit` change it, and when `edit` returns true writes the result to a
// temporary file in the same folder, flushes it and renames it over the file.
// An edit that leaves an existing file's text as it was writes nothing.
// Returns false when the file could not be written; true otherwise (also when
// `edit` left the text unchanged by returning false).
bool LockedRewrite(const std::string& path, const std::function<bool(std::string& text)>& edit);

}  // namespace platform
