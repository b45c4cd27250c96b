#pragma once
// Runs the real reader program from a private copy (so its settings files
// stay in a temporary folder) with a script, and collects what it prints.
#include <functional>
#include <string>
#include <vector>

class CReaderRun {
public:
    CReaderRun();
    ~CReaderRun();
    CReaderRun(const CReaderRun&) = delete;
    CReaderRun& operator=(const CReaderRun&) = delete;

    // The private folder holding the program copy and its side files.
    const std::string& Folder() const { return m_folder; }
    // Writes a file below the folder and returns its path.
    std::string WriteFile(const std::string& name, const std::string& content) const;
    // Runs the program with the script lines and the arguments; returns the
    // lines it printed that look like "WORD: ...". `exitCode` gets its status.
    std::vector<std::string> Run(const std::vector<std::string>& script, const std::vector<std::string>& args,
                                 int* exitCode = nullptr, int timeoutSeconds = 90) const;
    // The text after "PREFIX: " of the first line with that prefix ("" when none).
    static std::string Value(const std::vector<std::string>& lines, const std::string& prefix, int nth = 0);
    // Waits until the file's text satisfies `ready` (another process writes
    // it) and returns the text; what it holds when the time is up otherwise.
    static std::string WaitForFileText(const std::string& path, const std::function<bool(const std::string&)>& ready,
                                       int timeoutSeconds = 60);
    // The settings file the program keeps beside itself.
    std::string IniText() const;

private:
    std::string m_folder;
};

// Helpers the tests of the real program share.
inline bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}
inline bool Has(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }
// A page tall enough to scroll far.
std::string LongPage(const std::string& title);
// Zips the files of `folder` (below the run's folder) into `zipName`; its
// path, or empty when zip failed.
std::string MakeZip(const CReaderRun& run, const std::string& folder, const std::string& zipName);
