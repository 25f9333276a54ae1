// Loading and saving the training record file against tinyxml2 alone parsing and printing
// the same file: the record layer should cost little beyond the XML work itself.

#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "RatioReporter.h"
#include "training/TotalTrainingRecord.h"

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

BENCHMARK(BM_Tinyxml2ParsePrint)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_RecordFileLoadSave)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace

int main(int argc, char** argv) {
    WriteSourceFile();
    std::printf("source file: %.1f MB\n",
                static_cast<double>(fs::file_size(SourcePath())) / (1024 * 1024));
    RatioReporter reporter;
    // Loading and saving the record file against tinyxml2 parsing and printing it.
    reporter.AddRatio("training.record_file_load_save_over_xml_parse_print",
                      "BM_RecordFileLoadSave", "BM_Tinyxml2ParsePrint", 1.5);
    int status = RunBenchmarks(argc, argv, reporter);
    fs::remove_all(WorkDir());
    return status;
}
