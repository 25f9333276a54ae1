#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "foundation/Random.h"

TEST(Random, IndexStaysInRangeAndReachesEveryValue) {
    EXPECT_EQ(RandomIndex(0), 0u);
    EXPECT_EQ(RandomIndex(1), 0u);
    std::set<size_t> seen;
    for (int i = 0; i < 2000; ++i) {
        size_t v = RandomIndex(7);
        ASSERT_LT(v, 7u);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 7u) << "2000 draws of 7 values miss one with odds below 1e-130";
}

TEST(Random, EachThreadDrawsFromItsOwnEngine) {
    std::mt19937* mine = &ThreadRandomEngine();
    EXPECT_EQ(&ThreadRandomEngine(), mine) << "one engine for the life of the thread";
    std::mt19937* other = nullptr;
    std::thread([&] { other = &ThreadRandomEngine(); }).join();
    EXPECT_NE(other, mine);
}
