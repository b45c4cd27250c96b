#pragma once
// Turning browser addresses into local paths.

#include <string>

// The local path an address names: none (empty) for http:, https:, ftp:, res:
// and about: addresses and for relative names; the decoded absolute path of a
// file:// address; an absolute path that is no address is itself.
std::string AddressToLocalPath(const std::string& address);
// True for an absolute path ("/...") that is no address.
bool IsLocalPath(const std::string& path);
// The folder of a local path: up to the last '/', the root staying "/";
// empty when the path has no '/'.
std::string FolderOfPath(const std::string& path);
