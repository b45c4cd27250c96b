#include "archive/sidelist.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

std::string TrimSpace(const std::string& text)
{
    const char* ws = " \t\r\n\v\f";
    size_t begin = text.find_first_not_of(ws);
    if (begin == std::string::npos)
        return std::string();
    size_t end = text.find_last_not_of(ws);
    return text.substr(begin, end - begin + 1);
}

void LoadSideList(std::vector<std::string>& list, const std::string& path)
{
    list.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return;
    std::string line;
    while (std::getline(in, line)) {
        std::string item = TrimSpace(line);
        if (!item.empty())
            list.push_back(std::move(item));
    }
}

bool SaveSideList(const std::vector<std::string>& list, const std::string& path)
{
    // Written beside the target and renamed over it, so that a failed or
    // interrupted write never leaves a half-written table behind.
    std::string temp = path + ".tmp" + std::to_string(::getpid());
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return false;
    bool ok = true;
    for (const std::string& item : list) {
        if (item.empty())
            continue;
        if (std::fwrite(item.data(), 1, item.size(), f) != item.size() || std::fwrite("\r\n", 1, 2, f) != 2)
            ok = false;
    }
    if (std::fflush(f) != 0 || ::fsync(::fileno(f)) != 0)
        ok = false;
    if (std::fclose(f) != 0)
        ok = false;
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0)
        ok = false;
    if (!ok)
        std::remove(temp.c_str());
    return ok;
}
