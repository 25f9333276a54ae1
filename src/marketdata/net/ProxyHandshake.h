#pragma once
// The SOCKS4, SOCKS4A, SOCKS5 and HTTP CONNECT handshakes that open a tunnel through a
// proxy before the message protocol starts. Pure byte logic, no sockets: the network
// client feeds it what the proxy sends and writes what it returns.
//
// Replies are accumulated until complete, and exactly the proxy's reply is consumed, so a
// reply split across reads works and the server's first bytes after the tunnel stands
// reach the message framing untouched.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

enum ProxyType : uint16_t {
    kProxySocks4 = 100,
    kProxySocks4A = 101,
    kProxySocks5 = 102,
    kProxySocks5Auth = 103,
    kProxyHttp = 104,
    kProxyHttpAuth = 105,
};

struct ProxySettings {
    bool m_bUseProxy = false;
    uint16_t m_nType = kProxySocks5;
    std::string m_strAddress;  // dotted IPv4 text
    uint16_t m_nPort = 0;
    std::string m_strUser;
    std::string m_strPassword;
};

// The process-wide settings the host editor writes and the client reads at each connect.
ProxySettings GetProxySettings();
void SetProxySettings(const ProxySettings& settings);
// The settings as the host editor stored them in appconfig.xml ("system" / "Socket" /
// UseProxy, ProxyType, ProxyAddress, ProxyPort, ProxyName, ProxyPassword), so that a
// start-up can restore them. Missing keys keep the defaults; an unknown type or a port
// out of range leaves the proxy off.
ProxySettings ReadProxySettingsFromConfig();
void WriteProxySettingsToConfig(const ProxySettings& settings, bool save);

// The server the tunnel leads to.
struct ProxyTarget {
    uint32_t m_nAddress = 0;  // IPv4 in network order; 0 when it did not resolve locally
    std::string m_strName;    // the configured host text
    uint16_t m_nPort = 0;     // host order
};

class CProxyHandshake {
public:
    enum class Step {
        kWait,   // the reply is not complete yet: feed more bytes
        kSend,   // write the returned bytes, then feed the next reply
        kReady,  // the tunnel stands
        kFail,   // refused or malformed: close the connection
    };

    // Longest user name, password or target name the SOCKS forms can carry.
    static constexpr size_t kMaxFieldLength = 255;
    // Longest HTTP answer head we wait for.
    static constexpr size_t kMaxHttpHead = 16 * 1024;

    CProxyHandshake(const ProxySettings& settings, ProxyTarget target);

    // The first request. Fails (error set) when a field does not fit the protocol, or a
    // SOCKS4 target has no address.
    bool FirstRequest(std::vector<uint8_t>& out, std::string& error);

    // Offers the bytes received so far (not yet consumed). Sets consumed to what belonged
    // to the proxy's reply, out to the bytes to send when the step is kSend.
    Step Feed(const uint8_t* data, size_t length, size_t& consumed, std::vector<uint8_t>& out);

    bool AuthenticationSent() const { return m_bAuthSent; }
    bool ConnectSent() const { return m_bConnectSent; }
    const std::string& GetError() const { return m_strError; }

private:
    Step FeedSocks4(const uint8_t* data, size_t length, size_t& consumed);
    Step FeedSocks5(const uint8_t* data, size_t length, size_t& consumed,
                    std::vector<uint8_t>& out);
    Step FeedHttp(const uint8_t* data, size_t length, size_t& consumed);
    bool Socks5ConnectRequest(std::vector<uint8_t>& out);

    ProxySettings m_settings;
    ProxyTarget m_target;
    bool m_bAuthSent = false;
    bool m_bConnectSent = false;
    std::string m_strError;
};
