#include "ui/layout/LayoutManager.h"

#include <tinyxml2.h>

#include <cstdint>

#include "foundation/XmlAttr.h"
#include "platform/Geometry.h"
#include "ui/element/ElementEnv.h"
#include "ui/element/ElementHost.h"
#include "ui/element/ElementWnd.h"
#include "ui/layout/LayoutCutter.h"

std::string LayoutKeyOfPath(const std::string& path) {
    size_t ext = path.find(".xlay");
    if (ext == std::string::npos) return {};
    std::string head = path.substr(0, ext);
    size_t slash = head.find_last_of("/\\");
    return slash == std::string::npos ? head : head.substr(slash + 1);
}

CLayoutManager::CLayoutManager(CElementHost* holder, CLayoutManager* parent)
    : m_pHolder(holder), m_pParent(parent) {}

CLayoutManager::~CLayoutManager() {
    Clear();
}

int CLayoutManager::GetGap() const {
    return m_pCutter ? m_pCutter->GetGap() : 0;
}

int CLayoutManager::GetOrientation() const {
    return m_pCutter ? (m_pCutter->m_bVertical ? 1 : 0) : -1;
}

int CLayoutManager::CountLeaves() const {
    if (IsLeaf()) return 1;
    return m_pFirst->CountLeaves() + m_pSecond->CountLeaves();
}

void CLayoutManager::DestroyLeafWindow() {
    if (!m_pWnd) return;
    CElementWnd* wnd = m_pWnd;
    m_pWnd = nullptr;
    wnd->DetachData();
    if (wnd->m_hWnd) wnd->DestroyWindow();
    delete wnd;
}

void CLayoutManager::Clear() {
    DestroyLeafWindow();
    delete m_pFirst;
    m_pFirst = nullptr;
    delete m_pSecond;
    m_pSecond = nullptr;
    if (m_pCutter) {
        if (m_pCutter->m_hWnd) m_pCutter->DestroyWindow();
        delete m_pCutter;
        m_pCutter = nullptr;
    }
    m_nNextBlockID = 0;
}

void CLayoutManager::ApplyMargins(CElementWnd* wnd) const {
    wnd->m_nMarginLeft = m_nBorderLeft;
    wnd->m_nMarginRight = m_nBorderRight;
    wnd->m_nMarginTop = m_nBorderTop;
    wnd->m_nMarginBottom = m_nBorderBottom;
}

void CLayoutManager::Recalc(int left, int top, int right, int bottom) {
    m_rect = CRect(left, top, right, bottom);
    const int W = right - left, H = bottom - top;
    const bool live = m_pCutter && m_pCutter->m_hWnd && m_pFirst && m_pSecond;
    if (m_rect.IsRectEmpty()) {
        if (live) {
            m_pFirst->Recalc(0, 0, 0, 0);
            m_pSecond->Recalc(0, 0, 0, 0);
            m_pCutter->ShowWindow(SW_HIDE);
        } else if (m_pWnd && m_pWnd->m_hWnd) {
            CElementWnd* solo = m_pHolder ? m_pHolder->GetSoloWindow() : nullptr;
            if (m_pWnd != solo && m_pWnd->IsWindowVisible()) {
                m_pWnd->SetPaintSuspended(1);
                m_pWnd->ShowWindow(SW_HIDE);
            }
        }
        return;
    }
    if (live) {
        const int g = m_pCutter->GetGap();
        const int w = CutterWidth(g);
        const int o = (w - g) / 2;
        const bool vertical = m_pCutter->m_bVertical != 0;
        // Work along the split axis as (start, extent); the cross axis stays whole.
        const int start = vertical ? left : top;
        const int end = vertical ? right : bottom;
        const int extent = vertical ? W : H;
        const int cross0 = vertical ? top : left;
        const int crossLen = vertical ? H : W;
        CRect r1 = m_rect, r2 = m_rect;
        auto setAxis = [vertical](CRect& r, int a, int b) {
            if (vertical) {
                r.left = a;
                r.right = b;
            } else {
                r.top = a;
                r.bottom = b;
            }
        };
        auto placeCutter = [&](int pos, int len, bool show) {
            if (vertical)
                m_pCutter->MoveWindow(pos, cross0, len, crossLen, FALSE);
            else
                m_pCutter->MoveWindow(cross0, pos, crossLen, len, FALSE);
            m_pCutter->ShowWindow(show ? SW_SHOWNA : SW_HIDE);
        };
        if (g >= extent) {
            placeCutter(start, extent, true);
            setAxis(r1, start, start);
            setAxis(r2, end, end);
        } else if (m_pCutter->m_nHiddenSide == 1) {
            placeCutter(start - o, w, true);
            r1.SetRectEmpty();
            setAxis(r2, start + g, end);
        } else if (m_pCutter->m_nHiddenSide == 2) {
            setAxis(r1, start, end - g);
            r2.SetRectEmpty();
            placeCutter(end - g - o, w, true);
        } else {
            const int f1 = m_pFirst->GetFixedExtent();
            const int f2 = m_pSecond->GetFixedExtent();
            int division = -1;
            if (f1 > 0 && f1 < extent)
                division = start + f1;
            else if (f2 > 0 && f2 < extent)
                division = start + extent - f2;
            if (division >= 0) {
                placeCutter(division, 0, false);
                setAxis(r1, start, division);
                setAxis(r2, division, end);
            } else {
                const int sum = m_nFirstSize + m_nSecondSize;
                const int m = sum > 0 ? MulDiv(extent - g, m_nFirstSize, sum) : (extent - g) / 2;
                placeCutter(start + m - o, w, true);
                setAxis(r1, start, start + m);
                setAxis(r2, start + m + g, end);
                m_nFirstSize = vertical ? r1.Width() : r1.Height();
                m_nSecondSize = vertical ? r2.Width() : r2.Height();
            }
        }
        m_pFirst->Recalc(r1);
        m_pSecond->Recalc(r2);
        m_pCutter->RecalcButtons();
        m_pCutter->RedrawWindow();
        return;
    }
    if (m_pWnd && m_pWnd->m_hWnd) {
        if (!m_pWnd->IsWindowVisible()) m_pWnd->SetPaintSuspended(0);
        ApplyMargins(m_pWnd);
        m_pWnd->SetWindowPos(nullptr, left, top, W, H, SWP_NOZORDER | SWP_SHOWWINDOW);
        m_pWnd->RecalcLayout();
        m_pWnd->Invalidate();
    }
}

void CLayoutManager::MoveSplitter(const CRect& rect) {
    if (!m_pCutter || !m_pCutter->m_hWnd || !m_pFirst || !m_pSecond) return;
    const int g = m_pCutter->GetGap();
    const int w = CutterWidth(g);
    const int o = (w - g) / 2;
    CRect r1 = m_pFirst->m_rect, r2 = m_pSecond->m_rect;
    if (m_pCutter->m_bVertical) {
        m_pCutter->MoveWindow(rect.left, rect.top, w, rect.Height());
        r1.right = rect.left + o;
        r2.left = r1.right + g;
        m_nFirstSize = r1.Width();
        if (m_pFirst->m_nFixedSize > 0) m_pFirst->m_nFixedSize = r1.Width();
        m_nSecondSize = r2.Width();
        if (m_pSecond->m_nFixedSize > 0) m_pSecond->m_nFixedSize = r2.Width();
    } else {
        m_pCutter->MoveWindow(rect.left, rect.top, rect.Width(), w);
        r1.bottom = rect.top + o;
        r2.top = r1.bottom + g;
        m_nFirstSize = r1.Height();
        if (m_pFirst->m_nFixedSize > 0) m_pFirst->m_nFixedSize = r1.Height();
        m_nSecondSize = r2.Height();
        if (m_pSecond->m_nFixedSize > 0) m_pSecond->m_nFixedSize = r2.Height();
    }
    m_pFirst->Recalc(r1);
    m_pSecond->Recalc(r2);
}

void CLayoutManager::BroadcastMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == UM_RELAYOUT && m_pCutter && m_pCutter->m_hWnd)
        m_pCutter->RedrawWindow();
    if (m_pFirst) m_pFirst->BroadcastMessage(msg, wParam, lParam);
    if (m_pSecond) m_pSecond->BroadcastMessage(msg, wParam, lParam);
    if (m_pWnd) m_pWnd->OnUserMessage(msg, wParam, lParam);
}

CLayoutManager* CLayoutManager::FirstLeaf() {
    CLayoutManager* n = this;
    while (n->m_pFirst) n = n->m_pFirst;
    return n;
}

CLayoutManager* CLayoutManager::LastLeaf() {
    CLayoutManager* n = this;
    while (n->m_pSecond) n = n->m_pSecond;
    return n;
}

CLayoutManager* CLayoutManager::NextLeaf(CLayoutManager* node, CLayoutManager* root) {
    if (!root) return nullptr;
    if (!node) return root->FirstLeaf();
    CLayoutManager* n = node;
    while (n != root && n->m_pParent) {
        CLayoutManager* p = n->m_pParent;
        if (p->m_pFirst == n && p->m_pSecond) return p->m_pSecond->FirstLeaf();
        n = p;
    }
    return n->FirstLeaf();
}

CLayoutManager* CLayoutManager::PrevLeaf(CLayoutManager* node, CLayoutManager* root) {
    if (!root) return nullptr;
    if (!node) return root->LastLeaf();
    CLayoutManager* n = node;
    while (n != root && n->m_pParent) {
        CLayoutManager* p = n->m_pParent;
        if (p->m_pSecond == n && p->m_pFirst) return p->m_pFirst->LastLeaf();
        n = p;
    }
    return n->LastLeaf();
}

CElementWnd* CLayoutManager::FindLeafById(int id) {
    if (m_pFirst) {
        if (CElementWnd* w = m_pFirst->FindLeafById(id)) return w;
        return m_pSecond ? m_pSecond->FindLeafById(id) : nullptr;
    }
    return (m_pWnd && m_pWnd->m_nUuid == id) ? m_pWnd : nullptr;
}

bool CLayoutManager::CreateLeafWindow(const std::string& wndType) {
    DestroyLeafWindow();
    std::unique_ptr<CElementWnd> wnd = CreateElementByType(wndType);
    if (!wnd) return false;
    wnd->m_pOwner = m_pHolder ? m_pHolder->GetHostWnd() : nullptr;
    wnd->SetLayoutNode(this);
    if (!wnd->Create(nullptr)) return false;
    m_pWnd = wnd.release();
    m_pWnd->m_bLeftBorder = m_pWnd->m_bRightBorder = m_pWnd->m_bTopBorder =
        m_pWnd->m_bBottomBorder = 1;
    ApplyMargins(m_pWnd);
    return true;
}

bool CLayoutManager::SplitLeaf(int orientation, const std::string& wndType, int splitCtrl) {
    if (!IsLeaf()) return false;
    m_pFirst = new CLayoutManager(m_pHolder, this);
    m_pSecond = new CLayoutManager(m_pHolder, this);
    m_pCutter = new CLayoutCutter(m_pHolder, this);
    m_pCutter->m_nSplitCtrl = BYTE(splitCtrl);
    m_pCutter->m_nStyleEx = splitCtrl ? 0 : 1;
    m_pCutter->m_bVertical = orientation != 0;
    HandOutBorders();
    if (m_pWnd) {
        m_pFirst->m_pWnd = m_pWnd;
        m_pWnd->SetLayoutNode(m_pFirst);
        m_pFirst->ApplyMargins(m_pWnd);
        m_pWnd = nullptr;
    }
    m_pCutter->Init(orientation);
    m_nFirstSize = m_nSecondSize = 50;
    return m_pSecond->CreateLeafWindow(wndType);
}

void CLayoutManager::AttachAll() {
    if (m_pFirst) m_pFirst->AttachAll();
    if (m_pSecond) m_pSecond->AttachAll();
    if (m_pWnd) m_pWnd->AttachData();
}

void CLayoutManager::DetachAll() {
    if (m_pFirst) m_pFirst->DetachAll();
    if (m_pSecond) m_pSecond->DetachAll();
    if (m_pWnd) m_pWnd->DetachData();
}

bool CLayoutManager::SetContextAll(void* context) {
    try {
        m_pContext = context;
        bool any = false;
        if (m_pFirst) any |= m_pFirst->SetContextAll(context);
        if (m_pSecond) any |= m_pSecond->SetContextAll(context);
        if (m_pWnd) any |= m_pWnd->SetContextObject(context) != 0;
        return any;
    } catch (...) {
        return false;
    }
}

bool CLayoutManager::SetSecurityAll(const CIndSecuCode& code, const CGroup* group) {
    try {
        m_code = code;
        if (group) {
            m_group.m_nId = group->m_nId;
            m_group.m_members = group->m_members;
        }
        bool any = false;
        if (m_pFirst) any |= m_pFirst->SetSecurityAll(code, group);
        if (m_pSecond) any |= m_pSecond->SetSecurityAll(code, group);
        if (m_pWnd && m_pWnd->SetSecurity(code, group)) {
            any = true;
            if (m_pWnd->m_hWnd) m_pWnd->Invalidate();
        }
        return any;
    } catch (...) {
        return false;
    }
}

int CLayoutManager::BroadcastTypedText(int kind, const std::string& text) {
    if (m_pFirst)
        if (int r = m_pFirst->BroadcastTypedText(kind, text)) return r;
    if (m_pSecond)
        if (int r = m_pSecond->BroadcastTypedText(kind, text)) return r;
    return m_pWnd ? m_pWnd->OnTypedText(kind, text) : 0;
}

int CLayoutManager::GetFixedExtent() {
    if (m_nFixedSize > 0) return m_nFixedSize;
    return m_pWnd ? m_pWnd->GetFixedExtent() : 0;
}

void CLayoutManager::HandOutBorders() {
    const int half = CutterSize() / 2;
    for (CLayoutManager* c : {m_pFirst, m_pSecond}) {
        c->m_nBorderLeft = m_nBorderLeft;
        c->m_nBorderRight = m_nBorderRight;
        c->m_nBorderTop = m_nBorderTop;
        c->m_nBorderBottom = m_nBorderBottom;
    }
    if (m_pCutter && m_pCutter->m_bVertical) {
        m_pFirst->m_nBorderRight = half;
        m_pSecond->m_nBorderLeft = half;
    } else {
        m_pFirst->m_nBorderBottom = half;
        m_pSecond->m_nBorderTop = half;
    }
}

void CLayoutManager::ReadViewProp(const tinyxml2::XMLElement* prop) {
    if (!prop) return;
    QueryXmlAttrInt(prop, "m_bThinSplitter", m_bThinSplitter, 2);
    QueryXmlAttrInt(prop, "m_nChartStyle", m_nChartStyle, 2);
    // The security is written as "dwGoodsID"/"strGoodsCode"; older files carry it as
    // "Station"/"NameCode".
    if (prop->Attribute("dwGoodsID") && prop->Attribute("strGoodsCode"))
        m_code = ReadSecurityCode(prop, "dwGoodsID", "strGoodsCode");
    else if (prop->Attribute("Station") && prop->Attribute("NameCode"))
        m_code = ReadSecurityCode(prop, "Station", "NameCode");
    m_group.m_strClass = GetXmlAttrString(prop, "strClass");
    m_group.m_strGroup = GetXmlAttrString(prop, "strGroup");
    const uint32_t low = uint32_t(GetXmlAttrInt(prop, "dwGroup"));
    const int32_t high = GetXmlAttrInt(prop, "dwGroup2");
    m_group.m_nId = int64_t(uint64_t(uint32_t(high)) << 32 | low);
}

void CLayoutManager::WriteViewProp(tinyxml2::XMLElement* prop) const {
    if (!prop) return;
    SetXmlAttrInt(prop, "m_bThinSplitter", m_bThinSplitter, 2);
    SetXmlAttrInt(prop, "m_nChartStyle", m_nChartStyle, 2);
    WriteSecurityCode(prop, "dwGoodsID", "strGoodsCode", m_code);
    SetXmlAttrString(prop, "strClass", m_group.m_strClass);
    SetXmlAttrString(prop, "strGroup", m_group.m_strGroup);
    SetXmlAttrInt(prop, "dwGroup", int(uint32_t(uint64_t(m_group.m_nId))));
    SetXmlAttrInt(prop, "dwGroup2", int(m_group.m_nId >> 32));
}

void CLayoutManager::Load(const tinyxml2::XMLElement* parent) {
    LoadNode(parent ? parent->FirstChildElement("Split") : nullptr);
}

void CLayoutManager::LoadNode(const tinyxml2::XMLElement* split) {
    Clear();
    if (!split) return;
    m_nNextBlockID = GetXmlAttrInt(split, "NextBlockID");
    m_nFixedSize = 0;
    QueryXmlAttrInt(split, "m_nFixedSize", m_nFixedSize, 2);
    const int16_t type = int16_t(GetXmlAttrInt(split, "Type"));
    if (type == 0) {
        const tinyxml2::XMLElement* element = split->FirstChildElement("Element");
        if (!element) return;
        if (!CreateLeafWindow(GetXmlAttrString(element, "wndtype"))) return;
        m_pWnd->LoadFromXml(element);
        return;
    }
    if (type != 1) throw CLayoutError("unknown layout node type " + std::to_string(type));
    m_pFirst = new CLayoutManager(m_pHolder, this);
    m_pSecond = new CLayoutManager(m_pHolder, this);
    m_pCutter = new CLayoutCutter(m_pHolder, this);
    const int style = GetXmlAttrInt(split, "Style");
    m_pCutter->m_nStyleEx = GetXmlAttrInt(split, "StyleEx");
    m_nFirstSize = GetXmlAttrInt(split, "LeftSize");
    m_nSecondSize = GetXmlAttrInt(split, "RightSize");
    m_pCutter->m_nSplitCtrl = BYTE(GetXmlAttrInt(split, "SplitCtrl"));
    m_pCutter->m_nHiddenSide = BYTE(GetXmlAttrInt(split, "SideVisible"));
    if (m_pCutter->m_nHiddenSide > 2) m_pCutter->m_nHiddenSide = 0;
    m_pCutter->m_bVertical = style != 0;
    m_pCutter->Init(style != 0);
    HandOutBorders();
    const tinyxml2::XMLElement* first = split->FirstChildElement("Split");
    m_pFirst->LoadNode(first);
    m_pSecond->LoadNode(first ? first->NextSiblingElement() : nullptr);
}

void CLayoutManager::Save(tinyxml2::XMLElement* parent) const {
    if (!parent) return;
    tinyxml2::XMLElement* split = parent->InsertNewChildElement("Split");
    SetXmlAttrInt(split, "NextBlockID", m_nNextBlockID);
    SetXmlAttrInt(split, "m_nFixedSize", m_nFixedSize, 2);
    const bool inner = m_pFirst && m_pSecond && m_pCutter;
    SetXmlAttrInt(split, "Type", inner ? 1 : 0);
    if (inner) {
        SetXmlAttrInt(split, "Style", m_pCutter->m_bVertical ? 1 : 0);
        SetXmlAttrInt(split, "StyleEx", m_pCutter->m_nStyleEx);
        SetXmlAttrInt(split, "LeftSize", m_nFirstSize);
        int second = m_nSecondSize;
        if (m_nSecondSizeOverride1 >= 1)
            second = m_nSecondSizeOverride1;
        else if (m_nSecondSizeOverride2 >= 1)
            second = m_nSecondSizeOverride2;
        SetXmlAttrInt(split, "RightSize", second);
        SetXmlAttrInt(split, "SplitCtrl", m_pCutter->m_nSplitCtrl);
        SetXmlAttrInt(split, "SideVisible", m_pCutter->m_nHiddenSide);
        m_pFirst->Save(split);
        m_pSecond->Save(split);
        return;
    }
    if (m_pWnd) {
        tinyxml2::XMLElement* element = split->InsertNewChildElement("Element");
        SetXmlAttrString(element, "wndtype", m_pWnd->GetTypeName());
        m_pWnd->SaveToXml(element);
    }
}
