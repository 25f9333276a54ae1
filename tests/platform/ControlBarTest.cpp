// Control bars: docking by size negotiation, the status bar's panes, the tool bar and the
// menu bar's states and drawing hooks.
#include <gtest/gtest.h>

#include "platform/App.h"
#include "platform/Button.h"
#include "platform/Frame.h"
#include "platform/Input.h"
#include "platform/Services.h"
#include "platform/SkinMenu.h"
#include "platform/StatusBar.h"
#include "platform/ToolTip.h"

namespace {

using platform::InjectMouse;

struct Frame : CFrameWnd {
    std::vector<std::pair<UINT, HWND>> commands;
    Frame() {
        m_bAutoDelete = false;
        CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0);
    }
    BOOL OnCommand(WPARAM wp, LPARAM lp) override {
        commands.emplace_back(LOWORD(wp), reinterpret_cast<HWND>(lp));
        return CFrameWnd::OnCommand(wp, lp);
    }
};

// A bar that answers a fixed size and remembers how it was asked.
struct SizedBar : CControlBar {
    CSize answer;
    std::vector<DWORD> dynamicModes;
    std::vector<std::pair<BOOL, BOOL>> fixedAsks;
    SizedBar(CWnd* parent, DWORD style, CSize size) : answer(size) {
        CreateBar(style, CRect(0, 0, 10, 10), parent, 0xE900 + (UINT)size.cy);
    }
    CSize CalcFixedLayout(BOOL stretch, BOOL horz) override {
        fixedAsks.emplace_back(stretch, horz);
        return answer;
    }
    CSize CalcDynamicLayout(int length, DWORD mode) override {
        dynamicModes.push_back(mode);
        EXPECT_EQ(length, -1);
        return answer;
    }
};

CRect RectIn(CWnd* w, CWnd* parent) {
    CRect rc;
    w->GetWindowRect(&rc);
    parent->ScreenToClient(&rc);
    return rc;
}

TEST(ControlBar, TheFrameDocksBarsByTheSizeTheyAskFor) {
    Frame frame;
    SizedBar top(&frame, WS_CHILD | WS_VISIBLE | CBRS_TOP, CSize(32767, 32));
    SizedBar bottom(&frame, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, CSize(32767, 20));
    SizedBar dynamicTop(&frame, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_SIZE_DYNAMIC,
                        CSize(150, 10));
    SizedBar left(&frame, WS_CHILD | WS_VISIBLE | CBRS_LEFT, CSize(40, 32767));
    // the CBRS_* bits are the bar's, not the window's
    EXPECT_EQ(top.GetBarStyle(), (DWORD)CBRS_TOP);
    EXPECT_EQ(top.GetStyle() & CBRS_ALL, 0u);
    frame.RecalcLayout();
    EXPECT_EQ(RectIn(&top, &frame), CRect(0, 0, 400, 32));
    EXPECT_EQ(RectIn(&bottom, &frame), CRect(0, 280, 400, 300));
    // in creation order: the second top bar goes below the first, as wide as it asks
    EXPECT_EQ(RectIn(&dynamicTop, &frame), CRect(0, 32, 150, 42));
    EXPECT_EQ(RectIn(&left, &frame), CRect(0, 42, 40, 280));
    EXPECT_EQ(frame.GetClientArea(), CRect(40, 42, 400, 280));
    ASSERT_FALSE(dynamicTop.dynamicModes.empty());
    EXPECT_EQ(dynamicTop.dynamicModes.back(), (DWORD)(LM_HORZ | LM_HORZDOCK | LM_STRETCH));
    ASSERT_FALSE(top.fixedAsks.empty());
    EXPECT_EQ(top.fixedAsks.back(), std::make_pair(TRUE, TRUE));
    EXPECT_EQ(left.fixedAsks.back(), std::make_pair(TRUE, FALSE));
    // a hidden bar gives its room back; the view gets what is left
    CView* view = new CView;
    ASSERT_TRUE(view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 1, 1), &frame, 1));
    frame.SetActiveView(view, FALSE);
    top.ShowWindow(SW_HIDE);
    frame.RecalcLayout();
    EXPECT_EQ(RectIn(view, &frame), CRect(40, 10, 400, 280));
    // resizing the frame lays it out again
    frame.MoveWindow(0, 0, 300, 200);
    EXPECT_EQ(RectIn(&bottom, &frame), CRect(0, 180, 300, 200));
    EXPECT_EQ(RectIn(view, &frame), CRect(40, 10, 300, 180));
    // docking moves a bar to a side both the bar and the frame accept
    frame.EnableDocking(CBRS_ALIGN_ANY);
    left.EnableDocking(CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT);
    frame.DockControlBar(&left, CBRS_ALIGN_BOTTOM);  // refused side: the first it accepts
    EXPECT_EQ(left.GetBarStyle() & CBRS_ALIGN_ANY, (DWORD)CBRS_ALIGN_LEFT);
    frame.DockControlBar(&left, CBRS_ALIGN_RIGHT);
    EXPECT_EQ(RectIn(&left, &frame), CRect(260, 10, 300, 180));
    frame.ShowControlBar(&top, TRUE);
    EXPECT_EQ(RectIn(view, &frame), CRect(0, 42, 260, 180));
    frame.DestroyWindow();
}

TEST(StatusBar, PanesLayOutStretchAndCarryText) {
    Frame frame;
    CStatusBar bar;
    ASSERT_TRUE(bar.Create(&frame));
    EXPECT_EQ(bar.GetDlgCtrlID(), (UINT)AFX_IDW_STATUS_BAR);
    const UINT ids[] = {ID_SEPARATOR, 1001, 1002};
    ASSERT_TRUE(bar.SetIndicators(ids, 3));
    frame.RecalcLayout();
    const CSize want = bar.CalcFixedLayout(TRUE, TRUE);
    EXPECT_EQ(want.cx, 32767);
    EXPECT_GE(want.cy, 20);
    EXPECT_EQ(RectIn(&bar, &frame), CRect(0, 300 - want.cy, 400, 300));
    // the pane with a string resource shows it; one without starts empty
    EXPECT_EQ(bar.GetPaneText(1), "大写");
    EXPECT_EQ(bar.GetPaneText(2), "");
    EXPECT_EQ(bar.CommandToIndex(1002), 2);
    EXPECT_EQ(bar.CommandToIndex(7), -1);
    EXPECT_EQ(bar.GetPaneStyle(0), (UINT)(SBPS_NOBORDERS | SBPS_STRETCH));
    bar.SetPaneInfo(2, 1002, SBPS_NORMAL, 60);
    CRect r0, r1, r2;
    bar.GetItemRect(0, &r0);
    bar.GetItemRect(1, &r1);
    bar.GetItemRect(2, &r2);
    EXPECT_EQ(r2.Width(), 64);  // its width and the text margins
    EXPECT_EQ(r1.left, r0.right + 3);
    EXPECT_EQ(r2.left, r1.right + 3);
    EXPECT_EQ(r2.right, 400 - 2);  // the stretching pane takes up the rest
    // a wider frame widens only the stretching pane
    frame.MoveWindow(0, 0, 500, 300);
    CRect w0, w2;
    bar.GetItemRect(0, &w0);
    bar.GetItemRect(2, &w2);
    EXPECT_EQ(w0.Width(), r0.Width() + 100);
    EXPECT_EQ(w2.Width(), 64);
    // text: stored, drawn in its pane, not in another
    EXPECT_TRUE(bar.SetPaneText(2, "连接"));
    EXPECT_FALSE(bar.SetPaneText(3, "x"));
    EXPECT_EQ(bar.GetPaneText(2), "连接");
    bar.UpdateWindow();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&bar, shot));
    auto darkIn = [&](const CRect& r) {
        int n = 0;
        for (int y = r.top + 1; y < r.bottom - 1; ++y)
            for (int x = r.left + 1; x < r.right - 1; ++x) n += GetRValue(shot.GetPixel(x, y)) < 100;
        return n;
    };
    EXPECT_GT(darkIn(w2), 5);
    EXPECT_EQ(darkIn(w0), 0);
    frame.DestroyWindow();
}

TEST(StatusBar, OwnerDrawnPanesAreDrawnByTheBar) {
    struct Drawn : CStatusBar {
        std::vector<UINT> panes;
        void DrawItem(DRAWITEMSTRUCT* dis) override {
            panes.push_back(dis->itemID);
            dis->hDC->FillSolidRect(&dis->rcItem, RGB(0, 0, 255));
        }
    };
    Frame frame;
    Drawn bar;
    ASSERT_TRUE(bar.Create(&frame));
    const UINT ids[] = {ID_SEPARATOR, 1002};
    ASSERT_TRUE(bar.SetIndicators(ids, 2));
    bar.SetPaneInfo(1, 1002, SBPS_OWNERDRAW | SBPS_NOBORDERS, 30);
    frame.RecalcLayout();
    bar.UpdateWindow();
    EXPECT_EQ(bar.panes, (std::vector<UINT>{1}));
    CRect r;
    bar.GetItemRect(1, &r);
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&bar, shot));
    EXPECT_EQ(shot.GetPixel(r.CenterPoint().x, r.CenterPoint().y), RGB(0, 0, 255));
    frame.DestroyWindow();
}

TEST(ToolBar, ButtonsFromTheResourceClickCheckAndGreyOut) {
    Frame frame;
    CSkinToolBar bar;
    ASSERT_TRUE(bar.Create(&frame));
    // 4 x 4 images: a red one for 32771, a separator, a green one for 32772
    ASSERT_TRUE(bar.LoadToolBar(301));
    ASSERT_EQ(bar.GetCount(), 3);
    EXPECT_EQ(bar.GetButtonStyle(1), (UINT)TBBS_SEPARATOR);
    EXPECT_EQ(bar.CommandToIndex(32772), 2);
    EXPECT_EQ(bar.CalcFixedLayout(FALSE, TRUE), CSize(4 + 11 + 8 + 11 + 4, 10 + 4));
    frame.RecalcLayout();
    CRect b0, b2;
    bar.GetItemRect(0, &b0);
    bar.GetItemRect(2, &b2);
    EXPECT_EQ(b0, CRect(4, 2, 15, 12));
    EXPECT_EQ(b2.left, b0.right + 8);
    // the images are drawn centred in their buttons
    bar.UpdateWindow();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&bar, shot));
    EXPECT_EQ(shot.GetPixel(b0.left + 3, b0.top + 3), RGB(255, 0, 0));
    EXPECT_EQ(shot.GetPixel(b2.left + 3, b2.top + 3), RGB(0, 255, 0));

    // a click sends the command to the frame; pressing one button and releasing over
    // another sends nothing
    InjectMouse(&bar, WM_LBUTTONDOWN, b0.left + 2, b0.top + 2);
    InjectMouse(&bar, WM_LBUTTONUP, b0.left + 2, b0.top + 2);
    InjectMouse(&bar, WM_LBUTTONDOWN, b0.left + 2, b0.top + 2);
    InjectMouse(&bar, WM_LBUTTONUP, b2.left + 2, b2.top + 2);
    ASSERT_EQ(frame.commands.size(), 1u);
    EXPECT_EQ(frame.commands[0], std::make_pair(32771u, bar.m_hWnd));
    EXPECT_EQ(bar.GetHotItem(), 2);

    // a check button toggles
    bar.SetButtonStyle(0, TBBS_CHECKBOX);
    InjectMouse(&bar, WM_LBUTTONDOWN, b0.left + 2, b0.top + 2);
    InjectMouse(&bar, WM_LBUTTONUP, b0.left + 2, b0.top + 2);
    EXPECT_TRUE(bar.GetButtonStyle(0) & TBBS_CHECKED);

    // the frame's update handlers disable and check buttons
    bool enabled = false;
    frame.MapCommand(32772, [] {}, [&](CCmdUI* ui) { ui->Enable(enabled); });
    frame.MapCommand(32771, [] {}, [&](CCmdUI* ui) { ui->SetCheck(0); });
    bar.OnUpdateCmdUI(&frame, FALSE);
    EXPECT_TRUE(bar.GetButtonStyle(2) & TBBS_DISABLED);
    EXPECT_FALSE(bar.GetButtonStyle(0) & TBBS_CHECKED);
    const size_t before = frame.commands.size();
    InjectMouse(&bar, WM_LBUTTONDOWN, b2.left + 2, b2.top + 2);
    InjectMouse(&bar, WM_LBUTTONUP, b2.left + 2, b2.top + 2);
    EXPECT_EQ(frame.commands.size(), before);
    // a disabled image shows no colour of its own
    bar.UpdateWindow();
    ASSERT_TRUE(platform::CaptureWindow(&bar, shot));
    for (int y = b2.top; y < b2.bottom; ++y)
        for (int x = b2.left; x < b2.right; ++x) {
            COLORREF c = shot.GetPixel(x, y);
            ASSERT_EQ(GetRValue(c), GetGValue(c)) << x << "," << y;
            ASSERT_EQ(GetGValue(c), GetBValue(c)) << x << "," << y;
        }
    frame.DestroyWindow();
}

TEST(ToolBar, TipsShowTheButtonsTextOnceThePointerRests) {
    Frame frame;
    CSkinToolBar bar;
    ASSERT_TRUE(bar.Create(&frame, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS));
    ASSERT_TRUE(bar.LoadToolBar(301));
    frame.RecalcLayout();
    EXPECT_EQ(bar.GetButtonText(0), "打开");  // the resource's text after its line break
    EXPECT_EQ(bar.GetButtonText(2), "");       // no resource: no tip
    bar.SetButtonText(2, "保存");
    EXPECT_EQ(bar.GetButtonText(2), "保存");
    CRect b0;
    bar.GetItemRect(0, &b0);
    InjectMouse(&bar, WM_MOUSEMOVE, b0.left + 2, b0.top + 2);
    ASSERT_TRUE(platform::PumpUntil(
        [&] { return bar.GetToolTips() && bar.GetToolTips()->IsWindowVisible(); }, 3000));
    EXPECT_EQ(bar.GetToolTips()->GetShownText(), "打开");
    CRect tip;
    bar.GetToolTips()->GetWindowRect(&tip);
    CPoint below(b0.left, b0.bottom + 2);
    bar.ClientToScreen(&below);
    EXPECT_EQ(tip.TopLeft(), below);
    // a press hides it
    InjectMouse(&bar, WM_LBUTTONDOWN, b0.left + 2, b0.top + 2);
    EXPECT_FALSE(bar.GetToolTips()->IsWindowVisible());
    InjectMouse(&bar, WM_LBUTTONUP, b0.left + 2, b0.top + 2);
    frame.DestroyWindow();
}

// A bar as a shell derives it: tabs with meaning, drawing hooks overridden.
struct TabBar : CSkinMenuBar {
    std::vector<std::string> calls;
    std::vector<int> tabsDrawn;
    void DrawBackground(CDC* dc) override {
        calls.push_back("background");
        CSkinMenuBar::DrawBackground(dc);
    }
    void DrawBarItems(CDC* dc) override {
        calls.push_back("items");
        CSkinMenuBar::DrawBarItems(dc);
    }
    void DrawBorder(const CRect& rc) override {
        calls.push_back("border");
        CClientDC dc(this);
        dc.Draw3dRect(&rc, RGB(255, 0, 255), RGB(255, 0, 255));
    }
    void DrawTab(CDC* dc, int index) override {
        tabsDrawn.push_back(index);
        CSkinMenuBar::DrawTab(dc, index);
    }
};

TEST(MenuBar, TabsIconItemsStatesAndDrawingHooks) {
    struct Main : CSkinMDIFrameWnd {
        std::vector<std::pair<UINT, HWND>> commands;
        BOOL OnCommand(WPARAM wp, LPARAM lp) override {
            commands.emplace_back(LOWORD(wp), reinterpret_cast<HWND>(lp));
            return CSkinMDIFrameWnd::OnCommand(wp, lp);
        }
        void PostNcDestroy() override {}
    } main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 500, 300), nullptr,
                              0));
    CSkinMenuBar::InitCommonResource();
    TabBar bar;
    bar.AddItem(std::make_unique<CSkinMenuBarItem>(nullptr, 0, "分析", MF_POPUP, &bar));
    bar.AddItem(std::make_unique<CSkinMenuBarItem>(nullptr, 1, "训练", MF_POPUP, &bar));
    for (const auto& icon : CSkinMenuBar::GetIconItemList())
        bar.AddItem(std::make_unique<CSkinIconBarItem>(icon.id, &bar, icon.text));
    ASSERT_TRUE(bar.Create(&main, 0x50002014, 59418));
    CStatusBar status;
    ASSERT_TRUE(status.Create(&main, 0x50008200, 59393));
    main.RecalcLayout();
    // docked: the bar on top, the status bar at the bottom, the workspace between
    EXPECT_EQ(RectIn(&bar, &main), CRect(0, 0, 500, bar.GetBarHeight()));
    CRect ws = RectIn(main.GetWorkspace(), &main);
    EXPECT_EQ(ws.top, bar.GetBarHeight());
    EXPECT_EQ(ws.bottom, RectIn(&status, &main).top);

    // icon items sit at the right end, the first rightmost
    ASSERT_EQ(bar.GetItemCount(), 5);
    const CRect close = bar.GetBarItem(2)->GetRect(), minimise = bar.GetBarItem(4)->GetRect();
    EXPECT_EQ(close.right, 500);
    EXPECT_LT(minimise.right, close.left);
    const CRect tab0 = bar.GetBarItem(0)->GetRect(), tab1 = bar.GetBarItem(1)->GetRect();
    EXPECT_EQ(bar.HitTest(tab1.CenterPoint()), 101);
    EXPECT_EQ(bar.HitTest(close.CenterPoint()), 202);
    EXPECT_EQ(CSkinMenuBar::ItemFromHit(202), 2);
    EXPECT_EQ(bar.HitTest(CPoint(300, 5)), -1);

    // painting runs the hooks in order, every item through DrawTab
    bar.calls.clear();
    bar.Invalidate();
    bar.UpdateWindow();
    EXPECT_EQ(bar.calls, (std::vector<std::string>{"background", "items", "border"}));
    EXPECT_EQ(bar.tabsDrawn, (std::vector<int>{0, 1, 2, 3, 4}));
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&bar, shot));
    EXPECT_EQ(shot.GetPixel(0, 0), RGB(255, 0, 255));

    // a tab press is the pressed item until release and sends no command
    InjectMouse(&bar, WM_LBUTTONDOWN, tab0.CenterPoint().x, 5);
    EXPECT_EQ(bar.GetPressedItem(), 0);
    InjectMouse(&bar, WM_LBUTTONUP, tab1.CenterPoint().x, 5);
    EXPECT_EQ(bar.GetPressedItem(), -1);
    EXPECT_TRUE(main.commands.empty());
    // an icon item acts on release over itself: the owner gets the command from the bar,
    // and the skinned frame carries the caption command out
    InjectMouse(&bar, WM_LBUTTONDOWN, minimise.CenterPoint().x, 5);
    InjectMouse(&bar, WM_LBUTTONUP, close.CenterPoint().x, 5);
    EXPECT_TRUE(main.commands.empty());
    const CRect maximise = bar.GetBarItem(3)->GetRect();
    InjectMouse(&bar, WM_LBUTTONDOWN, maximise.CenterPoint().x, 5);
    InjectMouse(&bar, WM_LBUTTONUP, maximise.CenterPoint().x, 5);
    ASSERT_EQ(main.commands.size(), 1u);
    EXPECT_EQ(main.commands[0], std::make_pair((UINT)SC_MAXIMIZE, bar.m_hWnd));
    EXPECT_TRUE(main.IsZoomed());

    // the selected tab follows its item when tabs are inserted and removed before it
    bar.SetSelectedTab(1);
    bar.InsertItem(0, std::make_unique<CSkinMenuBarItem>(nullptr, 9, "新", MF_POPUP, &bar));
    EXPECT_EQ(bar.GetSelectedTab(), 2);
    bar.RemoveItem(0);
    EXPECT_EQ(bar.GetSelectedTab(), 1);
    bar.RemoveItem(1);
    EXPECT_EQ(bar.GetSelectedTab(), -1);
    main.DestroyWindow();
}

}  // namespace
