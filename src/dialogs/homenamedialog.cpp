#include "dialogs/homenamedialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "archive/homenamedialogmodel.h"

CHomeNameDialog::CHomeNameDialog(const std::string& zhpPath, QWidget* parent)
    : CListDialog(parent), m_model(std::make_unique<CHomeNameDialogModel>(zhpPath, *this)) {
    setWindowTitle(QStringLiteral("压缩文件首页管理"));
    setObjectName(QStringLiteral("HomeNameDialog"));
    QHBoxLayout* layout = BuildEditAndList(QStringLiteral("压缩文件首页的主文件名（前、后空格将被清除）:"));
    auto* buttons = new QVBoxLayout;
    auto* add = new QPushButton(QStringLiteral("添加"), this);
    auto* del = new QPushButton(QStringLiteral("删除"), this);
    auto* up = new QPushButton(QStringLiteral("上移"), this);
    auto* down = new QPushButton(QStringLiteral("下移"), this);
    auto* save = new QPushButton(QStringLiteral("保存"), this);
    auto* cancel = new QPushButton(QStringLiteral("放弃"), this);
    add->setDefault(true);
    for (QPushButton* b : {add, del, up, down, save, cancel}) buttons->addWidget(b);
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
    auto onSelection = [this](DialogOutcome (CHomeNameDialogModel::*op)()) {
        m_model->Select(m_list->currentRow());
        DialogOutcome outcome = (m_model.get()->*op)();
        Refill();
        Finish(outcome);
    };
    connect(del, &QPushButton::clicked, this, [onSelection] { onSelection(&CHomeNameDialogModel::Delete); });
    connect(up, &QPushButton::clicked, this, [onSelection] { onSelection(&CHomeNameDialogModel::MoveUp); });
    connect(down, &QPushButton::clicked, this, [onSelection] { onSelection(&CHomeNameDialogModel::MoveDown); });
    connect(save, &QPushButton::clicked, this, [this] { Finish(m_model->Save()); });
    connect(cancel, &QPushButton::clicked, this, &CHomeNameDialog::reject);

    m_model->Open();
    Refill();
    m_edit->setFocus();
}

CHomeNameDialog::~CHomeNameDialog() = default;

void CHomeNameDialog::reject() { Finish(m_model->Cancel()); }


void CHomeNameDialog::Refill() { FillList(m_model->Items(), m_model->Selection()); }
