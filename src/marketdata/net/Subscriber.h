#pragma once
// The one network client: owns the connection to the market-data server, frames the
// byte stream into messages, matches replies to requests by serial, fails over to the
// next host and keeps the line alive. Everything it does with sockets runs on the network
// thread (EventLoopThread.h); requesters on any thread register replies and send through
// the CRequestChannel interface.
//
// Reply handlers run on the network thread without the pending-reply lock held, so a
// handler may register, send and cancel freely.
//
// Nothing here waits for the network thread: Stop, CancelPending and the destructor take
// effect at once for everything that starts afterwards (each loop callback checks the
// connection generation, which Stop advances) and leave the socket work to the loop. A
// callback that is running at that moment may finish: handlers and hooks hold their
// owners weakly. Every loop callback holds the client strongly while it runs, so the
// client is created with std::make_shared and may be released from any thread.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "foundation/Buffer.h"
#include "marketdata/RequestChannel.h"
#include "marketdata/net/NetClient.h"
#include "marketdata/net/ProxyHandshake.h"

struct evdns_base;
struct evutil_addrinfo;

struct HostAddress {
    std::string m_strHost;
    uint16_t m_nPort = 0;
    friend bool operator==(const HostAddress&, const HostAddress&) = default;
};

using ConnectHook = std::function<void(const ConnectionPtr& connection, CBuffer& scratch)>;

class CSubscriber : public CRequestChannel, public std::enable_shared_from_this<CSubscriber> {
public:
    static constexpr int kHeartbeatMs = 5000;
    // A proxy that accepts the connection but does not finish its handshake in this time
    // is given up (the connection closes and fail-over applies).
    static constexpr int kProxyHandshakeMs = 15000;

    CSubscriber(std::vector<HostAddress> hosts, RunningLoop* loop);
    ~CSubscriber() override;
    CSubscriber(const CSubscriber&) = delete;
    CSubscriber& operator=(const CSubscriber&) = delete;

    // Appends a server to the fail-over list (the host editor's new entries take part at
    // once); a server already listed is not added twice. Any thread.
    void AddFailOverHost(const HostAddress& host);
    std::vector<HostAddress> GetFailOverHosts() const;
    // The server the next Connect goes to.
    void SetHost(const std::string& host, uint16_t port);
    HostAddress GetHost() const;
    // Connects to the current host (through the proxy when one is set). Any thread.
    // A host name is resolved without blocking the loop (only a proxy is given names).
    void Connect();
    // Ends the connection and every retry; no fail-over follows. Returns at once: from
    // then on no reply handler, hook or reconnect starts; the socket closes on the loop.
    void Stop();
    // Names are resolved through this server ("address" or "address:port") instead of
    // the system's; set before the first Connect (tests use a server on loopback).
    void SetNameServer(const std::string& address);
    // Set by the login flow once it started the first connect: closed connections are
    // then followed by a connect to the next host.
    void SetFailOver(bool on) { m_bFailOver = on; }
    // Pace of retries: the first delay and the longest. Connect failures start at base,
    // reconnects after a closed connection at twice base; both double up to cap.
    // Period of the keep-alive hook while ready (5 s); takes effect at the next connect.
    void SetHeartbeatInterval(int ms) { m_nHeartbeatMs = ms; }
    void SetProxyHandshakeTimeout(int ms) { m_nProxyHandshakeMs = ms; }
    void SetRetryDelays(int baseMs, int capMs) {
        m_nRetryBaseMs = baseMs;
        m_nRetryCapMs = capMs;
    }

    // CRequestChannel
    bool IsConnected() const override;
    void RegisterReply(int64_t serial, OwnerTag owner, ReplyHandler handler) override;
    void Send(const uint8_t* data, size_t length) override;
    void CancelPending(OwnerTag owner) override;
    void Post(std::function<void()> task) override;

    void Send(const CBuffer& buffer) { Send(buffer.GetData(), buffer.GetLength()); }
    void ClearPending();
    size_t GetPendingCount() const;

    // The entry after (host, port) in the host list, wrapping; empty when not listed.
    HostAddress NextHost(const std::string& host, uint16_t port) const;

    ConnectionPtr GetConnection() const;
    RunningLoop* GetLoop() const { return m_pLoop; }
    int GetFailureCount() const { return m_pFailureCount->load(); }

    // Login state words, written by the start-of-connection requests.
    std::atomic<uint32_t> m_nLoggedIn{0};
    std::atomic<uint32_t> m_nLoginPending{0};
    // A successful login: the connection is healthy again, reconnects start quick.
    void OnLoggedIn();

    // Installed once at start-up, called on the network thread.
    ConnectHook m_onConnectHook;
    ConnectHook m_heartbeatHook;
    // Hooks hold their owners weakly: one that is running when Stop returns may finish.
    // Called once after more than 15 failed connects in a row (the user is sent back to
    // the login); on the network thread.
    std::function<void()> m_onGiveUp;
    // Every connection state change, for status displays: true when ready, false when
    // closed. On the network thread.
    std::function<void(bool ready)> m_onStateChanged;

private:
    struct PendingReply {
        OwnerTag m_owner;
        ReplyHandler m_handler;
    };
    struct NameLookup;

    void ConnectInLoop();
    void ConnectThroughProxy(const HostAddress& host, uint32_t address);
    static void OnNameResolved(int result, struct evutil_addrinfo* found, void* arg);
    struct evdns_base* NameResolver();
    void ConnectDirect(const std::string& address, uint16_t port, const ProxyTarget* target);
    void OnConnection(uint64_t generation, const ConnectionPtr& connection);
    void OnMessage(uint64_t generation, const ConnectionPtr& connection, evbuffer* input);
    void OnProxyReply(const ConnectionPtr& connection, evbuffer* input);
    void OnReady(const ConnectionPtr& connection);
    void OnHeartbeatTimer();
    void OnConnectFailed(uint64_t generation);
    void DispatchReply(const CDataHead& head, CBuffer& body);
    void RunPostedTasks();
    void StopInLoop();
    void ScheduleReconnect();
    void KillHeartbeat();
    void ScheduleHeartbeat(uint64_t beat);

    RunningLoop* m_pLoop;
    std::vector<HostAddress> m_hosts;
    mutable std::mutex m_hostMutex;
    std::string m_strHost;
    uint16_t m_nPort = 0;

    // Network-thread state.
    ProxySettings m_proxy;
    std::unique_ptr<CProxyHandshake> m_pHandshake;
    CBuffer m_scratch;
    std::atomic<bool> m_bReady{false};
    uint64_t m_nHeartbeat = 0;  // the running heartbeat's number; a new one stops the old
    struct evdns_base* m_pResolver = nullptr;
    std::string m_strNameServer;
    std::shared_ptr<NetClient> m_pNetClient;
    std::shared_ptr<NetClient> m_pPrevNetClient;
    // Advanced by every connect and by Stop (from any thread): a callback of an older
    // generation does nothing.
    std::atomic<uint64_t> m_nGeneration{0};
    int m_nReconnects = 0;
    std::atomic<int> m_nHeartbeatMs{kHeartbeatMs};
    std::atomic<int> m_nProxyHandshakeMs{kProxyHandshakeMs};
    std::atomic<int> m_nRetryBaseMs{100};
    std::atomic<int> m_nRetryCapMs{5000};
    bool m_bDispatching = false;
    std::deque<std::function<void()>> m_posted;

    std::shared_ptr<std::atomic<int>> m_pFailureCount = std::make_shared<std::atomic<int>>(0);
    std::atomic<bool> m_bConnectRequested{false};
    std::atomic<bool> m_bFailOver{false};

    mutable std::shared_mutex m_connectionMutex;
    ConnectionPtr m_pConnection;

    mutable std::mutex m_pendingMutex;
    std::map<int64_t, std::shared_ptr<PendingReply>> m_pending;
};

// The process-wide client; null while offline. Setting it also sets the request channel.
CSubscriber* GetSubscriber();
void SetSubscriber(CSubscriber* subscriber);
