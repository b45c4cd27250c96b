#include "settings/homepagemodel.h"

#include <strings.h>

#include <utility>

#include "settings/parablock.h"

CHomePageModel::CHomePageModel(CParaBlock& block, std::string currentAddress)
    : m_block(block), m_current(std::move(currentAddress)) {
    const std::string stored = block.GetString(PARA_STR_HOMEPAGE);
    if (stored.empty()) m_choice = BuiltIn;
    else if (stored == "*") m_choice = EngineHome;
    else if (strcasecmp(stored.c_str(), "about:blank") == 0) m_choice = Blank;
}

void CHomePageModel::Choose(int choice) { m_choice = (choice >= BuiltIn && choice <= CurrentPage) ? choice : None; }

std::string CHomePageModel::StoredValue() const {
    switch (m_choice) {
    case EngineHome: return "*";
    case Blank: return "about:blank";
    case CurrentPage: return m_current;
    default: return {};
    }
}

void CHomePageModel::Accept() { m_block.SetString(PARA_STR_HOMEPAGE, StoredValue(), true); }
