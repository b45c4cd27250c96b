#include "archive/passworddialogmodel.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "archive/passwordtable.h"
#include "archive/sidelist.h"

namespace {

std::string AsciiLower(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

CPasswordDialogModel::CPasswordDialogModel(std::string pwdPath, bool askMode, IDialogFeedback& feedback)
    : m_path(std::move(pwdPath)), m_askMode(askMode), m_feedback(feedback)
{
}

bool CPasswordDialogModel::SortsBefore(const std::string& a, const std::string& b)
{
    // A sorted list box orders its strings by the locale, ignoring case;
    // strings equal that way keep a fixed order by their bytes.
    int c = std::strcoll(AsciiLower(a).c_str(), AsciiLower(b).c_str());
    if (c != 0)
        return c < 0;
    return a < b;
}

void CPasswordDialogModel::Open()
{
    LoadSideList(m_items, m_path);
    std::stable_sort(m_items.begin(), m_items.end(), SortsBefore);
    m_edit.clear();
    m_selection = -1;
    m_changed = false;
}

void CPasswordDialogModel::Select(int index)
{
    m_selection = index >= 0 && index < static_cast<int>(m_items.size()) ? index : -1;
}

DialogOutcome CPasswordDialogModel::Add()
{
    std::string password = TrimSpace(m_edit);
    if (password.empty()) {
        m_feedback.Beep(IDialogFeedback::BeepKind::Plain);
        return DialogOutcome::StayOpen;
    }
    if (std::find(m_items.begin(), m_items.end(), password) != m_items.end()) {
        m_feedback.ShowMessage("密码表中已经有此密码。");
    } else {
        auto at = std::upper_bound(m_items.begin(), m_items.end(), password, SortsBefore);
        int position = static_cast<int>(at - m_items.begin());
        m_items.insert(at, password);
        if (m_selection >= position)
            ++m_selection;
        m_changed = true;
    }
    m_edit.clear();
    // Asked for by a reader thread: the new password is wanted at once.
    if (m_askMode)
        return Save();
    return DialogOutcome::StayOpen;
}

DialogOutcome CPasswordDialogModel::Delete()
{
    if (m_selection < 0) {
        m_feedback.ShowMessage("请先在列表中选择要删除的密码。");
        return DialogOutcome::StayOpen;
    }
    if (m_feedback.AskYesNo("您真的想删除此密码吗？")) {
        m_items.erase(m_items.begin() + m_selection);
        m_selection = -1;
        m_changed = true;
    }
    return DialogOutcome::StayOpen;
}

DialogOutcome CPasswordDialogModel::Save()
{
    if (!SaveSideList(m_items, m_path)) {
        // Closing as if saved would lose the passwords just typed.
        m_feedback.ShowMessage("抱歉，不能保存文件 " + m_path + "。");
        return DialogOutcome::StayOpen;
    }
    m_changed = false;
    ThePasswordTable().Load(m_path);
    return DialogOutcome::Ok;
}

DialogOutcome CPasswordDialogModel::Cancel()
{
    if (!m_changed)
        return DialogOutcome::Cancel;
    if (m_feedback.AskYesNo("密码已改变，关闭前需要保存更改吗？"))
        return Save();
    return DialogOutcome::Cancel;
}
