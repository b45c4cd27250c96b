#pragma once
// CDocumentMemory: each document returns to where the reader left it when
// it is opened again from the window (recent files, file list, bookshelf,
// address bar), unless "[DocumentPositions] Keep=0" in the INI file says not to.
#include <string>

class CPagoraView;

class CDocumentMemory {
public:
    explicit CDocumentMemory(CPagoraView* view);

    // Keeps the position of the document on screen, then opens `location`:
    // at its kept position when it has one, else from the top.
    void Open(const std::string& location);
    // Keeps the position of the document on screen (leaving it, closing).
    void RecordCurrent();

private:
    bool Enabled() const;
    std::string StorePath() const;
    CPagoraView* m_view;
};
