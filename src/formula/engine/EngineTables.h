#pragma once
// Tables through which the system supplies the engine with built-in functions, data-series
// loaders and the periods formulas may use. Filled once at start-up, before any formula
// is evaluated; read on the computing thread only.

#include <cstdint>

class CSouceEditor;
class CElement;
class CKlineLight;

// Built-in evaluator: upper-case function name and the evaluation context; one-byte status.
using BaseFunction = uint8_t (*)(const char* name, CSouceEditor* ctx);
// Data-series loader: the element naming the series, the formula and the context; status.
using LoadFunction = int (*)(CElement* element, CKlineLight* formula, CSouceEditor* ctx);

inline constexpr int kBaseFunctionSlots = 64;
inline constexpr int kLoadFunctionSlots = 64;
inline constexpr int kDataTypeAndPeriodSize = 13;

// Slots of the loader table `aLoadFunctions`: the data series a formula
// names. Slots 14, 18, 19, 22 and 23 are served by a loader that delivers nothing;
// 9, 11, 25, 45, 46 and 47 are not used.
namespace load_slot {
enum : int16_t {
    kHigh = 0,
    kOpen = 1,
    kLow = 2,
    kClose = 3,
    kVolume = 4,
    kAmount = 5,
    kIsDown = 6,
    kIsEqual = 7,
    kIsUp = 8,
    kVolUnit = 10,
    kTotalMinutes = 12,
    kPeriod = 13,
    kSysDate = 15,
    kSysTime = 16,
    kMinPrice = 17,
    kCode = 20,
    kName = 21,
    kPriceDigits = 24,
    kBarPos = 26,
    kBarStatus = 27,
    kShowStatus = 28,
    kSubFormula = 29,
    kOpenInterest = 30,
    kYear = 31,
    kMonth = 32,
    kDay = 33,
    kLunarYear = 34,
    kLunarMonth = 35,
    kLunarDay = 36,
    kDate = 37,
    kWeekday = 38,
    kDayNum = 39,
    kHour = 40,
    kMinute = 41,
    kTime = 42,
    kTimeSec = 43,
    kBarField = 44,
    kQuarterCost = 48,
    kYearBars = 49,
    kMonthBars = 50,
    kWeekBars = 51,
    kYearToDateBars = 52,
    kMonthToDateBars = 53,
    kWeekToDateBars = 54,
};
inline constexpr int16_t kNothing[] = {14, 18, 19, 22, 23};
}  // namespace load_slot

// Slots of the evaluator table `BaseFunctions`: the functions the system
// serves, one evaluator per group.
namespace base_slot {
enum : int16_t {
    kBars = 4,
    kWindow = 6,
    kDynaInfo = 13,
    kZig = 20,
    kCost = 21,
    kSar = 22,
    kString = 28,
    kIndicatorReference = 37,
};
}  // namespace base_slot

extern BaseFunction BaseFunctions[kBaseFunctionSlots];
extern LoadFunction aLoadFunctions[kLoadFunctionSlots];
// Allowed data types, then periods, -1 ending each list.
extern int32_t m_DataTypeAndPeriod[kDataTypeAndPeriodSize];
