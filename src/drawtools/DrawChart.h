#pragma once
// What the drawing tools need of the chart they are drawn on. The chart window implements
// it; tests implement it with a fake chart. Panes are addressed by their position and by
// their name (empty for the main price pane); a position below 0 means "find it by name".
//
// All coordinates are client pixels of the chart window. Called on the UI thread only.

#include <cstdint>
#include <string>

#include "foundation/IndSecuCode.h"
#include "platform/Geometry.h"

class CWnd;

// The least-squares line of the closes over a range of bars and how far the extremes
// stray from it.
struct RegressionChannel {
    double lineFirst = 0;  // the line's value at the range's first bar
    double lineLast = 0;   // and at its last bar
    double maxAbove = 0;   // the largest distance of a high above the line
    double maxBelow = 0;   // the most negative distance of a low below it
    int32_t highestIndex = -1;  // the bar of the highest high
    int32_t lowestIndex = -1;   // the bar of the lowest low
};

class IDrawChart {
public:
    virtual ~IDrawChart() = default;

    // The window the tools capture the mouse for and draw rubber bands on; null when the
    // chart has no window (geometry only).
    virtual CWnd* GetChartWindow() = 0;

    // ---- panes ----
    virtual int GetPaneCount() const = 0;
    virtual std::string GetPaneName(int index) const = 0;
    // The plot rectangle of the pane; the whole chart rectangle for a pane that does not
    // exist (a tool whose pane went away still clips somewhere sensible).
    virtual CRect GetPaneRect(int index, const std::string& name) const = 0;
    // The pane under the point (what the pane's own hit test reports); -1 for none.
    virtual int PaneAtPoint(int x, int y) const = 0;
    // Through the pane's left value axis.
    virtual double YToValue(int index, const std::string& name, int y) const = 0;
    virtual int ValueToY(int index, const std::string& name, double value) const = 0;
    // The offset a pane adds to its value range (moved by the pan tool); a chart without
    // offsets reads 0 and ignores a new one.
    virtual double GetValueOffset(int index) const { return 0; }
    virtual void SetValueOffset(int index, double offset) {}
    // The rectangle of the time axis (presses there pan the chart).
    virtual CRect GetTimeAxisRect() const = 0;

    // ---- the horizontal mapping ----
    virtual int32_t XToIndex(int x) const = 0;
    virtual int IndexToX(int32_t index) const = 0;
    virtual double GetBarWidth() const = 0;
    virtual int32_t GetFirstVisibleIndex() const = 0;
    virtual int32_t GetVisibleCount() const = 0;
    // Scrolls the chart so that the given bar is the first visible one (clamped, data
    // refreshed and panes recomputed by the chart).
    virtual void ScrollToFirstIndex(int32_t index) = 0;

    // ---- the data layer ----
    // Key of the bar under x (the index clamped to the visible range).
    virtual int64_t GetTimeAtX(int x) = 0;
    // x of the first visible bar whose key is not below `key`; 0 when none qualifies.
    virtual int TimeToX(int64_t key) = 0;
    // Close (1), high (2), low (3), open (4) or volume (5) of bar `index`; 0 for another
    // kind or a bar outside the data.
    virtual double GetBarPrice(int32_t index, int kind) const = 0;
    // The regression channel of bars first..last (first <= last); false without data or
    // when the range leaves the bars held. Charts whose data layer fits the channel itself
    // answer from it; this one fits the closes, highs and lows that GetBarPrice reads.
    virtual bool CalcRegressionChannel(int32_t first, int32_t last,
                                       RegressionChannel& channel) const;
    // The unadjusted close of the first bar at or after `key`; 0 when there is none.
    virtual double CloseAtTime(int64_t key) const = 0;
    virtual int16_t GetDataType() const = 0;
    virtual int16_t GetPeriod() const = 0;
    virtual CIndSecuCode GetSecurity() const = 0;

    // ---- the window ----
    virtual void Invalidate() = 0;
    // The chart window's own drag flag: cleared while a tool holds the mouse, set after.
    virtual void SetDragFlag(bool on) = 0;
};
