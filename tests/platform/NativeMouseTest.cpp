// Native controls get the mouse as messages: in their own handlers and in procedures put in
// front of them, before the toolkit widget sees it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/App.h"
#include "platform/Controls.h"
#include "platform/Input.h"

namespace {

using platform::InjectMouse;

struct Host : CWnd {
    std::vector<std::pair<UINT, UINT>> scrolls;  // (code, pos)
    std::vector<std::pair<HWND, LPARAM>> cursorAsks;
    bool answerCursor = false;
    int wheels = 0;
    BOOL OnMouseWheel(UINT, short, CPoint) override {
        ++wheels;
        return TRUE;
    }
    Host() { CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 400), nullptr, 0); }
    void OnVScroll(UINT code, UINT pos, CWnd*) override { scrolls.emplace_back(code, pos); }
    BOOL OnSetCursor(CWnd* wnd, UINT hit, UINT msg) override {
        cursorAsks.emplace_back(wnd ? wnd->m_hWnd : nullptr, MAKELPARAM(hit, msg));
        if (!answerCursor) return FALSE;
        ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
        return TRUE;
    }
};

struct Seen {
    UINT msg;
    int x, y;
    bool operator==(const Seen& o) const { return msg == o.msg && x == o.x && y == o.y; }
};

TEST(NativeMouse, EveryControlSeesItsMouseInClientCoordinates) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<CNativeCtrl>(CWnd*)> make;
    };
    const CRect rc(10, 10, 260, 210);
    const std::vector<Case> cases = {
        {"edit", [&](CWnd* p) {
             auto c = std::make_unique<CEdit>();
             EXPECT_TRUE(c->Create(WS_CHILD | WS_VISIBLE | WS_BORDER, rc, p, 5));
             return std::unique_ptr<CNativeCtrl>(std::move(c));
         }},
        {"multi-line edit", [&](CWnd* p) {
             auto c = std::make_unique<CEdit>();
             EXPECT_TRUE(c->Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, rc, p, 5));
             return std::unique_ptr<CNativeCtrl>(std::move(c));
         }},
        {"rich edit", [&](CWnd* p) {
             auto c = std::make_unique<CRichEditCtrl>();
             EXPECT_TRUE(c->Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, rc, p, 5));
             return std::unique_ptr<CNativeCtrl>(std::move(c));
         }},
        {"combo box", [&](CWnd* p) {
             auto c = std::make_unique<CComboBox>();
             EXPECT_TRUE(c->Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, rc, p, 5));
             return std::unique_ptr<CNativeCtrl>(std::move(c));
         }},
        {"list box", [&](CWnd* p) {
             auto c = std::make_unique<CListBox>();
             EXPECT_TRUE(c->Create(WS_CHILD | WS_VISIBLE | LBS_NOTIFY, rc, p, 5));
             return std::unique_ptr<CNativeCtrl>(std::move(c));
         }},
        {"date picker", [&](CWnd* p) {
             auto c = std::make_unique<CDateTimeCtrl>();
             EXPECT_TRUE(c->Create(WS_CHILD | WS_VISIBLE, rc, p, 5));
             return std::unique_ptr<CNativeCtrl>(std::move(c));
         }},
        {"month calendar", [&](CWnd* p) {
             auto c = std::make_unique<CMonthCalCtrl>();
             EXPECT_TRUE(c->Create(WS_CHILD | WS_VISIBLE, rc, p, 5));
             return std::unique_ptr<CNativeCtrl>(std::move(c));
         }},
        {"progress", [&](CWnd* p) {
             auto c = std::make_unique<CProgressCtrl>();
             EXPECT_TRUE(c->Create(WS_CHILD | WS_VISIBLE, rc, p, 5));
             return std::unique_ptr<CNativeCtrl>(std::move(c));
         }},
        {"scroll bar", [&](CWnd* p) {
             auto c = std::make_unique<CScrollBar>();
             EXPECT_TRUE(c->Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(10, 10, 30, 210), p, 5));
             return std::unique_ptr<CNativeCtrl>(std::move(c));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Host host;
        std::unique_ptr<CNativeCtrl> ctrl = c.make(&host);
        std::vector<Seen> seen;
        ctrl->SubclassWindowProc([&](UINT msg, WPARAM wp, LPARAM lp, const auto& previous) {
            if ((msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK) || msg == WM_MOUSEWHEEL)
                seen.push_back({msg, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            else if (msg == WM_SETCURSOR)
                seen.push_back({msg, LOWORD(lp), HIWORD(lp)});
            return previous(msg, wp, lp);
        });
        // a point well inside, also inside the widgets within (viewport, calendar cells)
        InjectMouse(ctrl.get(), WM_MOUSEMOVE, 12, 40);
        InjectMouse(ctrl.get(), WM_LBUTTONDOWN, 12, 40);
        InjectMouse(ctrl.get(), WM_LBUTTONUP, 12, 40);
        InjectMouse(ctrl.get(), WM_RBUTTONDOWN, 12, 41);
        InjectMouse(ctrl.get(), WM_RBUTTONUP, 12, 41);
        InjectMouse(ctrl.get(), WM_MOUSEWHEEL, 12, 40, 0, -120);
        ASSERT_EQ(seen.size(), 9u) << [&] {
            std::string all;
            for (auto& m : seen) all += std::to_string(m.msg) + " ";
            return all;
        }();
        EXPECT_EQ(seen[0], (Seen{WM_SETCURSOR, HTCLIENT, WM_MOUSEMOVE}));
        EXPECT_EQ(seen[1], (Seen{WM_MOUSEMOVE, 12, 40}));
        EXPECT_EQ(seen[2], (Seen{WM_SETCURSOR, HTCLIENT, WM_LBUTTONDOWN}));
        EXPECT_EQ(seen[3], (Seen{WM_LBUTTONDOWN, 12, 40}));
        EXPECT_EQ(seen[4], (Seen{WM_LBUTTONUP, 12, 40}));
        EXPECT_EQ(seen[5], (Seen{WM_SETCURSOR, HTCLIENT, WM_RBUTTONDOWN}));
        EXPECT_EQ(seen[6], (Seen{WM_RBUTTONDOWN, 12, 41}));
        EXPECT_EQ(seen[7], (Seen{WM_RBUTTONUP, 12, 41}));
        // the wheel carries screen coordinates
        CPoint screen(12, 40);
        ctrl->ClientToScreen(&screen);
        EXPECT_EQ(seen[8], (Seen{WM_MOUSEWHEEL, screen.x, screen.y}));
        // the parent is asked for the cursor (a child's default), and chooses here
        ASSERT_EQ(host.cursorAsks.size(), 3u);
        EXPECT_EQ(host.cursorAsks[0].first, ctrl->m_hWnd);
        host.answerCursor = true;
        InjectMouse(ctrl.get(), WM_MOUSEMOVE, 13, 40);
        EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_HAND));
    }
}

// The skinned edit's behaviour: the first click into an unfocused field selects all of it
// without the control's own handling; hover and leave come through TrackMouseEvent.
struct FirstClickEdit : CEdit {
    int hovers = 0, leaves = 0;
    bool tracking = false;
    void OnLButtonDown(UINT flags, CPoint pt) override {
        if (CWnd::GetFocus() != this) {
            SetFocus();
            SetSel(0, -1);
            return;
        }
        CEdit::OnLButtonDown(flags, pt);
    }
    void OnMouseMove(UINT flags, CPoint pt) override {
        if (!tracking) {
            TRACKMOUSEEVENT tme{sizeof(tme), TME_HOVER | TME_LEAVE, m_hWnd, 1};
            tracking = ::TrackMouseEvent(&tme);
        }
        CEdit::OnMouseMove(flags, pt);
    }
    void OnMouseHover(UINT, CPoint) override { ++hovers; }
    void OnMouseLeave() override {
        ++leaves;
        tracking = false;
    }
};

TEST(NativeMouse, AnEditSubclassDecidesWhatAClickDoes) {
    Host host;
    FirstClickEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 210, 40), &host, 6));
    edit.SetWindowText("600000");
    InjectMouse(&edit, WM_LBUTTONDOWN, 30, 10);
    InjectMouse(&edit, WM_LBUTTONUP, 30, 10);
    EXPECT_EQ(CWnd::GetFocus(), &edit);
    int s = -1, e = -1;
    edit.GetSel(s, e);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(e, 6);
    // the next click is the control's own: the caret goes where it was clicked
    InjectMouse(&edit, WM_LBUTTONDOWN, 190, 10);
    InjectMouse(&edit, WM_LBUTTONUP, 190, 10);
    edit.GetSel(s, e);
    EXPECT_EQ(s, e);
    EXPECT_EQ(e, 6);
    // hover after the pointer rests, leave when it goes
    InjectMouse(&edit, WM_MOUSEMOVE, 50, 10);
    EXPECT_TRUE(edit.tracking);
    EXPECT_TRUE(platform::PumpUntil([&] { return edit.hovers == 1; }, 2000));
    platform::InjectMouseLeave(&edit);
    EXPECT_EQ(edit.leaves, 1);
}

TEST(NativeMouse, AScrollBarThatHandlesItsOwnMouseIsNotMovedByTheToolkit) {
    struct SkinnedBar : CScrollBar {
        int presses = 0;
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
            if (msg == WM_LBUTTONDOWN) {
                ++presses;  // the skinned bar works out the part itself
                GetParent()->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), (LPARAM)m_hWnd);
                return 0;
            }
            if (msg == WM_LBUTTONDBLCLK) return 1;
            return CScrollBar::WindowProc(msg, wp, lp);
        }
    };
    Host host;
    SkinnedBar skinned;
    CScrollBar plain;
    ASSERT_TRUE(skinned.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(10, 10, 30, 210), &host, 7));
    ASSERT_TRUE(plain.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(40, 10, 60, 210), &host, 8));
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 99, 10, 0, 0};
    skinned.SetScrollInfo(&si);
    plain.SetScrollInfo(&si);
    // a press low on the track: the plain bar's own handling pages down
    InjectMouse(&plain, WM_LBUTTONDOWN, 10, 150);
    InjectMouse(&plain, WM_LBUTTONUP, 10, 150);
    ASSERT_FALSE(host.scrolls.empty());
    EXPECT_EQ(host.scrolls.front().first, (UINT)SB_PAGEDOWN);
    host.scrolls.clear();
    InjectMouse(&skinned, WM_LBUTTONDOWN, 10, 150);
    InjectMouse(&skinned, WM_LBUTTONUP, 10, 150);
    EXPECT_EQ(skinned.presses, 1);
    ASSERT_EQ(host.scrolls.size(), 1u) << host.scrolls[1].first << " " << host.scrolls.back().first;  // only what the subclass sent
    EXPECT_EQ(skinned.GetScrollPos(), 0);
}

TEST(NativeMouse, AWheelTheControlDoesNotUseGoesToItsParent) {
    Host host;
    CEdit line, text;
    ASSERT_TRUE(line.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 110, 30), &host, 9));
    ASSERT_TRUE(text.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, CRect(10, 40, 210, 100),
                            &host, 10));
    std::string lines;
    for (int i = 0; i < 50; ++i) lines += "line " + std::to_string(i) + "\n";
    text.SetWindowText(lines);
    InjectMouse(&line, WM_MOUSEWHEEL, 5, 5, 0, -120);
    EXPECT_EQ(host.wheels, 1);
    // the multi-line edit scrolls with it and keeps it
    InjectMouse(&text, WM_MOUSEWHEEL, 20, 20, 0, -120);
    EXPECT_EQ(host.wheels, 1);
    EXPECT_GT(text.GetScrollPos(SB_VERT), 0);
}

}  // namespace
