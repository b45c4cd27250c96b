#pragma once
// CProgressStatusBar: the status bar with its panes (page status, progress,
// text encoding, archive counter, scroll countdown, keyboard locks) and a progress indicator.
#include <QMap>
#include <QStatusBar>

class QLabel;
class QProgressBar;

// Indicator identifiers of the panes.
enum StatusPaneId : int {
    PANE_STATUS = 0,
    PANE_PROGRESS = 61446,
    PANE_ARCHIVE_COUNT = 32805,
    PANE_SCROLL_SECONDS = 32840,
    PANE_TEXT_ENCODING = 32871,  // the encoding a text page was read in
    PANE_CAPS = 0xE701,
    PANE_NUM = 0xE702,
    PANE_SCRL = 0xE703,
};

class CProgressStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit CProgressStatusBar(QWidget* parent = nullptr);
    // Sets the text of the pane with that identifier; empty clears it.
    void SetPaneText(int id, const QString& text);
    QString PaneText(int id) const;
    // Shows the indicator at position * 100 / total while 0 <= position < total,
    // otherwise hides it.
    void ShowProgress(int position, int total);
    bool ProgressVisible() const;
    int ProgressValue() const;

    // Reads the keyboard locks again and shows them in the CAP, NUM and SCRL
    // panes; runs on every key release and on a timer, since a lock can also
    // change while another window has the keyboard.
    void RefreshKeyLocks();

    static constexpr int kProgressWidth = 100;
    static constexpr int kKeyLockPollMs = 500;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* AddPane(int id, const QString& sizingText);
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QMap<int, QLabel*> m_panes;
};
