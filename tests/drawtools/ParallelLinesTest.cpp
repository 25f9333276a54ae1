#include <gtest/gtest.h>

#include "FakeChart.h"
#include "drawtools/ParallelLines.h"

namespace {

// Two placed segments, the second starting where the first ends.
template <class T>
void Place(T& t, FakeChart& chart, CPoint a, CPoint b, CPoint c) {
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.m_items[0] = CLineItem{0, a.x, a.y, b.x, b.y, 1};
    t.m_items[1] = CLineItem{1, b.x, b.y, c.x, c.y, 1};
    t.m_items[0].begun = t.m_items[1].begun = 1;
    t.MakeFigure(1, 0);
}

std::vector<int> LeftYs(const std::vector<CPoint>& s) {
    std::vector<int> ys;
    for (size_t i = 0; i + 1 < s.size(); i += 2) ys.push_back(s[i].y);
    return ys;
}

}  // namespace

TEST(ParallelTools, ParallelThroughTheSecondEnd) {
    FakeChart chart;
    CNewPXXLines t;
    Place(t, chart, {100, 100}, {200, 150}, {200, 190});
    EXPECT_EQ(t.Segments(), (std::vector<CPoint>{{10, 55}, {610, 355}, {10, 95}, {610, 395}}));
    EXPECT_EQ(t.HitTest(500, 340), 3);
}

TEST(ParallelTools, HorizontalBaseIsDrawnAndHit) {
    FakeChart chart;
    CNewPXXLines t;
    Place(t, chart, {100, 100}, {200, 100}, {200, 140});
    EXPECT_EQ(t.Segments(), (std::vector<CPoint>{{10, 100}, {610, 100}, {10, 140}, {610, 140}}));
    EXPECT_EQ(t.HitTest(400, 102), 3);
    EXPECT_EQ(t.HitTest(400, 138), 3);
    EXPECT_EQ(t.HitTest(400, 120), 0);
}

TEST(ParallelTools, VerticalBaseGivesVerticalParallels) {
    FakeChart chart;
    CNewPXXLines t;
    Place(t, chart, {100, 100}, {100, 200}, {160, 220});
    EXPECT_EQ(t.Segments(), (std::vector<CPoint>{{100, 20}, {100, 320}, {160, 20}, {160, 320}}));
}

TEST(ParallelTools, ParallelogramClosesOnceTheSecondSideMoves) {
    FakeChart chart;
    CPxsbxTool t;
    Place(t, chart, {100, 100}, {200, 100}, {250, 160});
    EXPECT_EQ(t.Segments(), (std::vector<CPoint>{{100, 100}, {200, 100}, {200, 100}, {250, 160},
                                                 {100, 100}, {150, 160}, {250, 160}, {150, 160}}));
    CPxsbxTool open;
    Place(open, chart, {100, 100}, {200, 100}, {200, 100});
    EXPECT_EQ(open.Segments().size(), 2u);
}

TEST(ParallelTools, FenceFillsThePaneAtEqualSpacing) {
    FakeChart chart;
    struct Case {
        CPoint a, b;
        std::vector<int> fence;  // left-edge y of each fence line in drawing order
    };
    std::vector<Case> cases;
    // Falling to the right: p = 130, d = 30; down to 340 (below), up to 10 (above, kept).
    Case falling{{10, 100}, {110, 150}, {}};
    for (int n = 0; n <= 7; ++n) falling.fence.push_back(130 + 30 * n);
    for (int n = 1; n <= 14; ++n) falling.fence.push_back(130 - 30 * n);
    cases.push_back(falling);
    // Rising to the right: p = 180, right end -120; the last line above is left out.
    Case rising{{10, 150}, {110, 100}, {}};
    for (int n = 0; n <= 15; ++n) rising.fence.push_back(180 + 30 * n);
    for (int n = 1; n <= 5; ++n) rising.fence.push_back(180 - 30 * n);
    cases.push_back(rising);
    for (const Case& c : cases) {
        CZLXTool t;
        Place(t, chart, c.a, c.b, {60, 155});
        std::vector<int> ys = LeftYs(t.Segments());
        ASSERT_FALSE(ys.empty());
        EXPECT_EQ(ys.front(), c.a.y);  // the base line at the pane's left edge
        ys.erase(ys.begin());
        EXPECT_EQ(ys, c.fence);
    }
}

TEST(ParallelTools, FenceOnAVerticalBaseDrawsOnlyTheBase) {
    FakeChart chart;
    CZLXTool t;
    Place(t, chart, {100, 100}, {100, 200}, {160, 220});
    EXPECT_EQ(t.Segments().size(), 2u);
}

TEST(ParallelTools, PitchforkRaysRunParallelToTheMedian) {
    FakeChart chart;
    CADLYCXTool t;
    Place(t, chart, {100, 200}, {200, 100}, {200, 300});
    const auto& s = t.Segments();
    ASSERT_EQ(s.size(), 20u);
    EXPECT_EQ(s[0], CPoint(100, 200));
    EXPECT_EQ(s[1], CPoint(200, 100));
    EXPECT_EQ(s[2], CPoint(100, 200));  // the median through the handles' midpoint
    EXPECT_EQ(s[3], CPoint(610, 200));
    const int ys[] = {0, 50, 100, 150, 250, 300, 350, 400};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(s[4 + 2 * k], CPoint(200, ys[k])) << k;
        EXPECT_EQ(s[5 + 2 * k], CPoint(610, ys[k])) << k;
    }
    EXPECT_EQ(t.HitTest(400, 152), 3);
    EXPECT_EQ(t.HitTest(400, 175), 0);
}

TEST(ParallelTools, ClonesKeepTheirClass) {
    for (auto tool : std::vector<std::shared_ptr<CRecRgnLines>>{
             std::make_shared<CNewPXXLines>(), std::make_shared<CPxsbxTool>(),
             std::make_shared<CZLXTool>(), std::make_shared<CADLYCXTool>()})
        EXPECT_STREQ(tool->Clone()->GetTypeName(), tool->GetTypeName());
}
