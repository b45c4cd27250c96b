#pragma once
// The mapping between documents and browser addresses: an archive's start
// address on the loopback server, loopback addresses shown to the user, and
// leaving an archive. Called by the view on the user-interface thread.

#include <functional>
#include <string>
#include <vector>

// What the main window does when the archive state changed ("refresh its
// bars": archive contents bar, counter pane). Empty function: nothing.
void SetRefreshBarsHook(std::function<void()> hook);

// The entries of the archive `document` names (a path or a file:// address)
// in plain name order, read by a holder of its own so that the server's open
// archive is not disturbed; empty when it names no archive.
std::vector<std::string> ArchiveEntriesOf(const std::string& document);

// The loopback address of the first page of the archive `document` names
// (a path or a file:// address), launching the server when it is not running.
// Empty when the document is no archive, has no page, or the server cannot
// be started; the current archive is untouched when it is no archive.
std::string ArchiveStartAddress(const std::string& document);

// Launches the page server on a thread of its own while the windows are
// being made, when the first page will be an archive's: it is then already
// listening when the page is asked for. ArchiveStartAddress and leaving an
// archive wait for that launch; so must anyone else who stops the server
// (WaitForPageServerLaunch).
void LaunchPageServerAhead();
void WaitForPageServerLaunch();

// The document ArchiveStartAddress last opened, until the view clears it
// once the archive's first page has loaded.
std::string PendingArchive();
void ClearPendingArchive();

// True when the address begins with the current loopback base.
bool IsLoopbackAddress(const std::string& address);
// The entry path of a loopback address (the text after the base); the
// address itself when it is no loopback address.
std::string EntryPathOfAddress(const std::string& address);

// The document title for a title the browser reports: the text after the
// first occurrence of the loopback base when it contains it, else the title.
std::string TitleFromBrowserTitle(const std::string& title);
// The status text to show for one the browser reports: the first occurrence
// of the loopback base cut out; an empty text becomes the idle status text.
std::string StatusFromBrowserStatus(const std::string& status);

// The texts the archive contents bar looks for to select the line of the
// entry a loopback address shows: the entry path as it is, with every '/'
// turned into '\', and with every '\' turned into '/'. Empty for an address
// that is no loopback address.
std::vector<std::string> ArchiveEntryCandidates(const std::string& address);

// A navigation completed at `address`: a loopback address is recorded in
// "CurPathInZip"; any other address in "CurrentPath", and when the server is
// running the archive is left: "CurPathInZip" emptied, the server stopped
// and the bars refreshed. Returns true when the archive was left.
bool OnNavigationCompleted(const std::string& address);
// Only the leaving step of OnNavigationCompleted, for callers that record
// the address themselves.
bool LeaveArchiveIfOutside(const std::string& address);
