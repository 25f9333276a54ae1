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

// Target bars from source bars [first, end) when the types match: bars of one target
// period merge (open of the first, close and key of the last, highest high, lowest low,
// amount, volume, reserved and summed value added). Otherwise the chart bars of the
// security's series of the target type and period, taken from the series pool (and
// given back).
std::vector<CFloatDayItem> GetPeriodBars(int16_t sourceType, const CSecurity* security,
                                         const CFloatDayItem* source, int count, int first, int end,
                                         int16_t targetType, int16_t targetPeriod);
