// The main menu bar: its tab model, its hit geometry and what it draws.
#include "app/StockMenuBar.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/MenuSteps.h"
#include "common/ScratchDir.h"
#include "marketdata/AppInfo.h"
#include "platform/App.h"
#include "platform/Services.h"
#include "ui/CommonVar.h"
#include "ui/SkinResManager.h"

namespace {

// The window the bar sits in: it records the system commands and closes it receives.
class Host : public CWnd {
public:
    std::vector<WPARAM> sysCommands;
    std::vector<WPARAM> commands;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_SYSCOMMAND) {
            sysCommands.push_back(wp);
            return 0;
        }
        if (msg == WM_COMMAND) {
            commands.push_back(LOWORD(wp));
            return 0;
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
};

class Frame : public CWnd {
public:
    int closes = 0;
    void OnClose() override { ++closes; }
};

constexpr COLORREF kTabColours[8] = {RGB(50, 80, 130), RGB(70, 100, 150), RGB(40, 110, 90),
                                     RGB(60, 130, 110), RGB(120, 80, 40), RGB(140, 100, 60),
                                     RGB(90, 60, 120),  RGB(110, 80, 140)};

class MenuBarTest : public ::testing::Test {
protected:
    ScratchDir dir;
    Host host;
    CStockMenuBar bar;
    std::vector<std::string> opened;
    std::vector<std::unique_ptr<Frame>> frames;

    void SetUp() override {
        // A skin with the tab colours and a few common colours.
        std::string body = "<FrameTitle>\n";
        const char* keys[8] = {"Tab1", "HoverTab1", "Tab2", "HoverTab2",
                               "Tab3", "HoverTab3", "Tab4", "HoverTab4"};
        for (int i = 0; i < 8; ++i)
            body += std::string("<") + keys[i] + " color=\"" + FormatColorText(kTabColours[i]) +
                    "\"/>\n";
        body +=
            "</FrameTitle>\n<CommmonColor>\n"
            "<uniBackGround color=\"RGB(20,20,24)\"/>\n<uniWnd_Border color=\"RGB(90,20,20)\"/>\n"
            "<uniText color=\"RGB(235,235,235)\"/>\n<uniMenuBar_ButtonBorder color=\"RGB(100,100,120)\"/>\n"
            "</CommmonColor>\n";
        WriteFile(dir.Path() / "skin" / "Devazedad_skin.xml",
                  "<?xml version=\"1.0\"?>\n<Devazedad_skin>\n" + body + "</Devazedad_skin>\n");
        DeleteSkinResManager();
        GetSkinResManager()->SetSkinDir(dir.Path().string());
        GetSkinResManager()->SelectSkin("skin");
        GetCommonVar()->Init();
        GetAppInfo()->SetProgramDir(dir.Path().string());

        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1000, 32),
                                  nullptr, 0));
        CStockMenuBar::Hooks hooks;
        hooks.openLayout = [this](const std::string& path, const CIndSecuCode*) {
            opened.push_back(path);
        };
        bar.SetHooks(hooks);
        ASSERT_TRUE(bar.Create(&host, WS_CHILD | WS_VISIBLE, 59418));
        bar.SizeMenuBar(CRect(0, 0, 1000, CStockMenuBar::kBarHeight));
    }
    void TearDown() override {
        bar.DestroyWindow();
        host.DestroyWindow();
        DeleteSkinResManager();
    }

    HWND NewFrame() {
        frames.push_back(std::make_unique<Frame>());
        frames.back()->CreateEx(0, nullptr, "frame", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0);
        return frames.back()->m_hWnd;
    }
    void Click(CPoint down, CPoint up) {
        bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
        bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
    }
    void Click(CPoint pt) { Click(pt, pt); }
    CPoint Centre(int tab) { return bar.GetTabRect(tab).CenterPoint(); }
};

TEST_F(MenuBarTest, ModeTabsComeFirstAndOnlyLaterTabsClose) {
    ASSERT_EQ(bar.GetTabCount(), 2);
    EXPECT_EQ(bar.GetTabText(0), "特训场");
    EXPECT_EQ(bar.GetTabText(1), "分析走势");
    EXPECT_EQ(bar.GetItemCount(), 5);  // and three window buttons
    bar.AddTab("layoutA", NewFrame());
    EXPECT_EQ(bar.GetTabCount(), 3);
    EXPECT_EQ(bar.GetTabText(2), "layoutA");
    EXPECT_FALSE(bar.IsClosableTab(0));
    EXPECT_FALSE(bar.IsClosableTab(1));
    EXPECT_TRUE(bar.IsClosableTab(2));
    EXPECT_TRUE(bar.GetCloseBoxRect(1).IsRectEmpty());
    EXPECT_FALSE(bar.GetCloseBoxRect(2).IsRectEmpty());
    // Tabs, then the window buttons at the right end.
    EXPECT_EQ(bar.HitTestCode(Centre(2)), CStockMenuBar::kHitTab + 2);
    EXPECT_EQ(bar.HitTestCode(CPoint(995, 10)), CStockMenuBar::kHitIcon + 3);
    EXPECT_EQ(bar.HitTestCode(CPoint(700, 10)), -1);
}

TEST_F(MenuBarTest, ATitleAlreadyShownInAnyCaseAddsNoTab) {
    HWND a = NewFrame();
    bar.AddTab("Layout", HWND(nullptr));
    bar.AddTab("LAYOUT", a);  // the existing tab takes the frame it lacked
    EXPECT_EQ(bar.GetTabCount(), 3);
    EXPECT_EQ(bar.GetTabFrame(2), a);
    bar.AddTab("layout", NewFrame());  // a tab with a live frame keeps it
    EXPECT_EQ(bar.GetTabFrame(2), a);
    bar.AddTab("分析走势", NewFrame());
    EXPECT_EQ(bar.GetTabCount(), 3);
}

TEST_F(MenuBarTest, EveryTabGetsAColourFromTheSkin) {
    for (int i = 0; i < 5; ++i) bar.AddTab("extra" + std::to_string(i), NewFrame());
    ASSERT_EQ(bar.GetTabCount(), 7);
    std::set<COLORREF> skinColours(std::begin(kTabColours), std::end(kTabColours));
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(skinColours.count(bar.GetTabColor(i, false))) << i;
        EXPECT_TRUE(skinColours.count(bar.GetTabColor(i, true))) << i;
    }
    EXPECT_EQ(bar.GetTabColor(0, false), kTabColours[0]);
    EXPECT_EQ(bar.GetTabColor(3, true), kTabColours[7]);
    // Fifth and later tabs take turns with the colours of the layout tabs.
    EXPECT_EQ(bar.GetTabColor(4, false), kTabColours[4]);
    EXPECT_EQ(bar.GetTabColor(5, false), kTabColours[6]);
    EXPECT_EQ(bar.GetTabColor(6, true), kTabColours[5]);
}

TEST_F(MenuBarTest, TheCloseBoxIsHitWhereTheXIsDrawn) {
    HWND fa = NewFrame();
    bar.AddTab("A", fa);
    bar.AddTab("B", NewFrame());
    for (int selected : {2, 1}) {  // the X sits lower on a tab that is not selected
        SCOPED_TRACE(selected);
        bar.SelectTabByIndex(selected);
        CRect x = bar.GetCloseBoxRect(2);
        CRect item = bar.GetBarItem(2)->GetRect();
        EXPECT_EQ(x.Width(), 8);
        EXPECT_EQ(x.right, item.right - 13);
        EXPECT_EQ(x.top, item.top + (selected == 2 ? 14 : 17));
        CRect hit = bar.GetCloseBoxHitRect(2);
        EXPECT_TRUE(hit.PtInRect(x.CenterPoint()));
        EXPECT_TRUE(hit.PtInRect(x.TopLeft()));
        EXPECT_TRUE(hit.PtInRect(CPoint(x.right - 1, x.bottom - 1)));
        // Beside the X is the tab, not its close box.
        EXPECT_FALSE(hit.PtInRect(CPoint(x.left - 6, x.top)));
        EXPECT_FALSE(hit.PtInRect(CPoint(x.right + 4, x.top)));
    }
    // Clicking just above the drawn X of a tab that is not selected selects the tab.
    bar.SelectTabByIndex(1);
    CRect item = bar.GetBarItem(2)->GetRect();
    Click(CPoint(item.right - 12, item.top + 13));
    EXPECT_EQ(bar.GetTabCount(), 4);
    EXPECT_EQ(bar.GetSelectedTab(), 2);
    // Clicking the X closes the tab and asks its frame to close.
    bar.SelectTabByIndex(1);
    Click(bar.GetCloseBoxRect(2).CenterPoint());
    EXPECT_EQ(bar.GetTabCount(), 3);
    EXPECT_EQ(bar.GetTabText(2), "B");
    platform::PumpUntil([&] { return frames[0]->closes > 0; }, 2000);
    EXPECT_EQ(frames[0]->closes, 1);
}

TEST_F(MenuBarTest, RemovingATabKeepsTheSelectionOnTheSameTab) {
    bar.AddTab("A", NewFrame());
    bar.AddTab("B", NewFrame());
    bar.AddTab("C", NewFrame());
    bar.SelectTabByIndex(4);  // C
    bar.RemoveTab(2);         // A
    EXPECT_EQ(bar.GetSelectedTab(), 3);
    EXPECT_EQ(bar.GetTabText(3), "C");
    bar.RemoveTab(3);  // the selected one: its left neighbour
    EXPECT_EQ(bar.GetSelectedTab(), 2);
    EXPECT_EQ(bar.GetTabCount(), 3);
    bar.RemoveTab(7);  // no such tab
    EXPECT_EQ(bar.GetTabCount(), 3);
    bar.SelectTabByIndex(0);
    bar.RemoveTab(2);
    EXPECT_EQ(bar.GetSelectedTab(), 0);
}

TEST_F(MenuBarTest, ATabNeverReachesAFrameThatIsGone) {
    HWND analysis = NewFrame();
    bar.AddTab("分析走势", analysis);
    HWND extra = NewFrame();
    bar.AddTab("extra", extra);
    EXPECT_EQ(bar.GetTabFrame(1), analysis);
    frames[0]->DestroyWindow();
    EXPECT_EQ(bar.GetTabFrame(1), nullptr);
    // With its frame gone the tab opens its layout again.
    bar.SelectTabByIndex(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], GetAppInfo()->GetDataPath() + "layout/trend.xlay");
    // A closed layout frame takes its tab with it; a mode tab stays without its frame.
    bar.OnFrameClosed(extra);
    EXPECT_EQ(bar.GetTabCount(), 2);
    bar.AddTab("分析走势", NewFrame());
    bar.OnFrameClosed(frames.back()->m_hWnd);
    EXPECT_EQ(bar.GetTabCount(), 2);
    EXPECT_EQ(bar.GetTabFrame(1), nullptr);
}

TEST_F(MenuBarTest, ClicksSelectOnlyWhatWasPressedAndReleased) {
    bar.SelectTabByIndex(0);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], GetAppInfo()->GetDataPath() + "layout/training.xlay");
    Click(Centre(0));  // the selected tab: nothing happens
    EXPECT_EQ(opened.size(), 1u);
    Click(Centre(0), Centre(1));  // pressed on one tab, released on another
    EXPECT_EQ(bar.GetSelectedTab(), 0);
    EXPECT_EQ(opened.size(), 1u);
    Click(Centre(1));
    EXPECT_EQ(bar.GetSelectedTab(), 1);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], GetAppInfo()->GetDataPath() + "layout/trend.xlay");
}

TEST_F(MenuBarTest, DoubleClicksOnTheEmptyBarMaximiseButNotOnATab) {
    CPoint tab = Centre(0);
    bar.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(tab.x, tab.y));
    bar.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(600, 10));
    platform::PumpUntil([&] { return !host.sysCommands.empty(); }, 2000);
    ASSERT_EQ(host.sysCommands.size(), 1u);
    EXPECT_EQ(host.sysCommands[0], WPARAM(SC_MAXIMIZE));
    // The window buttons, the close button rightmost, send their commands to the frame.
    Click(CPoint(995, 10));
    Click(CPoint(995 - 2 * 40, 10));
    ASSERT_EQ(host.commands.size(), 2u);
    EXPECT_EQ(host.commands[0], WPARAM(SC_CLOSE));
    EXPECT_EQ(host.commands[1], WPARAM(SC_MINIMIZE));
}

TEST_F(MenuBarTest, TheLinksOpenTheirPagesAndTheInviteLinkTheShareHook) {
    std::vector<std::string> urls, shared;
    platform::SetShellOpenHook([&](const std::string& url) { urls.push_back(url); });
    bar.GetHooks().shareDialog = [&](const std::string& link) { shared.push_back(link); };
    bar.GetHooks().accountName = [] { return std::string("trader 1"); };
    ASSERT_FALSE(bar.GetHelpLinkRect().IsRectEmpty());
    // Right to left: menu button, help, training, invite.
    EXPECT_LE(bar.GetHelpLinkRect().right, bar.GetMenuButtonRect().left);
    EXPECT_EQ(bar.GetTrainingLinkRect().right, bar.GetHelpLinkRect().left);
    EXPECT_EQ(bar.GetInviteLinkRect().right, bar.GetTrainingLinkRect().left);
    Click(bar.GetHelpLinkRect().CenterPoint());
    Click(bar.GetTrainingLinkRect().CenterPoint());
    Click(bar.GetInviteLinkRect().CenterPoint());
    platform::SetShellOpenHook(nullptr);
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_NE(urls[0].find("help"), std::string::npos);
    ASSERT_EQ(shared.size(), 1u);
    EXPECT_NE(shared[0].find("?from=trader%201"), std::string::npos);
    // The links stay where they are however many tabs open.
    CRect before = bar.GetInviteLinkRect();
    for (int i = 0; i < 3; ++i) bar.AddTab("t" + std::to_string(i), NewFrame());
    EXPECT_EQ(bar.GetInviteLinkRect(), before);
}

TEST_F(MenuBarTest, TheMenuButtonOffersSiteAboutAndHelpToTheFrame) {
    ASSERT_FALSE(bar.GetMenuButtonRect().IsRectEmpty());
    MenuSteps later;
    later.Run({[] { MenuKey(VK_DOWN); }, [] { MenuKey(VK_DOWN); }, [] { MenuKey(VK_RETURN); }});
    Click(bar.GetMenuButtonRect().CenterPoint());
    platform::PumpUntil([&] { return !host.commands.empty(); }, 2000);
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0], WPARAM(CStockMenuBar::kCmdAbout));
    EXPECT_EQ(GetOpenPopupMenuWindow(), nullptr);
}

}  // namespace

namespace {

// The bar as the program shows it, with the skin it ships; written to
// <build>/screenshots/menubar.png for a look.
TEST(MenuBarLook, TabsLinksAndWindowButtonsOnTheShippedSkin) {
    DeleteSkinResManager();
    GetSkinResManager()->SetSkinDir(std::string(TARROW_SOURCE_DIR) + "/resources/Skin");
    ASSERT_TRUE(GetSkinResManager()->SelectSkin("skin"));
    GetCommonVar()->Init();
    Host host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1000, 32),
                              nullptr, 0));
    CStockMenuBar bar;
    bar.GetHooks().openLayout = [](const std::string&, const CIndSecuCode*) {};
    ASSERT_TRUE(bar.Create(&host, WS_CHILD | WS_VISIBLE, 59418));
    bar.SizeMenuBar(CRect(0, 0, 1000, CStockMenuBar::kBarHeight));
    Frame frame;
    frame.CreateEx(0, nullptr, "f", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0);
    bar.AddTab("K线分析", frame.m_hWnd);
    bar.SelectTabByIndex(0);
    bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(bar.GetTabRect(1).CenterPoint().x, 20));

    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&bar, shot));
    std::filesystem::create_directories(std::string(TARROW_BINARY_DIR) + "/screenshots");
    shot.SavePng(std::string(TARROW_BINARY_DIR) + "/screenshots/menubar.png");
    ASSERT_EQ(shot.GetSize(), CSize(1000, CStockMenuBar::kBarHeight));

    CommonVar* v = GetCommonVar();
    CRect t0 = bar.GetTabRect(0), t1 = bar.GetTabRect(1), t2 = bar.GetTabRect(2);
    // The selected tab reaches the top; the others start lower, over the ground.
    EXPECT_EQ(shot.GetPixel(t0.left + 4, 2), bar.GetTabColor(0, false));
    EXPECT_EQ(shot.GetPixel(t1.left + 4, 2), v->GetColor(CommonColor::uniBackGround));
    EXPECT_EQ(shot.GetPixel(t1.left + 4, t1.top + 3), bar.GetTabColor(1, true));  // hovered
    EXPECT_EQ(shot.GetPixel(t2.left + 4, t2.top + 3), bar.GetTabColor(2, false));
    EXPECT_EQ(shot.GetPixel(t0.left, t0.top + 10), v->GetColor(CommonColor::uniMenuBar_ButtonBorder));
    // The close box's X is black where it is drawn.
    CRect x = bar.GetCloseBoxRect(2);
    EXPECT_EQ(shot.GetPixel(x.left + 4, x.top + 4), RGB(0, 0, 0));
    // The ground and the line along the bottom.
    EXPECT_EQ(shot.GetPixel(bar.GetInviteLinkRect().left - 20, 10), v->GetColor(CommonColor::uniBackGround));
    EXPECT_EQ(shot.GetPixel(bar.GetInviteLinkRect().left - 20, 31), v->GetColor(CommonColor::uniWnd_Border));
    // Red link text in each link rectangle; light text on the tabs.
    for (CRect link : {bar.GetInviteLinkRect(), bar.GetTrainingLinkRect(), bar.GetHelpLinkRect()}) {
        int red = 0;
        for (int yy = link.top; yy < link.bottom; ++yy)
            for (int xx = link.left; xx < link.right; ++xx) {
                COLORREF c = shot.GetPixel(xx, yy);
                if (GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60) ++red;
            }
        EXPECT_GT(red, 20);
    }
    int light = 0;
    for (int yy = t0.top; yy < t0.bottom; ++yy)
        for (int xx = t0.left; xx < t0.right; ++xx)
            if (GetRValue(shot.GetPixel(xx, yy)) > 200 && GetGValue(shot.GetPixel(xx, yy)) > 200) ++light;
    EXPECT_GT(light, 30);
    bar.DestroyWindow();
    host.DestroyWindow();
    DeleteSkinResManager();
}

}  // namespace
