#include "drawtools/RatioLines.h"

#include <cstdio>
#include <cstdlib>

#include "drawtools/ToolHelpers.h"

namespace {

CRect Ordered(int l, int t, int r, int b) {
    CRect rc(l, t, r, b);
    rc.NormalizeRect();
    return rc;
}

}  // namespace

// ---- symmetric lines ----

std::shared_ptr<CRecRgnLines> CSymmetricLines::Clone() const {
    return CloneAs(*this);
}

void CSymmetricLines::DrawShape(int final, int placing) {
    const CRect pane = PaneRect();
    m_levels = {x1, x2, 2 * x1 - x2};
    m_segments.clear();
    for (int x : m_levels) DrawSegment(x, pane.top, x, pane.bottom);
    if (!final && placing) DrawValueLabel();
}

// ---- golden section, band and percentage lines ----

std::shared_ptr<CRecRgnLines> CGoldLineTool::Clone() const {
    return CloneAs(*this);
}
std::shared_ptr<CRecRgnLines> CBDLineTool::Clone() const {
    return CloneAs(*this);
}
std::shared_ptr<CRecRgnLines> CBFBLineTool::Clone() const {
    return CloneAs(*this);
}

bool CGoldLineTool::IsBigEnough() const {
    return std::abs(y2 - y1) > 5;
}

bool CGoldLineTool::HitSegments(int, int y) {
    for (int level : m_levels) {
        const int d = LevelY(level) - y;
        if (d >= -3 && d <= 3) return true;
    }
    return false;
}

void CGoldLineTool::DrawShape(int final, int) {
    const CRect pane = PaneRect();
    for (int level : m_levels) {
        const int pen = level % 1000 == 0 ? FigureItem::ToolPen : FigureItem::DottedPen;
        const double v = m_fTop + (m_fBottom - m_fTop) * level / 1000.0;
        const int y = LevelY(level);
        m_figure.AddLine(pane.left, y, pane.right, y, pen);
        if (final && level % 1000 != 0) {
            const std::string text = Format("%.01f%%(%.2f)", level / 10.0, v);
            const CSize size = MeasureText(text, FigureItem::ChartFont);
            m_figure.AddText(text, CRect(pane.left, y - size.cy, pane.left + size.cx, y),
                             DT_SINGLELINE | DT_BOTTOM);
        }
    }
}

// ---- free ratio ----

std::shared_ptr<CRecRgnLines> CZYBLTool::Clone() const {
    return CloneAs(*this);
}

double CZYBLTool::ValueAtY(int y) const {
    return m_pOwner ? m_pOwner->YToValue(m_nPaneIndex, m_strChart, y) : 0.0;
}

void CZYBLTool::DrawShape(int final, int) {
    const CRect pane = PaneRect();
    const int dot = FigureItem::DottedPen;
    // Labels sit on anchor 1's side; bar counts on the far side.
    const UINT near = x1 <= x2 ? DT_LEFT : DT_RIGHT;
    const UINT far = x1 <= x2 ? DT_RIGHT : DT_LEFT;
    m_segments.clear();
    DrawSegment(x1, y1, x2, y1);
    if (final)
        m_figure.AddText(Format("%.02f", m_fTop), Ordered(x1, y1, x2, y2),
                         DT_SINGLELINE | DT_TOP | near);
    DrawSegment(x2, y1, x2, y2);
    DrawSegment(x1, y1, x2, y2);
    for (double r : m_ratios) {
        const int xr = static_cast<int>((x2 - x1) * r + x1 + 0.5);
        const int yr = static_cast<int>((y2 - y1) * r + y1 + 0.5);
        DrawSegment(x1, yr, xr, yr, dot);
        if (final) {
            const CRect rc = Ordered(x1, yr, xr, y2);
            m_figure.AddText(Format("%.02f%%(%.2f)", r * 100, ValueAtY(yr)), rc,
                             DT_SINGLELINE | DT_TOP | near);
            int bars = 0;
            if (m_pOwner)
                bars = int16_t(m_pOwner->XToIndex(xr)) - int16_t(m_pOwner->XToIndex(x1));
            m_figure.AddText(Format("%d", bars), rc, DT_SINGLELINE | DT_BOTTOM | far);
        }
        DrawSegment(xr, yr, xr, y2, dot);
    }
    const int B = static_cast<int>((x2 - x1) * 1.382 + x1 + 0.5);
    const int C = static_cast<int>((y2 - y1) * 1.382 + y1 + 0.5);
    DrawSegment(B, C, x1, C, dot);
    if (final)
        m_figure.AddText(Format("%.02f%%(%.2f)", 138.2, ValueAtY(C)),
                         Ordered(x1, C, pane.right, pane.bottom),
                         DT_SINGLELINE | DT_TOP | DT_LEFT);
    DrawSegment(B, C, B, y2, dot);
    DrawSegment(B, C, x2, y1, dot);
}

// ---- turning ruler ----

std::shared_ptr<CRecRgnLines> CZZCTool::Clone() const {
    return CloneAs(*this);
}

void CZZCTool::DrawTickedLeg(int a, int b, int c, int d) {
    DrawSegment(a, b, c, d);
    if (c == a) return;
    for (double r : m_ratios) {
        const int g = static_cast<int>(r * (c - a) + 0.5);
        const int y = b + g * (d - b) / (c - a);
        DrawSegment(a + g - 10, y, a + g + 10, y);
    }
}

void CZZCTool::DrawShape(int, int) {
    m_segments.clear();
    const int dx = x2 - x1;
    DrawSegment(x1, y1, x2, y2);
    DrawSegment(x2, y2, x2 + dx, y1);
    if (dx == 0) return;
    for (double r : m_ratios) {
        const int o = static_cast<int>(dx * r + 0.5);
        const int u = y2 - o * (y2 - y1) / dx;
        DrawSegment(x2 + o - 15, u, x2 + o + 15, u);
        DrawTickedLeg(x2 + o, u, x2 + 2 * o, y2);
    }
}

// ---- golden section lines A and B ----

std::shared_ptr<CRecRgnLines> CHJFGX_ATool::Clone() const {
    return CloneAs(*this);
}
std::shared_ptr<CRecRgnLines> CHJFGX_BTool::Clone() const {
    return CloneAs(*this);
}

void CHJFGX_ATool::DrawRatioLabel(double ratio, double value, int y) {
    // The ratio itself, not a percentage: "0.618", never "0.618%".
    const CRect pane = PaneRect();
    m_figure.AddText(Format("%.03f(%.2f)", ratio, value), CRect(pane.left, pane.top, pane.right, y),
                     DT_SINGLELINE | DT_BOTTOM);
}

void CHJFGX_ATool::DrawShape(int final, int) {
    const CRect pane = PaneRect();
    m_segments.clear();
    DrawSegment(pane.left, y2, pane.right, y2);
    for (double r : m_ratios) {
        const int y = static_cast<int>((y2 - y1) * (r - 1) + y2 + 0.5);
        const double v = m_fBottom + (m_fBottom - m_fTop) * (r - 1);
        DrawSegment(pane.left, y, pane.right, y, FigureItem::DottedPen);
        if (final) DrawRatioLabel(r, v, y);
    }
}

void CHJFGX_BTool::DrawShape(int final, int) {
    const CRect pane = PaneRect();
    m_segments.clear();
    DrawSegment(pane.left, y1, pane.right, y1);
    DrawSegment(pane.left, y2, pane.right, y2);
    for (double r : m_ratios) {
        const int y = static_cast<int>((y2 - y1) * r + y1 + 0.5);
        const double v = m_fTop + (m_fBottom - m_fTop) * r;
        DrawSegment(pane.left, y, pane.right, y);
        if (final) DrawRatioLabel(r, v, y);
    }
}
