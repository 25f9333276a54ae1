#pragma once
// A training chart without a window: a data layer over the data centre's scratch stores,
// an overlay that keeps the training range rules, a panel that records what it is handed
// and message boxes answered from a script. Notifications run at once (this thread is
// the UI thread and the stores answer offline).

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "marketdata/DataCenter.h"
#include "marketdata/DataFile.h"
#include "marketdata/MarketFixture.h"
#include "training/TrainingChartHost.h"
#include "training/TrainingPicData.h"
#include "training/TrainingRecord.h"
#include "training/TrainingStepping.h"

class FakeTrainingOverlay : public IChartOverlay {
public:
    int32_t GetStartIndex() const override { return start; }
    void SetStartIndex(int32_t index) override { start = index; }
    int32_t GetEndIndex() const override { return end; }
    void SetEndIndex(int32_t index) override { end = index; }
    int32_t GetVisibleCount() const override { return visible; }
    void SetVisibleCount(int32_t count) override { visible = count; }
    void Layout() override {
        TrainingViewRange range{start, end, visible, cursor};
        LayoutTrainingRange(range, *reveal, layer->GetBegin(), layer->GetLoadedEnd());
        start = range.start;
        end = range.end;
        cursor = range.cursor;
    }
    void RelayoutKeepCursor() override { Layout(); }
    void RecalcPanes() override {}
    bool CalcIndicators(int32_t begin, int32_t last) override {
        calcs.emplace_back(begin, last);
        return true;
    }
    int32_t IndexAtX(int x) const override { return start + x; }
    int XOfIndex(int32_t index) const override { return index - start; }

    TrainingReveal* reveal = nullptr;
    TrainingPicData* layer = nullptr;
    int32_t start = 0, end = 0, visible = 100, cursor = -1;
    std::vector<std::pair<int32_t, int32_t>> calcs;
};

// Writes the handed bar into the record as the real panel does and runs its checks.
class FakeTrainingPanel : public ITrainingPanel {
public:
    void SetQuote(double open, double high, double low, double close, double preclose,
                  double volume, int16_t dataType, int16_t period, int64_t time) override {
        quotes.push_back(time);
        closes.push_back(close);
        if (!record) return;
        record->open = open;
        record->high = high;
        record->low = low;
        record->price = close;
        record->preclose = preclose;
        record->volume = volume;
        record->dataType = dataType;
        record->period = period;
        record->quoteTime = time;
    }
    void RepaintPanel() override {}
    void OnBarAdvanced() override {
        ++advanced;
        if (record)
            record->UpdateAsset(uint32_t(record->dataType == 3 ? record->quoteTime / 10000
                                                               : record->quoteTime),
                                record->price);
    }
    void UpdateAccountBox() override {}
    void StopAutoPlay() override { ++stops; }
    void EnsureAutoPlay() override { ++resumes; }
    void OnPeriodEnded() override { ++ended; }

    CTrainingRecord* record = nullptr;
    std::vector<int64_t> quotes;
    std::vector<double> closes;
    int advanced = 0, stops = 0, resumes = 0, ended = 0;
};

class FakeTrainingChart : public ITrainingChartOwner {
public:
    FakeTrainingChart() : overlay(std::make_shared<FakeTrainingOverlay>()) {
        overlay->reveal = &reveal;
    }
    void* GetWindowHandle() const override { return const_cast<FakeTrainingChart*>(this); }
    std::shared_ptr<IChartOverlay> GetChartOverlay() override { return overlay; }
    bool GetDrawToolMode(uint16_t&) override { return false; }
    void ResetSeries() override { layer->Reserve(); }
    void OnDataNotify(uint64_t wParam, int64_t lParam) override {
        notified.push_back(lParam);
        layer->OnDataNotify(wParam, lParam);
    }
    void RefreshTipAtCursor() override {}
    void Repaint(bool) override { ++repaints; }
    void ShowIntradayPicture(const CIndSecuCode&, uint32_t, const CFloatDayItem&, double) override {}
    TrainingReveal* GetReveal() override { return &reveal; }
    ITrainingPanel* FindTrainingPanel() override { return panel; }
    bool ShowPrompt(const std::string& text, Prompt kind) override {
        prompts.push_back(text);
        if (kind != Prompt::YesNo || answers.empty()) return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }

    TrainingReveal reveal;
    std::shared_ptr<FakeTrainingOverlay> overlay;
    std::shared_ptr<TrainingPicData> layer;
    ITrainingPanel* panel = nullptr;
    std::vector<std::string> prompts;
    std::deque<bool> answers;
    std::vector<int64_t> notified;
    int repaints = 0;
};

// Weekdays from `first` on (the exchanges' holidays do not matter here).
inline std::vector<uint32_t> Weekdays(uint32_t first, int count) {
    using namespace std::chrono;
    sys_days day = year_month_day{year(int(first / 10000)), month(first / 100 % 100),
                                  std::chrono::day(first % 100)};
    std::vector<uint32_t> out;
    while (int(out.size()) < count) {
        const weekday w{day};
        if (w != Saturday && w != Sunday) {
            const year_month_day ymd{day};
            out.push_back(uint32_t(int(ymd.year())) * 10000 + unsigned(ymd.month()) * 100 +
                          unsigned(ymd.day()));
        }
        day += days(1);
    }
    return out;
}

class TrainingChartTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        SetDataLayerHooks({{}, std::this_thread::get_id()});
        m_pSecurity = Add(1, "600000", "浦发银行");
        ASSERT_NE(m_pSecurity, nullptr);
    }
    void TearDown() override {
        // The layer gives its series back to the pool before the data centre goes.
        m_chart.layer.reset();
        SetDataLayerHooks({});
        MarketTest::TearDown();
    }

    // Day bar k of the fixture: open 10 + k/100, close 0.005 above, high and low 0.02
    // beyond; volume 1000 + k.
    static CDayItem DayBar(uint32_t date, int k) {
        const int32_t open = 10000 + 10 * k;
        return MakeBar(date, open, open + 25, open - 20, open + 5, 1000 + k);
    }
    void WriteDays(const std::vector<uint32_t>& dates) {
        std::vector<CDayItem> bars;
        for (size_t k = 0; k < dates.size(); ++k) bars.push_back(DayBar(dates[k], int(k)));
        ASSERT_TRUE(GetDataCenter()->GetStore(CDataCenter::kDayFile)
                        .ReplaceItems(uint32_t(bars.size()), 1, "600000", bars.data()));
    }
    void WriteMinutes(CDataCenter::Store store, const std::vector<CDayItem>& bars) {
        ASSERT_TRUE(GetDataCenter()->GetStore(store).ReplaceItems(uint32_t(bars.size()), 1,
                                                                   "600000", bars.data()));
    }

    CTrainingRecord MakeRecord(int32_t start, int32_t end, int32_t periodType = 1) {
        CTrainingRecord r(m_pSecurity, CIndSecuCode(1, "600000"), 0, 1, 0, 0, periodType,
                          100000, "浦发银行", 0);
        r.StartDate = start;
        r.EndDate = end;
        return r;
    }

    // Opens the chart of a session on (type, period) and loads it.
    TrainingPicData& Open(CTrainingRecord& record, int16_t type = 4, int16_t period = 1,
                          bool withPanel = true) {
        m_chart.layer = std::make_shared<TrainingPicData>(&m_chart);
        m_chart.overlay->layer = m_chart.layer.get();
        m_panel.record = &record;
        m_chart.panel = withPanel ? &m_panel : nullptr;
        TrainingPicData& layer = *m_chart.layer;
        layer.SetCode(CIndSecuCode(1, "600000"));
        layer.SetDataType(type, period);
        layer.SetRecord(&record);
        layer.RequestData();
        return layer;
    }

    int32_t Revealed() const { return m_chart.reveal.revealedCount; }
    CFloatDayItem ItemAt(int32_t i) const {
        CFloatDayItem bar;
        EXPECT_TRUE(m_chart.layer->LoadedBar(i, bar)) << "item " << i;
        return bar;
    }

    CSecurity* m_pSecurity = nullptr;
    FakeTrainingChart m_chart;
    FakeTrainingPanel m_panel;
};
