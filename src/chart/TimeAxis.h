#pragma once
// The time axis under the panes: which bars get a time label, where the vertical grid
// lines of the panes fall, and the drawing of both. The scan is kept apart from the
// window so that it can be checked with a fixed-width text measure: it sees bar times and
// x positions only through the small source below.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/DateTime.h"
#include "platform/Gdi.h"

namespace chart {

// One vertical grid position: kind 0 a major boundary (a new year, a new day, a new hour
// of ticks), 1 a minor mark, 2 an intraday trading-session boundary.
struct CAxeGrid {
    int x = 0;
    int kind = 1;
    friend bool operator==(const CAxeGrid&, const CAxeGrid&) = default;
};

// A label placed by the scan: drawn at x + 1, left-aligned. `erase` asks the drawing to
// blank the rectangle [x, x + width) first (an intraday date over a time label).
struct TimeLabel {
    int x = 0;
    std::string text;
    bool erase = false;
    int eraseX = 0;
    int eraseWidth = 0;
};

struct TimeAxisSource {
    int16_t dataType = 4;
    int16_t period = 1;
    int16_t userMinutes = 3;      // the n-minute count of period -1
    int32_t start = 0;            // visible bars [start, end)
    int32_t end = 0;
    int32_t visibleCount = 100;   // slots in the plot (empty ones follow the newest bar)
    int32_t count = 0;            // bars in the layer; [first, count) hold data
    int32_t first = 0;
    std::function<int(int32_t)> indexToX;
    std::function<int32_t(int)> xToIndex;   // clamped into the valid bars
    std::function<int64_t(int32_t)> timeAt; // day yyyymmdd, minute yyyymmddhhmm,
                                            // intraday yymmddhhmm, ticks hhmmss
    std::function<int(const std::string&)> textWidth;
    int charWidth = 7;
    bool showX = true;       // AxeShowX
    bool drawLabels = true;  // day and minute labels
    TradingSessions sessions;  // no sessions: 9:30-11:30, 13:00-15:00
};

struct TimeAxisResult {
    std::vector<CAxeGrid> grid;   // scan order
    std::vector<TimeLabel> labels;
    std::vector<int> ticks;       // tick lines over the band
};

// The scan of the visible bars for the source's data type.
TimeAxisResult ScanTimeAxis(const TimeAxisSource& src);

// Bars per trading day of a minute period (240 one-minute bars, rounded up).
int BarsPerDay(int16_t period, int16_t userMinutes);
// hhmm of the trading minute with 0-based index m of the day (the minute that ends then).
int SessionMinuteTime(const TradingSessions& sessions, int m);

}  // namespace chart
