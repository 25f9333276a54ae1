// The tooltip control.
#include "platform/ToolTip.h"

#include <algorithm>

namespace {
constexpr COLORREF kTipBack = RGB(255, 255, 225);
constexpr COLORREF kTipBorder = RGB(118, 118, 118);
constexpr int kPadX = 4, kPadY = 2;
}  // namespace

BOOL CToolTipCtrl::Create(CWnd* owner, DWORD style) {
    if (!m_font.m_created) {
        LOGFONT lf;
        lf.lfHeight = -12;
        lf.lfFaceName = "宋体";
        m_font.CreateFontIndirect(&lf);
    }
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, "tooltips_class32", "",
                    WS_POPUP | (style & 0xffff), CRect(0, 0, 1, 1), owner, 0);
}

int CToolTipCtrl::Find(const TOOLINFO* ti) const {
    if (!ti) return -1;
    for (size_t i = 0; i < m_tools.size(); ++i)
        if (m_tools[i].hwnd == ti->hwnd && m_tools[i].id == ti->uId) return (int)i;
    return -1;
}

std::string CToolTipCtrl::GetShownText() const {
    return m_shown >= 0 && m_shown < (int)m_tools.size() ? m_tools[(size_t)m_shown].text
                                                         : std::string();
}

// The window size for a text, wrapped at the maximum width when one is set.
CSize CToolTipCtrl::Measure(const std::string& text, CRect* textRect) {
    CClientDC dc(this);
    dc.SelectObject(&m_font);
    const UINT fmt = DT_NOPREFIX | DT_CALCRECT | (m_maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    CRect rc(0, 0, m_maxWidth > 0 ? m_maxWidth : 4096, 0);
    dc.DrawText(text.empty() ? std::string(" ") : text, &rc, fmt);
    if (textRect) *textRect = CRect(kPadX, kPadY, kPadX + rc.Width(), kPadY + rc.Height());
    return CSize(rc.Width() + 2 * kPadX, rc.Height() + 2 * kPadY);
}

void CToolTipCtrl::Show(int tool) {
    if (tool < 0 || !m_active || m_tools[(size_t)tool].text.empty()) {
        m_shown = -1;
        ShowWindow(SW_HIDE);
        return;
    }
    m_shown = tool;
    const Tool& t = m_tools[(size_t)tool];
    CSize size = Measure(t.text, nullptr);
    POINT at;
    if ((t.flags & TTF_TRACK) && (t.flags & TTF_ABSOLUTE)) {
        at = m_trackPos;
    } else {
        ::GetCursorPos(&at);
        at.y += 20;  // below the pointer
    }
    RECT work;
    SystemParametersWorkArea(&work);
    at.x = std::max<LONG>(work.left, std::min<LONG>(at.x, work.right - size.cx));
    at.y = std::max<LONG>(work.top, std::min<LONG>(at.y, work.bottom - size.cy));
    SetWindowPos(nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
    ShowWindow(SW_SHOWNA);
    UpdateWindow();
}

LRESULT CToolTipCtrl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    auto* ti = reinterpret_cast<TOOLINFO*>(lp);
    switch (msg) {
        case TTM_ADDTOOL:
        case TTM_SETTOOLINFO: {
            if (!ti) return FALSE;
            int i = Find(ti);
            if (msg == TTM_SETTOOLINFO && i < 0) return 0;
            Tool t{ti->uFlags, ti->hwnd, ti->uId, ti->rect, ti->lpszText ? ti->lpszText : "",
                   ti->lParam};
            if (i < 0)
                m_tools.push_back(std::move(t));
            else
                m_tools[(size_t)i] = std::move(t);
            if (i >= 0 && i == m_shown) Show(i);
            return TRUE;
        }
        case TTM_UPDATETIPTEXT: {
            int i = Find(ti);
            if (i < 0) return 0;
            m_tools[(size_t)i].text = ti->lpszText ? ti->lpszText : "";
            if (i == m_shown) Show(i);
            return 0;
        }
        case TTM_DELTOOL: {
            int i = Find(ti);
            if (i < 0) return 0;
            if (i == m_shown) Show(-1);
            m_tools.erase(m_tools.begin() + i);
            if (m_shown > i) --m_shown;
            return 0;
        }
        case TTM_GETTOOLCOUNT:
            return (LRESULT)m_tools.size();
        case TTM_ACTIVATE:
            m_active = wp != 0;
            if (!m_active) Show(-1);
            return 0;
        case TTM_TRACKACTIVATE:
            Show(wp ? Find(ti) : -1);
            return 0;
        case TTM_POP:
            Show(-1);
            return 0;
        case TTM_TRACKPOSITION:
            m_trackPos = POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (m_shown >= 0) Show(m_shown);
            return 0;
        case TTM_SETMAXTIPWIDTH: {
            const int old = m_maxWidth;
            m_maxWidth = (int)lp > 0 ? (int)lp : -1;
            if (m_shown >= 0) Show(m_shown);
            return old;
        }
        case TTM_GETDELAYTIME:
            return wp <= TTDT_INITIAL ? m_delays[wp] : 0;
        case TTM_SETDELAYTIME: {
            const int ms = (short)LOWORD(lp);
            if (wp == TTDT_AUTOMATIC) {
                const int base = ms < 0 ? 500 : ms;
                m_delays[TTDT_AUTOMATIC] = m_delays[TTDT_INITIAL] = base;
                m_delays[TTDT_RESHOW] = base / 5;
                m_delays[TTDT_AUTOPOP] = base * 10;
            } else if (wp <= TTDT_INITIAL) {
                m_delays[wp] = ms < 0 ? (wp == TTDT_RESHOW    ? 100
                                         : wp == TTDT_AUTOPOP ? 5000
                                                              : 500)
                                      : ms;
            }
            return 0;
        }
        default:
            return CWnd::WindowProc(msg, wp, lp);
    }
}

void CToolTipCtrl::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, kTipBack);
    CBrush border(kTipBorder);
    dc.FrameRect(&client, &border);
    const std::string text = GetShownText();
    if (text.empty()) return;
    CRect textRect;
    Measure(text, &textRect);
    dc.SelectObject(&m_font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.DrawText(text, &textRect,
                DT_NOPREFIX | (m_maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER));
}
