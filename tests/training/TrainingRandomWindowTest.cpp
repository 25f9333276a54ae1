// Sessions by number of days on a chart whose bars are not days: the window is drawn among
// the day bars and the session then runs over its dates, partial first week included.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "TrainingChartHarness.h"

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

}  // namespace
