#include <gtest/gtest.h>

#include "FakeChart.h"
#include "drawtools/TriangleLines.h"

TEST(MultiPoint, TriangleTakesTwoClicks) {
    FakeChart chart;
    CTriangleLines t;
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    const int a = chart.IndexToX(10), b = chart.IndexToX(30), c = chart.IndexToX(20);
    t.OnMouseDown(nullptr, a, 200, 0);
    t.OnMouseMove(b, 200, 0);
    t.OnMouseUp(nullptr);
    EXPECT_FALSE(t.IsComplete());
    t.OnMouseMove(c, 120, 0);  // between the clicks: the next item has not begun
    t.OnMouseDown(nullptr, c, 120, 0);
    t.OnMouseMove(c, 100, 0);
    t.OnMouseUp(nullptr);
    EXPECT_TRUE(t.IsComplete());
    t.BuildFigure();
    ASSERT_EQ(t.Segments().size(), 6u);
    EXPECT_EQ(t.Segments()[2], CPoint(a, 200));
    EXPECT_EQ(t.Segments()[3], CPoint(c, 100));
    EXPECT_EQ(t.m_items[1].key2, chart.bars[20].key);
    // Item 1's point 1 is never a handle; C is.
    EXPECT_EQ(t.HitTest(c, 120), 0);
    EXPECT_EQ(t.HitTest(c, 100), 2);
    EXPECT_EQ(t.HitTest(a, 200), 1);
}

TEST(MultiPoint, ZeroBaseShowsOneHandleAndSkipsPointTwo) {
    FakeChart chart;
    CTriangleLines t;
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.m_items[0] = CLineItem{0, 100, 100, 100, 100, 1};
    t.m_items[0].begun = 1;
    EXPECT_EQ(t.HitTest(100, 100), 1);
    EXPECT_EQ(t.HitTest(200, 200), 0);
}

TEST(MultiPoint, DragPicksTheItemUnderTheMouse) {
    FakeChart chart;
    CTriangleLines t;
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.OnMouseDown(nullptr, chart.IndexToX(10), 200, 0);
    t.OnMouseMove(chart.IndexToX(30), 200, 0);
    t.OnMouseUp(nullptr);
    t.OnMouseDown(nullptr, chart.IndexToX(20), 100, 0);
    t.OnMouseUp(nullptr);
    t.BuildFigure();
    t.GetAnchorRect(chart.IndexToX(20) - 1, 201);  // near the base
    EXPECT_EQ(t.m_nCurItem, 0);
    t.GetAnchorRect(chart.IndexToX(15), 150);  // on side A-C
    EXPECT_EQ(t.m_nCurItem, 1);
    t.GetAnchorRect(chart.IndexToX(20), 160);
    EXPECT_EQ(t.m_nCurItem, -1);
}

TEST(MultiPoint, FoldLineKeepsItsPlacedSegments) {
    FakeChart chart;
    CPolygonLines f;
    f.m_pOwner = &chart;
    f.m_nPaneIndex = 0;
    f.OnMouseDown(nullptr, chart.IndexToX(5), 200, 0);
    f.OnMouseMove(chart.IndexToX(10), 150, 0);
    f.OnMouseUp(nullptr);
    f.OnMouseDown(nullptr, chart.IndexToX(20), 250, 0);
    f.OnMouseUp(nullptr);
    EXPECT_FALSE(f.IsComplete());
    f.FinishPolyline();
    EXPECT_TRUE(f.IsComplete());
    ASSERT_EQ(f.m_items.size(), 2u);
    f.BuildFigure();
    ASSERT_EQ(f.Segments().size(), 4u);
    EXPECT_EQ(f.Segments()[2], CPoint(chart.IndexToX(10), 150));
    EXPECT_EQ(f.Segments()[3], CPoint(chart.IndexToX(20), 250));
}
