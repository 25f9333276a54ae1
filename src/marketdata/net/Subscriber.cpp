#include "marketdata/net/Subscriber.h"

#include <arpa/inet.h>
#include <event2/buffer.h>
#include <event2/dns.h>
#include <event2/event.h>
#include <event2/util.h>
#include <netdb.h>

#include <algorithm>
#include <utility>

#include "foundation/ParseError.h"
#include "marketdata/net/EventLoopThread.h"
#include "marketdata/net/NetLog.h"
#include "marketdata/net/WireProtocol.h"

namespace {
std::atomic<CSubscriber*> g_pSubscriber{nullptr};

bool ParseDotted(const std::string& text, in_addr& out) {
    return inet_pton(AF_INET, text.c_str(), &out) == 1;
}
}  // namespace

CSubscriber* GetSubscriber() {
    return g_pSubscriber.load();
}

void SetSubscriber(CSubscriber* subscriber) {
    g_pSubscriber = subscriber;
    SetRequestChannel(subscriber);
}

CSubscriber::CSubscriber(std::vector<HostAddress> hosts, RunningLoop* loop)
    : m_pLoop(loop), m_hosts(std::move(hosts)) {
    m_scratch.Reserve(8192);
}

CSubscriber::~CSubscriber() {
    if (GetSubscriber() == this) SetSubscriber(nullptr);
    // No callback of ours runs now (each holds the client while it runs) and none will
    // find it any more. What is left on the loop is the socket work: end it there.
    ConnectionPtr connection = std::move(m_pConnection);
    std::shared_ptr<NetClient> client = std::move(m_pNetClient);
    std::shared_ptr<NetClient> previous = std::move(m_pPrevNetClient);
    evdns_base* resolver = std::exchange(m_pResolver, nullptr);
    auto close = [connection, client, previous, resolver] {
        if (client) client->Stop();
        if (connection) connection->Close();
        // Fails the lookups still under way; their callbacks find no client.
        if (resolver) evdns_base_free(resolver, 1);
    };
    // Posted even on the loop thread: the last reference may go inside a callback of
    // the very NetClient, which must outlive that callback.
    if (!RunInLoop(m_pLoop, close)) close();
}

struct CSubscriber::NameLookup {
    std::weak_ptr<CSubscriber> m_client;
    uint64_t m_nGeneration;
    HostAddress m_host;
};

void CSubscriber::SetNameServer(const std::string& address) {
    std::lock_guard lock(m_hostMutex);
    m_strNameServer = address;
}

evdns_base* CSubscriber::NameResolver() {
    if (m_pResolver) return m_pResolver;
    std::string server;
    {
        std::lock_guard lock(m_hostMutex);
        server = m_strNameServer;
    }
    if (server.empty()) {
        m_pResolver = evdns_base_new(m_pLoop->m_pBase, EVDNS_BASE_INITIALIZE_NAMESERVERS |
                                                           EVDNS_BASE_DISABLE_WHEN_INACTIVE);
    } else {
        m_pResolver = evdns_base_new(m_pLoop->m_pBase, EVDNS_BASE_DISABLE_WHEN_INACTIVE);
        if (m_pResolver) {
            evdns_base_load_hosts(m_pResolver, nullptr);
            evdns_base_nameserver_ip_add(m_pResolver, server.c_str());
        }
    }
    return m_pResolver;
}

void CSubscriber::SetHost(const std::string& host, uint16_t port) {
    std::lock_guard lock(m_hostMutex);
    m_strHost = host;
    m_nPort = port;
}

HostAddress CSubscriber::GetHost() const {
    std::lock_guard lock(m_hostMutex);
    return {m_strHost, m_nPort};
}

void CSubscriber::Connect() {
    m_bConnectRequested = true;
    // The login flow starts afresh: retries count from zero again.
    *m_pFailureCount = 0;
    std::weak_ptr<CSubscriber> alive = weak_from_this();
    RunInLoop(m_pLoop, [alive] {
        if (auto self = alive.lock()) {
            self->m_nReconnects = 0;
            self->ConnectInLoop();
        }
    });
}

void CSubscriber::ConnectInLoop() {
    HostAddress host = GetHost();
    if (host.m_strHost.empty() || host.m_nPort == 0) return;
    m_bReady = false;
    m_pHandshake.reset();
    m_proxy = GetProxySettings();
    if (!m_proxy.m_bUseProxy) {
        ConnectDirect(host.m_strHost, host.m_nPort, nullptr);
        return;
    }
    in_addr address{};
    if (ParseDotted(host.m_strHost, address)) {
        ConnectThroughProxy(host, address.s_addr);
        return;
    }
    // A name: looked up by the loop's resolver, never by a blocking call on the loop.
    evdns_base* resolver = NameResolver();
    if (!resolver) {
        ConnectThroughProxy(host, 0);
        return;
    }
    // A newer connect or a Stop while the lookup runs makes its answer stale.
    auto* lookup = new NameLookup{weak_from_this(), ++m_nGeneration, host};
    evutil_addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    // May answer at once (hosts file); the callback then has run and freed lookup.
    evdns_getaddrinfo(resolver, host.m_strHost.c_str(), nullptr, &hints, OnNameResolved, lookup);
}

void CSubscriber::OnNameResolved(int result, evutil_addrinfo* found, void* arg) {
    std::unique_ptr<NameLookup> lookup(static_cast<NameLookup*>(arg));
    uint32_t address = 0;
    if (result == 0 && found && found->ai_family == AF_INET)
        address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    if (found) evutil_freeaddrinfo(found);
    auto self = lookup->m_client.lock();
    // A Stop or a newer connect since the lookup began: it answers no one.
    if (!self || self->m_nGeneration != lookup->m_nGeneration || !self->m_bConnectRequested)
        return;
    self->ConnectThroughProxy(lookup->m_host, address);
}

void CSubscriber::ConnectThroughProxy(const HostAddress& host, uint32_t address) {
    ProxyTarget target;
    target.m_strName = host.m_strHost;
    target.m_nPort = host.m_nPort;
    target.m_nAddress = address;
    if (target.m_nAddress == 0 && m_proxy.m_nType == kProxySocks4) {
        NetLog("SOCKS4 cannot reach " + host.m_strHost + ": the name does not resolve");
        return;
    }
    ConnectDirect(m_proxy.m_strAddress, m_proxy.m_nPort, &target);
}

void CSubscriber::ConnectDirect(const std::string& addressText, uint16_t port,
                                const ProxyTarget* target) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (!ParseDotted(addressText, address.sin_addr)) {
        // Names reach the server only through a proxy. Connecting to 0.0.0.0 instead
        // would reach this machine, so the attempt simply fails.
        NetLog("not an IPv4 address: " + addressText);
        return;
    }
    if (target) m_pHandshake = std::make_unique<CProxyHandshake>(m_proxy, *target);

    // The client whose callback led here must outlive this call: keep it one round.
    m_pPrevNetClient = std::move(m_pNetClient);
    if (m_pPrevNetClient) {
        m_pPrevNetClient->Stop();
        if (auto old = m_pPrevNetClient->GetConnection()) old->Close();
    }
    uint64_t generation = ++m_nGeneration;
    m_pNetClient = std::make_shared<NetClient>(address, m_pLoop, "client");
    std::weak_ptr<CSubscriber> alive = weak_from_this();
    auto onConnection = [alive, generation](const ConnectionPtr& connection) {
        if (auto self = alive.lock()) self->OnConnection(generation, connection);
    };
    m_pNetClient->m_establishedCallback = onConnection;
    m_pNetClient->m_closedCallback = onConnection;
    m_pNetClient->m_readCallback = [alive, generation](const ConnectionPtr& connection,
                                                       evbuffer* input, timeval) {
        if (auto self = alive.lock())
            self->OnMessage(generation, connection, input);
        else
            evbuffer_drain(input, evbuffer_get_length(input));
    };
    const auto& connector = m_pNetClient->GetConnector();
    connector->m_pFailureCount = m_pFailureCount;
    connector->m_nBackoffBaseMs = m_nRetryBaseMs;
    connector->m_nBackoffCapMs = m_nRetryCapMs;
    connector->m_failureCallback = [alive, generation](const std::string&, uint16_t) {
        if (auto self = alive.lock()) self->OnConnectFailed(generation);
    };
    connector->m_giveUpCallback = [alive] {
        if (auto self = alive.lock()) {
            NetLog("more than 15 failed connects in a row: back to the login");
            if (self->m_onGiveUp) self->m_onGiveUp();
        }
    };
    m_pNetClient->Connect();
}

void CSubscriber::OnConnection(uint64_t generation, const ConnectionPtr& connection) {
    if (generation != m_nGeneration) {
        // A late event of a connection we already replaced: it owns nothing of ours.
        if (connection->IsConnected()) connection->Close();
        return;
    }
    if (connection->GetState() == Connection::kConnected) {
        {
            std::unique_lock lock(m_connectionMutex);
            m_pConnection = connection;
        }
        if (m_pHandshake) {
            std::vector<uint8_t> request;
            std::string error;
            if (!m_pHandshake->FirstRequest(request, error)) {
                NetLog("proxy handshake not started: " + error);
                connection->Close();
                return;
            }
            connection->Send(request.data(), request.size());
            std::weak_ptr<CSubscriber> alive = weak_from_this();
            std::weak_ptr<Connection> weak = connection;
            RunInLoopAfter(m_pLoop, m_nProxyHandshakeMs, [alive, weak, generation] {
                auto self = alive.lock();
                auto pending = weak.lock();
                if (self && pending && self->m_nGeneration == generation && !self->m_bReady) {
                    NetLog("proxy handshake timed out");
                    pending->Close();
                }
            });
        } else {
            OnReady(connection);
        }
        return;
    }

    m_bReady = false;
    m_nLoggedIn = 0;
    m_nLoginPending = 0;
    ClearPending();
    {
        std::unique_lock lock(m_connectionMutex);
        if (m_pConnection == connection) m_pConnection.reset();
    }
    KillHeartbeat();
    if (m_onStateChanged) m_onStateChanged(false);
    if (m_bConnectRequested && m_bFailOver) ScheduleReconnect();
}

void CSubscriber::ScheduleReconnect() {
    HostAddress current = GetHost();
    HostAddress next = NextHost(current.m_strHost, current.m_nPort);
    SetHost(next.m_strHost, next.m_nPort);
    // Doubles with each close in a row that no successful login interrupted.
    int shift = std::clamp(m_nReconnects++, 0, 16);
    int delay = int(std::min<int64_t>(int64_t(2 * m_nRetryBaseMs) << shift, 2 * m_nRetryCapMs));
    uint64_t generation = m_nGeneration;
    std::weak_ptr<CSubscriber> alive = weak_from_this();
    RunInLoopAfter(m_pLoop, delay, [alive, generation] {
        if (auto self = alive.lock();
            self && self->m_nGeneration == generation && self->m_bConnectRequested)
            self->ConnectInLoop();
    });
}

void CSubscriber::OnConnectFailed(uint64_t generation) {
    if (generation != m_nGeneration || !m_bConnectRequested) return;
    // The failed address may be the proxy's; fail-over moves along the server list.
    HostAddress current = GetHost();
    HostAddress next = NextHost(current.m_strHost, current.m_nPort);
    SetHost(next.m_strHost, next.m_nPort);
    ConnectInLoop();
}

void CSubscriber::OnReady(const ConnectionPtr& connection) {
    m_bReady = true;
    *m_pFailureCount = 0;
    KillHeartbeat();
    ScheduleHeartbeat(m_nHeartbeat);
    if (m_onStateChanged) m_onStateChanged(true);
    m_scratch.Clear();
    if (m_onConnectHook) m_onConnectHook(connection, m_scratch);
}

void CSubscriber::ScheduleHeartbeat(uint64_t beat) {
    std::weak_ptr<CSubscriber> alive = weak_from_this();
    RunInLoopAfter(m_pLoop, m_nHeartbeatMs, [alive, beat] {
        auto self = alive.lock();
        if (!self || self->m_nHeartbeat != beat) return;
        self->OnHeartbeatTimer();
        self->ScheduleHeartbeat(beat);
    });
}

void CSubscriber::OnHeartbeatTimer() {
    if (!m_heartbeatHook || !m_pNetClient) return;
    m_scratch.Clear();
    if (auto connection = m_pNetClient->GetConnection()) m_heartbeatHook(connection, m_scratch);
}

void CSubscriber::KillHeartbeat() {
    ++m_nHeartbeat;  // the scheduled beat finds a newer number and ends
}

void CSubscriber::OnLoggedIn() {
    m_nReconnects = 0;
}

void CSubscriber::OnMessage(uint64_t generation, const ConnectionPtr& connection, evbuffer* input) {
    if (generation != m_nGeneration || !connection->IsConnected()) {
        evbuffer_drain(input, evbuffer_get_length(input));
        return;
    }
    if (!m_bReady) {
        OnProxyReply(connection, input);
        if (!m_bReady) return;
    }
    CDataHead head;
    CBuffer& body = m_scratch;
    while (connection->IsConnected() && generation == m_nGeneration) {
        wire::FrameResult result = wire::TakeMessage(input, head, body);
        if (result == wire::FrameResult::kNeedMore) return;
        if (result != wire::FrameResult::kMessage) {
            NetLog(connection->GetName() + (result == wire::FrameResult::kBadMarker
                                                ? ": bad message marker, closing"
                                                : ": message body too long, closing"));
            evbuffer_drain(input, evbuffer_get_length(input));
            connection->Close();
            return;
        }
        DispatchReply(head, body);
    }
}

void CSubscriber::OnProxyReply(const ConnectionPtr& connection, evbuffer* input) {
    if (!m_pHandshake) {
        evbuffer_drain(input, evbuffer_get_length(input));
        return;
    }
    for (;;) {
        size_t length = evbuffer_get_length(input);
        if (length == 0) return;
        const uint8_t* data = evbuffer_pullup(input, -1);
        size_t consumed = 0;
        std::vector<uint8_t> out;
        CProxyHandshake::Step step = m_pHandshake->Feed(data, length, consumed, out);
        evbuffer_drain(input, consumed);
        switch (step) {
            case CProxyHandshake::Step::kWait:
                return;
            case CProxyHandshake::Step::kSend:
                connection->Send(out.data(), out.size());
                continue;
            case CProxyHandshake::Step::kReady:
                OnReady(connection);
                return;
            case CProxyHandshake::Step::kFail:
                NetLog("proxy handshake failed: " + m_pHandshake->GetError());
                evbuffer_drain(input, evbuffer_get_length(input));
                connection->Close();
                return;
        }
    }
}

void CSubscriber::DispatchReply(const CDataHead& head, CBuffer& body) {
    std::shared_ptr<PendingReply> entry;
    {
        std::lock_guard lock(m_pendingMutex);
        auto found = m_pending.find(head.m_nSerial);
        if (found == m_pending.end()) return;
        entry = found->second;
    }
    bool done = false;
    m_bDispatching = true;
    try {
        done = entry->m_handler(head, body);
    } catch (const CParseError& e) {
        NetLog("short or malformed reply to command " + std::to_string(head.m_wCommand) + ": " +
               e.what());
    } catch (const std::exception& e) {
        NetLog("reply handler of command " + std::to_string(head.m_wCommand) +
               " failed: " + e.what());
    }
    m_bDispatching = false;
    {
        std::lock_guard lock(m_pendingMutex);
        auto found = m_pending.find(head.m_nSerial);
        if (done && found != m_pending.end() && found->second == entry) m_pending.erase(found);
    }
    RunPostedTasks();
}

void CSubscriber::RunPostedTasks() {
    while (!m_posted.empty()) {
        auto task = std::move(m_posted.front());
        m_posted.pop_front();
        task();
    }
}

bool CSubscriber::IsConnected() const {
    if (!m_bReady) return false;
    std::shared_lock lock(m_connectionMutex);
    return m_pConnection && m_pConnection->IsConnected();
}

ConnectionPtr CSubscriber::GetConnection() const {
    std::shared_lock lock(m_connectionMutex);
    return m_pConnection;
}

void CSubscriber::RegisterReply(int64_t serial, OwnerTag owner, ReplyHandler handler) {
    auto entry = std::make_shared<PendingReply>();
    entry->m_owner = owner;
    entry->m_handler = std::move(handler);
    std::lock_guard lock(m_pendingMutex);
    m_pending[serial] = std::move(entry);
}

void CSubscriber::Send(const uint8_t* data, size_t length) {
    // Nothing but the handshake may go to a proxy before the tunnel stands.
    if (!m_bReady) return;
    // Sent outside the connection lock: the loop takes that lock while it holds the
    // socket's own (closing), and the send takes the socket's.
    if (ConnectionPtr connection = GetConnection()) connection->Send(data, length);
}

void CSubscriber::CancelPending(OwnerTag owner) {
    // Never waits for a handler that is running: the network thread may be waiting for
    // the caller (a series lock, a posted call). The handlers are destroyed outside the
    // lock, since their captures may call back into the client.
    std::vector<std::shared_ptr<PendingReply>> removed;
    {
        std::lock_guard lock(m_pendingMutex);
        for (auto it = m_pending.begin(); it != m_pending.end();) {
            if (it->second->m_owner == owner) {
                removed.push_back(std::move(it->second));
                it = m_pending.erase(it);
            } else {
                ++it;
            }
        }
    }
}

void CSubscriber::ClearPending() {
    std::map<int64_t, std::shared_ptr<PendingReply>> removed;
    {
        std::lock_guard lock(m_pendingMutex);
        removed.swap(m_pending);
    }
}

size_t CSubscriber::GetPendingCount() const {
    std::lock_guard lock(m_pendingMutex);
    return m_pending.size();
}

void CSubscriber::Post(std::function<void()> task) {
    if (m_pLoop->IsInLoopThread()) {
        if (m_bDispatching)
            m_posted.push_back(std::move(task));
        else
            task();
        return;
    }
    RunInLoop(m_pLoop, std::move(task));
}

void CSubscriber::AddFailOverHost(const HostAddress& host) {
    std::lock_guard lock(m_hostMutex);
    for (const HostAddress& listed : m_hosts)
        if (listed == host) return;
    m_hosts.push_back(host);
}

std::vector<HostAddress> CSubscriber::GetFailOverHosts() const {
    std::lock_guard lock(m_hostMutex);
    return m_hosts;
}

HostAddress CSubscriber::NextHost(const std::string& host, uint16_t port) const {
    // The host editor may append while the network thread fails over.
    std::lock_guard lock(m_hostMutex);
    for (size_t i = 0; i < m_hosts.size(); ++i) {
        if (m_hosts[i].m_strHost == host && m_hosts[i].m_nPort == port)
            return m_hosts[(i + 1) % m_hosts.size()];
    }
    return {};
}

void CSubscriber::Stop() {
    // Effective at once for every callback that starts from now on; the sockets close
    // on the loop. Nothing waits for the network thread.
    m_bConnectRequested = false;
    m_bReady = false;
    ++m_nGeneration;
    ClearPending();
    if (m_pLoop->IsInLoopThread()) {
        StopInLoop();
        return;
    }
    // Held strongly, so that the close happens even when the owner lets go right away.
    std::shared_ptr<CSubscriber> self = weak_from_this().lock();
    if (!self) return;  // being destroyed: the destructor closes
    RunInLoop(m_pLoop, [self] { self->StopInLoop(); });
}

void CSubscriber::StopInLoop() {
    ++m_nGeneration;  // whatever is still under way belongs to no one now
    m_bReady = false;
    KillHeartbeat();
    ConnectionPtr connection;
    {
        std::unique_lock lock(m_connectionMutex);
        connection = std::move(m_pConnection);
    }
    if (connection) connection->Close();
    if (m_pNetClient) m_pNetClient->Stop();
    m_pPrevNetClient = std::move(m_pNetClient);
    ClearPending();
    m_nLoggedIn = 0;
    m_nLoginPending = 0;
}
