#include "app/DlgDownload.h"

#include <algorithm>
#include <climits>

#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

void CDlgDownload::Register() {
    GetDlgFactory()->Register(kFactoryId, &CDlgDownload::Create);
}

CDlgTemplate* CDlgDownload::Create(CWnd* parent) {
    auto* dlg = new CDlgDownload();
    if (!dlg->CDlgTemplate::Create(kTemplateId, parent)) {
        delete dlg;
        return nullptr;
    }
    dlg->ShowWindow(SW_HIDE);
    return dlg;
}

void CDlgDownload::BuildControls() {
    CDlgTemplate::BuildControls();
    if (m_pLayout) {
        m_pProgress = dynamic_cast<CMyProgressCtrl*>(m_pLayout->GetControl(kProgressId).get());
        // A layout that numbers its bar otherwise still has one bar.
        for (size_t i = 0; !m_pProgress && i < m_pLayout->m_controls.size(); ++i)
            m_pProgress = dynamic_cast<CMyProgressCtrl*>(m_pLayout->m_controls[i].get());
        m_pLabel = m_pLayout->GetStatic(kLabelId).get();
    }
    ShowWindow(SW_HIDE);
}

void CDlgDownload::ShowPopup() {
    if (!m_hWnd) return;
    const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    SetWindowPos(nullptr, cx / 2, cy / 4, m_nWidth, m_nHeight, SWP_NOACTIVATE | SWP_NOZORDER);
    ShowWindow(SW_SHOWNOACTIVATE);
}

void CDlgDownload::HidePopup() {
    if (m_hWnd) ShowWindow(SW_HIDE);
}

bool CDlgDownload::IsPopupVisible() const {
    return m_hWnd && IsWindowVisible();
}

void CDlgDownload::SetPopupTitle(const std::string& title) {
    m_strTitle = title;
    if (m_hWnd) Invalidate(FALSE);
}

void CDlgDownload::SetPopupRange(uint32_t total) {
    if (!m_pProgress) return;
    m_pProgress->m_nMin = 0;
    m_pProgress->m_nMax = int(std::min<uint32_t>(total, INT_MAX));
    if (m_pProgress->m_hWnd) m_pProgress->Invalidate(FALSE);
}

void CDlgDownload::SetPopupPosition(uint32_t position) {
    if (!m_pProgress) return;
    m_pProgress->m_nPos = int(std::min<uint32_t>(position, INT_MAX));
    if (m_pProgress->m_hWnd) {
        m_pProgress->Invalidate(FALSE);
        m_pProgress->UpdateWindow();
    }
}
