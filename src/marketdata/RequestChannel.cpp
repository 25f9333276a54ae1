#include "marketdata/RequestChannel.h"

#include <atomic>

#include "protocol/DataHead.h"

namespace {
std::atomic<CRequestChannel*> g_pChannel{nullptr};
}

int64_t CRequestChannel::NewSerial() {
    return CDataHead::NextSerial();
}

CRequestChannel* GetRequestChannel() {
    return g_pChannel.load(std::memory_order_acquire);
}

void SetRequestChannel(CRequestChannel* channel) {
    g_pChannel.store(channel, std::memory_order_release);
}

CRequestChannel* GetConnectedChannel() {
    CRequestChannel* channel = GetRequestChannel();
    return channel && channel->IsConnected() ? channel : nullptr;
}
