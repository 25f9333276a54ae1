#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FakeChannel.h"
#include "MarketFixture.h"

namespace {
class CQDataTest : public MarketTest {
protected:
    static Bytes Record(int market, const std::string& code, uint32_t date, int64_t cash,
                        int64_t bonus = 0) {
        return Bytes()
            .u32(uint32_t(market))
            .str(code)
            .u32(date)
            .i64(cash)
            .i64(bonus)
            .i64(0)
            .i64(0)
            .u32(0);
    }
    void WriteFile(const std::string& path, const Bytes& b) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.v.data()), std::streamsize(b.v.size()));
    }
};
}  // namespace

TEST_F(CQDataTest, DescriptionText) {
    CSingleCQDataPerSecu e;
    e.m_nDate = 20150618;
    e.m_nCash = 2500000;
    e.m_nBonus = 10000000;
    EXPECT_EQ(e.GetDescription(), "2015/06/18(每10股红利2.5元,送股10股)");
    CSingleCQDataPerSecu r;
    r.m_nDate = 20240105;
    r.m_nTransfer = 3000000;
    r.m_nRights = 3000000;
    r.m_nRightsPrice = 8500;
    EXPECT_EQ(r.GetDescription(), "2024/01/05(每10股转赠3股,配股3股,配股价8.5元)");
    r.m_nRightsPrice = 0;
    r.m_nTransfer = 0;
    EXPECT_EQ(r.GetDescription(), "2024/01/05(每10股扩股3股)");
}

TEST_F(CQDataTest, ParseKeepsOneEventPerKeyAndDropsOtherMarkets) {
    Bytes file = Bytes().u16(1).u32(7).u32(8).u32(5);
    file.raw(Record(1, "600000", 20240105, 100).v.data(),
             Record(1, "600000", 20240105, 100).v.size());
    for (auto& r :
         {Record(3, "X", 20240101, 1), Record(2, "000001", 20230101, 5),
          Record(1, "600000", 20240105, 999), Record(1, std::string(132, '9'), 20240101, 1)})
        file.raw(r.v.data(), r.v.size());
    CBuffer in = file.Buffer();
    CAllCQData table;
    table.Parse(in);
    EXPECT_EQ(table.GetVersion1(), 7u);
    EXPECT_EQ(table.GetVersion2(), 8u);
    auto all = table.GetAllEvents();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].m_code.m_strCode, "600000");
    EXPECT_EQ(all[0].m_nCash, 999);  // the later record wins
    EXPECT_EQ(all[1].m_code.m_nMarket, 2);
    CSortArray<CSingleCQDataPerSecu> events;
    EXPECT_TRUE(table.GetEvents(events, CIndSecuCode(1, "600000")));
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].m_nCash, 999);
    events.clear();
    EXPECT_FALSE(table.GetEvents(events, CIndSecuCode(1, "600001")));
    EXPECT_TRUE(events.empty());
}

TEST_F(CQDataTest, FileRoundTripAndDamage) {
    std::string path = m_dir.File("cq.dat");
    CAllCQData table;
    EXPECT_FALSE(table.Load(path));  // missing: empty
    EXPECT_EQ(table.GetEventCount(), 0u);
    CBuffer in = Bytes().u16(1).u32(0x11).u32(0x22).u32(0).Buffer();
    table.Parse(in);
    CSingleCQDataPerSecu e;
    for (int i = 0; i < 50; ++i) {
        e.m_code = CIndSecuCode(1 + i % 2, std::to_string(600000 + i * 7 % 13));
        e.m_nDate = 20200101 + uint32_t(i);
        e.m_nCash = i * 1000;
        e.m_nRights = i;
        e.m_nRightsPrice = uint32_t(i * 3);
        table.AddEvent(e);
    }
    ASSERT_TRUE(table.Save(path));

    CAllCQData back;
    EXPECT_TRUE(back.Load(path));
    EXPECT_EQ(back.GetVersion1(), 0x11u);
    EXPECT_EQ(back.GetVersion2(), 0x22u);
    auto a = table.GetAllEvents(), b = back.GetAllEvents();
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].m_code, b[i].m_code);
        EXPECT_EQ(a[i].m_nDate, b[i].m_nDate);
        EXPECT_EQ(a[i].m_nCash, b[i].m_nCash);
        EXPECT_EQ(a[i].m_nRightsPrice, b[i].m_nRightsPrice);
    }

    // Cut short: the records before the cut load, the file is kept aside.
    auto size = std::filesystem::file_size(path);
    std::filesystem::resize_file(path, size - 20);
    CAllCQData cut;
    EXPECT_FALSE(cut.Load(path));
    EXPECT_EQ(cut.GetEventCount(), a.size() - 1);
    EXPECT_FALSE(std::filesystem::exists(path));
    int aside = 0;
    for (auto& f : std::filesystem::directory_iterator(m_dir.Path()))
        aside += f.path().filename().string().rfind("cq.dat.bad", 0) == 0;
    EXPECT_EQ(aside, 1);
}

TEST_F(CQDataTest, ReplyWithCurrentTableOrBrokenChunksKeepsTheTable) {
    CAllCQData table;
    CSingleCQDataPerSecu e;
    e.m_code = CIndSecuCode(1, "600000");
    e.m_nDate = 20240101;
    table.AddEvent(e);
    std::vector<std::pair<uint32_t, int64_t>> posts;
    SetMarketUiHooks({[&](uint32_t m, uint64_t, int64_t l) {
                          posts.push_back({m, l});
                      },
                      nullptr, nullptr});

    CBuffer current = Bytes().u8(0).Buffer();
    EXPECT_TRUE(table.OnCQReply(current));
    EXPECT_EQ(table.GetEventCount(), 1u);

    struct Case {
        const char* what;
        std::vector<Bytes> messages;
    };
    std::vector<Case> cases = {
        {"chunk past the announced total", {Bytes().u8(2).u32(4).u16(5).raw("abcde", 5)}},
        {"later chunk without a first", {Bytes().u8(4).u16(2).raw("ab", 2)}},
        {"chunk shorter than its length", {Bytes().u8(2).u32(10).u16(8).raw("ab", 2)}},
        {"absurd total", {Bytes().u8(2).u32(0xFFFFFFFF).u16(0)}},
        {"does not decode",
         {Bytes().u8(2).u32(6).u16(3).raw("abc", 3), Bytes().u8(4).u16(3).raw("def", 3)}},
        {"cut off before the last chunk", {Bytes().u8(2).u32(6).u16(3).raw("abc", 3)}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (auto& m : c.messages) {
            CBuffer body = m.Buffer();
            table.OnCQReply(body);
        }
        EXPECT_EQ(table.GetEventCount(), 1u);
        EXPECT_EQ(table.GetAllEvents()[0].m_nDate, 20240101u);
    }
}
