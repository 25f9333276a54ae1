#pragma once
// The overlay that holds the chart itself: the stack of panes with the split bars between
// them, the value-axis and time-axis bands, the visible bar range with the index <-> x
// mapping, the crosshair cursor, the time labels with the vertical grid the panes draw,
// and the chart part of the window's settings.
//
// Mapping (plot rectangle left L and width W, visible count n, start s):
//   bar width w = (W - 2) / n (1 when n is 0), IndexToX(i) = L + 1 + (int)(w (i - s + 0.5)),
//   XToIndex(x) = (int)((x - L - 1) / w + s) clamped into the valid bars.
// A zero or negative width never divides: the bar width is then treated as 1.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/ChartBars.h"
#include "chart/ChartView.h"
#include "chart/PicOverlay.h"
#include "chart/TimeAxis.h"
#include "marketdata/PicDataLayer.h"
#include "platform/Gdi.h"
#include "ui/layout/LayoutCutter.h"

namespace tinyxml2 {
class XMLElement;
}

namespace chart {

class ChartPic;

class ChartOverlay : public PicOverlay, public IChartOverlay, public IChartView {
public:
    explicit ChartOverlay(CKlineChartWnd* owner);
    ~ChartOverlay() override;

    // --- PicOverlay ---
    void Reset() override;
    void CreateActions() override;
    // End of the data layer's valid bars.
    virtual int32_t GetDataEnd() const;
    // First bar that may be shown (0 here; a training overlay hides earlier bars).
    virtual int32_t GetDataBegin() const { return 0; }
    virtual void BindDataLayer();
    virtual void OnBound() {}
    // Time axis and grid positions.
    virtual void Draw(CDC* dc, bool fill);
    virtual void ClampRange();
    void Layout() override;

    // --- data ---
    // The layer whose bars are shown (not owned; the window owns it).
    void SetDataLayer(PicDataLayer* layer);
    PicDataLayer* GetDataLayer() const { return m_pLayer; }
    // Bars read from another source (tests, benchmarks); null returns to the layer's.
    void SetBarSource(const IBarSource* bars) { m_pBarsOverride = bars; }
    int16_t GetDataType() const;
    int16_t GetPeriod() const;

    // --- panes ---
    std::vector<std::shared_ptr<ChartPic>> m_aPanes;
    std::vector<CSplitBar> m_aSplitBars;
    int m_nDragSplit = -1;
    ChartPic* FindPane(int index, const std::string& name) const;
    int FindPaneByName(const std::string& name) const;
    // A new indicator pane (share 200) at the bottom, with its title band.
    ChartPic* AddPane();
    // The price pane on top (share 500) when there is none yet.
    ChartPic* AddMainPane();
    void RemovePane(int index);
    void ClampSelectedPane();
    void LayoutPanes();
    void CalcRects();
    void CalcAxisRects();
    void RelayoutAxes();
    void FitAxisWidth();
    void RecalcPanes() override;
    bool CalcIndicators(int32_t first, int32_t last) override;
    void ResizePaneResults();
    void ClearPaneComputed();
    void DrawPaneTitles(CDC* dc);
    void RelayoutKeepCursor() override;
    // The whole chart: time axis, panes and the lines between them.
    void Paint(CDC* dc);

    // --- cursor ---
    // True when the cursor moved; erases the old crosshair and draws the new one (both by
    // XOR, so the chart under them comes back unchanged). dc null: the window's.
    bool MoveCursor(int32_t index, int y, CDC* dc = nullptr);
    void ExitCursorMode(bool hideValueBar);
    void DrawCrosshairs(CDC* dc);

    // --- IChartOverlay (the data layer's view of the range) ---
    int32_t GetStartIndex() const override { return m_nStart; }
    void SetStartIndex(int32_t index) override { m_nStart = index; }
    int32_t GetEndIndex() const override { return m_nEnd; }
    void SetEndIndex(int32_t index) override { m_nEnd = index; }
    int32_t GetVisibleCount() const override { return m_nVisibleCount; }
    void SetVisibleCount(int32_t count) override { m_nVisibleCount = count; }
    int32_t IndexAtX(int x) const override { return XToIndex(x); }
    int XOfIndex(int32_t index) const override { return IndexToX(index); }

    // --- IChartView (what drawing tools use) ---
    int GetPaneCount() const override { return static_cast<int>(m_aPanes.size()); }
    int FindPaneIndex(int index, const std::string& name) const override;
    CRect GetPaneRect(int index, const std::string& name) const override;
    int ValueToY(int index, const std::string& name, double value) const override;
    double YToValue(int index, const std::string& name, int y) const override;
    double GetValueOffset(int index) const override;
    void SetValueOffset(int index, double offset) override;
    int HitTestPane(int index, CPoint pt) const override;
    std::string GetPaneName(int index) const override;
    int IndexToX(int32_t i) const override;
    int32_t XToIndex(int x) const override;
    int32_t XToIndexUnclamped(int x) const override;
    double GetBarWidth() const override;
    void SetVisibleRange(int32_t start, int32_t end) override;
    CRect GetPlotRect() const override { return m_rcPlot; }
    CRect GetTimeBand() const override { return m_rcTimeBand; }
    const IBarSource* GetBars() const override;
    int TimeToX(int64_t key, int32_t& index) const override;
    int64_t GetTimeAtX(int x) const override;
    void Invalidate() override;

    // --- settings ---
    void LoadXml(const tinyxml2::XMLElement* node);
    void SaveXml(tinyxml2::XMLElement* node) const;

    // --- fields ---
    // Construction flags: gap boxes, grid, value panel (the last also records that the main
    // window was not minimised at the last ExitCursorMode).
    int m_bGapBoxes = 1;
    int m_bGrid = 1;
    int m_bValuePanel = 1;
    int m_bDrawMA = 0;
    int m_bShowMaxMin = 0;
    int m_bTickLines = 0;
    int m_bCursorLock = 0;
    int m_nReserved1 = 0;  // non-zero: limit prices widen the price range
    int m_nReserved2 = 0;
    CRect m_rcLeftAxis, m_rcRightAxis, m_rcPlot, m_rcChart, m_rcOuter, m_rcTimeBand, m_rcValuePanel;
    int m_nWidthAxeY = 0;
    int m_nPendingWidth = 0;
    uint8_t m_bAxeShowX = 1;
    uint8_t m_bAxeShowPer = 0;
    uint8_t m_bAxeShowRight = 0;
    uint8_t m_bAxeShowY = 1;
    uint8_t m_bAxeRight = 0;
    int m_nWidthAxeRight = 0;
    int m_nHeightAxeTime = 0;
    int m_nSelectedPane = -1;
    int m_nPaneCount = 0;
    int32_t m_nStart = 0;
    int32_t m_nEnd = 0;
    int32_t m_nVisibleCount = 100;
    int32_t m_nCursor = -1;
    int m_bCursorMode = 0;
    int m_bPointerMoved = 0;
    int m_nCursorY = -1;
    CPoint m_ptValueBarAnchor;
    int m_nKLineType = 0;
    int m_nHoverFlags = 0;
    int m_nLastMouseX = -1;
    int m_nLastMouseY = -1;
    std::vector<CAxeGrid> m_aGrid;
    int m_nNowX = -1;
    int m_nSessionX = -1;
    uint8_t m_bDrawLabels = 1;
    // Set by the drawing tools while their pan tool moves the panes: ranges stay as they are.
    int m_bPanMode = 0;
    // The chart window painted on (not owned); null in tests without a window.
    CWnd* m_pWindow = nullptr;
    // Width of the main frame's floating value panel (0 without one).
    int m_nValueBarWidth = 0;
    // Step 12 of every pane's paint: the drawing tools of that pane (set by the window).
    std::function<void(CDC*, const std::string&)> m_paneDrawHook;
    // The crosshair is shown while this is true (the chart under the mouse or in cursor
    // mode); set by the window.
    std::function<bool()> m_isCurrentChart;
    // The security's name shown over the price in the trend workspace (empty elsewhere).
    std::function<std::string()> m_trendName;
    // Room left at the start of the price pane's title for the security's name.
    std::function<int()> m_reserveNameRoom;

    // Width of one character of the common axis font (6 characters make a value axis).
    int CharWidth() const;

protected:
    PicDataLayer* m_pLayer = nullptr;
    const IBarSource* m_pBarsOverride = nullptr;
    LayerBars m_layerBars;
    TimeAxisResult m_lastAxis;
    std::shared_ptr<ChartPic> NewPane(bool mainPane);
};

}  // namespace chart
