// The training chart's data layer and its stepping, headless over fixture bars: the first
// build of a session, one bar per step and nothing after it, the end of the period, the
// zoom bounds, partial weeks, minute years, and the ex-rights events a step passes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TrainingChartHarness.h"
#include "marketdata/FakeChannel.h"
#include "protocol/Bodies.h"

namespace {

constexpr double kEps = 1e-9;

class TrainingDataLayer : public TrainingChartTest {
protected:
    void SetUp() override {
        TrainingChartTest::SetUp();
        m_days = Weekdays(20230102, 130);  // a Monday
        WriteDays(m_days);
    }
    // The item index of a fixture day (the float bars end the index space).
    int32_t IndexOf(uint32_t date) const {
        const int32_t total = m_chart.layer->GetItemCount();
        for (size_t k = 0; k < m_days.size(); ++k)
            if (m_days[k] == date) return total - int32_t(m_days.size()) + int32_t(k);
        return -1;
    }
    std::vector<uint32_t> m_days;
};

TEST_F(TrainingDataLayer, FirstBuildStartsTheSessionWithFiftyBarsOfHistory) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[100]));
    TrainingPicData& layer = Open(record);

    EXPECT_EQ(record.TrainStatus, kTrainStatusRunning);
    EXPECT_EQ(record.BeginTrainDate, int32_t(m_days[60]));
    EXPECT_EQ(record.EndTrainDate, int32_t(m_days[60]));
    EXPECT_EQ(record.StartDate, int32_t(m_days[60]));
    EXPECT_EQ(record.EndDate, int32_t(m_days[100]));
    EXPECT_EQ(record.TrainDays, 41);
    ASSERT_EQ(record.assets.size(), 1u);
    EXPECT_EQ(record.assets[0].date, m_days[60]);
    EXPECT_DOUBLE_EQ(record.assets[0].asset, 100000);

    const int32_t t = IndexOf(m_days[60]);
    EXPECT_EQ(Revealed(), t + 1);
    EXPECT_EQ(m_chart.reveal.revealLimit, IndexOf(m_days[100]) + 1);
    EXPECT_EQ(m_chart.reveal.dataBegin, t - 50);
    EXPECT_EQ(m_chart.overlay->start, t - 50);
    EXPECT_EQ(m_chart.overlay->end, t + 1);
    // The panel got the first training bar with the close before it as pre-close.
    ASSERT_EQ(m_panel.quotes.size(), 1u);
    EXPECT_EQ(m_panel.quotes[0], int64_t(m_days[60]));
    EXPECT_NEAR(record.preclose, DayBar(m_days[59], 59).m_nClose / 1000.0, kEps);
    EXPECT_NEAR(layer.GetClose(t), DayBar(m_days[60], 60).m_nClose / 1000.0, kEps);

    // A second load of the running record leaves its dates alone.
    record.EndTrainDate = int32_t(m_days[62]);
    m_chart.OnDataNotify(0, TrainingPicData::kRangeLoaded);
    EXPECT_EQ(record.BeginTrainDate, int32_t(m_days[60]));
    EXPECT_EQ(record.StartDate, int32_t(m_days[60]));
    EXPECT_EQ(record.assets.size(), 1u);
    EXPECT_EQ(Revealed(), IndexOf(m_days[62]) + 1);
}

TEST_F(TrainingDataLayer, ARangeStartingOnAHolidayStartsAtTheNextBar) {
    // 2023-01-07 is a Saturday.
    CTrainingRecord record = MakeRecord(20230107, int32_t(m_days[30]));
    Open(record);
    EXPECT_EQ(record.BeginTrainDate, 20230109);
    EXPECT_EQ(m_panel.quotes.back(), 20230109);
}

TEST_F(TrainingDataLayer, ARandomWindowSessionTakesItsDatesFromTheWindowOnce) {
    CTrainingRecord record = MakeRecord(0, 0, 0);
    record.WantDays = 30;
    Open(record);
    ASSERT_EQ(record.TrainStatus, kTrainStatusRunning);
    EXPECT_NE(record.StartDate, 0);
    EXPECT_EQ(record.BeginTrainDate, record.StartDate);
    EXPECT_EQ(record.EndTrainDate, record.StartDate);
    EXPECT_EQ(record.TrainDays, 30);
    EXPECT_EQ(IndexOf(uint32_t(record.EndDate)) - IndexOf(uint32_t(record.StartDate)), 29);
    EXPECT_EQ(record.assets.size(), 1u);

    const int32_t start = record.StartDate;
    m_chart.OnDataNotify(0, TrainingPicData::kRandomWindow);
    EXPECT_EQ(record.StartDate, start);
    EXPECT_EQ(record.assets.size(), 1u);
}

TEST_F(TrainingDataLayer, AStepRevealsExactlyOneBarAndNothingAfterIt) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[70]));
    TrainingPicData& layer = Open(record);
    for (int k = 61; k <= 70; ++k) {
        ASSERT_TRUE(StepNextBar(layer, false)) << k;
        const int32_t revealed = Revealed();
        EXPECT_EQ(revealed, IndexOf(m_days[k]) + 1);
        EXPECT_EQ(record.EndTrainDate, int32_t(m_days[k]));
        EXPECT_EQ(m_panel.quotes.back(), int64_t(m_days[k]));
        // Nothing at or after the clock's next bar is readable through the layer, and
        // indicators are never computed past the clock.
        EXPECT_EQ(layer.GetEnd(), revealed);
        EXPECT_EQ(layer.GetClose(revealed), 0.0);
        EXPECT_EQ(layer.GetHigh(revealed), 0.0);
        EXPECT_LE(m_chart.overlay->end, revealed);
        for (const auto& [begin, end] : m_chart.overlay->calcs) EXPECT_LE(end, revealed);
        // The asset curve follows the revealed close.
        EXPECT_EQ(record.assets.back().date, m_days[k]);
    }
    EXPECT_EQ(m_panel.advanced, 10);
}

TEST_F(TrainingDataLayer, TheEndOfThePeriodEndsTheSessionOnce) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[62]));
    TrainingPicData& layer = Open(record);
    EXPECT_TRUE(StepNextBar(layer, false));
    EXPECT_TRUE(StepNextBar(layer, false));
    EXPECT_TRUE(m_chart.prompts.empty());
    EXPECT_FALSE(StepNextBar(layer, false));
    EXPECT_EQ(record.TrainStatus, kTrainStatusEnded);
    EXPECT_EQ(m_chart.prompts, std::vector<std::string>{"训练周期结束"});
    EXPECT_EQ(m_panel.ended, 1);
    EXPECT_FALSE(StepNextBar(layer, true));
    EXPECT_EQ(m_chart.prompts.size(), 1u);
    EXPECT_EQ(m_panel.ended, 1);
}

TEST_F(TrainingDataLayer, ScrolledBackTheViewDoesNotStep) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[70]));
    TrainingPicData& layer = Open(record);
    const int32_t revealed = Revealed();
    m_chart.overlay->end = revealed - 5;
    EXPECT_FALSE(StepNextBar(layer, true));
    EXPECT_EQ(Revealed(), revealed);
}

TEST_F(TrainingDataLayer, WithoutAPanelTheBarIsRevealedButTheRecordKeepsItsClock) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[70]));
    TrainingPicData& layer = Open(record, 4, 1, false);
    ASSERT_TRUE(StepNextBar(layer, false));
    EXPECT_EQ(Revealed(), IndexOf(m_days[61]) + 1);
    EXPECT_EQ(record.EndTrainDate, int32_t(m_days[60]));
}

TEST_F(TrainingDataLayer, ZoomStopsBelowTwentySixBarsAndNeverPassesTheTotal) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[100]));
    TrainingPicData& layer = Open(record);
    m_chart.overlay->visible = 60;
    layer.OnDataChanged(true, 10);  // 60 -> 40 -> 26 -> 17, then no further
    EXPECT_EQ(m_chart.overlay->visible, 17);
    layer.OnDataChanged(false, 20);
    EXPECT_EQ(m_chart.overlay->visible, layer.GetItemCount() * 11 / 10);
    EXPECT_LE(m_chart.overlay->end, Revealed());
}

// ---------------------------------------------------------------------------------------
// Partial weeks

TEST_F(TrainingDataLayer, SwitchingToWeeksMidWeekShowsOnlyTheDaysUpToTheClock) {
    // Day 62 is a Wednesday; its week runs from day 60 (Monday) to day 64 (Friday).
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[97]));
    TrainingPicData& layer = Open(record);
    ASSERT_TRUE(StepNextBar(layer, false));
    ASSERT_TRUE(StepNextBar(layer, false));
    ASSERT_EQ(record.EndTrainDate, int32_t(m_days[62]));

    layer.SetPeriod(4, 2);
    layer.SetDataType(4, 2);
    layer.RequestData();
    const int32_t week = Revealed() - 1;
    CFloatDayItem partial = ItemAt(week);
    EXPECT_EQ(int64_t(partial.m_nTime), int64_t(m_days[62]));
    EXPECT_NEAR(partial.m_fOpen, DayBar(m_days[60], 60).m_nOpen / 1000.0, kEps);
    EXPECT_NEAR(partial.m_fHigh, DayBar(m_days[62], 62).m_nHigh / 1000.0, kEps);
    EXPECT_NEAR(partial.m_fLow, DayBar(m_days[60], 60).m_nLow / 1000.0, kEps);
    EXPECT_NEAR(partial.m_fClose, DayBar(m_days[62], 62).m_nClose / 1000.0, kEps);
    EXPECT_NEAR(partial.m_fVolume, 1060 + 1061 + 1062, kEps);
    EXPECT_FALSE(layer.IsNative());
    EXPECT_EQ(m_panel.quotes.back(), int64_t(m_days[62]));

    // The next step completes the week without revealing the next one.
    ASSERT_TRUE(StepNextBar(layer, false));
    EXPECT_EQ(Revealed() - 1, week);
    EXPECT_EQ(int64_t(ItemAt(week).m_nTime), int64_t(m_days[64]));
    EXPECT_NEAR(ItemAt(week).m_fClose, DayBar(m_days[64], 64).m_nClose / 1000.0, kEps);
    EXPECT_EQ(record.EndTrainDate, int32_t(m_days[64]));
    EXPECT_TRUE(layer.IsNative());

    // Later steps go by whole weeks.
    ASSERT_TRUE(StepNextBar(layer, false));
    EXPECT_EQ(Revealed() - 1, week + 1);
    EXPECT_EQ(record.EndTrainDate, int32_t(m_days[69]));
}

TEST_F(TrainingDataLayer, AWeekRunningPastTheLastDayIsCutThere) {
    // Day 97 is a Wednesday and the session's last day; the store goes on after it.
    CTrainingRecord record = MakeRecord(int32_t(m_days[90]), int32_t(m_days[97]));
    TrainingPicData& layer = Open(record);
    layer.SetPeriod(4, 2);
    layer.SetDataType(4, 2);
    layer.RequestData();
    ASSERT_TRUE(StepNextBar(layer, false));  // completes the week of day 90
    ASSERT_TRUE(StepNextBar(layer, false));  // the week of day 97, cut at it
    const CFloatDayItem last = ItemAt(Revealed() - 1);
    EXPECT_EQ(int64_t(last.m_nTime), int64_t(m_days[97]));
    EXPECT_NEAR(last.m_fClose, DayBar(m_days[97], 97).m_nClose / 1000.0, kEps);
    EXPECT_EQ(record.EndTrainDate, int32_t(m_days[97]));
    EXPECT_FALSE(StepNextBar(layer, false));
    EXPECT_EQ(record.TrainStatus, kTrainStatusEnded);
}

TEST_F(TrainingDataLayer, AWeeklySessionInDatesModeStarts) {
    CTrainingRecord record = MakeRecord(int32_t(m_days[62]), int32_t(m_days[97]));
    TrainingPicData& layer = Open(record, 4, 2);
    EXPECT_EQ(record.TrainStatus, kTrainStatusRunning);
    EXPECT_EQ(record.BeginTrainDate, int32_t(m_days[62]));
    EXPECT_EQ(record.TrainDays, 36);
    EXPECT_EQ(record.assets.size(), 1u);
    // The first week shows its days up to the start only.
    EXPECT_EQ(int64_t(ItemAt(Revealed() - 1).m_nTime), int64_t(m_days[62]));
    EXPECT_TRUE(StepNextBar(layer, false));
    EXPECT_EQ(record.EndTrainDate, int32_t(m_days[64]));
}

// ---------------------------------------------------------------------------------------
// Ex-rights events

class TrainingExRights : public TrainingDataLayer {
protected:
    void AddEvent(uint32_t date, int64_t cash, int64_t bonus, int64_t rights, uint32_t price) {
        CSingleCQDataPerSecu e;
        e.m_code = CIndSecuCode(1, "600000");
        e.m_nDate = date;
        e.m_nCash = cash;
        e.m_nBonus = bonus;
        e.m_nRights = rights;
        e.m_nRightsPrice = price;
        GetAllCQData()->AddEvent(e);
    }
    // A session from day 60 holding 1,000 long shares bought at its first close.
    TrainingPicData& OpenHolding(CTrainingRecord& record) {
        TrainingPicData& layer = Open(record);
        std::string msg;
        EXPECT_TRUE(record.Buy(1000, int64_t(m_days[60]) * 10000, msg, true, "", record.price))
            << msg;
        return layer;
    }
};

TEST_F(TrainingExRights, CashAndBonusAreSettledBeforeTheNewBarReachesThePanel) {
    AddEvent(m_days[62], 2500000, 10000000, 0, 0);  // 0.25 yuan and 1 share per share
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[80]));
    TrainingPicData& layer = OpenHolding(record);
    ASSERT_TRUE(StepNextBar(layer, false));

    CTrainingRecord expected = record;
    expected.CallPos = std::make_shared<CFullPositon>(*record.CallPos);
    expected.PutPos = std::make_shared<CFullPositon>(*record.PutPos);
    expected.ApplyCashDividend(int32_t(m_days[62]), 0.25);
    expected.ApplyShareBonus(1.0);

    const double before = record.leftCapital;
    ASSERT_TRUE(StepNextBar(layer, false));
    EXPECT_NEAR(record.leftCapital, expected.leftCapital, 1e-6);
    EXPECT_GT(record.leftCapital, before);  // the dividend was paid
    EXPECT_EQ(record.GetPositionVolume(true), 2000);
    EXPECT_TRUE(m_chart.prompts.empty());
    // Stepping on pays nothing again.
    ASSERT_TRUE(StepNextBar(layer, false));
    EXPECT_NEAR(record.leftCapital, expected.leftCapital, 1e-6);
    EXPECT_EQ(record.GetPositionVolume(true), 2000);
}

TEST_F(TrainingExRights, ARightsIssueAsksBothQuestionsAndAStopSettlesNothingTwice) {
    AddEvent(m_days[62], 1000000, 0, 3000000, 5000);  // 0.1 yuan; 0.3 rights at 5.000
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[80]));
    TrainingPicData& layer = OpenHolding(record);
    ASSERT_TRUE(StepNextBar(layer, false));
    const int32_t revealed = Revealed();
    const double cashBefore = record.leftCapital;

    m_chart.answers = {true, true};  // subscribe, then stop to sell
    EXPECT_FALSE(StepNextBar(layer, false));
    EXPECT_EQ(Revealed(), revealed);
    ASSERT_EQ(m_chart.prompts.size(), 2u);
    EXPECT_NE(m_chart.prompts[0].find("是否配股?"), std::string::npos);
    EXPECT_EQ(m_chart.prompts[0].rfind("2023/03/", 0), 0u) << m_chart.prompts[0];
    EXPECT_EQ(m_chart.prompts[1], "配股后股价下跌，是否停止播放准备卖出?");
    EXPECT_EQ(record.GetPositionVolume(true), 1300);
    // The rights shares are dated on the bar the clock stands on.
    ASSERT_FALSE(record.CallPos->holdings.empty());
    EXPECT_EQ(record.CallPos->holdings.back().date, int32_t(m_days[61]));
    const double cashAfter = record.leftCapital;
    EXPECT_LT(cashAfter, cashBefore);

    // The next step settles nothing again and asks nothing.
    EXPECT_TRUE(StepNextBar(layer, false));
    EXPECT_EQ(Revealed(), revealed + 1);
    EXPECT_EQ(m_chart.prompts.size(), 2u);
    EXPECT_EQ(record.GetPositionVolume(true), 1300);
    EXPECT_NEAR(record.leftCapital, cashAfter, 1e-6);
}

TEST_F(TrainingExRights, DecliningTheRightsStillAsksAboutStopping) {
    AddEvent(m_days[62], 0, 0, 3000000, 5000);
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[80]));
    TrainingPicData& layer = OpenHolding(record);
    ASSERT_TRUE(StepNextBar(layer, false));
    m_chart.answers = {false, false};
    EXPECT_TRUE(StepNextBar(layer, false));
    EXPECT_EQ(m_chart.prompts.size(), 2u);
    EXPECT_EQ(record.GetPositionVolume(true), 1000);
}

TEST_F(TrainingExRights, WithoutLongSharesARightsIssueAsksNothing) {
    AddEvent(m_days[62], 0, 0, 3000000, 5000);
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[80]));
    TrainingPicData& layer = Open(record);
    EXPECT_TRUE(StepNextBar(layer, false));
    EXPECT_TRUE(StepNextBar(layer, false));
    EXPECT_TRUE(m_chart.prompts.empty());
}

TEST_F(TrainingExRights, TooLittleMoneyForTheRightsStopsAndAsksAgainLater) {
    AddEvent(m_days[62], 1000000, 0, 3000000, 5000);
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[80]));
    TrainingPicData& layer = OpenHolding(record);
    ASSERT_TRUE(StepNextBar(layer, false));
    const double cash = record.leftCapital;
    record.leftCapital = 100;  // far below 300 shares at 5.000
    m_chart.answers = {true};
    EXPECT_FALSE(StepNextBar(layer, false));
    EXPECT_EQ(m_chart.prompts.back(), "账户余额不足，请卖出一部分！");
    const double afterDividend = record.leftCapital;
    EXPECT_GT(afterDividend, 100);

    record.leftCapital = cash;
    m_chart.prompts.clear();
    m_chart.answers = {true, false};
    EXPECT_TRUE(StepNextBar(layer, false));
    EXPECT_EQ(m_chart.prompts.size(), 2u);  // asked again, the dividend not paid again
    EXPECT_EQ(record.GetPositionVolume(true), 1300);
    EXPECT_LT(record.leftCapital, cash);
}

TEST_F(TrainingExRights, ABuyIsRefusedOnlyJustBeforeARightsIssue) {
    AddEvent(m_days[65], 0, 0, 3000000, 5000);
    CTrainingRecord record = MakeRecord(int32_t(m_days[60]), int32_t(m_days[80]));
    TrainingPicData& layer = Open(record);
    EXPECT_FALSE(layer.HasRightsIssueFrom(m_days[61]));
    for (int k = 61; k <= 64; ++k) ASSERT_TRUE(StepNextBar(layer, false));
    EXPECT_TRUE(layer.HasRightsIssueFrom(m_days[65]));
    ASSERT_TRUE(StepNextBar(layer, false));
    EXPECT_FALSE(layer.HasRightsIssueFrom(m_days[66]));
}

// ---------------------------------------------------------------------------------------
// Minute sessions

class TrainingMinutes : public TrainingChartTest {
protected:
    // Five-minute bars of 09:35..10:00 on the given days.
    static std::vector<CDayItem> FiveMinuteBars(const std::vector<uint32_t>& dates) {
        std::vector<CDayItem> bars;
        int k = 0;
        for (uint32_t date : dates)
            for (int hhmm : {935, 940, 945, 950, 955, 1000}) {
                const int32_t open = 10000 + 10 * k++;
                bars.push_back(MakeBar(int64_t(date) * 10000 + hhmm, open, open + 25, open - 20,
                                       open + 5, 100));
            }
        return bars;
    }
};

TEST_F(TrainingMinutes, MissingMinuteBarsSayWhichOnesAreMissing) {
    WriteDays(Weekdays(20231225, 10));
    CTrainingRecord record = MakeRecord(20231227, 20240105);
    Open(record, 3, 1);
    EXPECT_EQ(m_chart.prompts, std::vector<std::string>{"当前时间区间内没有1分钟k线数据"});
    m_chart.prompts.clear();
    CTrainingRecord fifteen = MakeRecord(20231227, 20240105);
    Open(fifteen, 3, 15);
    EXPECT_EQ(m_chart.prompts, std::vector<std::string>{"当前时间区间内没有5分钟k线数据"});
}

TEST_F(TrainingMinutes, AFiveMinuteSessionAcrossTheYearEndAsksForBothYears) {
    WriteMinutes(CDataCenter::kMin5File,
                 FiveMinuteBars({20231228, 20231229, 20240102, 20240103}));
    CTrainingRecord record = MakeRecord(20231228, 20240103);
    TrainingPicData& layer = Open(record, 3, 5);
    ASSERT_EQ(record.TrainStatus, kTrainStatusRunning);
    EXPECT_EQ(record.TrainDays, 2);  // what the loaded year holds
    EXPECT_EQ(m_panel.quotes.back(), 202312280935);
    for (int k = 1; k < 12; ++k) ASSERT_TRUE(StepNextBar(layer, false)) << k;
    EXPECT_EQ(m_panel.quotes.back(), 202312291000);

    // The last bar of December: the next step asks for this year and the next, from
    // the 1st of January, and moves nothing until the reply.
    FakeChannel channel;
    EXPECT_FALSE(StepNextBar(layer, false));
    ASSERT_EQ(channel.m_sent.size(), 1u);
    CBuffer body;
    body.Write(channel.m_sent[0].body.data(), uint32_t(channel.m_sent[0].body.size()));
    wire::HistoryRequest request;
    request.Decode(body);
    ASSERT_EQ(request.years.size(), 2u);
    EXPECT_EQ(request.years[0].year, 2023u);
    EXPECT_EQ(request.years[1].year, 2024u);
    EXPECT_EQ(request.upperDate, 20240101u);
    EXPECT_EQ(layer.GetTrainingYear(), 2024u);
    EXPECT_EQ(m_panel.stops, 1);
}

TEST_F(TrainingMinutes, AOneMinuteSessionAsksForTheNextYearOnlyAndGoesOnWhenItComes) {
    std::vector<CDayItem> bars;
    for (uint32_t date : {20231229u, 20240102u})
        for (int hhmm : {931, 932, 933}) bars.push_back(MakeBar(int64_t(date) * 10000 + hhmm,
                                                                10000, 10020, 9990, 10010, 50));
    WriteMinutes(CDataCenter::kMin1File, bars);
    CTrainingRecord record = MakeRecord(20231229, 20240102);
    TrainingPicData& layer = Open(record, 3, 1);
    ASSERT_TRUE(StepNextBar(layer, false));
    ASSERT_TRUE(StepNextBar(layer, false));
    {
        FakeChannel channel;
        EXPECT_FALSE(StepNextBar(layer, true));
        ASSERT_EQ(channel.m_sent.size(), 1u);
        CBuffer body;
        body.Write(channel.m_sent[0].body.data(), uint32_t(channel.m_sent[0].body.size()));
        wire::HistoryRequest request;
        request.Decode(body);
        ASSERT_EQ(request.years.size(), 1u);
        EXPECT_EQ(request.years[0].year, 2024u);
    }
    // The reply (here: the store) shows the first bar of the new year, the clock moves
    // to it, and auto-play goes on.
    m_chart.notified.clear();
    layer.GetSeries()->Notify();
    EXPECT_EQ(m_chart.notified, std::vector<int64_t>{TrainingPicData::kNextYearPlaying});
    EXPECT_EQ(m_panel.resumes, 1);
    EXPECT_EQ(m_panel.quotes.back(), 202401020931);
    EXPECT_EQ(record.EndTrainDate, 20240102);
    EXPECT_EQ(record.EndTrainTime, 931);
    ASSERT_TRUE(StepNextBar(layer, false));
    EXPECT_EQ(m_panel.quotes.back(), 202401020932);
    EXPECT_EQ(record.EndTrainTime, 932);
}

}  // namespace
