// Values read more than once (a variable, an output line read by a later line, a series named
// twice, a call written twice) are shared rather than copied while a formula computes: every
// reader must still see them unchanged, and a second calculation with the buffers of the
// first must give the same lines as a fresh indicator.

#include <gtest/gtest.h>

#include "FormulaTestSupport.h"

using namespace formula_test;

namespace {

std::vector<double> Wavy(int count) {
    std::vector<double> closes;
    for (int i = 0; i < count; ++i)
        closes.push_back(20 + 3 * std::sin(i * 0.21) + ((i * 13) % 7) * 0.17 + i * 0.01);
    return closes;
}

void ExpectSameLines(const CKlineLight& got, const CKlineLight& want, const std::string& what) {
    ASSERT_EQ(got.m_nLastStatus, 0) << what << ": " << got.m_strLastError;
    ASSERT_EQ(want.m_nLastStatus, 0) << what << ": " << want.m_strLastError;
    ASSERT_EQ(got.m_aExps.size(), want.m_aExps.size()) << what;
    for (size_t l = 0; l < got.m_aExps.size(); ++l) {
        int gf = -1, wf = -1;
        const auto g = LineValues(got, l, gf), w = LineValues(want, l, wf);
        ASSERT_EQ(gf, wf) << what << " line " << l;
        ASSERT_EQ(g.size(), w.size()) << what << " line " << l;
        for (size_t i = 0; i < g.size(); ++i)
            ASSERT_NEAR(g[i], w[i], 1e-9 * std::max(1.0, std::fabs(w[i])))
                << what << " line " << l << " bar " << gf + static_cast<int>(i);
    }
}

struct Pair {
    const char* shared;    // reads one value several times
    const char* unshared;  // the same lines, each value written out where it is read
};

class SharedReads : public ::testing::TestWithParam<Pair> {};

TEST_P(SharedReads, GiveTheLinesOfTheFormulaWrittenOut) {
    const auto bars = DayBars(Wavy(300));
    CKlineLight shared = MakeIndicator(GetParam().shared);
    CKlineLight unshared = MakeIndicator(GetParam().unshared);
    auto b1 = bars, b2 = bars;
    Evaluate(shared, b1);
    Evaluate(unshared, b2);
    ExpectSameLines(shared, unshared, GetParam().shared);
    // Again with the buffers of the first calculation.
    shared.Calc(0, static_cast<int>(b1.size()));
    ExpectSameLines(shared, unshared, std::string("again: ") + GetParam().shared);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SharedReads,
    ::testing::Values(
        Pair{"A:=C*2;Y:A+MA(A,3)+REF(A,1);", "Y:C*2+MA(C*2,3)+REF(C*2,1);"},
        Pair{"Y:C+MA(C,5)-C;", "Y:CLOSE+MA(CLOSE*1,5)-CLOSE*1;"},
        Pair{"X:EMA(C,4);Y:X-EMA(X,3);Z:X*2-Y;",
             "X:EMA(C,4);Y:EMA(C,4)-EMA(EMA(C*1,4),3);Z:EMA(C*1,4)*2-(EMA(C+0,4)-EMA(EMA(C+0,4),3))"
             ";"},
        Pair{"Y:MA(C,3)+SMA(MA(C,3),4,1)+MA(C,3)*2;", "Y:MA(C,3)+SMA(MA(C*1,3),4,1)+MA(C+0,3)*2;"},
        Pair{"Y:HHV(H,5)-LLV(L,5)+HHV(H,5)/LLV(L,5);",
             "Y:HHV(H,5)-LLV(L,5)+HHV(H*1,5)/LLV(L*1,5);"},
        Pair{"M:=MA(C,5);S:=STD(C,5);U:M+2*S;D:M-2*S;W:(U-D)/M;",
             "U:MA(C,5)+2*STD(C,5);D:MA(C*1,5)-2*STD(C*1,5);"
             "W:(MA(C+0,5)+2*STD(C+0,5)-(MA(C-0,5)-2*STD(C-0,5)))/MA(C/1,5);"},
        Pair{"A:=C;B:=A;Y:IF(B>20,A,B*2)+REF(B,2)+A;", "Y:IF(C>20,C,C*2)+REF(C,2)+C;"},
        Pair{"X:C;Y:X+X;Z:MAX(X,Y)-ABS(X-Y);", "X:C;Y:C+C;Z:MAX(C,C+C)-ABS(C-(C+C));"},
        Pair{"X:SUM(C,10);Y:X/10-MA(C,10);Z:CROSS(X,REF(X,1)+C);",
             "X:SUM(C,10);Y:SUM(C*1,10)/10-MA(C,10);Z:CROSS(SUM(C+0,10),REF(SUM(C-0,10),1)+C);"}),
    [](const ::testing::TestParamInfo<Pair>& info) { return "Case" + std::to_string(info.index); });

// Every shipped indicator, computed twice on one indicator and once on a fresh copy.
TEST(SharedReads, CatalogueIndicatorsRepeatTheirLines) {
    GetYBIndClass()->Clear();
    GetYBIndClass()->Read(SourceDir() + "/resources/Sys.xml");
    ASSERT_GT(GetYBIndClass()->GetSize(), 10);
    const auto bars = DayBars(Wavy(400));
    for (int i = 0; i < GetYBIndClass()->GetSize(); ++i) {
        const CKlineLight& entry = GetYBIndClass()->GetAt(i);
        CKlineLight twice = entry, once = entry;
        auto b1 = bars, b2 = bars;
        Evaluate(twice, b1);
        if (twice.m_nLastStatus != 0) continue;  // needs data this series has not
        twice.Calc(0, static_cast<int>(b1.size()));
        Evaluate(once, b2);
        ExpectSameLines(twice, once, entry.m_strName);
    }
}

}  // namespace
