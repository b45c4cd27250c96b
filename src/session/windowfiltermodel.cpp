#include "session/windowfiltermodel.h"

#include <utility>

#include "platform/atomicfile.h"
#include "session/startupcore.h"
#include "settings/parablock.h"

CWindowFilterModel::CWindowFilterModel(CParaBlock& block, std::string keywordFile)
    : m_block(block),
      m_file(std::move(keywordFile)),
      m_noPopups(block.GetValue(PARA_NO_POP_WND) != 0),
      m_filterOn(block.GetValue(PARA_WND_FILTER) != 0) {
    for (const std::string& keyword : WindowFilterKeywords()) m_text += keyword + "\n";
}

bool CWindowFilterModel::Accept() {
    m_block.SetValue(PARA_NO_POP_WND, m_noPopups ? 1 : 0, true);
    m_block.SetValue(PARA_ONE_INSTANCE, 1, true);
    m_block.SetValue(PARA_WND_FILTER, m_filterOn ? 1 : 0, true);
    const bool written = platform::LockedRewrite(m_file, [this](std::string& text) {
        text = m_text;
        return true;
    });
    if (written) SetWindowFilterKeywords(ReadWindowFilterKeywords(m_file));
    return written;
}
