#pragma once
// What a stock-selection cell computes from its day bars, apart from its chart: where the
// hidden window lies in the chart's items, and how much the security rose over it.
#include <cstdint>
#include <optional>

#include "foundation/SortArray.h"
#include "marketdata/DayItem.h"

class CSecurity;

// Bars of history shown before a hidden window.
inline constexpr int32_t kSelStockHistoryBars = 50;

// Where a cell's chart stands before the reveal: [start, end) visible, the window's first
// bar and everything after it hidden, and the reveal stopping after the window's last bar.
struct HiddenWindowPlace {
    int32_t start = 0;
    int32_t end = 0;
    int32_t revealLimit = 0;
    friend bool operator==(const HiddenWindowPlace&, const HiddenWindowPlace&) = default;
};

// The place of the window [windowStart, windowEnd] (yyyymmdd) in chart bars that begin at
// item index firstIndex; none when the window's last date is not among the bars.
std::optional<HiddenWindowPlace> PlaceHiddenWindow(const CSortArray<CFloatDayItem>& bars, uint32_t windowStart,
                                                   uint32_t windowEnd, int32_t firstIndex);

// The rise over the window in tenths of a percent: from the close before the window's first
// bar (that bar's open when it is the first held) to the close of its last bar (the last
// held bar when the window's end is missing). 0 when it cannot be priced.
double RiseOverWindow(const CSortArray<CFloatDayItem>& bars, uint32_t windowStart, uint32_t windowEnd);

// The same over the security's stored day bars, adjusted forward for the ex-rights events
// up to the window's end; 0 without a security or stored bars.
double MeasureWindowRise(CSecurity* security, uint32_t windowStart, uint32_t windowEnd);
