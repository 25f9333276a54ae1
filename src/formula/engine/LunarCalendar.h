#pragma once
// Gregorian dates to the Chinese lunar calendar (农历), for the LYEAR, LMONTH and LDAY series.

#include <cstdint>

namespace LunarCalendar {

struct LunarDay {
    int32_t year =
        0;  // the lunar year the day belongs to (the days before 春节 count to the old year)
    int32_t month = 0;  // 1..12; a leap month carries the number of the month it follows
    int32_t day = 0;    // 1..30
    bool leap = false;  // the day lies in a leap month (闰月)
};

// Gregorian yyyymmdd -> lunar day. False (and a zeroed result) for an invalid date or one
// outside the calendar's range (see FirstDate and LastDate). Thread-safe and cheap: the month
// table is built once, on first use.
bool FromSolar(int32_t yyyymmdd, LunarDay& out);

// The first and last Gregorian dates FromSolar converts (0 when the calendar is unavailable).
int32_t FirstDate();
int32_t LastDate();

}  // namespace LunarCalendar
