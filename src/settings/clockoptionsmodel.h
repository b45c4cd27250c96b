#pragma once
// CClockOptionsModel: what the clock and alarm options dialog ("时钟/闹钟选项")
// shows and stores: the clock switch, radius, second hand and transparency,
// the alarm time, its switch and its message (section "Alarm", key "Info1").
#include <string>

class CParaBlock;

class CClockOptionsModel {
public:
    static constexpr int kMinRadius = 30, kMaxRadius = 200;
    static constexpr int kMinTransparency = 0, kMaxTransparency = 100;
    static constexpr size_t kMaxMessage = 1023;  // bytes, as the message is read back

    // Reads the keys and the message as the dialog opens. Without
    // translucent windows the clock switch is disabled and shown unchecked.
    // `nowSeconds` (local time of day) fills the time when none is stored.
    CClockOptionsModel(CParaBlock& block, std::string iniPath, bool clockSupported, int nowSeconds);

    bool ClockSwitchEnabled() const { return m_supported; }
    bool ShowClock() const { return m_showClock; }
    int Radius() const { return m_radius; }
    bool ShowSecond() const { return m_showSecond; }
    int Transparency() const { return m_transparency; }
    int AlarmHour() const { return m_alarmTime / 100; }
    int AlarmMinute() const { return m_alarmTime % 100; }
    bool AlarmOn() const { return m_alarmOn; }
    const std::string& Message() const { return m_message; }

    void SetShowClock(bool on);  // ignored while the switch is disabled
    void SetRadius(int r);
    void SetShowSecond(bool on);
    void SetTransparency(int t);
    void SetAlarmTime(int hour, int minute);
    void SetAlarmOn(bool on);
    // One line of at most kMaxMessage bytes: line breaks become blanks and a
    // longer text is cut at a character boundary.
    void SetMessage(const std::string& text);

    // "确定": every key saved at once, then the message. False when the
    // message could not be written (the keys are stored all the same).
    bool Accept();

    // The alarm's message as stored ("" when absent).
    static std::string ReadMessage(const std::string& iniPath);

private:
    CParaBlock& m_block;
    std::string m_ini;
    bool m_supported;
    bool m_showClock;
    int m_radius;
    bool m_showSecond;
    int m_transparency;
    int m_alarmTime;
    bool m_alarmOn;
    std::string m_message;
};
