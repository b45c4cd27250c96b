#pragma once
// CZoomDialog: the zoom dialog ("显示比例"), the window over CZoomModel.
// It ends as cancelled when "确定" leaves the value as it was.
#include <QDialog>

#include <memory>

class CParaBlock;
class CZoomModel;
class QSpinBox;

class CZoomDialog : public QDialog {
    Q_OBJECT
public:
    CZoomDialog(CParaBlock& block, QWidget* parent = nullptr);
    ~CZoomDialog() override;

protected:
    void accept() override;

private:
    std::unique_ptr<CZoomModel> m_model;
    QSpinBox* m_percent = nullptr;
};
