#pragma once
// CShortcutDialog: "创建快捷方式", the window over CShortcutDialogModel.
#include <QDialog>

#include <memory>

class CShortcutDialogModel;
class QCheckBox;

class CShortcutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CShortcutDialog(QWidget* parent = nullptr);
    ~CShortcutDialog() override;

protected:
    void accept() override;  // "确定": the launchers follow the boxes

private:
    std::unique_ptr<CShortcutDialogModel> m_model;
    QCheckBox* m_desktop = nullptr;
    QCheckBox* m_menu = nullptr;
};
