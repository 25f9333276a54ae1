// Buttons and static texts drawn by the layer.
#include "platform/Button.h"

#include "platform/PlatformPrivate.h"

using namespace platform;

namespace {
const COLORREF kFace = RGB(225, 225, 225);
const COLORREF kLight = RGB(255, 255, 255);
const COLORREF kShadow = RGB(160, 160, 160);
const COLORREF kDark = RGB(105, 105, 105);
const COLORREF kGrayText = RGB(160, 160, 160);
const COLORREF kMark = RGB(0, 0, 0);

bool Checkable(UINT kind) {
    return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE ||
           kind == BS_AUTO3STATE || kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
}
bool Radio(UINT kind) {
    return kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
}
COLORREF ParentBackground(CWnd* w) {
    CWnd* p = w->GetParent();
    return p && p->d ? p->d->background : kFace;
}
// Selects the window's font into dc for the life of the guard.
struct FontGuard {
    CDC* dc;
    CFont* old = nullptr;
    FontGuard(CDC* d, CWnd* w) : dc(d) {
        if (CFont* f = w->GetFont()) old = dc->SelectObject(f);
    }
    ~FontGuard() {
        if (old) dc->SelectObject(old);
    }
};
}  // namespace

namespace platform {
COLORREF AskControlColors(CWnd* ctl, UINT msg, CDC* dc, COLORREF fallback) {
    auto alive = ctl->d->alive;
    LRESULT r = Dispatch(ctl, OCM__BASE + msg, (WPARAM)dc, (LPARAM)ctl->m_hWnd);
    if (!*alive) return fallback;
    if (!r)
        if (CWnd* parent = ctl->GetParent())
            r = parent->SendMessage(msg, (WPARAM)dc, (LPARAM)ctl->m_hWnd);
    if (!r) return fallback;
    auto* brush = reinterpret_cast<CBrush*>(r);
    return brush->m_style == BS_NULL ? fallback : brush->m_color;
}
void SendDrawItem(CWnd* ctl, DRAWITEMSTRUCT* dis) {
    if (CWnd* p = ctl->GetParent())
        p->SendMessage(WM_DRAWITEM, dis->CtlID, (LPARAM)dis);
    else
        Dispatch(ctl, OCM_DRAWITEM, dis->CtlID, (LPARAM)dis);
}
}  // namespace platform

// ---- CButton ----
BOOL CButton::Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (!parent || !parent->m_hWnd) return FALSE;
    return CWnd::CreateEx(0, "Button", caption ? caption : "", style | WS_CHILD, rect, parent, id);
}
int CButton::GetCheck() const {
    return (int)const_cast<CButton*>(this)->SendMessage(BM_GETCHECK);
}
void CButton::SetCheck(int check) {
    SendMessage(BM_SETCHECK, (WPARAM)check);
}
UINT CButton::GetState() const {
    return (UINT)const_cast<CButton*>(this)->SendMessage(BM_GETSTATE);
}
void CButton::SetState(BOOL highlight) {
    SendMessage(BM_SETSTATE, (WPARAM)highlight);
}
UINT CButton::GetButtonStyle() const {
    return GetStyle() & 0xFFFF;
}
void CButton::SetButtonStyle(UINT style, BOOL redraw) {
    SendMessage(BM_SETSTYLE, style, redraw);
}

void CButton::Click() {
    const UINT kind = GetStyle() & BS_TYPEMASK;
    auto alive = d->alive;
    if (kind == BS_AUTOCHECKBOX) {
        SetCheck(m_check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    } else if (kind == BS_AUTO3STATE) {
        SetCheck((m_check + 1) % 3);
    } else if (kind == BS_AUTORADIOBUTTON) {
        SetCheck(BST_CHECKED);
        if (!*alive) return;
        if (CWnd* parent = GetParent()) {
            for (CWnd* w = parent->GetNextDlgGroupItem(this); w && w != this;
                 w = parent->GetNextDlgGroupItem(w)) {
                auto* b = dynamic_cast<CButton*>(w);
                if (b && Radio(b->GetStyle() & BS_TYPEMASK)) b->SendMessage(BM_SETCHECK, 0);
                if (!*alive) return;
            }
        }
    }
    if (!*alive || !m_hWnd) return;
    if (CWnd* p = GetParent())
        p->SendMessage(WM_COMMAND, MAKEWPARAM(d->id, BN_CLICKED), (LPARAM)m_hWnd);
}

LRESULT CButton::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    const UINT kind = d->style & BS_TYPEMASK;
    CPoint pt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    switch (msg) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (kind == BS_GROUPBOX) return 0;
            if (msg == WM_LBUTTONDBLCLK && (d->style & BS_NOTIFY))
                if (CWnd* p = GetParent())
                    p->SendMessage(WM_COMMAND, MAKEWPARAM(d->id, BN_DOUBLECLICKED),
                                   (LPARAM)m_hWnd);
            if (!m_hWnd) return 0;
            if (::GetFocus() != m_hWnd) SetFocus();
            m_tracking = true;
            SetCapture();
            m_pushed = true;
            Invalidate(FALSE);
            return 0;
        case WM_MOUSEMOVE:
            if (m_tracking) {
                CRect rc;
                GetClientRect(&rc);
                const bool inside = rc.PtInRect(pt);
                if (inside != m_pushed) {
                    m_pushed = inside;
                    Invalidate(FALSE);
                }
            }
            return 0;
        case WM_LBUTTONUP: {
            if (!m_tracking) return 0;
            CRect rc;
            GetClientRect(&rc);
            const bool click = m_pushed && rc.PtInRect(pt);
            m_tracking = false;
            m_pushed = false;
            if (CWnd::GetCapture() == this) ::ReleaseCapture();
            Invalidate(FALSE);
            if (click) Click();
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (m_tracking) {
                m_tracking = false;
                m_pushed = false;
                Invalidate(FALSE);
            }
            return 0;
        case WM_KEYDOWN:
            if (wp == VK_SPACE && kind != BS_GROUPBOX) {
                m_spaceDown = true;
                m_pushed = true;
                Invalidate(FALSE);
            }
            return 0;
        case WM_KEYUP:
            if (wp == VK_SPACE && m_spaceDown) {
                m_spaceDown = false;
                m_pushed = false;
                Invalidate(FALSE);
                Click();
            }
            return 0;
        case WM_SETFOCUS:
            Invalidate(FALSE);
            return 0;
        case WM_KILLFOCUS:
            if (m_spaceDown) {
                m_spaceDown = false;
                m_pushed = false;
            }
            Invalidate(FALSE);
            return 0;
        case WM_ENABLE:
            Invalidate(FALSE);
            return 0;
        case WM_SETTEXT: {
            LRESULT r = CWnd::DefWindowProc(msg, wp, lp);
            Invalidate(FALSE);
            return r;
        }
        case WM_GETDLGCODE:
            if (kind == BS_GROUPBOX) return DLGC_STATIC;
            if (Radio(kind)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
            if (kind == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
            if (kind == BS_PUSHBUTTON || kind == BS_OWNERDRAW) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
            return DLGC_BUTTON;
        case BM_GETCHECK:
            return Checkable(kind) ? m_check : BST_UNCHECKED;
        case BM_SETCHECK:
            if (Checkable(kind)) {
                int c = (int)wp;
                if (c != BST_CHECKED && c != BST_INDETERMINATE) c = BST_UNCHECKED;
                if (c == BST_INDETERMINATE && kind != BS_3STATE && kind != BS_AUTO3STATE)
                    c = BST_CHECKED;
                if (c != m_check) {
                    m_check = c;
                    Invalidate(FALSE);
                }
            }
            return 0;
        case BM_GETSTATE:
            return (Checkable(kind) ? m_check : 0) | (m_pushed ? BST_PUSHED : 0) |
                   (::GetFocus() == m_hWnd ? BST_FOCUS : 0);
        case BM_SETSTATE:
            if ((wp != 0) != m_pushed) {
                m_pushed = wp != 0;
                Invalidate(FALSE);
            }
            return 0;
        case BM_SETSTYLE:
            d->style = (d->style & ~0xFFFFu) | (DWORD)(wp & 0xFFFF);
            if (lp) Invalidate(FALSE);
            return 0;
        case BM_CLICK:
            if (IsWindowEnabled()) Click();
            return 0;
        case OCM_DRAWITEM:
            DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lp));
            return TRUE;
        default:
            return CWnd::DefWindowProc(msg, wp, lp);
    }
}

void CButton::Paint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    const UINT kind = d->style & BS_TYPEMASK;
    if (kind == BS_OWNERDRAW) {
        UINT state = (m_pushed ? ODS_SELECTED : 0) | (::GetFocus() == m_hWnd ? ODS_FOCUS : 0) |
                     (IsWindowEnabled() ? 0 : ODS_DISABLED) |
                     (m_check == BST_CHECKED ? ODS_CHECKED : 0);
        DRAWITEMSTRUCT dis{ODT_BUTTON, d->id, 0, ODA_DRAWENTIRE, state, m_hWnd, &dc, rc, 0};
        SendDrawItem(this, &dis);
        return;
    }
    DrawLook(&dc, rc);
}

void CButton::DrawLook(CDC* dc, const CRect& rc) {
    const UINT kind = d->style & BS_TYPEMASK;
    const bool pushLike = kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON ||
                          (Checkable(kind) && (d->style & BS_PUSHLIKE));
    const bool enabled = IsWindowEnabled();
    dc->SetTextColor(enabled ? RGB(0, 0, 0) : kGrayText);
    const COLORREF bk = AskControlColors(
        this, pushLike ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC, dc,
        pushLike ? kFace : ParentBackground(this));
    if (!m_hWnd) return;
    if (!enabled) dc->SetTextColor(kGrayText);
    dc->FillSolidRect(&rc, bk);
    dc->SetBkMode(TRANSPARENT);
    FontGuard font(dc, this);
    const std::string text = GetWindowText();
    if (pushLike) {
        const bool down = m_pushed || (Checkable(kind) && m_check == BST_CHECKED);
        CRect r = rc;
        if (kind == BS_DEFPUSHBUTTON) {
            dc->Draw3dRect(&r, kMark, kMark);
            r.DeflateRect(1, 1);
        }
        if (down) {
            dc->Draw3dRect(&r, kDark, kLight);
            r.DeflateRect(1, 1);
            dc->Draw3dRect(&r, kShadow, kFace);
        } else {
            dc->Draw3dRect(&r, kLight, kDark);
            r.DeflateRect(1, 1);
            dc->Draw3dRect(&r, kFace, kShadow);
        }
        CRect t = rc;
        if (down) t.OffsetRect(1, 1);
        dc->DrawText(text, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    if (kind == BS_GROUPBOX) {
        const CSize ext = dc->GetTextExtent(text.empty() ? std::string(" ") : text);
        CRect frame(rc.left, rc.top + ext.cy / 2, rc.right, rc.bottom);
        dc->Draw3dRect(&frame, kShadow, kLight);
        frame.DeflateRect(1, 1);
        dc->Draw3dRect(&frame, kLight, kShadow);
        if (!text.empty()) {
            CRect t(rc.left + 8, rc.top, rc.left + 8 + ext.cx + 4, rc.top + ext.cy);
            dc->FillSolidRect(&t, bk);
            dc->DrawText(text, &t, DT_CENTER | DT_TOP | DT_SINGLELINE);
        }
        return;
    }
    // check box or radio button: the mark, then the text beside it
    const int box = 13;
    const int top = rc.top + (rc.Height() - box) / 2;
    const bool leftText = (d->style & BS_LEFTTEXT) != 0;
    const int boxLeft = leftText ? rc.right - box : rc.left;
    CRect mark(boxLeft, top, boxLeft + box, top + box);
    const COLORREF well = enabled && !m_pushed ? kLight : kFace;
    if (Radio(kind)) {
        CPen pen(PS_SOLID, 1, kDark);
        CBrush brush(well);
        CPen* op = dc->SelectObject(&pen);
        CBrush* ob = dc->SelectObject(&brush);
        dc->Ellipse(&mark);
        if (m_check == BST_CHECKED) {
            CBrush dot(enabled ? kMark : kGrayText);
            CPen none(PS_NULL, 0, 0);
            dc->SelectObject(&dot);
            dc->SelectObject(&none);
            dc->Ellipse(mark.left + 4, mark.top + 4, mark.right - 3, mark.bottom - 3);
        }
        dc->SelectObject(op);
        dc->SelectObject(ob);
    } else {
        dc->FillSolidRect(&mark, well);
        dc->Draw3dRect(&mark, kDark, kDark);
        const COLORREF ink = enabled ? kMark : kGrayText;
        if (m_check == BST_CHECKED) {
            CPen pen(PS_SOLID, 2, ink);
            CPen* op = dc->SelectObject(&pen);
            dc->MoveTo(mark.left + 3, mark.top + 6);
            dc->LineTo(mark.left + 5, mark.top + 9);
            dc->LineTo(mark.left + 10, mark.top + 3);
            dc->SelectObject(op);
        } else if (m_check == BST_INDETERMINATE) {
            CRect inner = mark;
            inner.DeflateRect(3, 3);
            dc->FillSolidRect(&inner, kShadow);
        }
    }
    CRect t = rc;
    if (leftText)
        t.right -= box + 4;
    else
        t.left += box + 4;
    dc->DrawText(text, &t, (leftText ? DT_RIGHT : DT_LEFT) | DT_VCENTER | DT_SINGLELINE);
}

// ---- CStatic ----
BOOL CStatic::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (!parent || !parent->m_hWnd) return FALSE;
    return CWnd::CreateEx(0, "Static", text ? text : "", style | WS_CHILD, rect, parent, id);
}

LRESULT CStatic::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (d->style & SS_NOTIFY)
                if (CWnd* p = GetParent())
                    p->SendMessage(WM_COMMAND,
                                   MAKEWPARAM(d->id, msg == WM_LBUTTONDOWN ? STN_CLICKED : STN_DBLCLK),
                                   (LPARAM)m_hWnd);
            return 0;
        case WM_SETTEXT:
        case WM_ENABLE: {
            LRESULT r = CWnd::DefWindowProc(msg, wp, lp);
            Invalidate(FALSE);
            return r;
        }
        case OCM_DRAWITEM:
            DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lp));
            return TRUE;
        case WM_GETDLGCODE:
            return DLGC_STATIC;
        default:
            return CWnd::DefWindowProc(msg, wp, lp);
    }
}

void CStatic::Paint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    const UINT kind = d->style & SS_TYPEMASK;
    if (kind == SS_OWNERDRAW) {
        DRAWITEMSTRUCT dis{ODT_STATIC, d->id, 0, ODA_DRAWENTIRE,
                           IsWindowEnabled() ? 0u : (UINT)ODS_DISABLED, m_hWnd, &dc, rc, 0};
        SendDrawItem(this, &dis);
        return;
    }
    dc.SetTextColor(RGB(0, 0, 0));
    const COLORREF bk = AskControlColors(this, WM_CTLCOLORSTATIC, &dc, ParentBackground(this));
    if (!m_hWnd) return;
    if (!IsWindowEnabled()) dc.SetTextColor(kGrayText);
    dc.FillSolidRect(&rc, bk);
    dc.SetBkMode(TRANSPARENT);
    FontGuard font(&dc, this);
    UINT format = kind == SS_CENTER ? DT_CENTER : kind == SS_RIGHT ? DT_RIGHT : DT_LEFT;
    if (d->style & SS_NOPREFIX) format |= DT_NOPREFIX;
    if (d->style & SS_CENTERIMAGE)
        format |= DT_VCENTER | DT_SINGLELINE;
    else if (kind == SS_LEFTNOWORDWRAP)
        format |= DT_SINGLELINE;
    else
        format |= DT_WORDBREAK;
    dc.DrawText(GetWindowText(), &rc, format);
}
