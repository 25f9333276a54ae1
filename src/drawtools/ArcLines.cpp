#include "drawtools/ArcLines.h"

#include <cmath>
#include <cstdlib>

// ---- arc ----

std::shared_ptr<CRecRgnLines> CArcLines::Clone() const {
    return std::make_shared<CArcLines>(*this);
}

void CArcLines::DrawShape(int, int) {
    const int dx = x2 - x1, dy = y2 - y1;
    if (int64_t(dy) * dx <= 0)
        m_figure.AddArc(CRect(2 * x1 - x2, y1, x2, 2 * y2 - y1), x1, y1, x1, 2 * y2 - y1);
    else
        m_figure.AddArc(CRect(x1, 2 * y1 - y2, 2 * x2 - x1, y2), x1, y1, 2 * x2 - x1, y1);
}

bool CArcLines::HitSegments(int x, int y) {
    if (x1 == x2 || y1 == y2) return false;
    const int dx = x2 - x1, dy = y2 - y1;
    int cx, cy;
    if (int64_t(dy) * dx <= 0) {
        if (x < std::min(x1, x2) - 3 || x > std::max(x1, x2) + 3) return false;
        cx = x1, cy = y2;
    } else {
        if (y < std::min(y1, y2) - 3 || y > std::max(y1, y2) + 3) return false;
        cx = x2, cy = y1;
    }
    const double a = x - cx;
    const double dx2 = double(dx) * dx;
    if (a * a >= dx2) return false;
    const int h = static_cast<int>(std::sqrt(float(double(dy) * dy * (1.0 - a * a / dx2))));
    return std::abs(cy + h - y) <= 3 || std::abs(cy - h - y) <= 3;
}

// ---- Fibonacci arcs ----

std::shared_ptr<CRecRgnLines> CFiboArcLines::Clone() const {
    return std::make_shared<CFiboArcLines>(*this);
}

int CFiboArcLines::Radius(double k) const {
    const double dx = x2 - x1, dy = y2 - y1;
    return static_cast<int>(std::sqrt(dx * dx + dy * dy) * k);
}

void CFiboArcLines::DrawShape(int, int) {
    m_figure.AddLine(x1, y1, x2, y2, FigureItem::DottedPen);
    for (double k : m_ratios) {
        const int e = Radius(k);
        const CRect rc(x2 - e, y2 - e, x2 + e, y2 + e);
        if (y2 < y1)  // anchor 1 below: the lower half
            m_figure.AddArc(rc, x2 - e, y2, x2 + e, y2);
        else
            m_figure.AddArc(rc, x2 + e, y2, x2 - e, y2);
    }
}

bool CFiboArcLines::HitSegments(int x, int y) {
    // Only the half on anchor 1's side is drawn.
    if (y2 < y1 ? y <= y2 : y >= y2) return false;
    const double g = std::hypot(double(x - x2), double(y - y2));
    for (double k : m_ratios)
        if (std::abs(g - Radius(k)) <= 3) return true;
    return false;
}
