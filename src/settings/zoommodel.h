#pragma once
// CZoomModel: the zoom dialog ("显示比例") and the zoom command's checks:
// one percentage in 20-300, where "确定" with the value unchanged counts as
// cancel.
#include <string>

class CParaBlock;

class CZoomModel {
public:
    static constexpr int kMin = 20;
    static constexpr int kMax = 300;

    // Reads "PARA_ZOOM_PERSENT" as the dialog opens (bounded to the range).
    explicit CZoomModel(CParaBlock& block);

    int Percent() const { return m_percent; }
    // A value outside the range, typed or given, is bounded to it.
    void SetPercent(int percent);

    // "确定": false when the value is the one the dialog opened with (the
    // dialog then ends as cancelled, nothing is written); otherwise stores
    // "PARA_ZOOM_PERSENT" (saved) and returns true.
    bool Accept();

    // The message the zoom command shows instead of the dialog when the
    // browser cannot zoom ("RARA_CAN_ZOOM" 0), with the browser's version;
    // empty when it can.
    static std::string UnavailableMessage(CParaBlock& block, double browserVersion);

private:
    CParaBlock& m_block;
    int m_opened;
    int m_percent;
};
