#include "archive/archiveholder.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "settings/parablock.h"
#include "archive/archiveprompt.h"
#include "archive/firstpage.h"
#include "archive/requestpath.h"

namespace {

// A recursive lock whose waiters can wake up now and then to run the wait
// hook. Built on a condition variable rather than a timed mutex, whose
// clock-based waits the thread sanitizer cannot follow.
class CRecursiveWaitLock {
public:
    // Takes the lock, or gives up after `timeout`; true when taken.
    bool LockFor(std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> guard(m_mutex);
        const std::thread::id me = std::this_thread::get_id();
        if (m_depth > 0 && m_owner == me) {
            ++m_depth;
            return true;
        }
        if (!m_free.wait_for(guard, timeout, [this] { return m_depth == 0; }))
            return false;
        m_owner = me;
        m_depth = 1;
        return true;
    }
    void Unlock()
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (--m_depth == 0) {
            m_owner = std::thread::id();
            m_free.notify_one();
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_free;
    std::thread::id m_owner;
    int m_depth = 0;
};

CRecursiveWaitLock s_archiveLock;
std::mutex s_hookLock;
std::function<void()> s_waitHook;

}  // namespace

CArchiveLock::CArchiveLock()
{
    if (s_archiveLock.LockFor(std::chrono::milliseconds(0)))
        return;
    for (;;) {
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> guard(s_hookLock);
            hook = s_waitHook;
        }
        if (hook)
            hook();
        if (s_archiveLock.LockFor(std::chrono::milliseconds(hook ? 20 : 1000)))
            return;
    }
}

CArchiveLock::~CArchiveLock()
{
    s_archiveLock.Unlock();
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
