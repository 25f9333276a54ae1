#include <gtest/gtest.h>

#include "drawtools/DrawGeometry.h"

TEST(DrawGeometry, SegmentDistanceTable) {
    struct Case {
        double x1, y1, x2, y2, px, py, expected;
    } cases[] = {
        {0, 0, 10, 0, 5, 2, 2},       // foot inside
        {0, 0, 10, 0, 13, 4, 5},      // past the end: distance to the end point
        {0, 0, 10, 0, -3, -4, 5},     // before the start
        {4, 4, 4, 4, 7, 8, 5},        // degenerate segment: its single point
        {0, 0, 0, 10, 3, 5, 3},       // vertical
        {0, 0, 10, 10, 0, 10, 7.0710678118654755},  // diagonal
        {10, 0, 0, 0, 5, -2, 2},      // reversed ends
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(SegmentDistance(c.x1, c.y1, c.x2, c.y2, c.px, c.py), c.expected, 1e-9)
            << c.px << "," << c.py;
    }
}

TEST(DrawGeometry, NearSegmentIsInclusiveAtThreePixels) {
    EXPECT_TRUE(IsNearSegment(0, 0, 10, 0, 5, 3));
    EXPECT_FALSE(IsNearSegment(0, 0, 10, 0, 5, 3.01));
    EXPECT_TRUE(IsNearSegment(0, 0, 0, 0, 3, 0));
}

TEST(DrawGeometry, RectTouchesRectNormalisesInPlace) {
    const RECT pane{0, 0, 100, 100};
    RECT inverted{50, 50, 40, 40};
    RECT normal{40, 40, 50, 50};
    EXPECT_EQ(RectTouchesRect(inverted, pane), RectTouchesRect(normal, pane));
    EXPECT_EQ(inverted.left, 40);
    EXPECT_EQ(inverted.bottom, 50);
    RECT outside{100, 10, 110, 20};  // right edge of the pane is outside it
    EXPECT_EQ(RectTouchesRect(outside, pane), 0);
    RECT touching{99, 10, 110, 20};
    EXPECT_NE(RectTouchesRect(touching, pane), 0);
}
