// Chart data layer: one notification over a 1,000,000-bar one-minute series (chart bars
// built, counts taken, items reserved and loaded) against building the same bars as the
// layer's records in a vector, in the same run.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchBars.h"
#include "RatioReporter.h"
#include "foundation/DateTime.h"
#include "foundation/IndSecuCode.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/DayData.h"
#include "marketdata/PicDataLayer.h"
#include "marketdata/Security.h"

namespace {
constexpr int kBars = 1000000;

class Overlay : public IChartOverlay {
public:
    int32_t GetStartIndex() const override { return start; }
    void SetStartIndex(int32_t i) override { start = i; }
    int32_t GetEndIndex() const override { return end; }
    void SetEndIndex(int32_t i) override { end = i; }
    int32_t GetVisibleCount() const override { return 100; }
    void SetVisibleCount(int32_t) override {}
    void Layout() override {}
    void RelayoutKeepCursor() override {}
    void RecalcPanes() override {}
    bool CalcIndicators(int32_t, int32_t) override { return false; }
    int32_t IndexAtX(int x) const override { return x; }
    int XOfIndex(int32_t i) const override { return i; }
    int32_t start = 0, end = 0;
};

class Owner : public IPicDataOwner {
public:
    void* GetWindowHandle() const override { return nullptr; }
    std::shared_ptr<IChartOverlay> GetChartOverlay() override { return overlay; }
    bool GetDrawToolMode(uint16_t& mode) override {
        mode = 0;
        return true;
    }
    void ResetSeries() override { layer->Reserve(); }
    void OnDataNotify(uint64_t, int64_t) override {}
    void RefreshTipAtCursor() override {}
    void Repaint(bool) override {}
    void ShowIntradayPicture(const CIndSecuCode&, uint32_t, const CFloatDayItem&, double) override {}
    PicDataLayer* layer = nullptr;
    std::shared_ptr<Overlay> overlay = std::make_shared<Overlay>();
};

// A layer that shows every bar of the series it is handed.
class WholeSeriesLayer : public PicDataLayer {
public:
    WholeSeriesLayer(Owner* owner, std::shared_ptr<CDayData> series) : PicDataLayer(owner) {
        SetDataType(kDay, 1);
        m_pSeries = std::move(series);
    }
    ~WholeSeriesLayer() override { m_pSeries.reset(); }  // never pooled
};

struct Fixture {
    std::filesystem::path dir;
    CSecurity* security = nullptr;
    std::vector<CDayItem> minutes = MinuteBars(kBars);
    std::shared_ptr<CDayData> series;

    Fixture() {
        dir = std::filesystem::temp_directory_path() /
              ("tarrow_bench_chart_" + std::to_string(getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        GetAppInfo()->SetProgramDir(dir.string());
        auto s = std::make_unique<CSecurity>();
        s->SetCode(CIndSecuCode(1, "600000"));
        s->GetValues().SetValue(kQuotePriceDivisor, 1000);
        security = s.get();
        GetDataCenter()->AddSecurity(s);
        series = std::make_shared<CDayData>("bench", security, 3, 1);
        auto edit = series->Write();
        edit.RawBars().assign(minutes.begin(), minutes.end());
        edit.SetAdjustMode(0);
        edit.SetTotalCount(kBars);
    }
    ~Fixture() {
        series.reset();
        ResetDataCenter();
        std::filesystem::remove_all(dir);
    }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void BM_LayerNotify(benchmark::State& state) {
    Fixture& f = Data();
    Owner owner;
    WholeSeriesLayer layer(&owner, f.series);
    owner.layer = &layer;
    layer.SetCode(f.security->GetCode());
    for (auto _ : state) {
        layer.OnDataNotify(0, 0);
        benchmark::DoNotOptimize(layer.GetClose(layer.GetEnd() - 1));
    }
    if (layer.GetEnd() - layer.GetBegin() != kBars) state.SkipWithError("not every bar loaded");
}

// The same bars as the layer's records: prices divided, one vector of records.
void BM_BarsToRecords(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        std::vector<CFloatDayItem> records(f.minutes.size());
        for (size_t i = 0; i < f.minutes.size(); ++i) {
            const CDayItem& b = f.minutes[i];
            CFloatDayItem& r = records[i];
            r.m_nTime = b.m_nTime;
            r.m_fOpen = b.m_nOpen / 1000.0;
            r.m_fHigh = b.m_nHigh / 1000.0;
            r.m_fLow = b.m_nLow / 1000.0;
            r.m_fClose = b.m_nClose / 1000.0;
            r.m_fVolume = double(b.m_nVolume);
        }
        benchmark::DoNotOptimize(records.data());
    }
}

BENCHMARK(BM_LayerNotify)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_BarsToRecords)->Unit(benchmark::kMillisecond)->MinTime(1);

}  // namespace

int main(int argc, char** argv) {
    RatioReporter reporter;
    reporter.AddRatio("chart.layer_notify_over_records", "BM_LayerNotify", "BM_BarsToRecords", 2);
    return RunBenchmarks(argc, argv, reporter);
}
