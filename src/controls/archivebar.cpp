#include "controls/archivebar.h"

#include <QListWidget>
#include <QUrl>

#include <vector>

#include "app/addressmapping.h"
#include "app/loopback.h"
#include "archive/archiveholder.h"
#include "frame/locationsync.h"

CArchiveBar::CArchiveBar(QWidget* parent) : QDockWidget(QStringLiteral("压缩文件内容"), parent) {
    setObjectName(QStringLiteral("ArchiveBar"));
    setAllowedAreas(Qt::AllDockWidgetAreas);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ArchiveEntries"));
    setWidget(m_list);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_quiet || row < 0) return;
        emit EntryChosen(QString::fromStdString(LoopbackBase()) + m_list->item(row)->text());
    });
}

void CArchiveBar::Reread(const std::string& archivePath) {
    m_quiet = true;
    m_list->clear();
    if (CLocationSync::IsArchiveName(archivePath)) {
        std::string path = archivePath;
        if (path.rfind("file://", 0) == 0) path = QUrl(QString::fromStdString(path)).toLocalFile().toStdString();
        // A holder of its own, so the server's open archive is not disturbed.
        CArchiveHolder holder;
        std::vector<std::string> entries;
        holder.ListArchive(path, entries);
        for (const std::string& entry : entries) m_list->addItem(QString::fromStdString(entry));
    }
    m_quiet = false;
}

void CArchiveBar::Empty() {
    m_quiet = true;
    m_list->clear();
    m_quiet = false;
}

bool CArchiveBar::SelectLocation(const std::string& address) {
    for (const std::string& candidate : ArchiveEntryCandidates(address)) {
        QList<QListWidgetItem*> found = m_list->findItems(QString::fromStdString(candidate), Qt::MatchExactly);
        if (found.isEmpty()) continue;
        m_quiet = true;
        m_list->setCurrentItem(found.first());
        m_list->scrollToItem(found.first());
        m_quiet = false;
        return true;
    }
    return false;
}
