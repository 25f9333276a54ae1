// A stock-selection cell's arithmetic: where its hidden window lies among the chart's items
// and how much the security rose over the window.
#include <gtest/gtest.h>

#include <vector>

#include "marketdata/MarketFixture.h"
#include "training/wnd/SelStockCellData.h"

namespace {

CFloatDayItem Bar(uint32_t date, double open, double close) {
    CFloatDayItem b;
    b.m_nTime = date;
    b.m_fOpen = open;
    b.m_fClose = close;
    b.m_fHigh = open > close ? open : close;
    b.m_fLow = open < close ? open : close;
    return b;
}

// Trading days 20240101 + i for i < n (dates need only be ordered here).
CSortArray<CFloatDayItem> Days(int n) {
    CSortArray<CFloatDayItem> bars;
    for (int i = 0; i < n; ++i) bars.Insert(Bar(20240101 + uint32_t(i), 10 + i, 10.5 + i));
    return bars;
}

TEST(SelStockCellTest, TheHiddenWindowStartsWhereItsFirstDateWouldBe) {
    const CSortArray<CFloatDayItem> bars = Days(90);
    struct Case {
        const char* what;
        uint32_t start, end;
        int32_t first;
        std::optional<HiddenWindowPlace> place;
    } cases[] = {
        {"fifty bars of history", 20240101 + 70, 20240101 + 79, 0, HiddenWindowPlace{20, 70, 80}},
        {"items begin later", 20240101 + 70, 20240101 + 79, 200, HiddenWindowPlace{220, 270, 280}},
        {"fewer than fifty before it", 20240101 + 30, 20240101 + 39, 0, HiddenWindowPlace{0, 30, 40}},
        {"at the first bar", 20240101, 20240101 + 5, 0, HiddenWindowPlace{0, 0, 6}},
        {"a one-day window", 20240101 + 70, 20240101 + 70, 0, HiddenWindowPlace{20, 70, 71}},
        {"end date not held", 20240101 + 70, 20240101 + 95, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PlaceHiddenWindow(bars, c.start, c.end, c.first), c.place);
    }
    CSortArray<CFloatDayItem> gap;
    gap.Insert(Bar(20240102, 1, 1));
    gap.Insert(Bar(20240105, 1, 1));
    // The window opens on a holiday: its first bar is the next held one.
    EXPECT_EQ(PlaceHiddenWindow(gap, 20240103, 20240105, 0), (HiddenWindowPlace{0, 1, 2}));
}

TEST(SelStockCellTest, RiseFromTheCloseBeforeTheWindowToItsLastClose) {
    CSortArray<CFloatDayItem> bars;
    bars.Insert(Bar(20240102, 8, 10));
    bars.Insert(Bar(20240103, 10, 11));
    bars.Insert(Bar(20240104, 11, 12.5));
    bars.Insert(Bar(20240105, 12.5, 9));
    struct Case {
        const char* what;
        uint32_t start, end;
        double tenths;
    } cases[] = {
        {"base is the close before", 20240103, 20240104, 250},
        {"at the first bar: its open", 20240102, 20240103, 375},
        {"start not held: from the first bar's open", 20240101, 20240104, 562.5},
        {"end not held: to the last bar", 20240103, 20240110, -100},
        {"a fall", 20240104, 20240105, -181.8181818181818},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(RiseOverWindow(bars, c.start, c.end), c.tenths, 1e-9);
    }
    EXPECT_EQ(RiseOverWindow(CSortArray<CFloatDayItem>(), 20240102, 20240103), 0);
    CSortArray<CFloatDayItem> unpriced;
    unpriced.Insert(Bar(20240102, 0, 5));
    EXPECT_EQ(RiseOverWindow(unpriced, 20240102, 20240102), 0);
}

class SelStockRiseTest : public MarketTest {};

TEST_F(SelStockRiseTest, StoredBarsAdjustedForTheEventsUpToTheWindowsEnd) {
    CSecurity* security = Add(1, "600000", "浦发银行");
    // Ten for ten on 01-04: the price halves, the holder's value does not.
    CSingleCQDataPerSecu bonus;
    bonus.m_code = security->GetCode();
    bonus.m_nDate = 20240104;
    bonus.m_nBonus = 10000000;
    GetAllCQData()->AddEvent(bonus);
    {
        auto series = GetDayData(4, security->GetCode(), 1);
        ASSERT_TRUE(series);
        {
            auto edit = series->Write();
            edit.RawBars().Insert(MakeBar(20240102, 10000, 10000, 10000, 10000));
            edit.RawBars().Insert(MakeBar(20240103, 10000, 10000, 10000, 10000));
            edit.RawBars().Insert(MakeBar(20240104, 5000, 5500, 5000, 5500));
            edit.RawBars().Insert(MakeBar(20240105, 5500, 6000, 5500, 6000));
        }
        ASSERT_TRUE(series->SaveLocal());
    }
    // Over the event: 10 to 5.5 a share is 10 to 11 a holding.
    EXPECT_NEAR(MeasureWindowRise(security, 20240104, 20240104), 100, 1e-9);
    // Before the event: prices as they were.
    EXPECT_NEAR(MeasureWindowRise(security, 20240103, 20240103), 0, 1e-9);
    EXPECT_EQ(MeasureWindowRise(nullptr, 20240103, 20240104), 0);
    EXPECT_EQ(MeasureWindowRise(Add(1, "600036"), 20240103, 20240104), 0);  // nothing stored
}

}  // namespace
