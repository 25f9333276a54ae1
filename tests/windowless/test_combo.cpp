// The combo box: its drop box below or above, its height, Escape restoring the selection,
// keyboard and wheel selection while closed, and its own height.
#include <gtest/gtest.h>

#include <string>

#include "WinlessHost.h"
#include "windowless/Combo.h"
#include "windowless/ListElements.h"

using namespace WinlessUI;
using wltest::Host;

namespace {

std::string ComboXml(int rows) {
    std::string s = "<Window><VerticalLayout><Combo name=\"c\" height=\"24\" dropboxsize=\"0,150\">";
    for (int i = 0; i < rows; ++i) s += "<ListLabelElement height=\"20\" text=\"item " + std::to_string(i) + "\"/>";
    return s + "</Combo><Control/></VerticalLayout></Window>";
}

struct Selects : INotifyUI {
    std::vector<std::pair<int, int>> seen;
    int dropdowns = 0;
    void Notify(UINotify& msg) override {
        if (msg.sType == "itemselect") seen.emplace_back((int)msg.wParam, (int)msg.lParam);
        if (msg.sType == "dropdown") ++dropdowns;
    }
};

RECT PopupRect(CComboUI* combo) {
    RECT rc{0, 0, 0, 0};
    if (combo->GetDropWindow() && combo->GetDropWindow()->GetWnd()) combo->GetDropWindow()->GetWnd()->GetWindowRect(&rc);
    return rc;
}

}  // namespace

TEST(Combo, DropBoxHeightFollowsItsRowsUpToTheMaximum) {
    struct Case {
        int rows;
        int height;
    } cases[] = {{10, 150}, {3, 64}};
    for (const Case& c : cases) {
        Host h(300, 200);
        ASSERT_NE(h.Load(ComboXml(c.rows).c_str()), nullptr);
        auto* combo = static_cast<CComboUI*>(h.Find("c"));
        Selects sel;
        h.pm.AddListener(&sel);
        ASSERT_TRUE(combo->Activate());
        ASSERT_NE(combo->GetDropWindow(), nullptr);
        EXPECT_EQ(sel.dropdowns, 1);
        RECT rc = PopupRect(combo);
        RECT owner = combo->GetPos();
        POINT origin{0, 0};
        h.wnd.ClientToScreen(&origin);
        EXPECT_EQ(rc.bottom - rc.top, c.height) << c.rows << " rows";
        EXPECT_EQ(rc.top, owner.bottom + origin.y) << "opens below";
        EXPECT_EQ(rc.right - rc.left, owner.right - owner.left);
        // The rows live in the pop-up while it is open, and come back when it closes.
        EXPECT_EQ(combo->GetItemAt(0)->GetOwnerManager(), combo->GetDropWindow()->GetManager());
        combo->GetDropWindow()->PostToWindow(WM_KILLFOCUS);
        platform::ProcessPendingEvents();
        platform::ProcessPendingEvents();
        EXPECT_EQ(combo->GetDropWindow(), nullptr);
        EXPECT_EQ(combo->GetItemAt(0)->GetOwnerManager(), &h.pm);
        EXPECT_EQ(combo->GetItemAt(0)->GetParent(), combo);
        h.pm.RemoveListener(&sel);
    }
}

TEST(Combo, OpensAboveNearTheBottomOfTheScreen) {
    RECT work{0, 0, 800, 600};
    RECT below = CComboWnd::PlaceDropBox(RECT{10, 100, 110, 124}, 0, 150, work);
    EXPECT_EQ(below.top, 124);
    EXPECT_EQ(below.bottom, 274);
    RECT above = CComboWnd::PlaceDropBox(RECT{10, 500, 110, 524}, 200, 150, work);
    EXPECT_EQ(above.bottom, 500);
    EXPECT_EQ(above.top, 350);
    EXPECT_EQ(above.right, 210) << "a drop box width of its own";

    // A real window near the bottom of the work area.
    ::SystemParametersWorkArea(&work);
    Host h(300, 60);
    h.wnd.SetWindowPos(nullptr, work.left + 10, work.bottom - 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_NE(h.Load(ComboXml(10).c_str()), nullptr);
    auto* combo = static_cast<CComboUI*>(h.Find("c"));
    ASSERT_TRUE(combo->Activate());
    RECT rc = PopupRect(combo);
    POINT origin{0, 0};
    h.wnd.ClientToScreen(&origin);
    EXPECT_EQ(rc.bottom, combo->GetPos().top + origin.y);
    EXPECT_EQ(rc.bottom - rc.top, 150);
}

TEST(Combo, EscapeRestoresTheSelectionMadeBeforeOpening) {
    Host h(300, 200);
    ASSERT_NE(h.Load(ComboXml(5).c_str()), nullptr);
    auto* combo = static_cast<CComboUI*>(h.Find("c"));
    combo->SelectItem(1);
    Selects sel;
    h.pm.AddListener(&sel);
    ASSERT_TRUE(combo->Activate());
    HWND popup = combo->GetDropWindow()->GetHWND();
    ::SendMessage(popup, WM_KEYDOWN, VK_DOWN, 0);
    ::SendMessage(popup, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(combo->GetCurSel(), 3);
    ::SendMessage(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    platform::ProcessPendingEvents();
    platform::ProcessPendingEvents();
    EXPECT_EQ(combo->GetCurSel(), 1);
    ASSERT_EQ(sel.seen.size(), 3u);
    EXPECT_EQ(sel.seen.back(), std::make_pair(1, 3));
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    EXPECT_STREQ(combo->GetText().GetData(), "item 1");
    h.pm.RemoveListener(&sel);
}

TEST(Combo, ClosedSelectionKeysWheelAndHeight) {
    Host h(300, 200);
    ASSERT_NE(h.Load(ComboXml(4).c_str()), nullptr);
    auto* combo = static_cast<CComboUI*>(h.Find("c"));
    EXPECT_TRUE(combo->SelectItem(99)) << "past the end selects the last";
    EXPECT_EQ(combo->GetCurSel(), 3);
    EXPECT_FALSE(combo->SelectItem(-1));
    EXPECT_EQ(combo->GetCurSel(), -1);

    POINT pt = wltest::Centre(combo);
    h.wnd.ClientToScreen(&pt);
    ::SendMessage(h.wnd.GetSafeHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(combo->GetCurSel(), 0);
    ::SendMessage(h.wnd.GetSafeHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetDropWindow(), nullptr) << "the wheel does not open it";
    combo->SetFocus();
    ::SendMessage(h.wnd.GetSafeHwnd(), WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(combo->GetCurSel(), 3);
    ::SendMessage(h.wnd.GetSafeHwnd(), WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(combo->GetCurSel(), 0);

    // Removing the selected item selects the one before it.
    combo->SelectItem(2);
    combo->RemoveAt(2);
    EXPECT_EQ(combo->GetCurSel(), 1);
    for (int i = 0; i < combo->GetCount(); ++i) EXPECT_EQ(AsListItem(combo->GetItemAt(i))->GetIndex(), i);

    CComboUI bare;
    bare.BindManager(&h.pm, nullptr, false);
    EXPECT_EQ(bare.MeasureSize(SIZE{100, 100}).cy, h.pm.GetDefaultFontInfo()->tm.tmHeight + 12);
}
