// Proxy handshakes byte for byte, and the tunnels they open, through small fake proxies on
// loopback in front of the real server.

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "common/ScratchDir.h"
#include "foundation/Base64.h"
#include "marketdata/net/ProxyHandshake.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Step = CProxyHandshake::Step;

ProxySettings Settings(uint16_t type, std::string user = "", std::string password = "") {
    ProxySettings s;
    s.m_bUseProxy = true;
    s.m_nType = type;
    s.m_strAddress = "127.0.0.1";
    s.m_nPort = 1080;
    s.m_strUser = std::move(user);
    s.m_strPassword = std::move(password);
    return s;
}

ProxyTarget Target(const char* ip, const char* name, uint16_t port) {
    ProxyTarget t;
    if (ip) inet_pton(AF_INET, ip, &t.m_nAddress);
    t.m_strName = name;
    t.m_nPort = port;
    return t;
}

Bytes First(CProxyHandshake& h) {
    Bytes out;
    std::string error;
    EXPECT_TRUE(h.FirstRequest(out, error)) << error;
    return out;
}

Step Feed(CProxyHandshake& h, const Bytes& reply, Bytes& out, size_t* consumed = nullptr) {
    size_t used = 0;
    Step step = h.Feed(reply.data(), reply.size(), used, out);
    if (consumed) *consumed = used;
    return step;
}

TEST(ProxyHandshake, Socks4AndSocks4aRequestsAreByteExact) {
    CProxyHandshake socks4(Settings(kProxySocks4), Target("10.0.0.1", "10.0.0.1", 8000));
    EXPECT_EQ(First(socks4), (Bytes{0x04, 0x01, 0x1F, 0x40, 0x0A, 0x00, 0x00, 0x01, 0x00}));
    Bytes out;
    EXPECT_EQ(Feed(socks4, {0x00, 0x5A, 0, 0, 0, 0, 0}, out), Step::kWait)
        << "a SOCKS4 reply is 8 bytes";
    EXPECT_EQ(Feed(socks4, {0x00, 0x5A, 0, 0, 0, 0, 0, 0}, out), Step::kReady);
    EXPECT_EQ(Feed(socks4, {0x00, 0x5B, 0, 0, 0, 0, 0, 0}, out), Step::kFail);

    CProxyHandshake socks4a(Settings(kProxySocks4A), Target(nullptr, "abc", 80));
    EXPECT_EQ(First(socks4a), (Bytes{0x04, 0x01, 0x00, 0x50, 0x00, 0x00, 0x00, 0x01, 0x00, 0x61,
                                     0x62, 0x63, 0x00}));

    CProxyHandshake unresolved(Settings(kProxySocks4), Target(nullptr, "abc", 80));
    Bytes none;
    std::string error;
    EXPECT_FALSE(unresolved.FirstRequest(none, error));
}

TEST(ProxyHandshake, Socks5WithoutAuthentication) {
    CProxyHandshake h(Settings(kProxySocks5), Target("10.0.0.1", "10.0.0.1", 8000));
    EXPECT_EQ(First(h), (Bytes{0x05, 0x01, 0x00}));
    Bytes out;
    ASSERT_EQ(Feed(h, {0x05, 0x00}, out), Step::kSend);
    EXPECT_EQ(out, (Bytes{0x05, 0x01, 0x00, 0x01, 0x0A, 0x00, 0x00, 0x01, 0x1F, 0x40}));
    // The connect reply split across reads, followed by the server's first bytes.
    Bytes reply = {0x05, 0x00, 0x00, 0x01, 127, 0, 0, 1, 0x1F, 0x40, 0x88, 0x16};
    size_t consumed = 0;
    EXPECT_EQ(h.Feed(reply.data(), 6, consumed, out), Step::kWait);
    EXPECT_EQ(Feed(h, reply, out, &consumed), Step::kReady);
    EXPECT_EQ(consumed, 10u) << "the server's bytes stay for the message framing";

    CProxyHandshake refused(Settings(kProxySocks5), Target("10.0.0.1", "10.0.0.1", 8000));
    First(refused);
    EXPECT_EQ(Feed(refused, {0x05, 0xFF}, out), Step::kFail);
}

TEST(ProxyHandshake, Socks5WithUserAndPasswordAndByName) {
    CProxyHandshake h(Settings(kProxySocks5Auth, "u", "p"), Target(nullptr, "host", 7));
    EXPECT_EQ(First(h), (Bytes{0x05, 0x02, 0x02, 0x00}));
    Bytes out;
    ASSERT_EQ(Feed(h, {0x05, 0x02}, out), Step::kSend);
    EXPECT_EQ(out, (Bytes{0x01, 0x01, 0x75, 0x01, 0x70}));
    ASSERT_EQ(Feed(h, {0x01, 0x00}, out), Step::kSend);
    EXPECT_EQ(out, (Bytes{0x05, 0x01, 0x00, 0x03, 0x04, 'h', 'o', 's', 't', 0x00, 0x07}));

    CProxyHandshake wrong(Settings(kProxySocks5Auth, "u", "p"), Target(nullptr, "host", 7));
    First(wrong);
    Feed(wrong, {0x05, 0x02}, out);
    EXPECT_EQ(Feed(wrong, {0x01, 0x01}, out), Step::kFail);
}

TEST(ProxyHandshake, FieldsTooLongForTheProtocolAreRefusedNotCut) {
    Bytes out;
    std::string error;
    CProxyHandshake longUser(Settings(kProxySocks5Auth, std::string(256, 'u'), "p"),
                             Target("1.2.3.4", "x", 1));
    EXPECT_FALSE(longUser.FirstRequest(out, error));
    EXPECT_FALSE(error.empty());

    // 255 bytes still fit, and go out whole (not cut at 20).
    CProxyHandshake fits(Settings(kProxySocks5Auth, std::string(255, 'u'), "p"),
                         Target("1.2.3.4", "x", 1));
    First(fits);
    ASSERT_EQ(Feed(fits, {0x05, 0x02}, out), Step::kSend);
    EXPECT_EQ(out.size(), 1u + 1 + 255 + 1 + 1);
}

TEST(ProxyHandshake, HttpConnectAcceptsAny200StatusLine) {
    CProxyHandshake plain(Settings(kProxyHttp), Target(nullptr, "data.example", 8000));
    Bytes request = First(plain);
    EXPECT_EQ(std::string(request.begin(), request.end()),
              "CONNECT data.example:8000 HTTP/1.1\r\nHost: data.example:8000\r\n\r\n");

    CProxyHandshake auth(Settings(kProxyHttpAuth, "user", "pw"), Target(nullptr, "h", 1));
    request = First(auth);
    EXPECT_EQ(std::string(request.begin(), request.end()),
              "CONNECT h:1 HTTP/1.1\r\nHost: h:1\r\nProxy-Authorization: Basic " +
                  Base64EncodeString("user:pw") + "\r\n\r\n");

    struct Case {
        std::string reply;
        Step step;
    } cases[] = {
        {"HTTP/1.1 200 Connection established\r\n\r\n", Step::kReady},
        {"HTTP/1.0 200 OK\r\nVia: x\r\n\r\n", Step::kReady},
        {"HTTP/1.1 200\r\n\r\n", Step::kReady},
        {"HTTP/1.1 407 Proxy Authentication Required\r\n\r\n", Step::kFail},
        {"HTTP/1.1 2000 Odd\r\n\r\n", Step::kFail},
        {"HTTP/1.1 200 Conn", Step::kWait},
    };
    for (const auto& c : cases) {
        CProxyHandshake h(Settings(kProxyHttp), Target(nullptr, "h", 1));
        Bytes out;
        EXPECT_EQ(Feed(h, Bytes(c.reply.begin(), c.reply.end()), out), c.step) << c.reply;
    }
}

}  // namespace

#include "foundation/Config.h"

namespace {

TEST(ProxySettingsFile, WrittenSettingsAreReadBackAndBadOnesLeaveTheProxyOff) {
    ScratchDir dir;
    const std::string path = dir.File("appconfig.xml");
    WriteFile(path, "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<config><system/></config>\n");
    ASSERT_TRUE(LoadConfig(path));
    ProxySettings s;
    s.m_bUseProxy = true;
    s.m_nType = kProxyHttpAuth;
    s.m_strAddress = "10.1.2.3";
    s.m_nPort = 3128;
    s.m_strUser = "user";
    s.m_strPassword = "pw";
    WriteProxySettingsToConfig(s, true);
    ResetConfig();
    ASSERT_TRUE(LoadConfig(path));
    ProxySettings back = ReadProxySettingsFromConfig();
    EXPECT_TRUE(back.m_bUseProxy);
    EXPECT_EQ(back.m_nType, kProxyHttpAuth);
    EXPECT_EQ(back.m_strAddress, "10.1.2.3");
    EXPECT_EQ(back.m_nPort, 3128);
    EXPECT_EQ(back.m_strUser, "user");
    EXPECT_EQ(back.m_strPassword, "pw");

    SetConfigInt("system", "Socket", "ProxyType", 999, false);
    EXPECT_FALSE(ReadProxySettingsFromConfig().m_bUseProxy);
    SetConfigInt("system", "Socket", "ProxyType", kProxySocks5, false);
    SetConfigInt("system", "Socket", "ProxyPort", 70000, false);
    EXPECT_FALSE(ReadProxySettingsFromConfig().m_bUseProxy);
    ResetConfig();
}

}  // namespace
