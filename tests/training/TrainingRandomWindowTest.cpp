// Sessions by number of days on a chart whose bars are not days: the window is drawn among
// the day bars and the session then runs over its dates, partial first week included, on
// minute bars from the window's first bar, the minute years asked for as the clock needs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "TrainingChartHarness.h"
#include "marketdata/DayDataPool.h"
#include "marketdata/FakeChannel.h"
#include "protocol/Bodies.h"
#include "protocol/Wire.h"

namespace {

class TrainingRandomWindow : public TrainingChartTest {};

TEST_F(TrainingRandomWindow, AWeeklySessionByDaysTrainsOverAWindowOfThatManyDays) {
    const std::vector<uint32_t> days = Weekdays(20230102, 200);
    WriteDays(days);
    CTrainingRecord record = MakeRecord(0, 0, 0);
    record.WantDays = 30;
    TrainingPicData& layer = Open(record, 4, 2);
    ASSERT_EQ(record.TrainStatus, kTrainStatusRunning);
    ASSERT_GT(record.EndDate, record.StartDate);
    const auto first = std::find(days.begin(), days.end(), uint32_t(record.StartDate));
    const auto last = std::find(days.begin(), days.end(), uint32_t(record.EndDate));
    ASSERT_NE(first, days.end());
    ASSERT_NE(last, days.end());
    EXPECT_EQ(last - first + 1, 30) << "the window holds the days asked for";
    EXPECT_EQ(record.TrainDays, 30);
    EXPECT_EQ(record.BeginTrainDate, record.StartDate);
    EXPECT_EQ(record.assets.size(), 1u);
    // The week of the first day shows its days up to that day only.
    EXPECT_EQ(int64_t(ItemAt(Revealed() - 1).m_nTime), int64_t(record.StartDate));
    // Steps go week by week and stay inside the window.
    int32_t clock = record.EndTrainDate;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(StepNextBar(layer, false));
        EXPECT_GE(record.EndTrainDate, clock);
        EXPECT_LE(record.EndTrainDate, record.EndDate);
        clock = record.EndTrainDate;
    }
    EXPECT_GT(clock, record.StartDate);
}

TEST_F(TrainingRandomWindow, WithoutDayBarsNothingStarts) {
    CTrainingRecord record = MakeRecord(0, 0, 0);
    record.WantDays = 30;
    Open(record, 4, 2);
    EXPECT_EQ(record.TrainStatus, kTrainStatusStart);
    EXPECT_EQ(record.StartDate, 0);
    EXPECT_EQ(Revealed(), 0);
}

TEST_F(TrainingRandomWindow, AFiveMinuteSessionByDaysTrainsOverItsWindowAcrossTheYearEnd) {
    // Twenty days of day bars: the window of twenty days can only be all of them, from
    // Monday 18 December to Friday 12 January.
    const std::vector<uint32_t> days = Weekdays(20231218, 20);
    WriteDays(days);
    // Five-minute bars (09:35..10:00) from October, before the window, to after it.
    std::vector<CDayItem> minutes;
    int k = 0;
    for (uint32_t date : Weekdays(20231002, 80))
        for (int hhmm : {935, 940, 945, 950, 955, 1000}) {
            const int32_t open = 10000 + 10 * k++;
            minutes.push_back(MakeBar(int64_t(date) * 10000 + hhmm, open, open + 25, open - 20, open + 5, 100));
        }
    WriteMinutes(CDataCenter::kMin5File, minutes);
    auto history = [](const FakeChannel& channel) {
        EXPECT_EQ(channel.m_sent.size(), 1u);
        wire::HistoryRequest request;
        if (channel.m_sent.empty()) return request;
        CBuffer body;
        body.Write(channel.m_sent[0].body.data(), uint32_t(channel.m_sent[0].body.size()));
        request.Decode(body);
        return request;
    };
    auto years = [](const wire::HistoryRequest& request) {
        std::vector<uint32_t> out;
        for (const auto& y : request.years) out.push_back(y.year);
        return out;
    };

    CTrainingRecord record = MakeRecord(0, 0, 0);
    record.WantDays = 20;
    TrainingPicData* layer = nullptr;
    {
        FakeChannel channel;
        layer = &Open(record, 3, 5);
        ASSERT_EQ(channel.m_sent.size(), 1u);
        EXPECT_EQ(channel.m_sent[0].head.m_wCommand, wire::kRandomWindow) << "the window is drawn among the day bars";
    }
    // The window comes (drawn here among the stored days); the minute bars of its first
    // day's year and the year before are asked for, up to its first day.
    std::shared_ptr<CDayData> daySeries = GetDayData(PicDataLayer::kDay, CIndSecuCode(1, "600000"), 1);
    ASSERT_TRUE(daySeries);
    daySeries->RequestRandomWindow(20, OwnerTag(this), nullptr);
    {
        FakeChannel channel;
        daySeries->Notify();
        const wire::HistoryRequest request = history(channel);
        EXPECT_EQ(years(request), (std::vector<uint32_t>{2022, 2023}));
        EXPECT_EQ(request.upperDate, 20231218u);
    }
    EXPECT_EQ(record.StartDate, 20231218);
    EXPECT_EQ(record.EndDate, 20240112);
    EXPECT_EQ(record.TrainStatus, kTrainStatusStart);

    layer->GetSeries()->Notify();  // the reply (here: the store)
    ASSERT_EQ(record.TrainStatus, kTrainStatusRunning);
    EXPECT_EQ(record.BeginTrainDate, 20231218);
    EXPECT_EQ(record.TrainDays, 20) << "the window's days, also those of the next year";
    EXPECT_EQ(record.assets.size(), 1u);
    // The clock stands on the window's first bar; the bars before it are history, none after.
    EXPECT_EQ(int64_t(ItemAt(Revealed() - 1).m_nTime), 202312180935);
    EXPECT_EQ(m_panel.quotes.back(), 202312180935);
    EXPECT_EQ(layer->GetEnd(), Revealed());
    EXPECT_LT(m_chart.reveal.dataBegin, Revealed() - 1);
    EXPECT_EQ(int64_t(ItemAt(Revealed() - 2).m_nTime), 202312151000);

    // Ten days of December, six bars a day: 59 steps to the last bar of the year.
    for (int step = 1; step < 60; ++step) ASSERT_TRUE(StepNextBar(*layer, false)) << step;
    EXPECT_EQ(m_panel.quotes.back(), 202312291000);
    {
        FakeChannel channel;
        EXPECT_FALSE(StepNextBar(*layer, false));
        const wire::HistoryRequest request = history(channel);
        EXPECT_EQ(years(request), (std::vector<uint32_t>{2023, 2024}));
        EXPECT_EQ(request.upperDate, 20240101u);
    }
    // The reply shows both years up to the clock, which stays; the next step is January's.
    layer->GetSeries()->Notify();
    EXPECT_EQ(m_panel.quotes.back(), 202312291000);
    EXPECT_EQ(layer->GetEnd(), Revealed());
    ASSERT_TRUE(StepNextBar(*layer, false));
    EXPECT_EQ(m_panel.quotes.back(), 202401010935);
    EXPECT_EQ(record.EndTrainDate, 20240101);
    // The window's ten days of January, then the end of the period.
    for (int step = 1; step < 60; ++step) ASSERT_TRUE(StepNextBar(*layer, false)) << step;
    EXPECT_EQ(m_panel.quotes.back(), 202401121000);
    EXPECT_FALSE(StepNextBar(*layer, false));
    EXPECT_EQ(record.TrainStatus, kTrainStatusEnded);
    EXPECT_EQ(m_chart.prompts, std::vector<std::string>{"训练周期结束"});
    EXPECT_EQ(record.EndTrainDate, 20240112);
    EXPECT_EQ(record.TrainDays, 20);
}

}  // namespace
