#include "frame/progressstatusbar.h"

#include <QFontMetrics>
#include <QLabel>
#include <QApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QTimer>

#include "frame/keylockreader.h"

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
    AddPane(PANE_TEXT_ENCODING, QStringLiteral("windows-1252"));
    AddPane(PANE_ARCHIVE_COUNT, QStringLiteral("1000/1000"));
    AddPane(PANE_SCROLL_SECONDS, QStringLiteral("3600"));
    // The lock panes keep the width of their texts; a lock that is off, or
    // that cannot be read, leaves its pane empty.
    for (auto [id, text] : {std::pair{PANE_CAPS, "CAP"}, {PANE_NUM, "NUM"}, {PANE_SCRL, "SCRL"}})
        AddPane(id, QString::fromLatin1(text));
    RefreshKeyLocks();
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &CProgressStatusBar::RefreshKeyLocks);
    poll->start(kKeyLockPollMs);
    qApp->installEventFilter(this);
}

void CProgressStatusBar::RefreshKeyLocks() {
    KeyLockTexts texts = KeyLockPaneTexts(ReadKeyLocks());
    SetPaneText(PANE_CAPS, QString::fromStdString(texts.caps));
    SetPaneText(PANE_NUM, QString::fromStdString(texts.num));
    SetPaneText(PANE_SCRL, QString::fromStdString(texts.scroll));
}

bool CProgressStatusBar::eventFilter(QObject* watched, QEvent* event) {
    // Every widget of the program sees the key first; the lock keys are
    // answered at once, not at the next tick.
    if (event->type() == QEvent::KeyRelease) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock)
            QTimer::singleShot(0, this, &CProgressStatusBar::RefreshKeyLocks);
    }
    return QStatusBar::eventFilter(watched, event);
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
    QLabel* pane = m_panes.value(id);
    if (pane && pane->text() != text) pane->setText(text);
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
