#include "drawtools/DrawChart.h"

#include <algorithm>
#include <vector>

#include "foundation/Format.h"

namespace {

// A range the tools ask for lies within the bars on screen; anything longer is not one.
constexpr int64_t kMaxChannelBars = 1 << 20;

}  // namespace

bool IDrawChart::CalcRegressionChannel(int32_t first, int32_t last,
                                       RegressionChannel& c) const {
    if (first < 0 || last < first || int64_t(last) - first + 1 > kMaxChannelBars) return false;
    std::vector<double> closes;
    closes.reserve(size_t(last - first + 1));
    bool any = false;
    for (int32_t i = first; i <= last; ++i) {
        closes.push_back(GetBarPrice(i, 1));
        any = any || closes.back() != 0;
    }
    if (!any) return false;  // no bars there
    LinearRegressionEnds(closes.data(), int(closes.size()), c.lineFirst, c.lineLast);
    double highest = GetBarPrice(first, 2), lowest = GetBarPrice(first, 3);
    c.maxAbove = highest - c.lineFirst;
    c.maxBelow = lowest - c.lineFirst;
    c.highestIndex = c.lowestIndex = first;
    for (int32_t i = first; i <= last; ++i) {
        const double line =
            last == first ? c.lineFirst
                          : c.lineFirst + (c.lineLast - c.lineFirst) * (i - first) / (last - first);
        const double high = GetBarPrice(i, 2), low = GetBarPrice(i, 3);
        c.maxAbove = std::max(c.maxAbove, high - line);
        c.maxBelow = std::min(c.maxBelow, low - line);
        if (high > highest) {
            highest = high;
            c.highestIndex = i;
        }
        if (low < lowest) {
            lowest = low;
            c.lowestIndex = i;
        }
    }
    return true;
}
