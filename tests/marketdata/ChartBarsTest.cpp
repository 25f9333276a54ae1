#include <gtest/gtest.h>

#include "MarketFixture.h"
#include "marketdata/PeriodBars.h"

namespace {
// Copies a field of the packed chart bar: gtest would bind a reference to it.
template <class T>
T Val(T v) {
    return v;
}

class ChartBarsTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        m_sec = Add(1, "600000");
    }

    // A series of the given kind over raw bars, chart bars built.
    std::shared_ptr<CDayData> Build(int16_t type, int16_t period, const std::vector<CDayItem>& raw,
                                    uint8_t mode = 0, uint32_t endDate = 0) {
        auto s = std::make_shared<CDayData>("t", m_sec, type, period);
        auto edit = s->Write();
        for (auto& b : raw) edit.RawBars().Insert(b);
        GetAllCQData()->GetEvents(edit.ExRights(), m_sec->GetCode());
        edit.SetAdjustMode(mode);
        edit.MakeFloatItems(0, 0, endDate);
        return s;
    }

    static std::vector<CDayItem> Minutes(int64_t date, int step) {
        // One trading day of bars labelled with their last minute: 0931.. 1130, 1301.. 1500.
        std::vector<CDayItem> v;
        int i = 0;
        for (int session = 0; session < 2; ++session) {
            int start = session ? 1300 : 930;
            for (int m = step; m <= 120; m += step, ++i) {
                int minutes = start % 100 + m;
                int hhmm = (start / 100 + minutes / 60) * 100 + minutes % 60;
                v.push_back(
                    MakeBar(date * 10000 + hhmm, 1000 + i, 1100 + i, 900 + i, 1050 + i, 10));
            }
        }
        return v;
    }

    CSecurity* m_sec = nullptr;
};

std::vector<int64_t> Keys(const CSortArray<CFloatDayItem>& bars) {
    std::vector<int64_t> k;
    for (auto& b : bars) k.push_back(Val(b.m_nTime));
    return k;
}
}  // namespace

TEST_F(ChartBarsTest, PricesAreDividedByTheDivisor) {
    auto s = Build(4, 1, {MakeBar(20240102, 12000, 12500, 11000, 12345)});
    ASSERT_EQ(s->Read().ChartBars().size(), 1u);
    EXPECT_DOUBLE_EQ(Val(s->Read().ChartBars()[0].m_fClose), 12.345);
    EXPECT_DOUBLE_EQ(Val(s->Read().ChartBars()[0].m_fLow), 11.0);

    // A security without a divisor (value 0 from nowhere) still divides by something sane.
    m_sec->GetValues().SetValue(kQuotePriceDivisor, 0);
    auto t = Build(4, 1, {MakeBar(20240102, 12000, 12500, 11000, 12345)});
    EXPECT_DOUBLE_EQ(Val(t->Read().ChartBars()[0].m_fClose), 12.345);

    // No raw bars: no chart bars, and the total count stays as it was.
    auto e = std::make_shared<CDayData>("e", m_sec, 4, 1);
    e->Write().SetTotalCount(42);
    e->Write().MakeFloatItems(0, 0, 0);
    EXPECT_TRUE(e->Read().ChartBars().empty());
    EXPECT_EQ(e->GetTotalCount(), 42);
}

TEST_F(ChartBarsTest, WeeksMonthsAndNDays) {
    std::vector<CDayItem> days;
    int i = 0;
    for (int64_t d :
         {20150615, 20150616, 20150617, 20150618, 20150619, 20150622, 20150630, 20150701})
        days.push_back(MakeBar(d, 1000 + i, 2000 + 10 * i * (i % 2), 500 - i, 1500 + i, 10 + i)),
            ++i;

    auto week = Build(4, 2, days);
    // Mon 06-22 alone; Tue 06-30 and Wed 07-01 share a week.
    ASSERT_EQ(Keys(week->Read().ChartBars()), (std::vector<int64_t>{20150619, 20150622, 20150701}));
    auto weekView = week->Read();
    const CFloatDayItem& w = weekView.ChartBars()[0];
    EXPECT_DOUBLE_EQ(Val(w.m_fOpen), 1.0);     // Monday's
    EXPECT_DOUBLE_EQ(Val(w.m_fClose), 1.504);  // Friday's
    EXPECT_DOUBLE_EQ(Val(w.m_fHigh), 2.03);    // Thursday's
    EXPECT_DOUBLE_EQ(Val(w.m_fLow), 0.496);    // Friday's
    EXPECT_DOUBLE_EQ(Val(w.m_fVolume), 10 + 11 + 12 + 13 + 14);

    auto month = Build(4, 3, days);
    EXPECT_EQ(Keys(month->Read().ChartBars()), (std::vector<int64_t>{20150630, 20150701}));
    auto year = Build(4, 6, days);
    EXPECT_EQ(Keys(year->Read().ChartBars()), (std::vector<int64_t>{20150701}));

    SetUserNDayCount(3);
    auto nday = Build(4, -1, std::vector<CDayItem>(days.begin(), days.begin() + 7));
    EXPECT_EQ(Keys(nday->Read().ChartBars()), (std::vector<int64_t>{20150617, 20150622, 20150630}));
    EXPECT_DOUBLE_EQ(Val(nday->Read().ChartBars()[1].m_fOpen), 1.003);
    SetUserNDayCount(0);  // taken as 1: one bar per day
    EXPECT_EQ(Build(4, -1, days)->Read().ChartBars().size(), days.size());
}

TEST_F(ChartBarsTest, MinuteBarsFromOneAndFiveMinuteData) {
    const auto ones = Minutes(20240603, 1);
    const auto fives = Minutes(20240603, 5);
    ASSERT_EQ(ones.size(), 240u);
    ASSERT_EQ(fives.size(), 48u);
    struct Case {
        const std::vector<CDayItem>* raw;
        int16_t period;
        size_t bars;
    };
    for (auto c : {Case{&ones, 1, 240}, Case{&ones, 5, 48}, Case{&ones, 15, 16}, Case{&ones, 30, 8},
                   Case{&ones, 60, 4}, Case{&fives, 5, 48}, Case{&fives, 15, 16},
                   Case{&fives, 30, 8}, Case{&fives, 60, 4}}) {
        SCOPED_TRACE(testing::Message() << c.raw->size() << " raw bars, period " << c.period);
        auto s = Build(3, c.period, *c.raw);
        ASSERT_EQ(s->Read().ChartBars().size(), c.bars);
        if (c.period == 60) {
            auto view = s->Read();
            const CFloatDayItem& first = view.ChartBars()[0];
            const CFloatDayItem& last = view.ChartBars()[3];
            size_t per = c.raw->size() / 4;
            EXPECT_EQ(Val(first.m_nTime), 202406031030);
            EXPECT_EQ(Val(s->Read().ChartBars()[1].m_nTime), 202406031130);
            EXPECT_EQ(Val(s->Read().ChartBars()[2].m_nTime), 202406031400);
            EXPECT_EQ(Val(last.m_nTime), 202406031500);
            EXPECT_DOUBLE_EQ(Val(first.m_fOpen), 1.0);
            EXPECT_DOUBLE_EQ(Val(first.m_fClose), (1050 + per - 1) / 1000.0);
            EXPECT_DOUBLE_EQ(Val(first.m_fHigh), (1100 + per - 1) / 1000.0);
            EXPECT_DOUBLE_EQ(Val(first.m_fLow), 0.9);
            EXPECT_DOUBLE_EQ(Val(first.m_fVolume), 10.0 * per);
        }
    }
    // A new day starts a new bar even inside one slot number.
    auto two = Minutes(20240603, 5);
    auto next = Minutes(20240604, 5);
    two.insert(two.end(), next.begin(), next.end());
    EXPECT_EQ(Build(3, 60, two)->Read().ChartBars().size(), 8u);
}

TEST_F(ChartBarsTest, AdjustmentOfSingleEvents) {
    struct Case {
        const char* what;
        int64_t cash, bonus, transfer, rights;
        uint32_t price;
        double f2, o2, f1, o1;
    };
    const Case cases[] = {
        {"cash 0.25 a share", 2500000, 0, 0, 0, 0, 1, -0.25, 1, 0.25},
        {"one bonus share per share", 0, 10000000, 0, 0, 0, 0.5, 0, 2, 0},
        {"transfer 5 per 10", 0, 0, 5000000, 0, 0, 1 / 1.5, 0, 1.5, 0},
        {"rights 3 per 10 at 8.00", 0, 0, 0, 3000000, 8000, 1 / 1.3, 2.4 / 1.3, 1.3, -2.4},
        {"expansion to 12 per 10", 0, 0, 0, 12000000, 0, 1 / 1.2, 0, 1.2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CSingleCQDataPerSecu e;
        e.m_nCash = c.cash;
        e.m_nBonus = c.bonus;
        e.m_nTransfer = c.transfer;
        e.m_nRights = c.rights;
        e.m_nRightsPrice = c.price;
        double f = 0, o = 0;
        e.GetAdjustment(2, f, o);
        EXPECT_NEAR(f, c.f2, 1e-12);
        EXPECT_NEAR(o, c.o2, 1e-12);
        e.GetAdjustment(1, f, o);
        EXPECT_NEAR(f, c.f1, 1e-12);
        EXPECT_NEAR(o, c.o1, 1e-12);
        f = 7, o = 9;
        e.GetAdjustment(0, f, o);
        EXPECT_EQ(f, 7);
        EXPECT_EQ(o, 9);
    }
    CSingleCQDataPerSecu e;
    e.m_nCash = 2500000;
    double f, o;
    e.GetAdjustment(2, f, o);
    EXPECT_DOUBLE_EQ(10.0 * f + o, 9.75);
}

TEST_F(ChartBarsTest, ForwardAndBackwardAdjustmentOverASeries) {
    // Bonus 10 per 10 on 01-03, cash 5 yuan per 10 on 01-04.
    CSingleCQDataPerSecu bonus, cash;
    bonus.m_code = cash.m_code = m_sec->GetCode();
    bonus.m_nDate = 20240103;
    bonus.m_nBonus = 10000000;
    cash.m_nDate = 20240104;
    cash.m_nCash = 5000000;
    GetAllCQData()->AddEvent(cash);
    GetAllCQData()->AddEvent(bonus);
    std::vector<CDayItem> raw = {MakeBar(20240102, 10000, 10000, 10000, 10000, 100),
                                 MakeBar(20240103, 10000, 10000, 10000, 10000, 100),
                                 MakeBar(20240104, 9500, 9500, 9500, 9500, 100),
                                 MakeBar(20240105, 9600, 9600, 9600, 9600, 100)};
    auto closes = [](CDayData& s) {
        std::vector<double> v;
        for (auto& b : s.Read().ChartBars()) v.push_back(Val(b.m_fClose));
        return v;
    };

    // Backward (the default): earlier prices carried to today's scale. 01-02 sees both
    // events (10 / 2 - 0.5), 01-03 only the cash (10 - 0.5).
    auto back = Build(4, 1, raw, 2);
    auto c = closes(*back);
    ASSERT_EQ(c.size(), 4u);
    EXPECT_DOUBLE_EQ(c[0], 4.5);
    EXPECT_DOUBLE_EQ(c[1], 9.5);
    EXPECT_DOUBLE_EQ(c[2], 9.5);
    EXPECT_DOUBLE_EQ(c[3], 9.6);
    EXPECT_DOUBLE_EQ(Val(back->Read().ChartBars()[0].m_fVolume), 200);  // shares double back then

    // Forward: later prices carried to the first scale: x 2 from 01-03, then + 0.5 a
    // share before doubling from 01-04 (x 2 + 1).
    auto fwd = Build(4, 1, raw, 1);
    c = closes(*fwd);
    EXPECT_DOUBLE_EQ(c[0], 10.0);
    EXPECT_DOUBLE_EQ(c[1], 20.0);
    EXPECT_DOUBLE_EQ(c[2], 20.0);
    EXPECT_DOUBLE_EQ(c[3], 20.2);

    // Forward with an end date: bars after it stay as they were.
    auto ended = Build(4, 1, raw, 1, 20240103);
    c = closes(*ended);
    EXPECT_DOUBLE_EQ(c[1], 20.0);
    EXPECT_DOUBLE_EQ(c[2], 9.5);

    // A rebuild starts afresh: the same bars again, not adjusted twice.
    {
        auto edit = back->Write();
        edit.MakeFloatItems(0, 0, 0);
        edit.MakeFloatItems(0, 0, 0);
    }
    EXPECT_EQ(closes(*back), (std::vector<double>{4.5, 9.5, 9.5, 9.6}));
    EXPECT_DOUBLE_EQ(back->Read().AdjustFactor(), 0.5);
    EXPECT_DOUBLE_EQ(back->Read().AdjustOffset(), -0.5);

    // No adjustment.
    EXPECT_EQ(closes(*Build(4, 1, raw, 0)), (std::vector<double>{10, 10, 9.5, 9.6}));
}

TEST_F(ChartBarsTest, RightsIssueBackward) {
    CSingleCQDataPerSecu rights;
    rights.m_code = m_sec->GetCode();
    rights.m_nDate = 20240104;
    rights.m_nRights = 3000000;
    rights.m_nRightsPrice = 8000;
    GetAllCQData()->AddEvent(rights);
    auto s = Build(
        4, 1,
        {MakeBar(20240102, 10000, 10000, 10000, 10000),
         MakeBar(20240103, 11000, 11000, 11000, 11000), MakeBar(20240104, 9000, 9000, 9000, 9000)},
        2);
    EXPECT_NEAR(Val(s->Read().ChartBars()[0].m_fClose), (10 + 2.4) / 1.3, 1e-12);
    EXPECT_NEAR(Val(s->Read().ChartBars()[1].m_fClose), (11 + 2.4) / 1.3, 1e-12);
    EXPECT_DOUBLE_EQ(Val(s->Read().ChartBars()[2].m_fClose), 9.0);
}

TEST_F(ChartBarsTest, YearLookUps) {
    std::vector<CDayItem> raw;
    for (int64_t k : {202312291455LL, 202401021000LL, 202401021005LL, 202402011000LL})
        raw.push_back(MakeBar(k, 1, 1, 1, 1));
    auto s = Build(3, 5, raw);
    CSortArray<CFloatDayItem> out;
    s->Read().GetItemsOfDate(2024, out);
    EXPECT_EQ(out.size(), 3u);
    s->Read().GetItemsInDates(out, 2023, 2024);
    EXPECT_EQ(out.size(), 4u);
    s->Read().GetItemsOfDate(2022, out);
    EXPECT_EQ(out.size(), 4u);  // nothing in 2022: left as it was
    EXPECT_EQ(s->Read().CountItemsOfDate(2024), 3u);
    s->Write().CountsByYear()[2024] = 2;
    EXPECT_EQ(s->Read().CountItemsOfDate(2024), 2u);
    EXPECT_EQ(s->Read().GetItemCountOfDate(2024), 2u);
    s->Write().CountsByYearRange()[{2023, 2024}] = 900;
    EXPECT_EQ(s->Read().GetItemCountInDates(2023, 2024), 900u);
    EXPECT_EQ(s->Read().CountItemsInDates(2023, 2024), 4u);

    // Minute series restricted to years while building.
    {
        auto edit = s->Write();
        edit.MakeFloatItems(2024, 2024, 0);
    }
    EXPECT_EQ(s->Read().ChartBars().size(), 3u);
    CSortArray<CDayItem> rawOut;
    s->Read().CopyItemsOfYear(2023, rawOut);
    EXPECT_EQ(rawOut.size(), 1u);
}

TEST_F(ChartBarsTest, SamePeriodAndPeriodBars) {
    EXPECT_TRUE(IsSamePeriod(4, 20150615, 20150619, 2));
    EXPECT_FALSE(IsSamePeriod(4, 20150619, 20150622, 2));
    EXPECT_FALSE(IsSamePeriod(4, 20150619, 20150619, 2));
    EXPECT_FALSE(IsSamePeriod(4, 20150231, 20150302, 2));  // not a date
    EXPECT_TRUE(IsSamePeriod(4, 20150302, 20150331, 3));
    EXPECT_FALSE(IsSamePeriod(4, 20150302, 20160302, 3));
    EXPECT_TRUE(IsSamePeriod(4, 20150101, 20150331, 4));
    EXPECT_FALSE(IsSamePeriod(4, 20150331, 20150401, 4));
    EXPECT_TRUE(IsSamePeriod(4, 20150101, 20150630, 5));
    EXPECT_FALSE(IsSamePeriod(4, 20150630, 20150701, 5));
    EXPECT_FALSE(IsSamePeriod(4, 20150101, 20150102, 1));
    EXPECT_TRUE(IsSamePeriod(3, 201506180931, 201506180935, 5));
    EXPECT_FALSE(IsSamePeriod(3, 201506180935, 201506180936, 5));
    EXPECT_FALSE(IsSamePeriod(3, 201506180935, 201506190935, 60));
    EXPECT_FALSE(IsSamePeriod(3, 201506180931, 201506180931, 1));
    EXPECT_FALSE(IsSamePeriod(5, 20150615, 20150616, 2));

    std::vector<CFloatDayItem> days;
    int i = 0;
    for (int64_t d : {20150615, 20150616, 20150617, 20150618, 20150619}) {
        CFloatDayItem b;
        b.m_nTime = d;
        b.m_fOpen = 10 + i;
        b.m_fHigh = 20 + (i == 2 ? 5 : i);
        b.m_fLow = 5 - (i == 3 ? 2 : 0);
        b.m_fClose = 15 + i;
        b.m_fAmount = 100;
        b.m_fVolume = 10;
        b.m_nReserved = 1;
        days.push_back(b);
        ++i;
    }
    auto week = GetPeriodBars(4, m_sec, days.data(), 5, 0, 5, 4, 2);
    ASSERT_EQ(week.size(), 1u);
    EXPECT_EQ(Val(week[0].m_nTime), 20150619);
    EXPECT_EQ(Val(week[0].m_fOpen), 10);
    EXPECT_EQ(Val(week[0].m_fClose), 19);
    EXPECT_EQ(Val(week[0].m_fHigh), 25);
    EXPECT_EQ(Val(week[0].m_fLow), 3);
    EXPECT_EQ(Val(week[0].m_fAmount), 500);
    EXPECT_EQ(Val(week[0].m_fVolume), 50);
    EXPECT_EQ(Val(week[0].m_nReserved), 5u);
    EXPECT_EQ(GetPeriodBars(4, m_sec, days.data(), 5, 3, 99, 4, 1).size(), 2u);

    // Other types: the pool's series is borrowed and given back.
    auto held = GetDayData(4, m_sec->GetCode(), 3);
    {
        auto edit = held->Write();
        edit.RawBars().Insert(MakeBar(20150630, 1, 1, 1, 1));
        edit.MakeFloatItems(0, 0, 0);
    }
    held.reset();
    size_t listed = GetDataCenter()->GetPool().GetCount();
    auto month = GetPeriodBars(3, m_sec, days.data(), 5, 0, 5, 4, 3);
    EXPECT_EQ(month.size(), 1u);
    EXPECT_EQ(GetDataCenter()->GetPool().GetCount(), listed - 1);
    EXPECT_TRUE(GetPeriodBars(3, nullptr, nullptr, 0, 0, 0, 4, 3).empty());
}

// The intraday popup of a past day reads one year of the shared 1-minute series: it gets
// the bars a chart of that year alone would show, in its own adjustment, while a chart of
// the series keeps its years, bars, adjustment and factors.
TEST_F(ChartBarsTest, OneMinuteYearBuiltAsideLeavesTheSharedBarsAlone) {
    CSingleCQDataPerSecu cash;
    cash.m_code = m_sec->GetCode();
    cash.m_nDate = 20231229;
    cash.m_nCash = 5000000;
    CSingleCQDataPerSecu later = cash;
    later.m_nDate = 20240102;
    GetAllCQData()->AddEvent(cash);
    GetAllCQData()->AddEvent(later);
    std::vector<CDayItem> raw;
    for (int64_t day : {20231228LL, 20231229LL, 20240102LL})
        for (const CDayItem& b : Minutes(day, 1)) raw.push_back(b);

    auto shared = Build(3, 1, raw, 2);
    {
        auto edit = shared->Write();
        edit.MakeFloatItems(2024, 2024, 0);  // the open 1-minute chart shows 2024
    }
    const std::vector<int64_t> keysBefore = Keys(shared->Read().ChartBars());
    const double closeBefore = Val(shared->Read().ChartBars()[0].m_fClose);
    const double factorBefore = shared->Read().AdjustFactor();
    ASSERT_EQ(keysBefore.size(), 240u);

    for (uint8_t mode : {uint8_t(0), uint8_t(1), uint8_t(2)}) {
        SCOPED_TRACE(int(mode));
        std::vector<CFloatDayItem> aside;
        shared->Read().BuildOneMinuteBarsOfYear(2023, mode, aside);

        auto alone = Build(3, 1, raw, mode);
        {
            auto edit = alone->Write();
            edit.MakeFloatItems(2023, 2023, 0);
        }
        const CSortArray<CFloatDayItem>& expected = alone->Read().ChartBars();
        ASSERT_EQ(aside.size(), expected.size());
        ASSERT_EQ(aside.size(), 480u);
        for (size_t i = 0; i < aside.size(); ++i) {
            EXPECT_EQ(Val(aside[i].m_nTime), Val(expected[i].m_nTime));
            EXPECT_DOUBLE_EQ(Val(aside[i].m_fClose), Val(expected[i].m_fClose));
            EXPECT_DOUBLE_EQ(Val(aside[i].m_fLow), Val(expected[i].m_fLow));
            EXPECT_DOUBLE_EQ(Val(aside[i].m_fVolume), Val(expected[i].m_fVolume));
        }
        if (mode == 2) {  // the 12-29 cash is carried back onto 12-28's minutes
            EXPECT_DOUBLE_EQ(Val(aside.front().m_fClose), 1.05 - 0.5);
        }

        EXPECT_EQ(Keys(shared->Read().ChartBars()), keysBefore);
        EXPECT_DOUBLE_EQ(Val(shared->Read().ChartBars()[0].m_fClose), closeBefore);
        EXPECT_EQ(shared->Read().AdjustMode(), 2);
        EXPECT_DOUBLE_EQ(shared->Read().AdjustFactor(), factorBefore);
    }

    // Other kinds of series have no such year: nothing, not a wrong build.
    std::vector<CFloatDayItem> none{CFloatDayItem()};
    Build(3, 5, raw)->Read().BuildOneMinuteBarsOfYear(2023, 0, none);
    EXPECT_TRUE(none.empty());
}
