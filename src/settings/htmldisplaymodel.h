#pragma once
// CHtmlDisplayModel: the HTML display dialog ("HTML文件显示"): which page
// background applies ("PARA_USE_MY_BKCOLOR") and the own colour
// ("PARA_MY_BKCOLOR").
#include <cstdint>

class CParaBlock;

class CHtmlDisplayModel {
public:
    // What the colour picker shows when the stored colour is automatic.
    static constexpr uint32_t kAutomaticColour = 0xF1EBE4;

    explicit CHtmlDisplayModel(CParaBlock& block);

    // 0 "使用 IE 的背景色设置", 1 "使用我自己的背景色", 2 "使用网页自己的背景色";
    // a stored value outside 0-2 selects no button and is written back as it was.
    int Choice() const { return m_choice; }
    uint32_t Colour() const { return m_colour; }

    void Choose(int choice);
    void SetColour(uint32_t colour) { m_colour = colour; }

    // "确定": writes both keys in that order, each saved at once.
    void Accept();

private:
    CParaBlock& m_block;
    int m_choice;
    uint32_t m_colour;
};
