// The drawing tools against the bare work they stand on: hit testing 1,000 tools at one
// mouse position against the point-to-segment distances of their recorded lines in a
// plain loop; loading and saving a file of 1,000 tools against tinyxml2 alone loading
// and saving the same file (what the UI thread waits for, and the same with the save waited
// for on disk); and repainting a chart with 200 measuring, projecting and
// pattern tools in its price pane against repainting the same chart without them.

#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "RatioReporter.h"
#include "drawtools/DrawGeometry.h"
#include "drawtools/DrawToolOverlay.h"
#include "drawtools/GannTools.h"
#include "drawtools/TextTools.h"
#include "drawtools/ToolCatalogue.h"
#include "drawtools/ToolFile.h"
#include "drawtools/TriangleLines.h"
#include "drawtools/WaveTools.h"
#include "foundation/WriteBehind.h"
#include "platform/App.h"
#include "platform/Gdi.h"
#include "ui/CommonVar.h"

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
    // One per run: several checkouts may run this benchmark at the same time.
    static const fs::path dir =
        fs::temp_directory_path() / ("tarrow_bench_drawtools_" + std::to_string(::getpid()));
    return dir;
}

std::string SourcePath() {
    return (WorkDir() / "1_600000_3001.xml").string();
}

// Loads the tool file and saves it through the write-behind; with `flushed`, each save is
// waited for until it is on disk (temporary file, flushes, rename).
void LoadSaveToolFile(benchmark::State& state, bool flushed) {
    const std::string out = (WorkDir() / "tools" / "1_600000_3001.xml").string();
    ToolFileInfo info{1, "600000", 3, 1};
    for (auto _ : state) {
        std::vector<std::shared_ptr<CRecRgnLines>> tools;
        LoadToolFile(SourcePath(), tools);
        SaveToolFileBehind(out, info, tools);
        if (flushed) GetWriteBehind().Drain(out);
        benchmark::DoNotOptimize(tools.data());
    }
    GetWriteBehind().Drain();  // nothing left running into the next case
}

// What the UI thread waits for: the load, and the save up to the hand-over to the
// write-behind (which, like the bare tinyxml2 save, does not wait for the disk).
void BM_ToolFileLoadSave(benchmark::State& state) {
    LoadSaveToolFile(state, false);
}

void BM_ToolFileLoadSaveFlushed(benchmark::State& state) {
    LoadSaveToolFile(state, true);
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

// ---- repainting ----

// A chart of 1,200 x 600 pixels showing 200 bars of 6 pixels: the price pane (where the
// tools are), a volume pane, an indicator pane and the time axis.
class PaneChart : public BenchChart {
public:
    static constexpr int kBars = 200;
    CRect GetPaneRect(int, const std::string&) const override { return CRect(0, 0, 1140, 360); }
    double YToValue(int, const std::string&, int y) const override { return 62 - y / 20.0; }
    int ValueToY(int, const std::string&, double v) const override { return int((62 - v) * 20); }
    int32_t XToIndex(int x) const override { return std::clamp(x / 6, 0, kBars - 1); }
    int32_t GetVisibleCount() const override { return kBars; }
    // The bars are held data, as a chart's are: made once, read at every look-up.
    double GetBarPrice(int32_t i, int kind) const override {
        static const std::vector<std::array<double, 5>> bars = [] {
            std::vector<std::array<double, 5>> made(kBars);
            for (int32_t k = 0; k < kBars; ++k) {
                const double base = 50 + 8 * std::sin(k / 9.0) + k % 7 * 0.3;
                made[size_t(k)] = {base + 0.4, base + 1.1, base - 0.9, base - 0.2, 1000.0 + k % 13 * 50};
            }
            return made;
        }();
        if (i < 0 || i >= kBars || kind < 1 || kind > 5) return 0;
        return bars[size_t(i)][size_t(kind - 1)];
    }
};

PaneChart& Pane() {
    static PaneChart chart;
    return chart;
}

// What the chart computes when its data changes, not at every paint: the moving averages of
// the closes and volumes as points, and the indicator's lines and sticks.
struct ChartLines {
    std::vector<std::vector<POINT>> priceAverages, volumeAverages, indicator;
    std::vector<CRect> volumeBars;
    std::vector<std::pair<CPoint, CPoint>> sticks;
};

const ChartLines& Lines() {
    static const ChartLines lines = [] {
        PaneChart& chart = Pane();
        ChartLines l;
        auto average = [&](int kind, int n, auto toY) {
            std::vector<POINT> pts;
            for (int32_t i = n - 1; i < PaneChart::kBars; ++i) {
                double sum = 0;
                for (int32_t k = i - n + 1; k <= i; ++k) sum += chart.GetBarPrice(k, kind);
                pts.push_back(POINT{chart.IndexToX(i), toY(sum / n)});
            }
            return pts;
        };
        auto priceY = [&](double v) { return chart.ValueToY(0, "", v); };
        auto volumeY = [](double v) { return int(470 - v / 1700 * 100); };
        for (int n : {5, 10, 20, 60}) l.priceAverages.push_back(average(1, n, priceY));
        for (int n : {5, 10}) l.volumeAverages.push_back(average(5, n, volumeY));
        std::vector<POINT> dif, dea;
        for (int32_t i = 0; i < PaneChart::kBars; ++i) {
            const int x = chart.IndexToX(i);
            const double d = std::sin(i / 7.0) * 40, e = std::sin((i - 3) / 7.0) * 35;
            dif.push_back(POINT{x, int(530 - d)});
            dea.push_back(POINT{x, int(530 - e)});
            l.sticks.emplace_back(CPoint(x, 530), CPoint(x, int(530 - (d - e) * 2)));
            l.volumeBars.emplace_back(x - 2, volumeY(chart.GetBarPrice(i, 5)), x + 3, 470);
        }
        l.indicator = {dif, dea};
        return l;
    }();
    return lines;
}

// The chart without tools, pane by pane: frame, grid and value labels, title texts, then
// the series (candles and averages, volume bars, indicator sticks and lines), and the time
// labels.
void PaintChart(CDC& dc) {
    PaneChart& chart = Pane();
    const ChartLines& lines = Lines();
    const CRect all(0, 0, 1200, 600);
    dc.FillSolidRect(&all, RGB(0, 0, 0));
    CPen frame(PS_SOLID, 1, RGB(160, 0, 0)), grid(PS_DOT, 1, RGB(80, 0, 0));
    CPen up(PS_SOLID, 1, RGB(255, 60, 60)), down(PS_SOLID, 1, RGB(80, 255, 255));
    CPen lineColors[4] = {CPen(PS_SOLID, 1, RGB(255, 255, 255)), CPen(PS_SOLID, 1, RGB(255, 255, 0)),
                          CPen(PS_SOLID, 1, RGB(255, 0, 255)), CPen(PS_SOLID, 1, RGB(0, 255, 0))};
    CBrush upBrush(RGB(0, 0, 0)), downBrush(RGB(80, 255, 255));
    CBrush hollow;
    hollow.CreateStockNull();
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(GetCommonVar()->GetFont(CommonVar::Font::Chart));
    const CRect panes[3] = {CRect(0, 0, 1140, 360), CRect(0, 370, 1140, 470),
                            CRect(0, 480, 1140, 580)};
    const char* titles[3][5] = {{"600000 日线", "MA5: 51.23", "MA10: 50.87", "MA20: 49.95", "MA60: 50.02"},
                                {"VOL: 1250", "MA5: 1180", "MA10: 1210", "", ""},
                                {"MACD(12,26,9)", "DIF: 12.30", "DEA: 10.85", "MACD: 2.90", ""}};
    for (int p = 0; p < 3; ++p) {
        const CRect& rc = panes[p];
        dc.SelectObject(&frame);
        dc.SelectObject(&hollow);
        dc.Rectangle(&rc);
        dc.SelectObject(&grid);
        dc.SetTextColor(RGB(200, 200, 200));
        for (int k = 1; k < 5; ++k) {
            const int y = rc.top + rc.Height() * k / 5;
            dc.MoveTo(rc.left, y);
            dc.LineTo(rc.right, y);
            char text[32];
            std::snprintf(text, sizeof text, "%.2f", chart.YToValue(0, "", y));
            dc.TextOut(rc.right + 4, y - 7, text);
        }
        int x = rc.left + 4;
        for (const char* title : titles[p]) {
            if (!*title) continue;
            dc.SetTextColor(RGB(255, 255, 0));
            dc.TextOut(x, rc.top + 2, title);
            x += dc.GetTextExtent(title).cx + 12;
        }
    }
    for (int32_t i = 0; i < PaneChart::kBars; ++i) {
        const double open = chart.GetBarPrice(i, 4), close = chart.GetBarPrice(i, 1);
        const bool rising = close >= open;
        dc.SelectObject(rising ? &up : &down);
        dc.SelectObject(rising ? &upBrush : &downBrush);
        const int x = chart.IndexToX(i);
        dc.MoveTo(x, chart.ValueToY(0, "", chart.GetBarPrice(i, 2)));
        dc.LineTo(x, chart.ValueToY(0, "", chart.GetBarPrice(i, 3)));
        const int top = chart.ValueToY(0, "", std::max(open, close));
        const int bottom = chart.ValueToY(0, "", std::min(open, close));
        dc.Rectangle(x - 2, top, x + 3, std::max(bottom, top + 1) + 1);
        dc.Rectangle(&lines.volumeBars[size_t(i)]);
        dc.MoveTo(lines.sticks[size_t(i)].first.x, lines.sticks[size_t(i)].first.y);
        dc.LineTo(lines.sticks[size_t(i)].second.x, lines.sticks[size_t(i)].second.y);
    }
    int color = 0;
    for (const auto* group : {&lines.priceAverages, &lines.volumeAverages, &lines.indicator})
        for (const auto& pts : *group) {
            dc.SelectObject(&lineColors[color++ % 4]);
            dc.Polyline(pts.data(), int(pts.size()));
        }
    dc.SetTextColor(RGB(200, 200, 200));
    for (int k = 0; k < 8; ++k) {
        char text[32];
        std::snprintf(text, sizeof text, "2020/%02d/%02d", 1 + k, 2 + 3 * k);
        dc.TextOut(20 + k * 140, 584, text);
    }
}

// Every kind of tool that measures, projects or marks a pattern, in turn.
const char* const kProjectingTools[] = {
    "PeriodLineTool", "F_PerLineTool", "F_SJZQTool", "ArcTool",    "F_ArcTool",   "FoldLineTool",
    "DDTDTool",       "SXTDTool",      "DCLineTool", "GoldLineTool", "HJFGX_ATool", "HJFGX_BTool",
    "BFBLineTool",    "ZYBLTool",      "ZZCTool",    "BDLineTool", "3LANGTool",   "5LANGTool",
    "8LANGTool",      "MJBLTool",      "TJXTool",    "WTMDTool",   "BoLangTool",  "NewPXXTool",
    "PxsbxTool",      "ZLXTool",       "ADLYCXTool", "SJCTool",    "FDCTool",     "LDMBTool",
    "JXDTool",        "SKJXTool",      "STJXTool",   "XTXTool",    "ZQCTool",     "ZyfsxTool",
    "CircleTool",     "EllipseTool",   "SinLineTool", "PWXTool",   "DSLXTool",    "SDQXTool",
    "XXHGLineTool",   "HGDLineTool",   "HGSXLineTool"};

std::vector<std::shared_ptr<CRecRgnLines>> MakeProjectingTools() {
    PaneChart& chart = Pane();
    std::vector<std::shared_ptr<CRecRgnLines>> tools;
    const int kinds = int(std::size(kProjectingTools));
    for (int n = 0; n < 200; ++n) {
        auto t = MakeDrawTool(kProjectingTools[n % kinds]);
        if (!t) continue;
        t->m_pOwner = &chart;
        t->m_nPaneIndex = 0;
        // Spread over the pane: start bars 0 to 150, spans of 8 to 40 bars.
        const int32_t a = (n * 37) % 150, b = a + 8 + (n * 13) % 33;
        const double va = 44 + n % 9, vb = va + ((n % 2) ? 5.5 : -4.5);
        t->m_lLeft = 202001020930LL + a;
        t->m_lRight = 202001020930LL + b;
        t->m_fTop = va;
        t->m_fBottom = vb;
        if (auto* multi = dynamic_cast<CTriangleLines*>(t.get())) {
            multi->m_items.resize(std::min<size_t>(multi->m_items.size(), 3));
            for (size_t k = 0; k < multi->m_items.size(); ++k) {
                CLineItem& it = multi->m_items[k];
                it.placed = it.begun = 1;
                it.key1 = 202001020930LL + a + int32_t(k) * (b - a);
                it.key2 = it.key1 + (b - a);
                it.value1 = k % 2 ? vb : va;
                it.value2 = k % 2 ? va : vb;
            }
            if (auto* wave = dynamic_cast<C3LANGTool*>(multi)) {
                wave->m_items.resize(1);
                wave->DataToPixels(0);
                wave->BuildLegs();
                wave->PixelsToData(0);
            }
        }
        tools.push_back(t);
    }
    return tools;
}

struct ChartBitmap {
    CDC dc;
    CBitmap bmp;
    ChartBitmap() {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, 1200, 600);
        dc.SelectObject(&bmp);
    }
};

void BM_RepaintChartAlone(benchmark::State& state) {
    ChartBitmap pane;
    for (auto _ : state) {
        PaintChart(pane.dc);
        benchmark::DoNotOptimize(pane.dc.GetPixel(0, 0));
    }
}

void BM_RepaintChartWith200Tools(benchmark::State& state) {
    ChartBitmap pane;
    DrawToolOverlay overlay(&Pane());
    for (auto& t : MakeProjectingTools()) overlay.AddTool(t);
    for (auto _ : state) {
        PaintChart(pane.dc);
        overlay.DrawPaneTools(&pane.dc, "");
        benchmark::DoNotOptimize(pane.dc.GetPixel(0, 0));
    }
}

BENCHMARK(BM_BareSegmentDistances)->Unit(benchmark::kMicrosecond)->MinTime(1);
BENCHMARK(BM_HitTestTools)->Unit(benchmark::kMicrosecond)->MinTime(1);
BENCHMARK(BM_Tinyxml2LoadSave)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ToolFileLoadSave)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ToolFileLoadSaveFlushed)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_RepaintChartAlone)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_RepaintChartWith200Tools)->Unit(benchmark::kMillisecond)->MinTime(1);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int qargc = 1;
    static char name[] = "bench_drawtools";
    static char* qargv[] = {name, nullptr};
    platform::Initialize(qargc, qargv);
    GetCommonVar()->Init();
    fs::create_directories(WorkDir());
    SaveToolFile(SourcePath(), ToolFileInfo{1, "600000", 3, 1}, MakeTools());
    RatioReporter reporter;
    reporter.AddRatio("drawtools.hit_test_over_bare_distances", "BM_HitTestTools",
                      "BM_BareSegmentDistances", 2.0);
    reporter.AddRatio("drawtools.file_load_save_over_xml_load_save", "BM_ToolFileLoadSave",
                      "BM_Tinyxml2LoadSave", 1.5);
    reporter.AddRatio("drawtools.file_load_save_flushed_over_xml_load_save", "BM_ToolFileLoadSaveFlushed",
                      "BM_Tinyxml2LoadSave", 1.5);
    reporter.AddRatio("drawtools.repaint_200_tools_over_bare_chart",
                      "BM_RepaintChartWith200Tools", "BM_RepaintChartAlone", 2.0);
    int status = RunBenchmarks(argc, argv, reporter);
    fs::remove_all(WorkDir());
    return status;
}
