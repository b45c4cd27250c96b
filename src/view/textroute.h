#pragma once
// Addresses of the private scheme that carries plain text through the text
// filter, and their mapping back to the addresses the user knows.
#include <cstddef>
#include <string>

namespace textroute {

// The private scheme's name.
inline constexpr const char* kScheme = "pagora-txt";
// Host that marks a local file in a private address; a reserved name that no
// real http host can have, so the two kinds never mix.
inline constexpr const char* kLocalHost = "localfile.invalid";

// Whether a main-frame navigation to this (encoded) address may yield plain
// text that the filter should see: a file: or http: address whose path ends
// in ".txt", any case.
bool IsCandidate(const std::string& address);
// "file:///p/a.txt" -> "pagora-txt://localfile.invalid/p/a.txt";
// "http://h:1/a.txt?q" -> "pagora-txt://h:1/a.txt?q". Empty when no candidate.
std::string ToPrivate(const std::string& address);
// The inverse; any other address is returned as it is.
std::string ToOriginal(const std::string& address);
bool IsPrivate(const std::string& address);

// The most converted bytes one page takes: the engine's renderer held a
// 59 MB page in 2.6 GB and died at about 122 MB.
inline constexpr size_t kMaxConvertedBytes = size_t(80) << 20;
// How many of `size` more bytes after `written` fit under `limit`, ending at
// a line break (all of them when they fit, 0 when none does).
size_t CutForLimit(const char* data, size_t size, size_t written, size_t limit);
// The markup that ends a page cut after `shownBytes`.
std::string LimitNotice(size_t shownBytes);

}  // namespace textroute
