// Frames, documents, views and templates.
#include "platform/Frame.h"

#include <algorithm>

#include "platform/App.h"
#include "platform/ControlBar.h"
#include "platform/Menu.h"
#include "platform/PlatformPrivate.h"

// ---- CDocument ----
CDocument::~CDocument() = default;
void CDocument::AddView(CView* v) {
    if (v && std::find(m_views.begin(), m_views.end(), v) == m_views.end()) {
        m_views.push_back(v);
        v->m_pDocument = this;
    }
}
void CDocument::RemoveView(CView* v) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), v), m_views.end());
    if (v && v->m_pDocument == this) v->m_pDocument = nullptr;
    if (m_views.empty() && m_bAutoDelete && !m_bClosing) OnCloseDocument();
}
void CDocument::OnCloseDocument() {
    if (m_bClosing) return;
    m_bClosing = true;
    std::vector<CView*> views = m_views;
    for (CView* v : views) {
        CFrameWnd* f = v->GetParentFrame();
        if (f && f->m_hWnd) f->DestroyWindow();
    }
    DeleteContents();
    if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
    if (m_bAutoDelete) delete this;
}
void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CCmdTarget* obj) {
    for (CView* v : m_views)
        if (v != sender) v->OnUpdate(sender, hint, obj);
}

// ---- CView ----
CView::~CView() {
    if (m_pDocument) {
        CDocument* doc = m_pDocument;
        m_pDocument = nullptr;
        doc->RemoveView(this);
    }
}
CFrameWnd* CView::GetParentFrame() const {
    for (CWnd* w = GetParent(); w; w = w->GetParent())
        if (auto* f = dynamic_cast<CFrameWnd*>(w)) return f;
    return nullptr;
}
BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra)) return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra);
}
void CView::OnPaint() {
    CPaintDC dc(this);
    OnDraw(&dc);
}
void CView::PostNcDestroy() {
    if (m_bAutoDelete) delete this;
}

// ---- CFrameWnd ----
CFrameWnd::CFrameWnd() = default;
CFrameWnd::~CFrameWnd() = default;
BOOL CFrameWnd::LoadFrame(UINT, DWORD style, CWnd* parent) {
    RECT rc{0, 0, 1024, 768};
    SystemParametersWorkArea(&rc);
    return CreateEx(0, nullptr, "", style, rc, parent, 0);
}
void CFrameWnd::SetActiveView(CView* view, BOOL notify) {
    CView* old = m_pActiveView;
    if (old == view) return;
    m_pActiveView = view;
    if (notify) {
        if (old) old->OnActivateView(FALSE, view, old);
        if (view) view->OnActivateView(TRUE, view, old);
    }
}
CDocument* CFrameWnd::GetActiveDocument() {
    CFrameWnd* f = GetActiveFrame();
    CView* v = f ? f->GetActiveView() : nullptr;
    return v ? v->GetDocument() : nullptr;
}
void CFrameWnd::DockBar(CWnd* bar, int edge, int thickness) {
    UndockBar(bar);
    m_bars.push_back({bar, edge, thickness});
    RecalcLayout();
}
void CFrameWnd::UndockBar(CWnd* bar) {
    m_bars.erase(
        std::remove_if(m_bars.begin(), m_bars.end(), [bar](const Bar& b) { return b.wnd == bar; }),
        m_bars.end());
}
CRect CFrameWnd::GetClientArea() const {
    return const_cast<CFrameWnd*>(this)->LayoutBars(false);
}
// Control bars first, in creation order, each asked for its size; then the bars docked
// with a fixed thickness. What is left is the client area.
CRect CFrameWnd::LayoutBars(bool place) {
    CRect rc;
    GetClientRect(&rc);
    const std::vector<CWnd*> kids = d->children;
    for (CWnd* w : kids) {
        auto* bar = dynamic_cast<CControlBar*>(w);
        if (!bar || !bar->m_hWnd || !(bar->GetStyle() & WS_VISIBLE)) continue;
        const DWORD align = bar->GetBarStyle() & CBRS_ALIGN_ANY;
        const CSize size = bar->GetLayoutSize(TRUE);
        CRect r;
        if (align & CBRS_ALIGN_BOTTOM) {
            const int cy = std::clamp<int>(size.cy, 0, std::max(0, rc.Height()));
            r = CRect(rc.left, rc.bottom - cy, rc.left + std::min<int>(size.cx, rc.Width()), rc.bottom);
            rc.bottom -= cy;
        } else if (align & CBRS_ALIGN_LEFT) {
            const int cx = std::clamp<int>(size.cx, 0, std::max(0, rc.Width()));
            r = CRect(rc.left, rc.top, rc.left + cx, rc.top + std::min<int>(size.cy, rc.Height()));
            rc.left += cx;
        } else if (align & CBRS_ALIGN_RIGHT) {
            const int cx = std::clamp<int>(size.cx, 0, std::max(0, rc.Width()));
            r = CRect(rc.right - cx, rc.top, rc.right, rc.top + std::min<int>(size.cy, rc.Height()));
            rc.right -= cx;
        } else {
            // top, and bars that name no side
            const int cy = std::clamp<int>(size.cy, 0, std::max(0, rc.Height()));
            r = CRect(rc.left, rc.top, rc.left + std::min<int>(size.cx, rc.Width()), rc.top + cy);
            rc.top += cy;
        }
        if (place) {
            CRect now;
            bar->GetWindowRect(&now);
            ScreenToClient(&now);
            if (now != r) bar->MoveWindow(&r);
        }
    }
    for (const Bar& b : m_bars) {
        if (!b.wnd || !b.wnd->m_hWnd || !(b.wnd->GetStyle() & WS_VISIBLE)) continue;
        CRect r;
        switch (b.edge) {
            case 0:
                r = CRect(rc.left, rc.top, rc.right, rc.top + b.thickness);
                rc.top += b.thickness;
                break;
            case 1:
                r = CRect(rc.left, rc.bottom - b.thickness, rc.right, rc.bottom);
                rc.bottom -= b.thickness;
                break;
            case 2:
                r = CRect(rc.left, rc.top, rc.left + b.thickness, rc.bottom);
                rc.left += b.thickness;
                break;
            default:
                r = CRect(rc.right - b.thickness, rc.top, rc.right, rc.bottom);
                rc.right -= b.thickness;
                break;
        }
        if (place) b.wnd->MoveWindow(&r);
    }
    return rc;
}
void CFrameWnd::DockControlBar(CControlBar* bar, DWORD dockSide) {
    if (!bar || !bar->m_hWnd) return;
    const DWORD allowed = (bar->GetDockStyle() ? bar->GetDockStyle() : CBRS_ALIGN_ANY) &
                          (m_dockSides ? m_dockSides : CBRS_ALIGN_ANY);
    DWORD side = dockSide & allowed;
    for (DWORD s : {DWORD(CBRS_ALIGN_TOP), DWORD(CBRS_ALIGN_BOTTOM), DWORD(CBRS_ALIGN_LEFT),
                    DWORD(CBRS_ALIGN_RIGHT)})
        if (!side && (allowed & s)) side = s;
    if (!side) return;
    bar->SetBarStyle((bar->GetBarStyle() & ~CBRS_ALIGN_ANY) | side);
    RecalcLayout();
}
void CFrameWnd::ShowControlBar(CControlBar* bar, BOOL show, BOOL delay) {
    if (!bar || !bar->m_hWnd) return;
    bar->ShowWindow(show ? SW_SHOWNA : SW_HIDE);
    if (!delay) RecalcLayout();
}
void CFrameWnd::RecalcLayout(BOOL) {
    if (!m_hWnd) return;
    CRect rc = LayoutBars(true);
    if (m_pActiveView && m_pActiveView->m_hWnd) m_pActiveView->MoveWindow(&rc);
}
CCmdUI CFrameWnd::QueryCommandState(UINT nID) {
    CCmdUI ui;
    ui.m_nID = nID;
    OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &ui);
    return ui;
}
BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra) {
    if (m_pActiveView && m_pActiveView->OnCmdMsg(nID, nCode, pExtra)) return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra)) return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(nID, nCode, pExtra);
}
BOOL CFrameWnd::OnCommand(WPARAM wp, LPARAM lp) {
    UINT code = HIWORD(wp);
    if (code == 0 || code == 1 || lp == 0) {
        // a command that is disabled right now is not carried out
        CCmdUI ui = QueryCommandState(LOWORD(wp));
        if (ui.m_bHandled && !ui.m_bEnabled) return TRUE;
        return OnCmdMsg(LOWORD(wp), CN_COMMAND, nullptr);
    }
    return FALSE;
}
void CFrameWnd::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    RecalcLayout();
}
void CFrameWnd::OnClose() {
    DestroyWindow();
}
void CFrameWnd::OnInitMenuPopup(CMenu* popup, UINT, BOOL sysMenu) {
    if (!popup || sysMenu) return;
    for (int i = 0; i < popup->GetMenuItemCount(); ++i) {
        UINT id = popup->GetMenuItemID(i);
        if (id == 0 || id == (UINT)-1) continue;
        CCmdUI ui = QueryCommandState(id);
        if (!ui.m_bHandled) continue;
        popup->EnableMenuItem(i, MF_BYPOSITION | (ui.m_bEnabled ? MF_ENABLED : MF_GRAYED));
        popup->CheckMenuItem(i, MF_BYPOSITION | (ui.m_nCheck ? MF_CHECKED : MF_UNCHECKED));
        if (ui.m_bTextSet)
            popup->ModifyMenu(
                i,
                MF_BYPOSITION | MF_STRING |
                    (popup->GetMenuState(i, MF_BYPOSITION) & (MF_GRAYED | MF_CHECKED)),
                id, ui.m_strText.c_str());
    }
}
void CFrameWnd::PostNcDestroy() {
    if (m_bAutoDelete) delete this;
}

// ---- CMDIFrameWnd ----
CMDIFrameWnd::~CMDIFrameWnd() = default;
int CMDIFrameWnd::OnCreate(LPCREATESTRUCT cs) {
    m_workspace = std::make_unique<CWnd>();
    CRect rc;
    GetClientRect(&rc);
    if (!m_workspace->Create(nullptr, "", WS_CHILD | WS_VISIBLE, rc, this, 0xE900)) return -1;
    return CFrameWnd::OnCreate(cs);
}
void CMDIFrameWnd::RecalcLayout(BOOL notify) {
    if (!m_hWnd) return;
    CFrameWnd::RecalcLayout(notify);
    CRect rc = GetClientArea();
    if (m_workspace && m_workspace->m_hWnd) m_workspace->MoveWindow(&rc);
    for (CMDIChildWnd* c : m_children)
        if (c->m_hWnd) c->MoveWindow(0, 0, rc.Width(), rc.Height());
}
CFrameWnd* CMDIFrameWnd::GetActiveFrame() {
    return m_active ? static_cast<CFrameWnd*>(m_active) : this;
}
CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* maximized) const {
    if (maximized) *maximized = m_active != nullptr;
    return m_active;
}
void CMDIFrameWnd::MDIActivate(CWnd* child) {
    auto* c = dynamic_cast<CMDIChildWnd*>(child);
    if (!c || std::find(m_children.begin(), m_children.end(), c) == m_children.end()) return;
    if (m_active == c) return;
    CMDIChildWnd* old = m_active;
    m_active = c;
    c->ShowWindow(SW_SHOW);
    if (old && old->m_hWnd) old->ShowWindow(SW_HIDE);
    HWND was = old ? old->m_hWnd : nullptr;
    if (old && old->m_hWnd) old->SendMessage(WM_MDIACTIVATE, (WPARAM)was, (LPARAM)c->m_hWnd);
    if (c->m_hWnd) c->SendMessage(WM_MDIACTIVATE, (WPARAM)was, (LPARAM)c->m_hWnd);
    if (CView* v = c->GetActiveView()) v->SetFocus();
}
void CMDIFrameWnd::MDINext() {
    if (m_children.size() < 2) return;
    auto it = std::find(m_children.begin(), m_children.end(), m_active);
    size_t i =
        it == m_children.end() ? 0 : (size_t)(it - m_children.begin() + 1) % m_children.size();
    MDIActivate(m_children[i]);
}
void CMDIFrameWnd::MDIDestroy(CWnd* child) {
    if (child && child->m_hWnd) child->DestroyWindow();
}
BOOL CMDIFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra) {
    if (m_active && m_active->m_hWnd && m_active->OnCmdMsg(nID, nCode, pExtra)) return TRUE;
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra);
}
void CMDIFrameWnd::AttachChild(CMDIChildWnd* c) {
    m_children.push_back(c);
}
void CMDIFrameWnd::DetachChild(CMDIChildWnd* c) {
    m_children.erase(std::remove(m_children.begin(), m_children.end(), c), m_children.end());
    if (m_active == c) {
        m_active = nullptr;
        if (!m_children.empty()) MDIActivate(m_children.back());
    }
}

// ---- CMDIChildWnd ----
CMDIChildWnd::~CMDIChildWnd() = default;
BOOL CMDIChildWnd::Create(CMDIFrameWnd* main, const char* title) {
    if (!main || !main->GetWorkspace()) return FALSE;
    m_pMDIFrame = main;
    CRect rc;
    main->GetWorkspace()->GetClientRect(&rc);
    if (!CreateEx(0, nullptr, title, WS_CHILD, rc, main->GetWorkspace(), 0)) return FALSE;
    main->AttachChild(this);
    return TRUE;
}
void CMDIChildWnd::MDIActivate() {
    if (m_pMDIFrame) m_pMDIFrame->MDIActivate(this);
}
void CMDIChildWnd::MDIDestroy() {
    DestroyWindow();
}
void CMDIChildWnd::OnSize(UINT type, int cx, int cy) {
    CFrameWnd::OnSize(type, cx, cy);
}
void CMDIChildWnd::OnClose() {
    DestroyWindow();
}
void CMDIChildWnd::OnDestroy() {
    if (m_pMDIFrame) m_pMDIFrame->DetachChild(this);
    m_pActiveView = nullptr;
    CFrameWnd::OnDestroy();
}

// ---- CDocTemplate ----
CDocTemplate::CDocTemplate(UINT id, DocFactory doc, FrameFactory frame, ViewFactory view)
    : m_nIDResource(id),
      m_doc(std::move(doc)),
      m_frame(std::move(frame)),
      m_view(std::move(view)) {}
CDocTemplate::~CDocTemplate() {
    std::vector<CDocument*> docs = m_docs;
    for (CDocument* d : docs) {
        d->m_pDocTemplate = nullptr;
    }
}
void CDocTemplate::RemoveDocument(CDocument* doc) {
    m_docs.erase(std::remove(m_docs.begin(), m_docs.end(), doc), m_docs.end());
}
CDocument* CDocTemplate::OpenDocumentFile(const char* path, BOOL makeVisible) {
    if (!m_doc || !m_frame || !m_view) return nullptr;
    CDocument* doc = m_doc();
    if (!doc) return nullptr;
    doc->m_pDocTemplate = this;
    m_docs.push_back(doc);
    BOOL ok = path ? doc->OnOpenDocument(path) : doc->OnNewDocument();
    if (!ok) {
        RemoveDocument(doc);
        delete doc;
        return nullptr;
    }
    if (path) doc->SetPathName(path);
    CFrameWnd* frame = m_frame();
    auto* child = dynamic_cast<CMDIChildWnd*>(frame);
    auto* main = dynamic_cast<CMDIFrameWnd*>(AfxGetMainWnd());
    BOOL created = FALSE;
    if (child && main)
        created = child->Create(main, doc->GetTitle().c_str());
    else if (frame)
        created = frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW, nullptr);
    if (!created) {
        delete frame;
        RemoveDocument(doc);
        delete doc;
        return nullptr;
    }
    CView* view = m_view();
    CRect rc = frame->GetClientArea();
    if (!view || !view->CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, rc, frame, 0xE900)) {
        delete view;
        frame->DestroyWindow();
        RemoveDocument(doc);
        delete doc;
        return nullptr;
    }
    doc->AddView(view);
    frame->SetActiveView(view);
    frame->RecalcLayout();
    view->OnInitialUpdate();
    if (makeVisible) {
        if (child)
            child->MDIActivate();
        else
            frame->ShowWindow(SW_SHOW);
    }
    return doc;
}
