#pragma once
// The program's common vocabulary of periods and numbers: period menu commands and their
// (data type, period) pairs, Chinese period names, quote number formats, market names.
// Texts are UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/CommonColors.h"

// Period menu and shortcut commands.
enum PeriodCommand : int {
    ID_PERIOD_TICK = 39981,   // 每笔
    ID_PERIOD_TREND = 39982,  // 分时
    ID_PERIOD_MIN1 = 39983,
    ID_PERIOD_MIN5 = 39984,
    ID_PERIOD_MIN15 = 39985,
    ID_PERIOD_MIN30 = 39986,
    ID_PERIOD_MIN60 = 39987,
    ID_PERIOD_DAY = 39988,
    ID_PERIOD_WEEK = 39989,
    ID_PERIOD_MONTH = 39990,
    ID_PERIOD_QUARTER = 39991,
    ID_PERIOD_HALFYEAR = 39992,
    ID_PERIOD_YEAR = 39993,
    ID_PERIOD_NMINUTE = 39994,  // the user's n-minute period
    ID_PERIOD_NDAY = 39995,     // the user's n-day period
};

// Data types of a series.
enum DataTypeCode : int16_t {
    DATATYPE_TREND = 2,  // intraday minutes
    DATATYPE_MINUTE = 3,
    DATATYPE_DAY = 4,
    DATATYPE_HISTREND = 5,
    DATATYPE_TICK = 13,
};

// The user's own period lengths (kept with the common variables; 3 and 10 by default).
struct PeriodSettings {
    int16_t minuteCount = 3;  // the n-minute period
    int16_t dayCount = 10;    // the n-day period; negative: counted backwards
};
// The process-wide settings the helpers below use unless given others.
PeriodSettings& UserPeriodSettings();

// Command -> (data type, period). 39994 gives the current n-minute count; an unknown
// command gives (4, 0).
void CommandIdToPeriod(int commandId, int16_t& dataType, int16_t& period,
                       const PeriodSettings& settings = UserPeriodSettings());
// (data type, period) -> command; 0 for pairs without one.
int PeriodToCommandId(int dataType, int period);
// "日线", "5分钟", "多分钟", "正10日" ... `expand` spells the user's n-period out;
// `shortName` drops the trailing "钟" of minute periods.
std::string GetPeriodName(int period, int dataType, bool expand, bool shortName,
                          const PeriodSettings& settings = UserPeriodSettings());

// Rounds half away from zero.
double RoundToInt(double x);
// "3", "3.5", "3.25": the shortest of whole, one and two decimals that shows the value.
std::string FormatCompactNumber(double x);
// A scaled integer (value / divisor, divisor a power of ten) with just the decimals it
// needs: (12340, 1000) "12.34", (7000, 1000) "7", (-500, 1000) "-0.5".
std::string FormatScaledInt64(int64_t value, int64_t divisor);

// Rise, equal or fall colour of a compared with b (tolerance 0.0001).
COLORREF GetRiseFallColor(double a, double b, const CommonColorTable& colors);
// "沪", "深" or "未知".
std::string GetMarketName(int market);
// True when every character is a digit or '.' (so also for empty text).
bool IsNumericText(std::string_view text);
// Least-squares line through (i, values[i - 1]) for i = 1..n, evaluated at 1 and n. Fewer
// than three values: the first and last values themselves; n <= 0 or no values: the
// outputs are left as they are.
void LinearRegressionEnds(const double* values, int n, double& first, double& last);
// The 16 default line colours of the colour chooser.
void InitDefaultColorTable(COLORREF table[16]);
