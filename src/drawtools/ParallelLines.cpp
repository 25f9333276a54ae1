#include "drawtools/ParallelLines.h"

#include <algorithm>
#include <cstdlib>

#include "drawtools/ToolHelpers.h"

// ---- parallel lines ----

std::shared_ptr<CRecRgnLines> CNewPXXLines::Clone() const {
    return std::make_shared<CNewPXXLines>(*this);
}

void CNewPXXLines::DrawBaseLine() {
    const CLineItem& a = m_items[0];
    const CRect pane = PaneRect();
    if (a.x1 == a.x2) {
        if (a.y1 != a.y2) DrawSegment(a.x1, pane.top, a.x1, pane.bottom);
        return;
    }
    // A horizontal base is drawn and hit like any other.
    DrawParallelThrough(a.x1, a.y1);
}

void CNewPXXLines::DrawParallelThrough(int x, int y, int pen) {
    const CLineItem& a = m_items[0];
    const CRect pane = PaneRect();
    const int64_t dx = a.x2 - a.x1, dy = a.y2 - a.y1;
    if (dx == 0) {
        DrawSegment(x, pane.top, x, pane.bottom, pen);
        return;
    }
    DrawSegment(pane.left, ClampToInt(y + (pane.left - x) * dy / dx), pane.right,
                ClampToInt(y + (pane.right - x) * dy / dx), pen);
}

void CNewPXXLines::DrawItem(int index, int, int) {
    if (index == 0) {
        DrawBaseLine();
    } else if (index == 1 && m_items[1].begun) {
        const CLineItem& a = m_items[0];
        // A point base has no direction to follow.
        if (a.x1 == a.x2 && a.y1 == a.y2) return;
        DrawParallelThrough(m_items[1].x2, m_items[1].y2);
    }
}

// ---- parallelogram ----

std::shared_ptr<CRecRgnLines> CPxsbxTool::Clone() const {
    return std::make_shared<CPxsbxTool>(*this);
}

void CPxsbxTool::DrawItem(int index, int, int) {
    const CLineItem& a = m_items[0];
    if (index == 0) {
        DrawSegment(a.x1, a.y1, a.x2, a.y2);
        return;
    }
    const CLineItem& c = m_items[1];
    if (index != 1 || !c.begun || (c.x1 == c.x2 && c.y1 == c.y2)) return;
    const int vx = c.x2 - a.x2, vy = c.y2 - a.y2;
    DrawSegment(a.x2, a.y2, a.x2 + vx, a.y2 + vy);
    DrawSegment(a.x1, a.y1, a.x1 + vx, a.y1 + vy);
    DrawSegment(a.x2 + vx, a.y2 + vy, a.x1 + vx, a.y1 + vy);
}

// ---- fence lines ----

std::shared_ptr<CRecRgnLines> CZLXTool::Clone() const {
    return std::make_shared<CZLXTool>(*this);
}

void CZLXTool::DrawItem(int index, int final, int placing) {
    if (index == 0) {
        CNewPXXLines::DrawItem(index, final, placing);
        return;
    }
    const CLineItem& a = m_items[0];
    const CLineItem& c = m_items[1];
    const int64_t dx = a.x2 - a.x1, dy = a.y2 - a.y1;
    if (index != 1 || !c.begun || dx == 0) return;
    const CRect pane = PaneRect();
    const int64_t g0 = a.y1 + (pane.left - a.x1) * dy / dx;
    const int64_t p = c.y2 + (pane.left - c.x2) * dy / dx;    // the fence line at the left
    const int64_t q = c.y2 + (pane.right - c.x2) * dy / dx;   // and at the right
    const int64_t d = std::max<int64_t>(1, std::llabs(p - g0));
    auto line = [&](int64_t m) {
        DrawSegment(pane.left, ClampToInt(p + m), pane.right, ClampToInt(q + m));
    };
    for (int n = 0; n < kMaxLinesEachWay; ++n) {
        const int64_t m = n * d;
        line(m);
        if (std::min(p, q) + m >= pane.bottom) break;  // entirely below
    }
    const bool fallsToRight = dy * dx > 0;
    for (int n = 1; n < kMaxLinesEachWay; ++n) {
        const int64_t m = -n * d;
        if (std::max(p, q) + m < pane.top) {  // entirely above
            if (fallsToRight) line(m);
            break;
        }
        line(m);
    }
}

// ---- pitchfork ----

std::shared_ptr<CRecRgnLines> CADLYCXTool::Clone() const {
    return std::make_shared<CADLYCXTool>(*this);
}

void CADLYCXTool::DrawItem(int index, int final, int placing) {
    const CLineItem& a = m_items[0];
    if (index == 0) {
        m_figure.AddLine(a.x1, a.y1, a.x2, a.y2);
        return;
    }
    const CLineItem& c = m_items[1];
    if (index != 1 || !c.begun) return;
    m_segments.emplace_back(a.x1, a.y1);
    m_segments.emplace_back(a.x2, a.y2);
    const int qx = (c.x2 - a.x2) / 4, qy = (a.y2 - c.y2) / 4;
    const int mx = a.x2 + 2 * qx, my = a.y2 - 2 * qy;  // between the two handles
    DrawRay(a.x1, a.y1, mx, my, FigureItem::ToolPen, final, placing);
    for (int i = 0; i <= 8; ++i) {
        if (i == 4) continue;
        const int bx = a.x2 + (i - 2) * qx, by = a.y2 - (i - 2) * qy;
        DrawRay(bx, by, bx + mx - a.x1, by + my - a.y1, FigureItem::DottedPen, 1, 0);
    }
    m_figure.AddLine(a.x2 - 2 * qx, a.y2 + 2 * qy, a.x2 + 6 * qx, a.y2 - 6 * qy,
                     FigureItem::DottedPen);
    m_figure.AddLine(a.x2, a.y2, c.x2, c.y2);
}
