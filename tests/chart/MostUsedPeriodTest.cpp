// The common-periods dialog: the list <-> boxes mapping as a table, then the real dialog run
// modally, clicked and typed into.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/DlgMostUsedPeriod.h"
#include "foundation/Format.h"
#include "marketdata/DataCenter.h"
#include "marketdata/MarketHooks.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Input.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

namespace {

constexpr uint32_t Key(int period, int dataType) {
    return uint32_t(period) << 16 | uint32_t(dataType);
}

TEST(MostUsedPeriods, ListAndBoxesMapBothWays) {
    struct Case {
        std::vector<uint32_t> list;
        uint32_t selection;
    } cases[] = {
        {{}, 0},
        {{Key(1, 4), Key(2, 4), Key(30, 3), Key(60, 3)}, 1539},
        {{Key(6, 4), Key(1, 3), Key(5, 3), Key(15, 3)}, 1u << 5 | 1u << 6 | 1u << 7 | 1u << 8},
        // Intraday, ticks and the user's n-day and n-minute periods have no box.
        {{Key(0, 2), Key(0, 13), Key(uint16_t(-1), 4), Key(uint16_t(-1), 3), Key(3, 4)}, 1u << 2},
    };
    for (const Case& c : cases) EXPECT_EQ(FreqPeriodsToSelection(c.list), c.selection);
    // Rebuilt from the boxes: day family first, then minutes, in box order.
    EXPECT_EQ(SelectionToFreqPeriods(1u << 10 | 1u << 6 | 1u << 3 | 1u << 0),
              (std::vector<uint32_t>{Key(1, 4), Key(4, 4), Key(1, 3), Key(60, 3)}));
    EXPECT_EQ(SelectionToFreqPeriods(0x7FF).size(), 11u);
    EXPECT_TRUE(SelectionToFreqPeriods(0).empty());
    EXPECT_EQ(FreqPeriodsToSelection(SelectionToFreqPeriods(0x5A5)), 0x5A5u);
}

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_chart";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

struct PeriodDialogTest : ::testing::Test {
    std::vector<std::string> boxes;
    std::vector<uint32_t> savedList;
    void SetUp() override {
        EnsurePlatform();
        ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_SOURCE_DIR) +
                                                       "/resources/DlgConfig.xml"));
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT) {
            boxes.push_back(caption + ":" + text);
            return IDOK;
        });
        savedList = GetDataCenter()->GetFreqPeriods();
        SetUserPeriodCounts(10, 3);
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        GetDataCenter()->GetFreqPeriods() = savedList;
        SetUserPeriodCounts(10, 3);
    }
};

void WhenShown(CDlgMostUsedPeriod* dlg, std::shared_ptr<bool> running,
               std::function<void(CDlgMostUsedPeriod*)> fn) {
    platform::PostTask([dlg, running, fn] {
        if (!*running) return;
        if (dlg->m_hWnd && dlg->m_pDays && dlg->m_pMinutes)
            fn(dlg);
        else
            WhenShown(dlg, running, fn);
    });
}

int RunModal(CDlgMostUsedPeriod& dlg, std::function<void(CDlgMostUsedPeriod*)> fn) {
    auto running = std::make_shared<bool>(true);
    WhenShown(&dlg, running, std::move(fn));
    const int result = int(dlg.DoModal());
    *running = false;
    return result;
}

MyButton* Box(CDlgMostUsedPeriod* d, int id) {
    return dynamic_cast<MyButton*>(d->m_pLayout->GetControl(id).get());
}

void Click(CWnd* w) {
    ASSERT_NE(w, nullptr);
    platform::InjectMouse(w, WM_LBUTTONDOWN, 5, 5);
    platform::InjectMouse(w, WM_LBUTTONUP, 5, 5);
}

TEST_F(PeriodDialogTest, BoxesShowTheListAndClicksRebuildIt) {
    GetDataCenter()->GetFreqPeriods() = {Key(0, 2), Key(1, 4), Key(5, 3), Key(0, 13)};
    std::vector<int> checked;
    std::string days, minutes;
    CDlgMostUsedPeriod dlg;
    const int result = RunModal(dlg, [&](CDlgMostUsedPeriod* d) {
        for (int id = 100; id <= 110; ++id) checked.push_back(Box(d, id) ? Box(d, id)->GetCheck() : -1);
        days = d->m_pDays->GetWindowText();
        minutes = d->m_pMinutes->GetWindowText();
        Click(Box(d, 101));                 // 周线 on
        Click(Box(d, 107));                 // 5分 off
        Click(Box(d, 110));                 // 60分 on
        d->m_pDays->SetWindowText("");      // empty: the count stays
        d->m_pMinutes->SetWindowText("15");
        Click(d->m_pLayout->GetControl(IDOK).get());
    });
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(checked, (std::vector<int>{1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(days, "10");
    EXPECT_EQ(minutes, "3");
    EXPECT_EQ(dlg.m_nSelection, 1u << 0 | 1u << 1 | 1u << 10);
    EXPECT_EQ(GetUserNDayCount(), 10);
    EXPECT_EQ(GetUserMinuteCount(), 15);
    EXPECT_EQ(UserPeriodSettings().minuteCount, 15);
    EXPECT_EQ(GetCommonVar()->m_nMinuteCount, 15);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PeriodDialogTest, DefaultsAndCountsThatAreNoCount) {
    GetDataCenter()->GetFreqPeriods() = {};
    std::vector<int> checked;
    size_t boxesAfterZero = 0, boxesAfterText = 0;
    bool openAfterBadCount = false;
    CDlgMostUsedPeriod dlg;
    const int result = RunModal(dlg, [&](CDlgMostUsedPeriod* d) {
        Click(d->m_pLayout->GetControl(CDlgMostUsedPeriod::kDefaultsId).get());
        for (int id = 100; id <= 110; ++id) checked.push_back(Box(d, id)->GetCheck());
        d->m_pDays->SetWindowText("0");
        Click(d->m_pLayout->GetControl(IDOK).get());
        boxesAfterZero = boxes.size();
        d->m_pDays->SetWindowText("-20");  // counted backwards: a count
        d->m_pMinutes->SetWindowText("99999");
        Click(d->m_pLayout->GetControl(IDOK).get());
        boxesAfterText = boxes.size();
        openAfterBadCount = d->m_hWnd != nullptr;
        d->m_pMinutes->SetWindowText("7");
        Click(d->m_pLayout->GetControl(IDOK).get());
    });
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(checked, (std::vector<int>{1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1}));
    EXPECT_EQ(dlg.m_nSelection, CDlgMostUsedPeriod::kDefaultSelection);
    EXPECT_EQ(boxesAfterZero, 1u);
    EXPECT_EQ(boxesAfterText, 2u);
    EXPECT_TRUE(openAfterBadCount);
    EXPECT_EQ(GetUserNDayCount(), -20);
    EXPECT_EQ(GetUserMinuteCount(), 7);
}

TEST_F(PeriodDialogTest, CancelChangesNothing) {
    GetDataCenter()->GetFreqPeriods() = {Key(1, 4)};
    CDlgMostUsedPeriod dlg;
    const int result = RunModal(dlg, [&](CDlgMostUsedPeriod* d) {
        d->m_pDays->SetWindowText("30");
        d->EndDialog(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(GetUserNDayCount(), 10);
    EXPECT_EQ(GetDataCenter()->GetFreqPeriods(), (std::vector<uint32_t>{Key(1, 4)}));
}

}  // namespace
