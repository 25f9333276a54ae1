#pragma once
// Trading days of the Shanghai and Shenzhen exchanges, close enough for demo data:
// weekdays less New Year, the Spring Festival week, Qingming, Labour Day and the National
// Day week.

#include <cstdint>
#include <vector>

bool IsTradingDay(uint32_t date);
// The newest trading day whose session has closed, in China time.
uint32_t LastClosedTradingDay();
// The trading days in [from, to], ascending.
std::vector<uint32_t> TradingDays(uint32_t from, uint32_t to);
// The 240 minute keys' times of day (hhmm) of one session day: 0931..1130, 1301..1500.
const std::vector<int>& TradingMinutes();
