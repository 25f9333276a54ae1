#include "chart/PriceRenderers.h"

#include "platform/Graphics.h"

#include <algorithm>
#include <vector>

namespace chart {
namespace {

namespace CC = CommonColor;

// Bars that are both visible and loaded.
struct DrawRange {
    int32_t from;
    int32_t to;
};
DrawRange RangeOf(const IBarSource& bars, const PaneMapping& map) {
    return {std::max(map.start, bars.GetFirst()), std::min(map.end, bars.GetLast())};
}

// Selects a pen for the life of a call and puts the previous one back.
class PenScope {
public:
    PenScope(CDC& dc, CPen& pen) : m_dc(dc), m_old(dc.SelectObject(&pen)) {}
    ~PenScope() { m_dc.SelectObject(m_old); }
    PenScope(const PenScope&) = delete;
    PenScope& operator=(const PenScope&) = delete;

private:
    CDC& m_dc;
    CPen* m_old;
};

void Line(CDC& dc, CPen& pen, CPoint a, CPoint b) {
    dc.SelectObject(&pen);
    dc.MoveTo(a);
    dc.LineTo(b);
}

double PreviousClose(const IBarSource& bars, int32_t i) {
    return i > bars.GetFirst() ? bars.GetClose(i - 1) : bars.GetOpen(i);
}

}  // namespace

void DrawBody(CDC& dc, const CRect& body, bool falling, CBrush& fallBrush, CBrush& riseBrush,
              CPen& risePen, int penWidth) {
    if (falling) {
        dc.FillRect(&body, &fallBrush);
    } else if (penWidth == 1) {
        dc.FrameRect(&body, &riseBrush);
    } else {
        dc.SelectObject(&risePen);
        dc.MoveTo(body.left, body.top);
        dc.LineTo(body.right, body.top);
        dc.LineTo(body.right, body.bottom);
        dc.LineTo(body.left, body.bottom);
        dc.LineTo(body.left, body.top - 1);
    }
}

bool IsFallingBar(const IBarSource& bars, int32_t i) {
    double open = bars.GetOpen(i), close = bars.GetClose(i);
    if (close < open) return true;
    return close == open && close < PreviousClose(bars, i);
}

CandleGeometry CandleAt(const IBarSource& bars, const PaneMapping& map, int32_t i) {
    CandleGeometry g;
    g.falling = IsFallingBar(bars, i);
    int x = map.indexToX(i);
    int w = BodyHalfWidth(map.barWidth);
    int yOpen = map.valueToY(bars.GetOpen(i));
    int yHigh = map.valueToY(bars.GetHigh(i));
    int yLow = map.valueToY(bars.GetLow(i));
    int yClose = map.valueToY(bars.GetClose(i));
    if (w == 0) {
        g.upperWick[0] = CPoint(x, yHigh);
        g.upperWick[1] = CPoint(x, yLow);
        g.lowerWick[0] = g.lowerWick[1] = CPoint(x, yLow);
        return g;
    }
    g.hasBody = true;
    g.body = CRect(x - w, std::min(yOpen, yClose), x + w + 1, std::max(yOpen, yClose) + 1);
    // A falling bar opens at the top of its body, a rising one closes there.
    int yTop = g.falling ? yOpen : yClose;
    int yBottom = g.falling ? yClose : yOpen;
    g.upperWick[0] = CPoint(x, yTop);
    g.upperWick[1] = CPoint(x, yHigh);
    g.lowerWick[0] = CPoint(x, yBottom);
    g.lowerWick[1] = CPoint(x, yLow);
    return g;
}

void DrawCandles(CDC& dc, const IBarSource& bars, const PaneMapping& map, const PriceStyle& st) {
    CPen fallPen(PS_SOLID, st.penWidth, st.Color(CC::uniPic_Fall));
    CPen risePen(PS_SOLID, st.penWidth, st.Color(CC::uniPic_Rise));
    CBrush fallBrush(st.Color(CC::uniPic_Fall));
    CBrush riseBrush(st.Color(CC::uniPic_Rise));
    PenScope keep(dc, risePen);
    auto [from, to] = RangeOf(bars, map);
    for (int32_t i = from; i < to; ++i) {
        CandleGeometry g = CandleAt(bars, map, i);
        CPen& pen = g.falling ? fallPen : risePen;
        if (g.hasBody) dc.FillRect(&g.body, g.falling ? &fallBrush : &riseBrush);
        Line(dc, pen, g.upperWick[0], g.upperWick[1]);
        if (g.hasBody) Line(dc, pen, g.lowerWick[0], g.lowerWick[1]);
    }
}

void DrawAmericanLine(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                      const PriceStyle& st) {
    CPen pen(PS_SOLID, st.penWidth, st.Color(CC::uniPic_OtherPeriod));
    PenScope keep(dc, pen);
    int tick = static_cast<int>(std::max(0.0, map.barWidth) * 0.5);
    auto [from, to] = RangeOf(bars, map);
    for (int32_t i = from; i < to; ++i) {
        int x = map.indexToX(i);
        int yHigh = map.valueToY(bars.GetHigh(i));
        int yLow = map.valueToY(bars.GetLow(i));
        int yClose = map.valueToY(bars.GetClose(i));
        dc.MoveTo(x, std::max(yHigh, yLow));
        dc.LineTo(x, std::min(yHigh, yLow) - 1);
        dc.MoveTo(x, yClose);
        dc.LineTo(x + tick, yClose);
    }
}

void DrawPriceLine(CDC& dc, const IBarSource& bars, const PaneMapping& map, const PriceStyle& st) {
    auto [from, to] = RangeOf(bars, map);
    if (to <= from) return;
    std::vector<POINT> pts;
    pts.reserve(static_cast<size_t>(to - from));
    for (int32_t i = from; i < to; ++i)
        pts.push_back(CPoint(map.indexToX(i), map.valueToY(bars.GetClose(i))));
    CPen pen(PS_SOLID, st.penWidth, st.Color(CC::uniPic_OtherPeriod));
    PenScope keep(dc, pen);
    dc.Polyline(pts.data(), static_cast<int>(pts.size()));
}

void DrawCompressedLine(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                        const PriceStyle& st, double averageVolume) {
    CPen fallPen(PS_SOLID, st.penWidth, st.Color(CC::uniPic_Fall));
    CPen risePen(PS_SOLID, st.penWidth, st.Color(CC::uniPic_Rise));
    CBrush fallBrush(st.Color(CC::uniPic_Fall));
    CBrush riseBrush(st.Color(CC::uniPic_Rise));
    PenScope keep(dc, risePen);
    int w = BodyHalfWidth(map.barWidth);
    auto [from, to] = RangeOf(bars, map);
    for (int32_t i = from; i < to; ++i) {
        int hw = w;
        if (averageVolume > 0) hw = static_cast<int>(w * bars.GetVolume(i) / averageVolume);
        int x = map.indexToX(i);
        int yOpen = map.valueToY(bars.GetOpen(i));
        int yHigh = map.valueToY(bars.GetHigh(i));
        int yLow = map.valueToY(bars.GetLow(i));
        int yClose = map.valueToY(bars.GetClose(i));
        CRect body(x - hw, std::min(yOpen, yClose), x + hw + 1, std::max(yOpen, yClose) + 1);
        bool falling = bars.GetOpen(i) > bars.GetClose(i);
        DrawBody(dc, body, falling, fallBrush, riseBrush, risePen, st.penWidth);
        CPen& pen = falling ? fallPen : risePen;
        Line(dc, pen, CPoint(x, yClose), CPoint(x, yHigh));
        Line(dc, pen, CPoint(x, yOpen), CPoint(x, yLow));
    }
}

void DrawTicks(CDC& dc, const IBarSource& bars, const PaneMapping& map, const PriceStyle& st) {
    CPen pen(PS_SOLID, 1, st.Color(CC::uniPic_OtherPeriod));
    PenScope keep(dc, pen);
    int a = std::max(1, BodyHalfWidth(map.barWidth));
    auto [from, to] = RangeOf(bars, map);
    for (int32_t i = from; i < to; ++i) {
        int x = map.indexToX(i);
        int y = map.valueToY(bars.GetClose(i));
        dc.MoveTo(x - a, y - a);
        dc.LineTo(x + a + 1, y + a + 1);
        dc.MoveTo(x - a, y + a);
        dc.LineTo(x + a + 1, y - a - 1);
    }
}

void DrawVolumeBars(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                    const PriceStyle& st) {
    int16_t type = bars.GetDataType();
    bool intraday = type == kTypeIntraday || type == kTypeHistoryIntraday;
    CBrush riseBrush(st.Color(intraday ? CC::uniRise : CC::uniPic_Rise));
    CBrush fallBrush(st.Color(intraday ? CC::uniFall : CC::uniPic_Fall));
    int h = intraday ? 0 : BodyHalfWidth(map.barWidth);
    int y0 = map.valueToY(0);
    bool first = true;
    double lastClose = 0;
    auto [from, to] = RangeOf(bars, map);
    for (int32_t i = from; i < to; ++i) {
        double volume = bars.GetVolume(i);
        int top = map.valueToY(volume);
        if (top == y0 && volume > 0) --top;
        int x = map.indexToX(i);
        CRect rc(x - h, std::min(top, y0), x + h + 1, std::max(top, y0));
        if (intraday) {
            double close = bars.GetClose(i);
            bool rising = first || close >= lastClose;
            first = false;
            lastClose = close;
            if (rc.Height() > 0) dc.FillRect(&rc, rising ? &riseBrush : &fallBrush);
        } else if (rc.Height() > 0) {
            if (IsFallingBar(bars, i))
                dc.FillRect(&rc, &fallBrush);
            else
                dc.FrameRect(&rc, &riseBrush);
        }
    }
}

void DrawIntradayLine(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                      const PriceStyle& st, COLORREF color, int penWidth, int mode) {
    auto [from, to] = RangeOf(bars, map);
    std::vector<PointF> area;
    area.reserve(static_cast<size_t>(std::max(0, to - from)) + 2);
    area.push_back({static_cast<float>(map.rect.left), static_cast<float>(map.rect.bottom)});
    {
        CPen pen(PS_SOLID, penWidth, color);
        PenScope keep(dc, pen);
        for (int32_t i = from; i < to; ++i) {
            double v = mode == kIntradayAverage ? bars.GetAvgPrice(i) : bars.GetClose(i);
            int x = map.indexToX(i);
            int y = map.valueToY(v);
            bool newDay = i == from || bars.GetDayKey(i) != bars.GetDayKey(i - 1);
            if (newDay) {
                // A lone newest bar would draw nothing as a line of no length.
                if (i == to - 1)
                    dc.SetPixel(x, y, color);
                else
                    dc.MoveTo(x, y);
            } else {
                dc.LineTo(x, y);
            }
            area.push_back({static_cast<float>(x), static_cast<float>(y + 1)});
        }
    }
    area.push_back({static_cast<float>(map.rect.right), static_cast<float>(map.rect.bottom)});
    if (mode != kIntradayPrice || to <= from) return;
    CGraphics g(&dc);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    CGraphicsPath path;
    path.AddPolygon(area.data(), static_cast<int>(area.size()));
    g.FillPathGradient(path,
                       {static_cast<float>(map.rect.left), static_cast<float>(map.rect.top)},
                       {static_cast<float>(map.rect.left), static_cast<float>(map.rect.bottom)},
                       ArgbFromColorref(st.Color(CC::uniPic_CurPicBack_Begin), 128),
                       ArgbFromColorref(st.Color(CC::uniPic_CurPicBack_End), 128));
}

void DrawPriceSeries(CDC& dc, const IBarSource& bars, const PaneMapping& map,
                     const PriceStyle& st, int kLineType, double averageVolume,
                     bool hasIndicator) {
    int16_t type = bars.GetDataType();
    if (type == kTypeIntraday || type == kTypeHistoryIntraday) {
        // Heavier when an indicator's lines share the pane, so the price stands out.
        DrawIntradayLine(dc, bars, map, st, st.Color(CC::uniPic_CurPic_Price),
                         hasIndicator ? 2 : 1, kIntradayPrice);
        DrawIntradayLine(dc, bars, map, st, st.Color(CC::uniPic_CurPic_AvePrice), 1,
                         kIntradayAverage);
        return;
    }
    if (type == kTypeTicks)
        DrawTicks(dc, bars, map, st);
    else if (kLineType == kKLineAmerican)
        DrawAmericanLine(dc, bars, map, st);
    else if (kLineType == kKLinePrice)
        DrawPriceLine(dc, bars, map, st);
    else if (kLineType == kKLineCompressed)
        DrawCompressedLine(dc, bars, map, st, averageVolume);
    else
        DrawCandles(dc, bars, map, st);
}

}  // namespace chart
