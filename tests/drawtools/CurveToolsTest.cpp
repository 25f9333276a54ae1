#include <gtest/gtest.h>

#include "FakeChart.h"
#include "drawtools/CurveTools.h"

namespace {

// The y of the recorded sample at x; INT_MIN when there is none.
int SampleAt(const std::vector<CPoint>& s, int x) {
    for (const CPoint& p : s)
        if (p.x == x) return p.y;
    return INT_MIN;
}

}  // namespace

TEST(CurveTools, CircleRadiusUsesBothOffsets) {
    FakeChart chart;
    CCircleTool t;
    PlaceTwoPoints(t, chart, 200, 150, 230, 190);
    ASSERT_EQ(t.Figure().Count(FigureItem::Arc), 1);
    EXPECT_EQ(t.Figure().items[0].rect, CRect(150, 100, 250, 200));
    EXPECT_TRUE(t.HitSegments(250, 150));
    EXPECT_TRUE(t.HitSegments(200, 203));
    EXPECT_FALSE(t.HitSegments(200, 204));
    EXPECT_FALSE(t.HitSegments(200, 150));
    PlaceTwoPoints(t, chart, 200, 150, 260, 150);  // sideways: radius |dx|
    EXPECT_EQ(t.Figure().items[0].rect, CRect(140, 90, 260, 210));
}

TEST(CurveTools, EllipseHitsAndFlatEllipses) {
    FakeChart chart;
    CEllipseTool t;
    PlaceTwoPoints(t, chart, 200, 150, 260, 180);  // a 60, b 30
    EXPECT_EQ(t.Figure().items[0].rect, CRect(140, 120, 260, 180));
    EXPECT_TRUE(t.HitSegments(260, 150));
    EXPECT_TRUE(t.HitSegments(200, 120));
    EXPECT_FALSE(t.HitSegments(200, 150));
    CEllipseTool flat;
    PlaceTwoPoints(flat, chart, 200, 150, 260, 150);  // b 0: a line, no division by zero
    EXPECT_TRUE(flat.HitSegments(230, 152));
    EXPECT_FALSE(flat.HitSegments(270, 150));
    EXPECT_FALSE(flat.HitSegments(230, 160));
}

TEST(CurveTools, SineFlipsByHalfAPeriod) {
    FakeChart chart;
    CSinLineTool up, down;
    PlaceTwoPoints(up, chart, 100, 200, 140, 160);    // anchor 2 up-right
    PlaceTwoPoints(down, chart, 100, 200, 140, 240);  // anchor 2 down-right
    // Amplitude 40, period 160: a quarter period after anchor 2 the two are mirror images.
    EXPECT_EQ(SampleAt(up.Segments(), 170), 123);
    EXPECT_EQ(SampleAt(down.Segments(), 170), 276);
    EXPECT_EQ(SampleAt(up.Segments(), 110), 196);
    EXPECT_EQ(SampleAt(down.Segments(), 110), 203);
    EXPECT_EQ(up.Segments().back().x, 610);
    EXPECT_TRUE(up.HitSegments(170, 125));

    CSinLineTool vertical;
    PlaceTwoPoints(vertical, chart, 100, 100, 100, 200);
    EXPECT_TRUE(vertical.Segments().empty());
}

TEST(CurveTools, ParabolaThroughAnchorTwoUntilItLeavesThePane) {
    FakeChart chart;
    CParaBolaLines t;
    PlaceTwoPoints(t, chart, 100, 200, 110, 150);  // k = -0.5
    EXPECT_EQ(SampleAt(t.Segments(), 110), 150);
    EXPECT_EQ(t.Segments().back(), CPoint(119, 19));  // the first sample above the pane
    EXPECT_TRUE(t.HitSegments(105, 188));

    for (CRect anchors : {CRect(100, 200, 100, 150), CRect(100, 200, 140, 200)}) {
        CParaBolaLines flat;
        PlaceTwoPoints(flat, chart, anchors.left, anchors.top, anchors.right, anchors.bottom);
        EXPECT_TRUE(flat.Segments().empty());
        EXPECT_TRUE(flat.Figure().Empty());
    }
}

TEST(CurveTools, SpiralStartsOnAnchorTwoAndEnds) {
    FakeChart chart;
    struct Case {
        CRect anchors;
    } cases[] = {{CRect(100, 100, 160, 180)}, {CRect(300, 200, 301, 200)}, {CRect(100, 100, 100, 100)}};
    for (const Case& c : cases) {
        CDSLXTool t;
        PlaceTwoPoints(t, chart, c.anchors.left, c.anchors.top, c.anchors.right, c.anchors.bottom);
        if (c.anchors.TopLeft() == c.anchors.BottomRight()) {
            EXPECT_TRUE(t.Segments().empty());
            continue;
        }
        ASSERT_FALSE(t.Segments().empty());
        EXPECT_EQ(t.Segments().front(), c.anchors.BottomRight());
    }
}

TEST(CurveTools, SpiralKeepsOnlyWhatThePaneShows) {
    FakeChart chart;
    CDSLXTool t;
    PlaceTwoPoints(t, chart, 280, 150, 300, 170);
    const CRect pane = chart.panes[0].rect;
    const auto& s = t.Segments();
    ASSERT_GT(s.size(), 100u);
    // Turns that pass wholly outside the pane are not kept, and the spiral stops once its
    // radius passes the pane's farthest corner instead of running on to 5,300 degrees.
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        const CRect box(std::min(s[i].x, s[i + 1].x), std::min(s[i].y, s[i + 1].y),
                        std::max(s[i].x, s[i + 1].x) + 1, std::max(s[i].y, s[i + 1].y) + 1);
        CRect common;
        EXPECT_TRUE(common.IntersectRect(box, CRect(pane.left, pane.top, pane.right + 1,
                                                    pane.bottom + 1)))
            << s[i].x << "," << s[i].y;
    }
    EXPECT_LT(s.size(), 2u * 4000u);
    // It still runs out of the pane before it stops.
    EXPECT_TRUE(std::any_of(s.begin(), s.end(), [&](const CPoint& p) {
        return p.x < pane.left || p.x > pane.right || p.y < pane.top || p.y > pane.bottom;
    }));
}

TEST(CurveTools, ThreePointCurveSpansTheWholePane) {
    FakeChart chart;
    chart.panes[0].rect = CRect(10, 20, 1610, 320);  // wider than 1,024 px
    CSDQXTool t;
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.m_items[0] = CLineItem{0, 110, 220, 210, 120, 1};
    t.m_items[1] = CLineItem{1, 210, 120, 310, 220, 1};
    t.m_items[0].begun = t.m_items[1].begun = 1;
    t.MakeFigure(1, 0);
    // w = -0.01 u^2 + 4 u - 200 from the pane's bottom-left corner.
    EXPECT_NEAR(SampleAt(t.Segments(), 210), 120, 1);
    EXPECT_NEAR(SampleAt(t.Segments(), 310), 220, 1);
    EXPECT_EQ(t.Segments().front().x, 110);
    EXPECT_EQ(t.Segments().back().x, 1610);

    t.m_items[0].x2 = 110;  // two points on one column: the points are joined
    t.MakeFigure(1, 0);
    EXPECT_EQ(t.Segments(), (std::vector<CPoint>{{110, 220}, {110, 120}, {110, 120}, {310, 220}}));
}
