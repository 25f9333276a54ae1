#pragma once
// Download progress from the network thread to the download popup, which only the UI
// thread touches. The download handlers hand their title, range and position to the
// relay (any thread); it keeps the newest values and posts one UM_DOWNLOAD_POPUP
// (wParam kDownloadProgressChanged) until the UI thread has taken them. The frame passes
// every UM_DOWNLOAD_POPUP to OnMessage: wParam 0 with lParam 0 shows the popup (after
// taking the newest values), lParam 1 hides it; other wParams are ignored.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

// What the relay drives: the download popup. Called on the UI thread only.
class IDownloadPopup {
public:
    virtual ~IDownloadPopup() = default;
    virtual void SetPopupTitle(const std::string& title) = 0;
    virtual void SetPopupRange(uint32_t total) = 0;
    virtual void SetPopupPosition(uint32_t position) = 0;
    virtual bool IsPopupVisible() const = 0;
    virtual void ShowPopup() = 0;
    virtual void HidePopup() = 0;
};

inline constexpr uint64_t kDownloadProgressChanged = 2;

class CDownloadRelay {
public:
    using Post = std::function<void(uint64_t wParam, int64_t lParam)>;
    explicit CDownloadRelay(Post post = {}) : m_post(std::move(post)) {}
    // Once, before any download can start.
    void SetPost(Post post) { m_post = std::move(post); }

    // Network side. An empty title keeps the current one.
    void SetRange(const std::string& title, uint32_t total);
    void SetPosition(uint32_t position);

    // UI side: the frame's UM_DOWNLOAD_POPUP. A null popup takes the values and drops them.
    void OnMessage(uint64_t wParam, int64_t lParam, IDownloadPopup* popup);

private:
    void Apply(IDownloadPopup* popup);

    Post m_post;
    std::mutex m_lock;
    std::string m_strTitle;
    uint32_t m_nTotal = 0;
    uint32_t m_nPosition = 0;
    bool m_bTitle = false, m_bRange = false, m_bPosition = false;
    bool m_bPosted = false;
};
