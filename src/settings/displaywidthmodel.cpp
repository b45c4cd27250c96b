#include "settings/displaywidthmodel.h"

#include <algorithm>

#include "settings/parablock.h"

CDisplayWidthModel::CDisplayWidthModel(CParaBlock& block)
    : m_block(block),
      m_limit(block.GetValue(PARA_WIDTH_LIMIT_IT) != 0 ? 1 : 0),
      m_width(std::clamp(block.GetValue(PARA_WIDTH_LIMITED), kMinWidth, kMaxWidth)) {
    const uint32_t stored = static_cast<uint32_t>(block.GetValue(PARA_WIDTH_LIMITED_BG_COLOR));
    m_fill = (stored & 0xFF000000) != 0 ? 1 : 0;
    m_colour = stored & 0xFFFFFF;
}

void CDisplayWidthModel::TypeWidth(int width) {
    m_width = std::clamp(width, kMinWidth, kMaxWidth);
    m_limit = 1;
}

void CDisplayWidthModel::PickColour(uint32_t colour) {
    m_colour = colour > 0xFFFFFF ? kAutomaticColour : colour;
    m_fill = 0;
}

void CDisplayWidthModel::Accept() {
    const uint32_t colour = (m_colour & 0xFFFFFF) | (m_fill == 1 ? 0xFF000000u : 0u);
    m_block.SetValue(PARA_WIDTH_LIMITED, m_width, true);
    m_block.SetValue(PARA_WIDTH_LIMIT_IT, m_limit, true);
    m_block.SetValue(PARA_WIDTH_LIMITED_BG_COLOR, static_cast<int>(colour), true);
}
