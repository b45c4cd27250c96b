#pragma once
// CScrollOptionsDialog: the page-scrolling options dialog ("页面滚动选项"),
// the window over CScrollOptionsModel.
#include <QDialog>

#include <memory>

class CParaBlock;
class CScrollOptionsModel;
class QComboBox;
class QRadioButton;

class CScrollOptionsDialog : public QDialog {
    Q_OBJECT
public:
    CScrollOptionsDialog(CParaBlock& block, QWidget* parent = nullptr);
    ~CScrollOptionsDialog() override;

protected:
    void accept() override;  // "确定": the model writes the keys

private:
    void ShowType();

    std::unique_ptr<CScrollOptionsModel> m_model;
    QRadioButton* m_smooth = nullptr;
    QRadioButton* m_page = nullptr;
};
