#pragma once
// CDisplayWidthDialog: the display width dialog ("显示区宽度"), the window
// over CDisplayWidthModel: the width limit and the colour of the margins.
#include <QDialog>

#include <memory>

class CParaBlock;
class CDisplayWidthModel;
class QRadioButton;
class QSpinBox;

class CDisplayWidthDialog : public QDialog {
    Q_OBJECT
public:
    CDisplayWidthDialog(CParaBlock& block, QWidget* parent = nullptr);
    ~CDisplayWidthDialog() override;

protected:
    void accept() override;

private:
    // Shows the model's choices in the radio buttons.
    void ShowChoices();

    std::unique_ptr<CDisplayWidthModel> m_model;
    QRadioButton* m_limit[2] = {};
    QRadioButton* m_fill[2] = {};
    QSpinBox* m_width = nullptr;
};
