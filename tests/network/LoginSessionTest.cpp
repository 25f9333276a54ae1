// The start of a connection against the real server: the login request byte for byte,
// the signed and the guest login, the table downloads and their "current" answers, and
// the client's recovery from every fault the server can make.

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "ClientHarness.h"
#include "TestSupport.h"
#include "foundation/Buffer.h"
#include "foundation/Config.h"
#include "foundation/Md5.h"
#include "protocol/DataHead.h"
#include "marketdata/net/Report.h"
#include "marketdata/net/WireProtocol.h"

namespace {

using namespace std::chrono_literals;

// The configuration is forgotten after the test, with the directory its file is in.
struct ConfigReset {
    ScratchDir dir;
    ~ConfigReset() {
        ResetConfig();
        SetLoginPassword("");
    }
};

// Loads an appconfig.xml with the given stored (base64) user name.
void UseAccount(const ConfigReset& reset, const std::string& user, const std::string& password) {
    const std::string path = reset.dir.File("appconfig.xml");
    WriteFile(path,
              "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<config><system><host username=\"" +
                  user + "\"/></system></config>\n");
    ASSERT_TRUE(LoadConfig(path));
    SetLoginPassword(password);
}

std::string ReadLink(int fd, uint16_t& command) {
    auto header = ReadExactly(fd, 28);
    if (header.size() != 28) return "<no header>";
    CDataHead head = CDataHead::Decode(header.data());
    command = head.m_wCommand;
    EXPECT_EQ(head.m_wSubtype, 100);
    auto body = ReadExactly(fd, head.m_nBodyLength);
    if (body.size() < 2) return "<short body>";
    EXPECT_EQ(size_t(body[0] | body[1] << 8) + 2, body.size());
    return std::string(body.begin() + 2, body.end());
}

TEST(LoginRequest, WithoutUserNameIsAGuestLoginWithAnEmptyLink) {
    ConfigReset reset;
    CLoopbackListener listener;
    CClientHarness harness({}, {"127.0.0.1", listener.Port()});
    harness.Connect();
    int fd = listener.Accept();
    ASSERT_GE(fd, 0);
    auto header = ReadExactly(fd, 28);
    ASSERT_EQ(header.size(), 28u);
    CDataHead head = CDataHead::Decode(header.data());
    EXPECT_EQ(head.m_wCommand, wire::kGuestLogin);
    EXPECT_EQ(head.m_nBodyLength, 2u);
    EXPECT_EQ(ReadExactly(fd, 2), (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(harness.Client().m_nLoginPending.load(), 1u);
    CloseSocket(fd);
}

TEST(LoginRequest, CarriesTheStoredNameAndPasswordAndTheUpperCaseSign) {
    ConfigReset reset;
    UseAccount(reset, "dXNlcg==", "cGFzcw==");
    CLoopbackListener listener;
    CClientHarness harness({}, {"127.0.0.1", listener.Port()});
    harness.Connect();
    int fd = listener.Accept();
    ASSERT_GE(fd, 0);
    uint16_t command = 0;
    std::string link = ReadLink(fd, command);
    EXPECT_EQ(command, wire::kLogin);
    std::string sign =
        Md5Hex("appId140000clientType4myadXNlcg==pppcGFzcw==7e41c0d9b25a8f36e0d4a9c17b3f5e28");
    for (char& c : sign) c = char(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(link,
              "http://127.0.0.1/acct/dl?mya=dXNlcg==&ppp=cGFzcw==&appId=140000&clientType=4&sign=" +
                  sign);
    EXPECT_EQ(sign.size(), 32u);
    CloseSocket(fd);
}

TEST(LoginSession, SignedLoginThenCodeTableThenExRightsAndCurrentOnTheNextConnection) {
    ConfigReset reset;
    UseAccount(reset, "dXNlcg==", "cGFzcw==");
    CServerProcess server;
    ASSERT_TRUE(server.Running());
    CClientHarness harness({{"127.0.0.1", server.Port()}}, {"127.0.0.1", server.Port()});
    harness.Connect();
    ASSERT_TRUE(WaitUntil([&] { return harness.Record().ExRights() == 1; }));
    EXPECT_FALSE(server.WaitForLine("login accepted: user").empty());
    EXPECT_EQ(GetAccountName(), "user");
    EXPECT_EQ(harness.Record().m_loginResults, std::vector<int>{1});
    ASSERT_EQ(harness.Record().CodeTables(), 1u);
    EXPECT_FALSE(harness.Record().m_codeTables[0].empty());
    EXPECT_EQ(harness.Client().m_nLoggedIn.load(), 1u);

    // The next connection names what it holds and is told it is current.
    harness.Record().m_heldVersion = {0, 0};
    harness.Client().Stop();
    harness.Connect();
    ASSERT_TRUE(WaitUntil([&] {
        return harness.Record().ExRights() == 2 || harness.Record().m_nCurrentCodeTable == 1;
    }));
    ASSERT_TRUE(WaitUntil([&] { return harness.Record().CodeTables() == 2; }));
    EXPECT_EQ(harness.Record().m_nCurrentCodeTable.load(), 1);
}

// The account name is GBK on the wire, like every wire text but the login message, and
// is held (and reported) as UTF-8.
TEST(LoginSession, TheAccountNameArrivesAsGbkAndIsHeldAndReportedAsUtf8) {
    ConfigReset reset;
    UseAccount(reset, "1cXI/Q==", "cGFzcw==");  // GBK bytes D5 C5 C8 FD
    CServerProcess server;
    ASSERT_TRUE(server.Running());
    CClientHarness harness({{"127.0.0.1", server.Port()}}, {"127.0.0.1", server.Port()});
    harness.Connect();
    ASSERT_TRUE(WaitUntil([&] { return harness.Record().Logins() == 1; }));
    EXPECT_EQ(GetAccountName(), "张三");
    std::string report;
    ASSERT_NO_THROW(report = BuildUsageReport(1, 0));
    EXPECT_EQ(nlohmann::json::parse(report)["xy"], "张三");
}

TEST(LoginSession, AWrongSignIsRefused) {
    CServerProcess server;
    ASSERT_TRUE(server.Running());
    // Speak to the server directly with a forged sign.
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(server.Port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::string link =
        "http://h/acct/dl?mya=dXNlcg==&ppp=cGFzcw==&appId=140000&clientType=4&sign=" +
        std::string(32, 'A');
    CBuffer request;
    request.WriteString(link);
    ASSERT_TRUE(WriteAll(
        fd, MakeMessage(
                wire::kLogin, 5,
                std::vector<uint8_t>(request.GetData(), request.GetData() + request.GetLength()))));
    auto header = ReadExactly(fd, 28);
    ASSERT_EQ(header.size(), 28u);
    CDataHead head = CDataHead::Decode(header.data());
    EXPECT_EQ(head.m_nSerial, 5);
    auto reply = ReadExactly(fd, head.m_nBodyLength);
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(reply[0], 0) << "refused";
    CloseSocket(fd);
}

TEST(LoginSession, RefusedLoginIsReportedAndNothingElseIsAsked) {
    CServerProcess server({"--fault", "refuse-login"});
    ASSERT_TRUE(server.Running());
    CClientHarness harness({{"127.0.0.1", server.Port()}}, {"127.0.0.1", server.Port()});
    harness.Connect();
    ASSERT_TRUE(WaitUntil([&] { return harness.Record().Logins() == 1; }));
    // Whatever the refusal made the client send has left once the loop has been round; a
    // probe sent after it reaches the server after it, on the same connection.
    ASSERT_TRUE(DrainLoop());
    auto probe = MakeMessage(65000, 9, {});
    harness.Client().Send(probe.data(), probe.size());
    ASSERT_FALSE(server.WaitForLine("unknown command 65000").empty());
    EXPECT_EQ(server.CountLines("code table"), 0u);
    EXPECT_EQ(server.CountLines("ex-rights"), 0u);
    EXPECT_EQ(harness.Record().m_loginResults[0], 0);
    EXPECT_FALSE(harness.Record().m_loginTexts[0].empty());
    EXPECT_EQ(harness.Record().CodeTables(), 0u);
    EXPECT_EQ(harness.Client().m_nLoggedIn.load(), 0u);
}

// Faults that break the stream or the downloads: the client closes or drops the
// download, never hands over a partial table, and comes back.
TEST(LoginSession, RecoversFromEveryBrokenStreamFault) {
    struct Case {
        const char* fault;
        bool reconnects;  // the server closes, or the client must
        bool tablesKept;  // what arrived whole before the close is kept
    } cases[] = {
        {"bad-marker", true, false},     {"oversized", true, false},
        {"cut-download", true, false},   {"close-after=2", true, true},
        {"overrun-chunk", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        CServerProcess server({"--fault", c.fault});
        ASSERT_TRUE(server.Running());
        CClientHarness harness({{"127.0.0.1", server.Port()}}, {"127.0.0.1", server.Port()});
        harness.Client().SetRetryDelays(5, 50);
        harness.Connect();
        if (c.reconnects) {
            // The login of a second connection shows that the client came back.
            EXPECT_TRUE(WaitUntil([&] { return harness.Record().Logins() >= 2; }));
        } else {
            // Both downloads are dropped; the connection stays up and logged in.
            EXPECT_FALSE(server.WaitForLine("login accepted").empty());
            EXPECT_TRUE(WaitUntil([&] { return harness.Client().IsConnected(); }));
            // A request asked after both downloads is answered after them, on the same
            // connection, and replies are dispatched in order: once its answer is in,
            // the client has dealt with both broken downloads, and had it closed the
            // connection over them the answer could not have come.
            ASSERT_FALSE(server.WaitForLine("ex-rights").empty());
            std::atomic<bool> answered{false};
            harness.Client().RegisterReply(7001, OwnerTag(&answered),
                                           [&](const CDataHead&, CBuffer&) {
                                               answered = true;
                                               return true;
                                           });
            auto probe = MakeMessage(wire::kCandidates, 7001, {0, 0, 0, 0});
            harness.Client().Send(probe.data(), probe.size());
            EXPECT_TRUE(WaitUntil([&] { return answered.load(); }));
            ASSERT_TRUE(DrainLoop());
            EXPECT_TRUE(harness.Client().IsConnected());
            EXPECT_EQ(harness.Client().m_nLoggedIn.load(), 1u);
            EXPECT_EQ(server.CountLines("login accepted"), 1u);
        }
        if (!c.tablesKept) {
            EXPECT_EQ(harness.Record().CodeTables(), 0u)
                << "no partial or broken table is handed over";
            EXPECT_EQ(harness.Record().ExRights(), 0u);
        } else {
            std::lock_guard lock(harness.Record().m_mutex);
            // The first connection got the whole table; later ones hear it is current.
            for (size_t i = 1; i < harness.Record().m_codeTables.size(); ++i)
                EXPECT_TRUE(harness.Record().m_codeTables[i].empty());
        }
    }
}

TEST(LoginSession, SlowAndSplitChunksStillAssembleTheSameTables) {
    std::vector<std::vector<uint8_t>> tables;
    for (const char* fault : {"", "slow-chunks", "split-chunks"}) {
        SCOPED_TRACE(fault);
        CServerProcess server(*fault ? std::vector<std::string>{"--fault", fault}
                                     : std::vector<std::string>{});
        ASSERT_TRUE(server.Running());
        CClientHarness harness({{"127.0.0.1", server.Port()}}, {"127.0.0.1", server.Port()});
        harness.Connect();
        ASSERT_TRUE(WaitUntil([&] { return harness.Record().ExRights() == 1; }));
        ASSERT_EQ(harness.Record().CodeTables(), 1u);
        tables.push_back(harness.Record().m_codeTables[0]);
        tables.push_back(harness.Record().m_exRights[0]);
        if (std::string(fault) == "slow-chunks") {
            // Each many-chunk download shows its popup once, under its own title, on its
            // first chunk; later chunks advance it and the last one hides it.
            using Step = CLoginSession::Ui::Step;
            auto progress = harness.Record().Progress();
            for (const char* title : {"正在下载码表...", "正在下载除权数据..."}) {
                SCOPED_TRACE(title);
                std::vector<Step> steps;
                for (const auto& [t, step] : progress)
                    if (t == title) steps.push_back(step);
                ASSERT_GE(steps.size(), 2u);
                EXPECT_EQ(steps.front(), Step::kShow);
                EXPECT_EQ(std::count(steps.begin(), steps.end(), Step::kShow), 1);
                EXPECT_EQ(steps.back(), Step::kHide);
                EXPECT_EQ(std::count(steps.begin(), steps.end(), Step::kHide), 1);
            }
        }
    }
    EXPECT_EQ(tables[0], tables[2]);
    EXPECT_EQ(tables[0], tables[4]);
    EXPECT_EQ(tables[1], tables[3]);
    EXPECT_EQ(tables[1], tables[5]);
}

}  // namespace
