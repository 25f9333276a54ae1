#include "app/DlgHostInfo.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstdio>

#include "marketdata/net/Subscriber.h"
#include "platform/CommonDialogs.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

namespace {

bool IsDark(COLORREF c) {
    return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 96;
}

void PlaceTopmost(CDlgTemplate* dlg, int width, int height) {
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    CWnd topMost;
    topMost.m_hWnd = HWND_TOPMOST;
    dlg->SetWindowPos(&topMost, (cx - width) / 2, height / 2, width, height, SWP_NOACTIVATE);
    topMost.m_hWnd = nullptr;
}

}  // namespace

void CHostGridField::Draw(CDC* dc) {
    const CGridUI* grid = m_pLine ? m_pLine->m_pGrid : nullptr;
    if (!grid) return;
    CRect rc = m_rect;
    rc.DeflateRect(1, 1);
    const bool selected = IsSelected();
    const COLORREF back = selected ? grid->m_gridhighbk : grid->m_gridbk;
    if (rc.Width() > 0 && rc.Height() > 0) dc->FillSolidRect(&rc, back);
    // Black as on a light grid; the dark skin's rows get light text so that they can be read.
    dc->SetTextColor(IsDark(back) ? RGB(235, 235, 235) : RGB(0, 0, 0));
    CFont* font = const_cast<CFont*>(&grid->m_font);
    CFont* old = font->m_created ? dc->SelectObject(font) : nullptr;
    dc->DrawText(m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}

// ---------------------------------------------------------------- selection

void CDlgHostInfo::LoadNode(const char* name) {
    if (tinyxml2::XMLElement* node = LoadSkinNode(name))
        if (const tinyxml2::XMLElement* grid = node->FirstChildElement("Grid")) m_grid.LoadStyle(grid);
}

void CDlgHostInfo::LoadSkin() {
    LoadNode("NetHost");
}

void CDlgHostInfo::BuildControls() {
    PlaceTopmost(this, m_nWidth, m_nHeight);
    CDlgTemplate::BuildControls();
    m_grid.Attach(this);
    m_grid.m_fnFillPage = [this] { FillRows(); };
    std::vector<std::shared_ptr<GridTitle>> titles;
    for (const char* t : {"主站名称", "网络速度", "拥挤程度"})
        titles.push_back(std::make_shared<CHostGridTitle>(&m_grid, t, 130));
    m_grid.SetTitles(std::move(titles));
    m_grid.m_nColumnCount = 3;
    m_grid.m_bShowTitle = 1;
    OnSizeHook();
    ShowList();
}

void CDlgHostInfo::ShowList() {
    m_grid.m_nRowCount = int16_t(std::min<size_t>(m_model.Hosts().size(), INT16_MAX));
    m_grid.m_nSelectedRow = int16_t(m_model.Selected());
    m_grid.SetRect(m_rcGrid);
    if (m_hWnd) InvalidateRect(&m_rcGrid, FALSE);
}

void CDlgHostInfo::OnSizeHook() {
    CRect client;
    GetClientRect(&client);
    m_rcGrid = CRect(client.left + 10, client.top + 38, client.right - 23, client.bottom - 46);
    if (m_grid.m_pHost) m_grid.SetRect(m_rcGrid);
}

void CDlgHostInfo::FillRows() {
    const auto& hosts = m_model.Hosts();
    const int top = m_grid.m_nTopRow;
    const int n = std::max(0, std::min<int>(m_grid.m_nRowsPerPage, int(hosts.size()) - top));
    m_grid.ResizePage(n, 3, [] { return std::make_shared<CHostGridField>(); });
    for (int v = 0; v < n; ++v) {
        const std::vector<std::string> texts = CHostListModel::RowTexts(hosts[size_t(top + v)]);
        auto& cells = m_grid.m_rows[size_t(v)]->m_cells;
        for (size_t c = 0; c < cells.size() && c < texts.size(); ++c)
            static_cast<CHostGridField&>(*cells[c]).m_strText = texts[c];
    }
}

void CDlgHostInfo::DrawTitle(CDC* dc) {
    CDlgTemplate::DrawTitle(dc);
    m_grid.Draw(dc);
}

int CDlgHostInfo::VisibleRowAt(CPoint pt) const {
    return m_grid.HitTestRow(pt.x, pt.y);
}

void CDlgHostInfo::OnListClick(CPoint pt) {
    if (m_model.Select(VisibleRowAt(pt))) ShowList();
}

LRESULT CDlgHostInfo::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LBUTTONUP) {
        const CPoint pt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        const bool inRow = VisibleRowAt(pt) >= 0;
        OnListClick(pt);
        if (inRow) return 0;
    }
    return CDlgTemplate::WindowProc(msg, wParam, lParam);
}

void CDlgHostInfo::OnOK() {
    m_model.StoreSelected();  // nothing written when no host is chosen
    CDialog::OnOK();
}

BOOL CDlgHostInfo::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == kEditHostsId) {
        OnEditHosts();
        return TRUE;
    }
    return CDlgTemplate::OnCommand(wParam, lParam);
}

void CDlgHostInfo::OnEditHosts() {
    CDlgConfigHost editor(this);
    editor.SetHosts(m_model.Hosts());
    editor.m_runModal = m_runModal;
    if (m_runModal(editor) != IDOK) return;
    const std::vector<stHostDesc> edited = editor.GetHosts();
    m_model = CHostListModel(edited);
    if (!edited.empty()) m_model.Select(int(edited.size()) - 1);
    ShowList();
}

// ---------------------------------------------------------------- editor

std::string CDlgConfigHost::Text(int id) const {
    CMyEditCtrl* e = Edit(id);
    return e && e->m_hWnd ? e->GetWindowText() : std::string();
}

void CDlgConfigHost::BuildControls() {
    CDlgHostInfo::BuildControls();
    if (!m_pLayout) return;
    m_pAddLabel = m_pLayout->GetStatic(kAddLabelId).get();
    m_pCancelLabel = m_pLayout->GetStatic(kCancelLabelId).get();
    for (StaticEx* label : {m_pAddLabel, m_pCancelLabel})
        if (label) label->m_fnDraw = DrawLabel;
    if (m_pCancelLabel) m_pCancelLabel->m_bHidden = 1;
    for (int id = kNameId; id <= kProxyPasswordId; ++id) {
        m_pEdits[id - kNameId] = dynamic_cast<CMyEditCtrl*>(m_pLayout->GetControl(id).get());
        if (CMyEditCtrl* e = m_pEdits[id - kNameId]; e && e->m_hWnd) {
            e->SetWindowText("");
            e->SetFont(GetCommonVar()->GetFont(CommonVar::kFontSong14), TRUE);
        }
    }
    if (CMyEditCtrl* pw = Edit(kProxyPasswordId); pw && pw->m_hWnd) pw->SetPasswordChar('*');
    m_pUseProxy = dynamic_cast<MyButton*>(m_pLayout->GetControl(kUseProxyId).get());
    for (int i = 0; i < 3; ++i) m_pRadios[i] = dynamic_cast<MyButton*>(m_pLayout->GetControl(kRadioSocks4 + i).get());

    const ProxySettings proxy = GetProxySettings();
    if (m_pUseProxy && m_pUseProxy->m_hWnd) m_pUseProxy->SetCheck(proxy.m_bUseProxy ? 1 : 0);
    if (proxy.m_bUseProxy) {
        const int radio = RadioForProxyType(proxy.m_nType);
        if (radio >= kRadioSocks4 && radio <= kRadioHttp)
            if (MyButton* r = m_pRadios[radio - kRadioSocks4]; r && r->m_hWnd) r->SetCheck(1);
        char port[16];
        std::snprintf(port, sizeof port, "%d", proxy.m_nPort);
        const std::pair<int, std::string> values[] = {{kProxyAddressId, proxy.m_strAddress},
                                                      {kProxyPortId, port},
                                                      {kProxyUserId, proxy.m_strUser},
                                                      {kProxyPasswordId, proxy.m_strPassword}};
        for (const auto& [id, text] : values)
            if (CMyEditCtrl* e = Edit(id); e && e->m_hWnd) e->SetWindowText(text);
    }
    EnableProxyBlock(proxy.m_bUseProxy);
    ShowSelectedHost();
    CRect client;
    GetClientRect(&client);
    m_rcProxy = CRect(client.left + 11, client.top + 38, client.right - 24, client.top + 38 + 259);
}

void CDlgConfigHost::OnSizeHook() {
    CRect client;
    GetClientRect(&client);
    m_rcGrid = CRect(client.left + 11, client.top + 268, client.right - 24, client.bottom - 55);
    if (m_grid.m_pHost) m_grid.SetRect(m_rcGrid);
}

void CDlgConfigHost::EnableProxyBlock(bool on) {
    for (MyButton* r : m_pRadios)
        if (r && r->m_hWnd) r->EnableWindow(on);
    for (int id : {kProxyAddressId, kProxyPortId, kProxyUserId, kProxyPasswordId})
        if (CMyEditCtrl* e = Edit(id); e && e->m_hWnd) e->EnableWindow(on);
}

void CDlgConfigHost::ShowSelectedHost() {
    const int row = m_model.Selected();
    if (row < 0 || row >= int(m_model.Hosts().size())) return;
    const stHostDesc& host = m_model.Hosts()[size_t(row)];
    char port[16];
    std::snprintf(port, sizeof port, "%d", host.port);
    if (CMyEditCtrl* e = Edit(kNameId); e && e->m_hWnd) e->SetWindowText(host.name);
    if (CMyEditCtrl* e = Edit(kAddressId); e && e->m_hWnd) e->SetWindowText(host.ip);
    if (CMyEditCtrl* e = Edit(kPortId); e && e->m_hWnd) e->SetWindowText(port);
}

void CDlgConfigHost::DrawLabel(StaticEx* label, CDC* dc) {
    if (label->m_bHidden) return;
    // The two labels act as links: in the link colour, on the dialog's dark ground.
    CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::kFontSong14));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(96, 156, 236));
    CRect rc = label->m_rect;
    dc->DrawText(label->m_strText, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(old);
}

void CDlgConfigHost::DrawTitle(CDC* dc) {
    dc->FillSolidRect(&m_rcProxy, m_clrBk);
    CPen pen(PS_SOLID, 1, m_clrSeparator);
    CPen* old = dc->SelectObject(&pen);
    dc->MoveTo(m_rcProxy.left + 3, m_rcProxy.top + 80);
    dc->LineTo(m_rcProxy.right - 8, m_rcProxy.top + 80);
    dc->SelectObject(old);
    CDlgHostInfo::DrawTitle(dc);
}

void CDlgConfigHost::SetLabels() {
    if (m_pAddLabel) m_pAddLabel->m_strText = m_model.AddLabelText();
    if (m_pCancelLabel) m_pCancelLabel->m_bHidden = m_model.IsAdding() ? 0 : 1;
}

void CDlgConfigHost::OnListClick(CPoint pt) {
    if (!m_model.IsAdding() && m_model.Select(VisibleRowAt(pt))) {
        ShowList();
        ShowSelectedHost();
        return;
    }
    if (m_pCancelLabel && !m_pCancelLabel->m_bHidden && m_pCancelLabel->m_rect.PtInRect(pt)) {
        m_model.CancelAdd();
        SetLabels();
        ShowSelectedHost();
    } else if (m_pAddLabel && m_pAddLabel->m_rect.PtInRect(pt)) {
        const bool adding = m_model.IsAdding();
        const std::string message = m_model.OnAddLabel(Text(kNameId), Text(kAddressId), Text(kPortId));
        if (!message.empty()) {
            ::MessageBox(nullptr, message.c_str(), "提示", MB_OK | MB_ICONINFORMATION);
        } else if (!adding) {
            for (int id : {kNameId, kAddressId, kPortId})
                if (CMyEditCtrl* e = Edit(id); e && e->m_hWnd) e->SetWindowText("");
        } else {
            ShowList();
            if (m_hWnd) Invalidate(FALSE);
        }
        SetLabels();
    } else {
        return;
    }
    if (m_hWnd) InvalidateRect(&m_rcProxy, FALSE);
}

BOOL CDlgConfigHost::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == kUseProxyId) {
        EnableProxyBlock(m_pUseProxy && m_pUseProxy->GetCheck() != 0);
        return TRUE;
    }
    if (LOWORD(wParam) == kEditHostsId) return TRUE;  // the name edit's id, not the editor button
    return CDlgHostInfo::OnCommand(wParam, lParam);
}

void CDlgConfigHost::OnOK() {
    ProxySettings proxy = GetProxySettings();
    proxy.m_bUseProxy = m_pUseProxy && m_pUseProxy->GetCheck() != 0;
    int radio = 0;
    for (int i = 0; i < 3; ++i)
        if (m_pRadios[i] && m_pRadios[i]->GetCheck()) radio = kRadioSocks4 + i;
    if (radio == kRadioSocks5 || radio == kRadioHttp) {
        proxy.m_strUser = Text(kProxyUserId);
        proxy.m_strPassword = Text(kProxyPasswordId);
    }
    proxy.m_nType = ProxyTypeForChoice(radio, proxy.m_strUser, proxy.m_strPassword, proxy.m_nType);
    proxy.m_strAddress = Text(kProxyAddressId);
    const std::string portText = Text(kProxyPortId);
    if (proxy.m_bUseProxy || !portText.empty()) {
        // A proxy in use needs a port the client can connect to.
        std::string error;
        uint16_t port = 0;
        if (!ParsePortText(portText, port, error)) {
            ::MessageBox(nullptr, error.c_str(), "提示", MB_OK | MB_ICONINFORMATION);
            return;
        }
        proxy.m_nPort = port;
    } else {
        proxy.m_nPort = 0;
    }
    ApplyProxySettings(proxy);
    CDialog::OnOK();
}

int OpenHostDialogs(CWnd* parent, CHostInfo& hosts) {
    CDlgHostInfo dlg(parent);
    dlg.SetHosts(hosts.m_hosts);
    const int result = int(dlg.DoModal());
    if (result == IDOK) TakeEditedHosts(hosts, dlg.GetHosts(), GetSubscriber());
    return result;
}
