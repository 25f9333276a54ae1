#include "training/wnd/TradeAnalysisCharts.h"

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/CommonColors.h"
#include "marketdata/Security.h"
#include "platform/Graphics.h"
#include "training/TrainingRecord.h"
#include "training/wnd/TradeAnalysisWnd.h"
#include "training/wnd/TradeAnyalysisData.h"
#include "ui/CommonVar.h"
#include "ui/draw/DrawHelpers.h"

namespace {

ARGB WithAlpha(COLORREF c, uint8_t alpha) {
    return (ARGB(alpha) << 24) | (ARGB(GetRValue(c)) << 16) | (ARGB(GetGValue(c)) << 8) | GetBValue(c);
}

std::string WithoutSpaces(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

void ApplyRange(chart::CAxeY& axis, const ValueRange& range) {
    axis.m_fMax = range.max;
    axis.m_fMin = range.min;
    axis.m_fBaseValue = range.base;
    axis.m_fBasePrice = range.reference;
    axis.CalcScale();
}

}  // namespace

// ---------------------------------------------------------------- K-line preview

TradeAnalysisOverlay::TradeAnalysisOverlay(TradeAnalysisWnd* owner) : m_pOwner(owner) {
    m_axis.m_clrBack = GetCommonVar()->GetColor(CommonColor::uniBenefitWndBK);
    m_axis.m_clrLine = RGB(84, 85, 86);
    m_axis.m_nType = chart::kAxisNormal;
    m_axis.m_bAllowTopLabels = 1;
    m_range.max = 1.5;
    m_range.min = 0.5;
    ApplyRange(m_axis, m_range);
}

void TradeAnalysisOverlay::CalcRange() {
    const TradeAnyalysisData& data = *m_pOwner->m_pData;
    if (!CalcPreviewRange(data.m_bars, data.m_preview, m_range)) return;
    ApplyRange(m_axis, m_range);
}

int TradeAnalysisOverlay::IndexToX(size_t index) const {
    const BarSpan span = m_pOwner->m_pData->m_preview;
    return SlotCentreX(m_rcPlot.left, m_rcPlot.right, SlotCount(span.size()), index - span.begin);
}

void TradeAnalysisOverlay::Draw(CDC* dc) {
    const CTrainingRecord* record = m_pOwner->m_pRecord;
    const TradeAnyalysisData& data = *m_pOwner->m_pData;
    if (!record || data.Record() != record) return;
    const std::vector<AnalysisBar>& bars = data.m_bars;
    const BarSpan span{data.m_preview.begin, std::min(data.m_preview.end, bars.size())};
    if (span.empty()) return;
    CommonVar* common = GetCommonVar();
    const int width = std::max(1, int(common->m_nLineWidth));
    const COLORREF riseColour = common->GetColor(CommonColor::uniPic_Rise);
    const COLORREF fallColour = common->GetColor(CommonColor::uniPic_Fall);
    CPen risePen(PS_SOLID, width, riseColour), fallPen(PS_SOLID, width, fallColour);
    CPen* oldPen = dc->SelectObject(&risePen);
    const int hw = CandleHalfWidth(m_rcPlot.left, m_rcPlot.right, SlotCount(span.size()));
    for (size_t i = span.begin; i < span.end; ++i) {
        const AnalysisBar& bar = bars[i];
        const int x = IndexToX(i);
        const int yO = m_axis.ValueToPixel(bar.open, true), yH = m_axis.ValueToPixel(bar.high, true);
        const int yL = m_axis.ValueToPixel(bar.low, true), yC = m_axis.ValueToPixel(bar.close, true);
        const bool falling = IsFallingBar(bars, i);
        dc->SelectObject(falling ? &fallPen : &risePen);
        if (hw > 0) {
            CRect body(x - hw, std::min(yO, yC), x + hw + 1, std::max(yO, yC) + 1);
            dc->FillSolidRect(&body, falling ? fallColour : riseColour);
            // Wicks from the body's ends.
            const int top = falling ? yO : yC, bottom = falling ? yC : yO;
            dc->MoveTo(x, top);
            dc->LineTo(x, yH);
            dc->MoveTo(x, bottom);
            dc->LineTo(x, yL);
        } else {
            dc->MoveTo(x, yH);
            dc->LineTo(x, yL);
        }
        for (const TradeMark& mark : TradeMarksOfDay(record->trades, bar.date)) {
            const int y = mark.kind > 0 ? yL + 5 + kArrowStep * mark.stack : yH - 25 - kArrowStep * mark.stack;
            DrawTradeArrow(mark.kind, x, y, 5.0, 10.0, kArrowColour, dc);
        }
    }
    dc->SelectObject(oldPen);
}

// ---------------------------------------------------------------- same period

SamePeriodAnalysisOverlay::SamePeriodAnalysisOverlay(TradeAnalysisWnd* owner) : m_pOwner(owner) {
    m_axis.m_nType = chart::kAxisPercent;
    m_axis.m_clrBack = RGB(20, 29, 37);
    m_axis.m_clrLine = RGB(58, 85, 112);
    ApplyRange(m_axis, m_range);
}

void SamePeriodAnalysisOverlay::CalcRange() {
    if (!CalcRatioRange(m_pOwner->m_pData->m_ratios, m_range)) return;
    ApplyRange(m_axis, m_range);
}

int SamePeriodAnalysisOverlay::IndexToX(size_t index) const {
    const int slots = SlotCount(m_pOwner->m_pData->m_ratios.asset.size());
    return SlotCentreX(m_rcPlot.left, m_rcPlot.right, slots, index);
}

void SamePeriodAnalysisOverlay::Draw(CDC* dc) {
    CommonVar* common = GetCommonVar();
    dc->FillSolidRect(&m_rcArea, common->GetColor(CommonColor::uniBenefitWndBK));
    m_axis.Draw(dc);
    CPen pen(PS_SOLID, 1, RGB(58, 85, 112));
    CPen* old = dc->SelectObject(&pen);
    dc->MoveTo(m_rcPlot.left, m_rcPlot.bottom);
    dc->LineTo(m_rcPlot.right, m_rcPlot.bottom);
    dc->SelectObject(old);
    const SamePeriodRatios& r = m_pOwner->m_pData->m_ratios;
    if (!r.asset.empty() && !r.index.empty() && m_pOwner->m_pData->Record() == m_pOwner->m_pRecord)
        DrawCurves(dc);
}

void SamePeriodAnalysisOverlay::DrawCurves(CDC* dc) {
    const TradeAnyalysisData& data = *m_pOwner->m_pData;
    if (!data.m_pSecurity || !data.m_pIndex) return;
    const SamePeriodRatios& r = data.m_ratios;
    const size_t n = std::min(r.asset.size(), r.index.size());
    CommonVar* common = GetCommonVar();
    const int A = m_rcArea.right, T = m_rcArea.top;
    CFont* oldFont = dc->SelectObject(common->GetFont(CommonVar::kFontSong14));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(141, 183, 216));
    dc->FillSolidRect(CRect(A - 153, T + 5, A - 143, T + 15), kAssetColour);
    CRect name1(A - 137, T, A - 72, T + 15);
    dc->DrawText(m_pOwner->SecurityLegend(), &name1, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    dc->FillSolidRect(CRect(A - 70, T + 5, A - 60, T + 15), kIndexColour);
    CRect name2(A - 54, T, A + 11, T + 15);
    dc->DrawText(WithoutSpaces(data.m_pIndex->GetName()), &name2, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(oldFont);

    CPen indexPen(PS_SOLID, 1, kIndexColour);
    CPen* oldPen = dc->SelectObject(&indexPen);
    std::vector<PointF> area;
    area.reserve(n + 2);
    const int one = m_axis.ValueToPixel(1.0, false);
    for (size_t i = 0; i < n; ++i) {
        const int x = IndexToX(i), y = m_axis.ValueToPixel(r.index[i], false);
        if (i == 0) {
            dc->MoveTo(x, y);
            area.push_back({float(x), float(one)});
        } else {
            dc->LineTo(x, y);
        }
        area.push_back({float(x), float(y + 1)});
    }
    area.push_back({float(IndexToX(n - 1)), float(one)});
    {
        CGraphics g(dc);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        CGraphicsPath path;
        path.AddLines(area.data(), int(area.size()));
        const ARGB top = WithAlpha(common->GetColor(CommonColor::uniPic_CurPicBack_Begin), 128);
        const ARGB bottom = WithAlpha(common->GetColor(CommonColor::uniPic_CurPicBack_End), 128);
        g.FillPathGradient(path, PointF{float(m_rcPlot.left), float(m_rcPlot.top)},
                           PointF{float(m_rcPlot.left), float(m_rcPlot.bottom)}, top, bottom);
    }
    CPen assetPen(PS_SOLID, 1, kAssetColour);
    dc->SelectObject(&assetPen);
    for (size_t i = 0; i < n; ++i) {
        const int x = IndexToX(i), y = m_axis.ValueToPixel(r.asset[i], false);
        if (i == 0)
            dc->MoveTo(x, y);
        else
            dc->LineTo(x, y);
    }
    dc->SelectObject(oldPen);
}
