// A trend-training chart against the real data server on loopback: the replies arrive on
// the network thread and reach the layer as posted notifications, which this thread (the
// UI thread here) dispatches, as the window's message loop does.
#include <gtest/gtest.h>

#include <deque>
#include <mutex>
#include <thread>

#include "../network/ClientHarness.h"
#include "../network/TestSupport.h"
#include "TrainingChartHarness.h"
#include "marketdata/DataCenter.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/net/MarketLink.h"

namespace {

struct PostedNotes {
    std::mutex mutex;
    std::deque<std::pair<uint64_t, int64_t>> notes;
};

class TrainingOnline : public ::testing::Test {
protected:
    void SetUp() override {
        TestLoop();
        ASSERT_TRUE(m_server.Running());
        auto notes = m_notes;
        SetDataLayerHooks({[notes](void*, uint32_t msg, uint64_t w, int64_t l) {
                               if (msg != UM_LAYER_DATA_NOTIFY) return;
                               std::lock_guard lock(notes->mutex);
                               notes->notes.emplace_back(w, l);
                           },
                           std::this_thread::get_id()});
        m_link = std::make_unique<CMarketLink>(
            std::vector<HostAddress>{{"127.0.0.1", m_server.Port()}}, TestLoop());
        m_link->Connect("127.0.0.1", m_server.Port());
        ASSERT_TRUE(WaitUntil([&] { return m_home.Count(UM_CODELIST_READY) == 1; }));
    }
    void TearDown() override {
        m_chart.layer.reset();
        m_link->Stop();
        DrainLoop();
        SetDataLayerHooks({});
    }

    // Waits for the next posted notification and dispatches it on this thread.
    bool Dispatch() {
        std::pair<uint64_t, int64_t> note;
        const bool got = WaitUntil([&] {
            std::lock_guard lock(m_notes->mutex);
            if (m_notes->notes.empty()) return false;
            note = m_notes->notes.front();
            m_notes->notes.pop_front();
            return true;
        });
        if (got) m_chart.OnDataNotify(note.first, note.second);
        return got;
    }

    TrainingPicData& Open(CTrainingRecord& record) {
        m_chart.layer = std::make_shared<TrainingPicData>(&m_chart);
        m_chart.overlay->layer = m_chart.layer.get();
        m_panel.record = &record;
        m_chart.panel = &m_panel;
        m_chart.layer->SetCode(record.code);
        m_chart.layer->SetDataType(4, 1);
        m_chart.layer->SetRecord(&record);
        m_chart.layer->RequestData();
        return *m_chart.layer;
    }

    CScratchHome m_home;
    CServerProcess m_server;
    std::unique_ptr<CMarketLink> m_link;
    std::shared_ptr<PostedNotes> m_notes = std::make_shared<PostedNotes>();
    FakeTrainingChart m_chart;
    FakeTrainingPanel m_panel;
};

TEST_F(TrainingOnline, ADateRangeSessionLoadsItsMonthWithHistoryAndStepsToItsEnd) {
    CSecurity* security = GetDataCenter()->FindSecurity(CIndSecuCode(1, "600036"));
    ASSERT_NE(security, nullptr);
    CTrainingRecord record(security, CIndSecuCode(1, "600036"), 0, 1, 0, 0, 1, 100000, "", 0);
    record.StartDate = 20240102;
    record.EndDate = 20240131;
    TrainingPicData& layer = Open(record);

    ASSERT_TRUE(Dispatch());  // 10401: the session starts
    EXPECT_EQ(record.TrainStatus, kTrainStatusRunning);
    EXPECT_EQ(record.BeginTrainDate, 20240102);
    EXPECT_EQ(record.EndDate, 20240131);
    EXPECT_EQ(record.TrainDays, 22);  // the trading days of January 2024
    ASSERT_EQ(record.assets.size(), 1u);
    EXPECT_EQ(m_panel.quotes.back(), 20240102);
    const int32_t first = m_chart.reveal.revealedCount - 1;

    ASSERT_TRUE(Dispatch());  // 11001: the history before it
    EXPECT_EQ(m_chart.reveal.revealedCount - 1, first);
    EXPECT_EQ(m_chart.reveal.dataBegin, first - TrainingPicData::kHistoryBars);
    for (int32_t i = first - TrainingPicData::kHistoryBars; i < first; ++i) {
        CFloatDayItem bar;
        ASSERT_TRUE(layer.LoadedBar(i, bar)) << i;
        EXPECT_LT(int64_t(bar.m_nTime), 20240102);
        EXPECT_GT(double(bar.m_fClose), 0.0);
    }
    EXPECT_EQ(record.assets.size(), 1u);
    EXPECT_EQ(record.EndTrainDate, 20240102);

    int steps = 0;
    while (StepNextBar(layer, false)) ++steps;
    EXPECT_EQ(steps, 21);
    EXPECT_EQ(record.EndTrainDate, 20240131);
    EXPECT_EQ(record.TrainStatus, kTrainStatusEnded);
    EXPECT_EQ(m_chart.prompts, std::vector<std::string>{"训练周期结束"});
    for (const AssetPoint& p : record.assets) {
        EXPECT_GE(p.date, 20240102u);
        EXPECT_LE(p.date, 20240131u);
    }
}

TEST_F(TrainingOnline, ARandomWindowSessionTakesTheServedWindow) {
    CSecurity* security = GetDataCenter()->FindSecurity(CIndSecuCode(1, "600036"));
    ASSERT_NE(security, nullptr);
    CTrainingRecord record(security, CIndSecuCode(1, "600036"), 0, 1, 0, 0, 0, 100000, "", 0);
    record.WantDays = 40;
    TrainingPicData& layer = Open(record);
    ASSERT_TRUE(Dispatch());
    ASSERT_EQ(record.TrainStatus, kTrainStatusRunning);
    EXPECT_EQ(record.TrainDays, 40);
    EXPECT_LT(record.StartDate, record.EndDate);
    EXPECT_EQ(m_chart.reveal.revealLimit - m_chart.reveal.revealedCount, 39);
    EXPECT_TRUE(StepNextBar(layer, false));
    EXPECT_GT(record.EndTrainDate, record.StartDate);
}

}  // namespace
