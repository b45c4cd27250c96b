#pragma once
// CAlarmModel: when the alarm rings. Armed by the options dialog or by a
// snooze, never at start-up; checked on a 10-second timer; a check rings
// when the alarm's minute has come since the last check, so a timer held up
// past that minute (a busy or sleeping machine) still rings it.
class CAlarmModel {
public:
    static constexpr int kCheckMs = 10000;
    static constexpr int kSnoozeSeconds = 300;

    // -1 while no alarm is armed; otherwise hour x 100 + minute.
    int AlarmTime() const { return m_alarmTime; }
    // Whether the checking timer should run.
    bool Armed() const { return m_alarmTime >= 0 && m_timerRunning; }

    // After "确定" of the options dialog: "启动闹钟" arms "PARA_AlARM_TIME",
    // otherwise the alarm is off. `nowSeconds` is the local time of day.
    void ApplyOptions(bool alarmOn, int alarmTime, int nowSeconds);
    // A tick of the checking timer; true when the alarm rings now (the
    // timer then stops until a snooze or the dialog arms it again).
    bool Check(int nowSeconds);
    // "5分钟后再提醒我": rings again 5 minutes from now.
    void Snooze(int nowSeconds);

    // A stored time is usable when it names an hour and minute of a day.
    static bool ValidTime(int alarmTime);
    // The "HH:mm" picker's time as hour x 100 + minute: the stored time, or
    // now when none (0) or an unusable one is stored.
    static int PickerTime(int storedTime, int nowSeconds);

private:
    void Arm(int alarmTime, int nowSeconds);
    int m_alarmTime = -1;
    bool m_timerRunning = false;
    int m_lastChecked = 0;  // minute of the day of the last check
};
