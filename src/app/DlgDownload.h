#pragma once
// The download progress popup: a skinned modeless dialog ("DlgDownload" of DlgConfig.xml)
// created once with the main frame through the dialog factory (id 1), hidden until a
// download shows it. It is driven by the frame's download relay, on the UI thread only.
#include <string>

#include "app/DownloadRelay.h"
#include "ui/dialog/DlgTemplate.h"

class CMyProgressCtrl;
class StaticEx;

class CDlgDownload : public CDlgTemplate, public IDownloadPopup {
public:
    static constexpr int kFactoryId = 1;
    static constexpr int kProgressId = 101;
    static constexpr int kLabelId = 1;

    // Registers the creator with the dialog factory (once, at start-up).
    static void Register();
    static CDlgTemplate* Create(CWnd* parent);

    void LoadSkin() override { LoadSkinNode("DlgDownload"); }
    void BuildControls() override;
    // Not topmost, not activated, at (screen width / 2, screen height / 4), skin size.
    void ShowPopup() override;

    void SetPopupTitle(const std::string& title) override;
    void SetPopupRange(uint32_t total) override;
    void SetPopupPosition(uint32_t position) override;
    bool IsPopupVisible() const override;
    void HidePopup() override;

    CMyProgressCtrl* m_pProgress = nullptr;
    StaticEx* m_pLabel = nullptr;
};
