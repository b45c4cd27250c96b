#pragma once
// CEscKeyDialog: the Esc key dialog ("ESC键设置"), the window over CEscKeyModel.
#include <QDialog>

#include <memory>

class CParaBlock;
class CEscKeyModel;

class CEscKeyDialog : public QDialog {
    Q_OBJECT
public:
    CEscKeyDialog(CParaBlock& block, QWidget* parent = nullptr);
    ~CEscKeyDialog() override;

protected:
    void accept() override;  // "确定": the model stores "PARA_ESC_KEY"

private:
    std::unique_ptr<CEscKeyModel> m_model;
};
