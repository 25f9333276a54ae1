// Popup menus driven by injected keys, owner drawing, and the menu bar.
#include <gtest/gtest.h>

#include "platform/App.h"
#include "platform/Input.h"
#include "platform/Menu.h"
#include "platform/Services.h"
#include "platform/SkinMenu.h"
#include "common/MenuSteps.h"

namespace {

struct Owner : CWnd {
    std::vector<UINT> commands;
    std::vector<UINT> initPopups;
    int measured = 0, drawn = 0;
    BOOL OnCommand(WPARAM wp, LPARAM) override {
        commands.push_back(LOWORD(wp));
        return TRUE;
    }
    void OnInitMenuPopup(CMenu* m, UINT, BOOL) override {
        initPopups.push_back(m ? m->GetMenuItemCount() : 0);
    }
    void OnMeasureItem(int, MEASUREITEMSTRUCT* mis) override {
        ++measured;
        mis->itemWidth = 80;
        mis->itemHeight = 30;
    }
    void OnDrawItem(int, DRAWITEMSTRUCT* dis) override {
        ++drawn;
        ASSERT_NE(dis->hDC, nullptr);
        dis->hDC->FillSolidRect(&dis->rcItem,
                                (dis->itemState & ODS_SELECTED) ? RGB(0, 0, 255) : RGB(0, 255, 0));
    }
};

void Key(UINT vk, const char* text = "") {
    MenuKey(vk, text);
}

TEST(PopupMenu, KeysChooseAnItemSkippingSeparatorsAndIntoSubMenus) {
    Owner owner;
    ASSERT_TRUE(
        owner.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 200), nullptr, 0));
    CMenu menu, sub;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(sub.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 100, "&Open");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | MF_GRAYED, 101, "Disabled");
    menu.AppendMenu(MF_STRING, 102, "Save");
    sub.AppendMenu(MF_STRING, 200, "日线");
    sub.AppendMenu(MF_STRING, 201, "周线");
    ASSERT_TRUE(menu.AppendMenu(MF_POPUP, (UINT_PTR)sub.Detach(), "周期"));
    EXPECT_EQ(menu.GetMenuItemCount(), 5);
    EXPECT_EQ(menu.GetMenuItemID(1), 0u);
    EXPECT_EQ(menu.GetMenuItemID(4), (UINT)-1);
    ASSERT_NE(menu.GetSubMenu(4), nullptr);
    EXPECT_EQ(menu.GetSubMenu(4)->GetMenuItemID(1), 201u);

    MenuSteps later;
    // Down x3 lands on "Save" (separator skipped, disabled item passed), Enter chooses
    later.Run(
        {[] { Key(VK_DOWN); }, [] { Key(VK_DOWN); }, [] { Key(VK_DOWN); }, [] { Key(VK_RETURN); }});
    UINT id = (UINT)menu.TrackPopupMenu(TPM_RETURNCMD, 10, 10, &owner);
    EXPECT_EQ(id, 102u);
    EXPECT_EQ(owner.initPopups, (std::vector<UINT>{5}));
    EXPECT_EQ(GetOpenPopupMenuWindow(), nullptr);

    // Enter on a disabled item chooses nothing; Escape cancels
    later.Run({[] { Key(VK_DOWN); }, [] { Key(VK_DOWN); }, [] { Key(VK_RETURN); },
               [] { Key(VK_ESCAPE); }});
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 10, 10, &owner), 0);

    // Up from the top wraps to the sub-menu; Right opens it; Down, Enter picks its second item,
    // which is posted to the owner as WM_COMMAND without TPM_RETURNCMD
    later.Run(
        {[] { Key(VK_UP); }, [] { Key(VK_RIGHT); }, [] { Key(VK_DOWN); }, [] { Key(VK_RETURN); }});
    EXPECT_TRUE(menu.TrackPopupMenu(0, 10, 10, &owner));
    platform::PumpUntil([&] { return !owner.commands.empty(); }, 2000);
    EXPECT_EQ(owner.commands, (std::vector<UINT>{201}));

    // the & letter chooses directly
    later.Run({[] { Key('O', "o"); }});
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 10, 10, &owner), 100);

    // checks and states
    EXPECT_EQ(menu.CheckMenuItem(100, MF_CHECKED), (UINT)MF_UNCHECKED);
    EXPECT_EQ(menu.GetMenuState(100, MF_BYCOMMAND) & MF_CHECKED, (UINT)MF_CHECKED);
    EXPECT_EQ(menu.CheckMenuItem(999, MF_CHECKED), 0xFFFFFFFF);
    EXPECT_TRUE(menu.DeleteMenu(4, MF_BYPOSITION));
    EXPECT_EQ(menu.GetMenuItemCount(), 4);
}

TEST(PopupMenu, DestroyingTheOwnerEndsTheMenuAndTheWindowsItOwns) {
    auto* owner = new Owner;
    ASSERT_TRUE(
        owner->CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 200), nullptr, 0));
    std::vector<std::string> order;
    struct Tip : CWnd {
        std::vector<std::string>* order;
        void OnDestroy() override { order->push_back("tip"); }
    } tip;
    tip.order = &order;
    ASSERT_TRUE(tip.CreateEx(WS_EX_TOOLWINDOW, nullptr, "", WS_POPUP | WS_VISIBLE,
                             CRect(10, 10, 50, 30), owner, 0));
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 100, "打开");
    HWND ownerHandle = owner->m_hWnd;
    MenuSteps later;
    // the owner goes while its menu is open: the menu ends with nothing chosen
    later.Run({[&] {
        order.push_back("owner");
        owner->DestroyWindow();
    }});
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 10, 10, owner), 0);
    EXPECT_EQ(GetOpenPopupMenuWindow(), nullptr);
    EXPECT_FALSE(IsWindow(ownerHandle));
    EXPECT_EQ(tip.m_hWnd, nullptr);  // an owned window goes with its owner
    EXPECT_EQ(tip.GetParent(), nullptr);
    EXPECT_EQ(order, (std::vector<std::string>{"owner", "tip"}));
    delete owner;
}

TEST(PopupMenu, OwnerDrawnItemsAreMeasuredAndDrawnByTheOwner) {
    Owner owner;
    ASSERT_TRUE(
        owner.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 200), nullptr, 0));
    CSkinMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(menu.AppendOwnerDraw(0, 300, 0x1234));
    ASSERT_TRUE(menu.AppendMenuA(MF_STRING, 301, "文字", -1));
    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(301));
    CImageList icons;
    icons.Create(4, 4, ILC_COLOR32 | ILC_MASK, 0, 0);
    icons.Add(&strip, RGB(0, 0, 255));
    menu.SetImageList(&icons);
    ASSERT_TRUE(menu.AppendMenuA(MF_STRING, 302, "图标", 1));
    MenuSteps later;
    bool checked = false;
    later.Run({[] {},
               [&] {
                   CWnd* w = GetOpenPopupMenuWindow();
                   ASSERT_NE(w, nullptr);
                   w->UpdateWindow();
                   CBitmap shot;
                   ASSERT_TRUE(platform::CaptureWindow(w, shot));
                   // the owner painted the first item green (not selected yet)
                   EXPECT_EQ(shot.GetPixel(20, 10), RGB(0, 255, 0));
                   // the third item (below 30 + 24 pixels) shows icon 1 at its left
                   EXPECT_EQ(shot.GetPixel(6, 60), RGB(0, 255, 0));
                   EXPECT_EQ(shot.GetPixel(7, 61), RGB(252, 252, 252));  // its masked middle
                   checked = true;
               },
               [] { Key(VK_ESCAPE); }});
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 5, 5, &owner), 0);
    EXPECT_TRUE(checked);
    EXPECT_EQ(owner.measured, 1);
    EXPECT_GE(owner.drawn, 1);
}

TEST(MenuBar, ItemsLayOutAndAChosenCommandReachesTheFrame) {
    Owner frame;
    ASSERT_TRUE(
        frame.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
    CSkinMenuBar::InitCommonResource();
    CSkinMenuBar bar;
    bar.SetCallBack(nullptr);
    ASSERT_TRUE(bar.Create(&frame, WS_CHILD | WS_VISIBLE, 59392));
    bar.SizeMenuBar(CRect(0, 0, 400, 26));
    CMenu top, file;
    top.CreateMenu();
    file.CreatePopupMenu();
    file.AppendMenu(MF_STRING, 500, "退出");
    top.AppendMenu(MF_POPUP, (UINT_PTR)file.Detach(), "文件");
    top.AppendMenu(MF_STRING, 501, "帮助");
    ASSERT_TRUE(bar.LoadMenuBar(&top));
    bar.AddItem(std::make_unique<CSkinIconBarItem>(502, &bar, "图标"));
    ASSERT_EQ(bar.GetItemCount(), 3);
    EXPECT_NE(dynamic_cast<CSkinMenuBarItem*>(bar.GetBarItem(0)), nullptr);
    EXPECT_NE(bar.GetIconBarItem(502), nullptr);
    CRect r0 = bar.GetBarItem(0)->GetRect(), r1 = bar.GetBarItem(1)->GetRect();
    EXPECT_EQ(r0.right, r1.left);
    EXPECT_EQ(bar.HitTest(r1.CenterPoint()), 101);
    EXPECT_EQ(bar.HitTest(bar.GetIconBarItem(502)->GetRect().CenterPoint()), 202);
    EXPECT_EQ(bar.HitTest(CPoint(300, 5)), -1);
    // a plain item is a command at once; a popup item opens its menu
    platform::InjectMouse(&bar, WM_LBUTTONDOWN, r1.CenterPoint().x, 5);
    MenuSteps later;
    later.Run({[] { Key(VK_DOWN); }, [] { Key(VK_RETURN); }});
    platform::InjectMouse(&bar, WM_LBUTTONDOWN, r0.CenterPoint().x, 5);
    EXPECT_EQ(frame.commands, (std::vector<UINT>{501, 500}));
    // a callback that takes the command keeps it from the frame
    std::vector<std::pair<int, std::string>> seen;
    bar.SetCallBack([&](int id, const std::string& text) {
        seen.emplace_back(id, text);
        return 1;
    });
    platform::InjectMouse(&bar, WM_LBUTTONDOWN, r1.CenterPoint().x, 5);
    EXPECT_EQ(frame.commands.size(), 2u);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(501, std::string("帮助")));
}

}  // namespace
