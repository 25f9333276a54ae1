// Crosshair movement across 250 bars of a day chart in cursor mode, with the hover labels
// and the floating value panel on, against the same movement with both off, in the same
// run. Each step is one mouse move through the chart's dispatch and one pass of the event
// loop (the panel repaints there).

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "BenchChartEnv.h"
#include "RatioReporter.h"
#include "chart/ChartOverlay.h"
#include "chart/ChartPic.h"
#include "chart/KlineChartWnd.h"
#include "chart/ValuePanel.h"
#include "formula/YBIndClass.h"
#include "marketdata/DayItem.h"
#include "platform/App.h"
#include "platform/home/ProgramDir.h"
#include "ui/CommonVar.h"

namespace {

constexpr int kBars = 300;
constexpr int kSteps = 250;

class BenchLayer : public PicDataLayer {
public:
    using PicDataLayer::PicDataLayer;
    void Fill(int n) {
        SetDataType(kDay, 1);
        m_nItemCount = n;
        Reserve();
        m_nBegin = 0;
        m_nEnd = n;
        double close = 10;
        for (int i = 0; i < n; ++i) {
            CFloatDayItem b;
            const double open = close;
            close = std::max(1.0, open + std::sin(i * 0.37) * 0.3);
            b.m_fOpen = open;
            b.m_fClose = close;
            b.m_fHigh = std::max(open, close) + 0.1;
            b.m_fLow = std::min(open, close) - 0.1;
            b.m_fVolume = 100000 + 1000 * (i % 17);
            b.m_fAmount = b.m_fVolume * close;
            b.m_nTime = 20230102 + (i / 28) * 100 + i % 28;
            std::memcpy(m_items.data() + size_t(i) * sizeof b, &b, sizeof b);
        }
    }
    void RequestData() override {}
    void Detach() override {}
};

class BenchChart : public CKlineChartWnd {
public:
    void CreateDataLayer() override { m_pDataLayer = std::make_shared<BenchLayer>(this); }
};

struct Scene {
    CWnd host;
    BenchChart wnd;
    std::shared_ptr<chart::PicOverlay> tips;
    std::shared_ptr<chart::PicOverlay> none;

    Scene() {
        EnsureChartEnvironment();
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 1400, 700), nullptr, 0);
        wnd.Create(&host);
        host.ShowWindow(SW_SHOW);
        static_cast<BenchLayer&>(*wnd.GetDataLayer()).Fill(kBars);
        wnd.OnDataChanged();
        wnd.MoveWindow(0, 0, 1300, 600);
        platform::ProcessPendingEvents();
        chart::ChartOverlay& c = *wnd.GetChartOverlayPtr();
        c.m_nVisibleCount = kSteps + 10;
        c.Layout();
        c.RecalcPanes();
        tips = wnd.m_aOverlays[2];
        none = std::make_shared<chart::PicOverlay>(&wnd, chart::kOverlayTip);
        wnd.UpdateWindow();
    }

    // One sweep across the bars and back to the start, in cursor mode.
    void Sweep(bool on) {
        chart::ChartOverlay& c = *wnd.GetChartOverlayPtr();
        wnd.m_aOverlays[2] = on ? tips : none;
        c.m_bValuePanel = on ? 1 : 0;
        c.m_bCursorMode = 1;
        const int y = c.m_aPanes[0]->Prop().m_rcPlot.CenterPoint().y;
        for (int k = 0; k < kSteps; ++k) {
            const int32_t bar = c.m_nStart + k;
            wnd.OnElementMouseMove(0, c.IndexToX(bar), y + (k % 7));
            platform::ProcessPendingEvents();
        }
    }
};

Scene& TheScene() {
    static Scene* scene = new Scene;
    return *scene;
}

void BM_CrosshairWithTipsAndPanel(benchmark::State& state) {
    Scene& s = TheScene();
    s.Sweep(true);
    for (auto _ : state) s.Sweep(true);
    if (chart::CDlgValueBar* panel = chart::GetValueBar(false)) panel->HidePanel(0);
}

void BM_CrosshairPlain(benchmark::State& state) {
    Scene& s = TheScene();
    s.Sweep(false);
    for (auto _ : state) s.Sweep(false);
}

BENCHMARK(BM_CrosshairPlain)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_CrosshairWithTipsAndPanel)->Unit(benchmark::kMillisecond)->MinTime(1);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int qargc = 1;
    static char name[] = "bench_chart_tips";
    static char* qargv[] = {name, nullptr};
    platform::Initialize(qargc, qargv);
    RatioReporter reporter;
    reporter.AddRatio("chart.crosshair_tips_panel_over_plain", "BM_CrosshairWithTipsAndPanel", "BM_CrosshairPlain",
                      1.5);
    return RunBenchmarks(argc, argv, reporter);
}
