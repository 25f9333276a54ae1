// Saves run side by side under one batch: every task's writes leave the directory flushes to
// the batch, a failure or an exception in one task does not stop the others, and the
// calling thread keeps its batch.
#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "common/ScratchDir.h"
#include "foundation/AtomicFile.h"

namespace fs = std::filesystem;

namespace {

TEST(AtomicWriteParallel, TasksRunOnThreadsOfTheirOwnAndShareTheBatch) {
    ScratchDir dir;
    const fs::path a = dir.Path() / "a", b = dir.Path() / "sub" / "b";
    const int before = atomic_file_testing::DirectorySyncCount();
    std::mutex lock;
    std::set<std::thread::id> threads;
    auto task = [&](fs::path folder, std::string name, bool nested) {
        return [&lock, &threads, folder, name, nested] {
            {
                std::lock_guard guard(lock);
                threads.insert(std::this_thread::get_id());
            }
            if (nested) {
                CAtomicWriteBatch inner;  // hands its folders to the shared batch
                EXPECT_TRUE(WriteFileAtomic((folder / name).string(), name));
            } else {
                EXPECT_TRUE(WriteFileAtomic((folder / name).string(), name));
            }
            EXPECT_TRUE(WriteFileAtomic((folder / (name + ".2")).string(), name));
        };
    };
    {
        CAtomicWriteBatch batch;
        batch.RunInParallel({task(a, "one", false), task(b, "two", false), task(a, "three", true),
                             task(b / ".", "four", true)});
        EXPECT_EQ(atomic_file_testing::DirectorySyncCount(), before);  // all deferred
        // The calling thread's own writes still go to its batch.
        ASSERT_TRUE(WriteFileAtomic((a / "five").string(), "five"));
        EXPECT_EQ(atomic_file_testing::DirectorySyncCount(), before);
    }
    EXPECT_EQ(atomic_file_testing::DirectorySyncCount(), before + 2);  // a and sub/b
    EXPECT_EQ(threads.size(), 4u);
    EXPECT_TRUE(threads.count(std::this_thread::get_id()));
    for (const auto& [folder, name] : {std::pair{a, "one"}, {b, "two"}, {a, "three"}, {b, "four"}}) {
        std::string text;
        ASSERT_TRUE(ReadWholeFile((folder / name).string(), text)) << name;
        EXPECT_EQ(text, name);
    }
}

TEST(AtomicWriteParallel, OneTaskFailingOrThrowingLeavesTheOthersDone) {
    ScratchDir dir;
    const fs::path file = dir.Path() / "kept.xml";
    std::string error;
    bool failed = false;
    const int before = atomic_file_testing::DirectorySyncCount();
    {
        CAtomicWriteBatch batch;
        EXPECT_THROW(
            batch.RunInParallel({[] { throw std::runtime_error("first task"); },
                                 [&] { failed = !WriteFileAtomic("", "x", &error); },
                                 [&] { EXPECT_TRUE(WriteFileAtomic(file.string(), "saved")); },
                                 [] { throw std::logic_error("later task"); }}),
            std::runtime_error);
    }
    EXPECT_TRUE(failed);
    EXPECT_FALSE(error.empty());
    std::string text;
    ASSERT_TRUE(ReadWholeFile(file.string(), text));
    EXPECT_EQ(text, "saved");
    EXPECT_EQ(atomic_file_testing::DirectorySyncCount(), before + 1);  // flushed at the end all the same

    // Without a batch around, nothing is left over for anyone: each write flushes at once.
    CAtomicWriteBatch().RunInParallel({});
    ASSERT_TRUE(WriteFileAtomic(file.string(), "again"));
    EXPECT_EQ(atomic_file_testing::DirectorySyncCount(), before + 2);
}

}  // namespace
