#include "chart/GapBoxes.h"

#include <algorithm>
#include <cstdio>

namespace chart {
namespace {

constexpr double kMinGap = 0.001;

int MonthsBetween(int64_t newer, int64_t older) {
    auto year = [](int64_t d) { return static_cast<int>(d / 10000); };
    auto month = [](int64_t d) { return static_cast<int>(d / 100 % 100); };
    return (month(newer) - month(older)) + (year(newer) - year(older)) * 12;
}

// Running extremes are "unset" while not above 0.
double Lower(double running, double a, double b) {
    double v = std::min(a, b);
    return running > 0 ? std::min(running, v) : v;
}
double Higher(double running, double a, double b) {
    double v = std::max(a, b);
    return running > 0 ? std::max(running, v) : v;
}

}  // namespace

std::vector<GapSpan> FindGaps(const IBarSource& bars, int32_t start, int32_t end) {
    std::vector<GapSpan> gaps;
    const bool day = bars.GetDataType() == kTypeDay;
    const int32_t first = bars.GetFirst(), last = bars.GetLast();
    double minLow = -1, maxHigh = -1;
    bool haveReference = false;
    int64_t reference = 0;
    for (int32_t i = end - 1; i >= start + 2; --i) {
        const int32_t j = i - 1;
        // Both bars must be loaded: a missing older bar would read as a price of 0.
        if (i < first || i >= last || j < first) continue;
        const int64_t date = static_cast<int64_t>(bars.GetTime(i));
        if (!haveReference) {
            reference = date;
            haveReference = true;
        }
        if (day && MonthsBetween(reference, date) >= 13) break;

        const double lowI = bars.GetLow(i), highI = bars.GetHigh(i);
        const double lowJ = bars.GetLow(j), highJ = bars.GetHigh(j);
        bool found = false;
        double lower = 0, upper = 0;
        if (lowI - highJ > kMinGap) {
            if (minLow <= 0) {
                found = true, lower = highJ, upper = lowI;
            } else if (highJ < minLow) {
                found = true, lower = highJ, upper = std::min(lowI, minLow);
            }
        } else if (lowJ - highI > kMinGap) {
            if (maxHigh <= 0) {
                found = true, lower = highI, upper = lowJ;
            } else if (maxHigh < lowJ) {
                found = true, lower = std::max(highI, maxHigh), upper = lowJ;
            }
        }
        minLow = Lower(minLow, lowI, lowJ);
        maxHigh = Higher(maxHigh, highI, highJ);
        if (found && lower > 0) gaps.push_back({j, lower, upper, minLow});
    }
    return gaps;
}

std::vector<CTKLine_Data> LayoutGapBoxes(const IBarSource& bars, const PaneMapping& map,
                                         const TextExtent& extent) {
    std::vector<CTKLine_Data> out;
    const int bw = static_cast<int>(map.barWidth);
    for (const GapSpan& g : FindGaps(bars, map.start, map.end)) {
        int x = map.indexToX(g.older);
        int yUpper = map.valueToY(g.upper);
        int yLower = map.valueToY(g.lower);
        // Keep the box off the bars' own high and low pixels.
        if (map.valueToY(bars.GetLow(g.older)) <= yUpper) ++yUpper;
        if (yLower <= map.valueToY(g.lowAfter)) --yLower;
        if (yLower == yUpper) yLower = yUpper + 1;

        CTKLine_Data d;
        d.box = CRect(x, yUpper, map.rect.right, yLower);
        char text[64];
        std::snprintf(text, sizeof text, "%0.2f - %0.2f", g.lower, g.upper);
        d.text = text;
        CSize size = extent(d.text);
        CRect label = d.box;
        label.OffsetRect(0, -d.box.Height());
        if (size.cx > d.box.Width())
            label.OffsetRect(-(size.cx + bw + 1), 0);
        else
            label.OffsetRect(bw + 1, 0);
        label.top = label.bottom - size.cy;
        label.right = label.left + size.cx;
        d.label = label;
        out.push_back(std::move(d));
    }
    return out;
}

void DrawGapBoxes(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                  const CommonColorTable& colors, CFont* font) {
    int16_t type = bars.GetDataType();
    if (type != kTypeMinute && type != kTypeDay) return;
    CFont* oldFont = font ? dc.SelectObject(font) : nullptr;
    auto boxes = LayoutGapBoxes(bars, map, [&](const std::string& s) { return dc.GetTextExtent(s); });
    // Every box first, so labels stay readable where boxes overlap.
    CBrush grey(RGB(128, 128, 128));
    for (auto& d : boxes) dc.FillRect(&d.box, &grey);
    int oldMode = dc.SetBkMode(TRANSPARENT);
    COLORREF oldColor = dc.SetTextColor(~colors[CommonColor::uniBackGround] & 0xFFFFFF);
    for (auto& d : boxes) dc.DrawText(d.text, &d.label, DT_SINGLELINE | DT_BOTTOM);
    dc.SetTextColor(oldColor);
    dc.SetBkMode(oldMode);
    if (oldFont) dc.SelectObject(oldFont);
}

}  // namespace chart
