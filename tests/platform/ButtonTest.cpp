// Buttons and statics: clicks, check states, radio groups, owner drawing and colours.
#include <gtest/gtest.h>

#include "platform/App.h"
#include "platform/Button.h"
#include "platform/Input.h"
#include "platform/Services.h"

namespace {

using platform::InjectMouse;

struct Dialog : CWnd {
    struct Command {
        UINT id, code;
        HWND from;
        bool operator==(const Command& o) const {
            return id == o.id && code == o.code && from == o.from;
        }
    };
    std::vector<Command> commands;
    std::vector<std::pair<UINT, UINT>> drawn;  // (CtlType, itemState)
    bool drawsItems = false;
    CBrush staticBrush{RGB(0, 0, 255)};
    bool colourStatics = false;
    Dialog() {
        CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0);
    }
    BOOL OnCommand(WPARAM wp, LPARAM lp) override {
        commands.push_back({LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)});
        return TRUE;
    }
    void OnDrawItem(int, DRAWITEMSTRUCT* dis) override {
        if (!drawsItems) {
            Default();
            return;
        }
        drawn.emplace_back(dis->CtlType, dis->itemState);
        dis->hDC->FillSolidRect(&dis->rcItem, RGB(0, 200, 0));
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_CTLCOLORSTATIC && colourStatics) {
            reinterpret_cast<CDC*>(wp)->SetTextColor(RGB(255, 255, 0));
            return reinterpret_cast<LRESULT>(&staticBrush);
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
    size_t Clicks(UINT id) const {
        size_t n = 0;
        for (auto& c : commands) n += c.id == id && c.code == BN_CLICKED;
        return n;
    }
};

COLORREF Pixel(CWnd* w, int x, int y) {
    w->UpdateWindow();
    CBitmap shot;
    EXPECT_TRUE(platform::CaptureWindow(w, shot));
    return shot.GetPixel(x, y);
}

// Counts pixels of a colour in a rectangle of the window.
int CountColour(CWnd* w, const CRect& rc, COLORREF c) {
    w->UpdateWindow();
    CBitmap shot;
    EXPECT_TRUE(platform::CaptureWindow(w, shot));
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x) n += shot.GetPixel(x, y) == c;
    return n;
}
// Pixels of text drawn in yellow on blue: glyph edges are smoothed, so "yellowish".
int CountYellowish(CWnd* w, const CRect& rc) {
    w->UpdateWindow();
    CBitmap shot;
    EXPECT_TRUE(platform::CaptureWindow(w, shot));
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x) {
            COLORREF c = shot.GetPixel(x, y);
            n += GetRValue(c) > 160 && GetGValue(c) > 160 && GetBValue(c) < 128;
        }
    return n;
}

TEST(Button, ClicksOnReleaseOverTheButtonAndReportsItsState) {
    Dialog dlg;
    CButton ok;
    ASSERT_TRUE(ok.Create("确定", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 90, 40), &dlg,
                          IDOK));
    InjectMouse(&ok, WM_LBUTTONDOWN, 5, 5);
    EXPECT_EQ(ok.GetState() & BST_PUSHED, (UINT)BST_PUSHED);
    EXPECT_EQ(ok.GetState() & BST_FOCUS, (UINT)BST_FOCUS);  // a click takes the focus
    EXPECT_EQ(CWnd::GetCapture(), &ok);
    EXPECT_TRUE(dlg.commands.empty());
    InjectMouse(&ok, WM_LBUTTONUP, 6, 6);
    ASSERT_EQ(dlg.commands.size(), 1u);
    EXPECT_EQ(dlg.commands[0], (Dialog::Command{IDOK, BN_CLICKED, ok.m_hWnd}));
    EXPECT_EQ(ok.GetState() & BST_PUSHED, 0u);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    // dragged off before release: the look comes up and nothing is clicked
    InjectMouse(&ok, WM_LBUTTONDOWN, 5, 5);
    InjectMouse(&ok, WM_MOUSEMOVE, 200, 5);
    EXPECT_EQ(ok.GetState() & BST_PUSHED, 0u);
    InjectMouse(&ok, WM_LBUTTONUP, 200, 5);
    EXPECT_EQ(dlg.Clicks(IDOK), 1u);
    // space while focused, and BM_CLICK, click too
    platform::InjectKey(VK_SPACE, " ", 0, false, &ok);
    ok.SendMessage(BM_CLICK);
    EXPECT_EQ(dlg.Clicks(IDOK), 3u);
    // a dialog's keyboard asks what the control is
    EXPECT_EQ(ok.SendMessage(WM_GETDLGCODE), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    // a push button keeps no check state; a disabled one takes no clicks
    ok.SetCheck(BST_CHECKED);
    EXPECT_EQ(ok.GetCheck(), BST_UNCHECKED);
    ok.EnableWindow(FALSE);
    ok.SendMessage(BM_CLICK);
    EXPECT_EQ(dlg.Clicks(IDOK), 3u);
}

TEST(Button, CheckBoxesKeepAndStepTheirState) {
    Dialog dlg;
    CButton autoBox, plainBox, tri;
    ASSERT_TRUE(autoBox.Create("自动", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                               CRect(10, 10, 110, 30), &dlg, 11));
    ASSERT_TRUE(plainBox.Create("手动", WS_CHILD | WS_VISIBLE | BS_CHECKBOX,
                                CRect(10, 40, 110, 60), &dlg, 12));
    ASSERT_TRUE(tri.Create("三态", WS_CHILD | WS_VISIBLE | BS_AUTO3STATE, CRect(10, 70, 110, 90),
                           &dlg, 13));
    struct Case {
        CButton* button;
        std::vector<int> afterEachClick;
    };
    for (const Case& c : {Case{&autoBox, {1, 0, 1}}, Case{&plainBox, {0, 0, 0}},
                          Case{&tri, {1, 2, 0, 1}}}) {
        for (int expected : c.afterEachClick) {
            InjectMouse(c.button, WM_LBUTTONDOWN, 3, 3);
            InjectMouse(c.button, WM_LBUTTONUP, 3, 3);
            EXPECT_EQ(c.button->GetCheck(), expected) << c.button->GetWindowText();
        }
        // every click is reported, also when the state did not move
        EXPECT_EQ(dlg.Clicks(c.button->GetDlgCtrlID()), c.afterEachClick.size());
    }
    // the owner of a plain check box sets it; two-state boxes take "indeterminate" as checked
    plainBox.SetCheck(BST_INDETERMINATE);
    EXPECT_EQ(plainBox.GetCheck(), BST_CHECKED);
    tri.SetCheck(BST_INDETERMINATE);
    EXPECT_EQ(tri.GetCheck(), BST_INDETERMINATE);
    EXPECT_EQ(tri.GetState() & 3u, (UINT)BST_INDETERMINATE);

    // the look: a checked box shows its mark, an unchecked one an empty white well
    autoBox.SetCheck(BST_UNCHECKED);
    const CRect box(1, 4, 12, 15);  // inside the 13-pixel box, vertically centred in 20
    EXPECT_EQ(CountColour(&autoBox, box, RGB(0, 0, 0)), 0);
    EXPECT_GT(CountColour(&autoBox, box, RGB(255, 255, 255)), 80);
    autoBox.SetCheck(BST_CHECKED);
    EXPECT_GT(CountColour(&autoBox, box, RGB(0, 0, 0)), 8);
}

TEST(Button, AutoRadioButtonsUncheckTheirGroupOnly) {
    Dialog dlg;
    CButton r1, r2, r3, box, r4, r5;
    const DWORD radio = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
    ASSERT_TRUE(r1.Create("1", radio | WS_GROUP, CRect(0, 0, 50, 20), &dlg, 21));
    ASSERT_TRUE(r2.Create("2", radio, CRect(0, 20, 50, 40), &dlg, 22));
    // a radio the program checks itself, and a check box, in the same group
    ASSERT_TRUE(r3.Create("3", WS_CHILD | WS_VISIBLE | BS_RADIOBUTTON, CRect(0, 40, 50, 60), &dlg, 23));
    ASSERT_TRUE(box.Create("b", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(0, 60, 50, 80), &dlg, 24));
    ASSERT_TRUE(r4.Create("4", radio | WS_GROUP, CRect(0, 80, 50, 100), &dlg, 25));
    ASSERT_TRUE(r5.Create("5", radio, CRect(0, 100, 50, 120), &dlg, 26));
    r1.SetCheck(1);
    r3.SetCheck(1);
    box.SetCheck(1);
    r4.SetCheck(1);
    InjectMouse(&r2, WM_LBUTTONDOWN, 3, 3);
    InjectMouse(&r2, WM_LBUTTONUP, 3, 3);
    EXPECT_EQ(r1.GetCheck(), 0);
    EXPECT_EQ(r2.GetCheck(), 1);
    EXPECT_EQ(r3.GetCheck(), 0);
    EXPECT_EQ(box.GetCheck(), 1);
    EXPECT_EQ(r4.GetCheck(), 1);  // the next group is left alone
    EXPECT_EQ(dlg.Clicks(22), 1u);
    EXPECT_EQ(r2.SendMessage(WM_GETDLGCODE), DLGC_BUTTON | DLGC_RADIOBUTTON);
    EXPECT_EQ(box.SendMessage(WM_GETDLGCODE), DLGC_BUTTON);
    // clicking the checked one keeps it checked
    r2.SendMessage(BM_CLICK);
    EXPECT_EQ(r2.GetCheck(), 1);
    InjectMouse(&r5, WM_LBUTTONDOWN, 3, 3);
    InjectMouse(&r5, WM_LBUTTONUP, 3, 3);
    EXPECT_EQ(r4.GetCheck(), 0);
    EXPECT_EQ(r2.GetCheck(), 1);
}

TEST(Button, OwnerDrawGoesToTheParentOrBackToTheButton) {
    struct Painted : CButton {
        int draws = 0;
        UINT lastState = 0;
        void DrawItem(DRAWITEMSTRUCT* dis) override {
            ++draws;
            lastState = dis->itemState;
            EXPECT_EQ(dis->CtlType, (UINT)ODT_BUTTON);
            EXPECT_EQ(dis->hwndItem, m_hWnd);
            dis->hDC->FillSolidRect(&dis->rcItem, RGB(255, 0, 0));
        }
    };
    Dialog dlg;
    Painted own;
    ASSERT_TRUE(own.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 60, 40), &dlg, 31));
    EXPECT_EQ(Pixel(&own, 20, 15), RGB(255, 0, 0));
    EXPECT_GE(own.draws, 1);
    InjectMouse(&own, WM_LBUTTONDOWN, 3, 3);
    own.UpdateWindow();
    EXPECT_TRUE(own.lastState & ODS_SELECTED);
    EXPECT_TRUE(own.lastState & ODS_FOCUS);
    InjectMouse(&own, WM_LBUTTONUP, 3, 3);
    own.UpdateWindow();
    EXPECT_FALSE(own.lastState & ODS_SELECTED);
    EXPECT_EQ(dlg.Clicks(31), 1u);
    // a parent that draws owner-drawn items itself gets them instead
    dlg.drawsItems = true;
    const int before = own.draws;
    own.Invalidate();
    EXPECT_EQ(Pixel(&own, 20, 15), RGB(0, 200, 0));
    EXPECT_EQ(own.draws, before);
    ASSERT_FALSE(dlg.drawn.empty());
    EXPECT_EQ(dlg.drawn.back().first, (UINT)ODT_BUTTON);
}

TEST(Static, DrawsItsTextInTheParentsColoursAndNotifiesClicks) {
    Dialog dlg;
    dlg.colourStatics = true;
    CStatic label, quiet;
    ASSERT_TRUE(label.Create("代码", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY,
                             CRect(10, 10, 110, 40), &dlg, 41));
    ASSERT_TRUE(quiet.Create("无", WS_CHILD | WS_VISIBLE, CRect(10, 50, 110, 80), &dlg, 42));
    // the parent's brush is the background, its text colour the text's
    EXPECT_EQ(Pixel(&label, 2, 2), RGB(0, 0, 255));
    EXPECT_GT(CountYellowish(&label, CRect(30, 0, 70, 30)), 10);
    // centred: nothing of the text at the far left
    EXPECT_EQ(CountYellowish(&label, CRect(0, 0, 20, 30)), 0);
    label.SetWindowText("");
    EXPECT_EQ(CountYellowish(&label, CRect(0, 0, 100, 30)), 0);
    InjectMouse(&label, WM_LBUTTONDOWN, 5, 5);
    InjectMouse(&label, WM_LBUTTONUP, 5, 5);
    InjectMouse(&quiet, WM_LBUTTONDOWN, 5, 5);
    ASSERT_EQ(dlg.commands.size(), 1u);
    EXPECT_EQ(dlg.commands[0], (Dialog::Command{41, STN_CLICKED, label.m_hWnd}));

    struct Drawn : CStatic {
        void DrawItem(DRAWITEMSTRUCT* dis) override {
            EXPECT_EQ(dis->CtlType, (UINT)ODT_STATIC);
            dis->hDC->FillSolidRect(&dis->rcItem, RGB(10, 20, 30));
        }
    } drawn;
    ASSERT_TRUE(drawn.Create("", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, CRect(120, 10, 150, 40), &dlg));
    EXPECT_EQ(Pixel(&drawn, 5, 5), RGB(10, 20, 30));
}

}  // namespace
