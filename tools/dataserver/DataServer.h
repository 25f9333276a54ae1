#pragma once
// tarrow-dataserver's engine: listens on 127.0.0.1 only, frames requests with the
// client's own protocol code, answers them through CMarketService, and takes the report
// posts of the client on "/action/msg" on the same port (a connection that opens with an
// HTTP request line is served as HTTP). Single-threaded: everything runs on the thread
// that calls Run.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "MarketService.h"
#include "MarketSource.h"
#include "ServerOptions.h"

struct event_base;
struct evconnlistener;
class CServerSession;

class CDataServer {
public:
    // Largest request body taken from a client.
    static constexpr uint32_t kMaxRequestBody = 1u << 20;

    CDataServer(CMarketSource& source, const ServerFaults& faults,
                const ServerLimits& limits = ServerLimits());
    ~CDataServer();
    CDataServer(const CDataServer&) = delete;
    CDataServer& operator=(const CDataServer&) = delete;

    // Binds 127.0.0.1:port (0 = a free port). False with error set when that fails.
    bool Listen(uint16_t port, std::string& error);
    uint16_t GetPort() const { return m_nPort; }
    // Serves until Stop. Stop may be called from any thread.
    void Run();
    void Stop();

    // One line per event worth knowing (logins, reports, faults, dropped clients).
    std::function<void(const std::string&)> m_log;

    const ServerFaults& GetFaults() const { return m_faults; }
    const ServerLimits& GetLimits() const { return m_limits; }
    CMarketService& GetService() { return m_service; }
    event_base* GetBase() const { return m_pBase; }
    void Log(const std::string& line);
    void Remove(CServerSession* session);

private:
    static void OnAccept(evconnlistener*, int fd, struct sockaddr*, int, void* arg);
    // accept failed for good (no descriptor, no memory): the listener pauses, for longer
    // each time it fails again, and one line is logged per run of failures.
    static void OnAcceptError(evconnlistener*, void* arg);
    static void OnAcceptPauseOver(int, short, void* arg);

    CMarketSource& m_source;
    ServerFaults m_faults;
    ServerLimits m_limits;
    CMarketService m_service;
    event_base* m_pBase = nullptr;
    evconnlistener* m_pListener = nullptr;
    uint16_t m_nPort = 0;
    struct event* m_pAcceptPause = nullptr;
    int m_nAcceptPauseMs = 0;   // the current pause; 0 while accepts succeed
    int m_nAcceptFailures = 0;  // in the current run of failures
    std::map<CServerSession*, std::unique_ptr<CServerSession>> m_sessions;
};
