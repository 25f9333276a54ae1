#include "windowless/ScrollBar.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "windowless/Container.h"
#include "windowless/Render.h"

namespace WinlessUI {
namespace {
constexpr UINT kRepeatTimer = 10;
}  // namespace

CScrollBarUI::CScrollBarUI() {
    m_cxyFixed.cx = 16;
}

void* CScrollBarUI::GetInterface(const char* name) {
    if (strcmp(name, "ScrollBar") == 0) return this;
    return CControlUI::GetInterface(name);
}

void CScrollBarUI::SetHorizontal(bool horizontal) {
    if (m_bHorizontal == horizontal) return;
    m_bHorizontal = horizontal;
    if (m_bHorizontal) {
        if (m_cxyFixed.cy == 0) {
            m_cxyFixed.cx = 0;
            m_cxyFixed.cy = 16;
        }
    } else if (m_cxyFixed.cx == 0) {
        m_cxyFixed.cx = 16;
        m_cxyFixed.cy = 0;
    }
    if (m_pOwner != nullptr) m_pOwner->RequestLayout();
    else RequestParentLayout();
}

void CScrollBarUI::SetScrollRange(int range) {
    if (m_nRange == range) return;
    m_nRange = range < 0 ? 0 : range;
    if (m_nScrollPos > m_nRange) m_nScrollPos = m_nRange;
    Relayout();
}

void CScrollBarUI::SetScrollPos(int pos) {
    if (m_nScrollPos == pos) return;
    m_nScrollPos = pos < 0 ? 0 : pos > m_nRange ? m_nRange : pos;
    Relayout();
}

void CScrollBarUI::SetShowButton1(bool show) {
    m_bShowButton1 = show;
    Relayout();
}
void CScrollBarUI::SetShowButton2(bool show) {
    m_bShowButton2 = show;
    Relayout();
}

void CScrollBarUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    m_bVisible = visible;
    m_bFocused = false;
}

void CScrollBarUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButton1State = m_uButton2State = m_uThumbState = 0;
}

void CScrollBarUI::SetFocus() {
    if (m_pOwner != nullptr) m_pOwner->SetFocus();
    else CControlUI::SetFocus();
}

void CScrollBarUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    rc = m_rcItem;
    // Computed along the bar: "a" is the bar's axis, "b" across it.
    const bool hor = m_bHorizontal;
    const int s = hor ? m_cxyFixed.cy : m_cxyFixed.cx;
    const int len = hor ? rc.right - rc.left : rc.bottom - rc.top;
    const int a0 = hor ? rc.left : rc.top, a1 = hor ? rc.right : rc.bottom;
    const int b0 = hor ? rc.top : rc.left;
    auto make = [&](int from, int to) {
        return hor ? RECT{from, b0, to, b0 + s} : RECT{b0, from, b0 + s, to};
    };
    int track = len - (m_bShowButton1 ? s : 0) - (m_bShowButton2 ? s : 0);
    if (s >= track) {
        int b = std::min(s, len / 2);
        m_rcButton1 = m_bShowButton1 ? make(a0, a0 + b) : (hor ? RECT{a0, b0, a0, b0} : RECT{b0, a0, b0, a0});
        m_rcButton2 = m_bShowButton2 ? make(a1 - b, a1) : (hor ? RECT{a1, b0, a1, b0} : RECT{b0, a1, b0, a1});
        m_rcThumb = RECT{0, 0, 0, 0};
        return;
    }
    m_rcButton1 = m_bShowButton1 ? make(a0, a0 + s) : (hor ? RECT{a0, b0, a0, b0} : RECT{b0, a0, b0, a0});
    m_rcButton2 = m_bShowButton2 ? make(a1 - s, a1) : (hor ? RECT{a1, b0, a1, b0} : RECT{b0, a1, b0, a1});
    const int btn1End = hor ? m_rcButton1.right : m_rcButton1.bottom;
    const int btn2Start = hor ? m_rcButton2.left : m_rcButton2.top;
    if (m_nRange <= 0) {
        m_rcThumb = make(btn1End, btn2Start);
        return;
    }
    int t = len * track / (len + m_nRange);
    if (t < s) t = s;
    int top = (track - t) * m_nScrollPos / m_nRange + btn1End;
    int bottom = top + t;
    if (bottom > btn2Start) {
        top = btn2Start - t;
        bottom = btn2Start;
    }
    m_rcThumb = make(top, bottom);
}

void CScrollBarUI::Scrolled() {
    if (m_pOwner == nullptr && m_pManager != nullptr) m_pManager->SendNotification(this, "scroll");
}
void CScrollBarUI::LineBack() {
    if (m_pOwner) m_bHorizontal ? m_pOwner->LineLeft() : m_pOwner->LineUp();
    else SetScrollPos(m_nScrollPos - m_nLineSize);
}
void CScrollBarUI::LineForward() {
    if (m_pOwner) m_bHorizontal ? m_pOwner->LineRight() : m_pOwner->LineDown();
    else SetScrollPos(m_nScrollPos + m_nLineSize);
}
void CScrollBarUI::PageBack() {
    if (m_pOwner) m_bHorizontal ? m_pOwner->PageLeft() : m_pOwner->PageUp();
    else SetScrollPos(m_nScrollPos - (m_bHorizontal ? GetWidth() : GetHeight()));
}
void CScrollBarUI::PageForward() {
    if (m_pOwner) m_bHorizontal ? m_pOwner->PageRight() : m_pOwner->PageDown();
    else SetScrollPos(m_nScrollPos + (m_bHorizontal ? GetWidth() : GetHeight()));
}

void CScrollBarUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pOwner != nullptr) m_pOwner->HandleEvent(event);
        else CControlUI::HandleEvent(event);
        return;
    }
    const POINT pt = event.ptMouse;
    auto before = [&](const RECT& thumb) { return m_bHorizontal ? pt.x < thumb.left : pt.y < thumb.top; };
    auto after = [&](const RECT& thumb) { return m_bHorizontal ? pt.x >= thumb.right : pt.y >= thumb.bottom; };
    switch (event.Type) {
        case UIEVENT_SETFOCUS:
        case UIEVENT_KILLFOCUS:
        case UIEVENT_CONTEXTMENU:
            return;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK: {
            if (!IsEnabled()) return;
            m_nLastScrollOffset = 0;
            m_nScrollRepeatDelay = 0;
            if (m_pManager) m_pManager->SetControlTimer(this, kRepeatTimer, 50);
            if (PtInRect(m_rcButton1, pt)) {
                m_uButton1State |= UISTATE_PUSHED;
                LineBack();
            } else if (PtInRect(m_rcButton2, pt)) {
                m_uButton2State |= UISTATE_PUSHED;
                LineForward();
            } else if (PtInRect(m_rcThumb, pt)) {
                m_uThumbState |= UISTATE_CAPTURED | UISTATE_PUSHED;
                ptLastMouse = pt;
                m_nLastScrollPos = m_nScrollPos;
            } else if (m_rcThumb.right != 0 || m_rcThumb.bottom != 0) {
                if (before(m_rcThumb)) PageBack();
                else if (after(m_rcThumb)) PageForward();
            }
            Scrolled();
            return;
        }
        case UIEVENT_BUTTONUP:
            m_nScrollRepeatDelay = 0;
            m_nLastScrollOffset = 0;
            if (m_pManager) m_pManager->KillControlTimer(this, kRepeatTimer);
            if (m_uThumbState & UISTATE_CAPTURED) {
                m_uThumbState &= ~(UISTATE_CAPTURED | UISTATE_PUSHED);
                Invalidate();
            } else if (m_uButton1State & UISTATE_PUSHED) {
                m_uButton1State &= ~UISTATE_PUSHED;
                Invalidate();
            } else if (m_uButton2State & UISTATE_PUSHED) {
                m_uButton2State &= ~UISTATE_PUSHED;
                Invalidate();
            }
            return;
        case UIEVENT_MOUSEMOVE:
            if (m_uThumbState & UISTATE_CAPTURED) {
                int d = m_bHorizontal ? GetWidth() - 2 * m_cxyFixed.cy - (m_rcThumb.right - m_rcThumb.left)
                                      : GetHeight() - 2 * m_cxyFixed.cx - (m_rcThumb.bottom - m_rcThumb.top);
                if (d != 0)
                    m_nLastScrollOffset = (m_bHorizontal ? pt.x - ptLastMouse.x : pt.y - ptLastMouse.y) * m_nRange / d;
            } else {
                bool onThumb = PtInRect(m_rcThumb, pt);
                if ((m_uThumbState & UISTATE_HOT) && !onThumb) {
                    m_uThumbState &= ~UISTATE_HOT;
                    Invalidate();
                } else if (IsEnabled() && onThumb && !(m_uThumbState & UISTATE_HOT)) {
                    m_uThumbState |= UISTATE_HOT;
                    Invalidate();
                }
            }
            return;
        case UIEVENT_TIMER:
            if (event.wParam != kRepeatTimer) break;
            ++m_nScrollRepeatDelay;
            if (m_uThumbState & UISTATE_CAPTURED) {
                int pos = m_nLastScrollPos + m_nLastScrollOffset;
                if (m_pOwner != nullptr) {
                    SIZE cur = m_pOwner->GetScrollPos();
                    m_pOwner->SetScrollPos(m_bHorizontal ? SIZE{pos, cur.cy} : SIZE{cur.cx, pos});
                } else {
                    SetScrollPos(pos);
                }
                Invalidate();
                Scrolled();
            } else if (m_nScrollRepeatDelay > 5) {
                if (m_uButton1State & UISTATE_PUSHED) {
                    LineBack();
                    Scrolled();
                } else if (m_uButton2State & UISTATE_PUSHED) {
                    LineForward();
                    Scrolled();
                } else if (m_pManager && m_pManager->GetHostWindow()) {
                    POINT cursor;
                    ::GetCursorPos(&cursor);
                    m_pManager->GetHostWindow()->ScreenToClient(&cursor);
                    bool back = m_bHorizontal ? cursor.x < m_rcThumb.left : cursor.y < m_rcThumb.top;
                    bool fwd = m_bHorizontal ? cursor.x > m_rcThumb.right : cursor.y > m_rcThumb.bottom;
                    if (back) PageBack();
                    else if (fwd) PageForward();
                    if (back || fwd) Scrolled();
                }
            }
            return;
        case UIEVENT_MOUSEENTER:
            if (IsEnabled()) {
                m_uButton1State |= UISTATE_HOT;
                m_uButton2State |= UISTATE_HOT;
                if (PtInRect(m_rcThumb, pt)) m_uThumbState |= UISTATE_HOT;
                Invalidate();
            }
            return;
        case UIEVENT_MOUSELEAVE:
            if (IsEnabled()) {
                m_uButton1State &= ~UISTATE_HOT;
                m_uButton2State &= ~UISTATE_HOT;
                m_uThumbState &= ~UISTATE_HOT;
                Invalidate();
            }
            return;
        default:
            break;
    }
    if (m_pOwner != nullptr) m_pOwner->HandleEvent(event);
    else CControlUI::HandleEvent(event);
}

void CScrollBarUI::SetPartImage(int part, int state, const char* text) {
    if (part < 0 || part > 3 || state < 0 || state > 3) return;
    m_images[part][state].SetImage(text);
    Invalidate();
}

void CScrollBarUI::SetAttribute(const char* name, const char* value) {
    static const char* kParts[4] = {"button1", "button2", "thumb", "rail"};
    static const char* kStates[4] = {"normalimage", "hotimage", "pushedimage", "disabledimage"};
    for (int p = 0; p < 4; ++p) {
        std::size_t n = strlen(kParts[p]);
        if (strncmp(name, kParts[p], n) != 0) continue;
        for (int s = 0; s < 4; ++s)
            if (strcmp(name + n, kStates[s]) == 0) {
                SetPartImage(p, s, value);
                return;
            }
    }
    if (strcmp(name, "bknormalimage") == 0) SetNormalImage(value);
    else if (strcmp(name, "bkhotimage") == 0) SetHotImage(value);
    else if (strcmp(name, "bkpushedimage") == 0) SetPushedImage(value);
    else if (strcmp(name, "bkdisabledimage") == 0) SetDisabledImage(value);
    else if (strcmp(name, "hor") == 0) SetHorizontal(ParseBool(value));
    else if (strcmp(name, "linesize") == 0) SetLineSize(atoi(value));
    else if (strcmp(name, "range") == 0) SetScrollRange(atoi(value));
    else if (strcmp(name, "value") == 0) SetScrollPos(atoi(value));
    else if (strcmp(name, "showbutton1") == 0) SetShowButton1(ParseBool(value));
    else if (strcmp(name, "showbutton2") == 0) SetShowButton2(ParseBool(value));
    else CControlUI::SetAttribute(name, value);
}

void CScrollBarUI::PaintPart(CDC* dc, int part, UINT& state, const RECT& rc, bool outline) {
    if (!IsEnabled()) state |= UISTATE_DISABLED;
    else state &= ~UISTATE_DISABLED;
    CImageAttribute* chosen = nullptr;
    if (state & UISTATE_DISABLED) chosen = &m_images[part][3];
    else if (state & UISTATE_PUSHED) chosen = &m_images[part][2];
    else if (state & UISTATE_HOT) chosen = &m_images[part][1];
    if (chosen == nullptr || chosen->GetAttributeString().IsEmpty()) chosen = &m_images[part][0];
    if (!chosen->GetAttributeString().IsEmpty()) {
        RECT dest{rc.left - m_rcItem.left, rc.top - m_rcItem.top, rc.right - m_rcItem.left, rc.bottom - m_rcItem.top};
        if (DrawImage(dc, *chosen, dest)) return;
    }
    if (outline) CRenderEngine::DrawRect(dc, rc, 2, 0xFF85E4FF);
}

void CScrollBarUI::PaintControl(CDC* dc, const RECT& rcPaint) {
    if (!IntersectRect(&m_rcPaint, rcPaint, m_rcItem)) return;
    // background, chosen by the thumb's state
    CImageAttribute* bk = nullptr;
    if (!IsEnabled()) bk = &m_diDisabled;
    else if (m_uThumbState & UISTATE_PUSHED) bk = &m_diPushed;
    else if (m_uThumbState & UISTATE_HOT) bk = &m_diHot;
    if (bk == nullptr || bk->GetAttributeString().IsEmpty()) bk = &m_diNormal;
    if (!bk->GetAttributeString().IsEmpty()) DrawImage(dc, *bk);
    if (m_bShowButton1) PaintPart(dc, 0, m_uButton1State, m_rcButton1, true);
    if (m_bShowButton2) PaintPart(dc, 1, m_uButton2State, m_rcButton2, true);
    const bool noThumb = m_rcThumb.left == 0 && m_rcThumb.top == 0 && m_rcThumb.right == 0 && m_rcThumb.bottom == 0;
    if (noThumb) return;
    PaintPart(dc, 2, m_uThumbState, m_rcThumb, true);
    RECT rail;
    if (m_bHorizontal) {
        int centre = (m_rcThumb.left + m_rcThumb.right) / 2;
        rail = {centre - m_cxyFixed.cy / 2, m_rcThumb.top, centre - m_cxyFixed.cy / 2 + m_cxyFixed.cy, m_rcThumb.bottom};
    } else {
        int centre = (m_rcThumb.top + m_rcThumb.bottom) / 2;
        rail = {m_rcThumb.left, centre - m_cxyFixed.cx / 2, m_rcThumb.right, centre - m_cxyFixed.cx / 2 + m_cxyFixed.cx};
    }
    PaintPart(dc, 3, m_uThumbState, rail, false);
}

}  // namespace WinlessUI
