#pragma once
// CLibraryDialogModel: what the library dialog ("书库管理") does, without its window.
#include <functional>
#include <string>
#include <vector>

#include "archive/dialogfeedback.h"

class CLibraryDialogModel {
public:
    // `showFileListAt` moves the main window's file list to a folder.
    CLibraryDialogModel(std::string blbPath, IDialogFeedback& feedback,
                        std::function<void(const std::string&)> showFileListAt);

    // The rows of the library in memory, in order, marks kept.
    void Open();
    const std::vector<std::string>& Rows() const { return m_rows; }
    int Selection() const { return m_selection; }
    void Select(int row);

    // "添加" after the folder chooser, and each dropped item (a file stands
    // for the folder that holds it). A folder already listed is refused.
    void AddFolder(const std::string& folder);
    void Drop(const std::vector<std::string>& paths);
    void Delete();      // "删除"
    void Clear();       // "清空"
    void SetDefault();  // "设为缺省书架"
    void OpenRow();     // "打开" or a double click
    // "确定": writes the rows (or deletes the file when there are none) and
    // reads the library again; a file that cannot be written is reported
    // and the dialog stays open with the edits.
    DialogOutcome Ok();

private:
    std::string m_path;
    IDialogFeedback& m_feedback;
    std::function<void(const std::string&)> m_showAt;
    std::vector<std::string> m_rows;
    int m_selection = -1;
};
