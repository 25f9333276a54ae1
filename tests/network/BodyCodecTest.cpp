// Every message body against bytes written out by hand from the documented layouts (never
// produced by the codec under test): each encoder must give exactly these bytes and each
// decoder must read them back field by field, consuming all of them. A body cut short
// anywhere must fail with a CParseError that names the message and the field.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/Buffer.h"
#include "foundation/ParseError.h"
#include "protocol/Bodies.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Market 1, code "600000": u32, then u16 length and the six digits.
const Bytes kSecurity = {0x01, 0x00, 0x00, 0x00, 0x06, 0x00, '6', '0', '0', '0', '0', '0'};
// Market 2, code "000001".
const Bytes kSecurity2 = {0x02, 0x00, 0x00, 0x00, 0x06, 0x00, '0', '0', '0', '0', '0', '1'};

// One 32-byte bar: key 20230103 (i64), open 1000, high 1100, low 900, close 1050,
// volume 123456 (i64).
const Bytes kBar = {0xD7, 0xAF, 0x34, 0x01, 0x00, 0x00, 0x00, 0x00,  // key
                    0xE8, 0x03, 0x00, 0x00, 0x4C, 0x04, 0x00, 0x00,  // open, high
                    0x84, 0x03, 0x00, 0x00, 0x1A, 0x04, 0x00, 0x00,  // low, close
                    0x40, 0xE2, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00};  // volume
const CDayItem kBarItem{20230103, 1000, 1100, 900, 1050, 123456};

// Held summary: count 2, first key low half 0x1A14C213, last key low half 0x1AC094AC,
// check byte 0x5A.
const Bytes kSummary = {0x02, 0x00, 0x00, 0x00, 0x13, 0xC2, 0x14, 0x1A,
                        0xAC, 0x94, 0xC0, 0x1A, 0x5A};
const wire::HeldSummary kSummaryValue{2, 0x1A14C213, 0x1AC094AC, 0x5A};

// Quote block q1..q4 = 20230103, 1000, 1050, 250.
const Bytes kQuote = {0xD7, 0xAF, 0x34, 0x01, 0xE8, 0x03, 0x00, 0x00,
                      0x1A, 0x04, 0x00, 0x00, 0xFA, 0x00, 0x00, 0x00};
const wire::QuoteBlock kQuoteValue{20230103, 1000, 1050, 250};

const wire::SecurityRef kRef{1, "600000"};

void ExpectBar(const CDayItem& bar) {
    EXPECT_EQ(bar.m_nTime, kBarItem.m_nTime);
    EXPECT_EQ(bar.m_nOpen, kBarItem.m_nOpen);
    EXPECT_EQ(bar.m_nHigh, kBarItem.m_nHigh);
    EXPECT_EQ(bar.m_nLow, kBarItem.m_nLow);
    EXPECT_EQ(bar.m_nClose, kBarItem.m_nClose);
    EXPECT_EQ(bar.m_nVolume, kBarItem.m_nVolume);
}

struct BodyCase {
    std::string name;
    Bytes bytes;
    std::string where;  // what a parse error must name
    // Encodes the body this case describes; empty for decode-only cases.
    std::function<void(CBuffer&)> encode;
    // Decodes from the buffer and checks every field.
    std::function<void(CBuffer&)> decode;
    // A cut at this length is itself a whole body (0: none is).
    size_t wholeAt = 0;
};

std::vector<BodyCase> Cases() {
    std::vector<BodyCase> c;

    // --- connection start ---
    c.push_back({"LoginRequestGuestWithoutName", {0x00, 0x00}, "request 13301",
                 [](CBuffer& out) { wire::LoginRequest{""}.Encode(out); },
                 [](CBuffer& in) {
                     wire::LoginRequest r;
                     r.link = "stale";
                     r.Decode(in);
                     EXPECT_EQ(r.link, "");
                 }});
    c.push_back({"LoginRequestWithLink", {0x05, 0x00, 'h', 't', 't', 'p', ':'}, "request 13301",
                 [](CBuffer& out) { wire::LoginRequest{"http:"}.Encode(out); },
                 [](CBuffer& in) {
                     wire::LoginRequest r;
                     r.Decode(in);
                     EXPECT_EQ(r.link, "http:");
                 }});
    // u8 result, string text, string account, u16 count, count strings.
    c.push_back({"LoginReply",
                 {0x01, 0x02, 0x00, 'O', 'K', 0x02, 0x00, 'a', 'b', 0x02, 0x00, 0x01, 0x00, 'x',
                  0x00, 0x00},
                 "reply 13301",
                 [](CBuffer& out) {
                     wire::LoginReply r;
                     r.result = 1;
                     r.text = "OK";
                     r.account = "ab";
                     r.strings = {"x", ""};
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::LoginReply r;
                     r.Decode(in);
                     EXPECT_EQ(r.result, 1);
                     EXPECT_EQ(r.text, "OK");
                     EXPECT_EQ(r.account, "ab");
                     EXPECT_EQ(r.strings, (std::vector<std::string>{"x", ""}));
                 }});
    // The count of further strings is a signed 16-bit number: 0x8000 reads none.
    c.push_back({"LoginReplyCountAboveSignedRange",
                 {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80},
                 "reply 13301", nullptr, [](CBuffer& in) {
                     wire::LoginReply r;
                     r.Decode(in);
                     EXPECT_EQ(r.result, 0);
                     EXPECT_TRUE(r.strings.empty());
                 }});
    c.push_back({"CodeTableRequest", {0x34, 0x12}, "request 10201",
                 [](CBuffer& out) { wire::CodeTableRequest{0x1234}.Encode(out); },
                 [](CBuffer& in) {
                     wire::CodeTableRequest r;
                     r.Decode(in);
                     EXPECT_EQ(r.checksum, 0x1234);
                 }});
    c.push_back({"ExRightsRequest", {0x04, 0x03, 0x02, 0x01, 0x05, 0x00, 0x00, 0x00},
                 "request 13101",
                 [](CBuffer& out) { wire::ExRightsRequest{0x01020304, 5}.Encode(out); },
                 [](CBuffer& in) {
                     wire::ExRightsRequest r;
                     r.Decode(in);
                     EXPECT_EQ(r.version1, 0x01020304u);
                     EXPECT_EQ(r.version2, 5u);
                 }});

    // --- chunked downloads ---
    struct Chunk {
        const char* name;
        const wire::ChunkScheme* scheme;
        bool inDownload;
        Bytes bytes;
        uint8_t flags;
        uint32_t total;
        uint16_t checksum;
        Bytes chunk;
        bool current;
    };
    const std::vector<Chunk> chunks = {
        // Code table: 1 current; 4 first (u32 total); 2 last (u16 checksum); 6 both, the
        // total before the checksum.
        {"CodeTableCurrent", &wire::kCodeTableChunks, false, {0x01}, 1, 0, 0, {}, true},
        {"CodeTableFirst", &wire::kCodeTableChunks, false,
         {0x04, 0x05, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x02}, 4, 5, 0, {1, 2}, false},
        {"CodeTableMiddle", &wire::kCodeTableChunks, true, {0x00, 0x01, 0x00, 0x03}, 0, 0, 0,
         {3}, false},
        {"CodeTableLast", &wire::kCodeTableChunks, true, {0x02, 0xCD, 0xAB, 0x01, 0x00, 0x04}, 2,
         0, 0xABCD, {4}, false},
        {"CodeTableSingle", &wire::kCodeTableChunks, false,
         {0x06, 0x03, 0x00, 0x00, 0x00, 0xCD, 0xAB, 0x03, 0x00, 0xAA, 0xBB, 0xCC}, 6, 3, 0xABCD,
         {0xAA, 0xBB, 0xCC}, false},
        // Ex-rights: 0 current (outside a download); 2 first (u32 total); 4 last, no
        // checksum; 0 inside a download is a middle chunk.
        {"ExRightsCurrent", &wire::kExRightsChunks, false, {0x00}, 0, 0, 0, {}, true},
        {"ExRightsFirst", &wire::kExRightsChunks, false,
         {0x02, 0x04, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x02}, 2, 4, 0, {1, 2}, false},
        {"ExRightsMiddle", &wire::kExRightsChunks, true, {0x00, 0x01, 0x00, 0x03}, 0, 0, 0, {3},
         false},
        {"ExRightsLast", &wire::kExRightsChunks, true, {0x04, 0x01, 0x00, 0x04}, 4, 0, 0, {4},
         false},
        {"ExRightsSingle", &wire::kExRightsChunks, false,
         {0x06, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x09}, 6, 1, 0, {9}, false},
    };
    for (const Chunk& k : chunks) {
        c.push_back({k.name, k.bytes, k.scheme->where,
                     [k](CBuffer& out) {
                         wire::ChunkReply r;
                         r.flags = k.flags;
                         r.total = k.total;
                         r.checksum = k.checksum;
                         r.chunk = k.chunk;
                         r.Encode(out, *k.scheme, k.inDownload);
                     },
                     [k](CBuffer& in) {
                         wire::ChunkReply r;
                         r.Decode(in, *k.scheme, k.inDownload);
                         EXPECT_EQ(r.flags, k.flags);
                         EXPECT_EQ(r.IsCurrent(*k.scheme, k.inDownload), k.current);
                         EXPECT_EQ(r.total, k.total);
                         EXPECT_EQ(r.checksum, k.checksum);
                         EXPECT_EQ(r.chunk, k.chunk);
                     }});
    }
    // History chunks open with the security; 4 first (u32 announced size), 2 last.
    c.push_back({"HistoryChunkFirst",
                 Cat({kSecurity, {0x04, 0x10, 0x00, 0x00, 0x00, 0x02, 0x00, 0x07, 0x08}}),
                 "reply 10801",
                 [](CBuffer& out) {
                     wire::HistoryChunkReply r;
                     r.security = kRef;
                     r.chunk.flags = 4;
                     r.chunk.total = 16;
                     r.chunk.chunk = {7, 8};
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::HistoryChunkReply r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, kRef);
                     EXPECT_EQ(r.chunk.flags, 4);
                     EXPECT_EQ(r.chunk.total, 16u);
                     EXPECT_EQ(r.chunk.chunk, (Bytes{7, 8}));
                 }});
    c.push_back({"HistoryChunkMiddle", Cat({kSecurity, {0x00, 0x01, 0x00, 0x09}}), "reply 10801",
                 [](CBuffer& out) {
                     wire::HistoryChunkReply r;
                     r.security = kRef;
                     r.chunk.chunk = {9};
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::HistoryChunkReply r;
                     r.Decode(in);
                     EXPECT_EQ(r.chunk.flags, 0);
                     EXPECT_EQ(r.chunk.chunk, (Bytes{9}));
                 }});

    // --- series requests ---
    // 10801/10701: security, u16 type 3, u16 period 1, u32 bars wanted 240, u32 upper
    // date 20231231, u16 one year; year 2023, u32 count 2, i64 first key 202301030931,
    // i64 last key 202312291500, u8 check 0x5A.
    c.push_back({"HistoryRequest",
                 Cat({kSecurity,
                      {0x03, 0x00, 0x01, 0x00, 0xF0, 0x00, 0x00, 0x00, 0x3F, 0xB4, 0x34, 0x01,
                       0x01, 0x00, 0xE7, 0x07, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
                       0x13, 0xC2, 0x14, 0x1A, 0x2F, 0x00, 0x00, 0x00,
                       0xAC, 0x94, 0xC0, 0x1A, 0x2F, 0x00, 0x00, 0x00, 0x5A}}),
                 "request 10801",
                 [](CBuffer& out) {
                     wire::HistoryRequest r;
                     r.security = kRef;
                     r.dataType = 3;
                     r.period = 1;
                     r.barsWanted = 240;
                     r.upperDate = 20231231;
                     r.years = {{2023, 2, 202301030931, 202312291500, 0x5A}};
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::HistoryRequest r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, kRef);
                     EXPECT_EQ(r.dataType, 3);
                     EXPECT_EQ(r.period, 1);
                     EXPECT_EQ(r.barsWanted, 240u);
                     EXPECT_EQ(r.upperDate, 20231231u);
                     ASSERT_EQ(r.years.size(), 1u);
                     EXPECT_EQ(r.years[0],
                               (wire::YearSummary{2023, 2, 202301030931, 202312291500, 0x5A}));
                 }});
    // 10901: security, u16 type 4, u16 period 1, u16 n-day count 7, u32 bars wanted 500,
    // summary.
    c.push_back({"UpdateRequest",
                 Cat({kSecurity, {0x04, 0x00, 0x01, 0x00, 0x07, 0x00, 0xF4, 0x01, 0x00, 0x00},
                      kSummary}),
                 "request 10901",
                 [](CBuffer& out) {
                     wire::UpdateRequest r;
                     r.security = kRef;
                     r.dataType = 4;
                     r.period = 1;
                     r.nDayCount = 7;
                     r.barsWanted = 500;
                     r.held = kSummaryValue;
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::UpdateRequest r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, kRef);
                     EXPECT_EQ(r.dataType, 4);
                     EXPECT_EQ(r.period, 1);
                     EXPECT_EQ(r.nDayCount, 7);
                     EXPECT_EQ(r.barsWanted, 500u);
                     EXPECT_EQ(r.held, kSummaryValue);
                 }});
    // 11001: security, u16 type 4, u16 period 2 (week), u16 n-day count 7, u32 parameter
    // 1 = 20230630, u32 parameter 2 = 100, summary.
    c.push_back({"TrainingBarsRequest",
                 Cat({kSecurity,
                      {0x04, 0x00, 0x02, 0x00, 0x07, 0x00, 0xE6, 0xB1, 0x34, 0x01, 0x64, 0x00,
                       0x00, 0x00},
                      kSummary}),
                 "request 11001",
                 [](CBuffer& out) {
                     wire::TrainingBarsRequest r;
                     r.security = kRef;
                     r.dataType = 4;
                     r.period = 2;
                     r.nDayCount = 7;
                     r.param1 = 20230630;
                     r.param2 = 100;
                     r.held = kSummaryValue;
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::TrainingBarsRequest r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, kRef);
                     EXPECT_EQ(r.dataType, 4);
                     EXPECT_EQ(r.period, 2);
                     EXPECT_EQ(r.nDayCount, 7);
                     EXPECT_EQ(r.param1, 20230630u);
                     EXPECT_EQ(r.param2, 100u);
                     EXPECT_EQ(r.held, kSummaryValue);
                 }});
    // 10401: security, u32 from 20230103, u32 to 20230630, summary.
    c.push_back({"RangeRequest",
                 Cat({kSecurity, {0xD7, 0xAF, 0x34, 0x01, 0xE6, 0xB1, 0x34, 0x01}, kSummary}),
                 "request 10401",
                 [](CBuffer& out) { wire::RangeRequest{kRef, 20230103, 20230630, kSummaryValue}.Encode(out); },
                 [](CBuffer& in) {
                     wire::RangeRequest r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, kRef);
                     EXPECT_EQ(r.from, 20230103u);
                     EXPECT_EQ(r.to, 20230630u);
                     EXPECT_EQ(r.held, kSummaryValue);
                 }});
    // 10501: security, u32 window bar count 120, summary (nothing held: all zero).
    c.push_back({"RandomWindowRequest",
                 Cat({kSecurity, {0x78, 0x00, 0x00, 0x00}, Bytes(13, 0x00)}), "request 10501",
                 [](CBuffer& out) { wire::RandomWindowRequest{kRef, 120, {}}.Encode(out); },
                 [](CBuffer& in) {
                     wire::RandomWindowRequest r;
                     r.held = kSummaryValue;
                     r.Decode(in);
                     EXPECT_EQ(r.security, kRef);
                     EXPECT_EQ(r.barCount, 120u);
                     EXPECT_EQ(r.held, wire::HeldSummary{});
                 }});

    // --- series replies ---
    // Decompressed 10801: security, u16 m = 2; {2022, replace 1, 0 bars},
    // {2023, replace 0, 250 bars}; u32 n = 1; one bar.
    c.push_back({"HistoryContent",
                 Cat({kSecurity,
                      {0x02, 0x00, 0xE6, 0x07, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
                       0xE7, 0x07, 0x00, 0x00, 0x00, 0xFA, 0x00, 0x00, 0x00,
                       0x01, 0x00, 0x00, 0x00},
                      kBar}),
                 "reply 10801 content",
                 [](CBuffer& out) {
                     wire::HistoryContent r;
                     r.security = kRef;
                     r.groups = {{2022, 1, 0}, {2023, 0, 250}};
                     r.bars = {kBarItem};
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::HistoryContent r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, kRef);
                     EXPECT_EQ(r.groups,
                               (std::vector<wire::YearGroup>{{2022, 1, 0}, {2023, 0, 250}}));
                     ASSERT_EQ(r.bars.size(), 1u);
                     ExpectBar(r.bars[0]);
                 }});
    // 10701: security, u16 k = 1, year 2023; u16 g = 1; {2023, replace 1, count 250,
    // u32 n = 1, one bar}.
    c.push_back({"HistoryReply",
                 Cat({kSecurity,
                      {0x01, 0x00, 0xE7, 0x07, 0x00, 0x00, 0x01, 0x00, 0xE7, 0x07, 0x00, 0x00,
                       0x01, 0xFA, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00},
                      kBar}),
                 "reply 10701",
                 [](CBuffer& out) {
                     wire::HistoryReply r;
                     r.security = kRef;
                     r.years = {2023};
                     r.groups = {{{2023, 1, 250}, {kBarItem}}};
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::HistoryReply r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, kRef);
                     EXPECT_EQ(r.years, (std::vector<uint32_t>{2023}));
                     ASSERT_EQ(r.groups.size(), 1u);
                     EXPECT_EQ(r.groups[0].year, (wire::YearGroup{2023, 1, 250}));
                     ASSERT_EQ(r.groups[0].bars.size(), 1u);
                     ExpectBar(r.groups[0].bars[0]);
                 }});
    // 10901: security, u8 reset 1, u32 total 3000, quote, u32 cut 20000101, u32 n = 1, bar.
    c.push_back({"UpdateReply",
                 Cat({kSecurity, {0x01, 0xB8, 0x0B, 0x00, 0x00}, kQuote,
                      {0x65, 0x2D, 0x31, 0x01, 0x01, 0x00, 0x00, 0x00}, kBar}),
                 "reply 10901",
                 [](CBuffer& out) {
                     wire::UpdateReply r;
                     r.security = kRef;
                     r.reset = 1;
                     r.total = 3000;
                     r.quote = kQuoteValue;
                     r.cut = 20000101;
                     r.bars = {kBarItem};
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::UpdateReply r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, kRef);
                     EXPECT_EQ(r.reset, 1);
                     EXPECT_EQ(r.total, 3000u);
                     EXPECT_EQ(r.quote, kQuoteValue);
                     EXPECT_EQ(r.cut, 20000101u);
                     ASSERT_EQ(r.bars.size(), 1u);
                     ExpectBar(r.bars[0]);
                 }});
    // 10401/10501: security, quote, u32 from, u32 to, u32 total 3000, u8 has-bars 1,
    // u8 reset 0, u32 cut 0, u32 n = 1, bar.
    c.push_back({"WindowReplyWithBars",
                 Cat({kSecurity, kQuote,
                      {0xD7, 0xAF, 0x34, 0x01, 0xE6, 0xB1, 0x34, 0x01, 0xB8, 0x0B, 0x00, 0x00,
                       0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00},
                      kBar}),
                 "reply 10401",
                 [](CBuffer& out) {
                     wire::WindowReply r;
                     r.security = kRef;
                     r.quote = kQuoteValue;
                     r.from = 20230103;
                     r.to = 20230630;
                     r.total = 3000;
                     r.run.present = true;
                     r.run.bars = {kBarItem};
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::WindowReply r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, kRef);
                     EXPECT_EQ(r.quote, kQuoteValue);
                     EXPECT_EQ(r.from, 20230103u);
                     EXPECT_EQ(r.to, 20230630u);
                     EXPECT_EQ(r.total, 3000u);
                     EXPECT_TRUE(r.run.present);
                     EXPECT_EQ(r.run.reset, 0);
                     EXPECT_EQ(r.run.cut, 0u);
                     ASSERT_EQ(r.run.bars.size(), 1u);
                     ExpectBar(r.run.bars[0]);
                 }});
    // Has-bars 0: nothing follows it.
    c.push_back({"WindowReplyWithoutBars",
                 Cat({kSecurity, kQuote,
                      {0xD7, 0xAF, 0x34, 0x01, 0xE6, 0xB1, 0x34, 0x01, 0x00, 0x00, 0x00, 0x00,
                       0x00}}),
                 "reply 10501",
                 [](CBuffer& out) {
                     wire::WindowReply r;
                     r.security = kRef;
                     r.quote = kQuoteValue;
                     r.from = 20230103;
                     r.to = 20230630;
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::WindowReply r;
                     r.Decode(in, 10501);
                     EXPECT_EQ(r.total, 0u);
                     EXPECT_FALSE(r.run.present);
                     EXPECT_TRUE(r.run.bars.empty());
                 }});
    // 11001: as the window reply without the two range fields; here reset 1, cut
    // 20000101.
    c.push_back({"TrainingBarsReply",
                 Cat({kSecurity, kQuote,
                      {0xB8, 0x0B, 0x00, 0x00, 0x01, 0x01, 0x65, 0x2D, 0x31, 0x01, 0x01, 0x00,
                       0x00, 0x00},
                      kBar}),
                 "reply 11001",
                 [](CBuffer& out) {
                     wire::TrainingBarsReply r;
                     r.security = kRef;
                     r.quote = kQuoteValue;
                     r.total = 3000;
                     r.run.present = true;
                     r.run.reset = 1;
                     r.run.cut = 20000101;
                     r.run.bars = {kBarItem};
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::TrainingBarsReply r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, kRef);
                     EXPECT_EQ(r.quote, kQuoteValue);
                     EXPECT_EQ(r.total, 3000u);
                     EXPECT_TRUE(r.run.present);
                     EXPECT_EQ(r.run.reset, 1);
                     EXPECT_EQ(r.run.cut, 20000101u);
                     ASSERT_EQ(r.run.bars.size(), 1u);
                     ExpectBar(r.run.bars[0]);
                 }});

    // --- training services ---
    c.push_back({"SupportRangeRequest", kSecurity, "request 12001",
                 [](CBuffer& out) { wire::SupportRangeRequest{kRef}.Encode(out); },
                 [](CBuffer& in) {
                     wire::SupportRangeRequest r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, kRef);
                 }});
    // security, u32 begin 19900101, u32 end 20231231, u32 maximum days 123456.
    c.push_back({"SupportRangeReply",
                 Cat({kSecurity, {0xC5, 0xA6, 0x2F, 0x01, 0x3F, 0xB4, 0x34, 0x01, 0x40, 0xE2,
                                  0x01, 0x00}}),
                 "reply 12001",
                 [](CBuffer& out) {
                     wire::SupportRangeReply{kRef, true, 19900101, 20231231, 123456}.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::SupportRangeReply r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, kRef);
                     EXPECT_TRUE(r.hasRange);
                     EXPECT_EQ(r.begin, 19900101u);
                     EXPECT_EQ(r.end, 20231231u);
                     EXPECT_EQ(r.maxDays, 123456u);
                 },
                 kSecurity.size()});
    // A reply about another security may end after its code.
    c.push_back({"SupportRangeReplyWithoutRange", kSecurity2, "reply 12001",
                 [](CBuffer& out) {
                     wire::SupportRangeReply r;
                     r.security = {2, "000001"};
                     r.hasRange = false;
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::SupportRangeReply r;
                     r.begin = 1;
                     r.Decode(in);
                     EXPECT_EQ(r.security, (wire::SecurityRef{2, "000001"}));
                     EXPECT_FALSE(r.hasRange);
                     EXPECT_EQ(r.begin, 0u);
                 }});
    // u32 market 0 and a code of length 0 when no security is chosen; u32 days 250.
    c.push_back({"DataRangeRequestWithoutSecurity",
                 {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFA, 0x00, 0x00, 0x00}, "request 12101",
                 [](CBuffer& out) { wire::DataRangeRequest{{}, 250}.Encode(out); },
                 [](CBuffer& in) {
                     wire::DataRangeRequest r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, wire::SecurityRef{});
                     EXPECT_EQ(r.days, 250u);
                 }});
    c.push_back({"DataRangeRequest", Cat({kSecurity2, {0xFA, 0x00, 0x00, 0x00}}),
                 "request 12101",
                 [](CBuffer& out) { wire::DataRangeRequest{{2, "000001"}, 250}.Encode(out); },
                 [](CBuffer& in) {
                     wire::DataRangeRequest r;
                     r.Decode(in);
                     EXPECT_EQ(r.security, (wire::SecurityRef{2, "000001"}));
                     EXPECT_EQ(r.days, 250u);
                 }});
    // u8 status 1, then security, begin, end, maximum days.
    c.push_back({"DataRangeReply",
                 Cat({{0x01}, kSecurity2,
                      {0xC5, 0xA6, 0x2F, 0x01, 0x3F, 0xB4, 0x34, 0x01, 0x40, 0xE2, 0x01, 0x00}}),
                 "reply 12101",
                 [](CBuffer& out) {
                     wire::DataRangeReply{1, {2, "000001"}, 19900101, 20231231, 123456}.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::DataRangeReply r;
                     r.Decode(in);
                     EXPECT_EQ(r.status, 1);
                     EXPECT_EQ(r.security, (wire::SecurityRef{2, "000001"}));
                     EXPECT_EQ(r.begin, 19900101u);
                     EXPECT_EQ(r.end, 20231231u);
                     EXPECT_EQ(r.maxDays, 123456u);
                 }});
    // Status 0 ends the reply.
    c.push_back({"DataRangeReplyRefused", {0x00}, "reply 12101",
                 [](CBuffer& out) { wire::DataRangeReply{}.Encode(out); },
                 [](CBuffer& in) {
                     wire::DataRangeReply r;
                     r.Decode(in);
                     EXPECT_EQ(r.status, 0);
                 }});
    // u16 offset 6, u16 page size 6.
    c.push_back({"CandidatesRequest", {0x06, 0x00, 0x06, 0x00}, "request 13001",
                 [](CBuffer& out) { wire::CandidatesRequest{6, 6}.Encode(out); },
                 [](CBuffer& in) {
                     wire::CandidatesRequest r;
                     r.Decode(in);
                     EXPECT_EQ(r.offset, 6);
                     EXPECT_EQ(r.pageSize, 6);
                 }});
    // u16 total 40, u16 offset 6, u16 n 2, then {u32 market, u16 length, code} each.
    c.push_back({"CandidatesReply",
                 Cat({{0x28, 0x00, 0x06, 0x00, 0x02, 0x00}, kSecurity, kSecurity2}),
                 "reply 13001",
                 [](CBuffer& out) {
                     wire::CandidatesReply{40, 6, {kRef, {2, "000001"}}}.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::CandidatesReply r;
                     r.Decode(in);
                     EXPECT_EQ(r.total, 40);
                     EXPECT_EQ(r.offset, 6);
                     EXPECT_EQ(r.entries,
                               (std::vector<wire::SecurityRef>{kRef, {2, "000001"}}));
                 }});

    // --- table contents ---
    // u32 N = 1; u32 market 1, string code "600000", string name (two GBK bytes).
    c.push_back({"CodeTableContent",
                 Cat({{0x01, 0x00, 0x00, 0x00}, kSecurity, {0x02, 0x00, 0xC6, 0xD6}}),
                 "code table",
                 [](CBuffer& out) {
                     wire::CodeTableContent r;
                     r.entries = {{1, "600000", "\xC6\xD6"}};
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::CodeTableContent r;
                     r.Decode(in);
                     ASSERT_EQ(r.entries.size(), 1u);
                     EXPECT_EQ(r.entries[0].market, 1u);
                     EXPECT_EQ(r.entries[0].code, "600000");
                     EXPECT_EQ(r.entries[0].name, "\xC6\xD6");
                 }});
    // cq.dat: u16 version 1, u32 version words 7 and 9, u32 N = 1; one event: market 1,
    // "600000", date 20150618, cash 2,500,000, bonus 10,000,000, transfer 0, rights
    // 3,000,000, rights price 8,000.
    c.push_back({"ExRightsContent",
                 Cat({{0x01, 0x00, 0x07, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x01, 0x00,
                       0x00, 0x00},
                      kSecurity,
                      {0x5A, 0x79, 0x33, 0x01,                          // date
                       0xA0, 0x25, 0x26, 0x00, 0x00, 0x00, 0x00, 0x00,  // cash
                       0x80, 0x96, 0x98, 0x00, 0x00, 0x00, 0x00, 0x00,  // bonus
                       0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // transfer
                       0xC0, 0xC6, 0x2D, 0x00, 0x00, 0x00, 0x00, 0x00,  // rights
                       0x40, 0x1F, 0x00, 0x00}}),                       // rights price
                 "reply 13101",
                 [](CBuffer& out) {
                     wire::ExRightsContent r;
                     r.version1 = 7;
                     r.version2 = 9;
                     r.records = {{1, "600000", 20150618, 2500000, 10000000, 0, 3000000, 8000}};
                     r.Encode(out);
                 },
                 [](CBuffer& in) {
                     wire::ExRightsContent r;
                     r.Decode(in);
                     EXPECT_EQ(r.format, 1);
                     EXPECT_EQ(r.version1, 7u);
                     EXPECT_EQ(r.version2, 9u);
                     ASSERT_EQ(r.records.size(), 1u);
                     const wire::ExRightsRecord& e = r.records[0];
                     EXPECT_EQ(e.market, 1u);
                     EXPECT_EQ(e.code, "600000");
                     EXPECT_EQ(e.date, 20150618u);
                     EXPECT_EQ(e.cash, 2500000);
                     EXPECT_EQ(e.bonus, 10000000);
                     EXPECT_EQ(e.transfer, 0);
                     EXPECT_EQ(e.rights, 3000000);
                     EXPECT_EQ(e.rightsPrice, 8000u);
                 }});
    return c;
}

CBuffer Load(const Bytes& bytes, size_t length) {
    CBuffer b;
    b.Write(bytes.data(), uint32_t(length));
    return b;
}

class BodyCodec : public testing::TestWithParam<BodyCase> {};

TEST_P(BodyCodec, EncodesTheDocumentedBytes) {
    const BodyCase& c = GetParam();
    if (!c.encode) GTEST_SKIP() << "decode-only case";
    CBuffer out;
    c.encode(out);
    EXPECT_EQ(Bytes(out.GetData(), out.GetData() + out.GetLength()), c.bytes);
}

TEST_P(BodyCodec, DecodesEveryFieldAndConsumesTheBody) {
    const BodyCase& c = GetParam();
    CBuffer in = Load(c.bytes, c.bytes.size());
    c.decode(in);
    EXPECT_EQ(in.GetLength(), 0u) << "bytes left unread";
}

TEST_P(BodyCodec, ShortBodyNamesTheMessageAndTheField) {
    const BodyCase& c = GetParam();
    for (size_t length = 0; length < c.bytes.size(); ++length) {
        if (c.wholeAt && length == c.wholeAt) continue;
        CBuffer in = Load(c.bytes, length);
        try {
            c.decode(in);
            ADD_FAILURE() << "cut to " << length << " bytes: no error";
        } catch (const CParseError& e) {
            EXPECT_EQ(e.Where(), c.where) << "cut to " << length << ": " << e.what();
            EXPECT_FALSE(e.Field().empty()) << "cut to " << length << ": " << e.what();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Bodies, BodyCodec, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<BodyCase>& info) {
                             return info.param.name;
                         });

TEST(BodyCodec, LyingCountsFailBeforeAnythingIsReserved) {
    // A bar count far beyond the bytes that follow; a year count likewise.
    Bytes update = Cat({kSecurity, {0x00, 0x00, 0x00, 0x00, 0x00}, kQuote,
                        {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x7F}});
    CBuffer in = Load(update, update.size());
    wire::UpdateReply reply;
    try {
        reply.Decode(in);
        ADD_FAILURE() << "no error";
    } catch (const CParseError& e) {
        EXPECT_EQ(e.Where(), "reply 10901");
        EXPECT_EQ(e.Field(), "bars");
        EXPECT_NE(std::string(e.what()).find("2147483647 bars announced"), std::string::npos)
            << e.what();
    }
    Bytes history = Cat({kSecurity, {0xFF, 0xFF}});
    CBuffer in2 = Load(history, history.size());
    wire::HistoryContent content;
    EXPECT_THROW(content.Decode(in2), CParseError);
}

TEST(BodyCodec, ShortTablesKeepTheRecordsBeforeTheBreak) {
    // Two entries announced, one and a half present.
    Bytes table = Cat({{0x02, 0x00, 0x00, 0x00}, kSecurity, {0x00, 0x00}, kSecurity2});
    CBuffer in = Load(table, table.size());
    wire::CodeTableContent content;
    EXPECT_THROW(content.Decode(in), CParseError);
    ASSERT_EQ(content.entries.size(), 1u);
    EXPECT_EQ(content.entries[0].code, "600000");
}

TEST(ParseError, MessageSaysWhereWhichFieldAndWhat) {
    CParseError e("short read: 4 bytes wanted, 1 left");
    e.Locate("reply 10901", "total count");
    EXPECT_STREQ(e.what(), "reply 10901: total count: short read: 4 bytes wanted, 1 left");
    e.Locate("outer", "outer field");  // the innermost name stays
    EXPECT_EQ(e.Where(), "reply 10901");
    EXPECT_EQ(e.Field(), "total count");
}

}  // namespace
