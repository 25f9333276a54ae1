#include "drawtools/GannTools.h"

#include <cstdio>
#include <cstdlib>

#include "drawtools/DrawGeometry.h"
#include "drawtools/ToolHelpers.h"

namespace {

std::string Ratio(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "1/%d", n);
    return buf;
}

}  // namespace

// ---- fan ----

std::shared_ptr<CRecRgnLines> CGumpLine::Clone() const {
    return std::make_shared<CGumpLine>(*this);
}

void CGumpLine::FanLine(int x, int y, int pen) {
    m_figure.AddLine(x1, y1, x, y, pen);
    if (m_nLineCount < 7) m_ends[m_nLineCount++] = CPoint(x, y);
}

bool CGumpLine::HitSegments(int x, int y) {
    for (int i = 0; i < m_nLineCount && i < 7; ++i)
        if (IsNearSegment(x1, y1, m_ends[i].x, m_ends[i].y, x, y)) return true;
    return false;
}

bool CGumpLine::VerticalCase() {
    if (x1 != x2) return false;
    const CRect pane = PaneRect();
    FanLine(x1, y2 < y1 ? pane.top : pane.bottom, FigureItem::ToolPen);
    return true;
}

void CGumpLine::DrawShape(int final, int placing) {
    m_nLineCount = 0;
    if (VerticalCase()) {
        if (!final && placing) DrawValueLabel();
        return;
    }
    const CRect pane = PaneRect();
    const int E = x2 > x1 ? pane.right : pane.left;
    const int64_t W = std::abs(E - x1);
    const int64_t D = std::abs(x2 - x1);
    int64_t H = int64_t(y2 - y1) * W / D;
    if (H == 0) H = 1;
    const CSize text = final ? MeasureText("1/1", FigureItem::ChartFont) : CSize();
    auto label = [&](const std::string& s, int64_t lx, int64_t ly) {
        m_figure.AddText(s, CRect(int(lx), int(ly), int(lx) + text.cx * 2, int(ly) + text.cy),
                         DT_SINGLELINE | DT_LEFT | DT_TOP);
    };
    FanLine(E, int(y1 + H), FigureItem::ToolPen);
    if (final) label("1/1", x1 + int64_t(E - x1) * (y2 - y1) / H, y2);
    for (int n : {2, 4, 8}) {
        FanLine(E, int(y1 + n * H), FigureItem::DottedPen);
        if (final) label(Ratio(n), x1 + int64_t(E - x1) * (y2 - y1) / (n * H), y2);
        FanLine(E, int(y1 + H / n), FigureItem::DottedPen);
        // With anchor 1 on the edge the fan opens toward, the flat lines have no width to
        // place a label on.
        if (final && E != x1) label(Ratio(n), x2, y1 + (H / n) * (x2 - x1) / (E - x1));
    }
    if (!final && placing) DrawValueLabel();
}

// ---- speed resistance lines ----

std::shared_ptr<CRecRgnLines> CSZTool::Clone() const {
    return std::make_shared<CSZTool>(*this);
}

void CSZTool::DrawShape(int final, int placing) {
    m_nLineCount = 0;
    if (!VerticalCase()) {
        const CRect pane = PaneRect();
        const int E = x2 > x1 ? pane.right : pane.left;
        const int64_t W = std::abs(E - x1);
        const int64_t D = std::abs(x2 - x1);
        const int64_t H = int64_t(y2 - y1) * W / D;
        FanLine(E, int(y1 + H), FigureItem::ToolPen);
        for (double r : m_ratios) FanLine(E, y1 + int(H * r), FigureItem::DottedPen);
    }
    if (!final && placing) DrawValueLabel();
}

// ---- symmetric angle lines ----

std::shared_ptr<CRecRgnLines> CSymmetricAngleLine::Clone() const {
    return std::make_shared<CSymmetricAngleLine>(*this);
}

void CSymmetricAngleLine::DrawShape(int final, int placing) {
    m_nLineCount = 0;
    FanLine(x2, y2, FigureItem::ToolPen);
    FanLine(x1, y2, FigureItem::ToolPen);
    FanLine(2 * x1 - x2, y2, FigureItem::ToolPen);
    if (!final && placing) DrawValueLabel();
}

// ---- Gann box ----

std::shared_ptr<CRecRgnLines> CJNXTool::Clone() const {
    return std::make_shared<CJNXTool>(*this);
}

void CJNXTool::DrawShape(int final, int placing) {
    m_segments.clear();
    DrawSegment(x1, y1, x2, y1);
    DrawSegment(x1, y1, x1, y2);
    DrawSegment(x1, y2, x2, y2);
    DrawSegment(x2, y2, x2, y1);
    const int dot = FigureItem::DottedPen;
    for (int pass = 0; pass < 2; ++pass) {
        const int T = pass == 0 ? y1 : y2;
        const int F = pass == 0 ? y2 : y1;
        const int qx = (x2 - x1) / 4;
        const int qy = (F - T) / 4;
        DrawRay(x1, T, x1 + qx, F, dot, final, placing);
        DrawSegment(x1 + qx, T, x1 + qx, F, dot);
        DrawRay(x1, T, x1 + 2 * qx, F, dot, final, placing);
        DrawSegment(x1 + 2 * qx, T, x1 + 2 * qx, F, dot);
        DrawSegment(x1 + 3 * qx, T, x1 + 3 * qx, F, dot);
        DrawRay(x1, T, x2, T + qy, dot, final, placing);
        DrawSegment(x1, T + qy, x2, T + qy, dot);
        DrawRay(x1, T, x2, T + 2 * qy, dot, final, placing);
        if (pass == 0) DrawSegment(x1, T + 2 * qy, x2, T + 2 * qy, dot);
        DrawRay(x1, T, x2, F, FigureItem::ToolPen, final, placing);
    }
    if (final && m_pOwner) {
        const CRect pane = PaneRect();
        m_figure.AddText(Format("%.2f", m_pOwner->YToValue(m_nPaneIndex, m_strChart, y1)),
                         CRect(x1, pane.top, x2, y1), DT_SINGLELINE | DT_BOTTOM);
        m_figure.AddText(Format("%.2f", m_pOwner->YToValue(m_nPaneIndex, m_strChart, y2)),
                         CRect(x1, y2, x2, pane.bottom), DT_SINGLELINE | DT_TOP);
    }
}
