#include "settings/clockoptionsmodel.h"

#include <algorithm>
#include <utility>

#include "platform/inifile.h"
#include "settings/parablock.h"

namespace {
constexpr const char* kSection = "Alarm";
constexpr const char* kKey = "Info1";

bool ValidTime(int t) { return t >= 0 && t / 100 < 24 && t % 100 < 60; }

// Cuts `s` to at most `max` bytes without splitting a UTF-8 sequence.
std::string CutAtCharacter(std::string s, size_t max) {
    if (s.size() <= max) return s;
    size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
    s.resize(end);
    return s;
}
}  // namespace

CClockOptionsModel::CClockOptionsModel(CParaBlock& block, std::string iniPath, bool clockSupported, int nowSeconds)
    : m_block(block),
      m_ini(std::move(iniPath)),
      m_supported(clockSupported),
      m_showClock(clockSupported && block.GetValue(PARA_CLOCK_SHOW) != 0),
      m_radius(std::clamp(block.GetValue(PARA_CLOCK_RADIUS), kMinRadius, kMaxRadius)),
      m_showSecond(block.GetValue(PARA_CLOCK_SHOW_SECOND) != 0),
      m_transparency(std::clamp(block.GetValue(PARA_CLOCK_TRANSPARENCY), kMinTransparency, kMaxTransparency)),
      m_alarmOn(block.GetValue(PARA_AlARM_SHOW) != 0),
      m_message(ReadMessage(m_ini)) {
    // The stored time, or now when none (0) or no usable one is stored.
    const int stored = block.GetValue(PARA_AlARM_TIME);
    const int minuteOfDay = ((nowSeconds / 60) % (24 * 60) + 24 * 60) % (24 * 60);
    m_alarmTime = stored != 0 && ValidTime(stored) ? stored : minuteOfDay / 60 * 100 + minuteOfDay % 60;
}

std::string CClockOptionsModel::ReadMessage(const std::string& iniPath) {
    return platform::ini::GetString(iniPath, kSection, kKey, "", kMaxMessage);
}

void CClockOptionsModel::SetShowClock(bool on) {
    if (m_supported) m_showClock = on;
}
void CClockOptionsModel::SetRadius(int r) { m_radius = std::clamp(r, kMinRadius, kMaxRadius); }
void CClockOptionsModel::SetShowSecond(bool on) { m_showSecond = on; }
void CClockOptionsModel::SetTransparency(int t) {
    m_transparency = std::clamp(t, kMinTransparency, kMaxTransparency);
}
void CClockOptionsModel::SetAlarmTime(int hour, int minute) {
    m_alarmTime = std::clamp(hour, 0, 23) * 100 + std::clamp(minute, 0, 59);
}
void CClockOptionsModel::SetAlarmOn(bool on) { m_alarmOn = on; }

void CClockOptionsModel::SetMessage(const std::string& text) {
    std::string line = text;
    // A line break would end the INI value and leave the rest as a stray line.
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::replace(line.begin(), line.end(), '\n', ' ');
    m_message = CutAtCharacter(line, kMaxMessage);
}

bool CClockOptionsModel::Accept() {
    // Without translucent windows the switch could not be changed: the
    // stored choice stays for a session that can show the clock.
    if (m_supported) m_block.SetValue(PARA_CLOCK_SHOW, m_showClock ? 1 : 0, true);
    m_block.SetValue(PARA_CLOCK_SHOW_SECOND, m_showSecond ? 1 : 0, true);
    m_block.SetValue(PARA_CLOCK_RADIUS, m_radius, true);
    m_block.SetValue(PARA_CLOCK_TRANSPARENCY, m_transparency, true);
    const bool written = platform::ini::WriteString(m_ini, kSection, kKey, m_message);
    m_block.SetValue(PARA_AlARM_SHOW, m_alarmOn ? 1 : 0, true);
    m_block.SetValue(PARA_AlARM_TIME, m_alarmTime, true);
    return written;
}
