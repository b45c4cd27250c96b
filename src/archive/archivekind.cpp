#include "archive/archivekind.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <strings.h>

#include "archive/zipmanager.h"

namespace {

std::mutex s_factoryLock;
ManagerFactory s_rarFactory;

std::string ExtensionOfPath(const std::string& path)
{
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    return path.substr(dot + 1);
}

// The first `count` bytes of the file; shorter (or empty) when it is shorter
// or cannot be read.
std::string FirstBytes(const std::string& path, size_t count)
{
    std::string bytes(count, '\0');
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::string();
    size_t got = std::fread(bytes.data(), 1, count, f);
    std::fclose(f);
    bytes.resize(got);
    return bytes;
}

}  // namespace

ArchiveKind DetectArchiveKind(const std::string& path)
{
    std::string ext = ExtensionOfPath(path);
    if (::strcasecmp(ext.c_str(), "zip") == 0 || ::strcasecmp(ext.c_str(), "maff") == 0)
        return FirstBytes(path, 4) == "Rar!" ? ArchiveKind::Rar : ArchiveKind::Zip;
    if (::strcasecmp(ext.c_str(), "rar") == 0)
        return FirstBytes(path, 2) == "PK" ? ArchiveKind::Zip : ArchiveKind::Rar;
    return ArchiveKind::None;
}

void RegisterRarManagerFactory(ManagerFactory factory)
{
    std::lock_guard<std::mutex> guard(s_factoryLock);
    s_rarFactory = std::move(factory);
}

std::unique_ptr<CZipManager> CreateArchiveManager(ArchiveKind kind)
{
    switch (kind) {
    case ArchiveKind::Zip:
        return std::make_unique<CZipManager>();
    case ArchiveKind::Rar: {
        std::lock_guard<std::mutex> guard(s_factoryLock);
        return s_rarFactory ? s_rarFactory() : nullptr;
    }
    case ArchiveKind::None:
        break;
    }
    return nullptr;
}
