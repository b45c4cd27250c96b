#pragma once
// CAddBookmarkModel: what the add-bookmark dialog ("加入书签") does, without its window.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "archive/dialogfeedback.h"
#include "session/bookmarks.h"

class CParaBlock;

class CAddBookmarkModel {
public:
    // `source` is the reading position to keep (a copy of the main block),
    // `offsets` asks the view for its scroll offsets when the name is confirmed.
    CAddBookmarkModel(const CBookmarkFile& file, const CParaBlock& source, std::function<std::pair<int, int>()> offsets,
                      IDialogFeedback& feedback);

    // The sorted names of the bookmarks and the proposed name in the edit field.
    void Open(const std::string& defaultName);
    const std::vector<std::string>& Names() const { return m_names; }
    const std::string& EditText() const { return m_edit; }
    void SetEditText(const std::string& text) { m_edit = text; }

    // "确定" (and a double click on a name, with that name): an empty name is
    // refused, an existing bookmark is overwritten only after Yes; the name is
    // made one a section can hold before it is written.
    DialogOutcome Confirm();
    // The name the bookmark was saved under (after Ok).
    const std::string& SavedName() const { return m_saved; }

private:
    const CBookmarkFile& m_file;
    const CParaBlock& m_source;
    std::function<std::pair<int, int>()> m_offsets;
    IDialogFeedback& m_feedback;
    std::vector<std::string> m_names;
    std::string m_edit;
    std::string m_saved;
};
