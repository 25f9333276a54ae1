// The session's trade journal tab: texts of the page fill, hidden dates until the end, the
// first page again after a new trade, the wheel, and the colours of the actions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Services.h"
#include "training/TrainingRecord.h"
#include "training/wnd/TradeDetailWnd.h"
#include "ui/CommonVar.h"

namespace {

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_training";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

struct Host : CWnd {
    Host() {
        EnsurePlatform();
        CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 260, 400), nullptr, 0);
    }
    ~Host() override {
        if (m_hWnd) DestroyWindow();
    }
};

TradeDetailItem Trade(int32_t date, int opdir, int bsdir, double price, int32_t vol) {
    TradeDetailItem t;
    t.TradeDate = date;
    t.opdir = opdir;
    t.bsdir = bsdir;
    t.TradePrice = price;
    t.vol = vol;
    return t;
}

struct JournalFixture : ::testing::Test {
    Host host;
    CTradeDetailWnd journal;
    CTrainingRecord record;
    void SetUp() override {
        GetCommonVar()->LoadColours();
        ASSERT_TRUE(journal.Create(&host));
        host.ShowWindow(SW_SHOW);
        journal.MoveWindow(0, 0, 240, 300);
        platform::ProcessPendingEvents();
    }
    std::string Cell(int row, int column) {
        auto& cells = journal.m_grid.m_rows.at(size_t(row))->m_cells;
        return static_cast<CTradeDetailField&>(*cells.at(size_t(column))).m_strText;
    }
    void AddTrades(int n) {
        for (int i = 0; i < n; ++i)
            record.trades.push_back(Trade(20240102 + i, i % 2 ? 1 : -1, 1, 10.0 + i * 0.005, 100 * (i + 1)));
    }
};

TEST_F(JournalFixture, ShowsEveryTradeOldestFirstInItsFourColumns) {
    ASSERT_EQ(journal.m_grid.m_titles.size(), 4u);
    EXPECT_EQ(journal.m_grid.m_titles[0]->m_strText, "成交日期");
    EXPECT_EQ(journal.m_grid.m_titles[3]->m_nWidth, 70);
    journal.SetRecord(&record);  // no trades: the titles only
    journal.RecalcLayout();
    EXPECT_TRUE(journal.m_grid.m_rows.empty());

    record.trades = {Trade(20240102, 1, 1, 10.126, 500), Trade(20240103, 1, -1, 10.5, 300),
                     Trade(20240104, -1, 1, 9.994, 200), Trade(20240105, -1, -1, 9.5, 200)};
    journal.SetRecord(&record);
    journal.RecalcLayout();
    ASSERT_EQ(journal.m_grid.m_rows.size(), 4u);
    const char* expected[4][4] = {{"20240102", "多开", "10.13", "500"},
                                  {"20240103", "多平", "10.50", "300"},
                                  {"20240104", "空开", "9.99", "200"},
                                  {"20240105", "空平", "9.50", "200"}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(Cell(r, c), expected[r][c]) << r << "," << c;
    journal.SetRecord(nullptr);  // ignored
    EXPECT_EQ(journal.m_pRecord, &record);
}

TEST_F(JournalFixture, HiddenDatesShowDashesUntilTheSessionEnds) {
    record.hideDate = 1;
    record.TrainStatus = kTrainStatusRunning;
    AddTrades(2);
    journal.SetRecord(&record);
    journal.RecalcLayout();
    EXPECT_EQ(Cell(0, 0), "--");
    record.TrainStatus = kTrainStatusEnded;
    journal.SetRecord(&record);
    journal.RecalcLayout();
    EXPECT_EQ(Cell(0, 0), "20240102");
}

TEST_F(JournalFixture, WheelScrollsAndANewTradeShowsTheFirstPageAgain) {
    AddTrades(40);
    journal.SetRecord(&record);
    journal.RecalcLayout();
    const int page = journal.m_grid.m_nPageRows;
    ASSERT_GT(page, 1);
    ASSERT_LT(page, 40);
    EXPECT_EQ(int(journal.m_grid.m_rows.size()), page);
    ASSERT_TRUE(journal.m_grid.m_bVScrollShown);
    EXPECT_EQ(journal.OnElementMouseWheel(0, -3 * 120, 0, 0), 1);
    EXPECT_EQ(journal.m_grid.m_nTopRow, 3);
    EXPECT_EQ(Cell(0, 3), "400");
    journal.OnElementMouseWheel(0, -100 * 120, 0, 0);  // clamped at the last page
    EXPECT_EQ(journal.m_grid.m_nTopRow, 40 - page);
    EXPECT_EQ(Cell(page - 1, 3), "4000");
    journal.OnElementMouseWheel(0, 100 * 120, 0, 0);
    EXPECT_EQ(journal.m_grid.m_nTopRow, 0);

    journal.OnElementMouseWheel(0, -5 * 120, 0, 0);
    record.trades.push_back(Trade(20240301, 1, 1, 11, 100));
    journal.SetRecord(&record);
    journal.RecalcLayout();
    EXPECT_EQ(journal.m_grid.m_nTopRow, 0);
    EXPECT_EQ(journal.m_grid.m_nRowCount, 41);
    EXPECT_EQ(Cell(0, 0), "20240102");
}

TEST_F(JournalFixture, OpeningsAreRedAndClosingsGreen) {
    record.trades = {Trade(20240102, -1, 1, 10, 100), Trade(20240103, -1, -1, 9, 100)};
    journal.SetRecord(&record);
    journal.RecalcLayout();
    journal.Invalidate();
    journal.UpdateWindow();
    platform::ProcessPendingEvents();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&journal, shot));
    if (const char* dir = std::getenv("TARROW_TEST_SHOTS")) shot.SavePng(std::string(dir) + "/trade_journal.png");
    auto count = [&](const CRect& rc, auto pred) {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) n += pred(shot.GetPixel(x, y));
        return n;
    };
    auto reddish = [](COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) < 110; };
    auto greenish = [](COLORREF c) { return GetGValue(c) > 150 && GetRValue(c) < 110; };
    const CRect shortOpen = journal.m_grid.m_rows.at(0)->m_cells.at(1)->m_rect;
    const CRect shortClose = journal.m_grid.m_rows.at(1)->m_cells.at(1)->m_rect;
    EXPECT_GT(count(shortOpen, reddish), 10);
    EXPECT_EQ(count(shortOpen, greenish), 0);
    EXPECT_GT(count(shortClose, greenish), 10);
    EXPECT_EQ(count(shortClose, reddish), 0);
    // The title band with its text.
    const CRect band(1, 0, 239, 22);
    EXPECT_GT(count(band, [](COLORREF c) { return GetRValue(c) > 100 && GetBValue(c) > 120; }), 10);
}

}  // namespace
