#pragma once
// CHtmlDisplayDialog: the HTML display dialog ("HTML文件显示"), the window
// over CHtmlDisplayModel: which page background applies and the own colour.
#include <QDialog>

#include <memory>

class CParaBlock;
class CHtmlDisplayModel;

class CHtmlDisplayDialog : public QDialog {
    Q_OBJECT
public:
    CHtmlDisplayDialog(CParaBlock& block, QWidget* parent = nullptr);
    ~CHtmlDisplayDialog() override;

protected:
    void accept() override;

private:
    std::unique_ptr<CHtmlDisplayModel> m_model;
};
