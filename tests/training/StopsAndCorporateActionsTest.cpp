// Stop-profit and stop-loss, dividends, bonus shares and rights issues.

#include <gtest/gtest.h>

#include "training/TrainingRecord.h"

namespace {

constexpr int64_t Day(int32_t yyyymmdd) {
    return static_cast<int64_t>(yyyymmdd) * 10000;
}

CTrainingRecord MakeRecord(double capital, double rate = 0, int32_t t0 = 0) {
    return CTrainingRecord(nullptr, CIndSecuCode(2, "000001"), t0, 1, 0, 0, 1, capital, "平安银行",
                           rate);
}

void SetDayBar(CTrainingRecord& r, int32_t date, double close) {
    r.dataType = 4;
    r.quoteTime = date;
    r.price = close;
}

struct StopCase {
    const char* what;
    bool isLong;
    double close;
    bool isProfit;
    bool fires;
    const char* comment;
};

TEST(StopProfitLossTest, ThresholdsOnBothSides) {
    // Cost 10 on either side; stop-profit 10 %, stop-loss 5 %.
    const StopCase cases[] = {
        {"long above profit level", true, 11.5, true, true, "10.00% 止盈"},
        {"long below profit level", true, 10.9, true, false, ""},
        {"long below loss level", true, 9.4, false, true, "5.00% 止损"},
        {"long above loss level", true, 9.6, false, false, ""},
        {"long gain is no loss", true, 11.5, false, false, ""},
        {"short above profit level", false, 8.5, true, true, "10.00% 止盈"},
        {"short below profit level", false, 9.2, true, false, ""},
        {"short below loss level", false, 10.6, false, true, "5.00% 止损"},
        {"short above loss level", false, 10.4, false, false, ""},
    };
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.what);
        CTrainingRecord r = MakeRecord(100000);
        r.zy = 0.10;
        r.zs = 0.05;
        std::string msg;
        ASSERT_TRUE(c.isLong ? r.Buy(1000, Day(20240102), msg, true, "", 10)
                             : r.ShortSell(1000, Day(20240102), msg, "", 10));
        SetDayBar(r, 20240103, c.close);
        EXPECT_EQ(r.CheckStopProfitLoss(c.isProfit), c.fires);
        if (!c.fires) {
            EXPECT_EQ(r.trades.size(), 1u);
            continue;
        }
        ASSERT_EQ(r.trades.size(), 2u);
        const TradeDetailItem& t = r.trades[1];
        EXPECT_EQ(t.bsdir, -1);
        EXPECT_EQ(t.opdir, c.isLong ? 1 : -1);
        EXPECT_EQ(t.vol, 1000);
        EXPECT_EQ(t.TradeDate, 20240103);
        EXPECT_EQ(t.TradePrice, c.close);
        EXPECT_EQ(t.comment, c.comment);
        EXPECT_EQ(r.GetPositionVolume(true) + r.GetPositionVolume(false), 0);
        EXPECT_EQ(r.FrozenCapital, 0);
    }
}

TEST(StopProfitLossTest, OffLevelsAndTPlusOneHoldingsDoNotFire) {
    CTrainingRecord r = MakeRecord(100000);
    std::string msg;
    ASSERT_TRUE(r.Buy(1000, Day(20240102), msg, true, "", 10));
    SetDayBar(r, 20240103, 5);
    r.zs = 0;
    EXPECT_FALSE(r.CheckStopProfitLoss(false));
    r.zs = 0.05;
    // Bought today under T+1: nothing is closable yet.
    SetDayBar(r, 20240102, 5);
    EXPECT_FALSE(r.CheckStopProfitLoss(false));
    EXPECT_EQ(r.GetPositionVolume(true), 1000);

    // A bar without trades (close 0) is no price to stop out at.
    SetDayBar(r, 20240103, 0);
    EXPECT_FALSE(r.CheckStopProfitLoss(false));
    EXPECT_EQ(r.GetPositionVolume(true), 1000);

    CTrainingRecord empty = MakeRecord(100000);
    empty.zy = empty.zs = 0.01;
    SetDayBar(empty, 20240103, 5);
    EXPECT_FALSE(empty.CheckStopProfitLoss(true));
    EXPECT_FALSE(empty.CheckStopProfitLoss(false));
}

TEST(StopProfitLossTest, MinuteBarsOrderAtTheBarsTime) {
    // Long 1000 @ 10 and short 1000 @ 12 make r = (0.1667 * 1000 + 0.3 * 1000) / 2000 with
    // the close at 13: short return (12000 - 13000) / 12000, long return 0.3.
    CTrainingRecord r = MakeRecord(100000);
    std::string msg;
    ASSERT_TRUE(r.Buy(1000, 202401021000, msg, true, "", 10));
    ASSERT_TRUE(r.ShortSell(1000, 202401021000, msg, "", 12));
    r.zy = 0.1;
    r.dataType = 3;
    r.quoteTime = 202401031030;
    r.price = 13;
    // (-1/12 + 0.3) / 2 = 0.10833 > 0.1
    ASSERT_TRUE(r.CheckStopProfitLoss(true));
    ASSERT_EQ(r.trades.size(), 4u);
    EXPECT_EQ(r.trades[2].opdir, -1);  // the cover goes first
    EXPECT_EQ(r.trades[3].opdir, 1);
    EXPECT_EQ(r.trades[3].TradeDate, 20240103);
    EXPECT_EQ(r.trades[3].TradeTime, 1030);
    // Cash: 100000 - 10000 + (12 - 13) * 1000 + 13000 = 102000.
    EXPECT_DOUBLE_EQ(r.leftCapital, 102000);
}

TEST(CorporateActionTest, CashDividendByHoldingPeriod) {
    CTrainingRecord r = MakeRecord(1000000);
    std::string msg;
    // Ex-date 20240315: held over a year (0211 of 2023), 100 days (1206), and three days
    // within the ex-date's month (0312).
    ASSERT_TRUE(r.Buy(1000, Day(20230211), msg, true, "", 10));
    ASSERT_TRUE(r.Buy(1000, Day(20231206), msg, true, "", 10));
    ASSERT_TRUE(r.Buy(1000, Day(20240312), msg, true, "", 10));
    ASSERT_DOUBLE_EQ(r.leftCapital, 970000);
    r.ApplyCashDividend(20240315, 1.0);
    // 1000 * 1 + 1000 * 0.9 + 1000 * 0.8 = 2700 credited.
    EXPECT_DOUBLE_EQ(r.leftCapital, 972700);
    // The book remembers what it really received per share: 2700 / 3000.
    EXPECT_DOUBLE_EQ(r.CallPos->avehl, 0.9);

    // Sold at cost, the recorded gain is exactly the cash the session made.
    ASSERT_TRUE(r.Sell(3000, Day(20240318), msg, "", 10));
    EXPECT_NEAR(r.trades.back().GainLoss, 2700, 1e-9);
    EXPECT_NEAR(r.trades.back().GLPercent, 0.09, 1e-12);
    EXPECT_NEAR(r.leftCapital - r.InitCapital, 2700, 1e-9);
}

TEST(CorporateActionTest, ShortBookPaysTheDividendWhenItCovers) {
    CTrainingRecord r = MakeRecord(100000);
    std::string msg;
    ASSERT_TRUE(r.ShortSell(1000, Day(20240102), msg, "", 10));
    r.ApplyCashDividend(20240110, 0.5);
    EXPECT_EQ(r.leftCapital, 100000);
    EXPECT_DOUBLE_EQ(r.PutPos->avehl, 0.5);
    ASSERT_TRUE(r.CoverShort(1000, Day(20240111), msg, "", 10));
    // Covered at cost: the 500 of dividend is the whole loss.
    EXPECT_DOUBLE_EQ(r.leftCapital, 99500);
    EXPECT_DOUBLE_EQ(r.trades.back().GainLoss, -500);
    EXPECT_NEAR(r.trades.back().GLPercent, -0.05, 1e-12);
}

TEST(CorporateActionTest, SharesAddedAfterTheExDateCarryNoDividend) {
    std::string msg;
    // Short 1000 @ 10, a dividend of 0.5 owed on them, then 1000 more shorted after the
    // ex-date: the cover owes 500, not 0.5 on all 2000 shares.
    CTrainingRecord s = MakeRecord(100000);
    ASSERT_TRUE(s.ShortSell(1000, Day(20240102), msg, "", 10));
    s.ApplyCashDividend(20240110, 0.5);
    ASSERT_TRUE(s.ShortSell(1000, Day(20240111), msg, "", 10));
    EXPECT_DOUBLE_EQ(s.PutPos->avehl, 0.25);
    ASSERT_TRUE(s.CoverShort(2000, Day(20240112), msg, "", 10));
    EXPECT_DOUBLE_EQ(s.leftCapital, 99500);
    EXPECT_EQ(s.FrozenCapital, 0);
    EXPECT_DOUBLE_EQ(s.trades.back().GainLoss, -500);

    // Long 1000 @ 10 held 73 days: 0.9 of a 1.0 dividend, 900 in cash. 1000 more bought
    // after the ex-date and everything sold at cost: the recorded gain is the 900.
    CTrainingRecord l = MakeRecord(100000);
    ASSERT_TRUE(l.Buy(1000, Day(20240102), msg, true, "", 10));
    l.ApplyCashDividend(20240315, 1.0);
    ASSERT_DOUBLE_EQ(l.leftCapital, 90900);
    ASSERT_TRUE(l.Buy(1000, Day(20240318), msg, true, "", 10));
    EXPECT_DOUBLE_EQ(l.CallPos->avehl, 0.45);
    ASSERT_TRUE(l.Sell(2000, Day(20240319), msg, "", 10));
    EXPECT_DOUBLE_EQ(l.leftCapital, 100900);
    EXPECT_NEAR(l.trades.back().GainLoss, 900, 1e-9);
    EXPECT_NEAR(l.trades.back().GLPercent, 0.045, 1e-12);
}

TEST(CorporateActionTest, BonusSharesFollowTheirHoldings) {
    CTrainingRecord r = MakeRecord(100000);
    std::string msg;
    ASSERT_TRUE(r.Buy(100, Day(20240102), msg, true, "", 10));
    ASSERT_TRUE(r.Buy(200, Day(20240103), msg, true, "", 10));
    r.ApplyCashDividend(20240104, 0.3);  // avehl 0.3 * 0.8
    r.ApplyShareBonus(0.5);
    ASSERT_EQ(r.CallPos->holdings.size(), 2u);
    EXPECT_EQ(r.CallPos->holdings[0], (PositionHolding{150, 20240102}));
    EXPECT_EQ(r.CallPos->holdings[1], (PositionHolding{300, 20240103}));
    EXPECT_DOUBLE_EQ(r.CallPos->aveCost, 10 / 1.5);
    EXPECT_DOUBLE_EQ(r.CallPos->avehl, 0.24 / 1.5);

    // Whole shares only: 101 and 203 with 0.5 give 50 and 101, and the newest holding
    // takes the share that trunc(304 * 0.5) = 152 leaves over.
    CTrainingRecord q = MakeRecord(100000);
    ASSERT_TRUE(q.Buy(101, Day(20240102), msg, true, "", 10));
    ASSERT_TRUE(q.Buy(203, Day(20240103), msg, true, "", 10));
    q.ApplyShareBonus(0.5);
    EXPECT_EQ(q.CallPos->holdings[0].pos, 151);
    EXPECT_EQ(q.CallPos->holdings[1].pos, 305);
    EXPECT_EQ(q.GetPositionVolume(true), 456);
    // Under T+1 on 0103 the bonus of the older holding is closable with it.
    EXPECT_EQ(q.CallPos->GetClosableVolume(20240103, false), 151);
}

TEST(CorporateActionTest, LastCoverAfterBonusReleasesAllMargin) {
    CTrainingRecord r = MakeRecord(100000);
    std::string msg;
    // Short 301 @ 10: margin 3010. Bonus 0.5: 451 shares at 10 / 1.5.
    ASSERT_TRUE(r.ShortSell(301, Day(20240102), msg, "", 10));
    r.ApplyShareBonus(0.5);
    ASSERT_EQ(r.GetPositionVolume(false), 451);
    ASSERT_TRUE(r.CoverShort(451, Day(20240103), msg, "", 6));
    // Sold 301 for 3010, bought 451 back for 2706: 304 made, nothing left frozen.
    EXPECT_EQ(r.FrozenCapital, 0);
    EXPECT_NEAR(r.leftCapital, 100304, 1e-9);
}

TEST(CorporateActionTest, RightsIssueBuysWithoutAJournalEntry) {
    CTrainingRecord r = MakeRecord(20000, 0.001);
    std::string msg;
    ASSERT_TRUE(r.Buy(1000, Day(20240102), msg, true, "", 10));  // cash 20000 - 10010
    // 0.3 per share at 5: 300 shares, 1500 + fee 1.5.
    EXPECT_TRUE(r.BuyRightsIssue(20240320, msg, 0.3, 5));
    EXPECT_TRUE(msg.empty());
    EXPECT_DOUBLE_EQ(r.leftCapital, 20000 - 10010 - 1501.5);
    EXPECT_EQ(r.GetPositionVolume(true), 1300);
    EXPECT_EQ(r.CallPos->holdings.back(), (PositionHolding{300, 20240320}));
    EXPECT_DOUBLE_EQ(r.CallPos->aveCost, 11500.0 / 1300);
    EXPECT_EQ(r.trades.size(), 1u);

    // Not enough cash: refused with the purchase's text.
    EXPECT_FALSE(r.BuyRightsIssue(20240401, msg, 10, 5));
    EXPECT_EQ(msg, "资金不够");

    CTrainingRecord none = MakeRecord(20000);
    msg.clear();
    EXPECT_TRUE(none.BuyRightsIssue(20240320, msg, 0.3, 5));
    EXPECT_EQ(none.leftCapital, 20000);
}

}  // namespace
