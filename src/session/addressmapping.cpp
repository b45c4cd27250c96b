#include "session/addressmapping.h"

#include "platform/steptrace.h"

#include "settings/extensionlists.h"
#include "settings/localpath.h"
#include "settings/loopback.h"
#include "settings/parablock.h"
#include "server/portchoice.h"
#include "session/startupcore.h"
#include "archive/archiveholder.h"
#include "server/pageserver.h"

#include <future>
#include <mutex>

namespace {

// How often a launch is retried on a newly chosen port: another process may
// take the chosen port between the choice and the bind.
constexpr int kLaunchAttempts = 3;

std::mutex s_lock;
std::function<void()> s_refreshBars;
std::string s_pendingArchive;
// A launch started ahead of the first archive page (LaunchPageServerAhead).
std::mutex s_aheadLock;
std::future<void> s_launchAhead;

bool EnsurePageServerRunning()
{
    server::CPageServer& pages = server::ThePageServer();
    bool running = pages.IsRunning();
    for (int attempt = 0; !running && attempt < kLaunchAttempts; ++attempt) {
        const int port = ChooseLoopbackPort();
        running = pages.Launch(server::CPageServer::kDefaultDocument, static_cast<uint16_t>(port),
                               server::CPageServer::kClientTimeoutMs);
    }
    return running;
}

// Waits for a launch started ahead, so that two launches never race.
void WaitForLaunchAhead()
{
    std::future<void> ahead;
    {
        std::lock_guard<std::mutex> guard(s_aheadLock);
        ahead = std::move(s_launchAhead);
    }
    if (ahead.valid()) {
        ahead.wait();
        steptrace::Mark("page server launched ahead");
    }
}

void RefreshBars()
{
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> guard(s_lock);
        hook = s_refreshBars;
    }
    if (hook)
        hook();
}

void ReplaceAll(std::string& text, char from, char to)
{
    for (char& c : text) {
        if (c == from)
            c = to;
    }
}

} // namespace

void LaunchPageServerAhead()
{
    std::lock_guard<std::mutex> guard(s_aheadLock);
    if (s_launchAhead.valid() || server::ThePageServer().IsRunning())
        return;
    s_launchAhead = std::async(std::launch::async, [] { EnsurePageServerRunning(); });
}

void WaitForPageServerLaunch()
{
    WaitForLaunchAhead();
}

void SetRefreshBarsHook(std::function<void()> hook)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_refreshBars = std::move(hook);
}

std::vector<std::string> ArchiveEntriesOf(const std::string& document)
{
    std::vector<std::string> entries;
    const std::string local = AddressToLocalPath(document);
    if (local.empty() || !IsArchiveName(local))
        return entries;
    CArchiveHolder holder;
    holder.ListArchive(local, entries);
    return entries;
}

std::string ArchiveStartAddress(const std::string& document)
{
    const std::string local = AddressToLocalPath(document);
    if (local.empty() || !IsArchiveName(local))
        return {};

    TheArchiveHolder().OpenArchive(local);
    steptrace::Mark("archive opened");
    const std::string firstPage = MainParaBlock().GetString(CParaBlock::PARA_STR_CUR_PATH_IN_ZIP);
    if (firstPage.empty()) {
        RefreshBars();
        return {};
    }

    WaitForLaunchAhead();
    const bool running = EnsurePageServerRunning();
    if (!running) {
        // An address nobody answers would only show a connection error; say
        // plainly that there is no page.
        RefreshBars();
        return {};
    }
    steptrace::Mark("page server running");
    const std::string address = LoopbackBase() + firstPage;

    {
        std::lock_guard<std::mutex> guard(s_lock);
        s_pendingArchive = document;
    }
    RefreshBars();
    return address;
}

std::string PendingArchive()
{
    std::lock_guard<std::mutex> guard(s_lock);
    return s_pendingArchive;
}

void ClearPendingArchive()
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_pendingArchive.clear();
}

bool IsLoopbackAddress(const std::string& address)
{
    return address.rfind(LoopbackBase(), 0) == 0;
}

std::string EntryPathOfAddress(const std::string& address)
{
    const std::string base = LoopbackBase();
    return address.rfind(base, 0) == 0 ? address.substr(base.size()) : address;
}

std::string TitleFromBrowserTitle(const std::string& title)
{
    const std::string base = LoopbackBase();
    const size_t at = title.find(base);
    return at == std::string::npos ? title : title.substr(at + base.size());
}

std::string StatusFromBrowserStatus(const std::string& status)
{
    if (status.empty())
        return IdleStatusText();
    const std::string base = LoopbackBase();
    const size_t at = status.find(base);
    if (at == std::string::npos)
        return status;
    return status.substr(0, at) + status.substr(at + base.size());
}

std::vector<std::string> ArchiveEntryCandidates(const std::string& address)
{
    if (!IsLoopbackAddress(address))
        return {};
    const std::string entry = EntryPathOfAddress(address);
    std::string backslashed = entry;
    ReplaceAll(backslashed, '/', '\\');
    std::string slashed = entry;
    ReplaceAll(slashed, '\\', '/');
    return {entry, backslashed, slashed};
}

bool LeaveArchiveIfOutside(const std::string& address)
{
    WaitForLaunchAhead();
    server::CPageServer& pages = server::ThePageServer();
    if (IsLoopbackAddress(address) || !pages.IsRunning())
        return false;
    MainParaBlock().SetString(CParaBlock::PARA_STR_CUR_PATH_IN_ZIP, "", true);
    pages.Shutdown();
    RefreshBars();
    return true;
}

bool OnNavigationCompleted(const std::string& address)
{
    if (IsLoopbackAddress(address)) {
        MainParaBlock().SetString(CParaBlock::PARA_STR_CUR_PATH_IN_ZIP, address, true);
        return false;
    }
    MainParaBlock().SetString(CParaBlock::PARA_STR_CURRENT_PATH, address, true);
    return LeaveArchiveIfOutside(address);
}
