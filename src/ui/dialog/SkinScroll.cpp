#include "ui/dialog/SkinScroll.h"

#include <algorithm>

// ---------------------------------------------------------------- CSkinScrollBar

BOOL CSkinScrollBar::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    m_si.cbSize = sizeof(SCROLLINFO);
    m_si.nTrackPos = -1;
    return CWnd::CreateEx(0, nullptr, "", style | WS_CHILD, rect, parent, id);
}

bool CSkinScrollBar::IsVertical() const { return m_hWnd && (GetStyle() & SBS_VERT); }

int CSkinScrollBar::Usable() const { return std::max(0, m_nLength - 2 * m_nArrowLength); }

int CSkinScrollBar::ThumbLength() const {
    const int usable = Usable();
    if (usable <= 5) return 0;
    const int span = m_si.nMax - m_si.nMin + 1;
    int len = span > 0 ? int((long long)m_si.nPage * usable / span) : usable;
    if (len <= 5) len = 6;
    return std::min(len, usable);
}

int CSkinScrollBar::Range() const { return m_si.nMax - m_si.nMin - int(m_si.nPage) + 1; }

int CSkinScrollBar::ThumbOffset() const {
    const int free = Usable() - ThumbLength();
    const int range = Range();
    if (range == 0) return free / 2;
    const int p = m_bDragging && m_si.nTrackPos >= 0 ? m_si.nTrackPos : m_si.nPos;
    // Offsets count from the minimum, so that a range not starting at 0 maps the same way.
    return int((long long)free * (p - m_si.nMin) / range);
}

CRect CSkinScrollBar::PartRect(int part) const {
    const int off = ThumbOffset(), thumb = ThumbLength();
    int a = 0, b = 0;
    switch (part) {
        case SB_LINEUP: a = b = 0; break;
        case SB_PAGEUP: a = 1, b = off; break;
        case SB_THUMBTRACK: a = off + 1, b = off + thumb; break;
        case SB_PAGEDOWN: a = off + thumb + 1, b = m_nLength - m_nArrowLength; break;
        case SB_LINEDOWN: a = m_nLength - m_nArrowLength + 1, b = m_nLength; break;
        default: return CRect(0, 0, 0, 0);
    }
    return IsVertical() ? CRect(6, a, 12, b) : CRect(a, 6, b, 12);
}

int CSkinScrollBar::HitTest(CPoint pt) const {
    CRect rc;
    GetClientRect(&rc);
    if (!rc.PtInRect(pt)) return -1;
    const int v = Along(pt);
    if (v < 0) return -1;
    const int start = Usable() == 0 ? m_nLength / 2 : m_nArrowLength;
    const int off = ThumbOffset(), thumb = ThumbLength();
    if (v < start) return SB_LINEUP;
    if (v < start + off) return SB_PAGEUP;
    if (v < start + off + thumb) return SB_THUMBTRACK;
    if (v < m_nLength - m_nArrowLength) return SB_PAGEDOWN;
    return SB_LINEDOWN;
}

int CSkinScrollBar::DragPosition(int delta) const {
    const int free = Usable() - ThumbLength();
    const int range = Range();
    int pos = free == 0 ? 0 : m_nDragStartPos + int((long long)delta * range / free);
    // The largest position is the minimum plus the range, not the range alone.
    pos = std::min(pos, m_si.nMin + std::max(0, range));
    pos = std::max(pos, m_si.nMin);
    return pos;
}

void CSkinScrollBar::Notify(int code, int pos) {
    if (CWnd* parent = GetParent())
        parent->SendMessage(IsVertical() ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), (LPARAM)m_hWnd);
}

void CSkinScrollBar::Paint(CDC* dc) {
    CRect rc;
    GetClientRect(&rc);
    dc->FillSolidRect(&rc, BackColor());
    CRect thumb = PartRect(SB_THUMBTRACK);
    if (ThumbLength() > 0) dc->FillSolidRect(&thumb, ThumbColor());
}

void CSkinScrollBar::OnTimerTick() {
    if (m_bOutside) return;
    if (m_nPressedPart == SB_LINEUP || m_nPressedPart == SB_LINEDOWN) {
        const int limit = m_nPressedPart == SB_LINEUP ? m_si.nMin : m_si.nMax;
        if (m_si.nPos == limit) {
            KillTimer(m_bRepeating ? kTimerRepeat : kTimerDelay);
            return;
        }
        Notify(m_nPressedPart, 0);
    } else if (m_nPressedPart == SB_PAGEUP || m_nPressedPart == SB_PAGEDOWN) {
        CPoint pt;
        ::GetCursorPos(&pt);
        ScreenToClient(&pt);
        CRect thumb = PartRect(SB_THUMBTRACK);
        // Widen to the bar's thickness: the cursor counts as on the thumb across the track.
        CRect rc;
        GetClientRect(&rc);
        if (IsVertical()) thumb.left = rc.left, thumb.right = rc.right;
        else thumb.top = rc.top, thumb.bottom = rc.bottom;
        if (thumb.PtInRect(pt)) {
            KillTimer(m_bRepeating ? kTimerRepeat : kTimerDelay);
            return;
        }
        Notify(m_nPressedPart, 0);
    }
}

LRESULT CSkinScrollBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case SBM_SETSCROLLINFO: {
            auto* si = reinterpret_cast<const SCROLLINFO*>(lParam);
            if (si) {
                if (si->fMask & SIF_RANGE) m_si.nMin = si->nMin, m_si.nMax = si->nMax;
                if (si->fMask & SIF_PAGE) m_si.nPage = si->nPage;
                if (si->fMask & SIF_POS) m_si.nPos = si->nPos;
            }
            if (wParam) Invalidate(FALSE);
            return 1;
        }
        case SBM_GETSCROLLINFO: {
            auto* si = reinterpret_cast<SCROLLINFO*>(lParam);
            if (si) {
                if (si->fMask & SIF_RANGE) si->nMin = m_si.nMin, si->nMax = m_si.nMax;
                if (si->fMask & SIF_PAGE) si->nPage = m_si.nPage;
                if (si->fMask & SIF_POS) si->nPos = m_si.nPos;
                if (si->fMask & SIF_TRACKPOS) si->nTrackPos = m_si.nTrackPos;
            }
            return 1;
        }
        case WM_LBUTTONDBLCLK:
            return 1;
        case WM_PAINT: {
            CPaintDC dc(this);
            Paint(&dc);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            m_nLength = IsVertical() ? (short)HIWORD(lParam) : (short)LOWORD(lParam);
            return 0;
        case WM_LBUTTONDOWN: {
            CPoint pt((short)LOWORD(lParam), (short)HIWORD(lParam));
            const int part = HitTest(pt);
            if (part == SB_LINEUP || part == SB_LINEDOWN || part < 0) return CWnd::DefWindowProc(msg, wParam, lParam);
            SetCapture();
            if (part == SB_THUMBTRACK) {
                m_bDragging = true;
                m_ptDrag = pt;
                m_nDragStartPos = m_si.nTrackPos = m_si.nPos;
            } else {
                m_nPressedPart = part;
                m_bOutside = false;
                SetTimer(kTimerDelay, 200);
            }
            return 0;
        }
        case WM_TIMER:
            if (wParam == kTimerDelay) {
                m_bRepeating = true;
                KillTimer(kTimerDelay);
                SetTimer(kTimerRepeat, 100);
                OnTimerTick();
            } else if (wParam == kTimerRepeat) {
                OnTimerTick();
            }
            return 0;
        case WM_MOUSEMOVE: {
            CPoint pt((short)LOWORD(lParam), (short)HIWORD(lParam));
            if (m_bDragging) {
                const int pos = DragPosition(Along(pt) - Along(m_ptDrag));
                if (pos != m_si.nPos) {
                    m_si.nTrackPos = pos;
                    Invalidate(FALSE);
                }
                Notify(SB_THUMBTRACK, m_si.nTrackPos);
            } else if (m_nPressedPart >= 0) {
                CRect part = PartRect(m_nPressedPart);
                CRect rc;
                GetClientRect(&rc);
                if (IsVertical()) part.left = rc.left, part.right = rc.right;
                else part.top = rc.top, part.bottom = rc.bottom;
                m_bOutside = !part.PtInRect(pt);
            }
            return 0;
        }
        case WM_LBUTTONUP:
            if (GetCapture() == this) ReleaseCapture();
            if (m_bDragging) {
                m_bDragging = false;
                Notify(SB_THUMBPOSITION, m_si.nTrackPos);
                m_si.nTrackPos = -1;
                Invalidate(FALSE);
            } else if (m_nPressedPart >= 0) {
                KillTimer(m_bRepeating ? kTimerRepeat : kTimerDelay);
                m_bRepeating = false;
                m_nPressedPart = -1;
            }
            return 0;
        default:
            return CWnd::DefWindowProc(msg, wParam, lParam);
    }
}

// ---------------------------------------------------------------- CSkinScrollWnd

CSkinScrollWnd::CSkinScrollWnd() = default;

CSkinScrollWnd::~CSkinScrollWnd() {
    if (m_pCtrl && m_pCtrl->m_hWnd && m_nHookCookie) m_pCtrl->RestoreWindowProc(m_nHookCookie);
    if (m_hWnd) DestroyWindow();
}

BOOL CSkinScrollWnd::AttachCtrl(CWnd* control) {
    if (!control || !control->m_hWnd || m_hWnd) return FALSE;
    m_pCtrl = control;
    CWnd* parent = control->GetParent();
    if (!parent) return FALSE;
    const UINT id = control->GetDlgCtrlID();
    const DWORD style = control->GetStyle();
    const DWORD exStyle = control->GetExStyle();
    DWORD frameStyle = WS_CHILD | WS_VISIBLE, frameEx = 0;
    if (exStyle & 0x80) {
        frameEx = 0x88;
        m_bLeftBar = true;
    }
    if (style & WS_BORDER) {
        frameStyle |= WS_BORDER;
        control->ModifyStyle(WS_BORDER, 0, SWP_FRAMECHANGED);
    }
    if (exStyle & WS_EX_CLIENTEDGE) {
        frameEx |= WS_EX_CLIENTEDGE;
        control->ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
    }
    CRect rc;
    control->GetWindowRect(&rc);
    parent->ScreenToClient(&rc);
    m_rcCtrl = rc;
    if (!CreateEx(frameEx & ~0x80u, nullptr, "SkinScrollBarFrame", frameStyle, rc, parent, id)) return FALSE;
    control->SetParent(&m_wndLimit);
    ::SetWindowLongPtr(control->m_hWnd, GWLP_USERDATA, (LONG_PTR)this);
    m_nHookCookie = control->SubclassWindowProc(
        [this](UINT msg, WPARAM wp, LPARAM lp, const CWnd::WndProcPrevious& previous) -> LRESULT {
            LRESULT r = previous(msg, wp, lp);
            switch (msg) {
                case WM_PAINT:
                case WM_ERASEBKGND:
                case WM_WINDOWPOSCHANGING:
                case WM_WINDOWPOSCHANGED:
                case SBM_SETSCROLLINFO:
                    Mirror();
                    break;
                case WM_NCCALCSIZE:
                    if (m_hWnd) SendMessage(UM_RELAYOUT, 0, 0);
                    break;
                default:
                    break;
            }
            return r;
        });
    RelayoutLimit();
    LayoutBars();
    Mirror();
    return TRUE;
}

int CSkinScrollWnd::OnCreate(LPCREATESTRUCT cs) {
    int r = CWnd::OnCreate(cs);
    CRect none(0, 0, 0, 0);
    m_sbHorz.Create(SBS_HORZ, none, this, kHorzId);
    m_sbVert.Create(SBS_VERT, none, this, kVertId);
    CRect rc;
    GetClientRect(&rc);
    m_wndLimit.Create(nullptr, "limit", WS_CHILD | WS_VISIBLE, rc, this, kLimitId);
    return r;
}

void CSkinScrollWnd::MirrorBar(int bar, DWORD styleBit, CSkinScrollBar& sb) {
    if (!sb.m_hWnd) return;
    if (!(m_pCtrl->GetStyle() & styleBit)) {
        sb.m_si = SCROLLINFO{};
        sb.m_si.cbSize = sizeof(SCROLLINFO);
        sb.m_si.nTrackPos = -1;
        if (sb.IsWindowVisible()) sb.ShowWindow(SW_HIDE);
        return;
    }
    SCROLLINFO si{};
    si.cbSize = sizeof(SCROLLINFO);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    if (!m_pCtrl->GetScrollInfo(bar, &si, si.fMask)) return;
    const SCROLLINFO& old = sb.m_si;
    if (si.nMin != old.nMin || si.nMax != old.nMax || si.nPos != old.nPos || si.nPage != old.nPage) {
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        sb.SetScrollInfo(&si, !m_bSuspended);
    }
    // The bar is shown only while there is something to scroll.
    const bool show = si.nMax >= int(si.nPage) && si.nMax - si.nMin + 1 > int(si.nPage);
    if (show != bool(sb.IsWindowVisible())) sb.ShowWindow(show ? SW_SHOWNA : SW_HIDE);
}

void CSkinScrollWnd::Mirror() {
    if (!m_pCtrl || !m_pCtrl->m_hWnd || !m_hWnd) return;
    MirrorBar(SB_VERT, WS_VSCROLL, m_sbVert);
    MirrorBar(SB_HORZ, WS_HSCROLL, m_sbHorz);
}

void CSkinScrollWnd::RelayoutLimit() {
    if (!m_pCtrl || !m_wndLimit.m_hWnd) return;
    CRect rc;
    GetClientRect(&rc);
    const DWORD style = m_pCtrl->GetStyle();
    if (style & WS_HSCROLL) rc.bottom -= 19;
    if (style & WS_VSCROLL) {
        if (m_bLeftBar) rc.left += 19;
        else rc.right -= 19;
    }
    m_wndLimit.MoveWindow(rc.left, rc.top, std::max(0, rc.Width()), std::max(0, rc.Height()));
    Invalidate(FALSE);
}

void CSkinScrollWnd::LayoutBars() {
    if (!m_pCtrl || !m_pCtrl->m_hWnd) return;
    CRect rc;
    GetClientRect(&rc);
    const DWORD style = m_pCtrl->GetStyle();
    const bool h = style & WS_HSCROLL, v = style & WS_VSCROLL;
    if (h) {
        int left = m_bLeftBar && v ? rc.left + 18 : rc.left;
        int right = !m_bLeftBar && v ? rc.right - 18 : rc.right;
        m_sbHorz.MoveWindow(left, rc.bottom - 19, right - left, 19, FALSE);
    }
    if (v) {
        int left = m_bLeftBar ? rc.left : rc.right - 18 - m_nExtraWidth;
        int right = m_bLeftBar ? rc.left + 19 : rc.right;
        int bottom = h ? rc.bottom - 18 : rc.bottom;
        m_sbVert.MoveWindow(left, rc.top, right - left, bottom - rc.top, FALSE);
    }
    // The control as large as the whole frame: its own bars lie past the clipping edge.
    CRect limit;
    m_wndLimit.GetWindowRect(&limit);
    ScreenToClient(&limit);
    m_pCtrl->MoveWindow(-limit.left, -limit.top, rc.Width(), rc.Height(), FALSE);
    Mirror();
}

void CSkinScrollWnd::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    RelayoutLimit();
    LayoutBars();
}

void CSkinScrollWnd::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, m_clrFill != CLR_NONE ? m_clrFill : m_sbVert.BackColor());
    if (m_pCtrl && m_pCtrl->m_hWnd) {
        const DWORD style = m_pCtrl->GetStyle();
        if ((style & WS_HSCROLL) && (style & WS_VSCROLL)) {
            // The corner square matches the bars beside it.
            CRect corner = m_bLeftBar ? CRect(rc.left, rc.bottom - 18, rc.left + 18, rc.bottom)
                                      : CRect(rc.right - 18, rc.bottom - 18, rc.right, rc.bottom);
            dc.FillSolidRect(&corner, m_sbVert.BackColor());
        }
    }
}

void CSkinScrollWnd::ScrollCtrl(UINT msg, UINT code, UINT pos, int bar, CSkinScrollBar& sb) {
    if (!m_pCtrl || !m_pCtrl->m_hWnd) return;
    m_bSuspended = true;
    m_pCtrl->SendMessage(msg, MAKEWPARAM(code, pos), 0);
    m_bSuspended = false;
    SCROLLINFO si{};
    si.cbSize = sizeof(SCROLLINFO);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (m_pCtrl->GetScrollInfo(bar, &si, si.fMask)) sb.SetScrollInfo(&si, TRUE);
}

void CSkinScrollWnd::OnHScroll(UINT code, UINT pos, CWnd*) { ScrollCtrl(WM_HSCROLL, code, pos, SB_HORZ, m_sbHorz); }
void CSkinScrollWnd::OnVScroll(UINT code, UINT pos, CWnd*) { ScrollCtrl(WM_VSCROLL, code, pos, SB_VERT, m_sbVert); }

LRESULT CSkinScrollWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == UM_RELAYOUT) {
        RelayoutLimit();
        return 1;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
