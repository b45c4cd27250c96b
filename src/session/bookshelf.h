#pragma once
// The bookshelf library: the folders that hold the reader's books, one per
// line of the ".blb" file, the default shelf marked with a leading "*".
#include <string>
#include <string_view>
#include <vector>

namespace bookshelf {

// The lines of a library file's text, trimmed, empty lines left out.
std::vector<std::string> Parse(std::string_view text);
// The folder of the first line marked "*", without the mark; "" when none.
std::string DefaultShelf(const std::vector<std::string>& lines);
// The folder a line names (a leading "*" removed).
std::string FolderOf(const std::string& line);
// Writes the lines, each followed by a line break, replacing the file
// atomically; false when it cannot be written.
bool Write(const std::string& path, const std::vector<std::string>& lines);

}  // namespace bookshelf

// The process-wide library, read at start-up and after the library dialog
// has saved it.
void LoadShelves(const std::string& path);
std::vector<std::string> Shelves();
std::string DefaultShelf();
