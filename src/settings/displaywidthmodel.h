#pragma once
// CDisplayWidthModel: the display width dialog ("显示区宽度"): whether the
// page column is limited, its width, and the colour of the margins, where a
// set top byte of "PARA_WIDTH_LIMITED_BG_COLOR" stands for the window colour.
#include <cstdint>

class CParaBlock;

class CDisplayWidthModel {
public:
    static constexpr int kMinWidth = 200;
    static constexpr int kMaxWidth = 1000;
    // What the colour picker shows when automatic.
    static constexpr uint32_t kAutomaticColour = 0;

    explicit CDisplayWidthModel(CParaBlock& block);

    int LimitChoice() const { return m_limit; }  // 0 "不限制", 1 "限制为"
    int Width() const { return m_width; }
    int FillChoice() const { return m_fill; }  // 0 "使用指定颜色填充:", 1 "使用Windows背景色"
    uint32_t Colour() const { return m_colour; }  // the picker's colour, low 24 bits

    void ChooseLimit(int choice) { m_limit = choice != 0 ? 1 : 0; }
    // Typing a width selects "限制为"; the width is bounded to 200-1000.
    void TypeWidth(int width);
    void ChooseFill(int choice) { m_fill = choice != 0 ? 1 : 0; }
    // A change of the picker selects "使用指定颜色填充:"; its automatic entry
    // stands for the automatic colour.
    void PickColour(uint32_t colour);

    // "确定": stores the width, the limit and the colour (with the top byte
    // 0xFF for the window colour), each saved at once.
    void Accept();

private:
    CParaBlock& m_block;
    int m_limit;
    int m_width;
    int m_fill;
    uint32_t m_colour;
};
