#pragma once
// CHomePageModel: what the home page dialog shows and stores: the built-in
// home page, the engine's own, a blank page, or the page now shown.
#include <string>

class CParaBlock;

class CHomePageModel {
public:
    enum Choice { None = -1, BuiltIn = 0, EngineHome = 1, Blank = 2, CurrentPage = 3 };

    // Reads "Homepage" as the dialog opens; `currentAddress` is what "使用当
    // 前页作为主页" stores.
    CHomePageModel(CParaBlock& block, std::string currentAddress);

    // The button selected: an address the dialog has no button for selects none.
    int Choice() const { return m_choice; }
    void Choose(int choice);

    // What "确定" stores for the choice (the empty string without one).
    std::string StoredValue() const;
    // "确定": stores "Homepage" at once.
    void Accept();

private:
    CParaBlock& m_block;
    std::string m_current;
    int m_choice = None;
};
