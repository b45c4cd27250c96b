#include "controls/filelistbar.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <QStyle>

#include "settings/extensionlists.h"

namespace {

// The "Supported Files" patterns of the open dialog's filter.
QStringList SupportedPatterns() {
    QStringList patterns;
    QString filter = QString::fromUtf8(kOpenFileFilter);
    QStringList parts = filter.split('|');
    if (parts.size() >= 2)
        for (const QString& p : parts[1].split(';', Qt::SkipEmptyParts)) patterns << p.trimmed();
    return patterns;
}

QString LocalPathOf(const std::string& location) {
    QString q = QString::fromStdString(location);
    if (q.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) return QUrl(q).toLocalFile();
    if (q.startsWith('/')) return q;
    return {};
}

}  // namespace

CFileListBar::CFileListBar(QWidget* parent) : QDockWidget(QStringLiteral("文件列表"), parent) {
    setObjectName(QStringLiteral("FileListBar"));
    setAllowedAreas(Qt::AllDockWidgetAreas);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* up = new QToolButton(body);
    up->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    up->setToolTip(QStringLiteral("上级文件夹"));
    layout->addWidget(up);
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    m_model->setNameFilters(SupportedPatterns());
    m_model->setNameFilterDisables(false);
    m_model->setRootPath(QStringLiteral("/"));
    m_tree = new QTreeView(body);
    m_tree->setObjectName(QStringLiteral("FileList"));
    m_tree->setModel(m_model);
    m_tree->setRootIsDecorated(false);
    m_tree->setItemsExpandable(false);
    for (int c = 1; c < m_model->columnCount(); ++c) m_tree->hideColumn(c);
    m_tree->header()->hide();
    layout->addWidget(m_tree);
    setWidget(body);
    connect(up, &QToolButton::clicked, this, [this] {
        QDir dir(Folder());
        if (dir.cdUp()) ShowFolder(dir.absolutePath());
    });
    connect(m_tree, &QTreeView::activated, this, [this](const QModelIndex& index) {
        if (m_model->isDir(index)) ShowFolder(m_model->filePath(index));
    });
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, &CFileListBar::OnCurrentChanged);
}

void CFileListBar::ShowFolder(const QString& folder) {
    if (!QFileInfo(folder).isDir()) return;
    m_quiet = true;
    m_tree->setRootIndex(m_model->index(QDir(folder).absolutePath()));
    m_quiet = false;
}

QString CFileListBar::Folder() const { return m_model->filePath(m_tree->rootIndex()); }

QString CFileListBar::SelectedPath() const {
    QModelIndex index = m_tree->currentIndex();
    return index.isValid() ? m_model->filePath(index) : QString();
}

bool CFileListBar::SelectLocation(const std::string& location) {
    QString path = LocalPathOf(location);
    QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) return false;
    ShowFolder(info.absolutePath());
    QModelIndex index = m_model->index(info.absoluteFilePath());
    if (!index.isValid()) return false;
    m_quiet = true;
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
    m_quiet = false;
    m_lastPosted = info.absoluteFilePath();
    return true;
}

void CFileListBar::OnCurrentChanged() {
    if (m_quiet) return;
    QString path = SelectedPath();
    QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir() || path == m_lastPosted) return;
    m_lastPosted = path;
    emit FileChosen(path);
}

bool CFileListBar::Pick(const QString& name) {
    QModelIndex index = m_model->index(QDir(Folder()).filePath(name));
    if (!index.isValid()) return false;
    m_tree->setCurrentIndex(index);
    return true;
}
