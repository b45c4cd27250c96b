#pragma once
// CScrollOptionsModel: what the page-scrolling options dialog shows and
// stores: the mode, both speeds, the interval and the countdown switch, with
// the rule that touching a control of one mode selects that mode.
class CParaBlock;

class CScrollOptionsModel {
public:
    static constexpr int kMinPeriod = 1;
    static constexpr int kMaxPeriod = 3600;

    // Reads the five keys of the block as the dialog opens.
    explicit CScrollOptionsModel(CParaBlock& block);

    int Type() const { return m_type; }                 // 0 "平滑滚动", 1 "整屏滚动"
    int SmoothSpeedIndex() const { return m_smooth - 1; }  // list "1"-"5"
    int PageSpeedIndex() const { return m_pageSpeed; }     // list "0"-"5"
    int Period() const { return m_period; }
    bool ShowTime() const { return m_showTime; }

    void ChooseType(int type);
    // Choosing a smooth speed selects "平滑滚动".
    void ChooseSmoothSpeed(int index);
    // The page speed, the interval and the countdown switch select "整屏滚动".
    void ChoosePageSpeed(int index);
    void SetPeriod(int seconds);
    void SetShowTime(bool show);

    // "确定": writes every key the dialog shows, each saved at once.
    void Accept();

private:
    CParaBlock& m_block;
    int m_type;
    int m_smooth;
    int m_period;
    int m_pageSpeed;
    bool m_showTime;
};
