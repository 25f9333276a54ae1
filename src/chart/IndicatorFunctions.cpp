#include "chart/IndicatorFunctions.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "foundation/Format.h"
#include "ui/draw/DrawHelpers.h"

namespace chart {
namespace {

struct Args {
    const CIndicatorExp* a;
    int n;
    const CIndicatorExp& operator[](int k) const { return a[k]; }
};

// Bitmap names come from the formula: they must stay inside the bitmap folder.
bool SafeBitmapName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos && name.find("..") == std::string::npos;
}

bool Holds(const CIndicatorExp& cond, int32_t i) {
    double v = 0;
    return cond.GetValue(i, v) && RoundToInt(v) != 0;
}

struct Ctx {
    CDC& dc;
    const IBarSource& bars;
    const IndicatorPane& pane;
    Args args;
    COLORREF color;
    int thick;
    int32_t from, to;  // visible and loaded bars
    int32_t cursorBar;
    const PriceStyle* style;
    IndicatorTextLists* texts;
    const IndicatorImages* images;
    int X(int32_t i) const { return pane.map.indexToX(i); }
    int Y(double v) const { return pane.map.valueToY(v); }
};

void Polyline(Ctx& c) {  // kind 3
    if (c.args.n != 2) return;
    CPen pen(PS_SOLID, c.thick, c.color);
    CPen* old = c.dc.SelectObject(&pen);
    bool started = false;
    for (int32_t i = c.from; i < c.to; ++i) {
        double v = 0;
        if (!Holds(c.args[0], i) || !c.args[1].GetValue(i, v)) continue;
        int x = c.X(i), y = c.Y(v);
        if (started) {
            c.dc.LineTo(x, y);
        } else if (i == c.to - 1) {
            c.dc.SetPixel(x, y, c.color);
        } else {
            c.dc.MoveTo(x, y);
            started = true;
        }
    }
    c.dc.SelectObject(old);
}

void StickLine(Ctx& c) {  // kind 4
    if (c.args.n != 5) return;
    CPen pen(PS_SOLID, c.thick, c.color);
    CBrush fill(c.color);
    CPen* oldPen = c.dc.SelectObject(&pen);
    CBrush* oldBrush = c.dc.GetCurrentBrush();
    const double bw = c.pane.map.barWidth;
    for (int32_t i = c.from; i < c.to; ++i) {
        double p1 = 0, p2 = 0, width = 0, style = 0;
        if (!Holds(c.args[0], i) || !c.args[1].GetValue(i, p1) || !c.args[2].GetValue(i, p2) ||
            !c.args[3].GetValue(i, width) || !c.args[4].GetValue(i, style))
            continue;
        const int s = static_cast<int>(RoundToInt(style));
        const int t = std::clamp(s / 10 * 10, -1000, 1000);
        const int w = static_cast<int>(bw * width / 10);
        const int centre = c.X(i) + static_cast<int>(t * bw / 2000);
        const int y1 = c.Y(p1), y2 = c.Y(p2);
        CRect rc(centre - w / 2, std::min(y1, y2), centre - w / 2 + w, std::max(y1, y2) + 1);
        if (s % 10 == 0)
            c.dc.SelectObject(&fill);
        else
            c.dc.SelectStockObject(NULL_BRUSH);
        c.dc.Rectangle(&rc);
    }
    if (oldBrush) c.dc.SelectObject(oldBrush);
    c.dc.SelectObject(oldPen);
}

void Circles(Ctx& c) {  // kind 5
    if (c.args.n != 2) return;
    CPen pen(PS_SOLID, std::max(0, c.thick - 1), c.color);
    CPen* old = c.dc.SelectObject(&pen);
    CBrush* oldBrush = c.dc.GetCurrentBrush();
    c.dc.SelectStockObject(NULL_BRUSH);
    for (int32_t i = c.from; i < c.to; ++i) {
        double v = 0;
        if (!Holds(c.args[0], i) || !c.args[1].GetValue(i, v)) continue;
        int x = c.X(i), y = c.Y(v);
        c.dc.Ellipse(x - 2, y - 2, x + 3, y + 3);
    }
    if (oldBrush) c.dc.SelectObject(oldBrush);
    c.dc.SelectObject(old);
}

void VerticalLines(Ctx& c) {  // kind 9
    if (c.args.n != 2) return;
    const CRect& plot = c.pane.map.rect;
    for (int32_t i = c.from; i < c.to; ++i) {
        double style = 0;
        if (!Holds(c.args[0], i)) continue;
        c.args[1].GetValue(i, style);
        int s = static_cast<int>(RoundToInt(style));
        CPen pen(s >= 1 && s <= 4 ? s : PS_SOLID, 1, c.color);
        CPen* old = c.dc.SelectObject(&pen);
        int left = c.X(i) - c.thick / 2;
        for (int k = 0; k < c.thick; ++k) {
            c.dc.MoveTo(left + k, plot.top + 1);
            c.dc.LineTo(left + k, plot.bottom);
        }
        c.dc.SelectObject(old);
    }
}

// Kind 10: the colour of bar i, when one of its pairs holds.
bool PairColor(const Ctx& c, int32_t i, int firstPair, COLORREF& color) {
    for (int k = firstPair; k < c.args.n; k += 2) {
        if (!Holds(c.args[k], i)) continue;
        double v = 0;
        color = k + 1 < c.args.n && c.args[k + 1].GetValue(i, v) ? ColorOfValue(v) : c.color;
        return true;
    }
    return false;
}

void PartLine(Ctx& c) {  // kind 10
    if (c.args.n < 2) return;
    const int s = std::clamp(static_cast<int>(c.pane.map.barWidth), 1, 5);
    bool havePrev = false;
    int runLength = 0;
    CPoint prev;
    COLORREF prevColor = 0;
    auto tick = [&](CPoint p, COLORREF color) {
        CPen pen(PS_SOLID, c.thick, color);
        CPen* old = c.dc.SelectObject(&pen);
        c.dc.MoveTo(p.x - s / 2, p.y);
        c.dc.LineTo(p.x + (s + 1) / 2, p.y);
        c.dc.SelectObject(old);
    };
    for (int32_t i = c.from; i < c.to; ++i) {
        double v = 0;
        COLORREF color = 0;
        bool on = c.args[0].GetValue(i, v) && PairColor(c, i, 1, color);
        if (!on) {
            if (havePrev && runLength == 1) tick(prev, prevColor);
            havePrev = false;
            runLength = 0;
            continue;
        }
        CPoint p(c.X(i), c.Y(v));
        if (havePrev) {
            CPen pen(PS_SOLID, c.thick, color);
            CPen* old = c.dc.SelectObject(&pen);
            c.dc.MoveTo(prev);
            c.dc.LineTo(p);
            c.dc.SelectObject(old);
        }
        prev = p;
        prevColor = color;
        havePrev = true;
        ++runLength;
    }
}

void FixedRect(Ctx& c, bool relative) {  // kinds 13 and 14
    if (c.args.n != 5) return;
    int32_t bar = c.cursorBar >= c.from && c.cursorBar < c.to ? c.cursorBar : c.to - 1;
    double v[5];
    for (int k = 0; k < 5; ++k)
        if (!c.args[k].GetValue(bar, v[k])) return;
    const CRect& plot = c.pane.map.rect;
    auto px = [&](double a, int extent) {
        return static_cast<int>(relative ? a * extent / 1000 : a);
    };
    CRect rc(plot.left + px(v[0], plot.Width()), plot.top + px(v[1], plot.Height()),
             plot.left + px(v[2], plot.Width()), plot.top + px(v[3], plot.Height()));
    rc.NormalizeRect();
    COLORREF fillColor = ColorOfValue(v[4]);
    if (fillColor != 0) {
        CBrush fill(fillColor & 0xFFFFFF);
        c.dc.FillRect(&rc, &fill);
    }
    CPen pen(PS_SOLID, c.thick, c.color);
    CPen* old = c.dc.SelectObject(&pen);
    CBrush* oldBrush = c.dc.GetCurrentBrush();
    c.dc.SelectStockObject(NULL_BRUSH);
    c.dc.Rectangle(&rc);
    if (oldBrush) c.dc.SelectObject(oldBrush);
    c.dc.SelectObject(old);
}

void Background(Ctx& c) {  // kind 19
    if (c.args.n != 1 && c.args.n != 2) return;
    const CRect& plot = c.pane.map.rect;
    bool any = false;
    for (int32_t i = c.from; i < c.to && !any; ++i) any = Holds(c.args[0], i);
    if (!any) return;
    int mode = 0;
    COLORREF first = c.color, second = c.color;
    CBitmap patternBitmap;
    CBrush pattern;
    if (c.args.n == 2 && !c.args[1].IsValue()) {
        // A bitmap file named by the formula, tiled as a pattern.
        std::string name;
        if (!c.images || !c.args[1].GetText(c.to - 1, name) || !SafeBitmapName(name) ||
            !patternBitmap.LoadFromFile(c.images->bitmapDir + "/" + name + ".BMP") ||
            !pattern.CreatePatternBrush(&patternBitmap))
            return;
        mode = -1;
    } else if (c.args.n == 2) {
        double v = 0;
        if (!c.args[1].GetValue(c.to - 1, v)) return;
        mode = std::min(FillModeOfValue(v), 2);
        first = ColorOfValue(v) & 0xFFFFFF;
        second = SecondColorOfValue(v);
    }
    const double half = c.pane.map.barWidth / 2;
    for (int32_t i = c.from; i < c.to; ++i) {
        if (!Holds(c.args[0], i)) continue;
        int x = c.X(i);
        int left = i == c.from ? plot.left + 1 : static_cast<int>(x - half);
        int right = std::min(static_cast<int>(x + half), plot.right - 1);
        CRect rc(left, plot.top + 1, right, plot.bottom);
        if (rc.Width() <= 0) continue;
        if (mode < 0)
            c.dc.FillRect(&rc, &pattern);
        else if (mode == 0)
            c.dc.FillSolidRect(&rc, first);
        else
            FillGradient(second, rc, &c.dc, first, mode == 1 ? 1 : 2);
    }
}

void TickLine(Ctx& c) {  // kind 7
    if (c.args.n < 3) return;
    CPen pen(PS_SOLID, c.thick, c.color);
    CPen* old = c.dc.SelectObject(&pen);
    bool started = false;
    for (int32_t i = c.from; i < c.to; ++i) {
        double v = 0;
        if (!c.args[0].GetValue(i, v)) continue;
        int x = c.X(i), y = c.Y(v);
        c.dc.SelectObject(&pen);
        if (started) {
            c.dc.LineTo(x, y);
        } else {
            c.dc.MoveTo(x, y);
            started = true;
        }
        double length = 0;
        c.args[1].GetValue(i, length);
        const int len = std::clamp(static_cast<int>(RoundToInt(length)), -20, 20);
        for (int k = 2; k < c.args.n; k += 2) {
            if (!Holds(c.args[k], i)) continue;
            double cv = 0;
            COLORREF color =
                k + 1 < c.args.n && c.args[k + 1].GetValue(i, cv) ? ColorOfValue(cv) : c.color;
            CPen tickPen(PS_SOLID, 1, color & 0xFFFFFF);
            c.dc.SelectObject(&tickPen);
            c.dc.MoveTo(x, y);
            c.dc.LineTo(x, y - len);
            c.dc.SelectObject(&pen);
            c.dc.MoveTo(x, y);  // the polyline goes on from the point
        }
    }
    c.dc.SelectObject(old);
}

// Kinds 11 and 12: a band between two lines, one hexagon per bar whose pair holds.
void FillBands(Ctx& c, bool widthBelow) {
    if (c.args.n < 3) return;
    const int32_t first = c.bars.GetFirst(), last = c.bars.GetLast();
    auto edges = [&](int32_t i, int& yUpper, int& yLower) {
        double a = 0, b = 0;
        if (!c.args[0].GetValue(i, a) || !c.args[1].GetValue(i, b)) return false;
        yUpper = c.pane.map.RawY(a);
        yLower = widthBelow
                     ? yUpper + std::clamp(static_cast<int>(RoundToInt(b)), -15, 15)
                     : c.pane.map.RawY(b);
        return true;
    };
    CPen* oldPen = c.dc.GetCurrentPen();
    CBrush* oldBrush = c.dc.GetCurrentBrush();
    for (int32_t i = c.from; i < c.to; ++i) {
        COLORREF color = 0;
        if (!PairColor(c, i, 2, color)) continue;
        int yu = 0, yl = 0;
        if (!edges(i, yu, yl)) continue;
        int32_t p = i - 1 >= first ? i - 1 : i, n = i + 1 < last ? i + 1 : i;
        int pu = yu, pl = yl, nu = yu, nl = yl;
        if (!edges(p, pu, pl)) p = i, pu = yu, pl = yl;
        if (!edges(n, nu, nl)) n = i, nu = yu, nl = yl;
        const int x = c.X(i), xp = (c.X(p) + x) / 2, xn = (c.X(n) + x) / 2;
        POINT pts[6] = {{xp, (pu + yu) / 2}, {x, yu}, {xn, (nu + yu) / 2},
                        {xn, (nl + yl) / 2}, {x, yl}, {xp, (pl + yl) / 2}};
        CPen pen(PS_SOLID, 1, color & 0xFFFFFF);
        CBrush brush(color & 0xFFFFFF);
        c.dc.SelectObject(&pen);
        c.dc.SelectObject(&brush);
        c.dc.Polygon(pts, 6);
    }
    if (oldBrush) c.dc.SelectObject(oldBrush);
    if (oldPen) c.dc.SelectObject(oldPen);
}

void FixedText(Ctx& c, bool relative) {  // kinds 15 and 16
    if (c.args.n != 3) return;
    int32_t bar = c.cursorBar >= c.from && c.cursorBar < c.to ? c.cursorBar : c.to - 1;
    double x = 0, y = 0;
    std::string text;
    if (!c.args[0].GetValue(bar, x) || !c.args[1].GetValue(bar, y) ||
        !c.args[2].GetText(bar, text) || text.empty())
        return;
    const CRect& plot = c.pane.map.rect;
    int left = plot.left + static_cast<int>(relative ? x * plot.Width() / 1000 : x);
    int top = plot.top + static_cast<int>(relative ? y * plot.Height() / 1000 : y);
    CSize size = c.dc.GetTextExtent(text);
    CRect rc(left, top, plot.right, top + size.cy);
    if (rc.Width() <= 0) return;
    COLORREF oldColor = c.dc.SetTextColor(c.color);
    int oldMode = c.dc.SetBkMode(TRANSPARENT);
    c.dc.DrawText(text, &rc, DT_SINGLELINE | DT_LEFT);
    c.dc.SetBkMode(oldMode);
    c.dc.SetTextColor(oldColor);
}

void BarPair(Ctx& c) {  // kind 21
    if (c.args.n != 2) return;
    namespace CC = CommonColor;
    const CommonColorTable* table = c.style ? c.style->colors : nullptr;
    if (!table) return;
    auto col = [&](int key) { return (*table)[key]; };
    const int y0 = c.pane.indicatorZeroY;
    const int w = BodyHalfWidth(c.pane.map.barWidth);
    const COLORREF partner = ~col(CC::uniBackGround) & 0xFFFFFF;
    auto yOf = [&](double v) {
        int y = c.Y(v);
        if (y == y0 && v != 0) y += v > 0 ? -1 : 1;
        return y;
    };
    auto bar = [&](int x, int y) { return CRect(x - w, std::min(y, y0), x + w + 1, std::max(y, y0)); };
    auto stick = [&](int x, int y, COLORREF color) {
        CPen pen(PS_SOLID, 1, color);
        CPen* old = c.dc.SelectObject(&pen);
        c.dc.MoveTo(x, y0);
        c.dc.LineTo(x, y);
        c.dc.SelectObject(old);
    };
    for (int32_t i = c.from; i < c.to; ++i) {
        double a = 0, b = 0;
        if (!c.args[0].GetValue(i, a) || !c.args[1].GetValue(i, b)) continue;
        const int x = c.X(i), ya = yOf(a), yb = yOf(b);
        if (b < a) {
            if (w >= 2) {
                FillGradient3(&c.dc, col(CC::uniTurnover), bar(x, ya), partner);
                FillGradient3(&c.dc, col(CC::uniPic_Rise), bar(x, yb), partner);
            }
            stick(x, ya, col(CC::uniTurnover));
            stick(x, yb, col(CC::uniPic_Rise));
        } else if (b > a) {
            if (w >= 2) {
                CBrush fall(col(CC::uniPic_Fall));
                CRect hollow = bar(x, yb), inner = bar(x, ya);
                c.dc.FrameRect(&hollow, &fall);
                c.dc.FillRect(&inner, &fall);
            }
            stick(x, yb, col(CC::uniPic_Fall));
        } else {
            if (w >= 2) {
                CBrush equal(col(CC::uniEqual));
                CRect rc = bar(x, ya);
                c.dc.FillRect(&rc, &equal);
            }
            stick(x, ya, col(CC::uniEqual));
        }
    }
}

void Segments(Ctx& c) {  // kind 1
    if (c.args.n != 5) return;
    const CRect& plot = c.pane.map.rect;
    const int32_t last = c.bars.GetLast();
    const int side = c.thick;  // squares of 2 * thick + 1
    CPen pen(PS_SOLID, c.thick, c.color);
    CBrush brush(c.color);
    int saved = c.dc.SaveDC();
    c.dc.IntersectClipRect(&plot);
    c.dc.SelectObject(&pen);
    for (int32_t i = c.from; i < c.to; ++i) {
        double p1 = 0;
        if (!Holds(c.args[0], i) || !c.args[1].GetValue(i, p1)) continue;
        int32_t j = i;
        while (j < last && !Holds(c.args[2], j)) ++j;
        double p2 = 0, ext = 0;
        if (j >= last || !c.args[3].GetValue(j, p2)) break;
        c.args[4].GetValue(j, ext);
        const int mode = static_cast<int>(RoundToInt(ext));
        const int x1 = c.X(i), y1 = c.pane.map.RawY(p1);
        const int x2 = c.X(j), y2 = c.pane.map.RawY(p2);
        CPoint a(x1, y1), b(x2, y2);
        if (x1 == x2) {
            if (mode == 1 || mode == 11) b.y = plot.bottom;
            if (mode == 10 || mode == 11) a.y = plot.top;
            if (mode == 1) a.y = std::min(y1, y2);
            if (mode == 10) b.y = std::max(y1, y2);
        } else {
            // Integer arithmetic, as the chart keeps lines on whole pixels.
            auto yAt = [&](int x) {
                return static_cast<int>(y1 + static_cast<int64_t>(y2 - y1) * (x - x1) / (x2 - x1));
            };
            if (mode == 1 || mode == 11) b = CPoint(plot.right, yAt(plot.right));
            if (mode == 10 || mode == 11) a = CPoint(plot.left, yAt(plot.left));
        }
        c.dc.MoveTo(a);
        c.dc.LineTo(b);
        CRect s1(x1 - side, y1 - side, x1 + side + 1, y1 + side + 1);
        CRect s2(x2 - side, y2 - side, x2 + side + 1, y2 + side + 1);
        c.dc.FillRect(&s1, &brush);
        c.dc.FillRect(&s2, &brush);
        i = j;
    }
    c.dc.RestoreDC(saved);
}

void PriceTexts(Ctx& c) {  // kind 2
    if (c.args.n != 3 && c.args.n != 4) return;
    const CRect& plot = c.pane.map.rect;
    COLORREF oldColor = c.dc.SetTextColor(c.color);
    int oldMode = c.dc.SetBkMode(TRANSPARENT);
    const int hAlign = c.args[0].m_nHAlign, vAlign = c.args[0].m_nVAlign;
    for (int32_t i = c.from; i < c.to; ++i) {
        double price = 0, offset = 0;
        std::string text;
        if (!Holds(c.args[0], i) || !c.args[1].GetValue(i, price) ||
            !c.args[2].GetText(i, text) || text.empty())
            continue;
        if (c.args.n == 4) c.args[3].GetValue(i, offset);
        CSize size = c.dc.GetTextExtent(text);
        int x = c.X(i), y = c.Y(price) + static_cast<int>(RoundToInt(offset));
        if (hAlign == 1) x -= size.cx / 2;
        if (hAlign == 2) x -= size.cx;
        if (vAlign == 1) y -= size.cy / 2;
        if (vAlign == 2) y -= size.cy;
        CRect rc(x, y, std::min(x + size.cx, static_cast<int>(plot.right)), y + size.cy);
        if (rc.Width() <= 0) continue;
        c.dc.DrawText(text, &rc, DT_SINGLELINE | DT_LEFT);
    }
    c.dc.SetBkMode(oldMode);
    c.dc.SetTextColor(oldColor);
}

void Bands(Ctx& c) {  // kind 8
    if (c.args.n != 3 && c.args.n != 4) return;
    const CRect& plot = c.pane.map.rect;
    const int32_t first = std::max(c.bars.GetFirst(), c.args[0].m_nFirst);
    const int32_t last = c.bars.GetLast();
    double dir = 0;
    const bool backwards = c.args.n == 4 && c.args[3].GetValue(c.to - 1, dir) &&
                           RoundToInt(dir) == 1;
    CPen pen(PS_SOLID, 1, c.color);
    CBrush brush(c.color);
    CPen* old = c.dc.SelectObject(&pen);
    auto draw = [&](int32_t left, int32_t right, double price) {
        if (right < c.from || left >= c.to) return;
        const int y = c.pane.map.RawY(price), top = y - c.thick / 2;
        const bool leftIn = left >= c.from, rightIn = right < c.to;
        const int x1 = leftIn ? c.X(left) : plot.left + 1;
        const int x2 = rightIn ? c.X(right) : plot.right - 1;
        for (int row = top; row < top + c.thick; ++row) {
            if (row < plot.top || row >= plot.bottom) continue;
            c.dc.MoveTo(x1, row);
            c.dc.LineTo(x2 + 1, row);
        }
        auto cap = [&](int x) {
            CRect rc(x - (c.thick + 3) / 2, top - 1, x - (c.thick + 3) / 2 + c.thick + 3,
                     top + c.thick + 1);
            rc.IntersectRect(rc, plot);
            if (!rc.IsRectEmpty()) c.dc.FillRect(&rc, &brush);
        };
        if (leftIn) cap(x1);
        if (rightIn) cap(x2);
    };
    if (!backwards) {
        for (int32_t i = first; i < last; ++i) {
            if (!Holds(c.args[0], i)) continue;
            int32_t j = i + 1;
            while (j < last && !Holds(c.args[2], j)) ++j;
            double price = 0;
            if (j >= last) break;
            if (c.args[1].GetValue(j, price)) draw(i, j, price);
            i = j;
        }
    } else {
        for (int32_t i = last - 1; i >= first; --i) {
            if (!Holds(c.args[0], i)) continue;
            int32_t j = i - 1;
            while (j >= first && !Holds(c.args[2], j)) --j;
            double price = 0;
            if (j < first) break;
            if (c.args[1].GetValue(j, price)) draw(j, i, price);
            i = j;
        }
    }
    c.dc.SelectObject(old);
}

// Paints icon `index` of the strip with its top-left at (left, top) in color where the icon
// is white; elsewhere what is under it stays (a mask blit).
void PaintIcon(CDC& dc, const CBitmap& strip, int index, int left, int top, COLORREF color) {
    const CSize size = strip.GetSize();
    const int side = size.cy;
    if (side <= 0) return;
    const int count = size.cx / side;
    if (index < 0 || index >= count) index = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if ((strip.GetPixel(index * side + x, y) & 0xFFFFFF) == 0xFFFFFF)
                dc.SetPixel(left + x, top + y, color);
}

// The top-left corner of a w x h item aligned on (x, y) by the argument's alignment.
CPoint Aligned(const CIndicatorExp& a0, int x, int y, int w, int h) {
    if (a0.m_nHAlign == 1) x -= w / 2;
    if (a0.m_nHAlign == 2) x -= w;
    if (a0.m_nVAlign == 1) y -= h / 2;
    if (a0.m_nVAlign == 2) y -= h;
    return CPoint(x, y);
}

void Icons(Ctx& c) {  // kind 0
    if (c.args.n != 3 && c.args.n != 4) return;
    if (!c.images || !c.images->iconStrip || c.images->iconStrip->IsNull()) return;
    const int side = c.images->iconStrip->GetSize().cy;
    for (int32_t i = c.from; i < c.to; ++i) {
        double price = 0, number = 0, offset = 0;
        if (!Holds(c.args[0], i) || !c.args[1].GetValue(i, price) ||
            !c.args[2].GetValue(i, number))
            continue;
        if (c.args.n == 4) c.args[3].GetValue(i, offset);
        CPoint at = Aligned(c.args[0], c.X(i), c.Y(price) + static_cast<int>(RoundToInt(offset)),
                            side, side);
        PaintIcon(c.dc, *c.images->iconStrip, static_cast<int>(RoundToInt(number)) - 1, at.x,
                  at.y, c.color);
    }
}

void Bitmaps(Ctx& c) {  // kind 18
    if (c.args.n != 3 && c.args.n != 4) return;
    if (!c.images) return;
    std::string loadedName;
    CBitmap bmp;
    bool loaded = false;
    CDC src;
    src.CreateCompatibleDC(&c.dc);
    for (int32_t i = c.from; i < c.to; ++i) {
        double price = 0, offset = 0;
        std::string name;
        if (!Holds(c.args[0], i) || !c.args[1].GetValue(i, price) ||
            !c.args[2].GetText(i, name) || name.empty())
            continue;
        if (!SafeBitmapName(name)) continue;
        if (name != loadedName) {
            loadedName = name;
            bmp.DeleteObject();
            loaded = bmp.LoadFromFile(c.images->bitmapDir + "/" + name + ".BMP");
            if (loaded) src.SelectObject(&bmp);
        }
        if (!loaded) continue;
        if (c.args.n == 4) c.args[3].GetValue(i, offset);
        CSize size = bmp.GetSize();
        CPoint at = Aligned(c.args[0], c.X(i), c.Y(price) + static_cast<int>(RoundToInt(offset)),
                            size.cx, size.cy);
        c.dc.BitBlt(at.x, at.y, size.cx, size.cy, &src, 0, 0, SRCCOPY);
    }
}

// Kinds 17, 22 and 23: texts per bar for the pane's lists; kind 23 also shows the first icon.
void ListTexts(Ctx& c, int kind) {
    const bool withPrice = kind != CIndicatorDrawFunc::kFlagText;
    if (c.args.n != (withPrice ? 3 : 2)) return;
    IndicatorTextLists spare;
    if (!c.texts) c.texts = &spare;
    const CIndicatorExp& textArg = c.args[withPrice ? 2 : 1];
    if (textArg.IsValue()) return;
    FlagTextList& list = kind == CIndicatorDrawFunc::kFlagText ? c.texts->titleFlags
                         : kind == CIndicatorDrawFunc::kPosText ? c.texts->positions
                                                                : c.texts->hoverTips;
    for (int32_t i = c.from; i < c.to; ++i) {
        std::string text;
        if (!Holds(c.args[0], i) || !textArg.GetText(i, text) || text.empty()) continue;
        int y = 0;
        if (withPrice) {
            double price = 0;
            if (!c.args[1].GetValue(i, price)) continue;
            y = kind == CIndicatorDrawFunc::kTipIcon && price == 0 ? c.pane.map.rect.bottom - 17
                                                                  : c.Y(price);
        }
        if (kind == CIndicatorDrawFunc::kTipIcon && c.images && c.images->iconStrip &&
            !c.images->iconStrip->IsNull())
            PaintIcon(c.dc, *c.images->iconStrip, 0, c.X(i) - 8, y - 8, c.color);
        AddFlagText(list, i, {static_cast<int32_t>(c.color), c.X(i), y, text});
    }
}

}  // namespace

void AddFlagText(FlagTextList& list, int32_t bar, CPosText item) {
    auto it = std::lower_bound(list.begin(), list.end(), bar,
                               [](const CFlagText& f, int32_t b) { return f.bar < b; });
    if (it == list.end() || it->bar != bar) it = list.insert(it, CFlagText{bar, {}});
    it->items.push_back(std::move(item));
}

COLORREF ColorOfValue(double v) {
    return static_cast<COLORREF>(std::bit_cast<uint64_t>(v) & 0xFFFFFFFFu);
}
int FillModeOfValue(double v) {
    return static_cast<int>((std::bit_cast<uint64_t>(v) >> 48) & 0xFF);
}
COLORREF SecondColorOfValue(double v) {
    return static_cast<COLORREF>((std::bit_cast<uint64_t>(v) >> 24) & 0xFFFFFF);
}

void DrawIndicatorFunctions(CDC& dc, const IBarSource& bars, const IndicatorPane& pane,
                            const std::vector<CIndicatorDrawFunc>& funcs,
                            const std::vector<CIndicatorExp>& args, int colorIndex,
                            int32_t cursorBar, const PriceStyle* style,
                            IndicatorTextLists* texts, const IndicatorImages* images) {
    const int32_t from = std::max(pane.map.start, bars.GetFirst());
    const int32_t to = std::min(pane.map.end, bars.GetLast());
    const int count = static_cast<int>(args.size());
    for (const CIndicatorDrawFunc& f : funcs) {
        const int index = colorIndex++;
        const int n = f.ExpWant();
        if (n < 1 || f.m_nFirst < 0 || f.m_nEnd - f.m_nFirst < n || f.m_nEnd > count) continue;
        const CIndicatorExp& a0 = args[f.m_nFirst];
        if (a0.m_nLayer < 0 || a0.m_nLayer > 7) continue;
        bool ready = true;
        for (int k = f.m_nFirst; k < f.m_nEnd; ++k)
            ready = ready && args[k].m_bComputed &&
                    (args[k].HasValues() || args[k].m_nKind == CValueRecord::kNumber ||
                     args[k].m_nKind == CValueRecord::kText);
        if (!ready || a0.GetThick(1) < 1 || to <= from) continue;
        Ctx c{dc,    bars, pane, {&args[f.m_nFirst], f.m_nEnd - f.m_nFirst}, a0.GetColor(index, 1),
              a0.GetThick(1), from, to, cursorBar, style, texts, images};
        switch (f.m_nKind) {
        case CIndicatorDrawFunc::kPolyline: Polyline(c); break;
        case CIndicatorDrawFunc::kStickLine: StickLine(c); break;
        case CIndicatorDrawFunc::kCircle: Circles(c); break;
        case CIndicatorDrawFunc::kVertLine: VerticalLines(c); break;
        case CIndicatorDrawFunc::kPartLine: PartLine(c); break;
        case CIndicatorDrawFunc::kRectPixels: FixedRect(c, false); break;
        case CIndicatorDrawFunc::kRectRelative: FixedRect(c, true); break;
        case CIndicatorDrawFunc::kBackground: Background(c); break;
        case CIndicatorDrawFunc::kTickLine: TickLine(c); break;
        case CIndicatorDrawFunc::kFillBetween: FillBands(c, false); break;
        case CIndicatorDrawFunc::kFillBelow: FillBands(c, true); break;
        case CIndicatorDrawFunc::kTextPixels: FixedText(c, false); break;
        case CIndicatorDrawFunc::kTextRelative: FixedText(c, true); break;
        case CIndicatorDrawFunc::kBarPair: BarPair(c); break;
        case CIndicatorDrawFunc::kLine: Segments(c); break;
        case CIndicatorDrawFunc::kText: PriceTexts(c); break;
        case CIndicatorDrawFunc::kBand: Bands(c); break;
        case CIndicatorDrawFunc::kIcon: Icons(c); break;
        case CIndicatorDrawFunc::kBitmap: Bitmaps(c); break;
        case CIndicatorDrawFunc::kFlagText:
        case CIndicatorDrawFunc::kPosText:
        case CIndicatorDrawFunc::kTipIcon: ListTexts(c, f.m_nKind); break;
        default: break;  // the other kinds are not drawn yet
        }
    }
}

}  // namespace chart
