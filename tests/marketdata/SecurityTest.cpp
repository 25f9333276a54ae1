#include <gtest/gtest.h>

#include "marketdata/Security.h"

namespace {
CSecurity* Make(int market, const char* code) {
    static std::vector<std::unique_ptr<CSecurity>> keep;
    keep.push_back(std::make_unique<CSecurity>());
    keep.back()->SetCode(CIndSecuCode(market, code));
    keep.back()->SetSecurityType();
    return keep.back().get();
}
}  // namespace

TEST(Security, IndexesTypesAndHands) {
    EXPECT_TRUE(IsIndexSecurity(CIndSecuCode(1, "000300")));
    EXPECT_TRUE(IsIndexSecurity(CIndSecuCode(2, "399001")));
    EXPECT_FALSE(IsIndexSecurity(CIndSecuCode(1, "600000")));
    EXPECT_FALSE(IsIndexSecurity(CIndSecuCode(2, "000001")));
    EXPECT_EQ(Make(1, "600000")->VolumeToHands(12345), 123);
    EXPECT_EQ(Make(1, "000001")->VolumeToHands(12345), 12345);

    struct Case {
        int market;
        const char* code;
        uint64_t mask;
    };
    for (auto c :
         {Case{1, "000300", 0x40000001}, Case{1, "600000", 0x2}, Case{1, "900901", 0x4},
          Case{1, "510050", 0x8}, Case{1, "204001", 0x40}, Case{1, "700000", 0x400},
          Case{2, "002001", 0x2000000}, Case{2, "300001", 0x10000000}, Case{2, "000001", 0x2000},
          Case{2, "399001", 0x1000}, Case{2, "159915", 0x8000}, Case{2, "200002", 0x4000},
          Case{2, "400002", 0x800}, Case{2, "800000", 0x20000000}, Case{3, "600000", 0}})
        EXPECT_EQ(Make(c.market, c.code)->GetTypeMask(), c.mask) << c.market << " " << c.code;
    EXPECT_EQ(Make(1, "1")->GetMarketPrefix(), "sh");
    EXPECT_EQ(Make(2, "1")->GetMarketPrefix(), "sz");
    EXPECT_EQ(Make(3, "1")->GetMarketPrefix(), "");
}

TEST(Security, ValueBlockLayout) {
    IndValueArray v;
    const uint8_t* b = v.GetData();
    auto u32 = [&](size_t at) {
        uint32_t x;
        memcpy(&x, b + at, 4);
        return x;
    };
    EXPECT_EQ(u32(0), 17u);
    EXPECT_EQ(u32(4), 23u);
    EXPECT_EQ(u32(8), 306u);
    EXPECT_EQ(u32(12), 792u);
    uint16_t size = 0;
    EXPECT_EQ(v.GetBlob(6, &size), b + 16 + 170);
    EXPECT_EQ(size, 34);
    EXPECT_EQ(v.GetBlob(13, &size), b + 16 + 304);
    EXPECT_EQ(v.GetBlob(1000, &size), b + 16 + 536);
    EXPECT_EQ(v.GetBlob(1002, &size), b + 16 + 632);
    EXPECT_EQ(size, 160);
    EXPECT_EQ(v.GetBlob(7), nullptr);
    EXPECT_TRUE(v.SetValue(7, 1000));
    EXPECT_EQ(v.GetValue(7), 1000);
    EXPECT_FALSE(v.SetValue(6, 1));   // a blob id
    EXPECT_FALSE(v.SetValue(17, 1));  // unknown
    EXPECT_EQ(v.GetValue(5000), 0);
}

TEST(Security, SessionsAndBarMinutes) {
    CSecurity* s = Make(1, "600000");
    EXPECT_EQ(s->GetDayOpenTime(), 0);
    EXPECT_FALSE(s->IsSessionEndTime(1500));
    TradingSessions t;
    t.count = 2;
    t.start[0] = 930, t.end[0] = 1130, t.start[1] = 1300, t.end[1] = 1500;
    s->SetSessions(t);
    EXPECT_EQ(s->GetDayOpenTime(), 930);
    EXPECT_TRUE(s->IsSessionEndTime(1130));
    for (auto [in, out] : {std::pair{93000u, 931},
                           {92000u, 931},
                           {120000u, 1130},
                           {145930u, 1500},
                           {160000u, 1500},
                           {103000u, 1031},
                           {112959u, 1130}})
        EXPECT_EQ(s->GetBarMinute(in), out) << in;
    for (auto [t2, index] :
         {std::pair{930, 0}, {931, 0}, {1130, 119}, {1200, 119}, {1301, 120}, {1500, 239}})
        EXPECT_EQ(s->TimeToMinuteIndex(int16_t(t2)), index) << t2;
    for (uint16_t i : {0, 59, 119, 120, 239})
        EXPECT_EQ(s->TimeToMinuteIndex(int16_t(s->MinuteIndexToTime(i))), i) << i;
    EXPECT_EQ(s->MinuteIndexToTime(0), 931);
    EXPECT_EQ(s->MinuteIndexToTime(500), 1500);
}

TEST(Security, QuoteRatiosNeverDivideByZero) {
    CSecurity* s = Make(1, "600000");
    s->SetReplyQuote(0, 1100, 1000, 0);  // value 0 becomes 0
    EXPECT_EQ(s->GetQuoteValue(-149), 0);
    EXPECT_EQ(s->GetQuoteValue(-144), 0);
    EXPECT_EQ(s->GetQuoteValue(-145), 0);  // volume divisor 0
    s->GetValues().SetValue(14, 100);
    s->GetValues().SetValue(1004, 5000);
    // No sessions: minute index 0, one minute traded: 5000 × 240 / 1 / 100 × 100.
    EXPECT_EQ(s->GetQuoteValue(-145), 1200000);

    s->SetReplyQuote(7, 1100, 1000, 1050);   // value 0 = 1050
    EXPECT_EQ(s->GetQuoteValue(-149), 952);  // (100 * 100000 / 1050 + 5) / 10
    EXPECT_EQ(s->GetQuoteValue(-103), 7);
    EXPECT_EQ(s->GetQuoteValue(-100), 1050);
    EXPECT_EQ(s->GetQuoteValue(-147), 0);
    s->SetReplyQuote(7, 1000, 1100, 1000);
    EXPECT_EQ(s->GetQuoteValue(-149), -1000);  // (-100 * 100000 / 1000 - 5) / 10

    // Price limit: at the upper limit with nothing left to sell.
    s->GetValues().SetValue(1021, 1000);
    EXPECT_TRUE(s->IsAtPriceLimit(true));
    EXPECT_FALSE(s->IsAtPriceLimit(false));
}
