#pragma once
// The application's network: the event-loop thread and the one market-data client with
// its login chain. Started once at start-up, stopped once at exit before the stores are
// saved. UI thread only.
#include <vector>

#include "marketdata/net/Subscriber.h"

class CMarketLink;

// Starts the event-loop thread and builds the client over the host list (the fail-over
// order). The connection is opened later by the login flow.
void StartAppNetwork(const std::vector<HostAddress>& hosts);
// Ends the connection and every retry, waits for the code-table worker, then stops the
// event-loop thread. Nothing happens when the network was not started.
void StopAppNetwork();
// The client; null before start and after stop.
CMarketLink* GetAppMarketLink();
