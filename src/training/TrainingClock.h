#pragma once
// Wall-clock date and time in China Standard Time, whatever the machine's zone.

#include <cstdint>

// yyyymmdd and hhmmss of now; both -1 when the clock cannot be read.
void ChinaClockNow(int32_t& date, int32_t& time);
