// Compile errors carry the right code and the character range the editor selects.

#include <gtest/gtest.h>

#include "FormulaTestSupport.h"
#include "common/CaseName.h"
#include "formula/engine/FormulaCompiler.h"

using namespace formula_test;

namespace {

struct ErrorCase {
    const char* source;
    int code;
    int first;
    int last;
};

class CompileErrorCase : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CompileErrorCase, GivesCodeAndRange) {
    const ErrorCase& c = GetParam();
    CKlineLight ind = MakeIndicator(c.source, {{"N", 5}});
    std::string message;
    int first = -1, last = -1;
    int code = ind.GetRepInfo(c.source, message, first, last);
    EXPECT_EQ(code, c.code) << c.source << ": " << message;
    EXPECT_EQ(first, c.first) << c.source;
    EXPECT_EQ(last, c.last) << c.source;
    EXPECT_FALSE(message.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, CompileErrorCase,
    ::testing::Values(ErrorCase{"X:MA(C,3", FormulaError::kSyntax, 8, 8},
                      ErrorCase{"X:FOO(C);", FormulaError::kUnknownName, 2, 5},
                      ErrorCase{"X:FOO;", FormulaError::kUnknownName, 2, 5},
                      ErrorCase{"X:MA(C);", FormulaError::kArgCount, 2, 7},
                      ErrorCase{"X:C+'a';", FormulaError::kBadArgument, 3, 4},
                      ErrorCase{"X:C@2;", FormulaError::kBadChar, 3, 4},
                      ErrorCase{"X:'abc;", FormulaError::kUnterminatedText, 2, 7},
                      ErrorCase{"X:C;X:O;", FormulaError::kDuplicateName, 4, 5},
                      ErrorCase{"N:C;", FormulaError::kDuplicateName, 0, 1},
                      ErrorCase{"X:C,COLORPURPLE;", FormulaError::kBadAttribute, 4, 15},
                      ErrorCase{"A:=C;", FormulaError::kEmpty, 0, 0},
                      ErrorCase{"X:DRAWTEXT(C>1,C,'a');", FormulaError::kDrawInExpression, 2, 10},
                      ErrorCase{"X:C+DRAWTEXT(C>1,C,'a');", FormulaError::kDrawInExpression, 4, 12},
                      ErrorCase{"甲:=C; X:甲+FOO;", FormulaError::kUnknownName, 10, 13},
                      ErrorCase{"X:CLOSE#MIN7;", FormulaError::kBadPeriod, 2, 12},
                      ErrorCase{"X:C X:O;", FormulaError::kSyntax, 4, 5},
                      ErrorCase{"X:12ab;", FormulaError::kBadNumber, 2, 5},
                      ErrorCase{"X:(C+1;", FormulaError::kSyntax, 6, 7}),
    CaseNamer<&ErrorCase::source>());

TEST(Compile, CommentsAndLowerCaseNamesAreAccepted) {
    CKlineLight ind = MakeIndicator("{均线} x:ma(close,n); // 注释\ny:x*2;", {{"N", 3}});
    std::string msg;
    int f, l;
    EXPECT_EQ(ind.EvalLight(msg, f, l), 0) << msg;
    ASSERT_EQ(ind.m_aExps.size(), 2u);
    EXPECT_EQ(ind.m_aExps[0].m_strName, "X");
}

TEST(Compile, FailedRepInfoKeepsTheOldFormula) {
    CKlineLight ind = MakeIndicator("X:C;");
    std::string msg;
    int f, l;
    EXPECT_NE(ind.GetRepInfo("X:C+;", msg, f, l), 0);
    EXPECT_EQ(ind.m_strFormula, "X:C;");
    EXPECT_EQ(ind.GetRepInfo("Y:O;", msg, f, l), 0);
    EXPECT_EQ(ind.m_strFormula, "Y:O;");
    EXPECT_EQ(ind.m_aExps.at(0).m_strName, "Y");
}

}  // namespace

namespace {

TEST(Compile, DeepNestingIsAnErrorNotACrash) {
    std::string deep = "X:" + std::string(100000, '(') + "C" + std::string(100000, ')') + ";";
    CKlineLight ind = MakeIndicator(deep);
    std::string msg;
    int f, l;
    EXPECT_EQ(ind.GetRepInfo(deep, msg, f, l), FormulaError::kTooComplex);
    std::string minus = "X:" + std::string(100000, '-') + "C;";
    EXPECT_EQ(ind.GetRepInfo(minus, msg, f, l), FormulaError::kTooComplex);
}

TEST(Compile, HugeCountsDoNotOverflow) {
    auto bars = DayBars({1, 2, 3, 4});
    CKlineLight ind =
        MakeIndicator("A:REF(C,1E18);B:MA(C,1E300);D:FILTER(C>1,1E18);E:SAR(1E18,2,20);F:C;");
    Evaluate(ind, bars);
    EXPECT_FALSE(ind.m_aExps[0].HasValues());
    EXPECT_FALSE(ind.m_aExps[1].HasValues());
    double v;
    ASSERT_TRUE(ind.m_aExps[2].GetValue(1, v));
    EXPECT_EQ(v, 1);
    ASSERT_TRUE(ind.m_aExps[2].GetValue(3, v));
    EXPECT_EQ(v, 0);
    EXPECT_NE(ind.m_nLastStatus, 0);  // SAR has too few bars
}

}  // namespace
