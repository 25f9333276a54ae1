// The write-behind: what reaches the disk, what a reader sees meanwhile, and that a
// failure is reported.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/ScratchDir.h"
#include "foundation/AtomicFile.h"
#include "foundation/WriteBehind.h"

namespace {

std::string Contents(const std::string& path) {
    std::string bytes;
    return ReadWholeFile(path, bytes) ? bytes : "<missing>";
}

// A write function that records each write and holds the first one until released, so a
// test can queue more while the writer is known to be busy.
class HeldWriter {
public:
    CWriteBehind::WriteFn Fn() {
        return [this](const std::string& path, std::string_view bytes, std::string* error) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_writes.emplace_back(path, std::string(bytes));
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_released; });
            lock.unlock();
            return WriteFileAtomic(path, bytes, error);
        };
    }
    void WaitForWrites(size_t n) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_writes.size() >= n; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }
    std::vector<std::pair<std::string, std::string>> Writes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_writes;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::pair<std::string, std::string>> m_writes;
    bool m_released = false;
};

}  // namespace

TEST(WriteBehind, NewerVersionReplacesTheQueuedOneAndReadersSeeIt) {
    ScratchDir dir;
    const std::string a = dir.File("a.xml"), b = dir.File("b.xml");
    HeldWriter held;
    CWriteBehind writer;
    writer.SetWriteFunction(held.Fn());
    writer.Write(a, "a1");
    held.WaitForWrites(1);  // a1 is being written
    std::string pending;
    ASSERT_TRUE(writer.PendingBytes(a, pending));
    EXPECT_EQ(pending, "a1");
    writer.Write(a, "a2");
    writer.Write(b, "b1");
    writer.Write(a, "a3");
    ASSERT_TRUE(writer.PendingBytes(a, pending));
    EXPECT_EQ(pending, "a3");
    ASSERT_TRUE(writer.PendingBytes(b, pending));
    EXPECT_EQ(pending, "b1");
    EXPECT_EQ(Contents(a), "<missing>");  // still held
    held.Release();
    writer.Drain();
    const std::vector<std::pair<std::string, std::string>> expected = {{a, "a1"}, {a, "a3"}, {b, "b1"}};
    EXPECT_EQ(held.Writes(), expected);
    EXPECT_EQ(Contents(a), "a3");
    EXPECT_EQ(Contents(b), "b1");
    EXPECT_FALSE(writer.PendingBytes(a, pending));
    EXPECT_FALSE(writer.IsPending(b));
    EXPECT_EQ(writer.WrittenCount(), 3u);
    EXPECT_EQ(writer.FailedCount(), 0u);
}

TEST(WriteBehind, DrainOfOnePathWaitsForItsLastVersion) {
    ScratchDir dir;
    CWriteBehind writer;
    for (int i = 0; i <= 20; ++i) writer.Write(dir.File("one.xml"), "v" + std::to_string(i));
    writer.Drain(dir.File("one.xml"));
    EXPECT_EQ(Contents(dir.File("one.xml")), "v20");
    EXPECT_FALSE(writer.IsPending(dir.File("one.xml")));
}

TEST(WriteBehind, TheEndWritesTheLastVersionOfEveryPath) {
    ScratchDir dir;
    {
        CWriteBehind writer;
        for (int i = 0; i < 5; ++i)
            for (const char* name : {"x.xml", "sub/y.xml"})
                writer.Write(dir.File(name), std::string(name) + " " + std::to_string(i));
    }  // no Drain: the destructor finishes the queue
    EXPECT_EQ(Contents(dir.File("x.xml")), "x.xml 4");
    EXPECT_EQ(Contents(dir.File("sub/y.xml")), "sub/y.xml 4");
}

TEST(WriteBehind, AFailedWriteIsReportedAndTheOthersGoOn) {
    ScratchDir dir;
    ASSERT_TRUE(WriteFileAtomic(dir.File("plain"), "not a folder"));
    const std::string bad = dir.File("plain/tools/1_600000_4001.xml");
    std::mutex mutex;
    std::vector<std::pair<std::string, std::string>> reports;
    CWriteBehind writer;
    writer.SetErrorSink([&](const std::string& path, const std::string& error) {
        std::lock_guard<std::mutex> lock(mutex);
        reports.emplace_back(path, error);
    });
    writer.Write(bad, "lost?");
    writer.Write(dir.File("good.xml"), "kept");
    writer.Drain();
    EXPECT_EQ(Contents(dir.File("good.xml")), "kept");
    EXPECT_FALSE(writer.IsPending(bad));
    EXPECT_EQ(writer.FailedCount(), 1u);
    EXPECT_EQ(writer.WrittenCount(), 1u);
    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].first, bad);
    EXPECT_FALSE(reports[0].second.empty());
}

TEST(WriteBehind, ManyPathsFromManyThreads) {
    ScratchDir dir;
    constexpr int kThreads = 4, kPaths = 25, kVersions = 8;
    CWriteBehind writer;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int v = 0; v < kVersions; ++v)
                for (int p = 0; p < kPaths; ++p) {
                    const std::string path = dir.File(std::to_string(t) + "_" + std::to_string(p) + ".xml");
                    writer.Write(path, path + " v" + std::to_string(v));
                    std::string seen;
                    // A reader never sees an older version than the one just handed over.
                    if (writer.PendingBytes(path, seen)) {
                        EXPECT_GE(seen, path + " v" + std::to_string(v));
                    }
                }
        });
    for (auto& t : threads) t.join();
    writer.Drain();
    for (int t = 0; t < kThreads; ++t)
        for (int p = 0; p < kPaths; ++p) {
            const std::string path = dir.File(std::to_string(t) + "_" + std::to_string(p) + ".xml");
            EXPECT_EQ(Contents(path), path + " v" + std::to_string(kVersions - 1));
        }
    EXPECT_EQ(writer.FailedCount(), 0u);
    EXPECT_GE(writer.WrittenCount(), uint64_t(kThreads * kPaths));
    EXPECT_LE(writer.WrittenCount(), uint64_t(kThreads * kPaths * kVersions));
}
