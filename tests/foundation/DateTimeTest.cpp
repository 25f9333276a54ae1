#include <gtest/gtest.h>

#include <cstdlib>

#include "foundation/DateTime.h"

TEST(DateTime, IsValidDateChecksRealCalendar) {
    struct {
        uint32_t date;
        bool valid;
    } cases[] = {
        {20180231, false}, {20240229, true},  {20230229, false}, {20000229, true},
        {19000229, false}, {20180430, true},  {20180431, false}, {20181231, true},
        {20181301, false}, {20180001, false}, {20180100, false}, {18991231, false},
        {19000101, true},  {20501231, true},  {20510101, false}, {0, false},
    };
    for (auto c : cases) EXPECT_EQ(IsValidDate(c.date), c.valid) << c.date;
}

TEST(DateTime, DateToTimeIsChinaMidnightWhateverTheZone) {
    // The suite runs under TZ=Europe/London; the answer must not depend on it.
    EXPECT_EQ(DateToTime(19700101), -8 * 3600);
    EXPECT_EQ(DateToTime(20240301), 1709222400);
    EXPECT_EQ(DateToTime(20180231), -1);
    setenv("TZ", "America/New_York", 1);
    EXPECT_EQ(DateToTime(20240301), 1709222400);
    setenv("TZ", "Europe/London", 1);

    int64_t t = DateToTime(20240229) + 23 * 3600 + 59 * 60 + 58;
    EXPECT_EQ(TimeToDate(t), 20240229u);
    EXPECT_EQ(TimeToHhmmss(t), 235958u);
    EXPECT_EQ(TimeToDate(t + 2), 20240301u);
    EXPECT_EQ(TimeToSecondsOfDay(t), 86398u);
}

TEST(DateTime, CalendarArithmetic) {
    EXPECT_EQ(AddDays(20240228, 1), 20240229u);
    EXPECT_EQ(AddDays(20240301, -1), 20240229u);
    EXPECT_EQ(AddDays(20231231, 1), 20240101u);
    EXPECT_EQ(AddDays(20501231, 1), 0u);
    EXPECT_EQ(AddDays(20180231, 1), 0u);
    EXPECT_EQ(DayOfWeek(20150615), 2);  // Monday
    EXPECT_EQ(DayOfWeek(20150619), 6);  // Friday
    EXPECT_EQ(DayOfWeek(20150621), 1);  // Sunday
    EXPECT_EQ(DaysBetween(20150619, 20150622), 3);
    EXPECT_EQ(DaysBetween(20240301, 20240228), -2);
}

TEST(DateTime, ChinaNowIsConsistent) {
    ChinaDateTime now = ChinaNow();
    EXPECT_TRUE(IsValidDate(now.date));
    EXPECT_EQ(now.time, now.secondsOfDay / 3600 * 10000 + now.secondsOfDay / 60 % 60 * 100 +
                            now.secondsOfDay % 60);
}

TEST(DateTime, MinutesSinceOpenOverTwoSessions) {
    TradingSessions s;
    s.count = 2;
    s.start[0] = 930;
    s.end[0] = 1130;
    s.start[1] = 1300;
    s.end[1] = 1500;
    struct {
        int time;
        int index;
    } cases[] = {{900, 0},    {930, 0},    {931, 0},    {1000, 29},  {1130, 119},
                 {1200, 119}, {1300, 119}, {1301, 120}, {1500, 239}, {1600, 239}};
    for (auto c : cases) EXPECT_EQ(MinutesSinceOpen(s, c.time), c.index) << c.time;
    s.count = 200;  // never reads past the eight slots
    EXPECT_EQ(MinutesSinceOpen(s, 1600), 239);
}

TEST(DateTime, ShiftDateTimeKeepsTheMinutesOfTheDifference) {
    struct {
        int minutes;
        uint32_t date, time, wantDate, wantTime;
    } cases[] = {
        {90, 20240301, 3000, 20240229, 230000},  // 90 minutes, not one hour
        {60, 20240301, 3000, 20240229, 233000},     {-60, 20231231, 233015, 20240101, 3015},
        {-570, 20240101, 120000, 20240101, 213000}, {30, 20240101, 120000, 20240101, 113000},
        {0, 20180231, 999999, 20180231, 999999},  // nothing to do, nothing checked
    };
    for (auto c : cases) {
        uint32_t d = c.date, t = c.time;
        EXPECT_TRUE(ShiftDateTime(c.minutes, d, t)) << c.minutes;
        EXPECT_EQ(d, c.wantDate) << c.minutes;
        EXPECT_EQ(t, c.wantTime) << c.minutes;
    }
    uint32_t d = 20180231, t = 120000;
    EXPECT_FALSE(ShiftDateTime(60, d, t));
    EXPECT_EQ(d, 20180231u);
    EXPECT_EQ(t, 120000u);
    d = 19000101, t = 3000;
    EXPECT_FALSE(ShiftDateTime(60, d, t)) << "leaves the valid range";
    EXPECT_EQ(t, 3000u);
}
