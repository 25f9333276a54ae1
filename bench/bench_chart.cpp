// The chart against the bare work it stands on, each pair measured in the same run:
//  - the data layer: one notification over a 1,000,000-bar one-minute series (chart bars
//    built, counts taken, items reserved and loaded) against building the same bars as the
//    layer's records in a vector;
//  - a full repaint of a four-pane chart (candles with MA, VOL, MACD, KDJ) of 250 visible
//    day bars on 1920 x 1080 through the chart, against drawing the same candles, lines and
//    texts with bare CDC calls in one loop;
//  - moving the crosshair one bar (erase and draw) against one BitBlt of the chart area;
//  - a zoom step on a 1,000,000-bar minute chart (relayout, indicators, repaint) against the
//    full repaint above.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchBars.h"
#include "BenchChartEnv.h"
#include "RatioReporter.h"
#include "chart/ChartOverlay.h"
#include "chart/ChartPic.h"
#include "chart/KlineChartWnd.h"
#include "formula/YBIndClass.h"
#include "platform/App.h"
#include "platform/home/ProgramDir.h"
#include "ui/CommonVar.h"
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

// ---- painting the chart ----

// Bars written straight into the layer's records, no network.
class BenchLayer : public PicDataLayer {
public:
    using PicDataLayer::PicDataLayer;
    void FillBars(const std::vector<CFloatDayItem>& bars, int16_t type, int16_t period) {
        SetDataType(type, period);
        m_nItemCount = static_cast<int32_t>(bars.size());
        Reserve();
        m_nBegin = 0;
        m_nEnd = m_nItemCount;
        std::memcpy(m_items.data(), bars.data(), bars.size() * sizeof(CFloatDayItem));
    }
    void RequestData() override {}
    void Detach() override {}
};

class BenchChartWnd : public CKlineChartWnd {
public:
    void CreateDataLayer() override {
        m_pDataLayer = std::make_shared<BenchLayer>(this);
        m_pDataLayer->SetDataType(PicDataLayer::kDay, 1);
    }
    BenchLayer& Layer() { return static_cast<BenchLayer&>(*m_pDataLayer); }
    chart::ChartOverlay& Chart() { return *GetChartOverlayPtr(); }
};

// A walk of bars that rise and fall, with the keys the caller gives.
std::vector<CFloatDayItem> WalkBars(const std::vector<int64_t>& keys) {
    std::vector<CFloatDayItem> v(keys.size());
    double close = 20;
    for (size_t i = 0; i < keys.size(); ++i) {
        CFloatDayItem& b = v[i];
        const double open = close;
        close = std::max(1.0, open + std::sin(double(i) * 0.37) * 0.3 + std::cos(double(i) * 0.11) * 0.15);
        b.m_fOpen = open;
        b.m_fClose = close;
        b.m_fHigh = std::max(open, close) + 0.12 + 0.05 * std::fabs(std::sin(double(i) * 1.3));
        b.m_fLow = std::min(open, close) - 0.1 - 0.05 * std::fabs(std::cos(double(i) * 0.9));
        b.m_fVolume = 100000 + 40000 * std::fabs(std::sin(double(i) * 0.5));
        b.m_fAmount = b.m_fVolume * close;
        b.m_nTime = keys[i];
    }
    return v;
}

constexpr int kWidth = 1920, kHeight = 1080, kVisible = 250;

// A chart window on the offscreen screen with the price pane
// (candles and MA) and the VOL, MACD and KDJ panes, and a bitmap to paint it on.
struct PaintedChart {
    CWnd host;
    BenchChartWnd wnd;
    CBitmap bmp;
    CDC dc;
    PaintedChart(const std::vector<CFloatDayItem>& bars, int16_t type, int16_t period) {
        EnsureChartEnvironment();
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, kWidth, kHeight), nullptr, 0);
        wnd.Create(&host);
        host.ShowWindow(SW_SHOW);
        wnd.Layer().FillBars(bars, type, period);
        wnd.OnDataChanged();
        chart::ChartOverlay& c = wnd.Chart();
        chart::ChartPic* kdj = c.AddPane();
        kdj->Prop().BindIndicatorByName("KDJ");
        for (const auto& pane : c.m_aPanes) {
            pane->Prop().ResetSecurity();
            pane->Prop().SetIndicatorPeriod(type, period);
        }
        wnd.MoveWindow(0, 0, kWidth, kHeight);
        platform::ProcessPendingEvents();
        c.m_nVisibleCount = kVisible;
        c.m_nEnd = static_cast<int32_t>(bars.size());
        c.Layout();
        c.ResizePaneResults();
        c.CalcIndicators(wnd.Layer().GetBegin(), wnd.Layer().GetEnd());
        c.m_bCursorMode = 1;
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, kWidth, kHeight);
        dc.SelectObject(&bmp);
    }
};

// Made once and kept to the end: windows are not taken down after the platform is.
PaintedChart& DailyChart() {
    static PaintedChart* chart = new PaintedChart([] {
        std::vector<int64_t> keys;
        uint32_t day = 20200102;
        for (int i = 0; i < 400; ++i, day = NextWeekday(day)) keys.push_back(day);
        return WalkBars(keys);
    }(), PicDataLayer::kDay, 1);
    return *chart;
}

PaintedChart& MillionMinuteChart() {
    static PaintedChart* chart = new PaintedChart([] {
        const std::vector<CDayItem>& minutes = Data().minutes;
        std::vector<int64_t> keys(minutes.size());
        for (size_t i = 0; i < minutes.size(); ++i) keys[i] = minutes[i].m_nTime;
        return WalkBars(keys);
    }(), PicDataLayer::kMinute, 1);
    return *chart;
}

void BM_ChartFullRepaint(benchmark::State& state) {
    PaintedChart& p = DailyChart();
    if (p.wnd.Chart().m_nEnd - p.wnd.Chart().m_nStart < kVisible - 20)
        state.SkipWithError("fewer bars shown than asked");
    for (auto _ : state) {
        p.wnd.DrawClient(&p.dc);
        benchmark::DoNotOptimize(p.dc.GetPixel(kWidth / 2, kHeight / 2));
    }
}

// What the chart draws, as coordinates taken from it once: candles, the lines of MA, VOL,
// MACD and KDJ, volume bars and MACD sticks, grid rows and columns, and the texts of the
// axes and titles; drawn with bare CDC calls.
struct BareScene {
    struct Candle {
        int x, open, close, high, low;
        bool fall;
    };
    std::vector<Candle> candles;
    std::vector<std::vector<CPoint>> lines;
    std::vector<CRect> bars;   // volume bars
    std::vector<std::array<int, 3>> sticks;  // x, from y, to y
    std::vector<CRect> panes;
    std::vector<int> rows;     // y of grid rows (across the plot)
    std::vector<int> columns;  // x of grid columns (down the plot)
    std::vector<std::pair<CRect, std::string>> texts;
    CRect plot;
    int w = 1;
};

BareScene& Scene() {
    static BareScene s = [] {
        PaintedChart& p = DailyChart();
        p.wnd.DrawClient(&p.dc);  // the time axis and its grid are made by a paint
        chart::ChartOverlay& c = p.wnd.Chart();
        const PicDataLayer& layer = p.wnd.Layer();
        BareScene s;
        s.plot = c.m_rcPlot;
        s.w = std::max(1, int(c.GetBarWidth() / 2.75));
        const chart::ChartPicProp& price = c.m_aPanes[0]->Prop();
        for (int32_t i = c.m_nStart; i < std::min(c.m_nEnd, layer.GetEnd()); ++i) {
            const double prev = i > 0 ? layer.GetClose(i - 1) : layer.GetOpen(i);
            s.candles.push_back({c.IndexToX(i), price.PriceToY(layer.GetOpen(i), true),
                                 price.PriceToY(layer.GetClose(i), true),
                                 price.PriceToY(layer.GetHigh(i), true),
                                 price.PriceToY(layer.GetLow(i), true),
                                 layer.GetClose(i) < layer.GetOpen(i) ||
                                     (layer.GetClose(i) == layer.GetOpen(i) && layer.GetClose(i) < prev)});
        }
        for (const auto& pane : c.m_aPanes) {
            const chart::ChartPicProp& pp = pane->Prop();
            s.panes.push_back(pp.m_rcPane);
            for (int row : pp.m_axeMain.m_aGridRows) s.rows.push_back(row);
            if (!pp.m_pIndicator) continue;
            for (const CIndicatorExp& line : pp.m_pIndicator->m_aExps) {
                if (line.m_nStyle <= 0) continue;
                const bool stick = line.m_nStyle != CIndicatorExp::kLine;
                std::vector<CPoint> pts;
                for (int32_t i = c.m_nStart; i < std::min(c.m_nEnd, layer.GetEnd()); ++i) {
                    double v = 0;
                    if (!line.GetValue(i, v)) continue;
                    const int x = c.IndexToX(i), y = pp.IndicatorToY(v, true);
                    if (!stick) {
                        pts.emplace_back(x, y);
                    } else if (line.m_nStyle == CIndicatorExp::kVolStick) {
                        s.bars.emplace_back(x - s.w, y, x + s.w + 1, pp.m_rcPlot.bottom);
                    } else {
                        s.sticks.push_back({x, pp.IndicatorToY(0, true), y});
                    }
                }
                if (!pts.empty()) s.lines.push_back(std::move(pts));
            }
            // Axis labels and the title's name, parameters and values.
            for (int row : pp.m_axeMain.m_aGridRows)
                s.texts.emplace_back(CRect(c.m_rcLeftAxis.left, row - 6, c.m_rcLeftAxis.right - 2, row + 6),
                                     "12.34");
            int x = pp.m_rcPane.left + 2;
            for (int k = 0; k < 6; ++k, x += 90)
                s.texts.emplace_back(CRect(x, pp.m_rcPane.top + 1, x + 90, pp.m_rcPane.top + pp.m_nTitleHeight),
                                     k == 0 ? " " + pp.m_strIndicatorName : "MA5=12.345");
        }
        for (const chart::CAxeGrid& g : c.m_aGrid) {
            s.columns.push_back(g.x);
            s.texts.emplace_back(CRect(g.x + 1, c.m_rcTimeBand.top + 1, g.x + 80, c.m_rcTimeBand.bottom),
                                 "2020/03");
        }
        return s;
    }();
    return s;
}

void BM_BareCdcRepaint(benchmark::State& state) {
    PaintedChart& p = DailyChart();
    BareScene& s = Scene();
    CDC& dc = p.dc;
    const CommonColorTable& colors = GetCommonVar()->Colors();
    CPen rise(PS_SOLID, 1, colors[CommonColor::uniPic_Rise]);
    CPen fall(PS_SOLID, 1, colors[CommonColor::uniPic_Fall]);
    CPen grid(PS_SOLID, 1, colors[CommonColor::uniPic_GridLine]);
    CPen line(PS_SOLID, 1, RGB(255, 255, 64));
    CBrush riseBrush(colors[CommonColor::uniPic_Rise]);
    CFont* font = GetCommonVar()->GetFont(CommonVar::Font::ChartSmall);
    for (auto _ : state) {
        dc.FillSolidRect(0, 0, kWidth, kHeight, colors[CommonColor::uniBackGround]);
        for (const CRect& rc : s.panes) dc.FillSolidRect(&rc, colors[CommonColor::uniPic_BackGround]);
        dc.SelectObject(&grid);
        for (int y : s.rows) {
            dc.MoveTo(s.plot.left, y);
            dc.LineTo(s.plot.right, y);
        }
        for (int x : s.columns) {
            dc.MoveTo(x, s.plot.top);
            dc.LineTo(x, s.plot.bottom);
        }
        for (const BareScene::Candle& k : s.candles) {
            dc.SelectObject(k.fall ? &fall : &rise);
            CRect body(k.x - s.w, std::min(k.open, k.close), k.x + s.w + 1, std::max(k.open, k.close) + 1);
            dc.FillSolidRect(&body, colors[k.fall ? CommonColor::uniPic_Fall : CommonColor::uniPic_Rise]);
            dc.MoveTo(k.x, k.high);
            dc.LineTo(k.x, std::min(k.open, k.close));
            dc.MoveTo(k.x, std::max(k.open, k.close));
            dc.LineTo(k.x, k.low);
        }
        dc.SelectObject(&line);
        for (const auto& pts : s.lines) {
            dc.MoveTo(pts.front().x, pts.front().y);
            for (size_t k = 1; k < pts.size(); ++k) dc.LineTo(pts[k].x, pts[k].y);
        }
        dc.SelectObject(&rise);
        for (const CRect& rc : s.bars) dc.FrameRect(&rc, &riseBrush);
        for (const auto& st : s.sticks) {
            dc.MoveTo(st[0], st[1]);
            dc.LineTo(st[0], st[2]);
        }
        CFont* old = dc.SelectObject(font);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(colors[CommonColor::uniPic_Text]);
        for (auto& [rc, text] : s.texts) dc.DrawText(text, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        dc.SelectObject(old);
        benchmark::DoNotOptimize(dc.GetPixel(kWidth / 2, kHeight / 2));
    }
}

// One bar right, then one bar back: each iteration erases the crosshair and draws it anew.
void BM_CrosshairOneBar(benchmark::State& state) {
    PaintedChart& p = DailyChart();
    chart::ChartOverlay& c = p.wnd.Chart();
    p.wnd.DrawClient(&p.dc);
    const int32_t bar = (c.m_nStart + c.m_nEnd) / 2;
    const int y = c.m_aPanes[0]->Prop().m_rcPlot.CenterPoint().y;
    c.MoveCursor(bar, y, &p.dc);
    int step = 1;
    for (auto _ : state) {
        c.MoveCursor(c.m_nCursor + step, y, &p.dc);
        step = -step;
    }
    c.MoveCursor(-1, -1, &p.dc);
}

void BM_BitBltChartArea(benchmark::State& state) {
    PaintedChart& p = DailyChart();
    const CRect& area = p.wnd.Chart().m_rcChart;
    CDC screen;
    screen.CreateCompatibleDC(nullptr);
    CBitmap target;
    target.CreateCompatibleBitmap(&screen, kWidth, kHeight);
    screen.SelectObject(&target);
    for (auto _ : state) {
        screen.BitBlt(area.left, area.top, area.Width(), area.Height(), &p.dc, area.left, area.top, SRCCOPY);
        benchmark::DoNotOptimize(screen.GetPixel(kWidth / 2, kHeight / 2));
    }
}

// Up then Down on a million-bar minute chart: each step lays the range out again, brings
// the panes' ranges and indicators up to date and paints the window (the zoom repaints it
// at once).
void BM_ZoomStepMillionBars(benchmark::State& state) {
    PaintedChart& p = MillionMinuteChart();
    chart::ChartOverlay& c = p.wnd.Chart();
    for (auto _ : state) {
        // In while wide, out while narrow: the count stays between 166 and 250 however
        // often the loop is run.
        p.wnd.OnElementKeyDown(c.m_nVisibleCount >= kVisible ? 0x26 : 0x28, 1, 0);
    }
    if (c.m_nVisibleCount < 100 || c.m_nVisibleCount > 400) state.SkipWithError("zoom left the range");
}

BENCHMARK(BM_LayerNotify)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_BarsToRecords)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_ChartFullRepaint)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_BareCdcRepaint)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_CrosshairOneBar)->Unit(benchmark::kMicrosecond)->MinTime(1);
BENCHMARK(BM_BitBltChartArea)->Unit(benchmark::kMicrosecond)->MinTime(1);
BENCHMARK(BM_ZoomStepMillionBars)->Unit(benchmark::kMillisecond)->MinTime(1);

}  // namespace

int main(int argc, char** argv) {
    RatioReporter reporter;
    reporter.AddRatio("chart.layer_notify_over_records", "BM_LayerNotify", "BM_BarsToRecords", 2);
    reporter.AddRatio("chart.full_repaint_over_bare_cdc", "BM_ChartFullRepaint", "BM_BareCdcRepaint", 1.5);
    reporter.AddRatio("chart.crosshair_step_over_bitblt", "BM_CrosshairOneBar", "BM_BitBltChartArea", 2);
    reporter.AddRatio("chart.zoom_million_bars_over_full_repaint", "BM_ZoomStepMillionBars",
                      "BM_ChartFullRepaint", 3);
    // Repetitions are interleaved in a random order: the bare drawing cases may come first
    // and need the platform as much as the chart does.
    EnsureChartEnvironment();
    return RunBenchmarks(argc, argv, reporter);
}
