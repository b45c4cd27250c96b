#pragma once
// CAboutDialog: "关于Pagora", the program's name, version and icon with two
// link fields (the author's mail address and the program's page).
#include <QDialog>

class CLinkLabel;

class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);

    CLinkLabel* MailLink() const { return m_mail; }
    CLinkLabel* PageLink() const { return m_page; }

private:
    CLinkLabel* m_mail = nullptr;
    CLinkLabel* m_page = nullptr;
};
