#pragma once
// CDownloadControlDialog: the download control dialog ("下载控制"), the
// window over CDownloadControlModel.
#include <QDialog>

#include <memory>

class CParaBlock;
class CDownloadControlModel;

class CDownloadControlDialog : public QDialog {
    Q_OBJECT
public:
    CDownloadControlDialog(CParaBlock& block, QWidget* parent = nullptr);
    ~CDownloadControlDialog() override;

protected:
    void accept() override;  // "确定": the model writes the keys

private:
    std::unique_ptr<CDownloadControlModel> m_model;
};
