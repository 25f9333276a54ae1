#pragma once
// The drawing tools on a K-line chart window. The chart keeps a drawing-tool slot (overlay
// 0) and a seam to read its panes and bars (chart::IChartView); this joins the two:
//  - KlineDrawChart is the tools' IDrawChart over the window's chart overlay and data layer;
//  - KlineDrawToolHost is their IDrawToolHost over the window (its drawing-tool bar, the
//    cursors and the two dialogs);
//  - KlineDrawToolOverlay takes the chart's slot: its four actions hand the chart's
//    messages to the tools' own four actions at the same places in the dispatch, it paints
//    each pane's tools at the pane's last paint step and keeps the tool file of the
//    window's security and period.
// InstallKlineDrawTools makes every chart window made afterwards carry it.

#include <memory>
#include <string>

#include "chart/KlineChartWnd.h"
#include "drawtools/DrawChart.h"
#include "drawtools/DrawToolOverlay.h"

namespace chart {
class ChartOverlay;
}

class KlineDrawChart : public IDrawChart {
public:
    explicit KlineDrawChart(CKlineChartWnd* wnd) : m_pWnd(wnd) {}

    CWnd* GetChartWindow() override { return m_pWnd; }
    int GetPaneCount() const override;
    std::string GetPaneName(int index) const override;
    CRect GetPaneRect(int index, const std::string& name) const override;
    int PaneAtPoint(int x, int y) const override;
    double YToValue(int index, const std::string& name, int y) const override;
    int ValueToY(int index, const std::string& name, double value) const override;
    double GetValueOffset(int index) const override;
    void SetValueOffset(int index, double offset) override;
    CRect GetTimeAxisRect() const override;
    int32_t XToIndex(int x) const override;
    int IndexToX(int32_t index) const override;
    double GetBarWidth() const override;
    int32_t GetFirstVisibleIndex() const override;
    int32_t GetVisibleCount() const override;
    void ScrollToFirstIndex(int32_t index) override;
    int64_t GetTimeAtX(int x) override;
    int TimeToX(int64_t key) override;
    double GetBarPrice(int32_t index, int kind) const override;
    // The data layer's own fit.
    bool CalcRegressionChannel(int32_t first, int32_t last,
                               RegressionChannel& channel) const override;
    double CloseAtTime(int64_t key) const override;
    int16_t GetDataType() const override;
    int16_t GetPeriod() const override;
    CIndSecuCode GetSecurity() const override;
    void Invalidate() override;
    void SetDragFlag(bool on) override { m_bDragFlag = on; }
    bool GetDragFlag() const { return m_bDragFlag; }

private:
    // Looked up at every call: derived windows may replace the chart overlay.
    chart::ChartOverlay* Chart() const;
    CKlineChartWnd* m_pWnd;
    bool m_bDragFlag = true;
};

class KlineDrawToolHost : public DefaultDrawToolHost {
public:
    KlineDrawToolHost(CKlineChartWnd* wnd, IDrawChart* chart) : DefaultDrawToolHost(chart), m_pWnd(wnd) {}
    void ReleaseToolButton(int command) override;
    bool IsToolBarVisible() override;
    // The bar takes its buttons' states from the window's 0x8068 answers, which the tools
    // give: laid out again, it shows the current mode.
    void UpdateToolBar() override;

private:
    CKlineChartWnd* m_pWnd;
};

class KlineDrawToolOverlay : public chart::DrawToolOverlay {
public:
    explicit KlineDrawToolOverlay(CKlineChartWnd* owner);
    ~KlineDrawToolOverlay() override;

    // ---- the chart's slot ----
    void Reset() override;
    void CreateActions() override;
    void DrawPane(CDC* dc, const std::string& paneName) override;
    void LoadTools() override;
    uint16_t GetMode() const override;

    // The tools themselves (mode, tool list, file).
    ::DrawToolOverlay& Tools() { return *m_pTools; }
    KlineDrawChart& DrawChart() { return m_chart; }
    // Hands one chart message to the tools' action `index`; non-zero when claimed.
    int Forward(size_t index, int type, chart::OverlayMsgArgs& args);

protected:
    // The tools' overlay; training charts make one with their own file and actions.
    virtual std::unique_ptr<::DrawToolOverlay> MakeTools(IDrawChart* chart, IDrawToolHost* host);

private:
    // Reloads when the window shows another security, data type or period than the tools
    // were loaded for (a chart restored from a layout never had its security set).
    void FollowWindow();
    // The chart keeps its value ranges while the pan tool moves the panes.
    void SyncPanMode();

    KlineDrawChart m_chart;
    KlineDrawToolHost m_host;
    std::unique_ptr<::DrawToolOverlay> m_pTools;
    bool m_bLoaded = false;
    CIndSecuCode m_loadedCode;
    int16_t m_nLoadedType = 0;
    int16_t m_nLoadedPeriod = 0;
};

// Every chart window created afterwards carries the drawing tools; also reads the drawing
// settings. Called once at start-up.
void InstallKlineDrawTools();
