#include "marketdata/net/LoginSession.h"

#include "foundation/Buffer.h"
#include "foundation/Config.h"
#include "foundation/ParseError.h"
#include "foundation/TextCodec.h"
#include "protocol/DataHead.h"
#include "marketdata/net/NetLog.h"
#include "marketdata/net/Subscriber.h"
#include "protocol/Bodies.h"
#include "protocol/Wire.h"

namespace {
std::mutex g_loginMutex;
LoginValues g_login;

// Builds a request in buffer and writes it to the connection when it is established.
void WriteRequest(const ConnectionPtr& connection, CBuffer& buffer, uint16_t command,
                  int64_t serial) {
    CDataHead head;
    head.m_nSerial = serial;
    head.WriteToBuffer(buffer, command);
    if (connection && connection->IsConnected())
        connection->Send(buffer.GetData(), buffer.GetLength());
}

void StartRequest(CBuffer& buffer) {
    buffer.Clear();
    buffer.Extend(uint32_t(CDataHead::kSize));
}
}  // namespace

LoginValues GetLoginValues() {
    std::lock_guard lock(g_loginMutex);
    return g_login;
}

std::string GetAccountName() {
    std::lock_guard lock(g_loginMutex);
    return g_login.m_strAccountName;
}

void SetLoginPassword(const std::string& base64Text) {
    std::lock_guard lock(g_loginMutex);
    g_login.m_strPasswordText = base64Text;
}

void SetGuestLogin(bool guest) {
    std::lock_guard lock(g_loginMutex);
    g_login.m_nGuest = guest ? 1 : 0;
}

// ---------------------------------------------------------------------------------------

namespace {
using Step = CLoginSession::Ui::Step;
}  // namespace

class CLoginSession::CCodeTableDownload {
public:
    explicit CCodeTableDownload(std::weak_ptr<CLoginSession> session)
        : m_session(std::move(session)) {}

    bool OnReply(const ConnectionPtr& connection, CBuffer& body) {
        auto session = m_session.lock();
        if (!session) return true;
        const wire::ChunkScheme& scheme = wire::kCodeTableChunks;
        wire::ChunkReply reply;
        try {
            reply.Decode(body, scheme);
        } catch (const CParseError& e) {
            m_download.Reset();
            NetLog(std::string("code table download dropped: ") + e.what());
            return Fail(*session, connection, body);
        }
        const uint8_t flags = reply.flags;
        bool current = reply.IsCurrent(scheme, false);
        bool last = current || reply.IsLast(scheme);
        if (!current) {
            if (reply.IsFirst(scheme) && !m_download.Begin(reply.total))
                return Fail(*session, connection, body);
            if (reply.IsLast(scheme)) m_nServerChecksum = reply.checksum;
            if (!m_download.Add(reply.chunk)) return Fail(*session, connection, body);
        }
        if (!last) {
            // Only a first chunk that is not also the last one shows the popup.
            if (session->m_ui.m_onProgress)
                session->m_ui.m_onProgress(
                    "正在下载码表...", m_download.GetTotal(), m_download.GetReceived(),
                    flags == wire::kCodeTableFirst ? Step::kShow : Step::kAdvance);
            return false;
        }
        if (session->m_ui.m_onProgress)
            session->m_ui.m_onProgress("正在下载码表...", m_download.GetTotal(),
                                       m_download.GetReceived(), Step::kHide);
        if (current) {
            if (session->m_tables.m_onCodeTable) session->m_tables.m_onCodeTable(nullptr);
        } else if (m_download.IsComplete()) {
            std::vector<uint8_t> fresh = m_download.Take();
            if (session->m_tables.m_onCodeTable) session->m_tables.m_onCodeTable(&fresh);
        } else {
            NetLog("code table download ended short of its announced size; the held table stays");
        }
        session->SendExRightsRequest(body, connection);
        return true;
    }

private:
    bool Fail(CLoginSession& session, const ConnectionPtr& connection, CBuffer& body) {
        if (!m_download.GetError().empty())
            NetLog("code table download dropped: " + m_download.GetError());
        m_download.Reset();
        if (session.m_ui.m_onProgress)
            session.m_ui.m_onProgress("正在下载码表...", 0, 0, Step::kHide);
        session.SendExRightsRequest(body, connection);
        return true;
    }

    std::weak_ptr<CLoginSession> m_session;
    CChunkedDownload m_download;
    uint16_t m_nServerChecksum = 0;  // kept, not compared: the held table's CRC is recomputed
};

class CLoginSession::CExRightsDownload {
public:
    explicit CExRightsDownload(std::weak_ptr<CLoginSession> session)
        : m_session(std::move(session)) {}

    bool OnReply(CBuffer& body) {
        auto session = m_session.lock();
        if (!session) return true;
        const wire::ChunkScheme& scheme = wire::kExRightsChunks;
        wire::ChunkReply reply;
        try {
            reply.Decode(body, scheme, m_download.IsStarted());
        } catch (const CParseError& e) {
            m_download.Reset();
            NetLog(std::string("ex-rights download dropped: ") + e.what());
            return Fail(*session);
        }
        const uint8_t flags = reply.flags;
        if (reply.IsCurrent(scheme, m_download.IsStarted())) {
            if (session->m_ui.m_onProgress)
                session->m_ui.m_onProgress("正在下载除权数据...", 0, 0, Step::kHide);
            return true;
        }
        if (reply.IsFirst(scheme) && !m_download.Begin(reply.total)) return Fail(*session);
        if (!m_download.Add(reply.chunk)) return Fail(*session);
        if (!(flags & wire::kExRightsLast)) {
            if (session->m_ui.m_onProgress)
                session->m_ui.m_onProgress(
                    "正在下载除权数据...", m_download.GetTotal(), m_download.GetReceived(),
                    (flags & wire::kExRightsFirst) ? Step::kShow : Step::kAdvance);
            return false;
        }
        if (session->m_ui.m_onProgress)
            session->m_ui.m_onProgress("正在下载除权数据...", m_download.GetTotal(),
                                       m_download.GetReceived(), Step::kHide);
        if (!m_download.IsComplete()) {
            NetLog("ex-rights download ended short of its announced size; the held table stays");
            return true;
        }
        if (session->m_tables.m_onExRights) session->m_tables.m_onExRights(m_download.Take());
        return true;
    }

private:
    bool Fail(CLoginSession& session) {
        if (!m_download.GetError().empty())
            NetLog("ex-rights download dropped: " + m_download.GetError());
        m_download.Reset();
        if (session.m_ui.m_onProgress)
            session.m_ui.m_onProgress("正在下载除权数据...", 0, 0, Step::kHide);
        return true;
    }

    std::weak_ptr<CLoginSession> m_session;
    CChunkedDownload m_download;
};

// ---------------------------------------------------------------------------------------

CLoginSession::CLoginSession(CSubscriber& subscriber, Tables tables, Ui ui)
    : m_subscriber(subscriber),
      m_tables(std::move(tables)),
      m_ui(std::move(ui)),
      m_strAccountHost(GetConfigString("system", "account", "host", "")) {
    if (m_strAccountHost.empty()) m_strAccountHost = "127.0.0.1";
}

void CLoginSession::Install() {
    std::weak_ptr<CLoginSession> weak = Weak();
    m_subscriber.m_onConnectHook = [weak](const ConnectionPtr& connection, CBuffer& scratch) {
        if (auto self = weak.lock()) self->SendLoginRequest(connection, scratch);
    };
    m_subscriber.m_heartbeatHook = [weak](const ConnectionPtr& connection, CBuffer& scratch) {
        if (auto self = weak.lock()) self->SendKeepAlive(connection, scratch);
    };
}

void CLoginSession::SendLoginRequest(const ConnectionPtr& connection, CBuffer& scratch) {
    int64_t serial = CDataHead::NextSerial();
    m_pLoginConnection = connection;
    std::weak_ptr<CLoginSession> weak = Weak();
    m_subscriber.RegisterReply(serial, OwnerTag(this),
                               [weak](const CDataHead& head, CBuffer& body) {
                                   auto self = weak.lock();
                                   return self ? self->OnLoginReply(head, body) : true;
                               });

    std::string user = GetConfigString("system", "host", "username", "");
    LoginValues values = GetLoginValues();
    std::string link;
    if (!user.empty()) link = MakeAccountLink(m_strAccountHost, user, values.m_strPasswordText);
    uint16_t command = (link.empty() || values.m_nGuest) ? wire::kGuestLogin : wire::kLogin;
    m_bGuestSent = command == wire::kGuestLogin;

    StartRequest(scratch);
    wire::LoginRequest{link}.Encode(scratch);
    WriteRequest(connection, scratch, command, serial);
    m_subscriber.m_nLoginPending = 1;
}

bool CLoginSession::OnLoginReply(const CDataHead&, CBuffer& body) {
    wire::LoginReply reply;
    reply.Decode(body);  // a short reply throws to the dispatcher; the entry stays
    const uint8_t result = reply.result;
    const std::string& text = reply.text;  // the one wire text that is UTF-8 already
    // Whatever a server sends, a guest has no account name.
    std::string account = m_bGuestSent ? std::string() : AnsiToUtf8(reply.account);
    std::vector<std::string> strings;
    for (const std::string& s : reply.strings) strings.push_back(AnsiToUtf8(s));
    {
        std::lock_guard lock(g_loginMutex);
        g_login.m_strAccountName = account;
        for (auto& s : strings) g_login.m_serverStrings.push_back(std::move(s));
    }
    m_subscriber.m_nLoginPending = 0;
    if (result != 1) {
        m_subscriber.m_nLoggedIn = 0;
        NetLog("login refused: " + text);
        if (m_ui.m_onLoginResult) m_ui.m_onLoginResult(int8_t(result), text);
        return true;
    }
    m_subscriber.m_nLoggedIn = 1;
    m_subscriber.OnLoggedIn();
    if (m_ui.m_onLoginResult) m_ui.m_onLoginResult(1, text);
    SendCodeTableRequest(m_pLoginConnection.lock(), body);
    if (m_ui.m_onLoggedIn) m_ui.m_onLoggedIn();
    return true;
}

void CLoginSession::SendKeepAlive(const ConnectionPtr& connection, CBuffer& scratch) {
    StartRequest(scratch);
    WriteRequest(connection, scratch, wire::kKeepAlive, CDataHead::NextSerial());
}

void CLoginSession::SendCodeTableRequest(const ConnectionPtr& connection, CBuffer& buffer) {
    int64_t serial = CDataHead::NextSerial();
    auto download = std::make_shared<CCodeTableDownload>(Weak());
    std::weak_ptr<Connection> weakConnection = connection;
    m_subscriber.RegisterReply(serial, OwnerTag(this),
                               [download, weakConnection](const CDataHead&, CBuffer& body) {
                                   return download->OnReply(weakConnection.lock(), body);
                               });
    StartRequest(buffer);
    wire::CodeTableRequest{uint16_t(m_tables.m_codeTableChecksum ? m_tables.m_codeTableChecksum() : 0)}
        .Encode(buffer);
    WriteRequest(connection, buffer, wire::kCodeTable, serial);
}

void CLoginSession::SendExRightsRequest(CBuffer& buffer, const ConnectionPtr& connection) {
    int64_t serial = CDataHead::NextSerial();
    auto version = m_tables.m_exRightsVersion ? m_tables.m_exRightsVersion()
                                              : std::pair<uint32_t, uint32_t>{0, 0};
    if (m_tables.m_exRightsReply) {
        std::weak_ptr<CLoginSession> weak = Weak();
        m_subscriber.RegisterReply(
            serial, OwnerTag(this), [weak, version](const CDataHead&, CBuffer& body) {
                auto self = weak.lock();
                if (!self) return true;
                if (!self->m_tables.m_exRightsReply(body)) return false;
                if (self->m_tables.m_onExRightsDone) {
                    auto now = self->m_tables.m_exRightsVersion ? self->m_tables.m_exRightsVersion()
                                                                : version;
                    self->m_tables.m_onExRightsDone(now != version);
                }
                return true;
            });
    } else {
        auto download = std::make_shared<CExRightsDownload>(Weak());
        m_subscriber.RegisterReply(
            serial, OwnerTag(this),
            [download](const CDataHead&, CBuffer& body) { return download->OnReply(body); });
    }
    StartRequest(buffer);
    wire::ExRightsRequest{version.first, version.second}.Encode(buffer);
    WriteRequest(connection, buffer, wire::kExRights, serial);
}
