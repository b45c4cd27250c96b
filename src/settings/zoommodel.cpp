#include "settings/zoommodel.h"

#include <algorithm>
#include <cstdio>

#include "settings/parablock.h"

CZoomModel::CZoomModel(CParaBlock& block)
    : m_block(block), m_opened(std::clamp(block.GetValue(PARA_ZOOM_PERSENT), kMin, kMax)), m_percent(m_opened) {}

void CZoomModel::SetPercent(int percent) { m_percent = std::clamp(percent, kMin, kMax); }

bool CZoomModel::Accept() {
    if (m_percent == m_opened) return false;
    m_block.SetValue(PARA_ZOOM_PERSENT, m_percent, true);
    return true;
}

std::string CZoomModel::UnavailableMessage(CParaBlock& block, double browserVersion) {
    if (block.GetValue(RARA_CAN_ZOOM) != 0) return {};
    char text[256];
    std::snprintf(text, sizeof text, "抱歉，此功能只能在IE 5.5以上环境下运行。\n您当前使用的是IE %.2f，请升级您的IE。",
                  browserVersion);
    return text;
}
