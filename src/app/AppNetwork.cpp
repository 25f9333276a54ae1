#include "app/AppNetwork.h"

#include <memory>

#include "marketdata/net/EventLoopThread.h"
#include "marketdata/net/MarketLink.h"

namespace {
std::unique_ptr<CMarketLink> g_link;
}  // namespace

void StartAppNetwork(const std::vector<HostAddress>& hosts) {
    if (g_link) return;
    RunningLoop* loop = CReactor::Start();
    if (!loop) return;
    g_link = std::make_unique<CMarketLink>(hosts, loop);
}

void StopAppNetwork() {
    if (!g_link) return;
    g_link->Stop();
    g_link.reset();
    CReactor::Stop();
}

CMarketLink* GetAppMarketLink() {
    return g_link.get();
}
