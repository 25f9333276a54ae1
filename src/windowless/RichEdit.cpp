#include "windowless/RichEdit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/Controls.h"
#include "windowless/Render.h"

#ifndef ES_PASSWORD
#define ES_PASSWORD 0x0020L
#endif
#ifndef ES_AUTOHSCROLL
#define ES_AUTOHSCROLL 0x0080L
#endif
#ifndef ES_DISABLENOSCROLL
#define ES_DISABLENOSCROLL 0x00002000L
#endif
#ifndef ES_RIGHT
#define ES_RIGHT 0x0002L
#endif

namespace WinlessUI {
namespace {

COLORREF ToColorref(DWORD argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

int Utf8Chars(const std::string& s) {
    int n = 0;
    for (char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// Characters as the native control counts them against its limit: one per UTF-16 unit.
int Utf16Units(const std::string& s) {
    int n = 0;
    for (unsigned char c : s) {
        if ((c & 0xC0) == 0x80) continue;
        n += c >= 0xF0 ? 2 : 1;
    }
    return n;
}

// The native control under the editor: its keys, changes and focus go to the owner first.
template <class Base>
class CTxtWinHost : public Base {
public:
    explicit CTxtWinHost(CRichEditUI* owner) : m_owner(owner) {}
    void Detach() { m_owner = nullptr; }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (m_owner == nullptr) return Base::WindowProc(msg, wParam, lParam);
        switch (msg) {
            case WM_KEYDOWN:
            case WM_CHAR:
                if (!m_owner->OnHostKey(msg, wParam)) return 0;
                break;
            case OCM__BASE + WM_COMMAND:
                if (HIWORD(wParam) == EN_CHANGE) m_owner->OnHostChanged();
                return 0;
            case WM_SETFOCUS:
            case WM_KILLFOCUS: {
                LRESULT r = Base::WindowProc(msg, wParam, lParam);
                if (m_owner) m_owner->OnHostFocus(msg == WM_SETFOCUS);
                return r;
            }
            default: break;
        }
        return Base::WindowProc(msg, wParam, lParam);
    }

private:
    CRichEditUI* m_owner;
};

using RichHost = CTxtWinHost<CRichEditCtrl>;
using PasswordHost = CTxtWinHost<CEdit>;

}  // namespace

CRichEditUI::CRichEditUI() = default;

CRichEditUI::~CRichEditUI() {
    if (!m_pHost) return;
    if (auto* h = dynamic_cast<RichHost*>(m_pHost.get())) h->Detach();
    if (auto* h = dynamic_cast<PasswordHost*>(m_pHost.get())) h->Detach();
    if (m_pHost->GetSafeHwnd()) m_pHost->DestroyWindow();
}

void* CRichEditUI::GetInterface(const char* name) {
    if (strcmp(name, "RichEdit") == 0) return this;
    if (strcmp(name, "ITabKey") == 0) return static_cast<ITabKeyUI*>(this);
    return CContainerUI::GetInterface(name);
}

UINT CRichEditUI::GetBehaviourFlags() const {
    return IsEnabled() ? UIFLAG_TABSTOP | UIFLAG_SETCURSOR : CContainerUI::GetBehaviourFlags();
}

RECT CRichEditUI::TextRect() const {
    return RECT{m_rcItem.left + m_rcInset.left + m_rcTextPadding.left, m_rcItem.top + m_rcInset.top + m_rcTextPadding.top,
                m_rcItem.right - m_rcInset.right - m_rcTextPadding.right,
                m_rcItem.bottom - m_rcInset.bottom - m_rcTextPadding.bottom};
}

void CRichEditUI::OnInitialise() {
    if (m_bInited || m_pManager == nullptr || m_pManager->GetHostWindow() == nullptr) return;
    m_bInited = true;
    const bool password = (m_lTwhStyle & ES_PASSWORD) != 0;
    DWORD style = WS_CHILD | (m_lTwhStyle & (ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_CENTER |
                                             ES_RIGHT | WS_VSCROLL | WS_HSCROLL | ES_DISABLENOSCROLL | ES_PASSWORD));
    if (password) {
        style &= ~(ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL);  // a password field is one line
        auto host = std::make_unique<PasswordHost>(this);
        if (!host->Create(style, TextRect(), m_pManager->GetHostWindow(), 0)) return;
        // A password field masks what is typed, with '*' when no character was chosen.
        host->SetPasswordChar(m_chPassword != 0 ? m_chPassword : kDefaultPasswordChar);
        m_pHost = std::move(host);
    } else {
        auto host = std::make_unique<RichHost>(this);
        if (!host->Create(style, TextRect(), m_pManager->GetHostWindow(), 0)) return;
        m_pHost = std::move(host);
    }
    m_bSyncing = true;
    m_pHost->SetWindowText(m_sText.ToStd());
    m_bSyncing = false;
    UpdateHost();
    if (!IsEnabled()) m_pHost->EnableWindow(FALSE);
    m_pHost->ShowWindow(IsVisible() && !IsTipShown() ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void CRichEditUI::UpdateHost() {
    if (!m_pHost) return;
    const int limit = m_iLimitText <= 0 ? 0x7FFF : m_iLimitText;
    DWORD colour = IsEnabled() ? m_dwTextColor : (m_pManager ? m_pManager->GetDefaultDisabledColor() : m_dwTextColor);
    CFont* font = m_pManager ? m_pManager->GetFont(m_iFont) : nullptr;
    if (font) m_pHost->SetFont(font);
    if (auto* rich = dynamic_cast<CRichEditCtrl*>(m_pHost.get())) {
        rich->LimitText(limit);
        rich->SetReadOnly(m_bReadOnly ? TRUE : FALSE);
        TFontInfo* info = m_pManager ? m_pManager->GetFontInfo(m_iFont) : nullptr;
        rich->SetDefaultCharFormat(ToColorref(colour), info ? info->iSize : 12, info ? info->sFontName.GetData() : "");
    } else if (auto* edit = dynamic_cast<CEdit*>(m_pHost.get())) {
        edit->SetLimitText(UINT(limit));
        edit->SetReadOnly(m_bReadOnly ? TRUE : FALSE);
        edit->SetColors(ToColorref(colour), CLR_NONE);
    }
}

bool CRichEditUI::IsTipShown() const {
    if (m_sTipValue.IsEmpty() || m_bFocused) return false;
    return GetTextLength() == 0;
}

CUIString CRichEditUI::GetText() const {
    if (m_pHost && m_pHost->GetSafeHwnd()) return CUIString(m_pHost->GetWindowText());
    return m_sText;
}

int CRichEditUI::GetTextLength() const { return Utf8Chars(GetText().ToStd()); }

void CRichEditUI::SetText(const char* text) {
    m_sText = text ? text : "";
    if (m_pHost && m_pHost->GetSafeHwnd()) {
        UpdateHost();
        SetSel(0, -1);
        ReplaceSel(m_sText, false);
    }
    Invalidate();
}

void CRichEditUI::SetSel(int start, int end) {
    if (auto* rich = dynamic_cast<CRichEditCtrl*>(m_pHost.get())) rich->SetSel(start, end);
    else if (auto* edit = dynamic_cast<CEdit*>(m_pHost.get())) edit->SetSel(start, end);
}

void CRichEditUI::GetSel(int& start, int& end) const {
    start = end = 0;
    if (auto* rich = dynamic_cast<CRichEditCtrl*>(m_pHost.get())) rich->GetSel(start, end);
    else if (auto* edit = dynamic_cast<CEdit*>(m_pHost.get())) edit->GetSel(start, end);
}

void CRichEditUI::ReplaceSel(const char* text, bool canUndo) {
    if (auto* rich = dynamic_cast<CRichEditCtrl*>(m_pHost.get())) rich->ReplaceSel(text, canUndo ? TRUE : FALSE);
    else if (auto* edit = dynamic_cast<CEdit*>(m_pHost.get())) edit->ReplaceSel(text, canUndo ? TRUE : FALSE);
    else m_sText = text;
}

void CRichEditUI::SetPasswordChar(char ch) {
    m_chPassword = ch;
    if (auto* edit = dynamic_cast<PasswordHost*>(m_pHost.get()))
        edit->SetPasswordChar(ch != 0 ? ch : kDefaultPasswordChar);
}

bool CRichEditUI::HostScroll(UINT msg, UINT code) {
    if (!m_pHost || !m_pHost->GetSafeHwnd()) return false;
    m_pHost->SendMessage(msg, MAKEWPARAM(code, 0), 0);
    return true;
}

SIZE CRichEditUI::GetScrollPos() const {
    if (!m_pHost || !m_pHost->GetSafeHwnd()) return CContainerUI::GetScrollPos();
    SIZE pos{0, 0};
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    if (m_pHost->GetScrollInfo(SB_VERT, &si, SIF_POS)) pos.cy = si.nPos;
    if (m_pHost->GetScrollInfo(SB_HORZ, &si, SIF_POS)) pos.cx = si.nPos;
    return pos;
}

SIZE CRichEditUI::GetScrollRange() const {
    if (!m_pHost || !m_pHost->GetSafeHwnd()) return CContainerUI::GetScrollRange();
    auto range = [&](int bar) -> LONG {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        if (!m_pHost->GetScrollInfo(bar, &si, SIF_RANGE | SIF_PAGE)) return 0;
        return std::max(0, si.nMax - si.nMin + 1 - int(si.nPage));
    };
    return SIZE{range(SB_HORZ), range(SB_VERT)};
}

void CRichEditUI::SetScrollPos(SIZE pos) {
    if (!m_pHost || !m_pHost->GetSafeHwnd()) {
        CContainerUI::SetScrollPos(pos);
        return;
    }
    const SIZE old = GetScrollPos();
    if (pos.cy != old.cy) m_pHost->SetScrollPos(SB_VERT, pos.cy);
    if (pos.cx != old.cx) m_pHost->SetScrollPos(SB_HORZ, pos.cx);
}

#define UI_RICH_SCROLL(fn, msg, code) \
    void CRichEditUI::fn() {          \
        if (!HostScroll(msg, code)) CContainerUI::fn(); \
    }
UI_RICH_SCROLL(LineUp, WM_VSCROLL, SB_LINEUP)
UI_RICH_SCROLL(LineDown, WM_VSCROLL, SB_LINEDOWN)
UI_RICH_SCROLL(PageUp, WM_VSCROLL, SB_PAGEUP)
UI_RICH_SCROLL(PageDown, WM_VSCROLL, SB_PAGEDOWN)
UI_RICH_SCROLL(ScrollToTop, WM_VSCROLL, SB_TOP)
UI_RICH_SCROLL(ScrollToBottom, WM_VSCROLL, SB_BOTTOM)
UI_RICH_SCROLL(LineLeft, WM_HSCROLL, SB_LINEUP)
UI_RICH_SCROLL(LineRight, WM_HSCROLL, SB_LINEDOWN)
UI_RICH_SCROLL(PageLeft, WM_HSCROLL, SB_PAGEUP)
UI_RICH_SCROLL(PageRight, WM_HSCROLL, SB_PAGEDOWN)
UI_RICH_SCROLL(ScrollToLeftEnd, WM_HSCROLL, SB_TOP)
UI_RICH_SCROLL(ScrollToRightEnd, WM_HSCROLL, SB_BOTTOM)
#undef UI_RICH_SCROLL

void CRichEditUI::SetReadOnly(bool on) {
    m_bReadOnly = on;
    if (on) m_lTwhStyle |= ES_READONLY;
    else m_lTwhStyle &= ~ES_READONLY;
    UpdateHost();
}
void CRichEditUI::SetFont(int index) {
    m_iFont = index;
    UpdateHost();
}
void CRichEditUI::SetTextColor(DWORD c) {
    m_dwTextColor = c;
    UpdateHost();
}
void CRichEditUI::SetLimitText(int max) {
    m_iLimitText = max;
    UpdateHost();
}
void CRichEditUI::SetTextPadding(RECT rc) {
    m_rcTextPadding = rc;
    RequestLayout();
}
void CRichEditUI::SetTipValue(const char* text) {
    m_sTipValue = text ? text : "";
    Invalidate();
}
void CRichEditUI::SetTipValueColor(const char* text) {
    m_dwTipValueColor = ParseColor(text);
    Invalidate();
}

void CRichEditUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    if (m_pHost && m_pHost->GetSafeHwnd()) {
        RECT t = TextRect();
        m_pHost->SetWindowPos(nullptr, t.left, t.top, std::max<int>(0, t.right - t.left), std::max<int>(0, t.bottom - t.top),
                              SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!m_items.IsEmpty()) {
        RECT inner = InnerRect();
        for (int i = 0; i < m_items.GetSize(); i++) {
            CControlUI* c = ChildAt(i);
            if (c->IsVisible() && !c->IsFloat()) c->SetPos(inner);
        }
    }
}

void CRichEditUI::SetVisible(bool visible) {
    CContainerUI::SetVisible(visible);
    if (m_pHost && m_pHost->GetSafeHwnd()) m_pHost->ShowWindow(IsVisible() && !IsTipShown() ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void CRichEditUI::SetShownByParent(bool visible) {
    CContainerUI::SetShownByParent(visible);
    if (m_pHost && m_pHost->GetSafeHwnd()) m_pHost->ShowWindow(IsVisible() && !IsTipShown() ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void CRichEditUI::SetEnabled(bool enable) {
    if (IsEnabled() == enable) return;
    CContainerUI::SetEnabled(enable);
    if (!enable) m_uButtonState = 0;
    if (m_pHost && m_pHost->GetSafeHwnd()) m_pHost->EnableWindow(enable ? TRUE : FALSE);
    UpdateHost();
}

bool CRichEditUI::RoomForTyping(WPARAM ch) const {
    if (ch < 0x20 && ch != '\t' && ch != '\r' && ch != '\n') return true;  // editing keys, not text
    if (!m_pHost || !m_pHost->GetSafeHwnd()) return true;
    const int limit = m_iLimitText <= 0 ? 0x7FFF : m_iLimitText;
    int start = 0, end = 0;
    GetSel(start, end);
    const int kept = Utf16Units(GetText().ToStd()) - std::abs(end - start);
    return kept + (ch >= 0x10000 ? 2 : 1) <= limit;
}

bool CRichEditUI::OnHostKey(UINT msg, WPARAM wParam) {
    // A full control refuses what is typed, wherever the caret is: the text already there
    // stays as it is.
    if (msg == WM_CHAR && !m_bReadOnly && !RoomForTyping(wParam)) return false;
    // Tab not wanted in the text moves the focus, as it does between the other controls.
    if (!m_bWantTab && ((msg == WM_KEYDOWN && wParam == VK_TAB) || (msg == WM_CHAR && wParam == '\t'))) {
        if (msg == WM_KEYDOWN && m_pManager) m_pManager->MoveTabFocus(::GetKeyState(VK_SHIFT) >= 0);
        return false;
    }
    const bool enter = (msg == WM_KEYDOWN && wParam == VK_RETURN) || (msg == WM_CHAR && (wParam == '\r' || wParam == '\n'));
    if (!enter) return true;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool takes = (m_lTwhStyle & ES_MULTILINE) && m_bWantReturn && (!ctrl || m_bWantCtrlReturn);
    if (takes) return true;
    if (msg == WM_KEYDOWN && m_pManager) m_pManager->SendNotification(this, "return");
    return false;
}

void CRichEditUI::OnHostChanged() {
    if (m_bSyncing) return;
    if (m_pManager) m_pManager->SendNotification(this, "textchanged");
}

void CRichEditUI::OnHostFocus(bool focused) {
    if (focused) {
        m_uButtonState |= UISTATE_FOCUSED;
    } else {
        m_uButtonState &= ~UISTATE_FOCUSED;
        m_bFocused = false;
        if (m_pHost && IsTipShown()) m_pHost->ShowWindow(SW_HIDE);
    }
    Invalidate();
}

void CRichEditUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pParent != nullptr) m_pParent->HandleEvent(event);
        else CControlUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
        case UIEVENT_SETCURSOR:
            if (IsEnabled()) {
                ::SetCursor(::LoadCursor(nullptr, IDC_IBEAM));
                return;
            }
            break;
        case UIEVENT_MOUSEENTER:
        case UIEVENT_MOUSELEAVE:
            if (IsEnabled()) {
                if (event.Type == UIEVENT_MOUSEENTER) m_uButtonState |= UISTATE_HOT;
                else m_uButtonState &= ~UISTATE_HOT;
                Invalidate();
            }
            return;
        case UIEVENT_SETFOCUS:
            m_bFocused = true;
            m_uButtonState |= UISTATE_FOCUSED;
            // The native control takes the keys: show it (the tip gives way) and focus it.
            if (m_pHost && m_pHost->GetSafeHwnd() && IsEnabled()) {
                m_pHost->ShowWindow(SW_SHOWNOACTIVATE);
                m_pHost->SetFocus();
            }
            Invalidate();
            return;
        case UIEVENT_KILLFOCUS:
            m_bFocused = false;
            m_uButtonState &= ~UISTATE_FOCUSED;
            if (m_pHost && m_pHost->GetSafeHwnd() && IsTipShown()) m_pHost->ShowWindow(SW_HIDE);
            Invalidate();
            return;
        case UIEVENT_BUTTONDOWN:
            if (m_pHost && m_pHost->GetSafeHwnd() && IsEnabled() && !m_pHost->IsWindowVisible()) {
                m_pHost->ShowWindow(SW_SHOWNOACTIVATE);
                m_pHost->SetFocus();
            }
            return;
        case UIEVENT_BUTTONUP:
        case UIEVENT_DBLCLICK:
        case UIEVENT_MOUSEMOVE:
            return;
        default: break;
    }
    if (event.Type > UIEVENT__KEYBEGIN && event.Type < UIEVENT__KEYEND) return;
    CContainerUI::HandleEvent(event);
}

void CRichEditUI::SetAttribute(const char* name, const char* value) {
    auto is = [&](const char* x) { return strcmp(name, x) == 0; };
    const bool on = ParseBool(value);
    auto style = [&](DWORD bits) {
        if (on) m_lTwhStyle |= bits;
    };
    if (is("vscrollbar")) style(WS_VSCROLL | ES_DISABLENOSCROLL);
    else if (is("autovscroll")) style(ES_AUTOVSCROLL);
    else if (is("hscrollbar")) style(WS_HSCROLL | ES_DISABLENOSCROLL);
    else if (is("autohscroll")) style(ES_AUTOHSCROLL);
    else if (is("wanttab")) SetWantTab(on);
    else if (is("wantreturn")) SetWantReturn(on);
    else if (is("wantctrlreturn")) SetWantCtrlReturn(on);
    else if (is("rich")) SetRich(on);
    else if (is("multiline")) {
        if (strcmp(value, "false") == 0) m_lTwhStyle &= ~ES_MULTILINE;
    } else if (is("readonly")) {
        if (on) SetReadOnly(true);
    } else if (is("password")) style(ES_PASSWORD);
    else if (is("align")) {
        if (strstr(value, "left")) m_lTwhStyle &= ~(ES_CENTER | ES_RIGHT);
        if (strstr(value, "center")) {
            m_lTwhStyle &= ~ES_RIGHT;
            m_lTwhStyle |= ES_CENTER;
        }
        if (strstr(value, "right")) {
            m_lTwhStyle &= ~ES_CENTER;
            m_lTwhStyle |= ES_RIGHT;
        }
    } else if (is("font")) SetFont(atoi(value));
    else if (is("textcolor")) {
        while (*value != '\0' && *value < '!') ++value;
        SetTextColor(ParseColor(value));
    } else if (is("maxchar")) SetLimitText(atoi(value));
    else if (is("textpadding")) SetTextPadding(ParseRect(value));
    else if (is("tipvalue")) SetTipValue(value);
    else if (is("tipvaluecolor")) SetTipValueColor(value);
    else CContainerUI::SetAttribute(name, value);
}

void CRichEditUI::PaintStateImage(CDC* dc) {
    auto set = [](const CImageAttribute& a) { return !a.GetAttributeString().IsEmpty(); };
    CImageAttribute* chosen = nullptr;
    if (!IsEnabled()) chosen = &m_diDisabled;
    else if (m_uButtonState & UISTATE_HOT) chosen = &m_diHot;
    else if (m_uButtonState & UISTATE_FOCUSED) chosen = &m_diFocused;
    if (chosen == nullptr || !set(*chosen) || !DrawImage(dc, *chosen)) DrawImage(dc, m_diNormal);
}

void CRichEditUI::PaintCaption(CDC* dc) {
    if (!m_pHost || !IsTipShown()) return;
    RECT rc = TextRect();
    CRenderEngine::DrawText(dc, m_pManager, rc, m_sTipValue, m_dwTipValueColor, m_iFont, DT_VCENTER | DT_SINGLELINE);
}

}  // namespace WinlessUI
