#include "marketdata/MarketHooks.h"

#include <atomic>
#include <mutex>

namespace {
std::mutex g_hooksLock;
MarketUiHooks g_hooks;
std::atomic<int16_t> g_nDayCount{10};
std::atomic<int16_t> g_nMinuteCount{3};

MarketUiHooks Hooks() {
    std::lock_guard lock(g_hooksLock);
    return g_hooks;
}
}  // namespace

void SetMarketUiHooks(MarketUiHooks hooks) {
    std::lock_guard lock(g_hooksLock);
    g_hooks = std::move(hooks);
}

bool HasMainFrame() {
    return bool(Hooks().postToMainFrame);
}

void PostToMainFrame(uint32_t msg, uint64_t wParam, int64_t lParam) {
    if (auto h = Hooks(); h.postToMainFrame) h.postToMainFrame(msg, wParam, lParam);
}

void SetDownloadRange(const std::string& title, uint32_t total) {
    if (auto h = Hooks(); h.setDownloadRange) h.setDownloadRange(title, total);
}

void SetDownloadPosition(uint32_t position) {
    if (auto h = Hooks(); h.setDownloadPosition) h.setDownloadPosition(position);
}

int16_t GetUserNDayCount() {
    return g_nDayCount.load();
}
void SetUserNDayCount(int16_t count) {
    g_nDayCount.store(count);
}
int16_t GetUserMinuteCount() {
    return g_nMinuteCount.load();
}
void SetUserMinuteCount(int16_t count) {
    g_nMinuteCount.store(count);
}
