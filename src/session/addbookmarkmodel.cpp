#include "session/addbookmarkmodel.h"

#include "settings/parablock.h"

CAddBookmarkModel::CAddBookmarkModel(const CBookmarkFile& file, const CParaBlock& source,
                                     std::function<std::pair<int, int>()> offsets, IDialogFeedback& feedback)
    : m_file(file), m_source(source), m_offsets(std::move(offsets)), m_feedback(feedback) {}

void CAddBookmarkModel::Open(const std::string& defaultName) {
    m_names = m_file.SortedNames();
    m_edit = defaultName;
}

DialogOutcome CAddBookmarkModel::Confirm() {
    // A raw "]" or line break would break the file for every later read:
    // typed names are treated like the proposed one.
    std::string name = bookmarkname::Safe(m_edit, bookmarkname::LocaleLeadBytes());
    if (name.empty()) {
        m_feedback.ShowMessage("抱歉，名称不能为空，请更正。");
        return DialogOutcome::StayOpen;
    }
    if (m_file.Exists(name) && !m_feedback.AskYesNo("同名书签已存在，您打算覆盖它吗？")) {
        m_edit = name;
        return DialogOutcome::StayOpen;
    }
    m_file.Save(name, m_source, m_offsets ? m_offsets() : std::pair<int, int>{0, 0});
    m_saved = name;
    return DialogOutcome::Ok;
}
