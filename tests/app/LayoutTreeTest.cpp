// The layout tree's geometry: proportional splits, gaps, fixed sizes, collapsed sides and
// nodes narrower than their gap; leaf order; layout keys of paths.
#include <gtest/gtest.h>

#include "AppTestSupport.h"

namespace {

CRect CutterRect(CTestHost& host, CLayoutManager& node) {
    CRect rc;
    node.m_pCutter->GetWindowRect(&rc);
    host.ScreenToClient(&rc);
    return rc;
}

struct SplitCase {
    const char* name;
    int orientation;  // 1 side by side, 0 stacked
    int splitCtrl;    // 0: no gap, 3: a 10-pixel gap with buttons
    int extent;       // along the split axis
    int firstFixed, secondFixed, hiddenSide;
    // expected, along the split axis: first child [a, b), second child [c, d),
    // cutter window [e, e + w) (w 0: hidden)
    int a, b, c, d, e, w;
};

class LayoutSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LayoutSplit, PlacesChildrenAndCutter) {
    const SplitCase& t = GetParam();
    CTestHost host(1200, 1200);
    CLayoutManager& root = host.Root();
    ASSERT_TRUE(root.CreateLeafWindow("CElementWnd"));
    ASSERT_TRUE(root.SplitLeaf(t.orientation, "CElementWnd", t.splitCtrl));
    root.m_pFirst->m_nFixedSize = t.firstFixed;
    root.m_pSecond->m_nFixedSize = t.secondFixed;
    root.m_pCutter->m_nHiddenSide = BYTE(t.hiddenSide);
    const bool v = t.orientation == 1;
    root.Recalc(0, 0, v ? t.extent : 300, v ? 300 : t.extent);

    auto along = [v](const CRect& r) { return std::make_pair(v ? r.left : r.top, v ? r.right : r.bottom); };
    const CRect& r1 = root.m_pFirst->m_rect;
    const CRect& r2 = root.m_pSecond->m_rect;
    if (t.hiddenSide == 1) {
        EXPECT_TRUE(r1.IsRectEmpty());
    } else {
        EXPECT_EQ(along(r1), std::make_pair(t.a, t.b));
    }
    if (t.hiddenSide == 2) {
        EXPECT_TRUE(r2.IsRectEmpty());
    } else {
        EXPECT_EQ(along(r2), std::make_pair(t.c, t.d));
    }
    CRect cut = CutterRect(host, root);
    if (t.w == 0) {
        EXPECT_TRUE(cut.IsRectEmpty() || !root.m_pCutter->IsWindowVisible());
    } else {
        EXPECT_EQ(along(cut), std::make_pair(t.e, t.e + t.w));
        EXPECT_TRUE(root.m_pCutter->IsWindowVisible());
    }
    // The leaf windows sit exactly on their nodes.
    if (!r1.IsRectEmpty()) {
        CRect w;
        root.m_pFirst->m_pWnd->GetWindowRect(&w);
        host.ScreenToClient(&w);
        EXPECT_EQ(w, r1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutSplit,
    ::testing::Values(
        // 50/50 in 1000 pixels with a 10-pixel gap: 495 each, the cutter in the gap.
        SplitCase{"HalfAndHalfWithGap", 1, 3, 1000, 0, 0, 0, 0, 495, 505, 1000, 495, 10},
        SplitCase{"StackedHalfAndHalf", 0, 3, 1000, 0, 0, 0, 0, 495, 505, 1000, 495, 10},
        // No gap: a 7-pixel cutter centred over the division, overlapping both panes.
        SplitCase{"NoGapCentresSevenPixels", 1, 0, 1000, 0, 0, 0, 0, 500, 500, 1000, 497, 7},
        // A fixed first child gets exactly its size; the panes meet, the cutter hides.
        SplitCase{"FirstFixed", 1, 3, 1000, 200, 0, 0, 0, 200, 200, 1000, 0, 0},
        SplitCase{"SecondFixed", 0, 3, 1000, 0, 300, 0, 0, 700, 700, 1000, 0, 0},
        // A fixed size as large as the node is ignored: proportional again.
        SplitCase{"FixedNotSmallerThanNode", 1, 3, 1000, 1000, 0, 0, 0, 495, 505, 1000, 495, 10},
        // A node narrower than its gap: both children empty at the edges, the cutter covers it.
        SplitCase{"NarrowerThanGap", 1, 3, 8, 0, 0, 0, 0, 0, 8, 8, 0, 8},
        // Collapsed sides.
        SplitCase{"FirstSideHidden", 1, 3, 1000, 0, 0, 1, 0, 0, 10, 1000, 0, 10},
        SplitCase{"SecondSideHidden", 1, 3, 1000, 0, 0, 2, 0, 990, 0, 0, 990, 10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LayoutTree, ProportionalLayoutKeepsPixelWeights) {
    CTestHost host;
    CLayoutManager& root = host.Root();
    ASSERT_TRUE(root.CreateLeafWindow("CElementWnd"));
    ASSERT_TRUE(root.SplitLeaf(1, "CElementWnd", 3));
    root.Recalc(0, 0, 1000, 400);
    EXPECT_EQ(root.m_nFirstSize, 495);
    EXPECT_EQ(root.m_nSecondSize, 495);
    // Weights 300:600 in 910 pixels: MulDiv(900, 300, 900) = 300.
    root.m_nFirstSize = 300;
    root.m_nSecondSize = 600;
    root.Recalc(0, 0, 910, 400);
    EXPECT_EQ(root.m_pFirst->m_rect.Width(), 300);
    EXPECT_EQ(root.m_pSecond->m_rect.Width(), 600);
    // Both weights zero (a file that says so) splits in the middle instead of failing.
    root.m_nFirstSize = root.m_nSecondSize = 0;
    root.Recalc(0, 0, 1000, 400);
    EXPECT_EQ(root.m_pFirst->m_rect.Width(), 495);
}

TEST(LayoutTree, InnerEdgesTakeHalfTheCutterAsMargin) {
    CTestHost host;
    CLayoutManager& root = host.Root();
    ASSERT_TRUE(root.CreateLeafWindow("CElementWnd"));
    ASSERT_TRUE(root.SplitLeaf(1, "CElementWnd", 3));
    root.Recalc(0, 0, 1000, 400);
    CElementWnd* left = root.m_pFirst->m_pWnd;
    CElementWnd* right = root.m_pSecond->m_pWnd;
    EXPECT_EQ(left->m_nMarginRight, 3);
    EXPECT_EQ(left->m_nMarginLeft, 0);
    EXPECT_EQ(right->m_nMarginLeft, 3);
    EXPECT_EQ(right->m_nMarginRight, 0);
    EXPECT_EQ(left->m_rcContent, CRect(1, 1, 495 - 3 - 1, 399));
}

TEST(LayoutTree, EmptyRectangleHidesEveryLeaf) {
    CTestHost host;
    CLayoutManager& root = host.Root();
    ASSERT_TRUE(root.CreateLeafWindow("CElementWnd"));
    ASSERT_TRUE(root.SplitLeaf(1, "CElementWnd", 3));
    root.Recalc(0, 0, 1000, 400);
    EXPECT_TRUE(root.m_pFirst->m_pWnd->IsWindowVisible());
    root.Recalc(0, 0, 0, 0);
    EXPECT_FALSE(root.m_pFirst->m_pWnd->IsWindowVisible());
    EXPECT_TRUE(root.m_pFirst->m_pWnd->m_bPaintSuspended);
    EXPECT_FALSE(root.m_pCutter->IsWindowVisible());
    root.Recalc(0, 0, 1000, 400);
    EXPECT_TRUE(root.m_pFirst->m_pWnd->IsWindowVisible());
    EXPECT_FALSE(root.m_pFirst->m_pWnd->m_bPaintSuspended);
}

TEST(LayoutTree, LeavesWalkLeftToRightAndWrap) {
    CTestHost host;
    CLayoutManager& root = host.Root();
    // ((A | B) | C)
    ASSERT_TRUE(root.CreateLeafWindow("CElementWnd"));
    ASSERT_TRUE(root.SplitLeaf(1, "CElementWnd", 0));
    ASSERT_TRUE(root.m_pFirst->SplitLeaf(1, "CElementWnd", 0));
    CLayoutManager* a = root.m_pFirst->m_pFirst;
    CLayoutManager* b = root.m_pFirst->m_pSecond;
    CLayoutManager* c = root.m_pSecond;
    EXPECT_EQ(CLayoutManager::NextLeaf(nullptr, &root), a);
    EXPECT_EQ(CLayoutManager::NextLeaf(a, &root), b);
    EXPECT_EQ(CLayoutManager::NextLeaf(b, &root), c);
    EXPECT_EQ(CLayoutManager::NextLeaf(c, &root), a);
    EXPECT_EQ(CLayoutManager::PrevLeaf(nullptr, &root), c);
    EXPECT_EQ(CLayoutManager::PrevLeaf(c, &root), b);
    EXPECT_EQ(CLayoutManager::PrevLeaf(b, &root), a);
    EXPECT_EQ(CLayoutManager::PrevLeaf(a, &root), c);
    EXPECT_EQ(root.CountLeaves(), 3);
}

TEST(LayoutTree, LayoutKeyOfPath) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/u/.local/share/tarrow/layout/trend.xlay", "trend"},
        {"C:\\Tarrow\\layout\\trend.xlay", "trend"},
        {"trend.xlay", "trend"},
        {"layout/trend.xlay.bak", "trend"},
        {"layout/Trend.xlay", "Trend"},
        {"layout/trend.xml", ""},
        {"", ""},
    };
    for (const auto& [path, key] : cases) EXPECT_EQ(LayoutKeyOfPath(path), key) << path;
}

}  // namespace
