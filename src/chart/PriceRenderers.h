#pragma once
// Drawing of the price series of a chart pane: candles and the other K-line styles, tick
// crosses and volume bars. The routines read bars and the pane's mapping through the small
// interfaces below, so the pane, axis and data layer can change without touching them.

#include <cstdint>
#include <functional>

#include "foundation/CommonColors.h"
#include "platform/Gdi.h"

namespace chart {

// Bars by index, as the chart's data layer serves them.
class IBarSource {
public:
    virtual ~IBarSource() = default;
    virtual double GetOpen(int32_t i) const = 0;
    virtual double GetHigh(int32_t i) const = 0;
    virtual double GetLow(int32_t i) const = 0;
    virtual double GetClose(int32_t i) const = 0;
    virtual double GetVolume(int32_t i) const = 0;
    virtual double GetTime(int32_t i) const = 0;
    virtual double GetAvgPrice(int32_t i) const = 0;
    // What tells the trading days of an intraday series apart; the date part of the time
    // unless the records carry their own day mark.
    virtual int64_t GetDayKey(int32_t i) const { return static_cast<int64_t>(GetTime(i)) / 10000; }
    // Valid bars are [GetFirst, GetLast).
    virtual int32_t GetFirst() const = 0;
    virtual int32_t GetLast() const = 0;
    virtual int16_t GetDataType() const = 0;
};

// Data types the renderers tell apart.
inline constexpr int16_t kTypeIntraday = 2;
inline constexpr int16_t kTypeMinute = 3;
inline constexpr int16_t kTypeDay = 4;
inline constexpr int16_t kTypeHistoryIntraday = 5;
inline constexpr int16_t kTypeTicks = 13;

// K-line styles (the chart's KLineType).
inline constexpr int kKLineCandles = 1;
inline constexpr int kKLineAmerican = 2;
inline constexpr int kKLinePrice = 3;
inline constexpr int kKLineTower = 5;
inline constexpr int kKLineCompressed = 6;

// Where a pane puts a bar and a value.
struct PaneMapping {
    CRect rect;                             // the pane's plot rectangle
    int32_t start = 0;                      // visible bars [start, end)
    int32_t end = 0;
    double barWidth = 0;                    // pixels per bar
    std::function<int(int32_t)> indexToX;   // bar index to the x of its centre
    std::function<int(double)> valueToY;    // value to y, clamped into the axis rectangle
    std::function<int(double)> valueToYRaw; // the same without clamping (empty: valueToY)
    int RawY(double v) const { return valueToYRaw ? valueToYRaw(v) : valueToY(v); }
};

struct PriceStyle {
    const CommonColorTable* colors = nullptr;
    int penWidth = 1;                       // the chart pen width setting
    COLORREF Color(int key) const { return (*colors)[key]; }
};

// Half-width of a candle body; 0 (narrow bars) means high-low lines only.
inline int BodyHalfWidth(double barWidth) {
    return barWidth > 0 ? static_cast<int>(barWidth / 2.75) : 0;
}

// Rising or falling as the K-line colours it: a doji takes the direction from the previous
// close (bar first's own open at the start of the data).
bool IsFallingBar(const IBarSource& bars, int32_t i);

// A body filled in the fall brush, or outlined in the rise colour: a one-pixel frame, or
// with a wider chart pen four lines of that pen (left to the pixel above the top).
void DrawBody(CDC& dc, const CRect& body, bool falling, CBrush& fallBrush, CBrush& riseBrush,
              CPen& risePen, int penWidth);

// The rectangles one candle is drawn from (pixel coordinates, right/bottom exclusive as
// the CDC fills them). With a zero half-width the body is empty and upperWick spans
// high to low.
struct CandleGeometry {
    bool falling = false;
    bool hasBody = false;
    CRect body;                             // filled
    CPoint upperWick[2];                    // line from, to (the end point not drawn)
    CPoint lowerWick[2];
};
CandleGeometry CandleAt(const IBarSource& bars, const PaneMapping& map, int32_t i);

void DrawCandles(CDC& dc, const IBarSource& bars, const PaneMapping& map, const PriceStyle& st);
void DrawAmericanLine(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                      const PriceStyle& st);
void DrawPriceLine(CDC& dc, const IBarSource& bars, const PaneMapping& map, const PriceStyle& st);
// averageVolume: of the visible bars; bodies scale with volume when it is above 0.
void DrawCompressedLine(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                        const PriceStyle& st, double averageVolume);
void DrawTicks(CDC& dc, const IBarSource& bars, const PaneMapping& map, const PriceStyle& st);
// map.valueToY maps volumes here (the volume pane's axis).
void DrawVolumeBars(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                    const PriceStyle& st);

// The intraday price line (mode kIntradayPrice: closes, with the half-transparent gradient
// area under it) or the average line (kIntradayAverage). A new trading day starts a new,
// unconnected segment.
inline constexpr int kIntradayPrice = 0;
inline constexpr int kIntradayAverage = 1006;
void DrawIntradayLine(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                      const PriceStyle& st, COLORREF color, int penWidth, int mode);

// Picks the routine for the data type and K-line style: intraday data draws its price line
// and area, then its average line; ticks draw crosses; other data the K-line style.
void DrawPriceSeries(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                     const PriceStyle& st, int kLineType, double averageVolume,
                     bool hasIndicator = false);

}  // namespace chart
