#pragma once
// What the host dialogs decide, apart from the dialogs: the proxy type a radio choice
// stands for, the port text a user may type, the chosen server written for the next
// login, the proxy settings stored and restored, and edited host lists taken over by the
// running client.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "marketdata/net/HostInfo.h"
#include "marketdata/net/ProxyHandshake.h"

class CSubscriber;

// Proxy-type radio buttons of the host editor.
inline constexpr int kRadioSocks4 = 108;
inline constexpr int kRadioSocks5 = 109;
inline constexpr int kRadioHttp = 110;

// The proxy type of a radio choice: SOCKS4 100; SOCKS5 103 with both a user name and a
// password, else 102; HTTP 105 with both, else 104; no radio keeps `current`.
uint16_t ProxyTypeForChoice(int radio, const std::string& user, const std::string& password,
                            uint16_t current);
// The radio that shows a stored type (101, or an unknown type: none, 0).
int RadioForProxyType(uint16_t type);

// A port typed by the user: decimal digits only, 1..65535. False with a message to show.
bool ParsePortText(std::string_view text, uint16_t& port, std::string& error);

// "system"/"host" address and port for the next login (saved at once).
void StoreChosenHost(const stHostDesc& host);

// The editor's OK: the settings take effect at the next connect and are saved to the
// keys start-up reads back (RestoreProxySettings).
void ApplyProxySettings(const ProxySettings& settings);
// Start-up: the settings the editor stored last time.
void RestoreProxySettings();

// The dialogs' edited list replaces `hosts`; entries not listed before join the running
// client's fail-over list at once (when there is a client) and the start-up list.
void TakeEditedHosts(CHostInfo& hosts, const std::vector<stHostDesc>& edited,
                     CSubscriber* client);

// The host lists of the two host dialogs, apart from their windows: the selection and the
// editor's add mode (browsing: a row click selects; adding: row clicks are ignored, the
// add label reads "确定添加" and a cancel label is offered).
class CHostListModel {
public:
    static constexpr const char* kAddText = "新增主站";
    static constexpr const char* kConfirmText = "确定添加";
    static constexpr const char* kIncompleteText = "添加的主机信息不能为空！";

    explicit CHostListModel(std::vector<stHostDesc> hosts = {});
    const std::vector<stHostDesc>& Hosts() const { return m_hosts; }
    // -1 when nothing is selected (an empty list); row 0 at the start otherwise.
    int Selected() const { return m_nSelected; }
    // A row click: ignored while adding or outside the list. True when it selected.
    bool Select(int row);
    // The three cells of a row: name, "很快", "一般".
    static std::vector<std::string> RowTexts(const stHostDesc& host);

    bool IsAdding() const { return m_bAdding; }
    const char* AddLabelText() const { return m_bAdding ? kConfirmText : kAddText; }
    // The add label: enters add mode; or, while adding, adds the typed host. Returns the
    // message to show (empty when nothing is wrong); on success the new host is selected
    // and add mode ends, otherwise add mode stays.
    std::string OnAddLabel(const std::string& name, const std::string& address,
                           const std::string& portText);
    void CancelAdd() { m_bAdding = false; }
    // The selection dialog's OK: stores the selected server for the next login; false
    // (nothing written) when nothing is selected.
    bool StoreSelected() const;

private:
    std::vector<stHostDesc> m_hosts;
    int m_nSelected = -1;
    bool m_bAdding = false;
};
