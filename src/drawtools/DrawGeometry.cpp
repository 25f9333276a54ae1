#include "drawtools/DrawGeometry.h"

#include <algorithm>
#include <cmath>
#include <utility>

double SegmentDistance(double x1, double y1, double x2, double y2, double px, double py) {
    if (x1 == x2 && y1 == y2) return std::hypot(px - x1, py - y1);
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double w = dx * px + dy * py;
    const double c = y2 * x1 - y1 * x2;
    const double n = dx * dx + dy * dy;
    const double fx = (dx * w + dy * c) / n;
    const double fy = (dy * w - dx * c) / n;
    if ((fx - x1) * (fx - x2) <= 0 && (fy - y1) * (fy - y2) <= 0)
        return std::hypot(px - fx, py - fy);
    const double d1 = std::hypot(px - x1, py - y1);
    const double d2 = std::hypot(px - x2, py - y2);
    return d2 < d1 ? d2 : d1;
}

bool IsNearSegment(double x1, double y1, double x2, double y2, double px, double py) {
    return SegmentDistance(x1, y1, x2, y2, px, py) <= kPickTolerance;
}

int RectTouchesRect(RECT& r, const RECT& a) {
    if (r.right < r.left) std::swap(r.left, r.right);
    if (r.bottom < r.top) std::swap(r.top, r.bottom);
    // A rectangular region holds exactly the half-open pixels of a; r touches it when the
    // two pixel sets share one.
    const LONG left = std::max<LONG>(r.left, a.left);
    const LONG right = std::min<LONG>(r.right, a.right);
    const LONG top = std::max<LONG>(r.top, a.top);
    const LONG bottom = std::min<LONG>(r.bottom, a.bottom);
    return left < right && top < bottom ? 1 : 0;
}
