#pragma once
// Period aggregation: whether two bar keys fall into one bar of a target period, and
// building target-period bars from a run of chart bars.

#include <cstdint>
#include <vector>

#include "marketdata/DayItem.h"

class CSecurity;

// Whether key b belongs to the same target bar as key a. Day family (type 4): period 2
// week (b later in the same Sunday-to-Saturday week, less than 7 days after a), 3 month,
// 4 quarter, 5 half-year, 6 year; other periods never. Minute bars (type 3, keys
// yyyymmddhhmm) with period p > 1: the same date and the same p-minute slot counted
// from the open over the data centre's trading sessions.
bool IsSamePeriod(int16_t dataType, int64_t a, int64_t b, uint16_t period);

// Takes a later bar of the same period into a period bar: the later key and close, the
// higher high, the lower low; amount, volume and summed value added. The doubles are
// packed, so they are read by value.
inline void FoldIntoPeriodBar(CFloatDayItem& bar, const CFloatDayItem& later) {
    bar.m_nTime = later.m_nTime;
    bar.m_fClose = later.m_fClose;
    bar.m_fHigh = MaxOf(bar.m_fHigh, later.m_fHigh);
    bar.m_fLow = MinOf(bar.m_fLow, later.m_fLow);
    bar.m_fAmount += later.m_fAmount;
    bar.m_fVolume += later.m_fVolume;
    bar.m_fSum += later.m_fSum;
}

// Days since 1970-01-01 of a yyyymmdd date (valid or not: callers check validity).
inline int64_t CivilDayIndex(uint32_t date) {
    int64_t y = date / 10000, m = date / 100 % 100, d = date % 100;
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Whether the week test holds for two valid dates given by their day indexes: b's
// weekday (Sunday first) after a's, and less than 7 days apart.
inline bool SameWeek(int64_t dayA, int64_t dayB) {
    auto weekday = [](int64_t day) { return ((day % 7) + 7 + 4) % 7; };  // 0 = Sunday
    return weekday(dayB) > weekday(dayA) && dayB - dayA < 7;
}

// Target bars from source bars [first, end) when the types match: bars of one target
// period merge (open of the first, close and key of the last, highest high, lowest low,
// amount, volume, reserved and summed value added). Otherwise the chart bars of the
// security's series of the target type and period, taken from the series pool (and
// given back).
std::vector<CFloatDayItem> GetPeriodBars(int16_t sourceType, const CSecurity* security,
                                         const CFloatDayItem* source, int count, int first, int end,
                                         int16_t targetType, int16_t targetPeriod);
