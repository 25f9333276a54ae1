#include "windowless/List.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "windowless/Render.h"
#include "windowless/ScrollBar.h"

namespace WinlessUI {

bool ApplyListInfoAttribute(ListInfoUI& info, const char* name, const char* value, bool withEllipsis,
                            bool* relayout) {
    auto is = [&](const char* x) { return strcmp(name, x) == 0; };
    *relayout = false;
    if (is("itemfont")) info.nFont = atoi(value);
    else if (is("itemalign")) {
        if (strstr(value, "left")) info.uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        if (strstr(value, "center")) {
            info.uTextStyle &= ~DT_RIGHT;
            info.uTextStyle |= DT_CENTER;
        }
        if (strstr(value, "right")) {
            info.uTextStyle &= ~DT_CENTER;
            info.uTextStyle |= DT_RIGHT;
        }
    } else if (withEllipsis && is("itemendellipsis")) {
        if (ParseBool(value)) info.uTextStyle |= DT_END_ELLIPSIS;
        else info.uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (is("itemtextpadding")) {
        info.rcTextPadding = ParseRect(value);
        *relayout = true;
    } else if (is("itemtextcolor")) info.dwTextColor = ParseColor(value);
    else if (is("itembkcolor")) info.dwBkColor = ParseColor(value);
    else if (is("itembkimage")) info.diBk.SetImage(value);
    else if (is("itemaltbk")) info.bAlternateBk = ParseBool(value);
    else if (is("itemselectedtextcolor")) info.dwSelectedTextColor = ParseColor(value);
    else if (is("itemselectedbkcolor")) info.dwSelectedBkColor = ParseColor(value);
    else if (is("itemselectedimage")) info.diSelected.SetImage(value);
    else if (is("itemhottextcolor")) info.dwHotTextColor = ParseColor(value);
    else if (is("itemhotbkcolor")) info.dwHotBkColor = ParseColor(value);
    else if (is("itemhotimage")) info.diHot.SetImage(value);
    else if (is("itemdisabledtextcolor")) info.dwDisabledTextColor = ParseColor(value);
    else if (is("itemdisabledbkcolor")) info.dwDisabledBkColor = ParseColor(value);
    else if (is("itemdisabledimage")) info.diDisabled.SetImage(value);
    else if (is("itemlinecolor")) info.dwLineColor = ParseColor(value);
    else if (is("itemshowhtml")) {
        bool on = ParseBool(value);
        *relayout = on != info.bShowHtml;
        info.bShowHtml = on;
    } else return false;
    return true;
}

// ---------------- list ----------------

CListUI::CListUI() {
    m_pList = new CListBodyUI(this);
    m_pHeader = new CListHeaderUI;
    CVerticalLayoutUI::AddAt(m_pHeader, 0);
    CVerticalLayoutUI::AddAt(m_pList, 1);
}

void* CListUI::GetInterface(const char* name) {
    if (strcmp(name, "List") == 0) return this;
    if (strcmp(name, "IList") == 0) return static_cast<IListUI*>(this);
    if (strcmp(name, "IListOwner") == 0) return static_cast<IListOwnerUI*>(this);
    return CVerticalLayoutUI::GetInterface(name);
}

static bool IsHeaderItem(CControlUI* c) {
    return strstr(c->GetClassName(), "ListHeaderItemUI") != nullptr;
}

CControlUI* CListUI::GetItemAt(int index) const { return m_pList->GetItemAt(index); }
int CListUI::GetCount() const { return m_pList->GetCount(); }

int CListUI::GetItemIndex(CControlUI* control) const {
    if (control == nullptr) return -1;
    if (control->GetInterface("ListHeader") != nullptr) return CVerticalLayoutUI::GetItemIndex(control);
    if (IsHeaderItem(control)) return m_pHeader->GetItemIndex(control);
    return m_pList->GetItemIndex(control);
}

void CListUI::Renumber(int from) {
    for (int i = std::max(0, from); i < m_pList->GetCount(); i++)
        if (IListItemUI* row = AsListItem(m_pList->GetItemAt(i))) row->SetIndex(i);
}

bool CListUI::Add(CControlUI* control) {
    if (control == nullptr) return false;
    if (control->GetInterface("ListHeader") != nullptr) {
        if (m_pHeader == control) return true;
        if (m_pHeader->GetCount() == 0) {
            CVerticalLayoutUI::Remove(m_pHeader);
            m_pHeader = static_cast<CListHeaderUI*>(control);
        }
        m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), kMaxListColumns);
        // A header that stays the old one is not added a second time.
        if (m_pHeader != control) return false;
        return CVerticalLayoutUI::AddAt(control, 0);
    }
    if (IsHeaderItem(control)) {
        bool ok = m_pHeader->Add(control);
        m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), kMaxListColumns);
        return ok;
    }
    if (IListItemUI* row = AsListItem(control)) {
        row->SetOwner(this);
        row->SetIndex(GetCount());
    }
    return m_pList->Add(control);
}

bool CListUI::AddAt(CControlUI* control, int index) {
    if (control == nullptr) return false;
    if (control->GetInterface("ListHeader") != nullptr) return Add(control);
    if (IsHeaderItem(control)) {
        bool ok = m_pHeader->AddAt(control, index);
        m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), kMaxListColumns);
        return ok;
    }
    if (!m_pList->AddAt(control, index)) return false;
    if (IListItemUI* row = AsListItem(control)) {
        row->SetOwner(this);
        row->SetIndex(index);
    }
    Renumber(index + 1);
    if (m_iCurSel >= index) m_iCurSel += 1;
    return true;
}

bool CListUI::SetItemIndex(CControlUI* control, int index) {
    if (control == nullptr) return false;
    if (control->GetInterface("ListHeader") != nullptr) return CVerticalLayoutUI::SetItemIndex(control, index);
    if (IsHeaderItem(control)) return m_pHeader->SetItemIndex(control, index);
    int old = m_pList->GetItemIndex(control);
    if (old == -1) return false;
    if (old == index) return true;
    IListItemUI* selected = m_iCurSel >= 0 ? AsListItem(GetItemAt(m_iCurSel)) : nullptr;
    if (!m_pList->SetItemIndex(control, index)) return false;
    int lo = std::min(old, index), hi = std::min(std::max(old, index), GetCount() - 1);
    for (int i = lo; i <= hi; i++)
        if (IListItemUI* row = AsListItem(GetItemAt(i))) row->SetIndex(i);
    if (selected != nullptr) m_iCurSel = selected->GetIndex();
    return true;
}

bool CListUI::Remove(CControlUI* control) {
    if (control == nullptr) return false;
    if (control->GetInterface("ListHeader") != nullptr) return CVerticalLayoutUI::Remove(control);
    if (IsHeaderItem(control)) return m_pHeader->Remove(control);
    int index = m_pList->GetItemIndex(control);
    if (index < 0) return false;
    return RemoveAt(index);
}

bool CListUI::RemoveAt(int index) {
    if (!m_pList->RemoveAt(index)) return false;
    Renumber(index);
    if (index == m_iCurSel && m_iCurSel >= 0) {
        m_iCurSel = -1;
        SelectItem(m_pList->FindSelectable(index - 1, false), false);
    } else if (index < m_iCurSel) {
        m_iCurSel -= 1;
    }
    return true;
}

void CListUI::RemoveAll() {
    m_iCurSel = -1;
    m_iExpandedItem = -1;
    m_pList->RemoveAll();
}

bool CListUI::SelectItem(int index, bool takeFocus) {
    if (index == m_iCurSel) return true;
    int old = m_iCurSel;
    if (m_iCurSel >= 0) {
        if (IListItemUI* row = AsListItem(GetItemAt(m_iCurSel))) row->Select(false);
        m_iCurSel = -1;
    }
    if (index < 0) return false;
    CControlUI* control = GetItemAt(index);
    IListItemUI* row = AsListItem(control);
    if (row == nullptr) return false;
    m_iCurSel = index;
    if (!row->Select(true)) {
        m_iCurSel = -1;
        return false;
    }
    EnsureVisible(m_iCurSel);
    if (takeFocus) control->SetFocus();
    if (m_pManager) m_pManager->SendNotification(this, "itemselect", m_iCurSel, old);
    return true;
}

bool CListUI::ExpandItem(int index, bool expand) {
    if (m_iExpandedItem >= 0 && !m_ListInfo.bMultiExpandable) {
        if (IListItemUI* row = AsListItem(GetItemAt(m_iExpandedItem))) row->Expand(false);
        m_iExpandedItem = -1;
    }
    if (expand) {
        CControlUI* control = GetItemAt(index);
        IListItemUI* row = AsListItem(control);
        if (row == nullptr || !control->IsVisible()) return false;
        m_iExpandedItem = index;
        if (!row->Expand(true)) {
            m_iExpandedItem = -1;
            return false;
        }
    }
    RequestLayout();
    return true;
}

void CListUI::EnsureVisible(int index) {
    if (m_iCurSel < 0) return;
    CControlUI* c = GetItemAt(index);
    if (c == nullptr) return;
    RECT band = m_pList->GetPos();
    RECT inset = m_pList->GetInset();
    band.left += inset.left, band.top += inset.top, band.right -= inset.right, band.bottom -= inset.bottom;
    CScrollBarUI* hbar = m_pList->GetHorizontalScrollBar();
    if (hbar && hbar->IsVisible()) band.bottom -= hbar->GetFixedHeight();
    RECT rc = c->GetPos();
    if (rc.top >= band.top && rc.bottom < band.bottom) return;
    int dy = rc.bottom > band.bottom ? rc.bottom - band.bottom : rc.top - band.top;
    Scroll(0, dy);
}

void CListUI::Scroll(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    SIZE pos = m_pList->GetScrollPos();
    m_pList->SetScrollPos(SIZE{pos.cx + dx, pos.cy + dy});
}

void CListUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pParent != nullptr) m_pParent->HandleEvent(event);
        else CVerticalLayoutUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
        case UIEVENT_SETFOCUS:
            m_bFocused = true;
            return;
        case UIEVENT_KILLFOCUS:
            m_bFocused = false;
            return;
        case UIEVENT_KEYDOWN:
            switch (event.chKey) {
                case VK_UP: SelectItem(m_pList->FindSelectable(m_iCurSel - 1, false), true); return;
                case VK_DOWN: SelectItem(m_pList->FindSelectable(m_iCurSel + 1, true), true); return;
                case VK_HOME: SelectItem(m_pList->FindSelectable(0, false), true); return;
                case VK_END: SelectItem(m_pList->FindSelectable(GetCount() - 1, true), true); return;
                case VK_PRIOR: PageUp(); return;
                case VK_NEXT: PageDown(); return;
                case VK_RETURN:
                    if (m_iCurSel != -1 && GetItemAt(m_iCurSel)) GetItemAt(m_iCurSel)->Activate();
                    return;
                default: break;
            }
            break;
        case UIEVENT_SCROLLWHEEL:
            if (LOWORD(event.wParam) == 0) {
                if (m_bScrollSelect) SelectItem(m_pList->FindSelectable(m_iCurSel - 1, false), true);
                else LineUp();
                return;
            }
            if (LOWORD(event.wParam) == 1) {
                if (m_bScrollSelect) SelectItem(m_pList->FindSelectable(m_iCurSel + 1, true), true);
                else LineDown();
                return;
            }
            break;
        default: break;
    }
    CVerticalLayoutUI::HandleEvent(event);
}

void CListUI::SyncColumns(int dx) {
    const bool hidden = !m_pHeader->IsVisible();
    m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), kMaxListColumns);
    if (hidden)
        for (int i = 0; i < m_pHeader->GetCount(); i++) m_pHeader->GetItemAt(i)->SetShownByParent(true);
    for (int i = 0; i < m_ListInfo.nColumns; i++) {
        CControlUI* item = m_pHeader->GetItemAt(i);
        if (!item->IsVisible() || item->IsFloat()) continue;
        if (dx != 0) {
            RECT rc = item->GetPos();
            rc.left -= dx, rc.right -= dx;
            item->SetPos(rc);
        }
        m_ListInfo.rcColumn[i] = item->GetPos();
    }
    if (hidden)
        for (int i = 0; i < m_pHeader->GetCount(); i++) m_pHeader->GetItemAt(i)->SetShownByParent(false);
}

void CListUI::SetPos(RECT rc) {
    CVerticalLayoutUI::SetPos(rc);
    if (m_pHeader == nullptr) return;
    if (!m_pHeader->IsVisible()) {
        for (int i = 0; i < m_pHeader->GetCount(); i++) m_pHeader->GetItemAt(i)->SetShownByParent(true);
        m_pHeader->SetPos(RECT{rc.left, 0, rc.right, 0});
        for (int i = 0; i < m_pHeader->GetCount(); i++) m_pHeader->GetItemAt(i)->SetShownByParent(false);
    }
    // The header was laid out from the list's left edge: scrolled columns move with the rows.
    SyncColumns(m_pList->GetScrollPos().cx);
    m_pList->SetPos(m_pList->GetPos());
}

void CListUI::SetAttribute(const char* name, const char* value) {
    bool relayout = false;
    if (strcmp(name, "header") == 0) m_pHeader->SetVisible(strcmp(value, "hidden") != 0);
    else if (strcmp(name, "headerbkimage") == 0) m_pHeader->SetBkImage(value);
    else if (strcmp(name, "scrollselect") == 0) SetSelectOnScroll(ParseBool(value));
    else if (strcmp(name, "multiexpanding") == 0) SetMultipleExpand(ParseBool(value));
    else if (ApplyListInfoAttribute(m_ListInfo, name, value, true, &relayout)) {
        if (relayout) RequestLayout();
        else Invalidate();
    } else CVerticalLayoutUI::SetAttribute(name, value);
}

// Forwarded to the body: the list itself never scrolls.
int CListUI::GetChildPadding() const { return m_pList->GetChildPadding(); }
void CListUI::SetChildPadding(int padding) { m_pList->SetChildPadding(padding); }
bool CListUI::IsDeferredDelete() const { return m_pList->IsDeferredDelete(); }
void CListUI::SetDeferredDelete(bool on) { m_pList->SetDeferredDelete(on); }
SIZE CListUI::GetScrollPos() const { return m_pList->GetScrollPos(); }
SIZE CListUI::GetScrollRange() const { return m_pList->GetScrollRange(); }
void CListUI::SetScrollPos(SIZE pos) { m_pList->SetScrollPos(pos); }
void CListUI::LineUp() { m_pList->LineUp(); }
void CListUI::LineDown() { m_pList->LineDown(); }
void CListUI::PageUp() { m_pList->PageUp(); }
void CListUI::PageDown() { m_pList->PageDown(); }
void CListUI::ScrollToTop() { m_pList->ScrollToTop(); }
void CListUI::ScrollToBottom() { m_pList->ScrollToBottom(); }
void CListUI::LineLeft() { m_pList->LineLeft(); }
void CListUI::LineRight() { m_pList->LineRight(); }
void CListUI::PageLeft() { m_pList->PageLeft(); }
void CListUI::PageRight() { m_pList->PageRight(); }
void CListUI::ScrollToLeftEnd() { m_pList->ScrollToLeftEnd(); }
void CListUI::ScrollToRightEnd() { m_pList->ScrollToRightEnd(); }
void CListUI::EnableScrollBar(bool vertical, bool horizontal) { m_pList->EnableScrollBar(vertical, horizontal); }
CScrollBarUI* CListUI::GetVerticalScrollBar() const { return m_pList->GetVerticalScrollBar(); }
CScrollBarUI* CListUI::GetHorizontalScrollBar() const { return m_pList->GetHorizontalScrollBar(); }

void CListUI::SetItemTextPadding(RECT rc) {
    m_ListInfo.rcTextPadding = rc;
    RequestLayout();
}
#define UI_LIST_SETTER(fn, type, field) \
    void CListUI::fn(type v) {          \
        m_ListInfo.field = v;           \
        Invalidate();                   \
    }
UI_LIST_SETTER(SetItemTextColor, DWORD, dwTextColor)
UI_LIST_SETTER(SetItemBkColor, DWORD, dwBkColor)
UI_LIST_SETTER(SetAlternateBk, bool, bAlternateBk)
UI_LIST_SETTER(SetSelectedItemTextColor, DWORD, dwSelectedTextColor)
UI_LIST_SETTER(SetSelectedItemBkColor, DWORD, dwSelectedBkColor)
UI_LIST_SETTER(SetHotItemTextColor, DWORD, dwHotTextColor)
UI_LIST_SETTER(SetHotItemBkColor, DWORD, dwHotBkColor)
UI_LIST_SETTER(SetDisabledItemTextColor, DWORD, dwDisabledTextColor)
UI_LIST_SETTER(SetDisabledItemBkColor, DWORD, dwDisabledBkColor)
UI_LIST_SETTER(SetItemLineColor, DWORD, dwLineColor)
#undef UI_LIST_SETTER
#define UI_LIST_IMAGE(fn, field)          \
    void CListUI::fn(const char* image) { \
        m_ListInfo.field.SetImage(image); \
        Invalidate();                     \
    }
UI_LIST_IMAGE(SetItemBkImage, diBk)
UI_LIST_IMAGE(SetSelectedItemImage, diSelected)
UI_LIST_IMAGE(SetHotItemImage, diHot)
UI_LIST_IMAGE(SetDisabledItemImage, diDisabled)
#undef UI_LIST_IMAGE
void CListUI::SetItemShowHtml(bool on) {
    if (m_ListInfo.bShowHtml == on) return;
    m_ListInfo.bShowHtml = on;
    RequestLayout();
}

// ---------------- body ----------------

void CListBodyUI::HandleEvent(UIEvent& event) {
    if (m_pOwner != nullptr) m_pOwner->HandleEvent(event);
    else CControlUI::HandleEvent(event);
}

void CListBodyUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    rc = InnerRect();
    const bool hbar = m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible();
    SIZE available{rc.right - rc.left, rc.bottom - rc.top};
    if (hbar) available.cx += m_pHorizontalScrollBar->GetScrollRange();

    int adjustables = 0, fixed = 0, counted = 0, neededWidth = 0;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* c = GetItemAt(i);
        if (!c->IsVisible() || c->IsFloat()) continue;
        SIZE sz = c->MeasureSize(available);
        if (sz.cy == 0) adjustables++;
        else sz.cy = std::clamp<LONG>(sz.cy, c->GetMinHeight(), std::max(c->GetMinHeight(), c->GetMaxHeight()));
        RECT pad = c->GetPadding();
        fixed += sz.cy + pad.top + pad.bottom;
        int w = std::clamp<int>(std::max<LONG>(0, sz.cx), c->GetMinWidth(), std::max(c->GetMinWidth(), c->GetMaxWidth()));
        neededWidth = std::max(neededWidth, w);
        counted++;
    }
    fixed += (counted - 1) * m_iChildPadding;
    if (m_pOwner != nullptr) {
        CListHeaderUI* header = m_pOwner->GetHeader();
        if (header != nullptr && header->GetCount() > 0)
            neededWidth = std::max<int>(0, header->MeasureSize(SIZE{rc.right - rc.left, rc.bottom - rc.top}).cx);
    }
    const int expand = adjustables > 0 ? std::max(0, (int(available.cy) - fixed) / adjustables) : 0;
    int remainder = adjustables > 0 ? std::max(0, int(available.cy) - fixed) : 0;

    SIZE scroll = GetScrollPos();
    int y = rc.top - scroll.cy;
    const int x = rc.left - scroll.cx;
    int total = 0, adjusted = 0;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* c = GetItemAt(i);
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) {
            PlaceFloatingChild(i);
            continue;
        }
        RECT pad = c->GetPadding();
        SIZE sz = c->MeasureSize(available);
        if (sz.cy == 0) {
            adjusted++;
            sz.cy = adjusted == adjustables ? std::max(0, remainder) : expand;
            remainder -= expand;
        }
        sz.cy = std::clamp<LONG>(sz.cy, c->GetMinHeight(), std::max(c->GetMinHeight(), c->GetMaxHeight()));
        int width = std::max<int>(neededWidth, available.cx - pad.left - pad.right);
        width = std::clamp(width, c->GetMinWidth(), std::max(c->GetMinWidth(), c->GetMaxWidth()));
        c->SetPos(RECT{x + pad.left, y + pad.top, x + pad.left + width, y + pad.top + sz.cy + pad.bottom});
        y += sz.cy + pad.top + pad.bottom + m_iChildPadding;
        total += sz.cy + pad.top + pad.bottom;
    }
    total += (counted - 1) * m_iChildPadding;

    if (m_pHorizontalScrollBar != nullptr) {
        const int clientWidth = rc.right - rc.left;
        if (neededWidth > clientWidth) {
            if (m_pHorizontalScrollBar->IsVisible()) {
                m_pHorizontalScrollBar->SetScrollRange(neededWidth - clientWidth);
            } else {
                m_pHorizontalScrollBar->SetVisible(true);
                m_pHorizontalScrollBar->SetScrollRange(neededWidth - clientWidth);
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
    PlaceScrollBars(rc, neededWidth, std::max(0, total));
    RecordRowOrder();
}

void CListBodyUI::RecordRowOrder() {
    m_rowOrder.clear();
    m_bRowOrderValid = false;
    const RECT* last = nullptr;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* c = ChildAt(i);
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) {
            m_rowOrder.clear();
            return;
        }
        const RECT& rc = c->GetPos();
        if (last != nullptr && (rc.top < last->top || rc.bottom < last->bottom)) {
            m_rowOrder.clear();
            return;
        }
        last = &rc;
        m_rowOrder.push_back(i);
    }
    m_bRowOrderValid = true;
}

bool CListBodyUI::RowOrderUsable() const {
    // A row shown, hidden, resized or made floating asks for a layout first.
    return m_bRowOrderValid && !IsUpdateNeeded();
}

bool CListBodyUI::AddAt(CControlUI* control, int index) {
    m_bRowOrderValid = false;
    return CVerticalLayoutUI::AddAt(control, index);
}

bool CListBodyUI::Remove(CControlUI* control) {
    m_bRowOrderValid = false;
    return CVerticalLayoutUI::Remove(control);
}

void CListBodyUI::RemoveAll() {
    m_bRowOrderValid = false;
    CVerticalLayoutUI::RemoveAll();
}

bool CListBodyUI::SetItemIndex(CControlUI* control, int index) {
    m_bRowOrderValid = false;
    return CVerticalLayoutUI::SetItemIndex(control, index);
}

void CListBodyUI::PaintControl(CDC* dc, const RECT& rcPaint) {
    if (!RowOrderUsable()) {
        CVerticalLayoutUI::PaintControl(dc, rcPaint);
        return;
    }
    // As the container paints, visiting only the rows that reach into the painted band.
    RECT rcTemp;
    if (!IntersectRect(&rcTemp, rcPaint, m_rcItem)) return;
    CRenderClip clip;
    CRenderClip::GenerateClip(dc, rcTemp, clip);
    CControlUI::PaintControl(dc, rcPaint);
    const RECT inner = InnerRect();
    RECT band;
    if (!m_rowOrder.empty() && IntersectRect(&band, rcPaint, inner)) {
        CRenderClip childClip;
        CRenderClip::GenerateClip(dc, band, childClip);
        auto first = std::partition_point(m_rowOrder.begin(), m_rowOrder.end(),
                                          [&](int i) { return ChildAt(i)->GetPos().bottom <= band.top; });
        for (auto it = first; it != m_rowOrder.end(); ++it) {
            CControlUI* c = ChildAt(*it);
            const RECT& rc = c->GetPos();
            if (rc.top >= band.bottom) break;
            if (!c->IsVisible() || c->IsFloat()) continue;
            if (!IntersectRect(&rcTemp, band, rc)) continue;
            c->PaintControl(dc, rcPaint);
        }
    }
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible() &&
        IntersectRect(&rcTemp, rcPaint, m_pVerticalScrollBar->GetPos()))
        m_pVerticalScrollBar->PaintControl(dc, rcPaint);
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible() &&
        IntersectRect(&rcTemp, rcPaint, m_pHorizontalScrollBar->GetPos()))
        m_pHorizontalScrollBar->PaintControl(dc, rcPaint);
}

void CListBodyUI::SetScrollPos(SIZE pos) {
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
    if (dx != 0 && m_pOwner != nullptr && m_pOwner->GetHeader() != nullptr) {
        m_pOwner->SyncColumns(dx);
        m_pOwner->GetHeader()->Invalidate();
    }
    if (RowOrderUsable()) {
        for (int i : m_rowOrder) ChildAt(i)->Offset(-dx, -dy);
    } else {
        for (int i = 0; i < m_items.GetSize(); i++) {
            CControlUI* c = ChildAt(i);
            if (!c->IsVisible() || c->IsFloat()) continue;
            c->Offset(-dx, -dy);
        }
    }
    Invalidate();
}

}  // namespace WinlessUI
