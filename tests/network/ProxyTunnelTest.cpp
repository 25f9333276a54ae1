// Logging in to the real server through small fake proxies on loopback: every handshake
// kind, byte for byte as the proxy sees it, then the tunnel carries the protocol.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "ClientHarness.h"
#include "TestSupport.h"
#include "foundation/Base64.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Accepts one client, checks and answers its handshake, then relays to the server.
class CFakeProxy {
public:
    CFakeProxy(uint16_t type, uint16_t serverPort) : m_nType(type), m_nServerPort(serverPort) {
        m_thread = std::thread([this] { Serve(); });
    }
    ~CFakeProxy() {
        m_bStop = true;
        m_thread.join();
    }
    uint16_t Port() const { return m_listener.Port(); }
    Bytes Received() {
        std::lock_guard lock(m_mutex);
        return m_handshake;
    }

private:
    Bytes Read(int fd, size_t n) {
        Bytes b = ReadExactly(fd, n);
        std::lock_guard lock(m_mutex);
        m_handshake.insert(m_handshake.end(), b.begin(), b.end());
        return b;
    }
    std::string ReadHttpHead(int fd) {
        std::string head;
        while (head.find("\r\n\r\n") == std::string::npos) {
            Bytes b = Read(fd, 1);
            if (b.empty()) return head;
            head += char(b[0]);
        }
        return head;
    }
    void Serve() {
        int client = m_listener.Accept();
        if (client < 0) return;
        bool ok = Handshake(client);
        if (ok) Relay(client);
        CloseSocket(client);
    }
    bool Handshake(int fd) {
        switch (m_nType) {
            case kProxySocks4:
            case kProxySocks4A: {
                Bytes head = Read(fd, 9);
                if (head.size() != 9) return false;
                // Reply in two pieces, as a slow proxy would.
                WriteAll(fd, Bytes{0x00, 0x5A, 0, 0});
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                return WriteAll(fd, Bytes{0, 0, 0, 0});
            }
            case kProxySocks5:
            case kProxySocks5Auth: {
                Bytes greeting = Read(fd, 2);
                if (greeting.size() != 2) return false;
                Bytes methods = Read(fd, greeting[1]);
                bool auth = m_nType == kProxySocks5Auth;
                WriteAll(fd, Bytes{0x05, uint8_t(auth ? 0x02 : 0x00)});
                if (auth) {
                    Bytes v = Read(fd, 2);
                    Bytes user = Read(fd, v[1]);
                    Bytes pl = Read(fd, 1);
                    Bytes pass = Read(fd, pl[0]);
                    WriteAll(fd, Bytes{0x01, 0x00});
                }
                Bytes request = Read(fd, 4);
                if (request.size() != 4 || request[3] != 0x01) return false;
                Read(fd, 6);
                return WriteAll(fd, Bytes{0x05, 0x00, 0x00, 0x01, 127, 0, 0, 1, 0x12, 0x34});
            }
            default: {
                std::string head = ReadHttpHead(fd);
                return WriteAll(fd, Bytes{'H', 'T', 'T', 'P', '/', '1', '.', '0', ' ', '2', '0',
                                          '0', ' ', 'O', 'K', '\r', '\n', '\r', '\n'});
            }
        }
    }
    void Relay(int client) {
        int server = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(m_nServerPort);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            CloseSocket(server);
            return;
        }
        pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        char buffer[65536];
        while (!m_bStop) {
            if (poll(fds, 2, 50) < 0) break;
            bool closed = false;
            for (int i = 0; i < 2; ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
                ssize_t n = recv(fds[i].fd, buffer, sizeof buffer, 0);
                if (n <= 0 || !WriteAll(fds[1 - i].fd, buffer, size_t(n))) closed = true;
            }
            if (closed) break;
        }
        CloseSocket(server);
    }

    uint16_t m_nType;
    uint16_t m_nServerPort;
    CLoopbackListener m_listener;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
    std::mutex m_mutex;
    Bytes m_handshake;
};

struct ProxyReset {
    ~ProxyReset() { SetProxySettings(ProxySettings{}); }
};

TEST(ProxyTunnel, EveryHandshakeKindCarriesTheLoginAndTheDownloads) {
    ProxyReset reset;
    CServerProcess server;
    ASSERT_TRUE(server.Running());
    const uint16_t port = server.Port();
    const Bytes portBytes = {uint8_t(port >> 8), uint8_t(port)};
    const std::string hostPort = "127.0.0.1:" + std::to_string(port);
    struct Case {
        uint16_t type;
        Bytes expected;
    };
    Bytes socks4 = {0x04, 0x01, portBytes[0], portBytes[1], 127, 0, 0, 1, 0x00};
    Bytes socks5 = {0x05, 0x01, 0x00, 0x05, 0x01,         0x00,        0x01,
                    127,  0,    0,    1,    portBytes[0], portBytes[1]};
    Bytes socks5auth = {0x05, 0x02, 0x02, 0x00, 0x01, 0x04,         'u',         's',
                        'e',  'r',  0x02, 'p',  'w',  0x05,         0x01,        0x00,
                        0x01, 127,  0,    0,    1,    portBytes[0], portBytes[1]};
    std::string http = "CONNECT " + hostPort + " HTTP/1.1\r\nHost: " + hostPort + "\r\n\r\n";
    std::string httpAuth = "CONNECT " + hostPort + " HTTP/1.1\r\nHost: " + hostPort +
                           "\r\nProxy-Authorization: Basic " + Base64EncodeString("user:pw") +
                           "\r\n\r\n";
    Case cases[] = {
        {kProxySocks4, socks4},
        {kProxySocks4A, socks4},
        {kProxySocks5, socks5},
        {kProxySocks5Auth, socks5auth},
        {kProxyHttp, Bytes(http.begin(), http.end())},
        {kProxyHttpAuth, Bytes(httpAuth.begin(), httpAuth.end())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        CFakeProxy proxy(c.type, port);
        ProxySettings settings;
        settings.m_bUseProxy = true;
        settings.m_nType = c.type;
        settings.m_strAddress = "127.0.0.1";
        settings.m_nPort = proxy.Port();
        settings.m_strUser = "user";
        settings.m_strPassword = "pw";
        SetProxySettings(settings);
        CClientHarness harness({{"127.0.0.1", port}}, {"127.0.0.1", port});
        harness.Connect();
        EXPECT_TRUE(WaitUntil([&] { return harness.Record().ExRights() == 1; }));
        EXPECT_EQ(harness.Record().m_loginResults, std::vector<int>{1});
        EXPECT_EQ(proxy.Received(), c.expected);
    }
}

TEST(ProxyTunnel, ARefusedTunnelMovesOnToTheNextServerNotTheNextProxyAddress) {
    ProxyReset reset;
    CLoopbackListener proxyListener;
    std::atomic<int> secondTargetPort{-1};
    std::thread proxy([&] {
        // The first tunnel is refused; the second one's connect request names its server.
        int fd = proxyListener.Accept();
        if (fd < 0) return;
        ReadExactly(fd, 3);
        WriteAll(fd, Bytes{0x05, 0xFF});
        WaitForClose(fd);
        CloseSocket(fd);
        fd = proxyListener.Accept();
        if (fd < 0) return;
        ReadExactly(fd, 3);
        WriteAll(fd, Bytes{0x05, 0x00});
        Bytes request = ReadExactly(fd, 10);
        if (request.size() == 10) secondTargetPort = request[8] << 8 | request[9];
        CloseSocket(fd);
    });
    ProxySettings settings;
    settings.m_bUseProxy = true;
    settings.m_nType = kProxySocks5;
    settings.m_strAddress = "127.0.0.1";
    settings.m_nPort = proxyListener.Port();
    SetProxySettings(settings);
    CClientHarness harness({{"127.0.0.1", 1001}, {"127.0.0.1", 1002}}, {"127.0.0.1", 1001});
    harness.Client().SetRetryDelays(1, 10);
    harness.Connect();
    proxy.join();
    EXPECT_EQ(secondTargetPort.load(), 1002);
    harness.Client().Stop();
}

TEST(ProxyTunnel, AProxyThatNeverAnswersIsGivenUp) {
    ProxyReset reset;
    CLoopbackListener silent;
    ProxySettings settings;
    settings.m_bUseProxy = true;
    settings.m_nType = kProxyHttp;
    settings.m_strAddress = "127.0.0.1";
    settings.m_nPort = silent.Port();
    SetProxySettings(settings);
    CClientHarness harness({{"127.0.0.1", 1001}}, {"127.0.0.1", 1001});
    harness.Client().SetProxyHandshakeTimeout(50);
    harness.Client().SetRetryDelays(1, 10);
    harness.Connect();
    int first = silent.Accept();
    ASSERT_GE(first, 0);
    EXPECT_TRUE(WaitForClose(first)) << "the silent tunnel is closed by the client";
    int second = silent.Accept();
    EXPECT_GE(second, 0) << "and tried again";
    harness.Client().Stop();
    CloseSocket(first);
    CloseSocket(second);
}

// A name server on loopback that answers when told to: one UDP socket.
class CLoopbackNameServer {
public:
    CLoopbackNameServer() {
        m_nFd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_nFd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t n = sizeof a;
        getsockname(m_nFd, reinterpret_cast<sockaddr*>(&a), &n);
        m_nPort = ntohs(a.sin_port);
    }
    ~CLoopbackNameServer() { close(m_nFd); }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_nPort); }
    // Waits for one query; false on time-out.
    bool ReceiveQuery() {
        pollfd p{m_nFd, POLLIN, 0};
        if (poll(&p, 1, 20000) != 1) return false;
        m_query.resize(512);
        socklen_t n = sizeof m_from;
        ssize_t got = recvfrom(m_nFd, m_query.data(), m_query.size(), 0,
                               reinterpret_cast<sockaddr*>(&m_from), &n);
        if (got < 12) return false;
        m_query.resize(size_t(got));
        return true;
    }
    // Answers the last query with one IPv4 address record.
    void Answer(uint32_t hostOrderAddress) {
        Bytes reply = m_query;
        reply[2] = 0x81;  // a response, recursion desired and available, no error
        reply[3] = 0x80;
        reply[6] = 0;  // one answer, nothing else
        reply[7] = 1;
        reply[8] = reply[9] = reply[10] = reply[11] = 0;
        Bytes answer = {0xC0, 0x0C, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4};
        for (int shift = 24; shift >= 0; shift -= 8) answer.push_back(uint8_t(hostOrderAddress >> shift));
        reply.insert(reply.end(), answer.begin(), answer.end());
        sendto(m_nFd, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&m_from),
               sizeof m_from);
    }

private:
    int m_nFd = -1;
    uint16_t m_nPort = 0;
    Bytes m_query;
    sockaddr_in m_from{};
};

TEST(ProxyTunnel, AServerNameIsResolvedWithoutBlockingTheLoop) {
    ProxyReset reset;
    CLoopbackNameServer names;
    CLoopbackListener proxy;
    ProxySettings settings;
    settings.m_bUseProxy = true;
    settings.m_nType = kProxySocks4;  // carries an address only: the name must resolve
    settings.m_strAddress = "127.0.0.1";
    settings.m_nPort = proxy.Port();
    SetProxySettings(settings);
    CClientHarness harness({{"quotes.tarrow.test", 7709}}, {"quotes.tarrow.test", 7709});
    harness.Client().SetNameServer(names.Address());
    harness.Connect();
    ASSERT_TRUE(names.ReceiveQuery()) << "the name went to the loop's resolver";
    // The question is unanswered: the loop runs other work meanwhile.
    EXPECT_TRUE(DrainLoop()) << "the event loop is blocked by the lookup";
    names.Answer(0x7F000001);
    int fd = proxy.Accept();
    ASSERT_GE(fd, 0) << "the answer leads to the proxy";
    EXPECT_EQ(ReadExactly(fd, 9), (Bytes{0x04, 0x01, 0x1E, 0x1D, 127, 0, 0, 1, 0x00}));
    harness.Client().Stop();
    CloseSocket(fd);
}

TEST(ProxyTunnel, AClientDestroyedWhileANameIsLookedUpLeavesNothingBehind) {
    ProxyReset reset;
    CLoopbackNameServer names;
    CLoopbackListener proxy;
    ProxySettings settings;
    settings.m_bUseProxy = true;
    settings.m_nType = kProxySocks5;
    settings.m_strAddress = "127.0.0.1";
    settings.m_nPort = proxy.Port();
    SetProxySettings(settings);
    {
        CClientHarness harness({{"quotes.tarrow.test", 7709}}, {"quotes.tarrow.test", 7709});
        harness.Client().SetNameServer(names.Address());
        harness.Connect();
        ASSERT_TRUE(names.ReceiveQuery());
    }
    // The harness drained the loop after letting go of the client: its resolver is gone
    // with the lookup (failed, finding no client), and no answer can lead anywhere.
    names.Answer(0x7F000001);
    ASSERT_TRUE(DrainLoop());
    EXPECT_EQ(proxy.Accept(std::chrono::milliseconds(0)), -1);
}

}  // namespace
