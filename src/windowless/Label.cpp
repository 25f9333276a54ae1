#include "windowless/Label.h"

#include <cstdlib>
#include <cstring>

#include "windowless/Render.h"

namespace WinlessUI {
void* CLabelUI::GetInterface(const char* name) {
    if (strcmp(name, "Label") == 0) return this;
    return CControlUI::GetInterface(name);
}

void CLabelUI::HandleEvent(UIEvent& event) {
    if (event.Type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        return;
    }
    if (event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        return;
    }
    CControlUI::HandleEvent(event);
}

void CLabelUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "align") == 0) {
        if (strstr(value, "left")) m_uTextStyle &= ~(DT_CENTER | DT_RIGHT | DT_SINGLELINE);
        if (strstr(value, "center")) {
            m_uTextStyle &= ~DT_RIGHT;
            m_uTextStyle |= DT_CENTER;
        }
        if (strstr(value, "right")) {
            m_uTextStyle &= ~(DT_CENTER | DT_SINGLELINE);
            m_uTextStyle |= DT_RIGHT;
        }
    } else if (strcmp(name, "valign") == 0) {
        if (strstr(value, "top")) {
            m_uTextStyle &= ~(DT_VCENTER | DT_BOTTOM);
            m_uTextStyle |= DT_SINGLELINE;
        }
        if (strstr(value, "center")) {
            m_uTextStyle &= ~DT_BOTTOM;
            m_uTextStyle |= DT_VCENTER | DT_SINGLELINE;
        }
        if (strstr(value, "bottom")) {
            m_uTextStyle &= ~DT_VCENTER;
            m_uTextStyle |= DT_BOTTOM | DT_SINGLELINE;
        }
    } else if (strcmp(name, "endellipsis") == 0) {
        if (ParseBool(value)) m_uTextStyle |= DT_END_ELLIPSIS;
        else m_uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (strcmp(name, "font") == 0) {
        SetFont(atoi(value));
    } else if (strcmp(name, "textcolor") == 0) {
        SetTextColor(ParseColor(value));
    } else if (strcmp(name, "disabledtextcolor") == 0) {
        SetDisabledTextColor(ParseColor(value));
    } else if (strcmp(name, "textpadding") == 0) {
        SetTextPadding(ParseRect(value));
    } else if (strcmp(name, "showhtml") == 0) {
        SetShowHtml(ParseBool(value));
    } else if (strcmp(name, "autocalcwidth") == 0) {
        SetAutoCalcWidth(ParseBool(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CLabelUI::ApplyColourDefaults() {
    if (m_pManager == nullptr) return;
    if (m_dwTextColor == 0) m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_dwDisabledTextColor == 0) m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
}

RECT CLabelUI::PaddedRect() const {
    return RECT{m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
                m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom};
}

void CLabelUI::DrawMarkup(CDC* dc, RECT& rc, DWORD colour, UINT style) {
    int links = 0;
    CRenderEngine::DrawFormattedText(dc, m_pManager, rc, m_sText, colour, nullptr, nullptr, links, style);
}

SIZE CLabelUI::MeasureSize(SIZE available) {
    if (m_bAutoCalcWidth && m_pManager != nullptr) {
        RECT rc{0, 0, 0, 0};
        CDC* dc = m_pManager->GetHostDC();
        CDC scratch;
        if (dc == nullptr) {
            scratch.CreateCompatibleDC(nullptr);
            dc = &scratch;
        }
        if (m_bShowHtml) {
            rc = RECT{0, 0, 9999, 9999};
            int links = 0;
            CRenderEngine::DrawFormattedText(dc, m_pManager, rc, m_sText, 0, nullptr, nullptr, links,
                                             m_uTextStyle | DT_SINGLELINE | DT_CALCRECT);
        } else {
            CRenderEngine::DrawText(dc, m_pManager, rc, m_sText, 0, m_iFont, m_uTextStyle | DT_CALCRECT);
        }
        m_cxyFixed.cx = m_rcTextPadding.left + m_rcTextPadding.right + (rc.right - rc.left);
    }
    if (m_cxyFixed.cy != 0 || m_pManager == nullptr) return CControlUI::MeasureSize(available);
    return SIZE{m_cxyFixed.cx, m_pManager->GetFontInfo(m_iFont)->tm.tmHeight + 4};
}

void CLabelUI::PaintCaption(CDC* dc) {
    ApplyColourDefaults();
    RECT rc = PaddedRect();
    if (m_sText.IsEmpty()) return;
    DWORD colour = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (m_bShowHtml)
        DrawMarkup(dc, rc, colour, m_uTextStyle | DT_SINGLELINE);
    else
        CRenderEngine::DrawText(dc, m_pManager, rc, m_sText, colour, m_iFont, m_uTextStyle | DT_SINGLELINE);
}

// ---------------- text ----------------

CTextUI::CTextUI() {
    m_rcTextPadding = RECT{2, 0, 2, 0};
    m_uTextStyle = DT_WORDBREAK;
}

void* CTextUI::GetInterface(const char* name) {
    if (strcmp(name, "Text") == 0) return this;
    return CLabelUI::GetInterface(name);
}

UINT CTextUI::GetBehaviourFlags() const {
    if (!IsEnabled()) return 0;
    for (int i = 0; i < m_nLinks; i++)
        if (!IsRectEmpty(m_rcLinks[i])) return UIFLAG_SETCURSOR;
    return 0;
}

void CTextUI::SetText(const char* text) {
    if (m_sText == (text ? text : "")) return;
    CLabelUI::SetText(text);
    if (m_pParent) m_pParent->RequestLayout();
}

CUIString* CTextUI::GetLinkContent(int index) {
    if (index < 0 || index >= m_nLinks) return nullptr;
    return &m_sLinks[index];
}

void CTextUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pParent) m_pParent->HandleEvent(event);
        else CLabelUI::HandleEvent(event);
        return;
    }
    auto linkAt = [&](POINT pt) {
        for (int i = 0; i < m_nLinks; i++)
            if (PtInRect(m_rcLinks[i], pt)) return i;
        return -1;
    };
    int link = linkAt(event.ptMouse);
    switch (event.Type) {
        case UIEVENT_SETCURSOR:
            if (link >= 0) {
                ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
                return;
            }
            break;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK:
            if (IsEnabled() && link >= 0) {
                Invalidate();
                return;
            }
            break;
        case UIEVENT_BUTTONUP:
            if (IsEnabled() && link >= 0) {
                if (m_pManager) m_pManager->SendNotification(this, "link", (WPARAM)link);
                return;
            }
            break;
        case UIEVENT_CONTEXTMENU:
            return;
        case UIEVENT_MOUSEMOVE:
            if (IsEnabled() && m_nLinks > 0) {
                if (link != m_nHoverLink) {
                    m_nHoverLink = link;
                    Invalidate();
                }
                return;
            }
            break;
        case UIEVENT_MOUSELEAVE:
            if (IsEnabled() && m_nLinks > 0 && m_nHoverLink != -1) {
                m_nHoverLink = -1;
                Invalidate();
                return;
            }
            break;
        default:
            break;
    }
    CLabelUI::HandleEvent(event);
}

void CTextUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "shadowcolor") == 0) {
        m_dwShadowColor = ParseColor(value);
        Invalidate();
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

SIZE CTextUI::MeasureSize(SIZE available) {
    if (m_pManager != nullptr) {
        RECT rc{m_rcTextPadding.left, 0, (m_bAutoCalcWidth ? 9999 : m_cxyFixed.cx) - m_rcTextPadding.right, 9999};
        CDC* dc = m_pManager->GetHostDC();
        CDC scratch;
        if (dc == nullptr) {
            scratch.CreateCompatibleDC(nullptr);
            dc = &scratch;
        }
        if (m_bShowHtml) {
            int links = 0;
            CRenderEngine::DrawFormattedText(dc, m_pManager, rc, m_sText, m_dwTextColor, nullptr, nullptr, links,
                                             DT_CALCRECT | m_uTextStyle);
        } else {
            CRenderEngine::DrawText(dc, m_pManager, rc, m_sText, m_dwTextColor, m_iFont, DT_CALCRECT | m_uTextStyle);
        }
        if (m_bAutoCalcWidth) m_cxyFixed.cx = (rc.right - rc.left) + m_rcTextPadding.left + m_rcTextPadding.right;
    }
    return CControlUI::MeasureSize(available);
}

void CTextUI::PaintCaption(CDC* dc) {
    if (m_sText.IsEmpty()) {
        m_nLinks = 0;
        return;
    }
    ApplyColourDefaults();
    RECT rc = PaddedRect();
    DWORD colour = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (m_bShowHtml) {
        // The rectangles of the last paint tell which link the mouse is over.
        m_nLinks = MAX_LINK;
        CRenderEngine::DrawFormattedText(dc, m_pManager, rc, m_sText, colour, m_rcLinks, m_sLinks, m_nLinks,
                                         m_uTextStyle);
        for (int i = m_nLinks; i < MAX_LINK; i++) m_rcLinks[i] = RECT{0, 0, 0, 0};
        return;
    }
    m_nLinks = 0;
    for (auto& r : m_rcLinks) r = RECT{0, 0, 0, 0};
    if (m_dwShadowColor != 0) {
        RECT shadow{rc.left + 1, rc.top + 1, rc.right + 1, rc.bottom + 1};
        CRenderEngine::DrawText(dc, m_pManager, shadow, m_sText, m_dwShadowColor, m_iFont, m_uTextStyle);
    }
    CRenderEngine::DrawText(dc, m_pManager, rc, m_sText, colour, m_iFont, m_uTextStyle);
}

}  // namespace WinlessUI
