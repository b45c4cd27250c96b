#pragma once
// Which kind of archive a file is, and the factory that makes its manager.

#include <functional>
#include <memory>
#include <string>

class CZipManager;

enum class ArchiveKind { None, Zip, Rar };

// From the extension (ignoring case) and the first bytes: ".zip"/".maff" is
// ZIP unless the file begins with "Rar!"; ".rar" is RAR unless it begins with
// "PK"; anything else is no archive. An unreadable file keeps the extension's kind.
ArchiveKind DetectArchiveKind(const std::string& path);

using ManagerFactory = std::function<std::unique_ptr<CZipManager>()>;
// The RAR reader registers its manager here, so that the holder never names it.
void RegisterRarManagerFactory(ManagerFactory factory);
// A new manager for the kind; nullptr for None, and for RAR while no RAR
// manager is registered.
std::unique_ptr<CZipManager> CreateArchiveManager(ArchiveKind kind);
