#pragma once
// COrganiseBookmarksModel: what the organise dialog ("整理书签") does, without its window.
#include <string>
#include <vector>

#include "archive/dialogfeedback.h"
#include "session/bookmarks.h"

class COrganiseBookmarksModel {
public:
    COrganiseBookmarksModel(const CBookmarkFile& file, IDialogFeedback& feedback);

    // Fills the list with the sorted names; nothing is selected.
    void Open();
    const std::vector<std::string>& Names() const { return m_names; }
    int Selection() const { return m_selection; }
    // Selects a row (-1: none) and shows its document.
    void Select(int row);
    const std::string& DocumentText() const { return m_document; }

    // "打开" or a double click: Ok with Chosen() the bookmark to open.
    DialogOutcome Open(int row);
    const std::string& Chosen() const { return m_chosen; }
    // "删除": the whole section goes after Yes, and the list is filled anew.
    DialogOutcome Delete();

private:
    const CBookmarkFile& m_file;
    IDialogFeedback& m_feedback;
    std::vector<std::string> m_names;
    int m_selection = -1;
    std::string m_document;
    std::string m_chosen;
};
