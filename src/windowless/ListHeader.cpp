#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "windowless/List.h"
#include "windowless/Render.h"
#include "windowless/ScrollBar.h"

namespace WinlessUI {

// ---------------- header ----------------

void* CListHeaderUI::GetInterface(const char* name) {
    if (strcmp(name, "ListHeader") == 0) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CListHeaderUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "scaleheader") == 0) SetScaleHeader(ParseBool(value));
    else CHorizontalLayoutUI::SetAttribute(name, value);
}

SIZE CListHeaderUI::MeasureSize(SIZE available) {
    SIZE result{0, m_cxyFixed.cy};
    if (result.cy == 0 && m_pManager != nullptr) {
        for (int i = 0; i < m_items.GetSize(); i++)
            result.cy = std::max<LONG>(result.cy, GetItemAt(i)->MeasureSize(available).cy);
        int minimum = m_pManager->GetDefaultFontInfo()->tm.tmHeight + 6;
        result.cy = std::max<LONG>(result.cy, minimum);
    }
    for (int i = 0; i < m_items.GetSize(); i++) result.cx += GetItemAt(i)->MeasureSize(available).cx;
    return result;
}

void CListHeaderUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    rc = RECT{m_rcItem.left + m_rcInset.left, m_rcItem.top + m_rcInset.top, m_rcItem.right - m_rcInset.right,
              m_rcItem.bottom - m_rcInset.bottom};
    if (m_items.IsEmpty()) return;
    SIZE available{rc.right - rc.left, rc.bottom - rc.top};
    int adjustables = 0, fixed = 0, counted = 0;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* c = GetItemAt(i);
        if (!c->IsVisible() || c->IsFloat()) continue;
        SIZE sz = c->MeasureSize(available);
        if (sz.cx == 0) adjustables++;
        else sz.cx = std::clamp<LONG>(sz.cx, c->GetMinWidth(), std::max(c->GetMinWidth(), c->GetMaxWidth()));
        RECT pad = c->GetPadding();
        fixed += sz.cx + pad.left + pad.right;
        counted++;
    }
    fixed += (counted - 1) * m_iChildPadding;
    const int expand = adjustables > 0 ? std::max(0, (int(available.cx) - fixed) / adjustables) : 0;
    int remainder = adjustables > 0 ? std::max(0, int(available.cx) - fixed) : 0;

    int scaleBase = m_rcItem.right - m_rcItem.left;
    if (auto* list = m_pParent ? static_cast<IListUI*>(m_pParent->GetInterface("IList")) : nullptr) {
        CScrollBarUI* bar = list->GetList()->GetVerticalScrollBar();
        if (bar != nullptr && bar->IsVisible()) scaleBase -= bar->GetFixedWidth();
    }
    int x = rc.left, remaining = available.cx, adjusted = 0;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* c = GetItemAt(i);
        if (!c->IsVisible()) continue;
        if (c->IsFloat()) {
            PlaceFloatingChild(i);
            continue;
        }
        RECT pad = c->GetPadding();
        int width;
        if (m_bIsScaleHeader) {
            auto* item = static_cast<CListHeaderItemUI*>(c->GetInterface("ListHeaderItem"));
            int scale = item ? item->GetScale() : 0;
            width = int(double(scale) * scaleBase / 100.0);
        } else {
            width = c->MeasureSize(SIZE{remaining, available.cy}).cx;
        }
        if (width == 0) {
            adjusted++;
            width = adjusted == adjustables ? std::max(0, remainder) : expand;
            remainder -= expand;
        }
        width = std::clamp(width, c->GetMinWidth(), std::max(c->GetMinWidth(), c->GetMaxWidth()));
        int height = c->GetFixedHeight();
        if (height == 0) height = std::max<int>(0, available.cy - pad.top - pad.bottom);
        height = std::clamp(height, c->GetMinHeight(), std::max(c->GetMinHeight(), c->GetMaxHeight()));
        c->SetPos(RECT{x + pad.left, rc.top + pad.top, x + pad.left + width + pad.right, rc.top + pad.top + height});
        x += width + pad.left + pad.right + m_iChildPadding;
        remaining -= width + pad.left + pad.right + m_iChildPadding;
    }
}

// ---------------- header item ----------------

CListHeaderItemUI::CListHeaderItemUI() { m_cxyMin.cx = 16; }

void* CListHeaderItemUI::GetInterface(const char* name) {
    if (strcmp(name, "ListHeaderItem") == 0) return this;
    return CContainerUI::GetInterface(name);
}

UINT CListHeaderItemUI::GetBehaviourFlags() const {
    return (IsEnabled() && m_iSepWidth != 0) ? UIFLAG_SETCURSOR : 0;
}

void CListHeaderItemUI::SetEnabled(bool enable) {
    CContainerUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CListHeaderItemUI::SetDraggable(bool on) {
    m_bDragable = on;
    if (!on) m_uButtonState &= ~UISTATE_CAPTURED;
}

void CListHeaderItemUI::SetTextPadding(RECT rc) {
    m_rcTextPadding = rc;
    Invalidate();
}

void CListHeaderItemUI::SetShowHtml(bool on) {
    if (m_bShowHtml == on) return;
    m_bShowHtml = on;
    Invalidate();
}

void CListHeaderItemUI::SetSepImage(const char* image) {
    m_diSep.SetImage(image);
    Invalidate();
}

RECT CListHeaderItemUI::GetThumbRect() const {
    const RECT& r = m_rcItem;
    if (m_iSepWidth >= 0) return RECT{r.right - m_iSepWidth, r.top, r.right, r.bottom};
    return RECT{r.left, r.top, r.left - m_iSepWidth, r.bottom};
}

RECT CListHeaderItemUI::WidenedThumbRect() const {
    RECT rc = GetThumbRect();
    if (m_iSepWidth >= 0) rc.left -= 4;
    else rc.right += 4;
    return rc;
}

void CListHeaderItemUI::SetAttribute(const char* name, const char* value) {
    auto is = [&](const char* x) { return strcmp(name, x) == 0; };
    if (is("dragable")) SetDraggable(ParseBool(value));
    else if (is("sepwidth")) SetSepWidth(atoi(value));
    else if (is("align")) {
        if (strstr(value, "left")) m_uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        if (strstr(value, "center")) {
            m_uTextStyle &= ~DT_RIGHT;
            m_uTextStyle |= DT_CENTER;
        }
        if (strstr(value, "right")) {
            m_uTextStyle &= ~DT_CENTER;
            m_uTextStyle |= DT_RIGHT;
        }
    } else if (is("endellipsis")) {
        if (ParseBool(value)) m_uTextStyle |= DT_END_ELLIPSIS;
        else m_uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (is("font")) SetFont(atoi(value));
    else if (is("textcolor")) SetTextColor(ParseColor(value));
    else if (is("textpadding")) SetTextPadding(ParseRect(value));
    else if (is("showhtml")) SetShowHtml(ParseBool(value));
    else if (is("sepimage")) SetSepImage(value);
    else if (is("scale")) SetScale(atoi(value));
    else CContainerUI::SetAttribute(name, value);
}

SIZE CListHeaderItemUI::MeasureSize(SIZE available) {
    if (m_cxyFixed.cy != 0 || m_pManager == nullptr) return CContainerUI::MeasureSize(available);
    return SIZE{m_cxyFixed.cx, m_pManager->GetDefaultFontInfo()->tm.tmHeight + 14};
}

void CListHeaderItemUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pParent != nullptr) m_pParent->HandleEvent(event);
        else CContainerUI::HandleEvent(event);
        return;
    }
    const POINT pt = event.ptMouse;
    switch (event.Type) {
        case UIEVENT_SETFOCUS:
        case UIEVENT_KILLFOCUS:
            Invalidate();
            break;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK:
            if (!IsEnabled()) return;
            if (m_iSepWidth == 0 || !PtInRect(WidenedThumbRect(), pt)) {
                m_uButtonState |= UISTATE_PUSHED;
                if (m_pManager) m_pManager->SendNotification(this, "headerclick");
                Invalidate();
            } else if (m_bDragable) {
                m_uButtonState |= UISTATE_CAPTURED;
                ptLastMouse = pt;
            }
            return;
        case UIEVENT_BUTTONUP:
            if (m_uButtonState & UISTATE_CAPTURED) {
                m_uButtonState &= ~UISTATE_CAPTURED;
                if (m_pParent) m_pParent->RequestParentLayout();
            } else if (m_uButtonState & UISTATE_PUSHED) {
                m_uButtonState &= ~UISTATE_PUSHED;
                Invalidate();
            }
            return;
        case UIEVENT_MOUSEMOVE:
            if (m_uButtonState & UISTATE_CAPTURED) {
                // From the width asked last, not the rectangle: moves may come before the layout.
                int width = m_cxyFixed.cx > 0 ? m_cxyFixed.cx : GetWidth();
                width += m_iSepWidth >= 0 ? pt.x - ptLastMouse.x : ptLastMouse.x - pt.x;
                if (width > GetMinWidth()) {
                    m_cxyFixed.cx = width;
                    ptLastMouse = pt;
                    if (m_pParent) m_pParent->RequestParentLayout();
                }
            }
            return;
        case UIEVENT_SETCURSOR:
            if (IsEnabled() && m_bDragable && m_iSepWidth != 0 && PtInRect(WidenedThumbRect(), pt)) {
                ::SetCursor(::LoadCursor(nullptr, IDC_SIZEWE));
                return;
            }
            break;
        case UIEVENT_MOUSEENTER:
            if (IsEnabled()) {
                m_uButtonState |= UISTATE_HOT;
                Invalidate();
            }
            return;
        case UIEVENT_MOUSELEAVE:
            if (IsEnabled()) {
                m_uButtonState &= ~UISTATE_HOT;
                Invalidate();
            }
            return;
        default: break;
    }
    CContainerUI::HandleEvent(event);
}

void CListHeaderItemUI::PaintStateImage(CDC* dc) {
    if (IsFocused()) m_uButtonState |= UISTATE_FOCUSED;
    else m_uButtonState &= ~UISTATE_FOCUSED;
    auto set = [](const CImageAttribute& a) { return !a.GetAttributeString().IsEmpty(); };
    CImageAttribute* chosen = &m_diNormal;
    if ((m_uButtonState & UISTATE_PUSHED) && set(m_diPushed)) chosen = &m_diPushed;
    else if (!(m_uButtonState & UISTATE_PUSHED) && (m_uButtonState & UISTATE_HOT) && set(m_diHot)) chosen = &m_diHot;
    else if (!(m_uButtonState & (UISTATE_PUSHED | UISTATE_HOT)) && (m_uButtonState & UISTATE_FOCUSED) &&
             set(m_diFocused))
        chosen = &m_diFocused;
    DrawImage(dc, *chosen);
    if (set(m_diSep)) {
        RECT sep = GetThumbRect();
        sep.left -= m_rcItem.left, sep.right -= m_rcItem.left, sep.top -= m_rcItem.top, sep.bottom -= m_rcItem.top;
        DrawImage(dc, m_diSep, sep);
    }
}

void CListHeaderItemUI::PaintCaption(CDC* dc) {
    if (m_dwTextColor == 0 && m_pManager) m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_sText.IsEmpty()) return;
    RECT rc{m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
            m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom};
    if (m_bShowHtml) {
        int links = 0;
        CRenderEngine::DrawFormattedText(dc, m_pManager, rc, m_sText, m_dwTextColor, nullptr, nullptr, links,
                                         m_uTextStyle | DT_SINGLELINE);
    } else {
        CRenderEngine::DrawText(dc, m_pManager, rc, m_sText, m_dwTextColor, m_iFont, m_uTextStyle | DT_SINGLELINE);
    }
}

}  // namespace WinlessUI
