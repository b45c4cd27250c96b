#pragma once
// CClockOptionsDialog: the clock and alarm options ("时钟/闹钟选项"), the
// window over CClockOptionsModel.
#include <QDialog>

#include <memory>
#include <string>

class CClockOptionsModel;
class CParaBlock;

class CClockOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // `clockSupported`: whether this window system can show the clock; the
    // "显示时钟" box is disabled when not. `nowSeconds` is the local time of day.
    CClockOptionsDialog(CParaBlock& block, const std::string& iniPath, bool clockSupported, int nowSeconds,
                        QWidget* parent = nullptr);
    ~CClockOptionsDialog() override;

protected:
    void accept() override;  // "确定": the model writes the keys and the message

private:
    std::unique_ptr<CClockOptionsModel> m_model;
};

// CAlarmDialog: "闹钟到点了", the alarm's message with "5分钟后再提醒我"
// (the default button and Esc; the dialog is then rejected) and
// "我知道了，不用再提醒我" (accepted).
class CAlarmDialog : public QDialog {
    Q_OBJECT
public:
    CAlarmDialog(const std::string& message, QWidget* parent = nullptr);
};
