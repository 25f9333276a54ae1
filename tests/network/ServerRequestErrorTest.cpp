// A request the server cannot read is refused with an error that names the request and
// the field it broke at, and nothing is answered.

#include <gtest/gtest.h>

#include "DemoMarket.h"
#include "MarketService.h"
#include "foundation/Buffer.h"
#include "foundation/ParseError.h"
#include "protocol/Wire.h"

namespace {

struct Short {
    uint16_t command;
    std::vector<uint8_t> body;
    const char* where;
    const char* field;
};

TEST(ServerRequests, ShortOrLyingRequestsNameTheMessageAndField) {
    static CDemoMarket demo(20241231, 120);
    CMarketService service(demo, ServerFaults{});
    const std::vector<Short> cases = {
        {wire::kUpdate, {1, 0, 0, 0, 6, 0, '6', '0', '0', '0', '0', '0', 4, 0}, "request 10901",
         "period"},
        {wire::kCodeTable, {0x12}, "request 10201", "checksum"},
        {wire::kExRights, {1, 0, 0, 0, 2}, "request 13101", "version word 2"},
        {wire::kLogin, {9, 0, 'h'}, "request 13301", "account link"},
        {wire::kCandidates, {}, "request 13001", "offset"},
        // 65,535 years announced, none carried.
        {wire::kHistory,
         {1, 0, 0, 0, 0, 0, 3, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF},
         "request 10801", "year count"},
    };
    for (const Short& c : cases) {
        CBuffer body;
        body.Write(c.body.data(), uint32_t(c.body.size()));
        std::string log;
        try {
            auto replies = service.Answer(c.command, body, log);
            ADD_FAILURE() << c.where << ": answered " << replies.size() << " messages";
        } catch (const CParseError& e) {
            EXPECT_EQ(e.Where(), c.where) << e.what();
            EXPECT_EQ(e.Field(), c.field) << e.what();
        }
    }
}

TEST(ServerRequests, MoreYearsThanTheServerServesAreRefused) {
    static CDemoMarket demo(20241231, 120);
    CMarketService service(demo, ServerFaults{});
    CBuffer body;
    body.WriteUInt32(1);
    body.WriteString("600000");
    body.WriteUInt16(3);
    body.WriteUInt16(1);
    body.WriteUInt32(240);
    body.WriteUInt32(0);
    body.WriteUInt16(65);
    for (int i = 0; i < 65; ++i) {
        body.WriteUInt32(1990 + i);
        body.WriteUInt32(0);
        body.WriteInt64(0);
        body.WriteInt64(0);
        body.WriteUInt8(0);
    }
    std::string log;
    EXPECT_THROW(service.Answer(wire::kHistoryPlain, body, log), CParseError);
}

}  // namespace
