#include "drawtools/PeriodLines.h"

#include <tinyxml2.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "foundation/XmlAttr.h"

namespace {

std::string FormatInt(int v) {
    return std::to_string(v);
}

std::string FormatRatio(double r) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", r);
    return buf;
}

}  // namespace

bool NearRecordedX(const std::vector<int>& xs, int x) {
    for (int lx : xs)
        if (std::abs(lx - x) <= 3) return true;
    return false;
}

// ---- period lines ----

std::shared_ptr<CRecRgnLines> CPeriodLines::Clone() const {
    return std::make_shared<CPeriodLines>(*this);
}

bool CPeriodLines::HitSegments(int x, int) {
    return NearRecordedX(m_levels, x);
}

int CPeriodLines::BarX(int index) const {
    if (!m_pOwner || index < INT16_MIN || index > INT16_MAX) return INT_MAX;
    return m_pOwner->IndexToX(index);
}

void CPeriodLines::PixelsToData(int which) {
    CSymmetricLines::PixelsToData(which);
    if (m_pOwner) m_nPeriod = int16_t(m_pOwner->XToIndex(x2) - m_pOwner->XToIndex(x1));
}

void CPeriodLines::DataToPixels(int which) {
    CSymmetricLines::DataToPixels(which);
    // Anchor 2 is exactly one period after anchor 1, whatever its stored key says.
    if (m_pOwner) x2 = m_pOwner->IndexToX(int16_t(m_pOwner->XToIndex(x1) + m_nPeriod));
}

void CPeriodLines::DrawLineLabel(const std::string& text, int x, int& end) {
    if (x - end <= 2) return;
    const CRect pane = PaneRect();
    m_figure.AddText(text, CRect(x, pane.top, pane.right, pane.bottom),
                     DT_SINGLELINE | DT_BOTTOM | DT_LEFT);
    end = x + MeasureText(text, FigureItem::ChartFont).cx;
}

void CPeriodLines::DrawPlacingLabel(int cycle, int x, bool filled) {
    const CRect pane = PaneRect();
    const std::string text = FormatInt(cycle);
    const CSize size = MeasureText(text, FigureItem::ChartFont);
    m_rcLabel = CRect(x - 2 - size.cx, pane.bottom - 2 - size.cy, x - 2, pane.bottom - 2);
    if (filled) m_figure.AddFill(m_rcLabel, m_colorBK);
    m_figure.AddText(text, m_rcLabel, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

void CPeriodLines::DrawShape(int final, int placing) {
    m_levels.clear();
    if (!m_pOwner) return;
    const int16_t a = int16_t(m_pOwner->XToIndex(x1));
    const int16_t p = m_nPeriod;
    const int16_t e = int16_t(a + p);
    if (a < 0 || e < 0) return;
    if (p == 0) {
        if (placing) m_rcLabel = CRect();
        return;
    }
    const CRect pane = PaneRect();
    const int step = std::abs(int(p));
    int end = pane.left;
    bool first = true;
    for (int i = std::min(a, e), n = 0;; i += step, n += step) {
        const int x = BarX(i);
        if (x >= pane.right) break;
        m_figure.AddLine(x, pane.top, x, pane.bottom);
        m_levels.push_back(x);
        if (final) DrawLineLabel(FormatInt(n), x, end);
        else if (placing && x1 < x2 && first) DrawPlacingLabel(step, x, false);
        first = false;
    }
}

int CPeriodLines::loadFromXml(const tinyxml2::XMLElement* element) {
    CSymmetricLines::loadFromXml(element);
    m_nPeriod = int16_t(GetXmlAttrInt(element, "Period"));
    return 1;
}

int CPeriodLines::saveToXml(ToolXmlOut element) const {
    CSymmetricLines::saveToXml(element);
    if (element) element.Int("Period", int(m_nPeriod));
    return 1;
}

// ---- Fibonacci lines ----

std::shared_ptr<CRecRgnLines> CFiboLines::Clone() const {
    return std::make_shared<CFiboLines>(*this);
}

void CFiboLines::PaintHandles(CDC* dc) {
    InvertHandle(dc, x2, y2);
}

bool CFiboLines::HitSegments(int x, int) {
    return NearRecordedX(m_levels, x);
}

void CFiboLines::DrawShape(int final, int) {
    m_levels.clear();
    if (!m_pOwner) return;
    const CRect pane = PaneRect();
    const int s = m_pOwner->XToIndex(x2);
    int end = x2;  // the 0 on anchor 2's own line is never written
    // Offsets 0, then the Fibonacci numbers from 1: 1, 2, 3, 5, 8, ...
    for (int offset = 0, cur = 1, nxt = 2; s + offset <= INT16_MAX;) {
        const int x = m_pOwner->IndexToX(int16_t(s + offset));
        if (x >= pane.right) break;
        m_figure.AddLine(x, pane.top, x, pane.bottom);
        m_levels.push_back(x);
        if (final) {
            const std::string text = FormatInt(offset);
            if (x - end > 2) {
                m_figure.AddText(text, CRect(x, pane.top, pane.right, pane.bottom),
                                 DT_SINGLELINE | DT_BOTTOM | DT_LEFT);
                end = x + MeasureText(text, FigureItem::ChartFont).cx;
            }
        }
        offset = cur;
        cur = nxt;
        nxt = offset + cur;
    }
}

// ---- Fibonacci time periods ----

void CFiboPeriodLines::AddLineLabel(const std::string& text, int x) {
    const CRect pane = PaneRect();
    m_figure.AddText(text, CRect(x, pane.top, pane.right, pane.bottom),
                     DT_SINGLELINE | DT_BOTTOM | DT_LEFT);
}

std::shared_ptr<CRecRgnLines> CFiboPeriodLines::Clone() const {
    return std::make_shared<CFiboPeriodLines>(*this);
}

void CFiboPeriodLines::DrawShape(int final, int placing) {
    m_levels.clear();
    if (!m_pOwner) return;
    const int s = m_pOwner->XToIndex(x1);
    const int S = m_nPeriod;
    // A bar before the data or past what an int16 names has no place on the chart.
    if (s < 0 || s + S > INT16_MAX || s + S < 0) return;
    const int start = std::min(s, s + S);
    const int cycle = std::abs(S);
    // Both anchors on one bar: no cycle to repeat, nothing to draw.
    if (cycle == 0) return;
    const CRect pane = PaneRect();

    std::vector<double> ratios{0.382, 0.618, 1.382, 1.618, 2.618, 4.236};
    while (ratios.size() < 64) {
        const double last = ratios.back();
        if (BarX(start + int16_t(int(last * cycle + 0.5))) >= pane.right) break;
        ratios.push_back(ratios[ratios.size() - 2] + last);
    }

    for (int o = 0;; ++o) {
        const int t = start + o * cycle;
        const int x = BarX(t);
        if (x >= pane.right) break;
        if (o <= 2) {
            m_figure.AddLine(x, pane.top, x, pane.bottom);
            m_levels.push_back(x);
            if (final) AddLineLabel(FormatInt(o == 0 ? cycle : o), x);
        }
        for (double r : ratios) {
            const double excess = r - o;
            if (excess <= 0.1 || excess > 1) continue;
            const int rx = BarX(t + int(excess * cycle + 0.5));
            if (rx >= pane.right) continue;
            m_figure.AddLine(rx, pane.top, rx, pane.bottom, FigureItem::DottedPen);
            if (final) AddLineLabel(FormatRatio(r), rx);
        }
        if (o == 1 && !final && placing && x1 < x2) DrawPlacingLabel(cycle, x, true);
    }
}
