#pragma once
// CBookmarkFile: the bookmark file, one INI section per named reading
// position (the position keys a record's Save writes), and the rules for the
// names a bookmark may have.
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CParaBlock;

// Whether a byte starts a double-byte character of the locale's code set.
using LeadBytePredicate = std::function<bool(unsigned char)>;

// The process-wide bookmark file path, set with the side files at start-up.
const std::string& BookmarkFilePath();

namespace bookmarkname {

// The longest section name a position record keeps (bytes).
inline constexpr size_t kMaxBytes = 63;

// A name an INI section can hold: "[" becomes "(", "]" becomes ")" (the trail
// byte of a double-byte character is never touched), line breaks and other
// control characters become blanks, surrounding blanks go, and the name is
// cut to kMaxBytes at a character boundary.
std::string Safe(std::string_view name, const LeadBytePredicate& isLead);
// The proposed name of a new bookmark: the archive's file name without
// extension for ".rar", ".maff" and ".zip" documents, else the page title;
// made safe, then only what follows the last "/" (else the last "\").
std::string Default(const std::string& currentPath, const std::string& pageTitle, const LeadBytePredicate& isLead);
// The locale's lead-byte rule (platform::IsLeadByte).
LeadBytePredicate LocaleLeadBytes();

}  // namespace bookmarkname

class CBookmarkFile {
public:
    explicit CBookmarkFile(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }
    // Every section name in file order (no buffer limit: none is dropped).
    std::vector<std::string> Names() const;
    // The names as the dialogs list them: sorted without letter case.
    std::vector<std::string> SortedNames() const;
    // A bookmark exists when its "CurrentPath" reads back non-empty.
    bool Exists(const std::string& name) const;
    // Binds `record` to the bookmark and loads it; true when it exists. The
    // record points at this file's path: it must not outlive this object.
    bool Load(const std::string& name, CParaBlock& record) const;
    // Writes a copy of `source` with the scroll offsets as bookmark `name`
    // (the position keys only).
    void Save(const std::string& name, const CParaBlock& source, std::pair<int, int> offsets) const;
    bool Remove(const std::string& name) const;

private:
    std::string m_path;
};

// Sorts names as the dialogs' sorted lists do: without ASCII letter case,
// then byte for byte.
void SortNames(std::vector<std::string>& names);
