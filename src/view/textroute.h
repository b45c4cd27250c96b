#pragma once
// Addresses of the private scheme that carries plain text through the text
// filter, and their mapping back to the addresses the user knows.
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

}  // namespace textroute
