#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "FakeChannel.h"
#include "MarketFixture.h"

namespace {
class PoolTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        m_sec = Add(1, "600000");
        Add(11, "600000");
        Add(1, "1600000");
    }
    CDayDataPool& Pool() { return GetDataCenter()->GetPool(); }
    CSecurity* m_sec = nullptr;
};
}  // namespace

TEST_F(PoolTest, SharesOneSeriesPerSecurityTypeAndPeriod) {
    CIndSecuCode code(1, "600000");
    auto a = GetDayData(4, code, 1);
    auto b = GetDayData(4, code, 1);
    ASSERT_TRUE(a);
    EXPECT_EQ(a, b);
    auto week = GetDayData(4, code, 2);
    EXPECT_NE(a, week);
    EXPECT_EQ(a->GetName(), "1:600000:4:1");
    EXPECT_EQ(week->GetName(), "1:600000:4:2");

    // Keys that would run together without a separator stay apart.
    auto m11 = GetDayData(4, CIndSecuCode(11, "600000"), 1);
    auto m1 = GetDayData(4, CIndSecuCode(1, "1600000"), 1);
    ASSERT_TRUE(m11 && m1);
    EXPECT_NE(m11, m1);
    EXPECT_EQ(m11->GetSecurity()->GetCode().m_nMarket, 11);
    EXPECT_EQ(m1->GetSecurity()->GetCode().m_strCode, "1600000");

    EXPECT_FALSE(GetDayData(4, CIndSecuCode(2, "000001"), 1));
    EXPECT_FALSE(Pool().IsListed(CDayDataPool::MakeKey(4, CIndSecuCode(2, "000001"), 1)));
    EXPECT_FALSE(GetDayData(2, code, 1));  // intraday is no K-line series
}

TEST_F(PoolTest, LoadsFromTheStoreOnce) {
    CIndSecuCode code(1, "600000");
    CDayItem bars[2] = {MakeBar(20240102, 1, 1, 1, 1), MakeBar(20240103, 2, 2, 2, 2)};
    ASSERT_TRUE(GetDataCenter()->GetStore(CDataCenter::kDayFile).AppendItems(2, 1, "600000", bars));
    auto a = GetDayData(4, code, 1);
    EXPECT_EQ(a->Read().RawBars().size(), 2u);
    // The second borrower gets the held series; the store is not read again.
    CDayItem more = MakeBar(20240104, 3, 3, 3, 3);
    GetDataCenter()->GetStore(CDataCenter::kDayFile).AppendItems(1, 1, "600000", &more);
    EXPECT_EQ(GetDayData(4, code, 1)->Read().RawBars().size(), 2u);
}

TEST_F(PoolTest, ReleaseUnsubscribesAlwaysAndSavesOnTheLast) {
    FakeChannel channel;
    CIndSecuCode code(1, "600000");
    int first = 0, second = 0;
    OwnerTag one(&first), two(&second);
    auto a = GetDayData(4, code, 1);
    auto b = GetDayData(4, code, 1);
    a->Subscribe(one, [&] { ++first; });
    b->Subscribe(two, [&] { ++second; });
    {
        auto edit = a->Write();
        edit.RawBars().Insert(MakeBar(20240102, 1, 1, 1, 1));
    }
    a->RequestRange(1, 2, one, [&] { ++first; });
    ASSERT_EQ(channel.m_pending.size(), 1u);

    std::string key = a->GetName();
    a.reset();
    Pool().Release(one, key);
    EXPECT_TRUE(Pool().IsListed(key));
    EXPECT_FALSE(b->IsSubscribed(one)) << "a leaving owner must not be called again";
    EXPECT_TRUE(b->IsSubscribed(two));
    EXPECT_EQ(GetDataCenter()->GetStore(CDataCenter::kDayFile).GetItemCount(1, "600000"), 0u);
    EXPECT_EQ(channel.m_pending.size(), 1u);
    b->Notify();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);

    b.reset();
    Pool().Release(two, key);
    EXPECT_FALSE(Pool().IsListed(key));
    EXPECT_TRUE(channel.m_pending.empty()) << "the series' pending replies are cancelled";
    EXPECT_EQ(GetDataCenter()->GetStore(CDataCenter::kDayFile).GetItemCount(1, "600000"), 1u);
}

TEST_F(PoolTest, ReplyForAReleasedSeriesIsHarmless) {
    FakeChannel channel;
    CIndSecuCode code(1, "600000");
    auto a = GetDayData(4, code, 1);
    a->RequestUpdate(10, OwnerTag(this), nullptr);
    int64_t serial = channel.m_sent.back().head.m_nSerial;
    auto handler = channel.m_pending.at(serial).second;  // as if already dispatching
    std::string key = a->GetName();
    a.reset();
    Pool().Release(OwnerTag(this), key);
    CBuffer body = Bytes()
                       .u32(1)
                       .str("600000")
                       .u8(0)
                       .u32(1)
                       .u32(0)
                       .u32(0)
                       .u32(0)
                       .u32(0)
                       .u32(0)
                       .u32(0)
                       .Buffer();
    EXPECT_TRUE(handler(CDataHead(), body));
}

TEST_F(PoolTest, ReleaseWaitsForTheOwnersCallWithoutHoldingThePool) {
    // The owner's callback runs on another thread and asks the pool for a series while
    // the owner is being released: the release waits for the call, so it must not hold
    // the pool meanwhile.
    CIndSecuCode code(1, "600000");
    const std::string key = CDayDataPool::MakeKey(4, code, 1);
    auto series = GetDayData(4, code, 1);
    ASSERT_TRUE(series);
    int owner = 0;
    std::promise<void> entered;
    std::atomic<bool> gotSeries{false};
    std::promise<void> looked;
    std::thread lookUp;
    series->Subscribe(OwnerTag(&owner), [&] {
        entered.set_value();
        // Until the release has begun (it unsubscribes first, then waits for this call).
        while (series->IsSubscribed(OwnerTag(&owner))) std::this_thread::yield();
        // On a thread of its own, so that a pool held by the release fails the test
        // after the bound instead of hanging it.
        lookUp = std::thread([&] {
            GetDayData(4, code, 2);
            looked.set_value();
        });
        gotSeries = looked.get_future().wait_for(std::chrono::seconds(20)) ==
                    std::future_status::ready;
    });
    std::thread notifier([&] { series->Notify(); });
    entered.get_future().wait();
    Pool().Release(OwnerTag(&owner), key);
    notifier.join();
    lookUp.join();
    EXPECT_TRUE(gotSeries) << "the pool stayed locked while the release waited";
    EXPECT_TRUE(Pool().IsListed(key)) << "still borrowed by the test";
    series.reset();
    Pool().Release(OwnerTag(&owner), key);
    EXPECT_FALSE(Pool().IsListed(key)) << "the last borrower let go";
}
