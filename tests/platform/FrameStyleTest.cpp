// The system frame follows the window's styles: ModifyStyle, ModifyStyleEx and
// SWP_FRAMECHANGED after the bits were set directly.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/App.h"
#include "platform/Controls.h"
#include "platform/Wnd.h"

namespace {

class NcWatcher : public CWnd {
public:
    int ncCalcs = 0;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_NCCALCSIZE) ++ncCalcs;
        return CWnd::WindowProc(msg, wp, lp);
    }
};

TEST(FrameStyle, RemovingTheCaptionAndSizingBorderRemovesTheRealFrame) {
    NcWatcher w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           CRect(10, 10, 210, 110), nullptr, 0));
    platform::ProcessPendingEvents();
    CWnd::SystemFrame f = w.GetSystemFrame();
    EXPECT_TRUE(f.caption);
    EXPECT_TRUE(f.sizingBorder);
    EXPECT_TRUE(f.closeBox && f.minimizeBox && f.maximizeBox);

    // no sizing border: the user cannot resize, the program still can
    w.ModifyStyle(WS_THICKFRAME | WS_MAXIMIZEBOX, 0);
    f = w.GetSystemFrame();
    EXPECT_TRUE(f.caption);
    EXPECT_FALSE(f.sizingBorder);
    EXPECT_FALSE(f.maximizeBox);
    w.SetWindowPos(nullptr, 0, 0, 150, 90, SWP_NOMOVE | SWP_NOZORDER);
    CRect rc;
    w.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 150, 90));
    EXPECT_FALSE(w.GetSystemFrame().sizingBorder);

    // no caption: no frame at all; the window stays where it was, shown
    w.ModifyStyle(WS_CAPTION, 0, SWP_FRAMECHANGED);
    f = w.GetSystemFrame();
    EXPECT_FALSE(f.caption);
    EXPECT_FALSE(f.closeBox);
    EXPECT_TRUE(w.IsWindowVisible());
    w.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 150, 90));
    EXPECT_EQ(w.ncCalcs, 1);  // SWP_FRAMECHANGED asks for the non-client area again

    // and back
    w.ModifyStyle(0, WS_CAPTION | WS_THICKFRAME);
    f = w.GetSystemFrame();
    EXPECT_TRUE(f.caption);
    EXPECT_TRUE(f.sizingBorder);
}

TEST(FrameStyle, FrameChangedAppliesBitsSetDirectly) {
    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                           CRect(0, 0, 100, 80), nullptr, 0));
    ASSERT_TRUE(w.GetSystemFrame().caption);
    SetWindowLongPtr(w.m_hWnd, GWL_STYLE, GetWindowLongPtr(w.m_hWnd, GWL_STYLE) & ~WS_CAPTION);
    EXPECT_TRUE(w.GetSystemFrame().caption);  // the bits alone do not touch the frame
    EXPECT_FALSE(w.GetStyle() & WS_CAPTION);
    w.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    EXPECT_FALSE(w.GetSystemFrame().caption);

    // extended styles: topmost and back
    w.ModifyStyleEx(0, WS_EX_TOPMOST);
    EXPECT_TRUE(w.GetSystemFrame().topmost);
    w.ModifyStyleEx(WS_EX_TOPMOST, 0);
    EXPECT_FALSE(w.GetSystemFrame().topmost);
}

// A native control's border is non-client area: changing it and asking for the frame again
// moves the client area.
class BorderedEdit : public CEdit {
public:
    int inset = 0;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_NCCALCSIZE && inset) {
            RECT* rc = wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0]
                          : reinterpret_cast<RECT*>(lp);
            rc->left += inset;
            rc->top += inset;
            rc->right -= inset;
            rc->bottom -= inset;
            return 0;
        }
        return CEdit::WindowProc(msg, wp, lp);
    }
};

TEST(FrameStyle, FrameChangedRecomputesANativeControlsNonClientArea) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100),
                                nullptr, 0));
    BorderedEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 110, 40), &parent, 1));
    CRect rc;
    edit.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 100, 30));
    edit.inset = 3;
    edit.SetWindowPos(nullptr, 0, 0, 0, 0,
                      SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    edit.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 94, 24));
    EXPECT_FALSE(edit.GetSystemFrame().caption);  // child windows have no system frame
}
}  // namespace

namespace {
TEST(WindowData, PropertiesAndUserDataLiveWithTheWindow) {
    int a = 1, b = 2;
    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 7));
    EXPECT_EQ(GetWindowLongPtr(w.m_hWnd, GWLP_USERDATA), 0);
    EXPECT_EQ(SetWindowLongPtr(w.m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&a)), 0);
    EXPECT_EQ(SetWindowLongPtr(w.m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&b)),
              reinterpret_cast<LONG_PTR>(&a));
    EXPECT_EQ(GetWindowLongPtr(w.m_hWnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&b));
    EXPECT_EQ(GetWindowLongPtr(w.m_hWnd, GWL_ID), 7);
    EXPECT_EQ(SetWindowLongPtr(w.m_hWnd, GWL_ID, 9), 7);
    EXPECT_EQ(w.GetDlgCtrlID(), 9u);

    EXPECT_TRUE(SetProp(w.m_hWnd, "WndX", &a));
    EXPECT_EQ(GetProp(w.m_hWnd, "wndx"), &a);  // names ignore case
    EXPECT_TRUE(SetProp(w.m_hWnd, "WNDX", &b));
    EXPECT_EQ(GetProp(w.m_hWnd, "WndX"), &b);
    EXPECT_FALSE(SetProp(w.m_hWnd, "", &a));
    EXPECT_EQ(GetProp(w.m_hWnd, "Other"), nullptr);
    EXPECT_EQ(RemoveProp(w.m_hWnd, "WndX"), &b);
    EXPECT_EQ(GetProp(w.m_hWnd, "WndX"), nullptr);
    EXPECT_EQ(RemoveProp(w.m_hWnd, "WndX"), nullptr);

    SetProp(w.m_hWnd, "kept", &a);
    const HWND gone = w.m_hWnd;
    w.DestroyWindow();
    EXPECT_EQ(GetProp(gone, "kept"), nullptr);
    EXPECT_FALSE(SetProp(gone, "kept", &a));
    EXPECT_EQ(GetWindowLongPtr(gone, GWLP_USERDATA), 0);
    EXPECT_EQ(SetWindowLongPtr(gone, GWLP_USERDATA, 5), 0);
    // a window made again with the same object starts without them
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_EQ(GetProp(w.m_hWnd, "kept"), nullptr);
    EXPECT_EQ(GetWindowLongPtr(w.m_hWnd, GWLP_USERDATA), 0);
}

// The object attaches itself on WM_NCCREATE, as a window wrapper keeping itself in the
// user data does, and reads itself back on every later message.
class SelfAttached : public CWnd {
public:
    int seenByLookup = 0;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCT*>(lp);
            SetWindowLongPtr(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        } else if (GetWindowLongPtr(m_hWnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
            ++seenByLookup;
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
};

TEST(WindowData, UserDataIsThereFromCreation) {
    SelfAttached w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0, &w));
    EXPECT_GE(w.seenByLookup, 1);  // WM_CREATE and later found the object
}
}  // namespace

namespace {
TEST(WindowQueries, SiblingsChildrenOwnerSystemColoursAndMulDiv) {
    CWnd owner, top, a, b, c;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    ASSERT_TRUE(top.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 50, 50), &owner, 0));
    EXPECT_EQ(top.GetWindow(GW_CHILD), nullptr);
    ASSERT_TRUE(a.CreateEx(0, nullptr, "", WS_CHILD, CRect(0, 0, 5, 5), &top, 1));
    ASSERT_TRUE(b.CreateEx(0, nullptr, "", WS_CHILD, CRect(0, 0, 5, 5), &top, 2));
    ASSERT_TRUE(c.CreateEx(0, nullptr, "", WS_CHILD, CRect(0, 0, 5, 5), &top, 3));
    EXPECT_EQ(top.GetWindow(GW_OWNER), &owner);
    EXPECT_EQ(top.GetWindow(GW_CHILD), &a);
    EXPECT_EQ(a.GetWindow(GW_HWNDNEXT), &b);
    EXPECT_EQ(c.GetWindow(GW_HWNDNEXT), nullptr);
    EXPECT_EQ(b.GetWindow(GW_HWNDPREV), &a);
    EXPECT_EQ(a.GetWindow(GW_HWNDPREV), nullptr);
    EXPECT_EQ(b.GetWindow(GW_HWNDFIRST), &a);
    EXPECT_EQ(b.GetWindow(GW_HWNDLAST), &c);
    EXPECT_EQ(top.GetWindow(GW_HWNDNEXT), nullptr);

    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(99), 0u);

    EXPECT_EQ(MulDiv(300, 2540, 96), 7938);  // 7937.5 rounds away from zero
    EXPECT_EQ(MulDiv(-300, 2540, 96), -7938);
    EXPECT_EQ(MulDiv(1 << 30, 4, 8), 1 << 29);  // no overflow in between
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
}
}  // namespace

namespace {
class SizeWatcher : public CWnd {
public:
    std::vector<std::pair<WPARAM, CSize>> sizes;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_SIZE) sizes.emplace_back(wp, CSize(LOWORD(lp), HIWORD(lp)));
        return CWnd::WindowProc(msg, wp, lp);
    }
};
}  // namespace

// A framed window shown maximized for the first time is sized once, to what the screen gives
// it inside the frame: its contents are not laid out for a size it never keeps.
TEST(FrameStyle, FirstShownMaximizedIsSizedOnceToItsFinalSize) {
    SizeWatcher w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "frame", WS_OVERLAPPEDWINDOW, CRect(10, 10, 210, 110),
                           nullptr, 0));
    w.sizes.clear();
    w.ShowWindow(SW_SHOWMAXIMIZED);
    platform::ProcessPendingEvents();
    EXPECT_TRUE(w.IsZoomed());
    CRect client;
    w.GetClientRect(&client);
    ASSERT_FALSE(w.sizes.empty());
    for (const auto& [type, size] : w.sizes)
        EXPECT_EQ(size, client.Size()) << "an intermediate size " << size.cx << "x" << size.cy;
    EXPECT_GT(client.Width(), 200);
}
