#include "dialogs/librarydialog.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "session/librarydialogmodel.h"

CLibraryDialog::CLibraryDialog(const std::string& blbPath, std::function<void(const std::string&)> showFileListAt,
                               QWidget* parent)
    : CListDialog(parent), m_model(std::make_unique<CLibraryDialogModel>(blbPath, *this, std::move(showFileListAt))) {
    setWindowTitle(QStringLiteral("书库管理"));
    setObjectName(QStringLiteral("LibraryDialog"));
    setWindowIcon(QApplication::windowIcon());
    setSizeGripEnabled(true);
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("添加"), this);
    auto* del = new QPushButton(QStringLiteral("删除"), this);
    auto* clear = new QPushButton(QStringLiteral("清空"), this);
    auto* mark = new QPushButton(QStringLiteral("设为缺省书架"), this);
    auto* open = new QPushButton(QStringLiteral("打开"), this);
    for (QPushButton* b : {add, del, clear, mark, open}) row->addWidget(b);
    row->addStretch(1);
    layout->addLayout(row);
    m_rows = new QTreeWidget(this);
    m_rows->setRootIsDecorated(false);
    m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rows->setHeaderLabels({QStringLiteral("书架文件夹")});
    m_rows->header()->resizeSection(0, 480);
    m_rows->setMinimumWidth(500);
    layout->addWidget(m_rows, 1);
    auto* bottom = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    auto* cancel = new QPushButton(QStringLiteral("放弃"), this);
    bottom->addStretch(1);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    layout->addLayout(bottom);

    connect(add, &QPushButton::clicked, this, &CLibraryDialog::ChooseFolder);
    connect(del, &QPushButton::clicked, this, [this] { OnRow(&CLibraryDialogModel::Delete); });
    connect(clear, &QPushButton::clicked, this, [this] { OnRow(&CLibraryDialogModel::Clear); });
    connect(mark, &QPushButton::clicked, this, [this] { OnRow(&CLibraryDialogModel::SetDefault); });
    connect(open, &QPushButton::clicked, this, [this] { OnRow(&CLibraryDialogModel::OpenRow); });
    connect(m_rows, &QTreeWidget::itemDoubleClicked, this, [this] { OnRow(&CLibraryDialogModel::OpenRow); });
    connect(ok, &QPushButton::clicked, this, [this] { Finish(m_model->Ok()); });
    connect(cancel, &QPushButton::clicked, this, &CLibraryDialog::reject);

    m_model->Open();
    Refill();
}

CLibraryDialog::~CLibraryDialog() = default;

void CLibraryDialog::showEvent(QShowEvent* event) {
    CListDialog::showEvent(event);
    if (!event->spontaneous()) setMinimumSize(size());
}

void CLibraryDialog::OnRow(void (CLibraryDialogModel::*step)()) {
    QTreeWidgetItem* current = m_rows->currentItem();
    m_model->Select(current ? m_rows->indexOfTopLevelItem(current) : -1);
    (m_model.get()->*step)();
    Refill();
}

void CLibraryDialog::ChooseFolder() {
    QFileDialog chooser(this, QStringLiteral("选择文件夹"));
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly);
    chooser.setLabelText(QFileDialog::LookIn, QStringLiteral("请选择书架文件夹："));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    m_model->AddFolder(chooser.selectedFiles().first().toStdString());
    Refill();
}

void CLibraryDialog::DropPaths(const QStringList& paths) {
    std::vector<std::string> items;
    for (const QString& p : paths) items.push_back(p.toStdString());
    m_model->Drop(items);
    Refill();
}

void CLibraryDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CLibraryDialog::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    DropPaths(paths);
    event->acceptProposedAction();
}

void CLibraryDialog::Refill() {
    QSignalBlocker block(m_rows);
    m_rows->clear();
    for (const std::string& text : m_model->Rows())
        m_rows->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::fromStdString(text)}));
    if (m_model->Selection() >= 0) m_rows->setCurrentItem(m_rows->topLevelItem(m_model->Selection()));
}
