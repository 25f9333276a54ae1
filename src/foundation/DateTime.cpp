#include "foundation/DateTime.h"

#include <chrono>

namespace {

constexpr int64_t kChinaOffset = 8 * 3600;
constexpr int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date (the well-known civil algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

uint32_t CivilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return static_cast<uint32_t>((y + (m <= 2)) * 10000 + m * 100 + d);
}

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int64_t DayNumber(uint32_t date) {
    return DaysFromCivil(date / 10000, (date / 100) % 100, date % 100);
}

bool IsValidHhmmss(uint32_t t) {
    return t / 10000 <= 23 && (t / 100) % 100 <= 59 && t % 100 <= 59;
}

}  // namespace

bool IsValidDate(uint32_t date) {
    if (date < 19000101 || date > 20501231) return false;
    unsigned year = date / 10000, month = (date / 100) % 100, day = date % 100;
    if (month < 1 || month > 12 || day < 1) return false;
    static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    unsigned last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last;
}

int64_t DateToTime(uint32_t date) {
    if (!IsValidDate(date)) return -1;
    return DayNumber(date) * kSecondsPerDay - kChinaOffset;
}

uint32_t TimeToDate(int64_t t) {
    return CivilFromDays(FloorDiv(t + kChinaOffset, kSecondsPerDay));
}

uint32_t TimeToSecondsOfDay(int64_t t) {
    int64_t local = t + kChinaOffset;
    return static_cast<uint32_t>(local - FloorDiv(local, kSecondsPerDay) * kSecondsPerDay);
}

uint32_t TimeToHhmmss(int64_t t) {
    uint32_t s = TimeToSecondsOfDay(t);
    return s / 3600 * 10000 + (s / 60 % 60) * 100 + s % 60;
}

uint32_t AddDays(uint32_t date, int days) {
    if (!IsValidDate(date)) return 0;
    uint32_t result = CivilFromDays(DayNumber(date) + days);
    return IsValidDate(result) ? result : 0;
}

int DayOfWeek(uint32_t date) {
    if (!IsValidDate(date)) return 0;
    // 1970-01-01 was a Thursday (5 in the 1 = Sunday numbering).
    int64_t w = (DayNumber(date) + 4) % 7;
    if (w < 0) w += 7;
    return static_cast<int>(w) + 1;
}

int DaysBetween(uint32_t a, uint32_t b) {
    if (!IsValidDate(a) || !IsValidDate(b)) return 0;
    return static_cast<int>(DayNumber(b) - DayNumber(a));
}

ChinaDateTime ChinaNow() {
    int64_t t = std::chrono::duration_cast<std::chrono::seconds>(
                    std::chrono::system_clock::now().time_since_epoch())
                    .count();
    ChinaDateTime now;
    now.date = TimeToDate(t);
    now.secondsOfDay = TimeToSecondsOfDay(t);
    now.time = TimeToHhmmss(t);
    return now;
}

uint32_t ChinaToday() {
    return ChinaNow().date;
}

uint32_t ChinaTimeNow() {
    return ChinaNow().time;
}

int16_t MinutesSinceOpen(const TradingSessions& sessions, int hhmm) {
    auto minutes = [](int a, int b) { return (b / 100 - a / 100) * 60 + b % 100 - a % 100; };
    int count = sessions.count > 8 ? 8 : sessions.count;
    int sum = 0;
    for (int i = 0; i < count; ++i) {
        int s = sessions.start[i], e = sessions.end[i];
        if (hhmm <= s) return static_cast<int16_t>(i == 0 ? 0 : sum - 1);
        if (hhmm <= e) return static_cast<int16_t>(sum + minutes(s, hhmm) - 1);
        sum += minutes(s, e);
    }
    return static_cast<int16_t>(sum - 1);
}

bool ShiftDateTime(int minutes, uint32_t& date, uint32_t& time) {
    if (minutes == 0) return true;
    if (!IsValidDate(date) || !IsValidHhmmss(time)) return false;
    int64_t seconds = DayNumber(date) * kSecondsPerDay + (time / 10000) * 3600 +
                      ((time / 100) % 100) * 60 + time % 100 - static_cast<int64_t>(minutes) * 60;
    int64_t day = FloorDiv(seconds, kSecondsPerDay);
    int64_t rest = seconds - day * kSecondsPerDay;
    uint32_t newDate = CivilFromDays(day);
    if (!IsValidDate(newDate)) return false;
    date = newDate;
    time = static_cast<uint32_t>(rest / 3600 * 10000 + (rest / 60 % 60) * 100 + rest % 60);
    return true;
}
