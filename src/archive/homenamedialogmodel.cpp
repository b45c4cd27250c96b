#include "archive/homenamedialogmodel.h"

#include <utility>

#include "archive/ansicasefolder.h"
#include "archive/homenames.h"
#include "archive/sidelist.h"

CHomeNameDialogModel::CHomeNameDialogModel(std::string zhpPath, IDialogFeedback& feedback)
    : m_path(std::move(zhpPath)), m_feedback(feedback)
{
}

void CHomeNameDialogModel::Open()
{
    m_items = TheHomeNames().Names();
    m_edit.clear();
    m_selection = -1;
    m_changed = false;
}

void CHomeNameDialogModel::Select(int index)
{
    m_selection = index >= 0 && index < static_cast<int>(m_items.size()) ? index : -1;
}

DialogOutcome CHomeNameDialogModel::Add()
{
    std::string name = TrimSpace(m_edit);
    if (name.empty()) {
        m_feedback.Beep(IDialogFeedback::BeepKind::Plain);
        return DialogOutcome::StayOpen;
    }
    const CAnsiCaseFolder fold;
    bool duplicate = false;
    for (const std::string& item : m_items) {
        if (fold.Equal(item, name))
            duplicate = true;
    }
    if (duplicate) {
        m_feedback.ShowMessage("主页表中已经有此文件名。");
    } else {
        m_items.push_back(name);
        m_changed = true;
    }
    m_edit.clear();
    return DialogOutcome::StayOpen;
}

DialogOutcome CHomeNameDialogModel::Delete()
{
    if (m_selection < 0) {
        m_feedback.ShowMessage("请先在列表中选择要删除的项。");
        return DialogOutcome::StayOpen;
    }
    if (m_feedback.AskYesNo("您真的想删除此项吗？")) {
        m_items.erase(m_items.begin() + m_selection);
        m_selection = -1;
        m_changed = true;
    }
    return DialogOutcome::StayOpen;
}

DialogOutcome CHomeNameDialogModel::MoveUp()
{
    if (m_selection < 0) {
        m_feedback.ShowMessage("请先在列表中选择要移动的项。");
    } else if (m_selection == 0) {
        m_feedback.Beep(IDialogFeedback::BeepKind::Default);
    } else {
        std::swap(m_items[m_selection], m_items[m_selection - 1]);
        --m_selection;
        m_changed = true;
    }
    return DialogOutcome::StayOpen;
}

DialogOutcome CHomeNameDialogModel::MoveDown()
{
    if (m_selection < 0) {
        m_feedback.ShowMessage("请先在列表中选择要移动的项。");
    } else if (m_selection + 1 >= static_cast<int>(m_items.size())) {
        m_feedback.Beep(IDialogFeedback::BeepKind::Default);
    } else {
        std::swap(m_items[m_selection], m_items[m_selection + 1]);
        ++m_selection;
        m_changed = true;
    }
    return DialogOutcome::StayOpen;
}

DialogOutcome CHomeNameDialogModel::Save()
{
    if (m_changed) {
        if (!SaveSideList(m_items, m_path)) {
            // Closing as if saved would lose the user's edits.
            m_feedback.ShowMessage("抱歉，不能保存文件 " + m_path + "。");
            return DialogOutcome::StayOpen;
        }
        m_changed = false;
        TheHomeNames().Load(m_path);
    }
    return DialogOutcome::Ok;
}

DialogOutcome CHomeNameDialogModel::Cancel()
{
    if (m_changed && m_feedback.AskYesNo("关闭前需要保存更改吗？"))
        return Save();
    return DialogOutcome::Cancel;
}
