// The sampled curves step their points by rotation instead of evaluating sin, cos and pow at
// each sample. These cases hold them to the direct formulas, sample for sample, so what the
// pane shows does not move by a single pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "FakeChart.h"
#include "drawtools/CurveTools.h"

namespace {

constexpr double kPi = 3.1415926;

void Join(std::vector<CPoint>& out, CPoint a, CPoint b) {
    out.push_back(a);
    out.push_back(b);
}

// The sine line evaluated directly at every sample.
std::vector<CPoint> DirectSine(const CRect& pane, int x1, int y1, int x2, int y2) {
    std::vector<CPoint> out;
    const int A = std::abs(y1 - y2), T = 4 * std::abs(x1 - x2);
    if (T == 0) return out;
    const int x0 = int64_t(x1 - x2) * (y1 - y2) < 0 ? x2 + T / 2 : x2;
    CPoint prev;
    for (int x = pane.left; x <= pane.right; x += 2) {
        const CPoint p(x, static_cast<int>(std::sin((x - x0) * 6.2831854 / T) * A + y2));
        if (x != pane.left) Join(out, prev, p);
        prev = p;
    }
    return out;
}

// The spiral evaluated directly at every half degree, from the same start and to the same end.
std::vector<CPoint> DirectSpiral(const CRect& pane, int x1, int y1, int x2, int y2) {
    std::vector<CPoint> out;
    const double r = std::hypot(double(x1 - x2), double(y1 - y2)) / 2;
    if (r < 0.00001) return out;
    const double theta0 = 9 * std::log(r);
    const double qx = x2 + std::cos(theta0) * r, qy = y2 + std::sin(theta0) * r;
    const double chord = std::min(1.0, std::hypot(qx - x1, qy - y1) / (2 * r));
    const double t = 360 / kPi * std::asin(chord);
    const double base = theta0 * 180 / kPi;
    auto distance = [&](double deg) {
        const double a = deg * kPi / 180;
        return std::hypot(x2 + std::cos(a) * r - x1, y2 + std::sin(a) * r - y1);
    };
    const double da = distance(base - t), db = distance(base + t);
    const double start = da < db ? base - t : db < da ? base + t : base;
    double reach = 0;
    for (const CPoint& c : {pane.TopLeft(), pane.BottomRight(), CPoint(pane.left, pane.bottom),
                            CPoint(pane.right, pane.top)})
        reach = std::max(reach, std::hypot(double(c.x - x2), double(c.y - y2)));
    auto outside = [&](const CPoint& a, const CPoint& b) {
        return std::max(a.x, b.x) < pane.left || std::min(a.x, b.x) > pane.right ||
               std::max(a.y, b.y) < pane.top || std::min(a.y, b.y) > pane.bottom;
    };
    CPoint prev(x2, y2);
    for (double deg = start + 0.5; deg < 5300; deg += 0.5) {
        const double a = deg * kPi / 180;
        const int R = static_cast<int>(std::pow(2.718281828, a / 9));
        const CPoint p(x2 + static_cast<int>(std::cos(a) * R), y2 + static_cast<int>(std::sin(a) * R));
        if (p == prev) continue;
        if (!outside(prev, p)) Join(out, prev, p);
        prev = p;
        if (R > reach + 1) break;
    }
    return out;
}

struct Anchors {
    int x1, y1, x2, y2;
};

// Hand-picked shapes: tiny, flat, steep, far outside the pane, and both sine directions.
const Anchors kCases[] = {
    {100, 100, 160, 180}, {300, 200, 301, 200}, {280, 150, 300, 170}, {10, 10, 600, 450},
    {310, 230, 312, 229}, {100, 200, 140, 160},  {100, 200, 140, 240}, {-5000, 80, 4000, 90},
    {620, 460, 0, 0},     {200, 20, 200, 400},   {300, 230, 300, 231}, {50, 400, 51, 20},
};

// Many more shapes from a fixed pseudo-random walk: truncation edges are rare, so a wide sweep
// is what would meet one.
std::vector<Anchors> Sweep() {
    std::vector<Anchors> out(std::begin(kCases), std::end(kCases));
    uint32_t seed = 12345;
    auto next = [&](int lo, int hi) {
        seed = seed * 1664525u + 1013904223u;
        return lo + int((seed >> 8) % uint32_t(hi - lo + 1));
    };
    for (int n = 0; n < 400; ++n)
        out.push_back({next(-200, 820), next(-100, 560), next(0, 620), next(0, 460)});
    return out;
}

}  // namespace

TEST(CurveSampling, SineSamplesEqualTheDirectFormula) {
    FakeChart chart;
    const CRect pane = chart.panes[0].rect;
    for (const Anchors& a : Sweep()) {
        CSinLineTool t;
        PlaceTwoPoints(t, chart, a.x1, a.y1, a.x2, a.y2);
        EXPECT_EQ(t.Segments(), DirectSine(pane, a.x1, a.y1, a.x2, a.y2))
            << a.x1 << "," << a.y1 << " " << a.x2 << "," << a.y2;
    }
}

TEST(CurveSampling, SpiralSamplesEqualTheDirectFormula) {
    FakeChart chart;
    const CRect pane = chart.panes[0].rect;
    size_t samples = 0;
    for (const Anchors& a : Sweep()) {
        CDSLXTool t;
        PlaceTwoPoints(t, chart, a.x1, a.y1, a.x2, a.y2);
        const auto direct = DirectSpiral(pane, a.x1, a.y1, a.x2, a.y2);
        EXPECT_EQ(t.Segments(), direct) << a.x1 << "," << a.y1 << " " << a.x2 << "," << a.y2;
        samples += direct.size();
    }
    // The sweep reaches well past the re-anchoring interval on most shapes.
    EXPECT_GT(samples, 100000u);
}
