#include "training/TrainingClock.h"

#include <ctime>

void ChinaClockNow(int32_t& date, int32_t& time)
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    // China has kept UTC+8 without daylight saving since 1991.
    const std::time_t china = now + 8 * 3600;
    if (now == static_cast<std::time_t>(-1) || !gmtime_r(&china, &tm)) {
        date = -1;
        time = -1;
        return;
    }
    date = (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
    time = tm.tm_hour * 10000 + tm.tm_min * 100 + tm.tm_sec;
}
