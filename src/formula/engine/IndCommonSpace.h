#pragma once
// Helpers the engine shares with the system's evaluators and loaders: number conversions,
// security and period texts, bar-time spans between periods, colours carried in doubles,
// and the allocator of bar arrays that cross the engine boundary.

#include <cstddef>
#include <cstdint>
#include <string>

#include "formula/engine/IndSecuCode.h"

namespace IndCommonSpace {

// Truncation toward zero, saturated at the target's limits; NaN gives 0.
long Double2Long(double v);
int Double2Int(double v);
int64_t Double2INT64(double v);
// Nearest integer (halves away from zero), saturated; NaN gives 0. For prices made integers
// (thousandths): 1.001 x 1000 is 1000.9999999999999 and must stay 1001.
int Double2IntRound(double v);

// "SH600000", "SZ000001", "600000" (market from the first digit) -> security; empty text
// gives an empty key.
CIndSecuCode GetCode(const std::string& text);

// Type code of a name of the language: low four bits 1 function, 2 data series (bits 4..15
// its loader slot), 3 constant. Returns 0 when the name is known (type written), else 1.
int GetFuncType(const std::string& name, uint32_t& type);

// Period text ("MIN5", "DAY", "WEEK", ...; also the Chinese names) -> data type and period.
// Non-zero when understood.
int Trans2DataType(const std::string& text, int16_t& dataType, int16_t& period);

// Bar arrays handed across the engine boundary come from here and go back here.
void* Alloc(size_t bytes);  // zeroed; null on failure
void Free(void* p);

// Bar time keys as the engine sees them: day-family bars yyyymmdd, minute bars yymmddhhmm.
// A bar of a shorter period -> the first and last key of the longer-period bar containing it,
// in the longer period's key form. Non-zero on success.
int ConvertTimeS2L(uint32_t time, int16_t shortType, int16_t shortPeriod, int16_t longType,
                   int16_t longPeriod, uint32_t& first, uint32_t& last);
// A bar of a longer period -> the first and last key of the shorter-period bars it covers,
// in the shorter period's key form. Non-zero on success.
int ConvertTimeL2S(uint32_t time, int16_t shortType, int16_t shortPeriod, int16_t longType,
                   int16_t longPeriod, uint32_t& first, uint32_t& last);

// Gregorian yyyymmdd -> lunar year, month, day (a leap month gives the number of the month
// it follows). Returns 0 for an invalid date or one outside the lunar calendar's range
// (then all three are 0), else non-zero. Thread-safe.
int GongLi2NongLi(int32_t date, int32_t& year, int32_t& month, int32_t& day);

// Calendar arithmetic on yyyymmdd dates (proleptic Gregorian, no time zone involved).
int64_t DaysFromDate(int32_t yyyymmdd);
int32_t DateFromDays(int64_t days);
int WeekDay(int32_t yyyymmdd);  // 0 = Sunday .. 6
bool IsValidDate(int32_t yyyymmdd);

// Colours travel through the evaluation as doubles whose bit pattern holds the COLORREF in
// the low 32 bits; a fill mode may sit in bits 16..23 of the high word.
double ColorToDouble(uint32_t colorref, uint32_t mode = 0);
uint32_t DoubleToColor(double v);

}  // namespace IndCommonSpace
