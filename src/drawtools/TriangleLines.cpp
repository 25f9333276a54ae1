#include "drawtools/TriangleLines.h"
#include "drawtools/ToolXml.h"

#include <tinyxml2.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "drawtools/DrawGeometry.h"
#include "platform/Wnd.h"

namespace {

bool SquareHas(const CRect& pane, int cx, int cy, int x, int y) {
    RECT sq{cx - 3, cy - 3, cx + 4, cy + 4};
    return RectTouchesRect(sq, pane) && CRect(sq).PtInRect(CPoint(x, y));
}

}  // namespace

CTriangleLines::CTriangleLines(int itemCount) {
    m_items.resize(itemCount);
    for (int i = 0; i < itemCount; ++i) m_items[i].number = i;
    m_nMultiFlag = 1;
}

void CTriangleLines::CopyItemsTo(CTriangleLines& o) const {
    CopyBaseTo(o);
    o.m_items = m_items;
    o.m_dragRects.clear();
    o.m_nCurItem = m_nCurItem;
}

std::shared_ptr<CRecRgnLines> CTriangleLines::Clone() const {
    auto copy = std::make_shared<CTriangleLines>(0);
    CopyItemsTo(*copy);
    return copy;
}

int CTriangleLines::PlacedCount() const {
    int n = 0;
    for (const CLineItem& it : m_items) n += it.placed != 0;
    return n;
}

void CTriangleLines::OnMouseDown(CWnd* window, int x, int y, int snapKind) {
    if (!m_items.empty() && !m_items[0].placed) {
        SetGlobalDragFlag(1);
        if (window && window->GetSafeHwnd()) window->SetCapture();
        AttachDrawingDC(window);
    }
    BeginPlace(x, y, snapKind);
}

void CTriangleLines::OnMouseUp(CWnd* window) {
    EndPlace();
    if (m_items.empty() || m_items.back().placed) {
        ReleaseDrawingDC();
        if (window && window->GetSafeHwnd()) ReleaseCapture();
        SetGlobalDragFlag(0);
    }
}

bool CTriangleLines::IsComplete() const {
    for (const CLineItem& it : m_items)
        if (!it.placed) return false;
    return true;
}

void CTriangleLines::BeginPlace(int x, int y, int snapKind) {
    for (int i = 0; i < (int)m_items.size(); ++i)
        if (BeginItem(i, x, y, snapKind)) break;
}

void CTriangleLines::DragPlace(int x, int y, int snapKind) {
    for (int i = 0; i < (int)m_items.size(); ++i)
        if (DragItem(i, x, y, snapKind)) break;
}

void CTriangleLines::EndPlace() {
    for (int i = 0; i < (int)m_items.size(); ++i)
        if (EndItem(i)) break;
}

void CTriangleLines::ShowItem(int index) {
    m_nRubberItem = index;
    ShowRubberBand(0, 0);
    m_nRubberItem = -1;
}

int CTriangleLines::BeginItem(int index, int x, int y, int snapKind) {
    if (index < 0 || index >= (int)m_items.size() || m_items[index].placed) return 0;
    CLineItem& it = m_items[index];
    it.x1 = it.x2 = x;
    it.y1 = it.y2 = y;
    it.snap1 = snapKind;
    ItemPixelsToData(index, 1);
    ItemDataToPixels(index, 1);
    it.x2 = it.x1;
    it.y2 = it.y1;
    it.key2 = it.key1;
    it.value2 = it.value1;
    it.begun = 1;
    ShowItem(index);
    return 1;
}

int CTriangleLines::DragItem(int index, int x, int y, int snapKind) {
    if (index < 0 || index >= (int)m_items.size() || m_items[index].placed) return 0;
    CLineItem& it = m_items[index];
    if (!it.begun) return 1;  // moves between clicks before the item's press
    HideRubberBand();
    it.x2 = x;
    it.y2 = y;
    it.snap2 = snapKind;
    ItemPixelsToData(index, 2);
    ItemDataToPixels(index, 2);
    ShowItem(index);
    return 1;
}

int CTriangleLines::EndItem(int index) {
    if (index < 0 || index >= (int)m_items.size() || m_items[index].placed) return 0;
    CLineItem& it = m_items[index];
    if (!it.begun) return 1;
    HideRubberBand();
    m_rcLabel.SetRectEmpty();
    ItemPixelsToData(index, 2);
    ItemDataToPixels(index, 2);
    it.placed = 1;
    return 1;
}

void CTriangleLines::ItemPixelsToData(int index, int which) {
    if (!m_pOwner || index < 0 || index >= (int)m_items.size()) return;
    CLineItem& it = m_items[index];
    auto value = [&](int x, int y, int snap) {
        if (m_nPaneIndex == 0 && snap >= 1) return PriceAtX(snap, x);
        return m_pOwner->YToValue(m_nPaneIndex, m_strChart, y);
    };
    if (which == 0 || which == 1) {
        it.key1 = m_pOwner->GetTimeAtX(it.x1);
        it.value1 = value(it.x1, it.y1, it.snap1);
    }
    if (which == 0 || which == 2) {
        it.key2 = m_pOwner->GetTimeAtX(it.x2);
        it.value2 = value(it.x2, it.y2, it.snap2);
    }
}

void CTriangleLines::ItemDataToPixels(int index, int which) {
    if (!m_pOwner || index < 0 || index >= (int)m_items.size()) return;
    CLineItem& it = m_items[index];
    if (which == 0 || which == 1) {
        it.x1 = m_pOwner->TimeToX(it.key1);
        it.y1 = m_pOwner->ValueToY(m_nPaneIndex, m_strChart, it.value1);
    }
    if (which == 0 || which == 2) {
        it.x2 = m_pOwner->TimeToX(it.key2);
        it.y2 = m_pOwner->ValueToY(m_nPaneIndex, m_strChart, it.value2);
    }
}

void CTriangleLines::PixelsToData(int which) {
    for (int i = 0; i < (int)m_items.size(); ++i)
        if (m_items[i].begun) ItemPixelsToData(i, which);
}

void CTriangleLines::DataToPixels(int which) {
    for (int i = 0; i < (int)m_items.size(); ++i)
        if (m_items[i].begun) ItemDataToPixels(i, which);
}

void CTriangleLines::DrawShape(int final, int placing) {
    m_segments.clear();
    m_segmentItems.clear();
    for (int i = 0; i < (int)m_items.size(); ++i) {
        if (m_nRubberItem >= 0 ? i != m_nRubberItem : !m_items[i].placed) continue;
        const size_t before = m_segments.size() / 2;
        DrawItem(i, final, placing);
        m_segmentItems.resize(m_segments.size() / 2, i);
        (void)before;
    }
}

void CTriangleLines::AppendFigureAnchors(std::vector<int>& anchors) const {
    anchors.push_back(m_nRubberItem);
    for (const CLineItem& it : m_items)
        anchors.insert(anchors.end(), {it.x1, it.y1, it.x2, it.y2, it.placed, it.begun});
}

void CTriangleLines::DrawItem(int index, int final, int placing) {
    if (index == 0) {
        const CLineItem& a = m_items[0];
        DrawSegment(a.x1, a.y1, a.x2, a.y2);
    } else if (index == 1 && m_items[1].begun) {
        const CLineItem& a = m_items[0];
        const CLineItem& c = m_items[1];
        DrawSegment(a.x1, a.y1, c.x2, c.y2);
        DrawSegment(a.x2, a.y2, c.x2, c.y2);
    }
}

void CTriangleLines::PaintHandles(CDC* dc) {
    for (int i = 0; i < (int)m_items.size(); ++i) {
        const CLineItem& it = m_items[i];
        if (!it.placed) continue;
        if (i == 0) {
            InvertHandle(dc, it.x1, it.y1);
            if (it.x1 != it.x2 || it.y1 != it.y2) InvertHandle(dc, it.x2, it.y2);
        } else {
            InvertHandle(dc, it.x2, it.y2);
        }
    }
}

int CTriangleLines::HitTest(int x, int y) {
    const CRect pane = PaneRect();
    for (int i = 0; i < (int)m_items.size(); ++i) {
        const CLineItem& it = m_items[i];
        if (!it.placed) continue;
        if (i != 1 && SquareHas(pane, it.x1, it.y1, x, y)) return 1;
        if (it.x1 == it.x2 && it.y1 == it.y2) continue;
        if (SquareHas(pane, it.x2, it.y2, x, y)) return 2;
    }
    return HitSegments(x, y) ? 3 : 0;
}

CRect CTriangleLines::GetAnchorRect(int x, int y) {
    m_nCurItem = -1;
    m_dragRects.clear();
    for (const CLineItem& it : m_items) m_dragRects.emplace_back(it.x1, it.y1, it.x2, it.y2);
    // A handle names its own item; otherwise the nearest drawn line does. (Tools with
    // more than two items would otherwise only ever move their first two.)
    const CRect pane = PaneRect();
    for (int i = 0; i < (int)m_items.size() && m_nCurItem < 0; ++i) {
        const CLineItem& it = m_items[i];
        if (!it.placed) continue;
        if ((i != 1 && SquareHas(pane, it.x1, it.y1, x, y)) ||
            ((it.x1 != it.x2 || it.y1 != it.y2) && SquareHas(pane, it.x2, it.y2, x, y)))
            m_nCurItem = i;
    }
    if (m_nCurItem < 0) {
        double best = kPickTolerance;
        for (size_t k = 0; k < m_segmentItems.size() && 2 * k + 1 < m_segments.size(); ++k) {
            const CPoint& a = m_segments[2 * k];
            const CPoint& b = m_segments[2 * k + 1];
            const double d = SegmentDistance(a.x, a.y, b.x, b.y, x, y);
            if (d <= best) {
                best = d;
                m_nCurItem = m_segmentItems[k];
            }
        }
    }
    if (m_nCurItem < 0) return CRect();
    return m_dragRects[m_nCurItem];
}

int CTriangleLines::SetAnchor(int x, int y, int which, int, int, int, int, int dx, int dy) {
    if (which == 1 || which == 2) {
        if (m_nCurItem < 0 || m_nCurItem >= (int)m_items.size()) return 1;
        CLineItem& it = m_items[m_nCurItem];
        if (which == 1) {
            it.x1 = x;
            it.y1 = y;
        } else {
            it.x2 = x;
            it.y2 = y;
        }
        return 1;
    }
    for (size_t i = 0; i < m_items.size() && i < m_dragRects.size(); ++i) {
        CLineItem& it = m_items[i];
        it.x1 = m_dragRects[i].left + dx;
        it.y1 = m_dragRects[i].top + dy;
        it.x2 = m_dragRects[i].right + dx;
        it.y2 = m_dragRects[i].bottom + dy;
    }
    return 1;
}

void CTriangleLines::SetSnapKind(int which, int kind) {
    if (which == 1 || which == 2) {
        if (m_nCurItem < 0 || m_nCurItem >= (int)m_items.size()) return;
        (which == 1 ? m_items[m_nCurItem].snap1 : m_items[m_nCurItem].snap2) = kind;
        return;
    }
    for (CLineItem& it : m_items) it.snap1 = it.snap2 = 0;
}

int CTriangleLines::loadFromXml(const tinyxml2::XMLElement* e) {
    CRecRgnLines::loadFromXml(e);
    int flag = 0;
    if (e && e->QueryIntAttribute("TriangleType", &flag) == tinyxml2::XML_SUCCESS)
        m_nMultiFlag = flag;
    m_items.clear();
    for (const tinyxml2::XMLElement* c = e ? e->FirstChildElement("element") : nullptr; c;
         c = c->NextSiblingElement("element")) {
        CLineItem it;
        ToolAttrReader a(c);
        it.key1 = a.Key("lLeft");
        it.key2 = a.Key("lRight");
        it.value1 = a.Number("fTop");
        it.value2 = a.Number("fBottom");
        it.spare1 = a.Number("fTopBL");
        it.spare2 = a.Number("fBottomBL");
        it.placed = it.begun = 1;
        m_items.push_back(it);
        if (m_items.size() >= (size_t)CPolygonLines::kMaxItems) break;
    }
    return 1;
}

int CTriangleLines::saveToXml(ToolXmlOut e) const {
    if (!e) return 1;
    CRecRgnLines::saveToXml(e);
    e.Int("TriangleType", m_nMultiFlag);
    for (const CLineItem& it : m_items) {
        if (!it.placed) continue;  // an unfinished item has no data yet
        ToolXmlOut c = e.Child("element");
        c.Key("lLeft", it.key1);
        c.Key("lRight", it.key2);
        c.Fixed3("fTop", it.value1);
        c.Fixed3("fBottom", it.value2);
        c.Text("fTopBL", "0.000");
        c.Text("fBottomBL", "0.000");
    }
    return 1;
}

// ---- CPolygonLines ----

CPolygonLines::CPolygonLines() : CTriangleLines(kMaxItems) {}

std::shared_ptr<CRecRgnLines> CPolygonLines::Clone() const {
    auto copy = std::make_shared<CPolygonLines>();
    CopyItemsTo(*copy);
    return copy;
}

void CTriangleLines::DrawChainedItem(int index) {
    if (index < 0 || index >= (int)m_items.size()) return;
    const CLineItem& it = m_items[index];
    if (index == 0) {
        DrawSegment(it.x1, it.y1, it.x2, it.y2);
    } else if (it.begun) {
        const CLineItem& prev = m_items[index - 1];
        DrawSegment(prev.x2, prev.y2, it.x2, it.y2);
    }
}

void CPolygonLines::DrawItem(int index, int, int) {
    DrawChainedItem(index);
}

int CPolygonLines::FinishPolyline() {
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (!m_items[i].placed) {
            m_items.resize(i);
            break;
        }
    }
    return 1;
}

// ---- CHorizontalMoveAssistor ----

void CHorizontalMoveAssistor::BeginPlace(int x, int y, int) {
    // Raw pixels: the drag measures how far the mouse went while the chart scrolls under
    // it, so the anchors must not follow the bars.
    x1 = x2 = x;
    y1 = y2 = y;
}

void CHorizontalMoveAssistor::DragPlace(int x, int y, int) {
    x2 = x;
    y2 = y;
}

std::shared_ptr<CRecRgnLines> CHorizontalMoveAssistor::Clone() const {
    auto copy = std::make_shared<CHorizontalMoveAssistor>();
    CopyBaseTo(*copy);
    copy->m_nStartIndex = m_nStartIndex;
    copy->m_fStartOffset = m_fStartOffset;
    return copy;
}
