#include "ui/layout/LayoutCutter.h"

#include <algorithm>

#include "platform/SkinMenu.h"
#include "ui/element/ElementEnv.h"
#include "ui/element/ElementHost.h"
#include "ui/layout/LayoutManager.h"

namespace {
UINT g_nextCutterId = 10000;
constexpr int kGap = 10;
}  // namespace

CLayoutCutter::CLayoutCutter(CElementHost* holder, CLayoutManager* node)
    : m_pHolder(holder), m_pNode(node) {}

CLayoutCutter::~CLayoutCutter() {
    if (m_bDragging && GetCapture() == this) ReleaseCapture();
    if (m_hWnd) DestroyWindow();
}

UINT CLayoutCutter::PeekNextControlId() {
    return g_nextCutterId;
}

BOOL CLayoutCutter::Init(int orientation) {
    m_bVertical = orientation != 0;
    CWnd* parent = m_pHolder ? m_pHolder->GetHostWnd() : nullptr;
    if (!parent) return FALSE;
    return CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), parent,
                    g_nextCutterId++);
}

int CLayoutCutter::OnCreate(LPCREATESTRUCT cs) {
    SetBackgroundColor(ElementColour(CommonColor::uniBackGround));
    return CWnd::OnCreate(cs);
}

int CLayoutCutter::GetGap() const {
    return ((m_nStyleEx & 1) || m_nSplitCtrl == 0) ? 0 : kGap;
}

int CLayoutCutter::DragExtent() const {
    return std::max(CutterSize(), GetGap());
}

HCURSOR CLayoutCutter::ResizeCursor() const {
    return CommonCursor(m_bVertical ? 1 : 0);
}

void CLayoutCutter::MarkModified() {
    if (m_pHolder) m_pHolder->SetLayoutModified();
}

void CLayoutCutter::RecalcButtons() {
    m_rcButton1.SetRectEmpty();
    m_rcButton2.SetRectEmpty();
    if (m_nSplitCtrl == 0) return;
    // Work in (along, across) for a vertical bar; a horizontal one swaps the axes.
    const int length = m_bVertical ? m_rcClient.Height() : m_rcClient.Width();
    const int thickness = m_bVertical ? m_rcClient.Width() : m_rcClient.Height();
    const int half = length / 2;
    auto make = [&](int from, int to) {
        return m_bVertical ? CRect(0, from, thickness, to) : CRect(from, 0, to, thickness);
    };
    if (m_nSplitCtrl == 3 && m_nHiddenSide == 0) {
        const int m = std::min(half, 50);
        m_rcButton1 = make(half - m, half);
        m_rcButton2 = make(half, half + m);
        return;
    }
    const int h = std::min(half, 25);
    if (((m_nSplitCtrl & 1) && m_nHiddenSide != 1) || m_nHiddenSide == 2)
        m_rcButton1 = make(half - h, half + h);
    else if ((m_nSplitCtrl & 2) || m_nHiddenSide == 1)
        m_rcButton2 = make(half - h, half + h);
}

void CLayoutCutter::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    m_rcClient = CRect(0, 0, cx, cy);
    RecalcButtons();
}

void CLayoutCutter::DrawArrow(CDC* dc, const CRect& button, int direction, bool hot) {
    // direction: 0 left, 1 right, 2 up, 3 down; the first line is the one-pixel tip.
    const int n = hot ? 5 : 4;
    const int k = n / 2;
    const COLORREF c =
        ElementColour(hot ? CommonColor::uniSplitter_Active_Arrow : CommonColor::uniSplitter_Arrow);
    const int cx = (button.left + button.right) / 2;
    const int cy = (button.top + button.bottom) / 2;
    for (int i = 0; i < n; ++i) {
        const int len = 2 * i + 1;
        switch (direction) {
            case 2: dc->FillSolidRect(cx - i, cy - k + i, len, 1, c); break;
            case 3: dc->FillSolidRect(cx - i, cy + k - i, len, 1, c); break;
            case 0: dc->FillSolidRect(cx - k + i, cy - i, 1, len, c); break;
            default: dc->FillSolidRect(cx + k - i, cy - i, 1, len, c); break;
        }
    }
}

void CLayoutCutter::Draw(CDC* dc) {
    dc->FillSolidRect(&m_rcClient, ElementColour(CommonColor::uniBackGround));
    // A hidden bar shows as a plain one-pixel divider, so the panes it overlaps keep a
    // clean edge between them.
    if (m_nSplitCtrl == 0 || (m_nStyleEx & 1)) {
        const COLORREF line = ElementColour(CommonColor::uniWnd_Border);
        if (m_bVertical)
            dc->FillSolidRect(m_rcClient.Width() / 2, 0, 1, m_rcClient.Height(), line);
        else
            dc->FillSolidRect(0, m_rcClient.Height() / 2, m_rcClient.Width(), 1, line);
        return;
    }
    for (int b = 1; b <= 2; ++b) {
        const CRect& r = b == 1 ? m_rcButton1 : m_rcButton2;
        if (r.IsRectEmpty()) continue;
        const bool hot = m_nHotButton == b;
        dc->FillSolidRect(&r, ElementColour(hot ? CommonColor::uniSplitter_Active
                                                : CommonColor::uniSplitter_Back));
        int dir = m_bVertical ? (b == 1 ? 0 : 1) : (b == 1 ? 2 : 3);
        DrawArrow(dc, r, dir, hot);
    }
}

void CLayoutCutter::OnPaint() {
    CPaintDC dc(this);
    Draw(&dc);
}

void CLayoutCutter::OnLButtonDown(UINT flags, CPoint pt) {
    if (m_nHotButton != 0 || m_nHiddenSide != 0) return;
    if (m_pHolder && m_pHolder->IsThinSplitter()) return;
    if (!m_pNode) return;
    const int size = m_bVertical ? m_pNode->m_rect.Width() : m_pNode->m_rect.Height();
    if (size < GetGap()) return;
    CWnd* holder = m_pHolder->GetHostWnd();
    SetCapture();
    m_bDragging = 1;
    ElementDragFlag() = 1;
    GetWindowRect(&m_rcDrag);
    holder->ScreenToClient(&m_rcDrag);
    m_ptGrab = pt;
    SetCursor(ResizeCursor());
}

void CLayoutCutter::OnMouseMove(UINT flags, CPoint pt) {
    if (m_bDragging && m_pNode && m_pHolder) {
        CPoint p = pt;
        ClientToScreen(&p);
        m_pHolder->GetHostWnd()->ScreenToClient(&p);
        const int d = DragExtent();
        const CRect& node = m_pNode->m_rect;
        if (m_bVertical) {
            if (p.x > node.left && p.x < node.right) {
                int left = std::clamp(p.x - m_ptGrab.x, (int)node.left, (int)node.right - d);
                m_rcDrag.left = left;
                m_rcDrag.right = left + d;
                MoveWindow(left, m_rcDrag.top, d, m_rcDrag.Height());
                RedrawWindow();
            }
        } else {
            if (p.y > node.top && p.y < node.bottom) {
                int top = std::clamp(p.y - m_ptGrab.y, (int)node.top, (int)node.bottom - d);
                m_rcDrag.top = top;
                m_rcDrag.bottom = top + d;
                MoveWindow(m_rcDrag.left, top, m_rcDrag.Width(), d);
                RedrawWindow();
            }
        }
    }
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = m_hWnd;
    TrackMouseEvent(&tme);
    bool overButton = false;
    if (m_nStyleEx == 0) {
        BYTE hot = m_rcButton1.PtInRect(pt) ? 1 : m_rcButton2.PtInRect(pt) ? 2 : 0;
        overButton = hot != 0;
        if (hot != m_nHotButton) {
            m_nHotButton = hot;
            RedrawWindow();
        }
    }
    if (overButton)
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
    else if (!(m_pHolder && m_pHolder->IsThinSplitter()))
        SetCursor(ResizeCursor());
}

void CLayoutCutter::OnLButtonUp(UINT flags, CPoint pt) {
    if (m_bDragging) {
        ReleaseCapture();
        m_bDragging = 0;
        ElementDragFlag() = 0;
        const int d = DragExtent();
        if (m_bVertical)
            m_rcDrag.right = m_rcDrag.left + d;
        else
            m_rcDrag.bottom = m_rcDrag.top + d;
        if (m_pNode) m_pNode->MoveSplitter(m_rcDrag);
        MarkModified();
        RedrawWindow();
    } else if (m_nStyleEx != 1) {
        if (m_rcButton1.PtInRect(pt))
            ToggleHideSide(0);
        else if (m_rcButton2.PtInRect(pt))
            ToggleHideSide(1);
    }
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void CLayoutCutter::OnMouseLeave() {
    if (m_nHotButton != 0) {
        m_nHotButton = 0;
        RedrawWindow();
    }
}

BOOL CLayoutCutter::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
    if (m_nHotButton == 0 && !(m_pHolder && m_pHolder->IsThinSplitter())) {
        SetCursor(ResizeCursor());
        return TRUE;
    }
    return CWnd::OnSetCursor(wnd, hitTest, message);
}

void CLayoutCutter::OnRButtonUp(UINT flags, CPoint pt) {
    if (ElementDragFlag()) return;
    CSkinMenu menu;
    if (!menu.CreatePopupMenu()) return;
    const bool hidden = (m_nStyleEx & 1) != 0;
    menu.AppendMenu(MF_STRING | (hidden ? MF_CHECKED : 0), ID_CUTTER_HIDE_BAR, "隐藏分割条");
    if (!hidden) {
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING | ((m_nSplitCtrl & 1) ? MF_CHECKED : 0), ID_CUTTER_ALLOW_FIRST,
                        m_bVertical ? "允许隐藏左边" : "允许隐藏上方");
        menu.AppendMenu(MF_STRING | ((m_nSplitCtrl & 2) ? MF_CHECKED : 0), ID_CUTTER_ALLOW_SECOND,
                        m_bVertical ? "允许隐藏右边" : "允许隐藏下方");
    }
    ClientToScreen(&pt);
    UINT id = menu.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, pt.x, pt.y, this);
    if (id) HandleCommand(id);
}

BOOL CLayoutCutter::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HandleCommand(LOWORD(wParam))) return TRUE;
    return CWnd::OnCommand(wParam, lParam);
}

bool CLayoutCutter::HandleCommand(UINT id) {
    auto relayout = [this] {
        if (m_pNode) m_pNode->Recalc(m_pNode->m_rect);
        RecalcButtons();
        RedrawWindow();
    };
    switch (id) {
        case ID_CUTTER_ALLOW_FIRST:
        case ID_CUTTER_ALLOW_SECOND: {
            const BYTE old = m_nSplitCtrl;
            m_nSplitCtrl ^= id == ID_CUTTER_ALLOW_FIRST ? 1 : 2;
            if (old != 0 && m_nSplitCtrl != 0) {
                RecalcButtons();
                RedrawWindow();
            } else {
                relayout();
            }
            break;
        }
        case ID_CUTTER_HIDE_BAR:
            m_nStyleEx = m_nStyleEx == 0 ? 1 : 0;
            relayout();
            break;
        default:
            return false;
    }
    MarkModified();
    return true;
}

void CLayoutCutter::ToggleHideSide(int side) {
    if (side == 0)
        m_nHiddenSide = m_nHiddenSide == 0 ? 1 : 0;
    else
        m_nHiddenSide = m_nHiddenSide == 0 ? 2 : 0;
    if (m_pNode) m_pNode->Recalc(m_pNode->m_rect);
    RecalcButtons();
    RedrawWindow();
    MarkModified();
}

LRESULT CLayoutCutter::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_MEASUREITEM) {
        CSkinMenu::OnMeasureItem(GetCurrentMessage());
    } else if (msg == WM_INITMENUPOPUP) {
        CSkinMenu::OnInitMenuPopup(this, CMenu::FromHandle((HMENU)wParam), LOWORD(lParam),
                                   HIWORD(lParam));
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

// ---- CSplitBar ----

namespace {
CPen g_splitPen;
CPen* g_oldPen = nullptr;
CBrush* g_oldBrush = nullptr;
}  // namespace

CSplitBar::CSplitBar() = default;

CSplitBar::~CSplitBar() {
    if (m_pDC) EndDrag(m_pWnd);
}

void CSplitBar::BeginDrag(CWnd* wnd, int x, int y) {
    if (!wnd || m_pDC) return;
    ElementDragFlag() = 1;
    m_pWnd = wnd;
    wnd->SetCapture();
    m_pDC = new CClientDC(wnd);
    m_pDC->SetBkMode(TRANSPARENT);
    ShowLine(x, y);
}

BOOL CSplitBar::Track(int x, int y) {
    if (!m_pDC || !m_rcBounds.PtInRect(CPoint(x, y))) return FALSE;
    MoveLine(x, y);
    return TRUE;
}

void CSplitBar::EndDrag(CWnd* wnd) {
    if (!m_pDC) return;
    HideLine();
    delete m_pDC;
    m_pDC = nullptr;
    m_pWnd = nullptr;
    ReleaseCapture();
    ElementDragFlag() = 0;
}

void CSplitBar::DrawLine(CDC* dc) {
    if (m_nOrientation == 1) {
        dc->MoveTo(m_x1, m_nPos);
        dc->LineTo(m_x2, m_nPos);
    } else {
        dc->MoveTo(m_nPos, m_y1);
        dc->LineTo(m_nPos, m_y2);
    }
}

void CSplitBar::DrawXor() {
    // XOR with the pen's colour when the common switch asks for it; otherwise the
    // inverted pixels, which also vanish when drawn twice.
    m_pDC->SetROP2(ElementXorFlag() ? R2_XORPEN : R2_NOT);
    DrawLine(m_pDC);
    m_pDC->SetROP2(R2_COPYPEN);
}

void CSplitBar::ShowLine(int x, int y) {
    if (!m_pDC) return;
    g_splitPen.DeleteObject();
    g_splitPen.CreatePen(PS_SOLID, m_nPenWidth, ElementColour(CommonColor::uniWnd_Border));
    g_oldPen = m_pDC->SelectObject(&g_splitPen);
    g_oldBrush = (CBrush*)m_pDC->SelectStockObject(NULL_BRUSH);
    m_nPos = m_nOrientation == 1 ? y : x;
    DrawXor();
}

void CSplitBar::MoveLine(int x, int y) {
    if (!m_pDC) return;
    DrawXor();
    m_nPos = m_nOrientation == 1 ? y : x;
    DrawXor();
}

void CSplitBar::HideLine() {
    if (!m_pDC) return;
    DrawXor();
    if (g_oldPen) m_pDC->SelectObject(g_oldPen);
    if (g_oldBrush) m_pDC->SelectObject(g_oldBrush);
    g_oldPen = nullptr;
    g_oldBrush = nullptr;
    g_splitPen.DeleteObject();
}

BOOL CSplitBar::HitTest(int x, int y) const {
    if (m_nOrientation == 1)
        return x >= m_rcBounds.left && x <= m_rcBounds.right && y >= m_nPos &&
               y <= m_nPos + m_nPenWidth + 1;
    return x >= m_nPos - 3 && x <= m_nPos + 3 && y >= m_rcBounds.top && y <= m_rcBounds.bottom;
}

HCURSOR CSplitBar::GetCursor() const {
    return CommonCursor(m_nOrientation == 1 ? 0 : 1);
}
