#include "archive/archiveholder.h"

#include <chrono>
#include <cstdio>
#include <mutex>

#include "app/parablock.h"
#include "archive/archiveprompt.h"
#include "archive/firstpage.h"
#include "archive/requestpath.h"

namespace {

std::recursive_timed_mutex s_archiveLock;
std::mutex s_hookLock;
std::function<void()> s_waitHook;

}  // namespace

CArchiveLock::CArchiveLock()
{
    if (s_archiveLock.try_lock())
        return;
    for (;;) {
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> guard(s_hookLock);
            hook = s_waitHook;
        }
        if (hook)
            hook();
        if (s_archiveLock.try_lock_for(std::chrono::milliseconds(hook ? 20 : 1000)))
            return;
    }
}

CArchiveLock::~CArchiveLock()
{
    s_archiveLock.unlock();
}

void SetArchiveLockWaitHook(std::function<void()> hook)
{
    std::lock_guard<std::mutex> guard(s_hookLock);
    s_waitHook = std::move(hook);
}

CArchiveHolder::~CArchiveHolder()
{
    CloseArchive();
}

bool CArchiveHolder::OpenArchive(const std::string& path)
{
    CArchiveLock lock;
    CloseArchiveLocked();
    MainParaBlock().SetString(PARA_STR_CUR_PATH_IN_ZIP, std::string(), true);
    if (path.empty())
        return false;
    std::unique_ptr<CZipManager> manager = CreateArchiveManager(DetectArchiveKind(path));
    if (!manager)
        return false;
    manager->Open(path);
    const bool hasEntries = manager->HasEntries();
    if (hasEntries) {
        char count[32];
        std::snprintf(count, sizeof count, "%d/%d", manager->ListedCount(), manager->TotalCount());
        ShowArchiveCount(count);
        MainParaBlock().SetString(PARA_STR_CUR_PATH_IN_ZIP, ChooseFirstPage(manager->Entries(), path), true);
    }
    manager->ReleaseList();
    m_manager = std::move(manager);
    m_path = path;
    return hasEntries;
}

void CArchiveHolder::ListArchive(const std::string& path, std::vector<std::string>& listBox)
{
    CArchiveLock lock;
    listBox.clear();
    CloseArchiveLocked();
    std::unique_ptr<CZipManager> manager = CreateArchiveManager(DetectArchiveKind(path));
    if (!manager)
        return;
    manager->SetSortMode(0);
    manager->Open(path);
    listBox = manager->Entries();
    manager->ReleaseList();
}

std::string CArchiveHolder::ArchivePath()
{
    CArchiveLock lock;
    return m_path;
}

void CArchiveHolder::CloseArchive()
{
    CArchiveLock lock;
    CloseArchiveLocked();
}

void CArchiveHolder::CloseArchiveLocked()
{
    if (m_manager)
        m_manager->ReleaseList();
    m_manager.reset();
    m_path.clear();
}

char* CArchiveHolder::ExtractByPath(const std::string& requestPath, size_t* outSize)
{
    if (outSize)
        *outSize = 0;
    // Decoding needs no shared state, so it runs before the lock is taken.
    std::string name = DecodeRequestPath(requestPath);
    if (name.empty())
        return nullptr;
    return ExtractEntry(name, outSize);
}

char* CArchiveHolder::ExtractEntry(const std::string& entryName, size_t* outSize)
{
    if (outSize)
        *outSize = 0;
    CArchiveLock lock;
    if (!m_manager)
        return nullptr;
    return m_manager->Extract(entryName, outSize);
}

CArchiveHolder& TheArchiveHolder()
{
    static CArchiveHolder holder;
    return holder;
}
