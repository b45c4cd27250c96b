#pragma once
// CViewAutoScroll: the view's side of automatic scrolling. It runs the two
// timers of CAutoScroller, forwards their ticks, and answers its questions
// about the page from the view's browser and the settings block.
#include <QObject>
#include <QString>

#include "view/autoscroller.h"

class CPagoraView;
class QTimer;

class CViewAutoScroll : public QObject, private AutoScrollHost {
    Q_OBJECT
public:
    explicit CViewAutoScroll(CPagoraView* view);
    ~CViewAutoScroll() override;

    void StartAutoScroll();
    void StopAutoScroll();
    bool IsAutoScrolling() const { return m_scroller.IsAutoScrolling(); }

Q_SIGNALS:
    // Scrolling was switched on or off (the command's check mark).
    void Changed(bool on);
    // The countdown pane's text; empty clears it.
    void Countdown(const QString& text);

private:
    AutoScrollSettings Settings() override;
    void StartTimer(int id, int periodMs) override;
    void KillTimer(int id) override;
    bool IsComplete() override;
    bool FrameActive() override;
    bool UserHolds() override;
    std::optional<int> ScrollTop() override;
    void ScrollDown(int pixels, bool glide) override;
    int ClientHeight() override;
    void ShowCountdown(const std::string& text) override;
    QTimer* TimerOf(int id);

    CPagoraView* m_view;
    CAutoScroller m_scroller{*this};
    QTimer* m_pageTimer;
    QTimer* m_stepTimer;
    QString m_shown;
};
