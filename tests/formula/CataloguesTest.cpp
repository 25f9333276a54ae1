// Indicator catalogue, engine set-up call-backs, function catalogue and the per-security
// parameter files.

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <filesystem>

#include "FormulaTestSupport.h"
#include "common/ScratchDir.h"
#include "formula/Func.h"
#include "formula/engine/FunctionTable.h"
#include "marketdata/SecurityIndParam.h"
#include "foundation/TextCodec.h"

using namespace formula_test;
namespace fs = std::filesystem;

namespace {

// The program directory as the engine takes it: ending in a slash.
std::string Home(const ScratchDir& dir) {
    return dir.Path().string() + "/";
}

TEST(Catalogue, ReadsWritesInNameOrderAndKeepsTheFirstOfEqualNames) {
    ScratchDir dir;
    WriteFile(
        dir.File("Sys.xml"),
        Utf8ToAnsi(
            "<?xml version=\"1.0\" encoding=\"gb2312\"?><IndClass>"
            "<IndItem Name=\"ZZ\" Desc=\"末\"><Formula>X:C;</Formula></IndItem>"
            "<Other Name=\"NO\"/>"
            "<IndItem Name=\"AA\" Desc=\"首\"><Param Name=\"N\" Min=\"1\" Max=\"9\" "
            "Def=\"3\"/><Formula>X:MA(C,N);</Formula></IndItem>"
            "<IndItem Name=\"ZZ\" Desc=\"重复\"><Formula>Y:O;</Formula></IndItem></IndClass>"));
    CYBIndClass cat;
    cat.Read(dir.File("Sys.xml"));
    ASSERT_EQ(cat.GetSize(), 2);
    EXPECT_EQ(cat.GetAt(0).m_strName, "AA");
    EXPECT_EQ(cat.GetAt(0).m_strDesc, "首");
    EXPECT_EQ(cat.GetAt(1).m_strFormula, "X:C;");
    ASSERT_TRUE(cat.Write(dir.File("out.xml")));

    std::string bytes = ReadFile(dir.File("out.xml"));
    EXPECT_NE(bytes.find("encoding=\"gb2312\""), std::string::npos);
    EXPECT_NE(bytes.find(Utf8ToAnsi("首")), std::string::npos);  // GBK on disk

    CYBIndClass again;
    again.Read(dir.File("out.xml"));
    ASSERT_EQ(again.GetSize(), 2);
    EXPECT_EQ(again.GetAt(0).m_aParams.at(0).m_dDefault, 3);
    EXPECT_EQ(again.GetAt(0).m_aParams.at(0).m_dMax, 9);
    EXPECT_EQ(again.GetAt(1).m_strDesc, "末");
}

TEST(Catalogue, MissingFileLeavesItEmptyAndWritesAnEmptyCatalogue) {
    ScratchDir dir;
    CYBIndClass cat;
    cat.Read(dir.File("none.xml"));
    EXPECT_EQ(cat.GetSize(), 0);
    ASSERT_TRUE(cat.Write(dir.File("empty.xml")));
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.LoadFile(dir.File("empty.xml").c_str()), tinyxml2::XML_SUCCESS);
    ASSERT_NE(doc.RootElement(), nullptr);
    EXPECT_STREQ(doc.RootElement()->Name(), "IndClass");
    EXPECT_EQ(doc.RootElement()->FirstChildElement(), nullptr);
}

TEST(SetUp, ParameterValuesFollowFixedStoredAndDefault) {
    EnsureSetUp();
    CKlineLight ind = MakeIndicator("X:MA(C,N)+K;", {{"N", 5}, {"K", 1}});
    ind.m_strName = "MYIND";
    ind.m_aParams[1].m_bFixed = 1;
    ind.m_aParams[1].m_dFixedValue = 7;
    ind.m_nDataType = 4;
    ind.m_nPeriod = 1;
    SecurityIndParam set(CIndSecuCode(1, "600000"));
    CParamValue stored;
    stored.m_strInd = "MYIND";
    stored.m_strParam = "N";
    stored.m_fParam = 12;
    set.m_aParams.Insert(stored);
    CParamValue otherPeriod = stored;
    otherPeriod.m_nPeriod = 2;
    otherPeriod.m_strParam = "K";
    otherPeriod.m_fParam = 99;
    set.m_aParams.Insert(otherPeriod);

    EXPECT_EQ(GetParValue(&ind, 0, nullptr), 5);
    EXPECT_EQ(GetParValue(&ind, 0, &set), 12);
    EXPECT_EQ(GetParValue(&ind, 1, &set), 7);  // fixed wins over anything stored
    EXPECT_EQ(GetParValue(&ind, 2, &set), 0);  // index equal to the count
    EXPECT_EQ(GetParValue(&ind, -1, &set), 0);
    ind.m_nPeriod = 2;
    EXPECT_EQ(GetParValue(&ind, 0, &set), 5);  // stored for day bars only
    set.m_aParams[static_cast<size_t>(set.m_aParams.Find(stored))].m_nVersion = -1;
    ind.m_nPeriod = 1;
    EXPECT_EQ(GetParValue(&ind, 0, &set), 5);  // withdrawn entry
}

TEST(SetUp, FindIndCopiesAndCheckSecuIgnoresCase) {
    EnsureSetUp();
    CYBIndClass* cat = GetYBIndClass();
    cat->Clear();
    CKlineLight ind = MakeIndicator("X:C;");
    ind.m_strName = "ONE";
    cat->Insert(ind);
    auto copy = FindInd("ONE");
    ASSERT_TRUE(copy);
    copy->m_strFormula = "changed";
    EXPECT_EQ(cat->GetAt(0).m_strFormula, "X:C;");
    EXPECT_FALSE(FindInd("TWO"));
    EXPECT_EQ(cat->GetSize(), 1);

    FakeMarket market;
    market.days["1:ABC"] = DayBars({1, 2});
    SetFormulaMarket(&market);
    EXPECT_EQ(CheckSecu(CIndSecuCode(1, "abc")), 1);
    EXPECT_EQ(CheckSecu(CIndSecuCode(2, "ABC")), 0);
    SetFormulaMarket(nullptr);
    EXPECT_EQ(CheckSecu(CIndSecuCode(1, "ABC")), 0);
    cat->Clear();
}

TEST(FunctionCatalogue, LoadsShippedFileWithGroups) {
    GetFuncCatalogue().clear();
    CFunc::LoadFunctions(SourceDir() + "/resources/");
    auto& cat = GetFuncCatalogue();
    ASSERT_GT(cat.GetSize(), 100);
    // Every name the language knows is described.
    for (const auto& f : AllFunctions()) {
        CFunc key;
        key.m_strName = f.name;
        EXPECT_GE(cat.Find(key), 0) << f.name;
    }
    auto ref = GetFunctionsOfGroup(3);
    EXPECT_FALSE(ref.empty());
    for (const CFunc* f : ref) EXPECT_EQ(f->m_strGroup, "引用函数");
    EXPECT_EQ(GetFunctionsOfGroup(0).size(), static_cast<size_t>(cat.GetSize()));
    EXPECT_EQ(GetFuncGroups().size(), 13u);
}

TEST(FunctionCatalogue, NamesAreCaseSensitiveGroupsAreNotAndReloadOnlyAdds) {
    ScratchDir dir;
    WriteFile(dir.File("Func.xml"),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?><R>"
              "<FuncItem FuncName=\"ma\" FuncGroup=\"引用函数\"/>"
              "<FuncItem FuncName=\"MA\" FuncRemark=\"均线\" FuncGroup=\"引用函数\"/>"
              "<FuncItem FuncName=\"MA\" FuncRemark=\"dup\"/>"
              "<FuncItem FuncName=\"ODD\" FuncGroup=\"none\"/></R>");
    GetFuncCatalogue().clear();
    CFunc::LoadFunctions(Home(dir));
    auto& cat = GetFuncCatalogue();
    ASSERT_EQ(cat.GetSize(), 3);
    EXPECT_EQ(cat[0].m_strName, "MA");
    EXPECT_EQ(cat[0].m_strRemark, "均线");
    EXPECT_EQ(GetFunctionsOfGroup(3).size(), 2u);
    size_t listed = 0;
    for (int g = 1; g < 13; ++g) listed += GetFunctionsOfGroup(g).size();
    EXPECT_EQ(listed, 2u);  // "ODD" only under all functions
    CFunc::LoadFunctions(Home(dir));
    EXPECT_EQ(cat.GetSize(), 3);
    GetFuncCatalogue().clear();
}

TEST(ParameterFiles, ParAndExpRoundTrip) {
    ScratchDir dir;
    SecurityIndParam::s_strProgramDir = Home(dir);
    {
        SecurityIndParam set(CIndSecuCode(1, "600000"));
        set.AcquireParams();
        set.AcquireExps();
        CParamValue v;
        v.m_strInd = "MACD";
        v.m_strParam = "SHORT";
        v.m_fParam = 0.5;
        v.m_nVersion = 3;
        set.SetParamValue(v);
        v.m_strParam = "LONG";
        v.m_fParam = 12;
        v.m_nDataType = 3;
        v.m_nPeriod = 5;
        set.SetParamValue(v);
        CExpParam e;
        e.m_strInd = "MACD";
        e.m_strSearchName = "DIF";
        e.m_bSelfColor = 1;
        e.m_crColor = 0xFF00FF;
        e.m_nThick = 2;
        set.SetExpParam(e);
        set.ReleaseParams();  // last user lets go of a changed set: written
        set.ReleaseExps();
        EXPECT_EQ(set.m_bParamsChanged, 0);
    }
    std::string par = ReadFile(dir.File("Self/sh/Tool/600000.par"));
    EXPECT_NE(par.find("encoding=\"gb2312\""), std::string::npos);
    EXPECT_NE(par.find("fParam=\"0.5\""), std::string::npos);
    EXPECT_NE(par.find("fParam=\"12\""), std::string::npos);
    EXPECT_LT(par.find("version="), par.find("Class="));

    SecurityIndParam back(CIndSecuCode(1, "600000"));
    back.AcquireParams();
    back.AcquireExps();
    ASSERT_EQ(back.m_aParams.GetSize(), 2);
    EXPECT_EQ(back.m_aParams[0].m_strParam, "LONG");  // class, indicator, parameter order
    EXPECT_EQ(back.m_aParams[0].m_nDataType, 3);
    EXPECT_EQ(back.m_aParams[0].m_nPeriod, 5);
    EXPECT_EQ(back.m_aParams[1].m_fParam, 0.5);
    EXPECT_EQ(back.m_aParams[1].m_nVersion, 3);
    ASSERT_EQ(back.m_aExps.GetSize(), 1);
    EXPECT_EQ(back.m_aExps[0].m_crColor, 0xFF00FFu);
    EXPECT_EQ(back.m_aExps[0].m_nThick, 2);
    EXPECT_EQ(back.m_aExps[0].m_bSelfColor, 1);
    SecurityIndParam::s_strProgramDir.clear();
}

TEST(ParameterFiles, LoadingKeepsTheFirstOfEqualEntriesAndReadsMissingNumbersAsZero) {
    ScratchDir dir;
    SecurityIndParam::s_strProgramDir = Home(dir);
    WriteFile(dir.File("Self/Tool/X1.par"),
              "<?xml version=\"1.0\" encoding=\"gb2312\"?><IndPar>"
              "<Parv Class=\"0\" Ind=\"MA\" Param=\"M1\" DataType=\"4\" pe=\"1\" fParam=\"7\"/>"
              "<Parv Class=\"0\" Ind=\"MA\" Param=\"M1\" DataType=\"4\" pe=\"1\" fParam=\"8\"/>"
              "<Parv Ind=\"MA\" Param=\"M2\" fParam=\"abc\"/></IndPar>");
    SecurityIndParam set(CIndSecuCode(5, "X1"));  // another market: no market part in the path
    EXPECT_EQ(set.ParamFilePath(), Home(dir) + "Self//Tool/X1.par");
    set.AcquireParams();
    set.AcquireParams();
    EXPECT_EQ(set.m_nParamUse, 2);
    ASSERT_EQ(set.m_aParams.GetSize(), 2);
    EXPECT_EQ(set.m_aParams[0].m_fParam, 7);     // the first of two equal entries
    EXPECT_EQ(set.m_aParams[1].m_nDataType, 0);  // missing DataType reads 0, not the default
    EXPECT_EQ(set.m_aParams[1].m_fParam, 0);
    set.ReleaseParams();
    set.ReleaseParams();
    EXPECT_EQ(set.m_nParamUse, 0);
    EXPECT_FALSE(fs::exists(dir.File("Self/Tool/X1.par.tmp")));
    SecurityIndParam::s_strProgramDir.clear();
}

}  // namespace

namespace {

TEST(Binding, StoredParametersReachTheEvaluationAndCountsStayBalanced) {
    ScratchDir dir;
    SecurityIndParam::s_strProgramDir = Home(dir);
    EnsureSetUp();
    FakeMarket market;
    SecurityIndParam a(CIndSecuCode(1, "600000")), b(CIndSecuCode(1, "600001"));
    market.sets["1:600000"] = &a;
    market.sets["1:600001"] = &b;
    SetFormulaMarket(&market);

    CParamValue stored;
    stored.m_strInd = "TEST";
    stored.m_strParam = "N";
    stored.m_fParam = 2;
    a.m_aParams.Insert(stored);

    CKlineLight ind = MakeIndicator("X:MA(C,N);", {{"N", 4}});
    BindIndicatorSecurity(CIndSecuCode(1, "600000"), ind);
    BindIndicatorSecurity(CIndSecuCode(1, "600000"), ind);
    EXPECT_EQ(a.m_nParamUse, 1);
    EXPECT_EQ(a.m_nExpUse, 1);
    auto bars = DayBars({1, 2, 3, 4, 5});
    Evaluate(ind, bars);
    EXPECT_EQ(ind.m_aExps[0].m_nFirst, 1);  // the stored N = 2, not the default 4

    BindIndicatorSecurity(CIndSecuCode(1, "999999"), ind);  // unknown: the set stays
    EXPECT_EQ(ind.m_SecuCode.m_strCode, "999999");
    EXPECT_EQ(ind.m_pParamSet, &a);

    a.m_bParamsChanged = 1;
    BindIndicatorSecurity(CIndSecuCode(1, "600001"), ind);
    EXPECT_EQ(a.m_nParamUse, 0);
    EXPECT_EQ(a.m_bParamsChanged, 0);
    EXPECT_TRUE(fs::exists(dir.File("Self/sh/Tool/600000.par")));
    EXPECT_EQ(b.m_nParamUse, 1);
    UnbindIndicatorSecurity(ind);
    EXPECT_EQ(b.m_nParamUse, 0);
    SetFormulaMarket(nullptr);
    SecurityIndParam::s_strProgramDir.clear();
}

TEST(Compile, RepeatedCallsAreComputedOnceWithTheSameValues) {
    auto bars = DayBars({1, 2, 3, 4, 5, 6});
    CKlineLight ind = MakeIndicator(
        "A:MA(C,2)+MA(C,2);B:MA(MA(C,2),2)*MA(MA(C,2),2);D:HHV(C,3)-HHV(C,3)+MA(C,2);");
    Evaluate(ind, bars);
    ASSERT_EQ(ind.m_nLastStatus, 0) << ind.m_strLastError;
    double v;
    ASSERT_TRUE(ind.m_aExps[0].GetValue(5, v));
    EXPECT_DOUBLE_EQ(v, 11);  // 2 x 5.5
    ASSERT_TRUE(ind.m_aExps[1].GetValue(5, v));
    EXPECT_DOUBLE_EQ(v, 25);  // (5 x 5)
    EXPECT_EQ(ind.m_aExps[1].m_nFirst, 2);
    ASSERT_TRUE(ind.m_aExps[2].GetValue(5, v));
    EXPECT_DOUBLE_EQ(v, 5.5);
    // Evaluating again gives the same.
    ind.Calc(0, 6);
    ASSERT_TRUE(ind.m_aExps[0].GetValue(5, v));
    EXPECT_DOUBLE_EQ(v, 11);
}

}  // namespace

#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/Security.h"

namespace {

TEST(DataCenterMarket, ListsSecuritiesAndBuildsPeriodBarsFromGivenBars) {
    auto sec = std::make_unique<CSecurity>();
    sec->SetCode(CIndSecuCode(1, "600010"));
    sec->SetName("包钢股份");
    ASSERT_GE(GetDataCenter()->AddSecurity(sec), 0);
    IFormulaMarket* m = GetDataCenterMarket();
    EXPECT_TRUE(m->HasSecurity(CIndSecuCode(1, "600010")));
    EXPECT_FALSE(m->HasSecurity(CIndSecuCode(2, "600010")));
    std::string name;
    ASSERT_TRUE(m->GetSecurityName(CIndSecuCode(1, "600010"), name));
    EXPECT_EQ(name, "包钢股份");
    SecurityIndParam* set = m->GetParamSet(CIndSecuCode(1, "600010"));
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set, m->GetParamSet(CIndSecuCode(1, "600010")));
    EXPECT_EQ(m->GetParamSet(CIndSecuCode(1, "000000")), nullptr);

    auto days = DayBars({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 20240108);  // two weeks
    int count = 0;
    CFloatDayItem* weeks =
        m->GetPeriodBars(4, count, CIndSecuCode(1, "600010"), days.data(), 10, 0, 10, 4, 2);
    ASSERT_NE(weeks, nullptr);
    ASSERT_EQ(count, 2);
    const double close0 = weeks[0].m_fClose, close1 = weeks[1].m_fClose;
    EXPECT_EQ(close0, 5);
    EXPECT_EQ(close1, 10);
    IndCommonSpace::Free(weeks);
    ResetDataCenter();
}

TEST(DataCenterMarket, TheParameterSetIsTheSecurityRecordsOwnAndGoesWithIt) {
    ScratchDir dir;
    const std::string oldProgramDir = GetAppInfo()->GetProgramDir();
    GetAppInfo()->SetProgramDir(dir.Path().string());
    auto sec = std::make_unique<CSecurity>();
    sec->SetCode(CIndSecuCode(1, "600010"));
    CSecurity* record = sec.get();
    ASSERT_GE(GetDataCenter()->AddSecurity(sec), 0);

    SecurityIndParam* set = GetDataCenterMarket()->GetParamSet(CIndSecuCode(1, "600010"));
    ASSERT_EQ(set, &record->GetSecurityIndParam());
    EXPECT_EQ(GetDataCenterMarket()->GetParamSet(CIndSecuCode(1, "600010")), set)
        << "one set per security";
    EXPECT_EQ(set->m_Owner, CIndSecuCode(1, "600010"));
    EXPECT_EQ(set->m_nParamUse, 0);
    EXPECT_EQ(set->m_nExpUse, 0);
    EXPECT_EQ(set->m_bParamsChanged, 0);
    EXPECT_EQ(set->m_bExpsChanged, 0);
    EXPECT_TRUE(set->m_aParams.empty() && set->m_aParams.IsAscending());
    EXPECT_TRUE(set->m_aExps.empty() && set->m_aExps.IsAscending());

    // Still in use and changed when the security goes: the set goes with it and writes
    // what changed.
    set->AcquireParams();
    CParamValue value;
    value.m_strInd = "MA";
    value.m_strParam = "N1";
    value.m_fParam = 7;
    set->SetParamValue(value);
    ResetDataCenter();
    EXPECT_NE(ReadFile(dir.File("Self/sh/Tool/600010.par")).find("fParam=\"7\""),
              std::string::npos);

    if (!oldProgramDir.empty()) GetAppInfo()->SetProgramDir(oldProgramDir);
    SecurityIndParam::s_strProgramDir.clear();
}

}  // namespace

namespace {

TEST(Catalogue, DamagedFilesAreKeptAsideBeforeTheyCouldBeOverwritten) {
    ScratchDir dir;
    WriteFile(dir.File("Sys.xml"), "<?xml version=\"1.0\"?><IndClass><IndItem Name=\"A\">");
    CYBIndClass cat;
    cat.Read(dir.File("Sys.xml"));
    EXPECT_EQ(cat.GetSize(), 0);
    EXPECT_FALSE(fs::exists(dir.File("Sys.xml")));
    int aside = 0;
    for (const auto& e : fs::directory_iterator(dir.Path()))
        aside += e.path().filename().string().rfind("Sys.xml.bad-", 0) == 0;
    EXPECT_EQ(aside, 1);

    SecurityIndParam::s_strProgramDir = Home(dir);
    WriteFile(dir.File("Self/sz/Tool/000001.par"), "<IndPar><Parv");
    SecurityIndParam set(CIndSecuCode(2, "000001"));
    set.AcquireParams();
    EXPECT_EQ(set.m_aParams.GetSize(), 0);
    EXPECT_FALSE(fs::exists(dir.File("Self/sz/Tool/000001.par")));
    SecurityIndParam::s_strProgramDir.clear();
}

}  // namespace

namespace {

TEST(FunctionCatalogue, MissingFileLeavesItEmpty) {
    ScratchDir dir;
    GetFuncCatalogue().clear();
    CFunc::LoadFunctions(Home(dir));
    EXPECT_EQ(GetFuncCatalogue().GetSize(), 0);
    EXPECT_TRUE(GetFunctionsOfGroup(0).empty());
}

}  // namespace
