#include "TradingCalendar.h"

#include <algorithm>
#include <array>

#include "foundation/DateTime.h"

namespace {
// First day of each lunar new year.
constexpr std::array<uint32_t, 25> kSpringFestival = {
    20050209, 20060129, 20070218, 20080207, 20090126, 20100214, 20110203, 20120123, 20130210,
    20140131, 20150219, 20160208, 20170128, 20180216, 20190205, 20200125, 20210212, 20220201,
    20230122, 20240210, 20250129, 20260217, 20270206, 20280126, 20290213,
};

bool IsHoliday(uint32_t date) {
    uint32_t year = date / 10000, md = date % 10000;
    if (md == 101 || md == 102 || md == 103) return md == 101 || year < 2008;
    if (md >= 501 && md <= 503) return true;
    if (md >= 1001 && md <= 1007) return true;
    if (year >= 2008 && (md == 404 || md == 405)) return md == (year % 4 == 0 ? 404u : 405u);
    for (uint32_t festival : kSpringFestival) {
        if (festival / 10000 != year) continue;
        uint32_t eve = AddDays(festival, -1);
        int offset = DaysBetween(eve, date);
        return offset >= 0 && offset <= 6;
    }
    return false;
}
}  // namespace

bool IsTradingDay(uint32_t date) {
    int dow = DayOfWeek(date);
    if (dow == 0 || dow == 1 || dow == 7) return false;
    return !IsHoliday(date);
}

uint32_t LastClosedTradingDay() {
    ChinaDateTime now = ChinaNow();
    uint32_t day = now.date;
    if (!(IsTradingDay(day) && now.time >= 150000)) day = AddDays(day, -1);
    while (!IsTradingDay(day)) day = AddDays(day, -1);
    return day;
}

std::vector<uint32_t> TradingDays(uint32_t from, uint32_t to) {
    std::vector<uint32_t> days;
    for (uint32_t d = from; d && d <= to; d = AddDays(d, 1))
        if (IsTradingDay(d)) days.push_back(d);
    return days;
}

const std::vector<int>& TradingMinutes() {
    static const std::vector<int> minutes = [] {
        std::vector<int> m;
        for (int i = 1; i <= 120; ++i) {
            int t = 9 * 60 + 30 + i;
            m.push_back(t / 60 * 100 + t % 60);
        }
        for (int i = 1; i <= 120; ++i) {
            int t = 13 * 60 + i;
            m.push_back(t / 60 * 100 + t % 60);
        }
        return m;
    }();
    return minutes;
}
