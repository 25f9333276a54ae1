// The data layer of a stock-selection cell over stored day bars (offline): the window drawn
// among them, the chart shown up to its first day, the reveal, the dates kept until a reset.
#include <gtest/gtest.h>

#include "TrainingChartHarness.h"
#include "training/wnd/MultiItemKlinePicData.h"
#include "training/wnd/SelStockCellData.h"
#include "training/wnd/SelStockTraining.h"

namespace {

class SelStockCellLayerTest : public TrainingChartTest {
protected:
    void SetUp() override {
        TrainingChartTest::SetUp();
        GetSelStockSettings() = {};
        GetSelStockSettings().periods = 10;
        m_days = Weekdays(20230102, 120);
        WriteDays(m_days);
    }
    void TearDown() override {
        GetSelStockSettings() = {};
        TrainingChartTest::TearDown();
    }
    MultiItemKlinePicData& OpenCell() {
        auto layer = std::make_shared<MultiItemKlinePicData>(&m_chart);
        m_chart.layer = layer;
        m_chart.overlay->layer = layer.get();
        layer->SetCode(CIndSecuCode(1, "600000"));
        layer->RequestData();
        return *layer;
    }
    int IndexOf(uint32_t date) const {
        return int(std::find(m_days.begin(), m_days.end(), date) - m_days.begin());
    }
    std::vector<uint32_t> m_days;
};

TEST_F(SelStockCellLayerTest, TheChartStopsBeforeTheWindowUntilItIsRevealed) {
    MultiItemKlinePicData& cell = OpenCell();
    ASSERT_EQ(m_chart.notified, (std::vector<int64_t>{TrainingPicData::kRandomWindow}));
    const int first = IndexOf(cell.GetWindowStart());
    const int last = IndexOf(cell.GetWindowEnd());
    ASSERT_LT(first, int(m_days.size()));
    ASSERT_LT(last, int(m_days.size()));
    EXPECT_EQ(last - first + 1, 10);  // the set-up page's periods
    EXPECT_EQ(cell.GetBegin(), 0);
    EXPECT_EQ(cell.GetEnd(), first);  // nothing of the window readable through the layer
    EXPECT_EQ(m_chart.overlay->end, first);
    EXPECT_EQ(m_chart.overlay->start, std::max(first - 50, 0));
    EXPECT_EQ(m_chart.reveal.revealedCount, first);
    EXPECT_EQ(m_chart.reveal.revealLimit, last + 1);
    EXPECT_EQ(cell.GetWindowLimit(), last + 1);

    // Closes of the fixture: 10.005 + k / 100.
    const double base = first == 0 ? 10.0 : 10.005 + (first - 1) / 100.0;
    const double close = 10.005 + last / 100.0;
    EXPECT_NEAR(cell.GetWindowRise(), (close - base) * 1000 / base, 1e-6);

    cell.RevealWindow();
    EXPECT_EQ(cell.GetEnd(), 120);
    EXPECT_EQ(m_chart.overlay->end, 120);
    EXPECT_EQ(m_chart.reveal.revealedCount, 120);
    EXPECT_GE(m_chart.overlay->visible, 120 - m_chart.overlay->start);
}

TEST_F(SelStockCellLayerTest, TheWindowIsKeptUntilAResetOrAnotherSecurity) {
    MultiItemKlinePicData& cell = OpenCell();
    const uint32_t start = cell.GetWindowStart(), end = cell.GetWindowEnd();
    ASSERT_NE(start, 0u);
    // An ex-rights change asks for the same range again (code 0); the dates stay.
    cell.SetAdjustMode(1);
    cell.RequestData();
    EXPECT_EQ(m_chart.notified.back(), TrainingPicData::kRangeLoaded);
    EXPECT_EQ(cell.GetWindowStart(), start);
    EXPECT_EQ(cell.GetWindowEnd(), end);
    EXPECT_EQ(cell.GetEnd(), IndexOf(start));
    // A reset forgets them: the next load draws a new window.
    cell.Reset();
    EXPECT_EQ(cell.GetWindowStart(), 0u);
    cell.RequestData();  // the layer still asks for forward prices: the series is asked again
    EXPECT_EQ(m_chart.notified.back(), TrainingPicData::kRandomWindow);
    EXPECT_NE(cell.GetWindowStart(), 0u);
    // Another security never inherits the window.
    Add(1, "600036", "招商银行");
    std::vector<CDayItem> bars;
    for (size_t k = 0; k < 30; ++k) bars.push_back(DayBar(m_days[k], int(k)));
    ASSERT_TRUE(GetDataCenter()->GetStore(CDataCenter::kDayFile).ReplaceItems(30, 1, "600036", bars.data()));
    cell.SetCode(CIndSecuCode(1, "600036"));
    cell.RequestData();
    EXPECT_EQ(m_chart.notified.back(), TrainingPicData::kRandomWindow);
    EXPECT_LE(IndexOf(cell.GetWindowEnd()), 29);
}

TEST_F(SelStockCellLayerTest, AWindowInTheFirstBarsShowsWhatHistoryThereIs) {
    GetSelStockSettings().periods = 118;  // the window can start at bar 0, 1 or 2 only
    MultiItemKlinePicData& cell = OpenCell();
    const int first = IndexOf(cell.GetWindowStart());
    ASSERT_LE(first, 2);
    EXPECT_EQ(m_chart.overlay->start, 0);
    EXPECT_EQ(cell.GetEnd(), first);
    const double base = first == 0 ? 10.0 : 10.005 + (first - 1) / 100.0;
    const int last = IndexOf(cell.GetWindowEnd());
    EXPECT_NEAR(cell.GetWindowRise(), (10.005 + last / 100.0 - base) * 1000 / base, 1e-6);
}

}  // namespace
