#include "formula/engine/LunarCalendar.h"

#include <lunar-date/lunar-date.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "formula/engine/IndCommonSpace.h"

namespace LunarCalendar {

namespace {

// The lunar years liblunar-date carries.
constexpr int kFirstLunarYear = 1900;
constexpr int kLastLunarYear = 2100;

struct MonthStart {
    int64_t firstDay;  // day number (IndCommonSpace::DaysFromDate) of the month's first day
    int16_t year;
    int8_t month;
    bool leap;
};

struct MonthTable {
    std::vector<MonthStart> months;  // ascending
    int64_t lastDay = 0;             // day number of the last convertible day
};

class LunarDateHandle {
public:
    LunarDateHandle() : m_p(lunar_date_new()) {}
    ~LunarDateHandle() {
        if (m_p) lunar_date_free(m_p);
    }
    LunarDateHandle(const LunarDateHandle&) = delete;
    LunarDateHandle& operator=(const LunarDateHandle&) = delete;
    LunarDate* get() const { return m_p; }

private:
    LunarDate* m_p;
};

// Gregorian yyyymmdd of a lunar date, 0 when the library rejects it (no such leap month, day
// beyond the month's length, year out of its range).
int32_t SolarOf(LunarDate* ld, int year, int month, int day, bool leap) {
    GError* error = nullptr;
    lunar_date_set_lunar_date(ld, static_cast<GDateYear>(year), static_cast<GDateMonth>(month),
                              static_cast<GDateDay>(day), 0, leap ? TRUE : FALSE, &error);
    if (error) {
        g_error_free(error);
        return 0;
    }
    gchar* text = lunar_date_strftime(ld, "%(year) %(month) %(day)");
    if (!text) return 0;
    int y = 0, m = 0, d = 0;
    int n = std::sscanf(text, "%d %d %d", &y, &m, &d);
    g_free(text);
    if (n != 3) return 0;
    int32_t date = y * 10000 + m * 100 + d;
    return IndCommonSpace::IsValidDate(date) ? date : 0;
}

// The library's own conversion of a Gregorian date, false when it refuses the date.
bool LunarOf(LunarDate* ld, int32_t date, LunarDay& out) {
    GError* error = nullptr;
    lunar_date_set_solar_date(ld, static_cast<GDateYear>(date / 10000),
                              static_cast<GDateMonth>(date / 100 % 100),
                              static_cast<GDateDay>(date % 100), 0, &error);
    if (error) {
        g_error_free(error);
        return false;
    }
    gchar* text = lunar_date_strftime(ld, "%(nian) %(yue) %(ri)");
    if (!text) return false;
    // A leap month is written with a '*' before its number.
    std::string s(text);
    g_free(text);
    out.leap = s.find('*') != std::string::npos;
    std::replace(s.begin(), s.end(), '*', ' ');
    return std::sscanf(s.c_str(), "%d %d %d", &out.year, &out.month, &out.day) == 3;
}

// Converting every bar through the library costs microseconds and a GObject per call; asking
// it once for the first day of every lunar month reduces each conversion to a binary search
// over immutable data, which any thread may do.
MonthTable BuildTable() {
    MonthTable table;
    LunarDateHandle ld;
    if (!ld.get()) return table;
    std::vector<MonthStart> months;
    months.reserve((kLastLunarYear - kFirstLunarYear + 1) * 13);
    for (int y = kFirstLunarYear; y <= kLastLunarYear; ++y) {
        for (int m = 1; m <= 12; ++m) {
            // A leap month follows the ordinary month of the same number.
            for (bool leap : {false, true}) {
                int32_t first = SolarOf(ld.get(), y, m, 1, leap);
                if (first)
                    months.push_back({IndCommonSpace::DaysFromDate(first), static_cast<int16_t>(y),
                                      static_cast<int8_t>(m), leap});
            }
        }
    }
    if (months.size() < 2) return table;
    // Every month but the last ends where the next begins. The library will not turn the
    // last month's later days into Gregorian dates (they fall in a year it does not list),
    // but it converts them the other way: the last month runs as far as that agrees.
    const MonthStart& last = months.back();
    int64_t endDay = last.firstDay;
    for (int64_t n = last.firstDay + 1; n < last.firstDay + 30; ++n) {
        LunarDay d;
        if (!LunarOf(ld.get(), IndCommonSpace::DateFromDays(n), d) || d.year != last.year ||
            d.month != last.month || d.leap != last.leap || d.day != n - last.firstDay + 1)
            break;
        endDay = n;
    }
    // A table that is not a run of 29- and 30-day months would give wrong days: refuse it
    // rather than report wrong values.
    for (size_t i = 1; i < months.size(); ++i) {
        int64_t len = months[i].firstDay - months[i - 1].firstDay;
        if (len != 29 && len != 30) return table;
    }
    table.lastDay = endDay;
    table.months = std::move(months);
    return table;
}

const MonthTable& Table() {
    static const MonthTable table = BuildTable();
    return table;
}

}  // namespace

bool FromSolar(int32_t yyyymmdd, LunarDay& out) {
    out = LunarDay{};
    if (!IndCommonSpace::IsValidDate(yyyymmdd)) return false;
    const MonthTable& t = Table();
    if (t.months.empty()) return false;
    const int64_t day = IndCommonSpace::DaysFromDate(yyyymmdd);
    if (day < t.months.front().firstDay || day > t.lastDay) return false;
    auto it = std::upper_bound(t.months.begin(), t.months.end(), day,
                               [](int64_t d, const MonthStart& m) { return d < m.firstDay; });
    const MonthStart& m = *(it - 1);
    out.year = m.year;
    out.month = m.month;
    out.day = static_cast<int32_t>(day - m.firstDay + 1);
    out.leap = m.leap;
    return true;
}

int32_t FirstDate() {
    const MonthTable& t = Table();
    return t.months.empty() ? 0 : IndCommonSpace::DateFromDays(t.months.front().firstDay);
}

int32_t LastDate() {
    const MonthTable& t = Table();
    return t.months.empty() ? 0 : IndCommonSpace::DateFromDays(t.lastDay);
}

}  // namespace LunarCalendar
