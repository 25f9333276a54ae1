#include "app/AboutDlg.h"

#include <cstdio>

#include "ui/element/ElementEnv.h"

#ifndef TARROW_VERSION_MAJOR
#define TARROW_VERSION_MAJOR 0
#define TARROW_VERSION_MINOR 1
#define TARROW_VERSION_PATCH 0
#endif

CDlgTrainingAbout::CDlgTrainingAbout(CWnd* parent) : CDialog(0, parent) {
    SetDialogSize(kWidth, kHeight);
    SetDialogStyle(WS_POPUP);
}

std::string CDlgTrainingAbout::VersionText() {
    char text[32];
    std::snprintf(text, sizeof(text), "%d.%d.%d", TARROW_VERSION_MAJOR, TARROW_VERSION_MINOR,
                  TARROW_VERSION_PATCH);
    return text;
}

CPoint CDlgTrainingAbout::CentredOrigin(int sw, int sh, int w, int h) {
    return CPoint((sw - w) / 2, (sh - h) / 2);
}

BOOL CDlgTrainingAbout::OnInitDialog() {
    m_strVersion = VersionText();
    CPoint origin = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  kWidth, kHeight);
    SetWindowPos(nullptr, origin.x, origin.y, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

CRect CDlgTrainingAbout::CloseBox() const {
    return CRect(kWidth - 30, 6, kWidth - 8, 28);
}

void CDlgTrainingAbout::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, ElementColour(CommonColor::uniDlgTemplateBK));
    CBrush border(ElementColour(CommonColor::uniDlgTemplateBORDER));
    dc.FrameRect(&rc, &border);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(CommonFont(3));
    dc.SetTextColor(ElementColour(CommonColor::uniText));
    CRect title(16, 6, rc.right - 40, 30);
    dc.DrawText("关于 Tarrow", &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    CRect close = CloseBox();
    dc.SetTextColor(ElementColour(CommonColor::uniDlgTemplateClose));
    dc.DrawText("×", &close, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc.SelectObject(CommonFont(1));
    dc.SetTextColor(RGB(255, 255, 255));
    CRect line(rc.left + 30, 60, rc.right, 76);
    dc.DrawText("当前版本号：" + m_strVersion, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void CDlgTrainingAbout::OnLButtonUp(UINT flags, CPoint pt) {
    if (CloseBox().PtInRect(pt)) {
        EndDialog(IDCANCEL);
        return;
    }
    CDialog::OnLButtonUp(flags, pt);
}

BOOL CTestWnd::Create(CWnd* parent) {
    return CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), parent, 1334);
}

void CTestWnd::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, RGB(0, 255, 255));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.SelectObject(CommonFont(7));
    dc.DrawText("仿照这个窗口开发下单版!!!", &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
