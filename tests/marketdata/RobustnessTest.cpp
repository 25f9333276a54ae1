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

TEST_F(RobustnessTest, RandomBytesEverywhere) {
    std::mt19937 rng(99);
    auto noise = [&](size_t n) {
        Bytes b;
        for (size_t i = 0; i < n; ++i) b.u8(uint8_t(rng()));
        return b;
    };
    CAllCQData table;
    for (int i = 0; i < 300; ++i) {
        Bytes b = noise(1 + rng() % 200);
        if (i % 2)
            b = Bytes().u32(1).str("600000").raw(b.v.data(),
                                                 b.v.size());  // past the security check
        m_series->RequestUpdate(1, OwnerTag(this), nullptr);
        m_channel.ReplyToLast(b.Buffer());
        m_series->RequestRange(1, 2, OwnerTag(this), nullptr);
        m_channel.ReplyToLast(b.Buffer());
        CBuffer in = b.Buffer();
        try {
            table.Parse(in);
        } catch (const CParseError&) {
        }
        CBuffer reply = b.Buffer();
        table.OnCQReply(reply);
        auto packed = LzhufEncode(b.v.data(), b.v.size());
        ParseCodeTable(packed, true);
        ParseCodeTable(b.v, false);
    }
    ASSERT_TRUE(m_series->TryWrite()) << "the writer lock was left held";
}
