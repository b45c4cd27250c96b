#include "session/librarydialogmodel.h"

#include <filesystem>

#include "session/bookshelf.h"

CLibraryDialogModel::CLibraryDialogModel(std::string blbPath, IDialogFeedback& feedback,
                                         std::function<void(const std::string&)> showFileListAt)
    : m_path(std::move(blbPath)), m_feedback(feedback), m_showAt(std::move(showFileListAt)) {}

void CLibraryDialogModel::Open() {
    m_rows = Shelves();
    m_selection = -1;
}

void CLibraryDialogModel::Select(int row) { m_selection = row >= 0 && row < static_cast<int>(m_rows.size()) ? row : -1; }

void CLibraryDialogModel::AddFolder(const std::string& folder) {
    if (folder.empty()) return;
    // Compared with the folder each row names, so that the default shelf
    // cannot be listed a second time without its mark.
    for (const std::string& row : m_rows) {
        if (bookshelf::FolderOf(row) == folder) {
            m_feedback.ShowMessage(folder + "\n已在列表中，请重新选择。");
            return;
        }
    }
    m_rows.push_back(folder);
}

void CLibraryDialogModel::Drop(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) {
            AddFolder(path);
            continue;
        }
        std::string parent = std::filesystem::path(path).parent_path().string();
        AddFolder(parent);
    }
}

void CLibraryDialogModel::Delete() {
    if (m_rows.empty()) return;
    if (m_selection < 0) {
        m_feedback.ShowMessage("请先选择需要删除的项。");
        return;
    }
    if (!m_feedback.AskYesNo("您真的想删除所选项吗？")) return;
    m_rows.erase(m_rows.begin() + m_selection);
    m_selection = -1;
}

void CLibraryDialogModel::Clear() {
    if (m_rows.empty()) return;
    if (!m_feedback.AskYesNo("您真的想清空列表吗？")) return;
    m_rows.clear();
    m_selection = -1;
}

void CLibraryDialogModel::SetDefault() {
    if (m_rows.empty()) return;
    if (m_selection < 0) {
        m_feedback.ShowMessage("请先选择需要设置的项。");
        return;
    }
    for (std::string& row : m_rows) {
        if (row.starts_with('*')) {
            row.erase(0, 1);
            break;
        }
    }
    std::string& chosen = m_rows[static_cast<size_t>(m_selection)];
    if (!chosen.starts_with('*')) chosen.insert(0, "*");
}

void CLibraryDialogModel::OpenRow() {
    if (m_rows.empty()) return;
    if (m_selection < 0) {
        m_feedback.ShowMessage("请先选择需要打开的项。");
        return;
    }
    std::string folder = bookshelf::FolderOf(m_rows[static_cast<size_t>(m_selection)]);
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        m_feedback.ShowMessage("抱歉，所选文件夹无效，或已不存在。");
        return;
    }
    if (m_showAt) m_showAt(folder);
}

DialogOutcome CLibraryDialogModel::Ok() {
    if (!m_rows.empty()) {
        if (!bookshelf::Write(m_path, m_rows)) {
            m_feedback.ShowMessage("存盘失败。");
            return DialogOutcome::StayOpen;
        }
    } else {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
    LoadShelves(m_path);
    return DialogOutcome::Ok;
}
