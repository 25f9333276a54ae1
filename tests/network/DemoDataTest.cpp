// The server's demo data: the securities it must have, trading days only, sound bars at
// every granularity, ex-rights events of every kind; and the CSV directory mode.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "CsvMarket.h"
#include "DemoMarket.h"
#include "ServerOptions.h"
#include "TradingCalendar.h"
#include "common/ScratchDir.h"

namespace {

bool Sound(const CDayItem& b) {
    return b.m_nLow > 0 && b.m_nLow <= std::min(b.m_nOpen, b.m_nClose) &&
           b.m_nHigh >= std::max(b.m_nOpen, b.m_nClose) && b.m_nVolume >= 0;
}

// A fixed last day keeps the data the same whenever the test runs.
CDemoMarket& Demo() {
    static CDemoMarket demo(20241231, 120);
    return demo;
}

TEST(DemoMarket, HasTheIndicesAndEnoughStocksOfEachBoard) {
    const auto& all = Demo().Securities();
    EXPECT_GE(all.size(), 40u);
    ASSERT_NE(Demo().Find(1, "000001"), nullptr);
    EXPECT_TRUE(Demo().Find(1, "000001")->m_bIndex);
    ASSERT_NE(Demo().Find(2, "399001"), nullptr);
    EXPECT_TRUE(Demo().Find(2, "399001")->m_bIndex);
    int sh = 0, sz = 0, gem = 0;
    for (const auto& s : all) {
        sh += s.m_strCode.starts_with("600");
        sz += s.m_strCode.starts_with("000") && s.m_nMarket == 2;
        gem += s.m_strCode.starts_with("300");
    }
    EXPECT_GE(sh, 5);
    EXPECT_GE(sz, 5);
    EXPECT_GE(gem, 3);
}

TEST(DemoMarket, DayBarsRunFrom2005OnTradingDaysOnlyWithSoundPrices) {
    const ServedSecurity& index = *Demo().Find(1, "000001");
    BarList bars = Demo().DayBars(index);
    ASSERT_GT(bars->size(), 4000u);
    EXPECT_EQ(bars->front().m_nTime, 20050104);
    EXPECT_EQ(bars->back().m_nTime, 20241231);
    for (const ServedSecurity& s : Demo().Securities()) {
        BarList b = Demo().DayBars(s);
        ASSERT_FALSE(b->empty()) << s.m_strCode;
        for (size_t i = 0; i < b->size(); ++i) {
            const CDayItem& bar = (*b)[i];
            ASSERT_TRUE(Sound(bar)) << s.m_strCode << " " << bar.m_nTime;
            ASSERT_TRUE(IsTradingDay(uint32_t(bar.m_nTime))) << bar.m_nTime;
            ASSERT_TRUE(i == 0 || (*b)[i - 1].m_nTime < bar.m_nTime);
            if (!s.m_bIndex) {
                ASSERT_EQ(bar.m_nClose % 10, 0) << "stock prices are whole fen";
            }
        }
    }
    EXPECT_FALSE(IsTradingDay(20241001));
    EXPECT_FALSE(IsTradingDay(20240210));
}

TEST(DemoMarket, MinuteBarsAddUpToTheirDay) {
    const ServedSecurity& stock = *Demo().Find(1, "600000");
    BarList days = Demo().DayBars(stock);
    const CDayItem& day = days->back();
    BarList ones = Demo().MinuteBars(stock, 1, 2024);
    BarList fives = Demo().MinuteBars(stock, 5, 2024);
    std::vector<CDayItem> ofDay, fivesOfDay;
    for (const CDayItem& b : *ones)
        if (b.m_nTime / 10000 == day.m_nTime) ofDay.push_back(b);
    for (const CDayItem& b : *fives)
        if (b.m_nTime / 10000 == day.m_nTime) fivesOfDay.push_back(b);
    ASSERT_EQ(ofDay.size(), 240u);
    ASSERT_EQ(fivesOfDay.size(), 48u);
    EXPECT_EQ(ofDay.front().m_nTime, day.m_nTime * 10000 + 931);
    EXPECT_EQ(ofDay.back().m_nTime, day.m_nTime * 10000 + 1500);
    EXPECT_EQ(fivesOfDay.front().m_nTime, day.m_nTime * 10000 + 935);
    for (const auto* set : {&ofDay, &fivesOfDay}) {
        int32_t high = 0, low = INT32_MAX;
        int64_t volume = 0;
        for (const CDayItem& b : *set) {
            ASSERT_TRUE(Sound(b));
            high = std::max(high, b.m_nHigh);
            low = std::min(low, b.m_nLow);
            volume += b.m_nVolume;
        }
        EXPECT_EQ(set->front().m_nOpen, day.m_nOpen);
        EXPECT_EQ(set->back().m_nClose, day.m_nClose);
        EXPECT_EQ(high, day.m_nHigh);
        EXPECT_EQ(low, day.m_nLow);
        EXPECT_EQ(volume, day.m_nVolume);
    }
    EXPECT_TRUE(Demo().MinuteBars(stock, 1, 2023)->empty())
        << "minute bars only for the recent days asked for";
}

TEST(DemoMarket, ExRightsEventsOfEveryKindOnTradingDays) {
    bool cash = false, bonus = false, transfer = false, rights = false, expansion = false;
    for (const ServedExRights& e : Demo().ExRights()) {
        ASSERT_TRUE(IsTradingDay(e.m_nDate));
        cash |= e.m_nCash > 0;
        bonus |= e.m_nBonus > 0;
        transfer |= e.m_nTransfer > 0;
        rights |= e.m_nRights > 0 && e.m_nRightsPrice > 0;
        expansion |= e.m_nRights > 0 && e.m_nRightsPrice == 0;
    }
    EXPECT_TRUE(cash && bonus && transfer && rights && expansion);
    CDemoMarket again(20241231, 120);
    ASSERT_EQ(again.ExRights().size(), Demo().ExRights().size());
    EXPECT_EQ(again.DayBars(*again.Find(2, "300750"))->back().m_nClose,
              Demo().DayBars(*Demo().Find(2, "300750"))->back().m_nClose)
        << "the same seed gives the same data";
}

TEST(CsvMarket, ReadsBarsNamesAndEventsAndSkipsWhatDoesNotParse) {
    ScratchDir scratch;
    const auto& dir = scratch.Path();
    std::ofstream(dir / "1_600000.csv")
        << "date,open,high,low,close,volume\n2024-01-02,10.00,10.50,9.90,10.20,12345\n"
        << "20240103,10.2,10.3,10.0,10.1,999\nbad,line\n20240104,10,9,11,10,1\n";
    std::ofstream(dir / "1_600000.1m.csv")
        << "20240102,09:31,10,10.1,9.95,10.05,100\n20240102,09:32,10.05,10.2,10,10.1,50\n"
        << "20240102,0959,10.1,10.1,10.1,10.1,5\n";
    std::ofstream(dir / "names.csv") << "1,600000,浦发银行\n";
    std::ofstream(dir / "exrights.csv") << "1,600000,20240103,2.5,0,0,0,0\n";
    CCsvMarket csv;
    std::string error;
    ASSERT_TRUE(csv.Open(dir.string(), error)) << error;
    ASSERT_EQ(csv.Securities().size(), 1u);
    EXPECT_EQ(csv.Securities()[0].m_strName, "浦发银行");
    BarList days = csv.DayBars(csv.Securities()[0]);
    ASSERT_EQ(days->size(), 2u) << "header, a short line and a bar with high below low are skipped";
    EXPECT_EQ((*days)[0].m_nTime, 20240102);
    EXPECT_EQ((*days)[0].m_nHigh, 10500);
    ASSERT_EQ(csv.ExRights().size(), 1u);
    EXPECT_EQ(csv.ExRights()[0].m_nCash, 2500000);
    BarList fives = csv.MinuteBars(csv.Securities()[0], 5, 2024);
    ASSERT_EQ(fives->size(), 2u);
    EXPECT_EQ((*fives)[0].m_nTime, 202401020935);
    EXPECT_EQ((*fives)[0].m_nVolume, 150);
    EXPECT_EQ((*fives)[1].m_nTime, 202401021000);

    CCsvMarket empty;
    EXPECT_FALSE(empty.Open("/nonexistent-dir", error));
}

TEST(ServerOptions, CommandLine) {
    ServerOptions o;
    std::string error;
    ASSERT_TRUE(ParseServerOptions({"--port", "0", "--data", "/d", "--fault", "refuse-login",
                                    "close-after=3", "--fault", "slow-chunks"},
                                   o, error))
        << error;
    EXPECT_EQ(o.m_strDataDir, "/d");
    EXPECT_TRUE(o.m_faults.m_bRefuseLogin);
    EXPECT_EQ(o.m_faults.m_nCloseAfter, 3);
    EXPECT_TRUE(o.m_faults.m_bSlowChunks);
    // The limits: defaults for the real client, and short ones for tests.
    EXPECT_EQ(o.m_limits.m_fMessageTimeout, 30);
    EXPECT_GT(o.m_limits.m_fIdleTimeout, 3600) << "below the client's hourly keep-alive";
    ServerOptions limited;
    ASSERT_TRUE(ParseServerOptions({"--message-timeout", "0.5", "--idle-timeout", "2",
                                    "--accept-pause-max", "100", "--max-files", "32"},
                                   limited, error))
        << error;
    EXPECT_EQ(limited.m_limits.m_fMessageTimeout, 0.5);
    EXPECT_EQ(limited.m_limits.m_fIdleTimeout, 2);
    EXPECT_EQ(limited.m_limits.m_nAcceptPauseMaxMs, 100);
    EXPECT_EQ(limited.m_limits.m_nMaxFiles, 32);
    EXPECT_FALSE(o.m_bExitWithParent);
    ServerOptions child;
    ASSERT_TRUE(ParseServerOptions({"--exit-with-parent"}, child, error)) << error;
    EXPECT_TRUE(child.m_bExitWithParent);
    for (auto bad : std::vector<std::vector<std::string>>{
             {"--port", "70000"}, {"--port"}, {"--fault", "explode"}, {"--listen", "0.0.0.0"},
             {"--message-timeout", "0"}, {"--idle-timeout", "soon"}, {"--idle-timeout", "nan"},
             {"--accept-pause-max", "0"}, {"--max-files", "3"}, {"--message-timeout"}}) {
        ServerOptions x;
        EXPECT_FALSE(ParseServerOptions(bad, x, error)) << bad[0];
    }
}

}  // namespace

#include "ClientHarness.h"
#include "TestSupport.h"
#include "foundation/Buffer.h"
#include "foundation/TextCodec.h"
#include "marketdata/Lzhuf.h"

namespace {

TEST(CsvMarket, TheServerServesADataDirectory) {
    ScratchDir scratch;
    const auto& dir = scratch.Path();
    std::ofstream(dir / "1_600000.csv")
        << "20240102,10,10.5,9.9,10.2,12345\n20240103,10.2,10.3,10.0,10.1,999\n";
    std::ofstream(dir / "2_000001.csv") << "20240102,9,9.5,8.9,9.2,100\n";
    std::ofstream(dir / "names.csv") << "1,600000,浦发银行\n";
    CServerProcess server({"--data", dir.string()});
    ASSERT_TRUE(server.Running());
    CClientHarness harness({{"127.0.0.1", server.Port()}}, {"127.0.0.1", server.Port()});
    harness.Connect();
    ASSERT_TRUE(WaitUntil([&] { return harness.Record().CodeTables() == 1; }));
    std::vector<uint8_t> plain;
    {
        std::lock_guard lock(harness.Record().m_mutex);
        const auto& packed = harness.Record().m_codeTables[0];
        ASSERT_TRUE(DecodeLzhuf(packed.data(), packed.size(), plain));
    }
    CBuffer table;
    table.Write(plain.data(), uint32_t(plain.size()));
    ASSERT_EQ(table.ReadUInt32(), 2u);
    std::string code, name;
    EXPECT_EQ(table.ReadUInt32(), 1u);
    table.ReadString(code);
    table.ReadString(name);
    EXPECT_EQ(code, "600000");
    EXPECT_EQ(AnsiToUtf8(name), "浦发银行") << "names travel in GBK";
    EXPECT_EQ(table.ReadUInt32(), 2u);
    table.ReadString(code);
    table.ReadString(name);
    EXPECT_EQ(name, "000001") << "no name given: the code";
}

}  // namespace
