#include "dialogs/passworddialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "archive/passworddialogmodel.h"

CPasswordDialog::CPasswordDialog(const std::string& pwdPath, bool askMode, QWidget* parent)
    : CListDialog(parent), m_model(std::make_unique<CPasswordDialogModel>(pwdPath, askMode, *this)) {
    setWindowTitle(QStringLiteral("压缩文件密码管理"));
    QHBoxLayout* layout = BuildEditAndList(QStringLiteral("密码（前、后空格将被清除）:"));
    auto* buttons = new QVBoxLayout;
    auto* add = new QPushButton(QStringLiteral("添加"), this);
    auto* del = new QPushButton(QStringLiteral("删除"), this);
    auto* save = new QPushButton(QStringLiteral("保存"), this);
    auto* cancel = new QPushButton(QStringLiteral("放弃"), this);
    add->setDefault(true);
    for (QPushButton* b : {add, del, save, cancel}) buttons->addWidget(b);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        m_model->Select(row);
        if (row >= 0) m_edit->setText(m_list->item(row)->text());
    });
    connect(add, &QPushButton::clicked, this, [this] {
        m_model->SetEditText(m_edit->text().toStdString());
        DialogOutcome outcome = m_model->Add();
        m_edit->setText(QString::fromStdString(m_model->EditText()));
        Refill();
        Finish(outcome);
    });
    connect(del, &QPushButton::clicked, this, [this] {
        m_model->Select(m_list->currentRow());
        Finish(m_model->Delete());
        Refill();
    });
    connect(save, &QPushButton::clicked, this, [this] { Finish(m_model->Save()); });
    connect(cancel, &QPushButton::clicked, this, &CPasswordDialog::reject);

    m_model->Open();
    Refill();
    m_edit->setFocus();
}

CPasswordDialog::~CPasswordDialog() = default;

int CPasswordDialog::Run() { return exec() == QDialog::Accepted ? 1 : 2; }

void CPasswordDialog::reject() { Finish(m_model->Cancel()); }


void CPasswordDialog::Refill() { FillList(m_model->Items(), m_model->Selection()); }
