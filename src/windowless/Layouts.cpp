#include "windowless/Layouts.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "windowless/Builder.h"
#include "windowless/PaintManager.h"
#include "windowless/ScrollBar.h"

namespace WinlessUI {

// ---------------------------------------------------------------- tab layout

void* CTabLayoutUI::GetInterface(const char* name) {
    if (strcmp(name, "TabLayout") == 0) return this;
    if (strcmp(name, "ITabLayout") == 0) return static_cast<ITabLayoutUI*>(this);
    return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control) {
    // The container's Add goes through the (overridden) AddAt, whose rules differ.
    if (!CContainerUI::AddAt(control, GetCount())) return false;
    if (m_iCurSel == -1 && control->IsVisible()) m_iCurSel = GetItemIndex(control);
    else control->SetVisible(false);
    return true;
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    if (m_iCurSel == -1 && control->IsVisible()) m_iCurSel = GetItemIndex(control);
    else if (m_iCurSel != -1 && index <= m_iCurSel) m_iCurSel += 1;
    else control->SetVisible(false);
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
    if (control == nullptr) return false;
    int index = GetItemIndex(control);
    if (!CContainerUI::Remove(control)) return false;
    if (m_iCurSel == index) {
        if (GetCount() > 0) {
            m_iCurSel = 0;
            GetItemAt(m_iCurSel)->SetVisible(true);
        } else {
            m_iCurSel = -1;
        }
        RequestParentLayout();
    } else if (m_iCurSel > index) {
        m_iCurSel -= 1;
    }
    return true;
}

bool CTabLayoutUI::RemoveAt(int index) { return Remove(GetItemAt(index)); }

void CTabLayoutUI::RemoveAll() {
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    RequestParentLayout();
}

bool CTabLayoutUI::SelectTabAt(int index) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == m_iCurSel) return true;
    int old = m_iCurSel;
    m_iCurSel = index;
    for (int i = 0; i < GetCount(); i++) {
        if (i == index) {
            GetItemAt(i)->SetVisible(true);
            GetItemAt(i)->SetFocus();
            SetPos(m_rcItem);
        } else {
            GetItemAt(i)->SetVisible(false);
        }
    }
    RequestParentLayout();
    if (m_pManager != nullptr) {
        m_pManager->MoveTabFocus(true);
        m_pManager->SendNotification(this, "tabselect", (WPARAM)m_iCurSel, (LPARAM)old);
    }
    return true;
}

bool CTabLayoutUI::SelectTab(CControlUI* control) {
    int index = GetItemIndex(control);
    if (index < 0) return false;
    return SelectTabAt(index);
}

void CTabLayoutUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "selectedid") == 0) SelectTabAt(atoi(value));
    CContainerUI::SetAttribute(name, value);
}

void CTabLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    for (int i = 0; i < GetCount(); i++) {
        CControlUI* c = GetItemAt(i);
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) {
            PlaceFloatingChild(i);
            continue;
        }
        if (i != m_iCurSel) continue;
        RECT pad = c->GetPadding();
        RECT inner{rc.left + pad.left, rc.top + pad.top, rc.right - pad.right, rc.bottom - pad.bottom};
        SIZE available{inner.right - inner.left, inner.bottom - inner.top};
        SIZE size = c->MeasureSize(available);
        if (size.cx == 0) size.cx = std::max(0L, (long)available.cx);
        if (size.cy == 0) size.cy = std::max(0L, (long)available.cy);
        if (size.cx < c->GetMinWidth()) size.cx = c->GetMinWidth();
        if (size.cx > c->GetMaxWidth()) size.cx = c->GetMaxWidth();
        if (size.cy < c->GetMinHeight()) size.cy = c->GetMinHeight();
        if (size.cy > c->GetMaxHeight()) size.cy = c->GetMaxHeight();
        c->SetPos(RECT{inner.left, inner.top, inner.left + size.cx, inner.top + size.cy});
    }
}

// ---------------------------------------------------------------- tile layout

void* CTileLayoutUI::GetInterface(const char* name) {
    if (strcmp(name, "TileLayout") == 0) return this;
    return CContainerUI::GetInterface(name);
}

void CTileLayoutUI::SetTileSize(SIZE size) {
    if (size.cx == m_szTile.cx && size.cy == m_szTile.cy) return;
    m_szTile = size;
    RequestLayout();
}

void CTileLayoutUI::SetColumns(int columns) {
    if (columns <= 0) return;
    m_nColumns = columns;
    RequestLayout();
}

void CTileLayoutUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "itemsize") == 0) {
        char* end = nullptr;
        SIZE size{0, 0};
        size.cx = strtol(value, &end, 10);
        if (end && *end == ',') size.cy = strtol(end + 1, nullptr, 10);
        SetTileSize(size);
    } else if (strcmp(name, "columns") == 0) {
        SetColumns(atoi(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

namespace {
void ClampSize(SIZE& s, CControlUI* c) {
    if (s.cx < c->GetMinWidth()) s.cx = c->GetMinWidth();
    if (s.cx > c->GetMaxWidth()) s.cx = c->GetMaxWidth();
    if (s.cy < c->GetMinHeight()) s.cy = c->GetMinHeight();
    if (s.cy > c->GetMaxHeight()) s.cy = c->GetMaxHeight();
}
}  // namespace

void CTileLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    if (GetCount() == 0) {
        PlaceScrollBars(rc, 0, 0);
        return;
    }
    const bool vbar = m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible();
    const bool hbar = m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible();
    if (vbar) rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (hbar) rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();

    const int innerWidth = rc.right - rc.left;
    if (m_szTile.cx > 0) m_nColumns = innerWidth / m_szTile.cx;
    if (m_nColumns == 0) m_nColumns = 1;
    int columnWidth = innerWidth / m_nColumns;
    if (hbar) columnWidth = (innerWidth + m_pHorizontalScrollBar->GetScrollRange()) / m_nColumns;

    POINT cursor{rc.left, rc.top};
    if (vbar) cursor.y -= m_pVerticalScrollBar->GetScrollPos();
    if (hbar) cursor.x -= m_pHorizontalScrollBar->GetScrollPos();
    const int rowStartX = cursor.x;
    int rowHeight = 0;
    int counter = 0;
    int needed = 0;
    for (int i = 0; i < GetCount(); i++) {
        CControlUI* c = GetItemAt(i);
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) {
            PlaceFloatingChild(i);
            continue;
        }
        RECT tile{cursor.x, cursor.y, cursor.x + columnWidth, cursor.y};
        const int column = counter % m_nColumns;
        if (column == 0) {
            // The row is as high as its tallest member wants to be.
            int k = 0;
            CControlUI* first = c;
            for (int j = i; j < GetCount() && k < m_nColumns; j++) {
                CControlUI* r = GetItemAt(j);
                if (!r->IsVisible() || r->IsFloat()) continue;
                RECT pad = r->GetPadding();
                SIZE avail{columnWidth - pad.left - pad.right, 9999};
                if (k == 0 || k == m_nColumns - 1) avail.cx -= m_iChildPadding / 2;
                else avail.cx -= m_iChildPadding;
                if (avail.cx < first->GetMinWidth()) avail.cx = first->GetMinWidth();
                if (avail.cx > first->GetMaxWidth()) avail.cx = first->GetMaxWidth();
                SIZE est = r->MeasureSize(avail);
                ClampSize(est, first);
                rowHeight = std::max<int>(rowHeight, est.cy + pad.top + pad.bottom);
                k++;
            }
        }
        RECT pad = c->GetPadding();
        tile.left += pad.left;
        if (column != 0) tile.left += m_iChildPadding / 2;
        tile.right -= pad.right;
        if (column != m_nColumns - 1) tile.right -= m_iChildPadding / 2;
        tile.top = cursor.y + pad.top;
        tile.bottom = cursor.y + rowHeight;

        SIZE size = c->MeasureSize(SIZE{tile.right - tile.left, tile.bottom - tile.top});
        if (size.cx == 0) size.cx = tile.right - tile.left;
        if (size.cy == 0) size.cy = tile.bottom - tile.top;
        ClampSize(size, c);
        RECT pos;
        pos.left = (tile.left + tile.right - size.cx) / 2;
        pos.top = (tile.top + tile.bottom - size.cy) / 2;
        pos.right = pos.left + size.cx;
        pos.bottom = pos.top + size.cy;
        c->SetPos(pos);

        counter++;
        if (counter % m_nColumns == 0) {
            cursor.x = rowStartX;
            cursor.y += rowHeight + m_iChildPadding;
            rowHeight = 0;
        } else {
            cursor.x += columnWidth;
        }
        needed = tile.bottom - rc.top;
        if (vbar) needed += m_pVerticalScrollBar->GetScrollPos();
    }
    PlaceScrollBars(rc, 0, needed);
}

// ---------------------------------------------------------------- child layout

void* CChildLayoutUI::GetInterface(const char* name) {
    if (strcmp(name, "ChildLayout") == 0) return this;
    return CContainerUI::GetInterface(name);
}

void CChildLayoutUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "xmlfile") == 0) SetChildXml(value);
    else CContainerUI::SetAttribute(name, value);
}

// Takes the place of the control's initialisation: the layout fills itself from its file.
void CChildLayoutUI::Init() {
    // Attributes are applied only with a manager: without one there is nothing to build yet.
    if (m_sXmlFile.IsEmpty() || m_pManager == nullptr) return;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(m_sXmlFile.GetData(), nullptr, nullptr, m_pManager, nullptr);
    if (root != nullptr) {
        // Binding again (a tree moved between windows) builds anew rather than doubling.
        CContainerUI::RemoveAll();
        Add(root);
    } else {
        RemoveAll();
    }
}

}  // namespace WinlessUI
