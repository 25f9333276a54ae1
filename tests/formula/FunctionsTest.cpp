// Each function of the language on small series with values worked out by hand.

#include <gtest/gtest.h>

#include "FormulaTestSupport.h"
#include "common/CaseName.h"
#include "formula/engine/EngineStatus.h"

using namespace formula_test;

namespace {

struct Case {
    const char* expr;
    std::vector<double> closes;
    int first;  // -1: no values
    std::vector<double> values;
};

const std::vector<double> kUp = {1, 2, 3, 4, 5, 6};
const std::vector<double> kMixed = {3, 1, 4, 1, 5, 9, 2, 6};

class FunctionCase : public ::testing::TestWithParam<Case> {};

TEST_P(FunctionCase, MatchesHandWorkedValues) {
    const Case& c = GetParam();
    auto bars = DayBars(c.closes);
    CKlineLight ind = MakeIndicator(std::string("D:=CLOSE;X:") + c.expr + ";");
    Evaluate(ind, bars);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    int first = -1;
    std::vector<double> got = LineValues(ind, 0, first);
    EXPECT_EQ(first, c.first) << c.expr;
    ASSERT_EQ(got.size(), c.values.size()) << c.expr;
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], c.values[i], 1e-6) << c.expr << " at " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Core, FunctionCase,
    ::testing::Values(
        Case{"MA(C,3)", kUp, 2, {2, 3, 4, 5}}, Case{"MA(C,0)", kUp, 0, {1, 1.5, 2, 2.5, 3, 3.5}},
        Case{"MA(C,7)", kUp, -1, {}}, Case{"REF(C,2)", kUp, 2, {1, 2, 3, 4}},
        Case{"REF(C,0)", kUp, 0, {1, 2, 3, 4, 5, 6}}, Case{"MA(REF(C,2),3)", kUp, 4, {2, 3}},
        Case{"REF(C,2)+MA(C,4)", kUp, 3, {2 + 2.5, 3 + 3.5, 4 + 4.5}},
        Case{"EMA(C,3)", kUp, 0, {1, 1.5, 2.25, 3.125, 4.0625, 5.03125}},
        Case{"SMA(C,3,1)", kUp, 0, {1, 4.0 / 3, 17.0 / 9, 70.0 / 27, 275.0 / 81, 1036.0 / 243}},
        Case{"WMA(C,3)", kUp, 2, {14.0 / 6, 20.0 / 6, 26.0 / 6, 32.0 / 6}},
        Case{"DMA(C,0.5)", kUp, 0, {1, 1.5, 2.25, 3.125, 4.0625, 5.03125}},
        Case{"SUM(C,0)", kUp, 0, {1, 3, 6, 10, 15, 21}},
        Case{"SUM(C,3)", kUp, 0, {1, 3, 6, 9, 12, 15}},
        Case{"HHV(C,2)", kUp, 0, {1, 2, 3, 4, 5, 6}}, Case{"LLV(C,2)", kUp, 0, {1, 1, 2, 3, 4, 5}},
        Case{"COUNT(C>2,3)", kUp, 0, {0, 0, 1, 2, 3, 3}}, Case{"STD(C,3)", kUp, 2, {1, 1, 1, 1}},
        Case{"STDP(C,2)", kUp, 1, {0.5, 0.5, 0.5, 0.5, 0.5}},
        Case{"VAR(C,3)", kUp, 2, {1, 1, 1, 1}},
        Case{"AVEDEV(C,3)", kUp, 2, {2.0 / 3, 2.0 / 3, 2.0 / 3, 2.0 / 3}},
        Case{"SLOPE(C*2,3)", kUp, 2, {2, 2, 2, 2}}, Case{"FORCAST(C,3)", kUp, 2, {3, 4, 5, 6}},
        Case{"BARSLAST(C=3)", kUp, 0, {-1, -1, 0, 1, 2, 3}},
        Case{"BARSCOUNT(C)", kUp, 0, {1, 2, 3, 4, 5, 6}},
        Case{"IF(C>3,C,0)", kUp, 0, {0, 0, 0, 4, 5, 6}},
        Case{"CROSS(C,3.5)", kUp, 1, {0, 0, 1, 0, 0}}, Case{"ABS(C-4)", kUp, 0, {3, 2, 1, 0, 1, 2}},
        Case{"MAX(C,3)", kUp, 0, {3, 3, 3, 4, 5, 6}}, Case{"MIN(C,3)", kUp, 0, {1, 2, 3, 3, 3, 3}},
        Case{"C>2 AND C<5 OR C=6", kUp, 0, {0, 0, 1, 1, 0, 1}},
        Case{"-C+2*3-8/4", kUp, 0, {3, 2, 1, 0, -1, -2}},
        Case{"C/(C-3)", kUp, 0, {-0.5, -2, 0, 4, 2.5, 2}},
        Case{"NOT(C>3)", kUp, 0, {1, 1, 1, 0, 0, 0}},
        Case{"BETWEEN(C,2,4)", kUp, 0, {0, 1, 1, 1, 0, 0}},
        Case{"MOD(C,4)", kUp, 0, {1, 2, 3, 0, 1, 2}},
        Case{"HHV(D,3)", kMixed, 0, {3, 3, 4, 4, 5, 9, 9, 9}},
        Case{"LLVBARS(D,3)", kMixed, 0, {0, 0, 1, 0, 1, 2, 0, 1}},
        Case{"HHVBARS(D,5)", kMixed, 0, {0, 1, 0, 1, 0, 0, 1, 2}},
        Case{"BARSLAST(D>4)", kMixed, 0, {-1, -1, -1, -1, 0, 0, 1, 0}},
        Case{"BARSSINCE(D>4)", kMixed, 0, {-1, -1, -1, -1, 0, 1, 2, 3}},
        Case{"COUNT(D>2,0)", kMixed, 0, {1, 1, 2, 2, 3, 4, 4, 5}},
        Case{"LAST(D>2)", kMixed, 0, {1, 0, 1, 0, 1, 2, 0, 1}},
        Case{"EVERY(D>0,3)", kMixed, 0, {1, 1, 1, 1, 1, 1, 1, 1}},
        Case{"EXIST(D>8,2)", kMixed, 0, {0, 0, 0, 0, 0, 1, 1, 0}},
        Case{"VALUEWHEN(D>4,D)", kMixed, 4, {5, 9, 9, 6}},
        Case{"FILTER(D>2,2)", kMixed, 0, {1, 0, 0, 0, 1, 0, 0, 1}},
        Case{"BACKSET(D>8,3)", kMixed, 0, {0, 0, 0, 1, 1, 1, 0, 0}},
        Case{"LONGCROSS(D,3,1)", kMixed, 1, {0, 1, 0, 1, 0, 0, 1}},
        Case{"SUM(D,C-C+2)", kMixed, 0, {3, 4, 5, 5, 6, 14, 11, 8}},
        Case{"MA(D,3)", kMixed, 2, {8.0 / 3, 2, 10.0 / 3, 5, 16.0 / 3, 17.0 / 3}}),
    CaseNamer<&Case::expr>());

// Per-bar periods against windows counted out here bar by bar: irregular periods whose window
// start moves back and forth (with 0 leaving bars out) and BARSLAST-style growing windows.
TEST(Functions, PerBarPeriodsMatchTheirWindows) {
    std::vector<double> closes;
    for (int i = 0; i < 120; ++i) closes.push_back(static_cast<double>((i * 37 + i / 5) % 7));
    const auto bars = DayBars(closes);
    std::vector<long> irregular, sinceFive;
    long last5 = -1;
    for (size_t k = 0; k < closes.size(); ++k) {
        irregular.push_back(static_cast<long>((k + 1) * 7 % 5) * (k % 11 == 3 ? 9 : 1));
        if (closes[k] >= 5) last5 = static_cast<long>(k);
        sinceFive.push_back(last5 < 0 ? 0 : static_cast<long>(k) - last5 + 1);
    }
    struct Period {
        const char* expr;
        const std::vector<long>& n;
    };
    const Period periods[] = {{"MOD(BARSCOUNT(C)*7,5)*IF(MOD(BARSCOUNT(C)-1,11)=3,9,1)", irregular},
                              {"BARSLAST(D>=5)+1", sinceFive}};
    const char* names[] = {"SUM", "COUNT", "HHV", "LLV", "HHVBARS", "LLVBARS", "ALL", "ANY"};
    for (const Period& p : periods) {
        for (int fn = 0; fn < 8; ++fn) {
            const std::string x = fn == 1 || fn >= 6 ? "D>3" : "D";
            auto b = bars;
            CKlineLight ind = MakeIndicator(std::string("D:=CLOSE;X:") + names[fn] + "(" + x + "," +
                                            p.expr + ");");
            Evaluate(ind, b);
            ASSERT_EQ(ind.m_nLastStatus, 0) << names[fn] << ": " << ind.m_strLastError;
            int first = -1;
            std::vector<double> got = LineValues(ind, 0, first);
            int expectFirst = -1, expectLast = -1;
            for (size_t k = 0; k < closes.size(); ++k)
                if (p.n[k] > 0) {
                    if (expectFirst < 0) expectFirst = static_cast<int>(k);
                    expectLast = static_cast<int>(k);
                }
            ASSERT_EQ(first, expectFirst) << names[fn] << " " << p.expr;
            ASSERT_EQ(static_cast<int>(got.size()), expectLast - expectFirst + 1);
            for (int k = expectFirst; k <= expectLast; ++k) {
                double want = 0;
                if (p.n[static_cast<size_t>(k)] > 0) {
                    int s = std::max(0, k - static_cast<int>(p.n[static_cast<size_t>(k)]) + 1);
                    double sum = 0, trues = 0, best = 0;
                    int bestAt = -1;
                    for (int i = s; i <= k; ++i) {
                        const double v = fn == 1 || fn >= 6 ? (closes[static_cast<size_t>(i)] > 3)
                                                            : closes[static_cast<size_t>(i)];
                        sum += v;
                        trues += v != 0;
                        const bool higher = fn == 2 || fn == 4;
                        if (bestAt < 0 || (higher ? v >= best : v <= best)) {
                            best = v;
                            bestAt = i;  // ties: the later bar
                        }
                    }
                    const double wanted[] = {sum,
                                             trues,
                                             best,
                                             best,
                                             static_cast<double>(k - bestAt),
                                             static_cast<double>(k - bestAt),
                                             static_cast<double>(trues == k - s + 1),
                                             static_cast<double>(trues > 0)};
                    want = wanted[fn];
                }
                EXPECT_DOUBLE_EQ(got[static_cast<size_t>(k - expectFirst)], want)
                    << names[fn] << "(" << x << "," << p.expr << ") at bar " << k;
            }
        }
    }
}

TEST(Functions, TextArgumentsConvertOrFail) {
    auto bars = DayBars(kUp);
    CKlineLight ind = MakeIndicator("X:STRTONUM('12.5');Y:INBLOCK('SH600000');");
    Evaluate(ind, bars);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    double v = 0;
    ASSERT_TRUE(ind.m_aExps[0].GetValue(3, v));
    EXPECT_DOUBLE_EQ(v, 12.5);
    ASSERT_TRUE(ind.m_aExps[1].GetValue(0, v));
    EXPECT_DOUBLE_EQ(v, 1);
}

struct StatusCase {
    const char* formula;
    uint8_t status;
};

class RuntimeStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(RuntimeStatus, ReportsTheEvaluatorsCode) {
    auto bars = DayBars(kUp);
    CKlineLight ind = MakeIndicator(GetParam().formula);
    Evaluate(ind, bars);
    EXPECT_EQ(ind.m_nLastStatus, GetParam().status)
        << GetParam().formula << ": " << ind.m_strLastError;
    EXPECT_FALSE(ind.m_aExps[0].HasValues());
}

INSTANTIATE_TEST_SUITE_P(
    Errors, RuntimeStatus,
    ::testing::Values(StatusCase{"X:HHV('A',3);", EngineStatus::kNotSeries},
                      StatusCase{"X:SUM(5,3);", EngineStatus::kSeriesIsNumber},
                      StatusCase{"X:DYNAINFO(-1);", EngineStatus::kOutOfRange},
                      StatusCase{"X:MA(C,-1);", EngineStatus::kOutOfRange},
                      StatusCase{"X:HHV(C,-2);", EngineStatus::kOutOfRange},
                      StatusCase{"X:STRTONUM(C);", EngineStatus::kTextIsNumber},
                      StatusCase{"X:BARSLAST(1);", EngineStatus::kSeriesIsNumber},
                      StatusCase{"X:ZIG(3,1000);", EngineStatus::kOutOfRange},
                      StatusCase{"X:SAR(1,2,20);", EngineStatus::kOutOfRange},
                      StatusCase{"X:SAR(10,2,20);", EngineStatus::kCalcFailed},
                      StatusCase{"X:COST(101);", EngineStatus::kBadPercent}),
    CaseNamer<&StatusCase::formula>());

TEST(Functions, DynaInfoGivesZero) {
    auto bars = DayBars(kUp);
    CKlineLight ind = MakeIndicator("X:DYNAINFO(3);");
    Evaluate(ind, bars);
    double v = -1;
    ASSERT_TRUE(ind.m_aExps[0].GetValue(0, v));
    EXPECT_EQ(v, 0);
}

TEST(Functions, EmptySeriesGivesNoValuesAndNoCrash) {
    std::vector<CFloatDayItem> bars;
    CKlineLight ind = MakeIndicator("X:MA(C,3);Y:HHV(C,2);Z:ZIG(3,5);");
    Evaluate(ind, bars);
    EXPECT_NE(ind.m_nLastStatus, 0);
    for (const auto& e : ind.m_aExps) EXPECT_FALSE(e.HasValues());
}

TEST(Functions, ParametersAndIntermediates) {
    auto bars = DayBars(kUp);
    CKlineLight ind = MakeIndicator("M:=MA(C,N);X:M*K;", {{"N", 2}, {"K", 10}});
    Evaluate(ind, bars);
    int first;
    auto v = LineValues(ind, 0, first);
    EXPECT_EQ(first, 1);
    ASSERT_EQ(v.size(), 5u);
    EXPECT_DOUBLE_EQ(v[0], 15);
    EXPECT_DOUBLE_EQ(v[4], 55);
}

TEST(Functions, LineAttributesAndDrawFunctions) {
    auto bars = DayBars(kUp);
    CKlineLight ind = MakeIndicator(
        "A:C,COLORSTICK,COLOR00FF00,LINETHICK3,LAYER2;B:C,NODRAW;"
        "DRAWTEXT(C>4,C,'高'),COLORRED,ALIGN1;STICKLINE(C>1,O,C,0.8,0);");
    Evaluate(ind, bars);
    ASSERT_EQ(ind.m_aExps.size(), 2u);
    EXPECT_EQ(ind.m_aExps[0].m_nStyle, CIndicatorExp::kColorStick);
    EXPECT_EQ(ind.m_aExps[0].GetColor(39, 1), 0x00FF00u);
    EXPECT_EQ(ind.m_aExps[0].GetThick(1), 3);
    EXPECT_EQ(ind.m_aExps[0].m_nLayer, 2);
    EXPECT_EQ(ind.m_aExps[1].m_nStyle, CIndicatorExp::kNoDraw);
    ASSERT_EQ(ind.m_aDrawFuncs.size(), 2u);
    EXPECT_EQ(ind.m_aDrawFuncs[0].m_nKind, CIndicatorDrawFunc::kText);
    EXPECT_EQ(ind.m_aDrawFuncs[0].m_nFirst, 0);
    EXPECT_EQ(ind.m_aDrawFuncs[0].m_nEnd, 3);
    EXPECT_EQ(ind.m_aDrawFuncs[1].m_nKind, CIndicatorDrawFunc::kStickLine);
    EXPECT_EQ(ind.m_aDrawFuncs[1].ExpWant(), 5);
    ASSERT_EQ(ind.m_aDrawExps.size(), 8u);
    EXPECT_EQ(ind.m_aDrawExps[0].m_nHAlign, 1);
    EXPECT_EQ(ind.m_aDrawExps[0].GetColor(0, 1), 0x0000FFu);
    std::string text;
    EXPECT_TRUE(ind.m_aDrawExps[2].GetText(0, text));
    EXPECT_EQ(text, "高");
    double cond = 0;
    ASSERT_TRUE(ind.m_aDrawExps[0].GetValue(5, cond));
    EXPECT_EQ(cond, 1);
}

TEST(Functions, ColoursTravelInTheLowBitsOfADouble) {
    auto bars = DayBars(kUp);
    CKlineLight ind = MakeIndicator("PARTLINE(C,C>3,RGB(1,2,3),C<=3,COLORBLUE);");
    Evaluate(ind, bars);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    double v;
    ASSERT_TRUE(ind.m_aDrawExps[2].GetValue(0, v));
    EXPECT_EQ(IndCommonSpace::DoubleToColor(v), 0x030201u);
    ASSERT_TRUE(ind.m_aDrawExps[4].GetValue(0, v));
    EXPECT_EQ(IndCommonSpace::DoubleToColor(v), 0xFF0000u);
}

}  // namespace

namespace {

TEST(Lines, CalcReportsWhetherTheShownRangeMoved) {
    auto bars = DayBars({1, 2, 3, 4, 5, 6});
    CKlineLight ind = MakeIndicator("X:C;Y:C*2,NODRAW;");
    Evaluate(ind, bars);
    ind.m_nShowFirst = 2;
    ind.m_nShowEnd = 4;
    EXPECT_NE(ind.Calc(0, 6), 0);  // the shown bars were not measured yet
    EXPECT_EQ(ind.Calc(0, 6), 0);
    bars[3].m_fClose = 40;
    EXPECT_NE(ind.Calc(0, 6), 0);
    bars[5].m_fClose = 99;  // off screen
    EXPECT_EQ(ind.Calc(0, 6), 0);
}

TEST(Lines, MaxMinOverBarsAndUnderConditions) {
    auto bars = DayBars({3, 1, 4, 1, 5, 9, 2, 6});
    CKlineLight ind = MakeIndicator("X:MA(C,2);K:C>4;");
    Evaluate(ind, bars);
    const CIndicatorExp& x = ind.m_aExps[0];
    double mx = 0, mn = 0;
    int first = 1;
    EXPECT_EQ(x.GetMaxMin(0, 3, mx, mn, first), 1);  // bar 0 has no value
    EXPECT_EQ(first, 0);
    EXPECT_DOUBLE_EQ(mx, 2.5);
    EXPECT_DOUBLE_EQ(mn, 2);
    first = 1;
    EXPECT_EQ(x.GetCondMaxMin(ind.m_aExps[1], 0, 8, mx, mn, first), 1);
    EXPECT_DOUBLE_EQ(mx, 7);  // bars 4, 5 and 7: 3, 7, 4
    EXPECT_DOUBLE_EQ(mn, 3);
    first = 1;
    EXPECT_EQ(x.GetMaxMin(0, 1, mx, mn, first), 0);
    EXPECT_EQ(first, 1);
}

}  // namespace
