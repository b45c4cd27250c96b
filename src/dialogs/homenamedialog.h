#pragma once
// CHomeNameDialog: the archive home-name dialog ("压缩文件首页管理"), the
// window over CHomeNameDialogModel.
#include <QDialog>

#include <memory>
#include <string>

#include "archive/dialogfeedback.h"

class CHomeNameDialogModel;
class QLineEdit;
class QListWidget;

class CHomeNameDialog : public QDialog, public IDialogFeedback {
    Q_OBJECT
public:
    CHomeNameDialog(const std::string& zhpPath, QWidget* parent = nullptr);
    ~CHomeNameDialog() override;

protected:
    void reject() override;  // "放弃", Escape and the close box

    void Beep(BeepKind kind) override;
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;

private:
    void Refill();
    void Finish(DialogOutcome outcome);

    std::unique_ptr<CHomeNameDialogModel> m_model;
    QLineEdit* m_edit = nullptr;
    QListWidget* m_list = nullptr;
};
