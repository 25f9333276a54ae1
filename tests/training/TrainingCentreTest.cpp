// The training centre: three tabs over their pages, only the shown page attached, the
// report list's record reaching the analysis page only while it is shown.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Services.h"
#include "training/TrainingRecord.h"
#include "training/wnd/SelStockTraining.h"
#include "training/wnd/TrainingCentre.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinScroll.h"

namespace {

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_training";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

// Stands for the pages built elsewhere: counts what the host does to it.
struct CountingPage : CElementWnd {
    int attached = 0, detached = 0;
    void* context = nullptr;
    void AttachData() override { ++attached; }
    void DetachData() override { ++detached; }
    int SetContextObject(void* object) override {
        context = object;
        return 1;
    }
};

struct CentreTest : ::testing::Test {
    CWnd host;
    std::unique_ptr<AnalysisAndTrainingWnd> centre;
    CountingPage* analysis = nullptr;
    CountingPage* trend = nullptr;
    void SetUp() override {
        EnsurePlatform();
        GetCommonVar()->LoadColours();
        RegisterElementType("TradeAnalysisWnd", [this] {
            auto p = std::make_unique<CountingPage>();
            analysis = p.get();
            return p;
        });
        RegisterElementType("TrendTrainingSetWnd", [this] {
            auto p = std::make_unique<CountingPage>();
            trend = p.get();
            return p;
        });
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 500, 700), nullptr, 0);
        centre = std::make_unique<AnalysisAndTrainingWnd>();
        ASSERT_TRUE(centre->Create(&host));
        host.ShowWindow(SW_SHOW);
        centre->MoveWindow(0, 0, 480, 680);
        platform::ProcessPendingEvents();
        ASSERT_NE(analysis, nullptr);
        ASSERT_NE(trend, nullptr);
    }
    void TearDown() override {
        centre->DestroyWindow();
        centre.reset();
        host.DestroyWindow();
    }
    bool Shown(int tab) { return centre->m_wrappers[size_t(tab)]->IsWindowVisible(); }
    void ClickTab(int tab) {
        MyButton* b = centre->m_tabs[size_t(tab)].get();
        b->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        b->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
};

TEST_F(CentreTest, OpensOnTheTrendTabAndSwitchesPages) {
    EXPECT_EQ(centre->m_nTab, 1);
    EXPECT_EQ(centre->m_tabs[1]->GetCheck(), 1);
    EXPECT_TRUE(Shown(1));
    EXPECT_FALSE(Shown(0));
    EXPECT_FALSE(Shown(2));
    EXPECT_EQ(centre->m_tabs[2]->m_strText, "选股训练");
    centre->AttachData();  // the workspace attaches: the shown page only
    EXPECT_EQ(trend->attached, 1);
    EXPECT_EQ(analysis->attached, 0);
    ClickTab(2);
    EXPECT_EQ(centre->m_nTab, 2);
    EXPECT_TRUE(Shown(2));
    EXPECT_FALSE(Shown(1));
    EXPECT_EQ(trend->detached, 1);
    EXPECT_EQ(analysis->detached, 1);
    EXPECT_NE(dynamic_cast<SelStockSetWnd*>(centre->m_pages[2].get()), nullptr);
    ClickTab(2);  // again: the others are detached again
    EXPECT_EQ(trend->detached, 2);
    centre->ShowTrendTrainingTab();
    EXPECT_EQ(centre->m_tabs[1]->GetCheck(), 1);
    EXPECT_EQ(centre->m_tabs[2]->GetCheck(), 0);
    EXPECT_TRUE(Shown(1));
    EXPECT_EQ(trend->attached, 2);
    // The wrappers take the space under the tab row.
    CRect rc;
    centre->m_wrappers[1]->GetWindowRect(&rc);
    centre->ScreenToClient(&rc);
    const CRect& c = centre->m_rcContent;
    EXPECT_EQ(rc, CRect(c.left, c.top + 36, c.right, c.bottom));
}

TEST_F(CentreTest, TheChosenRecordReachesTheAnalysisPageOnlyWhileItIsShown) {
    auto record = std::make_shared<CTrainingRecord>();
    centre->ShowTrainingRecord(record);
    EXPECT_EQ(analysis->context, nullptr);
    ClickTab(0);
    const int attachedBefore = analysis->attached;
    centre->ShowTrainingRecord(record);
    EXPECT_EQ(analysis->context, record.get());
    EXPECT_EQ(analysis->attached, attachedBefore + 1);
    record.reset();  // the host keeps it alive for the page
    EXPECT_NE(centre->m_pRecord, nullptr);
}

}  // namespace
