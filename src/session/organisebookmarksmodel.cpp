#include "session/organisebookmarksmodel.h"

#include "settings/parablock.h"

COrganiseBookmarksModel::COrganiseBookmarksModel(const CBookmarkFile& file, IDialogFeedback& feedback)
    : m_file(file), m_feedback(feedback) {}

void COrganiseBookmarksModel::Open() {
    m_names = m_file.SortedNames();
    m_selection = -1;
    m_document.clear();
}

void COrganiseBookmarksModel::Select(int row) {
    m_selection = row >= 0 && row < static_cast<int>(m_names.size()) ? row : -1;
    m_document.clear();
    if (m_selection < 0) return;
    CParaBlock record;
    m_file.Load(m_names[static_cast<size_t>(m_selection)], record);
    m_document = record.GetString(PARA_STR_CURRENT_PATH);
}

DialogOutcome COrganiseBookmarksModel::Open(int row) {
    if (row != m_selection) Select(row);
    if (m_names.empty()) {
        m_feedback.ShowMessage("抱歉，没什么好跳转的。");
        return DialogOutcome::StayOpen;
    }
    if (m_selection < 0) {
        m_feedback.ShowMessage("请先选择需跳转的书签。");
        return DialogOutcome::StayOpen;
    }
    m_chosen = m_names[static_cast<size_t>(m_selection)];
    return DialogOutcome::Ok;
}

DialogOutcome COrganiseBookmarksModel::Delete() {
    if (m_names.empty()) {
        m_feedback.ShowMessage("抱歉，没什么好删除的。");
        return DialogOutcome::StayOpen;
    }
    if (m_selection < 0) {
        m_feedback.ShowMessage("请先选择需删除的书签。");
        return DialogOutcome::StayOpen;
    }
    if (!m_feedback.AskYesNo("您真的想删除此书签吗？")) return DialogOutcome::StayOpen;
    m_file.Remove(m_names[static_cast<size_t>(m_selection)]);
    Open();
    return DialogOutcome::StayOpen;
}
