#pragma once
// The choice of the page an archive opens at.

#include <string>
#include <vector>

// Chooses the first page among `entries` (sorted shallow-first) of the
// archive at `archivePath`: an entry ending in a home name plus a page
// extension; else, by position, a page whose folder shares its main name, or
// a top-level entry named like the archive; else the first entry. Empty only
// when `entries` is empty.
std::string ChooseFirstPage(const std::vector<std::string>& entries, const std::string& archivePath,
                            const std::vector<std::string>& homeNames,
                            const std::vector<std::string>& pageExtensions);
// The same with TheHomeNames() and the HTML extensions.
std::string ChooseFirstPage(const std::vector<std::string>& entries, const std::string& archivePath);
