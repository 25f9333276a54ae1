// Windows and messages: lifecycle order, posting, timers, capture, hover and leave,
// keys and the key filter, modal loops.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/App.h"
#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "platform/Input.h"
#include "platform/Services.h"
#include "platform/Wnd.h"

void PrintTo(const CRect& r, std::ostream* os);  // DrawingTest.cpp

namespace {

// Records the messages it cares about, in order.
class Recorder : public CWnd {
public:
    std::vector<UINT> log;
    std::vector<std::pair<WPARAM, LPARAM>> params;
    bool paintWithDC = true;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
            case WM_NCCREATE:
            case WM_CREATE:
            case WM_SIZE:
            case WM_PAINT:
            case WM_DESTROY:
            case WM_NCDESTROY:
            case WM_SHOWWINDOW:
            case WM_TIMER:
            case WM_MOUSEMOVE:
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_MOUSEHOVER:
            case WM_MOUSELEAVE:
            case WM_CAPTURECHANGED:
            case WM_KEYDOWN:
            case WM_KEYUP:
            case WM_CHAR:
            case WM_ERASEBKGND:
            case WM_SETFOCUS:
            case WM_KILLFOCUS:
                log.push_back(msg);
                params.emplace_back(wp, lp);
                break;
            default:
                if (msg >= WM_USER) {
                    log.push_back(msg);
                    params.emplace_back(wp, lp);
                    return (LRESULT)wp * 2;
                }
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
    size_t Count(UINT msg) const { return (size_t)std::count(log.begin(), log.end(), msg); }
    int IndexOf(UINT msg) const {
        auto it = std::find(log.begin(), log.end(), msg);
        return it == log.end() ? -1 : int(it - log.begin());
    }
};

CRect Rc(int w, int h) {
    return CRect(0, 0, w, h);
}

TEST(WindowLifecycle, CreateSizeShowPaintDestroyInOrder) {
    auto* w = new Recorder;
    ASSERT_TRUE(w->CreateEx(0, nullptr, "t", WS_POPUP | WS_VISIBLE, Rc(120, 80), nullptr, 0));
    platform::PumpUntil([&] { return w->Count(WM_PAINT) > 0; }, 2000);
    ASSERT_GE(w->log.size(), 5u);
    EXPECT_EQ(w->log[0], (UINT)WM_NCCREATE);
    EXPECT_EQ(w->log[1], (UINT)WM_CREATE);
    EXPECT_LT(w->IndexOf(WM_CREATE), w->IndexOf(WM_SIZE));
    EXPECT_LT(w->IndexOf(WM_SIZE), w->IndexOf(WM_SHOWWINDOW));
    EXPECT_LT(w->IndexOf(WM_SHOWWINDOW), w->IndexOf(WM_PAINT));
    // the first WM_SIZE carries the client size
    auto sizeIt = w->params[w->IndexOf(WM_SIZE)];
    EXPECT_EQ(LOWORD(sizeIt.second), 120);
    EXPECT_EQ(HIWORD(sizeIt.second), 80);
    // the default paint erased the background
    EXPECT_LT(w->IndexOf(WM_PAINT), w->IndexOf(WM_ERASEBKGND));

    // a child is destroyed between its parent's WM_DESTROY and WM_NCDESTROY
    std::vector<std::string> order;
    struct Child : CWnd {
        std::vector<std::string>* order;
        void OnDestroy() override { order->push_back("child destroy"); }
        void OnNcDestroy() override { order->push_back("child ncdestroy"); }
    } child;
    child.order = &order;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, Rc(10, 10), w, 5));
    EXPECT_EQ(w->GetDlgItem(5), &child);
    struct Parent : Recorder {
        std::vector<std::string>* order;
        void OnDestroy() override { order->push_back("parent destroy"); }
        void OnNcDestroy() override { order->push_back("parent ncdestroy"); }
    };
    Parent p;
    p.order = &order;
    ASSERT_TRUE(p.CreateEx(0, nullptr, "", WS_POPUP, Rc(50, 50), nullptr, 0));
    ASSERT_TRUE(child.SetParent(&p) == w);
    HWND ph = p.m_hWnd, ch = child.m_hWnd;
    p.DestroyWindow();
    EXPECT_EQ(order, (std::vector<std::string>{"parent destroy", "child destroy", "child ncdestroy",
                                               "parent ncdestroy"}));
    EXPECT_FALSE(IsWindow(ph));
    EXPECT_FALSE(IsWindow(ch));
    EXPECT_EQ(child.m_hWnd, nullptr);
    w->DestroyWindow();
    delete w;
}

TEST(WindowLifecycle, DestroyingAgainDuringDestructionSendsNothingTwice) {
    // the window's own WM_DESTROY and a child's both destroy it again
    struct Counted : CWnd {
        int destroys = 0, ncdestroys = 0, post = 0;
        void OnDestroy() override {
            ++destroys;
            EXPECT_FALSE(DestroyWindow());
        }
        void OnNcDestroy() override { ++ncdestroys; }
        void PostNcDestroy() override { ++post; }
    } w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, Rc(40, 40), nullptr, 0));
    struct Child : CWnd {
        void OnDestroy() override { GetParent()->DestroyWindow(); }
    } child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD, Rc(10, 10), &w, 1));
    HWND h = w.m_hWnd;
    EXPECT_TRUE(w.DestroyWindow());
    EXPECT_EQ(w.destroys, 1);
    EXPECT_EQ(w.ncdestroys, 1);
    EXPECT_EQ(w.post, 1);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(child.m_hWnd, nullptr);
    // the window can be made again afterwards
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, Rc(40, 40), nullptr, 0));
    EXPECT_TRUE(w.DestroyWindow());
    EXPECT_EQ(w.destroys, 2);

    // an owner that deletes its popup when told the popup is going away
    struct Owner : CWnd {
        CWnd* popup = nullptr;
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
            if (msg == WM_USER + 9) {
                delete popup;
                popup = nullptr;
                return 0;
            }
            return CWnd::WindowProc(msg, wp, lp);
        }
    } owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "", WS_POPUP, Rc(40, 40), nullptr, 0));
    struct Popup : CWnd {
        void OnDestroy() override { GetParent()->SendMessage(WM_USER + 9); }
    };
    auto* popup = new Popup;
    owner.popup = popup;
    ASSERT_TRUE(popup->Create(nullptr, "", WS_CHILD, Rc(10, 10), &owner, 2));
    auto* grandchild = new CWnd;
    ASSERT_TRUE(grandchild->Create(nullptr, "", WS_CHILD, Rc(5, 5), popup, 3));
    HWND ph = popup->m_hWnd, gh = grandchild->m_hWnd;
    popup->DestroyWindow();
    EXPECT_EQ(owner.popup, nullptr);
    EXPECT_FALSE(IsWindow(ph));
    EXPECT_FALSE(IsWindow(gh));  // its children go with it
    EXPECT_EQ(owner.GetDlgItem(2), nullptr);
    EXPECT_FALSE(::PostMessage(ph, WM_USER, 0, 0));
    platform::ProcessPendingEvents();
    delete grandchild;
}

TEST(WindowPainting, InvalidatingWhilePaintingIsPaintedNext) {
    struct Animated : CWnd {
        std::vector<CRect> updates;
        void OnPaint() override {
            CPaintDC dc(this);
            updates.push_back(CRect(dc.m_ps.rcPaint));
            if (updates.size() == 1) {
                CRect next(5, 6, 15, 16);
                InvalidateRect(&next, FALSE);
            }
        }
    } w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, Rc(40, 40), nullptr, 0));
    platform::PumpUntil([&] { return w.updates.size() >= 2; }, 2000);
    ASSERT_EQ(w.updates.size(), 2u);
    EXPECT_EQ(w.updates[0], Rc(40, 40));
    EXPECT_EQ(w.updates[1], CRect(5, 6, 15, 16));
    CRect rc;
    EXPECT_FALSE(w.GetUpdateRect(&rc));
    // a handler that paints nothing validates all the same
    struct Idle : CWnd {
        int paints = 0;
        void OnPaint() override { ++paints; }
    } idle;
    ASSERT_TRUE(idle.CreateEx(0, nullptr, "", WS_POPUP, Rc(20, 20), nullptr, 0));
    idle.UpdateWindow();
    EXPECT_EQ(idle.paints, 1);
    EXPECT_FALSE(idle.GetUpdateRect(&rc));
    // the same while hidden: the next UpdateWindow paints what was invalidated meanwhile
    w.ShowWindow(SW_HIDE);
    w.updates.clear();
    w.Invalidate(FALSE);
    w.UpdateWindow();
    ASSERT_EQ(w.updates.size(), 1u);
    EXPECT_TRUE(w.GetUpdateRect(&rc));
    EXPECT_EQ(rc, CRect(5, 6, 15, 16));
    w.UpdateWindow();
    ASSERT_EQ(w.updates.size(), 2u);
    EXPECT_EQ(w.updates[1], CRect(5, 6, 15, 16));
}

TEST(WindowLifecycle, CreateFailsWhenOnCreateRefuses) {
    struct Refuse : CWnd {
        int OnCreate(LPCREATESTRUCT) override { return -1; }
    } w;
    EXPECT_FALSE(w.CreateEx(0, nullptr, "", WS_POPUP, Rc(10, 10), nullptr, 0));
    EXPECT_EQ(w.m_hWnd, nullptr);
    // a child without a parent is refused too
    CWnd orphan;
    EXPECT_FALSE(orphan.Create(nullptr, "", WS_CHILD, Rc(10, 10), nullptr, 0));
}

TEST(WindowMessages, SendReturnsResultAndPostArrivesInOrder) {
    Recorder w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, Rc(10, 10), nullptr, 0));
    w.log.clear();
    EXPECT_EQ(w.SendMessage(WM_USER + 1, 21, 0), 42);
    EXPECT_TRUE(w.PostMessage(WM_USER + 2, 1, 0));
    EXPECT_TRUE(w.PostMessage(WM_USER + 3, 2, 0));
    EXPECT_EQ(w.Count(WM_USER + 2), 0u);  // not before the loop runs
    platform::PumpUntil([&] { return w.Count(WM_USER + 3) == 1; }, 2000);
    EXPECT_EQ(w.log, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3}));
}

TEST(WindowMessages, PostFromOtherThreadsArrivesOnTheUiThread) {
    struct Counter : CWnd {
        std::atomic<int> n{0};
        bool offThread = false;
        std::thread::id ui = std::this_thread::get_id();
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
            if (msg == WM_USER + 7) {
                if (std::this_thread::get_id() != ui) offThread = true;
                ++n;
                return 0;
            }
            return CWnd::WindowProc(msg, wp, lp);
        }
    } w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, Rc(10, 10), nullptr, 0));
    HWND h = w.m_hWnd;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([h] {
            for (int i = 0; i < 250; ++i) ::PostMessage(h, WM_USER + 7, i, 0);
        });
    // a blocking send from another thread is answered by the UI thread
    std::atomic<LRESULT> sent{-1};
    std::thread sender([h, &sent] { sent = ::SendMessage(h, WM_GETTEXTLENGTH, 0, 0); });
    platform::PumpUntil([&] { return w.n == 1000 && sent != -1; }, 5000);
    for (auto& t : threads) t.join();
    sender.join();
    EXPECT_EQ(w.n, 1000);
    EXPECT_EQ(sent, 0);
    EXPECT_FALSE(w.offThread);
}

TEST(WindowMessages, PostingToADestroyedWindowIsRefusedOrDropped) {
    auto* w = new Recorder;
    ASSERT_TRUE(w->CreateEx(0, nullptr, "", WS_POPUP, Rc(10, 10), nullptr, 0));
    HWND h = w->m_hWnd;
    // queued before the window goes: dropped on arrival, never delivered to freed memory
    EXPECT_TRUE(::PostMessage(h, WM_USER + 1, 0, 0));
    w->DestroyWindow();
    delete w;
    EXPECT_FALSE(::PostMessage(h, WM_USER + 1, 0, 0));
    EXPECT_EQ(::SendMessage(h, WM_USER + 1, 0, 0), 0);
    EXPECT_EQ(CWnd::FromHandle(h), nullptr);
    std::thread t([h] { EXPECT_FALSE(::PostMessage(h, WM_USER + 1, 0, 0)); });
    t.join();
    platform::ProcessPendingEvents();
    // a new window never gets the old handle
    Recorder again;
    ASSERT_TRUE(again.CreateEx(0, nullptr, "", WS_POPUP, Rc(10, 10), nullptr, 0));
    EXPECT_NE(again.m_hWnd, h);
}

TEST(WindowTimers, IdsIncludingZeroFireRestartAndStop) {
    struct T : CWnd {
        std::vector<UINT_PTR> fired;
        void OnTimer(UINT_PTR id) override {
            fired.push_back(id);
            if (id == 0 && std::count(fired.begin(), fired.end(), 0u) == 3) KillTimer(0);
        }
    } w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, Rc(10, 10), nullptr, 0));
    EXPECT_NE(w.SetTimer(0, 5), 0u);
    EXPECT_NE(w.SetTimer(7, 5), 0u);
    EXPECT_NE(w.SetTimer(7, 5), 0u);  // the same id again restarts, it does not add a timer
    platform::PumpUntil(
        [&] {
            return std::count(w.fired.begin(), w.fired.end(), 7u) >= 3 &&
                   std::count(w.fired.begin(), w.fired.end(), 0u) >= 3;
        },
        5000);
    EXPECT_EQ(std::count(w.fired.begin(), w.fired.end(), 0u), 3);  // killed from its own handler
    EXPECT_TRUE(w.KillTimer(7));
    EXPECT_FALSE(w.KillTimer(7));
    EXPECT_FALSE(w.KillTimer(0));
    size_t n = w.fired.size();
    platform::PumpUntil([] { return false; }, 50);
    EXPECT_EQ(w.fired.size(), n);
}

TEST(WindowInput, CaptureRedirectsMouseAndHoverLeaveAreTracked) {
    Recorder a, b;
    ASSERT_TRUE(
        a.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    ASSERT_TRUE(
        b.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(200, 0, 300, 100), nullptr, 0));
    platform::ProcessPendingEvents();
    a.log.clear();
    a.params.clear();
    b.log.clear();
    b.params.clear();
    platform::InjectMouse(&a, WM_LBUTTONDOWN, 10, 10);
    a.SetCapture();
    EXPECT_EQ(CWnd::GetCapture(), &a);
    // moving over b while a holds the capture reaches a, in a's coordinates
    platform::InjectMouse(&b, WM_MOUSEMOVE, 5, 6, MK_LBUTTON);
    EXPECT_EQ(b.Count(WM_MOUSEMOVE), 0u);
    ASSERT_EQ(a.Count(WM_MOUSEMOVE), 1u);
    auto lp = a.params[a.IndexOf(WM_MOUSEMOVE)].second;
    EXPECT_EQ(GET_X_LPARAM(lp), 205);
    EXPECT_EQ(GET_Y_LPARAM(lp), 6);
    EXPECT_EQ(a.params[a.IndexOf(WM_MOUSEMOVE)].first & MK_LBUTTON, (WPARAM)MK_LBUTTON);
    platform::InjectMouse(&b, WM_LBUTTONUP, 5, 6);
    EXPECT_EQ(a.Count(WM_LBUTTONUP), 1u);
    ReleaseCapture();
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_EQ(a.Count(WM_CAPTURECHANGED), 1u);
    platform::InjectMouse(&b, WM_MOUSEMOVE, 5, 6);
    EXPECT_EQ(b.Count(WM_MOUSEMOVE), 1u);

    // hover after the pointer rests, leave when it goes; each once per request
    a.log.clear();
    a.params.clear();
    platform::InjectMouse(&a, WM_MOUSEMOVE, 30, 40);
    TRACKMOUSEEVENT tme{sizeof(tme), TME_HOVER | TME_LEAVE, a.m_hWnd, 10};
    ASSERT_TRUE(TrackMouseEvent(&tme));
    platform::PumpUntil([&] { return a.Count(WM_MOUSEHOVER) > 0; }, 2000);
    ASSERT_EQ(a.Count(WM_MOUSEHOVER), 1u);
    EXPECT_EQ(a.params[a.IndexOf(WM_MOUSEHOVER)].second, MAKELPARAM(30, 40));
    platform::PumpUntil([] { return false; }, 40);
    EXPECT_EQ(a.Count(WM_MOUSEHOVER), 1u);
    platform::InjectMouseLeave(&a);
    platform::InjectMouseLeave(&a);
    EXPECT_EQ(a.Count(WM_MOUSELEAVE), 1u);
    // asking for leave while the pointer is away reports it straight away
    ASSERT_TRUE(TrackMouseEvent(&tme));
    platform::PumpUntil([&] { return a.Count(WM_MOUSELEAVE) == 2; }, 2000);
    EXPECT_EQ(a.Count(WM_MOUSELEAVE), 2u);
}

TEST(WindowInput, KeyRepeatModifiersCharsAndTheKeyFilter) {
    Recorder w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, Rc(50, 50), nullptr, 0));
    w.SetFocus();
    EXPECT_EQ(CWnd::GetFocus(), &w);
    w.log.clear();
    w.params.clear();
    platform::InjectKey(VK_DOWN, {}, 0, false);
    platform::InjectKey(VK_DOWN, {}, 0, true);
    ASSERT_EQ(w.Count(WM_KEYDOWN), 2u);
    std::vector<LPARAM> downs;
    for (size_t i = 0; i < w.log.size(); ++i)
        if (w.log[i] == WM_KEYDOWN) downs.push_back(w.params[i].second);
    EXPECT_EQ(LOWORD(downs[0]), 1);      // repeat count
    EXPECT_EQ((downs[0] >> 30) & 1, 0);  // first press
    EXPECT_EQ((downs[1] >> 30) & 1, 1);  // held down
    EXPECT_EQ(w.Count(WM_CHAR), 0u);     // arrows type nothing

    // typed text arrives as WM_CHAR after the key, one code point each
    w.log.clear();
    w.params.clear();
    platform::InjectKey('A', "A", MK_SHIFT);
    ASSERT_EQ(w.Count(WM_CHAR), 1u);
    EXPECT_EQ(w.params[w.IndexOf(WM_CHAR)].first, (WPARAM)'A');
    EXPECT_LT(w.IndexOf(WM_KEYDOWN), w.IndexOf(WM_CHAR));
    platform::InjectText("中");
    EXPECT_EQ(w.params.back().first, (WPARAM)0x4E2D);

    // Shift is down as far as the handler is concerned
    struct ShiftSeen : CWnd {
        bool shift = false;
        void OnKeyDown(UINT, UINT, UINT) override { shift = GetKeyState(VK_SHIFT) < 0; }
    } s;
    ASSERT_TRUE(s.CreateEx(0, nullptr, "", WS_POPUP, Rc(10, 10), nullptr, 0));
    platform::InjectKey(VK_F1, {}, MK_SHIFT, false, &s);
    EXPECT_TRUE(s.shift);

    // the application filter sees the key first and can eat it
    std::vector<WPARAM> seen;
    int cookie = platform::AddKeyFilter([&](MSG& m) {
        if (m.message == WM_KEYDOWN) seen.push_back(m.wParam);
        return m.wParam == VK_F5;
    });
    w.log.clear();
    platform::InjectKey(VK_F5, {}, 0, false, &w);
    platform::InjectKey(VK_F6, {}, 0, false, &w);
    platform::InjectKey(VK_F7, {}, 0, true, &w);  // held down: every repeat is seen
    platform::InjectKey(VK_F7, {}, 0, true, &w);
    platform::RemoveKeyFilter(cookie);
    EXPECT_EQ(seen, (std::vector<WPARAM>{VK_F5, VK_F6, VK_F7, VK_F7}));
    EXPECT_EQ(w.Count(WM_KEYDOWN), 3u);

    // pre-translation runs from the target up through its parents
    struct Eater : CWnd {
        BOOL PreTranslateMessage(MSG* m) override {
            return m->message == WM_KEYDOWN && m->wParam == VK_ESCAPE;
        }
    } parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "", WS_POPUP, Rc(40, 40), nullptr, 0));
    Recorder child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, Rc(10, 10), &parent, 1));
    platform::InjectKey(VK_ESCAPE, {}, 0, false, &child);
    platform::InjectKey(VK_SPACE, " ", 0, false, &child);
    EXPECT_EQ(child.Count(WM_KEYDOWN), 1u);
    EXPECT_EQ(child.params[child.IndexOf(WM_KEYDOWN)].first, (WPARAM)VK_SPACE);
}

TEST(WindowInput, SetCursorComesBeforeEachMoveAndTheParentMayAnswerIt) {
    struct Parent : CWnd {
        bool take = false;
        BOOL OnSetCursor(CWnd*, UINT hit, UINT msg) override {
            if (!take) return (BOOL)Default();
            ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
            return TRUE;
        }
    } parent;
    ASSERT_TRUE(
        parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    struct Child : Recorder {
        BOOL OnSetCursor(CWnd* w, UINT hit, UINT msg) override {
            EXPECT_EQ(hit, (UINT)HTCLIENT);
            EXPECT_EQ(msg, (UINT)WM_MOUSEMOVE);
            return CWnd::OnSetCursor(w, hit, msg);
        }
        void OnMouseMove(UINT, CPoint) override { seenCursor = ::GetCursor(); }
        HCURSOR seenCursor = nullptr;
    } child;
    ASSERT_TRUE(
        child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(10, 10, 60, 60), &parent, 1));
    platform::InjectMouse(&child, WM_MOUSEMOVE, 5, 5);
    EXPECT_EQ(child.seenCursor, ::LoadCursor(nullptr, IDC_ARROW));
    parent.take = true;
    platform::InjectMouse(&child, WM_MOUSEMOVE, 6, 5);
    EXPECT_EQ(child.seenCursor, ::LoadCursor(nullptr, IDC_HAND));
    EXPECT_NE(::LoadCursor(nullptr, IDC_HAND), ::LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(::LoadCursor(nullptr, 4242), nullptr);  // no such cursor resource
}

TEST(WindowModal, LoopsNestAndEndByPostedMessages) {
    struct Modal : CWnd {
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
            if (msg == WM_USER + 9) {
                EndModalLoop((int)wp);
                return 0;
            }
            return CWnd::WindowProc(msg, wp, lp);
        }
    } outer, inner;
    ASSERT_TRUE(outer.CreateEx(0, nullptr, "", WS_POPUP, Rc(10, 10), nullptr, 0));
    ASSERT_TRUE(inner.CreateEx(0, nullptr, "", WS_POPUP, Rc(10, 10), nullptr, 0));
    int innerResult = 0;
    std::thread poster;
    struct Starter : CWnd {
        std::function<void()> fn;
        void OnTimer(UINT_PTR id) override {
            KillTimer(id);
            fn();
        }
    } starter;
    ASSERT_TRUE(starter.CreateEx(0, nullptr, "", WS_POPUP, Rc(10, 10), nullptr, 0));
    starter.fn = [&] {
        HWND o = outer.m_hWnd, i = inner.m_hWnd;
        // from another thread: end the inner loop, then the outer one
        poster = std::thread([o, i] {
            ::PostMessage(i, WM_USER + 9, 11, 0);
            ::PostMessage(o, WM_USER + 9, 22, 0);
        });
        innerResult = inner.RunModalLoop();
    };
    starter.SetTimer(1, 1);
    int outerResult = outer.RunModalLoop();
    poster.join();
    EXPECT_EQ(innerResult, 11);
    EXPECT_EQ(outerResult, 22);

    // two loops on one window, which is destroyed inside the inner one: both end
    Modal twice;
    ASSERT_TRUE(twice.CreateEx(0, nullptr, "", WS_POPUP, Rc(10, 10), nullptr, 0));
    int nested = 0;
    starter.fn = [&] {
        twice.PostMessage(WM_CLOSE);
        nested = twice.RunModalLoop();
    };
    starter.SetTimer(1, 1);
    EXPECT_EQ(twice.RunModalLoop(), -1);
    EXPECT_EQ(nested, -1);
    EXPECT_EQ(twice.m_hWnd, nullptr);
}

TEST(WindowModal, DialogEndsWithTheCommandPostedToIt) {
    struct Dlg : CDialog {
        bool inited = false;
        BOOL OnInitDialog() override {
            inited = true;
            PostMessage(WM_COMMAND, IDOK, 0);
            return TRUE;
        }
    } dlg;
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, Rc(100, 100), nullptr, 0));
    Dlg* p = &dlg;
    p->m_pParentWnd = &owner;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(dlg.inited);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_TRUE(owner.IsWindowEnabled());

    // Escape reaches the dialog as IDCANCEL
    struct EscDlg : CDialog {
        BOOL OnInitDialog() override {
            SetFocus();
            SetTimer(1, 1);
            return TRUE;
        }
        void OnTimer(UINT_PTR) override {
            KillTimer(1);
            platform::InjectKey(VK_ESCAPE, {}, 0, false, this);
        }
    } esc;
    EXPECT_EQ(esc.DoModal(), IDCANCEL);

    // the owner is disabled while the dialog runs, the dialog and its controls are not
    struct Typed : CDialog {
        CEdit edit;
        BOOL dialogEnabled = FALSE, editEnabled = FALSE, ownerEnabled = TRUE;
        std::string text;
        BOOL OnInitDialog() override {
            edit.Create(WS_CHILD | WS_VISIBLE, CRect(5, 5, 100, 25), this, 10);
            SetTimer(1, 1);
            return TRUE;
        }
        void OnTimer(UINT_PTR) override {
            KillTimer(1);
            dialogEnabled = IsWindowEnabled();
            editEnabled = edit.IsWindowEnabled();
            ownerEnabled = GetParent()->IsWindowEnabled();
            platform::InjectMouse(&edit, WM_LBUTTONDOWN, 5, 5);
            platform::InjectMouse(&edit, WM_LBUTTONUP, 5, 5);
            edit.SetFocus();
            platform::InjectText("42");
            text = edit.GetWindowText();
            EndDialog(IDOK);
        }
    } typed;
    typed.m_pParentWnd = &owner;
    EXPECT_EQ(typed.DoModal(), IDOK);
    EXPECT_TRUE(typed.dialogEnabled);
    EXPECT_TRUE(typed.editEnabled);
    EXPECT_FALSE(typed.ownerEnabled);
    EXPECT_EQ(typed.text, "42");
    EXPECT_TRUE(owner.IsWindowEnabled());
    // a popup that was disabled on its own stays so through its owner's enable and disable
    CWnd popup;
    ASSERT_TRUE(popup.CreateEx(0, nullptr, "", WS_POPUP | WS_DISABLED, Rc(20, 20), &owner, 0));
    owner.EnableWindow(FALSE);
    owner.EnableWindow(TRUE);
    EXPECT_FALSE(popup.IsWindowEnabled());
}

TEST(WindowFrameless, HitTestingStartsSystemMoveOrResize) {
    struct Frameless : CWnd {
        std::vector<WPARAM> nc;
        LRESULT OnNcHitTest(CPoint pt) override {
            CPoint c = pt;
            ScreenToClient(&c);
            if (c.y < 10) return HTCAPTION;
            if (c.x > 90) return HTRIGHT;
            return HTCLIENT;
        }
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
            if (msg == WM_NCLBUTTONDOWN) nc.push_back(wp);
            if (msg == WM_LBUTTONDOWN) nc.push_back(0);
            return CWnd::WindowProc(msg, wp, lp);
        }
    } w;
    ASSERT_TRUE(
        w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(10, 10, 110, 110), nullptr, 0));
    platform::InjectMouse(&w, WM_LBUTTONDOWN, 50, 5);
    platform::InjectMouse(&w, WM_LBUTTONUP, 50, 5);
    platform::InjectMouse(&w, WM_LBUTTONDOWN, 95, 50);
    platform::InjectMouse(&w, WM_LBUTTONUP, 95, 50);
    platform::InjectMouse(&w, WM_LBUTTONDOWN, 50, 50);
    platform::InjectMouse(&w, WM_LBUTTONUP, 50, 50);
    EXPECT_EQ(w.nc, (std::vector<WPARAM>{HTCAPTION, HTRIGHT, 0}));
    struct Case {
        LRESULT hit;
        int edges;
    };
    for (Case c :
         {Case{HTLEFT, 2}, Case{HTTOP, 1}, Case{HTRIGHT, 4}, Case{HTBOTTOM, 8}, Case{HTTOPLEFT, 3},
          Case{HTBOTTOMRIGHT, 12}, Case{HTCAPTION, 0}, Case{HTCLIENT, 0}})
        EXPECT_EQ(HitTestToResizeEdges(c.hit), c.edges) << c.hit;
}

TEST(WindowGeometry, RectsMappingStylesAndText) {
    CWnd top, child;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "窗口", WS_POPUP | WS_VISIBLE, CRect(100, 50, 300, 250),
                             nullptr, 0));
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(20, 30, 70, 90), &top, 3));
    CRect rc;
    child.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 50, 60));
    child.GetWindowRect(&rc);
    EXPECT_EQ(rc, CRect(120, 80, 170, 140));
    CPoint p(1, 2);
    child.MapWindowPoints(&top, &p, 1);
    EXPECT_EQ(p, CPoint(21, 32));
    EXPECT_EQ(top.GetWindowText(), "窗口");
    top.SetWindowText("新标题");
    EXPECT_EQ(top.GetWindowText(), "新标题");
    EXPECT_EQ(child.GetParent(), &top);
    EXPECT_EQ(child.GetTopLevelParent(), &top);
    child.ShowWindow(SW_HIDE);
    EXPECT_FALSE(child.IsWindowVisible());
    EXPECT_FALSE(child.GetStyle() & WS_VISIBLE);
    top.ModifyStyleEx(0, WS_EX_LAYERED);
    EXPECT_TRUE(top.SetLayeredWindowAttributes(0, 128, LWA_ALPHA));
    top.ModifyStyleEx(WS_EX_LAYERED, 0);
    EXPECT_FALSE(top.SetLayeredWindowAttributes(0, 128, LWA_ALPHA));
    // the metrics the skinned frames measure borders with, and the caret's blink
    EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CYEDGE), 2);
    EXPECT_GT(GetCaretBlinkTime(), 0u);
}

TEST(WindowGeometry, DialogGroupsRunFromOneGroupStartToTheNext) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, Rc(100, 100), nullptr, 0));
    // two groups: a b c | d e, with c hidden
    const DWORD styles[5] = {WS_GROUP | WS_VISIBLE, WS_VISIBLE, 0, WS_GROUP | WS_VISIBLE,
                             WS_VISIBLE};
    CWnd kids[5];
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(kids[i].Create(nullptr, "", WS_CHILD | styles[i], Rc(5, 5), &parent, 10 + i));
    EXPECT_EQ(parent.GetNextDlgGroupItem(&kids[0]), &kids[1]);
    EXPECT_EQ(parent.GetNextDlgGroupItem(&kids[1]), &kids[0]);  // c is hidden: wraps
    EXPECT_EQ(parent.GetNextDlgGroupItem(&kids[0], TRUE), &kids[1]);
    EXPECT_EQ(parent.GetNextDlgGroupItem(&kids[3]), &kids[4]);
    EXPECT_EQ(parent.GetNextDlgGroupItem(&kids[4]), &kids[3]);
    kids[1].EnableWindow(FALSE);
    EXPECT_EQ(parent.GetNextDlgGroupItem(&kids[0]), &kids[0]);  // alone in its group now
    EXPECT_EQ(parent.GetNextDlgGroupItem(&parent), nullptr);
}

TEST(WindowGeometry, SizeLimitsAndMovesAreReported) {
    struct Limited : CWnd {
        std::vector<UINT> log;
        RECT moving{};
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
            if (msg == WM_GETMINMAXINFO) {
                auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
                mmi->ptMinTrackSize = POINT{120, 90};
                mmi->ptMaxTrackSize = POINT{400, 300};
            }
            if (msg == WM_MOVING) moving = *reinterpret_cast<RECT*>(lp);
            if (msg == WM_GETMINMAXINFO || msg == WM_MOVING || msg == WM_WINDOWPOSCHANGED ||
                msg == WM_MOVE)
                log.push_back(msg);
            return CWnd::WindowProc(msg, wp, lp);
        }
    } w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 0));
    ASSERT_FALSE(w.log.empty());
    EXPECT_EQ(w.log[0], (UINT)WM_GETMINMAXINFO);
    CRect rc;
    w.GetClientRect(&rc);
    EXPECT_EQ(rc.Size(), CSize(120, 90));  // raised to the minimum
    w.MoveWindow(10, 20, 1000, 1000);
    w.GetClientRect(&rc);
    EXPECT_EQ(rc.Size(), CSize(400, 300));  // held to the maximum
    platform::ProcessPendingEvents();
    w.log.clear();
    w.MoveWindow(30, 40, 200, 100);
    platform::ProcessPendingEvents();
    auto at = [&](UINT m) { return std::find(w.log.begin(), w.log.end(), m) - w.log.begin(); };
    ASSERT_LT(at(WM_MOVING), (long)w.log.size());
    EXPECT_LT(at(WM_MOVING), at(WM_MOVE));
    EXPECT_LT(at(WM_WINDOWPOSCHANGED), at(WM_MOVE));
    EXPECT_EQ(w.moving.left, 30);
    EXPECT_EQ(w.moving.top, 40);
}

TEST(WindowGeometry, ColourKeyMakesThosePixelsSeeThrough) {
    struct Keyed : CWnd {
        void OnPaint() override {
            CPaintDC dc(this);
            CRect rc;
            GetClientRect(&rc);
            dc.FillSolidRect(&rc, RGB(255, 0, 255));
            CRect box(0, 0, 10, 10);
            dc.FillSolidRect(&box, RGB(0, 0, 200));
        }
    } w;
    ASSERT_TRUE(w.CreateEx(WS_EX_LAYERED, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 20, 20),
                           nullptr, 0));
    CBitmap before;
    ASSERT_TRUE(platform::CaptureWindow(&w, before));
    EXPECT_EQ(before.GetPixel(15, 15), RGB(255, 0, 255));
    ASSERT_TRUE(w.SetLayeredWindowAttributes(RGB(255, 0, 255), 255, LWA_COLORKEY));
    CBitmap after;
    ASSERT_TRUE(platform::CaptureWindow(&w, after));
    EXPECT_EQ(after.GetPixel(5, 5), RGB(0, 0, 200));
    EXPECT_NE(after.GetPixel(15, 15), RGB(255, 0, 255));
}

TEST(WindowGeometry, LayeredWindowShowsItsPerPixelAlphaPicture) {
    CWnd w;
    ASSERT_TRUE(w.CreateEx(WS_EX_LAYERED, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 10, 10),
                           nullptr, 0));
    // half-transparent white on the left, opaque red on the right
    std::vector<uint32_t> bits(20 * 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 20; ++x) bits[y * 20 + x] = x < 10 ? 0x80808080u : 0xFFFF0000u;
    CBitmap pic;
    ASSERT_TRUE(pic.CreateBitmap(20, 8, 1, 32, bits.data()));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&pic);
    POINT at{30, 40}, from{0, 0};
    SIZE size{20, 8};
    ASSERT_TRUE(w.UpdateLayeredWindow(&at, &size, &dc, &from, ULW_ALPHA));
    CRect rc;
    w.GetWindowRect(&rc);
    EXPECT_EQ(rc, CRect(30, 40, 50, 48));
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&w, shot));
    EXPECT_EQ(shot.GetPixel(15, 4), RGB(255, 0, 0));
    EXPECT_EQ(shot.GetPixel(5, 4), RGB(128, 128, 128));  // premultiplied, over nothing
    CWnd plain;
    ASSERT_TRUE(plain.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_FALSE(plain.UpdateLayeredWindow(&at, &size, &dc, &from, ULW_ALPHA));
}

}  // namespace

namespace {
// The layer's windows are all client area: a window made at the adjusted rectangle has the
// wanted client size, with or without caption and sizing border.
TEST(AdjustWindowRect, WindowMadeAtTheAdjustedRectHasTheWantedClientSize) {
    for (DWORD style : {DWORD(WS_POPUP), DWORD(WS_OVERLAPPEDWINDOW)}) {
        CRect rc(10, 20, 170, 140);
        ASSERT_TRUE(AdjustWindowRectEx(&rc, style, FALSE, 0));
        CWnd w;
        ASSERT_TRUE(w.CreateEx(0, nullptr, "", style, rc, nullptr, 0));
        CRect client;
        w.GetClientRect(&client);
        EXPECT_EQ(client.Size(), CSize(160, 120)) << style;
        w.DestroyWindow();
    }
    EXPECT_FALSE(AdjustWindowRectEx(nullptr, WS_POPUP, FALSE, 0));
    CRect rc(0, 0, 5, 5);
    EXPECT_TRUE(AdjustWindowRect(&rc, WS_CAPTION, FALSE));
}
}  // namespace

namespace {
// A disabled bar stays shown (the client area keeps its size) but looks disabled; enabling
// it brings back the very look it had.
TEST(EnableScrollBar, DisablesAndEnablesTheWindowsOwnBar) {
    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE | WS_VSCROLL,
                           CRect(0, 0, 120, 100), nullptr, 0));
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE, 0, 99, 20, 0, 0};
    w.SetScrollInfo(SB_VERT, &si);
    CRect client;
    w.GetClientRect(&client);
    auto barPixels = [&] {
        CBitmap shot;
        EXPECT_TRUE(platform::CaptureWindow(&w, shot));
        std::vector<COLORREF> px;
        for (int y = 0; y < shot.GetSize().cy; y += 2)
            for (int x = client.right; x < shot.GetSize().cx; ++x) px.push_back(shot.GetPixel(x, y));
        return px;
    };
    platform::ProcessPendingEvents();
    const auto enabled = barPixels();
    ASSERT_FALSE(enabled.empty()) << "no bar beside the client area";
    EXPECT_TRUE(w.EnableScrollBar(SB_VERT, ESB_DISABLE_BOTH));
    w.SetScrollInfo(SB_VERT, &si);  // setting the info keeps it disabled
    platform::ProcessPendingEvents();
    CRect after;
    w.GetClientRect(&after);
    EXPECT_EQ(after, client);
    EXPECT_NE(barPixels(), enabled) << "the disabled bar looks as before";
    EXPECT_TRUE(w.EnableScrollBar(SB_VERT, ESB_ENABLE_BOTH));
    platform::ProcessPendingEvents();
    EXPECT_EQ(barPixels(), enabled);
    EXPECT_FALSE(w.EnableScrollBar(SB_VERT, ESB_DISABLE_LTUP));  // one arrow alone
    EXPECT_FALSE(w.EnableScrollBar(SB_HORZ, ESB_DISABLE_BOTH));  // no such bar
    w.DestroyWindow();
}
}  // namespace
