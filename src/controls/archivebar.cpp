#include "controls/archivebar.h"

#include <QListWidget>

#include <vector>

#include "session/addressmapping.h"
#include "settings/loopback.h"

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

void CArchiveBar::ShowEntries(const std::vector<std::string>& entries) {
    m_quiet = true;
    m_list->clear();
    for (const std::string& entry : entries) m_list->addItem(QString::fromStdString(entry));
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
