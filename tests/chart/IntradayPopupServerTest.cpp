// The intraday popup of a past day against the data server on loopback: a day chart, the
// cursor on an older bar, Return; the popup's chart fills with that day's minutes, cut from
// the 1-minute series the server sends, and "前一日" steps to the day before.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "ChartTestSupport.h"
#include "ClientHarness.h"
#include "TestSupport.h"
#include "chart/IntradayPopup.h"
#include "marketdata/DataCenter.h"
#include "marketdata/HistoryIntradayPicData.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/net/MarketLink.h"
#include "platform/App.h"
#include "platform/Services.h"

using namespace chart;
using namespace chart_test;

namespace {

struct Minute {
    uint32_t time;
    double price, average, volume;
};

std::vector<Minute> MinutesOf(const PicDataLayer& layer) {
    std::vector<Minute> out;
    const auto* base = static_cast<const uint8_t*>(layer.GetRecords());
    for (int32_t i = layer.GetBegin(); base && i < layer.GetEnd(); ++i) {
        const uint8_t* r = base + size_t(i) * PicDataLayer::kHistoryIntradayRecord;
        Minute m{};
        std::memcpy(&m.time, r, 4);
        std::memcpy(&m.price, r + 4, 8);
        std::memcpy(&m.average, r + 12, 8);
        std::memcpy(&m.volume, r + 20, 8);
        out.push_back(m);
    }
    return out;
}

TEST(HistoryIntradayRecords, OneDaysMinutesWithTheirRunningVolumeWeightedAverage) {
    auto bar = [](int64_t key, double close, double volume) {
        CFloatDayItem b;
        b.m_nTime = key;
        b.m_fOpen = b.m_fHigh = b.m_fLow = b.m_fClose = close;
        b.m_fVolume = volume;
        return b;
    };
    const std::vector<CFloatDayItem> bars = {
        bar(202312041500, 9.0, 100),                                      // the day before
        bar(202312050931, 10.0, 100), bar(202312050932, 11.0, 300),
        bar(202312050933, 12.0, 0),                                       // no trade: the average stays
        bar(202312061000, 13.0, 100)};                                    // the day after
    const std::vector<uint8_t> bytes = HistoryIntradayPicData::BuildRecords(bars.data(), bars.size(), 20231205);
    ASSERT_EQ(bytes.size(), 3u * PicDataLayer::kHistoryIntradayRecord);
    struct Row {
        uint32_t time;
        double price, average, volume;
    };
    const Row expected[] = {{2312050931u, 10.0, 10.0, 100}, {2312050932u, 11.0, 10.75, 300}, {2312050933u, 12.0, 10.75, 0}};
    for (size_t i = 0; i < 3; ++i) {
        const uint8_t* r = bytes.data() + i * PicDataLayer::kHistoryIntradayRecord;
        Row got{};
        std::memcpy(&got.time, r, 4);
        std::memcpy(&got.price, r + 4, 8);
        std::memcpy(&got.average, r + 12, 8);
        std::memcpy(&got.volume, r + 20, 8);
        EXPECT_EQ(got.time, expected[i].time) << i;
        EXPECT_DOUBLE_EQ(got.price, expected[i].price) << i;
        EXPECT_DOUBLE_EQ(got.average, expected[i].average) << i;
        EXPECT_DOUBLE_EQ(got.volume, expected[i].volume) << i;
    }
    EXPECT_TRUE(HistoryIntradayPicData::BuildRecords(bars.data(), bars.size(), 20231207).empty());
    EXPECT_TRUE(HistoryIntradayPicData::BuildRecords(nullptr, 0, 20231205).empty());
}

TEST(IntradayPopupServer, ReturnOnAPastDayBarShowsThatDaysMinutesAndTheButtonsStepDays) {
    EnsureChartEnvironment();
    CScratchHome home;
    CServerProcess server;
    ASSERT_TRUE(server.Running());
    TestLoop();
    SetDataLayerHooks({[](void* window, uint32_t msg, uint64_t wParam, int64_t lParam) {
                           ::PostMessage(static_cast<HWND>(window), msg, (WPARAM)wParam, (LPARAM)lParam);
                       },
                       std::this_thread::get_id()});
    auto link = std::make_unique<CMarketLink>(std::vector<HostAddress>{{"127.0.0.1", server.Port()}}, TestLoop());
    link->Connect("127.0.0.1", server.Port());
    ASSERT_TRUE(WaitUntil([&] { return home.Count(UM_CODELIST_READY) == 1; }));

    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 900, 600), nullptr, 0));
    {
        CKlineChartWnd chartWnd;
        ASSERT_TRUE(chartWnd.Create(&host));
        chartWnd.MoveWindow(CRect(0, 0, 900, 600));
        chartWnd.SetSecurity(CIndSecuCode(1, "600036"), nullptr);
        auto layer = chartWnd.GetDataLayer();
        const bool arrived = platform::PumpUntil([&] { return layer->GetEnd() - layer->GetBegin() >= 50; }, 20000);
        if (!arrived) for (const std::string& line : server.Lines()) ADD_FAILURE() << line;
        ASSERT_TRUE(arrived) << layer->GetItemCount() << " " << layer->GetEnd() << " " << (layer->GetSeries() != nullptr);

        // Cursor mode on the last bar, then five bars back: a day the minute series holds.
        chartWnd.OnElementKeyDown(0x25, 1, 0);
        chartWnd.OnElementKeyDown(0x25, 5, 0);
        ChartOverlay& overlay = *chartWnd.GetChartOverlayPtr();
        ASSERT_TRUE(overlay.m_bCursorMode);
        const int32_t bar = overlay.m_nCursor;
        ASSERT_GT(bar, layer->GetBegin());
        const auto date = uint32_t(layer->GetTime(bar));
        const double close = layer->GetClose(bar), high = layer->GetHigh(bar), low = layer->GetLow(bar);
        const double previousClose = layer->GetClose(bar - 1);
        EXPECT_EQ(chartWnd.OnElementKeyDown(0x0D, 1, 0), 1) << "Return on the cursor bar is the chart's";

        CDlgCurPic* popup = GetIntradayPopup(false);
        ASSERT_NE(popup, nullptr);
        EXPECT_TRUE(popup->IsWindowVisible());
        EXPECT_EQ(popup->m_nDate, int32_t(date));
        EXPECT_DOUBLE_EQ(popup->m_fReference, previousClose);
        ASSERT_NE(popup->m_pChart, nullptr);
        HistoryIntradayPicData* day = popup->m_pChart->GetDayLayer();
        ASSERT_NE(day, nullptr);
        ASSERT_TRUE(platform::PumpUntil([&] { return day->GetEnd() >= 240; }, 30000))
            << "the day's minutes arrive from the 1-minute series";
        std::vector<Minute> minutes = MinutesOf(*day);
        ASSERT_EQ(minutes.size(), 240u) << "one record per trading minute";
        for (const Minute& m : minutes) {
            EXPECT_EQ(m.time / 10000, date % 1000000) << "yymmdd of the shown day";
            EXPECT_GE(m.price, low - 0.0001);
            EXPECT_LE(m.price, high + 0.0001);
            EXPECT_GE(m.average, low - 0.0001);
            EXPECT_LE(m.average, high + 0.0001);
        }
        EXPECT_LT(minutes.front().time % 10000, minutes.back().time % 10000);
        EXPECT_EQ(minutes.back().time % 10000, 1500u);
        EXPECT_NEAR(minutes.back().price, close, 0.0051) << "the last minute closes the day";
        EXPECT_DOUBLE_EQ(day->GetReferencePrice1(), previousClose) << "measured against the day before";
        EXPECT_EQ(popup->m_pChart->GetChartOverlayPtr()->m_nEnd, 240);

        // What the user sees: the day's price line across the intraday chart.
        popup->RedrawWindow();
        platform::ProcessPendingEvents();
        std::filesystem::create_directories(std::string(TARROW_BINARY_DIR) + "/screenshots");
        ASSERT_TRUE(platform::SaveWindowScreenshot(popup, std::string(TARROW_BINARY_DIR) + "/screenshots/intradaypopup.png"));
        {
            CBitmap shot;
            ASSERT_TRUE(platform::CaptureWindow(popup->m_pChart.get(), shot));
            const COLORREF line = GetCommonVar()->GetColor(CommonColor::uniPic_CurPic_Price);
            int onLine = 0;
            for (int y = 0; y < shot.GetSize().cy; ++y)
                for (int x = 0; x < shot.GetSize().cx; ++x) onLine += shot.GetPixel(x, y) == line;
            EXPECT_GT(onLine, 200) << "the price line is drawn";
        }

        // "前一日": the bar before, its own minutes.
        const auto before = uint32_t(layer->GetTime(bar - 1));
        popup->SendMessage(WM_COMMAND, CDlgCurPic::kPrevId, 0);
        EXPECT_EQ(popup->m_nDate, int32_t(before));
        ASSERT_TRUE(platform::PumpUntil(
            [&] {
                std::vector<Minute> m = MinutesOf(*day);
                return m.size() == 240 && m.front().time / 10000 == before % 1000000;
            },
            30000));
        EXPECT_NEAR(MinutesOf(*day).back().price, previousClose, 0.0051);

        // A day older than the server's minute data: the chart says there is nothing.
        CFloatDayItem old{};
        old.m_nTime = 20100104;
        popup->ShowDay(&chartWnd, -1, 20100104, close, CIndSecuCode(1, "600036"), old);
        ASSERT_TRUE(platform::PumpUntil([&] { return day->HasNoMinutes(); }, 30000));
        EXPECT_EQ(day->GetEnd(), 0);
        {
            popup->m_pChart->RedrawWindow();
            platform::ProcessPendingEvents();
            CBitmap shot;
            ASSERT_TRUE(platform::CaptureWindow(popup->m_pChart.get(), shot));
            const CRect plot = popup->m_pChart->GetChartOverlayPtr()->m_aPanes.front()->Prop().m_rcPlot;
            const COLORREF ink = GetCommonVar()->GetColor(CommonColor::uniText);
            int text = 0;
            for (int y = plot.CenterPoint().y - 10; y < plot.CenterPoint().y + 10; ++y)
                for (int x = plot.CenterPoint().x - 60; x < plot.CenterPoint().x + 60; ++x)
                {
                    const COLORREF c = shot.GetPixel(x, y);  // smoothed glyphs: near the ink
                    text += std::abs(GetRValue(c) - GetRValue(ink)) + std::abs(GetGValue(c) - GetGValue(ink)) +
                                std::abs(GetBValue(c) - GetBValue(ink)) < 90;
                }
            EXPECT_GT(text, 10) << CBlockPicCur::kNoMinutesText;
        }

        popup->SendMessage(WM_CLOSE, 0, 0);
        EXPECT_EQ(GetIntradayPopup(false), nullptr);
        chartWnd.DestroyWindow();
    }
    host.DestroyWindow();
    link.reset();
    SetDataLayerHooks({});
    DrainLoop();
}

}  // namespace
