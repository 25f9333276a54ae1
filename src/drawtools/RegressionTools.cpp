#include "drawtools/RegressionTools.h"

#include <algorithm>

#include "drawtools/DrawGeometry.h"
#include "drawtools/ToolHelpers.h"

// ---- regression line ----

std::shared_ptr<CRecRgnLines> CXXHGLineTool::Clone() const {
    return CloneAs(*this);
}

bool CXXHGLineTool::FitChannel(int final) {
    m_bFitted = false;
    if (!m_pOwner) return false;
    const int32_t i1 = m_pOwner->XToIndex(x1), i2 = m_pOwner->XToIndex(x2);
    m_nFirst = std::min(i1, i2);
    m_nLast = std::max(i1, i2);
    RegressionChannel c;
    if (!m_pOwner->CalcRegressionChannel(m_nFirst, m_nLast, c)) return false;
    m_fLine1 = c.lineFirst;
    m_fLine2 = c.lineLast;
    if (i2 < i1) std::swap(m_fLine1, m_fLine2);  // each value belongs to its anchor
    m_fAbove = c.maxAbove;
    m_fBelow = c.maxBelow;
    m_nHighIndex = c.highestIndex;
    m_nLowIndex = c.lowestIndex;
    if (!final) {
        const CRect pane = PaneRect();
        m_figure.AddLine(x1, pane.top, x1, pane.bottom);
        m_figure.AddLine(x2, pane.top, x2, pane.bottom);
    }
    y1 = m_pOwner->ValueToY(m_nPaneIndex, m_strChart, m_fLine1);
    y2 = m_pOwner->ValueToY(m_nPaneIndex, m_strChart, m_fLine2);
    m_bFitted = true;
    return true;
}

void CXXHGLineTool::DrawShape(int final, int placing) {
    m_segments.clear();
    if (!FitChannel(final)) return;
    if (ShowsLine()) CSegmentLine::DrawShape(final, placing);
}

bool CXXHGLineTool::HitSegments(int x, int y) {
    return m_bFitted && ShowsLine() && CSegmentLine::HitSegments(x, y);
}

// ---- regression band ----

std::shared_ptr<CRecRgnLines> CHGDLineTool::Clone() const {
    return CloneAs(*this);
}

void CHGDLineTool::DrawBands() {
    // Anchors on one bar give no slope to draw a parallel with.
    if (!m_pOwner || x1 == x2) return;
    const int xl = std::min(x1, x2), xr = std::max(x1, x2);
    auto band = [&](int32_t index, int kind, Band& b) {
        const int xe = m_pOwner->IndexToX(index);
        const int ye =
            m_pOwner->ValueToY(m_nPaneIndex, m_strChart, m_pOwner->GetBarPrice(index, kind));
        auto yAt = [&](int x) { return ClampToInt(int64_t(y2 - y1) * (x - xe) / (x2 - x1) + ye); };
        b = Band{true, xl, yAt(xl), xr, yAt(xr)};
        m_figure.AddLine(b.xa, b.ya, b.xb, b.yb);
    };
    if (m_fAbove > 0 && m_nHighIndex >= 0) band(m_nHighIndex, 2, m_upper);
    if (m_fBelow < 0 && m_nLowIndex >= 0) band(m_nLowIndex, 3, m_lower);
}

void CHGDLineTool::DrawShape(int final, int placing) {
    m_upper.shown = m_lower.shown = false;
    CXXHGLineTool::DrawShape(final, placing);
    if (m_bFitted) DrawBands();
}

bool CHGDLineTool::HitSegments(int x, int y) {
    if (CXXHGLineTool::HitSegments(x, y)) return true;
    for (const Band* b : {&m_upper, &m_lower})
        if (b->shown && IsNearSegment(b->xa, b->ya, b->xb, b->yb, x, y)) return true;
    return false;
}

// ---- regression ray ----

std::shared_ptr<CRecRgnLines> CRegressHalfLines::Clone() const {
    return CloneAs(*this);
}

void CRegressHalfLines::Extend(const Band& from, Band& ext, int pen) {
    if (!from.shown || from.xa >= from.xb) return;
    const int right = PaneRect().right;
    ext = Band{true, from.xb, from.yb, right,
               ClampToInt(from.yb + int64_t(from.yb - from.ya) * (right - from.xb) /
                                        (from.xb - from.xa))};
    m_figure.AddLine(ext.xa, ext.ya, ext.xb, ext.yb, pen);
}

void CRegressHalfLines::DrawShape(int final, int placing) {
    m_lineExt.shown = m_upperExt.shown = m_lowerExt.shown = false;
    CHGDLineTool::DrawShape(final, placing);
    if (!m_bFitted) return;
    const int dot = FigureItem::DottedPen;
    Extend(Band{true, m_nLeftX, m_nLeftY, m_nRightX, m_nRightY}, m_lineExt, dot);
    Extend(m_upper, m_upperExt, dot);
    Extend(m_lower, m_lowerExt, dot);
}

bool CRegressHalfLines::HitSegments(int x, int y) {
    if (CHGDLineTool::HitSegments(x, y)) return true;
    for (const Band* b : {&m_lineExt, &m_upperExt, &m_lowerExt})
        if (b->shown && IsNearSegment(b->xa, b->ya, b->xb, b->yb, x, y)) return true;
    return false;
}

// ---- up-down channel ----

std::shared_ptr<CRecRgnLines> CUpDownPassageWay::Clone() const {
    return CloneAs(*this);
}

void CUpDownPassageWay::DrawShape(int final, int) {
    m_segments.clear();
    m_upper.shown = m_lower.shown = false;
    m_lineExt.shown = m_upperExt.shown = m_lowerExt.shown = false;
    if (!FitChannel(final)) return;
    DrawBands();
    Extend(m_upper, m_upperExt, FigureItem::ToolPen);
    Extend(m_lower, m_lowerExt, FigureItem::ToolPen);
}

// ---- multi-channel line ----

std::shared_ptr<CRecRgnLines> CDTDXTool::Clone() const {
    return CloneAs(*this);
}

void CDTDXTool::DrawItem(int index, int, int) {
    if (index < 0 || index >= (int)m_items.size()) return;
    const CRect pane = PaneRect();
    const CLineItem& a = m_items[0];
    const int64_t dx = a.x2 - a.x1, dy = a.y2 - a.y1;
    if (index == 0) {
        if (dx == 0)
            DrawSegment(a.x1, pane.top, a.x1, pane.bottom);
        else
            DrawSegment(pane.left, ClampToInt(a.y1 + (pane.left - a.x1) * dy / dx), pane.right,
                        ClampToInt(a.y1 + (pane.right - a.x1) * dy / dx));
        return;
    }
    const CLineItem& b = m_items[1];
    if (index != 1 || !b.begun || dx == 0) return;
    const int64_t left = b.y2 + (pane.left - b.x2) * dy / dx;
    const int64_t right = b.y2 + (pane.right - b.x2) * dy / dx;
    const int64_t g = (left - (a.y1 + (pane.left - a.x1) * dy / dx)) / 5;
    for (int k = 0; k < 5; ++k)
        DrawSegment(pane.left, ClampToInt(left - k * g), pane.right, ClampToInt(right - k * g));
}
