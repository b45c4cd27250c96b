#include "frame/progressstatusbar.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>

CProgressStatusBar::CProgressStatusBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
    m_status = new QLabel(this);
    m_status->setMinimumWidth(10);
    addWidget(m_status, 1);
    m_panes.insert(PANE_STATUS, m_status);
    // Pane 1 holds the indicator; it takes no room while nothing loads.
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(kProgressWidth);
    m_progress->setMaximumHeight(14);
    m_progress->hide();
    addPermanentWidget(m_progress);
    AddPane(PANE_ARCHIVE_COUNT, QStringLiteral("1000/1000"));
    AddPane(PANE_SCROLL_SECONDS, QStringLiteral("3600"));
    // The keyboard lock states cannot be read through the window system
    // portably; the panes stay as placeholders of their usual size.
    for (auto [id, text] : {std::pair{PANE_CAPS, "CAP"}, {PANE_NUM, "NUM"}, {PANE_SCRL, "SCRL"}}) {
        QLabel* pane = AddPane(id, QString::fromLatin1(text));
        pane->setEnabled(false);
    }
}

QLabel* CProgressStatusBar::AddPane(int id, const QString& sizingText) {
    auto* pane = new QLabel(this);
    pane->setAlignment(Qt::AlignCenter);
    pane->setFrameShape(QFrame::StyledPanel);
    pane->setFrameShadow(QFrame::Sunken);
    pane->setMinimumWidth(QFontMetrics(pane->font()).horizontalAdvance(sizingText) + 12);
    addPermanentWidget(pane);
    m_panes.insert(id, pane);
    return pane;
}

void CProgressStatusBar::SetPaneText(int id, const QString& text) {
    if (QLabel* pane = m_panes.value(id)) pane->setText(text);
}

QString CProgressStatusBar::PaneText(int id) const {
    QLabel* pane = m_panes.value(id);
    return pane ? pane->text() : QString();
}

void CProgressStatusBar::ShowProgress(int position, int total) {
    if (position >= 0 && position < total) {
        m_progress->setValue(static_cast<int>(static_cast<long long>(position) * 100 / total));
        m_progress->show();
    } else {
        m_progress->hide();
        m_progress->reset();
    }
}

bool CProgressStatusBar::ProgressVisible() const { return m_progress->isVisible(); }
int CProgressStatusBar::ProgressValue() const { return m_progress->value(); }
