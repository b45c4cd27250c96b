#include "settings/esckeymodel.h"

#include "settings/parablock.h"

// A stored value outside the two buttons shows as the first.
CEscKeyModel::CEscKeyModel(CParaBlock& block)
    : m_block(block), m_choice(block.GetValue(PARA_ESC_KEY) == HideToTray ? HideToTray : Quit) {}

void CEscKeyModel::Accept() { m_block.SetValue(PARA_ESC_KEY, m_choice, true); }
