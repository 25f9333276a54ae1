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
    // Close (1), high (2), low (3) or open (4) of bar `index`; 0 for another kind.
    virtual double GetBarPrice(int32_t index, int kind) const = 0;
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
