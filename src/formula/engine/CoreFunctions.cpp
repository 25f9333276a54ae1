#include "formula/engine/CoreFunctions.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "formula/engine/EngineStatus.h"
#include "formula/engine/FormulaProgram.h"
#include "formula/engine/IndCommonSpace.h"
#include "formula/engine/SouceEditor.h"
#include "formula/engine/ValueRecord.h"

namespace {

using namespace EngineStatus;
using R = CValueRecord;

bool IsNum(const R& r) {
    return r.m_nKind == R::kNumber;
}
bool IsSer(const R& r) {
    return r.m_nKind == R::kSeries;
}
bool IsNumeric(const R& r) {
    return IsNum(r) || IsSer(r);
}

struct Span {
    int first;
    int last;
    bool Empty() const { return first > last; }
};

// The record's valid bars; numbers are valid over the whole calculation range.
Span SpanOf(const R& r, int rf, int rl) {
    return IsNum(r) ? Span{rf, rl} : Span{r.m_nFirst, r.m_nLast};
}
Span Meet(Span a, Span b) {
    return {std::max(a.first, b.first), std::min(a.last, b.last)};
}

// A number spread over [f, l] of its own array, so loops can read every argument alike.
void Spread(R& r, int f, int l, int n) {
    if (!IsNum(r)) return;
    r.Reserve(n);
    double v = r.m_dValue;
    for (int k = std::max(f, 0); k <= l; ++k) r.m_pData[k] = v;
    r.m_nKind = R::kSeries;
    r.m_nFirst = f;
    r.m_nLast = l;
}

void SetRange(R& r, Span s) {
    r.m_nKind = R::kSeries;
    if (s.Empty()) {
        r.m_nFirst = s.first;
        r.m_nLast = s.first - 1;
    } else {
        r.m_nFirst = s.first;
        r.m_nLast = s.last;
    }
}

// A count of bars; anything beyond the largest series behaves alike, so it is capped
// there and index arithmetic cannot overflow.
bool GetCount(const R& r, long& n) {
    if (!IsNum(r)) return false;
    n = std::min(IndCommonSpace::Double2Long(r.m_dValue), static_cast<long>(INT32_MAX / 2));
    return true;
}

double Finite(double v) {
    return std::isfinite(v) ? v : 0.0;
}

template <class F>
uint8_t Map1(R& x, int rf, int rl, int n, F f) {
    if (!IsNumeric(x)) return kNotNumber;
    if (IsNum(x)) {
        x.m_dValue = f(x.m_dValue);
        return kOk;
    }
    const double* src = x.m_pData;
    double* d = x.Own(n);
    for (int k = x.m_nFirst; k <= x.m_nLast; ++k) d[k] = f(src[k]);
    return kOk;
}

template <class F>
uint8_t Map2(R& a, R& b, int rf, int rl, int n, F f) {
    if (!IsNumeric(a) || !IsNumeric(b)) return kNotNumber;
    if (IsNum(a) && IsNum(b)) {
        a.m_dValue = f(a.m_dValue, b.m_dValue);
        return kOk;
    }
    Span s = Meet(SpanOf(a, rf, rl), SpanOf(b, rf, rl));
    // a may be a view: its values are read where they are and the result goes to its own
    // array.
    const double* ad = a.m_pData;
    double* out = a.Own(n);
    if (IsNum(a)) {
        const double av = a.m_dValue;
        const double* bd = b.m_pData;
        for (int k = s.first; k <= s.last; ++k) out[k] = f(av, bd[k]);
    } else if (IsNum(b)) {
        const double bv = b.m_dValue;
        for (int k = s.first; k <= s.last; ++k) out[k] = f(ad[k], bv);
    } else {
        const double* bd = b.m_pData;
        for (int k = s.first; k <= s.last; ++k) out[k] = f(ad[k], bd[k]);
    }
    SetRange(a, s);
    return kOk;
}

template <class F>
uint8_t Map3(R& a, R& b, R& c, int rf, int rl, int n, F f) {
    if (!IsNumeric(a) || !IsNumeric(b) || !IsNumeric(c)) return kNotNumber;
    if (IsNum(a) && IsNum(b) && IsNum(c)) {
        a.m_dValue = f(a.m_dValue, b.m_dValue, c.m_dValue);
        return kOk;
    }
    Span s = Meet(Meet(SpanOf(a, rf, rl), SpanOf(b, rf, rl)), SpanOf(c, rf, rl));
    if (s.Empty()) {
        SetRange(a, s);
        return kOk;
    }
    Spread(a, s.first, s.last, n);
    Spread(b, s.first, s.last, n);
    Spread(c, s.first, s.last, n);
    double* out = a.m_pData;
    const double* bd = b.m_pData;
    const double* cd = c.m_pData;
    for (int k = s.first; k <= s.last; ++k) out[k] = f(out[k], bd[k], cd[k]);
    SetRange(a, s);
    return kOk;
}

uint8_t Ref(R& x, R& nr, int rf, int rl, int n, double* scratch) {
    if (!IsNumeric(x) || !IsNumeric(nr)) return kNotNumber;
    if (IsNum(x)) return kOk;  // a constant looks the same on every bar
    if (IsNum(nr)) {
        long m =
            std::min(IndCommonSpace::Double2Long(nr.m_dValue), static_cast<long>(INT32_MAX / 2));
        if (m < 0) return kOutOfRange;
        long first = static_cast<long>(x.m_nFirst) + m;
        if (first > x.m_nLast) {
            SetRange(x, {x.m_nLast + 1, x.m_nLast});
            return kOk;
        }
        const double* src = x.m_pData;
        double* d = x.Own(n);
        for (long k = x.m_nLast; k >= first; --k) d[k] = src[k - m];
        x.m_nFirst = static_cast<int>(first);
        return kOk;
    }
    // A period per bar: read from a copy, since the result overwrites the series.
    Span s = Meet(SpanOf(x, rf, rl), SpanOf(nr, rf, rl));
    if (s.Empty()) {
        SetRange(x, s);
        return kOk;
    }
    std::copy(x.m_pData + std::max(0, x.m_nFirst), x.m_pData + x.m_nLast + 1,
              scratch + std::max(0, x.m_nFirst));
    x.Own(n);
    // A bar whose reference falls before the series has no value. The valid bars of a
    // record are one run, so the result starts after the last such bar: a gap is never
    // filled with a value from another bar.
    int f = x.m_nFirst, first = s.first;
    for (int k = s.first; k <= s.last; ++k) {
        long m =
            std::min(IndCommonSpace::Double2Long(nr.m_pData[k]), static_cast<long>(INT32_MAX / 2));
        long src = k - std::max(0L, m);
        if (src < f) {
            first = k + 1;
            continue;
        }
        x.m_pData[k] = scratch[src];
    }
    SetRange(x, {first, s.last});
    return kOk;
}

// Whether the series has the m bars one window needs; when it has not, the result is
// empty and the function is done.
bool HasWindow(R& x, long m) {
    if (static_cast<long>(x.m_nFirst) + m - 1 > x.m_nLast) {
        SetRange(x, {x.m_nLast + 1, x.m_nLast});
        return false;
    }
    return true;
}

uint8_t Ma(R& x, long m, double* scratch, int n) {
    if (m < 0) return kOutOfRange;
    if (IsNum(x)) return kOk;
    int f = x.m_nFirst, l = x.m_nLast;
    if (f > l) return kOk;
    const double* src = x.m_pData;
    if (m == 0) {  // average of every bar so far
        double* d = x.Own(n);
        double sum = 0;
        for (int k = f; k <= l; ++k) {
            sum += src[k];
            d[k] = sum / (k - f + 1);
        }
        return kOk;
    }
    if (!HasWindow(x, m)) return kOk;
    double* d = x.Own(n);
    // A result written over its own series needs the window's values from a copy.
    if (src == d) {
        std::copy(d + f, d + l + 1, scratch + f);
        src = scratch;
    }
    const double inv = 1.0 / static_cast<double>(m);
    double sum = 0;
    int first = f + static_cast<int>(m) - 1;
    for (int k = f; k < first; ++k) sum += src[k];
    for (int k = first; k <= l; ++k) {
        sum += src[k];
        d[k] = sum * inv;
        sum -= src[k - m + 1];
    }
    x.m_nFirst = first;
    return kOk;
}

// Exponential-type smoothing y = (w x + (d - w) y') / d from the first valid bar.
uint8_t Smooth(R& x, double w, double den, int n) {
    if (IsNum(x)) return kOk;
    if (x.m_nFirst > x.m_nLast) return kOk;
    const double* src = x.m_pData;
    double* d = x.Own(n);
    // y = a x + b y'. Each bar waits for the one before, so four bars go at a time: their
    // inputs are combined off the chain, and the chain itself takes one multiply-add per
    // four bars (y4 = t4 + b^4 y).
    const double a = w / den, b = (den - w) / den;
    const double b2 = b * b, b3 = b2 * b, b4 = b2 * b2;
    double y = src[x.m_nFirst];
    d[x.m_nFirst] = y;
    int k = x.m_nFirst + 1;
    for (; k + 3 <= x.m_nLast; k += 4) {
        const double t1 = a * src[k];
        const double t2 = a * src[k + 1] + b * t1;
        const double t3 = a * src[k + 2] + b * t2;
        const double t4 = a * src[k + 3] + b * t3;
        d[k] = t1 + b * y;
        d[k + 1] = t2 + b2 * y;
        d[k + 2] = t3 + b3 * y;
        y = t4 + b4 * y;
        d[k + 3] = y;
    }
    for (; k <= x.m_nLast; ++k) {
        y = a * src[k] + b * y;
        d[k] = y;
    }
    return kOk;
}

uint8_t Wma(R& x, long m, int n) {
    if (m < 1) return kOutOfRange;
    if (IsNum(x)) return kOk;
    int f = x.m_nFirst, l = x.m_nLast;
    if (!HasWindow(x, m)) return kOk;
    std::vector<double> src(x.m_pData + f, x.m_pData + l + 1);
    double* d = x.Own(n);
    const double den = static_cast<double>(m) * (m + 1) / 2;
    double s = 0, w = 0;  // plain and weighted sums of the window
    for (long j = 0; j < m; ++j) {
        s += src[static_cast<size_t>(j)];
        w += static_cast<double>(j + 1) * src[static_cast<size_t>(j)];
    }
    int first = f + static_cast<int>(m) - 1;
    d[first] = w / den;
    for (int k = first + 1; k <= l; ++k) {
        double in = src[static_cast<size_t>(k - f)];
        w += static_cast<double>(m) * in - s;
        s += in - src[static_cast<size_t>(k - f - m)];
        d[k] = w / den;
    }
    x.m_nFirst = first;
    return kOk;
}

uint8_t Dma(R& x, R& a, int rf, int rl, int n) {
    if (!IsNumeric(x) || !IsNumeric(a)) return kNotNumber;
    if (IsNum(x)) return kOk;
    Span s = Meet(SpanOf(x, rf, rl), SpanOf(a, rf, rl));
    if (s.Empty()) {
        SetRange(x, s);
        return kOk;
    }
    const double* src = x.m_pData;
    double* d = x.Own(n);
    double y = src[s.first];
    d[s.first] = y;
    for (int k = s.first + 1; k <= s.last; ++k) {
        double w = IsNum(a) ? a.m_dValue : a.m_pData[k];
        y = w * src[k] + (1 - w) * y;
        d[k] = y;
    }
    SetRange(x, s);
    return kOk;
}

enum class Dispersion { Std, Stdp, Var, Varp, Devsq };

// Running sums of one window kind over [f, l]; value(k) is bar k's deviation from the pivot.
template <Dispersion K, class Value>
void DispersionRun(double* d, int f, int l, long m, Value value) {
    const double nn = static_cast<double>(m);
    const double invN = 1.0 / nn, invN1 = m > 1 ? 1.0 / (nn - 1) : 0.0;
    double s = 0, q = 0;
    const int first = f + static_cast<int>(m) - 1;
    for (int k = f; k < first; ++k) {
        const double v = value(k);
        s += v;
        q += v * v;
    }
    for (int k = first; k <= l; ++k) {
        const double v = value(k);
        s += v;
        q += v * v;
        const double dev = std::max(0.0, q - s * s * invN);
        if constexpr (K == Dispersion::Std)
            d[k] = m > 1 ? std::sqrt(dev * invN1) : 0;
        else if constexpr (K == Dispersion::Stdp)
            d[k] = std::sqrt(dev * invN);
        else if constexpr (K == Dispersion::Var)
            d[k] = m > 1 ? dev * invN1 : 0;
        else if constexpr (K == Dispersion::Varp)
            d[k] = dev * invN;
        else
            d[k] = dev;
        const double old = value(static_cast<int>(k - m + 1));
        s -= old;
        q -= old * old;
    }
}

template <Dispersion K>
void DispersionOf(const double* src, double* d, int f, int l, long m, double* scratch) {
    // Deviations from a pivot keep the cancellation small for price-sized values.
    const double pivot = src[f];
    if (src != d) {
        DispersionRun<K>(d, f, l, m, [src, pivot](int k) { return src[k] - pivot; });
        return;
    }
    // The result overwrites the series: the window reads a copy.
    for (int k = f; k <= l; ++k) scratch[k] = src[k] - pivot;
    DispersionRun<K>(d, f, l, m, [scratch](int k) { return scratch[k]; });
}

uint8_t WindowDispersion(R& x, long m, Dispersion kind, double* scratch, int n) {
    if (m < 1) return kOutOfRange;
    if (IsNum(x)) {
        x.m_dValue = 0;
        return kOk;
    }
    int f = x.m_nFirst, l = x.m_nLast;
    if (!HasWindow(x, m)) return kOk;
    const double* src = x.m_pData;
    double* d = x.Own(n);
    switch (kind) {
        case Dispersion::Std:
            DispersionOf<Dispersion::Std>(src, d, f, l, m, scratch);
            break;
        case Dispersion::Stdp:
            DispersionOf<Dispersion::Stdp>(src, d, f, l, m, scratch);
            break;
        case Dispersion::Var:
            DispersionOf<Dispersion::Var>(src, d, f, l, m, scratch);
            break;
        case Dispersion::Varp:
            DispersionOf<Dispersion::Varp>(src, d, f, l, m, scratch);
            break;
        default:
            DispersionOf<Dispersion::Devsq>(src, d, f, l, m, scratch);
            break;
    }
    x.m_nFirst = f + static_cast<int>(m) - 1;
    return kOk;
}

template <class F>
uint8_t WindowDirect(R& x, long m, double* scratch, int n, F f) {
    if (m < 1) return kOutOfRange;
    if (IsNum(x)) return kOk;
    int fi = x.m_nFirst, l = x.m_nLast;
    if (!HasWindow(x, m)) return kOk;
    std::copy(x.m_pData + fi, x.m_pData + l + 1, scratch + fi);
    double* d = x.Own(n);
    int first = fi + static_cast<int>(m) - 1;
    for (int k = first; k <= l; ++k) d[k] = f(scratch + k - m + 1, static_cast<int>(m));
    x.m_nFirst = first;
    return kOk;
}

double AveDev(const double* w, int m) {
    double mean = 0;
    for (int i = 0; i < m; ++i) mean += w[i];
    mean /= m;
    double s = 0;
    for (int i = 0; i < m; ++i) s += std::fabs(w[i] - mean);
    return s / m;
}

void Regression(const double* w, int m, double& slope, double& intercept) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int i = 0; i < m; ++i) {
        sx += i;
        sy += w[i];
        sxx += static_cast<double>(i) * i;
        sxy += i * w[i];
    }
    double den = m * sxx - sx * sx;
    slope = den == 0 ? 0 : (m * sxy - sx * sy) / den;
    intercept = (sy - slope * sx) / m;
}

uint8_t Cross(R& a, R& b, int rf, int rl, int n) {
    if (!IsNumeric(a) || !IsNumeric(b)) return kNotNumber;
    if (IsNum(a) && IsNum(b)) {
        a.m_dValue = 0;
        return kOk;
    }
    Span s = Meet(SpanOf(a, rf, rl), SpanOf(b, rf, rl));
    Span out{s.first + 1, s.last};
    if (out.Empty()) {
        SetRange(a, out);
        return kOk;
    }
    Spread(a, s.first, s.last, n);
    Spread(b, s.first, s.last, n);
    double* ad = a.m_pData;
    const double* bd = b.m_pData;
    double prevA = ad[s.first], prevB = bd[s.first];
    for (int k = out.first; k <= out.last; ++k) {
        double ca = ad[k], cb = bd[k];
        ad[k] = (ca > cb && prevA <= prevB) ? 1.0 : 0.0;
        prevA = ca;
        prevB = cb;
    }
    SetRange(a, out);
    return kOk;
}

uint8_t LongCross(R& a, R& b, R& nr, int rf, int rl, int n) {
    if (!IsNumeric(a) || !IsNumeric(b)) return kNotNumber;
    long m;
    if (!GetCount(nr, m)) return kNotNumber;
    if (m < 1) return kOutOfRange;
    Span s = Meet(SpanOf(a, rf, rl), SpanOf(b, rf, rl));
    Span out{static_cast<int>(std::min<long>(s.first + m, INT32_MAX / 2)), s.last};
    if (out.Empty()) {
        SetRange(a, out);
        return kOk;
    }
    Spread(a, s.first, s.last, n);
    Spread(b, s.first, s.last, n);
    std::vector<double> below(static_cast<size_t>(s.last - s.first + 1));
    for (int k = s.first; k <= s.last; ++k)
        below[static_cast<size_t>(k - s.first)] = a.m_pData[k] < b.m_pData[k] ? 1 : 0;
    double run = 0;  // bars below among the m before k
    for (int k = s.first; k < out.first; ++k) run += below[static_cast<size_t>(k - s.first)];
    for (int k = out.first; k <= out.last; ++k) {
        bool now = a.m_pData[k] > b.m_pData[k];
        a.m_pData[k] = (now && run == static_cast<double>(m)) ? 1.0 : 0.0;
        run +=
            below[static_cast<size_t>(k - s.first)] - below[static_cast<size_t>(k - m - s.first)];
    }
    SetRange(a, out);
    return kOk;
}

uint8_t If(CSouceEditor& ctx, int base, int rf, int rl, int n) {
    R& c = ctx.m_aStack[static_cast<size_t>(base)];
    R& a = ctx.m_aStack[static_cast<size_t>(base + 1)];
    R& b = ctx.m_aStack[static_cast<size_t>(base + 2)];
    if (!IsNumeric(c)) return kNotNumber;
    if (IsNum(c)) {
        // The whole choice is known: the chosen branch becomes the result as it is.
        std::swap(c, c.m_dValue != 0 ? a : b);
        return kOk;
    }
    if (!IsNumeric(a) || !IsNumeric(b)) return kNotNumber;
    return Map3(c, a, b, rf, rl, n,
                [](double cv, double av, double bv) { return cv != 0 ? av : bv; });
}

uint8_t ValueWhen(R& c, R& x, int rf, int rl, int n) {
    if (!IsNumeric(c) || !IsNumeric(x)) return kNotNumber;
    if (IsNum(c)) {
        if (c.m_dValue != 0) {
            std::swap(c, x);
            return kOk;
        }
        SetRange(c, {rl + 1, rl});
        return kOk;
    }
    Span s = Meet(SpanOf(c, rf, rl), SpanOf(x, rf, rl));
    int first = -1;
    double held = 0;
    for (int k = s.first; k <= s.last; ++k) {
        if (c.m_pData[k] != 0) {
            held = IsNum(x) ? x.m_dValue : x.m_pData[k];
            if (first < 0) first = k;
        }
        c.m_pData[k] = held;
    }
    SetRange(c, first < 0 ? Span{s.last + 1, s.last} : Span{first, s.last});
    return kOk;
}

uint8_t Filter(R& x, long m) {
    if (m < 0) return kOutOfRange;
    if (IsNum(x)) return kOk;
    long until = -1;  // bars up to here are suppressed
    for (int k = x.m_nFirst; k <= x.m_nLast; ++k) {
        if (k > until && x.m_pData[k] != 0) {
            x.m_pData[k] = 1;
            until = k + m;
        } else {
            x.m_pData[k] = 0;
        }
    }
    return kOk;
}

uint8_t Backset(R& x, long m, double* scratch) {
    if (m < 0) return kOutOfRange;
    if (IsNum(x)) return kOk;
    int f = x.m_nFirst, l = x.m_nLast;
    for (int k = f; k <= l; ++k) scratch[k] = 0;
    for (int k = f; k <= l; ++k) {
        if (x.m_pData[k] != 0) {
            long from = std::max<long>(f, k - m + 1);
            for (long j = from; j <= k; ++j) scratch[j] = 1;
        }
    }
    std::copy(scratch + f, scratch + l + 1, x.m_pData + f);
    return kOk;
}

}  // namespace

uint8_t ApplyBinary(uint8_t op, CSouceEditor& ctx, int rf, int rl, int n) {
    if (ctx.m_nTop < 1) return kStackUnderflow;
    R& a = ctx.m_aStack[static_cast<size_t>(ctx.m_nTop - 1)];
    R& b = ctx.m_aStack[static_cast<size_t>(ctx.m_nTop)];
    uint8_t st;
    switch (static_cast<BinOp>(op)) {
        case BinOp::Add:
            st = Map2(a, b, rf, rl, n, [](double x, double y) { return x + y; });
            break;
        case BinOp::Sub:
            st = Map2(a, b, rf, rl, n, [](double x, double y) { return x - y; });
            break;
        case BinOp::Mul:
            st = Map2(a, b, rf, rl, n, [](double x, double y) { return x * y; });
            break;
        case BinOp::Div:
            st = Map2(a, b, rf, rl, n, [](double x, double y) { return y == 0 ? 0.0 : x / y; });
            break;
        case BinOp::Lt:
            st = Map2(a, b, rf, rl, n, [](double x, double y) { return x < y ? 1.0 : 0.0; });
            break;
        case BinOp::Le:
            st = Map2(a, b, rf, rl, n, [](double x, double y) { return x <= y ? 1.0 : 0.0; });
            break;
        case BinOp::Gt:
            st = Map2(a, b, rf, rl, n, [](double x, double y) { return x > y ? 1.0 : 0.0; });
            break;
        case BinOp::Ge:
            st = Map2(a, b, rf, rl, n, [](double x, double y) { return x >= y ? 1.0 : 0.0; });
            break;
        case BinOp::Eq:
            st = Map2(a, b, rf, rl, n, [](double x, double y) { return x == y ? 1.0 : 0.0; });
            break;
        case BinOp::Ne:
            st = Map2(a, b, rf, rl, n, [](double x, double y) { return x != y ? 1.0 : 0.0; });
            break;
        case BinOp::And:
            st = Map2(a, b, rf, rl, n,
                      [](double x, double y) { return x != 0 && y != 0 ? 1.0 : 0.0; });
            break;
        case BinOp::Or:
            st = Map2(a, b, rf, rl, n,
                      [](double x, double y) { return x != 0 || y != 0 ? 1.0 : 0.0; });
            break;
        default:
            return kCalcFailed;
    }
    if (st == kOk) --ctx.m_nTop;
    return st;
}

uint8_t ApplyUnary(uint8_t op, CSouceEditor& ctx, int rf, int rl, int n) {
    if (ctx.m_nTop < 0) return kStackUnderflow;
    R& x = ctx.m_aStack[static_cast<size_t>(ctx.m_nTop)];
    if (static_cast<UnOp>(op) == UnOp::Neg) return Map1(x, rf, rl, n, [](double v) { return -v; });
    return Map1(x, rf, rl, n, [](double v) { return v == 0 ? 1.0 : 0.0; });
}

uint8_t CallCoreFunction(CoreFn fn, CSouceEditor& ctx, int base, int count, int rf, int rl, int n) {
    if (base < 0 || base + count - 1 > ctx.m_nTop) return kStackUnderflow;
    auto arg = [&](int i) -> R& { return ctx.m_aStack[static_cast<size_t>(base + i)]; };
    R& x = arg(0);
    // The result replaces the first argument. Most functions read a view of it where it is
    // and write their own array; the others work on a copy of their own.
    switch (fn) {
        case CoreFn::Ref:
        case CoreFn::Ma:
        case CoreFn::Ema:
        case CoreFn::Sma:
        case CoreFn::Wma:
        case CoreFn::Dma:
        case CoreFn::Std:
        case CoreFn::Stdp:
        case CoreFn::Var:
        case CoreFn::Varp:
        case CoreFn::Devsq:
        case CoreFn::Avedev:
        case CoreFn::Slope:
        case CoreFn::Forcast:
        case CoreFn::Const:
        case CoreFn::Not:
        case CoreFn::Abs:
        case CoreFn::Sqrt:
        case CoreFn::Ln:
        case CoreFn::Log:
        case CoreFn::Exp:
        case CoreFn::Sin:
        case CoreFn::Cos:
        case CoreFn::Tan:
        case CoreFn::Asin:
        case CoreFn::Acos:
        case CoreFn::Atan:
        case CoreFn::Ceiling:
        case CoreFn::Floor:
        case CoreFn::Intpart:
        case CoreFn::Round:
        case CoreFn::Sign:
        case CoreFn::Max:
        case CoreFn::Min:
        case CoreFn::Pow:
        case CoreFn::Mod:
            break;
        default:
            x.Settle(n);
            break;
    }
    double* scratch = ctx.m_pScratch;
    long m = 0;
    auto needCount = [&](int i) -> uint8_t {
        if (!IsNumeric(arg(i))) return kNotNumber;
        if (!GetCount(arg(i), m)) return kNotNumber;
        return kOk;
    };
    uint8_t st = kOk;
    switch (fn) {
        case CoreFn::Ref:
            st = Ref(x, arg(1), rf, rl, n, scratch);
            break;
        case CoreFn::Ma:
            if (!IsNumeric(x)) {
                st = kNotNumber;
                break;
            }
            if ((st = needCount(1)) == kOk) st = Ma(x, m, scratch, n);
            break;
        case CoreFn::Ema:
            if (!IsNumeric(x)) {
                st = kNotNumber;
                break;
            }
            if ((st = needCount(1)) == kOk)
                st = m < 1 ? kOutOfRange : Smooth(x, 2.0, static_cast<double>(m) + 1, n);
            break;
        case CoreFn::Sma: {
            if (!IsNumeric(x) || !IsNum(arg(1)) || !IsNum(arg(2))) {
                st = kNotNumber;
                break;
            }
            double nn = arg(1).m_dValue, mm = arg(2).m_dValue;
            if (nn < 1 || mm <= 0 || mm > nn) {
                st = kOutOfRange;
                break;
            }
            st = Smooth(x, mm, nn, n);
            break;
        }
        case CoreFn::Wma:
            if (!IsNumeric(x)) {
                st = kNotNumber;
                break;
            }
            if ((st = needCount(1)) == kOk) st = Wma(x, m, n);
            break;
        case CoreFn::Dma:
            st = Dma(x, arg(1), rf, rl, n);
            break;
        case CoreFn::If:
            st = If(ctx, base, rf, rl, n);
            break;
        case CoreFn::Cross:
            st = Cross(x, arg(1), rf, rl, n);
            break;
        case CoreFn::LongCross:
            st = LongCross(x, arg(1), arg(2), rf, rl, n);
            break;
        case CoreFn::Std:
        case CoreFn::Stdp:
        case CoreFn::Var:
        case CoreFn::Varp:
        case CoreFn::Devsq: {
            if (!IsNumeric(x)) {
                st = kNotNumber;
                break;
            }
            if ((st = needCount(1)) != kOk) break;
            Dispersion k = fn == CoreFn::Std    ? Dispersion::Std
                           : fn == CoreFn::Stdp ? Dispersion::Stdp
                           : fn == CoreFn::Var  ? Dispersion::Var
                           : fn == CoreFn::Varp ? Dispersion::Varp
                                                : Dispersion::Devsq;
            st = WindowDispersion(x, m, k, scratch, n);
            break;
        }
        case CoreFn::Avedev:
            if (!IsNumeric(x)) {
                st = kNotNumber;
                break;
            }
            if ((st = needCount(1)) == kOk) st = WindowDirect(x, m, scratch, n, AveDev);
            break;
        case CoreFn::Slope:
        case CoreFn::Forcast:
            if (!IsNumeric(x)) {
                st = kNotNumber;
                break;
            }
            if ((st = needCount(1)) != kOk) break;
            if (fn == CoreFn::Slope)
                st = WindowDirect(x, m, scratch, n, [](const double* w, int mm) {
                    double s, i;
                    Regression(w, mm, s, i);
                    return s;
                });
            else
                st = WindowDirect(x, m, scratch, n, [](const double* w, int mm) {
                    double s, i;
                    Regression(w, mm, s, i);
                    return i + s * (mm - 1);
                });
            break;
        case CoreFn::ValueWhen:
            st = ValueWhen(x, arg(1), rf, rl, n);
            break;
        case CoreFn::Filter:
            if (!IsNumeric(x)) {
                st = kNotNumber;
                break;
            }
            if ((st = needCount(1)) == kOk) st = Filter(x, m);
            break;
        case CoreFn::Backset:
            if (!IsNumeric(x)) {
                st = kNotNumber;
                break;
            }
            if ((st = needCount(1)) == kOk) st = Backset(x, m, scratch);
            break;
        case CoreFn::Const:
            if (!IsNumeric(x)) {
                st = kNotNumber;
                break;
            }
            if (IsSer(x)) {
                if (x.m_nFirst > x.m_nLast) {
                    st = kCalcFailed;
                    break;
                }
                x.SetNumber(x.m_pData[x.m_nLast]);
            }
            break;
        case CoreFn::Not:
            st = Map1(x, rf, rl, n, [](double v) { return v == 0 ? 1.0 : 0.0; });
            break;
        case CoreFn::Abs:
            st = Map1(x, rf, rl, n, [](double v) { return std::fabs(v); });
            break;
        case CoreFn::Sqrt:
            st = Map1(x, rf, rl, n, [](double v) { return v < 0 ? 0.0 : std::sqrt(v); });
            break;
        case CoreFn::Ln:
            st = Map1(x, rf, rl, n, [](double v) { return v <= 0 ? 0.0 : std::log(v); });
            break;
        case CoreFn::Log:
            st = Map1(x, rf, rl, n, [](double v) { return v <= 0 ? 0.0 : std::log10(v); });
            break;
        case CoreFn::Exp:
            st = Map1(x, rf, rl, n, [](double v) { return Finite(std::exp(v)); });
            break;
        case CoreFn::Sin:
            st = Map1(x, rf, rl, n, [](double v) { return std::sin(v); });
            break;
        case CoreFn::Cos:
            st = Map1(x, rf, rl, n, [](double v) { return std::cos(v); });
            break;
        case CoreFn::Tan:
            st = Map1(x, rf, rl, n, [](double v) { return Finite(std::tan(v)); });
            break;
        case CoreFn::Asin:
            st = Map1(x, rf, rl, n, [](double v) { return v < -1 || v > 1 ? 0.0 : std::asin(v); });
            break;
        case CoreFn::Acos:
            st = Map1(x, rf, rl, n, [](double v) { return v < -1 || v > 1 ? 0.0 : std::acos(v); });
            break;
        case CoreFn::Atan:
            st = Map1(x, rf, rl, n, [](double v) { return std::atan(v); });
            break;
        case CoreFn::Ceiling:
            st = Map1(x, rf, rl, n, [](double v) { return std::ceil(v); });
            break;
        case CoreFn::Floor:
            st = Map1(x, rf, rl, n, [](double v) { return std::floor(v); });
            break;
        case CoreFn::Intpart:
            st = Map1(x, rf, rl, n, [](double v) { return std::trunc(v); });
            break;
        case CoreFn::Round:
            st = Map1(x, rf, rl, n, [](double v) { return std::round(v); });
            break;
        case CoreFn::Sign:
            st = Map1(x, rf, rl, n, [](double v) { return v > 0 ? 1.0 : v < 0 ? -1.0 : 0.0; });
            break;
        case CoreFn::Max:
            st = Map2(x, arg(1), rf, rl, n, [](double a, double b) { return std::max(a, b); });
            break;
        case CoreFn::Min:
            st = Map2(x, arg(1), rf, rl, n, [](double a, double b) { return std::min(a, b); });
            break;
        case CoreFn::Pow:
            st = Map2(x, arg(1), rf, rl, n,
                      [](double a, double b) { return Finite(std::pow(a, b)); });
            break;
        case CoreFn::Mod:
            st = Map2(x, arg(1), rf, rl, n,
                      [](double a, double b) { return b == 0 ? 0.0 : std::fmod(a, b); });
            break;
        case CoreFn::Between:
            st = Map3(x, arg(1), arg(2), rf, rl, n, [](double a, double b, double c) {
                return ((b <= a && a <= c) || (c <= a && a <= b)) ? 1.0 : 0.0;
            });
            break;
        case CoreFn::Range:
            st = Map3(x, arg(1), arg(2), rf, rl, n,
                      [](double a, double b, double c) { return b < a && a < c ? 1.0 : 0.0; });
            break;
        case CoreFn::Rgb:
            st = Map3(x, arg(1), arg(2), rf, rl, n, [](double r, double g, double b) {
                auto c = [](double v) {
                    return static_cast<uint32_t>(std::clamp(IndCommonSpace::Double2Int(v), 0, 255));
                };
                return IndCommonSpace::ColorToDouble(c(r) | (c(g) << 8) | (c(b) << 16));
            });
            break;
        default:
            st = kCalcFailed;
            break;
    }
    if (st == kOk) ctx.m_nTop = base;
    return st;
}
