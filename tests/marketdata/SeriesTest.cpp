#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "FakeChannel.h"
#include "MarketFixture.h"

namespace {
uint8_t CheckOf(std::initializer_list<Bytes> bars) {
    unsigned sum = 0;
    for (auto& b : bars)
        for (uint8_t x : b.v) sum += x;
    return uint8_t(sum);
}

std::vector<int64_t> RawKeys(CDayData& s) {
    auto view = s.Read();
    std::vector<int64_t> keys;
    for (auto& b : view.RawBars()) keys.push_back(b.m_nTime);
    return keys;
}

class SeriesTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        m_sec = Add(1, "600000", "浦发银行");
        m_other = Add(1, "600001", "其他");
        m_day = GetDayData(4, CIndSecuCode(1, "600000"), 1);
        ASSERT_TRUE(m_day);
        auto edit = m_day->Write();
        edit.RawBars().Insert(MakeBar(20240102, 10000, 10500, 9900, 10200, 5000));
        edit.RawBars().Insert(MakeBar(20240103, 10200, 10600, 10100, 10300, 6000));
    }

    // A reply that begins with the series' own security.
    static Bytes Own() { return Bytes().u32(1).str("600000"); }

    FakeChannel m_channel;
    CSecurity* m_sec = nullptr;
    CSecurity* m_other = nullptr;
    std::shared_ptr<CDayData> m_day;
    int m_notified = 0;
    OwnerTag m_owner{this};
    CData::Callback Count() {
        return [this] { ++m_notified; };
    }
};
}  // namespace

TEST_F(SeriesTest, GoldenBytesOfTheDaySeriesRequests) {
    const Bytes b1 = Bytes().bar(20240102, 10000, 10500, 9900, 10200, 5000);
    const Bytes b2 = Bytes().bar(20240103, 10200, 10600, 10100, 10300, 6000);
    auto summary = [&] { return Bytes().u32(2).u32(20240102).u32(20240103).u8(CheckOf({b1, b2})); };
    SetUserNDayCount(7);

    struct Case {
        const char* what;
        std::function<void()> request;
        uint16_t command;
        Bytes body;
    };
    std::vector<Case> cases = {
        {"update", [&] { m_day->RequestUpdate(150, m_owner, Count()); }, 10901,
         Bytes().u32(1).str("600000").u16(4).u16(1).u16(7).u32(150).raw(summary().v.data(), 13)},
        {"training", [&] { m_day->RequestTrainingBars(11, 22, m_owner, Count()); }, 11001,
         Bytes().u32(1).str("600000").u16(4).u16(1).u16(7).u32(11).u32(22).raw(summary().v.data(),
                                                                               13)},
        {"range", [&] { m_day->RequestRange(20230101, 20231231, m_owner, Count()); }, 10401,
         Bytes().u32(1).str("600000").u32(20230101).u32(20231231).raw(summary().v.data(), 13)},
        {"random window", [&] { m_day->RequestRandomWindow(60, m_owner, Count()); }, 10501,
         Bytes().u32(1).str("600000").u32(60).raw(summary().v.data(), 13)},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        size_t before = m_channel.m_sent.size();
        c.request();
        ASSERT_EQ(m_channel.m_sent.size(), before + 1);
        const auto& sent = m_channel.m_sent.back();
        EXPECT_EQ(sent.head.m_wMarker, 0x1688);
        EXPECT_EQ(sent.head.m_wCommand, c.command);
        EXPECT_EQ(sent.head.m_wSubtype, 100);
        EXPECT_EQ(sent.head.m_nBodyLength, c.body.v.size());
        EXPECT_EQ(sent.body, c.body.v);
        EXPECT_EQ(m_channel.m_pending.count(sent.head.m_nSerial), 1u);
        EXPECT_TRUE(m_day->IsSubscribed(m_owner));
    }
    // Only the update calls back at once (with what is held); the others wait for replies.
    EXPECT_EQ(m_notified, 1);
    // Serials are fresh for every request.
    EXPECT_LT(m_channel.m_sent[0].head.m_nSerial, m_channel.m_sent[3].head.m_nSerial);
}

TEST_F(SeriesTest, GoldenBytesOfMinuteHistoryPerYear) {
    auto minute = GetDayData(3, CIndSecuCode(1, "600000"), 5);
    ASSERT_TRUE(minute);
    {
        auto edit = minute->Write();
        edit.RawBars().Insert(MakeBar(202312291455, 1, 2, 3, 4, 5));
        edit.RawBars().Insert(MakeBar(202401021000, 6, 7, 8, 9, 10));
        edit.RawBars().Insert(MakeBar(202401021005, 11, 12, 13, 14, 15));
    }
    const Bytes a = Bytes().bar(202312291455, 1, 2, 3, 4, 5);
    const Bytes b = Bytes().bar(202401021000, 6, 7, 8, 9, 10);
    const Bytes c = Bytes().bar(202401021005, 11, 12, 13, 14, 15);
    Bytes body = Bytes().u32(1).str("600000").u16(3).u16(5).u32(300).u32(20249999).u16(3);
    body.u32(2022).u32(0).i64(0).i64(0).u8(0);
    body.u32(2023).u32(1).i64(202312291455).i64(202312291455).u8(CheckOf({a}));
    body.u32(2024).u32(2).i64(202401021000).i64(202401021005).u8(CheckOf({b, c}));

    for (bool chunks : {true, false}) {
        minute->RequestHistory({2022, 2023, 2024}, 300, 20249999, chunks, m_owner, Count());
        const auto& sent = m_channel.m_sent.back();
        EXPECT_EQ(sent.head.m_wCommand, chunks ? 10801 : 10701);
        EXPECT_EQ(sent.body, body.v);
    }
    EXPECT_EQ(m_notified, 0);

    // An empty list of years does nothing at all; a day series subscribes but sends nothing.
    size_t sent = m_channel.m_sent.size();
    OwnerTag other(&sent);
    minute->RequestHistory({}, 300, 0, true, other, Count());
    EXPECT_FALSE(minute->IsSubscribed(other));
    m_day->RequestHistory({2024}, 300, 0, false, other, Count());
    EXPECT_TRUE(m_day->IsSubscribed(other));
    EXPECT_EQ(m_channel.m_sent.size(), sent);
    EXPECT_EQ(m_notified, 0);
}

TEST_F(SeriesTest, UpdateReplyUpsertsCutsAndSaves) {
    m_day->RequestUpdate(100, m_owner, Count());
    m_notified = 0;
    // Cut everything before 20240103, replace 20240103, add 20240104 and a forming bar.
    Bytes reply =
        Own().u8(0).u32(1234).u32(11).u32(22).u32(33).u32(0xFFFFFFF0).u32(20240103).u32(3);
    reply.bar(20240103, 1, 2, 3, 4, 77).bar(20240104, 5, 6, 7, 8, 88).bar(20240105, 9, 9, 9, 9, 0);
    EXPECT_TRUE(m_channel.ReplyToLast(reply.Buffer()));

    EXPECT_EQ(RawKeys(*m_day), (std::vector<int64_t>{20240103, 20240104, 20240105}));
    {
        auto view = m_day->Read();
        EXPECT_EQ(view.RawBars()[0].m_nClose, 4);
        EXPECT_EQ(view.RawBars()[0].m_nVolume, 77);
        EXPECT_EQ(m_day->GetTotalCount(), 1234);
    }
    EXPECT_EQ(m_sec->GetQuoteValue(-103), 11);
    EXPECT_EQ(m_sec->GetQuoteValue(-100), int64_t(0xFFFFFFF0));
    EXPECT_EQ(m_sec->GetValues().GetValue(0), -16);  // the fourth value, sign-extended
    EXPECT_EQ(m_notified, 1);
    EXPECT_TRUE(m_channel.m_pending.empty());

    // Saved to day.dat, without the forming bar.
    std::vector<CDayItem> stored;
    GetDataCenter()->GetStore(CDataCenter::kDayFile).ReadDayItems(1, "600000", stored);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].m_nTime, 20240104);

    // A reset with no bars empties the series and notifies; the store keeps its chain.
    m_day->RequestUpdate(100, m_owner, Count());
    m_notified = 0;
    EXPECT_TRUE(m_channel.ReplyToLast(
        Own().u8(1).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0).Buffer()));
    EXPECT_TRUE(RawKeys(*m_day).empty());
    EXPECT_EQ(m_notified, 1);
    GetDataCenter()->GetStore(CDataCenter::kDayFile).ReadDayItems(1, "600000", stored);
    EXPECT_EQ(stored.size(), 2u);
}

TEST_F(SeriesTest, HistoryReplyReplacesOnlyTheFlaggedYear) {
    auto minute = GetDayData(3, CIndSecuCode(1, "600000"), 1);
    {
        auto edit = minute->Write();
        for (int64_t k : {202212300930LL, 202301030931LL, 202312291500LL, 202401020931LL})
            edit.RawBars().Insert(MakeBar(k, 1, 1, 1, 1));
    }
    minute->RequestHistory({2023}, 100, 20239999, false, m_owner, Count());
    Bytes reply = Own().u16(1).u32(2023).u16(2);
    reply.u32(2023).u8(1).u32(240).u32(1).bar(202306011000, 5, 5, 5, 5, 5);
    reply.u32(2024).u8(0).u32(7).u32(1).bar(202401020931, 6, 6, 6, 6, 6);
    EXPECT_TRUE(m_channel.ReplyToLast(reply.Buffer()));
    EXPECT_EQ(RawKeys(*minute), (std::vector<int64_t>{202212300930, 202306011000, 202401020931}));
    auto view = minute->Read();
    EXPECT_EQ(view.RawBars()[2].m_nClose, 6);  // sent again: replaced, not duplicated
    EXPECT_EQ(view.CountsByYear().at(2023), 247u);
    EXPECT_EQ(m_notified, 1);
}

TEST_F(SeriesTest, WindowAndTrainingRepliesSetRangeAndTotal) {
    m_day->RequestRange(20240101, 20240131, m_owner, Count());
    Bytes window = Own()
                       .u32(1)
                       .u32(2)
                       .u32(3)
                       .u32(4)
                       .u32(20240102)
                       .u32(20240110)
                       .u32(99)
                       .u8(1)
                       .u8(0)
                       .u32(0)
                       .u32(1);
    window.bar(20240110, 1, 1, 1, 1, 1);
    EXPECT_TRUE(m_channel.ReplyToLast(window.Buffer()));
    {
        auto view = m_day->Read();
        EXPECT_EQ(view.RangeFrom(), 20240102u);
        EXPECT_EQ(view.RangeTo(), 20240110u);
        EXPECT_EQ(m_day->GetTotalCount(), 99);
    }
    EXPECT_EQ(RawKeys(*m_day), (std::vector<int64_t>{20240102, 20240103, 20240110}));

    m_day->RequestTrainingBars(1, 2, m_owner, Count());
    EXPECT_TRUE(m_channel.ReplyToLast(Own().u32(0).u32(0).u32(0).u32(0).u32(500).u8(0).Buffer()));
    auto view = m_day->Read();
    EXPECT_EQ(m_day->GetTotalCount(), 500);
    EXPECT_EQ(view.RawBars().size(), 3u);
    EXPECT_EQ(m_notified, 2);
}

TEST_F(SeriesTest, ShortOrForeignRepliesLeaveTheSeriesAsItWas) {
    m_day->Subscribe(m_owner, Count());
    struct Case {
        const char* what;
        Bytes reply;
    };
    std::vector<Case> cases = {
        {"fewer bars than announced",
         Own().u8(1).u32(5).u32(0).u32(0).u32(0).u32(0).u32(0).u32(3).bar(20240201, 1, 1, 1, 1, 1)},
        {"cut short in the quote block", Own().u8(1).u32(5).u32(0)},
        {"a huge bar count", Own().u8(0).u32(5).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0x7FFFFFFF)},
        {"another security",
         Bytes().u32(1).str("600001").u8(1).u32(5).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0)},
        {"an unknown security",
         Bytes().u32(2).str("999999").u8(1).u32(5).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0)},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_day->RequestUpdate(100, m_owner, nullptr);
        EXPECT_TRUE(m_channel.ReplyToLast(c.reply.Buffer()));  // ends the reply
        EXPECT_EQ(RawKeys(*m_day), (std::vector<int64_t>{20240102, 20240103}));
        EXPECT_TRUE(m_day->TryWrite()) << "the writer lock was left held";
    }
    EXPECT_EQ(m_notified, 0);
    EXPECT_EQ(m_sec->GetQuoteValue(-103), 0);
}

TEST_F(SeriesTest, SubscribersAreCalledAfterTheLockIsReleasedAndOffThePendingLock) {
    bool armed = false, called = false, lockFree = false, dispatching = true;
    m_day->RequestUpdate(100, m_owner, [&] {
        if (!armed) return;  // the immediate call with what is held
        called = true;
        dispatching = m_channel.IsDispatching();
        lockFree = m_day->TryWrite().has_value();
        // A subscriber may send a request of its own from the callback.
        m_day->RequestRange(1, 2, OwnerTag(&called), nullptr);
    });
    armed = true;
    m_channel.Reply(m_channel.m_sent.back().head.m_nSerial,
                    Own().u8(0).u32(3).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0).Buffer());
    EXPECT_TRUE(called);
    EXPECT_TRUE(lockFree);
    EXPECT_FALSE(dispatching)
        << "subscribers and the store write must run after the pending-reply lock";
    EXPECT_EQ(m_channel.m_sent.back().head.m_wCommand, 10401);
}

TEST_F(SeriesTest, OfflineRequestsAnswerFromWhatIsHeld) {
    m_channel.m_bConnected = false;
    int calls = 0;
    auto count = [&] { ++calls; };
    m_day->RequestUpdate(10, m_owner, count);
    m_day->RequestTrainingBars(1, 2, m_owner, count);
    m_day->RequestHistory({2024}, 10, 0, true, m_owner, count);
    m_day->RequestHistory({}, 10, 0, true, m_owner, count);  // nothing at all
    EXPECT_EQ(calls, 3);
    EXPECT_TRUE(m_channel.m_sent.empty());
    EXPECT_FALSE(m_day->IsSubscribed(m_owner));

    // Range: both ends snap to held chart bars; past the newest bar, to the newest.
    {
        auto edit = m_day->Write();
        edit.RawBars().Insert(MakeBar(20240108, 10000, 10100, 9900, 10000));
        edit.MakeFloatItems(0, 0, 0);
    }
    m_day->RequestRange(20240104, 20240131, m_owner, count);
    {
        auto view = m_day->Read();
        EXPECT_EQ(view.RangeFrom(), 20240108u);
        EXPECT_EQ(view.RangeTo(), 20240108u);
    }
    m_day->RequestRange(20240102, 20240103, m_owner, count);
    {
        auto view = m_day->Read();
        EXPECT_EQ(view.RangeFrom(), 20240102u);
        EXPECT_EQ(view.RangeTo(), 20240103u);
    }
    EXPECT_EQ(calls, 5);
}

TEST_F(SeriesTest, OfflineRandomWindowStaysInsideTheUsableBars) {
    m_channel.m_bConnected = false;
    {
        auto edit = m_day->Write();
        edit.RawBars().clear();
        edit.RawBars().Insert(MakeBar(20240101, 1, 1, 0, 1));  // low 0: not usable
        for (int d = 2; d <= 6; ++d)
            edit.RawBars().Insert(MakeBar(20240100 + d, 1000, 1000, 1000, 1000));
        edit.MakeFloatItems(0, 0, 0);
    }
    for (uint32_t count : {0u, 3u, 5u, 6u, 1000u}) {
        SCOPED_TRACE(count);
        int calls = 0;
        for (int i = 0; i < 20; ++i) m_day->RequestRandomWindow(count, m_owner, [&] { ++calls; });
        EXPECT_EQ(calls, 20);
        auto view = m_day->Read();
        EXPECT_GE(view.RangeFrom(), 20240102u);
        EXPECT_LE(view.RangeTo(), 20240106u);
        EXPECT_LE(view.RangeFrom(), view.RangeTo());
        uint32_t span = view.RangeTo() - view.RangeFrom() + 1;
        EXPECT_EQ(span, std::clamp(count, 1u, 5u));
    }
    // No usable bar at all: the range is left alone and the callback still comes.
    {
        auto edit = m_day->Write();
        edit.RawBars().clear();
        edit.MakeFloatItems(0, 0, 0);
    }
    int calls = 0;
    m_day->RequestRandomWindow(5, m_owner, [&] { ++calls; });
    EXPECT_EQ(calls, 1);
}

TEST_F(SeriesTest, SaveAndLoadThroughTheStore) {
    {
        auto edit = m_day->Write();
        edit.RawBars().Insert(MakeBar(20240104, 1, 1, 1, 1, 0));  // forming: volume 0
    }
    EXPECT_TRUE(m_day->SaveLocal());
    auto again = std::make_shared<CDayData>("x", m_sec, 4, 2);  // week: same store, same chain
    again->LoadLocal();
    EXPECT_EQ(RawKeys(*again), (std::vector<int64_t>{20240102, 20240103}));

    // Minute periods pick their store by granularity.
    auto m5 = std::make_shared<CDayData>("m", m_sec, 3, 15);
    auto m1 = std::make_shared<CDayData>("m", m_sec, 3, 1);
    EXPECT_EQ(m5->ChooseStore(), &GetDataCenter()->GetStore(CDataCenter::kMin5File));
    EXPECT_EQ(m1->ChooseStore(), &GetDataCenter()->GetStore(CDataCenter::kMin1File));
    SetUserMinuteCount(10);
    EXPECT_EQ(std::make_shared<CDayData>("m", m_sec, 3, -1)->ChooseStore(),
              &GetDataCenter()->GetStore(CDataCenter::kMin5File));
}

// Subscriber calls and another thread: the callback runs with no lock of the series held,
// and an owner that unsubscribes from another thread is not called afterwards and is not
// left with a call still running.
class NotifyThreadsTest : public SeriesTest {
protected:
    // Bounds every wait, so that a deadlock fails the test instead of hanging it.
    static constexpr auto kLimit = std::chrono::seconds(20);
};

TEST_F(NotifyThreadsTest, ACallbackMayWaitForAnotherThreadThatSubscribes) {
    // The callback waits for another thread to subscribe and to read the bars: with a
    // lock held through the call, that thread could never finish.
    std::promise<void> otherDone;
    auto otherFinished = otherDone.get_future();
    bool finishedInTime = false;
    std::thread other;
    m_day->Subscribe(m_owner, [&] {
        other = std::thread([&] {
            m_day->Subscribe(OwnerTag(&other), [] {});
            m_day->Read().RawBars().size();
            otherDone.set_value();
        });
        finishedInTime = otherFinished.wait_for(kLimit) == std::future_status::ready;
    });
    m_day->Notify();
    other.join();
    EXPECT_TRUE(finishedInTime) << "the other thread was blocked by the running callback";
    EXPECT_TRUE(m_day->IsSubscribed(OwnerTag(&other)));
}

TEST_F(NotifyThreadsTest, UnsubscribeFromAnotherThreadWaitsForTheRunningCall) {
    std::promise<void> entered, release;
    auto enteredFuture = entered.get_future();
    auto releaseFuture = release.get_future();
    std::atomic<bool> callEnded{false}, unsubscribed{false};
    std::atomic<int> calls{0};
    m_day->Subscribe(m_owner, [&] {
        if (calls++ > 0) return;
        entered.set_value();
        ASSERT_EQ(releaseFuture.wait_for(kLimit), std::future_status::ready);
        callEnded = true;
    });
    std::thread notifier([&] { m_day->Notify(); });
    ASSERT_EQ(enteredFuture.wait_for(kLimit), std::future_status::ready);
    std::thread unsubscriber([&] {
        m_day->Unsubscribe(m_owner);
        unsubscribed = true;
        EXPECT_TRUE(callEnded) << "Unsubscribe returned while the owner's call still ran";
    });
    // Once the owner is gone from the table, Unsubscribe is in its wait (both happen
    // under one lock): it must not have returned while the call is held.
    while (m_day->IsSubscribed(m_owner)) std::this_thread::yield();
    EXPECT_FALSE(unsubscribed);
    release.set_value();
    unsubscriber.join();
    notifier.join();
    EXPECT_TRUE(unsubscribed);
    // Not called again once Unsubscribe returned.
    m_day->Notify();
    EXPECT_EQ(calls, 1);
}

TEST_F(NotifyThreadsTest, ACallbackMayUnsubscribeItselfAndOthers) {
    int first = 0, second = 0;
    OwnerTag a(&first), b(&second);
    // Owners are called in their order: a first, and a removes b before b's turn.
    auto [lo, hi] = std::minmax(a, b);
    int* loCount = lo == a ? &first : &second;
    int* hiCount = lo == a ? &second : &first;
    m_day->Subscribe(lo, [&, lo, hi] {
        ++*loCount;
        m_day->Unsubscribe(lo);
        m_day->Unsubscribe(hi);
    });
    m_day->Subscribe(hi, [&] { ++*hiCount; });
    m_day->Notify();
    EXPECT_EQ(*loCount, 1);
    EXPECT_EQ(*hiCount, 0) << "an owner removed by an earlier callback was still called";
    EXPECT_FALSE(m_day->IsSubscribed(lo));
    EXPECT_FALSE(m_day->IsSubscribed(hi));
}

TEST_F(NotifyThreadsTest, ReadersSeeEachMergeWholeWhileAnotherThreadMerges) {
    // Two window replies that differ in every field they set; a reader holding a view
    // must see one or the other, never a mix.
    struct State {
        uint32_t from, to;
        int32_t total;
    };
    const State states[] = {{20240102, 20240110, 10}, {20240201, 20240229, 20}};
    auto reply = [&](const State& s) {
        return Own().u32(0).u32(0).u32(0).u32(0).u32(s.from).u32(s.to).u32(uint32_t(s.total)).u8(0);
    };
    const Bytes replies[] = {reply(states[0]), reply(states[1])};
    std::atomic<bool> done{false};
    std::thread merger([&] {
        for (int i = 0; i < 400; ++i) {
            CBuffer body = replies[i % 2].Buffer();
            m_day->OnWindowReply(body);
        }
        done = true;
    });
    int mixed = 0, reads = 0;
    do {
        auto view = m_day->Read();
        const uint32_t from = view.RangeFrom(), to = view.RangeTo();
        const int32_t total = view.TotalCount();
        ++reads;
        if (from == 0 && to == 0 && total == 0) continue;  // before the first merge
        bool whole = false;
        for (const State& s : states) whole |= s.from == from && s.to == to && s.total == total;
        mixed += !whole;
    } while (!done);
    merger.join();
    EXPECT_EQ(mixed, 0) << "of " << reads << " reads";
    auto view = m_day->Read();
    EXPECT_EQ(view.RangeFrom(), states[1].from);
    EXPECT_EQ(view.TotalCount(), states[1].total);
}
