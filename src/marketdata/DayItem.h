#pragma once
// The two bar records of the market-data path.
//
// CDayItem is the 32-byte integer bar of the wire and the block files (protocol/DayBar.h).
//
// CFloatDayItem is the 124-byte chart bar that charts and indicator loaders read.

#include <cstdint>
#include <cstring>

#include "foundation/SortArray.h"
#include "protocol/DayBar.h"

#pragma pack(push, 4)
struct CFloatDayItem {
    int64_t m_nTime = 0;
    uint32_t m_nReserved = 0;
    double m_fOpen = 0;
    double m_fHigh = 0;
    double m_fLow = 0;
    double m_fClose = 0;
    double m_fAmount = 0;  // summed when bars merge
    double m_fVolume = 0;  // summed when bars merge
    double m_fLast = 0;    // taken from the newest bar when bars merge
    double m_fSum = 0;     // summed when bars merge; divided by the ex-rights factor
    double m_fExtra[5] = {};
    int16_t m_nCounter1 = 0;
    int16_t m_nCounter2 = 0;
    uint32_t m_nSegment = 0;  // minute bars merge only within one segment
};
#pragma pack(pop)
static_assert(sizeof(CFloatDayItem) == 124, "CFloatDayItem is read as a 124-byte record");

// The chart bar's doubles sit on 4-byte boundaries: take them by value, never bind a
// reference to one (std::max and friends do).
inline double MaxOf(double a, double b) {
    return a < b ? b : a;
}
inline double MinOf(double a, double b) {
    return b < a ? b : a;
}

// Keys compare as unsigned 64-bit numbers.
inline int SortArrayCompare(const CDayItem& a, const CDayItem& b) {
    uint64_t x = uint64_t(a.m_nTime), y = uint64_t(b.m_nTime);
    return x < y ? -1 : x > y ? 1 : 0;
}
inline int SortArrayCompare(const CFloatDayItem& a, const CFloatDayItem& b) {
    uint64_t x = uint64_t(a.m_nTime), y = uint64_t(b.m_nTime);
    return x < y ? -1 : x > y ? 1 : 0;
}

// Bar-array helpers by key.
template <class Bar>
inline int FindKey(const CSortArray<Bar>& bars, int64_t key) {
    Bar probe;
    probe.m_nTime = key;
    return bars.Find(probe);
}
template <class Bar>
inline int LowerBoundKey(const CSortArray<Bar>& bars, uint64_t key) {
    Bar probe;
    probe.m_nTime = int64_t(key);
    return bars.LowerBound(probe);
}

// Key range of one year; meaningful for minute keys (yyyymmddhhmm).
inline int64_t YearKeyBegin(uint32_t year) {
    return int64_t(year) * 100000000LL;
}
inline int64_t YearKeyEnd(uint32_t year) {
    return int64_t(year) * 100000000LL + 99999999LL;
}

// Sum modulo 256 of every byte of the bars: the check byte of a held-data summary.
inline uint8_t BarCheckByte(const CDayItem* bars, size_t count) {
    uint32_t sum = 0;
    const auto* p = reinterpret_cast<const uint8_t*>(bars);
    for (size_t i = 0, n = count * sizeof(CDayItem); i < n; ++i) sum += p[i];
    return uint8_t(sum);
}
