// Loading and saving the training record file against tinyxml2 alone parsing and printing
// the same file: the record layer should cost little beyond the XML work itself.
// One step of a trend-training session on a chart with four indicator panes over 2,000 day
// bars (the reveal, the indicators of the revealed range, the stop check, the panel and the
// repaint) against one full repaint of the same chart: a step must not cost much more than
// showing the chart once.

#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include <unistd.h>

#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "BenchBars.h"
#include "BenchChartEnv.h"
#include "RatioReporter.h"
#include "chart/ChartPic.h"
#include "formula/YBIndClass.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/Security.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/home/ProgramDir.h"
#include "training/TotalTrainingRecord.h"
#include "training/TrainingPicData.h"
#include "training/TrainingRecord.h"
#include "training/wnd/TrainingAssistWnd.h"
#include "training/wnd/TrainingKlineWnd.h"
#include "ui/CommonVar.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSessions = 1000;
constexpr int kTradesPerSession = 200;

const fs::path& WorkDir() {
    static const fs::path dir = fs::temp_directory_path() / "tarrow_bench_training";
    return dir;
}

std::string SourcePath() {
    return (WorkDir() / "source" / "totalRecord.xml").string();
}

// 1,000 sessions of 200 trades each: alternating buys and sells with Chinese comments.
void WriteSourceFile() {
    CTotalTrainingRecord list(SourcePath());
    for (int s = 0; s < kSessions; ++s) {
        auto r = std::make_shared<CTrainingRecord>(
            nullptr, CIndSecuCode(1 + s % 2, std::to_string(600000 + s)), 0, 1, 0, 0, 0, 1e6,
            s % 3 ? "浦发银行" : "Bank", 0.0003);
        r->zy = 0.055;
        r->zs = 0.035;
        std::string msg;
        int date = 20200102;
        for (int t = 0; t < kTradesPerSession; t += 2) {
            const double price = 10 + (t % 17) * 0.13;
            r->Buy(1000, date * 10000LL + 930, msg, true, t % 4 ? "突破买入" : "", price);
            r->Sell(1000, (date + 1) * 10000LL + 1030, msg, t % 4 ? "" : "止盈卖出", price * 1.013);
            r->UpdateAsset(static_cast<uint32_t>(date), price);
            date += 2;
        }
        list.records.push_back(r);
    }
    list.selected = 3;
    if (!list.Save(20240105)) std::fprintf(stderr, "could not write %s\n", SourcePath().c_str());
}

void BM_RecordFileLoadSave(benchmark::State& state) {
    const std::string out = (WorkDir() / "records" / "totalRecord.xml").string();
    for (auto _ : state) {
        CTotalTrainingRecord list(SourcePath());
        list.Load();
        list.SetFilePath(out);
        list.Save(20240105);
        benchmark::DoNotOptimize(list.records.data());
    }
}

void BM_Tinyxml2ParsePrint(benchmark::State& state) {
    fs::create_directories(WorkDir() / "plain");
    const std::string out = (WorkDir() / "plain" / "totalRecord.xml").string();
    for (auto _ : state) {
        tinyxml2::XMLDocument doc;
        doc.LoadFile(SourcePath().c_str());
        doc.SaveFile(out.c_str());
        benchmark::DoNotOptimize(doc.RootElement());
    }
}


// ---- a session step against a repaint ----

constexpr int kHistoryDays = 2000;  // revealed before the session's first step
constexpr int kSessionDays = 1000;  // steps before the chart is opened again
constexpr int kFillSteps = 60;      // steps that fill the view before anything is measured

// Counts its paints: a step paints the chart once.
int g_chartPaints = 0;
struct CountingChart : TrainingKlineWnd {
    void DrawClient(CDC* dc) override {
        ++g_chartPaints;
        TrainingKlineWnd::DrawClient(dc);
    }
};
struct ChartBench {
    fs::path dir;
    CWnd host;
    std::unique_ptr<TrainingKlineWnd> chart;
    std::unique_ptr<CTrainingAssistWnd> panel;
    std::unique_ptr<CTrainingRecord> record;
    std::vector<uint32_t> dates;
    CSecurity* security = nullptr;

    ChartBench() {
        EnsureChartEnvironment();
        // No one answers a message box here: it is logged and taken as read.
        SetMessageBoxHook([](const std::string& text, const std::string&, UINT) {
            std::fprintf(stderr, "message: %s\n", text.c_str());
            return IDOK;
        });

        dir = fs::temp_directory_path() / ("tarrow_bench_trainchart_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        GetAppInfo()->SetProgramDir(dir.string());
        GetDataCenter()->OpenStores(GetAppInfo()->GetDataPath());
        SetDataLayerHooks({{}, std::this_thread::get_id()});
        auto s = std::make_unique<CSecurity>();
        s->SetCode(CIndSecuCode(1, "600000"));
        s->SetName("浦发银行");
        s->GetValues().SetValue(kQuotePriceDivisor, 1000);
        s->SetSecurityType();
        security = s.get();
        GetDataCenter()->AddSecurity(s);
        // A wandering price, so that every indicator has something to follow.
        std::vector<CDayItem> bars;
        uint32_t day = 20000104;
        for (int i = 0; i < kHistoryDays + kSessionDays + 10; ++i) {
            CDayItem b;
            b.m_nTime = day;
            const double mid = 10000 + 2000 * std::sin(i * 0.05) + 700 * std::cos(i * 0.31);
            b.m_nOpen = int32_t(mid);
            b.m_nClose = int32_t(mid + 150 * std::sin(i * 1.7));
            b.m_nHigh = std::max(b.m_nOpen, b.m_nClose) + 80;
            b.m_nLow = std::min(b.m_nOpen, b.m_nClose) - 80;
            b.m_nVolume = 100000 + (i * 7919) % 50000;
            bars.push_back(b);
            dates.push_back(day);
            day = NextWeekday(day);
        }
        GetDataCenter()->GetStore(CDataCenter::kDayFile)
            .ReplaceItems(uint32_t(bars.size()), 1, "600000", bars.data());
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 1280, 800), nullptr, 0);
        host.ShowWindow(SW_SHOW);
        Open();
    }
    ~ChartBench() {
        Close();
        host.DestroyWindow();
        ResetDataCenter();
        fs::remove_all(dir);
    }

    // A session whose first bar has 2,000 bars before it, on a chart with the price pane
    // and four indicator panes, beside its control panel.
    void Open() {
        record = std::make_unique<CTrainingRecord>(security, CIndSecuCode(1, "600000"), 0, 1, 0, 0, 1,
                                                   1000000, "浦发银行", 0.0003);
        record->StartDate = int32_t(dates[kHistoryDays]);
        record->EndDate = int32_t(dates[kHistoryDays + kSessionDays]);
        panel = std::make_unique<CTrainingAssistWnd>();
        panel->SetContextObject(record.get());
        panel->Create(&host);
        panel->MoveWindow(980, 0, 300, 800);
        chart = std::make_unique<CountingChart>();
        chart->Create(&host);
        chart->MoveWindow(0, 0, 980, 800);
        chart->SetPanel(panel.get());
        panel->SetChart(chart.get());
        chart->OnDataChanged();  // the price with MA, VOL and MACD
        auto overlay = chart->GetTrainingOverlay();
        for (const char* name : {"KDJ", "BIAS"}) {
            chart::ChartPicProp& p = overlay->AddPane()->Prop();
            p.BindIndicatorByName(name);
            p.SetIndicatorPeriod(4, 1);
        }
        chart->SetContextObject(record.get());
        panel->AttachData();
        chart->RecalcLayout();
        chart->RedrawWindow();
        platform::ProcessPendingEvents();
        record->zs = 0.05;  // a stop level to check at every bar
        // The view starts with fifty bars of history; both benchmarks measure it full.
        for (int i = 0; i < kFillSteps; ++i) chart->StepNextBar(false);
        platform::ProcessPendingEvents();
        steps = kFillSteps;
    }
    void Close() {
        if (chart) chart->DestroyWindow();
        if (panel) panel->DestroyWindow();
        chart.reset();
        panel.reset();
        record.reset();
    }
    int32_t Revealed() { return chart->GetReveal()->revealedCount; }

    int steps = 0;  // since the session was opened
};

std::unique_ptr<ChartBench>& ChartHolder() {
    static std::unique_ptr<ChartBench> bench;
    return bench;
}

ChartBench& Chart() {
    if (!ChartHolder()) ChartHolder() = std::make_unique<ChartBench>();
    return *ChartHolder();
}

void BM_TrainingStep(benchmark::State& state) {
    ChartBench& b = Chart();
    g_chartPaints = 0;
    for (auto _ : state) {
        if (++b.steps == kSessionDays - 5) {
            state.PauseTiming();
            b.Close();
            b.Open();
            state.ResumeTiming();
        }
        if (!b.chart->StepNextBar(false)) {
            state.SkipWithError("the step moved nothing");
            break;
        }
        platform::ProcessPendingEvents();
    }
    if (b.Revealed() < kHistoryDays) state.SkipWithError("the history did not load");
    state.counters["paints"] = double(g_chartPaints) / double(std::max<int64_t>(state.iterations(), 1));
    g_chartPaints = 0;
}

void BM_ChartRepaint(benchmark::State& state) {
    ChartBench& b = Chart();
    g_chartPaints = 0;
    for (auto _ : state) {
        b.chart->RedrawWindow();
        platform::ProcessPendingEvents();
    }
}

BENCHMARK(BM_Tinyxml2ParsePrint)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_RecordFileLoadSave)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_ChartRepaint)->Unit(benchmark::kMicrosecond)->MinTime(2);
BENCHMARK(BM_TrainingStep)->Unit(benchmark::kMicrosecond)->MinTime(2);

}  // namespace

int main(int argc, char** argv) {
    WriteSourceFile();
    std::printf("source file: %.1f MB\n",
                static_cast<double>(fs::file_size(SourcePath())) / (1024 * 1024));
    RatioReporter reporter;
    // Loading and saving the record file against tinyxml2 parsing and printing it.
    reporter.AddRatio("training.record_file_load_save_over_xml_parse_print",
                      "BM_RecordFileLoadSave", "BM_Tinyxml2ParsePrint", 1.5);
    // One step of a session with four indicator panes on 2,000 day bars against one full
    // repaint of the same chart.
    reporter.AddRatio("training.session_step_over_chart_repaint", "BM_TrainingStep",
                      "BM_ChartRepaint", 2.0);
    int status = RunBenchmarks(argc, argv, reporter);
    ChartHolder().reset();  // the windows go while the platform is still there
    fs::remove_all(WorkDir());
    return status;
}
