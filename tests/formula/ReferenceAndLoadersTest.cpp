// Indicator reference across securities and periods, series of other securities, calendar
// series, and series longer than any fixed index cap.

#include <gtest/gtest.h>

#include "FormulaTestSupport.h"
#include "formula/DataLoaders.h"
#include "formula/FormulaData.h"
#include "formula/engine/EngineStatus.h"

using namespace formula_test;

namespace {

class WithMarket : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureSetUp();
        GetYBIndClass()->Clear();
        CKlineLight ma =
            MakeIndicator("MA1:MA(CLOSE,M1);MA2:MA(CLOSE,M2);", {{"M1", 2}, {"M2", 3}});
        ma.m_strName = "MYMA";
        GetYBIndClass()->Insert(ma);
        SetFormulaMarket(&market);
    }
    void TearDown() override {
        SetFormulaMarket(nullptr);
        GetYBIndClass()->Clear();
    }
    FakeMarket market;
};

// Ten trading days from Monday 2024-01-08: two full weeks.
std::vector<double> TenCloses() {
    return {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
}

TEST_F(WithMarket, ReferenceSamePeriodOtherSecurityAlignsByDate) {
    auto own = DayBars(TenCloses(), 20240108);
    // The other security misses the second day and starts one day earlier.
    std::vector<double> other = {100, 101, 103, 104, 105, 106, 107, 108, 109, 110};
    auto otherBars = DayBars(other, 20240105);
    otherBars.erase(otherBars.begin() + 2);  // no bar on 2024-01-09
    market.days["2:000002"] = otherBars;
    CKlineLight ind = MakeIndicator("X:INDREF('SZ000002','mYmA.ma1',2);");
    Evaluate(ind, own);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    // Other MA1 over 100 (01-05), 101 (01-08), 104 (01-10): 01-09 is missing and carried.
    double v;
    ASSERT_TRUE(ind.m_aExps[0].GetValue(0, v));
    EXPECT_DOUBLE_EQ(v, 100.5);
    ASSERT_TRUE(ind.m_aExps[0].GetValue(1, v));
    EXPECT_DOUBLE_EQ(v, 100.5);
    ASSERT_TRUE(ind.m_aExps[0].GetValue(2, v));
    EXPECT_DOUBLE_EQ(v, 102.5);
}

TEST_F(WithMarket, ReferenceToALongerPeriodCoversEachWeek) {
    auto own = DayBars(TenCloses(), 20240108);
    market.days["1:600000"] = own;
    // Weekly closes 5 and 10; MA over 2 weeks: second week (5+10)/2.
    CKlineLight ind = MakeIndicator("X:\"MYMA.MA1#WEEK\";");
    Evaluate(ind, own);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    const CIndicatorExp& e = ind.m_aExps[0];
    EXPECT_EQ(e.m_nFirst, 5);  // the first weekly value exists from the second week on
    double v;
    for (int i = 5; i < 10; ++i) {
        ASSERT_TRUE(e.GetValue(i, v)) << i;
        EXPECT_DOUBLE_EQ(v, 7.5) << i;
    }
}

TEST_F(WithMarket, ReferenceErrors) {
    auto own = DayBars(TenCloses(), 20240108);
    struct {
        const char* formula;
        uint8_t status;
    } cases[] = {
        {"X:\"MYMA#WEEK.MA1\";", EngineStatus::kRefHashBeforeDot},
        {"X:\"NOPE.MA1\";", EngineStatus::kRefNotFound},
        {"X:\"MYMA.MA9\";", EngineStatus::kRefLineNotFound},
        {"X:\"MYMA.MA1#FORTNIGHT\";", EngineStatus::kRefBadPeriod},
    };
    for (const auto& c : cases) {
        CKlineLight ind = MakeIndicator(c.formula);
        Evaluate(ind, own);
        EXPECT_EQ(ind.m_nLastStatus, c.status) << c.formula;
    }
}

TEST_F(WithMarket, ReferenceWithFewerParametersKeepsTheRest) {
    auto own = DayBars(TenCloses(), 20240108);
    CKlineLight ind = MakeIndicator("X:INDREF('','MYMA.MA2',5);");  // M1 set, M2 stays 3
    Evaluate(ind, own);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    double v;
    ASSERT_TRUE(ind.m_aExps[0].GetValue(2, v));
    EXPECT_DOUBLE_EQ(v, 2);
    EXPECT_FALSE(ind.m_aExps[0].GetValue(1, v));
}

TEST_F(WithMarket, SelfReferenceEndsWithAnError) {
    CKlineLight loop = MakeIndicator("X:\"LOOP.X\";");
    loop.m_strName = "LOOP";
    GetYBIndClass()->Insert(loop);
    auto own = DayBars(TenCloses(), 20240108);
    Evaluate(loop, own);
    EXPECT_NE(loop.m_nLastStatus, 0);
}

TEST_F(WithMarket, SeriesOfAnotherSecurityAndItsCodeAndName) {
    auto own = DayBars(TenCloses(), 20240108);
    market.days["1:600001"] = DayBars({50, 51, 52, 53, 54, 55, 56, 57, 58, 59}, 20240108);
    market.names["1:600001"] = "示例股份";
    market.days["1:600000"] = own;
    CKlineLight ind = MakeIndicator("X:SH600001$CLOSE-CLOSE;Y:SH600001$STKNAME;Z:TOTALMINUTES;");
    Evaluate(ind, own);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    double v;
    ASSERT_TRUE(ind.m_aExps[0].GetValue(9, v));
    EXPECT_DOUBLE_EQ(v, 49);
    std::string text;
    ASSERT_TRUE(ind.m_aExps[1].GetText(0, text));
    EXPECT_EQ(text, "示例股份");
    ASSERT_TRUE(ind.m_aExps[2].GetValue(0, v));
    EXPECT_EQ(v, 240);
}

TEST_F(WithMarket, AnotherSecurityStartingAfterTheLastBarHasNoData) {
    auto own = DayBars(TenCloses(), 20240108);
    market.days["1:600001"] = DayBars({1, 2}, 20250101);
    CKlineLight ind = MakeIndicator("X:SH600001$CLOSE;");
    Evaluate(ind, own);
    EXPECT_EQ(ind.m_nLastStatus, EngineStatus::kCalcFailed);
}

TEST(Loaders, CalendarSeriesOfMinuteKeysKeepTheYear) {
    std::vector<CFloatDayItem> bars = {Bar(202401021500LL, 1, 1, 1, 1),
                                       Bar(202612311430LL, 2, 2, 2, 2)};
    CKlineLight ind =
        MakeIndicator("Y:YEAR;M:MONTH;D:DAY;H:HOUR;MI:MINUTE;T:TIME;DT:DATE;W:WEEKDAY;P:PERIOD;");
    Evaluate(ind, bars, 3, 5);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    auto at = [&](int line, int bar) {
        double v = -1;
        EXPECT_TRUE(ind.m_aExps[static_cast<size_t>(line)].GetValue(bar, v));
        return v;
    };
    EXPECT_EQ(at(0, 0), 2024);
    EXPECT_EQ(at(0, 1), 2026);
    EXPECT_EQ(at(1, 1), 12);
    EXPECT_EQ(at(2, 1), 31);
    EXPECT_EQ(at(3, 1), 14);
    EXPECT_EQ(at(4, 1), 30);
    EXPECT_EQ(at(5, 1), 143000);
    EXPECT_EQ(at(6, 0), 1240102);
    EXPECT_EQ(at(7, 0), 2);  // 2024-01-02 was a Tuesday
    EXPECT_EQ(at(8, 0), 4);  // five-minute chart
    EXPECT_EQ(GetBarTimeKey(1, 3, bars.data()), 2612311430u);
}

TEST(Loaders, DayChartTimesAndBarCounts) {
    auto bars = DayBars({1, 2, 3, 4, 5}, 20190114);  // Mon 14th .. Fri 18th January 2019
    bars.insert(bars.begin(), Bar(20181214, 1, 1, 1, 1));
    bars.insert(bars.begin() + 1, Bar(20181217, 1, 1, 1, 1));
    CKlineLight ind = MakeIndicator("T:TIME;S:BARSTATUS;M:MONTHBARS;Y:YEARBARS;WT:WTDBARS;");
    Evaluate(ind, bars);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    double v;
    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(ind.m_aExps[0].GetValue(i, v));
        EXPECT_EQ(v, 0);
    }
    ind.m_aExps[1].GetValue(0, v);
    EXPECT_EQ(v, 1);
    ind.m_aExps[1].GetValue(6, v);
    EXPECT_EQ(v, 2);
    ind.m_aExps[1].GetValue(3, v);
    EXPECT_EQ(v, 0);
    // 2019-01-15 (index 3): one month back is 2018-12-15, so 12-17 onwards count.
    ind.m_aExps[2].GetValue(3, v);
    EXPECT_EQ(v, 3);
    ind.m_aExps[3].GetValue(0, v);
    EXPECT_EQ(v, 1);  // the first calculated bar
    ind.m_aExps[4].GetValue(6, v);
    EXPECT_EQ(v, 5);  // Friday: Monday to Friday
}

TEST(Loaders, PeriodCodes) {
    EXPECT_EQ(PeriodCode(3, 15), 5);
    EXPECT_EQ(PeriodCode(4, 4), 13);
    EXPECT_EQ(PeriodCode(3, 2), 0);
    EXPECT_EQ(PeriodCode(2, 0), 1);
}

TEST(LongSeries, MinuteSeriesBeyondThirtyThousandBars) {
    const int n = 40000;
    std::vector<CFloatDayItem> bars;
    bars.reserve(n);
    for (int i = 0; i < n; ++i) {
        int day = i / 240, m = i % 240;
        int hhmm = m < 120 ? 931 + m / 60 * 100 + m % 60 - (m % 60 >= 29 ? 0 : 0)
                           : 1301 + (m - 120) / 60 * 100 + (m - 120) % 60;
        int64_t key = (static_cast<int64_t>(IndCommonSpace::DateFromDays(
                           IndCommonSpace::DaysFromDate(20240101) + day)) *
                       10000) +
                      hhmm;
        double c = 10 + (i % 100) * 0.01;
        bars.push_back(Bar(key, c, c, c, c, 100));
    }
    CKlineLight ind = MakeIndicator("X:MA(C,100);Y:REF(C,35000);Z:SUM(C>0,0);");
    Evaluate(ind, bars, 3, 1);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    double v;
    ASSERT_TRUE(ind.m_aExps[0].GetValue(n - 1, v));
    EXPECT_NEAR(v, 10.495, 1e-9);
    EXPECT_EQ(ind.m_aExps[1].m_nFirst, 35000);
    ASSERT_TRUE(ind.m_aExps[1].GetValue(n - 1, v));
    EXPECT_DOUBLE_EQ(v, bars[n - 1 - 35000].m_fClose);
    ASSERT_TRUE(ind.m_aExps[2].GetValue(n - 1, v));
    EXPECT_EQ(v, n);
    int bFirst = 1;
    double mx = 0, mn = 0;
    EXPECT_TRUE(ind.m_aExps[1].GetMaxMin(35000, n, mx, mn, bFirst));
}

TEST(Loaders, IntradayRunningSumRestartsEachDay) {
    std::vector<unsigned char> raw(5 * 61, 0);
    const uint32_t times[] = {2401041459u, 2401041500u, 2401050931u, 2401050932u, 2401050933u};
    for (int i = 0; i < 5; ++i) {
        const double price = 1 + i;
        std::memcpy(raw.data() + i * 61, &times[i], 4);
        std::memcpy(raw.data() + i * 61 + 8, &price, 8);
    }
    EnsureSetUp();
    CKlineLight ind = MakeIndicator("S:SUM(C,0);W:SUM(C,2);");
    ind.InitialCalc(CIndSecuCode(1, "600000"), 2, 0);
    ind.m_pBars = raw.data();
    ind.m_nBarCount = 5;
    ind.m_nCalcFirst = 0;
    ind.m_nCalcEnd = 5;
    ind.MakeRoom(5);
    ind.Calc(0, 5);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    int first = -1;
    EXPECT_EQ(LineValues(ind, 0, first), (std::vector<double>{1, 3, 3, 7, 12}));
    // A window of bars does not restart: it spans the two days.
    EXPECT_EQ(LineValues(ind, 1, first), (std::vector<double>{1, 3, 5, 7, 9}));
}

TEST(Loaders, IntradayRecordsAndBarNumbers) {
    // Two 61-byte intraday records of the current day.
    std::vector<unsigned char> raw(2 * 61, 0);
    auto put = [&](int i, uint32_t time, double price) {
        std::memcpy(raw.data() + i * 61, &time, 4);
        std::memcpy(raw.data() + i * 61 + 8, &price, 8);
    };
    put(0, 2401050931u, 10.0);
    put(1, 2401050932u, 9.5);
    FakeMarket market;
    market.days["1:600000"] = DayBars({1});
    SetFormulaMarket(&market);
    EnsureSetUp();
    CKlineLight ind = MakeIndicator("P:CLOSE;D:ISDOWN;N:BARSCOUNT(C);H:HOUR;");
    ind.InitialCalc(CIndSecuCode(1, "600000"), 2, 0);
    ind.m_pBars = raw.data();
    ind.m_nBarCount = 2;
    ind.m_nCalcFirst = 0;
    ind.m_nCalcEnd = 2;
    ind.MakeRoom(2);
    ind.Calc(0, 2);
    SetFormulaMarket(nullptr);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    double v;
    ind.m_aExps[0].GetValue(1, v);
    EXPECT_EQ(v, 9.5);
    ind.m_aExps[1].GetValue(0, v);
    EXPECT_EQ(v, 0);  // no previous price on bar 0
    ind.m_aExps[1].GetValue(1, v);
    EXPECT_EQ(v, 1);
    ind.m_aExps[2].GetValue(1, v);
    EXPECT_EQ(v, 3);  // two trading minutes before 09:32, plus one
    ind.m_aExps[3].GetValue(1, v);
    EXPECT_EQ(v, 9);
}

TEST(Zigzag, LinesJoinTurningPointsAndPeaksCount) {
    // 10 -> 20 -> 10 -> 20: turning points at the top and the bottom.
    std::vector<double> closes = {10, 12, 14, 16, 18, 20, 18, 16, 14, 12, 10, 15, 20};
    auto bars = DayBars(closes);
    CKlineLight ind = MakeIndicator("Z:ZIG(3,20);P:PEAK(3,20,1);PB:PEAKBARS(3,20,1);");
    Evaluate(ind, bars);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    double v;
    for (int i = 0; i < 13; ++i) {
        ASSERT_TRUE(ind.m_aExps[0].GetValue(i, v));
        EXPECT_NEAR(v, closes[static_cast<size_t>(i)], 1e-9) << i;
    }
    EXPECT_EQ(ind.m_aExps[1].m_nFirst, 5);
    ind.m_aExps[1].GetValue(8, v);
    EXPECT_EQ(v, 20);
    ind.m_aExps[2].GetValue(8, v);
    EXPECT_EQ(v, 3);
}

TEST(Zigzag, NoTurningPointGivesAStraightLine) {
    auto bars = DayBars({10, 10.5, 10.2, 10.8, 11});
    CKlineLight ind = MakeIndicator("Z:ZIG(3,50);");
    Evaluate(ind, bars);
    double v;
    ind.m_aExps[0].GetValue(2, v);
    EXPECT_NEAR(v, 10.5, 1e-9);
}

TEST(Chips, CostAndWinnerOnEqualBars) {
    std::vector<CFloatDayItem> bars;
    for (int i = 0; i < 20; ++i) bars.push_back(Bar(20240102 + i, 10, 10, 10, 10, 1000));
    CKlineLight ind = MakeIndicator("A:COST(50);B:WINNER(11);W:WINNER(9);V:CONVERGE(0);");
    Evaluate(ind, bars);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    double v;
    ind.m_aExps[0].GetValue(19, v);
    EXPECT_DOUBLE_EQ(v, 10);
    ind.m_aExps[1].GetValue(19, v);
    EXPECT_DOUBLE_EQ(v, 1);
    ind.m_aExps[2].GetValue(19, v);
    EXPECT_DOUBLE_EQ(v, 0);
    ind.m_aExps[3].GetValue(19, v);
    EXPECT_DOUBLE_EQ(v, 0);
}

// The chip distribution of a rising series longer than its 500-bar window, against the
// distribution rebuilt here from its definition for every bar. A wide first bar holds the
// buckets until it leaves the window; the bars in between are aged and added in place.
TEST(Chips, DistributionFollowsItsDefinitionAlongALongSeries) {
    std::vector<CFloatDayItem> bars{Bar(20240102, 12, 20, 5, 12, 5000)};
    for (int i = 1; i < 700; ++i) {
        double c = 10 + 5.0 * i / 700 + (i % 3) * 0.05;
        bars.push_back(Bar(20240102 + i, c, c * 1.01, c * 0.99, c, 1000 + (i % 7) * 300));
    }
    const int n = static_cast<int>(bars.size());
    auto k1000 = [](double x) { return static_cast<int64_t>(std::llround(x * 1000)); };
    std::vector<double> cost(static_cast<size_t>(n)), winner(static_cast<size_t>(n)),
        step(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int from = std::max(0, i - 499);
        int64_t lo = k1000(bars[static_cast<size_t>(from)].m_fLow), hi = lo;
        for (int j = from; j <= i; ++j) {
            lo = std::min(lo, k1000(bars[static_cast<size_t>(j)].m_fLow));
            hi = std::max(hi, k1000(bars[static_cast<size_t>(j)].m_fHigh));
        }
        int64_t c = ((hi - lo + 98) / 99 + 9) / 10 * 10;
        if (c == 0) c = 10;
        const int64_t count = std::min<int64_t>((hi - lo) / c + 1, 100);
        std::vector<int64_t> vol(static_cast<size_t>(count), 0);
        for (int j = from; j <= i; ++j) {
            const CFloatDayItem& b = bars[static_cast<size_t>(j)];
            int64_t up = std::clamp<int64_t>((k1000(b.m_fHigh) - lo) / c, 0, count - 1);
            int64_t down = std::clamp<int64_t>((k1000(b.m_fLow) - lo + c - 1) / c, 0, up);
            const int64_t decay = static_cast<int64_t>(1000000.0 * std::pow(0.98, i - j));
            for (int64_t a = down; a <= up; ++a)
                vol[static_cast<size_t>(a)] +=
                    static_cast<int64_t>(b.m_fVolume) / (up - down + 1) * decay / 1000000;
        }
        int64_t total = 0;
        for (int64_t v : vol) total += v;
        int64_t run = 0, below = 0;
        const int64_t q = k1000(bars[static_cast<size_t>(i)].m_fClose);
        for (int64_t a = 0; a < count; ++a) {
            run += vol[static_cast<size_t>(a)];
            if (cost[static_cast<size_t>(i)] == 0 && run >= total / 2)
                cost[static_cast<size_t>(i)] = static_cast<double>(lo + a * c) / 1000;
            if (lo + a * c <= q) below += vol[static_cast<size_t>(a)];
        }
        winner[static_cast<size_t>(i)] = static_cast<double>(below) / static_cast<double>(total);
        step[static_cast<size_t>(i)] = static_cast<double>(c) / 1000;
    }
    CKlineLight ind = MakeIndicator("A:COST(50);B:WINNER(C);");
    Evaluate(ind, bars);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    for (int i = 0; i < n; ++i) {
        double a = 0, b = 0;
        ASSERT_TRUE(ind.m_aExps[0].GetValue(i, a));
        ASSERT_TRUE(ind.m_aExps[1].GetValue(i, b));
        // In-place ageing may truncate differently: at most a bucket apart.
        EXPECT_NEAR(a, cost[static_cast<size_t>(i)], step[static_cast<size_t>(i)] + 1e-9)
            << "bar " << i;
        EXPECT_NEAR(b, winner[static_cast<size_t>(i)], 0.02) << "bar " << i;
    }
}

TEST(TimeConversion, SpansBetweenPeriods) {
    uint32_t a, b;
    ASSERT_TRUE(IndCommonSpace::ConvertTimeS2L(20240110, 4, 1, 4, 2, a, b));  // a Wednesday
    EXPECT_EQ(a, 20240108u);
    EXPECT_EQ(b, 20240114u);
    ASSERT_TRUE(IndCommonSpace::ConvertTimeS2L(2401051005u, 3, 5, 3, 30, a, b));
    EXPECT_EQ(a, 2401051001u);
    EXPECT_EQ(b, 2401051030u);
    ASSERT_TRUE(IndCommonSpace::ConvertTimeL2S(20240331, 4, 1, 4, 4, a, b));
    EXPECT_EQ(a, 20240101u);
    EXPECT_EQ(b, 20240331u);
    EXPECT_EQ(GetWeekDay(IndCommonSpace::DaysFromDate(20240107) * 86400), 1);  // a Sunday
    EXPECT_EQ(CompareSecuCode(CIndSecuCode(1, "abc"), CIndSecuCode(1, "ABC")), 0);
    EXPECT_EQ(GetBarTimeKey(0, 4, nullptr), 0u);
}

}  // namespace
