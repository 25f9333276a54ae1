#pragma once
// The "常用周期" dialog: which periods the chart's element bar offers as buttons, and the
// user's n-day and n-minute counts. Bits 0-5 stand for day, week, month, quarter, half-year
// and year, bits 6-10 for 1, 5, 15, 30 and 60 minutes; check box 100 + bit shows each.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/dialog/DlgTemplate.h"

class CMyEditCtrl;

// The boxes' bits of a common-period list (keys (period << 16) | data type); periods
// without a box (intraday, ticks, the user's counts) are left out.
uint32_t FreqPeriodsToSelection(const std::vector<uint32_t>& keys);
// The list for a selection: day family first, then minutes, each in box order.
std::vector<uint32_t> SelectionToFreqPeriods(uint32_t selection);
// The user's n-day and n-minute counts, as the data path, the period names and the shared
// settings all see them.
void SetUserPeriodCounts(int16_t dayCount, int16_t minuteCount);

class CDlgMostUsedPeriod : public CDlgTemplate {
public:
    static constexpr int kFirstBoxId = 100;  // 100..110
    static constexpr int kBoxCount = 11;
    static constexpr int kDaysId = 111;
    static constexpr int kMinutesId = 112;
    static constexpr int kDefaultsId = 113;
    static constexpr uint32_t kDefaultSelection = 1539;  // 日线, 周线, 30分, 60分

    explicit CDlgMostUsedPeriod(CWnd* parent = nullptr) : CDlgTemplate(parent) {}

    void LoadSkin() override { LoadSkinNode("DlgSetPeriod"); }
    void BuildControls() override;
    void DrawBackground(CDC* dc) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;

    // The selection the caller reads after IDOK.
    uint32_t m_nSelection = 0;
    CMyEditCtrl* m_pDays = nullptr;
    CMyEditCtrl* m_pMinutes = nullptr;

private:
    // A count typed into an edit: empty keeps the old one; false for text that is no count.
    static bool ReadCount(CMyEditCtrl* edit, int16_t& count);
};
