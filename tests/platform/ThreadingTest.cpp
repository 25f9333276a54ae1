// The threading contract: cross-thread sends never wait on a loop that is not running,
// and window calls off the UI thread are reported.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/App.h"
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
