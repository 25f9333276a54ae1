#include "windowless/Button.h"

#include <cstdlib>
#include <cstring>

#include "windowless/Container.h"
#include "windowless/Render.h"

namespace WinlessUI {
CButtonUI::CButtonUI() {
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

void* CButtonUI::GetInterface(const char* name) {
    if (strcmp(name, "Button") == 0) return this;
    return CLabelUI::GetInterface(name);
}

UINT CButtonUI::GetBehaviourFlags() const {
    return (IsEnabled() ? UIFLAG_SETCURSOR : 0) | (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0);
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_pManager != nullptr) {
        m_pManager->SendNotification(this, "click");
        if (!m_sBindTabLayoutName.IsEmpty() && m_iBindTabIndex >= 0) {
            CControlUI* tab = m_pManager->FindControlByName(m_sBindTabLayoutName);
            if (tab != nullptr)
                if (auto* layout = static_cast<ITabLayoutUI*>(tab->GetInterface("ITabLayout")))
                    layout->SelectItem(m_iBindTabIndex);
        }
    }
    return true;
}

void CButtonUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CButtonUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pParent) m_pParent->HandleEvent(event);
        else CLabelUI::HandleEvent(event);
        return;
    }
    const bool inside = PtInRect(m_rcItem, event.ptMouse);
    switch (event.Type) {
        case UIEVENT_SETFOCUS:
        case UIEVENT_KILLFOCUS:
            Invalidate();
            break;
        case UIEVENT_KEYDOWN:
            if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
                Activate();
                return;
            }
            break;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK:
            if (inside && IsEnabled()) {
                m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
                Invalidate();
            }
            return;
        case UIEVENT_MOUSEMOVE:
            if (m_uButtonState & UISTATE_CAPTURED) {
                if (inside) m_uButtonState |= UISTATE_PUSHED;
                else m_uButtonState &= ~UISTATE_PUSHED;
                Invalidate();
            }
            return;
        case UIEVENT_BUTTONUP:
            if (m_uButtonState & UISTATE_CAPTURED) {
                m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
                Invalidate();
                if (inside) Activate();
            }
            return;
        case UIEVENT_CONTEXTMENU:
            if (IsMenuEnabled() && m_pManager) m_pManager->SendNotification(this, "menu", event.wParam, event.lParam);
            return;
        case UIEVENT_MOUSEENTER:
            if (IsEnabled()) {
                m_uButtonState |= UISTATE_HOT;
                Invalidate();
            }
            break;
        case UIEVENT_MOUSELEAVE:
            if (IsEnabled()) {
                m_uButtonState &= ~UISTATE_HOT;
                Invalidate();
            }
            break;
        case UIEVENT_SETCURSOR:
            ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
            return;
        default:
            break;
    }
    CLabelUI::HandleEvent(event);
}

void CButtonUI::SetHotForeImage(const char* text) {
    m_diHotFore.SetImage(text);
    Invalidate();
}
void CButtonUI::SetPushedForeImage(const char* text) {
    m_diPushedFore.SetImage(text);
    Invalidate();
}

void CButtonUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "hotforeimage") == 0) SetHotForeImage(value);
    else if (strcmp(name, "pushedforeimage") == 0) SetPushedForeImage(value);
    else if (strcmp(name, "bindtabindex") == 0) BindTabIndex(atoi(value));
    else if (strcmp(name, "bindtablayoutname") == 0) BindTabLayoutName(value);
    else if (strcmp(name, "hotbkcolor") == 0) SetHotBkColor(ParseColor(value));
    else if (strcmp(name, "hottextcolor") == 0) SetHotTextColor(ParseColor(value));
    else if (strcmp(name, "pushedtextcolor") == 0) SetPushedTextColor(ParseColor(value));
    else if (strcmp(name, "focusedtextcolor") == 0) SetFocusedTextColor(ParseColor(value));
    else if (strcmp(name, "multiline") == 0) {
        if (ParseBool(value)) {
            m_uTextStyle &= ~DT_SINGLELINE;
            m_uTextStyle |= DT_WORDBREAK;
        } else {
            m_uTextStyle &= ~DT_WORDBREAK;
            m_uTextStyle |= DT_SINGLELINE;
        }
    } else CLabelUI::SetAttribute(name, value);
}

SIZE CButtonUI::MeasureSize(SIZE available) {
    if (m_cxyFixed.cy != 0 || m_pManager == nullptr) return CControlUI::MeasureSize(available);
    return SIZE{m_cxyFixed.cx, m_pManager->GetFontInfo(m_iFont)->tm.tmHeight + 8};
}

void CButtonUI::PaintStateImage(CDC* dc) {
    if (IsFocused()) m_uButtonState |= UISTATE_FOCUSED;
    else m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled()) m_uButtonState |= UISTATE_DISABLED;
    else m_uButtonState &= ~UISTATE_DISABLED;
    auto set = [](const CImageAttribute& a) { return !a.GetAttributeString().IsEmpty(); };
    if (m_uButtonState & UISTATE_DISABLED) {
        if (!(set(m_diDisabled) && DrawImage(dc, m_diDisabled))) DrawImage(dc, m_diNormal);
        DrawImage(dc, m_diFore);
        return;
    }
    if (m_uButtonState & UISTATE_PUSHED) {
        if (set(m_diPushed)) {
            DrawImage(dc, m_diPushed);
            if (set(m_diPushedFore)) DrawImage(dc, m_diPushedFore);
            else DrawImage(dc, m_diFore);
        } else {
            DrawImage(dc, m_diNormal);
            DrawImage(dc, m_diFore);
        }
        return;
    }
    if (m_uButtonState & UISTATE_HOT) {
        if (set(m_diHot)) {
            DrawImage(dc, m_diHot);
            if (set(m_diHotFore)) DrawImage(dc, m_diHotFore);
            else DrawImage(dc, m_diFore);
        } else if (m_dwHotBkColor != 0) {
            CRenderEngine::DrawColor(dc, m_rcPaint, AdjustedColour(m_dwHotBkColor));
        } else {
            DrawImage(dc, m_diNormal);
            DrawImage(dc, m_diFore);
        }
        return;
    }
    if (m_uButtonState & UISTATE_FOCUSED) {
        if (set(m_diFocused)) DrawImage(dc, m_diFocused);
        else DrawImage(dc, m_diNormal);
        DrawImage(dc, m_diFore);
        return;
    }
    DrawImage(dc, m_diNormal);
    DrawImage(dc, m_diFore);
}

DWORD CButtonUI::CaptionColour() {
    DWORD colour = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedTextColor != 0) colour = m_dwPushedTextColor;
    else if ((m_uButtonState & UISTATE_HOT) && m_dwHotTextColor != 0) colour = m_dwHotTextColor;
    else if ((m_uButtonState & UISTATE_FOCUSED) && m_dwFocusedTextColor != 0) colour = m_dwFocusedTextColor;
    return colour;
}

void CButtonUI::PaintCaption(CDC* dc) {
    if (IsFocused()) m_uButtonState |= UISTATE_FOCUSED;
    else m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled()) m_uButtonState |= UISTATE_DISABLED;
    else m_uButtonState &= ~UISTATE_DISABLED;
    ApplyColourDefaults();
    if (m_sText.IsEmpty()) return;
    RECT rc = PaddedRect();
    DWORD colour = CaptionColour();
    if (m_bShowHtml) DrawMarkup(dc, rc, colour, m_uTextStyle);
    else CRenderEngine::DrawText(dc, m_pManager, rc, m_sText, colour, m_iFont, m_uTextStyle);
}

// ---------------- option ----------------

COptionUI::~COptionUI() {
    if (!m_sGroupName.IsEmpty() && m_pManager) m_pManager->RemoveFromGroup(m_sGroupName, this);
}

void* COptionUI::GetInterface(const char* name) {
    if (strcmp(name, "Option") == 0) return this;
    return CButtonUI::GetInterface(name);
}

void COptionUI::BindManager(CUIPaintManager* manager, CControlUI* parent, bool init) {
    CButtonUI::BindManager(manager, parent, init);
    if (init && !m_sGroupName.IsEmpty() && m_pManager) m_pManager->AddToGroup(m_sGroupName, this);
}

void COptionUI::SetGroup(const char* name) {
    if (name == nullptr) {
        if (m_sGroupName.IsEmpty()) return;
        if (m_pManager) m_pManager->RemoveFromGroup(m_sGroupName, this);
        m_sGroupName.Empty();
    } else {
        if (m_sGroupName == name) return;
        if (!m_sGroupName.IsEmpty() && m_pManager) m_pManager->RemoveFromGroup(m_sGroupName, this);
        m_sGroupName = name;
        if (!m_sGroupName.IsEmpty() && m_pManager) m_pManager->AddToGroup(m_sGroupName, this);
    }
    SetSelected(m_bSelected);
}

void COptionUI::SetSelected(bool selected) {
    m_bSelected = selected;
    if (m_bSelected) m_uButtonState |= UISTATE_SELECTED;
    else m_uButtonState &= ~UISTATE_SELECTED;
    if (m_pManager == nullptr) {
        Invalidate();
        return;
    }
    if (!m_sGroupName.IsEmpty()) {
        if (!m_bSelected) {
            Invalidate();
            return;
        }
        if (CUIPtrArray* group = m_pManager->GetGroup(m_sGroupName)) {
            CUIPtrArray members = *group;
            for (int i = 0; i < members.GetSize(); i++) {
                auto* other = static_cast<COptionUI*>(members[i]);
                if (other != this) other->SetSelected(false);
            }
        }
    }
    m_pManager->SendNotification(this, "selectchanged");
    Invalidate();
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    if (!m_sGroupName.IsEmpty()) SetSelected(true);
    else SetSelected(!m_bSelected);
    return true;
}

void COptionUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = m_bSelected ? UISTATE_SELECTED : 0;
}

void COptionUI::SetSelectedImage(const char* text) {
    m_diSelected.SetImage(text);
    Invalidate();
}
void COptionUI::SetSelectedHotImage(const char* text) {
    m_diSelectedHot.SetImage(text);
    Invalidate();
}
void COptionUI::SetSelectedPushedImage(const char* text) {
    m_diSelectedPushed.SetImage(text);
    Invalidate();
}
void COptionUI::SetSelectedForeImage(const char* text) {
    m_diSelectedFore.SetImage(text);
    Invalidate();
}

void COptionUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "group") == 0) SetGroup(value);
    else if (strcmp(name, "selected") == 0) SetSelected(ParseBool(value));
    else if (strcmp(name, "selectedimage") == 0) SetSelectedImage(value);
    else if (strcmp(name, "selectedhotimage") == 0) SetSelectedHotImage(value);
    else if (strcmp(name, "selectedpushedimage") == 0) SetSelectedPushedImage(value);
    else if (strcmp(name, "selectedforeimage") == 0) SetSelectedForeImage(value);
    else if (strcmp(name, "selectedbkcolor") == 0) SetSelectedBkColor(ParseColor(value));
    else if (strcmp(name, "selectedtextcolor") == 0) SetSelectedTextColor(ParseColor(value));
    else CButtonUI::SetAttribute(name, value);
}

void COptionUI::PaintStateImage(CDC* dc) {
    auto set = [](const CImageAttribute& a) { return !a.GetAttributeString().IsEmpty(); };
    bool drawn = false;
    bool buttonPainting = false;
    if ((m_uButtonState & UISTATE_PUSHED) && IsSelected() && set(m_diSelectedPushed)) {
        drawn = DrawImage(dc, m_diSelectedPushed);
        buttonPainting = !drawn;
    } else if ((m_uButtonState & UISTATE_HOT) && IsSelected() && set(m_diSelectedHot)) {
        drawn = DrawImage(dc, m_diSelectedHot);
        buttonPainting = !drawn;
    } else if (m_uButtonState & UISTATE_SELECTED) {
        if (set(m_diSelected)) {
            drawn = DrawImage(dc, m_diSelected);
            buttonPainting = !drawn;
        } else if (m_dwSelectedBkColor != 0) {
            CRenderEngine::DrawColor(dc, m_rcPaint, AdjustedColour(m_dwSelectedBkColor));
            return;
        } else {
            buttonPainting = true;
        }
    } else {
        buttonPainting = true;
    }
    if (buttonPainting) CButtonUI::PaintStateImage(dc);
    if (IsSelected() && set(m_diSelectedFore)) DrawImage(dc, m_diSelectedFore);
    else if (set(m_diFore) && !buttonPainting) DrawImage(dc, m_diFore);
}

void COptionUI::PaintCaption(CDC* dc) {
    if (!(m_uButtonState & UISTATE_SELECTED)) {
        CButtonUI::PaintCaption(dc);
        return;
    }
    ApplyColourDefaults();
    if (m_sText.IsEmpty()) return;
    RECT rc = PaddedRect();
    DWORD colour = IsEnabled() ? (m_dwSelectedTextColor != 0 ? m_dwSelectedTextColor : m_dwTextColor)
                               : m_dwDisabledTextColor;
    if (m_bShowHtml) DrawMarkup(dc, rc, colour, m_uTextStyle);
    else CRenderEngine::DrawText(dc, m_pManager, rc, m_sText, colour, m_iFont, m_uTextStyle);
}

}  // namespace WinlessUI
