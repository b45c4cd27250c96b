#pragma once
// CIndexNavigator: finds the index page of the current or parent folder and
// the parent folder inside an archive, with the messages shown when there is none.
#include <functional>
#include <string>
#include <vector>

class CIndexNavigator {
public:
    // What a command leads to: an address to navigate to, or a message.
    struct Outcome {
        std::string address;
        std::string message;
    };

    // `exists` tells whether a file exists (tests pass their own).
    CIndexNavigator(std::vector<std::string> homeNames, std::vector<std::string> htmlExtensions,
                    std::function<bool(const std::string&)> exists);

    // The index page of a local folder: every home name with every HTML
    // extension, then the folder's own name with each extension; empty when none.
    std::string FindFolderHome(std::string folder) const;
    // "当前文件夹的主页" for the document in "CurrentPath" (outside an archive).
    Outcome FolderHome(const std::string& currentPath) const;
    // "上级文件夹".
    Outcome ParentFolderHome(const std::string& currentPath) const;
    // "压缩文件中的上级目录": from the current page's loopback address.
    static Outcome ArchiveParent(const std::string& curPathInZip, const std::string& base);

    static const char* const kNoFolderHome;
    static const char* const kNoParentHome;
    static const char* const kNoArchiveHome;
    static const char* const kNoArchiveParentHome;
    static const char* const kNoArchiveParent;

private:
    std::vector<std::string> m_homeNames;
    std::vector<std::string> m_extensions;
    std::function<bool(const std::string&)> m_exists;
};
