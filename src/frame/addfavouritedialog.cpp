#include "frame/addfavouritedialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CAddFavouriteDialog::CAddFavouriteDialog(const QString& name, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("添加到收藏夹"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("名称:"), this));
    m_name = new QLineEdit(this);
    m_name->setText(name);
    m_name->selectAll();
    layout->addWidget(m_name);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    auto* cancel = new QPushButton(QStringLiteral("放弃"), this);
    ok->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString CAddFavouriteDialog::Name() const { return m_name->text(); }
