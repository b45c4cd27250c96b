#include "dialogs/optionbuttons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

void AddOptionButtons(QDialog* dialog, QBoxLayout* layout) {
    auto* ok = new QPushButton(QStringLiteral("确定"), dialog);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("放弃"), dialog);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}
