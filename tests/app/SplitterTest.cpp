// Cutters: arrow-button geometry, dragging within the node, collapsing sides, the context
// commands; and the split bar's XOR line, which leaves no trace.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "platform/Services.h"
#include "ui/element/ElementEnv.h"

namespace {

struct Split {
    CTestHost host{1000, 600};
    CLayoutManager& root = host.Root();
    explicit Split(int orientation = 1, int splitCtrl = 3) {
        EXPECT_TRUE(root.CreateLeafWindow("CElementWnd"));
        EXPECT_TRUE(root.SplitLeaf(orientation, "CElementWnd", splitCtrl));
        host.RecalcLayout();
    }
    CLayoutCutter& Cutter() { return *root.m_pCutter; }
    CRect CutterRect() {
        CRect rc;
        Cutter().GetWindowRect(&rc);
        host.ScreenToClient(&rc);
        return rc;
    }
    // Presses at (x, y) of the cutter, moves by dx and releases.
    void Drag(int x, int y, int dx) {
        Cutter().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        Cutter().SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y));
        Cutter().SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x + dx, y));
    }
};

TEST(Cutter, ButtonsFollowTheSidesThatMayCollapse) {
    Split s;
    CLayoutCutter& c = s.Cutter();
    // 600 tall, both sides allowed: two buttons of at most 50 around the middle.
    EXPECT_EQ(c.m_rcButton1, CRect(0, 250, 10, 300));
    EXPECT_EQ(c.m_rcButton2, CRect(0, 300, 10, 350));
    // In a 60-pixel bar each is 30.
    c.MoveWindow(0, 0, 10, 60);
    EXPECT_EQ(c.m_rcButton1, CRect(0, 0, 10, 30));
    EXPECT_EQ(c.m_rcButton2, CRect(0, 30, 10, 60));
    s.host.RecalcLayout();
    // The first side collapsed: one centred button, the second, brings it back.
    c.ToggleHideSide(0);
    EXPECT_TRUE(c.m_rcButton1.IsRectEmpty());
    EXPECT_EQ(c.m_rcButton2, CRect(0, 275, 10, 325));
    EXPECT_TRUE(s.root.m_pFirst->m_rect.IsRectEmpty());
    c.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 300));
    EXPECT_EQ(c.m_nHiddenSide, 0);
    EXPECT_EQ(s.root.m_pFirst->m_rect.Width(), 495);
    // Only the second side allowed: one button, the second.
    c.HandleCommand(ID_CUTTER_ALLOW_FIRST);
    EXPECT_EQ(c.m_nSplitCtrl, 2);
    EXPECT_TRUE(c.m_rcButton1.IsRectEmpty());
    EXPECT_EQ(c.m_rcButton2, CRect(0, 275, 10, 325));
    // None allowed: no gap, no buttons.
    c.HandleCommand(ID_CUTTER_ALLOW_SECOND);
    EXPECT_EQ(c.GetGap(), 0);
    EXPECT_TRUE(c.m_rcButton2.IsRectEmpty());
    EXPECT_EQ(s.root.m_pFirst->m_rect.Width(), 500);
}

TEST(Cutter, HidingTheBarClosesTheGapAtOnce) {
    Split s;
    EXPECT_EQ(s.root.m_pSecond->m_rect.left, 505);
    const int before = s.host.m_modified;
    EXPECT_TRUE(s.Cutter().HandleCommand(ID_CUTTER_HIDE_BAR));
    EXPECT_EQ(s.Cutter().m_nStyleEx, 1);
    EXPECT_EQ(s.Cutter().GetGap(), 0);
    EXPECT_EQ(s.root.m_pFirst->m_rect.right, s.root.m_pSecond->m_rect.left);
    EXPECT_EQ(s.host.m_modified, before + 1);
    EXPECT_FALSE(s.Cutter().HandleCommand(42133));
    s.Cutter().HandleCommand(ID_CUTTER_HIDE_BAR);
    EXPECT_EQ(s.Cutter().GetGap(), 10);
}

TEST(Cutter, DragMovesTheDivisionAndStaysInsideTheNode) {
    Split s;
    const int modified = s.host.m_modified;
    s.Drag(5, 100, 100);
    EXPECT_EQ(s.CutterRect().left, 595);
    EXPECT_EQ(s.root.m_pFirst->m_rect.right, 595);
    EXPECT_EQ(s.root.m_pSecond->m_rect.left, 605);
    EXPECT_EQ(s.root.m_nFirstSize, 595);
    EXPECT_EQ(s.root.m_nSecondSize, 395);
    EXPECT_GT(s.host.m_modified, modified);  // the layout file keeps the new sizes
    EXPECT_EQ(ElementDragFlag(), 0);
    // Far to the right: kept d = max(6, gap) pixels from the node's right edge.
    s.Drag(5, 100, 998 - 600);
    EXPECT_EQ(s.CutterRect().left, 990);
    EXPECT_EQ(s.root.m_pSecond->m_rect.Width(), 0);
    // Far to the left: no further than the node's left edge.
    s.Drag(5, 100, 1 - 995);
    EXPECT_EQ(s.CutterRect().left, 0);
    EXPECT_EQ(s.root.m_pFirst->m_rect.Width(), 0);
    // A move outside the node leaves the bar where it was.
    s.Drag(5, 100, 200);
    const int left = s.CutterRect().left;
    s.Cutter().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 100));
    s.Cutter().SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-left - 50, 100));
    s.Cutter().SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(-left - 50, 100));
    EXPECT_EQ(s.CutterRect().left, left);
}

TEST(Cutter, NoDragWhenThinOrCollapsedOrOnAButton) {
    Split s;
    s.host.m_thin = 1;
    s.Drag(5, 100, 100);
    EXPECT_EQ(s.root.m_pFirst->m_rect.Width(), 495);
    s.host.m_thin = 0;
    s.Cutter().ToggleHideSide(1);
    s.Drag(5, 100, -100);
    EXPECT_EQ(s.root.m_pFirst->m_rect.Width(), 990);
    s.Cutter().ToggleHideSide(1);
    // Over a button the press is a click, not a drag.
    s.Cutter().SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 260));
    EXPECT_EQ(s.Cutter().m_nHotButton, 1);
    s.Drag(5, 260, 0);
    EXPECT_EQ(s.Cutter().m_nHiddenSide, 1);
}

TEST(Cutter, StackedBarWithoutGapStillDrags) {
    Split s(0, 0);
    // A 7-pixel window over no gap, centred: 3 pixels into the upper pane.
    EXPECT_EQ(s.CutterRect(), CRect(0, 297, 1000, 304));
    s.Cutter().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 3));
    s.Cutter().SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 53));
    s.Cutter().SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(100, 53));
    EXPECT_EQ(s.root.m_pFirst->m_rect.bottom, 350);
    EXPECT_EQ(s.root.m_pSecond->m_rect.top, 350);
}

TEST(SplitBar, LineLeavesNoTraceAndHitsAroundItself) {
    CTestHost host(300, 200);
    {
        CClientDC dc(&host);
        dc.FillSolidRect(0, 0, 300, 200, RGB(20, 30, 40));
    }
    CSplitBar bar;
    bar.m_nOrientation = 1;
    bar.m_rcBounds = CRect(0, 0, 300, 200);
    bar.m_x1 = 0;
    bar.m_x2 = 300;
    bar.BeginDrag(&host, 10, 50);
    EXPECT_EQ(ElementDragFlag(), 1);
    EXPECT_EQ(CWnd::GetCapture(), &host);
    auto pixel = [&host](int x, int y) {
        CClientDC dc(&host);
        return dc.GetPixel(x, y);
    };
    EXPECT_NE(pixel(100, 50), RGB(20, 30, 40));
    EXPECT_TRUE(bar.Track(10, 120));
    EXPECT_FALSE(bar.Track(10, 250));  // outside the bounds: the line stays
    EXPECT_EQ(bar.m_nPos, 120);
    EXPECT_TRUE(bar.HitTest(5, 121));
    EXPECT_FALSE(bar.HitTest(5, 119));
    bar.EndDrag(&host);
    EXPECT_EQ(ElementDragFlag(), 0);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    for (int y : {49, 50, 51, 119, 120, 121}) EXPECT_EQ(pixel(100, y), RGB(20, 30, 40)) << y;
}

}  // namespace
