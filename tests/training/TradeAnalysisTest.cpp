// The trade analysis worked out by hand: the index a session is compared with, the bars of
// its period, candle colours, the preview's range and slots, the marks of a day's trades,
// and the same-period ratios with their base rule.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "training/TradeAnalysis.h"

namespace {

TradeDetailItem Trade(int32_t date, int32_t time, int opdir, int bsdir) {
    TradeDetailItem t;
    t.TradeDate = date;
    t.TradeTime = time;
    t.opdir = int8_t(opdir);
    t.bsdir = int8_t(bsdir);
    return t;
}

AnalysisBar Bar(uint32_t date, double open, double high, double low, double close) {
    return {date, open, high, low, close};
}

// Five trading days around a weekend, 20150105..20150112 without the 10th and 11th.
std::vector<AnalysisBar> Week() {
    return {Bar(20150105, 10.0, 10.6, 9.8, 10.5), Bar(20150106, 10.5, 10.7, 10.1, 10.2),
            Bar(20150107, 10.2, 10.2, 9.5, 10.0), Bar(20150108, 10.0, 10.4, 9.9, 10.0),
            Bar(20150109, 10.0, 11.0, 10.0, 10.8), Bar(20150112, 10.8, 10.9, 10.3, 10.4)};
}

TEST(TradeTimeLess, OrdersByDateThenTimeAndIsStrict) {
    const TradeTimeLess less;
    const TradeDetailItem morning = Trade(20150105, 935, 1, 1);
    const TradeDetailItem afternoon = Trade(20150105, 1402, 1, -1);
    const TradeDetailItem nextDay = Trade(20150106, 0, 1, 1);
    EXPECT_TRUE(less(morning, afternoon));
    EXPECT_FALSE(less(afternoon, morning));
    EXPECT_TRUE(less(afternoon, nextDay)) << "a later date wins over any time of day";
    EXPECT_FALSE(less(morning, morning));
    const TradeDetailItem twin = Trade(20150105, 935, -1, -1);
    EXPECT_FALSE(less(morning, twin));
    EXPECT_FALSE(less(twin, morning)) << "equal date and time are equivalent";
    // Unsigned arithmetic: the largest date does not overflow into a small key.
    EXPECT_TRUE(less(morning, Trade(2147483647, 2359, 1, 1)));
}

TEST(SamePeriodIndex, ShanghaiAgainst000001AndEverythingElseAgainst399001) {
    struct Case {
        CIndSecuCode security;
        CIndSecuCode index;
    } cases[] = {
        {CIndSecuCode(1, "600036"), CIndSecuCode(1, "000001")},
        {CIndSecuCode(1, "000001"), CIndSecuCode(1, "000001")},
        {CIndSecuCode(2, "000002"), CIndSecuCode(2, "399001")},
        {CIndSecuCode(2, "300750"), CIndSecuCode(2, "399001")},
        {CIndSecuCode(0, ""), CIndSecuCode(2, "399001")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SamePeriodIndexCode(c.security), c.index) << c.security.m_strCode;
}

TEST(BarsInDates, TakesTheBarsOfThePeriodAndNeverOneAfterIt) {
    const std::vector<AnalysisBar> bars = Week();
    struct Case {
        uint32_t from, to;
        size_t begin, end;
    } cases[] = {
        {20150105, 20150112, 0, 6},  // the whole week
        {20150106, 20150108, 1, 4},  // trading days at both ends
        {20150104, 20150107, 0, 3},  // a Sunday start snaps forward
        {20150106, 20150110, 1, 5},  // a Saturday end keeps Friday, not Monday
        {20150106, 20150301, 1, 6},  // past the newest bar: the newest bar ends it
        {20150201, 20150301, 6, 6},  // nothing held from the start on
        {20150108, 20150106, 3, 3},  // reversed dates: nothing
    };
    for (const Case& c : cases) {
        const BarSpan span = BarsInDates(bars, c.from, c.to);
        EXPECT_EQ(span.begin, c.begin) << c.from << "-" << c.to;
        EXPECT_EQ(span.end, c.end) << c.from << "-" << c.to;
    }
    EXPECT_TRUE(BarsInDates({}, 20150101, 20151231).empty());
}

TEST(PreviewBars, FallingWhenBelowTheOpenOrFlatBelowThePreviousClose) {
    const std::vector<AnalysisBar> bars = Week();
    EXPECT_FALSE(IsFallingBar(bars, 0));  // 10.0 -> 10.5
    EXPECT_TRUE(IsFallingBar(bars, 1));   // 10.5 -> 10.2
    EXPECT_TRUE(IsFallingBar(bars, 2));   // 10.2 -> 10.0
    EXPECT_FALSE(IsFallingBar(bars, 3)) << "flat at the previous close (10.0) rises";
    std::vector<AnalysisBar> flat = {Bar(1, 10, 10, 10, 10.5), Bar(2, 10.2, 10.3, 10.1, 10.2),
                                     Bar(3, 10.4, 10.4, 10.4, 10.4)};
    EXPECT_TRUE(IsFallingBar(flat, 1)) << "flat below the previous close (10.5) falls";
    EXPECT_FALSE(IsFallingBar(flat, 2)) << "flat above the previous close rises";
    EXPECT_FALSE(IsFallingBar({Bar(1, 5, 5, 5, 5)}, 0)) << "the first bar compares with its own open";
    EXPECT_FALSE(IsFallingBar(flat, 7)) << "outside the array: nothing";
}

TEST(PreviewRange, HighAndLowOfThePeriodWithBaseAndReference) {
    const std::vector<AnalysisBar> bars = Week();
    ValueRange range;
    ASSERT_TRUE(CalcPreviewRange(bars, BarSpan{1, 4}, range));
    EXPECT_DOUBLE_EQ(range.max, 10.7);
    EXPECT_DOUBLE_EQ(range.min, 9.5);
    EXPECT_DOUBLE_EQ(range.base, 10.5) << "the first bar's open";
    EXPECT_DOUBLE_EQ(range.reference, 10.5) << "the close before the first bar";
    ASSERT_TRUE(CalcPreviewRange(bars, BarSpan{0, 2}, range));
    EXPECT_DOUBLE_EQ(range.reference, 10.0) << "no bar before: its own open";

    std::vector<AnalysisBar> still = {Bar(1, 3, 3, 3, 3), Bar(2, 3, 3, 3, 3)};
    ASSERT_TRUE(CalcPreviewRange(still, BarSpan{0, 2}, range));
    EXPECT_DOUBLE_EQ(range.min, 3);
    EXPECT_DOUBLE_EQ(range.max, 3.0001) << "a flat period is widened";

    ValueRange untouched;
    EXPECT_FALSE(CalcPreviewRange(bars, BarSpan{6, 6}, untouched));
    EXPECT_FALSE(CalcPreviewRange(bars, BarSpan{9, 12}, untouched))
        << "a span past the bars is empty";
    EXPECT_DOUBLE_EQ(untouched.max, 1.5);
    EXPECT_DOUBLE_EQ(untouched.min, 0.5);
}

TEST(PreviewSlots, TwentyAtLeastWithFivePercentSpare) {
    EXPECT_EQ(SlotCount(0), 20);
    EXPECT_EQ(SlotCount(10), 20);
    EXPECT_EQ(SlotCount(19), 20);
    EXPECT_EQ(SlotCount(40), 42);
    EXPECT_EQ(SlotCount(100), 105);
    // A plot from 41 to 441: 398 usable pixels, 19.9 per slot of 20.
    EXPECT_EQ(SlotCentreX(41, 441, 20, 0), 51);
    EXPECT_EQ(SlotCentreX(41, 441, 20, 9), 231) << "ten bars fill the left half";
    EXPECT_LT(SlotCentreX(41, 441, 20, 9), (41 + 441) / 2);
    EXPECT_EQ(SlotCentreX(41, 441, 20, 19), 430);
    // 398 / 42 / 2.75 = 3.45: candles 7 pixels wide; 98 / 42 / 2.75 < 1: lines only.
    EXPECT_EQ(CandleHalfWidth(41, 441, 42), 3);
    EXPECT_EQ(CandleHalfWidth(0, 100, 42), 0);
    EXPECT_EQ(CandleHalfWidth(0, 1, 20), 0) << "an empty plot has no candles";
}

TEST(TradeMarks, EveryTradeOfTheDayWhateverItsTimeWithPurchasesUpAndSalesDown) {
    const std::vector<TradeDetailItem> journal = {
        Trade(20150105, 0, 1, 1),      // buy on a daily session
        Trade(20150106, 935, 1, -1),   // minute session: sell the long book
        Trade(20150106, 1030, -1, 1),  // short sale
        Trade(20150106, 1402, -1, -1), // cover
        Trade(20150106, 1455, 1, 1),   // buy again
        Trade(20150108, 1000, 0, 0),   // damaged directions
    };
    const std::vector<TradeMark> first = TradeMarksOfDay(journal, 20150105);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].trade, 0u);
    EXPECT_EQ(first[0].kind, 1);

    const std::vector<TradeMark> busy = TradeMarksOfDay(journal, 20150106);
    ASSERT_EQ(busy.size(), 4u) << "every trade of the day, none at time 0";
    const struct {
        size_t trade;
        int kind, stack;
    } expected[] = {{1, -1, 0}, {2, -1, 1}, {3, 1, 0}, {4, 1, 1}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(busy[i].trade, expected[i].trade) << i;
        EXPECT_EQ(busy[i].kind, expected[i].kind) << "a short sale is a sale, a cover a purchase: " << i;
        EXPECT_EQ(busy[i].stack, expected[i].stack) << i;
    }
    EXPECT_TRUE(TradeMarksOfDay(journal, 20150107).empty());
    EXPECT_TRUE(TradeMarksOfDay(journal, 20150108).empty()) << "no arrow for a damaged item";
    EXPECT_TRUE(TradeMarksOfDay({}, 20150105).empty());
}

TEST(SamePeriodRatios, AssetOverCapitalAndTheIndexDayOverItsBase) {
    const std::vector<AnalysisBar> index = Week();
    // No point on the 7th: that day is left out of both arrays.
    const std::vector<AssetPoint> assets = {{20150105, 1000000}, {20150106, 1010000},
                                            {20150108, 990000},  {20150109, 1050000},
                                            {20150112, 1040000}};
    const SamePeriodRatios r = BuildSamePeriodRatios(index, 20150105, 20150112, assets, 1000000);
    ASSERT_EQ(r.index.size(), 5u);
    ASSERT_EQ(r.asset.size(), 5u);
    EXPECT_EQ(r.dates, (std::vector<uint32_t>{20150105, 20150106, 20150108, 20150109, 20150112}));
    EXPECT_DOUBLE_EQ(r.index[0], 10.5 / 10.0) << "the first day against its open";
    EXPECT_DOUBLE_EQ(r.index[1], 10.2 / 10.5) << "later days against the previous close";
    EXPECT_DOUBLE_EQ(r.index[2], 10.0 / 10.0) << "the 8th against the 7th's close, though the 7th is left out";
    EXPECT_DOUBLE_EQ(r.index[3], 10.8 / 10.0);
    EXPECT_DOUBLE_EQ(r.index[4], 10.4 / 10.8);
    EXPECT_DOUBLE_EQ(r.asset[0], 1.0);
    EXPECT_DOUBLE_EQ(r.asset[1], 1.01);
    EXPECT_DOUBLE_EQ(r.asset[2], 0.99);
    EXPECT_DOUBLE_EQ(r.asset[4], 1.04) << "the account's ratio is cumulative";

    const SamePeriodRatios later = BuildSamePeriodRatios(index, 20150106, 20150112, assets, 1000000);
    ASSERT_EQ(later.index.size(), 4u);
    EXPECT_DOUBLE_EQ(later.index[0], 10.2 / 10.5) << "the first day of the range uses its own open";

    const SamePeriodRatios beyond = BuildSamePeriodRatios(index, 20150109, 20991231, assets, 1000000);
    EXPECT_EQ(beyond.index.size(), 2u) << "a range past the newest bar stops at it";
    EXPECT_TRUE(BuildSamePeriodRatios(index, 20150201, 20150301, assets, 1000000).index.empty())
        << "no index bar from the start on: no ratios";
    const SamePeriodRatios damaged = BuildSamePeriodRatios(index, 20150105, 20150112, assets, 0);
    EXPECT_TRUE(damaged.index.empty());
    EXPECT_TRUE(damaged.asset.empty()) << "a zero capital divides nothing";
}

TEST(SamePeriodRatios, RangeOverBothArraysWidenedWhenFlat) {
    SamePeriodRatios flat;
    flat.asset = {1.0, 1.0};
    flat.index = {1.0, 1.0};
    ValueRange range;
    range.base = 7;
    ASSERT_TRUE(CalcRatioRange(flat, range));
    EXPECT_DOUBLE_EQ(range.min, 1.0);
    EXPECT_DOUBLE_EQ(range.max, 1.0001);
    EXPECT_DOUBLE_EQ(range.base, 1.0);
    SamePeriodRatios mixed;
    mixed.asset = {1.0, 1.2, 0.9};
    mixed.index = {1.01, 0.97, 1.03};
    ASSERT_TRUE(CalcRatioRange(mixed, range));
    EXPECT_DOUBLE_EQ(range.max, 1.2);
    EXPECT_DOUBLE_EQ(range.min, 0.9);
    ValueRange untouched;
    EXPECT_FALSE(CalcRatioRange(SamePeriodRatios{}, untouched));
    EXPECT_DOUBLE_EQ(untouched.max, 1.5);
    EXPECT_DOUBLE_EQ(untouched.min, 0.5);
}

TEST(AnalysisTexts, NoMinusSignOnAZeroAmount) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {{-0.0, 2, "0.00"},   {-0.001, 2, "0.00"}, {-0.004, 2, "0.00"}, {0, 2, "0.00"},
                 {-1.5, 2, "-1.50"},  {-0.01, 2, "-0.01"}, {12.345, 1, "12.3"}, {-0.04, 1, "0.0"},
                 {-0.06, 1, "-0.1"}, {1234.4, 0, "1234"}};
    for (const auto& c : cases) EXPECT_EQ(FormatUnsignedZero(c.value, c.decimals), c.text) << c.value;
}

}  // namespace
