#pragma once
// CDocumentPositions: the last reading position of each document the reader
// has shown (the most recent ones), kept in a file of the profile folder so
// that a document opened again returns to where the reader left it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct DocumentPosition {
    std::string document;  // "CurrentPath"
    std::string inZip;     // "CurPathInZip" (empty outside archives)
    int x = 0;
    int y = 0;
};

class CDocumentPositions {
public:
    explicit CDocumentPositions(std::string path, size_t limit = 200);

    // Puts the position at the top, dropping an older one of the same
    // document and those beyond the limit. The file is re-read under a lock
    // and replaced atomically: another window's positions are kept.
    bool Record(const DocumentPosition& position) const;
    std::optional<DocumentPosition> Find(const std::string& document) const;

    // One line per position: x, y, document and page, separated by tabs;
    // tabs, line breaks and "%" inside the texts written as %09, %0A, %0D, %25.
    static std::vector<DocumentPosition> Parse(std::string_view text);
    static std::string Format(const std::vector<DocumentPosition>& positions);

private:
    std::string m_path;
    size_t m_limit;
};
