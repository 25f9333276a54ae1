#pragma once
// What the drawing tools may ask of a chart: pane rectangles and value mapping for every
// scale type, the bar-index/x mapping (extrapolated beyond the data), the bar width, the
// visible range, the time band, per-pane hit tests and value offsets, and the bars with
// their time keys. ChartOverlay implements it; a tool can be tested against a fake.
//
// Panes are named by index and by indicator name: FindPane takes the index when it is in
// range, else the first pane showing that indicator (the first pane for an empty name).
// All coordinates are client coordinates of the chart window. Called on the UI thread.

#include <cstdint>
#include <string>

#include "chart/PriceRenderers.h"
#include "platform/Gdi.h"

namespace chart {

// Hit codes of a pane.
inline constexpr int kHitNone = 0;
inline constexpr int kHitPlot = 1;
inline constexpr int kHitTitle = 2;
inline constexpr int kHitAxis = 3;
inline constexpr int kHitClose = 12;
inline constexpr int kHitIndicator = 13;

class IChartView {
public:
    virtual ~IChartView() = default;

    // --- panes ---
    virtual int GetPaneCount() const = 0;
    // Index of the pane FindPane picks, -1 when none.
    virtual int FindPaneIndex(int index, const std::string& name) const = 0;
    // The pane's plot below its title band; the chart's plot rectangle when none is found.
    virtual CRect GetPaneRect(int index, const std::string& name) const = 0;
    // Value <-> y through the pane's main axis (all five scale types); 0 without a pane.
    virtual int ValueToY(int index, const std::string& name, double value) const = 0;
    virtual double YToValue(int index, const std::string& name, int y) const = 0;
    // The offset the pane adds to its range (moved by the pan tool).
    virtual double GetValueOffset(int index) const = 0;
    virtual void SetValueOffset(int index, double offset) = 0;
    virtual int HitTestPane(int index, CPoint pt) const = 0;
    // The pane's indicator name (empty for the price pane).
    virtual std::string GetPaneName(int index) const = 0;

    // --- bars and x ---
    // x of bar i's centre; defined for any i (bars beyond the data extrapolate).
    virtual int IndexToX(int32_t i) const = 0;
    // Bar under x, clamped into the valid bars.
    virtual int32_t XToIndex(int x) const = 0;
    // Bar under x without clamping (may lie before or after the data).
    virtual int32_t XToIndexUnclamped(int x) const = 0;
    virtual double GetBarWidth() const = 0;
    virtual int32_t GetStartIndex() const = 0;
    virtual int32_t GetEndIndex() const = 0;
    virtual int32_t GetVisibleCount() const = 0;
    // Shows [start, end) and repaints.
    virtual void SetVisibleRange(int32_t start, int32_t end) = 0;
    virtual CRect GetPlotRect() const = 0;
    virtual CRect GetTimeBand() const = 0;
    // Null without a data layer.
    virtual const IBarSource* GetBars() const = 0;
    // The x of the first loaded bar whose key is not before key (index -1 when none);
    // scans every loaded bar, so anchors outside the view keep their place.
    virtual int TimeToX(int64_t key, int32_t& index) const = 0;
    // The key of the loaded bar under x (clamped to the loaded bars); 0 without bars.
    virtual int64_t GetTimeAtX(int x) const = 0;
    virtual void Invalidate() = 0;
};

}  // namespace chart
