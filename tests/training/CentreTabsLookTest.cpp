// The training centre with its own pages, one screenshot per tab: the analysis of a stored
// session over its day bars, the trend set-up page and the stock-selection set-up page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ReviewWindowSupport.h"
#include "TrainingChartHarness.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Gdi.h"
#include "platform/Services.h"
#include "training/TotalTrainingRecord.h"
#include "training/TrainingRecord.h"
#include "training/wnd/SelStockTraining.h"
#include "training/wnd/TradeAnalysisCharts.h"
#include "training/wnd/TradeAnalysisWnd.h"
#include "training/wnd/TradeAnyalysisData.h"
#include "training/wnd/TrainingCentre.h"
#include "training/wnd/TrainingReportWnd.h"
#include "training/wnd/TrendTrainingSetWnd.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"

namespace {

class CentreTabsLook : public TrainingChartTest {
protected:
    void SetUp() override {
        TrainingChartTest::SetUp();
        EnsureReviewPlatform();
        LoadProgramSkin();
        RegisterTrainingElementTypes();
        SetMessageBoxHook([](const std::string&, const std::string&, UINT) { return IDOK; });
        m_days = Weekdays(20230102, 120);
        WriteDays(m_days);
        m_list = std::make_shared<CTotalTrainingRecord>((m_dir.Path() / "totalRecord.xml").string());
        GetDataCenter()->SetTrainingRecords(m_list, nullptr);
    }
    void TearDown() override {
        GetDataCenter()->SetTrainingRecords(nullptr, nullptr);
        SetMessageBoxHook(nullptr);
        TrainingChartTest::TearDown();
    }
    // A finished session over days 20..80 with a purchase and a sale.
    std::shared_ptr<CTrainingRecord> Session() {
        auto r = std::make_shared<CTrainingRecord>(MakeRecord(int32_t(m_days[20]), int32_t(m_days[80])));
        r->BeginTrainDate = int32_t(m_days[30]);
        r->EndTrainDate = int32_t(m_days[80]);
        r->TrainDays = 50;
        r->dataType = 4;
        r->period = 1;
        r->TrainStatus = kTrainStatusEnded;
        r->AddStartAssetPoint();
        std::string message;
        const double buy = DayBar(m_days[40], 40).m_nClose / 1000.0;
        const double sell = DayBar(m_days[60], 60).m_nClose / 1000.0;
        EXPECT_TRUE(r->Buy(1000, int64_t(m_days[40]) * 10000, message, true, "", buy)) << message;
        EXPECT_TRUE(r->Sell(1000, int64_t(m_days[60]) * 10000, message, "", sell)) << message;
        for (int k = 30; k <= 80; ++k) r->UpdateAsset(m_days[size_t(k)], DayBar(m_days[size_t(k)], k).m_nClose / 1000.0);
        m_list->records.push_back(r);
        return r;
    }
    void Shoot(CWnd& window, const char* name, CBitmap& shot) {
        window.RedrawWindow();
        platform::ProcessPendingEvents();
        ASSERT_TRUE(platform::CaptureWindow(&window, shot));
        if (const char* dir = std::getenv("TARROW_TEST_SHOTS")) shot.SavePng(std::string(dir) + "/" + name);
    }
    CRect PlaceIn(CWnd& outer, CWnd& inner) {
        CRect rc;
        inner.GetWindowRect(&rc);
        outer.ScreenToClient(&rc);
        return rc;
    }

    std::vector<uint32_t> m_days;
    std::shared_ptr<CTotalTrainingRecord> m_list;
};

TEST_F(CentreTabsLook, EachTabShowsItsOwnPage) {
    const auto record = Session();
    CWnd frame;
    frame.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 560, 780), nullptr, 0);
    {
        AnalysisAndTrainingWnd centre;
        ASSERT_TRUE(centre.Create(&frame));
        frame.ShowWindow(SW_SHOW);
        centre.MoveWindow(0, 0, 540, 760);
        platform::ProcessPendingEvents();
        const COLORREF back = GetCommonVar()->GetColor(CommonColor::uniBackGround);

        // 交易分析: the session against its bars, its trades marked.
        centre.m_tabs[0]->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        centre.m_tabs[0]->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        ASSERT_EQ(centre.m_nTab, 0);
        centre.ShowRecord(record);
        auto* analysis = dynamic_cast<TradeAnalysisWnd*>(centre.m_pages[0].get());
        ASSERT_NE(analysis, nullptr);
        ASSERT_TRUE(platform::PumpUntil([&] { return !analysis->m_pData->m_preview.empty(); }, 10000));
        CBitmap shot;
        Shoot(centre, "centre_tab_analysis.png", shot);
        CRect plot = analysis->m_pPreview->m_rcPlot;
        plot.OffsetRect(PlaceIn(centre, *analysis).TopLeft());
        const COLORREF rise = GetCommonVar()->GetColor(CommonColor::uniPic_Rise);
        int candles = 0, arrows = 0;
        for (int y = plot.top; y < plot.bottom; ++y)
            for (int x = plot.left; x < plot.right; ++x) {
                candles += shot.GetPixel(x, y) == rise;
                arrows += shot.GetPixel(x, y) == TradeAnalysisOverlay::kArrowColour;
            }
        EXPECT_GT(candles, 100) << "the fixture's bars all rise";
        EXPECT_GT(arrows, 20) << "the purchase and the sale";
        EXPECT_EQ(shot.GetPixel(420, 20), back) << "the band of the tabs";

        // 趋势训练: the set-up page with its red start button.
        centre.m_tabs[1]->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        centre.m_tabs[1]->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        ASSERT_EQ(centre.m_nTab, 1);
        Shoot(centre, "centre_tab_trend.png", shot);
        auto* trend = dynamic_cast<TrendTrainingSetWnd*>(centre.m_pages[1].get());
        ASSERT_NE(trend, nullptr);
        const CRect trendStart = PlaceIn(centre, *trend->m_buttons[8]);
        EXPECT_EQ(shot.GetPixel(trendStart.left + 20, trendStart.top + 15), RGB(203, 76, 76));
        EXPECT_FALSE(analysis->IsWindowVisible());

        // 选股训练: the stock-selection page, its intro light over the dark page.
        centre.m_tabs[2]->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        centre.m_tabs[2]->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        ASSERT_EQ(centre.m_nTab, 2);
        Shoot(centre, "centre_tab_selstock.png", shot);
        auto* selstock = dynamic_cast<SelStockSetWnd*>(centre.m_pages[2].get());
        ASSERT_NE(selstock, nullptr);
        const CRect selStart = PlaceIn(centre, *selstock->m_buttons[2]);
        EXPECT_EQ(shot.GetPixel(selStart.left + 20, selStart.top + 15), RGB(203, 76, 76));
        int white = 0;
        for (int y = 36 + 30; y < 36 + 90; ++y)
            for (int x = 30; x < 500; ++x) {
                const COLORREF c = shot.GetPixel(x, y);
                white += GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200;
            }
        EXPECT_GT(white, 200);
        EXPECT_FALSE(trend->IsWindowVisible());
        centre.DetachData();
        centre.DestroyWindow();
    }
    frame.DestroyWindow();
}

}  // namespace
