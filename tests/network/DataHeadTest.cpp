#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "protocol/DataHead.h"

TEST(DataHead, EncodesTheTwentyEightBytesLittleEndian) {
    CDataHead head;
    head.m_wCommand = 10901;
    head.m_wSubtype = 100;
    head.m_nSerial = 0x0102030405060708LL;
    head.m_nBodyLength = 0x11223344;
    uint8_t bytes[CDataHead::kSize];
    head.Encode(bytes);
    const uint8_t expected[28] = {0x88, 0x16, 0x95, 0x2A, 0x64, 0x00, 0x08, 0x07, 0x06, 0x05,
                                  0x04, 0x03, 0x02, 0x01, 0x44, 0x33, 0x22, 0x11, 0,    0,
                                  0,    0,    0,    0,    0,    0,    0,    0};
    EXPECT_EQ(0, memcmp(bytes, expected, 28));

    CDataHead back = CDataHead::Decode(bytes);
    EXPECT_TRUE(back.HasValidMarker());
    EXPECT_EQ(back.m_wCommand, 10901);
    EXPECT_EQ(back.m_nSerial, 0x0102030405060708LL);
    EXPECT_EQ(back.m_nBodyLength, 0x11223344u);

    bytes[0] = 0x16;
    bytes[1] = 0x88;
    EXPECT_FALSE(CDataHead::Decode(bytes).HasValidMarker());
}

TEST(DataHead, SerialsAreUniqueAcrossThreads) {
    std::vector<std::vector<int64_t>> got(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 1000; ++i) got[t].push_back(CDataHead::NewRequest().m_nSerial);
        });
    for (auto& th : threads) th.join();
    std::set<int64_t> all;
    for (auto& v : got) all.insert(v.begin(), v.end());
    EXPECT_EQ(all.size(), 4000u);
    EXPECT_GT(*all.begin(), 0);
}
