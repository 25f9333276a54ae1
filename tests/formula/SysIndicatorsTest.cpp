// Every indicator of the shipped "Sys.xml" against its published definition, computed here
// with plain loops over a small series.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <optional>

#include "FormulaTestSupport.h"

using namespace formula_test;

namespace {

using Series = std::vector<std::optional<double>>;

const std::vector<double> kCloses = {10.0, 10.4, 10.2, 10.9, 11.3, 11.0, 10.6, 10.8, 11.5, 11.9,
                                     12.2, 11.8, 11.4, 11.6, 12.3, 12.8, 12.5, 12.1, 12.6, 13.0,
                                     13.4, 13.1, 12.7, 12.9, 13.5, 13.9, 13.6, 13.2, 13.8, 14.1};

class SysIndicators : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        GetYBIndClass()->Clear();
        GetYBIndClass()->Read(SourceDir() + "/resources/Sys.xml");
    }

    void SetUp() override { bars = DayBars(kCloses); }

    CKlineLight Run(const std::string& name, const std::vector<double>& params = {}) {
        auto ind = FindInd(name);
        EXPECT_TRUE(ind) << name;
        if (!ind) return {};
        for (size_t i = 0; i < params.size() && i < ind->m_aParams.size(); ++i)
            ind->m_aParams[i].m_dDefault = params[i];
        Evaluate(*ind, bars);
        EXPECT_EQ(ind->m_nLastStatus, 0) << name << ": " << ind->m_strLastError;
        return *ind;
    }

    void Expect(const CKlineLight& ind, const std::string& line, const Series& want,
                double tol = 1e-9) {
        const CIndicatorExp* e = nullptr;
        for (const auto& x : ind.m_aExps)
            if (x.m_strName == line) e = &x;
        ASSERT_NE(e, nullptr) << ind.m_strName << "." << line;
        for (size_t i = 0; i < want.size(); ++i) {
            double v = 0;
            bool has = e->GetValue(static_cast<int>(i), v);
            ASSERT_EQ(has, want[i].has_value()) << ind.m_strName << "." << line << " bar " << i;
            if (has) {
                EXPECT_NEAR(v, *want[i], tol * std::max(1.0, std::fabs(*want[i])))
                    << ind.m_strName << "." << line << " bar " << i;
            }
        }
    }

    Series Field(double CFloatDayItem::*f) const {
        Series s;
        for (const auto& b : bars) {
            double v;
            std::memcpy(&v, &(b.*f), sizeof v);  // the record is packed
            s.push_back(v);
        }
        return s;
    }
    static Series Map(const Series& a, const Series& b,
                      const std::function<double(double, double)>& op) {
        Series r(a.size());
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i] && b[i]) r[i] = op(*a[i], *b[i]);
        return r;
    }
    static Series Ma(const Series& x, int n) {
        Series r(x.size());
        for (size_t i = 0; i < x.size(); ++i) {
            if (i + 1 < static_cast<size_t>(n)) continue;
            double s = 0;
            bool ok = true;
            for (size_t j = i + 1 - static_cast<size_t>(n); j <= i; ++j) {
                if (!x[j]) {
                    ok = false;
                    break;
                }
                s += *x[j];
            }
            if (ok) r[i] = s / n;
        }
        return r;
    }
    static Series Ema(const Series& x, double n) { return Smooth(x, 2, n + 1); }
    static Series Smooth(const Series& x, double w, double d) {
        Series r(x.size());
        std::optional<double> y;
        for (size_t i = 0; i < x.size(); ++i) {
            if (!x[i]) continue;
            y = y ? (w * *x[i] + (d - w) * *y) / d : *x[i];
            r[i] = y;
        }
        return r;
    }
    static Series Std(const Series& x, int n) {
        Series m = Ma(x, n), r(x.size());
        for (size_t i = 0; i < x.size(); ++i) {
            if (!m[i]) continue;
            double s = 0;
            for (size_t j = i + 1 - static_cast<size_t>(n); j <= i; ++j)
                s += (*x[j] - *m[i]) * (*x[j] - *m[i]);
            r[i] = std::sqrt(s / (n - 1));
        }
        return r;
    }
    static Series Ref(const Series& x, int n) {
        Series r(x.size());
        for (size_t i = static_cast<size_t>(n); i < x.size(); ++i)
            r[i] = x[i - static_cast<size_t>(n)];
        return r;
    }
    static Series Window(const Series& x, int n, bool high) {
        Series r(x.size());
        for (size_t i = 0; i < x.size(); ++i) {
            size_t s = i + 1 >= static_cast<size_t>(n) ? i + 1 - static_cast<size_t>(n) : 0;
            double v = *x[s];
            for (size_t j = s; j <= i; ++j) v = high ? std::max(v, *x[j]) : std::min(v, *x[j]);
            r[i] = v;
        }
        return r;
    }
    static Series Scale(const Series& x, double k) {
        return Map(x, x, [k](double a, double) { return a * k; });
    }

    std::vector<CFloatDayItem> bars;
};

TEST_F(SysIndicators, CatalogueHoldsEveryNamedIndicator) {
    for (const char* name : {"MA", "VOL", "AMOUNT", "BBI", "MACD", "BOLL", "CDP", "BIAS", "SAR",
                             "KDJ", "PVT", "EMV", "RC", "PHJ"}) {
        auto ind = FindInd(name);
        ASSERT_TRUE(ind) << name;
        std::string msg;
        int f, l;
        EXPECT_EQ(ind->EvalLight(msg, f, l), 0) << name << ": " << msg;
    }
}

TEST_F(SysIndicators, MovingAveragesAndBbi) {
    Series c = Field(&CFloatDayItem::m_fClose);
    CKlineLight ma = Run("MA");
    Expect(ma, "MA1", Ma(c, 5));
    Expect(ma, "MA3", Ma(c, 20));
    CKlineLight bbi = Run("BBI");
    Series sum = Map(Map(Ma(c, 3), Ma(c, 6), std::plus<>()),
                     Map(Ma(c, 12), Ma(c, 24), std::plus<>()), std::plus<>());
    Expect(bbi, "BBI", Scale(sum, 0.25));
}

TEST_F(SysIndicators, VolumeAndAmount) {
    for (size_t i = 0; i < bars.size(); ++i) bars[i].m_fAmount = 1e6 * static_cast<double>(i + 1);
    Series v = Field(&CFloatDayItem::m_fVolume);
    CKlineLight vol = Run("VOL");
    Expect(vol, "VOLUME", v);
    Expect(vol, "MAVOL2", Ma(v, 10));
    CKlineLight amo = Run("AMOUNT");
    Series a = Scale(Field(&CFloatDayItem::m_fAmount), 1e-4);
    Expect(amo, "AMO", a);
    Expect(amo, "AMO1", Ma(a, 5));
}

TEST_F(SysIndicators, Macd) {
    Series c = Field(&CFloatDayItem::m_fClose);
    Series dif = Map(Ema(c, 12), Ema(c, 26), std::minus<>());
    Series dea = Ema(dif, 9);
    CKlineLight macd = Run("MACD");
    Expect(macd, "DIF", dif);
    Expect(macd, "DEA", dea);
    Expect(macd, "MACD", Map(dif, dea, [](double a, double b) { return (a - b) * 2; }));
    // Second bar by hand: EMA12 = (2*10.4 + 11*10)/13, EMA26 = (2*10.4 + 25*10)/27.
    double v;
    ASSERT_TRUE(macd.m_aExps[0].GetValue(1, v));
    EXPECT_NEAR(v, (2 * 10.4 + 110) / 13 - (2 * 10.4 + 250) / 27, 1e-12);
}

TEST_F(SysIndicators, Boll) {
    Series c = Field(&CFloatDayItem::m_fClose);
    CKlineLight boll = Run("BOLL");
    Series mid = Ma(c, 20), sd = Std(c, 20);
    Expect(boll, "BOLL", mid);
    Expect(boll, "UB", Map(mid, sd, [](double m, double s) { return m + 2 * s; }));
    Expect(boll, "LB", Map(mid, sd, [](double m, double s) { return m - 2 * s; }));
}

TEST_F(SysIndicators, Kdj) {
    Series c = Field(&CFloatDayItem::m_fClose), h = Field(&CFloatDayItem::m_fHigh),
           l = Field(&CFloatDayItem::m_fLow);
    Series hh = Window(h, 9, true), ll = Window(l, 9, false);
    Series rsv(c.size());
    for (size_t i = 0; i < c.size(); ++i)
        rsv[i] = *hh[i] == *ll[i] ? 0.0 : (*c[i] - *ll[i]) / (*hh[i] - *ll[i]) * 100;
    Series k = Smooth(rsv, 1, 3), d = Smooth(k, 1, 3);
    CKlineLight kdj = Run("KDJ");
    Expect(kdj, "K", k);
    Expect(kdj, "D", d);
    Expect(kdj, "J", Map(k, d, [](double a, double b) { return 3 * a - 2 * b; }));
    EXPECT_EQ(kdj.m_aAxeValues, (std::vector<double>{20, 50, 80}));
}

TEST_F(SysIndicators, CdpBiasPvtEmvRc) {
    Series c = Field(&CFloatDayItem::m_fClose), h = Field(&CFloatDayItem::m_fHigh),
           l = Field(&CFloatDayItem::m_fLow);
    Series v = Field(&CFloatDayItem::m_fVolume);
    CKlineLight cdp = Run("CDP");
    Series ch = Ref(h, 1), cl = Ref(l, 1), cc = Ref(c, 1);
    Series mid = Map(Map(ch, cl, std::plus<>()), Scale(cc, 2),
                     [](double a, double b) { return (a + b) / 4; });
    Expect(cdp, "CDP", mid);
    Expect(cdp, "AH", Map(mid, Map(ch, cl, std::minus<>()), std::plus<>()));
    Expect(cdp, "NL", Map(Scale(mid, 2), ch, std::minus<>()));

    CKlineLight bias = Run("BIAS");
    Expect(bias, "BIAS1", Map(c, Ma(c, 6), [](double x, double m) { return (x - m) / m * 100; }));

    CKlineLight pvt = Run("PVT");
    Series want(c.size());
    double acc = 0;
    for (size_t i = 1; i < c.size(); ++i) {
        acc += (*c[i] - *c[i - 1]) / *c[i - 1] * *v[i];
        want[i] = acc;
    }
    Expect(pvt, "PVT", want);

    CKlineLight emv = Run("EMV", {5, 3});
    Series hl = Map(h, l, std::plus<>());
    Series volume = Map(Ma(v, 5), v, std::divides<>());
    Series midv = Map(hl, Ref(hl, 1), [](double a, double b) { return 100 * (a - b) / a; });
    Series range = Map(h, l, std::minus<>());
    Series inner = Map(Map(midv, volume, std::multiplies<>()),
                       Map(range, Ma(range, 5), std::divides<>()), std::multiplies<>());
    Series emvLine = Ma(inner, 5);
    Expect(emv, "EMV", emvLine, 1e-8);
    Expect(emv, "MAEMV", Ma(emvLine, 3), 1e-8);

    CKlineLight rc = Run("RC", {5});
    Series ratio = Map(c, Ref(c, 5), std::divides<>());
    Expect(rc, "ARC", Smooth(Ref(ratio, 1), 1, 5));
}

TEST_F(SysIndicators, SarFollowsItsDefinition) {
    // A rise, then a fall deep enough to turn it, then a rise again.
    std::vector<double> closes;
    for (int i = 0; i < 15; ++i) closes.push_back(10 + 0.3 * i);
    for (int i = 0; i < 12; ++i) closes.push_back(14.2 - 0.4 * i);
    for (int i = 0; i < 10; ++i) closes.push_back(9.8 + 0.35 * i);
    bars = DayBars(closes);
    CKlineLight sar = Run("SAR", {4, 2, 20});
    const CIndicatorExp& e = sar.m_aExps.at(0);
    ASSERT_TRUE(e.HasValues());
    EXPECT_EQ(e.m_nFirst, 4);
    double v;
    // Rising from the start: the first SAR is the lowest low of the first four bars.
    ASSERT_TRUE(e.GetValue(4, v));
    EXPECT_NEAR(v, 10 * 0.99, 1e-9);
    // Below the lows while rising, above the highs after the fall has turned it.
    ASSERT_TRUE(e.GetValue(12, v));
    EXPECT_LT(v, double{bars[12].m_fLow});
    ASSERT_TRUE(e.GetValue(24, v));
    EXPECT_GT(v, double{bars[24].m_fHigh});
    ASSERT_TRUE(e.GetValue(36, v));
    EXPECT_LT(v, double{bars[36].m_fLow});
}

TEST_F(SysIndicators, PhjIsTheQuarterlyMedianCost) {
    // Two quarters of flat prices: the first quarter's median cost is its price; the second,
    // unfinished quarter shows the first one's.
    std::vector<CFloatDayItem> b;
    int32_t dates[] = {20240102, 20240103, 20240201, 20240301, 20240402, 20240403};
    for (int32_t d : dates) b.push_back(Bar(d, 10, 10.5, 9.5, 10, 1000));
    bars = b;
    CKlineLight phj = Run("PHJ");
    const CIndicatorExp& e = phj.m_aExps.at(0);
    double v;
    ASSERT_TRUE(e.GetValue(0, v));
    EXPECT_NEAR(v, 10, 0.06);
    ASSERT_TRUE(e.GetValue(5, v));
    EXPECT_NEAR(v, 10, 0.06);
}

}  // namespace
