#include "app/TarrowView.h"

#include <tinyxml2.h>
#include <strings.h>

#include <filesystem>

#include "app/ContextMenus.h"
#include "app/MainFrame.h"
#include "app/TarrowApp.h"
#include "foundation/AtomicFile.h"
#include "foundation/MyLog.h"
#include "foundation/XmlAttr.h"
#include "foundation/XmlFile.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/net/Report.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "ui/element/ElementEnv.h"
#include "ui/element/ElementWnd.h"

namespace {
constexpr DWORD kKeyGatherMs = 100;
constexpr UINT kKeyGatherCount = 9;
}  // namespace

// ---- CChildFrame ----

void CChildFrame::ActivateFrame(int) {
    MDIActivate();
}

int CChildFrame::OnCreate(LPCREATESTRUCT cs) {
    ModifyStyleEx(WS_EX_CLIENTEDGE, 0);
    ModifyStyle(WS_CAPTION, 0);
    return CSkinMDIChildWnd::OnCreate(cs);
}

void CChildFrame::OnSysCommand(UINT id, LPARAM lParam) {
    const UINT cmd = id & 0xFFF0;
    CWnd* main = AfxGetMainWnd();
    if (main && (cmd == SC_MINIMIZE || cmd == SC_CLOSE || cmd == SC_RESTORE)) {
        UINT forward = cmd;
        if (cmd == SC_RESTORE && !main->IsZoomed()) forward = SC_MAXIMIZE;
        main->PostMessage(WM_SYSCOMMAND, forward, lParam);
        return;
    }
    CSkinMDIChildWnd::OnSysCommand(id, lParam);
}

void CChildFrame::OnClose() {
    if (CView* view = GetActiveView()) {
        CDocument* doc = view->GetDocument();
        if (doc && strcasecmp(doc->GetTitle().c_str(), "选股训练") == 0) SendUsageAction(3, 1);
    }
    CSkinMDIChildWnd::OnClose();
}

void CChildFrame::OnDestroy() {
    if (auto* main = dynamic_cast<CMainFrame*>(AfxGetMainWnd())) main->OnChildFrameClosed(this);
    CSkinMDIChildWnd::OnDestroy();
}

LRESULT CChildFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_MDIACTIVATE) return CSkinMDIChildWnd::WindowProc(msg, wParam, lParam);
    LRESULT r = CSkinMDIChildWnd::WindowProc(msg, wParam, lParam);
    const bool active = (HWND)lParam == m_hWnd;
    auto* main = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    if (!active && main) main->HidePopups();
    if (auto* view = dynamic_cast<C_Tarrow_View*>(GetActiveView())) view->SetViewActive(active);
    if (active && main) {
        if (CView* view = GetActiveView(); view && view->GetDocument())
            main->SelectTab(view->GetDocument()->GetTitle());
    }
    return r;
}

// ---- CSplitView ----

void CSplitView::OnSize(UINT type, int cx, int cy) {
    CView::OnSize(type, cx, cy);
    if (m_pSplitRoot) m_pSplitRoot->Recalc(0, 0, cx, cy);
}

// ---- C_Tarrow_View ----

C_Tarrow_View::C_Tarrow_View() {
    m_clock = [] { return GetTickCount(); };
    m_modifiers = [] {
        UINT flags = 0;
        if (GetKeyState(VK_CONTROL) < 0) flags |= 1;
        if (GetKeyState(VK_MENU) < 0) flags |= 2;
        if (GetKeyState(VK_SHIFT) < 0) flags |= 4;
        return flags;
    };
}

C_Tarrow_View::~C_Tarrow_View() {
    m_pActiveElement = nullptr;
    m_pSoloWnd = nullptr;
    m_pRoot.reset();
}

int C_Tarrow_View::OnCreate(LPCREATESTRUCT cs) {
    ModifyStyleEx(WS_EX_CLIENTEDGE, 0);
    if (CSplitView::OnCreate(cs) == -1) return -1;
    SetBackgroundColor(ElementColour(CommonColor::uniBackGround));
    m_pRoot = std::make_unique<CLayoutManager>(this, nullptr);
    return 0;
}

void C_Tarrow_View::OnDestroy() {
    // A closing workspace keeps what the user changed in its layout.
    if (m_bLayoutModified && !m_strLayoutPath.empty() && m_pRoot) {
        if (SaveLayout(m_strLayoutPath)) m_bLayoutModified = 0;
    }
    CSplitView::OnDestroy();
    m_pActiveElement = nullptr;
    m_pActiveNode = nullptr;
    m_pSoloWnd = nullptr;
    m_pRoot.reset();
}

void C_Tarrow_View::OnSize(UINT type, int cx, int cy) {
    CSplitView::OnSize(type, cx, cy);
    RecalcLayout();
}

void C_Tarrow_View::RecalcLayout() {
    if (!m_pRoot || !m_hWnd) return;
    CRect rc;
    GetClientRect(&rc);
    if (m_pSoloWnd && m_pSoloWnd->m_hWnd) {
        m_pRoot->Recalc(0, 0, 0, 0);
        m_pSoloWnd->SetPaintSuspended(0);
        m_pSoloWnd->SetWindowPos(nullptr, rc.left, rc.top, rc.Width(), rc.Height(),
                                 SWP_NOZORDER | SWP_SHOWWINDOW);
        m_pSoloWnd->Invalidate();
    } else {
        m_pRoot->Recalc(rc);
    }
}

void C_Tarrow_View::SetActiveElement(CElementWnd* element) {
    if (element == m_pActiveElement) return;
    if (m_pActiveElement) m_pActiveElement->SetActive(0);
    m_pActiveElement = element;
    if (element) element->SetActive(1);
    m_pActiveNode = element ? element->m_pLayoutNode : nullptr;
}

void C_Tarrow_View::SetViewActive(bool active) {
    m_bActive = active ? 1 : 0;
    if (!m_pRoot) return;
    if (active) {
        m_pRoot->AttachAll();
        // Elements do not paint while their workspace is hidden; show them as they are now.
        m_pRoot->BroadcastMessage(UM_RELAYOUT, 0, 0);
    } else {
        m_pRoot->DetachAll();
    }
}

void C_Tarrow_View::ResetLayout() {
    if (!m_pRoot) return;
    m_pActiveElement = nullptr;
    m_pActiveNode = nullptr;
    m_pSoloWnd = nullptr;
    m_pRoot->Clear();
    m_pRoot->m_nChartStyle = 0;
    if (m_pRoot->CreateLeafWindow("CElementWnd")) SetActiveElement(m_pRoot->m_pWnd);
    m_strLayoutPath = m_strDefaultPath;
    m_strLayoutKey.clear();
}

void C_Tarrow_View::ReportDamagedLayout(const std::string& path, const std::string& reason) {
    std::string aside = KeepAside(path);
    GetAppLog().WriteLog("%s %d", "C_Tarrow_View::LoadLayout", __LINE__);
    std::string text = "布局文件已损坏：" + path + "\n" + reason + "\n";
    if (!aside.empty()) text += "原文件已保存为：" + aside + "\n";
    text += "已恢复为默认布局。";
    ::MessageBox(AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr, text.c_str(), "提示",
                 MB_OK | MB_ICONINFORMATION);
}

int C_Tarrow_View::LoadLayout(const std::string& path, int kind, const CIndSecuCode* code,
                              const CGroup* group, void* context) {
    if (!m_pRoot) return 0;
    if (m_bLayoutModified && !m_strLayoutPath.empty()) {
        SaveLayout(m_strLayoutPath);
        m_bLayoutModified = 0;
    }
    CRect rc;
    GetClientRect(&rc);
    if (path.empty()) {
        ResetLayout();
        m_pRoot->Recalc(rc);
        return 0;
    }
    tinyxml2::XMLDocument doc;
    std::string error;
    XmlLoadResult result = LoadXmlFile(doc, path, &error);
    if (result == XmlLoadResult::Damaged) {
        ResetLayout();
        RecalcLayout();
        ReportDamagedLayout(path, error);
        return 0;
    }
    if (result != XmlLoadResult::Ok || !doc.RootElement()) return 0;
    const tinyxml2::XMLElement* root = doc.RootElement();
    m_strLayoutPath = path;
    m_strLayoutKey = LayoutKeyOfPath(path);
    m_pActiveElement = nullptr;
    m_pActiveNode = nullptr;
    m_pSoloWnd = nullptr;
    m_pRoot->ReadViewProp(root->FirstChildElement("ViewProp"));
    m_bThinSplitter = m_pRoot->m_bThinSplitter;
    try {
        m_pRoot->Load(root);
    } catch (const std::exception& e) {
        // Nothing half-built stays: a fresh pane, and the damaged file out of the way of
        // the next save.
        ResetLayout();
        RecalcLayout();
        ReportDamagedLayout(path, e.what());
        return 0;
    }
    ApplyLoadedLayout(kind, code, group, context);
    return 0;
}

void C_Tarrow_View::ApplyLoadedLayout(int kind, const CIndSecuCode* code, const CGroup* group,
                                      void* context) {
    m_pActiveNode = nullptr;
    m_pActiveElement = nullptr;
    if (context) m_pRoot->SetContextAll(context);
    if (kind == 1 && code) m_pRoot->SetSecurityAll(*code, group);
    RecalcLayout();
    m_pRoot->AttachAll();
    CLayoutManager* first = m_pRoot->FirstLeaf();
    if (first && first->m_pWnd) SetActiveElement(first->m_pWnd);
}

bool C_Tarrow_View::SaveLayout(const std::string& path) {
    if (!m_pRoot || path.empty()) return false;
    try {
        std::error_code ec;
        std::filesystem::path dir = std::filesystem::path(path).parent_path();
        if (!dir.empty()) std::filesystem::create_directories(dir, ec);
        tinyxml2::XMLDocument doc;
        AddXmlDeclaration(doc);
        tinyxml2::XMLElement* view = doc.NewElement("view");
        doc.InsertEndChild(view);
        m_pRoot->m_bThinSplitter = m_bThinSplitter;
        m_pRoot->WriteViewProp(view->InsertNewChildElement("ViewProp"));
        m_pRoot->Save(view);
        return SaveXmlFile(doc, path);
    } catch (...) {
        return false;
    }
}

void C_Tarrow_View::OnViewNotify(int kind, const std::string& text) {
    if (!m_pActiveElement || !m_pRoot) return;
    CElementWnd* target = m_pActiveElement->GetTextTarget();
    if (!target) return;
    if (kind == 3) {
        CIndSecuCode code = ParseSecurityKey(text);
        if (GetDataCenter()->FindSecurity(code)) {
            if (C_Tarrow_App* app = TarrowApp())
                app->OpenLayoutFrame(GetAppInfo()->GetProgramDir() + "layout/trend.xlay", 1, &code);
        }
        return;
    }
    if (!target->OnTypedText(kind, text)) m_pRoot->BroadcastTypedText(kind, text);
}

void C_Tarrow_View::DispatchKey(UINT key, UINT count, UINT flags) {
    if (!m_pRoot) return;
    if (count == 0) count = 1;
    switch (key) {
        case VK_ESCAPE: {
            int handled = m_pActiveElement ? m_pActiveElement->OnElementKeyDown(key, count, flags) : 0;
            if (!handled && m_pSoloWnd) m_pSoloWnd->OnLayoutCommand(ID_SOLO_WINDOW, 0);
            break;
        }
        case VK_TAB: {
            CLayoutManager* leaf = (flags & 4) ? CLayoutManager::NextLeaf(m_pActiveNode, m_pRoot.get())
                                               : CLayoutManager::PrevLeaf(m_pActiveNode, m_pRoot.get());
            if (leaf && leaf->m_pWnd) SetActiveElement(leaf->m_pWnd);
            break;
        }
        default:
            if (m_pActiveElement) m_pActiveElement->OnElementKeyDown(key, count, flags);
            break;
    }
}

void C_Tarrow_View::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    const UINT mods = m_modifiers ? m_modifiers() : 0;
    const DWORD now = m_clock ? m_clock() : GetTickCount();
    if (repeat == 0) repeat = 1;
    auto startNew = [&] {
        m_nPendingKey = vk;
        m_nPendingFlags = mods;
        m_nPendingCount = 0;
        m_nLastKeyTick = now;
        m_bKeyPending = true;
        DispatchKey(vk, repeat, mods);
    };
    if (!m_bKeyPending || vk != m_nPendingKey) {
        if (m_bKeyPending && m_nPendingCount > 0)
            DispatchKey(m_nPendingKey, m_nPendingCount, m_nPendingFlags);
        startNew();
    } else if (mods == m_nPendingFlags) {
        m_nPendingCount += repeat;
        if (m_nPendingCount > kKeyGatherCount || now - m_nLastKeyTick > kKeyGatherMs) {
            DispatchKey(vk, m_nPendingCount, mods);
            m_nLastKeyTick = now;
            m_bKeyPending = false;
            m_nPendingKey = 0;
            m_nPendingCount = 0;
        }
    } else {
        startNew();
    }
    Default();
}

void C_Tarrow_View::OnChar(UINT ch, UINT repeat, UINT flags) {
    auto* main = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    if (main && main->DivertToCodeInput(this, ch)) return;
    Default();
}

BOOL C_Tarrow_View::OnMouseWheel(UINT flags, short delta, CPoint screenPt) {
    if (m_pActiveElement && m_pActiveElement->m_hWnd) {
        CPoint pt = screenPt;
        m_pActiveElement->ScreenToClient(&pt);
        if (!m_pActiveElement->OnElementMouseWheel(flags, delta, pt.x, pt.y))
            PostMessage(WM_KEYDOWN, delta < 0 ? VK_NEXT : VK_PRIOR, 1);
    }
    return (BOOL)Default();
}

void C_Tarrow_View::ShowEditMenu(CPoint screenPt) {
    CSkinMenu menu;
    if (!menu.CreatePopupMenu() || !BuildContextMenu(IDR_POPUP_EDIT, menu)) return;
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screenPt.x, screenPt.y, this);
}

void C_Tarrow_View::OnRButtonUp(UINT flags, CPoint pt) {
    ClientToScreen(&pt);
    ShowEditMenu(pt);
}

void C_Tarrow_View::OnContextMenu(CWnd* wnd, CPoint screenPt) {
    ShowEditMenu(screenPt);
}

BOOL C_Tarrow_View::OnCmdMsg(UINT nID, int nCode, void* pExtra) {
    if (m_pActiveElement) {
        if (nCode == CN_COMMAND && m_pActiveElement->OnLayoutCommand(nID, 0)) return TRUE;
        if (nCode == CN_UPDATE_COMMAND_UI && pExtra &&
            m_pActiveElement->OnUpdateLayoutCommand(static_cast<CCmdUI*>(pExtra)))
            return TRUE;
    }
    return CSplitView::OnCmdMsg(nID, nCode, pExtra);
}

void C_Tarrow_View::OnDraw(CDC* dc) {
    CRect rc;
    GetClientRect(&rc);
    dc->FillSolidRect(&rc, ElementColour(CommonColor::uniBackGround));
}
