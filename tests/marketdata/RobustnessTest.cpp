// Replies and files cut at every length, and random bytes, never crash, never leave a
// lock held, and never change a series by half.

#include <gtest/gtest.h>

#include <random>

#include "FakeChannel.h"
#include "MarketFixture.h"
#include "foundation/LzhufEncoder.h"

namespace {
class RobustnessTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        Add(1, "600000");
        m_series = GetDayData(4, CIndSecuCode(1, "600000"), 1);
        auto edit = m_series->Write();
        edit.RawBars().Insert(MakeBar(20240102, 1, 1, 1, 1));
    }
    size_t Held() {
        auto view = m_series->Read();
        return view.RawBars().size();
    }
    FakeChannel m_channel;
    std::shared_ptr<CDayData> m_series;
};
}  // namespace

TEST_F(RobustnessTest, RepliesCutAtEveryLength) {
    const Bytes own = Bytes().u32(1).str("600000");
    struct Case {
        const char* what;
        std::function<void()> request;
        Bytes reply;
        size_t after;  // bars held after the whole reply
    };
    std::vector<Case> cases = {
        {"update", [&] { m_series->RequestUpdate(1, OwnerTag(this), nullptr); },
         Bytes(own)
             .u8(0)
             .u32(2)
             .u32(1)
             .u32(2)
             .u32(3)
             .u32(4)
             .u32(0)
             .u32(2)
             .bar(20240103, 1, 1, 1, 1, 1)
             .bar(20240104, 1, 1, 1, 1, 1),
         3},
        {"window", [&] { m_series->RequestRange(1, 2, OwnerTag(this), nullptr); },
         Bytes(own).u32(1).u32(2).u32(3).u32(4).u32(5).u32(6).u32(7).u8(1).u8(0).u32(0).u32(1).bar(
             20240105, 1, 1, 1, 1, 1),
         4},
        {"training", [&] { m_series->RequestTrainingBars(1, 2, OwnerTag(this), nullptr); },
         Bytes(own).u32(1).u32(2).u32(3).u32(4).u32(7).u8(1).u8(1).u32(0).u32(1).bar(20240105, 1, 1,
                                                                                     1, 1, 1),
         1},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (size_t cut = 0; cut <= c.reply.v.size(); ++cut) {
            size_t before = Held();
            c.request();
            Bytes part;
            part.v.assign(c.reply.v.begin(), c.reply.v.begin() + long(cut));
            EXPECT_TRUE(m_channel.ReplyToLast(part.Buffer()));
            ASSERT_TRUE(m_series->TryWrite()) << "the writer lock was left held";
            if (cut < c.reply.v.size()) {
                ASSERT_EQ(Held(), before) << "cut at " << cut;
            }
        }
        EXPECT_EQ(Held(), c.after);
    }
}

namespace {
// Random messages of 1 to 200 bytes; with `ours`, the body starts with this series'
// security so that the parser gets past the security check.
Bytes Noise(std::mt19937& rng, bool ours) {
    Bytes b;
    size_t n = 1 + rng() % 200;
    for (size_t i = 0; i < n; ++i) b.u8(uint8_t(rng()));
    return ours ? Bytes().u32(1).str("600000").raw(b.v.data(), b.v.size()) : b;
}
}  // namespace

TEST_F(RobustnessTest, RandomSeriesRepliesKeepTheBarsOrderedAndTheLockFree) {
    std::mt19937 rng(99);
    for (int i = 0; i < 300; ++i) {
        SCOPED_TRACE(i);
        const Bytes b = Noise(rng, i % 2 != 0);
        for (bool update : {true, false}) {
            const size_t before = Held();
            if (update)
                m_series->RequestUpdate(1, OwnerTag(this), nullptr);
            else
                m_series->RequestRange(1, 2, OwnerTag(this), nullptr);
            m_channel.ReplyToLast(b.Buffer());
            ASSERT_TRUE(m_series->TryWrite()) << "the writer lock was left held";
            auto view = m_series->Read();
            const auto& bars = view.RawBars();
            // A reply adds at most the bars its bytes can hold (32 each).
            ASSERT_LE(bars.size(), before + b.v.size() / 32);
            for (size_t k = 1; k < bars.size(); ++k)
                ASSERT_LT(uint64_t(bars[k - 1].m_nTime), uint64_t(bars[k].m_nTime))
                    << "bars out of order or repeated at " << k;
        }
    }
}

TEST_F(RobustnessTest, RandomExRightsBytesKeepOnlyWellFormedEvents) {
    std::mt19937 rng(7);
    CAllCQData table;
    for (int i = 0; i < 300; ++i) {
        SCOPED_TRACE(i);
        const Bytes b = Noise(rng, false);
        CBuffer in = b.Buffer();
        try {
            table.Parse(in);
        } catch (const CParseError&) {
            // cut short: what was read before stays
        }
        for (const CSingleCQDataPerSecu& e : table.GetAllEvents()) {
            ASSERT_TRUE(e.m_code.m_nMarket == 1 || e.m_code.m_nMarket == 2) << e.m_code.m_nMarket;
            ASSERT_LE(e.m_code.m_strCode.size(), CSingleCQDataPerSecu::kMaxCodeLength);
        }
        // A reply chunk never changes the held table; only a whole download does.
        const size_t held = table.GetEventCount();
        CBuffer reply = b.Buffer();
        table.OnCQReply(reply);
        ASSERT_EQ(table.GetEventCount(), held);
    }
}

TEST_F(RobustnessTest, RandomCodeTableBytesAddNoMoreThanTheyDecodeTo) {
    std::mt19937 rng(11);
    for (int i = 0; i < 300; ++i) {
        SCOPED_TRACE(i);
        const Bytes b = Noise(rng, false);
        size_t before = GetDataCenter()->GetSecurityCount();
        uint32_t entries = 0;
        if (ParseCodeTable(LzhufEncode(b.v.data(), b.v.size()), true, &entries))
            ASSERT_LE(GetDataCenter()->GetSecurityCount(), before + entries);
        else
            ASSERT_EQ(GetDataCenter()->GetSecurityCount(), before);
        // Bytes that are not a compressed block do not decode: nothing is touched.
        before = GetDataCenter()->GetSecurityCount();
        entries = 0;
        if (!ParseCodeTable(b.v, false, &entries))
            ASSERT_EQ(GetDataCenter()->GetSecurityCount(), before);
        else
            ASSERT_LE(GetDataCenter()->GetSecurityCount(), before + entries);
    }
}
