// The asset report's figures worked out by hand: final assets, period statistics (wins
// above 0, losses at or below it, the profit rate over the capitals), the chart's range,
// and sessions whose capital is not the usual million or is missing altogether.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "training/AssetStatistics.h"
#include "training/TotalTrainingRecord.h"
#include "training/TrainingRecord.h"

namespace {

std::shared_ptr<CTrainingRecord> Session(double capital, double final, int32_t date = 20150105) {
    auto r = std::make_shared<CTrainingRecord>();
    r->InitCapital = capital;
    r->TrainingDate = date;
    r->assets = {{20150105, capital}, {20150106, final}};
    return r;
}

TEST(AssetReport, FinalAssetIsTheLastPointOrTheCapital) {
    auto stepped = Session(1000000, 1030000);
    EXPECT_DOUBLE_EQ(FinalAsset(*stepped), 1030000);
    CTrainingRecord fresh;
    fresh.InitCapital = 1000000;
    EXPECT_DOUBLE_EQ(FinalAsset(fresh), 1000000) << "a session never stepped";
    EXPECT_DOUBLE_EQ(RecordReturn(*stepped), 0.03);
    EXPECT_DOUBLE_EQ(RecordReturn(*Session(0, 500000)), 0) << "no capital: no return, no division";
    EXPECT_DOUBLE_EQ(RecordReturn(*Session(-5, 500000)), 0);
}

TEST(AssetReport, PointsAreRedAboveTheSessionsOwnCapital) {
    EXPECT_TRUE(EndedWithGain(*Session(500000, 900000)))
        << "half a million grown to 900,000 gained, though below the usual million";
    EXPECT_FALSE(EndedWithGain(*Session(1000000, 1000000)));
    EXPECT_FALSE(EndedWithGain(*Session(1000000, 1000000.005))) << "within a cent";
    EXPECT_TRUE(EndedWithGain(*Session(1000000, 1000000.02)));
    EXPECT_FALSE(EndedWithGain(*Session(1000000, 990000)));
}

TEST(AssetReport, PeriodStatisticsCountWinsAboveZeroAndLossesAtOrBelow) {
    const std::vector<std::shared_ptr<CTrainingRecord>> records = {
        Session(1000000, 1020000),  // win, 2%
        Session(1000000, 1000000),  // loss at 0
        Session(1000000, 990000),   // loss, -1%
        Session(500000, 900000),    // win, 80% of its own capital
        Session(0, 500000),         // damaged: a loss at 0, no profit, no capital
        nullptr,
    };
    const PeriodStatistics s = CalcPeriodStatistics(records);
    EXPECT_EQ(s.count, 5);
    EXPECT_EQ(s.wins, 2);
    EXPECT_EQ(s.losses, 3);
    EXPECT_DOUBLE_EQ(s.bestRate, 0.8);
    EXPECT_DOUBLE_EQ(s.worstRate, -0.01);
    EXPECT_DOUBLE_EQ(s.profit, 20000 + 0 - 10000 + 400000);
    EXPECT_DOUBLE_EQ(s.profitRate, 410000.0 / 3500000.0);
    EXPECT_DOUBLE_EQ(s.totalAssets, 1020000 + 1000000 + 990000 + 900000 + 500000);
}

TEST(AssetReport, PeriodStatisticsEdgeCases) {
    const PeriodStatistics even = CalcPeriodStatistics({Session(1000000, 1000000)});
    EXPECT_EQ(even.wins, 0);
    EXPECT_EQ(even.losses, 1) << "ending at the capital is a loss";
    EXPECT_DOUBLE_EQ(even.worstRate, 0);
    EXPECT_DOUBLE_EQ(even.bestRate, 0) << "no win: 0";

    const PeriodStatistics two = CalcPeriodStatistics({Session(1000000, 1030000), Session(1000000, 995000)});
    EXPECT_DOUBLE_EQ(two.profit, 25000);
    EXPECT_NEAR(two.profitRate * 100, 1.25, 1e-12) << "25,000 over two millions";
    EXPECT_DOUBLE_EQ(two.worstRate, -0.005);

    const PeriodStatistics allWins = CalcPeriodStatistics({Session(1000000, 1100000), Session(1000000, 1050000)});
    EXPECT_DOUBLE_EQ(allWins.bestRate, 0.1);
    EXPECT_DOUBLE_EQ(allWins.worstRate, 0) << "no loss: 0";

    const PeriodStatistics none = CalcPeriodStatistics({});
    EXPECT_EQ(none.count, 0);
    EXPECT_DOUBLE_EQ(none.profitRate, 0);
    const PeriodStatistics broken = CalcPeriodStatistics({Session(0, 0)});
    EXPECT_DOUBLE_EQ(broken.profitRate, 0) << "no capital at all: no rate, no NaN";
}

TEST(AssetReport, StatisticsOverTheNewestSessionsWeek) {
    CTotalTrainingRecord list("unused.xml");
    // Monday 5 January 2015 to Sunday 11 January, then Monday 12 January.
    list.records = {Session(1000000, 1200000, 20141231), Session(1000000, 1010000, 20150105),
                    Session(1000000, 980000, 20150109), Session(1000000, 1005000, 20150112)};
    CTotalTrainingRecord::RecordList week;
    list.SelectThisWeek(week);
    EXPECT_EQ(CalcPeriodStatistics(week).count, 1) << "a new week began on the 12th";
    list.records.pop_back();
    week.clear();
    list.SelectThisWeek(week);
    const PeriodStatistics s = CalcPeriodStatistics(week);
    EXPECT_EQ(s.count, 2);
    EXPECT_EQ(s.wins, 1);
    EXPECT_EQ(s.losses, 1);
    EXPECT_DOUBLE_EQ(s.profit, -10000);
    CTotalTrainingRecord::RecordList year;
    list.SelectThisYear(year);
    EXPECT_EQ(CalcPeriodStatistics(year).count, 2) << "the 2014 session belongs to another year";
}

TEST(AssetReport, ChartRangeHasHeadroomAndSurvivesFlatAndNegativeAssets) {
    double max = 7, min = 3;
    EXPECT_FALSE(CalcAssetRange({}, max, min));
    EXPECT_EQ(max, 7);
    EXPECT_EQ(min, 3) << "nothing to range over: the range stays";

    ASSERT_TRUE(CalcAssetRange({1000000}, max, min));
    EXPECT_NEAR(max, 1050000, 0.001);
    EXPECT_DOUBLE_EQ(min, 800000);
    EXPECT_GT(max - min, 0);

    ASSERT_TRUE(CalcAssetRange({1100000, 950000, 1000000}, max, min));
    EXPECT_DOUBLE_EQ(max, 1155000);
    EXPECT_DOUBLE_EQ(min, 760000);

    ASSERT_TRUE(CalcAssetRange({500000, -100000}, max, min));
    EXPECT_DOUBLE_EQ(min, -120000) << "an account below zero stays above the bottom";
    EXPECT_DOUBLE_EQ(max, 525000);
}

}  // namespace
