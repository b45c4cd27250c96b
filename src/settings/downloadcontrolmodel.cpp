#include "settings/downloadcontrolmodel.h"

#include "settings/parablock.h"

int CDownloadControlModel::KeyOf(Switch s) {
    static constexpr int kKeys[SwitchCount] = {PARA_NO_SCRIPT, PARA_NO_JAVA,  PARA_NO_ACTIVEX,
                                               PARA_NO_IMAGE,  PARA_NO_SOUND, PARA_NO_VIDEO};
    return kKeys[s];
}

CDownloadControlModel::CDownloadControlModel(CParaBlock& block) : m_block(block) {
    for (int s = 0; s < SwitchCount; ++s) m_on[s] = block.GetValue(KeyOf(Switch(s))) != 0;
}

void CDownloadControlModel::Accept() {
    for (int s = 0; s < SwitchCount; ++s) m_block.SetValue(KeyOf(Switch(s)), m_on[s] ? 1 : 0, true);
}
