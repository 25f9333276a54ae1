// Market-data core: loading a long minute series from its block file, and building chart
// bars of another period, each against a plain copy of the same bytes in the same run.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
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
#include "marketdata/Security.h"

namespace {
constexpr int kMinuteBars = 1000000;

std::vector<CDayItem> DailyBars(int n) {
    std::vector<CDayItem> bars;
    uint32_t date = 19950102;
    while (int(bars.size()) < n) {
        if (IsValidDate(date) && DayOfWeek(date) != 1 && DayOfWeek(date) != 7) {
            CDayItem b;
            b.m_nTime = date;
            b.m_nOpen = 10000 + int32_t(bars.size() % 101);
            b.m_nHigh = b.m_nOpen + 50;
            b.m_nLow = b.m_nOpen - 40;
            b.m_nClose = b.m_nOpen + 10;
            b.m_nVolume = 50000;
            bars.push_back(b);
        }
        date = AddDays(date, 1);
    }
    return bars;
}

struct Fixture {
    std::filesystem::path dir;
    CSecurity* security = nullptr;
    std::vector<CDayItem> minutes;

    Fixture() {
        dir = std::filesystem::temp_directory_path() /
              ("tarrow_bench_md_" + std::to_string(getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        GetAppInfo()->SetProgramDir(dir.string());
        GetDataCenter()->OpenStores(GetAppInfo()->GetDataPath());
        auto s = std::make_unique<CSecurity>();
        s->SetCode(CIndSecuCode(1, "600000"));
        s->GetValues().SetValue(kQuotePriceDivisor, 1000);
        security = s.get();
        GetDataCenter()->AddSecurity(s);
        minutes = MinuteBars(kMinuteBars);
        GetDataCenter()
            ->GetStore(CDataCenter::kMin1File)
            .AppendItems(kMinuteBars, 1, "600000", minutes.data());
    }
    ~Fixture() {
        ResetDataCenter();
        std::filesystem::remove_all(dir);
    }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void BM_LoadMinuteSeries(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        auto series = std::make_shared<CDayData>("bench", f.security, 3, 1);
        series->LoadLocal();
        auto view = series->Read();
        benchmark::DoNotOptimize(view.RawBars().data());
        if (view.RawBars().size() != size_t(kMinuteBars))
            state.SkipWithError("series not loaded whole");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kMinuteBars * 32);
}

// The same records read with one read() of the chain's bytes (records and the few block
// headers between them), then copied into place.
void BM_ReadPlusMemcpy(benchmark::State& state) {
    Fixture& f = Data();
    CDataFile& store = GetDataCenter()->GetStore(CDataCenter::kMin1File);
    const uint64_t first = uint64_t(store.GetHeaderBlocks()) * store.GetBlockSize();
    const size_t blocks =
        (kMinuteBars + store.GetRecordsPerBlock() - 1) / store.GetRecordsPerBlock();
    const size_t span = size_t(kMinuteBars) * 32 + blocks * 12;
    std::string path = (f.dir / "Data" / "mk1.dat").string();
    std::vector<uint8_t> buffer(span);
    for (auto _ : state) {
        int fd = open(path.c_str(), O_RDONLY);
        if (pread(fd, buffer.data(), span, off_t(first)) != ssize_t(span))
            state.SkipWithError("short read");
        close(fd);
        std::vector<CDayItem> out(kMinuteBars);
        std::memcpy(static_cast<void*>(out.data()), buffer.data(), size_t(kMinuteBars) * 32);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kMinuteBars * 32);
}

std::shared_ptr<CDayData> SeriesOf(int16_t type, int16_t period, const std::vector<CDayItem>& raw) {
    auto series = std::make_shared<CDayData>("bench", Data().security, type, period);
    auto edit = series->Write();
    edit.RawBars().assign(raw.begin(), raw.end());
    edit.SetAdjustMode(0);
    return series;
}

void BM_Build60MinuteBars(benchmark::State& state) {
    std::vector<CDayItem> raw(Data().minutes.begin(), Data().minutes.begin() + 500000);
    auto series = SeriesOf(3, 60, raw);
    for (auto _ : state) {
        series->Write().MakeFloatItems(0, 0, 0);
        benchmark::DoNotOptimize(series->Read().ChartBars().data());
    }
    state.counters["bars"] = double(series->Read().ChartBars().size());
}

void BM_CopyHalfMillionMinuteBars(benchmark::State& state) {
    std::vector<CDayItem> raw(Data().minutes.begin(), Data().minutes.begin() + 500000);
    for (auto _ : state) {
        std::vector<CDayItem> copy(raw);
        benchmark::DoNotOptimize(copy.data());
    }
}

void BM_BuildWeeklyBars(benchmark::State& state) {
    auto series = SeriesOf(4, 2, DailyBars(5000));
    for (auto _ : state) {
        series->Write().MakeFloatItems(0, 0, 0);
        benchmark::DoNotOptimize(series->Read().ChartBars().data());
    }
    state.counters["bars"] = double(series->Read().ChartBars().size());
}

void BM_CopyDailyBars(benchmark::State& state) {
    std::vector<CDayItem> raw = DailyBars(5000);
    for (auto _ : state) {
        std::vector<CDayItem> copy(raw);
        benchmark::DoNotOptimize(copy.data());
    }
}

BENCHMARK(BM_LoadMinuteSeries)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ReadPlusMemcpy)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Build60MinuteBars)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_CopyHalfMillionMinuteBars)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_BuildWeeklyBars)->Unit(benchmark::kMicrosecond)->MinTime(1);
BENCHMARK(BM_CopyDailyBars)->Unit(benchmark::kMicrosecond)->MinTime(1);

}  // namespace

int main(int argc, char** argv) {
    RatioReporter reporter;
    // Loading 1,000,000 minute bars from mk1.dat against read() and memcpy of the file.
    reporter.AddRatio("marketdata.load_minute_bars_over_read_memcpy", "BM_LoadMinuteSeries",
                      "BM_ReadPlusMemcpy", 1.5);
    // 60-minute bars from 500,000 minute bars, and weekly bars from 5,000 daily bars,
    // against a plain copy of the source bars.
    reporter.AddRatio("marketdata.build_60min_bars_over_copy", "BM_Build60MinuteBars",
                      "BM_CopyHalfMillionMinuteBars", 12);
    reporter.AddRatio("marketdata.build_weekly_bars_over_copy", "BM_BuildWeeklyBars",
                      "BM_CopyDailyBars", 60);
    return RunBenchmarks(argc, argv, reporter);
}
