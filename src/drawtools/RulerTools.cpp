#include "drawtools/RulerTools.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "drawtools/DrawGeometry.h"
#include "drawtools/ToolHelpers.h"

namespace {

constexpr UINT kLine = DT_SINGLELINE;

}  // namespace

// ---- time ruler ----

std::shared_ptr<CRecRgnLines> CSJCTool::Clone() const {
    return CloneAs(*this);
}

void CSJCTool::DrawShape(int final, int) {
    m_segments.clear();
    const int xl = std::min(x1, x2), xr = std::max(x1, x2);
    const int m = (x1 + x2) / 2;
    // The ruler leaves a 40-pixel gap for its label; a ruler shorter than the gap has only
    // its ends.
    if (m - 20 > xl) DrawSegment(xl, y2, m - 20, y2);
    if (xr > m + 20) DrawSegment(m + 20, y2, xr, y2);
    if (!m_pOwner) return;
    auto closeY = [&](int x) {
        return m_pOwner->ValueToY(m_nPaneIndex, m_strChart,
                                  m_pOwner->GetBarPrice(m_pOwner->XToIndex(x), 1));
    };
    const int c1 = closeY(x1), c2 = closeY(x2);
    const int end = std::min(c1, c2) < y2 ? y2 + 10 : y2 - 10;
    DrawSegment(x1, c1, x1, end);
    DrawSegment(x2, c2, x2, end);
    if (final) {
        const int bars = std::abs(m_pOwner->XToIndex(x2) - m_pOwner->XToIndex(x1));
        m_figure.AddText(Format("%d(T)", bars), CRect(xl, y2 - 8, xr, PaneRect().bottom),
                         DT_CENTER | kLine);
    }
}

// ---- range ruler ----

std::shared_ptr<CRecRgnLines> CFDCTool::Clone() const {
    return CloneAs(*this);
}

void CFDCTool::DrawShape(int final, int) {
    m_segments.clear();
    const int m = (x1 + x2) / 2;
    DrawSegment(x1, y1, x2, y1);
    DrawSegment(x1, y2, x2, y2);
    DrawSegment(m, y1, m, y2, FigureItem::DottedPen);
    if (!final) return;
    const CRect rc(m + 1, std::min(y1, y2), PaneRect().right, std::max(y1, y2));
    m_figure.AddText(Format("%.2f", m_fBottom - m_fTop), rc, DT_TOP | kLine);
    // The ratio of the two levels; a level at 0 has none.
    if (m_fTop != 0)
        m_figure.AddText(Format("%.2f%%", m_fBottom / m_fTop * 100), rc, DT_BOTTOM | kLine);
}

// ---- measured target ----

std::shared_ptr<CRecRgnLines> CLDMBTool::Clone() const {
    return CloneAs(*this);
}

void CLDMBTool::DrawShape(int final, int) {
    m_segments.clear();
    DrawSegment(x1, y1, x2, y1);
    DrawSegment(x1, y2, x2, y2);
    const int f = std::abs(y2 - y1);
    const int base = std::max(y1, y2);  // the lower level on screen
    const int targets[2] = {base + f, base + 2 * f};
    for (int t : targets) DrawSegment(x1, t, x2, t, FigureItem::DottedPen);
    if (!final || !m_pOwner) return;
    const CRect pane = PaneRect();
    const char* formats[2] = {"100%% %.2f", "200%% %.2f"};
    for (int k = 0; k < 2; ++k) {
        const double value = m_pOwner->YToValue(m_nPaneIndex, m_strChart, targets[k]);
        m_figure.AddText(Format(formats[k], value),
                         CRect(std::min(x1, x2), targets[k], pane.right, pane.bottom),
                         DT_TOP | DT_LEFT | kLine);
    }
}

// ---- time-and-space rectangle ----

std::shared_ptr<CRecRgnLines> CTimeAndSpaceRectRgn::Clone() const {
    return CloneAs(*this);
}

void CTimeAndSpaceRectRgn::DrawShape(int final, int) {
    m_segments.clear();
    const int dot = FigureItem::DottedPen;
    const CRect pane = PaneRect();
    DrawSegment(x1, y2, x2, y2, dot);
    DrawSegment(x1, y1, x2, y1, dot);
    if (final && m_pOwner) {
        const int bars = std::abs(m_pOwner->XToIndex(x1) - m_pOwner->XToIndex(x2));
        m_figure.AddText(Format("%d(T)", bars),
                         CRect(std::min(x1, x2), y1, std::max(x1, x2), pane.bottom),
                         DT_CENTER | DT_TOP | kLine);
    }
    DrawSegment(x1, y1, x1, y2);
    DrawSegment(x2, y1, x2, y2);
    if (!final) return;
    const CRect rc(std::max(x1, x2), std::min(y1, y2), pane.right, std::max(y1, y2));
    m_figure.AddText(Format("%.2f", m_fBottom - m_fTop), rc, DT_TOP | kLine);
    // The change relative to the first level; a first level at 0 has none.
    if (m_fTop != 0)
        m_figure.AddText(Format("%.2f%%", (m_fBottom - m_fTop) / m_fTop * 100), rc,
                         DT_BOTTOM | kLine);
}

// ---- solid rectangle ----

std::shared_ptr<CRecRgnLines> CSolidRectRgn::Clone() const {
    return CloneAs(*this);
}

void CSolidRectRgn::DrawShape(int final, int) {
    m_segments.clear();
    if (final) {
        CRect rc(x1, y1, x2, y2);
        rc.NormalizeRect();
        // Filled first, so that the sides stay visible when the tool is shown selected.
        m_figure.AddFill(rc, m_color);
    }
    DrawSegment(x1, y1, x1, y2);
    DrawSegment(x2, y1, x2, y2);
    DrawSegment(x1, y1, x2, y1);
    DrawSegment(x1, y2, x2, y2);
}

// ---- box statistics ----

std::shared_ptr<CRecRgnLines> CXTXTool::Clone() const {
    return CloneAs(*this);
}

bool CXTXTool::ReadStatistics(int32_t first, int32_t last, BoxStatistics& s) const {
    if (!m_pOwner) return false;
    if (last < first) std::swap(first, last);
    const int64_t n = int64_t(last) - first + 1;
    if (first < 0 || n <= 0) return false;
    // Intraday records carry one price: it is their high and their low.
    const int16_t type = m_pOwner->GetDataType();
    const bool single = type == 2 || type == 5;
    double sumClose = 0, sumVolume = 0, sumWeighted = 0;
    s = BoxStatistics{};
    for (int32_t i = first; i <= last; ++i) {
        const double close = m_pOwner->GetBarPrice(i, 1);
        const double high = single ? close : m_pOwner->GetBarPrice(i, 2);
        const double low = single ? close : m_pOwner->GetBarPrice(i, 3);
        const double volume = m_pOwner->GetBarPrice(i, 5);
        if (i == first) {
            s.high = high;
            s.low = low;
            s.firstClose = close;
        }
        s.high = std::max(s.high, high);
        s.low = std::min(s.low, low);
        s.lastClose = close;
        sumClose += close;
        if (volume > 0) {
            sumVolume += volume;
            sumWeighted += close * volume;
        }
    }
    s.bars = int32_t(n);
    s.average = sumClose / double(n);
    s.weighted = sumVolume > 0 ? sumWeighted / sumVolume : s.average;
    return true;
}

std::string CXTXTool::StatisticsText(const BoxStatistics& s) {
    const std::string rise =
        s.firstClose != 0 ? Format("%.2f%%", (s.lastClose - s.firstClose) / s.firstClose * 100)
                          : std::string("--");
    const std::string amplitude =
        s.low != 0 ? Format("%.2f%%", (s.high / s.low - 1) * 100) : std::string("--");
    return Format("K数:%d 涨:%s 振:%s 权均:%.2f 均:%.2f", s.bars, rise.c_str(),
                  amplitude.c_str(), s.weighted, s.average);
}

void CXTXTool::DrawShape(int final, int) {
    m_segments.clear();
    if (!m_pOwner) return;
    BoxStatistics s;
    if (!ReadStatistics(m_pOwner->XToIndex(std::min(x1, x2)),
                        m_pOwner->XToIndex(std::max(x1, x2)), s))
        return;
    auto yOf = [&](double v) { return m_pOwner->ValueToY(m_nPaneIndex, m_strChart, v); };
    const int yH = yOf(s.high), yL = yOf(s.low), yW = yOf(s.weighted), yA = yOf(s.average);
    DrawSegment(x1, yH, x2, yH);
    DrawSegment(x1, yL, x2, yL);
    if (final)
        m_figure.AddText(StatisticsText(s), CRect(std::min(x1, x2), yL, PaneRect().right,
                                                  PaneRect().bottom),
                         DT_LEFT | kLine);
    m_figure.AddLine(x1, yH, x1, yL);
    m_figure.AddLine(x2, yH, x2, yL);
    DrawSegment(x1, yW, x2, yW, FigureItem::DottedPen);
    DrawSegment(x1, yA, x2, yA, FigureItem::DottedPen);
}

bool CXTXTool::HitSegments(int x, int y) {
    if (m_segments.size() != 8) return false;
    const auto& s = m_segments;
    auto near = [&](const CPoint& a, const CPoint& b) {
        return IsNearSegment(a.x, a.y, b.x, b.y, x, y);
    };
    // Top, bottom, the averages, and the sides from the top's ends to the bottom's.
    return near(s[0], s[1]) || near(s[2], s[3]) || near(s[4], s[5]) || near(s[6], s[7]) ||
           near(s[0], s[2]) || near(s[1], s[3]);
}

// ---- vanishing point ----

std::shared_ptr<CRecRgnLines> CJXDTool::Clone() const {
    return CloneAs(*this);
}

bool CJXDTool::VanishingPoint(CPoint L, CPoint R, CPoint& v) {
    const double dx = R.x - L.x;
    if (dx == 0) return false;
    const double dv = L.y - R.y;
    const double theta = std::atan(dv / dx);
    const double c = std::sqrt(dx * dx + dv * dv);
    double A = (1 - std::sqrt(3.0)) / 2 * c;
    double B = (1 + std::sqrt(3.0)) / 2 * c;
    if (dv > 0) {
        A = -A;
        B = -B;
    }
    v.x = static_cast<int>(std::cos(theta) * A - std::sin(theta) * B + L.x);
    v.y = static_cast<int>(L.y - (std::sin(theta) * A + std::cos(theta) * B));
    return true;
}

void CJXDTool::DrawShape(int, int) {
    m_segments.clear();
    DrawSegment(x1, y1, x2, y2);
    const CPoint L = x1 < x2 ? CPoint(x1, y1) : CPoint(x2, y2);
    const CPoint R = x1 < x2 ? CPoint(x2, y2) : CPoint(x1, y1);
    CPoint v;
    // Anchors on one bar give an upright segment and no point to vanish to.
    if (!VanishingPoint(L, R, v)) return;
    DrawSegment(L.x, L.y, v.x, v.y, FigureItem::DottedPen);
    DrawSegment(R.x, R.y, v.x, v.y, FigureItem::DottedPen);
}

// ---- period ruler ----

std::shared_ptr<CRecRgnLines> CZQCTool::Clone() const {
    return CloneAs(*this);
}

void CZQCTool::MarkLabel(int x, int count, int final) {
    if (!final) return;
    const CRect pane = PaneRect();
    m_figure.AddText(Format("%d", count), CRect(x, pane.top, pane.right, pane.bottom),
                     DT_LEFT | DT_BOTTOM | kLine);
}

void CZQCTool::DrawItem(int index, int final, int) {
    if (!m_pOwner || index < 0 || index >= (int)m_items.size()) return;
    const CRect pane = PaneRect();
    const CLineItem& a = m_items[0];
    auto bar = [&](int x) { return m_pOwner->XToIndex(x); };
    const int32_t span = std::abs(bar(a.x2) - bar(a.x1));
    if (index == 0) {
        DrawSegment(a.x1, a.y1, a.x2, a.y2);
        DrawSegment(a.x1, a.y1, a.x1, pane.bottom);
        DrawSegment(a.x2, a.y2, a.x2, pane.bottom);
        MarkLabel(a.x2, span, final);
        return;
    }
    const CLineItem& b = m_items[1];
    if (index != 1 || !b.begun) return;
    const int dot = FigureItem::DottedPen;
    DrawSegment(a.x2, a.y2, b.x2, b.y2);
    DrawSegment(b.x2, b.y2, b.x2, pane.bottom);
    const int32_t start = bar(b.x2);
    MarkLabel(b.x2, std::abs(start - bar(a.x2)), final);
    const int32_t H = span == 0 ? 1 : span;
    const int32_t fa = static_cast<int32_t>(H * 0.382 + 0.5);
    const int32_t fb = static_cast<int32_t>(H * 0.618 + 0.5);
    DrawSegment(b.x2, b.y2, pane.right, b.y2, dot);
    int marks = 0;
    for (int64_t s = start; marks < kMaxMarks; s += H) {
        for (int32_t offset : {fa, fb, H}) {
            const int64_t i = s + offset;
            const int x = i > INT32_MAX ? INT32_MAX : m_pOwner->IndexToX(int32_t(i));
            if (x >= pane.right || ++marks > kMaxMarks) return;
            DrawSegment(x, b.y2, x, pane.bottom, dot);
            MarkLabel(x, int(i - start), final);
        }
    }
}

// ---- free Fibonacci lines ----

std::shared_ptr<CRecRgnLines> CZyfsxTool::Clone() const {
    return CloneAs(*this);
}

int CZyfsxTool::FootLabel(int x, int value, int final) {
    const std::string text = Format("%d", value);
    if (final) {
        const CRect pane = PaneRect();
        m_figure.AddText(text, CRect(x, pane.top, pane.right, pane.bottom),
                         DT_LEFT | DT_BOTTOM | kLine);
    }
    return x + MeasureText(text, FigureItem::ChartFont).cx;
}

void CZyfsxTool::DrawItem(int index, int final, int) {
    if (!m_pOwner || index < 0 || index >= (int)m_items.size()) return;
    const CRect pane = PaneRect();
    const CLineItem& a = m_items[0];
    auto full = [&](int x) { DrawSegment(x, pane.top, x, pane.bottom); };
    if (index == 0) {
        full(a.x1);
        full(a.x2);
        return;
    }
    const CLineItem& b = m_items[1];
    if (index != 1 || !b.begun) return;
    const int32_t origin = m_pOwner->XToIndex(a.x1);
    const int64_t S0 = m_pOwner->XToIndex(a.x2) - origin;
    int64_t G1 = m_pOwner->XToIndex(b.x2) - origin;
    if (G1 == 0) G1 = 1;
    FootLabel(a.x2, int(S0), final);
    full(b.x2);
    int end = FootLabel(b.x2, int(G1), final);
    // Each further offset is the sum of the two before it.
    int64_t t = G1, o = S0 + G1;
    for (int n = 0; n < kMaxLines; ++n) {
        // Bar indexes are 16-bit: an offset past them lies beyond either edge of any chart
        // (leftward sums may still turn back, rightward ones never do).
        const int64_t i = origin + o;
        if (i > INT16_MAX) return;
        if (i >= INT16_MIN) {
            const int x = m_pOwner->IndexToX(int32_t(i));
            if (x >= pane.right) return;
            full(x);
            if (x > end + 2) end = FootLabel(x, int(o), final);
        }
        const int64_t next = o + t;
        t = o;
        o = next;
    }
}
