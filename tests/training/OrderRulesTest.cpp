// Order arithmetic of a training session. Every expected number is worked out by hand
// in the comments beside it.

#include <gtest/gtest.h>

#include <cmath>

#include "training/TrainingRecord.h"

namespace {

constexpr int64_t Day(int32_t yyyymmdd) {
    return static_cast<int64_t>(yyyymmdd) * 10000;
}

CTrainingRecord MakeRecord(double capital, double rate, int32_t t0 = 0) {
    return CTrainingRecord(nullptr, CIndSecuCode(1, "600000"), t0, /*canPut*/ 1, 0, 0, 0, capital,
                           "浦发银行", rate);
}

const char* const kLongT1 = "仓位不够!您当前正在进行T+1交易,根据截止到昨天的多单信息设置仓位";
const char* const kLongT0 = "仓位不够!您当前正在进行T+0交易,根据全部多单信息设置仓位";
const char* const kShortT1 = "仓位不够您当前正在进行T+1交易,根据截止到昨天的空单信息设置仓位";
const char* const kShortT0 = "仓位不够您当前正在进行T+0交易,根据全部空单信息设置仓位";

TEST(TrainingRecordTest, NewSessionStartsWithCapitalAndEmptyBooks) {
    CTrainingRecord r = MakeRecord(100000, 0.0003);
    EXPECT_EQ(r.leftCapital, 100000);
    EXPECT_EQ(r.InitCapital, 100000);
    EXPECT_EQ(r.TrainStatus, kTrainStatusStart);
    EXPECT_EQ(r.code, CIndSecuCode(1, "600000"));
    ASSERT_TRUE(r.CallPos && r.PutPos);
    EXPECT_EQ(r.GetPositionVolume(true), 0);
    EXPECT_GT(r.TrainingDate, 20200101);

    CTrainingRecord blank;
    EXPECT_EQ(blank.code.m_nMarket, -1);
    EXPECT_EQ(blank.TrainPeriodType, -1);
    // Orders on a blank record must not crash.
    std::string msg;
    EXPECT_FALSE(blank.Sell(100, Day(20240102), msg, "", 10));
    EXPECT_FALSE(blank.CoverShort(100, Day(20240102), msg, "", 10));
}

TEST(TrainingRecordTest, BuyTwiceOnOneDateThenSellWithGainAndWithLoss) {
    CTrainingRecord r = MakeRecord(100000, 0.001);
    std::string msg;
    // 1000 @ 10: amount 10000, fee 10, cash 100000 - 10010 = 89990, cost 10.
    ASSERT_TRUE(r.Buy(1000, Day(20240102), msg, true, "突破买入", 10.0));
    EXPECT_TRUE(msg.empty());
    EXPECT_DOUBLE_EQ(r.leftCapital, 89990);
    EXPECT_DOUBLE_EQ(r.CallPos->aveCost, 10);
    const TradeDetailItem& b = r.trades.at(0);
    EXPECT_EQ(b.TradeDate, 20240102);
    EXPECT_EQ(b.TradeTime, 0);
    EXPECT_EQ(b.opdir, 1);
    EXPECT_EQ(b.bsdir, 1);
    EXPECT_DOUBLE_EQ(b.Turnover, 10000);
    EXPECT_DOUBLE_EQ(b.commit, 10);
    EXPECT_EQ(b.GainLoss, 0);
    EXPECT_EQ(b.praise, 0);
    EXPECT_EQ(b.comment, "突破买入");

    // 500 @ 12 the same day: fee 6, cash 89990 - 6006 = 83984; one holding of 1500;
    // cost (1000 * 10 + 6000) / 1500 = 10.666...
    ASSERT_TRUE(r.Buy(500, 202401021400, msg, true, "", 12.0));
    EXPECT_DOUBLE_EQ(r.leftCapital, 83984);
    ASSERT_EQ(r.CallPos->holdings.size(), 1u);
    EXPECT_EQ(r.CallPos->holdings[0], (PositionHolding{1500, 20240102}));
    EXPECT_DOUBLE_EQ(r.CallPos->aveCost, 16000.0 / 1500);
    EXPECT_DOUBLE_EQ(r.trades.at(1).cost, 16000.0 / 1500);
    EXPECT_EQ(r.trades.at(1).TradeTime, 1400);

    // Sell 600 @ 11 next day: net 6600 - 6.6 = 6593.4, cash 90577.4;
    // basis 600 * 10.666.. * 1.001 = 6406.4; gain 187; percent 187 / 6406.4.
    ASSERT_TRUE(r.Sell(600, Day(20240103), msg, "止盈卖出", 11.0));
    EXPECT_DOUBLE_EQ(r.leftCapital, 90577.4);
    const TradeDetailItem& s = r.trades.at(2);
    EXPECT_EQ(s.bsdir, -1);
    EXPECT_EQ(s.opdir, 1);
    EXPECT_DOUBLE_EQ(s.Turnover, 6600);
    EXPECT_DOUBLE_EQ(s.commit, 6.6);
    EXPECT_NEAR(s.GainLoss, 187.0, 1e-9);
    EXPECT_NEAR(s.GLPercent, 187.0 / 6406.4, 1e-12);
    EXPECT_EQ(s.praise, 1);
    EXPECT_DOUBLE_EQ(s.cost, 16000.0 / 1500);
    EXPECT_EQ(r.GetPositionVolume(true), 900);

    // Sell the other 900 @ 9: net 8100 - 8.1 = 8091.9; basis 9600 * 1.001 = 9609.6;
    // gain -1517.7; the empty book forgets its cost.
    ASSERT_TRUE(r.Sell(900, Day(20240104), msg, "", 9.0));
    EXPECT_DOUBLE_EQ(r.leftCapital, 90577.4 + 8091.9);
    EXPECT_NEAR(r.trades.at(3).GainLoss, -1517.7, 1e-9);
    EXPECT_NEAR(r.trades.at(3).GLPercent, 8091.9 / 9609.6 - 1, 1e-12);
    EXPECT_EQ(r.trades.at(3).praise, -1);
    EXPECT_EQ(r.CallPos->aveCost, 0);
    EXPECT_TRUE(r.CallPos->holdings.empty());
}

TEST(TrainingRecordTest, ShortSaleFreezesMarginAndCoversReleaseIt) {
    CTrainingRecord r = MakeRecord(100000, 0.001);
    std::string msg;
    // Short 1000 @ 20: margin 20000 frozen, fee 20 paid from cash.
    ASSERT_TRUE(r.ShortSell(1000, Day(20240102), msg, "做空", 20.0));
    EXPECT_DOUBLE_EQ(r.FrozenCapital, 20000);
    EXPECT_DOUBLE_EQ(r.leftCapital, 99980);
    EXPECT_EQ(r.trades.at(0).opdir, -1);
    EXPECT_EQ(r.trades.at(0).bsdir, 1);
    EXPECT_DOUBLE_EQ(r.trades.at(0).cost, 20);
    EXPECT_DOUBLE_EQ(r.trades.at(0).commit, 20);

    // Cover 400 @ 18: basis 8000, fee 7.2; cash += 2 * 400 - 7.2 = 792.8; margin 12000.
    // Gain 0.999 * 8000 - 7200 - 7.2 = 784.8; percent 1 - 7207.2 / 7992.
    ASSERT_TRUE(r.CoverShort(400, Day(20240103), msg, "", 18.0));
    EXPECT_DOUBLE_EQ(r.leftCapital, 100772.8);
    EXPECT_DOUBLE_EQ(r.FrozenCapital, 12000);
    EXPECT_NEAR(r.trades.at(1).GainLoss, 784.8, 1e-9);
    EXPECT_NEAR(r.trades.at(1).GLPercent, 1 - 7207.2 / 7992, 1e-12);
    EXPECT_EQ(r.trades.at(1).praise, 1);
    EXPECT_DOUBLE_EQ(r.trades.at(1).Turnover, 7200);

    // Cover 600 @ 22: fee 13.2; cash += -2 * 600 - 13.2; margin released to 0.
    // Gain 0.999 * 12000 - 13200 - 13.2 = -1225.2.
    ASSERT_TRUE(r.CoverShort(600, Day(20240104), msg, "", 22.0));
    EXPECT_DOUBLE_EQ(r.leftCapital, 100772.8 - 1213.2);
    EXPECT_EQ(r.FrozenCapital, 0);
    EXPECT_NEAR(r.trades.at(2).GainLoss, -1225.2, 1e-9);
    EXPECT_EQ(r.trades.at(2).praise, -1);
    EXPECT_EQ(r.PutPos->aveCost, 0);
}

TEST(TrainingRecordTest, RefusalsCarryTheirTextsAndChangeNothing) {
    CTrainingRecord r = MakeRecord(1000, 0);
    std::string msg;

    // A shortfall up to one cent is accepted.
    ASSERT_TRUE(r.Buy(1, Day(20240102), msg, true, "", 1000.005));
    EXPECT_NEAR(r.leftCapital, -0.005, 1e-9);

    CTrainingRecord q = MakeRecord(1000, 0);
    EXPECT_FALSE(q.Buy(1, Day(20240102), msg, true, "", 1000.02));
    EXPECT_EQ(msg, "资金不够");
    msg.clear();
    EXPECT_FALSE(q.ShortSell(1, Day(20240102), msg, "", 1000.02));
    EXPECT_EQ(msg, "剩余资金不够融券!!");
    msg.clear();
    EXPECT_FALSE(q.Sell(1, Day(20240102), msg, "", 10));
    EXPECT_EQ(msg, kLongT1);
    msg.clear();
    EXPECT_FALSE(q.CoverShort(1, Day(20240102), msg, "", 10));
    EXPECT_EQ(msg, kShortT1);
    EXPECT_EQ(q.leftCapital, 1000);
    EXPECT_EQ(q.FrozenCapital, 0);
    EXPECT_TRUE(q.trades.empty());

    // Frozen margin is not free cash.
    ASSERT_TRUE(q.ShortSell(60, Day(20240102), msg, "", 10));
    msg.clear();
    EXPECT_FALSE(q.Buy(50, Day(20240102), msg, true, "", 10));
    EXPECT_EQ(msg, "资金不够");

    // A volume of zero or less is refused silently.
    msg = "unchanged";
    EXPECT_FALSE(q.Buy(0, Day(20240102), msg, true, "", 1));
    EXPECT_FALSE(q.Sell(-5, Day(20240102), msg, "", 1));
    EXPECT_FALSE(q.ShortSell(0, Day(20240102), msg, "", 1));
    EXPECT_FALSE(q.CoverShort(0, Day(20240102), msg, "", 1));
    EXPECT_EQ(msg, "unchanged");

    // A price that is not a positive number is refused, with its text, before any other
    // check: the short position of 0102 could be covered on 0103 at a real price.
    for (double bad : {0.0, -10.0, std::nan(""), HUGE_VAL}) {
        SCOPED_TRACE(bad);
        for (int op = 0; op < 4; ++op) {
            msg.clear();
            bool placed = op == 0   ? q.Buy(1, Day(20240103), msg, true, "", bad)
                          : op == 1 ? q.Sell(1, Day(20240103), msg, "", bad)
                          : op == 2 ? q.ShortSell(1, Day(20240103), msg, "", bad)
                                    : q.CoverShort(1, Day(20240103), msg, "", bad);
            EXPECT_FALSE(placed) << "operation " << op;
            EXPECT_EQ(msg, CTrainingRecord::kRefusedPrice) << "operation " << op;
        }
    }
    EXPECT_DOUBLE_EQ(q.leftCapital, 1000);
    EXPECT_DOUBLE_EQ(q.FrozenCapital, 600);
    EXPECT_EQ(q.trades.size(), 1u);
    EXPECT_TRUE(q.CoverShort(1, Day(20240103), msg, "", 10));
}

TEST(TrainingRecordTest, AnOrderPastTheLargestBookIsRefusedWithItsText) {
    // Cash for far more shares than a book can count, at a price of one cent.
    CTrainingRecord r = MakeRecord(1e12, 0);
    std::string msg;
    ASSERT_TRUE(r.Buy(2147483000, Day(20240102), msg, true, "", 0.01));
    ASSERT_TRUE(r.ShortSell(2147483000, Day(20240102), msg, "", 0.01));
    const double cash = r.leftCapital, frozen = r.FrozenCapital;
    msg.clear();
    EXPECT_FALSE(r.Buy(1000, Day(20240103), msg, true, "", 0.01));
    EXPECT_EQ(msg, CTrainingRecord::kRefusedBookFull);
    msg.clear();
    EXPECT_FALSE(r.ShortSell(1000, Day(20240103), msg, "", 0.01));
    EXPECT_EQ(msg, CTrainingRecord::kRefusedBookFull);
    EXPECT_EQ(r.GetPositionVolume(true), 2147483000);
    EXPECT_EQ(r.GetPositionVolume(false), 2147483000);
    EXPECT_EQ(r.leftCapital, cash);
    EXPECT_EQ(r.FrozenCapital, frozen);
    EXPECT_EQ(r.trades.size(), 2u);
}

TEST(TrainingRecordTest, TPlusOneClosesOnlyEarlierHoldingsTPlusZeroAll) {
    for (int t0 : {0, 1}) {
        SCOPED_TRACE(t0);
        CTrainingRecord r = MakeRecord(1000000, 0, t0);
        std::string msg;
        ASSERT_TRUE(r.Buy(1000, Day(20240102), msg, true, "", 10));
        ASSERT_TRUE(r.Buy(500, Day(20240103), msg, true, "", 10));
        ASSERT_TRUE(r.ShortSell(300, Day(20240103), msg, "", 10));
        EXPECT_EQ(r.CallPos->GetClosableVolume(20240103, t0), t0 ? 1500 : 1000);
        EXPECT_EQ(r.PutPos->GetClosableVolume(20240103, t0), t0 ? 300 : 0);

        msg.clear();
        EXPECT_EQ(r.Sell(1200, Day(20240103), msg, "", 10), t0 == 1);
        EXPECT_EQ(msg, t0 ? "" : kLongT1);
        msg.clear();
        EXPECT_EQ(r.CoverShort(300, Day(20240103), msg, "", 10), t0 == 1);
        EXPECT_EQ(msg, t0 ? "" : kShortT1);
        if (t0) {
            // First in, first out: the 0102 holding goes, 200 come from 0103.
            ASSERT_EQ(r.CallPos->holdings.size(), 1u);
            EXPECT_EQ(r.CallPos->holdings[0], (PositionHolding{300, 20240103}));
            msg.clear();
            EXPECT_FALSE(r.Sell(301, Day(20240103), msg, "", 10));
            EXPECT_EQ(msg, kLongT0);
            msg.clear();
            EXPECT_FALSE(r.CoverShort(1, Day(20240103), msg, "", 10));
            EXPECT_EQ(msg, kShortT0);
        } else {
            // The next day everything is closable.
            EXPECT_TRUE(r.Sell(1500, Day(20240104), msg, "", 10));
            EXPECT_TRUE(r.CoverShort(300, Day(20240104), msg, "", 10));
        }
    }
}

TEST(TrainingRecordTest, MaxBuyVolumeCountsFeeAndFrozenMargin) {
    CTrainingRecord r = MakeRecord(100000, 0.001);
    // 100000 / 1.001 / 10 = 9990.0099..
    EXPECT_EQ(r.GetMaxBuyVolume(10), 9990);
    EXPECT_EQ(r.GetMaxBuyVolume(0), 0);
    std::string msg;
    // Margin 50000 frozen, fee 50: free 49950 / 1.001 / 10 = 4990.0099..
    ASSERT_TRUE(r.ShortSell(5000, Day(20240102), msg, "", 10));
    EXPECT_EQ(r.GetMaxBuyVolume(10), 4990);
}

TEST(TrainingRecordTest, AssetCurveKeepsOnePointPerDateInOrder) {
    CTrainingRecord r = MakeRecord(100000, 0);
    r.StartDate = 20240102;
    r.AddStartAssetPoint();
    std::string msg;
    ASSERT_TRUE(r.Buy(1000, Day(20240102), msg, true, "", 10));
    ASSERT_TRUE(r.ShortSell(500, Day(20240102), msg, "", 10));
    // 1000 * 11 + 90000 + 5000 - 500 * 11 = 100500
    r.UpdateAsset(20240104, 11);
    EXPECT_EQ(r.assets.size(), 2u);
    r.UpdateAsset(20240103, 9);   // 9000 + 95000 - 4500 = 99500, inserted before 0104
    r.UpdateAsset(20240104, 12);  // overwrites: 12000 + 95000 - 6000 = 101000
    ASSERT_EQ(r.assets.size(), 3u);
    EXPECT_EQ(r.assets[0].date, 20240102u);
    EXPECT_EQ(r.assets[0].asset, 100000);
    EXPECT_EQ(r.assets[1].date, 20240103u);
    EXPECT_DOUBLE_EQ(r.assets[1].asset, 99500);
    EXPECT_EQ(r.assets[2].date, 20240104u);
    EXPECT_DOUBLE_EQ(r.assets[2].asset, 101000);
}

TEST(TrainingRecordTest, StatusTextsAndCloseTradeStats) {
    CTrainingRecord r;
    const char* expected[] = {"开始", "进行中", "已结束", ""};
    for (int s = 0; s < 4; ++s) {
        r.TrainStatus = s;
        EXPECT_STREQ(r.GetStatusText(), expected[s]);
    }

    auto closing = [](double gain, double pct) {
        TradeDetailItem t;
        t.bsdir = -1;
        t.GainLoss = gain;
        t.GLPercent = pct;
        return t;
    };
    TradeDetailItem opening;
    opening.bsdir = 1;
    opening.GainLoss = 999;
    r.trades = {opening,           closing(50, 0.05), closing(-30, -0.03), closing(80, 0.08),
                closing(80, 0.09), closing(0, 0),     closing(-40, -0.04)};
    CloseTradeStats stats;
    r.GetCloseTradeStats(stats);
    EXPECT_EQ(stats.count, 6);
    EXPECT_EQ(stats.winCount, 3);
    EXPECT_EQ(stats.maxGain, 80);
    EXPECT_DOUBLE_EQ(stats.maxGainPercent, 8);  // first of the tied best
    EXPECT_EQ(stats.lossCount, 3);              // a zero result counts as a loss
    EXPECT_EQ(stats.maxLoss, -40);
    EXPECT_DOUBLE_EQ(stats.maxLossPercent, -4);
}

}  // namespace
