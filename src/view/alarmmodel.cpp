#include "view/alarmmodel.h"

namespace {
constexpr int kDay = 24 * 60;  // minutes
int MinuteOf(int seconds) { return ((seconds / 60) % kDay + kDay) % kDay; }
int AsTime(int minuteOfDay) { return minuteOfDay / 60 * 100 + minuteOfDay % 60; }
int MinuteOfTime(int time) { return time / 100 * 60 + time % 100; }
}  // namespace

bool CAlarmModel::ValidTime(int t) { return t >= 0 && t / 100 < 24 && t % 100 < 60; }

int CAlarmModel::PickerTime(int stored, int nowSeconds) {
    return stored != 0 && ValidTime(stored) ? stored : AsTime(MinuteOf(nowSeconds));
}

void CAlarmModel::Arm(int alarmTime, int nowSeconds) {
    m_alarmTime = alarmTime;
    m_timerRunning = true;
    m_lastChecked = MinuteOf(nowSeconds);
}

void CAlarmModel::ApplyOptions(bool alarmOn, int alarmTime, int nowSeconds) {
    if (alarmOn && ValidTime(alarmTime)) {
        Arm(alarmTime, nowSeconds);
        // An alarm set for the minute it is armed in rings at the first check.
        m_lastChecked = (m_lastChecked + kDay - 1) % kDay;
    } else {
        m_alarmTime = -1;
        m_timerRunning = false;
    }
}

bool CAlarmModel::Check(int nowSeconds) {
    if (!Armed()) return false;
    const int now = MinuteOf(nowSeconds);
    const int alarm = MinuteOfTime(m_alarmTime);
    // Has the alarm's minute come in (last check, now]? Across midnight too.
    const int sinceLast = (now - m_lastChecked + kDay) % kDay;
    const int sinceAlarm = (now - alarm + kDay) % kDay;
    m_lastChecked = now;
    if (sinceAlarm >= sinceLast) return false;
    m_timerRunning = false;
    return true;
}

void CAlarmModel::Snooze(int nowSeconds) {
    Arm(AsTime(MinuteOf(nowSeconds + kSnoozeSeconds)), nowSeconds);
}
