#include "chart/DlgMostUsedPeriod.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "foundation/Format.h"
#include "marketdata/DataCenter.h"
#include "marketdata/MarketHooks.h"
#include "platform/CommonDialogs.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

namespace {

// Box bit -> (data type, period), in box order.
struct BoxPeriod {
    int dataType;
    int period;
};
constexpr BoxPeriod kBoxes[CDlgMostUsedPeriod::kBoxCount] = {
    {DATATYPE_DAY, 1},     {DATATYPE_DAY, 2},     {DATATYPE_DAY, 3},     {DATATYPE_DAY, 4},
    {DATATYPE_DAY, 5},     {DATATYPE_DAY, 6},     {DATATYPE_MINUTE, 1},  {DATATYPE_MINUTE, 5},
    {DATATYPE_MINUTE, 15}, {DATATYPE_MINUTE, 30}, {DATATYPE_MINUTE, 60},
};

}  // namespace

uint32_t FreqPeriodsToSelection(const std::vector<uint32_t>& keys) {
    uint32_t selection = 0;
    for (uint32_t key : keys) {
        const int dataType = int(key & 0xFFFF);
        const int period = int(int16_t(key >> 16));
        const int command = PeriodToCommandId(dataType, period);
        if (command >= ID_PERIOD_MIN1 && command <= ID_PERIOD_MIN60)
            selection |= 1u << (command - 39977);
        else if (command >= ID_PERIOD_DAY && command <= ID_PERIOD_YEAR)
            selection |= 1u << (command - ID_PERIOD_DAY);
    }
    return selection;
}

std::vector<uint32_t> SelectionToFreqPeriods(uint32_t selection) {
    std::vector<uint32_t> keys;
    for (int bit = 0; bit < CDlgMostUsedPeriod::kBoxCount; ++bit)
        if (selection >> bit & 1u)
            keys.push_back(uint32_t(kBoxes[bit].period) << 16 | uint32_t(kBoxes[bit].dataType));
    return keys;
}

void SetUserPeriodCounts(int16_t dayCount, int16_t minuteCount) {
    SetUserNDayCount(dayCount);
    SetUserMinuteCount(minuteCount);
    UserPeriodSettings().dayCount = dayCount;
    UserPeriodSettings().minuteCount = minuteCount;
    CommonVar* common = GetCommonVar();
    common->m_nDayCount = dayCount;
    common->m_nMinuteCount = minuteCount;
}

void CDlgMostUsedPeriod::BuildControls() {
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    CWnd topMost;
    topMost.m_hWnd = HWND_TOPMOST;
    SetWindowPos(&topMost, (cx - m_nWidth) / 2, m_nHeight / 2, m_nWidth, m_nHeight,
                 SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    topMost.m_hWnd = nullptr;
    CDlgTemplate::BuildControls();
    m_nSelection = FreqPeriodsToSelection(GetDataCenter()->GetFreqPeriods());
    if (!m_pLayout) return;
    for (int i = 0; i < kBoxCount; ++i) {
        auto* box = dynamic_cast<MyButton*>(m_pLayout->GetControl(kFirstBoxId + i).get());
        if (box && box->m_hWnd) box->SetCheck(int(m_nSelection >> i & 1u));
    }
    m_pDays = dynamic_cast<CMyEditCtrl*>(m_pLayout->GetControl(kDaysId).get());
    m_pMinutes = dynamic_cast<CMyEditCtrl*>(m_pLayout->GetControl(kMinutesId).get());
    if (m_pDays && m_pDays->m_hWnd) m_pDays->SetWindowText(std::to_string(GetUserNDayCount()));
    if (m_pMinutes && m_pMinutes->m_hWnd)
        m_pMinutes->SetWindowText(std::to_string(GetUserMinuteCount()));
}

void CDlgMostUsedPeriod::DrawBackground(CDC* dc) {
    CDlgTemplate::DrawBackground(dc);
    dc->FillSolidRect(CRect(m_rcClient.left + 19, m_rcClient.top + 39, m_rcClient.left + 419,
                            m_rcClient.top + 276),
                      m_clrBk2);
}

BOOL CDlgMostUsedPeriod::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (id >= kFirstBoxId && id < kFirstBoxId + kBoxCount) {
        m_nSelection ^= 1u << (id - kFirstBoxId);
        return TRUE;
    }
    if (id == kDefaultsId) {
        m_nSelection = kDefaultSelection;
        // The boxes show the defaults at once.
        for (int i = 0; m_pLayout && i < kBoxCount; ++i) {
            auto* box = dynamic_cast<MyButton*>(m_pLayout->GetControl(kFirstBoxId + i).get());
            if (box && box->m_hWnd) box->SetCheck(int(m_nSelection >> i & 1u));
        }
        return TRUE;
    }
    return CDlgTemplate::OnCommand(wParam, lParam);
}

bool CDlgMostUsedPeriod::ReadCount(CMyEditCtrl* edit, int16_t& count) {
    if (!edit || !edit->m_hWnd) return true;
    const std::string text = edit->GetWindowText();
    if (text.empty()) return true;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    // A count of 0, or one past what the settings hold, would make no period at all.
    if (errno || *end || value == 0 || value < SHRT_MIN || value > SHRT_MAX) return false;
    count = int16_t(value);
    return true;
}

void CDlgMostUsedPeriod::OnOK() {
    int16_t days = GetUserNDayCount();
    int16_t minutes = GetUserMinuteCount();
    if (!ReadCount(m_pDays, days)) {
        ::MessageBox(nullptr, "自定义日数须为非零整数", "提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!ReadCount(m_pMinutes, minutes) || minutes < 0) {
        ::MessageBox(nullptr, "自定义分钟须为正整数", "提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    SetUserPeriodCounts(days, minutes);
    CDialog::OnOK();
}
