#include "ui/dialog/DlgTemplate.h"

#include <cstring>

#include "marketdata/AppInfo.h"
#include "ui/CommonVar.h"
#include "ui/dialog/SkinControls.h"
#include "ui/dialog/SkinXml.h"

// ---------------------------------------------------------------- CDlgTemplate

CDlgTemplate::CDlgTemplate(CWnd* parent) : CDialog(kTemplateId, parent), m_pLayout(std::make_shared<CtrlLayout>()) {
    // The template's 104 x 190 dialog units in the 8-point shell font.
    SetDialogSize(156, 309);
    SetDialogStyle(WS_POPUP | WS_SYSMENU);
    InitColors();
}

CDlgTemplate::~CDlgTemplate() {
    if (m_hWnd) DestroyWindow();
    m_pLayout.reset();
}

BOOL CDlgTemplate::Create(UINT idTemplate, CWnd* parent) { return CDialog::Create(idTemplate, parent); }

int CDlgTemplate::InitColors() {
    CommonVar* cv = GetCommonVar();
    m_clrBk = cv->GetColor(int(CommonColor::uniDlgTemplateBK));
    m_clrBorder = cv->GetColor(int(CommonColor::uniDlgTemplateBORDER));
    m_clrClose = cv->GetColor(int(CommonColor::uniDlgTemplateClose));
    return 1;
}

tinyxml2::XMLElement* CDlgTemplate::LoadSkinNode(const std::string& name) {
    tinyxml2::XMLElement* root = GetDlgFactory()->GetRoot();
    tinyxml2::XMLElement* e = root ? root->FirstChildElement(name.c_str()) : nullptr;
    if (!e) return nullptr;
    skinxml::Rgb rgb;
    auto colour = [&](const char* key, COLORREF& field) {
        const char* v = e->Attribute(key);
        if (v && *v) field = rgb.Parse(v);
    };
    colour("colorbk", m_clrBk);
    colour("colorbk2", m_clrBk2);
    colour("colorseperator", m_clrSeparator);
    colour("colorborder", m_clrBorder);
    colour("colortitle", m_clrTitle);
    colour("colorclose", m_clrClose);
    if (const char* t = e->Attribute("text"); t && m_strTitle.empty()) m_strTitle = t;
    if (m_nWidth == 0) m_nWidth = skinxml::ReadInt(e, "width");
    if (m_nHeight == 0) m_nHeight = skinxml::ReadInt(e, "height");
    const char* align = e->Attribute("titleAlign");
    m_strTitleAlign = align ? align : "";
    if (const char* v = e->Attribute("titlebk")) m_clrTitleBk = rgb.Parse(v);
    if (m_pLayout) m_pLayout->LoadFromXml(e);
    return e;
}

BOOL CDlgTemplate::OnInitDialog() {
    CDialog::OnInitDialog();
    InitColors();
    if (GetDlgFactory()->GetRoot()) {
        LoadSkin();
        // The size the skin asks for, unless the dialog places itself in BuildControls.
        if (m_nWidth > 0 && m_nHeight > 0)
            SetWindowPos(nullptr, 0, 0, m_nWidth, m_nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    BuildControls();
    GetClientRect(&m_rcClient);
    m_rcTitle = m_rcClient;
    PlaceClose(m_rcClient.Width());
    return TRUE;
}

void CDlgTemplate::BuildControls() {
    if (m_pLayout) m_pLayout->CreateControls(this);
}

void CDlgTemplate::PlaceClose(int cx) { m_rcClose = CRect(cx - 19, 8, cx - 12, 15); }

void CDlgTemplate::DrawCloseButton(int, CDC* dc) {
    CPen pen(PS_SOLID, 3, m_clrClose);
    CPen* old = dc->SelectObject(&pen);
    dc->MoveTo(m_rcClose.left, m_rcClose.top);
    dc->LineTo(m_rcClose.right, m_rcClose.bottom);
    dc->MoveTo(m_rcClose.right, m_rcClose.top);
    dc->LineTo(m_rcClose.left, m_rcClose.bottom);
    dc->SelectObject(old);
}

void CDlgTemplate::DrawBackground(CDC* dc) { dc->FillSolidRect(&m_rcClient, m_clrBk); }

void CDlgTemplate::DrawBorder(CDC* dc) {
    CPen pen(PS_SOLID, 1, m_clrBorder);
    CPen* old = dc->SelectObject(&pen);
    const CRect& rc = m_rcClient;
    dc->MoveTo(rc.left, rc.top);
    dc->LineTo(rc.left, rc.bottom - 1);
    dc->LineTo(rc.right - 1, rc.bottom - 1);
    dc->LineTo(rc.right - 1, rc.top);
    dc->LineTo(rc.left, rc.top);
    dc->SelectObject(old);
}

bool CDlgTemplate::IsTitleLeft() const { return skinxml::EqualsNoCase(m_strTitleAlign.c_str(), "left"); }

void CDlgTemplate::DrawTitle(CDC* dc) {
    if (!m_strTitle.empty()) {
        CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::kFontSong14));
        CRect band(m_rcTitle.left, m_rcTitle.top, m_rcTitle.right, m_rcTitle.top + kTitleHeight);
        if (m_clrTitleBk) dc->FillSolidRect(&band, m_clrTitleBk);
        dc->SetTextColor(m_clrTitle);
        if (IsTitleLeft()) {
            band.left += 10;
            dc->DrawText(m_strTitle, &band, DT_VCENTER | DT_SINGLELINE);
        } else {
            dc->DrawText(m_strTitle, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        dc->SelectObject(old);
    }
    if (m_pLayout)
        for (auto& s : m_pLayout->m_statics) s->Draw(dc);
}

void CDlgTemplate::PaintAll(CDC* dc) {
    dc->SetBkMode(TRANSPARENT);
    DrawBackground(dc);
    DrawBorder(dc);
    DrawTitle(dc);
    DrawCloseButton(2, dc);
}

void CDlgTemplate::OnPaint() {
    CPaintDC dc(this);
    PaintAll(&dc);
}

void CDlgTemplate::OnMouseMove(UINT flags, CPoint pt) {
    if (m_rcClose.PtInRect(pt)) {
        CClientDC dc(this);
        DrawCloseButton(1, &dc);
        TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, m_hWnd, 1};
        ::TrackMouseEvent(&tme);
    } else {
        CClientDC dc(this);
        DrawCloseButton(2, &dc);
    }
    OnMouseMoveHook(flags, pt);
    CDialog::OnMouseMove(flags, pt);
}

void CDlgTemplate::OnLButtonDown(UINT flags, CPoint pt) {
    if (m_rcClose.PtInRect(pt)) {
        CClientDC dc(this);
        DrawCloseButton(0, &dc);
    }
    OnLButtonDownHook(flags, pt);
    CDialog::OnLButtonDown(flags, pt);
}

void CDlgTemplate::OnLButtonUp(UINT flags, CPoint pt) {
    if (m_rcClose.PtInRect(pt)) {
        OnLButtonUpHook(flags, pt);
        OnCancel();
        return;
    }
    OnLButtonUpHook(flags, pt);
    CDialog::OnLButtonUp(flags, pt);
}

LRESULT CDlgTemplate::OnNcHitTest(CPoint screenPt) {
    CRect close = m_rcClose;
    ClientToScreen(&close);
    if (close.PtInRect(screenPt)) return HTCLIENT;
    CRect strip;
    GetClientRect(&strip);
    strip.bottom = strip.top + kDragHeight;
    ClientToScreen(&strip);
    if (strip.PtInRect(screenPt)) return HTCAPTION;
    return HitTest(screenPt);
}

void CDlgTemplate::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    m_rcClient = m_rcTitle = CRect(0, 0, cx, cy);
    PlaceClose(cx);
    OnSizeHook();
}

void CDlgTemplate::OnDestroy() {
    if (m_pLayout) m_pLayout->DestroyControls();
    CDialog::OnDestroy();
}

LRESULT CDlgTemplate::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_MOUSELEAVE) {
        OnMouseLeaveHook(wParam, lParam);
        Invalidate(TRUE);
        return 0;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

// ---------------------------------------------------------------- DlgFactory

void DlgFactory::LoadDlgConfig() { LoadDlgConfigFile(GetAppInfo()->GetProgramDir() + "DlgConfig.xml"); }

bool DlgFactory::LoadDlgConfigFile(const std::string& path) {
    m_doc.Clear();
    m_pRoot = nullptr;
    if (m_doc.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS) return false;
    m_pRoot = m_doc.RootElement();
    return m_pRoot != nullptr;
}

std::shared_ptr<CDlgTemplate> DlgFactory::CreateDlg(int id, CWnd* parent) {
    auto it = m_creators.find(id);
    if (it == m_creators.end() || !it->second) return nullptr;
    std::shared_ptr<CDlgTemplate> dlg(it->second(parent));
    if (!dlg) return nullptr;
    m_dialogs.push_back(dlg);
    return dlg;
}

void DlgFactory::DestroyAll() {
    while (!m_dialogs.empty()) {
        if (auto dlg = m_dialogs.front().lock())
            if (dlg->m_hWnd) dlg->DestroyWindow();
        m_dialogs.erase(m_dialogs.begin());
    }
}

bool DlgFactory::Register(int id, Creator creator) { return m_creators.emplace(id, creator).second; }

void DlgFactory::ForEachDialog(const std::function<void(CDlgTemplate*)>& fn) {
    // A copy: what fn does may create or destroy dialogs.
    auto dialogs = m_dialogs;
    for (auto& w : dialogs)
        if (auto dlg = w.lock()) fn(dlg.get());
}

void DlgFactory::OnChartWndClosing(CWnd* window) {
    ForEachDialog([window](CDlgTemplate* d) { d->OnChartWndClosing(window); });
}

void DlgFactory::HidePopups() {
    ForEachDialog([](CDlgTemplate* d) { d->HidePopup(); });
}

DlgFactory* GetDlgFactory() {
    static DlgFactory* factory = new DlgFactory;  // lives to process end, past static destructors
    return factory;
}

// ---------------------------------------------------------------- CDlgEditGrid

void CDlgEditGrid::BuildControls() {
    SetWindowPos(nullptr, m_nX, m_nY, m_nWidth, m_nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_pLayout) m_pLayout->CreateControls(this);
    m_pEdit = m_pLayout ? dynamic_cast<CMyEditCtrl*>(m_pLayout->GetControl(kEditId).get()) : nullptr;
    if (m_pEdit && m_pEdit->m_hWnd) {
        m_pEdit->SetWindowText(m_strText);
        m_pEdit->SendMessage(WM_SETFONT, (WPARAM)GetCommonVar()->GetFont(CommonVar::kFontSong12), TRUE);
        m_pEdit->SetFocus();
    }
}

void CDlgEditGrid::OnOK() {
    if (m_pEdit && m_pEdit->m_hWnd) m_strText = m_pEdit->GetWindowText();
    CDialog::OnOK();
}

LRESULT CDlgEditGrid::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == UM_EDIT_RETURN) {
        OnOK();
        return 0;
    }
    return CDlgTemplate::WindowProc(msg, wParam, lParam);
}
