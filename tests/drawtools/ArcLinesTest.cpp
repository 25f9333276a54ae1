#include <gtest/gtest.h>

#include <cmath>

#include "FakeChart.h"
#include "drawtools/ArcLines.h"

namespace {

}  // namespace

TEST(ArcTools, ArcRisingToTheRight) {
    FakeChart chart;
    CArcLines t;
    PlaceTwoPoints(t, chart, 100, 200, 160, 120);
    ASSERT_EQ(t.Figure().Count(FigureItem::Arc), 1);
    const FigureItem& arc = t.Figure().items[0];
    // The right half of the ellipse centred at (100, 120) with half axes 60 and 80.
    EXPECT_EQ(arc.rect, CRect(40, 40, 160, 200));
    EXPECT_EQ(arc.a, CPoint(100, 200));
    EXPECT_EQ(arc.b, CPoint(100, 40));
    // At x 130 the curve is sqrt(6400 * 0.75) = 69 px from the centre's row.
    struct Case {
        int x, y;
        bool hit;
    } cases[] = {{130, 189, true}, {130, 51, true}, {130, 192, true}, {130, 193, false},
                 {130, 120, false}, {70, 189, false}, {100, 200, true}, {163, 120, false}};
    for (const Case& c : cases) EXPECT_EQ(t.HitSegments(c.x, c.y), c.hit) << c.x << "," << c.y;
}

TEST(ArcTools, ArcFallingToTheRightIsCentredUnderAnchorTwo) {
    FakeChart chart;
    CArcLines t;
    PlaceTwoPoints(t, chart, 100, 100, 160, 180);
    const FigureItem& arc = t.Figure().items[0];
    EXPECT_EQ(arc.rect, CRect(100, 20, 220, 180));
    EXPECT_EQ(arc.a, CPoint(100, 100));
    EXPECT_EQ(arc.b, CPoint(220, 100));
    EXPECT_TRUE(t.HitSegments(160, 178));
}

TEST(ArcTools, ArcOnARowOrColumnHasNoBody) {
    FakeChart chart;
    for (CRect anchors : {CRect(100, 100, 160, 100), CRect(100, 100, 100, 180)}) {
        CArcLines t;
        PlaceTwoPoints(t, chart, anchors.left, anchors.top, anchors.right, anchors.bottom);
        for (int x = 90; x <= 170; x += 5)
            for (int y = 20; y <= 200; y += 5) ASSERT_FALSE(t.HitSegments(x, y)) << x << "," << y;
        EXPECT_EQ(t.HitTest(anchors.right, anchors.bottom), 2);
    }
}

TEST(ArcTools, FibonacciArcRadii) {
    FakeChart chart;
    CFiboArcLines t;
    PlaceTwoPoints(t, chart, 200, 260, 260, 180);  // distance 100, anchor 2 above
    const int radii[] = {33, 38, 50, 61, 66};
    ASSERT_EQ(t.Figure().Count(FigureItem::Arc), 5);
    int k = 0;
    for (const FigureItem& it : t.Figure().items) {
        if (it.kind == FigureItem::Line) {
            EXPECT_EQ(it.pen, FigureItem::DottedPen);
            continue;
        }
        const int e = radii[k++];
        EXPECT_EQ(it.rect, CRect(260 - e, 180 - e, 260 + e, 180 + e));
        EXPECT_EQ(it.a, CPoint(260 - e, 180));  // lower half, anchor 1's side
        EXPECT_EQ(it.b, CPoint(260 + e, 180));
    }
    EXPECT_TRUE(t.HitSegments(260, 180 + 50));
    EXPECT_TRUE(t.HitSegments(260 + 61, 181));
    EXPECT_FALSE(t.HitSegments(260, 180 - 50));  // the far side of anchor 2
    EXPECT_FALSE(t.HitSegments(260, 180 + 44));  // between 38 and 50
    EXPECT_FALSE(t.HitSegments(206, 252));       // on the dotted base only
}
