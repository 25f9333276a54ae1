// The trade-analysis page of the training centre: the introduction without a session, the
// summary of one (counts, success rate, best and worst trade, period texts), zeros for a
// session without closing trades, hidden dates and name while a session runs, and its
// buttons: 查看详细 opens the session, 再来一局 refuses while any session runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ReviewWindowSupport.h"
#include "common/ScratchDir.h"
#include "marketdata/DataCenter.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Gdi.h"
#include "training/TotalTrainingRecord.h"
#include "training/TrainingRecord.h"
#include "training/wnd/TradeAnalysisWnd.h"
#include "training/wnd/TrainingCentre.h"
#include "training/wnd/TrainingReportWnd.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinScroll.h"

namespace {

constexpr COLORREF kRed = RGB(255, 77, 77);
constexpr COLORREF kGreen = RGB(77, 255, 77);

TradeDetailItem Closing(int32_t date, double gain, double percent) {
    TradeDetailItem t;
    t.TradeDate = date;
    t.opdir = 1;
    t.bsdir = -1;
    t.GainLoss = gain;
    t.GLPercent = percent;
    t.praise = gain > 0 ? 1 : -1;
    return t;
}

std::shared_ptr<CTrainingRecord> Session(std::vector<TradeDetailItem> trades, int status = kTrainStatusEnded) {
    auto r = std::make_shared<CTrainingRecord>();
    r->code = CIndSecuCode(1, "600036");
    r->InitCapital = 1000000;
    r->StartDate = 20141201;
    r->BeginTrainDate = 20150105;
    r->EndTrainDate = 20150630;
    r->TrainDays = 120;
    r->TrainStatus = status;
    TradeDetailItem open;
    open.TradeDate = 20150105;
    open.opdir = 1;
    open.bsdir = 1;
    r->trades.push_back(open);
    for (auto& t : trades) r->trades.push_back(t);
    return r;
}

struct AnalysisPageTest : ::testing::Test {
    ScratchDir dir;
    std::shared_ptr<CTotalTrainingRecord> list;
    CWnd host;
    TradeAnalysisWnd page;
    std::vector<std::string> boxes;

    void SetUp() override {
        EnsureReviewPlatform();
        GetCommonVar()->LoadColours();
        list = std::make_shared<CTotalTrainingRecord>((dir.Path() / "totalRecord.xml").string());
        GetDataCenter()->SetTrainingRecords(list, nullptr);
        SetMessageBoxHook([this](const std::string& text, const std::string&, UINT) {
            boxes.push_back(text);
            return IDOK;
        });
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 560, 720), nullptr, 0);
        ASSERT_TRUE(page.Create(&host));
        host.ShowWindow(SW_SHOW);
        page.MoveWindow(0, 0, 540, 700);
        platform::ProcessPendingEvents();
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        SetTrainingSessionOpener(nullptr);
        GetDataCenter()->SetTrainingRecords(nullptr, nullptr);
        page.DestroyWindow();
        host.DestroyWindow();
    }
    void Show(const std::shared_ptr<CTrainingRecord>& record) {
        if (std::find(list->records.begin(), list->records.end(), record) == list->records.end())
            list->records.push_back(record);
        page.SetContextObject(record.get());
        page.DetachData();
        page.AttachData();
    }
    std::string Text(int item) { return page.ItemText(item); }
    bool Visible(int button) { return page.m_buttons[size_t(button)]->IsWindowVisible(); }
};

TEST_F(AnalysisPageTest, IntroducesTheTrainingWithoutASession) {
    page.AttachData();
    EXPECT_FALSE(page.m_bShowing);
    EXPECT_FALSE(Visible(0));
    EXPECT_FALSE(Visible(1));
    EXPECT_TRUE(Visible(2)) << "马上来一局";
    ASSERT_EQ(page.m_paragraphs.size(), 3u);
    EXPECT_EQ(page.m_paragraphs[0], "    工欲善其事，必先利其器！");
}

TEST_F(AnalysisPageTest, SumsUpASession) {
    Show(Session({Closing(20150210, 1200, 0.12), Closing(20150310, -300, -0.03), Closing(20150410, 450, 0.045)}));
    EXPECT_TRUE(page.m_bShowing);
    EXPECT_TRUE(Visible(0));
    EXPECT_TRUE(Visible(1));
    EXPECT_FALSE(Visible(2));
    EXPECT_EQ(Text(TradeAnalysisWnd::kTrades), "3笔");
    EXPECT_EQ(Text(TradeAnalysisWnd::kWins), "2盈");
    EXPECT_EQ(Text(TradeAnalysisWnd::kLosses), "1亏");
    EXPECT_EQ(Text(TradeAnalysisWnd::kSuccessRate), "66.7%");
    EXPECT_EQ(Text(TradeAnalysisWnd::kBest), "1200.00 (+12.00%)");
    EXPECT_EQ(page.ItemColour(TradeAnalysisWnd::kBest), kRed);
    EXPECT_EQ(Text(TradeAnalysisWnd::kWorst), "-300.00 (-3.00%)");
    EXPECT_EQ(page.ItemColour(TradeAnalysisWnd::kWorst), kGreen);
    EXPECT_EQ(Text(TradeAnalysisWnd::kDays), "120");
    EXPECT_EQ(Text(TradeAnalysisWnd::kPeriod), "2015. 1.5-2015. 6.30");
    EXPECT_EQ(Text(TradeAnalysisWnd::kDateRange), "2015.1.5-2015.6.30");
    // The counts are laid out after their texts: the wins follow the slash.
    EXPECT_GT(page.m_items[TradeAnalysisWnd::kWins]->m_rect.left, page.m_items[8]->m_rect.left);
    EXPECT_GT(page.m_items[TradeAnalysisWnd::kLosses]->m_rect.left, page.m_items[TradeAnalysisWnd::kWins]->m_rect.left);
}

TEST_F(AnalysisPageTest, ASessionWithoutClosingTradesShowsItsOwnZeros) {
    Show(Session({Closing(20150210, 1200, 0.12), Closing(20150310, -300, -0.03)}));
    EXPECT_EQ(Text(TradeAnalysisWnd::kTrades), "2笔");
    auto none = Session({});
    none->TrainDays = 15;
    Show(none);
    EXPECT_EQ(Text(TradeAnalysisWnd::kTrades), "0笔") << "not the previous session's count";
    EXPECT_EQ(Text(TradeAnalysisWnd::kWins), "0盈");
    EXPECT_EQ(Text(TradeAnalysisWnd::kLosses), "0亏");
    EXPECT_EQ(Text(TradeAnalysisWnd::kSuccessRate), "0.0%");
    EXPECT_EQ(Text(TradeAnalysisWnd::kBest), "0.00 (0.00%)") << "no minus sign on nothing";
    EXPECT_EQ(Text(TradeAnalysisWnd::kWorst), "0.00 (0.00%)");
    EXPECT_EQ(Text(TradeAnalysisWnd::kDays), "15");
}

TEST_F(AnalysisPageTest, AllTradesWonLeaveTheWorstAtZeroInGreen) {
    Show(Session({Closing(20150210, 100, 0.01), Closing(20150310, 200, 0.02)}));
    EXPECT_EQ(Text(TradeAnalysisWnd::kSuccessRate), "100.0%");
    EXPECT_EQ(Text(TradeAnalysisWnd::kWorst), "0.00 (0.00%)");
    EXPECT_EQ(page.ItemColour(TradeAnalysisWnd::kWorst), kGreen);
    EXPECT_EQ(Text(TradeAnalysisWnd::kBest), "200.00 (+2.00%)");
}

TEST_F(AnalysisPageTest, DatesAndNameStayHiddenWhileTheSessionRuns) {
    auto running = Session({}, kTrainStatusRunning);
    running->hideDate = 1;
    running->hideName = 1;
    Show(running);
    EXPECT_EQ(Text(TradeAnalysisWnd::kPeriod), "--");
    EXPECT_EQ(Text(TradeAnalysisWnd::kDateRange), "--");
    EXPECT_EQ(page.SecurityLegend(), "--");
    running->TrainStatus = kTrainStatusEnded;
    page.FillStatistics();
    EXPECT_EQ(Text(TradeAnalysisWnd::kDateRange), "2015.1.5-2015.6.30");
}

TEST_F(AnalysisPageTest, AgainIsRefusedWhileAnySessionRuns) {
    auto ended = Session({});
    Show(ended);
    list->records.push_back(Session({}, kTrainStatusRunning));  // another session, not the one shown
    page.SendMessage(WM_COMMAND, TradeAnalysisWnd::kAgainId, 0);
    EXPECT_EQ(boxes, (std::vector<std::string>{TradeAnalysisWnd::kRunningMessage}));
    page.SendMessage(WM_COMMAND, TradeAnalysisWnd::kStartId, 0);
    EXPECT_EQ(boxes.size(), 2u);
    list->records.back()->TrainStatus = kTrainStatusEnded;
    page.SendMessage(WM_COMMAND, TradeAnalysisWnd::kAgainId, 0);
    EXPECT_EQ(boxes.size(), 2u) << "nothing running: no message";
}

TEST_F(AnalysisPageTest, DetailsOpenTheSessionsWorkspace) {
    std::vector<std::shared_ptr<CTrainingRecord>> opened;
    SetTrainingSessionOpener([&](const std::shared_ptr<CTrainingRecord>& r) { opened.push_back(r); });
    page.SendMessage(WM_COMMAND, TradeAnalysisWnd::kDetailsId, 0);
    EXPECT_TRUE(opened.empty()) << "no session shown: nothing";
    auto record = Session({});
    Show(record);
    page.SendMessage(WM_COMMAND, TradeAnalysisWnd::kDetailsId, 0);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], record);
}

TEST(AnalysisPageInCentre, AgainTurnsTheCentreToTheTrendTab) {
    EnsureReviewPlatform();
    GetCommonVar()->LoadColours();
    RegisterTrainingElementTypes();
    ScratchDir dir;
    auto list = std::make_shared<CTotalTrainingRecord>((dir.Path() / "totalRecord.xml").string());
    GetDataCenter()->SetTrainingRecords(list, nullptr);
    CWnd host;
    host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 600, 760), nullptr, 0);
    {
        AnalysisAndTrainingWnd centre;
        ASSERT_TRUE(centre.Create(&host));
        host.ShowWindow(SW_SHOW);
        centre.MoveWindow(0, 0, 580, 740);
        platform::ProcessPendingEvents();
        auto* page = dynamic_cast<TradeAnalysisWnd*>(centre.m_pages[0].get());
        ASSERT_NE(page, nullptr) << "the centre's first page is the analysis page";
        centre.ShowTab(0);
        EXPECT_EQ(centre.m_nTab, 0);
        page->SendMessage(WM_COMMAND, TradeAnalysisWnd::kStartId, 0);
        EXPECT_EQ(centre.m_nTab, 1);
        centre.DestroyWindow();
    }
    GetDataCenter()->SetTrainingRecords(nullptr, nullptr);
    host.DestroyWindow();
}

}  // namespace
