// Chip distribution of the last 500 bars: the price under which a share of the volume lies
// (COST), the share held below a price (WINNER) and the concentration of the middle (CONVERGE).

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "formula/BuiltinEvaluators.h"
#include "formula/FormulaData.h"
#include "formula/engine/Element.h"
#include "formula/engine/EngineStatus.h"
#include "formula/engine/IndCommonSpace.h"
#include "formula/engine/KlineLight.h"
#include "formula/engine/SouceEditor.h"

using namespace EngineStatus;
using R = CValueRecord;

namespace {

constexpr int kWindow = 500;
constexpr int kMaxBuckets = 100;

const int* DecayTable() {
    static const std::vector<int> table = [] {
        std::vector<int> t(kWindow);
        for (int a = 0; a < kWindow; ++a)
            t[static_cast<size_t>(a)] = IndCommonSpace::Double2Int(1000000.0 * std::pow(0.98, a));
        return t;
    }();
    return table.data();
}

struct Buckets {
    int64_t v = 0;  // lowest price (thousandths)
    int64_t step = 10;
    int count = 0;
    int64_t price[kMaxBuckets] = {};
    int64_t volume[kMaxBuckets] = {};
};

// The distribution of window [from, i] by its definition (a full rebuild).
void Build(const CostItem* items, int from, int i, Buckets& bk) {
    const int* table = DecayTable();
    int64_t lo = items[from].low, hi = items[from].high;
    for (int j = from; j <= i; ++j) {
        lo = std::min<int64_t>(lo, items[j].low);
        hi = std::max<int64_t>(hi, items[j].high);
    }
    int64_t step = (hi - lo + 98) / 99;
    step = (step + 9) / 10 * 10;
    if (step == 0) step = 10;
    bk.v = lo;
    bk.step = step;
    bk.count = static_cast<int>(std::min<int64_t>((hi - lo) / step + 1, kMaxBuckets));
    for (int b = 0; b < bk.count; ++b) {
        bk.price[b] = lo + b * step;
        bk.volume[b] = 0;
    }
    for (int j = from; j <= i; ++j) {
        int age = i - j;
        int64_t up = (items[j].high - lo) / step;
        up = std::clamp<int64_t>(up, 0, std::min(kMaxBuckets, bk.count) - 1);
        int64_t down = (items[j].low - lo + step - 1) / step;
        down = std::clamp<int64_t>(down, 0, up);
        int64_t spanned = up - down + 1;
        __int128 share = static_cast<__int128>(items[j].volume / spanned) * table[age] / 1000000;
        for (int64_t b = down; b <= up; ++b) bk.volume[b] += static_cast<int64_t>(share);
    }
}

// Adds (sign 1) or takes out (sign -1) one bar's volume at a decay factor (millionths).
void Spread(const CostItem& item, int64_t factor, int sign, Buckets& bk) {
    int64_t up = (item.high - bk.v) / bk.step;
    up = std::clamp<int64_t>(up, 0, bk.count - 1);
    int64_t down = (item.low - bk.v + bk.step - 1) / bk.step;
    down = std::clamp<int64_t>(down, 0, up);
    int64_t share = static_cast<int64_t>(static_cast<__int128>(item.volume / (up - down + 1)) *
                                         factor / 1000000);
    for (int64_t b = down; b <= up; ++b)
        bk.volume[b] = std::max<int64_t>(0, bk.volume[b] + sign * share);
}

// Decay of a bar that has just left the window (one step beyond the table).
int64_t LeavingFactor() {
    static const int64_t f = IndCommonSpace::Double2Int(1000000.0 * std::pow(0.98, kWindow));
    return f;
}

}  // namespace

uint8_t EvalCostFunctions(const char* name, CSouceEditor* ctx) {
    int which = !std::strcmp(name, "COST")       ? 0
                : !std::strcmp(name, "WINNER")   ? 1
                : !std::strcmp(name, "CONVERGE") ? 2
                                                 : -1;
    if (which < 0) return kCalcFailed;
    if (ctx->m_nTop < 0) return kStackUnderflow;
    R& Q = ctx->m_aStack[static_cast<size_t>(ctx->m_nTop)];
    if (Q.m_nKind != R::kNumber && Q.m_nKind != R::kSeries) return kNotNumber;
    const CKlineLight& fm = *ctx->m_pFormula;
    int f = std::max(0, fm.m_nCalcFirst), l = std::min(fm.m_nCalcEnd, fm.m_nBarCount) - 1;
    if (Q.m_nKind == R::kSeries) {
        f = std::max(f, Q.m_nFirst);
        l = std::min(l, Q.m_nLast);
    }
    if (ctx->m_bPartial && ctx->m_pElement) {
        f = std::max(f, ctx->m_pElement->m_nReqFirst);
        l = std::min(l, ctx->m_pElement->m_nReqLast);
    }
    if (Q.m_nKind == R::kNumber) {
        if (which != 1 && (Q.m_dValue < 0 || Q.m_dValue > 100)) return kBadPercent;
        double q = Q.m_dValue;
        Q.Reserve(std::max(l + 1, 1));
        for (int k = std::max(f, 0); k <= l; ++k) Q.m_pData[k] = q;
        Q.m_nKind = R::kSeries;
    }
    if (f > l || !fm.m_pBars) return kCalcFailed;
    std::vector<CostItem> items;
    try {
        items.resize(static_cast<size_t>(fm.m_nBarCount));
    } catch (...) {
        return kCalcFailed;
    }
    ToCostItems(fm.m_nDataType, fm.m_pBars, items.data(), fm.m_nBarCount);
    int first = std::max(0, fm.m_nCalcFirst);
    Buckets bk;
    int64_t lowest = 0, highest = 0;  // extremes of the window the buckets were built for
    for (int i = f; i <= l; ++i) {
        const int from = std::max(i - (kWindow - 1), first);
        const CostItem& bar = items[static_cast<size_t>(i)];
        bool rebuild = i == f || bar.high > highest || bar.low < lowest;
        const int leaving = i > f && from > std::max(i - 1 - (kWindow - 1), first) ? from - 1 : -1;
        if (leaving >= 0) {
            const CostItem& gone = items[static_cast<size_t>(leaving)];
            rebuild = rebuild || gone.high >= highest || gone.low <= lowest;
        }
        if (rebuild) {
            Build(items.data(), from, i, bk);
            lowest = items[static_cast<size_t>(from)].low;
            highest = items[static_cast<size_t>(from)].high;
            for (int j = from; j <= i; ++j) {
                lowest = std::min<int64_t>(lowest, items[static_cast<size_t>(j)].low);
                highest = std::max<int64_t>(highest, items[static_cast<size_t>(j)].high);
            }
        } else {
            // The new bar fits the buckets: age them one bar, add it, take out the bar that
            // left. Integer truncation may differ slightly from a rebuild.
            for (int b = 0; b < bk.count; ++b)
                bk.volume[b] =
                    static_cast<int64_t>(static_cast<__int128>(bk.volume[b]) * 980000 / 1000000);
            Spread(bar, DecayTable()[0], 1, bk);
            if (leaving >= 0) Spread(items[static_cast<size_t>(leaving)], LeavingFactor(), -1, bk);
        }
        __int128 total = 0;
        for (int b = 0; b < bk.count; ++b) total += bk.volume[b];
        if (total == 0) total = 1;
        double q = Q.m_pData[i];
        double result = 0;
        if (which == 0) {
            __int128 mark = total * IndCommonSpace::Double2Int(q) / 100;
            __int128 run = 0;
            result = bk.count ? bk.price[bk.count - 1] / 1000.0 : 0;
            for (int b = 0; b < bk.count; ++b) {
                run += bk.volume[b];
                if (run >= mark) {
                    result = bk.price[b] / 1000.0;
                    break;
                }
            }
        } else if (which == 1) {
            int64_t qp = IndCommonSpace::Double2IntRound(q * 1000);
            __int128 below = 0;
            for (int b = 0; b < bk.count; ++b)
                if (bk.price[b] <= qp) below += bk.volume[b];
            result = static_cast<double>(below) / static_cast<double>(total);
        } else {
            int qi = IndCommonSpace::Double2Int(q);
            __int128 lower = total * (100 - qi) / 200, upper = total * (100 + qi) / 200;
            __int128 run = 0;
            int64_t m = -1, u = -1;
            for (int b = 0; b < bk.count; ++b) {
                run += bk.volume[b];
                if (m < 0 && run >= lower) m = bk.price[b];
                if (u < 0 && run >= upper) u = bk.price[b];
            }
            if (m >= 0 && u >= 0 && u + m >= 1)
                result = static_cast<double>(u - m) * 100 / static_cast<double>(u + m);
        }
        Q.m_pData[i] = result;
    }
    Q.m_nFirst = f;
    Q.m_nLast = l;
    return kOk;
}
