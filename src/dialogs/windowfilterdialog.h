#pragma once
// CWindowFilterDialog: the window filter dialog ("窗口过滤器"), the window
// over CWindowFilterModel.
#include <QDialog>

#include <memory>
#include <string>

class CParaBlock;
class CWindowFilterModel;
class QPlainTextEdit;

class CWindowFilterDialog : public QDialog {
    Q_OBJECT
public:
    CWindowFilterDialog(CParaBlock& block, const std::string& keywordFile, QWidget* parent = nullptr);
    ~CWindowFilterDialog() override;

protected:
    void accept() override;  // "确定": keys, keyword file, filter list

private:
    std::unique_ptr<CWindowFilterModel> m_model;
    QPlainTextEdit* m_keywords = nullptr;
};
