#include <gtest/gtest.h>

#include <set>

#include "marketdata/DayItem.h"

namespace {
CDayItem Bar(int64_t key) {
    CDayItem item;
    item.m_nTime = key;
    return item;
}
std::vector<int64_t> Keys(const CSortArray<CDayItem>& a) {
    std::vector<int64_t> keys;
    for (auto& b : a) keys.push_back(b.m_nTime);
    return keys;
}
}  // namespace

TEST(SortArray, RecordLayouts) {
    EXPECT_EQ(offsetof(CDayItem, m_nOpen), 8u);
    EXPECT_EQ(offsetof(CDayItem, m_nVolume), 24u);
    EXPECT_EQ(offsetof(CFloatDayItem, m_fOpen), 12u);
    EXPECT_EQ(offsetof(CFloatDayItem, m_fAmount), 44u);
    EXPECT_EQ(offsetof(CFloatDayItem, m_nCounter1), 116u);
    EXPECT_EQ(offsetof(CFloatDayItem, m_nSegment), 120u);
}

TEST(SortArray, InsertRefusesDuplicatesInBothDirections) {
    CSortArray<CDayItem> up;
    EXPECT_EQ(up.Insert(Bar(5)), 0);
    EXPECT_EQ(up.Insert(Bar(3)), 0);
    EXPECT_EQ(up.Insert(Bar(9)), 2);
    EXPECT_EQ(up.Insert(Bar(3)), -1);
    EXPECT_EQ(Keys(up), (std::vector<int64_t>{3, 5, 9}));

    CSortArray<CDayItem> down;
    down.SetAscending(false);
    for (int64_t k : {5, 3, 9, 3}) down.Insert(Bar(k));
    EXPECT_EQ(Keys(down), (std::vector<int64_t>{9, 5, 3}));
    EXPECT_EQ(down.Find(Bar(3)), 2);
    EXPECT_EQ(down.Find(Bar(4)), -1);
}

TEST(SortArray, KeysCompareUnsignedAndLowerBound) {
    CSortArray<CDayItem> a;
    int64_t top = int64_t(0x8000000000000001ULL);
    a.Insert(Bar(top));
    a.Insert(Bar(7));
    EXPECT_EQ(Keys(a), (std::vector<int64_t>{7, top}));

    CSortArray<CDayItem> b;
    for (int64_t k : {3, 5, 9}) b.Insert(Bar(k));
    EXPECT_EQ(LowerBoundKey(b, 7), 2);
    EXPECT_EQ(LowerBoundKey(b, 10), 3);
    EXPECT_EQ(LowerBoundKey(b, 1), 0);
    EXPECT_EQ(LowerBoundKey(CSortArray<CDayItem>(), 1), 0);
}

TEST(SortArray, RandomInsertsMatchASortedSet) {
    CSortArray<CDayItem> a;
    std::set<int64_t> model;
    srand(7);
    for (int i = 0; i < 5000; ++i) {
        int64_t k = rand() % 3000;
        int r = a.Insert(Bar(k));
        bool fresh = model.insert(k).second;
        ASSERT_EQ(r >= 0, fresh);
        if (fresh) {
            ASSERT_EQ(std::distance(model.begin(), model.find(k)), r);
        }
    }
    EXPECT_EQ(Keys(a), std::vector<int64_t>(model.begin(), model.end()));
}

TEST(SortArray, CheckByteOfASummary) {
    CDayItem ones[9];
    memset(static_cast<void*>(ones), 1, sizeof ones);
    EXPECT_EQ(BarCheckByte(ones, 1), 32);
    EXPECT_EQ(BarCheckByte(ones, 9), 32);
    EXPECT_EQ(BarCheckByte(ones, 0), 0);
}
