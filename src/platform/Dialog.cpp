// Modal and modeless dialogs.
#include "platform/Dialog.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/PlatformPrivate.h"

CDialog::CDialog(UINT id, CWnd* parent) : m_nIDTemplate(id), m_pParentWnd(parent) {}
CDialog::~CDialog() = default;

BOOL CDialog::CreateDialogWindow(CWnd* parent) {
    CRect rc(0, 0, m_size.cx, m_size.cy);
    if (!CreateEx(m_exStyle, "#32770", "", m_style & ~WS_VISIBLE, rc, parent, 0)) return FALSE;
    CenterWindow(parent);
    auto alive = d->alive;
    platform::Dispatch(this, WM_INITDIALOG, 0, 0);
    return *alive && m_hWnd != nullptr;
}

LRESULT CDialog::DoModal() {
    m_bModal = true;
    m_bEnded = false;
    m_nModalResult = -1;
    CWnd* parent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    CWnd* top = parent ? parent->GetTopLevelParent() : nullptr;
    auto alive = d->alive;
    if (!CreateDialogWindow(parent)) {
        m_bModal = false;
        return -1;
    }
    if (!*alive) return -1;
    bool reenable = top && top->m_hWnd && top->IsWindowEnabled();
    if (reenable) top->EnableWindow(FALSE);
    if (!m_bEnded) {
        ShowWindow(SW_SHOW);
        int r = RunModalLoop();
        if (!*alive) {
            if (reenable && top->m_hWnd) top->EnableWindow(TRUE);
            return r;
        }
        if (!m_bEnded) m_nModalResult = r;
    }
    if (reenable && top->m_hWnd) top->EnableWindow(TRUE);
    if (m_hWnd) DestroyWindow();
    if (*alive) m_bModal = false;
    return m_nModalResult;
}

BOOL CDialog::Create(UINT id, CWnd* parent) {
    m_nIDTemplate = id;
    m_bModal = false;
    if (!CreateDialogWindow(parent ? parent : m_pParentWnd)) return FALSE;
    if (m_style & WS_VISIBLE) ShowWindow(SW_SHOW);
    return TRUE;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_bEnded = true;
    if (m_bModal)
        EndModalLoop(result);
    else
        ShowWindow(SW_HIDE);
}

void CDialog::CenterWindow(CWnd* alt) {
    if (!m_hWnd) return;
    CRect area;
    if (alt && alt->m_hWnd)
        alt->GetWindowRect(&area);
    else
        SystemParametersWorkArea(&area);
    CRect me;
    GetWindowRect(&me);
    MoveWindow(area.left + (area.Width() - me.Width()) / 2,
               area.top + (area.Height() - me.Height()) / 2, me.Width(), me.Height(), FALSE);
}

namespace {
// Button styles and notifications, as the button control has them.
constexpr DWORD kButtonTypeMask = 0x0F;
constexpr DWORD kPushButton = 0x00, kDefPushButton = 0x01;
constexpr WORD kClicked = 0;

// The focused window when it is this dialog's child or lies inside one.
CWnd* FocusedChildOf(CWnd* dlg) {
    for (CWnd* w = CWnd::GetFocus(); w; w = w->GetParent()) {
        if (!(w->GetStyle() & WS_CHILD)) return nullptr;
        if (w->GetParent() == dlg) return w;
    }
    return nullptr;
}

bool IsPushButton(CWnd* w) {
    if (!w || GetClassName(w->m_hWnd) != "Button") return false;
    const DWORD type = w->GetStyle() & kButtonTypeMask;
    return type == kPushButton || type == kDefPushButton;
}
}  // namespace

void CDialog::NextDlgCtrl() {
    if (CWnd* next = GetNextDlgTabItem(FocusedChildOf(this), FALSE)) next->SetFocus();
}
void CDialog::PrevDlgCtrl() {
    if (CWnd* prev = GetNextDlgTabItem(FocusedChildOf(this), TRUE)) prev->SetFocus();
}
void CDialog::GotoDlgCtrl(CWnd* ctl) {
    if (ctl && ctl->m_hWnd) ctl->SetFocus();
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message != WM_KEYDOWN) return FALSE;
    const WPARAM vk = msg->wParam;
    if (vk != VK_ESCAPE && vk != VK_RETURN && vk != VK_TAB) return FALSE;
    CWnd* focus = CWnd::GetFocus();
    CWnd* ctl = FocusedChildOf(this);
    // the focused control may ask for the key itself
    LRESULT code = 0;
    if (focus && focus != this) {
        auto alive = d->alive;
        code = focus->SendMessage(WM_GETDLGCODE, vk, (LPARAM)msg);
        if (!*alive || !m_hWnd) return TRUE;
    }
    if (vk == VK_TAB) {
        if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return FALSE;
        if (GetKeyState(VK_CONTROL) < 0) return FALSE;
        if (GetKeyState(VK_SHIFT) < 0)
            PrevDlgCtrl();
        else
            NextDlgCtrl();
        return TRUE;
    }
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return FALSE;
    if (vk == VK_ESCAPE) {
        SendMessage(WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    // a multi-line edit takes Enter itself
    if (ctl && focus == ctl && (ctl->GetStyle() & ES_MULTILINE) &&
        GetClassName(ctl->m_hWnd) != "Button")
        return FALSE;
    UINT id = 0;
    CWnd* button = nullptr;
    if (IsPushButton(ctl)) {
        button = ctl;
        id = ctl->GetDlgCtrlID();
    } else {
        auto alive = d->alive;
        const LRESULT def = SendMessage(DM_GETDEFID, 0, 0);
        if (!*alive || !m_hWnd) return TRUE;
        id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
        button = GetDlgItem(id);
        // a disabled default button does nothing
        if (button && !button->IsWindowEnabled()) return TRUE;
    }
    SendMessage(WM_COMMAND, MAKEWPARAM(id, kClicked), button ? (LPARAM)button->m_hWnd : 0);
    return TRUE;
}

BOOL CDialog::OnCommand(WPARAM wp, LPARAM lp) {
    if (HIWORD(wp) == 0 && LOWORD(wp) == IDOK && !OnCmdMsg(IDOK, CN_COMMAND, nullptr)) {
        OnOK();
        return TRUE;
    }
    if (HIWORD(wp) == 0 && LOWORD(wp) == IDCANCEL && !OnCmdMsg(IDCANCEL, CN_COMMAND, nullptr)) {
        OnCancel();
        return TRUE;
    }
    return CWnd::OnCommand(wp, lp);
}

void CDialog::OnClose() {
    SendMessage(WM_COMMAND, IDCANCEL, 0);
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) return OnInitDialog();
    if (msg == DM_GETDEFID) return (LRESULT)GetDefID();
    if (msg == DM_SETDEFID) {
        SetDefID((UINT)wp);
        return TRUE;
    }
    return CWnd::WindowProc(msg, wp, lp);
}
