#pragma once
// CPasswordDialog: the archive password dialog ("压缩文件密码管理"), the window
// over CPasswordDialogModel, in its normal or ask mode.
#include <QDialog>

#include <memory>
#include <string>

#include "archive/dialogfeedback.h"

class CPasswordDialogModel;
class QLineEdit;
class QListWidget;

class CPasswordDialog : public QDialog, public IDialogFeedback {
    Q_OBJECT
public:
    CPasswordDialog(const std::string& pwdPath, bool askMode, QWidget* parent = nullptr);
    ~CPasswordDialog() override;

    // 1 for OK (saved), 2 for Cancel, as the asking thread expects.
    int Run();

protected:
    void reject() override;  // "放弃", Escape and the close box

    void Beep(BeepKind kind) override;
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;

private:
    void Refill();
    void Finish(DialogOutcome outcome);

    std::unique_ptr<CPasswordDialogModel> m_model;
    QLineEdit* m_edit = nullptr;
    QListWidget* m_list = nullptr;
};
