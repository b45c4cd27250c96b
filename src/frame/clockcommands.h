#pragma once
// CClockCommands: the clock over the main window and the alarm. Shows,
// updates and hides the clock window, keeps it at its distance from the main
// window's top-right corner as that window moves or is resized (and hidden
// with it), runs the alarm check every 10 seconds and rings with the alarm
// dialog; "时钟/闹钟设置..." is its command.
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <string>

#include "view/alarmmodel.h"

class CClockWindow;
class CCommandRegistry;
class QWidget;

class CClockCommands : public QObject {
    Q_OBJECT
public:
    explicit CClockCommands(QWidget* window);
    ~CClockCommands() override;

    void RegisterCommands(CCommandRegistry& commands);

    // With translucent windows only: creates the clock at its first place or
    // updates its size, second hand and transparency in place.
    void ShowClock();
    void HideClock();
    void OnClockAlarmOptions();
    bool ClockSupported() const { return m_supported; }
    CClockWindow* Clock() const;

    // The alarm: the armed time (-1 when off), whether its timer runs, how
    // often it rang this run and the message it showed last.
    int AlarmTime() const { return m_alarm.AlarmTime(); }
    bool AlarmTimerRunning() const { return m_alarmTimer.isActive(); }
    int Rings() const { return m_rings; }
    const std::string& LastMessage() const { return m_lastMessage; }

    // For scripted runs: the local time of day this run takes as now
    // (seconds after midnight; it goes on from there), and the button the
    // alarm dialog is answered with at once (0 snooze, 1 dismiss, -1 none:
    // the reader answers).
    void SetNow(int secondsOfDay);
    void SetScriptedAlarmAnswer(int answer) { m_scriptedAnswer = answer; }
    int NowSeconds() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StartAlarmTimer();
    void OnAlarmTimer();
    void BringWindowToFront();
    void FollowWindow();

    QWidget* m_window;
    bool m_supported;
    QPointer<CClockWindow> m_clock;
    int m_lastFrameRight = 0, m_lastFrameTop = 0;
    CAlarmModel m_alarm;
    QTimer m_alarmTimer;
    int m_shiftSeconds = 0;
    int m_scriptedAnswer = -1;
    int m_rings = 0;
    std::string m_lastMessage;
};
