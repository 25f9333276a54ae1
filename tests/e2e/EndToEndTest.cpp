// The whole road, headless, against the server on an ephemeral port: log in, download the
// code table into the security table and "code.dat", the ex-rights table into "cq.dat",
// day and minute series through the pool into the block files; and on a second run,
// "current" answers and bars from the cache.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "ClientHarness.h"
#include "TestSupport.h"
#include "foundation/Crc16.h"
#include "marketdata/AppInfo.h"
#include "marketdata/CQData.h"
#include "marketdata/DataCenter.h"
#include "marketdata/DayData.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/net/MarketLink.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Requests one series and waits until its reply has been merged (the notification).
std::shared_ptr<CDayData> Fetch(int16_t type, int16_t period, bool history, int& notified) {
    auto series = GetDataCenter()->GetPool().GetDayData(type, CIndSecuCode(1, "600000"), period);
    if (!series) return nullptr;
    std::atomic<int> calls{0};
    auto callback = [&calls] { ++calls; };
    int expected = 1;
    if (history) {
        uint32_t year = GetAppInfo()->GetToday() / 10000;
        series->RequestHistory({year - 1, year}, 240, year * 10000 + 9999, true,
                               OwnerTag(&notified), callback);
    } else {
        series->RequestUpdate(0, OwnerTag(&notified), callback);
        expected = 2;  // at once with what is held, then after the reply
    }
    WaitUntil([&] { return calls.load() >= expected; });
    notified = calls.load() - (expected - 1);
    series->Unsubscribe(OwnerTag(&notified));
    return series;
}

TEST(EndToEnd, DownloadsTablesAndSeriesThenServesTheSecondRunFromCache) {
    TestLoop();
    CScratchHome home;
    CScratchHome& posted = home;

    CServerProcess server;
    ASSERT_TRUE(server.Running());
    size_t dayBars = 0, minuteBars = 0;
    {
        CMarketLink link({{"127.0.0.1", server.Port()}}, TestLoop());
        link.Connect("127.0.0.1", server.Port());
        ASSERT_TRUE(WaitUntil([&] { return posted.Count(UM_CODELIST_READY) == 1; }));
        EXPECT_EQ(posted.Count(UM_SERVER_TEXT), 1u);
        EXPECT_NE(GetDataCenter()->FindSecurity(CIndSecuCode(1, "000001")), nullptr);
        EXPECT_NE(GetDataCenter()->FindSecurity(CIndSecuCode(2, "399001")), nullptr);
        EXPECT_GE(GetDataCenter()->GetSecurityCount(), 40u);

        const std::string codeBytes = ReadFile(home.Path() / "code.dat");
        const std::vector<uint8_t> codeFile(codeBytes.begin(), codeBytes.end());
        ASSERT_GT(codeFile.size(), 6u);
        uint32_t length =
            codeFile[2] | codeFile[3] << 8 | codeFile[4] << 16 | uint32_t(codeFile[5]) << 24;
        ASSERT_EQ(codeFile.size(), 6u + length);
        EXPECT_EQ(codeFile[0] | codeFile[1] << 8, Crc16(length, codeFile.data() + 6));

        ASSERT_TRUE(WaitUntil([&] { return fs::exists(home.Path() / "cq.dat"); }));
        EXPECT_GT(GetAllCQData()->GetEventCount(), 20u);

        int notified = 0;
        auto day = Fetch(4, 1, false, notified);
        ASSERT_TRUE(day);
        EXPECT_EQ(notified, 1);
        {
            auto view = day->Read();
            dayBars = size_t(view.RawBars().GetSize());
        }
        EXPECT_GT(dayBars, 4000u);
        auto minutes = Fetch(3, 1, true, notified);
        ASSERT_TRUE(minutes);
        EXPECT_EQ(notified, 1);
        {
            auto view = minutes->Read();
            minuteBars = size_t(view.RawBars().GetSize());
            ASSERT_GT(minuteBars, 240u);
            EXPECT_EQ(view.RawBars()[0].m_nTime / 100000000,
                      GetAppInfo()->GetToday() / 10000 - 1);
        }
        EXPECT_GT(fs::file_size(home.Path() / "Data" / "day.dat"), dayBars * sizeof(CDayItem));
        EXPECT_GT(fs::file_size(home.Path() / "Data" / "mk1.dat"), minuteBars * sizeof(CDayItem));
        GetDataCenter()->GetPool().Clear();
        link.Stop();
    }

    // Second run: the tables are current, the series come from the block files and the
    // server has nothing new to send.
    auto cqBefore = ReadFile(home.Path() / "cq.dat");
    {
        CMarketLink link({{"127.0.0.1", server.Port()}}, TestLoop());
        link.Connect("127.0.0.1", server.Port());
        ASSERT_TRUE(WaitUntil([&] { return posted.Count(UM_CODELIST_READY) == 2; }));
        EXPECT_FALSE(server.WaitForLine("code table: current").empty());
        EXPECT_FALSE(server.WaitForLine("ex-rights: current").empty());
        int notified = 0;
        auto day = Fetch(4, 1, false, notified);
        ASSERT_TRUE(day);
        EXPECT_FALSE(server.WaitForLine("10901 1:600000: 0 bars").empty());
        auto minutes = Fetch(3, 1, true, notified);
        ASSERT_TRUE(minutes);
        EXPECT_FALSE(server.WaitForLine("10801 1:600000: 0 bars").empty());
        {
            auto dayView = day->Read();
            auto minuteView = minutes->Read();
            EXPECT_EQ(size_t(dayView.RawBars().GetSize()), dayBars);
            EXPECT_EQ(size_t(minuteView.RawBars().GetSize()), minuteBars);
        }
        GetDataCenter()->GetPool().Clear();
        link.Stop();
    }
    EXPECT_EQ(ReadFile(home.Path() / "cq.dat"), cqBefore);
}

}  // namespace

namespace {

TEST(EndToEnd, BrokenHistoryDownloadsLeaveTheBlockFilesAsTheyWere) {
    TestLoop();
    CScratchHome home;
    uint32_t year = GetAppInfo()->GetToday() / 10000;
    auto request = [&](const char* code, bool wait) {
        auto series =
            GetDataCenter()->GetPool().GetDayData(3, CIndSecuCode(code[0] == '6' ? 1 : 2, code), 1);
        auto done = std::make_shared<std::atomic<bool>>(false);
        static int owner;
        series->RequestHistory({year}, 240, year * 10000 + 9999, true, OwnerTag(&owner),
                               [done] { *done = true; });
        if (wait) WaitUntil([&] { return done->load(); });
        return series;
    };
    auto count = [](const std::shared_ptr<CDayData>& series) {
        auto view = series->Read();
        return size_t(view.RawBars().GetSize());
    };
    size_t held = 0;
    {
        CServerProcess server;
        CMarketLink link({{"127.0.0.1", server.Port()}}, TestLoop());
        link.Connect("127.0.0.1", server.Port());
        ASSERT_TRUE(WaitUntil([&] { return home.Count(UM_CODELIST_READY) == 1; }));
        held = count(request("600000", true));
        ASSERT_GT(held, 0u);
        GetDataCenter()->GetPool().Clear();
        link.Stop();
    }
    const auto fileBefore = ReadFile(home.Path() / "Data" / "mk1.dat");

    for (const char* fault : {"cut-download", "overrun-chunk"}) {
        SCOPED_TRACE(fault);
        CServerProcess server({"--fault", fault});
        size_t parsed = home.Count(UM_CODELIST_READY);
        CMarketLink link({{"127.0.0.1", server.Port()}}, TestLoop());
        link.Connect("127.0.0.1", server.Port());
        // The tables are held and current: one-message answers that the fault leaves alone.
        ASSERT_TRUE(WaitUntil([&] { return home.Count(UM_CODELIST_READY) > parsed; }));
        auto broken = request("000858", false);
        ASSERT_FALSE(server.WaitForLine("10801 2:000858").empty());
        if (std::string(fault) == "cut-download") {
            // The server closed the connection; the client logs in again.
            ASSERT_TRUE(WaitUntil([&] { return server.CountLines("login accepted") == 2; }));
        }
        // Replies are handled in order: once a later plain request has been answered, the
        // broken download has been dealt with.
        auto day = GetDataCenter()->GetPool().GetDayData(4, CIndSecuCode(1, "600000"), 1);
        std::atomic<int> calls{0};
        ASSERT_TRUE(WaitUntil([&] { return link.GetSubscriber().IsConnected(); }));
        day->RequestUpdate(0, OwnerTag(&calls), [&calls] { ++calls; });
        EXPECT_TRUE(WaitUntil([&] { return calls.load() == 2; }));
        day->Unsubscribe(OwnerTag(&calls));
        EXPECT_EQ(count(broken), 0u) << "a broken download merges nothing";
        GetDataCenter()->GetPool().Clear();
        EXPECT_EQ(count(request("600000", false)), held) << "what was stored before is still there";
        GetDataCenter()->GetPool().Clear();
        EXPECT_EQ(ReadFile(home.Path() / "Data" / "mk1.dat"), fileBefore);
        link.Stop();
    }
}

}  // namespace
