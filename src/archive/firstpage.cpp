#include "archive/firstpage.h"

#include "settings/extensionlists.h"
#include "archive/ansicasefolder.h"
#include "archive/homenames.h"
#include "archive/zipmanager.h"

namespace {

size_t LastSeparator(const std::string& name)
{
    return name.find_last_of("/\\");
}

// The file name without folder and extension.
std::string MainName(const std::string& path)
{
    size_t sep = LastSeparator(path);
    std::string file = sep == std::string::npos ? path : path.substr(sep + 1);
    size_t dot = file.rfind('.');
    return dot == std::string::npos ? file : file.substr(0, dot);
}

bool HasPageExtension(const std::string& name, const std::vector<std::string>& pageExtensions,
                      const CAnsiCaseFolder& fold)
{
    size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string ext = name.substr(dot + 1);
    for (const std::string& e : pageExtensions) {
        if (fold.Equal(ext, e))
            return true;
    }
    return false;
}

}  // namespace

std::string ChooseFirstPage(const std::vector<std::string>& entries, const std::string& archivePath,
                            const std::vector<std::string>& homeNames,
                            const std::vector<std::string>& pageExtensions)
{
    if (entries.empty())
        return std::string();
    const CAnsiCaseFolder fold;

    // 1. The first home name, in list order, that some entry ends with.
    std::vector<std::string> tails;
    for (const std::string& home : homeNames) {
        tails.clear();
        for (const std::string& ext : pageExtensions)
            tails.push_back(home + "." + ext);
        for (const std::string& entry : entries) {
            for (const std::string& tail : tails) {
                if (fold.EndsWith(entry, tail))
                    return entry;
            }
        }
    }

    // 2. By position: the first page at the top level, replaced by an entry
    // named like its folder, or by one named like the archive itself.
    const int topDepth = CZipManager::Depth(entries.front());
    const std::string archiveMain = MainName(archivePath);
    const std::string* candidate = nullptr;
    for (const std::string& entry : entries) {
        if (!candidate) {
            if (!HasPageExtension(entry, pageExtensions, fold))
                continue;
            candidate = &entry;
        }
        if (CZipManager::Depth(entry) > topDepth)
            break;
        size_t sep = LastSeparator(entry);
        if (sep != std::string::npos) {
            std::string folder = entry.substr(0, sep);
            size_t folderSep = LastSeparator(folder);
            std::string lastFolder = folderSep == std::string::npos ? folder : folder.substr(folderSep + 1);
            if (fold.Equal(lastFolder, MainName(entry)))
                candidate = &entry;
        } else if (fold.Equal(MainName(entry), archiveMain)) {
            candidate = &entry;
            break;
        }
    }
    if (candidate)
        return *candidate;

    // 3. The first entry.
    return entries.front();
}

std::string ChooseFirstPage(const std::vector<std::string>& entries, const std::string& archivePath)
{
    return ChooseFirstPage(entries, archivePath, TheHomeNames().Names(), HtmlExtensions());
}
