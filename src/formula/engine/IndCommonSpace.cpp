#include "formula/engine/IndCommonSpace.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "formula/engine/FunctionTable.h"
#include "formula/engine/LunarCalendar.h"

namespace IndCommonSpace {

long Double2Long(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(LONG_MAX)) return LONG_MAX;
    if (v <= static_cast<double>(LONG_MIN)) return LONG_MIN;
    return static_cast<long>(v);
}

int Double2Int(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

int Double2IntRound(double v) {
    return std::isnan(v) ? 0 : Double2Int(std::round(v));
}

int64_t Double2INT64(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 9.2e18) return INT64_MAX;
    if (v <= -9.2e18) return INT64_MIN;
    return static_cast<int64_t>(v);
}

CIndSecuCode GetCode(const std::string& text) {
    std::string t;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            t += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (t.empty()) return {};
    if (t.size() > 2 && t.compare(0, 2, "SH") == 0) return CIndSecuCode(1, t.substr(2));
    if (t.size() > 2 && t.compare(0, 2, "SZ") == 0) return CIndSecuCode(2, t.substr(2));
    int market = (t[0] == '6' || t[0] == '9' || t[0] == '5') ? 1 : 2;
    return CIndSecuCode(market, t);
}

int GetFuncType(const std::string& name, uint32_t& type) {
    const FunctionInfo* f = FindFunction(name);
    if (f) {
        switch (f->cls) {
            case FunctionClass::Series:
                type = (static_cast<uint32_t>(f->slot) << 4) | 2u;
                return 0;
            case FunctionClass::Constant:
            case FunctionClass::Style:
                type = (static_cast<uint32_t>(f->id) << 4) | 3u;
                return 0;
            default:
                type = (static_cast<uint32_t>(f->id) << 4) | 1u;
                return 0;
        }
    }
    return 1;
}

int Trans2DataType(const std::string& text, int16_t& dataType, int16_t& period) {
    std::string t;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            t += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    struct Entry {
        const char* name;
        int16_t type;
        int16_t period;
    };
    static constexpr Entry kTable[] = {
        {"MIN1", 3, 1},     {"1MIN", 3, 1},   {"MIN5", 3, 5},   {"5MIN", 3, 5},   {"MIN15", 3, 15},
        {"15MIN", 3, 15},   {"MIN30", 3, 30}, {"30MIN", 3, 30}, {"MIN60", 3, 60}, {"60MIN", 3, 60},
        {"DAY", 4, 1},      {"WEEK", 4, 2},   {"MONTH", 4, 3},  {"SEASON", 4, 4}, {"QUARTER", 4, 4},
        {"HALFYEAR", 4, 5}, {"YEAR", 4, 6},   {"1分", 3, 1},    {"5分", 3, 5},    {"15分", 3, 15},
        {"30分", 3, 30},    {"60分", 3, 60},  {"日线", 4, 1},   {"周线", 4, 2},   {"月线", 4, 3},
        {"季线", 4, 4},     {"半年线", 4, 5}, {"年线", 4, 6},
    };
    for (const auto& e : kTable) {
        if (t == e.name) {
            dataType = e.type;
            period = e.period;
            return 1;
        }
    }
    return 0;
}

void* Alloc(size_t bytes) {
    return std::calloc(bytes ? bytes : 1, 1);
}

void Free(void* p) {
    std::free(p);
}

// Days since 1970-01-01 of a civil date (H. Hinnant's algorithm).
int64_t DaysFromDate(int32_t yyyymmdd) {
    int64_t y = yyyymmdd / 10000;
    int64_t m = (yyyymmdd / 100) % 100;
    int64_t d = yyyymmdd % 100;
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int32_t DateFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp + (mp < 10 ? 3 : -9);
    y += m <= 2;
    return static_cast<int32_t>(y * 10000 + m * 100 + d);
}

int WeekDay(int32_t yyyymmdd) {
    int64_t days = DaysFromDate(yyyymmdd);
    int64_t w = (days + 4) % 7;  // 1970-01-01 was a Thursday
    return static_cast<int>(w < 0 ? w + 7 : w);
}

bool IsValidDate(int32_t d) {
    int m = (d / 100) % 100, day = d % 100;
    return d > 0 && m >= 1 && m <= 12 && day >= 1 && day <= 31 &&
           DateFromDays(DaysFromDate(d)) == d;
}

namespace {

bool IsMinuteType(int16_t type) {
    return type == 2 || type == 3 || type == 5;
}
bool IsDayType(int16_t type) {
    return type == 4;
}

// yymmddhhmm -> yyyymmdd and hhmm.
int32_t MinuteDate(uint32_t t) {
    return static_cast<int32_t>(t / 10000) + 20000000;
}
int32_t MinuteHhmm(uint32_t t) {
    return static_cast<int32_t>(t % 10000);
}
uint32_t MinuteKey(int32_t date, int32_t hhmm) {
    return static_cast<uint32_t>(date - 20000000) * 10000u + static_cast<uint32_t>(hhmm);
}

// Trading minutes of the exchange day (09:30-11:30, 13:00-15:00): a bar stamped hhmm at its
// end -> the number of trading minutes elapsed at that stamp (1..240).
int TradingMinute(int hhmm) {
    int m = hhmm / 100 * 60 + hhmm % 100;
    if (m <= 9 * 60 + 30) return 0;
    if (m <= 11 * 60 + 30) return m - (9 * 60 + 30);
    if (m <= 13 * 60) return 120;
    if (m <= 15 * 60) return 120 + m - 13 * 60;
    return 240;
}
int HhmmOfTradingMinute(int n) {
    int m = n <= 120 ? 9 * 60 + 30 + n : 13 * 60 + (n - 120);
    return m / 60 * 100 + m % 60;
}

// The calendar span of the day-family period containing a date.
void DaySpan(int32_t date, int16_t period, int32_t& first, int32_t& last) {
    int y = date / 10000, m = (date / 100) % 100;
    switch (period) {
        case 2: {  // week: Monday to Sunday
            int wd = WeekDay(date);
            int back = wd == 0 ? 6 : wd - 1;
            int64_t d = DaysFromDate(date);
            first = DateFromDays(d - back);
            last = DateFromDays(d - back + 6);
            return;
        }
        case 3:
            first = y * 10000 + m * 100 + 1;
            last = y * 10000 + m * 100 + 31;
            return;
        case 4: {
            int q = (m - 1) / 3 * 3 + 1;
            first = y * 10000 + q * 100 + 1;
            last = y * 10000 + (q + 2) * 100 + 31;
            return;
        }
        case 5: {
            int h = m <= 6 ? 1 : 7;
            first = y * 10000 + h * 100 + 1;
            last = y * 10000 + (h + 5) * 100 + 31;
            return;
        }
        case 6:
            first = y * 10000 + 101;
            last = y * 10000 + 1231;
            return;
        default:
            first = last = date;
            return;
    }
}

}  // namespace

int ConvertTimeS2L(uint32_t time, int16_t shortType, int16_t shortPeriod, int16_t longType,
                   int16_t longPeriod, uint32_t& first, uint32_t& last) {
    if (IsMinuteType(shortType) && IsDayType(longType)) {
        int32_t f, l;
        DaySpan(MinuteDate(time), longPeriod, f, l);
        first = static_cast<uint32_t>(f);
        last = static_cast<uint32_t>(l);
        return 1;
    }
    if (IsDayType(shortType) && IsDayType(longType)) {
        int32_t f, l;
        DaySpan(static_cast<int32_t>(time), longPeriod, f, l);
        first = static_cast<uint32_t>(f);
        last = static_cast<uint32_t>(l);
        return 1;
    }
    if (IsMinuteType(shortType) && IsMinuteType(longType)) {
        int p = longPeriod > 0 ? longPeriod : 1;
        int n = TradingMinute(MinuteHhmm(time));
        int end = std::min(240, std::max(p, (n + p - 1) / p * p));
        int start = end - p + 1;
        int32_t date = MinuteDate(time);
        first = MinuteKey(date, HhmmOfTradingMinute(std::max(1, start)));
        last = MinuteKey(date, HhmmOfTradingMinute(end));
        return 1;
    }
    return 0;
}

int ConvertTimeL2S(uint32_t time, int16_t shortType, int16_t shortPeriod, int16_t longType,
                   int16_t longPeriod, uint32_t& first, uint32_t& last) {
    if (IsDayType(longType)) {
        int32_t f, l;
        DaySpan(static_cast<int32_t>(time), longPeriod, f, l);
        if (IsDayType(shortType)) {
            first = static_cast<uint32_t>(f);
            last = static_cast<uint32_t>(l);
            return 1;
        }
        if (IsMinuteType(shortType)) {
            first = MinuteKey(f, 0);
            last = MinuteKey(l, 2359);
            return 1;
        }
        return 0;
    }
    if (IsMinuteType(longType) && IsMinuteType(shortType)) {
        int p = longPeriod > 0 ? longPeriod : 1;
        int n = TradingMinute(MinuteHhmm(time));
        int end = std::max(1, n);
        int start = std::max(1, end - p + 1);
        int32_t date = MinuteDate(time);
        first = MinuteKey(date, HhmmOfTradingMinute(start));
        last = MinuteKey(date, HhmmOfTradingMinute(end));
        return 1;
    }
    return 0;
}

int GongLi2NongLi(int32_t date, int32_t& year, int32_t& month, int32_t& day) {
    LunarCalendar::LunarDay lunar;
    bool ok = LunarCalendar::FromSolar(date, lunar);
    year = lunar.year;
    month = lunar.month;
    day = lunar.day;
    return ok ? 1 : 0;
}

double ColorToDouble(uint32_t colorref, uint32_t mode) {
    uint64_t bits = (static_cast<uint64_t>(mode & 0xFF) << 48) | colorref;
    return std::bit_cast<double>(bits);
}

uint32_t DoubleToColor(double v) {
    return static_cast<uint32_t>(std::bit_cast<uint64_t>(v) & 0xFFFFFFFFu);
}

}  // namespace IndCommonSpace
