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

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message != WM_KEYDOWN) return FALSE;
    if (msg->wParam == VK_ESCAPE) {
        SendMessage(WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    if (msg->wParam == VK_RETURN) {
        CWnd* focus = CWnd::GetFocus();
        // a multi-line edit takes Enter itself
        if (focus && (focus->GetStyle() & ES_MULTILINE) && focus->GetParent() == this) return FALSE;
        SendMessage(WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    return FALSE;
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
    return CWnd::WindowProc(msg, wp, lp);
}
