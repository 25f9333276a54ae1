// Control attributes, image attribute strings, layouts, scroll bars, buttons and options.
#include <gtest/gtest.h>

#include <cstring>

#include "WinlessHost.h"
#include "windowless/Button.h"
#include "windowless/Container.h"
#include "windowless/Edit.h"
#include "windowless/ImageAttribute.h"
#include "windowless/Label.h"
#include "windowless/ScrollBar.h"

using namespace WinlessUI;
using wltest::Host;

TEST(ImageAttribute, ParsesKeysAndStopsAtMalformedPairs) {
    struct Case {
        const char* text;
        const char* file;
        RECT source;
        RECT corner;
        DWORD mask;
        BYTE fade;
        bool hole;
    } cases[] = {
        {"a.png", "a.png", {0, 0, 0, 0}, {0, 0, 0, 0}, 0, 255, false},
        {"file='b.png' source='0,0,16,16' corner='2,3,4,5'", "b.png", {0, 0, 16, 16}, {2, 3, 4, 5}, 0, 255, false},
        {"file='b.png'  source='1,2,3,4'", "b.png", {1, 2, 3, 4}, {0, 0, 0, 0}, 0, 255, false},
        {"file='b.png'source='1,2,3,4'", "b.png", {0, 0, 0, 0}, {0, 0, 0, 0}, 0, 255, false},
        {"file='c.bmp' mask='#FFFF00FF' fade='128' hole='true'", "c.bmp", {}, {}, 0xFFFF00FF, 128, true},
        {"file='c.bmp' mask='FFFF00FF' hole='yes'", "c.bmp", {}, {}, 0xFFFF00FF, 255, false},
        {"file='d.png' source='1,1,1,1", "d.png", {}, {}, 0, 255, false},
        {"file = 'e.png' res='f.png'", "f.png", {}, {}, 0, 255, false},
    };
    for (const Case& c : cases) {
        CImageAttribute a;
        a.SetImage(c.text);
        EXPECT_STREQ(a.m_sImage, c.file) << c.text;
        EXPECT_EQ(a.m_rcSource.left, c.source.left) << c.text;
        EXPECT_EQ(a.m_rcSource.right, c.source.right) << c.text;
        EXPECT_EQ(a.m_rcCorner.top, c.corner.top) << c.text;
        EXPECT_EQ(a.m_rcCorner.bottom, c.corner.bottom) << c.text;
        EXPECT_EQ(a.m_dwMask, c.mask) << c.text;
        EXPECT_EQ(a.m_bFade, c.fade) << c.text;
        EXPECT_EQ(a.m_bHole, c.hole) << c.text;
    }
}

TEST(ControlAttributes, PositionsBordersTooltipsAndLists) {
    CControlUI c;
    c.SetAttribute("pos", "-10,5,0,25");
    EXPECT_EQ(c.GetFloatOffset().cx, 0);
    EXPECT_EQ(c.GetFloatOffset().cy, 5);
    EXPECT_EQ(c.GetFixedWidth(), 10);
    EXPECT_EQ(c.GetFixedHeight(), 20);

    c.SetAttribute("bordersize", "1,0,1,0");
    c.SetAttribute("bordersize", "2");
    EXPECT_EQ(c.GetBorderSize(), 2);
    EXPECT_EQ(c.GetBorderSides().left, 0);
    c.SetAttribute("bordersize", "1,0,1,0");
    EXPECT_EQ(c.GetBorderSize(), 2);
    EXPECT_EQ(c.GetBorderSides().right, 1);

    c.SetAttribute("tooltip", "a<n>b");
    EXPECT_EQ(c.GetToolTip().ToStd(), "a\r\nb");
    c.SetAttribute("bkcolor", "  #FF102030");
    EXPECT_EQ(c.GetBkColor(), 0xFF102030u);
    c.SetAttribute("visible", "TRUE");  // only the exact "true" is true
    EXPECT_FALSE(c.IsVisible());
    c.SetAttribute("Name", "ignored");  // names are case-sensitive
    EXPECT_EQ(c.GetName().ToStd(), "");

    CControlUI list;
    list.ApplyAttributeText("name=\"one\" text=\"two\"");
    EXPECT_EQ(list.GetName().ToStd(), "one");
    EXPECT_EQ(list.GetText().ToStd(), "two");
    CControlUI twoBlanks;
    twoBlanks.ApplyAttributeText("name=\"one\"  text=\"two\"");
    EXPECT_EQ(twoBlanks.GetName().ToStd(), "one");
    EXPECT_EQ(twoBlanks.GetText().ToStd(), "");
}

TEST(Layouts, VerticalSharesTheRestAndClampsToMaximum) {
    Host host(200, 300);
    ASSERT_NE(host.Load("<Window><VerticalLayout name=\"v\">"
                        "<Control name=\"a\" height=\"100\"/><Control name=\"b\"/><Control name=\"c\"/>"
                        "</VerticalLayout></Window>"),
              nullptr);
    EXPECT_EQ(host.Find("a")->GetHeight(), 100);
    EXPECT_EQ(host.Find("b")->GetHeight(), 100);
    EXPECT_EQ(host.Find("c")->GetPos().top, 200);
    EXPECT_EQ(host.Find("c")->GetWidth(), 200);

    Host odd(100, 101);
    ASSERT_NE(odd.Load("<Window><VerticalLayout><Control name=\"a\"/><Control name=\"b\" maxheight=\"60\" "
                       "height=\"80\"/><Control name=\"c\"/></VerticalLayout></Window>"),
              nullptr);
    EXPECT_EQ(odd.Find("b")->GetHeight(), 60);
    EXPECT_EQ(odd.Find("a")->GetHeight(), 20);  // (101 - 60) / 2, the last pixel stays empty
    EXPECT_EQ(odd.Find("c")->GetPos().bottom, 100);
}

TEST(Layouts, HorizontalAndFloatPlacement) {
    Host host(200, 100);
    ASSERT_NE(host.Load("<Window><HorizontalLayout childpadding=\"10\" inset=\"5,5,5,5\">"
                        "<Control name=\"a\" width=\"50\"/><Control name=\"b\"/>"
                        "<Control name=\"f\" float=\"true\" pos=\"-30,5,-10,25\"/>"
                        "</HorizontalLayout></Window>"),
              nullptr);
    EXPECT_EQ(host.Find("a")->GetPos().left, 5);
    EXPECT_EQ(host.Find("b")->GetPos().left, 65);
    EXPECT_EQ(host.Find("b")->GetPos().right, 195);
    EXPECT_EQ(host.Find("b")->GetPos().bottom, 95);
    EXPECT_EQ(host.Find("f")->GetPos().left, 170);
    EXPECT_EQ(host.Find("f")->GetPos().right, 190);
    EXPECT_EQ(host.Find("f")->GetPos().top, 5);
}

TEST(ScrollBar, ThumbGeometry) {
    struct Case {
        int length, range, pos;
        RECT thumb;
    } cases[] = {
        {100, 100, 0, {0, 16, 16, 50}},    // 100 * 68 / 200 = 34
        {100, 100, 100, {0, 50, 16, 84}},  // moved to end at button 2
        {100, 0, 0, {0, 16, 16, 84}},      // fills the track
        {40, 100, 0, {0, 0, 0, 0}},        // shorter than two buttons and a thickness
    };
    for (const Case& c : cases) {
        CScrollBarUI bar;
        bar.SetScrollRange(c.range);
        bar.SetScrollPos(c.pos);
        bar.SetPos(RECT{0, 0, 16, c.length});
        RECT t = bar.GetThumbRect();
        EXPECT_EQ(t.top, c.thumb.top) << c.length << "/" << c.range;
        EXPECT_EQ(t.bottom, c.thumb.bottom) << c.length << "/" << c.range;
    }
    CScrollBarUI bar;
    bar.SetPos(RECT{0, 0, 16, 40});
    EXPECT_EQ(bar.GetButton1Rect().bottom, 16);  // half-length buttons: min(16, 40 / 2)
    bar.SetScrollPos(-5);
    EXPECT_EQ(bar.GetScrollPos(), 0);
    bar.SetScrollPos(101);
    EXPECT_EQ(bar.GetScrollPos(), 100);
    bar.SetScrollRange(30);
    EXPECT_EQ(bar.GetScrollPos(), 30);
}

TEST(ScrollBar, StandAloneBarStepsAndRepeats) {
    Host host(100, 200);
    ASSERT_NE(host.Load("<Window><VerticalLayout><ScrollBar name=\"s\" range=\"100\" linesize=\"3\"/>"
                        "</VerticalLayout></Window>"),
              nullptr);
    auto* bar = static_cast<CScrollBarUI*>(host.Find("s"));
    POINT down = wltest::Centre(bar);
    down.y = bar->GetButton2Rect().top + 4;
    host.Send(WM_MOUSEMOVE, 0, down.x, down.y);
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, down.x, down.y);
    EXPECT_EQ(bar->GetScrollPos(), 3);
    EXPECT_EQ(host.recorder.Count("scroll:s"), 1);
    // The repeat timer: nothing on the first five ticks, a step from the sixth on.
    UIEvent tick;
    tick.Type = UIEVENT_TIMER;
    tick.wParam = 10;
    tick.ptMouse = down;
    for (int i = 0; i < 5; ++i) bar->HandleEvent(tick);
    EXPECT_EQ(bar->GetScrollPos(), 3);
    bar->HandleEvent(tick);
    EXPECT_EQ(bar->GetScrollPos(), 6);
    EXPECT_GE(host.pm.GetNativeTimerId(bar, 10), 0);
    host.Send(WM_LBUTTONUP, 0, down.x, down.y);
    EXPECT_EQ(host.pm.GetNativeTimerId(bar, 10), -1);
}

TEST(ScrollBar, ContainerShowsAndHidesItsBar) {
    Host host(100, 200);
    ASSERT_NE(host.Load("<Window><VerticalLayout name=\"v\" vscrollbar=\"true\">"
                        "<Control name=\"tall\" height=\"300\"/></VerticalLayout></Window>"),
              nullptr);
    auto* v = static_cast<CContainerUI*>(host.Find("v"));
    ASSERT_NE(v->GetVerticalScrollBar(), nullptr);
    EXPECT_TRUE(v->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(v->GetVerticalScrollBar()->GetScrollRange(), 100);
    // the wheel towards the user scrolls down
    host.Send(WM_MOUSEMOVE, 0, 20, 20);
    POINT screen{20, 20};
    host.wnd.ClientToScreen(&screen);
    ::SendMessage(host.wnd.GetSafeHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    EXPECT_GT(v->GetScrollPos().cy, 0);
    EXPECT_LT(host.Find("tall")->GetPos().top, 0);
    host.Find("tall")->SetFixedHeight(150);
    host.Layout();
    EXPECT_FALSE(v->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(v->GetVerticalScrollBar()->GetScrollPos(), 0);
}

TEST(Button, ClickNeedsPressAndReleaseInside) {
    Host host(300, 100);
    ASSERT_NE(host.Load("<Window><HorizontalLayout><Button name=\"b\" width=\"100\"/><Control name=\"x\"/>"
                        "</HorizontalLayout></Window>"),
              nullptr);
    auto* b = static_cast<CButtonUI*>(host.Find("b"));
    host.Send(WM_MOUSEMOVE, 0, 50, 50);
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, 50, 50);
    EXPECT_TRUE(b->GetButtonState() & UISTATE_PUSHED);
    host.Send(WM_MOUSEMOVE, MK_LBUTTON, 200, 50);  // out: still captured, not pushed
    EXPECT_FALSE(b->GetButtonState() & UISTATE_PUSHED);
    host.Send(WM_MOUSEMOVE, MK_LBUTTON, 60, 50);  // back in
    EXPECT_TRUE(b->GetButtonState() & UISTATE_PUSHED);
    host.Send(WM_MOUSEMOVE, MK_LBUTTON, 200, 50);
    host.Send(WM_LBUTTONUP, 0, 200, 50);
    EXPECT_EQ(host.recorder.Count("click:b"), 0);
    host.Click(50, 50);
    EXPECT_EQ(host.recorder.Count("click:b"), 1);
    // Space on the focused button activates it.
    b->SetFocus();
    ::SendMessage(host.wnd.GetSafeHwnd(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(host.recorder.Count("click:b"), 2);
}

TEST(Option, GroupsAndCheckBoxes) {
    Host host(300, 100);
    ASSERT_NE(host.Load("<Window><HorizontalLayout>"
                        "<Option name=\"o1\" group=\"g\" selected=\"true\"/><Option name=\"o2\" group=\"g\"/>"
                        "<Option name=\"o3\" group=\"g\"/><CheckBox name=\"c\"/>"
                        "</HorizontalLayout></Window>"),
              nullptr);
    auto* o1 = static_cast<COptionUI*>(host.Find("o1"));
    auto* o2 = static_cast<COptionUI*>(host.Find("o2"));
    auto* o3 = static_cast<COptionUI*>(host.Find("o3"));
    auto* c = static_cast<COptionUI*>(host.Find("c"));
    ASSERT_NE(host.pm.GetGroup("g"), nullptr);
    EXPECT_EQ(host.pm.GetGroup("g")->GetSize(), 3);
    host.recorder.log.clear();
    POINT p2 = wltest::Centre(o2);
    host.Click(p2.x, p2.y);
    EXPECT_TRUE(o2->IsSelected());
    EXPECT_FALSE(o1->IsSelected());
    EXPECT_FALSE(o3->IsSelected());
    EXPECT_EQ(host.recorder.log, (std::vector<std::string>{"killfocus:o1", "setfocus:o2", "click:o2", "selectchanged:o2"}));
    host.Click(p2.x, p2.y);  // clicking the selected one keeps it and reports again
    EXPECT_TRUE(o2->IsSelected());
    EXPECT_EQ(host.recorder.Count("selectchanged:o2"), 2);
    POINT pc = wltest::Centre(c);
    host.Click(pc.x, pc.y);
    EXPECT_TRUE(c->IsSelected());
    host.Click(pc.x, pc.y);
    EXPECT_FALSE(c->IsSelected());
    EXPECT_EQ(host.recorder.Count("selectchanged:c"), 2);
    o3->SetGroup(nullptr);
    EXPECT_EQ(host.pm.GetGroup("g")->GetSize(), 2);
}

TEST(Layouts, SplitterResizesWithinMinimumAndMaximum) {
    Host host(200, 300);
    ASSERT_NE(host.Load("<Window><VerticalLayout>"
                        "<VerticalLayout name=\"top\" height=\"100\" sepheight=\"4\" sepimm=\"true\" minheight=\"50\" "
                        "maxheight=\"150\"/><Control name=\"rest\"/></VerticalLayout></Window>"),
              nullptr);
    CControlUI* top = host.Find("top");
    EXPECT_EQ(top->GetBehaviourFlags(), UIFLAG_SETCURSOR);
    EXPECT_EQ(top->GetHeight(), 100);
    host.Send(WM_MOUSEMOVE, 0, 100, 98);
    host.Send(WM_LBUTTONDOWN, MK_LBUTTON, 100, 98);
    host.Send(WM_MOUSEMOVE, MK_LBUTTON, 100, 128);
    host.Layout();
    EXPECT_EQ(top->GetHeight(), 130);
    host.Send(WM_MOUSEMOVE, MK_LBUTTON, 100, 298);  // past the maximum
    host.Layout();
    EXPECT_EQ(top->GetHeight(), 150);
    host.Send(WM_LBUTTONUP, 0, 100, 298);
    host.Layout();
    EXPECT_EQ(host.Find("rest")->GetPos().top, 150);
}

TEST(Layouts, RelativeFloatFollowsTheParentsGrowth) {
    Host host(200, 100);
    ASSERT_NE(host.Load("<Window><VerticalLayout name=\"v\">"
                        "<Control name=\"r\" float=\"true\" pos=\"10,10,30,30\" relativepos=\"100,0,0,100\"/>"
                        "</VerticalLayout></Window>"),
              nullptr);
    CControlUI* r = host.Find("r");
    EXPECT_EQ(r->GetPos().left, 10);
    host.wnd.SetWindowPos(nullptr, 0, 0, 260, 140, SWP_NOMOVE | SWP_NOZORDER);
    host.Layout();
    EXPECT_EQ(r->GetPos().left, 70);     // moved by all of the 60 pixels of growth
    EXPECT_EQ(r->GetPos().bottom, 70);   // grown by all of the 40
}

namespace {
class FakeTabs : public CContainerUI, public ITabLayoutUI {
public:
    std::vector<int> selected;
    void* GetInterface(const char* name) override {
        if (strcmp(name, "ITabLayout") == 0) return static_cast<ITabLayoutUI*>(this);
        return CContainerUI::GetInterface(name);
    }
    bool SelectItem(int index) override {
        selected.push_back(index);
        return true;
    }
};
}  // namespace

TEST(Button, BoundTabIsSwitchedAfterTheClick) {
    Host host(300, 100);
    ASSERT_NE(host.Load("<Window><HorizontalLayout name=\"row\"><Button name=\"b\" width=\"100\" "
                        "bindtabindex=\"2\" bindtablayoutname=\"tabs\"/></HorizontalLayout></Window>"),
              nullptr);
    auto* tabs = new FakeTabs;
    tabs->SetName("tabs");
    static_cast<CContainerUI*>(host.Find("row"))->Add(tabs);
    host.Layout();
    host.Click(50, 50);
    EXPECT_EQ(host.recorder.Count("click:b"), 1);
    EXPECT_EQ(tabs->selected, (std::vector<int>{2}));
}
