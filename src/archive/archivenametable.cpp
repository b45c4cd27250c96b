#include "archive/archivenametable.h"

void CArchiveNameTable::Build(const std::vector<StoredName>& stored, const CArchiveNameDecoder::Detector& detector)
{
    Clear();
    const CArchiveNameDecoder decoder(stored, detector);
    m_charset = decoder.Charset();
    m_readable.reserve(stored.size());
    std::vector<uint64_t> storedIndex;
    for (const StoredName& name : stored) {
        std::string readable = name.bytes.empty() ? std::string() : decoder.Decode(name);
        // A name that decodes to nothing (a lone lead byte) keeps its bytes.
        m_readable.push_back(readable.empty() ? name.bytes : std::move(readable));
        if (m_readable.back() != name.bytes) {
            m_stored.push_back(name.bytes);
            storedIndex.push_back(m_readable.size() - 1);
        }
    }
    // Both vectors are complete: the views below stay valid until Clear.
    m_index.reserve(m_readable.size() + m_stored.size());
    for (size_t i = 0; i < m_readable.size(); ++i) {
        if (!m_readable[i].empty())
            m_index.emplace(std::string_view(m_readable[i]), i);
    }
    for (size_t k = 0; k < m_stored.size(); ++k) {
        if (!m_stored[k].empty())
            m_index.emplace(std::string_view(m_stored[k]), storedIndex[k]);
    }
}

void CArchiveNameTable::Clear()
{
    m_index.clear();
    m_readable.clear();
    m_stored.clear();
    m_charset.clear();
}

bool CArchiveNameTable::Find(std::string_view name, uint64_t* index) const
{
    auto it = m_index.find(name);
    if (it == m_index.end())
        return false;
    if (index)
        *index = it->second;
    return true;
}
