// The lunar calendar conversion and the LYEAR, LMONTH and LDAY series built on it.

#include <gtest/gtest.h>
#include <lunar-date/lunar-date.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "FormulaTestSupport.h"
#include "formula/engine/IndCommonSpace.h"
#include "formula/engine/LunarCalendar.h"

using namespace formula_test;

namespace {

struct Known {
    int32_t solar;
    int32_t year, month, day;
    bool leap;
};

// New year days and the days before them, the leap months 闰二月 2023 and 闰四月 2020 from
// first to last day, and Gregorian year ends inside a lunar year.
const Known kKnown[] = {
    {20240210, 2024, 1, 1, false},   {20240209, 2023, 12, 30, false},
    {20230122, 2023, 1, 1, false},   {20230121, 2022, 12, 30, false},
    {20220201, 2022, 1, 1, false},   {20220131, 2021, 12, 29, false},
    {20250129, 2025, 1, 1, false},   {20250128, 2024, 12, 29, false},
    {20000205, 2000, 1, 1, false},   {20000204, 1999, 12, 29, false},
    {20230321, 2023, 2, 30, false},  {20230322, 2023, 2, 1, true},
    {20230419, 2023, 2, 29, true},   {20230420, 2023, 3, 1, false},
    {20200523, 2020, 4, 1, true},    {20200620, 2020, 4, 29, true},
    {20200621, 2020, 5, 1, false},   {20231231, 2023, 11, 19, false},
    {20240101, 2023, 11, 20, false}, {19900101, 1989, 12, 5, false},
    {20491231, 2049, 12, 7, false},  {20500101, 2049, 12, 8, false},
    {19000131, 1900, 1, 1, false},   {21010128, 2100, 12, 29, false},
};

TEST(LunarCalendar, KnownDates) {
    for (const Known& k : kKnown) {
        LunarCalendar::LunarDay d;
        ASSERT_TRUE(LunarCalendar::FromSolar(k.solar, d)) << k.solar;
        EXPECT_EQ(d.year, k.year) << k.solar;
        EXPECT_EQ(d.month, k.month) << k.solar;
        EXPECT_EQ(d.day, k.day) << k.solar;
        EXPECT_EQ(d.leap, k.leap) << k.solar;

        int32_t y = -1, m = -1, dd = -1;
        EXPECT_NE(IndCommonSpace::GongLi2NongLi(k.solar, y, m, dd), 0) << k.solar;
        EXPECT_EQ(y * 10000 + m * 100 + dd, k.year * 10000 + k.month * 100 + k.day) << k.solar;
    }
}

TEST(LunarCalendar, InvalidOrOutOfRangeDatesGiveZeros) {
    EXPECT_EQ(LunarCalendar::FirstDate(), 19000131);
    const int32_t last = LunarCalendar::LastDate();
    EXPECT_GE(last, 21010128);
    const int32_t after = IndCommonSpace::DateFromDays(IndCommonSpace::DaysFromDate(last) + 1);
    const int32_t dates[] = {19000130, 18991231,   after,          99991231, 20230230,
                             20231301, 20240100,   20240132,       0,        -20240210,
                             240210,   2147483647, -2147483647 - 1};
    for (int32_t date : dates) {
        int32_t y = 7, m = 7, d = 7;
        EXPECT_EQ(IndCommonSpace::GongLi2NongLi(date, y, m, d), 0) << date;
        EXPECT_EQ(y, 0) << date;
        EXPECT_EQ(m, 0) << date;
        EXPECT_EQ(d, 0) << date;
        LunarCalendar::LunarDay ld;
        EXPECT_FALSE(LunarCalendar::FromSolar(date, ld)) << date;
        EXPECT_FALSE(ld.leap) << date;
    }
}

// Every day the library converts directly must come out of the month table the same way.
TEST(LunarCalendar, AgreesWithTheLibraryOnEveryDay) {
    LunarDate* ld = lunar_date_new();
    ASSERT_NE(ld, nullptr);
    int compared = 0;
    for (int64_t n = IndCommonSpace::DaysFromDate(19000201);
         n <= IndCommonSpace::DaysFromDate(21010228); ++n) {
        const int32_t date = IndCommonSpace::DateFromDays(n);
        GError* error = nullptr;
        lunar_date_set_solar_date(ld, static_cast<GDateYear>(date / 10000),
                                  static_cast<GDateMonth>(date / 100 % 100),
                                  static_cast<GDateDay>(date % 100), 0, &error);
        LunarCalendar::LunarDay ours;
        const bool ok = LunarCalendar::FromSolar(date, ours);
        if (error) {
            g_error_free(error);
            ASSERT_GT(date, 21010101)
                << date;  // only the end of the range is the library's to refuse
            EXPECT_FALSE(ok) << date;
            continue;
        }
        ASSERT_TRUE(ok) << date;
        gchar* text = lunar_date_strftime(ld, "%(nian) %(yue) %(ri)");
        ASSERT_NE(text, nullptr);
        int y = 0, m = 0, d = 0;
        std::string s(text);
        const bool leap = s.find('*') != std::string::npos;
        g_free(text);
        for (char& c : s)
            if (c == '*') c = ' ';
        ASSERT_EQ(std::sscanf(s.c_str(), "%d %d %d", &y, &m, &d), 3) << s;
        ASSERT_EQ(ours.year, y) << date;
        ASSERT_EQ(ours.month, m) << date;
        ASSERT_EQ(ours.day, d) << date;
        ASSERT_EQ(ours.leap, leap) << date;
        ++compared;
    }
    lunar_date_free(ld);
    EXPECT_GT(compared, 73000);
}

// The first conversions of the process happen on several threads at once.
TEST(LunarCalendar, ConcurrentFirstUseAgrees) {
    const int64_t start = IndCommonSpace::DaysFromDate(20190101);
    const size_t count = 2600;
    std::vector<std::vector<int32_t>> results(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([&, t] {
            for (size_t i = 0; i < count; ++i) {
                int32_t y, m, d;
                IndCommonSpace::GongLi2NongLi(
                    IndCommonSpace::DateFromDays(start + static_cast<int64_t>(i)), y, m, d);
                results[t].push_back(y * 10000 + m * 100 + d);
            }
        });
    }
    for (auto& th : threads) th.join();
    for (size_t i = 0; i < count; ++i) {
        int32_t y, m, d;
        ASSERT_NE(IndCommonSpace::GongLi2NongLi(
                      IndCommonSpace::DateFromDays(start + static_cast<int64_t>(i)), y, m, d),
                  0);
        for (size_t t = 0; t < results.size(); ++t)
            ASSERT_EQ(results[t][i], y * 10000 + m * 100 + d) << "thread " << t << " day " << i;
    }
}

// Values of the three lunar lines of "Y:LYEAR;M:LMONTH;D:LDAY;" on bar i.
struct LunarRow {
    double year, month, day;
};

std::vector<LunarRow> LunarSeries(std::vector<CFloatDayItem>& bars, int16_t dataType,
                                  int16_t period) {
    CKlineLight ind = MakeIndicator("Y:LYEAR;M:LMONTH;D:LDAY;");
    Evaluate(ind, bars, dataType, period);
    EXPECT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    std::vector<LunarRow> rows;
    for (size_t i = 0; i < bars.size(); ++i) {
        LunarRow r{-1, -1, -1};
        EXPECT_TRUE(ind.m_aExps[0].GetValue(static_cast<int>(i), r.year)) << i;
        EXPECT_TRUE(ind.m_aExps[1].GetValue(static_cast<int>(i), r.month)) << i;
        EXPECT_TRUE(ind.m_aExps[2].GetValue(static_cast<int>(i), r.day)) << i;
        rows.push_back(r);
    }
    return rows;
}

void ExpectRows(const std::vector<LunarRow>& rows, const std::vector<LunarRow>& want) {
    ASSERT_EQ(rows.size(), want.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].year, want[i].year) << "bar " << i;
        EXPECT_EQ(rows[i].month, want[i].month) << "bar " << i;
        EXPECT_EQ(rows[i].day, want[i].day) << "bar " << i;
    }
}

TEST(LunarSeries, DayBarsAcrossNewYearAndALeapMonth) {
    std::vector<CFloatDayItem> bars;
    for (int64_t key : {20230321LL, 20230322LL, 20230419LL, 20230420LL, 20231229LL, 20240102LL,
                        20240208LL, 20240219LL})
        bars.push_back(Bar(key, 1, 1, 1, 1));
    ExpectRows(LunarSeries(bars, 4, 1), {{2023, 2, 30},
                                         {2023, 2, 1},  // 闰二月 reports its month number
                                         {2023, 2, 29},
                                         {2023, 3, 1},
                                         {2023, 11, 17},
                                         {2023, 11, 21},
                                         {2023, 12, 29},
                                         {2024, 1, 10}});
}

TEST(LunarSeries, MinuteBarsTakeTheirDayFromTheKey) {
    std::vector<CFloatDayItem> bars;
    for (int64_t key :
         {202402081430LL, 202402081500LL, 202402190931LL, 202402191500LL, 202304200930LL})
        bars.push_back(Bar(key, 1, 1, 1, 1));
    // Out of order on purpose: the last bar must not reuse the previous bar's conversion.
    ExpectRows(LunarSeries(bars, 3, 5),
               {{2023, 12, 29}, {2023, 12, 29}, {2024, 1, 10}, {2024, 1, 10}, {2023, 3, 1}});
}

TEST(LunarSeries, DatesOutsideTheCalendarGiveZeros) {
    std::vector<CFloatDayItem> bars;
    for (int64_t key : {18991230LL, 19000131LL, 21500101LL, 20240231LL})
        bars.push_back(Bar(key, 1, 1, 1, 1));
    ExpectRows(LunarSeries(bars, 4, 1), {{0, 0, 0}, {1900, 1, 1}, {0, 0, 0}, {0, 0, 0}});
}

// Intraday formulas spread the security's quote date (2024-01-05 in the test market) over
// their records; historical intraday records carry no calendar values.
TEST(LunarSeries, IntradayRecordsUseTheQuoteDate) {
    struct Case {
        int16_t dataType;
        size_t recordSize;
        LunarRow want;
    } cases[] = {{2, 61, {2023, 11, 24}}, {5, 28, {0, 0, 0}}};
    for (const Case& c : cases) {
        std::vector<unsigned char> raw(3 * c.recordSize, 0);
        for (int i = 0; i < 3; ++i) {
            uint32_t time = 2401050931u + static_cast<uint32_t>(i);
            double price = 10 + i;
            std::memcpy(raw.data() + static_cast<size_t>(i) * c.recordSize, &time, 4);
            std::memcpy(raw.data() + static_cast<size_t>(i) * c.recordSize + 8, &price, 8);
        }
        FakeMarket market;
        market.days["1:600000"] = DayBars({1});
        SetFormulaMarket(&market);
        EnsureSetUp();
        CKlineLight ind = MakeIndicator("Y:LYEAR;M:LMONTH;D:LDAY;");
        ind.InitialCalc(CIndSecuCode(1, "600000"), c.dataType, 0);
        ind.m_pBars = raw.data();
        ind.m_nBarCount = 3;
        ind.m_nCalcFirst = 0;
        ind.m_nCalcEnd = 3;
        ind.MakeRoom(3);
        ind.Calc(0, 3);
        SetFormulaMarket(nullptr);
        ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
        for (int i = 0; i < 3; ++i) {
            LunarRow r{-1, -1, -1};
            EXPECT_TRUE(ind.m_aExps[0].GetValue(i, r.year));
            EXPECT_TRUE(ind.m_aExps[1].GetValue(i, r.month));
            EXPECT_TRUE(ind.m_aExps[2].GetValue(i, r.day));
            EXPECT_EQ(r.year, c.want.year) << c.dataType << " bar " << i;
            EXPECT_EQ(r.month, c.want.month) << c.dataType << " bar " << i;
            EXPECT_EQ(r.day, c.want.day) << c.dataType << " bar " << i;
        }
    }
}

}  // namespace
