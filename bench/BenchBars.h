#pragma once
// Bars the market-data and chart benchmarks build their series from.

#include <cstdint>
#include <vector>

#include "foundation/DateTime.h"
#include "marketdata/DayItem.h"

inline uint32_t NextWeekday(uint32_t date) {
    do date = AddDays(date, 1);
    while (DayOfWeek(date) == 1 || DayOfWeek(date) == 7);
    return date;
}

// One-minute keys of consecutive weekdays: 240 bars a day.
inline std::vector<CDayItem> MinuteBars(int n) {
    std::vector<CDayItem> bars(static_cast<size_t>(n));
    uint32_t day = 20050104;
    for (int i = 0; i < n; ++i) {
        int m = i % 240;
        if (m == 0 && i) day = NextWeekday(day);
        int start = m < 120 ? 930 : 1300, off = m % 120 + 1;
        int hhmm = (start / 100 + (start % 100 + off) / 60) * 100 + (start % 100 + off) % 60;
        CDayItem& b = bars[size_t(i)];
        b.m_nTime = int64_t(day) * 10000 + hhmm;
        b.m_nOpen = 10000 + i % 97;
        b.m_nHigh = b.m_nOpen + 30;
        b.m_nLow = b.m_nOpen - 25;
        b.m_nClose = b.m_nOpen + 5;
        b.m_nVolume = 1000 + i % 13;
    }
    return bars;
}
