#include "windowless/ListElements.h"

#include <algorithm>
#include <cstring>

#include "windowless/Render.h"

namespace WinlessUI {

// ---------------- shared row state ----------------

bool CListItemState::DrawStateBk(CDC* dc, CControlUI* row, const RECT& rcPaint, bool enabled, bool withBkImage) {
    ListInfoUI* info = m_pOwner->GetListInfo();
    DWORD colour = 0;
    if (!info->bAlternateBk || m_iIndex % 2 == 0) colour = info->dwBkColor;
    if (m_uRowState & UISTATE_HOT) colour = info->dwHotBkColor;
    if (m_bSelected) colour = info->dwSelectedBkColor;
    if (!enabled) colour = info->dwDisabledBkColor;
    CUIPaintManager* manager = row->GetOwnerManager();
    const RECT& rc = row->GetPos();
    if (colour != 0) CRenderEngine::DrawColor(dc, rc, row->AdjustedColour(colour));
    auto draw = [&](CImageAttribute& image) {
        if (image.GetAttributeString().IsEmpty()) return false;
        return CRenderEngine::DrawImage(dc, manager, rc, rcPaint, image);
    };
    if (!enabled && draw(info->diDisabled)) return true;
    if (m_bSelected && draw(info->diSelected)) return true;
    if ((m_uRowState & UISTATE_HOT) && draw(info->diHot)) return true;
    return withBkImage && draw(info->diBk);
}

void CListItemState::DrawLine(CDC* dc, const RECT& rcItem, const ListInfoUI& info) {
    if (info.dwLineColor == 0) return;
    RECT line{rcItem.left, rcItem.bottom - 1, rcItem.right, rcItem.bottom - 1};
    CRenderEngine::DrawLine(dc, line, 1, info.dwLineColor);
}

DWORD CListItemState::TextColour(const ListInfoUI& info, bool enabled) const {
    DWORD colour = info.dwTextColor;
    if (m_uRowState & UISTATE_HOT) colour = info.dwHotTextColor;
    if (m_bSelected) colour = info.dwSelectedTextColor;
    if (!enabled) colour = info.dwDisabledTextColor;
    return colour;
}

// ---------------- element ----------------

void* CListElementUI::GetInterface(const char* name) {
    if (strcmp(name, "ListItem") == 0) return static_cast<IListItemUI*>(this);
    if (strcmp(name, "ListElement") == 0) return this;
    return CControlUI::GetInterface(name);
}

void CListElementUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    if (!IsVisible() && m_bSelected) {
        m_bSelected = false;
        if (m_pOwner) m_pOwner->SelectItem(-1);
    }
}

void CListElementUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!IsEnabled()) m_uRowState = 0;
}

bool CListElementUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_pManager) m_pManager->SendNotification(this, "itemactivate");
    return true;
}

bool CListElementUI::Select(bool select) {
    if (!IsEnabled()) return false;
    if (select == m_bSelected) return true;
    m_bSelected = select;
    if (select && m_pOwner) m_pOwner->SelectItem(m_iIndex);
    Invalidate();
    return true;
}

void CListElementUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "selected") == 0) Select(true);
    else CControlUI::SetAttribute(name, value);
}

void CListElementUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pOwner) m_pOwner->HandleEvent(event);
        else CControlUI::HandleEvent(event);
        return;
    }
    if ((event.Type == UIEVENT_DBLCLICK || (event.Type == UIEVENT_KEYDOWN && event.chKey == VK_RETURN)) &&
        IsEnabled()) {
        Activate();
        Invalidate();
        return;
    }
    if (m_pOwner) m_pOwner->HandleEvent(event);
    else CControlUI::HandleEvent(event);
}

void CListElementUI::Offset(int dx, int dy) {
    const RECT& rc = m_rcItem;
    const RECT moved{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
    // Placed in full when any of it shows before or after (the sweep of both meets the
    // parent), or someone listens to its size.
    bool full = m_pManager == nullptr || m_pParent == nullptr || m_bFloat || OnSize || rc.right <= rc.left ||
                rc.bottom <= rc.top;
    if (!full) {
        const RECT& view = m_pParent->GetPos();
        full = std::min(rc.left, moved.left) < view.right && std::max(rc.right, moved.right) > view.left &&
               std::min(rc.top, moved.top) < view.bottom && std::max(rc.bottom, moved.bottom) > view.top;
    }
    if (full) {
        SetPos(moved);
        return;
    }
    m_rcItem = moved;
    m_bUpdateNeeded = false;
}

void CListElementUI::PaintControl(CDC* dc, const RECT& rcPaint) {
    if (!IntersectRect(&m_rcPaint, rcPaint, m_rcItem)) return;
    DrawItemBk(dc, m_rcItem);
    DrawItemText(dc, m_rcItem);
}

void CListElementUI::DrawItemBk(CDC* dc, const RECT& rcItem) {
    if (m_pOwner == nullptr) return;
    if (!DrawStateBk(dc, this, m_rcPaint, IsEnabled(), true)) DrawLine(dc, rcItem, *m_pOwner->GetListInfo());
}

// ---------------- label element ----------------

void* CListLabelElementUI::GetInterface(const char* name) {
    if (strcmp(name, "ListLabelElement") == 0) return this;
    return CListElementUI::GetInterface(name);
}

void CListLabelElementUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        CListElementUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
        case UIEVENT_MOUSEMOVE: return;
        case UIEVENT_MOUSELEAVE:
            if (m_uRowState & UISTATE_HOT) {
                m_uRowState &= ~UISTATE_HOT;
                Invalidate();
            }
            return;
        case UIEVENT_MOUSEENTER:
            if (IsEnabled()) {
                m_uRowState |= UISTATE_HOT;
                Invalidate();
            }
            return;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_RBUTTONDOWN:
            if (IsEnabled()) {
                Select(true);
                Invalidate();
            }
            return;
        case UIEVENT_BUTTONUP:
            if (IsEnabled() && m_pManager) m_pManager->SendNotification(this, "itemclick");
            return;
        default: break;
    }
    CListElementUI::HandleEvent(event);
}

SIZE CListLabelElementUI::MeasureSize(SIZE) {
    if (m_pOwner == nullptr || m_pManager == nullptr) return SIZE{0, 0};
    ListInfoUI* info = m_pOwner->GetListInfo();
    SIZE sz = m_cxyFixed;
    const RECT& pad = info->rcTextPadding;
    if (sz.cy == 0) sz.cy = m_pManager->GetFontInfo(info->nFont)->tm.tmHeight + pad.top + pad.bottom + 8;
    if (sz.cx == 0) {
        RECT rc{0, 0, 9999, sz.cy};
        UINT style = (info->uTextStyle & ~(DT_CENTER | DT_RIGHT)) | DT_SINGLELINE | DT_CALCRECT;
        CDC* dc = m_pManager->GetHostDC();
        CDC scratch;
        if (dc == nullptr) {
            scratch.CreateCompatibleDC(nullptr);
            dc = &scratch;
        }
        if (info->bShowHtml) {
            int links = 0;
            CRenderEngine::DrawFormattedText(dc, m_pManager, rc, m_sText, 0, nullptr, nullptr, links, style);
        } else {
            CRenderEngine::DrawText(dc, m_pManager, rc, m_sText, 0, info->nFont, style);
        }
        sz.cx = rc.right - rc.left + pad.left + pad.right;
    }
    return sz;
}

void CListLabelElementUI::DrawItemText(CDC* dc, const RECT& rcItem) {
    if (m_sText.IsEmpty() || m_pOwner == nullptr) return;
    ListInfoUI* info = m_pOwner->GetListInfo();
    DWORD colour = TextColour(*info, IsEnabled());
    RECT rc{rcItem.left + info->rcTextPadding.left, rcItem.top + info->rcTextPadding.top,
            rcItem.right - info->rcTextPadding.right, rcItem.bottom - info->rcTextPadding.bottom};
    if (info->bShowHtml) {
        int links = 0;
        CRenderEngine::DrawFormattedText(dc, m_pManager, rc, m_sText, colour, nullptr, nullptr, links,
                                         info->uTextStyle | DT_SINGLELINE);
    } else {
        CRenderEngine::DrawText(dc, m_pManager, rc, m_sText, colour, info->nFont, info->uTextStyle | DT_SINGLELINE);
    }
}

// ---------------- text element ----------------

void* CListTextElementUI::GetInterface(const char* name) {
    if (strcmp(name, "ListTextElement") == 0) return this;
    return CListLabelElementUI::GetInterface(name);
}

UINT CListTextElementUI::GetBehaviourFlags() const {
    if (IsEnabled() && m_nLinks > 0) return UIFLAG_WANTRETURN | UIFLAG_SETCURSOR;
    return UIFLAG_WANTRETURN;
}

void CListTextElementUI::SetOwner(CControlUI* owner) {
    CListLabelElementUI::SetOwner(owner);
    m_pListOwner = owner ? static_cast<IListUI*>(owner->GetInterface("IList")) : nullptr;
}

CUIString CListTextElementUI::GetText(int column) const {
    if (column < 0 || column >= (int)m_aTexts.size()) return CUIString();
    return m_aTexts[column];
}

void CListTextElementUI::SetText(int column, const char* text) {
    if (column < 0 || column >= kMaxListColumns) return;
    if ((int)m_aTexts.size() <= column) m_aTexts.resize(column + 1);
    m_aTexts[column] = text ? text : "";
    Invalidate();
}

void CListTextElementUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pListOwner) m_pListOwner->HandleEvent(event);
        else CListLabelElementUI::HandleEvent(event);
        return;
    }
    const POINT pt = event.ptMouse;
    auto linkAt = [&]() {
        for (int i = 0; i < m_nLinks; i++)
            if (PtInRect(m_rcLinks[i], pt)) return i;
        return -1;
    };
    if (event.Type == UIEVENT_SETCURSOR && linkAt() >= 0) {
        ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
        return;
    }
    if (event.Type == UIEVENT_BUTTONUP && IsEnabled()) {
        int link = linkAt();
        if (link >= 0) {
            if (m_pManager) m_pManager->SendNotification(this, "link", link);
            return;
        }
    }
    if (m_nLinks > 0 && event.Type == UIEVENT_MOUSEMOVE) {
        int hover = linkAt();
        if (hover != m_nHoverLink) {
            m_nHoverLink = hover;
            Invalidate();
        }
    }
    if (m_nLinks > 0 && event.Type == UIEVENT_MOUSELEAVE && m_nHoverLink != -1) {
        m_nHoverLink = -1;
        Invalidate();
    }
    CListLabelElementUI::HandleEvent(event);
}

SIZE CListTextElementUI::MeasureSize(SIZE) {
    if (m_pOwner == nullptr || m_pManager == nullptr) return m_cxyFixed;
    ListInfoUI* info = m_pOwner->GetListInfo();
    SIZE sz = m_cxyFixed;
    if (sz.cy == 0)
        sz.cy = m_pManager->GetFontInfo(info->nFont)->tm.tmHeight + info->rcTextPadding.top +
                info->rcTextPadding.bottom + 8;
    return sz;
}

void CListTextElementUI::DrawItemText(CDC* dc, const RECT& rcItem) {
    if (m_pListOwner == nullptr) return;
    ListInfoUI* info = m_pOwner->GetListInfo();
    DWORD colour = TextColour(*info, IsEnabled());
    IListTextCallback* callback = m_pListOwner->GetCellTextSource();
    m_nLinks = 0;
    const RECT& pad = info->rcTextPadding;
    // Every cell is in the row's font: selected once for all of them.
    CFont* font = m_pManager ? m_pManager->GetFont(info->nFont) : nullptr;
    CFont* oldFont = nullptr;
    const bool swapFont = font != nullptr && dc->GetCurrentFont() != font;
    if (swapFont) oldFont = dc->SelectObject(font);
    for (int i = 0; i < info->nColumns && i < kMaxListColumns; i++) {
        RECT rc{info->rcColumn[i].left + pad.left, rcItem.top + pad.top, info->rcColumn[i].right - pad.right,
                rcItem.bottom - pad.bottom};
        CUIString text = callback ? callback->GetItemText(this, m_iIndex, i) : GetText(i);
        if (info->bShowHtml) {
            int links = MAX_LINK - m_nLinks;
            CRenderEngine::DrawFormattedText(dc, m_pManager, rc, text, colour, &m_rcLinks[m_nLinks],
                                             &m_sLinks[m_nLinks], links, info->uTextStyle | DT_SINGLELINE);
            m_nLinks += links;
        } else {
            CRenderEngine::DrawText(dc, m_pManager, rc, text, colour, info->nFont, info->uTextStyle | DT_SINGLELINE);
        }
    }
    if (swapFont) dc->SelectObject(oldFont);
    for (int i = m_nLinks; i < MAX_LINK; i++) {
        m_rcLinks[i] = RECT{0, 0, 0, 0};
        m_sLinks[i].Empty();
    }
}

// ---------------- container element ----------------

void* CListContainerElementUI::GetInterface(const char* name) {
    if (strcmp(name, "ListItem") == 0) return static_cast<IListItemUI*>(this);
    if (strcmp(name, "ListContainerElement") == 0) return this;
    return CContainerUI::GetInterface(name);
}

void CListContainerElementUI::SetVisible(bool visible) {
    CContainerUI::SetVisible(visible);
    if (!IsVisible() && m_bSelected) {
        m_bSelected = false;
        if (m_pOwner) m_pOwner->SelectItem(-1);
    }
}

void CListContainerElementUI::SetEnabled(bool enable) {
    CContainerUI::SetEnabled(enable);
    if (!IsEnabled()) m_uRowState = 0;
}

bool CListContainerElementUI::Activate() {
    if (!CContainerUI::Activate()) return false;
    if (m_pManager) m_pManager->SendNotification(this, "itemactivate");
    return true;
}

bool CListContainerElementUI::Select(bool select) {
    if (!IsEnabled()) return false;
    if (select == m_bSelected) return true;
    m_bSelected = select;
    if (select && m_pOwner) m_pOwner->SelectItem(m_iIndex);
    Invalidate();
    return true;
}

void CListContainerElementUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "selected") == 0) Select(true);
    else CHorizontalLayoutUI::SetAttribute(name, value);
}

void CListContainerElementUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pOwner) m_pOwner->HandleEvent(event);
        else CContainerUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
        case UIEVENT_DBLCLICK:
            if (IsEnabled()) {
                Activate();
                Invalidate();
            }
            return;
        case UIEVENT_KEYDOWN:
            if (event.chKey == VK_RETURN && IsEnabled()) {
                Activate();
                Invalidate();
                return;
            }
            break;
        case UIEVENT_MOUSEMOVE: return;
        case UIEVENT_MOUSELEAVE:
            if (m_uRowState & UISTATE_HOT) {
                m_uRowState &= ~UISTATE_HOT;
                Invalidate();
            }
            return;
        case UIEVENT_MOUSEENTER:
            if (IsEnabled()) {
                m_uRowState |= UISTATE_HOT;
                Invalidate();
            }
            return;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_RBUTTONDOWN:
            if (IsEnabled()) {
                Select(true);
                Invalidate();
            }
            return;
        case UIEVENT_BUTTONUP:
            if (IsEnabled() && m_pManager) m_pManager->SendNotification(this, "itemclick");
            return;
        case UIEVENT_CONTEXTMENU:
            if (IsMenuEnabled()) {
                if (m_pManager) m_pManager->SendNotification(this, "menu", event.wParam, event.lParam);
                return;
            }
            break;
        case UIEVENT_TIMER:
            if (m_pManager) m_pManager->SendNotification(this, "timer", event.wParam, event.lParam);
            return;
        default: break;
    }
    if (m_pOwner) m_pOwner->HandleEvent(event);
    else CControlUI::HandleEvent(event);
}

void CListContainerElementUI::SetPos(RECT rc) {
    CHorizontalLayoutUI::SetPos(rc);
    if (m_pOwnerControl == nullptr || strcmp(m_pOwnerControl->GetClassName(), "ListUI") != 0) return;
    CListHeaderUI* header = static_cast<CListUI*>(m_pOwnerControl)->GetHeader();
    if (header == nullptr || !header->IsVisible()) return;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* headerItem = header->GetItemAt(i);
        if (headerItem == nullptr) break;
        const RECT& col = headerItem->GetPos();
        if (col.left == 0 && col.right == 0) continue;
        CControlUI* child = GetItemAt(i);
        RECT cell = child->GetPos();
        cell.left = col.left, cell.right = col.right;
        child->SetPos(cell);
    }
}

void CListContainerElementUI::DrawItemBk(CDC* dc, const RECT& rcItem) {
    if (m_pOwner == nullptr) return;
    if (DrawStateBk(dc, this, m_rcPaint, IsEnabled(), false)) return;
    ListInfoUI* info = m_pOwner->GetListInfo();
    if (!m_diBk.GetAttributeString().IsEmpty()) {
        if (!info->bAlternateBk || m_iIndex % 2 == 0) DrawImage(dc, m_diBk);
        DrawLine(dc, rcItem, *info);
        return;
    }
    if (!info->diBk.GetAttributeString().IsEmpty() &&
        CRenderEngine::DrawImage(dc, m_pManager, m_rcItem, m_rcPaint, info->diBk))
        return;
    DrawLine(dc, rcItem, *info);
}

void CListContainerElementUI::PaintControl(CDC* dc, const RECT& rcPaint) {
    if (!IntersectRect(&m_rcPaint, rcPaint, m_rcItem)) return;
    DrawItemBk(dc, m_rcItem);
    CHorizontalLayoutUI::PaintControl(dc, rcPaint);
}


}  // namespace WinlessUI
