#pragma once
// CPasswordDialog: the archive password dialog ("压缩文件密码管理"), the window
// over CPasswordDialogModel, in its normal or ask mode.
#include <memory>
#include <string>

#include "dialogs/listdialog.h"

class CPasswordDialogModel;

class CPasswordDialog : public CListDialog {
    Q_OBJECT
public:
    CPasswordDialog(const std::string& pwdPath, bool askMode, QWidget* parent = nullptr);
    ~CPasswordDialog() override;

    // 1 for OK (saved), 2 for Cancel, as the asking thread expects.
    int Run();

protected:
    void reject() override;  // "放弃", Escape and the close box

private:
    void Refill();

    std::unique_ptr<CPasswordDialogModel> m_model;
};
