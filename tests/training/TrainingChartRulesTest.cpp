// What the training chart window decides from its session: the drawing file, tips and
// time labels with hidden dates, and the auto-play tick.
#include <gtest/gtest.h>

#include "TrainingChartHarness.h"
#include "training/TrainingChartRules.h"

namespace {

TEST(TrainingChartRules, EachRunningSessionAndPeriodHasItsDrawingFile) {
    CTrainingRecord record;
    record.TrainingDate = 20240315;
    record.TrainingTime = 93012;
    record.TrainStatus = kTrainStatusRunning;
    EXPECT_EQ(TrainingToolFilePath(&record, 1, "600000", 4, 1),
              "Data/Tools/trainRecord_20240315_93012_1_600000_4001.xml");
    EXPECT_EQ(TrainingToolFilePath(&record, 2, "000001", 3, 5),
              "Data/Tools/trainRecord_20240315_93012_2_000001_3005.xml");
    record.TrainStatus = kTrainStatusEnded;
    EXPECT_EQ(TrainingToolFilePath(&record, 1, "600000", 4, 1), "toolerr.xml");
    EXPECT_EQ(TrainingToolFilePath(nullptr, 1, "600000", 4, 1), "toolerr.xml");
}

TEST(TrainingChartRules, HiddenDatesKeepTipsAndTimeLabelsOffUntilTheEnd) {
    struct Case {
        bool hasRecord;
        int32_t hideDate;
        int32_t status;
        bool tips;
        bool labelsHidden;
    } cases[] = {{false, 0, 0, false, false},
                 {true, 0, kTrainStatusRunning, true, false},
                 {true, 1, kTrainStatusRunning, false, true},
                 {true, 1, kTrainStatusStart, false, true},
                 {true, 1, kTrainStatusEnded, true, false}};
    for (const Case& c : cases) {
        CTrainingRecord record;
        record.hideDate = c.hideDate;
        record.TrainStatus = c.status;
        const CTrainingRecord* r = c.hasRecord ? &record : nullptr;
        EXPECT_EQ(IsTrainingTipEnabled(r), c.tips) << c.hideDate << " " << c.status;
        EXPECT_EQ(AreTrainingTimeLabelsHidden(r), c.labelsHidden) << c.hideDate << " " << c.status;
    }
}

class TrainingAutoPlayTick : public TrainingChartTest {};

TEST_F(TrainingAutoPlayTick, ATickAfterTheEndStopsAutoPlayWithoutASecondMessage) {
    const std::vector<uint32_t> days = Weekdays(20230102, 80);
    WriteDays(days);
    CTrainingRecord record = MakeRecord(int32_t(days[60]), int32_t(days[61]));
    TrainingPicData& layer = Open(record);
    EXPECT_TRUE(OnAutoPlayTick(layer));
    EXPECT_EQ(m_panel.stops, 0);
    EXPECT_FALSE(OnAutoPlayTick(layer));  // the end of the period
    EXPECT_EQ(m_panel.stops, 1);
    EXPECT_FALSE(OnAutoPlayTick(layer));
    EXPECT_EQ(m_panel.stops, 2);
    EXPECT_EQ(m_chart.prompts, std::vector<std::string>{"训练周期结束"});
}

TEST_F(TrainingAutoPlayTick, ATickWithTheViewScrolledBackStopsAutoPlay) {
    const std::vector<uint32_t> days = Weekdays(20230102, 80);
    WriteDays(days);
    CTrainingRecord record = MakeRecord(int32_t(days[60]), int32_t(days[70]));
    TrainingPicData& layer = Open(record);
    m_chart.overlay->end = m_chart.reveal.revealedCount - 3;
    EXPECT_FALSE(OnAutoPlayTick(layer));
    EXPECT_EQ(m_panel.stops, 1);
    EXPECT_EQ(record.EndTrainDate, int32_t(days[60]));
}

}  // namespace
