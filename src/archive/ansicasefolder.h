#pragma once
// CAnsiCaseFolder: compares names ignoring case the way the locale's code page allows.

#include <array>
#include <string_view>

// Folds ASCII letters only, and never the second byte of a double-byte
// character (in GBK it may look like an ASCII letter). Takes the code page's
// lead bytes once at construction, so make one per batch of comparisons.
class CAnsiCaseFolder {
public:
    CAnsiCaseFolder();
    bool Equal(std::string_view a, std::string_view b) const;
    // Whether `text` ends with `tail`, the tail starting on a character boundary.
    bool EndsWith(std::string_view text, std::string_view tail) const;

private:
    bool m_doubleByte = false;
    std::array<bool, 256> m_lead{};
};
