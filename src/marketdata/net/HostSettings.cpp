#include "marketdata/net/HostSettings.h"

#include <algorithm>

#include "foundation/Config.h"
#include "marketdata/net/Subscriber.h"

uint16_t ProxyTypeForChoice(int radio, const std::string& user, const std::string& password,
                            uint16_t current) {
    const bool credentials = !user.empty() && !password.empty();
    switch (radio) {
        case kRadioSocks4: return kProxySocks4;
        case kRadioSocks5: return credentials ? kProxySocks5Auth : kProxySocks5;
        case kRadioHttp: return credentials ? kProxyHttpAuth : kProxyHttp;
        default: return current;
    }
}

int RadioForProxyType(uint16_t type) {
    switch (type) {
        case kProxySocks4: return kRadioSocks4;
        case kProxySocks5:
        case kProxySocks5Auth: return kRadioSocks5;
        case kProxyHttp:
        case kProxyHttpAuth: return kRadioHttp;
        default: return 0;
    }
}

bool ParsePortText(std::string_view text, uint16_t& port, std::string& error) {
    uint32_t value = 0;
    bool digits = !text.empty() && text.size() <= 5;
    for (char c : text) {
        if (c < '0' || c > '9') {
            digits = false;
            break;
        }
        value = value * 10 + uint32_t(c - '0');
    }
    if (!digits || value < 1 || value > 65535) {
        error = "端口必须是1到65535之间的整数！";
        return false;
    }
    port = uint16_t(value);
    return true;
}

void StoreChosenHost(const stHostDesc& host) {
    SetConfigString("system", "host", "address", host.ip, false);
    SetConfigInt("system", "host", "port", host.port, true);
}

void ApplyProxySettings(const ProxySettings& settings) {
    SetProxySettings(settings);
    WriteProxySettingsToConfig(settings, true);
}

void RestoreProxySettings() {
    SetProxySettings(ReadProxySettingsFromConfig());
}

void TakeEditedHosts(CHostInfo& hosts, const std::vector<stHostDesc>& edited,
                     CSubscriber* client) {
    hosts.m_hosts = edited;
    for (const stHostDesc& host : edited) {
        if (host.ip.empty() || host.port == 0) continue;
        const HostAddress address{host.ip, host.port};
        if (std::find(hosts.m_addresses.begin(), hosts.m_addresses.end(), address) ==
            hosts.m_addresses.end())
            hosts.m_addresses.push_back(address);
        if (client) client->AddFailOverHost(address);
    }
}

CHostListModel::CHostListModel(std::vector<stHostDesc> hosts)
    : m_hosts(std::move(hosts)), m_nSelected(m_hosts.empty() ? -1 : 0) {}

bool CHostListModel::Select(int row) {
    if (m_bAdding || row < 0 || row >= int(m_hosts.size())) return false;
    m_nSelected = row;
    return true;
}

std::vector<std::string> CHostListModel::RowTexts(const stHostDesc& host) {
    return {host.name, "很快", "一般"};
}

std::string CHostListModel::OnAddLabel(const std::string& name, const std::string& address,
                                       const std::string& portText) {
    if (!m_bAdding) {
        m_bAdding = true;
        return {};
    }
    if (name.empty() || address.empty() || portText.empty()) return kIncompleteText;
    stHostDesc host;
    std::string error;
    if (!ParsePortText(portText, host.port, error)) return error;
    host.name = name;
    host.ip = address;
    m_hosts.push_back(std::move(host));
    m_nSelected = int(m_hosts.size()) - 1;
    m_bAdding = false;
    return {};
}

bool CHostListModel::StoreSelected() const {
    if (m_nSelected < 0 || m_nSelected >= int(m_hosts.size())) return false;
    StoreChosenHost(m_hosts[size_t(m_nSelected)]);
    return true;
}
