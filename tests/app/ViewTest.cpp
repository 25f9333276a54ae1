// The workspace view: key gathering with an injected clock, Tab order between panes, and
// typed text reaching the active pane.
#include <gtest/gtest.h>

#include <fstream>

#include "AppTestSupport.h"
#include "app/TarrowView.h"
#include "common/ScratchDir.h"

namespace {

// A view holding (A | (B | C)) of recording panes, with a clock and modifiers of the test's.
struct ViewFixture {
    ScratchDir dir;
    CWnd parent;
    C_Tarrow_View* view = new C_Tarrow_View();
    DWORD now = 1000;
    UINT mods = 0;
    CRecordingElement *a = nullptr, *b = nullptr, *c = nullptr;

    ViewFixture() {
        RegisterRecordingElement();
        parent.CreateEx(0, nullptr, "frame", WS_OVERLAPPED, CRect(0, 0, 900, 500), nullptr, 0);
        parent.ShowWindow(SW_SHOW);
        view->CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 900, 500), &parent, 1);
        view->m_clock = [this] { return now; };
        view->m_modifiers = [this] { return mods; };
        std::ofstream(dir.File("keys.xlay"))
            << "<view><ViewProp/><Split Type=\"1\" Style=\"1\" LeftSize=\"1\" RightSize=\"2\">"
               "<Split Type=\"0\"><Element wndtype=\"RecordingElement\" uuid=\"1\"/></Split>"
               "<Split Type=\"1\" Style=\"1\" LeftSize=\"1\" RightSize=\"1\">"
               "<Split Type=\"0\"><Element wndtype=\"RecordingElement\" uuid=\"2\"/></Split>"
               "<Split Type=\"0\"><Element wndtype=\"RecordingElement\" uuid=\"3\"/></Split>"
               "</Split></Split></view>";
        view->LoadLayout(dir.File("keys.xlay"));
        a = dynamic_cast<CRecordingElement*>(view->GetRoot()->FindLeafById(1));
        b = dynamic_cast<CRecordingElement*>(view->GetRoot()->FindLeafById(2));
        c = dynamic_cast<CRecordingElement*>(view->GetRoot()->FindLeafById(3));
    }
    ~ViewFixture() {
        if (parent.m_hWnd) parent.DestroyWindow();
    }
    void Key(UINT vk, UINT repeat = 1) { view->SendMessage(WM_KEYDOWN, vk, repeat); }
};

TEST(ViewKeys, HeldKeysAreGatheredByCountAndTime) {
    ViewFixture f;
    ASSERT_TRUE(f.a && f.b && f.c);
    ASSERT_EQ(f.view->GetActiveElement(), f.a);  // the first leaf starts active
    using Keys = std::vector<std::pair<UINT, UINT>>;

    f.Key(VK_DOWN);  // a new key goes at once
    EXPECT_EQ(f.a->keys, (Keys{{VK_DOWN, 1}}));
    for (int i = 0; i < 9; ++i) {  // nine repeats within 100 ms: gathered
        f.now += 5;
        f.Key(VK_DOWN);
    }
    EXPECT_EQ(f.a->keys.size(), 1u);
    f.now += 5;
    f.Key(VK_DOWN);  // the tenth: more than nine gathered
    EXPECT_EQ(f.a->keys.back(), std::make_pair(UINT(VK_DOWN), 10u));
    f.now += 5;
    f.Key(VK_DOWN);  // the gathering was emptied: this one goes at once
    EXPECT_EQ(f.a->keys.back(), std::make_pair(UINT(VK_DOWN), 1u));
    f.now += 50;
    f.Key(VK_DOWN, 2);
    EXPECT_EQ(f.a->keys.size(), 3u);
    f.now += 51;  // more than 100 ms since the last dispatch
    f.Key(VK_DOWN);
    EXPECT_EQ(f.a->keys.back(), std::make_pair(UINT(VK_DOWN), 3u));

    // Another key first delivers what was gathered of the held one.
    f.Key(VK_DOWN);  // new again: at once
    f.now += 1;
    f.Key(VK_DOWN, 2);
    f.Key(VK_UP);
    ASSERT_EQ(f.a->keys.size(), 7u);
    EXPECT_EQ(f.a->keys[5], std::make_pair(UINT(VK_DOWN), 2u));
    EXPECT_EQ(f.a->keys[6], std::make_pair(UINT(VK_UP), 1u));

    // The same key with other modifiers starts afresh without the gathered count.
    f.Key(VK_UP);
    f.mods = 1;
    f.Key(VK_UP);
    EXPECT_EQ(f.a->keys.size(), 8u);
    EXPECT_EQ(f.a->keys.back(), std::make_pair(UINT(VK_UP), 1u));
}

TEST(ViewKeys, TabMovesBetweenPanesAndWraps) {
    ViewFixture f;
    f.view->SetActiveElement(f.b);
    f.Key(VK_TAB);  // Tab: the previous pane
    EXPECT_EQ(f.view->GetActiveElement(), f.a);
    f.Key(VK_ESCAPE);
    f.Key(VK_TAB);
    EXPECT_EQ(f.view->GetActiveElement(), f.c);  // wraps
    f.view->SetActiveElement(f.b);
    f.mods = 4;
    f.Key(VK_TAB);  // Shift+Tab: the next pane
    EXPECT_EQ(f.view->GetActiveElement(), f.c);
    f.Key(VK_ESCAPE);
    f.Key(VK_TAB);
    EXPECT_EQ(f.view->GetActiveElement(), f.a);
    EXPECT_TRUE(f.a->m_bActive);
    EXPECT_FALSE(f.c->m_bActive);
    // Tab is the view's: the panes never see it.
    for (auto* e : {f.a, f.b, f.c})
        for (auto& k : e->keys) EXPECT_NE(k.first, UINT(VK_TAB));
}

TEST(ViewKeys, TypedTextGoesToTheActivePaneThenToAll) {
    ViewFixture f;
    f.view->SetActiveElement(f.b);
    f.c->acceptText = 1;
    f.view->OnViewNotify(1, "60");
    // b did not take it: offered to every pane, left to right, until one does.
    EXPECT_EQ(f.b->typed, (std::vector<std::string>{"60", "60"}));
    EXPECT_EQ(f.a->typed, std::vector<std::string>{"60"});
    EXPECT_EQ(f.c->typed, std::vector<std::string>{"60"});
    f.b->acceptText = 1;
    f.view->OnViewNotify(1, "61");
    EXPECT_EQ(f.b->typed.back(), "61");
    EXPECT_EQ(f.a->typed.size(), 1u);
    EXPECT_EQ(f.c->typed.size(), 1u);
}

TEST(ViewKeys, AnUnusedWheelPagesTheActivePane) {
    ViewFixture f;
    f.view->SetActiveElement(f.c);
    CRect rc;
    f.b->GetWindowRect(&rc);
    // Over b, towards the user: b does not use it, so the view pages the active pane.
    f.b->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-120),
                     MAKELPARAM(rc.left + 5, rc.top + 5));
    Pump();
    ASSERT_FALSE(f.c->keys.empty());
    EXPECT_EQ(f.c->keys.back().first, UINT(VK_NEXT));
    f.b->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(rc.left + 5, rc.top + 5));
    Pump();
    EXPECT_EQ(f.c->keys.back().first, UINT(VK_PRIOR));
    EXPECT_TRUE(f.b->keys.empty());
}

TEST(ViewLayout, ResetLeavesOnePlainPaneAndNoPath) {
    ViewFixture f;
    EXPECT_EQ(f.view->GetLayoutKey(), "keys");
    f.view->LoadLayout("");
    EXPECT_EQ(f.view->GetLayoutKey(), "");
    EXPECT_EQ(f.view->GetLayoutPath(), "");
    ASSERT_TRUE(f.view->GetRoot()->IsLeaf());
    ASSERT_NE(f.view->GetRoot()->m_pWnd, nullptr);
    EXPECT_EQ(f.view->GetRoot()->m_pWnd->GetTypeName(), "CElementWnd");
    EXPECT_EQ(f.view->GetActiveElement(), f.view->GetRoot()->m_pWnd);
}

}  // namespace
