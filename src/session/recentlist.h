#pragma once
// CIniRecentList: a most-recently-used list kept in the program's INI file,
// for paths (recent files) or for names that are not paths (recent bookmarks).
#include <mutex>
#include <string>
#include <vector>

class CIniRecentList {
public:
    enum class Mode { Paths, Names };

    // `entryFormat` holds one "%d", the 1-based entry number ("File%d").
    CIniRecentList(std::string section, std::string entryFormat, int size, Mode mode, int displayLength = 30);

    // The INI file ReadList and WriteList use.
    void Bind(const std::string& iniPath);
    // Puts the entry at the top: an equal entry moves up, a new one pushes
    // out the oldest. Paths are made absolute and compared exactly (the
    // file system tells letter case apart); names are compared without case.
    void Add(const std::string& entry);
    void Remove(int index);
    // Entries from the INI file, up to 259 characters each.
    void ReadList();
    // The entries to the INI file: those not empty, numbered from 1.
    void WriteList() const;

    // The entries, entry 0 the most recent; no empty ones.
    std::vector<std::string> Entries() const;
    int Size() const { return m_size; }
    const std::string& Section() const { return m_section; }
    // The text of entry `index` in the menu: "&N " and at most displayLength
    // characters of the entry ("&" doubled so that it shows).
    std::string MenuText(int index) const;
    // At most `length` characters (UTF-8) of an entry: a long path keeps its
    // root and as many of its last folders and its file name as fit after
    // ".../"; a long name keeps its beginning and "...".
    static std::string Abbreviate(const std::string& entry, int length, Mode mode);

private:
    std::string Key(int index) const;

    std::string m_section;
    std::string m_format;
    int m_size;
    Mode m_mode;
    int m_displayLength;
    std::string m_iniPath;
    mutable std::mutex m_lock;
    std::vector<std::string> m_entries;  // m_size slots, "" for free ones
};

// The reader's two lists: "Recent File List" ("File%d") and "Recent Bookmark
// List" ("Bmk%d"), eight entries each.
CIniRecentList& TheRecentFiles();
CIniRecentList& TheRecentBookmarks();
