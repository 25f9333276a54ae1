#include "formula/BuiltinEvaluators.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "formula/FormulaData.h"
#include "formula/engine/Element.h"
#include "formula/engine/EngineStatus.h"
#include "formula/engine/EngineTables.h"
#include "formula/engine/IndCommonSpace.h"
#include "formula/engine/KlineLight.h"
#include "formula/engine/SouceEditor.h"

using namespace EngineStatus;
using R = CValueRecord;

namespace {

bool Truth(double v) {
    return v != 0;
}

// Clips [f, l] to the partial range when asked; false when that leaves nothing.
bool ClipPartial(const CSouceEditor& ctx, int& f, int& l) {
    if (!ctx.m_bPartial || !ctx.m_pElement) return true;
    f = std::max(f, ctx.m_pElement->m_nReqFirst);
    l = std::min(l, ctx.m_pElement->m_nReqLast);
    return f <= l;
}

R& At(CSouceEditor& ctx, int i) {
    return ctx.m_aStack[static_cast<size_t>(i)];
}

// A series without values (MA(C,250) on 200 bars) gives a line without values, as the
// engine's own functions do, and the formula goes on.
void MakeEmpty(R& r, int first) {
    r.m_nKind = R::kSeries;
    r.m_nFirst = first;
    r.m_nLast = first - 1;
}

}  // namespace

uint8_t EvalBarsFunctions(const char* name, CSouceEditor* ctx) {
    if (ctx->m_nTop < 0) return kStackUnderflow;
    R& x = At(*ctx, ctx->m_nTop);
    if (x.m_nKind == R::kNumber) return kSeriesIsNumber;
    if (x.m_nKind != R::kSeries) return kNotSeries;
    int f = x.m_nFirst, l = x.m_nLast;
    if (f > l) {
        MakeEmpty(x, f);
        return kOk;
    }
    int cf = f, cl = l;
    if (ctx->m_bPartial && !ClipPartial(*ctx, cf, cl)) return kCalcFailed;
    double* d = x.m_pData;
    if (!std::strcmp(name, "BARSLAST")) {
        long lastTrue = -1;
        for (int k = f; k <= l; ++k) {
            if (Truth(d[k])) lastTrue = k;
            d[k] = lastTrue < 0 ? -1.0 : static_cast<double>(k - lastTrue);
        }
    } else if (!std::strcmp(name, "BARSSINCE")) {
        int first = -1;
        for (int k = f; k <= l; ++k)
            if (Truth(d[k])) {
                first = k;
                break;
            }
        for (int k = f; k <= l; ++k)
            d[k] = (first < 0 || k < first) ? -1.0 : static_cast<double>(k - first);
    } else if (!std::strcmp(name, "BARSCOUNT")) {
        const CKlineLight* fm = ctx->m_pFormula;
        if (fm && fm->m_nDataType == 2) {
            for (int k = f; k <= l; ++k)
                d[k] = static_cast<uint16_t>(
                    IntradayBarNumber(fm->m_SecuCode, GetBarTimeKey(k, 2, fm->m_pBars)));
        } else {
            for (int k = f; k <= l; ++k) d[k] = k - f + 1;
        }
    } else if (!std::strcmp(name, "LAST")) {
        double run = 0;
        for (int k = f; k <= l; ++k) {
            run = Truth(d[k]) ? run + 1 : 0;
            d[k] = run;
        }
    } else {
        return kCalcFailed;
    }
    x.m_nFirst = cf;
    x.m_nLast = cl;
    return kOk;
}

namespace {

enum class Win { Sum, Hhv, Llv, HhvBars, LlvBars, Count, All, Any, Bad };

Win WinOf(const char* n) {
    if (!std::strcmp(n, "SUM")) return Win::Sum;
    if (!std::strcmp(n, "HHV")) return Win::Hhv;
    if (!std::strcmp(n, "LLV")) return Win::Llv;
    if (!std::strcmp(n, "HHVBARS")) return Win::HhvBars;
    if (!std::strcmp(n, "LLVBARS")) return Win::LlvBars;
    if (!std::strcmp(n, "COUNT")) return Win::Count;
    if (!std::strcmp(n, "ALL")) return Win::All;
    if (!std::strcmp(n, "ANY")) return Win::Any;
    return Win::Bad;
}

// Extreme of x over each window [max(k - n + 1, f), k], without a branch on the data: the
// bars are cut into blocks of n from f; a window then covers the tail of one block and the
// head of the next, whose extremes are the block's suffix extreme (kept in the scratch
// space) and the running extreme from the block's start.
template <class Pick>
void WindowExtreme(const double* x, double* out, int f, int l, long n, double* suffix, Pick pick) {
    for (long b = f; b <= l; b += n) {
        const int e = static_cast<int>(std::min<long>(b + n - 1, l));
        suffix[e] = x[e];
        for (int j = e - 1; j >= b; --j) suffix[j] = pick(suffix[j + 1], x[j]);
        double run = x[b];
        for (int k = static_cast<int>(b); k <= e; ++k) {
            run = pick(run, x[k]);
            const long s = k - n + 1;
            out[k] = s <= f ? run : pick(suffix[s], run);
        }
    }
}

}  // namespace

uint8_t EvalWindowFunctions(const char* name, CSouceEditor* ctx) {
    if (ctx->m_nTop < 1) return kStackUnderflow;
    R& nr = At(*ctx, ctx->m_nTop - 1);
    R& x = At(*ctx, ctx->m_nTop);
    if (x.m_nKind == R::kNumber) return kSeriesIsNumber;
    if (x.m_nKind != R::kSeries || (nr.m_nKind != R::kNumber && nr.m_nKind != R::kSeries))
        return kNotSeries;
    Win w = WinOf(name);
    if (w == Win::Bad) return kCalcFailed;
    const double* xd = x.m_pData;
    int f = x.m_nFirst, l = x.m_nLast;
    const CKlineLight* fm = ctx->m_pFormula;

    if (nr.m_nKind == R::kSeries) {
        int wf = std::max(f, nr.m_nFirst), wl = std::min(l, nr.m_nLast);
        if (wf > wl) {
            MakeEmpty(nr, wf);
            --ctx->m_nTop;
            return kOk;
        }
        double* out = nr.m_pData;
        int rf = -1, rl = -1;
        // Periods such as BARSLAST(..)+1 give windows whose start never moves back: the
        // window then slides, each bar entering and leaving once, with the extremes kept in a
        // queue of candidate bars in the scratch space. A start that moves back restarts it.
        const bool hi = w == Win::Hhv || w == Win::HhvBars;
        const bool bars = w == Win::HhvBars || w == Win::LlvBars;
        const bool extreme = w == Win::Hhv || w == Win::Llv || bars;
        int* q = reinterpret_cast<int*>(ctx->m_pScratch);
        int head = 0, tail = 0;
        int ws = -1, we = -1;  // the window held: [ws, we]
        double sum = 0;
        long trues = 0;
        for (int k = wf; k <= wl; ++k) {
            long n = IndCommonSpace::Double2Long(out[k]);
            out[k] = 0;
            if (n <= 0) continue;
            int s = static_cast<int>(std::max<long>(k - n + 1, f));
            if (ws < 0 || s < ws) {
                head = tail = 0;
                sum = 0;
                trues = 0;
                ws = s;
                we = s - 1;
            }
            while (we < k) {
                const double xe = xd[++we];
                sum += xe;
                trues += Truth(xe);
                if (extreme) {
                    // Ties go to the later bar for the distance functions.
                    if (bars) {
                        while (tail > head && (hi ? xd[q[tail - 1]] <= xe : xd[q[tail - 1]] >= xe))
                            --tail;
                    } else {
                        while (tail > head && (hi ? xd[q[tail - 1]] < xe : xd[q[tail - 1]] > xe))
                            --tail;
                    }
                    q[tail++] = we;
                }
            }
            for (; ws < s; ++ws) {
                sum -= xd[ws];
                trues -= Truth(xd[ws]);
                if (extreme && tail > head && q[head] == ws) ++head;
            }
            switch (w) {
                case Win::Sum:
                    out[k] = sum;
                    break;
                case Win::Count:
                    out[k] = static_cast<double>(trues);
                    break;
                case Win::All:
                    out[k] = trues == k - s + 1;
                    break;
                case Win::Any:
                    out[k] = trues > 0;
                    break;
                default:
                    out[k] = bars ? k - q[head] : xd[q[head]];
                    break;
            }
            if (rf < 0) rf = k;
            rl = k;
        }
        if (rf < 0) return kCalcFailed;
        nr.m_nKind = R::kSeries;
        nr.m_nFirst = rf;
        nr.m_nLast = rl;
        --ctx->m_nTop;
        return kOk;
    }

    long n = IndCommonSpace::Double2Long(nr.m_dValue);
    if (n < 0) return kOutOfRange;
    if (f > l) {
        MakeEmpty(nr, f);
        --ctx->m_nTop;
        return kOk;
    }
    nr.Reserve(std::max(l + 1, x.Capacity()));
    double* out = nr.m_pData;
    int rf = f, rl = l;
    if (n == 0) {
        int cf = f, cl = l;
        if (ctx->m_bPartial && !ClipPartial(*ctx, cf, cl)) return kCalcFailed;
        int end = ctx->m_bPartial ? cl : l;
        switch (w) {
            case Win::Sum: {
                double a = 0;
                bool intraday = fm && fm->m_nDataType == 2;
                uint32_t day = 0;
                for (int k = f; k <= end; ++k) {
                    if (intraday) {
                        uint32_t d = GetBarTimeKey(k, 2, fm->m_pBars) / 10000;
                        if (d != day) {
                            a = 0;
                            day = d;
                        }
                    }
                    a += xd[k];
                    out[k] = a;
                }
                break;
            }
            case Win::Hhv:
            case Win::Llv: {
                double a = xd[f];
                for (int k = f; k <= end; ++k) {
                    if (w == Win::Hhv ? xd[k] > a : xd[k] < a) a = xd[k];
                    out[k] = a;
                }
                break;
            }
            case Win::HhvBars:
            case Win::LlvBars: {
                double best = xd[f];
                double prev = 0;
                for (int k = f; k <= end; ++k) {
                    bool ext = w == Win::HhvBars ? xd[k] >= best : xd[k] <= best;
                    if (k == f || ext) {
                        best = xd[k];
                        prev = 0;
                    } else {
                        prev += 1;
                    }
                    out[k] = prev;
                }
                break;
            }
            case Win::Count: {
                double a = 0;
                for (int k = f; k <= end; ++k) {
                    a += Truth(xd[k]);
                    out[k] = a;
                }
                break;
            }
            case Win::All: {
                double a = 1;
                for (int k = f; k <= end; ++k) {
                    if (!Truth(xd[k])) a = 0;
                    out[k] = a;
                }
                break;
            }
            case Win::Any: {
                double a = 0;
                for (int k = f; k <= end; ++k) {
                    if (Truth(xd[k])) a = 1;
                    out[k] = a;
                }
                break;
            }
            default:
                break;
        }
        if (ctx->m_bPartial) {
            rf = cf;
            rl = cl;
        }
    } else {
        switch (w) {
            case Win::Sum:
            case Win::Count: {
                double a = 0;
                bool cnt = w == Win::Count;
                for (int k = f; k <= l; ++k) {
                    a += cnt ? Truth(xd[k]) : xd[k];
                    if (k - n >= f) a -= cnt ? Truth(xd[k - n]) : xd[k - n];
                    out[k] = a;
                }
                break;
            }
            case Win::Hhv:
            case Win::Llv:
                if (w == Win::Hhv)
                    WindowExtreme(xd, out, f, l, n, ctx->m_pScratch,
                                  [](double a, double b) { return b > a ? b : a; });
                else
                    WindowExtreme(xd, out, f, l, n, ctx->m_pScratch,
                                  [](double a, double b) { return b < a ? b : a; });
                break;
            case Win::HhvBars:
            case Win::LlvBars: {
                // Monotonic queue of candidate bars (each bar enters and leaves once), kept in
                // the scratch space: at most one entry per bar of the series.
                bool hi = w == Win::Hhv || w == Win::HhvBars;
                bool bars = w == Win::HhvBars || w == Win::LlvBars;
                int* q = reinterpret_cast<int*>(ctx->m_pScratch);
                int head = 0, tail = 0;
                for (int k = f; k <= l; ++k) {
                    const double xk = xd[k];
                    // Ties go to the later bar for the distance functions.
                    if (bars) {
                        while (tail > head && (hi ? xd[q[tail - 1]] <= xk : xd[q[tail - 1]] >= xk))
                            --tail;
                    } else {
                        while (tail > head && (hi ? xd[q[tail - 1]] < xk : xd[q[tail - 1]] > xk))
                            --tail;
                    }
                    q[tail++] = k;
                    if (q[head] <= k - n) ++head;
                    out[k] = bars ? k - q[head] : xd[q[head]];
                }
                break;
            }
            case Win::All:
            case Win::Any: {
                long falses = 0, trues = 0;
                for (int k = f; k <= l; ++k) {
                    Truth(xd[k]) ? ++trues : ++falses;
                    if (k - n >= f) Truth(xd[k - n]) ? --trues : --falses;
                    out[k] = w == Win::All ? (falses == 0) : (trues > 0);
                }
                break;
            }
            default:
                break;
        }
    }
    nr.m_nKind = R::kSeries;
    nr.m_nFirst = rf;
    nr.m_nLast = rl;
    --ctx->m_nTop;
    return kOk;
}

uint8_t EvalDynaInfo(const char* name, CSouceEditor* ctx) {
    if (ctx->m_nTop < 0) return kStackUnderflow;
    R& x = At(*ctx, ctx->m_nTop);
    if (x.m_nKind != R::kNumber) return kNotNumber;
    if (IndCommonSpace::Double2Long(x.m_dValue) < 0) return kOutOfRange;
    // No live quote or financial data reach formulas.
    x.m_dValue = 0;
    return kOk;
}

uint8_t EvalStringFunctions(const char* name, CSouceEditor* ctx) {
    if (ctx->m_nTop < 0) return kStackUnderflow;
    R& x = At(*ctx, ctx->m_nTop);
    if (CIndicatorExp::IsValueKind(x.m_nKind)) return kTextIsNumber;
    bool inblock = !std::strcmp(name, "INBLOCK");
    if (!inblock && std::strcmp(name, "STRTONUM")) return kCalcFailed;
    if (x.m_nKind == R::kText) {
        double v = inblock ? 1.0 : std::strtod(x.m_szText, nullptr);
        x.SetNumber(v);
        return kOk;
    }
    if (!x.m_pTexts) return kNoMemory;
    int f = x.m_nFirst, l = x.m_nLast;
    if (ctx->m_bPartial) ClipPartial(*ctx, f, l);
    x.m_nFirst = f;
    x.m_nLast = l;
    if (!x.m_pData) return kNoMemory;
    for (int k = f; k <= l; ++k) x.m_pData[k] = inblock ? 1.0 : std::strtod(x.m_pTexts[k], nullptr);
    x.m_nKind = R::kSeries;
    return kOk;
}

void InstallBuiltinEvaluators() {
    BaseFunctions[base_slot::kBars] = &EvalBarsFunctions;
    BaseFunctions[base_slot::kWindow] = &EvalWindowFunctions;
    BaseFunctions[base_slot::kDynaInfo] = &EvalDynaInfo;
    BaseFunctions[base_slot::kZig] = &EvalZigFunctions;
    BaseFunctions[base_slot::kCost] = &EvalCostFunctions;
    BaseFunctions[base_slot::kSar] = &EvalSarFunctions;
    BaseFunctions[base_slot::kString] = &EvalStringFunctions;
    BaseFunctions[base_slot::kIndicatorReference] = &EvalIndicatorReference;
}
