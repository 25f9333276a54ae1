// Lazily created process-wide objects: one object however many threads ask at once.
#include "foundation/Singleton.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

std::atomic<int> g_constructed{0};
std::atomic<int> g_destroyed{0};

struct Slow {
    Slow() {
        ++g_constructed;
        // Long enough that every racing thread reaches the slot while this one builds.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ~Slow() { ++g_destroyed; }
    int value = 42;
};

TEST(LazySingleton, ThreadsRacingForTheFirstObjectAllGetTheSameOne) {
    g_constructed = 0;
    g_destroyed = 0;
    LazySingleton<Slow> slot;
    constexpr int kThreads = 12;
    std::vector<Slow*> seen(kThreads, nullptr);
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            while (!go.load()) std::this_thread::yield();
            seen[i] = slot.Get();
        });
    go = true;
    for (auto& t : threads) t.join();
    ASSERT_NE(seen[0], nullptr);
    for (Slow* p : seen) EXPECT_EQ(p, seen[0]);
    EXPECT_EQ(g_constructed.load(), 1);
    EXPECT_EQ(g_destroyed.load(), 0);  // no object was made and thrown away behind a caller
    EXPECT_EQ(seen[0]->value, 42);
    slot.Reset();
    EXPECT_EQ(g_destroyed.load(), 1);
}

TEST(LazySingleton, PeekDoesNotCreateAndResetStartsAfresh) {
    g_constructed = 0;
    LazySingleton<Slow> slot;
    EXPECT_EQ(slot.Peek(), nullptr);
    EXPECT_EQ(g_constructed.load(), 0);
    Slow* first = slot.Get();
    EXPECT_EQ(slot.Peek(), first);
    EXPECT_EQ(slot.Get(), first);
    EXPECT_EQ(g_constructed.load(), 1);
    slot.Reset();
    EXPECT_EQ(slot.Peek(), nullptr);
    slot.Get();
    EXPECT_EQ(g_constructed.load(), 2);
    slot.Reset();
}

}  // namespace
