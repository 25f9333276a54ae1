#include "marketdata/net/ProxyHandshake.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "foundation/Base64.h"
#include "foundation/Config.h"

namespace {
std::mutex g_settingsMutex;
ProxySettings g_settings;

void PutPort(std::vector<uint8_t>& out, uint16_t port) {
    out.push_back(uint8_t(port >> 8));
    out.push_back(uint8_t(port));
}

void PutAddress(std::vector<uint8_t>& out, uint32_t networkOrder) {
    const auto* p = reinterpret_cast<const uint8_t*>(&networkOrder);
    out.insert(out.end(), p, p + 4);
}
}  // namespace

ProxySettings GetProxySettings() {
    std::lock_guard lock(g_settingsMutex);
    return g_settings;
}

void SetProxySettings(const ProxySettings& settings) {
    std::lock_guard lock(g_settingsMutex);
    g_settings = settings;
}

ProxySettings ReadProxySettingsFromConfig() {
    ProxySettings s;
    int type = GetConfigInt("system", "Socket", "ProxyType", kProxySocks5);
    int port = GetConfigInt("system", "Socket", "ProxyPort", 0);
    s.m_strAddress = GetConfigString("system", "Socket", "ProxyAddress", "");
    s.m_strUser = GetConfigString("system", "Socket", "ProxyName", "");
    s.m_strPassword = GetConfigString("system", "Socket", "ProxyPassword", "");
    bool known = type >= kProxySocks4 && type <= kProxyHttpAuth;
    s.m_nType = known ? uint16_t(type) : uint16_t(kProxySocks5);
    s.m_nPort = port > 0 && port <= 65535 ? uint16_t(port) : 0;
    s.m_bUseProxy = GetConfigInt("system", "Socket", "UseProxy", 0) != 0 && known && s.m_nPort != 0;
    return s;
}

void WriteProxySettingsToConfig(const ProxySettings& s, bool save) {
    SetConfigInt("system", "Socket", "UseProxy", s.m_bUseProxy ? 1 : 0, false);
    SetConfigString("system", "Socket", "ProxyAddress", s.m_strAddress, false);
    SetConfigInt("system", "Socket", "ProxyPort", s.m_nPort, false);
    SetConfigString("system", "Socket", "ProxyName", s.m_strUser, false);
    SetConfigString("system", "Socket", "ProxyPassword", s.m_strPassword, false);
    SetConfigInt("system", "Socket", "ProxyType", s.m_nType, save);
}

CProxyHandshake::CProxyHandshake(const ProxySettings& settings, ProxyTarget target)
    : m_settings(settings), m_target(std::move(target)) {}

bool CProxyHandshake::FirstRequest(std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    switch (m_settings.m_nType) {
        case kProxySocks4:
        case kProxySocks4A:
            if (m_target.m_nAddress == 0 && m_settings.m_nType == kProxySocks4) {
                error = "SOCKS4 needs the server's IPv4 address";
                return false;
            }
            out = {0x04, 0x01};
            PutPort(out, m_target.m_nPort);
            if (m_target.m_nAddress != 0) {
                PutAddress(out, m_target.m_nAddress);
                out.push_back(0x00);
            } else {
                if (m_target.m_strName.empty() || m_target.m_strName.size() > kMaxFieldLength) {
                    error = "server name does not fit a SOCKS4A request";
                    return false;
                }
                out.insert(out.end(), {0x00, 0x00, 0x00, 0x01, 0x00});
                out.insert(out.end(), m_target.m_strName.begin(), m_target.m_strName.end());
                out.push_back(0x00);
            }
            return true;
        case kProxySocks5:
            out = {0x05, 0x01, 0x00};
            return true;
        case kProxySocks5Auth:
            if (m_settings.m_strUser.size() > kMaxFieldLength ||
                m_settings.m_strPassword.size() > kMaxFieldLength) {
                error = "proxy user name or password longer than 255 bytes";
                return false;
            }
            out = {0x05, 0x02, 0x02, 0x00};
            return true;
        case kProxyHttp:
        case kProxyHttpAuth: {
            std::string text = "CONNECT " + m_target.m_strName + ":" +
                               std::to_string(m_target.m_nPort) +
                               " HTTP/1.1\r\nHost: " + m_target.m_strName + ":" +
                               std::to_string(m_target.m_nPort) + "\r\n";
            if (m_settings.m_nType == kProxyHttpAuth)
                text += "Proxy-Authorization: Basic " +
                        Base64EncodeString(m_settings.m_strUser + ":" + m_settings.m_strPassword) +
                        "\r\n";
            text += "\r\n";
            out.assign(text.begin(), text.end());
            return true;
        }
        default:
            error = "unknown proxy type " + std::to_string(m_settings.m_nType);
            return false;
    }
}

CProxyHandshake::Step CProxyHandshake::Feed(const uint8_t* data, size_t length, size_t& consumed,
                                            std::vector<uint8_t>& out) {
    consumed = 0;
    out.clear();
    switch (m_settings.m_nType) {
        case kProxySocks4:
        case kProxySocks4A:
            return FeedSocks4(data, length, consumed);
        case kProxySocks5:
        case kProxySocks5Auth:
            return FeedSocks5(data, length, consumed, out);
        case kProxyHttp:
        case kProxyHttpAuth:
            return FeedHttp(data, length, consumed);
        default:
            m_strError = "unknown proxy type";
            return Step::kFail;
    }
}

CProxyHandshake::Step CProxyHandshake::FeedSocks4(const uint8_t* data, size_t length,
                                                  size_t& consumed) {
    if (length < 8) return Step::kWait;
    consumed = 8;
    if (data[1] == 0x5A) return Step::kReady;
    m_strError = "SOCKS4 proxy refused the request (code " + std::to_string(data[1]) + ")";
    return Step::kFail;
}

bool CProxyHandshake::Socks5ConnectRequest(std::vector<uint8_t>& out) {
    out = {0x05, 0x01, 0x00};
    if (m_target.m_nAddress != 0) {
        out.push_back(0x01);
        PutAddress(out, m_target.m_nAddress);
    } else {
        if (m_target.m_strName.size() > kMaxFieldLength) {
            m_strError = "server name longer than 255 bytes";
            return false;
        }
        out.push_back(0x03);
        out.push_back(uint8_t(m_target.m_strName.size()));
        out.insert(out.end(), m_target.m_strName.begin(), m_target.m_strName.end());
    }
    PutPort(out, m_target.m_nPort);
    m_bConnectSent = true;
    return true;
}

CProxyHandshake::Step CProxyHandshake::FeedSocks5(const uint8_t* data, size_t length,
                                                  size_t& consumed, std::vector<uint8_t>& out) {
    if (length < 2) return Step::kWait;
    if (m_bConnectSent) {
        // 05 status 00 type address port; the address part's size depends on its type.
        if (data[0] != 0x05) {
            m_strError = "malformed SOCKS5 connect reply";
            return Step::kFail;
        }
        if (data[1] != 0x00) {
            consumed = length;
            m_strError = "SOCKS5 proxy refused the connect (code " + std::to_string(data[1]) + ")";
            return Step::kFail;
        }
        if (length < 5) return Step::kWait;
        size_t total = 0;
        switch (data[3]) {
            case 0x01:
                total = 4 + 4 + 2;
                break;
            case 0x04:
                total = 4 + 16 + 2;
                break;
            case 0x03:
                total = 4 + 1 + size_t(data[4]) + 2;
                break;
            default:
                m_strError = "malformed SOCKS5 connect reply";
                return Step::kFail;
        }
        if (length < total) return Step::kWait;
        consumed = total;
        return Step::kReady;
    }
    if (m_bAuthSent) {
        // RFC 1929 status: 01 00 is success.
        consumed = 2;
        if (data[0] == 0x01 && data[1] == 0x00)
            return Socks5ConnectRequest(out) ? Step::kSend : Step::kFail;
        m_strError = "SOCKS5 proxy refused the user name or password";
        return Step::kFail;
    }
    consumed = 2;
    if (data[0] != 0x05) {
        m_strError = "not a SOCKS5 proxy";
        return Step::kFail;
    }
    if (data[1] == 0x00) return Socks5ConnectRequest(out) ? Step::kSend : Step::kFail;
    if (data[1] == 0x02 && m_settings.m_nType == kProxySocks5Auth) {
        const std::string& user = m_settings.m_strUser;
        const std::string& password = m_settings.m_strPassword;
        out = {0x01, uint8_t(user.size())};
        out.insert(out.end(), user.begin(), user.end());
        out.push_back(uint8_t(password.size()));
        out.insert(out.end(), password.begin(), password.end());
        m_bAuthSent = true;
        return Step::kSend;
    }
    m_strError = "SOCKS5 proxy accepts none of the offered methods";
    return Step::kFail;
}

CProxyHandshake::Step CProxyHandshake::FeedHttp(const uint8_t* data, size_t length,
                                                size_t& consumed) {
    std::string_view text(reinterpret_cast<const char*>(data), length);
    size_t end = text.find("\r\n\r\n");
    if (end == std::string_view::npos) {
        if (length > kMaxHttpHead) {
            m_strError = "HTTP proxy answer too long";
            return Step::kFail;
        }
        return Step::kWait;
    }
    consumed = end + 4;
    // Status line "HTTP/1.x 200 <any phrase>".
    std::string_view line = text.substr(0, text.find("\r\n"));
    size_t space = line.find(' ');
    if (line.substr(0, 5) == "HTTP/" && space != std::string_view::npos &&
        line.substr(space + 1, 3) == "200" && (line.size() == space + 4 || line[space + 4] == ' '))
        return Step::kReady;
    m_strError = "HTTP proxy refused: " + std::string(line);
    return Step::kFail;
}
