#include "ui/element/ElementWnd.h"

#include <tinyxml2.h>

#include <algorithm>
#include <map>
#include <strings.h>

#include "foundation/XmlAttr.h"
#include "platform/App.h"
#include "platform/SkinMenu.h"
#include "ui/CommonVar.h"
#include "ui/SkinResManager.h"
#include "ui/element/ElementEnv.h"
#include "ui/element/ElementHost.h"
#include "ui/layout/LayoutCutter.h"
#include "ui/layout/LayoutManager.h"

namespace {
UINT g_nextControlId = 100;

std::map<std::string, ElementCreator>& Registry() {
    static std::map<std::string, ElementCreator> registry;
    return registry;
}

bool SameCodeNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}
}  // namespace

// ---- CMyMemDC ----

CMyMemDC::CMyMemDC(CDC* dc, const RECT& rect) : m_rect(rect) {
    CreateCompatibleDC(dc);
    m_bitmap.CreateCompatibleBitmap(dc, std::max(1, m_rect.Width()), std::max(1, m_rect.Height()));
    m_oldBitmap = SelectObject(&m_bitmap);
}

CMyMemDC::~CMyMemDC() {
    SelectObject(m_oldBitmap);
    m_bitmap.DeleteObject();
    DeleteDC();
}

// ---- CElementWnd ----

CElementWnd::CElementWnd() {
    m_clrLeftBorder = m_clrRightBorder = m_clrTopBorder = m_clrBottomBorder =
        ElementColour(CommonColor::uniWnd_Border);
}

CElementWnd::~CElementWnd() {
    GetCommonVar()->ForgetElement(this);
    if (CElementHost* host = GetHost()) {
        if (host->GetSoloWindow() == this) host->SetSoloWindow(nullptr);
        if (host->GetActiveElement() == this) host->SetActiveElement(nullptr);
    }
    m_pMemDC.reset();
    std::vector<CElementWnd*> children = std::move(m_children);
    for (CElementWnd* child : children) {
        if (child->m_hWnd) child->DestroyWindow();
        delete child;
    }
    m_pContent = nullptr;
    if (m_elementBar.m_hWnd) m_elementBar.DestroyWindow();
    if (m_hWnd) DestroyWindow();
}

UINT CElementWnd::PeekNextControlId() {
    return g_nextControlId;
}

CElementHost* CElementWnd::GetHost() const {
    return dynamic_cast<CElementHost*>(m_pOwner);
}

std::string CElementWnd::GetWorkspaceKey() const {
    CElementHost* host = GetHost();
    return host ? host->GetWorkspaceKey() : std::string();
}

void CElementWnd::AddChildElement(std::unique_ptr<CElementWnd> child) {
    if (child) m_children.push_back(child.release());
}

BOOL CElementWnd::Create(CWnd* parent) {
    if (!parent) parent = m_pOwner;
    UINT id = g_nextControlId++;
    if (!CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), parent, id))
        return FALSE;
    if (m_nElementBarKind > 0) {
        m_elementBar.m_pOwnerElement = this;
        m_elementBar.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this,
                              (UINT)-1);
    }
    return TRUE;
}

void CElementWnd::DrawClient(CDC* dc) {
    if (dc->IsPrinting() || m_iDrawStyle != 0)
        SendBackgroundRequest(dc);
    else
        dc->FillSolidRect(&m_rcClient, ElementColour(CommonColor::uniBackGround));
}

void CElementWnd::RecalcLayout() {
    m_rcBorder = m_rcClient;
    m_rcBorder.left += m_nMarginLeft;
    m_rcBorder.top += m_nMarginTop;
    m_rcBorder.right -= m_nMarginRight;
    m_rcBorder.bottom -= m_nMarginBottom;
    m_rcContent = m_rcBorder;
    if (m_bLeftBorder) m_rcContent.left += 1;
    if (m_bRightBorder) m_rcContent.right -= 1;
    if (m_bTopBorder) m_rcContent.top += 1;
    if (m_bBottomBorder) m_rcContent.bottom -= 1;
    if (m_nElementBarKind > 0 && m_elementBar.m_hWnd && !m_elementBar.m_bShow) {
        m_elementBar.MoveWindow(0, 0, 0, 0);
    } else if (m_nElementBarKind > 0 && m_elementBar.m_hWnd) {
        m_elementBar.Layout(m_rcContent.Width());
        int h = m_elementBar.m_nHeight;
        if (h > 0) {
            if (m_elementBar.m_nPosition == 2) {
                m_elementBar.MoveWindow(m_rcContent.left, m_rcContent.top, m_rcContent.Width(), h);
                m_rcContent.top += h;
            } else if (m_elementBar.m_nPosition == 3) {
                m_elementBar.MoveWindow(m_rcContent.left, m_rcContent.bottom - h,
                                        m_rcContent.Width(), h);
                m_rcContent.bottom -= h;
            }
        }
    }
}

int CElementWnd::OnCreated(int reload) {
    for (CElementWnd* child : m_children) child->OnCreated(reload);
    // Looked up again on a reload: a new skin decodes its images anew.
    m_pBkImage = GetSkinResManager()->GetImage("image", "bk_ground", "blockwnd");
    return 1;
}

void CElementWnd::OnElementMouseMove(UINT flags, int x, int y) {
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void CElementWnd::OnElementMouseHover() {
    GetCommonVar()->SetCurrentElement(this);
}

namespace {
ElementTipSink& TipSink() {
    static ElementTipSink sink;
    return sink;
}
}  // namespace

void SetElementTipSink(ElementTipSink sink) {
    TipSink() = std::move(sink);
}

void CElementWnd::OnElementMouseLeave() {
    m_ptHover = CPoint(-1, -1);
    GetCommonVar()->ForgetElement(this);
    if (TipSink().leave) TipSink().leave(this);
}

void CElementWnd::OnElementRButtonUp(UINT flags, int x, int y) {
    if (ElementDragFlag()) return;
    CSkinMenu menu;
    if (!menu.CreatePopupMenu()) return;
    CElementWnd* builder = (m_pWrapper && m_pWrapper->m_bMenuFromWrapper) ? m_pWrapper : this;
    if (!builder->BuildContextMenu(&menu, x, y)) return;
    CPoint pt(x, y);
    ClientToScreen(&pt);
    CWnd* main = AfxGetMainWnd();
    UINT id = menu.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, pt.x, pt.y, main ? main : this);
    main = AfxGetMainWnd();
    if (id && main && main->m_hWnd) main->PostMessage(WM_COMMAND, id, 0);
}

void CElementWnd::OnDataChanged() {
    for (CElementWnd* child : m_children) child->OnDataChanged();
}

int CElementWnd::OnTypedText(int kind, const std::string& text) {
    return m_pContent ? m_pContent->OnTypedText(kind, text) : 0;
}

int CElementWnd::OnElementKeyDown(UINT key, UINT count, UINT flags) {
    return ElementDragFlag() ? OnDragKey(key) : 0;
}

int CElementWnd::GetTipText(int x, int y, std::vector<std::string>& lines) {
    return m_pContent ? m_pContent->GetTipText(x, y, lines) : 0;
}

void CElementWnd::RefreshTip() {
    if (HasOwnTipLayer()) return;
    std::vector<std::string> lines;
    const int count = GetTipText(m_ptHover.x, m_ptHover.y, lines);
    if (TipSink().show) TipSink().show(this, lines, count > 0 && !lines.empty());
}

void CElementWnd::GetTitle(std::string& title) {
    if (m_pContent)
        m_pContent->GetTitle(title);
    else
        title.clear();
}

int CElementWnd::BuildContextMenu(CMenu* menu, int x, int y) {
    CLayoutManager* node = m_pLayoutNode;
    if (node && node->m_pParent) {
        CLayoutManager* parent = node->m_pParent;
        int o = parent->GetOrientation();
        const char* text = nullptr;
        if (parent->m_pFirst == node) {
            if (parent->m_pSecond && parent->m_pSecond->m_nFixedSize > 0)
                text = o == 0 ? "下边窗口已经固定" : o == 1 ? "右边窗口已经固定" : nullptr;
            else
                text = "固定窗口";
        } else if (parent->m_pSecond == node) {
            if (parent->m_pFirst && parent->m_pFirst->m_nFixedSize > 0)
                text = o == 0 ? "上边窗口已经固定" : o == 1 ? "左边窗口已经固定" : nullptr;
            else
                text = "固定窗口";
        }
        if (text) menu->AppendMenu(MF_STRING, ID_FIX_WINDOW, text);
    }
    return menu->GetMenuItemCount() > 0;
}

CLayoutManager* CElementWnd::FindAncestorSplit(int orientation, bool wantFirst) const {
    for (CLayoutManager* n = m_pLayoutNode; n && n->m_pParent; n = n->m_pParent) {
        CLayoutManager* p = n->m_pParent;
        if (p->GetOrientation() != orientation || !p->m_pCutter) continue;
        if ((wantFirst && p->m_pFirst == n) || (!wantFirst && p->m_pSecond == n)) return p;
    }
    return nullptr;
}

namespace {
// The split a collapse command acts on: its orientation, and whether the element must lie
// on its first side. False for other commands.
bool CollapseCommand(UINT id, int& orientation, bool& wantFirst) {
    if (id != ID_HIDE_LEFT && id != ID_HIDE_RIGHT && id != ID_HIDE_TOP && id != ID_HIDE_BOTTOM)
        return false;
    orientation = (id == ID_HIDE_LEFT || id == ID_HIDE_RIGHT) ? 1 : 0;
    wantFirst = id == ID_HIDE_RIGHT || id == ID_HIDE_BOTTOM;
    return true;
}

// Solo display and its undoing collapse the side opposite the element in the nearest
// side-by-side split around it.
void ToggleSoloSide(CLayoutManager* node) {
    for (CLayoutManager* n = node; n && n->m_pParent; n = n->m_pParent) {
        CLayoutManager* p = n->m_pParent;
        if (p->GetOrientation() == 1 && p->m_pCutter) {
            p->m_pCutter->ToggleHideSide(p->m_pSecond == n ? 0 : 1);
            return;
        }
    }
}
}  // namespace

int CElementWnd::OnLayoutCommand(UINT id, UINT code) {
    CElementHost* host = GetHost();
    int orientation = 0;
    bool wantFirst = false;
    if (CollapseCommand(id, orientation, wantFirst)) {
        if (CLayoutManager* split = FindAncestorSplit(orientation, wantFirst)) {
            split->m_pCutter->ToggleHideSide(wantFirst ? 1 : 0);
            OnUserMessage(UM_COMMAND_STATE, 2, 0);
        }
        return 1;
    }
    switch (id) {
        case ID_HIDE_SELF:
            if (host && host->GetSoloWindow() == this) {
                ToggleSoloSide(m_pLayoutNode);
                host->SetSoloWindow(nullptr);
                host->RecalcLayout();
                return 1;
            }
            m_bHideSelf = !m_bHideSelf;
            if (m_pLayoutNode && m_pLayoutNode->m_pParent) {
                CLayoutManager* p = m_pLayoutNode->m_pParent;
                p->Recalc(p->m_rect);
            }
            if (host) host->SetLayoutModified();
            return 1;
        case ID_FIX_WINDOW: {
            if (!m_pLayoutNode || !m_pLayoutNode->m_pParent) return 1;
            CLayoutManager* p = m_pLayoutNode->m_pParent;
            CLayoutManager* n = m_pLayoutNode;
            if (p->m_pFirst == n)
                n->m_nFixedSize = n->m_nFixedSize > 0 ? 0 : p->m_nFirstSize;
            else if (p->m_pSecond == n)
                n->m_nFixedSize = n->m_nFixedSize < 1 ? p->m_nSecondSize : 0;
            p->Recalc(p->m_rect);
            if (host) host->SetLayoutModified();
            return 1;
        }
        case ID_SOLO_WINDOW: {
            if (!host) return 1;
            bool solo = host->GetSoloWindow() == this;
            ToggleSoloSide(m_pLayoutNode);
            host->SetSoloWindow(solo ? nullptr : this);
            host->RecalcLayout();
            if (solo) m_elementBar.Relayout();
            return 1;
        }
        default:
            return 0;
    }
}

int CElementWnd::QueryCommandState(UINT id) {
    int orientation = 0;
    bool wantFirst = false;
    if (CollapseCommand(id, orientation, wantFirst)) {
        CLayoutManager* split = FindAncestorSplit(orientation, wantFirst);
        return split && split->m_pCutter->m_nHiddenSide != 0 ? 3 : 1;
    }
    if (id == ID_HIDE_SELF) return m_bHideSelf ? 3 : 1;
    return 1;
}

int CElementWnd::OnUpdateLayoutCommand(CCmdUI* cmdUI) {
    UINT id = cmdUI->m_nID;
    if (id == ID_FIX_WINDOW) {
        CLayoutManager* n = m_pLayoutNode;
        if (!n || !n->m_pParent) return 1;
        CLayoutManager* p = n->m_pParent;
        if (p->m_pFirst != n && p->m_pSecond != n) return 1;
        CLayoutManager* other = p->m_pFirst == n ? p->m_pSecond : p->m_pFirst;
        if (other && other->m_nFixedSize > 0) {
            cmdUI->Enable(FALSE);
        } else {
            cmdUI->Enable(TRUE);
            cmdUI->SetCheck(n->m_nFixedSize > 0 ? 1 : 0);
        }
        return 1;
    }
    if (id == ID_SOLO_WINDOW || id == 42129 || (id >= 43000 && id <= 44000) ||
        (id >= 44500 && id <= 44599)) {
        cmdUI->Enable(TRUE);
        return 1;
    }
    return 0;
}

int CElementWnd::SetSecurity(const CIndSecuCode& code, const CGroup* group) {
    if (code.m_nMarket == m_code.m_nMarket && SameCodeNoCase(code.m_strCode, m_code.m_strCode))
        return 1;
    m_code = code;
    if (group) {
        m_group.m_nId = group->m_nId;
        m_group.m_members = group->m_members;
        m_group.m_strClass = group->m_strClass;
        m_group.m_strGroup = group->m_strGroup;
    }
    for (CElementWnd* child : m_children) child->SetSecurity(code, group);
    return 1;
}

void CElementWnd::SetPaintSuspended(int suspended) {
    m_bPaintSuspended = suspended;
    for (CElementWnd* child : m_children) child->SetPaintSuspended(suspended);
}

void CElementWnd::SetActive(int active) {
    if (active != m_bActive && m_hWnd) m_bActive = active;
}

int CElementWnd::LoadFromXml(const tinyxml2::XMLElement* element) {
    if (!element) return 0;
    m_nUuid = GetXmlAttrInt(element, "uuid");
    // Borders are written "bTopBorder" ...; files of older writers name them "TopBorder".
    auto border = [element](const char* written, const char* older) {
        int v = 0;
        if (QueryXmlAttrInt(element, written, v)) return v;
        return GetXmlAttrInt(element, older);
    };
    m_bTopBorder = border("bTopBorder", "TopBorder");
    m_bLeftBorder = border("bLeftBorder", "LeftBorder");
    m_bRightBorder = border("bRightBorder", "RightBorder");
    m_bBottomBorder = border("bBottomBorder", "BottomBorder");
    QueryXmlAttrInt(element, "bHideSelf", m_bHideSelf);
    return 0;
}

void CElementWnd::SaveToXml(tinyxml2::XMLElement* element) {
    if (!element) return;
    SetXmlAttrInt(element, "uuid", m_nUuid);
    SetXmlAttrInt(element, "m_bTopBorder", m_bTopBorder, 2);
    SetXmlAttrInt(element, "m_bLeftBorder", m_bLeftBorder, 2);
    SetXmlAttrInt(element, "m_bRightBorder", m_bRightBorder, 2);
    SetXmlAttrInt(element, "m_bBottomBorder", m_bBottomBorder, 2);
    SetXmlAttrInt(element, "m_iDrawStyle", m_iDrawStyle, 2);
    SetXmlAttrInt(element, "m_iVLineSpace", m_iVLineSpace, 2);
    SetXmlAttrInt(element, "m_iHLineSpace", m_iHLineSpace, 2);
    SetXmlAttrInt(element, "m_bHideSelf", m_bHideSelf, 2);
}

LRESULT CElementWnd::OnUserMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case UM_COMMAND_STATE:
            if (wParam == 1) {
                RecreateElementBar();
                m_elementBar.Relayout();
            } else if (wParam == 2) {
                m_elementBar.Relayout();
            }
            break;
        case UM_RELAYOUT:
            if (wParam == 1) RecalcLayout();
            if (m_hWnd) {
                Invalidate();
                UpdateWindow();
            }
            break;
        case UM_RELOAD_IMAGES:
            OnCreated(1);
            if (m_hWnd) {
                Invalidate();
                UpdateWindow();
            }
            break;
        default:
            break;
    }
    return 0;
}

void CElementWnd::ActivateElement() {
    CElementHost* host = GetHost();
    if (!m_pOwner || !host) return;
    m_pOwner->SetFocus();
    CElementWnd* target = m_pWrapper ? m_pWrapper : this;
    if (host->GetActiveElement() != target) host->SetActiveElement(target);
}

void CElementWnd::DrawBorders(CDC* dc) {
    const CRect& r = m_rcBorder;
    if (r.IsRectEmpty()) return;
    if (m_bLeftBorder) dc->FillSolidRect(r.left, r.top, 1, r.Height(), m_clrLeftBorder);
    if (m_bRightBorder) dc->FillSolidRect(r.right - 1, r.top, 1, r.Height(), m_clrRightBorder);
    if (m_bTopBorder) dc->FillSolidRect(r.left, r.top, r.Width(), 1, m_clrTopBorder);
    if (m_bBottomBorder) dc->FillSolidRect(r.left, r.bottom - 1, r.Width(), 1, m_clrBottomBorder);
}

void CElementWnd::RecreateElementBar() {
    m_elementBar.SetOwner(m_nElementBarKind);
}

int CElementWnd::GetFixedExtent() {
    if (!m_bHideSelf) return 0;
    return m_nMarginTop + m_nMarginBottom + (m_bTopBorder ? 1 : 0) + (m_bBottomBorder ? 1 : 0) +
           m_elementBar.m_nHeight;
}

void CElementWnd::SendBackgroundRequest(CDC* dc) {
    CWnd* target = nullptr;
    if (m_iDrawStyle == 4)
        target = m_pOwner;
    else if (m_iDrawStyle == 5)
        target = GetParent();
    if (!target || !target->m_hWnd) return;
    CPoint origin(0, 0);
    MapWindowPoints(target, &origin, 1);
    ElementBackgroundRequest req;
    req.source = m_rcClient;
    req.target = m_rcClient;
    CRect shifted = m_rcClient;
    shifted.OffsetRect(origin.x, origin.y);
    req.target = shifted;
    req.dc = dc;
    target->SendMessage(UM_PAINT_BACKGROUND, (WPARAM)&req, 0);
}

void CElementWnd::PaintElement() {
    CPaintDC dc(this);
    if (m_bPaintSuspended) return;
    if (CElementHost* host = GetHost(); host && !host->IsHostActive()) return;
    if (m_bUseMemDC && m_pMemDC) {
        CDC* mem = m_pMemDC.get();
        SendBackgroundRequest(mem);
        DrawClient(mem);
        const CRect& c = m_rcContent;
        if (m_bFullContentCopy) {
            dc.BitBlt(c.left, c.top, c.Width(), c.Height(), mem, c.left, c.top, SRCCOPY);
        } else {
            if (!m_rcExtra.IsRectEmpty())
                dc.BitBlt(m_rcExtra.left, m_rcExtra.top, m_rcExtra.Width(), m_rcExtra.Height(), mem,
                          m_rcExtra.left, m_rcExtra.top, SRCCOPY);
            dc.BitBlt(c.left, c.top, c.Width(), c.Height(), mem, c.left, c.top, SRCCOPY);
        }
        const CRect& k = m_rcClient;
        if (m_nMarginLeft > 0)
            dc.BitBlt(0, 0, m_nMarginLeft, k.Height(), mem, 0, 0, SRCCOPY);
        if (m_nMarginRight > 0)
            dc.BitBlt(k.right - m_nMarginRight, 0, m_nMarginRight, k.Height(), mem,
                      k.right - m_nMarginRight, 0, SRCCOPY);
        if (m_nMarginTop > 0) dc.BitBlt(0, 0, k.Width(), m_nMarginTop, mem, 0, 0, SRCCOPY);
        if (m_nMarginBottom > 0)
            dc.BitBlt(0, k.bottom - m_nMarginBottom, k.Width(), m_nMarginBottom, mem, 0,
                      k.bottom - m_nMarginBottom, SRCCOPY);
        DrawBorders(&dc);
    } else {
        dc.SetBkMode(TRANSPARENT);
        SendBackgroundRequest(&dc);
        DrawClient(&dc);
        DrawBorders(&dc);
    }
}

void CElementWnd::OnMouseMoveMessage(UINT flags, CPoint pt) {
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = m_hWnd;
    tme.dwHoverTime = 1;
    TrackMouseEvent(&tme);
    if (pt == m_ptHover) return;
    OnElementMouseMove(flags, pt.x, pt.y);
    if (!m_hWnd) return;
    m_ptHover = pt;
    RefreshTip();
}

LRESULT CElementWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    const CPoint pt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    switch (msg) {
        case WM_CREATE: {
            LRESULT r = CWnd::WindowProc(msg, wParam, lParam);
            if (r == -1) return -1;
            OnCreated(0);
            return 0;
        }
        case WM_SIZE: {
            CWnd::WindowProc(msg, wParam, lParam);
            m_rcClient = CRect(0, 0, LOWORD(lParam), HIWORD(lParam));
            if (!m_rcClient.IsRectEmpty()) {
                m_pMemDC.reset();
                if (m_bUseMemDC) {
                    CClientDC client(this);
                    m_pMemDC = std::make_unique<CMyMemDC>(&client, m_rcClient);
                    m_pMemDC->SetBkMode(TRANSPARENT);
                }
                RecalcLayout();
            }
            return 0;
        }
        case WM_PAINT:
            PaintElement();
            return 0;
        case WM_LBUTTONDOWN:
            ActivateElement();
            OnElementLButtonDown((UINT)wParam, pt.x, pt.y);
            break;
        case WM_LBUTTONDBLCLK:
            m_bDblClkCapture = 1;
            SetCapture();
            OnElementLButtonDblClk((UINT)wParam, pt.x, pt.y);
            return 0;
        case WM_LBUTTONUP:
            if (m_bDblClkCapture) {
                m_bDblClkCapture = 0;
                ReleaseCapture();
                ElementDragFlag() = 0;
                return 0;
            }
            OnElementLButtonUp((UINT)wParam, pt.x, pt.y);
            break;
        case WM_RBUTTONDOWN:
            ActivateElement();
            break;
        case WM_RBUTTONUP: {
            HWND self = m_hWnd;
            OnElementRButtonUp((UINT)wParam, pt.x, pt.y);
            if (!::IsWindow(self)) return 0;
            break;
        }
        case WM_MOUSEMOVE:
            OnMouseMoveMessage((UINT)wParam, pt);
            break;
        case WM_MOUSEHOVER:
            OnElementMouseHover();
            return 0;
        case WM_MOUSELEAVE:
            OnElementMouseLeave();
            return 0;
        case WM_MOUSEWHEEL:
        {
            // The message carries screen coordinates; the hook takes the pane's. A wheel the
            // pane does not use pages the workspace (through the view).
            CPoint client = pt;
            ScreenToClient(&client);
            if (!OnElementMouseWheel(LOWORD(wParam), GET_WHEEL_DELTA_WPARAM(wParam), client.x,
                                     client.y) &&
                m_pOwner && m_pOwner->m_hWnd)
                return m_pOwner->SendMessage(WM_MOUSEWHEEL, wParam, lParam);
            return 0;
        }
        case WM_DESTROY:
            OnDestroying();
            m_pMemDC.reset();
            if (m_elementBar.m_hWnd) m_elementBar.DestroyWindow();
            break;
        case WM_COMMAND:
            if (OnLayoutCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
            break;
        case WM_CHAR:
            // Characters typed over a pane belong to the workspace (the code input takes
            // letters and digits); text controls inside a pane keep theirs.
            if (m_pOwner && m_pOwner->m_hWnd) return m_pOwner->SendMessage(WM_CHAR, wParam, lParam);
            break;
        case UM_DATA_NOTIFY:
            OnDataNotify(wParam, lParam);
            return 0;
        case UM_COMMAND_STATE:
            return QueryCommandState((UINT)wParam);
        default:
            break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

// ---- ScrollElementWnd ----

BOOL ScrollElementWnd::Create(CWnd* parent) {
    return CElementWnd::Create(parent);
}

void ScrollElementWnd::UpdateScrollBar() {
    RecalcLayout();
    m_nScrollPos = 0;
}

void ScrollElementWnd::OnVScroll(UINT code, UINT pos, CWnd* scrollBar) {
    const int page = m_rcContent.Height();
    const int max = m_nContentHeight > page ? m_nContentHeight - page : 0;
    int p = m_nScrollPos;
    switch (code) {
        case SB_LINEUP: p -= 1; break;
        case SB_LINEDOWN: p += 1; break;
        case SB_PAGEUP: p -= page; break;
        case SB_PAGEDOWN: p += page; break;
        case SB_TOP: p = 0; break;
        case SB_BOTTOM: p = max; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: p = (int)pos; break;
        default: break;
    }
    p = std::clamp(p, 0, max);
    if (p != m_nScrollPos) {
        m_nScrollPos = p;
        RepositionControls();
    }
}

// ---- placeholder ----

CPlaceholderElement::CPlaceholderElement(std::string typeName) {
    SetTypeName(std::move(typeName));
    // It draws one line of text: the window's own buffer is enough.
    m_bUseMemDC = 0;
}

namespace {
// What the user calls the panes the shipped layouts place.
const char* PaneCaption(const std::string& type) {
    static const std::map<std::string, const char*> captions = {
        {"CKlineChartWnd", "K线图"},
        {"CReportWnd", "行情报价"},
        {"TrainingReportWnd", "训练记录"},
        {"AnalysisAndTrainingWnd", "训练中心"},
        {"TrainingDetailAndBenefitWnd", "交易明细与资产"},
        {"CTrainingAssistWnd", "训练控制"},
        {"TrainingKlineWnd", "训练K线"},
        {"TraningAssitWrapper", "训练助手"},
        {"MultiTrainingKlineWnd", "选股训练"},
    };
    auto it = captions.find(type);
    return it == captions.end() ? nullptr : it->second;
}
}  // namespace

void CPlaceholderElement::DrawClient(CDC* dc) {
    CElementWnd::DrawClient(dc);
    if (m_rcContent.IsRectEmpty()) return;
    dc->SetBkMode(TRANSPARENT);
    const char* caption = PaneCaption(GetTypeName());
    CRect rc = m_rcContent;
    const int mid = (rc.top + rc.bottom) / 2;
    CFont* old = dc->SelectObject(CommonFont(caption ? 10 : 7));
    if (caption) {
        dc->SetTextColor(ElementColour(CommonColor::uniSmallTitle));
        CRect top(rc.left, rc.top, rc.right, mid + 2);
        dc->DrawText(caption, &top, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
        dc->SelectObject(CommonFont(13));
        dc->SetTextColor(RGB(96, 104, 118));
        CRect below(rc.left, mid + 8, rc.right, rc.bottom);
        dc->DrawText(GetTypeName(), &below, DT_CENTER | DT_TOP | DT_SINGLELINE);
    } else {
        dc->SetTextColor(ElementColour(CommonColor::uniSmallTitle));
        dc->DrawText(GetTypeName(), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    dc->SelectObject(old);
}

// ---- factory ----

void RegisterElementType(const std::string& typeName, ElementCreator creator) {
    Registry()[typeName] = std::move(creator);
}

bool IsElementTypeRegistered(const std::string& typeName) {
    return Registry().count(typeName) != 0;
}

std::unique_ptr<CElementWnd> CreateElementByType(const std::string& typeName) {
    std::unique_ptr<CElementWnd> wnd;
    auto it = Registry().find(typeName);
    if (it != Registry().end()) {
        wnd = it->second();
    } else if (typeName.empty() || typeName == "CElementWnd") {
        wnd = std::make_unique<CElementWnd>();
    } else {
        return std::make_unique<CPlaceholderElement>(typeName);
    }
    if (wnd) wnd->SetTypeName(typeName.empty() ? "CElementWnd" : typeName);
    return wnd;
}
