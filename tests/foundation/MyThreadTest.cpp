#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <latch>

#include "foundation/MyThread.h"

using namespace std::chrono_literals;

namespace {

class ReturnsSeven : public CMyThread {
public:
    ~ReturnsSeven() override { Stop(); }
    int steps = 0;

protected:
    void OnStart() override { steps = steps * 10 + 1; }
    int Run() override {
        steps = steps * 10 + 2;
        return 7;
    }
    void OnEnd() override { steps = steps * 10 + 3; }
};

// Sleeps until stopped; a lost stop request would keep it asleep for an hour.
class Sleeper : public CMyThread {
public:
    ~Sleeper() override { Stop(); }

protected:
    int Run() override { return WaitForStop(1h) ? 1 : 0; }
};

class SelfStopper : public CMyThread {
public:
    ~SelfStopper() override { Stop(); }

protected:
    int Run() override {
        Stop();  // must not wait for itself
        return IsStopRequested() ? 5 : 0;
    }
};

class SelfDeleting : public CMyThread {
public:
    SelfDeleting(std::latch& release, std::promise<void>& deleted)
        : m_release(release), m_deleted(deleted) {}
    ~SelfDeleting() override { m_deleted.set_value(); }

protected:
    int Run() override {
        m_release.wait();
        return 0;
    }

private:
    std::latch& m_release;
    std::promise<void>& m_deleted;
};

}  // namespace

TEST(MyThread, RunResultIsExitCodeAndEndsIdle) {
    ReturnsSeven t;
    EXPECT_TRUE(t.IsIdle());
    EXPECT_FALSE(t.IsEnded());
    ASSERT_TRUE(t.Start());
    t.Stop();  // waits for the end
    EXPECT_EQ(t.GetExitCode(), 7);
    EXPECT_EQ(t.steps, 123);
    EXPECT_TRUE(t.IsIdle());
    EXPECT_TRUE(t.IsEnded());
    EXPECT_NE(t.GetThreadId(), 0u);

    // It may be started again, and a Stop after the end returns at once.
    ASSERT_TRUE(t.Start());
    t.Stop();
    t.Stop();
    EXPECT_EQ(t.steps, 123123);
}

TEST(MyThread, StopRightAfterStartIsNeverLost) {
    for (int i = 0; i < 200; ++i) {
        Sleeper t;
        ASSERT_TRUE(t.Start());
        t.Stop();
        ASSERT_EQ(t.GetExitCode(), 1) << "round " << i;
        ASSERT_TRUE(t.IsEnded());
    }
}

TEST(MyThread, RequestStopRightAfterStartIsNeverLost) {
    Sleeper t;
    ASSERT_TRUE(t.Start());
    t.RequestStop();
    t.Stop();
    EXPECT_EQ(t.GetExitCode(), 1);
}

TEST(MyThread, StartWhileRunningIsRefused) {
    Sleeper t;
    ASSERT_TRUE(t.Start());
    EXPECT_FALSE(t.Start());
    t.Stop();
    EXPECT_TRUE(t.Start()) << "restart after the stop";
    t.Stop();
}

TEST(MyThread, StopOnUnstartedThreadReturnsAtOnce) {
    Sleeper t;
    t.Stop();
    t.RequestStop();
    EXPECT_TRUE(t.IsIdle());
    EXPECT_FALSE(t.IsEnded());
    EXPECT_FALSE(t.IsStopRequested());
}

TEST(MyThread, StopFromTheWorkerItselfDoesNotDeadlock) {
    SelfStopper t;
    ASSERT_TRUE(t.Start());
    t.Stop();
    EXPECT_EQ(t.GetExitCode(), 5);
}

TEST(MyThread, AutoDeleteFreesTheObjectWhenTheThreadEnds) {
    std::latch release(1);
    std::promise<void> deleted;
    auto* t = new SelfDeleting(release, deleted);
    t->SetAutoDelete(true);
    ASSERT_TRUE(t->Start());
    auto destroyed = deleted.get_future();
    EXPECT_NE(destroyed.wait_for(0s), std::future_status::ready) << "deleted while running";
    release.count_down();
    EXPECT_EQ(destroyed.wait_for(20s), std::future_status::ready)
        << "the thread ended but its object was never deleted";
}
