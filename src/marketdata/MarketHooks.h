#pragma once
// How the market-data objects reach the user interface and the user's settings without
// depending on them. The application installs the hooks at start-up; until then (and in
// tests) messages go nowhere and the settings keep their defaults. Safe from any thread.

#include <cstdint>
#include <functional>
#include <string>

// User messages to the main frame.
inline constexpr uint32_t UM_DOWNLOAD_PROGRESS = 0x8066;  // lParam 0 show, 1 hide
inline constexpr uint32_t UM_CODELIST_READY = 0x8075;

struct MarketUiHooks {
    // Posts a message to the main frame (never sends: callers are off the UI thread).
    std::function<void(uint32_t msg, uint64_t wParam, int64_t lParam)> postToMainFrame;
    // Download popup: title (empty keeps the current one) and the range 0..total.
    std::function<void(const std::string& title, uint32_t total)> setDownloadRange;
    // Download popup: the position, repainted at once.
    std::function<void(uint32_t position)> setDownloadPosition;
};

void SetMarketUiHooks(MarketUiHooks hooks);
// True when hooks are installed (the main frame exists).
bool HasMainFrame();
void PostToMainFrame(uint32_t msg, uint64_t wParam, int64_t lParam);
void SetDownloadRange(const std::string& title, uint32_t total);
void SetDownloadPosition(uint32_t position);

// The user's counts for the n-day and n-minute periods (period code -1); the common
// variables own them and keep these in step. Defaults 10 and 3.
int16_t GetUserNDayCount();
void SetUserNDayCount(int16_t count);
int16_t GetUserMinuteCount();
void SetUserMinuteCount(int16_t count);
