#include "training/wnd/AnalysisAxis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "foundation/CommonColors.h"
#include "ui/CommonVar.h"

namespace {

constexpr int kLabelSpacing = 30;  // pixels between labels at least

bool Flat(double max, double min) {
    return std::fabs(max - min) < 0.0001;
}

}  // namespace

double CAnalysisAxis::Shown(double value) const {
    if (m_nType != kPercent) return value;
    return m_fBaseValue != 0 ? (value / m_fBaseValue - 1) * 100 : 0;
}

double CAnalysisAxis::Raw(double shown) const {
    if (m_nType != kPercent) return shown;
    return (shown / 100 + 1) * m_fBaseValue;
}

void CAnalysisAxis::CalcScale() {
    m_fStep = 0;
    const int height = m_rcValue.Height();
    if (height <= 0 || Flat(m_fMax, m_fMin) || !std::isfinite(m_fMax) || !std::isfinite(m_fMin)) return;
    const double span = std::fabs(Shown(m_fMax) - Shown(m_fMin));
    const int labels = std::max(1, height / kLabelSpacing);
    const double rough = span / labels;
    if (!(rough > 0) || !std::isfinite(rough)) return;
    // 1, 2 or 5 times a power of ten, the smallest that keeps the labels apart.
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power * 10;
    for (double m : {1.0, 2.0, 5.0})
        if (power * m >= rough) {
            step = power * m;
            break;
        }
    m_fStep = step;
    m_nDecimals = std::clamp(int(-std::floor(std::log10(step))), 0, 4);
}

int CAnalysisAxis::ValueToPixel(double value, bool clamp) const {
    const CRect& r = m_rcValue;
    if (r.Height() <= 0 || Flat(m_fMax, m_fMin)) return (r.top + r.bottom) / 2;
    const double y = r.top + (m_fMax - value) / (m_fMax - m_fMin) * (r.Height() - 1);
    const double limited = clamp ? std::clamp(y, double(r.top), double(r.bottom - 1)) : std::clamp(y, -1e6, 1e6);
    return int(std::lround(limited));
}

void CAnalysisAxis::Draw(CDC* dc) {
    CommonVar* common = GetCommonVar();
    dc->FillSolidRect(&m_rcValue, m_clrBack ? m_clrBack : common->GetColor(CommonColor::uniPic_AxeBackGround));
    CPen pen(PS_SOLID, 1, m_clrLine ? m_clrLine : common->GetColor(CommonColor::uniPic_Axe));
    CPen* old = dc->SelectObject(&pen);
    const int x = m_bLeftAligned ? m_rcValue.left : m_rcValue.right - 1;
    dc->MoveTo(x, m_rcValue.top);
    dc->LineTo(x, m_rcValue.bottom);
    dc->SelectObject(old);
    DrawTicks(dc);
}

void CAnalysisAxis::DrawScaledLabels(CDC* dc) {
    DrawTicks(dc);
}

void CAnalysisAxis::DrawTicks(CDC* dc) {
    m_aGridRows.clear();
    if (!(m_fStep > 0) || m_rcValue.Height() <= 0) return;
    CommonVar* common = GetCommonVar();
    const COLORREF colour = m_clrLine ? m_clrLine : common->GetColor(CommonColor::uniPic_Axe);
    CPen pen(PS_SOLID, 1, colour);
    CPen* oldPen = dc->SelectObject(&pen);
    CFont* oldFont = dc->SelectObject(common->GetFont(CommonVar::kFontTimes14));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(colour);
    const double lo = std::min(Shown(m_fMin), Shown(m_fMax)), hi = std::max(Shown(m_fMin), Shown(m_fMax));
    const int axisX = m_bLeftAligned ? m_rcValue.left : m_rcValue.right - 1;
    const int inward = m_bLeftAligned ? 1 : -1;
    // Bounded: CalcScale keeps the labels kLabelSpacing apart.
    for (double shown = std::ceil(lo / m_fStep) * m_fStep; shown <= hi + m_fStep * 1e-9; shown += m_fStep) {
        const int y = ValueToPixel(Raw(shown), false);
        if (y < m_rcValue.top || y >= m_rcValue.bottom) continue;
        m_aGridRows.push_back(y);
        dc->MoveTo(axisX, y);
        dc->LineTo(axisX + 4 * inward, y);
        char text[48];
        std::snprintf(text, sizeof text, m_nType == kPercent ? "%.*f%%" : "%.*f", m_nDecimals,
                      std::fabs(shown) < m_fStep * 1e-6 ? 0.0 : shown);
        CRect label = m_bLeftAligned ? CRect(axisX + 6, y - 8, m_rcValue.right, y + 8)
                                     : CRect(m_rcValue.left, y - 8, axisX - 6, y + 8);
        dc->DrawText(text, &label, (m_bLeftAligned ? DT_LEFT : DT_RIGHT) | DT_VCENTER | DT_SINGLELINE);
    }
    dc->SelectObject(oldFont);
    dc->SelectObject(oldPen);
}
