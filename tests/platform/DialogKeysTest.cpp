// The dialog's keyboard interface: Tab order over tab stops, Return to the default button,
// Escape to IDCANCEL, and controls that ask for keys themselves.
#include <gtest/gtest.h>

#include <vector>

#include "platform/App.h"
#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "platform/Input.h"
#include "platform/Wnd.h"

namespace {

class Commands : public CDialog {
public:
    std::vector<std::pair<WPARAM, LPARAM>> commands;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override {
        if (HIWORD(wp) == 0) commands.emplace_back(wp, lp);  // clicks, not edit notifications
        return TRUE;
    }
};

// A control of the layer's own that may ask for Tab.
class Field : public CWnd {
public:
    LRESULT dlgCode = 0;
    int tabs = 0;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_GETDLGCODE) return dlgCode;
        if (msg == WM_KEYDOWN && wp == VK_TAB) ++tabs;
        return CWnd::WindowProc(msg, wp, lp);
    }
};

struct DialogKeys : ::testing::Test {
    Commands dlg;
    Field a, b, c, noStop, disabled;
    void SetUp() override {
        dlg.SetDialogStyle(WS_POPUP | WS_CAPTION | WS_VISIBLE);
        ASSERT_TRUE(dlg.Create(0, nullptr));
        const DWORD s = WS_CHILD | WS_VISIBLE;
        ASSERT_TRUE(a.CreateEx(0, nullptr, "", s | WS_TABSTOP, CRect(0, 0, 20, 20), &dlg, 10));
        ASSERT_TRUE(noStop.CreateEx(0, nullptr, "", s, CRect(0, 20, 20, 40), &dlg, 11));
        ASSERT_TRUE(b.CreateEx(0, nullptr, "", s | WS_TABSTOP, CRect(0, 40, 20, 60), &dlg, 12));
        ASSERT_TRUE(disabled.CreateEx(0, nullptr, "", s | WS_TABSTOP | WS_DISABLED,
                                      CRect(0, 60, 20, 80), &dlg, 13));
        ASSERT_TRUE(c.CreateEx(0, nullptr, "", s | WS_TABSTOP, CRect(0, 80, 20, 100), &dlg, 14));
        platform::ProcessPendingEvents();
    }
    void Key(UINT vk, UINT mods = 0) { platform::InjectKey(vk, "", mods); }
};

TEST_F(DialogKeys, TabAndShiftTabWalkTheTabStopsAndWrap) {
    EXPECT_EQ(dlg.GetNextDlgTabItem(nullptr), &a);
    EXPECT_EQ(dlg.GetNextDlgTabItem(nullptr, TRUE), &c);
    a.SetFocus();
    Key(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), &b);  // skips the child without WS_TABSTOP
    Key(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), &c);  // skips the disabled one
    Key(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), &a);  // wraps
    Key(VK_TAB, MK_SHIFT);
    EXPECT_EQ(CWnd::GetFocus(), &c);
    Key(VK_TAB, MK_SHIFT);
    EXPECT_EQ(CWnd::GetFocus(), &b);
    c.ShowWindow(SW_HIDE);
    Key(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), &a);  // hidden ones are skipped too
    EXPECT_EQ(a.tabs + b.tabs + c.tabs, 0);  // the dialog took every Tab

    // a control that wants Tab keeps it
    a.dlgCode = DLGC_WANTTAB;
    Key(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), &a);
    EXPECT_EQ(a.tabs, 1);
    EXPECT_TRUE(dlg.commands.empty());
}

TEST_F(DialogKeys, ReturnClicksTheDefaultButtonAndEscapeCancels) {
    b.SetFocus();
    Key(VK_RETURN);
    ASSERT_EQ(dlg.commands.size(), 1u);
    EXPECT_EQ(dlg.commands[0].first, (WPARAM)MAKEWPARAM(IDOK, 0));  // IDOK at first
    EXPECT_EQ(dlg.commands[0].second, 0);  // no IDOK button: no handle
    EXPECT_EQ(HIWORD(dlg.SendMessage(DM_GETDEFID)), DC_HASDEFID);

    dlg.SendMessage(DM_SETDEFID, 14);
    EXPECT_EQ(LOWORD(dlg.SendMessage(DM_GETDEFID)), 14);
    Key(VK_RETURN);
    ASSERT_EQ(dlg.commands.size(), 2u);
    EXPECT_EQ(dlg.commands[1].first, (WPARAM)MAKEWPARAM(14, 0));
    EXPECT_EQ(dlg.commands[1].second, (LPARAM)c.m_hWnd);

    // a disabled default button does nothing
    c.EnableWindow(FALSE);
    Key(VK_RETURN);
    EXPECT_EQ(dlg.commands.size(), 2u);

    Key(VK_ESCAPE);
    ASSERT_EQ(dlg.commands.size(), 3u);
    EXPECT_EQ(dlg.commands[2].first, (WPARAM)IDCANCEL);

    // a control that wants every key keeps Return and Escape
    b.dlgCode = DLGC_WANTALLKEYS;
    Key(VK_RETURN);
    Key(VK_ESCAPE);
    EXPECT_EQ(dlg.commands.size(), 3u);
}

TEST(DialogKeysNative, AMultiLineEditKeepsReturnAndTabLeavesIt) {
    Commands dlg;
    dlg.SetDialogStyle(WS_POPUP | WS_CAPTION | WS_VISIBLE);
    ASSERT_TRUE(dlg.Create(0, nullptr));
    CEdit single, multi;
    ASSERT_TRUE(single.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(0, 0, 80, 20), &dlg, 1));
    ASSERT_TRUE(multi.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN,
                             CRect(0, 30, 80, 80), &dlg, 2));
    multi.SetFocus();
    EXPECT_EQ(CWnd::GetFocus(), &multi);
    platform::InjectKey(VK_RETURN, "\r");
    EXPECT_TRUE(dlg.commands.empty());
    platform::InjectKey(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), &single);
    platform::InjectKey(VK_RETURN, "\r");
    ASSERT_EQ(dlg.commands.size(), 1u);
    EXPECT_EQ(LOWORD(dlg.commands[0].first), IDOK);
}
}  // namespace
