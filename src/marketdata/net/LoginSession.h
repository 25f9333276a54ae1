#pragma once
// The start of every connection: the login request, then on success the code-table
// download, then the ex-rights download, and the 5-second keep-alive. Runs on the network
// thread: the two hooks are called by the client, the rest by reply handlers.
//
// The tables themselves belong to the market-data core; this side only carries their
// bytes. Its consumers are plugged in as CLoginSession::Tables, so the code runs (and is
// tested) without them.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "marketdata/net/ChunkedDownload.h"
#include "marketdata/net/Connection.h"
#include "protocol/LoginLink.h"

class CBuffer;
class CSubscriber;
struct CDataHead;

// Login values shared with the login dialog and the reports.
struct LoginValues {
    std::string m_strAccountName;   // from the last login reply
    std::string m_strPasswordText;  // base64 text of what the user typed
    int m_nGuest = 0;               // the next login is a guest's (the login dialog sets it)
    std::vector<std::string> m_serverStrings;
};
LoginValues GetLoginValues();
std::string GetAccountName();
void SetLoginPassword(const std::string& base64Text);
void SetGuestLogin(bool guest = true);


class CLoginSession : public std::enable_shared_from_this<CLoginSession> {
public:
    // What the session hands over and asks for. Every member may be empty.
    struct Tables {
        // CRC-16 of the held compressed code table (0 when none).
        std::function<uint16_t()> m_codeTableChecksum;
        // A complete code table arrived (fresh holds its compressed bytes) or the held
        // one is current (fresh is null). Parse it, then save "code.dat".
        std::function<void(std::vector<uint8_t>* fresh)> m_onCodeTable;
        // The two version words of the held ex-rights table.
        std::function<std::pair<uint32_t, uint32_t>()> m_exRightsVersion;
        // A complete ex-rights download: decode, rebuild the table, save "cq.dat".
        std::function<void(std::vector<uint8_t> compressed)> m_onExRights;
        // Instead of the above, a table that reads the chunked reply itself: called with
        // each message body, true when the reply is complete. Then m_onExRightsDone
        // says whether the version words changed.
        std::function<bool(CBuffer& body)> m_exRightsReply;
        std::function<void(bool changed)> m_onExRightsDone;
    };
    struct Ui {
        // The login result (1 logged in, else refused) with the server's text.
        std::function<void(int result, const std::string& text)> m_onLoginResult;
        // Download popup: shown with its title and range by a first chunk that is not also
        // the last, advanced to the bytes received by a later one, hidden at the end.
        enum class Step { kShow, kAdvance, kHide };
        std::function<void(const std::string& title, uint32_t total, uint32_t received, Step step)>
            m_onProgress;
        // The usage report of a successful login.
        std::function<void()> m_onLoggedIn;
    };

    CLoginSession(CSubscriber& subscriber, Tables tables, Ui ui);

    // Installs the on-connect and heartbeat hooks. Once, before the first connect.
    void Install();

    // The deployment's account host that prefixes the login link.
    void SetAccountHost(std::string host) { m_strAccountHost = std::move(host); }

    void SendLoginRequest(const ConnectionPtr& connection, CBuffer& scratch);
    bool OnLoginReply(const CDataHead& head, CBuffer& body);
    void SendKeepAlive(const ConnectionPtr& connection, CBuffer& scratch);
    void SendCodeTableRequest(const ConnectionPtr& connection, CBuffer& buffer);
    void SendExRightsRequest(CBuffer& buffer, const ConnectionPtr& connection);

private:
    class CCodeTableDownload;
    class CExRightsDownload;

    std::weak_ptr<CLoginSession> Weak() { return weak_from_this(); }

    CSubscriber& m_subscriber;
    Tables m_tables;
    Ui m_ui;
    std::string m_strAccountHost;
    // The connection whose chain is running; a reply for an older one starts nothing.
    std::weak_ptr<Connection> m_pLoginConnection;
    // The last login sent was a guest's (13401): its account name stays empty.
    std::atomic<bool> m_bGuestSent{false};
};
