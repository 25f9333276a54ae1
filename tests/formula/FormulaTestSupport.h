#pragma once
// Bars, a small market and one-call evaluation for the formula tests.

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "formula/FormulaMarket.h"
#include "formula/YBIndClass.h"
#include "formula/engine/IndCommonSpace.h"
#include "formula/engine/KlineLight.h"
#include "marketdata/DayItem.h"

namespace formula_test {

inline CFloatDayItem Bar(int64_t key, double o, double h, double l, double c, double v = 1000,
                         double amount = 0) {
    CFloatDayItem b{};
    b.m_nTime = key;
    b.m_fOpen = o;
    b.m_fHigh = h;
    b.m_fLow = l;
    b.m_fClose = c;
    b.m_fVolume = v;
    b.m_fAmount = amount;
    return b;
}

// Day bars with the given closes (open = previous close, high/low 1% around), from a date.
inline std::vector<CFloatDayItem> DayBars(const std::vector<double>& closes,
                                          int32_t firstDate = 20240102) {
    std::vector<CFloatDayItem> bars;
    int64_t day = IndCommonSpace::DaysFromDate(firstDate);
    for (size_t i = 0; i < closes.size(); ++i) {
        int32_t d = IndCommonSpace::DateFromDays(day);
        double c = closes[i], o = i ? closes[i - 1] : c;
        bars.push_back(Bar(d, o, std::max(o, c) * 1.01, std::min(o, c) * 0.99, c,
                           1000 + 10 * static_cast<double>(i)));
        day += IndCommonSpace::WeekDay(d) == 5 ? 3 : 1;  // skip weekends
    }
    return bars;
}

// A market of a few securities with day bars; weekly bars are built from them.
class FakeMarket : public IFormulaMarket {
public:
    std::map<std::string, std::vector<CFloatDayItem>> days;  // key "market:CODE"
    std::map<std::string, std::string> names;

    static std::string Key(const CIndSecuCode& c) {
        std::string code = c.m_strCode;
        for (char& ch : code) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return std::to_string(c.m_nMarket) + ":" + code;
    }
    bool HasSecurity(const CIndSecuCode& code) override { return days.count(Key(code)) > 0; }
    bool GetSecurityName(const CIndSecuCode& code, std::string& name) override {
        auto it = names.find(Key(code));
        if (it == names.end()) return false;
        name = it->second;
        return true;
    }
    uint32_t GetQuoteDate(const CIndSecuCode&) override { return 20240105; }
    std::map<std::string, SecurityIndParam*> sets;
    SecurityIndParam* GetParamSet(const CIndSecuCode& code) override {
        auto it = sets.find(Key(code));
        return it == sets.end() ? nullptr : it->second;
    }
    int TimeToMinuteIndex(const CIndSecuCode&, int hhmm) override {
        int m = hhmm / 100 * 60 + hhmm % 100;
        return m <= 690 ? m - 570 : 120 + m - 780;
    }
    CFloatDayItem* GetPeriodBars(int16_t, int& count, const CIndSecuCode& code,
                                 const CFloatDayItem*, int, int, int, int16_t dataType,
                                 int16_t period) override {
        count = 0;
        auto it = days.find(Key(code));
        if (it == days.end() || dataType != 4) return nullptr;
        std::vector<CFloatDayItem> out;
        for (const auto& b : it->second) {
            uint32_t first, last;
            IndCommonSpace::ConvertTimeS2L(static_cast<uint32_t>(b.m_nTime), 4, 1, 4, period, first,
                                           last);
            if (period != 1 && !out.empty()) {
                uint32_t f2, l2;
                IndCommonSpace::ConvertTimeS2L(static_cast<uint32_t>(out.back().m_nTime), 4, 1, 4,
                                               period, f2, l2);
                if (f2 == first) {
                    CFloatDayItem& w = out.back();
                    const double wh = w.m_fHigh, wl = w.m_fLow, bh = b.m_fHigh, bl = b.m_fLow;
                    w.m_fHigh = std::max(wh, bh);
                    w.m_fLow = std::min(wl, bl);
                    w.m_fClose = b.m_fClose;
                    w.m_fVolume += b.m_fVolume;
                    w.m_nTime = b.m_nTime;
                    continue;
                }
            }
            out.push_back(b);
        }
        auto* mem =
            static_cast<CFloatDayItem*>(IndCommonSpace::Alloc(sizeof(CFloatDayItem) * out.size()));
        std::memcpy(mem, out.data(), sizeof(CFloatDayItem) * out.size());
        count = static_cast<int>(out.size());
        return mem;
    }
    uint32_t GetToday() override { return 20240105; }
    uint32_t GetStartTime() override { return 93000; }
    uint32_t GetCurrentDayDate() override { return 20240105; }
};

// Installs the engine tables once for the whole test program.
inline void EnsureSetUp() {
    static bool done = [] {
        CYBIndClass::SetUp();
        return true;
    }();
    (void)done;
}

// Compiles source with the given parameters and evaluates it over all bars.
inline void Evaluate(CKlineLight& ind, std::vector<CFloatDayItem>& bars, int16_t dataType = 4,
                     int16_t period = 1) {
    EnsureSetUp();
    ind.InitialCalc(CIndSecuCode(1, "600000"), dataType, period);
    ind.m_pBars = bars.data();
    ind.m_nBarCount = static_cast<int>(bars.size());
    ind.m_nCalcFirst = 0;
    ind.m_nCalcEnd = static_cast<int>(bars.size());
    ind.MakeRoom(static_cast<int>(bars.size()));
    ind.Calc(0, static_cast<int>(bars.size()));
}

inline CKlineLight MakeIndicator(const std::string& formula,
                                 const std::vector<std::pair<std::string, double>>& params = {}) {
    CKlineLight ind;
    ind.m_strName = "TEST";
    ind.m_strFormula = formula;
    for (const auto& [name, value] : params) {
        CIndicatorParam p;
        p.m_strName = name;
        p.m_dDefault = value;
        ind.m_aParams.push_back(p);
    }
    return ind;
}

// Values of output line i as (first valid, values from there on).
inline std::vector<double> LineValues(const CKlineLight& ind, size_t line, int& first) {
    std::vector<double> out;
    first = -1;
    if (line >= ind.m_aExps.size()) return out;
    const CIndicatorExp& e = ind.m_aExps[line];
    if (!e.HasValues()) return out;
    first = e.m_nFirst;
    for (int i = e.m_nFirst; i <= e.m_nLast; ++i) {
        double v = 0;
        e.GetValue(i, v);
        out.push_back(v);
    }
    return out;
}

inline std::string SourceDir() {
    return TARROW_SOURCE_DIR;
}

}  // namespace formula_test
