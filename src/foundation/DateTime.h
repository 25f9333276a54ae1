#pragma once
// Market dates and times. Dates are yyyymmdd integers, times of day hhmmss (or hhmm where
// said). Market time is China Standard Time (UTC+8, no daylight saving since 1991) whatever
// the machine's zone; nothing here depends on TZ.

#include <cstdint>

// True for a real calendar date between 19000101 and 20501231 (month lengths and leap
// years checked).
bool IsValidDate(uint32_t date);

// Seconds since the epoch of 00:00:00 China time on `date`; -1 when the date is not valid.
int64_t DateToTime(uint32_t date);

// China-time calendar date (yyyymmdd), time of day (hhmmss) and seconds of day of an
// epoch time.
uint32_t TimeToDate(int64_t t);
uint32_t TimeToHhmmss(int64_t t);
uint32_t TimeToSecondsOfDay(int64_t t);

// The date `days` days after `date` (negative: before); 0 when the date is not valid or
// the result leaves the valid range.
uint32_t AddDays(uint32_t date, int days);
// Day of the week of a valid date: 1 = Sunday ... 7 = Saturday; 0 when not valid.
int DayOfWeek(uint32_t date);
// Whole days from `a` to `b` (b - a); 0 when either is not valid.
int DaysBetween(uint32_t a, uint32_t b);

// "Now" in China time.
struct ChinaDateTime {
    uint32_t date = 0;          // yyyymmdd
    uint32_t time = 0;          // hhmmss
    uint32_t secondsOfDay = 0;  // hh * 3600 + mm * 60 + ss
};
ChinaDateTime ChinaNow();
uint32_t ChinaToday();
uint32_t ChinaTimeNow();

// Trading sessions of a security (at most 8), times as hhmm.
struct TradingSessions {
    uint8_t count = 0;
    uint8_t reserved = 0;
    int16_t start[8] = {};
    int16_t end[8] = {};
};

// 0-based index of the trading minute that ends at `hhmm`: 0930 and 0931 give 0 for a
// session opening at 0930; a time between sessions gives the last minute of the earlier
// one; a time after the close gives the last minute of the day.
int16_t MinutesSinceOpen(const TradingSessions& sessions, int hhmm);

// Moves a China-time date and hhmmss time back by `minutes` (a zone difference, positive
// for zones east of China), carrying into the date as needed. False, with nothing
// changed, when the date or time is not valid or the result leaves the valid range.
bool ShiftDateTime(int minutes, uint32_t& date, uint32_t& time);
