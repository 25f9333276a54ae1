// Window classes: registration and lookup by name, the class a window reports, and what a
// class's style and traits do (double-clicks, redraw on resize, cursor, background).
#include <gtest/gtest.h>

#include <vector>

#include "platform/App.h"
#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "platform/Input.h"
#include "platform/Services.h"
#include "platform/Wnd.h"

namespace {

class Clicks : public CWnd {
public:
    std::vector<UINT> log;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if ((msg >= WM_LBUTTONDOWN && msg <= WM_MBUTTONDBLCLK)) log.push_back(msg);
        return CWnd::WindowProc(msg, wp, lp);
    }
};

WNDCLASS Class(const char* name, UINT style, COLORREF bg = RGB(255, 255, 255),
               HCURSOR cursor = nullptr) {
    WNDCLASS wc;
    wc.lpszClassName = name;
    wc.style = style;
    wc.background = bg;
    wc.hCursor = cursor;
    return wc;
}

TEST(WindowClass, RegistrationLookupAndNames) {
    ASSERT_TRUE(RegisterClass(Class("__Test_MainWnd", CS_DBLCLKS | CS_HREDRAW)));
    EXPECT_FALSE(RegisterClass(Class("__test_mainwnd", 0)));  // names ignore case
    EXPECT_TRUE(AfxRegisterClass(Class("__TEST_MAINWND", 0)));
    WNDCLASS info;
    ASSERT_TRUE(GetClassInfo("__test_MAINWND", &info));
    EXPECT_EQ(info.style, (UINT)(CS_DBLCLKS | CS_HREDRAW));  // the first registration holds
    EXPECT_EQ(info.lpszClassName, "__Test_MainWnd");
    EXPECT_FALSE(RegisterClass(Class("", 0)));

    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, "__test_mainwnd", "", WS_POPUP, CRect(0, 0, 50, 50), nullptr, 0));
    char buf[64];
    EXPECT_EQ(GetClassName(w.m_hWnd, buf, sizeof buf), 14);
    EXPECT_STREQ(buf, "__Test_MainWnd");
    EXPECT_EQ(GetClassName(w.m_hWnd, buf, 7), 6);  // cut, terminated
    EXPECT_STREQ(buf, "__Test");
    EXPECT_EQ(GetClassLong(w.m_hWnd, GCL_STYLE), (DWORD)(CS_DBLCLKS | CS_HREDRAW));

    // a window of a name nobody registered is not made
    CWnd orphan;
    EXPECT_FALSE(orphan.CreateEx(0, "NoSuchClass", "", WS_POPUP, CRect(0, 0, 5, 5), nullptr, 0));
    EXPECT_EQ(orphan.m_hWnd, nullptr);

    // unregistering leaves existing windows their class; predefined ones stay
    EXPECT_TRUE(UnregisterClass("__Test_MainWnd"));
    EXPECT_FALSE(GetClassInfo("__Test_MainWnd", nullptr));
    EXPECT_EQ(GetClassName(w.m_hWnd), "__Test_MainWnd");
    EXPECT_FALSE(UnregisterClass("AfxWnd"));
    EXPECT_FALSE(UnregisterClass("Edit"));
    w.DestroyWindow();
    EXPECT_EQ(GetClassName(w.m_hWnd), "");
    EXPECT_EQ(GetClassName(nullptr, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");

    // generated classes are registered once per set of traits
    const char* a = AfxRegisterWndClass(CS_DBLCLKS);
    EXPECT_EQ(a, AfxRegisterWndClass(CS_DBLCLKS));
    EXPECT_NE(std::string(a), AfxRegisterWndClass(0));
    ASSERT_TRUE(GetClassInfo(a, &info));
    EXPECT_EQ(info.style, (UINT)CS_DBLCLKS);
}

TEST(WindowClass, WindowsReportTheClassTheyAreOf) {
    CWnd plain;
    ASSERT_TRUE(plain.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
    EXPECT_EQ(GetClassName(plain.m_hWnd), "AfxWnd");
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD, CRect(0, 0, 50, 20), &plain, 1));
    EXPECT_EQ(GetClassName(edit.m_hWnd), "Edit");
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWNLIST, CRect(0, 30, 50, 50), &plain, 2));
    EXPECT_EQ(GetClassName(combo.m_hWnd), "ComboBox");
    CDialog dlg;
    ASSERT_TRUE(dlg.Create(0, nullptr));
    EXPECT_EQ(GetClassName(dlg.m_hWnd), "#32770");
    dlg.DestroyWindow();
}

TEST(WindowClass, DoubleClickArrivesAsSecondPressWithoutDblClks) {
    ASSERT_TRUE(AfxRegisterClass(Class("__Test_NoDbl", CS_HREDRAW | CS_VREDRAW)));
    ASSERT_TRUE(AfxRegisterClass(Class("__Test_Dbl", CS_DBLCLKS)));
    struct Case {
        const char* cls;
        UINT dblMsg, button, up;
        std::vector<UINT> expected;
    };
    const std::vector<Case> cases = {
        {"__Test_NoDbl", WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONUP,
         {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}},
        {"__Test_Dbl", WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONUP,
         {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}},
        {nullptr, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONUP,
         {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cls ? c.cls : "default class");
        Clicks w;
        ASSERT_TRUE(
            w.CreateEx(0, c.cls, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 80, 80), nullptr, 0));
        platform::ProcessPendingEvents();
        platform::InjectMouse(&w, c.button, 10, 10);
        platform::InjectMouse(&w, c.up, 10, 10);
        platform::InjectMouse(&w, c.dblMsg, 10, 10);
        platform::InjectMouse(&w, c.up, 10, 10);
        EXPECT_EQ(w.log, c.expected);
    }
}

// Paints every invalid pixel in a colour of its own per WM_PAINT.
class Painter : public CWnd {
public:
    COLORREF next = RGB(200, 0, 0);
    void OnPaint() override {
        CPaintDC dc(this);
        dc.FillSolidRect(&dc.m_ps.rcPaint, next);
    }
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
};

TEST(WindowClass, RedrawStylesDecideWhatAResizePaintsAgain) {
    ASSERT_TRUE(AfxRegisterClass(Class("__Test_Keep", CS_DBLCLKS)));
    struct Case {
        const char* cls;
        bool oldAreaRepainted;
    };
    for (const Case& c : {Case{"__Test_Keep", false}, Case{nullptr, true}}) {
        SCOPED_TRACE(c.cls ? c.cls : "default class");
        Painter w;
        ASSERT_TRUE(
            w.CreateEx(0, c.cls, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 60, 40), nullptr, 0));
        w.UpdateWindow();
        platform::ProcessPendingEvents();
        w.next = RGB(0, 0, 200);
        w.SetWindowPos(nullptr, 0, 0, 100, 40, SWP_NOMOVE | SWP_NOZORDER);
        platform::ProcessPendingEvents();
        w.UpdateWindow();
        CBitmap shot;
        ASSERT_TRUE(platform::CaptureWindow(&w, shot));
        EXPECT_EQ(shot.GetPixel(80, 20), RGB(0, 0, 200));  // uncovered: always painted
        EXPECT_EQ(shot.GetPixel(20, 20), c.oldAreaRepainted ? RGB(0, 0, 200) : RGB(200, 0, 0));
    }
}

TEST(WindowClass, ClassCursorAndBackgroundAreTheDefaults) {
    HCURSOR hand = LoadCursor(nullptr, IDC_HAND);
    ASSERT_TRUE(AfxRegisterClass(Class("__Test_Hand", CS_DBLCLKS, RGB(0, 128, 0), hand)));
    ASSERT_TRUE(AfxRegisterClass(Class("__Test_NoBk", CS_DBLCLKS, CLR_INVALID)));
    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, "__Test_Hand", "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 40, 40),
                           nullptr, 0));
    platform::ProcessPendingEvents();
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    platform::InjectMouse(&w, WM_MOUSEMOVE, 5, 5);
    EXPECT_EQ(GetCursor(), hand);
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&w, shot));
    EXPECT_EQ(shot.GetPixel(20, 20), RGB(0, 128, 0));

    // no background: the default erase leaves the buffer as it was
    CWnd bare;
    ASSERT_TRUE(bare.CreateEx(0, "__Test_NoBk", "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 40, 40),
                              nullptr, 0));
    {
        CClientDC dc(&bare);
        dc.FillSolidRect(CRect(0, 0, 40, 40), RGB(9, 9, 9));
    }
    bare.Invalidate(TRUE);
    bare.UpdateWindow();
    ASSERT_TRUE(platform::CaptureWindow(&bare, shot));
    EXPECT_EQ(shot.GetPixel(20, 20), RGB(9, 9, 9));

    // SetClassLong changes the class for every window of it
    CWnd other;
    ASSERT_TRUE(other.CreateEx(0, "__Test_NoBk", "", WS_POPUP, CRect(0, 0, 5, 5), nullptr, 0));
    EXPECT_EQ(SetClassLong(bare.m_hWnd, GCL_STYLE, 0), (DWORD)CS_DBLCLKS);
    EXPECT_EQ(GetClassLong(other.m_hWnd, GCL_STYLE), 0u);
}
}  // namespace
