#include "app/DlgLogin.h"

#include "app/LoginLinks.h"
#include "foundation/MyLog.h"
#include "marketdata/net/LoginConfig.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

namespace {
// The links are drawn on the dialog's dark background, so in a link colour rather than black.
constexpr COLORREF kLinkColour = RGB(96, 156, 236);
}  // namespace

void CDlgLogin::BuildControls() {
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    CWnd topMost;
    topMost.m_hWnd = HWND_TOPMOST;
    SetWindowPos(&topMost, (cx - m_nWidth) / 2, m_nHeight / 2, m_nWidth, m_nHeight,
                 SWP_NOACTIVATE);
    topMost.m_hWnd = nullptr;
    CDlgTemplate::BuildControls();
    if (m_pLayout) {
        m_pUserEdit = dynamic_cast<CMyEditCtrl*>(m_pLayout->GetControl(kUserId).get());
        m_pPasswordEdit = dynamic_cast<CMyEditCtrl*>(m_pLayout->GetControl(kPasswordId).get());
        m_pRemember = dynamic_cast<MyButton*>(m_pLayout->GetControl(kRememberId).get());
    }
    const LoginDialogValues values = LoadLoginDialogValues();
    m_strUser = values.user;
    m_nRemember = values.remember;
    m_strPassword = values.password;
    CFont* font = GetCommonVar()->GetFont(CommonVar::kFontSong14);
    if (m_pUserEdit && m_pUserEdit->m_hWnd) {
        m_pUserEdit->SetWindowText(m_strUser);
        m_pUserEdit->SetFont(font, TRUE);
    }
    if (m_pPasswordEdit && m_pPasswordEdit->m_hWnd) {
        m_pPasswordEdit->SetWindowText(m_strPassword);
        m_pPasswordEdit->SetFont(font, TRUE);
        m_pPasswordEdit->SetPasswordChar('*');
    }
    if (m_pRemember && m_pRemember->m_hWnd) m_pRemember->SetCheck(m_nRemember ? 1 : 0);
    PlaceLinks();
    if (m_pUserEdit && m_pUserEdit->m_hWnd) m_pUserEdit->SetFocus();
    GetAppLog().WriteLog("%s %d", "CDlgLogin::Init", 105);
}

void CDlgLogin::PlaceLinks() {
    if (!m_pRemember || !m_pRemember->m_hWnd) return;
    CRect box;
    m_pRemember->GetWindowRect(&box);
    ScreenToClient(&box);
    m_rcRecover = CRect(box.left + 90, box.top, box.left + 150, box.bottom);
    m_rcServer = CRect(box.left + 160, box.top, box.left + 220, box.bottom);
    m_rcGuest = CRect(box.left + 230, box.top, box.left + 290, box.bottom);
}

void CDlgLogin::DrawTitle(CDC* dc) {
    // The picture band under the title (no picture shipped: the band's colour stands alone).
    dc->FillSolidRect(m_rcTitle.left, m_rcTitle.top, m_rcTitle.Width(), kBandHeight, m_clrBk2);
    PlaceLinks();
    if (m_pRemember) {
        CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::kFontSong14));
        dc->SetTextColor(kLinkColour);
        const UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
        dc->DrawText("找回密码", &m_rcRecover, format);
        dc->DrawText("主站设置", &m_rcServer, format);
        dc->DrawText("游客登录", &m_rcGuest, format);
        dc->SelectObject(old);
    }
    CDlgTemplate::DrawTitle(dc);
}

void CDlgLogin::OnLButtonUpHook(UINT, CPoint pt) {
    if (m_rcGuest.PtInRect(pt)) {
        ChooseGuestLogin();
        OnOK();
        return;
    }
    if (m_rcRecover.PtInRect(pt)) OpenRecoverPasswordPage();
    if (m_rcServer.PtInRect(pt) && m_onServerList) m_onServerList();
}

BOOL CDlgLogin::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (id == kLoginId) {
        m_strUser = m_pUserEdit && m_pUserEdit->m_hWnd ? m_pUserEdit->GetWindowText() : "";
        m_strPassword =
            m_pPasswordEdit && m_pPasswordEdit->m_hWnd ? m_pPasswordEdit->GetWindowText() : "";
        m_nRemember = m_pRemember && m_pRemember->m_hWnd ? m_pRemember->GetCheck() : 0;
        StoreLoginInput(m_strUser, m_strPassword);
        OnOK();
        return TRUE;
    }
    if (id == kRegisterId) {
        OpenRegisterPage();
        return TRUE;
    }
    return CDlgTemplate::OnCommand(wParam, lParam);
}

void CDlgLogin::OnOK() {
    StoreRememberState(m_nRemember);
    CDialog::OnOK();
}
