// The element window base: layout commands on the tree around it, the command-state query
// (0x8068), the context menu's fix-window item, security changes, mouse plumbing and
// control ids.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "ui/CommonVar.h"
#include "ui/element/ElementEnv.h"

namespace {

class CCountingElement : public CElementWnd {
public:
    void OnElementLButtonUp(UINT, int, int) override { ++ups; }
    void OnElementMouseMove(UINT, int, int) override { ++moves; }
    int ups = 0;
    int moves = 0;
};

// (A | B), a 10-pixel gap with both sides collapsible, in a 1000 x 600 host.
struct SideBySide {
    CTestHost host;
    CElementWnd* a;
    CElementWnd* b;
    SideBySide() {
        CLayoutManager& root = host.Root();
        EXPECT_TRUE(root.CreateLeafWindow("CElementWnd"));
        EXPECT_TRUE(root.SplitLeaf(1, "CElementWnd", 3));
        host.RecalcLayout();
        a = root.m_pFirst->m_pWnd;
        b = root.m_pSecond->m_pWnd;
    }
    CLayoutCutter& Cutter() { return *host.Root().m_pCutter; }
    int State(CElementWnd* e, UINT id) { return (int)e->SendMessage(UM_COMMAND_STATE, id, 0); }
};

TEST(ElementCommands, CollapseNeighboursAndReportState) {
    SideBySide t;
    EXPECT_EQ(t.State(t.b, ID_HIDE_LEFT), 1);
    EXPECT_EQ(t.b->OnLayoutCommand(ID_HIDE_LEFT, 0), 1);
    EXPECT_EQ(t.Cutter().m_nHiddenSide, 1);
    EXPECT_TRUE(t.host.Root().m_pFirst->m_rect.IsRectEmpty());
    EXPECT_EQ(t.State(t.b, ID_HIDE_LEFT), 3);  // enabled and checked
    EXPECT_EQ(t.b->OnLayoutCommand(ID_HIDE_LEFT, 0), 1);
    EXPECT_EQ(t.Cutter().m_nHiddenSide, 0);
    EXPECT_EQ(t.host.Root().m_pFirst->m_rect.Width(), 495);

    EXPECT_EQ(t.a->OnLayoutCommand(ID_HIDE_RIGHT, 0), 1);
    EXPECT_EQ(t.Cutter().m_nHiddenSide, 2);
    EXPECT_EQ(t.State(t.a, ID_HIDE_RIGHT), 3);
    t.a->OnLayoutCommand(ID_HIDE_RIGHT, 0);

    // No stacked split around: the command is taken and changes nothing.
    EXPECT_EQ(t.b->OnLayoutCommand(ID_HIDE_TOP, 0), 1);
    EXPECT_EQ(t.Cutter().m_nHiddenSide, 0);
    EXPECT_EQ(t.State(t.b, ID_HIDE_TOP), 1);
    // A's side is the first: "hide left" looks for a split where A is the second child.
    t.a->OnLayoutCommand(ID_HIDE_LEFT, 0);
    EXPECT_EQ(t.Cutter().m_nHiddenSide, 0);
    // Unknown ids are not handled and report "enabled".
    EXPECT_EQ(t.a->OnLayoutCommand(44500, 0), 0);
    EXPECT_EQ(t.State(t.a, 12345), 1);
    // Every change the user makes to the tree is kept in the layout file.
    EXPECT_GT(t.host.m_modified, 0);
}

TEST(ElementCommands, HideSelfCollapsesToTheBarAndMarksTheLayout) {
    SideBySide t;
    const int before = t.host.m_modified;
    EXPECT_EQ(t.a->GetFixedExtent(), 0);
    EXPECT_EQ(t.a->OnLayoutCommand(ID_HIDE_SELF, 0), 1);
    EXPECT_EQ(t.a->m_bHideSelf, 1);
    EXPECT_EQ(t.State(t.a, ID_HIDE_SELF), 3);
    EXPECT_EQ(t.host.m_modified, before + 1);
    // Margins top and bottom (0) + both borders + the bar's 26 pixels.
    EXPECT_EQ(t.a->GetFixedExtent(), 28);
    t.a->OnLayoutCommand(ID_HIDE_SELF, 0);
    EXPECT_EQ(t.a->GetFixedExtent(), 0);
    EXPECT_EQ(t.State(t.a, ID_HIDE_SELF), 1);
}

TEST(ElementCommands, FixWindowTogglesTheSplitSize) {
    SideBySide t;
    CLayoutManager& root = t.host.Root();
    EXPECT_EQ(t.a->OnLayoutCommand(ID_FIX_WINDOW, 0), 1);
    EXPECT_EQ(root.m_pFirst->m_nFixedSize, 495);
    // With the left pane fixed, the right one cannot be, and its menu says why.
    CCmdUI ui;
    ui.m_nID = ID_FIX_WINDOW;
    EXPECT_EQ(t.b->OnUpdateLayoutCommand(&ui), 1);
    EXPECT_FALSE(ui.m_bEnabled);
    CMenu menu;
    menu.CreatePopupMenu();
    EXPECT_TRUE(t.b->BuildContextMenu(&menu, 0, 0));
    std::string text;
    menu.GetMenuString(0, text, MF_BYPOSITION);
    EXPECT_EQ(text, "左边窗口已经固定");
    CCmdUI own;
    own.m_nID = ID_FIX_WINDOW;
    t.a->OnUpdateLayoutCommand(&own);
    EXPECT_TRUE(own.m_bEnabled);
    EXPECT_EQ(own.m_nCheck, 1);
    t.a->OnLayoutCommand(ID_FIX_WINDOW, 0);
    EXPECT_EQ(root.m_pFirst->m_nFixedSize, 0);
    // The second child takes the split's second size.
    t.b->OnLayoutCommand(ID_FIX_WINDOW, 0);
    EXPECT_EQ(root.m_pSecond->m_nFixedSize, 495);
    CMenu menu2;
    menu2.CreatePopupMenu();
    t.a->BuildContextMenu(&menu2, 0, 0);
    menu2.GetMenuString(0, text, MF_BYPOSITION);
    EXPECT_EQ(text, "右边窗口已经固定");
    EXPECT_EQ(menu2.GetMenuItemID(0), ID_FIX_WINDOW);
}

TEST(ElementCommands, SoloShowsOnePaneAndRestores) {
    SideBySide t;
    EXPECT_EQ(t.a->OnLayoutCommand(ID_SOLO_WINDOW, 0), 1);
    EXPECT_EQ(t.host.GetSoloWindow(), t.a);
    EXPECT_EQ(t.Cutter().m_nHiddenSide, 2);
    t.a->OnLayoutCommand(ID_SOLO_WINDOW, 0);
    EXPECT_EQ(t.host.GetSoloWindow(), nullptr);
    EXPECT_EQ(t.Cutter().m_nHiddenSide, 0);
    // Hide-self on the solo window restores instead.
    t.b->OnLayoutCommand(ID_SOLO_WINDOW, 0);
    EXPECT_EQ(t.Cutter().m_nHiddenSide, 1);
    t.b->OnLayoutCommand(ID_HIDE_SELF, 0);
    EXPECT_EQ(t.host.GetSoloWindow(), nullptr);
    EXPECT_EQ(t.b->m_bHideSelf, 0);
    EXPECT_EQ(t.Cutter().m_nHiddenSide, 0);
}

TEST(ElementWnd, SecurityChangeIgnoresLetterCase) {
    CTestHost host;
    CElementWnd outer;
    outer.m_pOwner = &host;
    ASSERT_TRUE(outer.Create(&host));
    auto inner = std::make_unique<CElementWnd>();
    CElementWnd* child = inner.get();
    outer.AddChildElement(std::move(inner));
    CGroup group;
    group.m_nId = 42;
    group.m_strGroup = "自选";
    EXPECT_EQ(outer.SetSecurity(CIndSecuCode(1, "sh600000"), &group), 1);
    EXPECT_EQ(child->m_code.m_strCode, "sh600000");
    EXPECT_EQ(child->m_group.m_nId, 42);
    CGroup other;
    other.m_nId = 7;
    EXPECT_EQ(outer.SetSecurity(CIndSecuCode(1, "SH600000"), &other), 1);
    EXPECT_EQ(outer.m_code.m_strCode, "sh600000");
    EXPECT_EQ(outer.m_group.m_nId, 42);
    EXPECT_EQ(child->m_group.m_nId, 42);
    outer.SetSecurity(CIndSecuCode(2, "SH600000"), nullptr);
    EXPECT_EQ(child->m_code.m_nMarket, 2);
}

TEST(ElementWnd, DoubleClickCaptureSwallowsTheRelease) {
    CTestHost host;
    CCountingElement e;
    e.m_pOwner = &host;
    ASSERT_TRUE(e.Create(&host));
    e.MoveWindow(0, 0, 100, 100);
    ElementDragFlag() = 1;
    e.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_EQ(CWnd::GetCapture(), &e);
    e.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(e.ups, 0);
    EXPECT_EQ(ElementDragFlag(), 0);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    e.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(e.ups, 1);
    // The same point twice reaches the hook once.
    e.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    e.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(e.moves, 1);
    e.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(21, 20));
    EXPECT_EQ(e.moves, 2);
    // Pressing the element makes it the host's active element.
    e.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(host.GetActiveElement(), &e);
    e.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

TEST(ElementWnd, ControlIdsRunOnAndTheFactoryKeepsUnknownTypes) {
    CTestHost host;
    const UINT first = CElementWnd::PeekNextControlId();
    auto one = CreateElementByType("");
    one->m_pOwner = &host;
    ASSERT_TRUE(one->Create(nullptr));
    auto two = CreateElementByType("NoSuchWindow");
    two->m_pOwner = &host;
    ASSERT_TRUE(two->Create(nullptr));
    EXPECT_EQ(one->GetDlgCtrlID(), first);
    EXPECT_EQ(two->GetDlgCtrlID(), first + 1);
    EXPECT_EQ(one->GetTypeName(), "CElementWnd");
    EXPECT_EQ(two->GetTypeName(), "NoSuchWindow");
    EXPECT_NE(dynamic_cast<CPlaceholderElement*>(two.get()), nullptr);
    EXPECT_EQ(two->GetWorkspaceKey(), "trend");
}

}  // namespace
