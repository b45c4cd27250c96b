#pragma once
// CArchiveNameTable: the entry names of one open archive, readable and as stored, and lookup by either.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "archive/archivenamedecoder.h"

// Entry i of the archive is stored[i] of Build; an entry without a name has
// empty bytes and is never found. A lookup tries the readable names first,
// then the stored bytes, so that addresses and settings saved while names
// were shown as stored still reach their entries. When two entries share a
// name, the first one wins.
class CArchiveNameTable {
public:
    void Build(const std::vector<StoredName>& stored, const CArchiveNameDecoder::Detector& detector = {});
    void Clear();

    size_t Size() const { return m_readable.size(); }
    // The name in the locale's code set.
    const std::string& Readable(size_t index) const { return m_readable[index]; }
    // The index of the entry called `name`; false when there is none.
    bool Find(std::string_view name, uint64_t* index) const;
    // The code set undeclared names were decoded from; empty when none was.
    const std::string& Charset() const { return m_charset; }

private:
    std::vector<std::string> m_readable;
    // The stored bytes of the entries whose readable name differs.
    std::vector<std::string> m_stored;
    std::unordered_map<std::string_view, uint64_t> m_index;
    std::string m_charset;
};
