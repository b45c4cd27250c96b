#include "dialogs/addbookmarkdialog.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "session/addbookmarkmodel.h"

CAddBookmarkDialog::CAddBookmarkDialog(const CBookmarkFile& file, const CParaBlock& source,
                                       std::function<std::pair<int, int>()> offsets, const std::string& defaultName,
                                       QWidget* parent)
    : CListDialog(parent), m_model(std::make_unique<CAddBookmarkModel>(file, source, std::move(offsets), *this)) {
    setWindowTitle(QStringLiteral("加入书签"));
    setObjectName(QStringLiteral("AddBookmarkDialog"));
    QHBoxLayout* layout = BuildEditAndList(QStringLiteral("书签名:"));
    auto* buttons = new QVBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    auto* cancel = new QPushButton(QStringLiteral("放弃"), this);
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    // The list below the edit field is that of a simple combo box: a picked
    // name goes into the field, a double-clicked one is confirmed at once.
    connect(m_list, &QListWidget::currentTextChanged, m_edit, &QLineEdit::setText);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_edit->setText(item->text());
        Confirm();
    });
    connect(ok, &QPushButton::clicked, this, &CAddBookmarkDialog::Confirm);
    connect(cancel, &QPushButton::clicked, this, &CAddBookmarkDialog::reject);

    m_model->Open(defaultName);
    FillList(m_model->Names(), -1);
    m_edit->setText(QString::fromStdString(m_model->EditText()));
    m_edit->selectAll();
    m_edit->setFocus();
}

CAddBookmarkDialog::~CAddBookmarkDialog() = default;

void CAddBookmarkDialog::Confirm() {
    m_model->SetEditText(m_edit->text().toStdString());
    DialogOutcome outcome = m_model->Confirm();
    m_edit->setText(QString::fromStdString(m_model->EditText()));
    Finish(outcome);
}
