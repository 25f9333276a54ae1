#pragma once
// Draws an indicator's output lines over a pane in their line styles.

#include <vector>

#include "chart/PriceRenderers.h"
#include "formula/engine/IndicatorExp.h"

namespace chart {

struct IndicatorPane {
    PaneMapping map;         // valueToY: the pane's indicator axis, clamped
    int priceZeroY = 0;      // y of 0 on the pane's price axis (styles 2, 4 and 8)
    int indicatorZeroY = 0;  // y of 0 on the indicator axis (styles 3 and 9)
    bool mainPane = false;
    bool drawMA = true;      // lines marked for the main chart show only while set
};

// The first colour index of a pane's lines: the intraday main pane leaves the first two
// colours to its price and average lines.
int FirstLineColorIndex(const IBarSource& bars, bool mainPane);

// Draws every drawable line; returns the colour index the draw functions continue from.
int DrawIndicatorLines(CDC& dc, const IBarSource& bars, const IndicatorPane& pane,
                       const PriceStyle& st, const std::vector<CIndicatorExp>& lines);

}  // namespace chart
