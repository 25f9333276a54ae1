// The cells of the asset report's trade details: texts, colours and fonts of the ten
// columns, opening against closing trades, and dates hidden while a session runs.
#include <gtest/gtest.h>

#include <string>

#include "training/TrainingRecord.h"
#include "training/wnd/TradeDetailGrid.h"

namespace {

constexpr COLORREF kRed = RGB(255, 77, 77);
constexpr COLORREF kGreen = RGB(77, 255, 77);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kDate = RGB(208, 177, 120);

TradeDetailItem Opening() {
    TradeDetailItem t;
    t.TradeDate = 20150309;
    t.opdir = 1;
    t.bsdir = 1;
    t.TradePrice = 10.5;
    t.cost = 10.5105;
    t.vol = 1000;
    t.Turnover = 10500;
    t.commit = 10.5;
    t.comment = "均线金叉";
    return t;
}

TradeDetailItem Closing(double gain, double percent) {
    TradeDetailItem t = Opening();
    t.opdir = -1;
    t.bsdir = -1;
    t.GainLoss = gain;
    t.GLPercent = percent;
    t.comment.clear();
    return t;
}

TEST(TradeDetailsGrid, TenColumnsWithTheirTitlesAndWidths) {
    const char* titles[] = {"成交日期", "操作", "成交价", "平均成本价", "成交股数", "盈亏", "盈亏比", "成交金额", "手续费", "交易理由"};
    const int widths[] = {86, 48, 53, 100, 96, 80, 69, 68, 68, 100};
    for (int c = 0; c < kTradeDetailColumns; ++c) {
        EXPECT_STREQ(TradeDetailColumnTitle(c), titles[c]);
        EXPECT_EQ(TradeDetailColumnWidth(c), widths[c]);
    }
    EXPECT_STREQ(TradeDetailColumnTitle(10), "");
}

TEST(TradeDetailsGrid, AnOpeningTradeInEveryColumn) {
    CTrainingRecord record;
    record.TrainStatus = kTrainStatusEnded;
    const TradeDetailItem t = Opening();
    const struct {
        int column;
        const char* text;
        COLORREF colour, selected;
        bool times;
    } cases[] = {
        {0, "20150309", kDate, kWhite, true},  // the raw yyyymmdd number
        {1, "多开", kRed, kRed, false},
        {2, "10.50", kWhite, kWhite, true},
        {3, "10.51", kWhite, kWhite, true},
        {4, "1000", kWhite, kWhite, true},
        {5, "-", kWhite, kWhite, true},
        {6, "-", kWhite, kWhite, false},
        {7, "10500.00", kWhite, kWhite, true},
        {8, "10.50", kWhite, kWhite, true},
        {9, "均线金叉", kDate, kWhite, true},
    };
    for (const auto& c : cases) {
        const TradeDetailCell cell = MakeTradeDetailCell(record, t, c.column);
        EXPECT_EQ(cell.text, c.text) << c.column;
        EXPECT_EQ(cell.colour, c.colour) << c.column;
        EXPECT_EQ(cell.selectedColour, c.selected) << c.column;
        EXPECT_EQ(cell.timesFont, c.times) << c.column;
    }
}

TEST(TradeDetailsGrid, ClosingTradesAreRedOnlyForAGain) {
    CTrainingRecord record;
    const struct {
        double gain, percent;
        const char *gainText, *percentText;
        COLORREF colour;
    } cases[] = {
        {525, 0.0525, "525.00", "5.25%", kRed},
        {0, 0, "0.00", "0.00%", kGreen},  // no gain is drawn green
        {-310.2, -0.031, "-310.20", "-3.10%", kGreen},
    };
    for (const auto& c : cases) {
        const TradeDetailItem t = Closing(c.gain, c.percent);
        const TradeDetailCell gain = MakeTradeDetailCell(record, t, 5);
        const TradeDetailCell percent = MakeTradeDetailCell(record, t, 6);
        EXPECT_EQ(gain.text, c.gainText);
        EXPECT_EQ(percent.text, c.percentText);
        EXPECT_EQ(gain.colour, c.colour) << c.gain;
        EXPECT_EQ(gain.selectedColour, c.colour) << c.gain;
        EXPECT_EQ(percent.colour, c.colour) << c.gain;
    }
    EXPECT_EQ(MakeTradeDetailCell(record, Closing(1, 0.1), 1).text, "空平");
    EXPECT_EQ(MakeTradeDetailCell(record, Closing(1, 0.1), 1).colour, kGreen);
}

TEST(TradeDetailsGrid, HiddenDatesStayHiddenWhileTheSessionRuns) {
    CTrainingRecord record;
    record.hideDate = 1;
    for (int status : {kTrainStatusStart, kTrainStatusRunning})
        EXPECT_EQ(MakeTradeDetailCell((record.TrainStatus = status, record), Opening(), 0).text, "--");
    record.TrainStatus = kTrainStatusEnded;
    EXPECT_EQ(MakeTradeDetailCell(record, Opening(), 0).text, "20150309");
    record.hideDate = 0;
    record.TrainStatus = kTrainStatusRunning;
    EXPECT_EQ(MakeTradeDetailCell(record, Opening(), 0).text, "20150309");
}

}  // namespace
