#pragma once
// Helpers shared by the evaluators and the loaders: bar records of each data type, bar time
// keys as the engine sees them, chip-cost items, the choice and alignment of another
// security's or period's bars, and the quarterly median holding cost.

#include <cstdint>
#include <vector>

#include "formula/engine/IndSecuCode.h"
#include "marketdata/DayItem.h"

class CKlineLight;
class CElement;
class CSouceEditor;
class CValueRecord;

// Small records of data types 2 (intraday minute, 61 bytes), 5 (historical intraday, 28
// bytes) and 13 (tick, 40 bytes), read field by field: they are packed and unaligned.
struct SmallBar {
    uint32_t time = 0;
    uint32_t field = 0;
    double price = 0;
    double avgPrice = 0;
    double volume = 0;
    double amount = 0;
    double further = 0;
};
int BarRecordSize(int16_t dataType);
bool IsSmallBarType(int16_t dataType);
SmallBar ReadSmallBar(const void* bars, int index, int16_t dataType);

struct CostItem {
    int32_t high = 0;
    int32_t low = 0;
    int32_t close = 0;
    int64_t volume = 0;
};

// Widens small records into 124-byte bars; other types are copied. out holds count bars.
void ToFloatDayItems(int count, int16_t dataType, CFloatDayItem* out, const void* bars);
void ToCostItems(int16_t dataType, const void* bars, CostItem* out, int count);

// The engine's 32-bit time of bar index: the time field of small records; for 124-byte bars
// the day key yyyymmdd, or for minute keys (yyyymmddhhmm) yymmddhhmm. 0 without records.
uint32_t GetBarTimeKey(int index, int16_t dataType, const void* bars);
// The full 64-bit key of a 124-byte bar (yyyymmdd or yyyymmddhhmm).
int64_t GetBarKey64(int index, const void* bars);

// 1-based minute of the trading day of an intraday bar of the current day; 0 otherwise.
int IntradayBarNumber(const CIndSecuCode& code, uint32_t time);

// Bars of the formula's security in another period built from the formula's own bars
// (both types 3 or 4). Null when nothing can be built.
CFloatDayItem* GetFormulaPeriodBars(int& count, const CKlineLight& formula, int16_t dataType,
                                    int16_t period);

// The bars a loader computes on and how its values line up with the formula's bars.
struct LoaderData {
    LoaderData() = default;
    LoaderData(const LoaderData&) = delete;
    LoaderData& operator=(const LoaderData&) = delete;
    ~LoaderData();

    const void* bars = nullptr;
    int count = 0;
    int calcFirst = -1;
    int calcEnd = -2;
    int16_t dataType = 0;
    int16_t period = 0;
    CIndSecuCode secu;
    bool owned = false;  // bars fetched here; freed with IndCommonSpace::Free
    bool otherSecu = false;
    bool otherPeriod = false;
    bool longer = false;
    int first = 0;  // chosen bars to compute
    int last = -1;
    int rangeStart = 0;  // the formula's bars to fill
    int rangeEnd = -1;
};

// Chooses the bars for the element (own, another security, another period). 0 or 0x0E.
int PrepareLoaderData(const CKlineLight& formula, LoaderData& data, const CElement& element,
                      const CSouceEditor& ctx);
// Stores values (one per chosen bar, read over [data.first, data.last]) into rec, aligned
// with the formula's bars; sets the element's result range. 0 or 0x0E.
int StoreLoaderResult(const LoaderData& data, CElement& element, const CKlineLight& formula,
                      const double* values, CValueRecord& rec);

// Aligns values of other bars with the formula's bars [rangeStart, rangeEnd] by time:
// same period (equal keys), a longer period (each other bar covers a span of formula bars)
// or a shorter one (the last other bar inside each formula bar). Bars between matches keep
// the previous value. Returns the first and last formula bar written; false when none.
struct AlignSource {
    const void* bars;
    int16_t dataType;
    int16_t period;
    int first;
    int last;
};
bool AlignToFormula(const AlignSource& src, bool otherPeriod, bool longer,
                    const CKlineLight& formula, int rangeStart, int rangeEnd, const double* values,
                    double* out, int& outFirst, int& outLast);

double QuarterMedianCost(const CFloatDayItem* bars, int first, int last);
void FillQuarterMedianCost(const CFloatDayItem* bars, int first, int last, double* values);

// 1 (Sunday) to 7 of a calendar time (seconds since 1970, China time); 0 when invalid.
int GetWeekDay(int64_t time);
