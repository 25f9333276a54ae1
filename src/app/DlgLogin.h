#pragma once
// The modal login dialog ("DlgLogin" of DlgConfig.xml) the main frame's login flow shows
// before connecting: account and password (stored as base64 text), the remember box, the
// painted links (password recovery, server list, guest login) and the register button.
#include <functional>
#include <string>

#include "ui/dialog/DlgTemplate.h"

class MyButton;
class CMyEditCtrl;

class CDlgLogin : public CDlgTemplate {
public:
    static constexpr int kUserId = 100;
    static constexpr int kPasswordId = 101;
    static constexpr int kRememberId = 102;
    static constexpr int kLoginId = 103;
    static constexpr int kRegisterId = 104;
    static constexpr int kBandHeight = 120;

    explicit CDlgLogin(CWnd* parent = nullptr) : CDlgTemplate(parent) {}

    void LoadSkin() override { LoadSkinNode("DlgLogin"); }
    void BuildControls() override;
    void DrawTitle(CDC* dc) override;
    void OnLButtonUpHook(UINT flags, CPoint pt) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;

    // The link rects follow the remember box (dialog coordinates).
    void PlaceLinks();

    int m_nRemember = 0;
    std::string m_strUser;
    std::string m_strPassword;
    MyButton* m_pRemember = nullptr;
    CMyEditCtrl* m_pUserEdit = nullptr;
    CMyEditCtrl* m_pPasswordEdit = nullptr;
    CRect m_rcRecover, m_rcServer, m_rcGuest;
    // The server-list link (the owner opens the host list).
    std::function<void()> m_onServerList;
};
