#include <stdexcept>
#include <gtest/gtest.h>

#include <latch>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/WRGuard.h"

namespace {

// Ordered record of what the threads did; the order is the assertion, never the timing.
class EventLog {
public:
    void Add(const std::string& event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    }
    std::vector<std::string> Events() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_events;
};

}  // namespace

TEST(WRGuard, ReadersShareAndAWaitingWriterEntersOnlyAfterBoth) {
    CWRGuard guard;
    EventLog log;
    guard.ReadLock();
    guard.ReadLock();  // a second reader enters while the first holds the lock
    EXPECT_FALSE(guard.TryWriteLock());
    EXPECT_TRUE(guard.TryReadLock());
    guard.ReadUnlock();

    std::latch writerStarted(1);
    std::thread writer([&] {
        writerStarted.count_down();
        guard.WriteLock();
        log.Add("writer in");
        guard.WriteUnlock();
    });
    writerStarted.wait();
    log.Add("reader 1 out");
    guard.ReadUnlock();
    EXPECT_FALSE(guard.TryWriteLock()) << "one reader still inside";
    log.Add("reader 2 out");
    guard.ReadUnlock();
    writer.join();
    EXPECT_EQ(log.Events(),
              (std::vector<std::string>{"reader 1 out", "reader 2 out", "writer in"}));
}

TEST(WRGuard, ReaderWaitsForWriter) {
    CWRGuard guard;
    EventLog log;
    guard.WriteLock();
    EXPECT_FALSE(guard.TryReadLock());
    EXPECT_FALSE(guard.TryWriteLock());
    std::latch readerStarted(1);
    std::thread reader([&] {
        readerStarted.count_down();
        CReadGuard read(guard);
        log.Add("reader in");
    });
    readerStarted.wait();
    log.Add("writer out");
    guard.WriteUnlock();
    reader.join();
    EXPECT_EQ(log.Events(), (std::vector<std::string>{"writer out", "reader in"}));
    EXPECT_TRUE(guard.TryWriteLock()) << "the guard released the read lock";
    guard.WriteUnlock();
}

TEST(WRGuard, GuardsReleaseOnScopeExitExceptionAndEarlyUnlock) {
    CWRGuard guard;
    try {
        CWriteGuard write(guard);
        EXPECT_FALSE(guard.TryReadLock());
        throw std::runtime_error("leaves the scope");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(guard.TryReadLock());
    guard.ReadUnlock();
    {
        CWriteGuard write(guard);
        write.Unlock();
        EXPECT_TRUE(guard.TryReadLock());
        guard.ReadUnlock();
    }  // no second unlock
    {
        CReadGuard read(guard);
        EXPECT_FALSE(guard.TryWriteLock());
    }
    EXPECT_TRUE(guard.TryWriteLock());
    guard.WriteUnlock();
}

TEST(WRGuard, WritersExcludeEachOtherUnderContention) {
    CWRGuard guard;
    long counter = 0;
    int readersSawOdd = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                CWriteGuard write(guard);
                ++counter;  // odd while a writer is inside
                ++counter;
            }
        });
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                CReadGuard read(guard);
                if (counter % 2 != 0) ++readersSawOdd;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 4 * 2000 * 2);
    EXPECT_EQ(readersSawOdd, 0);
}
