#pragma once
// CHomeNameDialog: the archive home-name dialog ("压缩文件首页管理"), the
// window over CHomeNameDialogModel.
#include <memory>
#include <string>

#include "dialogs/listdialog.h"

class CHomeNameDialogModel;

class CHomeNameDialog : public CListDialog {
    Q_OBJECT
public:
    CHomeNameDialog(const std::string& zhpPath, QWidget* parent = nullptr);
    ~CHomeNameDialog() override;

protected:
    void reject() override;  // "放弃", Escape and the close box

private:
    void Refill();

    std::unique_ptr<CHomeNameDialogModel> m_model;
};
