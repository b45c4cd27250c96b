#pragma once
// Whether a byte string is well-formed UTF-8.

#include <string_view>

// No overlong forms, no surrogates, nothing above U+10FFFF; plain ASCII is.
bool IsWellFormedUtf8(std::string_view text);
