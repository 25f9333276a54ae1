// Formulas as traders write them: names redefined between two equal calls, windows over
// series that have no values yet, references before a series starts, chip prices in
// thousandths, and what the user is told when a formula fails.

#include <gtest/gtest.h>

#include <cmath>

#include "FormulaTestSupport.h"
#include "common/CaseName.h"
#include "formula/FormulaData.h"
#include "formula/engine/EngineStatus.h"
#include "formula/engine/FormulaCompiler.h"

using namespace formula_test;

namespace {

std::vector<double> Ramp(int count, double from = 10, double step = 0.37) {
    std::vector<double> closes;
    for (int i = 0; i < count; ++i)
        closes.push_back(from + step * i + ((i * 7) % 5) * 0.21);  // not monotonic
    return closes;
}

// Line `line` of `formula` as (first valid bar, values), with the evaluation status.
struct Result {
    int first = -1;
    std::vector<double> values;
    int status = 0;
    std::string error;
};
Result Compute(const std::string& formula, std::vector<CFloatDayItem> bars, size_t line) {
    CKlineLight ind = MakeIndicator(formula);
    Evaluate(ind, bars);
    Result r;
    r.values = LineValues(ind, line, r.first);
    r.status = ind.m_nLastStatus;
    r.error = ind.m_strLastError;
    return r;
}

void ExpectSameLine(const Result& got, const Result& want, const std::string& what) {
    ASSERT_EQ(got.status, 0) << what << ": " << got.error;
    ASSERT_EQ(want.status, 0) << what << ": " << want.error;
    EXPECT_EQ(got.first, want.first) << what;
    ASSERT_EQ(got.values.size(), want.values.size()) << what;
    for (size_t i = 0; i < got.values.size(); ++i)
        EXPECT_DOUBLE_EQ(got.values[i], want.values[i]) << what << " at " << i;
}

// A call written again after a name in it was given another meaning computes anew.
struct Redefinition {
    const char* formula;  // the line of interest is the last one
    size_t line;
    const char* same;  // a formula whose first line must equal it
};

class RepeatedCall : public ::testing::TestWithParam<Redefinition> {};

TEST_P(RepeatedCall, FollowsTheDefinitionInForce) {
    const auto bars = DayBars(Ramp(40));
    const Redefinition& c = GetParam();
    ExpectSameLine(Compute(c.formula, bars, c.line), Compute(c.same, bars, 0), c.formula);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RepeatedCall,
    ::testing::Values(
        Redefinition{"A:MA(VOLUME,5);VOLUME:=C;B:MA(VOLUME,5);", 1, "X:MA(C,5);"},
        Redefinition{"A:MA(VOLUME,5);VOLUME:=C;B:MA(VOLUME,5);", 0, "X:MA(VOL,5);"},
        Redefinition{"HHV(H,3);H:=L;Y:HHV(H,3);", 1, "X:HHV(LOW,3);"},
        Redefinition{"A:SUM(MA(H,2),3);H:=C*2;B:SUM(MA(H,2),3);", 1, "X:SUM(MA(C*2,2),3);"},
        // Numbers that print alike to six places are still different numbers.
        Redefinition{"A:MAX(C*0.0000001,0);B:MAX(C*0.0000002,0);", 1, "X:C*0.0000002;"},
        // The same meaning twice still gives the same line.
        Redefinition{"M:=C+1;A:EMA(M,4);B:EMA(M,4);", 1, "X:EMA(C+1,4);"}),
    [](const ::testing::TestParamInfo<Redefinition>& info) {
        return "Case" + std::to_string(info.index);
    });

// A window over a series without values gives a line without values; the formula goes on.
class WindowOverNothing : public ::testing::TestWithParam<const char*> {};

TEST_P(WindowOverNothing, GivesAnEmptyLineAndTheRestComputes) {
    const auto bars = DayBars(Ramp(60));
    const std::string formula = std::string("X:") + GetParam() + ";Y:MA(C,5);Z:C*2;";
    CKlineLight ind = MakeIndicator(formula);
    auto b = bars;
    Evaluate(ind, b);
    EXPECT_EQ(ind.m_nLastStatus, 0) << formula << ": " << ind.m_strLastError;
    EXPECT_FALSE(ind.m_aExps[0].HasValues()) << formula;
    int first = -1;
    auto y = LineValues(ind, 1, first);
    EXPECT_EQ(first, 4) << formula;
    EXPECT_EQ(y.size(), 56u) << formula;
    auto z = LineValues(ind, 2, first);
    ASSERT_EQ(z.size(), 60u) << formula;
    EXPECT_DOUBLE_EQ(z[59], bars[59].m_fClose * 2);
}

INSTANTIATE_TEST_SUITE_P(Functions, WindowOverNothing,
                         ::testing::Values("HHV(MA(C,250),20)", "LLV(MA(C,250),20)",
                                           "SUM(MA(C,250),20)", "SUM(MA(C,250),0)",
                                           "HHVBARS(MA(C,250),5)", "LLVBARS(MA(C,250),0)",
                                           "COUNT(MA(C,250)>1,5)", "ALL(MA(C,250)>1,3)",
                                           "ANY(MA(C,250)>1,0)", "SUM(MA(C,250),BARSCOUNT(C))",
                                           "HHV(C,MA(C,250))", "BARSLAST(MA(C,250)>1)",
                                           "BARSCOUNT(MA(C,250))", "BARSSINCE(MA(C,250)>1)",
                                           "LAST(MA(C,250)>1)", "HHV(HHV(MA(C,250),20),5)"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return "Case" + std::to_string(info.index);
                         });

TEST(WindowOverNothing, PeriodsThatAreAllZeroStillFail) {
    // Values to work on but no bar asking for any: that remains the evaluator's error.
    const auto r = Compute("X:SUM(C,C-C);", DayBars(Ramp(10)), 0);
    EXPECT_EQ(r.status, EngineStatus::kCalcFailed);
}

// REF with a period per bar: a bar whose reference falls before the series has no value,
// and never borrows the first value the series has.
TEST(RefPerBar, NoValueWhereTheReferenceFallsBeforeTheSeries) {
    const auto closes = Ramp(80);
    const auto bars = DayBars(closes);
    const Result ma = Compute("X:MA(C,20);", bars, 0);
    ASSERT_EQ(ma.first, 19);
    const Result r = Compute("X:REF(MA(C,20),IF(BARPOS>30,25,0));", bars, 0);
    ASSERT_EQ(r.status, 0) << r.error;
    // Bars 30..43 refer to bars 5..18, before the average starts.
    EXPECT_EQ(r.first, 44);
    ASSERT_EQ(r.values.size(), 80u - 44u);
    for (int k = 44; k < 80; ++k)
        EXPECT_DOUBLE_EQ(r.values[static_cast<size_t>(k - 44)],
                         ma.values[static_cast<size_t>(k - 25 - 19)])
            << k;
}

TEST(RefPerBar, ReferencesInsideTheSeriesKeepEveryBar) {
    const auto closes = Ramp(30);
    const Result r = Compute("X:REF(C,IF(BARPOS>5,3,0));", DayBars(closes), 0);
    ASSERT_EQ(r.status, 0) << r.error;
    EXPECT_EQ(r.first, 0);
    ASSERT_EQ(r.values.size(), 30u);
    for (int k = 0; k < 30; ++k)
        EXPECT_DOUBLE_EQ(r.values[static_cast<size_t>(k)],
                         closes[static_cast<size_t>(k < 5 ? k : k - 3)]);
}

// Every two-decimal price from 1.00 to 99.99 becomes its exact number of thousandths.
TEST(ChipPrices, ThousandthsAreRoundedNotTruncated) {
    std::vector<CFloatDayItem> bars;
    for (int cents = 100; cents <= 9999; ++cents) {
        const double p = cents / 100.0;
        bars.push_back(Bar(20240102, p, p, p, p));
    }
    bars.push_back(Bar(20240102, 1.001, 1.001, 1.001, 1.001));
    std::vector<CostItem> items(bars.size());
    ToCostItems(4, bars.data(), items.data(), static_cast<int>(bars.size()));
    int wrong = 0;
    for (size_t i = 0; i + 1 < bars.size(); ++i) {
        const int want = static_cast<int>(100 + i) * 10;
        wrong += items[i].high != want || items[i].low != want || items[i].close != want;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(items.back().low, 1001);
}

struct CostCase {
    double price;
    const char* formula;
    double want;
};

class ChipAnswers : public ::testing::TestWithParam<CostCase> {};

TEST_P(ChipAnswers, StayOnTheTradedPrice) {
    const CostCase& c = GetParam();
    std::vector<CFloatDayItem> bars;
    for (int i = 0; i < 12; ++i)
        bars.push_back(Bar(20240102 + i, c.price, c.price, c.price, c.price));
    const Result r = Compute(c.formula, bars, 0);
    ASSERT_EQ(r.status, 0) << r.error;
    ASSERT_FALSE(r.values.empty());
    for (double v : r.values) EXPECT_DOUBLE_EQ(v, c.want) << c.formula << " at " << c.price;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChipAnswers,
    ::testing::Values(CostCase{1.001, "X:COST(0);", 1.001}, CostCase{2.01, "X:COST(50);", 2.01},
                      CostCase{8.19, "X:COST(0);", 8.19}, CostCase{16.06, "X:COST(100);", 16.06},
                      CostCase{2.01, "X:WINNER(2.01);", 1}, CostCase{8.19, "X:WINNER(8.189);", 0}),
    [](const ::testing::TestParamInfo<CostCase>& info) {
        return "Case" + std::to_string(info.index);
    });

// A run-time failure names the function that failed, whichever kind of function it is.
struct Failing {
    const char* formula;
    const char* name;
};

class RuntimeMessage : public ::testing::TestWithParam<Failing> {};

TEST_P(RuntimeMessage, NamesTheFunction) {
    const Result r = Compute(GetParam().formula, DayBars(Ramp(10)), 0);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.error.find(GetParam().name), std::string::npos) << r.error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RuntimeMessage,
    ::testing::Values(Failing{"X:MA(C,-1);", "MA"}, Failing{"X:EMA(C,0);", "EMA"},
                      Failing{"X:REF(C,-2);", "REF"}, Failing{"X:SMA(C,2,3);", "SMA"},
                      Failing{"X:HHV(C,-2);", "HHV"}, Failing{"X:SAR(1,2,20);", "SAR"},
                      Failing{"X:CONST(MA(C,50));", "CONST"}),
    [](const ::testing::TestParamInfo<Failing>& info) {
        return "Case" + std::to_string(info.index);
    });

// Characters from a Chinese keyboard are reported as such, pointing at them.
struct Foreign {
    const char* source;
    int code;
    int first;
    int last;
    const char* shown;  // must appear in the message
};

class ForeignCharacter : public ::testing::TestWithParam<Foreign> {};

TEST_P(ForeignCharacter, IsReportedWhereItStands) {
    const Foreign& c = GetParam();
    CKlineLight ind = MakeIndicator("X:C;");
    std::string message;
    int first = -1, last = -1;
    EXPECT_EQ(ind.GetRepInfo(c.source, message, first, last), c.code)
        << c.source << ": " << message;
    EXPECT_EQ(first, c.first) << c.source;
    EXPECT_EQ(last, c.last) << c.source;
    EXPECT_NE(message.find(c.shown), std::string::npos) << message;
    EXPECT_EQ(message.find("未知的名称"), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ForeignCharacter,
    ::testing::Values(Foreign{"X:MA(C，5);", FormulaError::kBadChar, 6, 7, "，"},
                      Foreign{"X：C;", FormulaError::kBadChar, 1, 2, "："},
                      Foreign{"X:C；Y:O;", FormulaError::kBadChar, 3, 4, "；"},
                      Foreign{"X:MA（C,5);", FormulaError::kBadChar, 4, 5, "（"},
                      Foreign{"甲：C;", FormulaError::kBadChar, 1, 2, "："},
                      Foreign{"X:C　+1;", FormulaError::kBadChar, 3, 4, "全角空格"},
                      Foreign{"X:“A”;", FormulaError::kBadChar, 2, 3, "“"},
                      Foreign{"X:1.2.3;", FormulaError::kBadNumber, 2, 7, "数字"},
                      Foreign{"X:C+1..5;", FormulaError::kBadNumber, 4, 8, "数字"}),
    [](const ::testing::TestParamInfo<Foreign>& info) {
        return "Case" + std::to_string(info.index);
    });

TEST(ForeignCharacter, ChineseNamesStillCompile) {
    CKlineLight ind = MakeIndicator("均线:=MA(C,3);差值:C-均线;");
    std::string message;
    int first, last;
    EXPECT_EQ(ind.EvalLight(message, first, last), 0) << message;
}

}  // namespace
