#include "drawtools/WaveTools.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "drawtools/DrawGeometry.h"
#include "drawtools/ToolHelpers.h"
#include "platform/Wnd.h"

namespace {

// A wave's copy starts without the drag squares of the one it was taken from.
template <class T>
std::shared_ptr<CRecRgnLines> CloneWithoutDrags(const T& self) {
    auto copy = std::make_shared<T>(self);
    copy->m_dragRects.clear();
    return copy;
}

bool SquareHas(const CRect& pane, int cx, int cy, int x, int y) {
    RECT sq{cx - 3, cy - 3, cx + 4, cy + 4};
    return RectTouchesRect(sq, pane) && CRect(sq).PtInRect(CPoint(x, y));
}

}  // namespace

// ---- the wave family ----

C3LANGTool::C3LANGTool() : CTriangleLines(1) {
    m_formula = {{-0.5, 0, -1}, {1.0, 0, +1}};
}

C5LANGTool::C5LANGTool() {
    m_formula = {{-0.33, 0, -1}, {2.0, 0, +1}, {-0.33, 0, +1}, {1.0, 0, +1}};
}

C8LANGTool::C8LANGTool() {
    m_formula = {{-0.33, 0, -1}, {2.0, 0, +1}, {-1.5, 0, +1}, {2.5, 0, +1},
                 {-1.5, 0, +1},  {0.75, 0, +1}, {-1.5, 0, +1}};
}

CMJBLTool::CMJBLTool() {
    m_formula = {{-0.75, 0, -1}, {2.0, 0, +1}};
}

CTJXTool::CTJXTool() {
    m_formula = {{-1.0, 0, -1}, {1.8, 0, +1}, {-1.8, 0, +1}, {1.0, 0, +1}, {-1.0, 0, +1}};
}

CWTMDTool::CWTMDTool() {
    m_formula = {{-1.0, 0, +1}, {1.0, 0, +1}, {-1.0, 0, +1}};
}

std::shared_ptr<CRecRgnLines> C3LANGTool::Clone() const {
    return CloneWithoutDrags(*this);
}
std::shared_ptr<CRecRgnLines> C5LANGTool::Clone() const {
    return CloneWithoutDrags(*this);
}
std::shared_ptr<CRecRgnLines> C8LANGTool::Clone() const {
    return CloneWithoutDrags(*this);
}
std::shared_ptr<CRecRgnLines> CMJBLTool::Clone() const {
    return CloneWithoutDrags(*this);
}
std::shared_ptr<CRecRgnLines> CTJXTool::Clone() const {
    return CloneWithoutDrags(*this);
}
std::shared_ptr<CRecRgnLines> CWTMDTool::Clone() const {
    return CloneWithoutDrags(*this);
}

void C3LANGTool::BuildLegs() {
    for (size_t k = 0; k < m_formula.size(); ++k) {
        const CFormulaItem& f = m_formula[k];
        if (k >= m_items.size() || f.reference < 0 || f.reference >= (int)m_items.size()) return;
        const CLineItem last = m_items[k];
        const CLineItem& ref = m_items[f.reference];
        const double dy = ref.y2 - ref.y1;
        const double s = f.factor > 0 ? 0.5 : -0.5;
        CLineItem leg;
        leg.number = int32_t(m_items.size());
        leg.x1 = last.x2;
        leg.y1 = last.y2;
        leg.x2 = ClampToInt(2 * int64_t(last.x2) - last.x1);
        leg.y2 = ClampToInt(last.y2 + static_cast<int64_t>(dy * f.factor + s));
        leg.placed = leg.begun = 1;
        m_items.push_back(leg);
    }
}

void C3LANGTool::OnMouseUp(CWnd* window) {
    // Only the release of the first leg grows the pattern; a tool that already has its
    // legs (reloaded, or cloned) keeps them.
    if (m_items.size() == 1 && !m_items[0].placed && m_items[0].begun) BuildLegs();
    EndPlace();
    PixelsToData(0);
    ReleaseDrawingDC();
    if (window && window->GetSafeHwnd()) ReleaseCapture();
    SetGlobalDragFlag(0);
}

int C3LANGTool::HitTest(int x, int y) {
    const CRect pane = PaneRect();
    for (int i = 0; i < (int)m_items.size(); ++i) {
        const CLineItem& it = m_items[i];
        if (!it.placed) continue;
        if (i == 0 && SquareHas(pane, it.x1, it.y1, x, y)) return 1;
        if (i == 0 && it.x1 == it.x2 && it.y1 == it.y2) continue;
        if (SquareHas(pane, it.x2, it.y2, x, y)) return 2;
    }
    return HitSegments(x, y) ? 3 : 0;
}

void C3LANGTool::DrawItem(int index, int, int) {
    DrawChainedItem(index);
}

// ---- area ratio ----

void CMJBLTool::AreaLabel(int xa, int ya, int xb, int yb) {
    const CLineItem& first = m_items[0];
    const double base =
        std::abs(double(first.x2 - first.x1) * double(first.y2 - first.y1));
    // A flat or upright first leg has no area to compare with.
    if (base == 0) return;
    const double area = std::abs(double(xb - xa) * double(yb - ya));
    char text[48];
    std::snprintf(text, sizeof text, "%.2f", area / base);
    CRect box(xa, ya, xb, yb);
    box.NormalizeRect();
    m_figure.AddText(text, box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CMJBLTool::DrawItem(int index, int final, int placing) {
    if (index < 0 || index >= (int)m_items.size()) return;
    if (index == 0) {
        C3LANGTool::DrawItem(index, final, placing);
        return;
    }
    const CLineItem& prev = m_items[index - 1];
    const CLineItem& it = m_items[index];
    if (!it.begun) return;
    const int dot = FigureItem::DottedPen;
    if (index == 1) {
        DrawSegment(prev.x2, prev.y2, it.x2, it.y2);
        DrawSegment(prev.x2, it.y2, it.x2, it.y2, dot);
        DrawSegment(prev.x2, prev.y2, prev.x2, it.y2, dot);
        // The box the leg spans, from the first leg's end (where this leg starts).
        if (final) AreaLabel(prev.x2, prev.y2, it.x2, it.y2);
    } else if (index == 2) {
        DrawSegment(prev.x2, prev.y2, it.x2, it.y2);
        DrawSegment(it.x2, prev.y2, it.x2, it.y2, dot);
        DrawSegment(it.x2, prev.y2, prev.x2, prev.y2, dot);
        if (final) AreaLabel(prev.x2, prev.y2, it.x2, it.y2);
    }
}

// ---- wave ruler ----

std::shared_ptr<CRecRgnLines> CBoLangTool::Clone() const {
    return CloneWithoutDrags(*this);
}

void CBoLangTool::DrawItem(int index, int final, int) {
    if (index < 0 || index >= (int)m_items.size()) return;
    const CLineItem& a = m_items[0];
    if (index == 0) {
        DrawSegment(a.x1, a.y1, a.x2, a.y2);
        return;
    }
    const CLineItem& b = m_items[1];
    if (index != 1 || !b.begun) return;
    DrawSegment(a.x2, a.y2, b.x2, b.y2);
    const int X = b.x2, Y = b.y2;
    const CRect pane = PaneRect();
    int v = Y;
    for (uint32_t level : m_levels) {
        v = ClampToInt(int64_t(a.y2 - a.y1) * level / 1000 + Y);
        DrawSegment(X, v, X + 30, v);
        if (final) {
            const double value = m_pOwner ? m_pOwner->YToValue(m_nPaneIndex, m_strChart, v) : 0;
            char text[64];
            std::snprintf(text, sizeof text, "%.01f%%(%.2f)", level / 10.0, value);
            m_figure.AddText(text, CRect(X + 30, pane.top, pane.right, v),
                             DT_SINGLELINE | DT_BOTTOM);
        }
    }
    DrawSegment(X + 15, Y, X + 15, v);
}
