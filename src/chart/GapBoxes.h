#pragma once
// Boxes over the price gaps that newer bars have not filled yet, with a "low - high" label.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "chart/PriceRenderers.h"

namespace chart {

// One unfilled gap found between bar `older` and the bar after it.
struct GapSpan {
    int32_t older = 0;
    double lower = 0;
    double upper = 0;
    double lowAfter = 0;  // lowest low of the bars examined up to and including this pair
};

// Scans the visible bars from the newest back; the pair of the first two visible bars is
// not examined. On day data gaps from 13 or more months before the newest bar are left out.
std::vector<GapSpan> FindGaps(const IBarSource& bars, int32_t start, int32_t end);

// One gap to draw.
struct CTKLine_Data {
    CRect box;
    CRect label;
    std::string text;
};

using TextExtent = std::function<CSize(const std::string&)>;
std::vector<CTKLine_Data> LayoutGapBoxes(const IBarSource& bars, const PaneMapping& map,
                                         const TextExtent& extent);

// Draws on day and minute data only; font is the small chart font (null: the DC's own).
void DrawGapBoxes(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                  const CommonColorTable& colors, CFont* font);

}  // namespace chart
