// The threading contract: cross-thread sends never wait on a loop that is not running,
// and window calls off the UI thread are reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Wnd.h"

namespace {

class Doubler : public CWnd {
public:
    std::atomic<int> handled{0};
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_USER + 5) {
            ++handled;
            return (LRESULT)wp * 2;
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
};

TEST(Threading, ASendFromAnotherThreadIsAnsweredWhileTheLoopRuns) {
    Doubler w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    const HWND h = w.m_hWnd;
    std::atomic<LRESULT> answer{-1};
    std::thread t;
    // the sender starts from inside the loop: started before it, it would find no loop
    // running and be answered 0 at once, as the contract says
    platform::PostTask([&] { t = std::thread([&] { answer = ::SendMessage(h, WM_USER + 5, 21, 0); }); });
    EXPECT_TRUE(platform::PumpUntil([&] { return answer != -1; }, 5000));
    t.join();
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(w.handled, 1);
}

TEST(Threading, ASendWhileNoLoopRunsAnswersZeroAtOnceAndIsNeverDelivered) {
    Doubler w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    const HWND h = w.m_hWnd;
    // the UI thread waits for the sender without running a loop: the classic deadlock
    LRESULT answer = -1;
    std::thread t([&] { answer = ::SendMessage(h, WM_USER + 5, 21, 0); });
    t.join();
    EXPECT_EQ(answer, 0);
    platform::ProcessPendingEvents();
    EXPECT_EQ(w.handled, 0);
}

TEST(Threading, ASendStillQueuedWhenTheLoopEndsIsAnsweredZeroAndDropped) {
    Doubler w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    const HWND h = w.m_hWnd;
    std::atomic<bool> sending{false}, taskDone{false};
    std::atomic<LRESULT> answer{-1};
    std::thread t;
    // inside the loop, a task starts the sender and returns once the send is on its way;
    // the loop then ends before its next pass could answer it
    platform::PostTask([&] {
        t = std::thread([&] {
            sending = true;
            answer = ::SendMessage(h, WM_USER + 5, 21, 0);
        });
        while (!sending) std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        taskDone = true;
    });
    platform::PumpUntil([&] { return taskDone.load(); }, 5000);
    t.join();  // returns: the sender was not left waiting
    EXPECT_EQ(answer, 0);
    platform::ProcessPendingEvents();
    EXPECT_EQ(w.handled, 0);  // its arguments may be gone: never delivered later
}

TEST(Threading, WindowCallsOffTheUiThreadAreReportedAndPostingIsNot) {
    Doubler w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    const HWND h = w.m_hWnd;
    std::vector<std::string> reports;
    std::mutex m;
    platform::SetUiThreadViolationHandler([&](const std::string& text) {
        std::lock_guard lock(m);
        reports.push_back(text);
    });
    std::thread t([&] {
        EXPECT_TRUE(::PostMessage(h, WM_USER + 5, 1, 0));
        EXPECT_TRUE(::IsWindow(h));
        EXPECT_EQ(reports.size(), 0u);
        CWnd::FromHandle(h);
        w.Invalidate();
        GetProp(h, "x");
    });
    t.join();
    platform::SetUiThreadViolationHandler(nullptr);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_NE(reports[0].find("FromHandle"), std::string::npos);
    EXPECT_NE(reports[1].find("InvalidateRect"), std::string::npos);
    platform::ProcessPendingEvents();
    EXPECT_EQ(w.handled, 1);  // the post arrived
}
}  // namespace

// The font database read on a thread of its own at start-up: text drawn meanwhile on the UI
// thread comes out as it does once the reading is over.
TEST(Threading, TextDrawnWhileTheFontDatabaseIsReadElsewhereIsTheSame) {
    auto draw = [](std::vector<uint32_t>& pixels) {
        CDC dc;
        CBitmap bmp;
        void* bits = nullptr;
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateDIBSection(160, 40, &bits);
        dc.SelectObject(&bmp);
        dc.FillSolidRect(CRect(0, 0, 160, 40), RGB(255, 255, 255));
        CFont font;
        font.CreateFont(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "宋体");
        dc.SelectObject(&font);
        dc.SetTextColor(RGB(0, 0, 0));
        dc.TextOut(4, 4, "训练 Trend 123");
        const auto* p = static_cast<const uint32_t*>(bits);
        pixels.assign(p, p + 160 * 40);
    };
    std::vector<uint32_t> during, after;
    {
        platform::ToolkitWarmUp warmUp;
        draw(during);
    }
    draw(after);
    EXPECT_EQ(during, after);
    EXPECT_NE(std::count(after.begin(), after.end(), after.front()), long(after.size()))
        << "nothing was drawn";
}
