#include "formula/DataLoaders.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "formula/FormulaData.h"
#include "formula/FormulaMarket.h"
#include "formula/engine/Element.h"
#include "formula/engine/EngineStatus.h"
#include "formula/engine/EngineTables.h"
#include "formula/engine/IndCommonSpace.h"
#include "formula/engine/KlineLight.h"
#include "formula/engine/SouceEditor.h"

using EngineStatus::kCalcFailed;
using EngineStatus::kSubFormulaIndex;

int PeriodCode(int type, int period) {
    if (type == 2) return 1;
    if (type == 13) return 2;
    if (type == 3) {
        switch (period) {
            case 1:
                return 3;
            case 5:
                return 4;
            case 15:
                return 5;
            case 30:
                return 6;
            case 60:
                return 7;
            default:
                return 0;
        }
    }
    if (type == 4) {
        switch (period) {
            case 1:
                return 8;
            case 2:
                return 9;
            case 3:
                return 10;
            case -1:
                return 11;
            case 6:
                return 12;
            case 4:
                return 13;
            case 5:
                return 14;
            default:
                return 0;
        }
    }
    return 0;
}

namespace {

constexpr int64_t kMinuteKeyFloor = 10000000000LL;  // yyyymmddhhmm keys are at least this

struct BarView {
    const LoaderData& d;
    bool small() const { return IsSmallBarType(d.dataType); }
    const CFloatDayItem& item(int i) const { return static_cast<const CFloatDayItem*>(d.bars)[i]; }
    SmallBar smallBar(int i) const { return ReadSmallBar(d.bars, i, d.dataType); }
    int64_t key(int i) const { return item(i).m_nTime; }
    bool minuteKey(int i) const { return key(i) >= kMinuteKeyFloor; }
    // yyyymmdd of a 124-byte bar.
    int32_t date(int i) const {
        int64_t k = key(i);
        return static_cast<int32_t>(k >= kMinuteKeyFloor ? k / 10000 : k);
    }
    int hhmm(int i) const {
        int64_t k = key(i);
        return k >= kMinuteKeyFloor ? static_cast<int>(k % 10000) : -1;
    }
};

double Price(const BarView& v, int i, int slot) {
    if (v.small()) {
        SmallBar b = v.smallBar(i);
        switch (slot) {
            case load_slot::kVolume:
                return b.volume;
            case load_slot::kAmount:
                return v.d.dataType == 5 ? 0 : b.amount;
            case load_slot::kOpenInterest:
                return v.d.dataType == 5 ? 0 : b.further;
            default:
                return b.price;
        }
    }
    const CFloatDayItem& b = v.item(i);
    switch (slot) {
        case load_slot::kHigh:
            return b.m_fHigh;
        case load_slot::kOpen:
            return b.m_fOpen;
        case load_slot::kLow:
            return b.m_fLow;
        case load_slot::kClose:
            return b.m_fClose;
        case load_slot::kVolume:
            return b.m_fVolume;
        case load_slot::kAmount:
            return b.m_fAmount;
        case load_slot::kOpenInterest:
            return b.m_fLast;
        default:
            return 0;
    }
}

// Bars counted back from i while their keys are newer than the threshold.
template <class Threshold>
double CountBack(const BarView& v, int i, int calcFirst, bool strict, Threshold threshold) {
    int64_t t = threshold(i);
    int j = i - 1;
    for (; j > calcFirst; --j) {
        int64_t k = v.key(j);
        if (strict ? k < t : k <= t) break;
    }
    if (j < calcFirst) j = calcFirst;
    if (j == calcFirst) {
        int64_t k = v.key(j);
        if (!(strict ? k < t : k <= t)) return i - j + 1;
    }
    return i - j;
}

int64_t DateToKeyLike(const BarView& v, int i, int32_t date, int hhmm) {
    return v.minuteKey(i) ? static_cast<int64_t>(date) * 10000 + hhmm : date;
}

int32_t MonthBack(int32_t date) {
    int y = date / 10000, m = (date / 100) % 100, d = date % 100;
    if (m == 1) {
        y -= 1;
        m = 12;
    } else {
        m -= 1;
    }
    return y * 10000 + m * 100 + d;
}

double CalendarValue(const BarView& v, int i, int slot, uint32_t quoteDate, int calcFirst) {
    using namespace IndCommonSpace;
    int16_t type = v.d.dataType;
    if (type == 5) return 0;
    if (v.small()) {
        SmallBar b = v.smallBar(i);
        int32_t date = static_cast<int32_t>(quoteDate);
        int hh = 0, mm = 0, ss = 0;
        if (type == 2) {
            hh = static_cast<int>(b.time % 10000) / 100;
            mm = static_cast<int>(b.time % 100);
        } else {
            hh = static_cast<int>(b.time / 10000);
            mm = static_cast<int>(b.time % 10000) / 100;
            ss = static_cast<int>(b.time % 100);
        }
        switch (slot) {
            case load_slot::kYear:
                return date / 10000;
            case load_slot::kMonth:
                return (date / 100) % 100;
            case load_slot::kDay:
                return date % 100;
            case load_slot::kDate:
                return date ? date - 19000000 : 0;
            case load_slot::kWeekday:
                return date && IsValidDate(date) ? WeekDay(date) : 0;
            case load_slot::kDayNum:
                return date && IsValidDate(date)
                           ? static_cast<double>((DaysFromDate(date) * 86400 - 8 * 3600) / 86400)
                           : 0;
            case load_slot::kHour:
                return hh;
            case load_slot::kMinute:
                return mm;
            case load_slot::kTime:
                return type == 2 ? static_cast<double>((b.time % 10000) * 100) : b.time;
            case load_slot::kTimeSec:
                return hh * 3600 + mm * 60 + ss;
            case load_slot::kBarField:
                return type == 2 ? b.field : 0;
            default:
                return 0;
        }
    }
    int32_t date = v.date(i);
    int hm = v.hhmm(i);
    bool minute = hm >= 0;
    bool valid = IsValidDate(date);
    switch (slot) {
        case load_slot::kYear:
            return date / 10000;
        case load_slot::kMonth:
            return (date / 100) % 100;
        case load_slot::kDay:
            return date % 100;
        case load_slot::kDate:
            return date - 19000000;
        case load_slot::kWeekday:
            return valid ? WeekDay(date) : 0;
        case load_slot::kDayNum:
            return valid ? static_cast<double>((DaysFromDate(date) * 86400 - 8 * 3600) / 86400) : 0;
        case load_slot::kHour:
            return minute ? hm / 100 : 0;
        case load_slot::kMinute:
            return minute ? hm % 100 : 0;
        case load_slot::kTime:
            return minute ? hm * 100 : 0;
        case load_slot::kTimeSec:
            return minute ? (hm / 100) * 3600 + (hm % 100) * 60 : 0;
        case load_slot::kBarField:
            return v.item(i).m_nReserved;
        case load_slot::kYearBars:  // bars within the last year (a minute bar: since 15:00 one year earlier)
            return CountBack(v, i, calcFirst, false,
                             [&](int k) { return DateToKeyLike(v, k, v.date(k) - 10000, 1500); });
        case load_slot::kMonthBars:
            return CountBack(v, i, calcFirst, false, [&](int k) {
                return DateToKeyLike(v, k, MonthBack(v.date(k)), 1500);
            });
        case load_slot::kWeekBars:
            return CountBack(v, i, calcFirst, false, [&](int k) {
                int32_t d =
                    IsValidDate(v.date(k)) ? DateFromDays(DaysFromDate(v.date(k)) - 7) : v.date(k);
                return DateToKeyLike(v, k, d, 1500);
            });
        case load_slot::kYearToDateBars:
            return CountBack(v, i, calcFirst, true, [&](int k) {
                return DateToKeyLike(v, k, v.date(k) / 10000 * 10000, 0);
            });
        case load_slot::kMonthToDateBars:
            return CountBack(v, i, calcFirst, true,
                             [&](int k) { return DateToKeyLike(v, k, v.date(k) / 100 * 100, 0); });
        case load_slot::kWeekToDateBars:
            return CountBack(v, i, calcFirst, true, [&](int k) {
                int32_t d = v.date(k);
                if (IsValidDate(d)) {
                    int wd = WeekDay(d);
                    d = DateFromDays(DaysFromDate(d) - (wd == 0 ? 6 : wd - 1));
                }
                return DateToKeyLike(v, k, d, 0);
            });
        default:
            return 0;
    }
}

// The price columns of the formula's own bars, read in one pass over the records when the
// first of them is asked for and handed out for the rest of that evaluation.
struct PriceColumns {
    const CSouceEditor* ctx = nullptr;
    uint64_t serial = 0;
    const void* bars = nullptr;
    int first = 0;
    int last = -1;
    std::vector<double> column[6];
    bool taken[6] = {};
};

// One pass over the records per combination of wanted columns (bit s: loader slot s).
template <unsigned M>
void ExtractColumns(const CFloatDayItem* bars, int first, int last, double* const* out) {
    for (int i = first; i <= last; ++i) {
        const CFloatDayItem& b = bars[i];
        if constexpr ((M & 1) != 0) out[0][i] = b.m_fHigh;
        if constexpr ((M & 2) != 0) out[1][i] = b.m_fOpen;
        if constexpr ((M & 4) != 0) out[2][i] = b.m_fLow;
        if constexpr ((M & 8) != 0) out[3][i] = b.m_fClose;
        if constexpr ((M & 16) != 0) out[4][i] = b.m_fVolume;
        if constexpr ((M & 32) != 0) out[5][i] = b.m_fAmount;
    }
}

using Extractor = void (*)(const CFloatDayItem*, int, int, double* const*);

template <size_t... I>
constexpr std::array<Extractor, sizeof...(I)> MakeExtractors(std::index_sequence<I...>) {
    return {&ExtractColumns<static_cast<unsigned>(I)>...};
}

constexpr auto kExtractors = MakeExtractors(std::make_index_sequence<64>{});

std::vector<double> OwnPriceColumn(const CKlineLight& f, CSouceEditor& ctx, const LoaderData& d,
                                   int slot) {
    static thread_local PriceColumns cache;
    size_t n = static_cast<size_t>(std::max(f.m_nBarCount, 1));
    bool fresh = cache.ctx == &ctx && cache.serial == ctx.m_nEvalSerial && cache.bars == d.bars &&
                 cache.first == d.first && cache.last == d.last && !cache.taken[slot];
    if (!fresh) {
        cache.ctx = &ctx;
        cache.serial = ctx.m_nEvalSerial;
        cache.bars = d.bars;
        cache.first = d.first;
        cache.last = d.last;
        // Every price column the formula reads comes out of one pass over the records.
        uint64_t wanted = (f.OwnSeriesSlots() & 0x3F) | (uint64_t(1) << slot);
        for (int s = 0; s < 6; ++s) {
            cache.taken[s] = !(wanted & (uint64_t(1) << s));
            if (!cache.taken[s]) cache.column[s] = ctx.TakeSpare(static_cast<int>(n));
        }
        double* columns[6];
        for (int s = 0; s < 6; ++s) columns[s] = cache.taken[s] ? nullptr : cache.column[s].data();
        kExtractors[wanted & 0x3F](static_cast<const CFloatDayItem*>(d.bars), d.first, d.last,
                                   columns);
    }
    cache.taken[slot] = true;
    return std::move(cache.column[slot]);
}

int PerBarLoader(CElement* e, CKlineLight* f, CSouceEditor* ctx) {
    int slot = e->m_nFuncCode;
    LoaderData d;
    if (int st = PrepareLoaderData(*f, d, *e, *ctx)) return st;
    if (!d.otherSecu && !d.otherPeriod && !IsSmallBarType(d.dataType) && slot <= load_slot::kAmount &&
        d.count == f->m_nBarCount) {
        auto* rec = new (std::nothrow) CValueRecord();
        if (!rec) return 0;
        e->m_pResult = rec;
        std::vector<double> column;
        try {
            column = OwnPriceColumn(*f, *ctx, d, slot);
        } catch (const std::bad_alloc&) {
            return 0;
        }
        rec->TakeSeries(std::move(column), d.first, d.last);
        e->m_nResultFirst = d.first;
        e->m_nResultLast = d.last;
        return 0;
    }
    auto* rec = new (std::nothrow) CValueRecord(std::max(f->m_nBarCount, 1), 0.0);
    if (!rec) return 0;
    e->m_pResult = rec;
    BarView v{d};
    std::vector<double> values(static_cast<size_t>(d.count), 0.0);
    IFormulaMarket* m = GetFormulaMarket();
    uint32_t quoteDate = m && v.small() ? m->GetQuoteDate(d.secu) : 0;
    int calcFirst = std::max(0, d.calcFirst);
    int32_t lunarDate = -1, lunarYear = 0, lunarMonth = 0, lunarDay = 0;
    for (int i = d.first; i <= d.last; ++i) {
        double x = 0;
        switch (slot) {
            case load_slot::kHigh:
            case load_slot::kOpen:
            case load_slot::kLow:
            case load_slot::kClose:
            case load_slot::kVolume:
            case load_slot::kAmount:
            case load_slot::kOpenInterest:
                x = Price(v, i, slot);
                break;
            case load_slot::kIsDown:
            case load_slot::kIsEqual:
            case load_slot::kIsUp:
                if (v.small()) {
                    if (i > 0) {
                        double p = v.smallBar(i - 1).price, c = v.smallBar(i).price;
                        x = slot == load_slot::kIsDown ? p > c : slot == load_slot::kIsEqual ? p == c : p < c;
                    }
                } else {
                    double o = v.item(i).m_fOpen, c = v.item(i).m_fClose;
                    x = slot == load_slot::kIsDown ? o > c : slot == load_slot::kIsEqual ? o == c : o < c;
                }
                break;
            case load_slot::kBarPos:
                x = i + 1;
                break;
            case load_slot::kBarStatus:
                x = i == d.calcFirst ? 1 : (i + 1 == d.calcEnd ? 2 : 0);
                break;
            case load_slot::kShowStatus:
                x = i == f->m_nShowFirst ? 1 : (i + 1 == f->m_nShowEnd ? 2 : 0);
                break;
            case load_slot::kLunarYear:
            case load_slot::kLunarMonth:
            case load_slot::kLunarDay: {
                int32_t date = v.small() ? static_cast<int32_t>(quoteDate) : v.date(i);
                // Minute bars of one day share the conversion.
                if (date != lunarDate) {
                    lunarDate = date;
                    lunarYear = lunarMonth = lunarDay = 0;
                    if (d.dataType != 5)
                        IndCommonSpace::GongLi2NongLi(date, lunarYear, lunarMonth, lunarDay);
                }
                x = slot == load_slot::kLunarYear ? lunarYear : slot == load_slot::kLunarMonth ? lunarMonth : lunarDay;
                break;
            }
            default:
                x = CalendarValue(v, i, slot, quoteDate, calcFirst);
                break;
        }
        values[static_cast<size_t>(i)] = x;
    }
    if (slot == load_slot::kShowStatus) f->m_bShowDepend = 1;
    if (slot == load_slot::kQuarterCost && !v.small() && d.dataType == 4 && d.period == 1) {
        int from = d.first;
        if (ctx->m_bPartial) from = std::max(0, d.first - 70);
        FillQuarterMedianCost(static_cast<const CFloatDayItem*>(d.bars), from, d.last,
                              values.data());
    }
    return StoreLoaderResult(d, *e, *f, values.data(), *rec);
}

// The security the element names, when it differs from the formula's; else the formula's.
CIndSecuCode NamedSecurity(const CElement* e, const CKlineLight* f) {
    if (e->m_SecuCode.m_nMarket != 0 && CompareSecuCode(e->m_SecuCode, f->m_SecuCode))
        return e->m_SecuCode;
    return f->m_SecuCode;
}

int NumberRecord(CElement* e, double value) {
    e->m_pResult = new (std::nothrow) CValueRecord(0, value);
    return 0;
}

int ConstantLoader(CElement* e, CKlineLight* f, CSouceEditor* ctx) {
    IFormulaMarket* m = GetFormulaMarket();
    switch (e->m_nFuncCode) {
        case load_slot::kVolUnit:
            return NumberRecord(e, 100);
        case load_slot::kTotalMinutes: {
            CIndSecuCode code = NamedSecurity(e, f);
            if (!CSouceEditor::m_pfCheckSecu || !CSouceEditor::m_pfCheckSecu(code))
                return kCalcFailed;
            return NumberRecord(e, 240);
        }
        case load_slot::kPeriod:
            return NumberRecord(e, PeriodCode(f->m_nDataType, f->m_nPeriod));
        case load_slot::kSysDate:
            return NumberRecord(e, m ? m->GetToday() : 0);
        case load_slot::kSysTime:
            return NumberRecord(e, m ? m->GetStartTime() : 0);
        case load_slot::kMinPrice:
            return NumberRecord(e, 0.01);
        case load_slot::kPriceDigits:
            return NumberRecord(e, 3);
        case load_slot::kCode:
        case load_slot::kName: {
            CIndSecuCode code = NamedSecurity(e, f);
            if (!CSouceEditor::m_pfCheckSecu || !CSouceEditor::m_pfCheckSecu(code))
                return kCalcFailed;
            std::string text = code.m_strCode;
            if (e->m_nFuncCode == load_slot::kName && !(m && m->GetSecurityName(code, text))) return 0;
            e->m_pResult = new (std::nothrow) CValueRecord(text.c_str());
            return 0;
        }
        default:
            return 0;
    }
}

int EmptyLoader(CElement*, CKlineLight*, CSouceEditor*) {
    return 0;
}

int SubFormulaLoader(CElement* e, CKlineLight* f, CSouceEditor* ctx) {
    LoaderData d;
    if (int st = PrepareLoaderData(*f, d, *e, *ctx)) return st;
    size_t index = e->m_nFuncCode / 16;
    if (index >= f->m_aSubFormulas.size() || !f->m_aSubFormulas[index]) return kSubFormulaIndex;
    CKlineLight& sub = *f->m_aSubFormulas[index];
    sub.m_nDataType = d.dataType;
    sub.m_nPeriod = d.period;
    sub.m_SecuCode = d.secu;
    sub.m_pBars = const_cast<void*>(d.bars);
    sub.m_nBarCount = d.count;
    sub.m_nCalcFirst = 0;
    // Fetched bars carry no calculation end of their own: all of them are computed.
    sub.m_nCalcEnd = (d.otherSecu || d.otherPeriod) ? d.count : f->m_nCalcEnd;
    sub.MakeRoom(d.count);
    sub.Calc(d.first, d.last + 1);
    int st = kCalcFailed;
    if (!sub.m_aExps.empty()) {
        const CIndicatorExp& out = sub.m_aExps.back();
        if (out.HasValues()) {
            if (out.m_nKind == CValueRecord::kNumber) {
                NumberRecord(e, out.m_dValue);
                st = 0;
            } else if (out.m_nKind == CValueRecord::kSeries) {
                auto* rec = new (std::nothrow) CValueRecord(std::max(f->m_nBarCount, 1), 0.0);
                if (rec) {
                    e->m_pResult = rec;
                    std::vector<double> values(static_cast<size_t>(d.count), 0.0);
                    for (int i = out.m_nFirst; i <= out.m_nLast && i < d.count; ++i)
                        values[static_cast<size_t>(i)] = out.m_aValues[static_cast<size_t>(i)];
                    st = StoreLoaderResult(d, *e, *f, values.data(), *rec);
                } else {
                    st = 0;
                }
            }
        }
    }
    sub.m_pBars = nullptr;
    sub.GC();
    return st;
}

}  // namespace

int LoadSeries(CElement* element, CKlineLight* formula, CSouceEditor* ctx) {
    return PerBarLoader(element, formula, ctx);
}

void InstallDataLoaders() {
    using namespace load_slot;
    for (int slot : {kHigh,        kOpen,       kLow,        kClose,       kVolume,     kAmount,
                     kIsDown,      kIsEqual,    kIsUp,       kBarPos,      kBarStatus,  kShowStatus,
                     kOpenInterest, kYear,      kMonth,      kDay,         kLunarYear,  kLunarMonth,
                     kLunarDay,    kDate,       kWeekday,    kDayNum,      kHour,       kMinute,
                     kTime,        kTimeSec,    kBarField,   kQuarterCost, kYearBars,   kMonthBars,
                     kWeekBars,    kYearToDateBars, kMonthToDateBars, kWeekToDateBars})
        aLoadFunctions[slot] = &PerBarLoader;
    for (int slot : {kVolUnit, kTotalMinutes, kPeriod, kSysDate, kSysTime, kMinPrice, kCode, kName,
                     kPriceDigits})
        aLoadFunctions[slot] = &ConstantLoader;
    for (int slot : kNothing) aLoadFunctions[slot] = &EmptyLoader;
    aLoadFunctions[kSubFormula] = &SubFormulaLoader;
}
