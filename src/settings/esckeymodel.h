#pragma once
// CEscKeyModel: what the Esc key dialog shows and stores: whether Esc quits
// the program (0) or hides it to the notification area (1).
class CParaBlock;

class CEscKeyModel {
public:
    enum Choice { Quit = 0, HideToTray = 1 };

    explicit CEscKeyModel(CParaBlock& block);

    int Choice() const { return m_choice; }
    void Choose(int choice) { m_choice = choice == HideToTray ? HideToTray : Quit; }
    // "确定": stores "PARA_ESC_KEY" at once.
    void Accept();

private:
    CParaBlock& m_block;
    int m_choice;
};
