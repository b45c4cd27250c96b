#include "settings/scrolloptionsmodel.h"

#include <algorithm>

#include "settings/parablock.h"

// The block holds what the last load bounded, but values set in this run are
// stored unbounded: the lists and the spin can show only what lies in range.
CScrollOptionsModel::CScrollOptionsModel(CParaBlock& block)
    : m_block(block),
      m_type(std::clamp(block.GetValue(PARA_SCROLL_TYPE), 0, 1)),
      m_smooth(std::clamp(block.GetValue(PARA_SCROLL_SMOOTH_SPEED), 1, 5)),
      m_period(std::clamp(block.GetValue(PARA_SCROLL_PERIOD), kMinPeriod, kMaxPeriod)),
      m_pageSpeed(std::clamp(block.GetValue(PARA_SCROLL_PAGE_SPEED), 0, 5)),
      m_showTime(block.GetValue(PARA_SCROLL_SHOW_TIME) != 0) {}

void CScrollOptionsModel::ChooseType(int type) { m_type = type != 0 ? 1 : 0; }

void CScrollOptionsModel::ChooseSmoothSpeed(int index) {
    m_smooth = std::clamp(index + 1, 1, 5);
    m_type = 0;
}

void CScrollOptionsModel::ChoosePageSpeed(int index) {
    m_pageSpeed = std::clamp(index, 0, 5);
    m_type = 1;
}

void CScrollOptionsModel::SetPeriod(int seconds) {
    m_period = std::clamp(seconds, kMinPeriod, kMaxPeriod);
    m_type = 1;
}

void CScrollOptionsModel::SetShowTime(bool show) {
    m_showTime = show;
    m_type = 1;
}

void CScrollOptionsModel::Accept() {
    m_block.SetValue(PARA_SCROLL_TYPE, m_type, true);
    m_block.SetValue(PARA_SCROLL_SMOOTH_SPEED, m_smooth, true);
    m_block.SetValue(PARA_SCROLL_PERIOD, m_period, true);
    m_block.SetValue(PARA_SCROLL_SHOW_TIME, m_showTime ? 1 : 0, true);
    m_block.SetValue(PARA_SCROLL_PAGE_SPEED, m_pageSpeed, true);
}
