#pragma once
// Which code set the stored names of one archive are written in.

#include <string>
#include <string_view>
#include <vector>

// Whether undeclared names holding bytes from 0x80 up, taken together, are
// UTF-8 (written by a system that left the flag out) rather than in a legacy
// code page. Well-formedness alone does not tell: GBK "目录" (C4 BF C2 BC)
// is well-formed UTF-8 too. One malformed name puts them all in a legacy
// code page, since one system wrote the archive. Well-formed names are
// UTF-8 when their UTF-8 reading holds CJK text or accented letters beside
// ASCII ones, or when they do not read as Chinese.
bool UndeclaredNamesAreUtf8(const std::vector<std::string_view>& names);

// The detector's verdict over the names taken together, an iconv code set
// name such as "GB18030", "BIG5" or "WINDOWS-1252"; empty when it cannot tell.
std::string DetectNameCharset(const std::vector<std::string_view>& names);

// The code set to decode `names` with, given the detector's `verdict`.
// A few short names fool the detector into single-byte answers (TIS-620,
// WINDOWS-1252...) although they read as Chinese: then, as when it cannot
// tell or names a set that fails on the names, the answer is GB18030, the
// superset of what Chinese Windows writes. CP437 is chosen only when the
// verdict says so.
std::string ChooseNameCharset(const std::vector<std::string_view>& names, const std::string& verdict);
