#pragma once
// CHomeNames: the main names of pages that an archive opens at, tried in order.

#include <mutex>
#include <string>
#include <vector>

// The archive home-name list. Safe from any thread.
class CHomeNames {
public:
    // Replaces the list with the lines of the file (no defaults added).
    void Load(const std::string& path);
    // As Load, then the defaults when the list is empty (start-up).
    void LoadWithDefaults(const std::string& path);
    void SetNames(std::vector<std::string> names);
    std::vector<std::string> Names() const;

    // "start", "index", "default", "content", "contents".
    static const std::vector<std::string>& Defaults();

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_names;
};

// The process-wide home-name list.
CHomeNames& TheHomeNames();

// Start-up: loads the password table from `pwdPath` and the home names (with
// their defaults) from `zhpPath`.
void LoadArchiveTables(const std::string& pwdPath, const std::string& zhpPath);
// The same with the side files of TheSideFiles().
void LoadArchiveTables();
