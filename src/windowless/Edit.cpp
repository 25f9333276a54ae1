#include "windowless/Edit.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Controls.h"
#include "windowless/Render.h"

#ifndef ES_AUTOHSCROLL
#define ES_AUTOHSCROLL 0x0080L
#endif
#ifndef ES_PASSWORD
#define ES_PASSWORD 0x0020L
#endif
#ifndef ES_NUMBER
#define ES_NUMBER 0x2000L
#endif

namespace WinlessUI {
namespace {


// Native edit windows own themselves. One that is gone is freed here, outside the
// message handling that reported its end, so no frame below still uses it.
std::vector<std::unique_ptr<CEditWnd>>& Graveyard() {
    static auto* dead = new std::vector<std::unique_ptr<CEditWnd>>;
    return *dead;
}

COLORREF ToColorref(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

int Utf8Chars(const char* s) {
    int n = 0;
    for (; *s; ++s)
        if ((*s & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

// ---------------- native window ----------------

RECT CEditWnd::CalcEditRect() const {
    RECT rc = m_pOwner->GetPos();
    RECT pad = m_pOwner->GetTextPadding();
    rc.left += pad.left, rc.top += pad.top, rc.right -= pad.right, rc.bottom -= pad.bottom;
    CUIPaintManager* m = m_pOwner->GetOwnerManager();
    int fontHeight = m ? m->GetFontInfo(m_pOwner->GetFont())->tm.tmHeight : 0;
    if (fontHeight > 0 && fontHeight < rc.bottom - rc.top) {
        rc.top += (rc.bottom - rc.top - fontHeight) / 2;
        rc.bottom = rc.top + fontHeight;
    }
    return rc;
}

void CEditWnd::Init(CEditUI* owner) {
    Graveyard().clear();
    m_pOwner = owner;
    CUIPaintManager* m = owner->GetOwnerManager();
    RECT rc = CalcEditRect();
    DWORD style;
    CWnd* host = m->GetHostWindow();
    if (m->IsBackgroundTransparent()) {
        style = WS_POPUP | WS_VISIBLE | ES_AUTOHSCROLL;
        POINT origin{0, 0};
        host->ClientToScreen(&origin);
        rc.left += origin.x, rc.right += origin.x, rc.top += origin.y, rc.bottom += origin.y;
    } else {
        style = WS_CHILD | ES_AUTOHSCROLL;
    }
    if (owner->IsPasswordMode()) style |= ES_PASSWORD;
    style |= owner->GetEditStyle();
    CreateNativeWindow(host, nullptr, style, 0, rc);
    auto* edit = static_cast<CEdit*>(GetWnd());
    if (edit == nullptr || m_hWnd == nullptr) return;
    if ((style & WS_POPUP) && (edit->GetStyle() & WS_CHILD)) {
        // The platform makes every native control a child of its window: client
        // coordinates, then, whatever the host's painting mode.
        RECT client = CalcEditRect();
        edit->SetWindowPos(nullptr, client.left, client.top, client.right - client.left, client.bottom - client.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
    }
    edit->SetFont(m->GetFont(owner->GetFont()));
    edit->SetLimitText(owner->GetMaxChar());
    if (owner->IsPasswordMode()) edit->SetPasswordChar(owner->GetPasswordChar());
    edit->SetWindowText(owner->GetText().ToStd());
    edit->EnableWindow(owner->IsEnabled() ? TRUE : FALSE);
    edit->SetReadOnly(owner->IsReadOnly() ? TRUE : FALSE);
    if (owner->m_dwEditbkColor != 0xFFFFFFFF) {
        DWORD text = owner->m_dwEditTextColor != 0 ? owner->m_dwEditTextColor : owner->GetTextColor();
        edit->SetColors(ToColorref(text), ToColorref(owner->m_dwEditbkColor));
    }
    edit->ShowWindow(SW_SHOWNOACTIVATE);
    edit->SetFocus();
    m_bInit = true;
}

void CEditWnd::SelectAll() {
    auto* edit = static_cast<CEdit*>(GetWnd());
    if (edit == nullptr || !edit->GetSafeHwnd()) return;
    int len = Utf8Chars(edit->GetWindowText().c_str());
    edit->SetSel(0, len == 0 ? 1 : len);
}

LRESULT CEditWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_KILLFOCUS: {
            LRESULT r = CallPreviousProc(msg, wParam, lParam);
            PostToWindow(WM_CLOSE);
            return r;
        }
        case WM_KEYDOWN:
            if (wParam == VK_RETURN && m_pOwner && m_pOwner->GetOwnerManager()) {
                m_pOwner->GetOwnerManager()->SendNotification(m_pOwner, "return");
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == '\r' || wParam == '\n') return 0;
            break;
        case OCM__BASE + WM_COMMAND:
            if (HIWORD(wParam) == EN_CHANGE) {
                if (!m_bInit || m_pOwner == nullptr) return 0;
                // Straight into the field: no repaint of the label, no echo to this window.
                m_pOwner->m_sText = GetWnd()->GetWindowText();
                if (m_pOwner->GetOwnerManager())
                    m_pOwner->GetOwnerManager()->SendNotification(m_pOwner, "textchanged");
                return 0;
            }
            if (HIWORD(wParam) == EN_UPDATE) {
                GetWnd()->Invalidate(FALSE);
                return 0;
            }
            return 0;
        case OCM__BASE + WM_CTLCOLOREDIT:
        case OCM__BASE + WM_CTLCOLORSTATIC:
            return 0;
        default:
            break;
    }
    return CallPreviousProc(msg, wParam, lParam);
}

void CEditWnd::OnWindowGone(HWND) {
    CEditUI* owner = m_pOwner;
    m_pOwner = nullptr;
    if (owner != nullptr) {
        owner->Invalidate();
        owner->m_pWindow = nullptr;
    }
    Graveyard().emplace_back(this);
}

// ---------------- control ----------------

CEditUI::CEditUI() {
    m_rcTextPadding = RECT{4, 3, 4, 3};
    SetBkColor(0xFFFFFFFF);
}

CEditUI::~CEditUI() {
    if (m_pWindow != nullptr) {
        CEditWnd* w = m_pWindow;
        m_pWindow = nullptr;
        if (w->GetWnd() && w->GetWnd()->GetSafeHwnd()) w->GetWnd()->DestroyWindow();
    }
}

void* CEditUI::GetInterface(const char* name) {
    if (strcmp(name, "Edit") == 0) return this;
    return CLabelUI::GetInterface(name);
}

UINT CEditUI::GetBehaviourFlags() const {
    if (IsEnabled()) return UIFLAG_SETCURSOR | UIFLAG_TABSTOP;
    return CLabelUI::GetBehaviourFlags();
}

void CEditUI::SetText(const char* text) {
    m_sText = text;
    if (m_pWindow != nullptr && m_pWindow->GetWnd()) m_pWindow->GetWnd()->SetWindowText(m_sText.ToStd());
    Invalidate();
}

void CEditUI::SetMaxChar(UINT max) {
    m_uMaxChar = max;
    if (m_pWindow && m_pWindow->GetWnd()) static_cast<CEdit*>(m_pWindow->GetWnd())->SetLimitText(max);
}
void CEditUI::SetReadOnly(bool on) {
    if (m_bReadOnly == on) return;
    m_bReadOnly = on;
    if (m_pWindow && m_pWindow->GetWnd()) static_cast<CEdit*>(m_pWindow->GetWnd())->SetReadOnly(on);
    Invalidate();
}
void CEditUI::SetNumberOnly(bool on) {
    if (on) m_iWindowStyls |= ES_NUMBER;
    else m_iWindowStyls &= ~ES_NUMBER;
}
void CEditUI::SetPasswordMode(bool on) {
    if (m_bPasswordMode == on) return;
    m_bPasswordMode = on;
    Invalidate();
}
void CEditUI::SetPasswordChar(char ch) {
    if (m_cPasswordChar == ch) return;
    m_cPasswordChar = ch;
    if (m_pWindow && m_pWindow->GetWnd()) static_cast<CEdit*>(m_pWindow->GetWnd())->SetPasswordChar(ch);
    Invalidate();
}

void CEditUI::OpenNativeWindow() {
    m_pWindow = new CEditWnd;
    m_pWindow->Init(this);
    if (m_pWindow->GetHWND() == nullptr) {
        delete m_pWindow;
        m_pWindow = nullptr;
    }
    Invalidate();
}

void CEditUI::SetPos(RECT rc) {
    CLabelUI::SetPos(rc);
    if (m_pWindow == nullptr || m_pWindow->GetWnd() == nullptr || m_pManager == nullptr) return;
    RECT r = m_pWindow->CalcEditRect();
    if (m_pManager->IsBackgroundTransparent() && !(m_pWindow->GetWnd()->GetStyle() & WS_CHILD)) {
        POINT origin{0, 0};
        m_pManager->GetHostWindow()->ClientToScreen(&origin);
        r.left += origin.x, r.right += origin.x, r.top += origin.y, r.bottom += origin.y;
    }
    m_pWindow->GetWnd()->SetWindowPos(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                      SWP_NOZORDER | SWP_NOACTIVATE);
}

void CEditUI::SetVisible(bool visible) {
    CLabelUI::SetVisible(visible);
    if (!IsVisible() && m_pWindow != nullptr && m_pManager) m_pManager->SetFocusControl(nullptr);
}
void CEditUI::SetShownByParent(bool visible) {
    CLabelUI::SetShownByParent(visible);
    if (!IsVisible() && m_pWindow != nullptr && m_pManager) m_pManager->SetFocusControl(nullptr);
}
void CEditUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CEditUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pParent) m_pParent->HandleEvent(event);
        else CLabelUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
        case UIEVENT_SETCURSOR:
            if (IsEnabled()) {
                ::SetCursor(::LoadCursor(nullptr, IDC_IBEAM));
                return;
            }
            break;
        case UIEVENT_WINDOWSIZE:
            if (m_pWindow != nullptr && m_pManager) m_pManager->RequestFocus(this);
            break;
        case UIEVENT_SCROLLWHEEL:
            if (m_pWindow != nullptr) return;
            break;
        case UIEVENT_SETFOCUS:
            if (IsEnabled()) {
                if (m_pWindow != nullptr) return;
                OpenNativeWindow();
            }
            break;
        case UIEVENT_KILLFOCUS:
            if (IsEnabled()) Invalidate();
            break;
        case UIEVENT_MOUSEMOVE:
        case UIEVENT_BUTTONUP:
        case UIEVENT_CONTEXTMENU:
            return;
        case UIEVENT_MOUSELEAVE:
            if (IsEnabled()) {
                m_uButtonState &= ~UISTATE_HOT;
                Invalidate();
            }
            return;
        case UIEVENT_MOUSEENTER:
            if (IsEnabled()) {
                m_uButtonState |= UISTATE_HOT;
                Invalidate();
            }
            return;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_RBUTTONDOWN:
        case UIEVENT_DBLCLICK:
            if (!IsEnabled()) return;
            if (m_pManager) m_pManager->ReleaseMouse();
            if (IsFocused() && m_pWindow == nullptr) {
                OpenNativeWindow();
                if (m_pWindow && PtInRect(m_rcItem, event.ptMouse)) m_pWindow->SelectAll();
            } else if (m_pWindow != nullptr) {
                m_pWindow->SelectAll();
            }
            return;
        default:
            break;
    }
    CLabelUI::HandleEvent(event);
}

void CEditUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "readonly") == 0) SetReadOnly(ParseBool(value));
    else if (strcmp(name, "numberonly") == 0) SetNumberOnly(ParseBool(value));
    else if (strcmp(name, "password") == 0) SetPasswordMode(ParseBool(value));
    else if (strcmp(name, "passwordchar") == 0) SetPasswordChar(value[0]);
    else if (strcmp(name, "maxchar") == 0) SetMaxChar((UINT)atoi(value));
    else if (strcmp(name, "tipvalue") == 0) SetTipValue(value);
    else if (strcmp(name, "tipvaluecolor") == 0) SetTipValueColor(value);
    else if (strcmp(name, "nativetextcolor") == 0) SetNativeEditTextColor(value);
    else if (strcmp(name, "nativebkcolor") == 0) SetNativeEditBkColor(ParseColor(value));
    else CLabelUI::SetAttribute(name, value);
}

SIZE CEditUI::MeasureSize(SIZE available) {
    if (m_cxyFixed.cy != 0 || m_pManager == nullptr) return CControlUI::MeasureSize(available);
    return SIZE{m_cxyFixed.cx, m_pManager->GetFontInfo(m_iFont)->tm.tmHeight + 6};
}

void CEditUI::PaintStateImage(CDC* dc) {
    if (IsFocused()) m_uButtonState |= UISTATE_FOCUSED;
    else m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled()) m_uButtonState |= UISTATE_DISABLED;
    else m_uButtonState &= ~UISTATE_DISABLED;
    auto set = [](const CImageAttribute& a) { return !a.GetAttributeString().IsEmpty(); };
    if (m_uButtonState & UISTATE_DISABLED) DrawImage(dc, set(m_diDisabled) ? m_diDisabled : m_diNormal);
    else if (m_uButtonState & UISTATE_FOCUSED) DrawImage(dc, set(m_diFocused) ? m_diFocused : m_diNormal);
    else if (m_uButtonState & UISTATE_HOT) DrawImage(dc, set(m_diHot) ? m_diHot : m_diNormal);
    else DrawImage(dc, m_diNormal);
}

void CEditUI::PaintCaption(CDC* dc) {
    ApplyColourDefaults();
    CUIString text;
    DWORD colour;
    if (m_sText.IsEmpty() || m_sText == m_sTipValue) {
        text = m_sTipValue;
        colour = m_dwTipValueColor;
    } else {
        if (m_bPasswordMode) {
            std::string stars((std::size_t)Utf8Chars(m_sText), m_cPasswordChar);
            text = stars.c_str();
        } else {
            text = m_sText;
        }
        colour = m_dwTextColor;
    }
    if (!IsEnabled()) colour = m_dwDisabledTextColor;
    RECT rc = PaddedRect();
    CRenderEngine::DrawText(dc, m_pManager, rc, text, colour, m_iFont, m_uTextStyle | DT_SINGLELINE);
}

}  // namespace WinlessUI
