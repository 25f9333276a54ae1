#include "drawtools/StraightLines.h"

#include <cstdio>

#include "drawtools/DrawGeometry.h"
#include "drawtools/ToolHelpers.h"
#include "ui/CommonVar.h"

// ---- segment ----

std::shared_ptr<CRecRgnLines> CSegmentLine::Clone() const {
    return CloneAs(*this);
}

bool CSegmentLine::HitSegments(int x, int y) {
    return IsNearSegment(m_nLeftX, m_nLeftY, m_nRightX, m_nRightY, x, y);
}

void CSegmentLine::DrawShape(int final, int placing) {
    if (x1 < x2) {
        m_nLeftX = x1, m_nLeftY = y1, m_nRightX = x2, m_nRightY = y2;
    } else {
        m_nLeftX = x2, m_nLeftY = y2, m_nRightX = x1, m_nRightY = y1;
    }
    m_figure.AddLine(m_nLeftX, m_nLeftY, m_nRightX, m_nRightY);
    if (!final && placing) DrawValueLabel();
}

// ---- trend line ----

std::shared_ptr<CRecRgnLines> CQSLineTool::Clone() const {
    return CloneAs(*this);
}

void CQSLineTool::DrawShape(int final, int placing) {
    const CRect pane = PaneRect();
    if (x1 == x2) {
        m_nLeftX = m_nRightX = x1;
        m_nLeftY = pane.top;
        m_nRightY = pane.bottom;
    } else {
        auto yAt = [&](int x) {
            return static_cast<int>(y1 + int64_t(y2 - y1) * (x - x1) / (x2 - x1));
        };
        m_nLeftX = pane.left;
        m_nLeftY = yAt(pane.left);
        m_nRightX = pane.right;
        m_nRightY = yAt(pane.right);
    }
    m_figure.AddLine(m_nLeftX, m_nLeftY, m_nRightX, m_nRightY);
    if (!final && placing) DrawValueLabel();
}

// ---- ray ----

std::shared_ptr<CRecRgnLines> CSHEXIANTool::Clone() const {
    return CloneAs(*this);
}

void CSHEXIANTool::DrawShape(int final, int placing) {
    m_segments.clear();
    DrawRay(x1, y1, x2, y2, FigureItem::ToolPen, final, placing);
}

// ---- vertical line ----

std::shared_ptr<CRecRgnLines> CVerticalLines::Clone() const {
    return CloneAs(*this);
}

void CVerticalLines::PaintHandles(CDC* dc) {
    // One line, one handle: the line follows anchor 2.
    InvertHandle(dc, x2, y2);
}

void CVerticalLines::DrawShape(int final, int placing) {
    const CRect pane = PaneRect();
    m_segments.clear();
    DrawSegment(x2, pane.top, x2, pane.bottom);
    if (final && m_pOwner) {
        char text[32];
        std::snprintf(text, sizeof text, "%d", m_pOwner->XToIndex(x2));
        m_figure.AddText(text, CRect(x2, pane.top, pane.right, pane.bottom),
                         DT_SINGLELINE | DT_LEFT | DT_TOP);
    }
}

// ---- horizontal line ----

std::shared_ptr<CRecRgnLines> CShuiPingTool::Clone() const {
    return CloneAs(*this);
}

void CShuiPingTool::DrawShape(int final, int placing) {
    const CRect pane = PaneRect();
    m_segments.clear();
    DrawSegment(pane.left, y2, pane.right, y2);
    if (final) {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", m_fBottom);
        m_figure.AddText(text, CRect(pane.left, y2, pane.right, pane.bottom),
                         DT_SINGLELINE | DT_LEFT | DT_TOP);
    }
}

// ---- vertical line through all panes ----

std::shared_ptr<CRecRgnLines> CGuanChuanChuiZhiTool::Clone() const {
    return CloneAs(*this);
}

void CGuanChuanChuiZhiTool::DrawShape(int final, int placing) {
    m_segments.clear();
    const int panes = m_pOwner ? m_pOwner->GetPaneCount() : 0;
    for (int i = 0; i < panes; ++i) {
        const CRect pane = m_pOwner->GetPaneRect(i, std::string());
        DrawSegment(x2, pane.top, x2, pane.bottom);
    }
}

void CGuanChuanChuiZhiTool::Paint(CDC* dc, int inverted) {
    BuildFigure();
    if (!dc || !m_pOwner) return;
    const COLORREF color = inverted ? 0xFFFFFF - (m_color & 0xFFFFFF) : m_color;
    CPen pen(m_nLineStyle, m_nLineWidth, color);
    CPen dot(PS_DOT, 1, color);
    FigurePaint paint;
    paint.pen = &pen;
    paint.dotPen = &dot;
    paint.textColor = color;
    for (int i = 0; i < m_pOwner->GetPaneCount(); ++i) {
        const CRect pane = m_pOwner->GetPaneRect(i, std::string());
        const int saved = dc->SaveDC();
        dc->IntersectClipRect(&pane);
        PaintFigure(dc, m_figure, paint);
        dc->RestoreDC(saved);
    }
}

int CGuanChuanChuiZhiTool::HitTest(int x, int y) {
    if (!m_pOwner) return 0;
    const CPoint p(x, y);
    for (int i = 0; i < m_pOwner->GetPaneCount(); ++i) {
        const CRect pane = m_pOwner->GetPaneRect(i, std::string());
        RECT a{x1 - 3, y1 - 3, x1 + 3, y1 + 3};
        if (RectTouchesRect(a, pane) && CRect(a).PtInRect(p)) return 1;
        RECT b{x2 - 3, y2 - 3, x2 + 3, y2 + 3};
        if (RectTouchesRect(b, pane) && CRect(b).PtInRect(p)) return 2;
        if (HitSegments(x, y)) return 3;
    }
    return 0;
}

// ---- arrow ----

std::shared_ptr<CRecRgnLines> CJianTouTool::Clone() const {
    return CloneAs(*this);
}

void CJianTouTool::DrawShape(int final, int placing) {
    m_figure.AddLine(x1, y1, x2, y2);
    m_figure.AddLine(x2, y2, x1 <= x2 ? x2 - 10 : x2 + 10, y2);
    m_figure.AddLine(x2, y2, x2, y1 <= y2 ? y2 - 10 : y2 + 10);
}
