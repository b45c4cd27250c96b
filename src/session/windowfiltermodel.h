#pragma once
// CWindowFilterModel: what the window filter dialog shows and stores: the
// pop-up switch, the one-instance switch (always on), the keyword filter
// switch and the keyword text, which is written to the keyword file as the
// reader typed it and then read back as the filter list.
#include <string>

class CParaBlock;

class CWindowFilterModel {
public:
    // Reads the three keys and the in-memory keyword list as the dialog
    // opens; `keywordFile` is the file "确定" writes.
    CWindowFilterModel(CParaBlock& block, std::string keywordFile);

    bool NoPopups() const { return m_noPopups; }
    bool OneInstance() const { return true; }  // the dialog shows it checked and disabled
    bool FilterOn() const { return m_filterOn; }
    // One keyword per line, each followed by a line break.
    const std::string& Text() const { return m_text; }

    void SetNoPopups(bool on) { m_noPopups = on; }
    void SetFilterOn(bool on) { m_filterOn = on; }
    void SetText(std::string text) { m_text = std::move(text); }

    // "确定": stores the three keys, writes the text unchanged into the
    // keyword file and reloads the filter list from it. The old file is
    // replaced only once the new text is safely written, so a failed write
    // leaves it (and the list read from it) as it was. False when the file
    // could not be written; the dialog closes all the same.
    bool Accept();

private:
    CParaBlock& m_block;
    std::string m_file;
    bool m_noPopups;
    bool m_filterOn;
    std::string m_text;
};
