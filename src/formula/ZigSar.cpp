// Percentage zigzag with its peaks and troughs, and the parabolic stop-and-reverse.

#include <algorithm>
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

R& At(CSouceEditor& ctx, int i) {
    return ctx.m_aStack[static_cast<size_t>(i)];
}

// The formula's bars as 124-byte records over its calculation range; empty on failure.
bool FormulaBars(const CKlineLight& f, std::vector<CFloatDayItem>& bars) {
    if (!f.m_pBars || f.m_nBarCount <= 0) return false;
    try {
        bars.assign(static_cast<size_t>(f.m_nBarCount), CFloatDayItem{});
    } catch (...) {
        return false;
    }
    ToFloatDayItems(f.m_nBarCount, f.m_nDataType, bars.data(), f.m_pBars);
    return true;
}

void Clip(const CSouceEditor& ctx, int& f, int& l) {
    if (ctx.m_bPartial && ctx.m_pElement) {
        f = std::max(f, ctx.m_pElement->m_nReqFirst);
        l = std::min(l, ctx.m_pElement->m_nReqLast);
    }
}

}  // namespace

uint8_t EvalZigFunctions(const char* name, CSouceEditor* ctx) {
    bool zig = !std::strcmp(name, "ZIG");
    bool peak = !std::strcmp(name, "PEAK") || !std::strcmp(name, "PEAKBARS");
    bool bars = !std::strcmp(name, "PEAKBARS") || !std::strcmp(name, "TROUGHBARS");
    if (!zig && !peak && std::strcmp(name, "TROUGH") && std::strcmp(name, "TROUGHBARS"))
        return kCalcFailed;
    int args = zig ? 2 : 3;
    if (ctx->m_nTop < args - 1) return kStackUnderflow;
    int base = ctx->m_nTop - args + 1;
    R& K = At(*ctx, base);
    R& P = At(*ctx, base + 1);
    long M = 1;
    if (K.m_nKind == R::kNumber) {
        long k = IndCommonSpace::Double2Long(K.m_dValue);
        if (k < 0 || k > 3) return kOutOfRange;
    } else if (K.m_nKind != R::kSeries) {
        return kNotSeries;
    }
    if (P.m_nKind != R::kNumber) return kNotNumber;
    double pct = P.m_dValue;
    if (pct < 1 || pct > 999) return kOutOfRange;
    if (!zig) {
        R& Mr = At(*ctx, base + 2);
        if (Mr.m_nKind != R::kNumber) return kNotNumber;
        M = IndCommonSpace::Double2Long(Mr.m_dValue);
        if (M < 1) return kOutOfRange;
    }

    const CKlineLight& fm = *ctx->m_pFormula;
    int f, l;
    double* v = ctx->m_pScratch;
    if (K.m_nKind == R::kNumber) {
        std::vector<CFloatDayItem> items;
        if (!FormulaBars(fm, items)) return kCalcFailed;
        f = std::max(0, fm.m_nCalcFirst);
        l = std::min(fm.m_nCalcEnd, fm.m_nBarCount) - 1;
        int field = static_cast<int>(IndCommonSpace::Double2Long(K.m_dValue));
        for (int k = f; k <= l; ++k) {
            const CFloatDayItem& b = items[static_cast<size_t>(k)];
            v[k] = field == 0   ? b.m_fOpen
                   : field == 1 ? b.m_fHigh
                   : field == 2 ? b.m_fLow
                                : b.m_fClose;
        }
    } else {
        f = K.m_nFirst;
        l = K.m_nLast;
        std::copy(K.m_pData + f, K.m_pData + l + 1, v + f);
    }
    if (l < f) return kCalcFailed;

    // Turning points.
    std::vector<int8_t> mark(static_cast<size_t>(l + 1), 0);
    int state = 0;
    double ref = v[f], up = 0, down = 0;
    auto thresholds = [&] {
        double a = (100 + pct) / 100 * ref, b = (100 - pct) / 100 * ref;
        up = std::max(a, b);
        down = std::min(a, b);
    };
    thresholds();
    int E = f, B = f;
    for (int k = f + 1; k <= l; ++k) {
        double p = v[k - 1], x = v[k];
        if (state == 0) {
            if (x >= up)
                state = 1;
            else if (x <= down)
                state = -1;
        } else if (state == 1) {
            if (p >= up && x < p) {
                mark[static_cast<size_t>(E)] = -1;
                B = E;
                E = k - 1;
                ref = p;
                state = -1;
                thresholds();
            } else if (x < ref) {
                E = B;
                ref = v[B];
                state = -1;
                thresholds();
            }
        } else {
            if (p <= down && x > p) {
                mark[static_cast<size_t>(E)] = 1;
                B = E;
                E = k - 1;
                ref = p;
                state = 1;
                thresholds();
            } else if (x > ref) {
                E = B;
                ref = v[B];
                state = 1;
                thresholds();
            }
        }
    }
    if (E > f && mark[static_cast<size_t>(E)] == 0)
        mark[static_cast<size_t>(E)] = state == 1 ? -1 : 1;

    K.Reserve(l + 1);
    double* out = K.m_pData;
    int rf = f, rl = l;
    if (zig) {
        std::vector<int> points{f};
        for (int k = f + 1; k < l; ++k)
            if (mark[static_cast<size_t>(k)] != 0) points.push_back(k);
        if (l > f) points.push_back(l);
        out[f] = v[f];
        for (size_t j = 1; j < points.size(); ++j) {
            int p0 = points[j - 1], p1 = points[j];
            for (int i = p0; i <= p1; ++i) out[i] = v[p0] + (v[p1] - v[p0]) * (i - p0) / (p1 - p0);
        }
    } else {
        int want = peak ? 1 : -1;
        std::vector<int> points;
        for (int k = f; k <= l; ++k)
            if (mark[static_cast<size_t>(k)] == want) points.push_back(k);
        if (static_cast<long>(points.size()) < M) return kCalcFailed;
        // Bars from point j + M - 1 show point j (0-based here).
        for (size_t j = 0; j + static_cast<size_t>(M) - 1 < points.size(); ++j) {
            int from = points[j + static_cast<size_t>(M) - 1];
            int to = j + static_cast<size_t>(M) < points.size()
                         ? points[j + static_cast<size_t>(M)] - 1
                         : l;
            for (int k = from; k <= to; ++k) out[k] = bars ? k - points[j] : v[points[j]];
        }
        rf = points[static_cast<size_t>(M) - 1];
    }
    Clip(*ctx, rf, rl);
    K.m_nKind = R::kSeries;
    K.m_nFirst = rf;
    K.m_nLast = rl;
    ctx->m_nTop = base;
    return kOk;
}

uint8_t EvalSarFunctions(const char* name, CSouceEditor* ctx) {
    int which = !std::strcmp(name, "SAR")       ? 0
                : !std::strcmp(name, "SARTURN") ? 1
                : !std::strcmp(name, "SARSIGN") ? 2
                                                : -1;
    if (which < 0) return kCalcFailed;
    if (ctx->m_nTop < 2) return kStackUnderflow;
    int base = ctx->m_nTop - 2;
    R& Nr = At(*ctx, base);
    R& Sr = At(*ctx, base + 1);
    R& Mr = At(*ctx, base + 2);
    if (Nr.m_nKind != R::kNumber || Sr.m_nKind != R::kNumber || Mr.m_nKind != R::kNumber)
        return kNotNumber;
    long N = IndCommonSpace::Double2Long(Nr.m_dValue);
    double S = Sr.m_dValue, Mx = Mr.m_dValue;
    if (N <= 1 || S < 1 || S > 99 || Mx < 1 || Mx > 100 || Mx < S) return kOutOfRange;
    const CKlineLight& fm = *ctx->m_pFormula;
    int b = std::max(0, fm.m_nCalcFirst);
    int e = std::min(fm.m_nCalcEnd, fm.m_nBarCount) - 1;
    if (N > e - b) return kCalcFailed;
    long s = b + N;
    if (s > e) return kCalcFailed;
    std::vector<CFloatDayItem> bars;
    if (!FormulaBars(fm, bars)) return kCalcFailed;
    const double a = S / 100, A = Mx / 100;
    auto mid = [&](long i) {
        return (bars[static_cast<size_t>(i)].m_fHigh + bars[static_cast<size_t>(i)].m_fLow) / 2;
    };
    long sum = 0;
    bool lastNotLower = true;
    for (long i = b + 1; i <= s; ++i) {
        lastNotLower = mid(i) >= mid(i - 1);
        sum += lastNotLower ? 1 : -1;
    }
    bool upTrend = sum > 0 || (sum == 0 && lastNotLower);
    auto highLow = [&](long from, long to, double& H, double& L) {
        H = bars[static_cast<size_t>(from)].m_fHigh;
        L = 1e10;
        for (long i = from; i <= to; ++i) {
            const double high = bars[static_cast<size_t>(i)].m_fHigh;
            H = std::max(H, high);
            double lo = bars[static_cast<size_t>(i)].m_fLow;
            if (lo > 0 && lo < L) L = lo;
        }
    };
    double* sar = ctx->m_pScratch;
    std::vector<int8_t> turn(static_cast<size_t>(e + 1), 0), sign(static_cast<size_t>(e + 1), 0);
    double H, L;
    highLow(b, s - 1, H, L);
    sar[s] = upTrend ? L : H;
    turn[static_cast<size_t>(s)] = upTrend ? 1 : -1;
    double af = a;
    for (long i = s + 1; i <= e; ++i) {
        highLow(i - N, i - 1, H, L);
        const CFloatDayItem& prev = bars[static_cast<size_t>(i - 1)];
        const CFloatDayItem& cur = bars[static_cast<size_t>(i)];
        if (upTrend) {
            if (turn[static_cast<size_t>(i - 1)] == 0 && sar[i - 1] >= prev.m_fLow) {
                sar[i] = H;
                turn[static_cast<size_t>(i)] = -1;
                af = a;
                upTrend = false;
            } else {
                if (H < cur.m_fHigh && af + a <= A + 1e-12) af += a;
                sar[i] = sar[i - 1] + af * (H - sar[i - 1]);
                sign[static_cast<size_t>(i)] = 1;
            }
        } else {
            if (turn[static_cast<size_t>(i - 1)] == 0 && prev.m_fHigh >= sar[i - 1]) {
                sar[i] = L;
                turn[static_cast<size_t>(i)] = 1;
                af = a;
                upTrend = true;
            } else {
                if (L > cur.m_fLow && af + a <= A + 1e-12) af += a;
                sar[i] = sar[i - 1] + af * (L - sar[i - 1]);
                sign[static_cast<size_t>(i)] = -1;
            }
        }
    }
    int rf = static_cast<int>(s), rl = e;
    Clip(*ctx, rf, rl);
    if (rf > rl) return kCalcFailed;
    Nr.Reserve(e + 1);
    for (long i = s; i <= e; ++i)
        Nr.m_pData[i] = which == 0   ? sar[i]
                        : which == 1 ? turn[static_cast<size_t>(i)]
                                     : sign[static_cast<size_t>(i)];
    Nr.m_nKind = R::kSeries;
    Nr.m_nFirst = rf;
    Nr.m_nLast = rl;
    ctx->m_nTop = base;
    return kOk;
}
