#pragma once
// CHomePageDialog: the home page dialog ("主页设置"), the window over CHomePageModel.
#include <QDialog>

#include <memory>
#include <string>

class CParaBlock;
class CHomePageModel;

class CHomePageDialog : public QDialog {
    Q_OBJECT
public:
    CHomePageDialog(CParaBlock& block, const std::string& currentAddress, QWidget* parent = nullptr);
    ~CHomePageDialog() override;

protected:
    void accept() override;  // "确定": the model stores "Homepage"

private:
    std::unique_ptr<CHomePageModel> m_model;
};
