#pragma once
// CHomeNameDialogModel: what the archive home-name dialog does, without its window.

#include <string>
#include <vector>

#include "archive/dialogfeedback.h"

// The home-name dialog ("压缩文件首页管理"): an unsorted list edited in place.
class CHomeNameDialogModel {
public:
    CHomeNameDialogModel(std::string zhpPath, IDialogFeedback& feedback);

    // Fills the list from the home names in memory, in order.
    void Open();

    const std::vector<std::string>& Items() const { return m_items; }
    const std::string& EditText() const { return m_edit; }
    void SetEditText(const std::string& text) { m_edit = text; }
    int Selection() const { return m_selection; }
    void Select(int index);
    bool Changed() const { return m_changed; }

    DialogOutcome Add();       // "添加" (also Enter)
    DialogOutcome Delete();    // "删除"
    DialogOutcome MoveUp();    // "上移"
    DialogOutcome MoveDown();  // "下移"
    // "保存": writes and reloads when changed; closes with OK. A file that
    // cannot be written is reported and the dialog stays open.
    DialogOutcome Save();
    DialogOutcome Cancel();    // "放弃", Escape or the close box

private:
    std::string m_path;
    IDialogFeedback& m_feedback;
    std::vector<std::string> m_items;
    std::string m_edit;
    int m_selection = -1;
    bool m_changed = false;
};
