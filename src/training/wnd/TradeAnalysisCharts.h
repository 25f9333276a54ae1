#pragma once
// The two chart panels of the trade-analysis page, drawn from the page's data object:
//  - TradeAnalysisOverlay, "交易K线预览": daily candles of the training period with a
//    yellow arrow for every trade (up under the low for a purchase, down over the high for
//    a sale, stacked when a day has several);
//  - SamePeriodAnalysisOverlay, "同期盈亏分析": the index's daily ratios as a line with a
//    translucent gradient towards 1.0, the account's asset ratio as a second line, and a
//    legend of both names.
// The page sets their rectangles after each layout.
#include "chart/AxeY.h"
#include "platform/Gdi.h"
#include "training/TradeAnalysis.h"

class TradeAnalysisWnd;

class TradeAnalysisOverlay {
public:
    static constexpr COLORREF kArrowColour = RGB(255, 255, 0);
    static constexpr int kArrowStep = 22;  // between stacked arrows of one day

    explicit TradeAnalysisOverlay(TradeAnalysisWnd* owner);
    // The axis range over the training period's bars; unchanged without bars.
    void CalcRange();
    void Draw(CDC* dc);
    int IndexToX(size_t index) const;  // index into the data object's bars

    TradeAnalysisWnd* m_pOwner;
    CRect m_rcPlot;
    CRect m_rcArea;
    chart::CAxeY m_axis;
    ValueRange m_range;
};

class SamePeriodAnalysisOverlay {
public:
    static constexpr COLORREF kIndexColour = RGB(77, 166, 255);
    static constexpr COLORREF kAssetColour = RGB(221, 221, 221);

    explicit SamePeriodAnalysisOverlay(TradeAnalysisWnd* owner);
    void CalcRange();
    void Draw(CDC* dc);
    int IndexToX(size_t index) const;  // index into the ratio arrays

    TradeAnalysisWnd* m_pOwner;
    CRect m_rcPlot;
    CRect m_rcArea;
    chart::CAxeY m_axis;
    ValueRange m_range;

private:
    void DrawCurves(CDC* dc);
};
