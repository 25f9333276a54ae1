#pragma once
// The marks drawn with the price: highest and lowest labels, ex-rights marks and the trades
// of a training session.

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "chart/PriceRenderers.h"
#include "training/TrainingTypes.h"

namespace chart {

// The security's price text of a value (its divisor and decimals).
using PriceText = std::function<std::string(double)>;
// The data layer's time lookup: the x of the first loaded bar not before the key, its
// index in `index` (-1 when there is none).
using TimeToX = std::function<int(int64_t key, int32_t& index)>;

// Labels the highest high and the lowest low of the visible bars with a 20-pixel leader,
// to the right when the text fits in the pane, else to the left. Not on intraday data.
void DrawMaxMin(CDC& dc, const IBarSource& bars, const PaneMapping& map, const PriceStyle& st,
                int32_t highest, int32_t lowest, const PriceText& text, CFont* font);

// Day and minute data: a mark at the foot of the pane for each ex-rights date (yyyymmdd)
// inside the visible time range; up for forward adjustment (mode 1), down for backward (2).
void DrawExRightsMarks(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                       const PriceStyle& st, const std::vector<int32_t>& dates, int exRightsMode,
                       const TimeToX& timeToX);

// Day and minute data: an arrow at each visible traded bar, red under the low for opening
// trades, green over the high for the others.
void DrawTradeMarks(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                    const std::vector<TradeDetailItem>& trades, const TimeToX& timeToX);

// Day and minute data: the third frame of the start-mark strip (four equal frames) above the
// bar where the training session starts; pure blue in the image is transparent.
void DrawTradeStartMark(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                        const CBitmap& markStrip, int32_t startDate, const TimeToX& timeToX);

// The key of a date on a chart of that data type: the date on day data, yyyymmdd0000 on
// minute data.
int64_t DateKey(int16_t dataType, int32_t date, int32_t time = 0);

}  // namespace chart
