#include "formula/FormulaData.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formula/FormulaMarket.h"
#include "formula/engine/Element.h"
#include "formula/engine/EngineStatus.h"
#include "formula/engine/IndCommonSpace.h"
#include "formula/engine/KlineLight.h"
#include "formula/engine/SouceEditor.h"
#include "formula/engine/ValueRecord.h"

namespace {
template <class T>
T ReadAt(const unsigned char* p, size_t offset) {
    T v;
    std::memcpy(&v, p + offset, sizeof v);
    return v;
}
}  // namespace

int BarRecordSize(int16_t dataType) {
    switch (dataType) {
        case 2:
            return 61;
        case 5:
            return 28;
        case 13:
            return 40;
        default:
            return static_cast<int>(sizeof(CFloatDayItem));
    }
}

bool IsSmallBarType(int16_t t) {
    return t == 2 || t == 5 || t == 13;
}

SmallBar ReadSmallBar(const void* bars, int index, int16_t dataType) {
    SmallBar b;
    const auto* p = static_cast<const unsigned char*>(bars) +
                    static_cast<size_t>(index) * static_cast<size_t>(BarRecordSize(dataType));
    switch (dataType) {
        case 2:
            b.time = ReadAt<uint32_t>(p, 0);
            b.field = ReadAt<uint32_t>(p, 4);
            b.price = ReadAt<double>(p, 8);
            b.avgPrice = ReadAt<double>(p, 16);
            b.volume = ReadAt<double>(p, 24);
            b.amount = ReadAt<double>(p, 32);
            b.further = ReadAt<double>(p, 40);
            break;
        case 5:
            b.time = ReadAt<uint32_t>(p, 0);
            b.price = ReadAt<double>(p, 4);
            b.avgPrice = ReadAt<double>(p, 12);
            b.volume = ReadAt<double>(p, 20);
            break;
        case 13:
            b.time = ReadAt<uint32_t>(p, 0);
            b.field = ReadAt<uint32_t>(p, 4);
            b.price = ReadAt<double>(p, 8);
            b.volume = ReadAt<double>(p, 16);
            b.amount = ReadAt<double>(p, 24);
            b.further = ReadAt<double>(p, 32);
            break;
        default:
            break;
    }
    return b;
}

void ToFloatDayItems(int count, int16_t dataType, CFloatDayItem* out, const void* bars) {
    if (!out || !bars || count <= 0) return;
    if (!IsSmallBarType(dataType)) {
        std::memcpy(out, bars, sizeof(CFloatDayItem) * static_cast<size_t>(count));
        return;
    }
    for (int i = 0; i < count; ++i) {
        SmallBar b = ReadSmallBar(bars, i, dataType);
        CFloatDayItem& d = out[i];
        d.m_nTime = b.time;
        d.m_nReserved = dataType == 5 ? 0 : b.field;
        d.m_fOpen = d.m_fHigh = d.m_fLow = d.m_fClose = b.price;
        d.m_fVolume = b.volume;
        d.m_fAmount = dataType == 5 ? 0 : b.amount;
    }
}

void ToCostItems(int16_t dataType, const void* bars, CostItem* out, int count) {
    if (!out || !bars) return;
    for (int i = 0; i < count; ++i) {
        CostItem& c = out[i];
        if (IsSmallBarType(dataType)) {
            SmallBar b = ReadSmallBar(bars, i, dataType);
            c.high = c.low = c.close = IndCommonSpace::Double2IntRound(b.price * 1000);
            c.volume = IndCommonSpace::Double2INT64(b.volume);
        } else {
            const CFloatDayItem& d = static_cast<const CFloatDayItem*>(bars)[i];
            c.high = IndCommonSpace::Double2IntRound(d.m_fHigh * 1000);
            c.low = IndCommonSpace::Double2IntRound(d.m_fLow * 1000);
            c.close = IndCommonSpace::Double2IntRound(d.m_fClose * 1000);
            c.volume = IndCommonSpace::Double2INT64(d.m_fVolume);
        }
        c.high = std::max(c.high, 0);
        c.low = std::max(c.low, 0);
        c.close = std::max(c.close, 0);
        c.volume = std::max<int64_t>(c.volume, 0);
    }
}

int64_t GetBarKey64(int index, const void* bars) {
    if (!bars) return 0;
    return static_cast<const CFloatDayItem*>(bars)[index].m_nTime;
}

uint32_t GetBarTimeKey(int index, int16_t dataType, const void* bars) {
    if (!bars) return 0;
    if (IsSmallBarType(dataType)) return ReadSmallBar(bars, index, dataType).time;
    int64_t key = GetBarKey64(index, bars);
    // Minute keys are yyyymmddhhmm; the engine's 32-bit form drops the century.
    if (key >= 10000000000LL) return static_cast<uint32_t>(key % 10000000000LL);
    return static_cast<uint32_t>(key);
}

int IntradayBarNumber(const CIndSecuCode& code, uint32_t time) {
    IFormulaMarket* m = GetFormulaMarket();
    if (!m) return 0;
    if (time / 10000 + 20000000 != m->GetCurrentDayDate() || !m->HasSecurity(code)) return 0;
    return m->TimeToMinuteIndex(code, static_cast<int>(time % 10000)) + 1;
}

CFloatDayItem* GetFormulaPeriodBars(int& count, const CKlineLight& f, int16_t dataType,
                                    int16_t period) {
    IFormulaMarket* m = GetFormulaMarket();
    bool dayOrMinute =
        (f.m_nDataType == 3 || f.m_nDataType == 4) && (dataType == 3 || dataType == 4);
    if (!m || !dayOrMinute || !m->HasSecurity(f.m_SecuCode)) return nullptr;
    return m->GetPeriodBars(f.m_nDataType, count, f.m_SecuCode,
                            static_cast<const CFloatDayItem*>(f.m_pBars), f.m_nBarCount,
                            f.m_nCalcFirst, f.m_nCalcEnd, dataType, period);
}

LoaderData::~LoaderData() {
    if (owned) IndCommonSpace::Free(const_cast<void*>(bars));
}

int PrepareLoaderData(const CKlineLight& f, LoaderData& d, const CElement& e,
                      const CSouceEditor& ctx) {
    using EngineStatus::kCalcFailed;
    d.dataType = f.m_nDataType;
    d.period = f.m_nPeriod;
    d.secu = f.m_SecuCode;
    if (e.m_SecuCode.m_nMarket != 0 && CompareSecuCode(e.m_SecuCode, f.m_SecuCode)) {
        if (CSouceEditor::m_pfCheckSecu && CSouceEditor::m_pfCheckSecu(e.m_SecuCode)) {
            d.secu = e.m_SecuCode;
            d.otherSecu = true;
        }
    }
    if ((e.m_nDataType == 3 || e.m_nDataType == 4) &&
        (e.m_nDataType != f.m_nDataType || e.m_nPeriod != f.m_nPeriod)) {
        d.otherPeriod = true;
        d.dataType = e.m_nDataType;
        d.period = e.m_nPeriod;
        d.longer = !(e.m_nDataType < f.m_nDataType ||
                     (e.m_nDataType == f.m_nDataType && e.m_nPeriod < f.m_nPeriod));
    }
    IFormulaMarket* m = GetFormulaMarket();
    if (d.otherSecu || d.otherPeriod) {
        // Bars of another security or period are fetched for this call and freed with d.
        int count = 0;
        CFloatDayItem* bars = nullptr;
        if (d.otherSecu) {
            if (!m || (d.dataType != 3 && d.dataType != 4)) return kCalcFailed;
            bars =
                m->GetPeriodBars(d.dataType, count, d.secu, nullptr, 0, 0, 0, d.dataType, d.period);
        } else {
            bars = GetFormulaPeriodBars(count, f, d.dataType, d.period);
        }
        if (!bars) return kCalcFailed;
        d.bars = bars;
        d.owned = true;
        d.count = count;
        if (count <= 0) return kCalcFailed;
        d.calcFirst = 0;
        d.calcEnd = count;
    } else {
        d.bars = f.m_pBars;
        d.count = f.m_nBarCount;
        d.calcFirst = f.m_nCalcFirst;
        d.calcEnd = f.m_nCalcEnd;
    }

    d.rangeStart = std::max(0, f.m_nCalcFirst);
    d.rangeEnd = std::min(f.m_nCalcEnd, f.m_nBarCount) - 1;
    if (ctx.m_bPartial) {
        d.rangeStart = std::max(d.rangeStart, e.m_nReqFirst);
        d.rangeEnd = std::min(d.rangeEnd, e.m_nReqLast);
    }
    if (d.rangeEnd < d.rangeStart || !d.bars) return kCalcFailed;
    if (!d.otherSecu && !d.otherPeriod) {
        d.first = d.rangeStart;
        d.last = d.rangeEnd;
        return 0;
    }

    uint32_t t1 = GetBarTimeKey(d.rangeStart, f.m_nDataType, f.m_pBars);
    uint32_t t2 = GetBarTimeKey(d.rangeEnd, f.m_nDataType, f.m_pBars);
    uint32_t lo = t1, hi = t2;
    if (d.otherPeriod) {
        // The range runs from the start of the bar that holds t1 to the end of the one
        // that holds t2, in the other period's bars.
        const auto convert =
            d.longer ? IndCommonSpace::ConvertTimeS2L : IndCommonSpace::ConvertTimeL2S;
        const int16_t shortType = d.longer ? f.m_nDataType : d.dataType;
        const int16_t shortPeriod = d.longer ? f.m_nPeriod : d.period;
        const int16_t longType = d.longer ? d.dataType : f.m_nDataType;
        const int16_t longPeriod = d.longer ? d.period : f.m_nPeriod;
        uint32_t unused;
        convert(t1, shortType, shortPeriod, longType, longPeriod, lo, unused);
        convert(t2, shortType, shortPeriod, longType, longPeriod, unused, hi);
    }
    int first = -1, last = -1;
    for (int i = 0; i < d.count; ++i) {
        uint32_t t = GetBarTimeKey(i, d.dataType, d.bars);
        if (first < 0 && t >= lo && t <= hi) first = i;
        if (t <= hi) last = i;
    }
    if (first < 0 || last < first) return kCalcFailed;
    d.first = first;
    d.last = last;
    return 0;
}

bool AlignToFormula(const AlignSource& src, bool otherPeriod, bool longer, const CKlineLight& f,
                    int rs, int re, const double* values, double* out, int& outFirst,
                    int& outLast) {
    outFirst = -1;
    outLast = -1;
    int j = src.first;
    bool have = false;
    double held = 0;
    for (int k = rs; k <= re; ++k) {
        uint32_t tf = GetBarTimeKey(k, f.m_nDataType, f.m_pBars);
        int match = -1;
        if (!otherPeriod) {
            while (j <= src.last && GetBarTimeKey(j, src.dataType, src.bars) < tf) ++j;
            if (j <= src.last && GetBarTimeKey(j, src.dataType, src.bars) == tf) match = j;
        } else if (longer) {
            uint32_t a = 0, b = 0;
            while (j <= src.last) {
                IndCommonSpace::ConvertTimeL2S(GetBarTimeKey(j, src.dataType, src.bars),
                                               f.m_nDataType, f.m_nPeriod, src.dataType, src.period,
                                               a, b);
                if (b >= tf) break;
                ++j;
            }
            if (j <= src.last && a <= tf && tf <= b) match = j;
        } else {
            // The last shorter bar whose longer bar is this formula bar.
            uint32_t a = 0, b = 0;
            while (j <= src.last) {
                IndCommonSpace::ConvertTimeS2L(GetBarTimeKey(j, src.dataType, src.bars),
                                               src.dataType, src.period, f.m_nDataType, f.m_nPeriod,
                                               a, b);
                if (b >= tf) break;
                ++j;
            }
            int best = -1;
            while (j <= src.last) {
                IndCommonSpace::ConvertTimeS2L(GetBarTimeKey(j, src.dataType, src.bars),
                                               src.dataType, src.period, f.m_nDataType, f.m_nPeriod,
                                               a, b);
                if (a <= tf && tf <= b) {
                    best = j;
                    ++j;
                } else {
                    break;
                }
            }
            match = best;
        }
        if (match >= 0) {
            held = values[match];
            if (!have) outFirst = k;
            have = true;
        }
        if (have) {
            out[k] = held;
            outLast = k;
        }
    }
    return have;
}

int StoreLoaderResult(const LoaderData& d, CElement& e, const CKlineLight& f, const double* values,
                      CValueRecord& rec) {
    int n = f.m_nBarCount;
    rec.Reserve(n);
    rec.m_nKind = CValueRecord::kSeries;
    if (!d.otherSecu && !d.otherPeriod) {
        for (int k = d.first; k <= d.last; ++k) rec.m_pData[k] = values[k];
        rec.m_nFirst = d.first;
        rec.m_nLast = d.last;
    } else {
        int a, b;
        AlignSource src{d.bars, d.dataType, d.period, d.first, d.last};
        if (!AlignToFormula(src, d.otherPeriod, d.longer, f, d.rangeStart, d.rangeEnd, values,
                            rec.m_pData, a, b))
            return EngineStatus::kCalcFailed;
        rec.m_nFirst = a;
        rec.m_nLast = b;
    }
    e.m_nResultFirst = rec.m_nFirst;
    e.m_nResultLast = rec.m_nLast;
    return 0;
}

double QuarterMedianCost(const CFloatDayItem* bars, int first, int last) {
    if (!bars || last < first) return 0;
    double dHigh = 0, bLow = 0, cVol = 0;
    bool haveLow = false;
    for (int i = first; i <= last; ++i) {
        // Fields of the packed records are read by value, never bound to references.
        const double high = bars[i].m_fHigh, low = bars[i].m_fLow, volume = bars[i].m_fVolume;
        dHigh = std::max(dHigh, high);
        if (low > 0 && (!haveLow || low < bLow)) {
            bLow = low;
            haveLow = true;
        }
        cVol = std::max(cVol, volume);
    }
    double c7 = cVol * 7;
    double s = c7 > 1e10 ? 10000 : c7 > 1e9 ? 1000 : c7 > 1e8 ? 100 : c7 > 1e7 ? 10 : 1;
    double K = c7 / s;
    long fLo = static_cast<long>(bLow * 1000 + 0.5), gHi = static_cast<long>(dHigh * 1000 + 0.5);
    if (fLo >= gHi || K <= 0) return 0;
    long h = (gHi - fLo - 1) / 100 + 1;
    int count = static_cast<int>(std::min<long>((gHi - fLo - 1) / h + 1, 100));
    std::vector<double> price(static_cast<size_t>(count)), above(static_cast<size_t>(count)),
        below(static_cast<size_t>(count));
    for (int b = 0; b < count; ++b)
        price[static_cast<size_t>(b)] = static_cast<double>(fLo + b * h);
    std::vector<double> weight(static_cast<size_t>(count));
    for (int i = first; i <= last; ++i) {
        const CFloatDayItem& bar = bars[i];
        double u = std::floor(bar.m_fHigh * 1000 + 0.5), B = std::floor(bar.m_fLow * 1000 + 0.5);
        double w = std::floor((bar.m_fHigh + bar.m_fLow + 2 * bar.m_fClose) / 4 * 1000 + 0.5);
        if (w < B || w > u) w = (u + B) / 2;
        double D = std::max(u - w, w - B) / 1.3;
        std::fill(weight.begin(), weight.end(), 0.0);
        double L = 0;
        if (u == B) {
            int at = count - 1;
            for (int b = 0; b < count; ++b)
                if (price[static_cast<size_t>(b)] >= u) {
                    at = b;
                    break;
                }
            weight[static_cast<size_t>(at)] = 100;
            L = 100;
        } else {
            for (int b = 0; b < count; ++b) {
                double N = (w <= 0 || D <= 0)
                               ? 100
                               : std::round(std::exp(-std::pow(
                                                (price[static_cast<size_t>(b)] - w) / D, 2)) *
                                            100);
                weight[static_cast<size_t>(b)] = N;
                L += N;
            }
        }
        if (L <= 0) continue;
        double P = bar.m_fVolume / s;
        double prevClose = i == first ? bar.m_fOpen : bars[i - 1].m_fClose;
        double pc = std::floor(prevClose * 1000 + 0.5);
        double keep = 1 - P / K;
        for (int b = 0; b < count; ++b) {
            double add = P * weight[static_cast<size_t>(b)] / L;
            if (price[static_cast<size_t>(b)] > pc)
                above[static_cast<size_t>(b)] = add + keep * above[static_cast<size_t>(b)];
            else
                below[static_cast<size_t>(b)] = add + keep * below[static_cast<size_t>(b)];
        }
    }
    double total = 0;
    for (int b = 0; b < count; ++b)
        total += above[static_cast<size_t>(b)] + below[static_cast<size_t>(b)];
    double run = 0;
    for (int b = 0; b < count; ++b) {
        run += above[static_cast<size_t>(b)] + below[static_cast<size_t>(b)];
        if (run >= total / 2) {
            double p = price[static_cast<size_t>(b)] / 1000;
            return p > 0 ? p : 0;
        }
    }
    return 0;
}

void FillQuarterMedianCost(const CFloatDayItem* bars, int first, int last, double* values) {
    if (!bars || last < first) return;
    auto quarter = [&](int i) {
        int64_t key = bars[i].m_nTime;
        return (key / 10000) * 4 + ((key / 100) % 100 - 1) / 3;
    };
    int start = first;
    double previous = 0;
    while (start <= last) {
        int end = start;
        while (end + 1 <= last && quarter(end + 1) == quarter(start)) ++end;
        bool unfinished = end == last;
        double v = unfinished ? previous : QuarterMedianCost(bars, start, end);
        for (int i = start; i <= end; ++i) values[i] = v;
        previous = v;
        start = end + 1;
    }
}

int GetWeekDay(int64_t time) {
    // China time is UTC+8 all year.
    int64_t days = (time + 8 * 3600);
    days = days >= 0 ? days / 86400 : (days - 86399) / 86400;
    int64_t w = (days + 4) % 7;
    if (w < 0) w += 7;
    return static_cast<int>(w) + 1;
}
