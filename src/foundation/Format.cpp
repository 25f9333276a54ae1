#include "foundation/Format.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace {

struct PeriodEntry {
    int command;
    int16_t dataType;
    int16_t period;
};

constexpr PeriodEntry kPeriods[] = {
    {ID_PERIOD_TICK, DATATYPE_TICK, 0},     {ID_PERIOD_TREND, DATATYPE_TREND, 0},
    {ID_PERIOD_MIN1, DATATYPE_MINUTE, 1},   {ID_PERIOD_MIN5, DATATYPE_MINUTE, 5},
    {ID_PERIOD_MIN15, DATATYPE_MINUTE, 15}, {ID_PERIOD_MIN30, DATATYPE_MINUTE, 30},
    {ID_PERIOD_MIN60, DATATYPE_MINUTE, 60}, {ID_PERIOD_DAY, DATATYPE_DAY, 1},
    {ID_PERIOD_WEEK, DATATYPE_DAY, 2},      {ID_PERIOD_MONTH, DATATYPE_DAY, 3},
    {ID_PERIOD_QUARTER, DATATYPE_DAY, 4},   {ID_PERIOD_HALFYEAR, DATATYPE_DAY, 5},
    {ID_PERIOD_YEAR, DATATYPE_DAY, 6},      {ID_PERIOD_NDAY, DATATYPE_DAY, -1},
};

std::string Printf(const char* format, auto... args) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, args...);
    return buf;
}

}  // namespace

PeriodSettings& UserPeriodSettings() {
    static PeriodSettings settings;
    return settings;
}

void CommandIdToPeriod(int commandId, int16_t& dataType, int16_t& period,
                       const PeriodSettings& settings) {
    if (commandId == ID_PERIOD_NMINUTE) {
        dataType = DATATYPE_MINUTE;
        period = settings.minuteCount;
        return;
    }
    for (const PeriodEntry& e : kPeriods) {
        if (e.command == commandId) {
            dataType = e.dataType;
            period = e.period;
            return;
        }
    }
    dataType = DATATYPE_DAY;
    period = 0;
}

int PeriodToCommandId(int dataType, int period) {
    if (dataType == DATATYPE_TICK) return ID_PERIOD_TICK;
    if (dataType == DATATYPE_TREND) return ID_PERIOD_TREND;
    if (dataType == DATATYPE_MINUTE && period == -1) return ID_PERIOD_NMINUTE;
    for (const PeriodEntry& e : kPeriods)
        if (e.dataType == dataType && e.period == period) return e.command;
    return 0;
}

std::string GetPeriodName(int period, int dataType, bool expand, bool shortName,
                          const PeriodSettings& settings) {
    switch (dataType) {
        case DATATYPE_TREND:
            return "分时";
        case DATATYPE_HISTREND:
            return "历史";
        case DATATYPE_TICK:
            return "每笔";
        case DATATYPE_MINUTE: {
            int minutes = period;
            if (period == -1) {
                if (!expand) return "多分钟";
                minutes = settings.minuteCount;
            }
            std::string name = Printf("%d分", minutes);
            if (!shortName) name += "钟";
            return name;
        }
        case DATATYPE_DAY:
            switch (period) {
                case 2:
                    return "周线";
                case 3:
                    return "月线";
                case 4:
                    return "季线";
                case 5:
                    return "半年线";
                case 6:
                    return "年线";
                case -1:
                    if (!expand) return "多日线";
                    if (settings.dayCount >= 0) return Printf("正%d日", settings.dayCount);
                    return Printf("反%d日", -settings.dayCount);
                default:
                    return "日线";
            }
        default:
            return {};
    }
}

double RoundToInt(double x) {
    return x >= 0 ? std::trunc(x + 0.5) : std::trunc(x - 0.5);
}

std::string FormatCompactNumber(double x) {
    double n = RoundToInt(x);
    // Whole values print without decimals; beyond the 64-bit range "%.0f" says the same.
    if (x == n)
        return std::fabs(n) < 9.2e18 ? Printf("%" PRId64, static_cast<int64_t>(n))
                                     : Printf("%.0f", n);
    if (x * 10 == RoundToInt(x * 10)) return Printf("%.1f", x);
    return Printf("%.2f", x);
}

std::string FormatScaledInt64(int64_t value, int64_t divisor) {
    if (value == 0) return "0";
    if (divisor <= 1) return Printf("%" PRId64, value);
    // The magnitude as unsigned, so that the most negative value has one too.
    uint64_t mag = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    uint64_t div = static_cast<uint64_t>(divisor);
    const char* sign = value < 0 ? "-" : "";
    uint64_t q = mag / div;
    if (mag % div == 0) return Printf("%s%" PRIu64, sign, q);
    int digits = 1;
    uint64_t c = div / 10;
    while (c > 1 && mag % c != 0) {
        ++digits;
        c /= 10;
    }
    if (c == 0) c = 1;
    std::string fraction = std::to_string((mag / c) % (div / c));
    if (fraction.size() < static_cast<size_t>(digits))
        fraction.insert(0, static_cast<size_t>(digits) - fraction.size(), '0');
    return sign + std::to_string(q) + "." + fraction;
}

COLORREF GetRiseFallColor(double a, double b, const CommonColorTable& colors) {
    double d = a - b;
    if (d > 0.0001) return colors[CommonColor::uniRise];
    if (d < -0.0001) return colors[CommonColor::uniFall];
    return colors[CommonColor::uniEqual];
}

std::string GetMarketName(int market) {
    if (market == 1) return "沪";
    if (market == 2) return "深";
    return "未知";
}

bool IsNumericText(std::string_view text) {
    for (char c : text)
        if (!((c >= '0' && c <= '9') || c == '.')) return false;
    return true;
}

void LinearRegressionEnds(const double* values, int n, double& first, double& last) {
    if (!values || n <= 0) return;
    if (n < 3) {
        first = values[0];
        last = values[n - 1];
        return;
    }
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int i = 1; i <= n; ++i) {
        double y = values[i - 1];
        sx += i;
        sy += y;
        sxx += double(i) * i;
        sxy += i * y;
    }
    double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    double intercept = (sy - slope * sx) / n;
    first = intercept + slope;
    last = intercept + slope * n;
}

void InitDefaultColorTable(COLORREF table[16]) {
    static constexpr COLORREF kTable[16] = {
        RGB(0, 0, 0),       RGB(0, 0, 128),    RGB(0, 128, 0),    RGB(64, 128, 128),
        RGB(160, 0, 0),     RGB(128, 0, 128),  RGB(192, 128, 64), RGB(192, 192, 192),
        RGB(128, 128, 128), RGB(0, 128, 255),  RGB(0, 255, 96),   RGB(0, 255, 255),
        RGB(255, 96, 96),   RGB(255, 96, 255), RGB(255, 255, 64), RGB(255, 255, 255),
    };
    for (int i = 0; i < 16; ++i) table[i] = kTable[i];
}
