#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "foundation/Crc16.h"

namespace {

// Bit-at-a-time definition of CRC-16/XMODEM, to hold the table-driven one against.
uint16_t BitwiseCrc(const std::vector<uint8_t>& data) {
    uint16_t crc = 0;
    for (uint8_t b : data) {
        crc ^= static_cast<uint16_t>(b << 8);
        for (int i = 0; i < 8; ++i)
            crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

}  // namespace

TEST(Crc16, CheckValueAndEmptyRange) {
    const char* check = "123456789";
    EXPECT_EQ(Crc16(9, reinterpret_cast<const uint8_t*>(check)), 0x31C3);
    EXPECT_EQ(Crc16(0, nullptr), 0);
}

TEST(Crc16, TableMatchesBitwiseDefinition) {
    std::mt19937 rng(7);
    for (size_t len : {1u, 2u, 31u, 256u, 4097u}) {
        std::vector<uint8_t> data(len);
        for (auto& b : data) b = static_cast<uint8_t>(rng());
        EXPECT_EQ(Crc16(data.size(), data.data()), BitwiseCrc(data)) << "length " << len;
    }
}
