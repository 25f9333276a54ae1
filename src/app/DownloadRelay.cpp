#include "app/DownloadRelay.h"

void CDownloadRelay::SetRange(const std::string& title, uint32_t total) {
    bool post = false;
    {
        std::lock_guard lock(m_lock);
        if (!title.empty()) {
            m_strTitle = title;
            m_bTitle = true;
        }
        m_nTotal = total;
        m_bRange = true;
        post = !m_bPosted;
        m_bPosted = true;
    }
    if (post && m_post) m_post(kDownloadProgressChanged, 0);
}

void CDownloadRelay::SetPosition(uint32_t position) {
    bool post = false;
    {
        std::lock_guard lock(m_lock);
        m_nPosition = position;
        m_bPosition = true;
        post = !m_bPosted;
        m_bPosted = true;
    }
    if (post && m_post) m_post(kDownloadProgressChanged, 0);
}

void CDownloadRelay::Apply(IDownloadPopup* popup) {
    std::string title;
    uint32_t total = 0, position = 0;
    bool hasTitle, hasRange, hasPosition;
    {
        std::lock_guard lock(m_lock);
        title = m_strTitle;
        total = m_nTotal;
        position = m_nPosition;
        hasTitle = m_bTitle;
        hasRange = m_bRange;
        hasPosition = m_bPosition;
        m_bTitle = m_bRange = m_bPosition = false;
        m_bPosted = false;
    }
    if (!popup) return;
    if (hasTitle) popup->SetPopupTitle(title);
    if (hasRange) popup->SetPopupRange(total);
    if (hasPosition) popup->SetPopupPosition(position);
}

void CDownloadRelay::OnMessage(uint64_t wParam, int64_t lParam, IDownloadPopup* popup) {
    if (wParam == kDownloadProgressChanged) {
        Apply(popup);
        return;
    }
    if (wParam != 0) return;
    if (lParam == 0) {
        Apply(popup);
        if (popup && !popup->IsPopupVisible()) popup->ShowPopup();
    } else if (lParam == 1) {
        if (popup && popup->IsPopupVisible()) popup->HidePopup();
    }
}
