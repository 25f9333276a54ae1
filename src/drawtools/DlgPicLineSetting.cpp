#include "drawtools/DlgPicLineSetting.h"

#include "drawtools/ToolSettings.h"
#include "ui/dialog/CtrlLayout.h"

CDlgPicLineSetting::CDlgPicLineSetting() : CDlgTemplate(nullptr) {
    m_nLineType = GetToolSettings().lineType;
    m_nLineWidth = GetToolSettings().lineWidth;
}

void CDlgPicLineSetting::BuildControls() {
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    CWnd topMost;
    topMost.m_hWnd = HWND_TOPMOST;
    SetWindowPos(&topMost, (cx - m_nWidth) / 2, m_nHeight / 2, m_nWidth, m_nHeight,
                 SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    topMost.m_hWnd = nullptr;
    CDlgTemplate::BuildControls();
    m_buttons.assign(kButtonCount, nullptr);
    for (int i = 0; m_pLayout && i < kButtonCount; ++i) {
        auto* b = dynamic_cast<MyButton*>(m_pLayout->GetControl(kFirstTypeId + i).get());
        m_buttons[i] = b && b->m_hWnd ? b : nullptr;
    }
    auto check = [&](int id, bool on) {
        if (MyButton* b = m_buttons[id - kFirstTypeId]; b && on) b->SetCheck(1);
    };
    // A current value outside the offered ones checks nothing in its group.
    if (m_nLineType >= 0 && m_nLineType <= 4) check(kFirstTypeId + m_nLineType, true);
    if (m_nLineWidth >= 1 && m_nLineWidth <= 5) check(kFirstWidthId + m_nLineWidth - 1, true);
    check(kContinueId, m_nContinue == 1);
    check(kLockId, m_nLock == 1);
    check(kThirdId, m_nThird == 1);
}

void CDlgPicLineSetting::DrawBackground(CDC* dc) {
    CDlgTemplate::DrawBackground(dc);
    const int left = m_rcClient.left + (m_rcClient.Width() - 208) / 2;
    const CRect band(left, m_rcClient.top + 38, left + 208, m_rcClient.top + 226);
    dc->FillSolidRect(&band, m_clrBk2);
    CPen pen(PS_SOLID, 1, m_clrSeparator);
    CPen* old = dc->SelectObject(&pen);
    dc->MoveTo(band.left, band.top + 80);
    dc->LineTo(band.right, band.top + 80);
    dc->SelectObject(old);
}

BOOL CDlgPicLineSetting::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (id >= kFirstTypeId && id < kFirstWidthId) {
        m_nLineType = id - kFirstTypeId;
        return TRUE;
    }
    if (id >= kFirstWidthId && id < kContinueId) {
        m_nLineWidth = id - kFirstWidthId + 1;
        return TRUE;
    }
    if (id >= kContinueId && id <= kThirdId) return TRUE;  // the boxes keep their own state
    return CDlgTemplate::OnCommand(wParam, lParam);
}

void CDlgPicLineSetting::OnOK() {
    bool complete = m_buttons.size() == size_t(kButtonCount);
    for (MyButton* b : m_buttons) complete = complete && b;
    // A skin without the three boxes leaves the switches as they came in.
    if (complete) {
        m_nContinue = m_buttons[kContinueId - kFirstTypeId]->GetCheck() ? 1 : 0;
        m_nLock = m_buttons[kLockId - kFirstTypeId]->GetCheck() ? 1 : 0;
        m_nThird = m_buttons[kThirdId - kFirstTypeId]->GetCheck() ? 1 : 0;
    }
    ToolSettings& s = GetToolSettings();
    if (m_nLineType != s.lineType && m_nLineType >= 0) s.lineType = m_nLineType;
    if (m_nLineWidth != s.lineWidth && m_nLineWidth >= 1) s.lineWidth = m_nLineWidth;
    CDialog::OnOK();
}
