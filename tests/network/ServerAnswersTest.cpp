// The server answers every request the client makes. Series requests go through the real
// series (their request bodies and reply handlers); the training requests 12001, 12101
// and 13001, built by training windows, are sent by hand.

#include <gtest/gtest.h>

#include <future>
#include <mutex>

#include "ClientHarness.h"
#include "TestSupport.h"
#include "foundation/Buffer.h"
#include "marketdata/AppInfo.h"
#include "marketdata/CQData.h"
#include "marketdata/DataCenter.h"
#include "protocol/DataHead.h"
#include "marketdata/DayData.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/net/MarketLink.h"
#include "marketdata/net/WireProtocol.h"

namespace {

struct Online {
    CScratchHome home;
    CServerProcess server;
    std::unique_ptr<CMarketLink> link;

    Online() {
        TestLoop();
        link = std::make_unique<CMarketLink>(std::vector<HostAddress>{{"127.0.0.1", server.Port()}},
                                             TestLoop());
        link->Connect("127.0.0.1", server.Port());
        WaitUntil([&] { return home.Count(UM_CODELIST_READY) == 1; });
    }
    ~Online() { link->Stop(); }

    // Sends one hand-built request and returns its reply body.
    std::vector<uint8_t> Ask(uint16_t command, const std::function<void(CBuffer&)>& body) {
        CBuffer message;
        CDataHead::ReservePlaceholder(message);
        body(message);
        int64_t serial = CDataHead::NextSerial();
        CDataHead head;
        head.m_nSerial = serial;
        head.WriteToBuffer(message, command);
        auto reply = std::make_shared<std::promise<std::vector<uint8_t>>>();
        auto future = reply->get_future();
        link->GetSubscriber().RegisterReply(
            serial, OwnerTag(this), [reply](const CDataHead&, CBuffer& b) {
                reply->set_value(std::vector<uint8_t>(b.GetData(), b.GetData() + b.GetLength()));
                return true;
            });
        link->GetSubscriber().Send(message);
        if (future.wait_for(std::chrono::seconds(20)) != std::future_status::ready) return {};
        return future.get();
    }
};

std::shared_ptr<CDayData> Series(const char* code, int16_t type, int16_t period) {
    return GetDataCenter()->GetPool().GetDayData(type, CIndSecuCode(code[0] == '6' ? 1 : 2, code),
                                                 period);
}

// Runs request with a callback and waits for the merged reply's notification.
bool Await(const std::function<void(OwnerTag, CData::Callback)>& request) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    static int owner;
    request(OwnerTag(&owner), [done] { *done = true; });
    return WaitUntil([&] { return done->load(); });
}

size_t RawCount(CDayData& s) {
    auto view = s.Read();
    return size_t(view.RawBars().GetSize());
}

TEST(ServerAnswers, SeriesRequestsOfEveryKindMergeTheirBars) {
    Online online;
    ASSERT_TRUE(online.server.Running());
    ASSERT_NE(GetDataCenter()->FindSecurity(CIndSecuCode(1, "600036")), nullptr);

    auto range = Series("600036", 4, 1);
    ASSERT_TRUE(Await(
        [&](OwnerTag o, CData::Callback cb) { range->RequestRange(20240102, 20240131, o, cb); }));
    EXPECT_EQ(RawCount(*range), 22u) << "the trading days of January 2024";
    EXPECT_EQ(range->Read().RangeFrom(), 20240102u);
    EXPECT_EQ(range->Read().RangeTo(), 20240131u);

    auto window = Series("000002", 4, 1);
    ASSERT_TRUE(
        Await([&](OwnerTag o, CData::Callback cb) { window->RequestRandomWindow(120, o, cb); }));
    EXPECT_EQ(RawCount(*window), 120u);
    EXPECT_LT(window->Read().RangeFrom(), window->Read().RangeTo());

    auto training = Series("600519", 4, 1);
    ASSERT_TRUE(Await([&](OwnerTag o, CData::Callback cb) {
        training->RequestTrainingBars(20230630, 50, o, cb);
    }));
    {
        auto view = training->Read();
        ASSERT_EQ(view.RawBars().GetSize(), 50);
        EXPECT_EQ(view.RawBars()[49].m_nTime, 20230630)
            << "a trading day: the last bar is the date itself";
    }

    auto plain = Series("000651", 3, 5);
    uint32_t year = GetAppInfo()->GetToday() / 10000;
    ASSERT_TRUE(Await([&](OwnerTag o, CData::Callback cb) {
        plain->RequestHistory({year}, 48, year * 10000 + 9999, false, o, cb);
    }));
    {
        auto view = plain->Read();
        ASSERT_GT(view.RawBars().GetSize(), 0);
        EXPECT_EQ(view.RawBars()[0].m_nTime % 5, 0)
            << "5-minute bars end on a multiple of five";
    }
    EXPECT_FALSE(online.server.WaitForLine("10701 2:000651").empty());
}

TEST(ServerAnswers, TrainingRangeRequestsAndCandidates) {
    Online online;
    ASSERT_TRUE(online.server.Running());
    auto support = online.Ask(wire::kSupportRange, [](CBuffer& b) {
        b.WriteUInt32(1);
        b.WriteString("600000");
    });
    CBuffer r;
    r.Write(support.data(), uint32_t(support.size()));
    EXPECT_EQ(r.ReadUInt32(), 1u);
    std::string code;
    r.ReadString(code);
    EXPECT_EQ(code, "600000");
    EXPECT_EQ(r.ReadUInt32(), 20050104u);
    uint32_t end = r.ReadUInt32();
    EXPECT_GT(end, 20240000u);
    EXPECT_GT(r.ReadUInt32(), 4000u);

    auto enough = online.Ask(wire::kDataRange, [](CBuffer& b) {
        b.WriteUInt32(2);
        b.WriteString("300750");  // listed 2018: too few days, another security is offered
        b.WriteUInt32(3000);
    });
    ASSERT_FALSE(enough.empty());
    EXPECT_EQ(enough[0], 1);
    CBuffer e;
    e.Write(enough.data() + 1, uint32_t(enough.size() - 1));
    e.ReadUInt32();
    e.ReadString(code);
    EXPECT_NE(code, "300750");
    auto tooMany = online.Ask(wire::kDataRange, [](CBuffer& b) {
        b.WriteUInt32(0);
        b.WriteString("");
        b.WriteUInt32(100000);
    });
    EXPECT_EQ(tooMany, std::vector<uint8_t>{0}) << "status 0 and nothing else";

    auto page = online.Ask(wire::kCandidates, [](CBuffer& b) {
        b.WriteUInt16(6);
        b.WriteUInt16(6);
    });
    CBuffer p;
    p.Write(page.data(), uint32_t(page.size()));
    uint16_t total = p.ReadUInt16();
    EXPECT_GE(total, 36);
    EXPECT_EQ(p.ReadUInt16(), 6);
    ASSERT_EQ(p.ReadUInt16(), 6);
    for (int i = 0; i < 6; ++i) {
        uint32_t market = p.ReadUInt32();
        p.ReadString(code);
        EXPECT_TRUE(market == 1 || market == 2);
        EXPECT_EQ(code.size(), 6u);
    }
    EXPECT_EQ(p.GetLength(), 0u);
}

TEST(ServerAnswers, UpdateSendsOnlyWhatIsNewerThanTheHeldRun) {
    Online online;
    ASSERT_TRUE(online.server.Running());
    auto series = Series("601318", 4, 1);
    ASSERT_TRUE(Await(
        [&](OwnerTag o, CData::Callback cb) { series->RequestRange(20070301, 20200630, o, cb); }));
    size_t held = RawCount(*series);
    ASSERT_GT(held, 2000u);
    auto again = Series("601318", 4, 1);
    int calls = 0;
    ASSERT_TRUE(Await([&](OwnerTag o, CData::Callback cb) {
        again->RequestUpdate(0, o, [cb, &calls] {
            if (++calls == 2) cb();
        });
    }));
    std::string line = online.server.WaitForLine("10901 1:601318");
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.find("reset"), std::string::npos) << line;
    size_t sent = std::stoul(line.substr(line.rfind(": ") + 2));
    EXPECT_EQ(RawCount(*again), held + sent);
}

// The application's wiring of the table downloads to the main frame: each many-chunk
// download shows the popup once, titled and ranged, on its first chunk.
TEST(ServerAnswers, ManyChunkTableDownloadsShowThePopupUnderTheirTitles) {
    CScratchHome home;
    GetAppInfo()->SetCodeTable({});  // nothing held: both tables come in full
    GetAllCQData()->Clear();
    struct Seen {
        std::mutex mutex;
        std::vector<std::string> titles;
        std::vector<uint32_t> totals;
        int shown = 0, hidden = 0;
    };
    auto seen = std::make_shared<Seen>();
    MarketUiHooks hooks;
    hooks.postToMainFrame = [seen](uint32_t msg, uint64_t, int64_t lParam) {
        std::lock_guard lock(seen->mutex);
        if (msg == UM_DOWNLOAD_PROGRESS) ++(lParam ? seen->hidden : seen->shown);
        if (msg == UM_SERVER_TEXT && lParam) delete[] reinterpret_cast<char*>(lParam);
    };
    hooks.setDownloadRange = [seen](const std::string& title, uint32_t total) {
        std::lock_guard lock(seen->mutex);
        seen->titles.push_back(title);
        seen->totals.push_back(total);
    };
    hooks.setDownloadPosition = [](uint32_t) {};
    SetMarketUiHooks(hooks);

    CServerProcess server({"--fault", "slow-chunks"});
    ASSERT_TRUE(server.Running());
    CMarketLink link({{"127.0.0.1", server.Port()}}, TestLoop());
    link.Connect("127.0.0.1", server.Port());
    EXPECT_TRUE(WaitUntil([&] {
        std::lock_guard lock(seen->mutex);
        return seen->hidden >= 2;
    }));
    link.Stop();
    std::lock_guard lock(seen->mutex);
    EXPECT_EQ(seen->titles, (std::vector<std::string>{"正在下载码表...", "正在下载除权数据..."}));
    EXPECT_EQ(seen->shown, 2);
    for (uint32_t total : seen->totals) EXPECT_GT(total, 512u) << "the announced size";
}

}  // namespace
