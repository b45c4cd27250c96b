#include "settings/restoredefaults.h"

#include <string>

#include "settings/parablock.h"
#include "platform/inifile.h"

RestoreDefaultsMemo RestoreDefaultSettings(CParaBlock& block) {
    RestoreDefaultsMemo memo;
    memo.widthLimitWasOn = block.GetValue(PARA_WIDTH_LIMIT_IT) != 0;
    memo.width800WasOn = block.GetValue(PARA_WIDTH_800) != 0;
    std::string strings[PARA_STRING_COUNT];
    for (int i = 0; i < PARA_STRING_COUNT; ++i) strings[i] = block.GetString(i);

    block.Reset(false);
    if (const std::string* ini = block.IniPath()) platform::ini::DeleteSection(*ini, block.Section());

    // "CurrentPath" first: setting it derives "CurrentDir", which the saved
    // folder then overwrites, so both come back exactly as they were.
    block.SetString(PARA_STR_CURRENT_PATH, strings[PARA_STR_CURRENT_PATH], true);
    block.SetString(PARA_STR_CURRENT_DIR, strings[PARA_STR_CURRENT_DIR], true);
    block.SetString(PARA_STR_CUR_PATH_IN_ZIP, strings[PARA_STR_CUR_PATH_IN_ZIP], true);
    return memo;
}

bool RunRestoreDefaults(CParaBlock& block, const std::function<bool()>& confirm,
                        const std::function<void(const RestoreDefaultsMemo&)>& windowSteps) {
    if (!confirm || !confirm()) return false;
    RestoreDefaultsMemo memo = RestoreDefaultSettings(block);
    if (windowSteps) windowSteps(memo);
    return true;
}
