#include "windowless/WindowImplBase.h"

#include <cstring>
#include <strings.h>

#include "platform/CommonDialogs.h"

namespace WinlessUI {

UI_BEGIN_MESSAGE_MAP(WindowImplBase, CNotifyPump)
UI_ON_NOTIFY("click", "", OnClickNotification)
UI_END_MESSAGE_MAP()

WindowImplBase::~WindowImplBase() {
    // A window still open goes now, while its paint manager lives: its last messages
    // (a child edit's notifications, say) still find the manager.
    if (m_pWnd && m_pWnd->GetSafeHwnd()) m_pWnd->DestroyWindow();
    m_pm.RemovePreFilter(this);
    m_pm.RemoveListener(this);
}

void WindowImplBase::OnWindowGone(HWND) {
    m_pm.RemovePreFilter(this);
    m_pm.RemoveListener(this);
    if (m_pm.GetRoot()) m_pm.ForgetControl(m_pm.GetRoot());
}

LRESULT WindowImplBase::FilterMessage(UINT msg, WPARAM wParam, LPARAM, bool&) {
    if (msg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) DefaultKeyAnswer(wParam);
    return 0;
}

void WindowImplBase::OnClickNotification(UINotify& msg) {
    CUIString name = msg.pSender ? msg.pSender->GetName() : CUIString();
    if (name == "closebtn") PostClose(1);
    else if (name == "minbtn") SendToWindow(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (name == "maxbtn") SendToWindow(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (name == "restorebtn") SendToWindow(WM_SYSCOMMAND, SC_RESTORE, 0);
}

DWORD WindowImplBase::WindowStyle() const {
    return m_pWnd ? (m_pWnd->GetStyle() & ~WS_CAPTION) : 0;
}

LRESULT WindowImplBase::OnWmNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled) {
    if (m_pWnd && m_pWnd->IsIconic()) handled = false;
    return wParam == 0 ? 1 : 0;
}

LRESULT WindowImplBase::HitTest(LPARAM lParam, const char* const* clientClasses, int count) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    m_pWnd->ScreenToClient(&pt);
    RECT client;
    m_pWnd->GetClientRect(&client);
    if (!m_pWnd->IsZoomed()) {
        RECT box = m_pm.GetSizeBox();
        if (pt.y < client.top + box.top) {
            if (pt.x < client.left + box.left) return HTTOPLEFT;
            if (pt.x > client.right - box.right) return HTTOPRIGHT;
            return HTTOP;
        }
        if (pt.y > client.bottom - box.bottom) {
            if (pt.x < client.left + box.left) return HTBOTTOMLEFT;
            if (pt.x > client.right - box.right) return HTBOTTOMRIGHT;
            return HTBOTTOM;
        }
        if (pt.x < client.left + box.left) return HTLEFT;
        if (pt.x > client.right - box.right) return HTRIGHT;
    }
    RECT cap = m_pm.GetCaptionRect();
    if (pt.x >= client.left + cap.left && pt.x < client.right - cap.right && pt.y >= cap.top && pt.y < cap.bottom) {
        CControlUI* control = m_pm.FindControlAt(pt);
        if (control != nullptr) {
            for (int i = 0; i < count; ++i)
                if (strcasecmp(control->GetClassName(), clientClasses[i]) == 0) return HTCLIENT;
            return HTCAPTION;
        }
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnWmNcHitTest(UINT, WPARAM, LPARAM lParam, bool&) {
    static const char* const kClient[] = {"ButtonUI", "OptionUI", "TextUI", "SliderUI"};
    return HitTest(lParam, kClient, 4);
}

LRESULT WindowImplBase::OnWmGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    if (info != nullptr) {
        RECT work;
        ::SystemParametersWorkArea(&work);
        info->ptMaxPosition = POINT{work.left, work.top};
        info->ptMaxTrackSize = POINT{work.right - work.left, work.bottom - work.top};
        SIZE min = m_pm.GetMinInfo();
        info->ptMinTrackSize = POINT{min.cx, min.cy};
    }
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnWmSize(UINT, WPARAM wParam, LPARAM lParam, bool& handled) {
    SIZE round = m_pm.GetRoundCorner();
    if (wParam != SIZE_MINIMIZED && (round.cx != 0 || round.cy != 0) && m_pWnd) {
        CRgn rgn;
        rgn.CreateRoundRectRgn(0, 0, LOWORD(lParam) + 1, HIWORD(lParam) + 1, round.cx, round.cy);
        m_pWnd->SetWindowRgn(&rgn, TRUE);
    }
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnWmSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        SendToWindow(WM_CLOSE);
        return 0;
    }
    bool wasZoomed = m_pWnd->IsZoomed() != FALSE;
    LRESULT r = CallPreviousProc(msg, wParam, lParam);
    if (m_pWnd && m_pWnd->GetSafeHwnd() && wasZoomed != (m_pWnd->IsZoomed() != FALSE)) {
        CControlUI* maxBtn = m_pm.FindControlByName("maxbtn");
        CControlUI* restoreBtn = m_pm.FindControlByName("restorebtn");
        if (maxBtn && restoreBtn) {
            maxBtn->SetVisible(wasZoomed);
            restoreBtn->SetVisible(!wasZoomed);
        }
    }
    if ((wParam & 0xFFF0) == SC_RESTORE) handled = false;
    return r;
}

void WindowImplBase::OnSkinLoadFailed() {
    // The program goes on: whatever the user was doing stays as it was.
    ::MessageBox(nullptr, "加载资源文件失败", "WinlessUI", MB_OK | MB_ICONERROR);
}

LRESULT WindowImplBase::OnWmCreate(UINT, WPARAM, LPARAM, bool&) {
    m_pWnd->ModifyStyle(WS_CAPTION, WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    m_pm.AttachWindow(m_pWnd.get());
    m_pm.AddPreFilter(this);
    CDialogBuilder builder;
    CUIString skin = SkinFileName();
    CControlUI* root = builder.Create(skin, nullptr, this, &m_pm);
    if (root == nullptr) {
        m_bSkinFailed = true;
        OnSkinLoadFailed();
        return -1;  // the window is not created; the caller sees it and returns
    }
    m_pm.AttachRoot(root);
    m_pm.AddListener(this);
    OnInitialised();
    return 0;
}

LRESULT WindowImplBase::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE && m_pWnd) m_hWnd = m_pWnd->m_hWnd;
    bool handled = true;
    LRESULT r = 0;
    switch (msg) {
        case WM_CREATE: r = OnWmCreate(msg, wParam, lParam, handled); break;
        case WM_DESTROY: r = OnWmDestroy(msg, wParam, lParam, handled); break;
        case WM_SIZE: r = OnWmSize(msg, wParam, lParam, handled); break;
        case WM_SETFOCUS: r = OnWmSetFocus(msg, wParam, lParam, handled); break;
        case WM_KILLFOCUS: r = OnWmKillFocus(msg, wParam, lParam, handled); break;
        case WM_CLOSE: r = OnWmClose(msg, wParam, lParam, handled); break;
        case WM_GETMINMAXINFO: r = OnWmGetMinMaxInfo(msg, wParam, lParam, handled); break;
        case WM_WINDOWPOSCHANGING: r = OnWmWindowPosChanging(msg, wParam, lParam, handled); break;
        case WM_NCCALCSIZE: r = OnWmNcCalcSize(msg, wParam, lParam, handled); break;
        case WM_NCHITTEST: r = OnWmNcHitTest(msg, wParam, lParam, handled); break;
        case WM_NCPAINT: r = OnWmNcPaint(msg, wParam, lParam, handled); break;
        case WM_NCACTIVATE: r = OnWmNcActivate(msg, wParam, lParam, handled); break;
        case WM_KEYDOWN: r = OnWmKeyDown(msg, wParam, lParam, handled); break;
        case WM_CHAR: r = OnWmChar(msg, wParam, lParam, handled); break;
        case WM_SYSCOMMAND: r = OnWmSysCommand(msg, wParam, lParam, handled); break;
        case WM_MOUSEMOVE: r = OnWmMouseMove(msg, wParam, lParam, handled); break;
        case WM_LBUTTONDOWN: r = OnWmLButtonDown(msg, wParam, lParam, handled); break;
        case WM_LBUTTONUP: r = OnWmLButtonUp(msg, wParam, lParam, handled); break;
        case WM_MOUSEWHEEL: r = OnWmMouseWheel(msg, wParam, lParam, handled); break;
        case WM_MOUSEHOVER: r = OnWmMouseHover(msg, wParam, lParam, handled); break;
        default: handled = false; break;
    }
    if (handled) return r;
    r = OnOtherMessage(msg, wParam, lParam, handled);
    if (handled) return r;
    if (m_pm.HandleWindowMessage(msg, wParam, lParam, r)) return r;
    return CallPreviousProc(msg, wParam, lParam);
}

}  // namespace WinlessUI
