#include "ui/status/BarStatus.h"

#include <algorithm>
#include <mutex>

#include "foundation/CommonColors.h"
#include "marketdata/AppInfo.h"
#include "marketdata/net/Subscriber.h"
#include "platform/Services.h"
#include "ui/CommonResouce.h"
#include "ui/CommonVar.h"
#include "ui/WebLinks.h"
#include "ui/draw/DrawHelpers.h"

namespace {

COLORREF StatusBack() {
    return GetCommonVar()->GetColor(CommonColor::uniStatus_Back);
}

int ReadNetworkState() {
    CSubscriber* client = GetSubscriber();
    if (!client) return ComputeConnectionState(false, false, false);
    return ComputeConnectionState(true, client->m_nLoginPending.load() != 0,
                                  client->m_nLoggedIn.load() != 0);
}

std::function<int()>& StateSource() {
    static std::function<int()> source;
    return source;
}

}  // namespace

// ---- clock ----

CClockWnd::CClockWnd() {
    SetTypeName("CClockWnd");
}

BOOL CClockWnd::Create(CWnd* parent) {
    return CElementWnd::Create(parent);
}

int CClockWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CElementWnd::OnCreate(cs) == -1) return -1;
    SetTimer(kTimer, 1000);
    return 0;
}

void CClockWnd::OnTimer(UINT_PTR id) {
    if (id == kTimer && IsWindowVisible()) {
        uint32_t now = GetAppInfo()->GetNow();
        auto hour = int16_t(now / 10000), minute = int16_t(now / 100 % 100);
        // The timer runs every second; the clock only repaints when the minute turns.
        if (hour != m_nHour || minute != m_nMinute) {
            m_nHour = hour;
            m_nMinute = minute;
            Invalidate(TRUE);
            UpdateWindow();
        }
    }
    CElementWnd::OnTimer(id);
}

void CClockWnd::OnDestroy() {
    KillTimer(kTimer);
    CElementWnd::OnDestroy();
}

std::string CClockWnd::GetText() const {
    return FormatClockText(GetAppInfo()->GetToday(), GetAppInfo()->GetNow());
}

void CClockWnd::DrawClient(CDC* dc) {
    if (!IsWindowVisible()) return;
    dc->FillSolidRect(&m_rcContent, StatusBack());
    std::string text = GetText();
    if (text.empty()) return;
    CommonVar* v = GetCommonVar();
    CFont* old = dc->SelectObject(v->GetFont(CommonVar::kFontSong12));  // "12月31日 23:59" fits in 100 px
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(v->GetColor(CommonColor::uniStatus_Text));
    CRect rc = m_rcContent;
    rc.left += 12;
    dc->DrawText(text, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(old);
}

// ---- connection state ----

CConnectionStatusWnd::CConnectionStatusWnd() {
    SetTypeName("CConnectionStatusWnd");
    m_tip.m_nStyle = 1;  // opaque, pointing at its anchor from above-left
}

BOOL CConnectionStatusWnd::Create(CWnd* parent) {
    return CElementWnd::Create(parent);
}

void CConnectionStatusWnd::SetStateSource(std::function<int()> source) {
    StateSource() = std::move(source);
}

int CConnectionStatusWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CElementWnd::OnCreate(cs) == -1) return -1;
    m_tip.Create(this);
    SetTimer(kTimer, 500);
    return 0;
}

void CConnectionStatusWnd::OnTimer(UINT_PTR id) {
    if (id == kTimer) {
        UpdateState();
        CheckTipTime(GetTickCount());
    }
    CElementWnd::OnTimer(id);
}

void CConnectionStatusWnd::CheckTipTime(uint32_t now) {
    // Signed: a clock read just before the stamp was taken is not a wrap-around.
    if (m_nTipTime == 0 || int32_t(now - m_nTipTime) < int32_t(kLoginTimeoutMs) || !m_hWnd) return;
    m_nTipTime = 0;
    CRect rc;
    GetWindowRect(&rc);
    if (m_tip.m_hWnd) m_tip.ShowText(kTimeoutText, (rc.left + rc.right) / 2, rc.top + 4);
}

void CConnectionStatusWnd::UpdateState() {
    if (!m_hWnd) return;
    // Single-word reads of flags the network thread sets.
    int state = StateSource() ? StateSource()() : ReadNetworkState();
    if (state == m_nState) return;
    m_nState = int16_t(state);
    if (state == 3) {
        m_nTipTime = std::max<uint32_t>(1, GetTickCount());
    } else {
        m_nTipTime = 0;
        if (m_tip.m_hWnd && m_tip.IsWindowVisible()) m_tip.Hide();
    }
    Invalidate(TRUE);
    UpdateWindow();
}

void CConnectionStatusWnd::OnDestroy() {
    KillTimer(kTimer);
    if (m_tip.m_hWnd) m_tip.DestroyWindow();
    CElementWnd::OnDestroy();
}

void CConnectionStatusWnd::DrawClient(CDC* dc) {
    if (!IsWindowVisible()) return;
    dc->FillSolidRect(&m_rcContent, StatusBack());
    CImage* image = GetCommonResouce()->m_pImage.get();
    if (!image || image->IsNull()) return;
    const int cellWidth = image->GetWidth() / 4, cellHeight = image->GetHeight();
    const int cell = ConnectionIconCell(m_nState);
    const int x = m_rcContent.left + 2;
    const int y = m_rcContent.top + (m_rcContent.Height() - cellHeight) / 2;
    int saved = dc->SaveDC();
    dc->IntersectClipRect(x, y, x + cellWidth, y + cellHeight);
    image->Draw(dc, x - cell * cellWidth, y);
    dc->RestoreDC(saved);
}

// ---- title ----

CTitleWnd::CTitleWnd() {
    SetTypeName("CTitleWnd");
}

BOOL CTitleWnd::Create(CWnd* parent) {
    return CElementWnd::Create(parent);
}

int CTitleWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CElementWnd::OnCreate(cs) == -1) return -1;
    m_pImage.reset(LoadImageResource(227, 0));
    return 0;
}

void CTitleWnd::DrawClient(CDC* dc) {
    dc->FillSolidRect(&m_rcContent, StatusBack());
    if (!m_pImage || m_pImage->IsNull()) return;
    int y = m_rcContent.top + (m_rcContent.Height() - m_pImage->GetHeight()) / 2;
    m_pImage->Draw(dc, m_rcContent.left + 2, y);
}

void CTitleWnd::OnElementMouseMove(UINT, int, int) {
    ::SetCursor(GetCommonResouce()->GetCursorOrArrow(CommonResouce::kCursorArrow));
}

void CTitleWnd::OnElementMouseLeave() {
    CElementWnd::OnElementMouseLeave();
}

LRESULT CTitleWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LBUTTONUP) {
        platform::ShellOpen(GetHomePageUrl());
        return 0;
    }
    return CElementWnd::WindowProc(msg, wParam, lParam);
}

// ---- the bar ----

CBarStatus::CBarStatus() = default;
CBarStatus::~CBarStatus() = default;

BOOL CBarStatus::Create(CWnd* parent, DWORD style, UINT id) {
    return CStatusBar::Create(parent, style, id);
}

int CBarStatus::OnCreate(LPCREATESTRUCT cs) {
    if (CStatusBar::OnCreate(cs) == -1) return -1;
    if (!m_wndTitle.Create(this) || !m_wndClock.Create(this) || !m_wndConnection.Create(this))
        return -1;
    return 0;
}

void CBarStatus::SetCodeInput(CWnd* input) {
    m_pCodeInput = input;
    if (m_pCodeInput && m_pCodeInput->m_hWnd) {
        const CRect& r = m_placement.codeInput;
        m_pCodeInput->SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(),
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CBarStatus::OnSize(UINT type, int cx, int cy) {
    CStatusBar::OnSize(type, cx, cy);
    CRect client;
    GetClientRect(&client);
    m_placement = ComputeStatusBarPlacement(client);
    auto place = [](CWnd& w, const CRect& r) {
        if (w.m_hWnd)
            w.SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(m_wndTitle, m_placement.title);
    place(m_wndClock, m_placement.clock);
    place(m_wndConnection, m_placement.connection);
    if (m_pCodeInput) place(*m_pCodeInput, m_placement.codeInput);
}

void CBarStatus::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, StatusBack());
}
