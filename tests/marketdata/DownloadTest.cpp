// Compressed, chunked replies: minute history (10801) and the ex-rights table (13101).

#include <gtest/gtest.h>

#include "FakeChannel.h"
#include "MarketFixture.h"
#include "foundation/LzhufEncoder.h"

namespace {
std::vector<Bytes> Chunks(const std::vector<uint8_t>& packed, size_t size, const Bytes& own,
                          uint8_t first, uint8_t last) {
    std::vector<Bytes> out;
    for (size_t at = 0; at < packed.size(); at += size) {
        size_t n = std::min(size, packed.size() - at);
        uint8_t flags = uint8_t((at == 0 ? first : 0) | (at + n == packed.size() ? last : 0));
        Bytes m = own;
        m.u8(flags);
        if (at == 0) m.u32(uint32_t(packed.size()));
        m.u16(uint16_t(n)).raw(packed.data() + at, n);
        out.push_back(m);
    }
    return out;
}

class DownloadTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        m_sec = Add(1, "600000");
        SetMarketUiHooks({[this](uint32_t m, uint64_t, int64_t l) {
                              m_posts.push_back({m, l});
                          },
                          [this](const std::string& t, uint32_t total) {
                              m_ranges.push_back({t, total});
                          },
                          [this](uint32_t p) { m_positions.push_back(p); }});
    }
    static Bytes Own() { return Bytes().u32(1).str("600000"); }

    // Decoded 10801 content: one group per year, then the bars.
    static std::vector<uint8_t> History(
        const std::vector<std::tuple<uint32_t, uint8_t, uint32_t>>& groups,
        const std::vector<CDayItem>& bars) {
        Bytes b = Own().u16(uint16_t(groups.size()));
        for (auto [year, replace, count] : groups) b.u32(year).u8(replace).u32(count);
        b.u32(uint32_t(bars.size()));
        for (auto& bar : bars) b.raw(&bar, sizeof bar);
        return LzhufEncode(b.v.data(), b.v.size());
    }

    FakeChannel m_channel;
    CSecurity* m_sec = nullptr;
    std::vector<std::pair<uint32_t, int64_t>> m_posts;
    std::vector<std::pair<std::string, uint32_t>> m_ranges;
    std::vector<uint32_t> m_positions;
};
}  // namespace

TEST_F(DownloadTest, ChunkedHistoryIsDecodedAndMerged) {
    auto series = GetDayData(3, CIndSecuCode(1, "600000"), 5);
    {
        auto edit = series->Write();
        edit.RawBars().Insert(MakeBar(202212300930, 1, 1, 1, 1));
        edit.RawBars().Insert(MakeBar(202301030935, 1, 1, 1, 1));
    }
    std::vector<CDayItem> bars;
    for (int i = 0; i < 3000; ++i)
        bars.push_back(
            MakeBar(202302010935 + (i / 48) * 10000 + 0, 1000 + i, 1100 + i, 900 + i, 1050 + i, i));
    // Unique keys: one bar per day-minute pair.
    for (size_t i = 0; i < bars.size(); ++i)
        bars[i].m_nTime = 202300000000 + int64_t(101 + i / 48) * 10000 + 930 + int64_t(i % 48);
    auto packed = History({{2023, 1, 3000}, {2024, 0, 12}}, bars);
    int notified = 0;
    series->RequestHistory({2023, 2024}, 300, 20249999, true, OwnerTag(this), [&] { ++notified; });
    auto messages = Chunks(packed, packed.size() / 3 + 1, Own(), 4, 2);
    ASSERT_EQ(messages.size(), 3u);
    int64_t serial = m_channel.m_sent.back().head.m_nSerial;
    EXPECT_FALSE(m_channel.Reply(serial, messages[0].Buffer()));
    EXPECT_FALSE(m_channel.Reply(serial, messages[1].Buffer()));
    EXPECT_EQ(notified, 0);
    EXPECT_TRUE(m_channel.Reply(serial, messages[2].Buffer()));
    EXPECT_EQ(notified, 1);

    auto view = series->Read();
    ASSERT_EQ(view.RawBars().size(), 3001u);  // 2022 stays, 2023 replaced
    EXPECT_EQ(view.RawBars()[0].m_nTime, 202212300930);
    EXPECT_EQ(view.RawBars()[1].m_nTime, bars[0].m_nTime);
    EXPECT_EQ(view.CountsByYearRange().at({2023, 2024}), 3012u);
    // The download popup: shown with the total, moved, hidden.
    ASSERT_EQ(m_ranges.size(), 1u);
    EXPECT_EQ(m_ranges[0].second, packed.size());
    EXPECT_EQ(m_positions.size(), 1u);
    EXPECT_EQ(m_posts.front(), (std::pair<uint32_t, int64_t>{UM_DOWNLOAD_PROGRESS, 0}));
    EXPECT_EQ(m_posts.back(), (std::pair<uint32_t, int64_t>{UM_DOWNLOAD_PROGRESS, 1}));
    // Saved to mk5.dat.
    EXPECT_EQ(GetDataCenter()->GetStore(CDataCenter::kMin5File).GetItemCount(1, "600000"), 3001u);
}

TEST_F(DownloadTest, OverlappingHistoryRequestsKeepTheirOwnChunks) {
    auto series = GetDayData(3, CIndSecuCode(1, "600000"), 1);
    auto a = History({{2023, 0, 1}}, {MakeBar(202301030931, 1, 1, 1, 1)});
    auto b = History({{2024, 0, 1}}, {MakeBar(202401020931, 2, 2, 2, 2)});
    series->RequestHistory({2023}, 10, 20239999, true, OwnerTag(this), nullptr);
    int64_t first = m_channel.m_sent.back().head.m_nSerial;
    series->RequestHistory({2024}, 10, 20249999, true, OwnerTag(this), nullptr);
    int64_t second = m_channel.m_sent.back().head.m_nSerial;
    auto ma = Chunks(a, a.size() / 2 + 1, Own(), 4, 2);
    auto mb = Chunks(b, b.size() / 2 + 1, Own(), 4, 2);
    ASSERT_EQ(ma.size(), 2u);
    ASSERT_EQ(mb.size(), 2u);
    // Interleaved: first chunks of both, then the last chunks.
    EXPECT_FALSE(m_channel.Reply(first, ma[0].Buffer()));
    EXPECT_FALSE(m_channel.Reply(second, mb[0].Buffer()));
    EXPECT_TRUE(m_channel.Reply(first, ma[1].Buffer()));
    EXPECT_TRUE(m_channel.Reply(second, mb[1].Buffer()));
    auto view = series->Read();
    ASSERT_EQ(view.RawBars().size(), 2u);
    EXPECT_EQ(view.RawBars()[0].m_nClose, 1);
    EXPECT_EQ(view.RawBars()[1].m_nClose, 2);
}

TEST_F(DownloadTest, BrokenHistoryDownloadsMergeNothing) {
    auto series = GetDayData(3, CIndSecuCode(1, "600000"), 1);
    auto good = History({{2023, 1, 1}}, {MakeBar(202301030931, 1, 1, 1, 1)});
    std::vector<uint8_t> garbage(good.size(), 0x5A);
    garbage[0] = 40;  // a plausible size, then noise
    garbage[1] = garbage[2] = garbage[3] = 0;
    struct Case {
        const char* what;
        std::vector<Bytes> messages;
    };
    std::vector<Case> cases = {
        {"does not decode", Chunks(garbage, 1000, Own(), 4, 2)},
        {"more than announced",
         {Own().u8(4).u32(3).u16(uint16_t(good.size())).raw(good.data(), good.size())}},
        {"no first chunk", {Own().u8(2).u16(uint16_t(good.size())).raw(good.data(), good.size())}},
        {"another security", Chunks(good, 1000, Bytes().u32(2).str("000001"), 6, 0)},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        int notified = 0;
        series->RequestHistory({2023}, 10, 0, true, OwnerTag(this), [&] { ++notified; });
        int64_t serial = m_channel.m_sent.back().head.m_nSerial;
        for (auto& m : c.messages) m_channel.Reply(serial, m.Buffer());
        EXPECT_EQ(notified, 0);
        auto view = series->Read();
        EXPECT_TRUE(view.RawBars().empty());
    }
}

TEST_F(DownloadTest, ExRightsDownloadRebuildsTheTableOnce) {
    CAllCQData* table = GetAllCQData();
    CSingleCQDataPerSecu old;
    old.m_code = CIndSecuCode(1, "600000");
    old.m_nDate = 20000101;
    table->AddEvent(old);

    Bytes content = Bytes().u16(1).u32(5).u32(6).u32(300);
    for (int i = 0; i < 300; ++i)
        content.u32(1 + i % 2)
            .str(std::to_string(600000 + i))
            .u32(20240101)
            .i64(i)
            .i64(0)
            .i64(0)
            .i64(0)
            .u32(0);
    auto packed = LzhufEncode(content.v.data(), content.v.size());
    auto messages = Chunks(packed, packed.size() / 3 + 1, Bytes(), 2, 4);
    ASSERT_EQ(messages.size(), 3u);

    CBuffer first = messages[0].Buffer(), middle = messages[1].Buffer(),
            last = messages[2].Buffer();
    EXPECT_FALSE(table->OnCQReply(first));
    EXPECT_EQ(table->GetEventCount(), 1u) << "the held table stays until the new one is complete";
    EXPECT_FALSE(table->OnCQReply(middle));
    EXPECT_TRUE(table->OnCQReply(last));
    EXPECT_EQ(table->GetEventCount(), 300u);
    EXPECT_EQ(table->GetVersion1(), 5u);
    EXPECT_EQ(table->GetVersion2(), 6u);
    ASSERT_EQ(m_ranges.size(), 1u);
    EXPECT_EQ(m_ranges[0].first, "正在下载除权数据...");
    EXPECT_EQ(m_positions.size(), 1u);
    EXPECT_EQ(m_posts.size(), 2u);  // show, hide

    // The request names the held version.
    CBuffer body;
    table->BuildRequestBody(body);
    EXPECT_EQ(body.GetLength(), 8u);
    EXPECT_EQ(body.ReadUInt32(), 5u);

    // A second download on a later connection, in one message, starts its own buffer.
    Bytes small = Bytes()
                      .u16(1)
                      .u32(9)
                      .u32(9)
                      .u32(1)
                      .u32(2)
                      .str("000001")
                      .u32(20240202)
                      .i64(1)
                      .i64(0)
                      .i64(0)
                      .i64(0)
                      .u32(0);
    auto packed2 = LzhufEncode(small.v.data(), small.v.size());
    CBuffer one = Chunks(packed2, 100000, Bytes(), 2, 4)[0].Buffer();
    EXPECT_TRUE(table->OnCQReply(one));
    EXPECT_EQ(table->GetEventCount(), 1u);
    EXPECT_EQ(table->GetVersion1(), 9u);

    // A decoded table shorter than it declares is not taken.
    Bytes shortContent = Bytes().u16(1).u32(10).u32(10).u32(5).u32(1).str("600000").u32(20240303);
    auto packed3 = LzhufEncode(shortContent.v.data(), shortContent.v.size());
    CBuffer bad = Chunks(packed3, 100000, Bytes(), 2, 4)[0].Buffer();
    EXPECT_TRUE(table->OnCQReply(bad));
    EXPECT_EQ(table->GetVersion1(), 9u);
    EXPECT_EQ(table->GetEventCount(), 1u);
}
