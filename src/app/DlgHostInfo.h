#pragma once
// The two host dialogs the login dialog's "主站设置" link opens: the selection of the server
// for the next login ("NetHost"), and the editor of the host list and the proxy settings
// ("ConfigHost"). Both work on their own copy of the host list; the opener takes it back on
// OK. The decisions themselves live in CHostListModel and the host settings.
#include <memory>
#include <string>
#include <vector>

#include "marketdata/net/HostSettings.h"
#include "ui/dialog/DlgTemplate.h"
#include "ui/grid/GridUI.h"

class CMyEditCtrl;
class MyButton;
class StaticEx;

class CHostGridTitle : public GridTitle {
public:
    using GridTitle::GridTitle;
};

class CHostGridField : public GridField {
public:
    void Draw(CDC* dc) override;
    std::string m_strText;
};

class CDlgHostInfo : public CDlgTemplate {
public:
    static constexpr int kEditHostsId = 100;

    explicit CDlgHostInfo(CWnd* parent = nullptr) : CDlgTemplate(parent) {}

    void SetHosts(std::vector<stHostDesc> hosts) { m_model = CHostListModel(std::move(hosts)); }
    const std::vector<stHostDesc>& GetHosts() const { return m_model.Hosts(); }

    void LoadSkin() override;
    void BuildControls() override;
    void OnSizeHook() override;
    void DrawTitle(CDC* dc) override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void FillRows();
    // The model's list and selection into the grid.
    void ShowList();
    // The host editor on a copy of the list; its list comes back on OK.
    void OnEditHosts();
    virtual void OnListClick(CPoint pt);

    CHostListModel m_model;
    CGridUI m_grid;
    CRect m_rcGrid;
    // Runs a dialog modally and gives its result (tests answer instead of a person).
    std::function<int(CDlgTemplate& dialog)> m_runModal = [](CDlgTemplate& d) { return int(d.DoModal()); };

protected:
    void LoadNode(const char* name);
    int VisibleRowAt(CPoint pt) const;
};

class CDlgConfigHost : public CDlgHostInfo {
public:
    static constexpr int kAddLabelId = 2;
    static constexpr int kCancelLabelId = 10;
    static constexpr int kNameId = 100, kPortId = 101, kAddressId = 102;
    static constexpr int kProxyAddressId = 103, kProxyUserId = 104, kProxyPortId = 105;
    static constexpr int kProxyPasswordId = 106, kUseProxyId = 107;

    explicit CDlgConfigHost(CWnd* parent = nullptr) : CDlgHostInfo(parent) {}

    void LoadSkin() override { LoadNode("ConfigHost"); }
    void BuildControls() override;
    void OnSizeHook() override;
    void DrawTitle(CDC* dc) override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnListClick(CPoint pt) override;

    void ShowSelectedHost();
    void EnableProxyBlock(bool on);
    static void DrawLabel(StaticEx* label, CDC* dc);

    StaticEx* m_pAddLabel = nullptr;
    StaticEx* m_pCancelLabel = nullptr;
    CMyEditCtrl* m_pEdits[7] = {};  // 100..106
    MyButton* m_pUseProxy = nullptr;
    MyButton* m_pRadios[3] = {};  // 108 SOCKS4, 109 SOCKS5, 110 HTTP
    CRect m_rcProxy;

private:
    CMyEditCtrl* Edit(int id) const { return m_pEdits[id - kNameId]; }
    std::string Text(int id) const;
    void SetLabels();
};

// The login dialog's "主站设置": the selection dialog over the program's host list (the
// editor behind its button); on OK the edited list replaces the program's and joins the
// running client's fail-over list. The result of the selection dialog.
int OpenHostDialogs(CWnd* parent, CHostInfo& hosts);
