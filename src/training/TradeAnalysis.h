#pragma once
// What the trade-analysis page works out from one session and two daily series, apart from
// any window or series: the index the session is compared with, the bars of the training
// period, the preview's value range and candle colours, the marks of the trades of a day,
// the same-period ratios of the account and the index, and the slots both panels divide
// their plot into. Bars are plain values copied out of a series, so nothing here holds a
// series lock.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/IndSecuCode.h"
#include "training/TrainingTypes.h"

// Orders journal items by date, then time of day (yyyymmdd × 10000 + hhmm, unsigned 64-bit,
// so a damaged negative field cannot overflow). Equal date and time compare false both ways.
struct TradeTimeLess {
    bool operator()(const TradeDetailItem& a, const TradeDetailItem& b) const;
};

// The market index a session is compared with: "000001" of market 1 for a Shanghai
// security, "399001" of market 2 for any other.
CIndSecuCode SamePeriodIndexCode(const CIndSecuCode& security);

// One daily bar as the analysis reads it.
struct AnalysisBar {
    uint32_t date = 0;  // yyyymmdd
    double open = 0;
    double high = 0;
    double low = 0;
    double close = 0;
};

// A run [begin, end) of positions in a bar array.
struct BarSpan {
    size_t begin = 0;
    size_t end = 0;
    bool empty() const { return begin >= end; }
    size_t size() const { return empty() ? 0 : end - begin; }
};

// The bars dated from..to, both included, of bars sorted by date. Never a bar after `to`:
// a session's period ends at its clock, and the bar after it is the future.
BarSpan BarsInDates(const std::vector<AnalysisBar>& bars, uint32_t from, uint32_t to);

// A falling bar closes below its open, or at its open below the close before it (its own
// open for the first bar of the array). Every other bar rises.
bool IsFallingBar(const std::vector<AnalysisBar>& bars, size_t i);

// A value axis range with the values the axis reads beside it.
struct ValueRange {
    double max = 1.5;
    double min = 0.5;
    double base = 1.0;       // the percent base
    double reference = 1.0;  // the close before the first bar shown
};

// Lifts a range flatter than 0.0001 (an axis cannot divide by it) to min + 0.0001.
void WidenFlatRange(double& max, double& min);

// High and low of the span's bars, the first bar's open as the base and the close before it
// (its own open when it is the first held bar) as the reference. False, and the range left
// as it was, for an empty span.
bool CalcPreviewRange(const std::vector<AnalysisBar>& bars, BarSpan span, ValueRange& range);

// Slots a panel divides its plot into for `items` items: 5% spare, never fewer than 20.
int SlotCount(size_t items);
// The x of slot `position`'s centre on a plot from plotLeft to plotRight.
int SlotCentreX(int plotLeft, int plotRight, int slots, size_t position);
// Half the width of a candle body in such a slot; 0 when a slot is too narrow for a body.
int CandleHalfWidth(int plotLeft, int plotRight, int slots);

// How a trade is marked on its day: an arrow up under the low for a purchase (opening a
// long position or covering a short one), an arrow down over the high for a sale (closing a
// long position or selling short). `stack` counts the marks of that day before it on the
// same side, so no mark hides another.
struct TradeMark {
    size_t trade = 0;  // position in the journal
    int kind = 0;      // 1 purchase, -1 sale
    int stack = 0;
};
// 1 for a purchase, -1 for a sale, 0 for an item whose directions are damaged.
int TradeMarkKind(const TradeDetailItem& item);
// Every trade dated `date`, whatever its time of day, in journal order (the journal is in
// time order).
std::vector<TradeMark> TradeMarksOfDay(const std::vector<TradeDetailItem>& trades, uint32_t date);

// The same-period comparison: for every index trading day from..to on which the session has
// an asset point, the account's asset over its initial capital (cumulative) and the index's
// close over its base (that day's own change). The base is the day's open on the first day
// of the range and the previous bar's close afterwards; range and base both come from the
// index bars alone. The arrays always have equal length; both stay empty for a session
// without a positive initial capital.
struct SamePeriodRatios {
    std::vector<double> asset;
    std::vector<double> index;
    std::vector<uint32_t> dates;
};
SamePeriodRatios BuildSamePeriodRatios(const std::vector<AnalysisBar>& indexBars, uint32_t from,
                                       uint32_t to, const std::vector<AssetPoint>& assets,
                                       double initCapital);
// The range over both arrays, base and reference 1.0. False, and the range left as it was,
// when there are no ratios.
bool CalcRatioRange(const SamePeriodRatios& ratios, ValueRange& range);

// printf("%.<decimals>f") in the C locale without a sign on a value that rounds to zero:
// -0.001 is "0.00", never "-0.00".
std::string FormatUnsignedZero(double value, int decimals);
