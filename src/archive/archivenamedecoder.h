#pragma once
// CArchiveNameDecoder: turns the stored entry names of one archive into names in the locale's code set.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// An entry name as the archive stores it.
struct StoredName {
    std::string bytes;
    bool utf8 = false;  // declared UTF-8 (the ZIP flag or a Unicode path field)
};

// Names declared UTF-8 are UTF-8; a locale with another code set gets them
// converted to it, so that a request decoded into that code set finds them.
// Undeclared names are in the code page of the system that wrote the archive.
// In a non-UTF-8 locale they are kept as they are (the reader's own system is
// assumed to have written them). In a UTF-8 locale the undeclared names with
// bytes from 0x80 up are judged together: UTF-8 from a system that left the
// flag out, or one legacy code set detected over all of them, since a single
// name says too little to tell GBK from Big5 or a Latin code page.
class CArchiveNameDecoder {
public:
    // Detector: the verdict over the names needing it (DetectNameCharset).
    using Detector = std::function<std::string(const std::vector<std::string_view>&)>;

    explicit CArchiveNameDecoder(const std::vector<StoredName>& names, const Detector& detector = {});

    // The name in the locale's code set; for undeclared names that are
    // already UTF-8 or that the locale takes as they are, the stored bytes.
    std::string Decode(const StoredName& name) const;
    // The code set undeclared names are decoded from; empty when none needs it.
    const std::string& Charset() const { return m_charset; }

private:
    // Undeclared (or declared but malformed) with bytes from 0x80 up.
    bool IsUndecided(const StoredName& name) const;

    std::string m_localeSet;
    bool m_localeUtf8 = false;
    std::string m_charset;
};
