#pragma once
// The network client wired to the market-data core: one CSubscriber with the login chain,
// the code table landing in CAppInfo (saved to "code.dat" and parsed on the
// CDealCodeThread worker), the ex-rights table landing in CAllCQData (saved to "cq.dat"),
// the login result and the download popup going to the main frame through the market
// hooks, and the login's usage report. The application creates one at start-up and
// destroys it (Stop) before the stores are saved.

#include <memory>

#include "marketdata/net/LoginSession.h"
#include "marketdata/net/Subscriber.h"

class CDealCodeThread;

// Posted to the main frame with the login result: wParam the result (1 logged in), lParam
// 0, or for a refusal a new[]'d NUL-terminated copy of the server's text that the main
// frame frees.
inline constexpr uint32_t UM_SERVER_TEXT = 0x8070;
// Posted to the main frame after more than 15 failed connects in a row.
inline constexpr uint32_t UM_LOGIN = 0x8064;

class CMarketLink {
public:
    // hosts: the server list (HostInfo.xml) in fail-over order.
    CMarketLink(std::vector<HostAddress> hosts, RunningLoop* loop);
    ~CMarketLink();
    CMarketLink(const CMarketLink&) = delete;
    CMarketLink& operator=(const CMarketLink&) = delete;

    // Connects to host:port; later closes fail over along the list.
    void Connect(const std::string& host, uint16_t port);
    // Ends the connection and waits for the parse worker.
    void Stop();

    CSubscriber& GetSubscriber() { return *m_pSubscriber; }

private:
    std::shared_ptr<CSubscriber> m_pSubscriber;
    std::shared_ptr<CLoginSession> m_pSession;
    // Shared with the code-table callback, which may still be running on the network
    // thread while the link is taken down (stopping does not wait for that thread).
    std::shared_ptr<CDealCodeThread> m_pDealCode;
};
