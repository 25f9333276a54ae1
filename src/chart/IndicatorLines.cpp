#include "chart/IndicatorLines.h"

#include <algorithm>
#include <cmath>

#include "ui/draw/DrawHelpers.h"

namespace chart {
namespace {

namespace CC = CommonColor;

bool IsIntradayType(int16_t type) {
    return type == kTypeIntraday || type == kTypeHistoryIntraday;
}

struct Point {
    int32_t bar;  // the data bar (the value's index)
    int x, y;
    double value;
};

// Polyline styles 1, 10 and 11: a trading day of intraday data is a segment of its own.
void DrawPolyline(CDC& dc, const IBarSource& bars, const IndicatorPane& pane,
                  const std::vector<Point>& pts, int32_t lastVisible, int topShift,
                  COLORREF color) {
    const bool intraday = IsIntradayType(bars.GetDataType());
    for (size_t k = 0; k < pts.size(); ++k) {
        Point p = pts[k];
        if (p.y <= pane.map.rect.top) p.y += topShift;
        bool start = k == 0 ||
                     (intraday && bars.GetDayKey(p.bar) != bars.GetDayKey(pts[k - 1].bar));
        if (!start) {
            dc.LineTo(p.x, p.y);
        } else if (p.bar == lastVisible) {
            dc.SetPixel(p.x, p.y, color);
        } else {
            dc.MoveTo(p.x, p.y);
        }
    }
}

void DrawLine(CDC& dc, const IBarSource& bars, const IndicatorPane& pane, const PriceStyle& st,
              const CIndicatorExp& line, const std::vector<Point>& pts, int32_t lastVisible,
              COLORREF color) {
    const int thick = line.GetThick(1);
    const int w = BodyHalfWidth(pane.map.barWidth);
    CPen* old = nullptr;
    auto use = [&](CPen& pen) {
        CPen* prev = dc.SelectObject(&pen);
        if (!old) old = prev;
    };
    CPen pen(PS_SOLID, thick, color);
    switch (line.m_nStyle) {
    case CIndicatorExp::kLine:
        use(pen);
        DrawPolyline(dc, bars, pane, pts, lastVisible, thick / 2 + 1, color);
        break;
    case CIndicatorExp::kDotLine:
    case CIndicatorExp::kDashLine: {
        CPen styled(line.m_nStyle == CIndicatorExp::kDotLine ? PS_DOT : PS_DASH, 1, color);
        use(styled);
        DrawPolyline(dc, bars, pane, pts, lastVisible, 1, color);
        dc.SelectObject(old);
        return;
    }
    case CIndicatorExp::kVolStick: {
        const bool intraday = IsIntradayType(bars.GetDataType());
        CPen risePen(PS_SOLID, st.penWidth, st.Color(intraday ? CC::uniRise : CC::uniPic_Rise));
        CPen fallPen(PS_SOLID, st.penWidth, st.Color(intraday ? CC::uniFall : CC::uniPic_Fall));
        CBrush riseBrush(st.Color(CC::uniPic_Rise)), fallBrush(st.Color(CC::uniPic_Fall));
        use(risePen);
        const int y0 = pane.priceZeroY;
        bool first = true;
        double lastClose = 0;
        for (const Point& p : pts) {
            bool falling;
            if (intraday) {
                double close = bars.GetClose(p.bar);
                falling = !first && close < lastClose;
                first = false;
                lastClose = close;
            } else {
                falling = IsFallingBar(bars, p.bar);
            }
            if (intraday || w < 1) {
                dc.SelectObject(falling ? &fallPen : &risePen);
                dc.MoveTo(p.x, y0);
                dc.LineTo(p.x, p.y);
                continue;
            }
            CRect body(p.x - w, std::min(p.y, y0), p.x + w + 1, std::max(p.y, y0));
            DrawBody(dc, body, falling, fallBrush, riseBrush, risePen, st.penWidth);
        }
        break;
    }
    case CIndicatorExp::kColorStick: {
        CPen risePen(PS_SOLID, thick, st.Color(CC::uniRise));
        CPen fallPen(PS_SOLID, thick, st.Color(CC::uniFall));
        use(risePen);
        for (const Point& p : pts) {
            dc.SelectObject(p.value > 0 ? &risePen : &fallPen);
            dc.MoveTo(p.x, p.y);
            dc.LineTo(p.x, pane.indicatorZeroY);
        }
        break;
    }
    case CIndicatorExp::kStick:
    case CIndicatorExp::kLineStick:
        use(pen);
        for (size_t k = 0; k < pts.size(); ++k) {
            const Point& p = pts[k];
            if (line.m_nStyle == CIndicatorExp::kLineStick && k > 0) {
                dc.MoveTo(pts[k - 1].x, pts[k - 1].y);
                dc.LineTo(p.x, p.y);
            }
            dc.MoveTo(p.x, p.y);
            dc.LineTo(p.x, pane.priceZeroY);
        }
        break;
    case CIndicatorExp::kCircleDot: {
        CPen ring(PS_SOLID, std::max(0, thick - 1), color);
        use(ring);
        CBrush* oldBrush = dc.GetCurrentBrush();
        dc.SelectStockObject(NULL_BRUSH);
        for (const Point& p : pts) dc.Ellipse(p.x - 2, p.y - 2, p.x + 3, p.y + 3);
        if (oldBrush) dc.SelectObject(oldBrush);
        dc.SelectObject(old);
        return;
    }
    case CIndicatorExp::kPointDot: {
        CPen thin(PS_SOLID, 1, color);
        CBrush fill(color);
        use(thin);
        CBrush* oldBrush = dc.SelectObject(&fill);
        for (const Point& p : pts) dc.Ellipse(p.x - thick, p.y - thick, p.x + thick, p.y + thick);
        dc.SelectObject(oldBrush);
        dc.SelectObject(old);
        return;
    }
    case CIndicatorExp::kCrossDot:
        use(pen);
        for (const Point& p : pts) {
            dc.MoveTo(p.x - 2, p.y - 2);
            dc.LineTo(p.x + 3, p.y + 3);
            dc.MoveTo(p.x - 2, p.y + 2);
            dc.LineTo(p.x + 3, p.y - 3);
        }
        break;
    case CIndicatorExp::kColorBar: {
        CPen risePen(PS_SOLID, thick, st.Color(CC::uniRise));
        CPen fallPen(PS_SOLID, thick, st.Color(CC::uniFall));
        use(risePen);
        const int y0 = pane.indicatorZeroY;
        const COLORREF partner = ~st.Color(CC::uniBackGround) & 0xFFFFFF;
        for (const Point& p : pts) {
            int y = p.y;
            // Keep a tiny value visible instead of letting it vanish into the baseline.
            if (y == y0 && std::fabs(p.value) > 0.000001) y += p.value > 0 ? -1 : 1;
            if (w < 2) {
                dc.SelectObject(p.value > 0 ? &risePen : &fallPen);
                dc.MoveTo(p.x, y);
                dc.LineTo(p.x, y0);
            } else {
                CRect rc(p.x - w, std::min(y, y0), p.x + w + 1, std::max(y, y0));
                FillGradient3(&dc, st.Color(p.value > 0 ? CC::uniPic_Rise : CC::uniPic_Fall), rc,
                              partner);
            }
        }
        break;
    }
    default:
        break;
    }
    if (old) dc.SelectObject(old);
}

}  // namespace

int FirstLineColorIndex(const IBarSource& bars, bool mainPane) {
    return mainPane && IsIntradayType(bars.GetDataType()) ? 41 : 39;
}

int DrawIndicatorLines(CDC& dc, const IBarSource& bars, const IndicatorPane& pane,
                       const PriceStyle& st, const std::vector<CIndicatorExp>& lines) {
    int colorIndex = FirstLineColorIndex(bars, pane.mainPane);
    const int32_t first = bars.GetFirst(), last = bars.GetLast();
    const int32_t lastVisible = std::min(pane.map.end, last) - 1;
    std::vector<Point> pts;
    for (const CIndicatorExp& line : lines) {
        if (line.m_nStyle < 1) continue;
        const COLORREF color = line.GetColor(colorIndex++, 1);
        if (pane.mainPane && !pane.drawMA && line.m_bMainChart) continue;
        if (line.m_nLayer < 0 || line.m_nLayer > 7) continue;
        if (!line.m_bComputed || !line.IsValue() || !line.HasValues()) continue;
        if (line.GetThick(1) < 1) continue;
        const int shift = line.m_nShift;
        pts.clear();
        // A shifted value is drawn at its shifted bar; only what lands in view is drawn.
        for (int32_t i = pane.map.start - shift; i + shift < pane.map.end; ++i) {
            if (i < first || i >= last || i < line.m_nFirst) continue;
            double v = 0;
            if (!line.GetValue(i, v)) continue;
            pts.push_back({i, pane.map.indexToX(i + shift), pane.map.valueToY(v), v});
        }
        DrawLine(dc, bars, pane, st, line, pts, lastVisible - shift, color);
    }
    return colorIndex;
}

}  // namespace chart
