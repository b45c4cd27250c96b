#include "settings/htmldisplaymodel.h"

#include "settings/parablock.h"

CHtmlDisplayModel::CHtmlDisplayModel(CParaBlock& block)
    : m_block(block),
      m_choice(block.GetValue(PARA_USE_MY_BKCOLOR)),
      m_colour(static_cast<uint32_t>(block.GetValue(PARA_MY_BKCOLOR))) {}

void CHtmlDisplayModel::Choose(int choice) {
    if (choice >= 0 && choice <= 2) m_choice = choice;
}

void CHtmlDisplayModel::Accept() {
    m_block.SetValue(PARA_USE_MY_BKCOLOR, m_choice, true);
    m_block.SetValue(PARA_MY_BKCOLOR, static_cast<int>(m_colour), true);
}
