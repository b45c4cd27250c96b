#pragma once
// CPasswordDialogModel: what the archive password dialog does, without its window.

#include <string>
#include <vector>

#include "archive/dialogfeedback.h"

// The password dialog ("压缩文件密码管理"). The list is kept sorted as the
// window's sorted combo box keeps it. In ask mode (opened for a reader thread
// that ran out of passwords) every addition is saved at once.
class CPasswordDialogModel {
public:
    CPasswordDialogModel(std::string pwdPath, bool askMode, IDialogFeedback& feedback);

    // Fills the list from the file as it is on disk; edit empty, unchanged.
    void Open();

    const std::vector<std::string>& Items() const { return m_items; }
    const std::string& EditText() const { return m_edit; }
    void SetEditText(const std::string& text) { m_edit = text; }
    // -1 for no selection.
    int Selection() const { return m_selection; }
    void Select(int index);
    bool Changed() const { return m_changed; }
    bool AskMode() const { return m_askMode; }

    // "添加" (also Enter).
    DialogOutcome Add();
    // "删除".
    DialogOutcome Delete();
    // "保存": writes the list, reloads the password table, closes with OK.
    // A file that cannot be written is reported and the dialog stays open.
    DialogOutcome Save();
    // "放弃", Escape or the close box.
    DialogOutcome Cancel();

    // The list order of the sorted combo box.
    static bool SortsBefore(const std::string& a, const std::string& b);

private:
    std::string m_path;
    bool m_askMode;
    IDialogFeedback& m_feedback;
    std::vector<std::string> m_items;
    std::string m_edit;
    int m_selection = -1;
    bool m_changed = false;
};
