#include "dialogs/aboutdialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/linklabel.h"

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("关于Pagora"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    auto* name = new QLabel(QStringLiteral("<b>Pagora</b><br>Pagora Version 1.34"), this);
    m_mail = new CLinkLabel(QStringLiteral("pagora@example.org"), QStringLiteral("mailto:pagora@example.org"), this);
    m_mail->setObjectName("mail");
    m_page = new CLinkLabel(QStringLiteral("https://example.org/pagora/"), QStringLiteral("https://example.org/pagora/"),
                            this);
    m_page->setObjectName("homepage");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addSpacing(8);
    text->addWidget(m_mail);
    text->addWidget(m_page);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}
