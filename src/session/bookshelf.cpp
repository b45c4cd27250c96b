#include "session/bookshelf.h"

#include <mutex>

#include "platform/atomicfile.h"

namespace {

std::mutex s_lock;
std::vector<std::string> s_shelves;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

}  // namespace

namespace bookshelf {

std::vector<std::string> Parse(std::string_view text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        while (!line.empty() && IsSpace(line.front())) line.remove_prefix(1);
        while (!line.empty() && IsSpace(line.back())) line.remove_suffix(1);
        if (!line.empty()) lines.emplace_back(line);
        pos = end + 1;
    }
    return lines;
}

std::string FolderOf(const std::string& line) { return line.starts_with('*') ? line.substr(1) : line; }

std::string DefaultShelf(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        if (line.starts_with('*')) return line.substr(1);
    return {};
}

bool Write(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return platform::LockedRewrite(path, [&text](std::string& current) {
        current = text;
        return true;
    });
}

}  // namespace bookshelf

void LoadShelves(const std::string& path) {
    std::string text;
    std::vector<std::string> lines;
    if (platform::ReadWholeFile(path, text)) lines = bookshelf::Parse(text);
    std::lock_guard<std::mutex> lock(s_lock);
    s_shelves = std::move(lines);
}

std::vector<std::string> Shelves() {
    std::lock_guard<std::mutex> lock(s_lock);
    return s_shelves;
}

std::string DefaultShelf() { return bookshelf::DefaultShelf(Shelves()); }
