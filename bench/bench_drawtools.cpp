// The drawing tools against the bare work they stand on: hit testing 1,000 tools at one
// mouse position against the point-to-segment distances of their recorded lines in a
// plain loop, and loading and saving a file of 1,000 tools against tinyxml2 alone loading
// and saving the same file.

#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "drawtools/DrawGeometry.h"
#include "drawtools/DrawToolOverlay.h"
#include "drawtools/GannTools.h"
#include "drawtools/TextTools.h"
#include "drawtools/ToolFile.h"
#include "drawtools/TriangleLines.h"
#include "platform/App.h"

namespace fs = std::filesystem;

namespace {

// A chart of 1,000 bars, 6 pixels each, one pane with a linear axis.
class BenchChart : public IDrawChart {
public:
    CWnd* GetChartWindow() override { return nullptr; }
    int GetPaneCount() const override { return 1; }
    std::string GetPaneName(int) const override { return std::string(); }
    CRect GetPaneRect(int, const std::string&) const override { return CRect(0, 0, 6000, 600); }
    int PaneAtPoint(int, int) const override { return 0; }
    double YToValue(int, const std::string&, int y) const override { return 100 - y / 6.0; }
    int ValueToY(int, const std::string&, double v) const override { return int((100 - v) * 6); }
    CRect GetTimeAxisRect() const override { return CRect(0, 600, 6000, 620); }
    int32_t XToIndex(int x) const override { return std::clamp(x / 6, 0, 999); }
    int IndexToX(int32_t i) const override { return i * 6 + 3; }
    double GetBarWidth() const override { return 6; }
    int32_t GetFirstVisibleIndex() const override { return 0; }
    int32_t GetVisibleCount() const override { return 1000; }
    void ScrollToFirstIndex(int32_t) override {}
    int64_t GetTimeAtX(int x) override { return 202001020930LL + XToIndex(x); }
    int TimeToX(int64_t key) override { return IndexToX(int32_t(key - 202001020930LL)); }
    double GetBarPrice(int32_t i, int) const override { return 50 + i % 10; }
    double CloseAtTime(int64_t) const override { return 50; }
    int16_t GetDataType() const override { return 3; }
    int16_t GetPeriod() const override { return 1; }
    CIndSecuCode GetSecurity() const override { return CIndSecuCode(1, "600000"); }
    void Invalidate() override {}
    void SetDragFlag(bool) override {}
};

BenchChart& Chart() {
    static BenchChart chart;
    return chart;
}

// 1,000 tools spread over the chart: rectangles, Gann boxes and triangles, with a text
// tool every tenth.
std::vector<std::shared_ptr<CRecRgnLines>> MakeTools() {
    std::vector<std::shared_ptr<CRecRgnLines>> tools;
    for (int i = 0; i < 1000; ++i) {
        std::shared_ptr<CRecRgnLines> t;
        switch (i % 10) {
        case 0: {
            auto text = std::make_shared<CTextAssistor>();
            text->m_strText = "压力位\n第二行";
            t = text;
            break;
        }
        case 1:
        case 2:
        case 3: {
            auto tri = std::make_shared<CTriangleLines>();
            for (auto& item : tri->m_items) {
                item.placed = item.begun = 1;
                item.key1 = 202001020930LL + i % 900;
                item.key2 = item.key1 + 40;
                item.value1 = 40 + i % 50;
                item.value2 = item.value1 + 5;
            }
            t = tri;
            break;
        }
        case 4:
        case 5:
            t = std::make_shared<CJNXTool>();
            break;
        default:
            t = std::make_shared<CRecRgnLines>();
            break;
        }
        t->m_pOwner = &Chart();
        t->m_lLeft = 202001020930LL + i % 900;
        t->m_lRight = t->m_lLeft + 30 + i % 60;
        t->m_fTop = 30 + i % 60;
        t->m_fBottom = t->m_fTop + 3 + i % 7;
        t->BuildFigure();
        tools.push_back(t);
    }
    return tools;
}

// A point near no tool line: every tool is asked.
constexpr int kMouseX = 1;
constexpr int kMouseY = 1;

void BM_HitTestTools(benchmark::State& state) {
    DrawToolOverlay overlay(&Chart());
    for (auto& t : MakeTools()) overlay.AddTool(t);
    for (auto _ : state) {
        int part = 0;
        benchmark::DoNotOptimize(overlay.HitTestTools(kMouseX, kMouseY, part));
        benchmark::DoNotOptimize(part);
    }
}

void BM_BareSegmentDistances(benchmark::State& state) {
    std::vector<std::vector<CPoint>> segments;
    for (auto& t : MakeTools()) segments.push_back(t->Segments());
    for (auto _ : state) {
        int near = 0;
        for (auto it = segments.rbegin(); it != segments.rend(); ++it) {
            const auto& s = *it;
            for (size_t i = 0; i + 1 < s.size(); i += 2)
                near += SegmentDistance(s[i].x, s[i].y, s[i + 1].x, s[i + 1].y, kMouseX, kMouseY) <= 3;
        }
        benchmark::DoNotOptimize(near);
    }
}

const fs::path& WorkDir() {
    static const fs::path dir = fs::temp_directory_path() / "tarrow_bench_drawtools";
    return dir;
}

std::string SourcePath() {
    return (WorkDir() / "1_600000_3001.xml").string();
}

void BM_ToolFileLoadSave(benchmark::State& state) {
    const std::string out = (WorkDir() / "tools" / "1_600000_3001.xml").string();
    ToolFileInfo info{1, "600000", 3, 1};
    for (auto _ : state) {
        std::vector<std::shared_ptr<CRecRgnLines>> tools;
        LoadToolFile(SourcePath(), tools);
        SaveToolFile(out, info, tools);
        benchmark::DoNotOptimize(tools.data());
    }
}

void BM_Tinyxml2LoadSave(benchmark::State& state) {
    fs::create_directories(WorkDir() / "plain");
    const std::string out = (WorkDir() / "plain" / "1_600000_3001.xml").string();
    for (auto _ : state) {
        tinyxml2::XMLDocument doc;
        doc.LoadFile(SourcePath().c_str());
        doc.SaveFile(out.c_str());
        benchmark::DoNotOptimize(doc.RootElement());
    }
}

BENCHMARK(BM_BareSegmentDistances)->Unit(benchmark::kMicrosecond)->MinTime(1);
BENCHMARK(BM_HitTestTools)->Unit(benchmark::kMicrosecond)->MinTime(1);
BENCHMARK(BM_Tinyxml2LoadSave)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ToolFileLoadSave)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int qargc = 1;
    static char name[] = "bench_drawtools";
    static char* qargv[] = {name, nullptr};
    platform::Initialize(qargc, qargv);
    fs::create_directories(WorkDir());
    SaveToolFile(SourcePath(), ToolFileInfo{1, "600000", 3, 1}, MakeTools());
    RatioReporter reporter;
    reporter.AddRatio("drawtools.hit_test_over_bare_distances", "BM_HitTestTools",
                      "BM_BareSegmentDistances", 2.0);
    reporter.AddRatio("drawtools.file_load_save_over_xml_load_save", "BM_ToolFileLoadSave",
                      "BM_Tinyxml2LoadSave", 1.5);
    int status = RunBenchmarks(argc, argv, reporter);
    fs::remove_all(WorkDir());
    return status;
}
