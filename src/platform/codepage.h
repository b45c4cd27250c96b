#pragma once
// The locale's code set (the "ANSI code page") and conversions to and from it.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// nl_langinfo(CODESET) of the current locale, e.g. "UTF-8", "GBK" or "ANSI_X3.4-1968".
std::string AnsiCodeSet();
// True for double-byte sets (GBK, GB2312, GB18030, CP936, Big5, Shift_JIS, EUC-KR...).
bool IsDoubleByteCodeSet();
// True when `c` starts a two-byte character of the current double-byte set;
// always false for single-byte sets and for UTF-8.
bool IsLeadByte(unsigned char c);

// Conversions with iconv. Invalid input never crashes and never stops the
// conversion: a byte or unit that cannot be converted is replaced by '?'
// (U+003F), and an incomplete sequence at the end is dropped.
std::string Utf16ToAnsi(std::u16string_view text);
std::u16string AnsiToUtf16(std::string_view text);
std::string Utf8ToAnsi(std::string_view text);
std::string AnsiToUtf8(std::string_view text);

// General conversion between two iconv code set names, with the same rules.
std::string ConvertCodeSet(std::string_view text, const char* from, const char* to);

// Appends the UTF-8 form of one code point (at most U+10FFFF) to `out`.
void AppendUtf8(std::string& out, uint32_t codePoint);

}  // namespace platform
