// A session traded on the data server's bars, then looked back on: the review steps through
// its trades, the asset report counts it, and the analysis page fetches the security and
// the index of its exchange from the server and compares them day by day. The page's
// screenshot is taken at the end.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ClientHarness.h"
#include "ReviewWindowSupport.h"
#include "TestSupport.h"
#include "marketdata/DataCenter.h"
#include "marketdata/DayData.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/Security.h"
#include "marketdata/net/MarketLink.h"
#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Services.h"
#include "training/TotalTrainingRecord.h"
#include "training/TrainingRecord.h"
#include "training/wnd/BackTraceWnd.h"
#include "training/wnd/TradeAnalysisCharts.h"
#include "training/wnd/TradeAnalysisWnd.h"
#include "training/wnd/TradeAnyalysisData.h"
#include "training/wnd/TrainingDetailAndBenefitWnd.h"
#include "ui/CommonVar.h"

namespace {

struct Online {
    CScratchHome home;
    CServerProcess server;
    std::unique_ptr<CMarketLink> link;

    Online() {
        TestLoop();
        link = std::make_unique<CMarketLink>(std::vector<HostAddress>{{"127.0.0.1", server.Port()}}, TestLoop());
        link->Connect("127.0.0.1", server.Port());
        WaitUntil([&] { return home.Count(UM_CODELIST_READY) == 1; });
    }
    ~Online() { link->Stop(); }
};

// The security's day bars of the period, as the server sends them.
std::vector<CFloatDayItem> FetchBars(const CIndSecuCode& code, uint32_t from, uint32_t to) {
    auto series = GetDataCenter()->GetPool().GetDayData(CDayData::kDayType, code, 1);
    if (!series) return {};
    auto done = std::make_shared<std::atomic<bool>>(false);
    static int owner;
    series->RequestRange(from, to, OwnerTag(&owner), [done] { *done = true; });
    if (!WaitUntil([&] { return done->load(); })) return {};
    std::vector<CFloatDayItem> bars;
    {
        auto view = series->Write();
        view.MakeFloatItems(0, 0, 0);
        for (int i = 0; i < view.ChartBars().GetSize(); ++i) {
            const CFloatDayItem bar = view.ChartBars()[i];
            const uint32_t date = uint32_t(uint64_t(bar.m_nTime));
            if (date >= from && date <= to) bars.push_back(bar);
        }
    }
    const std::string key = series->GetName();
    series.reset();
    GetDataCenter()->GetPool().Release(OwnerTag(&owner), key);
    return bars;
}

TEST(ReviewEndToEnd, ASessionReviewedReportedAndAnalysedAgainstTheIndex) {
    EnsureReviewPlatform();
    LoadProgramSkin();
    Online online;
    ASSERT_TRUE(online.server.Running());
    const CIndSecuCode code(1, "600036");
    CSecurity* security = GetDataCenter()->FindSecurity(code);
    ASSERT_NE(security, nullptr);
    const std::vector<CFloatDayItem> bars = FetchBars(code, 20240102, 20240329);
    ASSERT_GT(bars.size(), 40u);

    // The session: bought, sold, sold short and covered, valued at every close.
    auto list = std::make_shared<CTotalTrainingRecord>(
        (online.home.Path() / "Data" / "training" / "totalRecord.xml").string());
    GetDataCenter()->SetTrainingRecords(list, nullptr);
    auto record = list->CreateRecord(0, 1, security, code, security->GetName(), 0, 0, 0, 1000000, 0.0003);
    auto date = [&](size_t i) { return int32_t(uint64_t(bars[i].m_nTime)); };
    record->StartDate = date(0);
    record->BeginTrainDate = date(10);
    record->EndDate = record->EndTrainDate = date(bars.size() - 1);
    record->TrainDays = int32_t(bars.size() - 10);
    record->dataType = 4;
    record->period = 1;
    record->AddStartAssetPoint();
    std::string message;
    int32_t shares = 0;
    for (size_t i = 0; i < bars.size(); ++i) {
        const double close = bars[i].m_fClose;
        record->price = close;
        record->quoteTime = date(i);
        const int64_t when = int64_t(date(i)) * 10000;
        if (i == 12) {
            shares = record->GetMaxBuyVolume(close) / 200 * 100;  // half the account, in hands
            ASSERT_GT(shares, 0);
            EXPECT_TRUE(record->Buy(shares, when, message, true, "", close)) << message;
        }
        if (i == 25) {
            EXPECT_TRUE(record->Sell(shares, when, message, "", close)) << message;
        }
        if (i == 30) {
            EXPECT_TRUE(record->ShortSell(shares / 2, when, message, "", close)) << message;
        }
        if (i == 38) {
            EXPECT_TRUE(record->CoverShort(shares / 2, when, message, "", close)) << message;
        }
        record->UpdateAsset(uint32_t(date(i)), close);
    }
    list->EndSession(*record);
    ASSERT_EQ(record->trades.size(), 4u);

    CWnd host;
    host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 1000, 760), nullptr, 0);
    host.ShowWindow(SW_SHOW);

    // The review: the last trade first, back to the first.
    CBackTraceWnd review;
    ASSERT_TRUE(review.Create(&host));
    review.MoveWindow(0, 0, 240, 420);
    ASSERT_EQ(review.ShowRecord(record.get()), 1);
    EXPECT_EQ(review.ItemText(CBackTraceWnd::kDirection), "空平");
    for (int i = 0; i < 3; ++i)
        review.OnElementLButtonUp(0, review.m_rcPrev.CenterPoint().x, review.m_rcPrev.CenterPoint().y);
    EXPECT_EQ(review.ItemText(CBackTraceWnd::kDirection), "多开");
    EXPECT_EQ(review.ItemText(CBackTraceWnd::kShares), std::to_string(shares));

    // The asset report: one session this week, its trades in the details tab.
    TrainingDetailAndBenefitWnd report;
    ASSERT_TRUE(report.Create(&host));
    report.MoveWindow(0, 430, 980, 320);
    report.AttachData();
    EXPECT_EQ(report.StatisticText(10), "1");
    ASSERT_EQ(report.m_finalAssets.size(), 1u);
    EXPECT_DOUBLE_EQ(report.m_finalAssets[0], record->assets.back().asset);
    report.ShowTrainingRecord(record);
    report.ShowTab(2);
    EXPECT_EQ(report.m_grid.m_nRowCount, 4);
    report.DestroyWindow();
    review.DestroyWindow();

    // The analysis page, filled by the server's replies.
    TradeAnalysisWnd page;
    ASSERT_TRUE(page.Create(&host));
    page.MoveWindow(0, 0, 560, 700);
    page.SetContextObject(record.get());
    page.DetachData();
    page.AttachData();
    EXPECT_EQ(page.m_pData->IndexCode(), CIndSecuCode(1, "000001")) << "a Shanghai session against 000001";
    ASSERT_TRUE(platform::PumpUntil(
        [&] { return !page.m_pData->m_ratios.index.empty() && !page.m_pData->m_preview.empty(); }, 20000));
    EXPECT_EQ(page.m_pData->m_preview.size(), bars.size()) << "every bar of the session, none after it";
    EXPECT_EQ(page.m_pData->m_bars[page.m_pData->m_preview.begin].date, uint32_t(record->StartDate));
    const SamePeriodRatios& ratios = page.m_pData->m_ratios;
    EXPECT_EQ(ratios.asset.size(), ratios.index.size());
    EXPECT_EQ(ratios.asset.size(), bars.size()) << "an asset point on every index day of the session";
    EXPECT_DOUBLE_EQ(ratios.asset.back(), record->assets.back().asset / 1000000);
    EXPECT_EQ(page.ItemText(TradeAnalysisWnd::kTrades), "2笔");
    EXPECT_EQ(page.ItemText(TradeAnalysisWnd::kCode), "600036");
    EXPECT_GT(page.m_pPreview->m_range.max, page.m_pPreview->m_range.min);

    page.RedrawWindow();
    platform::ProcessPendingEvents();
    const std::string png = (online.home.Path() / "analysis.png").string();
    ASSERT_TRUE(platform::SaveWindowScreenshot(&page, png));
    if (const char* keep = std::getenv("TARROW_KEEP_SCREENSHOTS"))
        std::filesystem::copy_file(png, std::string(keep) + "/analysis.png",
                                   std::filesystem::copy_options::overwrite_existing);
    // The buy day's arrow is yellow under the candle.
    CClientDC dc(&page);
    TradeAnalysisOverlay& preview = *page.m_pPreview;
    const size_t buy = page.m_pData->m_preview.begin + 12;
    const int x = preview.IndexToX(buy);
    const int y = preview.m_axis.ValueToPixel(page.m_pData->m_bars[buy].low, true) + 5;
    int yellow = 0;
    for (int dy = 0; dy < 20; ++dy) yellow += dc.GetPixel(x, y + dy) == RGB(255, 255, 0);
    EXPECT_GT(yellow, 5);

    page.DetachData();
    EXPECT_EQ(page.m_pData->m_pSecurityData, nullptr) << "the series went back to the pool";
    page.DestroyWindow();
    GetDataCenter()->SetTrainingRecords(nullptr, nullptr);
    host.DestroyWindow();
}

}  // namespace
