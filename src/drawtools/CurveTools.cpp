#include "drawtools/CurveTools.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kPi = 3.1415926;

int ToPixel(double v) {
    return static_cast<int>(std::clamp(v, -1e6, 1e6));
}

int64_t Det3(const int64_t m[3][3]) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// Sampled curves truncate to whole pixels. Stepping a curve by a fixed rotation (and
// growth) is far cheaper than sin, cos and pow at every sample, but drifts by a tiny
// amount; a value within this margin of a whole number could truncate to the other side,
// so there the exact formula decides. The drift is kept hundreds of times below the margin by
// re-anchoring every kResync steps, which keeps the pixels those of the exact formula.
constexpr int kResync = 32;

bool NearWhole(double v, double scale) {
    if (!(std::abs(v) < 1e15)) return true;  // also NaN: let the exact formula have it
    const double tol = 1e-9 * (1 + std::abs(scale));
    const double f = std::abs(v - double(static_cast<int64_t>(v)));  // a cast, not a libm call
    return f <= tol || f >= 1 - tol;
}

// cos and sin of an angle advanced by a fixed step.
struct Rotor {
    double c = 1, s = 0;
    double stepC = 1, stepS = 0;
    explicit Rotor(double step) : stepC(std::cos(step)), stepS(std::sin(step)) {}
    void Set(double angle) {
        c = std::cos(angle);
        s = std::sin(angle);
    }
    void Advance() {
        const double nc = c * stepC - s * stepS;
        s = s * stepC + c * stepS;
        c = nc;
    }
};

}  // namespace

// ---- circle ----

std::shared_ptr<CRecRgnLines> CCircleTool::Clone() const {
    return std::make_shared<CCircleTool>(*this);
}

double CCircleTool::Radius() const {
    const double dx = std::abs(x1 - x2), dy = std::abs(y1 - y2);
    return std::sqrt(dx * dx + dy * dy);
}

void CCircleTool::DrawShape(int, int) {
    const double r = Radius();
    const CRect rc(int(x1 - r), int(y1 - r), int(x1 + r), int(y1 + r));
    m_figure.AddArc(rc, rc.right, y1, rc.right, y1);  // one start and end: the whole curve
}

bool CCircleTool::HitSegments(int x, int y) {
    const int R = static_cast<int>(Radius());
    const double d = std::hypot(double(x - x1), double(y - y1));
    return d >= R - 3 && d <= R + 3;
}

// ---- ellipse ----

std::shared_ptr<CRecRgnLines> CEllipseTool::Clone() const {
    return std::make_shared<CEllipseTool>(*this);
}

void CEllipseTool::DrawShape(int, int) {
    const int a = std::abs(x1 - x2), b = std::abs(y1 - y2);
    m_figure.AddArc(CRect(x1 - a, y1 - b, x1 + a, y1 + b), x1 + a, y1, x1 + a, y1);
}

bool CEllipseTool::HitSegments(int x, int y) {
    const double a = std::abs(x1 - x2), b = std::abs(y1 - y2);
    const double u = x - x1, v = y - y1;
    // A flat ellipse is a line along its one axis.
    if (a == 0 || b == 0) {
        if (a == 0 && b == 0) return false;
        return a == 0 ? std::abs(u) <= 3 && std::abs(v) <= b : std::abs(v) <= 3 && std::abs(u) <= a;
    }
    if (std::abs(u * u + v * v * (a / b) * (a / b) - a * a) <= 1500) return true;
    // Measured along the other axis for ellipses taller than wide, whose x scale alone
    // leaves the top and bottom hard to hit.
    return b > a && std::abs(u * u * (b / a) * (b / a) + v * v - b * b) <= 1500;
}

// ---- sine line ----

std::shared_ptr<CRecRgnLines> CSinLineTool::Clone() const {
    return std::make_shared<CSinLineTool>(*this);
}

void CSinLineTool::DrawShape(int, int) {
    m_segments.clear();
    const int A = std::abs(y1 - y2);
    const int T = 4 * std::abs(x1 - x2);
    if (T == 0) return;  // a vertical drag gives no period
    const int x0 = int64_t(x1 - x2) * (y1 - y2) < 0 ? x2 + T / 2 : x2;
    const CRect pane = PaneRect();
    auto phase = [&](int x) { return (x - x0) * 6.2831854 / T; };
    Rotor turn(2 * 6.2831854 / T);
    CPoint prev;
    for (int x = pane.left, n = 0; x <= pane.right; x += 2, ++n) {
        // Far phases carry the formula's own rounding beyond the margin: exact there.
        const bool exact = std::abs(phase(x)) > 1e4;
        if (n % kResync == 0 || exact)
            turn.Set(phase(x));
        else
            turn.Advance();
        double y = turn.s * A + y2;
        if (exact || NearWhole(y, double(A) + std::abs(y2))) y = std::sin(phase(x)) * A + y2;
        const CPoint p(x, static_cast<int>(y));
        if (x != pane.left) DrawSegment(prev.x, prev.y, p.x, p.y);
        prev = p;
    }
}

// ---- parabola ----

std::shared_ptr<CRecRgnLines> CParaBolaLines::Clone() const {
    return std::make_shared<CParaBolaLines>(*this);
}

void CParaBolaLines::DrawShape(int, int) {
    m_segments.clear();
    const int dx = x2 - x1, dy = y2 - y1;
    if (dx == 0 || dy == 0) return;
    const double k = double(dy) / (double(dx) * dx);
    const int step = dx > 0 ? 1 : -1;
    const CRect pane = PaneRect();
    CPoint prev(x1, y1);
    for (int n = 1; n < kMaxSamples; ++n) {
        const int t = n * step;
        const CPoint p(x1 + t, ToPixel(k * t * t + y1));
        DrawSegment(prev.x, prev.y, p.x, p.y);
        prev = p;
        if (p.y < pane.top || p.y >= pane.bottom || p.x >= pane.right || p.x < pane.left) break;
    }
}

// ---- logarithmic spiral ----

std::shared_ptr<CRecRgnLines> CDSLXTool::Clone() const {
    return std::make_shared<CDSLXTool>(*this);
}

void CDSLXTool::DrawShape(int, int) {
    m_segments.clear();
    const double r = std::hypot(double(x1 - x2), double(y1 - y2)) / 2;
    if (r < 0.00001) return;
    const double theta0 = 9 * std::log(r);  // the angle at which the radius is r
    const double qx = x2 + std::cos(theta0) * r, qy = y2 + std::sin(theta0) * r;
    // Rounding can carry the chord past the diameter; the nearest start then is opposite.
    const double chord = std::min(1.0, std::hypot(qx - x1, qy - y1) / (2 * r));
    const double t = 360 / kPi * std::asin(chord);
    const double base = theta0 * 180 / kPi;
    auto distance = [&](double deg) {
        const double a = deg * kPi / 180;
        return std::hypot(x2 + std::cos(a) * r - x1, y2 + std::sin(a) * r - y1);
    };
    const double da = distance(base - t), db = distance(base + t);
    const double start = da < db ? base - t : db < da ? base + t : base;
    // The radius only grows: once it passes the pane's farthest corner the spiral never
    // comes back, and steps that stay on one pixel or wholly outside the pane show nothing.
    const CRect pane = PaneRect();
    double reach = 0;
    for (const CPoint& c : {pane.TopLeft(), pane.BottomRight(), CPoint(pane.left, pane.bottom),
                            CPoint(pane.right, pane.top)})
        reach = std::max(reach, std::hypot(double(c.x - x2), double(c.y - y2)));
    auto outside = [&](const CPoint& a, const CPoint& b) {
        return std::max(a.x, b.x) < pane.left || std::min(a.x, b.x) > pane.right ||
               std::max(a.y, b.y) < pane.top || std::min(a.y, b.y) > pane.bottom;
    };
    // Each half degree turns the point by a fixed angle and grows its radius by a fixed factor.
    const double step = 0.5 * kPi / 180;
    const double growth = std::pow(2.718281828, step / 9);
    Rotor turn(step);
    double g = 0;  // the radius before truncation
    CPoint prev(x2, y2);
    int n = 0;
    for (double deg = start + 0.5; deg < 5300; deg += 0.5, ++n) {
        const double a = deg * kPi / 180;
        if (n % kResync == 0 || !(g < 1e9)) {
            g = std::pow(2.718281828, a / 9);
            turn.Set(a);
        } else {
            g *= growth;
            turn.Advance();
        }
        int R = static_cast<int>(g);
        double px = turn.c * R, py = turn.s * R;
        if (NearWhole(g, g) || NearWhole(px, R) || NearWhole(py, R)) {
            R = static_cast<int>(std::pow(2.718281828, a / 9));
            px = std::cos(a) * R;
            py = std::sin(a) * R;
        }
        const CPoint p(x2 + static_cast<int>(px), y2 + static_cast<int>(py));
        if (p == prev) continue;
        if (!outside(prev, p)) DrawSegment(prev.x, prev.y, p.x, p.y);
        prev = p;
        if (R > reach + 1) break;
    }
}

// ---- three-point curve ----

std::shared_ptr<CRecRgnLines> CSDQXTool::Clone() const {
    return std::make_shared<CSDQXTool>(*this);
}

void CSDQXTool::DrawItem(int index, int final, int) {
    const CLineItem& s0 = m_items[0];
    if (index == 0) {
        m_segments.clear();
        if (!final) m_figure.AddLine(s0.x1, s0.y1, s0.x2, s0.y2);
        return;
    }
    const CLineItem& s1 = m_items[1];
    if (index != 1 || !s1.begun) return;
    const CRect pane = PaneRect();
    // In pane coordinates from the bottom-left corner: w = a u^2 + b u + c.
    const int64_t u[3] = {s0.x1 - pane.left, s0.x2 - pane.left, s1.x2 - pane.left};
    const int64_t w[3] = {pane.bottom - s0.y1, pane.bottom - s0.y2, pane.bottom - s1.y2};
    const int64_t m[3][3] = {{u[0] * u[0], u[0], 1}, {u[1] * u[1], u[1], 1}, {u[2] * u[2], u[2], 1}};
    const int64_t D = Det3(m);
    if (D == 0) {
        // Two points on one column: no parabola through them; join the points instead.
        DrawSegment(s0.x1, s0.y1, s0.x2, s0.y2);
        DrawSegment(s0.x2, s0.y2, s1.x2, s1.y2);
        return;
    }
    double coef[3];
    for (int c = 0; c < 3; ++c) {
        int64_t mc[3][3];
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k) mc[r][k] = k == c ? w[r] : m[r][k];
        coef[c] = double(Det3(mc)) / double(D);
    }
    // Sampled across the whole pane, however wide it is.
    const int64_t width = pane.Width();
    const int64_t from = s0.x2 >= s0.x1 ? u[0] : width;
    const int64_t to = s0.x2 >= s0.x1 ? width : u[1];
    const int64_t lo = std::min(from, to), hi = std::max(from, to);
    CPoint prev;
    for (int64_t uu = lo; uu <= hi; ++uu) {
        const double ww = coef[0] * double(uu) * double(uu) + coef[1] * double(uu) + coef[2];
        const CPoint p(int(pane.left + uu), ToPixel(pane.bottom - ww));
        if (uu != lo) DrawSegment(prev.x, prev.y, p.x, p.y);
        prev = p;
    }
}
