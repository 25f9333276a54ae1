#include <gtest/gtest.h>

#include <fstream>

#include "MarketFixture.h"
#include "foundation/Config.h"
#include "foundation/TextCodec.h"
#include "marketdata/Group.h"

namespace {
class DataCenterTest : public MarketTest {};
}  // namespace

TEST_F(DataCenterTest, SecurityTableIgnoresLetterCase) {
    CDataCenter* dc = GetDataCenter();
    EXPECT_EQ(dc->FindSecurity(CIndSecuCode(1, "600000")), nullptr);
    CSecurity* a = Add(1, "abc1");
    ASSERT_TRUE(a);
    EXPECT_EQ(Add(1, "ABC1"), nullptr);
    EXPECT_EQ(dc->FindSecurity(CIndSecuCode(1, "AbC1")), a);
    EXPECT_EQ(dc->FindSecurity(CIndSecuCode(2, "abc1")), nullptr);
    Add(2, "000001");
    Add(1, "000300");
    auto all = dc->GetSecurities();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0]->GetCode().m_strCode, "000300");
    EXPECT_EQ(all[2]->GetCode().m_nMarket, 2);
    dc->DeleteSecurities();
    EXPECT_EQ(dc->GetSecurityCount(), 0u);
}

TEST_F(DataCenterTest, RandomPickEndsWhenTheCurrentIsTheOnlyCandidate) {
    CDataCenter* dc = GetDataCenter();
    EXPECT_EQ(dc->PickRandomSecurity(nullptr), nullptr);
    Add(1, "000001");  // an index: not a candidate
    EXPECT_EQ(dc->PickRandomSecurity(nullptr), nullptr);
    CSecurity* only = Add(1, "600000");
    EXPECT_EQ(dc->PickRandomSecurity(only), only);
    CSecurity* other = Add(2, "300750");
    for (int i = 0; i < 20; ++i) EXPECT_EQ(dc->PickRandomSecurity(only), other);
}

TEST_F(DataCenterTest, FrequentPeriodsFromTheConfiguration) {
    std::string path = m_dir.File("appconfig.xml");
    auto load = [&](const char* freq) {
        std::ofstream(path) << "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<system><self>" << freq
                            << "</self></system>\n";
        ASSERT_TRUE(LoadConfig(path));
        GetDataCenter()->LoadFreqPeriods();
    };
    load("<freqPeriod size=\"0\"/>");
    EXPECT_EQ(GetDataCenter()->GetFreqPeriods(),
              (std::vector<uint32_t>{65540, 3932163, 1966083, 131076}));
    load("<freqPeriod size=\"2\" p1=\"0\" p2=\"327684\"/>");
    EXPECT_EQ(GetDataCenter()->GetFreqPeriods(), (std::vector<uint32_t>{327684}));
    load("<freqPeriod size=\"-1\"/>");
    EXPECT_TRUE(GetDataCenter()->GetFreqPeriods().empty());

    GetDataCenter()->GetFreqPeriods() = {65540, 131076};
    GetDataCenter()->SaveFreqPeriods();
    ResetConfig();
    ASSERT_TRUE(LoadConfig(path));
    GetDataCenter()->LoadFreqPeriods();
    EXPECT_EQ(GetDataCenter()->GetFreqPeriods(), (std::vector<uint32_t>{65540, 131076}));
    ResetConfig();
}

TEST_F(DataCenterTest, StartUpTables) {
    CDataCenter* dc = GetDataCenter();
    dc->AddDefaultIndicatorNames();
    std::vector<std::string> names(dc->GetDefaultIndicatorNames().begin(),
                                   dc->GetDefaultIndicatorNames().end());
    EXPECT_EQ(names, (std::vector<std::string>{"BBI", "BIAS", "BOLL", "CDP", "EMV", "KDJ", "MA",
                                               "MACD", "PVT", "RC", "SAR", "VOL"}));
    dc->BuildPinyinTables();
    EXPECT_EQ(dc->GetPinyinGroups().size(), 23u);
    CSecurity* s = Add(1, "600000", "浦发 银行");
    dc->BuildAbbreviations();
    EXPECT_EQ(dc->GetPolyphonicOverrides().size(), 9u);
    EXPECT_EQ(s->GetName(), "浦发银行");
    auto abbr = s->GetAbbreviations();
    // 行 reads X by its row and H among the overrides: both candidates.
    EXPECT_EQ(abbr, (std::vector<std::string>{"PFYX", "PFYH"}));
    EXPECT_EQ(dc->GetTradingSessions().count, 2);

    // The training records are only held here and loaded through the installed hook.
    bool loaded = false;
    dc->SetTrainingRecords(nullptr, [&] { loaded = true; });
    GetAppInfo()->SetProgramDir(m_dir.Path().string());
    EXPECT_TRUE(dc->Init());
    EXPECT_TRUE(loaded);
}

TEST_F(DataCenterTest, Groups) {
    CGroup g;
    EXPECT_EQ(g.GetNextCode(CIndSecuCode(1, "600000")), CIndSecuCode(1, "600000"));
    CSecurity* a = Add(1, "600000");
    CSecurity* b = Add(1, "600001");
    CSecurity* c = Add(2, "000001");
    g.m_members = {a, nullptr, b, c};
    EXPECT_EQ(g.IndexOf(CIndSecuCode(1, "600001")), 2);
    EXPECT_EQ(g.GetNextCode(CIndSecuCode(2, "000001")), CIndSecuCode(1, "600000"));
    EXPECT_EQ(g.GetPrevCode(CIndSecuCode(1, "600000")), CIndSecuCode(2, "000001"));
    EXPECT_TRUE(g.GetNextCode(CIndSecuCode(1, "999999")).IsEmpty());
}
