#include "windowless/Container.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "windowless/Render.h"
#include "windowless/ScrollBar.h"

namespace WinlessUI {
CContainerUI::~CContainerUI() {
    m_bDelayedDestroy = false;
    RemoveAll();
    delete m_pVerticalScrollBar;
    delete m_pHorizontalScrollBar;
}

void* CContainerUI::GetInterface(const char* name) {
    if (strcmp(name, "IContainer") == 0) return static_cast<IContainerUI*>(this);
    if (strcmp(name, "Container") == 0) return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    return static_cast<CControlUI*>(m_items.GetAt(index));
}
int CContainerUI::GetItemIndex(CControlUI* control) const {
    return m_items.Find(control);
}
bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    int at = m_items.Find(control);
    if (at < 0) return false;
    RequestLayout();
    m_items.Remove(at);
    return m_items.InsertAt(index, control);
}

bool CContainerUI::Add(CControlUI* control) {
    return AddAt(control, m_items.GetSize());
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (control == nullptr || index < 0 || index > m_items.GetSize()) return false;
    if (m_pManager != nullptr) m_pManager->InitControlTree(control, this);
    if (IsVisible()) RequestLayout();
    else control->SetShownByParent(false);
    return m_items.InsertAt(index, control);
}

void CContainerUI::Dispose(CControlUI* control) {
    if (!m_bAutoDestroy) return;
    if (m_bDelayedDestroy && m_pManager != nullptr) m_pManager->QueueControlDeletion(control);
    else delete control;
}

bool CContainerUI::Remove(CControlUI* control) {
    if (control == nullptr) return false;
    int at = m_items.Find(control);
    if (at < 0) return false;
    RequestLayout();
    m_items.Remove(at);
    Dispose(control);
    return true;
}
bool CContainerUI::RemoveAt(int index) {
    return Remove(ChildAt(index));
}
void CContainerUI::RemoveAll() {
    CUIPtrArray items = m_items;
    m_items.Empty();
    for (int i = 0; i < items.GetSize(); i++) Dispose(static_cast<CControlUI*>(items[i]));
    RequestLayout();
}

void CContainerUI::BindManager(CUIPaintManager* manager, CControlUI* parent, bool init) {
    for (int i = 0; i < m_items.GetSize(); i++) ChildAt(i)->BindManager(manager, this, init);
    if (m_pVerticalScrollBar) m_pVerticalScrollBar->BindManager(manager, this, init);
    if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->BindManager(manager, this, init);
    CControlUI::BindManager(manager, parent, init);
}

void CContainerUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    CControlUI::SetVisible(visible);
    for (int i = 0; i < m_items.GetSize(); i++) ChildAt(i)->SetShownByParent(IsVisible());
}
void CContainerUI::SetShownByParent(bool visible) {
    CControlUI::SetShownByParent(visible);
    for (int i = 0; i < m_items.GetSize(); i++) ChildAt(i)->SetShownByParent(IsVisible());
}
void CContainerUI::SetEnabled(bool enable) {
    if (m_bEnabled == enable) return;
    m_bEnabled = enable;
    for (int i = 0; i < m_items.GetSize(); i++) ChildAt(i)->SetEnabled(enable);
    Invalidate();
}
void CContainerUI::SetMouseEnabled(bool enable) {
    if (m_pVerticalScrollBar) m_pVerticalScrollBar->SetMouseEnabled(enable);
    if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->SetMouseEnabled(enable);
    CControlUI::SetMouseEnabled(enable);
}

void CContainerUI::SetInset(RECT rc) {
    m_rcInset = rc;
    RequestLayout();
}
void CContainerUI::SetChildPadding(int padding) {
    m_iChildPadding = padding;
    RequestLayout();
}

RECT CContainerUI::InnerRect() const {
    RECT rc{m_rcItem.left + m_rcInset.left, m_rcItem.top + m_rcInset.top, m_rcItem.right - m_rcInset.right,
            m_rcItem.bottom - m_rcInset.bottom};
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible())
        rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    return rc;
}

void CContainerUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    if (m_items.IsEmpty()) return;
    RECT inner{m_rcItem.left + m_rcInset.left, m_rcItem.top + m_rcInset.top, m_rcItem.right - m_rcInset.right,
               m_rcItem.bottom - m_rcInset.bottom};
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* c = ChildAt(i);
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) PlaceFloatingChild(i);
        else c->SetPos(inner);
    }
}

void CContainerUI::PlaceFloatingChild(int index) {
    CControlUI* c = ChildAt(index);
    if (c == nullptr || !c->IsVisible() || !c->IsFloat()) return;
    SIZE xy = c->GetFloatOffset();
    int w = c->GetFixedWidth(), h = c->GetFixedHeight();
    const RECT& R = m_rcItem;
    RECT rc;
    rc.left = xy.cx < 0 ? R.right + xy.cx - w : R.left + xy.cx;
    rc.right = rc.left + w;
    rc.top = xy.cy < 0 ? R.bottom + xy.cy - h : R.top + xy.cy;
    rc.bottom = rc.top + h;
    RelativePosUI rel = c->GetRelativeMove();
    if (rel.bRelative) {
        int W = R.right - R.left, H = R.bottom - R.top;
        if (rel.szParent.cx != 0) {
            int dw = W - rel.szParent.cx, dh = H - rel.szParent.cy;
            rc.left += dw * rel.nMoveXPercent / 100;
            rc.top += dh * rel.nMoveYPercent / 100;
            rc.right = rc.left + w + dw * rel.nZoomXPercent / 100;
            rc.bottom = rc.top + h + dh * rel.nZoomYPercent / 100;
        }
        c->SetRelativeBaseSize(SIZE{W, H});
    }
    c->SetPos(rc);
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC proc, void* data, UINT flags) {
    if ((flags & UIFIND_VISIBLE) != 0 && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) != 0 && !IsEnabled()) return nullptr;
    if ((flags & UIFIND_HITTEST) != 0) {
        if (!PtInRect(m_rcItem, *static_cast<POINT*>(data))) return nullptr;
        if (!m_bMouseChildEnabled) {
            CControlUI* r = nullptr;
            if (m_pVerticalScrollBar) r = m_pVerticalScrollBar->FindControl(proc, data, flags);
            if (r == nullptr && m_pHorizontalScrollBar) r = m_pHorizontalScrollBar->FindControl(proc, data, flags);
            if (r == nullptr) r = CControlUI::FindControl(proc, data, flags);
            return r;
        }
    }
    CControlUI* r = nullptr;
    if (m_pVerticalScrollBar) r = m_pVerticalScrollBar->FindControl(proc, data, flags);
    if (r == nullptr && m_pHorizontalScrollBar) r = m_pHorizontalScrollBar->FindControl(proc, data, flags);
    if (r != nullptr) return r;
    if ((flags & UIFIND_ME_FIRST) != 0) {
        r = CControlUI::FindControl(proc, data, flags);
        if (r != nullptr) return r;
    }
    RECT inner = InnerRect();
    const int n = m_items.GetSize();
    for (int k = 0; k < n; ++k) {
        int i = (flags & UIFIND_TOP_FIRST) ? n - 1 - k : k;
        CControlUI* c = ChildAt(i);
        CControlUI* found = c->FindControl(proc, data, flags);
        if (found == nullptr) continue;
        if ((flags & UIFIND_HITTEST) == 0 || found->IsFloat() || PtInRect(inner, *static_cast<POINT*>(data)))
            return found;
    }
    if ((flags & UIFIND_ME_FIRST) == 0) return CControlUI::FindControl(proc, data, flags);
    return nullptr;
}

void CContainerUI::PaintControl(CDC* dc, const RECT& rcPaint) {
    RECT rcTemp;
    if (!IntersectRect(&rcTemp, rcPaint, m_rcItem)) return;
    CRenderClip clip;
    CRenderClip::GenerateClip(dc, rcTemp, clip);
    CControlUI::PaintControl(dc, rcPaint);
    if (!m_items.IsEmpty()) {
        RECT inner = InnerRect();
        RECT rcInnerPaint;
        if (IntersectRect(&rcInnerPaint, rcPaint, inner)) {
            CRenderClip childClip;
            CRenderClip::GenerateClip(dc, rcInnerPaint, childClip);
            for (int i = 0; i < m_items.GetSize(); i++) {
                CControlUI* c = ChildAt(i);
                if (!c->IsVisible()) continue;
                if (!IntersectRect(&rcTemp, rcPaint, c->GetPos())) continue;
                if (c->IsFloat()) {
                    if (!IntersectRect(&rcTemp, m_rcItem, c->GetPos())) continue;
                    CRenderClip::UseOldClipBegin(dc, childClip);
                    c->PaintControl(dc, rcPaint);
                    CRenderClip::UseOldClipEnd(dc, childClip);
                } else {
                    if (!IntersectRect(&rcTemp, inner, c->GetPos())) continue;
                    c->PaintControl(dc, rcPaint);
                }
            }
        } else {
            for (int i = 0; i < m_items.GetSize(); i++) {
                CControlUI* c = ChildAt(i);
                if (!c->IsVisible() || !c->IsFloat()) continue;
                if (!IntersectRect(&rcTemp, rcPaint, c->GetPos())) continue;
                if (!IntersectRect(&rcTemp, m_rcItem, c->GetPos())) continue;
                c->PaintControl(dc, rcPaint);
            }
        }
    }
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible() &&
        IntersectRect(&rcTemp, rcPaint, m_pVerticalScrollBar->GetPos()))
        m_pVerticalScrollBar->PaintControl(dc, rcPaint);
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible() &&
        IntersectRect(&rcTemp, rcPaint, m_pHorizontalScrollBar->GetPos()))
        m_pHorizontalScrollBar->PaintControl(dc, rcPaint);
}

void CContainerUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pParent != nullptr) m_pParent->HandleEvent(event);
        else CControlUI::HandleEvent(event);
        return;
    }
    if (event.Type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        return;
    }
    if (event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        return;
    }
    auto handled = [&](bool vertical) {
        if (event.Type == UIEVENT_KEYDOWN) {
            switch (event.chKey) {
                case VK_PRIOR: vertical ? PageUp() : PageLeft(); return true;
                case VK_NEXT: vertical ? PageDown() : PageRight(); return true;
                case VK_END: vertical ? ScrollToBottom() : ScrollToRightEnd(); return true;
                case VK_HOME: vertical ? ScrollToTop() : ScrollToLeftEnd(); return true;
                case VK_UP: vertical ? LineUp() : LineLeft(); return true;
                case VK_DOWN: vertical ? LineDown() : LineRight(); return true;
                default: return false;
            }
        }
        if (event.Type == UIEVENT_SCROLLWHEEL) {
            if (event.wParam == 0) vertical ? LineUp() : LineLeft();
            else vertical ? LineDown() : LineRight();
            return true;
        }
        return false;
    };
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible() && m_pVerticalScrollBar->IsEnabled()) {
        if (handled(true)) return;
    } else if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible() && m_pHorizontalScrollBar->IsEnabled()) {
        if (handled(false)) return;
    }
    CControlUI::HandleEvent(event);
}

void CContainerUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "inset") == 0) SetInset(ParseRect(value));
    else if (strcmp(name, "mousechild") == 0) SetChildrenMouseEnabled(ParseBool(value));
    else if (strcmp(name, "vscrollbar") == 0) EnableScrollBar(ParseBool(value), m_pHorizontalScrollBar != nullptr);
    else if (strcmp(name, "vscrollbarstyle") == 0) {
        EnableScrollBar(true, m_pHorizontalScrollBar != nullptr);
        if (m_pVerticalScrollBar) m_pVerticalScrollBar->ApplyAttributeText(value);
    } else if (strcmp(name, "hscrollbar") == 0) EnableScrollBar(m_pVerticalScrollBar != nullptr, ParseBool(value));
    else if (strcmp(name, "hscrollbarstyle") == 0) {
        EnableScrollBar(m_pVerticalScrollBar != nullptr, true);
        if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->ApplyAttributeText(value);
    } else if (strcmp(name, "childpadding") == 0) SetChildPadding(atoi(value));
    else if (strcmp(name, "scrollstepsize") == 0) SetScrollStepSize(atoi(value));
    else CControlUI::SetAttribute(name, value);
}

int CContainerUI::FindSelectable(int index, bool forward) const {
    if (m_items.IsEmpty()) return -1;
    index = std::clamp(index, 0, m_items.GetSize() - 1);
    auto ok = [&](int i) {
        CControlUI* c = ChildAt(i);
        return c->GetInterface("ListItem") != nullptr && c->IsVisible() && c->IsEnabled();
    };
    if (forward) {
        for (int i = index; i < m_items.GetSize(); i++)
            if (ok(i)) return i;
        return -1;
    }
    for (int i = index; i >= 0; --i)
        if (ok(i)) return i;
    return FindSelectable(0, true);
}

SIZE CContainerUI::GetScrollPos() const {
    SIZE sz{0, 0};
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) sz.cy = m_pVerticalScrollBar->GetScrollPos();
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) sz.cx = m_pHorizontalScrollBar->GetScrollPos();
    return sz;
}
SIZE CContainerUI::GetScrollRange() const {
    SIZE sz{0, 0};
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) sz.cy = m_pVerticalScrollBar->GetScrollRange();
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible())
        sz.cx = m_pHorizontalScrollBar->GetScrollRange();
    return sz;
}

void CContainerUI::SetScrollPos(SIZE pos) {
    int dx = 0, dy = 0;
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
        int old = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(pos.cy);
        dy = m_pVerticalScrollBar->GetScrollPos() - old;
    }
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        int old = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(pos.cx);
        dx = m_pHorizontalScrollBar->GetScrollPos() - old;
    }
    if (dx == 0 && dy == 0) return;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* c = ChildAt(i);
        if (!c->IsVisible() || c->IsFloat()) continue;
        RECT rc = c->GetPos();
        rc.left -= dx, rc.right -= dx, rc.top -= dy, rc.bottom -= dy;
        c->SetPos(rc);
    }
    Invalidate();
}

void CContainerUI::LineUp() {
    int step = m_nScrollStepSize;
    if (step == 0) step = m_pManager ? m_pManager->GetDefaultFontInfo()->tm.tmHeight + 8 : 8;
    SIZE sz = GetScrollPos();
    sz.cy -= step;
    SetScrollPos(sz);
}
void CContainerUI::LineDown() {
    int step = m_nScrollStepSize;
    if (step == 0) step = m_pManager ? m_pManager->GetDefaultFontInfo()->tm.tmHeight + 8 : 8;
    SIZE sz = GetScrollPos();
    sz.cy += step;
    SetScrollPos(sz);
}
static int PageHeight(const CContainerUI* c, const RECT& item, const RECT& inset) {
    int h = item.bottom - item.top - inset.top - inset.bottom;
    if (c->GetHorizontalScrollBar() && c->GetHorizontalScrollBar()->IsVisible())
        h -= c->GetHorizontalScrollBar()->GetFixedHeight();
    return h;
}
static int PageWidth(const CContainerUI* c, const RECT& item, const RECT& inset) {
    int w = item.right - item.left - inset.left - inset.right;
    if (c->GetVerticalScrollBar() && c->GetVerticalScrollBar()->IsVisible())
        w -= c->GetVerticalScrollBar()->GetFixedWidth();
    return w;
}
void CContainerUI::PageUp() {
    SIZE sz = GetScrollPos();
    sz.cy -= PageHeight(this, m_rcItem, m_rcInset);
    SetScrollPos(sz);
}
void CContainerUI::PageDown() {
    SIZE sz = GetScrollPos();
    sz.cy += PageHeight(this, m_rcItem, m_rcInset);
    SetScrollPos(sz);
}
void CContainerUI::ScrollToTop() {
    SIZE sz = GetScrollPos();
    sz.cy = 0;
    SetScrollPos(sz);
}
void CContainerUI::ScrollToBottom() {
    SIZE sz = GetScrollPos();
    sz.cy = GetScrollRange().cy;
    SetScrollPos(sz);
}
void CContainerUI::LineLeft() {
    SIZE sz = GetScrollPos();
    sz.cx -= m_nScrollStepSize ? m_nScrollStepSize : 8;
    SetScrollPos(sz);
}
void CContainerUI::LineRight() {
    SIZE sz = GetScrollPos();
    sz.cx += m_nScrollStepSize ? m_nScrollStepSize : 8;
    SetScrollPos(sz);
}
void CContainerUI::PageLeft() {
    SIZE sz = GetScrollPos();
    sz.cx -= PageWidth(this, m_rcItem, m_rcInset);
    SetScrollPos(sz);
}
void CContainerUI::PageRight() {
    SIZE sz = GetScrollPos();
    sz.cx += PageWidth(this, m_rcItem, m_rcInset);
    SetScrollPos(sz);
}
void CContainerUI::ScrollToLeftEnd() {
    SIZE sz = GetScrollPos();
    sz.cx = 0;
    SetScrollPos(sz);
}
void CContainerUI::ScrollToRightEnd() {
    SIZE sz = GetScrollPos();
    sz.cx = GetScrollRange().cx;
    SetScrollPos(sz);
}

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal) {
    auto make = [&](bool hor) {
        auto* bar = new CScrollBarUI;
        bar->SetOwner(this);
        if (hor) bar->SetHorizontal(true);
        bar->BindManager(m_pManager, nullptr, false);
        if (m_pManager) {
            const char* defaults = m_pManager->GetClassDefaults(hor ? "HScrollBar" : "VScrollBar");
            if (defaults) bar->ApplyAttributeText(defaults);
        }
        return bar;
    };
    if (vertical && !m_pVerticalScrollBar) m_pVerticalScrollBar = make(false);
    else if (!vertical && m_pVerticalScrollBar) {
        delete m_pVerticalScrollBar;
        m_pVerticalScrollBar = nullptr;
    }
    if (horizontal && !m_pHorizontalScrollBar) m_pHorizontalScrollBar = make(true);
    else if (!horizontal && m_pHorizontalScrollBar) {
        delete m_pHorizontalScrollBar;
        m_pHorizontalScrollBar = nullptr;
    }
    RequestLayout();
}

void CContainerUI::PlaceScrollBars(RECT rc, int requiredWidth, int requiredHeight) {
    (void)requiredWidth;
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible())
        m_pHorizontalScrollBar->SetPos(
            RECT{rc.left, rc.bottom, rc.right, rc.bottom + m_pHorizontalScrollBar->GetFixedHeight()});
    if (m_pVerticalScrollBar == nullptr) return;
    int overflow = requiredHeight - (rc.bottom - rc.top);
    if (rc.bottom - rc.top < requiredHeight && !m_pVerticalScrollBar->IsVisible()) {
        m_pVerticalScrollBar->SetVisible(true);
        m_pVerticalScrollBar->SetScrollRange(overflow);
        m_pVerticalScrollBar->SetScrollPos(0);
        m_bScrollProcess = true;
        SetPos(m_rcItem);
        m_bScrollProcess = false;
        return;
    }
    if (!m_pVerticalScrollBar->IsVisible()) return;
    if (overflow > 0 || m_bScrollProcess) {
        m_pVerticalScrollBar->SetPos(
            RECT{rc.right, rc.top, rc.right + m_pVerticalScrollBar->GetFixedWidth(), rc.bottom});
        if (m_pVerticalScrollBar->GetScrollRange() == overflow) return;
        int oldPos = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollRange(std::abs(overflow));
        if (m_pVerticalScrollBar->GetScrollRange() == 0) {
            m_pVerticalScrollBar->SetVisible(false);
            m_pVerticalScrollBar->SetScrollPos(0);
        }
        if (m_pVerticalScrollBar->GetScrollPos() >= oldPos) return;
        SetPos(m_rcItem);
        return;
    }
    m_pVerticalScrollBar->SetVisible(false);
    m_pVerticalScrollBar->SetScrollPos(0);
    m_pVerticalScrollBar->SetScrollRange(0);
    SetPos(m_rcItem);
}

// ---------------- layouts ----------------

UINT CBoxLayoutUI::GetBehaviourFlags() const {
    return (IsEnabled() && m_iSepSize != 0) ? UIFLAG_SETCURSOR : 0;
}

RECT CBoxLayoutUI::GetThumbRect(bool useNew) const {
    RECT rc = (useNew && (m_uButtonState & UISTATE_CAPTURED)) ? m_rcNewPos : m_rcItem;
    const int s = m_iSepSize;
    if (m_bVertical) {
        if (s < 0) return RECT{rc.left, rc.top, rc.right, std::min(rc.top - s, rc.bottom)};
        return RECT{rc.left, std::max(rc.top, rc.bottom - s), rc.right, rc.bottom};
    }
    if (s < 0) return RECT{rc.left, rc.top, rc.left - s, rc.bottom};
    return RECT{rc.right - s, rc.top, rc.right, rc.bottom};
}

void CBoxLayoutUI::SetSplitterLiveMode(bool immediate) {
    if (m_bImmMode == immediate) return;
    if ((m_uButtonState & UISTATE_CAPTURED) && !m_bImmMode && m_pManager) m_pManager->RemoveLatePainter(this);
    m_bImmMode = immediate;
}

void CBoxLayoutUI::HandleEvent(UIEvent& event) {
    if (m_iSepSize != 0) {
        const POINT pt = event.ptMouse;
        if (event.Type == UIEVENT_BUTTONDOWN && IsEnabled() && PtInRect(GetThumbRect(false), pt)) {
            m_uButtonState |= UISTATE_CAPTURED;
            ptLastMouse = pt;
            m_rcNewPos = m_rcItem;
            if (!m_bImmMode && m_pManager) m_pManager->AddLatePainter(this);
            return;
        }
        if (event.Type == UIEVENT_BUTTONUP && (m_uButtonState & UISTATE_CAPTURED)) {
            m_uButtonState &= ~UISTATE_CAPTURED;
            m_rcItem = m_rcNewPos;
            if (!m_bImmMode && m_pManager) m_pManager->RemoveLatePainter(this);
            RequestParentLayout();
            return;
        }
        if (event.Type == UIEVENT_MOUSEMOVE && (m_uButtonState & UISTATE_CAPTURED)) {
            const int s = m_iSepSize;
            int d = m_bVertical ? pt.y - ptLastMouse.y : pt.x - ptLastMouse.x;
            ptLastMouse = pt;
            RECT rc = m_rcNewPos;
            int m = m_bVertical ? pt.y : pt.x;
            bool ignore;
            if (m_bVertical)
                ignore = s >= 0 ? ((d > 0 && m < rc.bottom + s) || (d < 0 && m > rc.bottom))
                                : ((d > 0 && m < rc.top) || (d < 0 && m > rc.top + s));
            else
                ignore = s >= 0 ? ((d > 0 && m < rc.right - s) || (d < 0 && m > rc.right))
                                : ((d > 0 && m < rc.left) || (d < 0 && m > rc.left - s));
            if (ignore) return;
            LONG& edge = m_bVertical ? (s >= 0 ? rc.bottom : rc.top) : (s >= 0 ? rc.right : rc.left);
            edge += d;
            int size = m_bVertical ? rc.bottom - rc.top : rc.right - rc.left;
            int minSize = m_bVertical ? GetMinHeight() : GetMinWidth();
            int maxSize = m_bVertical ? GetMaxHeight() : GetMaxWidth();
            int current = m_bVertical ? m_rcNewPos.bottom - m_rcNewPos.top : m_rcNewPos.right - m_rcNewPos.left;
            if (size <= minSize) {
                if (current <= minSize) return;
                size = minSize;
            }
            if (size >= maxSize) {
                if (current >= maxSize) return;
                size = maxSize;
            }
            if (s >= 0) (m_bVertical ? rc.bottom = rc.top + size : rc.right = rc.left + size);
            else (m_bVertical ? rc.top = rc.bottom - size : rc.left = rc.right - size);
            RECT oldThumb = GetThumbRect(true);
            m_rcNewPos = rc;
            if (m_bVertical) m_cxyFixed.cy = size;
            else m_cxyFixed.cx = size;
            if (m_bImmMode) {
                m_rcItem = m_rcNewPos;
                RequestParentLayout();
            } else if (m_pManager) {
                RECT u;
                UnionRect(&u, oldThumb, GetThumbRect(true));
                UnionRect(&u, u, GetThumbRect(false));
                m_pManager->Invalidate(u);
            }
            return;
        }
        if (event.Type == UIEVENT_SETCURSOR && IsEnabled() && PtInRect(GetThumbRect(false), pt)) {
            ::SetCursor(::LoadCursor(nullptr, m_bVertical ? IDC_SIZENS : IDC_SIZEWE));
            return;
        }
    }
    CContainerUI::HandleEvent(event);
}

void CBoxLayoutUI::PaintOverlay(CDC* dc, const RECT&) {
    if ((m_uButtonState & UISTATE_CAPTURED) && !m_bImmMode)
        CRenderEngine::DrawColor(dc, GetThumbRect(true), 0xAA000000);
}

int CBoxLayoutUI::StackChildren(const RECT& rc) {
    // One pass for both directions: "major" runs along the stacking direction, "minor"
    // across it.
    const bool v = m_bVertical;
    auto major = [v](const SIZE& s) -> LONG { return v ? s.cy : s.cx; };
    auto padBefore = [v](const RECT& p) { return v ? p.top : p.left; };
    auto padAfter = [v](const RECT& p) { return v ? p.bottom : p.right; };
    auto minMajor = [v](CControlUI* c) { return v ? c->GetMinHeight() : c->GetMinWidth(); };
    auto maxMajor = [v](CControlUI* c) { return std::max(v ? c->GetMinHeight() : c->GetMinWidth(),
                                                          v ? c->GetMaxHeight() : c->GetMaxWidth()); };
    auto minMinor = [v](CControlUI* c) { return v ? c->GetMinWidth() : c->GetMinHeight(); };
    auto maxMinor = [v](CControlUI* c) { return std::max(v ? c->GetMinWidth() : c->GetMinHeight(),
                                                          v ? c->GetMaxWidth() : c->GetMaxHeight()); };
    SIZE available{rc.right - rc.left, rc.bottom - rc.top};
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible())
        available.cx += m_pHorizontalScrollBar->GetScrollRange();
    int adjustables = 0, fixed = 0, estimated = 0;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* c = ChildAt(i);
        if (!c->IsVisible() || c->IsFloat()) continue;
        LONG size = major(c->MeasureSize(available));
        if (size == 0) adjustables++;
        else size = std::clamp<LONG>(size, minMajor(c), maxMajor(c));
        RECT pad = c->GetPadding();
        fixed += size + padBefore(pad) + padAfter(pad);
        estimated++;
    }
    fixed += (estimated - 1) * m_iChildPadding;
    const int expand = adjustables > 0 ? std::max(0, (int(major(available)) - fixed) / adjustables) : 0;
    SIZE scroll = CContainerUI::GetScrollPos();  // own bars: a list forwards its scrolling to its body
    int pos = v ? rc.top - scroll.cy : rc.left - scroll.cx;
    const int across = v ? rc.left - scroll.cx : rc.top;
    int remaining = major(available), needed = 0;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* c = ChildAt(i);
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) {
            PlaceFloatingChild(i);
            continue;
        }
        RECT pad = c->GetPadding();
        SIZE offer = v ? SIZE{available.cx, remaining - pad.top} : SIZE{remaining - pad.left, available.cy};
        LONG along = major(c->MeasureSize(offer));
        if (along == 0) along = expand;
        along = std::clamp<LONG>(along, minMajor(c), maxMajor(c));
        LONG cross = v ? c->GetFixedWidth() : c->GetFixedHeight();
        if (cross == 0)
            cross = std::max<LONG>(0, v ? available.cx - pad.left - pad.right : available.cy - pad.top - pad.bottom);
        cross = std::clamp<LONG>(cross, minMinor(c), maxMinor(c));
        if (v)
            c->SetPos(RECT{across + pad.left, pos + pad.top, across + pad.left + cross, pos + pad.top + along});
        else
            c->SetPos(RECT{pos + pad.left, across + pad.top, pos + pad.left + along, across + pad.top + cross});
        pos += along + padBefore(pad) + padAfter(pad) + m_iChildPadding;
        remaining -= padBefore(pad) + along + padAfter(pad) + m_iChildPadding;
        needed += along + padBefore(pad) + padAfter(pad);
    }
    return needed + (estimated - 1) * m_iChildPadding;
}

void* CVerticalLayoutUI::GetInterface(const char* name) {
    if (strcmp(name, "VerticalLayout") == 0) return this;
    return CContainerUI::GetInterface(name);
}
void CVerticalLayoutUI::SetSepHeight(int height) {
    m_iSepSize = height;
}
void CVerticalLayoutUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "sepheight") == 0) SetSepHeight(atoi(value));
    else if (strcmp(name, "sepimm") == 0) SetSplitterLiveMode(ParseBool(value));
    else CContainerUI::SetAttribute(name, value);
}

void CVerticalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    rc = InnerRect();
    if (m_items.IsEmpty()) {
        PlaceScrollBars(rc, 0, 0);
        return;
    }
    PlaceScrollBars(rc, 0, StackChildren(rc));
}

void* CHorizontalLayoutUI::GetInterface(const char* name) {
    if (strcmp(name, "HorizontalLayout") == 0) return this;
    return CContainerUI::GetInterface(name);
}
void CHorizontalLayoutUI::SetSepWidth(int width) {
    m_iSepSize = width;
}
void CHorizontalLayoutUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "sepwidth") == 0) SetSepWidth(atoi(value));
    else if (strcmp(name, "sepimm") == 0) SetSplitterLiveMode(ParseBool(value));
    else CContainerUI::SetAttribute(name, value);
}

void CHorizontalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    rc = InnerRect();
    if (m_items.IsEmpty()) {
        PlaceScrollBars(rc, 0, 0);
        return;
    }
    int needed = StackChildren(rc);
    if (m_pHorizontalScrollBar != nullptr) {
        int inner = rc.right - rc.left;
        if (needed > inner) {
            if (m_pHorizontalScrollBar->IsVisible()) {
                m_pHorizontalScrollBar->SetScrollRange(needed - inner);
            } else {
                m_pHorizontalScrollBar->SetVisible(true);
                m_pHorizontalScrollBar->SetScrollRange(needed - inner);
                m_pHorizontalScrollBar->SetScrollPos(0);
                rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
            }
        } else if (m_pHorizontalScrollBar->IsVisible()) {
            m_pHorizontalScrollBar->SetVisible(false);
            m_pHorizontalScrollBar->SetScrollRange(0);
            m_pHorizontalScrollBar->SetScrollPos(0);
            rc.bottom += m_pHorizontalScrollBar->GetFixedHeight();
        }
    }
    PlaceScrollBars(rc, needed, 0);
}

}  // namespace WinlessUI
