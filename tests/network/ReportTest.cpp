// Usage and training-result reports reach the server's "/action/msg" with exactly their
// keys, sent from the network thread.

#include <gtest/gtest.h>

#include <future>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "ClientHarness.h"
#include "TestSupport.h"
#include "marketdata/net/Report.h"

namespace {

std::set<std::string> Keys(const nlohmann::json& j) {
    std::set<std::string> keys;
    for (auto it = j.begin(); it != j.end(); ++it) keys.insert(it.key());
    return keys;
}

nlohmann::json PostedReport(CServerProcess& server, size_t index) {
    EXPECT_TRUE(WaitUntil([&] { return server.CountLines("report ") > index; }));
    size_t seen = 0;
    for (const auto& line : server.Lines()) {
        if (line.rfind("report ", 0) != 0) continue;
        if (seen++ == index) return nlohmann::json::parse(line.substr(7), nullptr, false);
    }
    return {};
}

struct UrlReset {
    ~UrlReset() { SetReportUrl(""); }
};

TEST(Report, UsageAndTrainingResultCarryExactlyTheirKeys) {
    TestLoop();
    UrlReset reset;
    CServerProcess server;
    ASSERT_TRUE(server.Running());
    SetReportUrl("http://127.0.0.1:" + std::to_string(server.Port()) + "/action/msg");

    std::promise<int> status;
    ASSERT_TRUE(SendUsageAction(4, 0, [&](int s) { status.set_value(s); }));
    EXPECT_EQ(status.get_future().get(), 200);
    nlohmann::json usage = PostedReport(server, 0);
    EXPECT_EQ(Keys(usage),
              (std::set<std::string>{"action", "class", "ip", "mac", "time", "ver", "xy"}));
    EXPECT_EQ(usage["action"], 4);
    EXPECT_EQ(usage["class"], 0);
    EXPECT_TRUE(usage["time"].is_number_integer());

    ASSERT_TRUE(
        SendTrainingResult(20200102, 20201231, 240, 100000.0, 112345.5, 12.3455, "浦发银行"));
    nlohmann::json result = PostedReport(server, 1);
    EXPECT_EQ(Keys(result),
              (std::set<std::string>{"action", "class", "ip", "mac", "time", "ver", "xy",
                                     "BeginDate", "EndDate", "TrainDays", "BeginCaptial",
                                     "EndinCaptial", "CaptialRate", "StockName"}));
    EXPECT_EQ(result["action"], 3);
    EXPECT_EQ(result["StockName"], "浦发银行");
    EXPECT_EQ(result["EndDate"], 20201231);
    EXPECT_DOUBLE_EQ(result["EndinCaptial"].get<double>(), 112345.5);
}

TEST(Report, KeysAreWrittenInByteOrder) {
    std::string text = BuildTrainingResult(1, 2, 3, 4.0, 5.0, 6.0, "x");
    std::vector<size_t> at;
    for (const char* key : {"\"BeginCaptial\"", "\"BeginDate\"", "\"CaptialRate\"", "\"EndDate\"",
                            "\"EndinCaptial\"", "\"StockName\"", "\"TrainDays\"", "\"action\"",
                            "\"class\"", "\"ip\"", "\"mac\"", "\"time\"", "\"ver\"", "\"xy\""})
        at.push_back(text.find(key));
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << text;
    EXPECT_EQ(std::count(at.begin(), at.end(), std::string::npos), 0);
}

TEST(Report, HostAddressesAreEmptyOrInTheirDisplayForm) {
    // Machines differ in their interfaces; what is found must be in the form reported.
    const std::string ip = GetHostIpText();
    EXPECT_TRUE(ip.empty() || std::regex_match(ip, std::regex(R"((\d{1,3}\.){3}\d{1,3})"))) << ip;
    EXPECT_NE(ip, "127.0.0.1");
    const std::string mac = GetMacAddressText();
    EXPECT_TRUE(mac.empty() || std::regex_match(mac, std::regex("([0-9A-F]{2}-){5}[0-9A-F]{2}")))
        << mac;
    EXPECT_NE(mac, "00-00-00-00-00-00");
}

TEST(Report, WithoutAServiceUrlNothingIsQueued) {
    TestLoop();
    SetReportUrl("");
    EXPECT_FALSE(SendUsageAction(1, 0));
}

TEST(Report, AnUnreachableServiceIsReportedAsNoAnswer) {
    TestLoop();
    UrlReset reset;
    uint16_t dead;
    {
        CLoopbackListener closed;
        dead = closed.Port();
    }
    SetReportUrl("http://127.0.0.1:" + std::to_string(dead) + "/action/msg");
    std::promise<int> status;
    ASSERT_TRUE(SendUsageAction(1, 0, [&](int s) { status.set_value(s); }));
    EXPECT_NE(status.get_future().get(), 200);
}

}  // namespace
