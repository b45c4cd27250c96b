#pragma once
// Converted pages of local texts written to disk. The engine reads a page
// from a file about twice as fast as through a URL scheme handler (whose data
// pipe holds 64 KiB at a time), and a long text is converted much faster than
// the engine reads it; so the converted page of a local text is written to a
// file of this cache and the engine is sent there. The view keeps knowing the
// page by its private text address, which this cache maps back.
#include <string>

namespace textpagecache {

// The cache folder: $XDG_CACHE_HOME/Pagora/TextPages (~/.cache/...), created
// when missing; empty when it cannot be made.
std::string Folder();
// The file that holds the converted page of a private text address, unique
// to this process; empty when there is no cache folder.
std::string FileFor(const std::string& privateAddress);
// The private text address a "file://" address of a cache file stands for;
// the address itself for any other address.
std::string Unmapped(const std::string& address);
// Removes the files of this process (at exit), and files of others that are
// older than a day (left by a crash).
void RemoveOwnFiles();
void RemoveStaleFiles();

// Makes Folder() use `folder` (tests); empty restores the real rule.
void SetFolderForTesting(const std::string& folder);

}  // namespace textpagecache
