#pragma once
// INI files with the semantics of the private-profile functions: case-insensitive
// sections and keys, absent keys give the default, writes that never lose data.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::ini {

// Reading. A missing file reads as empty. Values are trimmed of surrounding
// blanks, and one pair of enclosing double quotes is removed. At most `maxLen`
// bytes of the value are returned.
std::string GetString(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& def, size_t maxLen = 1023);
// The value read as a decimal integer (leading blanks, optional sign, digits up
// to the first other character; no digits give 0); `def` when the key is
// absent or its value is empty.
int GetInt(const std::string& path, const std::string& section, const std::string& key, int def);

// Writing. Every write re-reads the file under an exclusive lock, changes the one
// key or section and replaces the file atomically (temporary file + rename), so
// concurrent writers in this or other processes lose nothing and a crash leaves
// either the old or the new file. Returns false when the file could not be written.
bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& value);
// Several keys of one section in one locked rewrite: all are written or none.
bool WriteStrings(const std::string& path, const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& keyValues);
bool DeleteKey(const std::string& path, const std::string& section, const std::string& key);
bool DeleteSection(const std::string& path, const std::string& section);

// Names as spelled in the file, in file order (case-insensitive duplicates once).
std::vector<std::string> SectionNames(const std::string& path);
std::vector<std::string> KeyNames(const std::string& path, const std::string& section);

// A binary value: the bytes in upper-case hex followed by a one-byte checksum
// (the sum of the bytes modulo 256). GetStruct fails, leaving `data` untouched,
// when the key is absent, the length differs or the checksum does not match.
bool WriteStruct(const std::string& path, const std::string& section, const std::string& key,
                 const void* data, size_t size);
bool GetStruct(const std::string& path, const std::string& section, const std::string& key,
               void* data, size_t size);

// Case-insensitive comparison of section and key names (ASCII letters only;
// the trail byte of a double-byte character is compared exactly).
bool NamesEqual(std::string_view a, std::string_view b);

// A whole INI file parsed once, for readers that look up many keys, and the
// editable form writers change. Lines it does not understand (comments,
// garbage) are kept as they are when the document is written back.
class IniDocument {
public:
    IniDocument() = default;
    // Parses the file; a missing or unreadable file gives an empty document.
    static IniDocument FromFile(const std::string& path);
    // Parses text: LF or CR LF line ends, a missing final line break, garbage
    // lines and NUL bytes are tolerated; every well-formed key is kept.
    static IniDocument FromText(std::string_view text);

    // The value as GetString would return it (without the length limit), or
    // nullopt when the section or key is absent.
    std::optional<std::string> Get(const std::string& section, const std::string& key) const;
    std::string GetString(const std::string& section, const std::string& key, const std::string& def,
                          size_t maxLen = 1023) const;
    int GetInt(const std::string& section, const std::string& key, int def) const;
    bool HasSection(const std::string& section) const;
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(const std::string& section) const;

    // Sets or adds a key. Refuses (false) names or values that would break the
    // file's structure: line breaks or NUL anywhere, '=' or a leading '[' or ';'
    // in a key, ']' in a section name, empty names. A value with surrounding
    // blanks or quotes is written quoted so that it reads back unchanged.
    bool Set(const std::string& section, const std::string& key, const std::string& value);
    // Adds an empty section unless it exists; false for an invalid name.
    bool AddSection(const std::string& section);
    bool Remove(const std::string& section, const std::string& key);
    bool RemoveSection(const std::string& section);
    // The document as file text, with the line ends the parsed text used.
    std::string ToText() const;

private:
    struct Line {
        bool isEntry = false;
        std::string key;  // trimmed, for entries
        std::string raw;  // the whole line without its line end
    };
    struct Section {
        std::string name;
        bool hasHeader = false;  // false only for the lines before the first header
        std::string headerRaw;
        std::vector<Line> lines;
    };
    Section* FindSection(const std::string& name);
    const Section* FindSection(const std::string& name) const;

    std::vector<Section> m_sections;
    bool m_crlf = false;
};

// Converts text to an int like the decimal reading rules above (saturating).
int ParseInt(std::string_view text);

}  // namespace platform::ini
