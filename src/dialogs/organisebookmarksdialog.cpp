#include "dialogs/organisebookmarksdialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "session/organisebookmarksmodel.h"

COrganiseBookmarksDialog::COrganiseBookmarksDialog(const CBookmarkFile& file, QWidget* parent)
    : CListDialog(parent), m_model(std::make_unique<COrganiseBookmarksModel>(file, *this)) {
    setWindowTitle(QStringLiteral("整理书签"));
    setObjectName(QStringLiteral("OrganiseBookmarksDialog"));
    setSizeGripEnabled(true);
    // The list takes the width and the height the dialog gains; the document
    // field the width, below the list; the buttons and the hint stay at the right.
    auto* grid = new QGridLayout(this);
    m_list = new QListWidget(this);
    m_document = new QLineEdit(this);
    m_document->setReadOnly(true);
    grid->addWidget(m_list, 0, 0);
    grid->addWidget(m_document, 1, 0);
    auto* side = new QVBoxLayout;
    auto* open = new QPushButton(QStringLiteral("打开"), this);
    auto* del = new QPushButton(QStringLiteral("删除"), this);
    auto* leave = new QPushButton(QStringLiteral("离开"), this);
    for (QPushButton* b : {open, del, leave}) side->addWidget(b);
    auto* hint = new QLabel(QStringLiteral("提示：鼠标双击书签即可打开此书签"), this);
    hint->setWordWrap(true);
    hint->setFixedWidth(open->sizeHint().width() * 2);
    side->addWidget(hint);
    side->addStretch(1);
    grid->addLayout(side, 0, 1, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(0, 1);

    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        m_model->Select(row);
        m_document->setText(QString::fromStdString(m_model->DocumentText()));
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OpenSelected(); });
    connect(open, &QPushButton::clicked, this, &COrganiseBookmarksDialog::OpenSelected);
    connect(del, &QPushButton::clicked, this, [this] {
        m_model->Select(m_list->currentRow());
        Finish(m_model->Delete());
        Refill();
    });
    connect(leave, &QPushButton::clicked, this, &COrganiseBookmarksDialog::reject);

    m_model->Open();
    Refill();
}

COrganiseBookmarksDialog::~COrganiseBookmarksDialog() = default;

std::string COrganiseBookmarksDialog::Chosen() const { return m_model->Chosen(); }

void COrganiseBookmarksDialog::showEvent(QShowEvent* event) {
    CListDialog::showEvent(event);
    // It cannot be made smaller than it opened.
    if (!event->spontaneous()) setMinimumSize(size());
}

void COrganiseBookmarksDialog::OpenSelected() { Finish(m_model->Open(m_list->currentRow())); }

void COrganiseBookmarksDialog::Refill() {
    FillList(m_model->Names(), m_model->Selection());
    m_document->setText(QString::fromStdString(m_model->DocumentText()));
}
