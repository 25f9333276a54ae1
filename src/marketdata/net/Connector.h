#pragma once
// Makes, and on failure retries, the non-blocking TCP connect to one IPv4 address. Runs
// on the network thread; Start and Stop may be called from any thread.
//
// Retries back off: each failure in a row waits longer before the next attempt (from
// 100 ms up to 5 s), so an unreachable server never spins the loop. After more than 15
// failures in a row the give-up callback runs once (the user is sent back to the login)
// and no further attempt is made until a new connect.

#include <event2/util.h>
#include <netinet/in.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

struct bufferevent;
struct RunningLoop;

class Connector : public std::enable_shared_from_this<Connector> {
public:
    using NewConnectionCallback = std::function<void(evutil_socket_t)>;
    using FailureCallback = std::function<void(const std::string& address, uint16_t port)>;
    using GiveUpCallback = std::function<void()>;

    static constexpr int kMaxFailures = 15;
    static constexpr int kConnectTimeoutSeconds = 10;

    Connector(RunningLoop* loop, const sockaddr_in& server);
    ~Connector();
    Connector(const Connector&) = delete;
    Connector& operator=(const Connector&) = delete;

    void Start();
    void Stop();

    // Delay before the attempt that follows the given failure count (1-based): base
    // doubled per failure, never above cap.
    int BackoffMs(int failures) const;
    int m_nBackoffBaseMs = 100;
    int m_nBackoffCapMs = 5000;

    const sockaddr_in& GetServerAddress() const { return m_serverAddr; }

    NewConnectionCallback m_newConnectionCallback;
    FailureCallback m_failureCallback;
    GiveUpCallback m_giveUpCallback;
    // Failures in a row, shared with the network client that zeroes it on success.
    std::shared_ptr<std::atomic<int>> m_pFailureCount = std::make_shared<std::atomic<int>>(0);

private:
    static void OnConnectEvent(bufferevent*, short what, void* arg);

    void Connect();
    void OnConnectError(int error);
    void Retry();
    void CancelConnect();
    void DropAttempt();

    RunningLoop* m_pLoop;
    std::atomic<bool> m_bConnect{false};
    sockaddr_in m_serverAddr;
    bool m_bConnecting = false;
    bufferevent* m_pPending = nullptr;
    std::weak_ptr<Connector>* m_pCallbackSelf = nullptr;
};
