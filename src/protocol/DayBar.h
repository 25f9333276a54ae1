#pragma once
// CDayItem, the 32-byte integer bar, byte-identical on the wire and in the block files
// (little-endian; this program only runs on little-endian hosts). Prices are in units of
// 1 / price divisor. The time key is yyyymmdd for day bars and yyyymmddhhmm for minute
// bars, so key / 100'000'000 is the year of a minute bar.

#include <cstdint>

struct CDayItem {
    int64_t m_nTime = 0;
    int32_t m_nOpen = 0;
    int32_t m_nHigh = 0;
    int32_t m_nLow = 0;
    int32_t m_nClose = 0;
    int64_t m_nVolume = 0;
};
static_assert(sizeof(CDayItem) == 32, "CDayItem is a wire and file record");
