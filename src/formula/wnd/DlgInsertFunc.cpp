#include "formula/wnd/DlgInsertFunc.h"

#include <tinyxml2.h>

#include <algorithm>
#include <strings.h>

#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

namespace {

constexpr const char* kAllFunctions = "全部函数";

bool IsDark(COLORREF c) {
    return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 96;
}

}  // namespace

void CFuncGroupLine::Draw(CDC* dc, BOOL highlighted) {
    if (!m_pGrid) return;
    CRect rc(left, top, right, bottom);
    rc.DeflateRect(1, 1);
    if (rc.Width() <= 0 || rc.Height() <= 0) return;
    dc->FillSolidRect(&rc, highlighted ? m_pGrid->m_gridhighbk : m_pGrid->m_gridbk);
    dc->SetTextColor(highlighted ? RGB(0, 0, 0) : RGB(255, 255, 255));
    CFont* font = &m_pGrid->m_font;
    CFont* old = font->m_created ? dc->SelectObject(font) : nullptr;
    dc->DrawText(m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}

void CFuncField::Draw(CDC* dc) {
    const CGridUI* grid = m_pLine ? m_pLine->m_pGrid : nullptr;
    if (!grid) return;
    CRect rc = m_rect;
    rc.left += 15;
    // Black as on a light grid; on the dark skin's grid black would not show.
    dc->SetTextColor(IsDark(grid->m_gridbk) ? RGB(235, 235, 235) : RGB(0, 0, 0));
    CFont* font = const_cast<CFont*>(&grid->m_font);
    CFont* old = font->m_created ? dc->SelectObject(font) : nullptr;
    dc->DrawText(m_strText, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}

CDlgInsertFunc::CDlgInsertFunc(CWnd* parent) : CDlgTemplate(parent) {}

CDlgInsertFunc::~CDlgInsertFunc() = default;

void CDlgInsertFunc::LoadSkin() {
    tinyxml2::XMLElement* node = LoadSkinNode("insertfunc");
    if (!node) return;
    const tinyxml2::XMLElement* first = node->FirstChildElement("Grid");
    if (first) {
        m_groups.LoadStyle(first);
        if (const tinyxml2::XMLElement* second = first->NextSiblingElement("Grid")) m_functions.LoadStyle(second);
    }
}

void CDlgInsertFunc::BuildControls() {
    CFunc::LoadFunctions();
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    CWnd topMost;
    topMost.m_hWnd = HWND_TOPMOST;
    SetWindowPos(&topMost, (cx - m_nWidth) / 2, m_nHeight / 2, m_nWidth, m_nHeight,
                 SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    topMost.m_hWnd = nullptr;
    CDlgTemplate::BuildControls();
    m_groups.Attach(this);
    m_groups.m_fnFillPage = [this] { FillGroups(); };
    m_functions.Attach(this);
    m_functions.m_fnFillPage = [this] { FillFunctions(); };
    m_functions.AddTitle("", 110);
    m_functions.AddTitle("", 170);
    m_functions.m_nColumnCount = 2;
    m_groups.m_nRowCount = int16_t(GetFuncGroups().size());
    m_groups.m_nTopRow = 0;
    SelectGroup(kAllFunctions);
    m_groups.SetRect(m_rcClient.left + 16, m_rcClient.top + 36, m_rcClient.left + 116, m_rcClient.top + 376);
    m_functions.SetRect(m_rcClient.left + 126, m_rcClient.top + 36, m_rcClient.left + 416,
                        m_rcClient.top + 377);
    m_pDescription = m_pLayout ? dynamic_cast<MyRichEditCtrl*>(m_pLayout->GetControl(kDescriptionId).get())
                               : nullptr;
    if (m_pDescription && m_pDescription->m_hWnd) {
        m_pDescription->SetBackgroundColor(FALSE, m_pDescription->m_clrBk);
        // Black on a light box; light on the dark skin's box.
        m_pDescription->SetDefaultCharFormat(IsDark(m_pDescription->m_clrBk) ? RGB(235, 235, 235) : RGB(0, 0, 0),
                                             14, "宋体");
        m_pDescription->SetReadOnly(TRUE);
    }
    if (!GetFuncCatalogue().empty()) ShowDescription(GetFuncCatalogue()[0]);
    m_nGroup = 0;
    m_nFunction = 0;
}

void CDlgInsertFunc::SelectGroup(const std::string& name) {
    m_list.clear();
    const CSortArray<CFunc>& catalogue = GetFuncCatalogue();
    const bool all = ::strcasecmp(name.c_str(), kAllFunctions) == 0;
    for (int i = 0; i < int(catalogue.GetSize()); ++i)
        if (all || ::strcasecmp(catalogue[i].m_strGroup.c_str(), name.c_str()) == 0) m_list.push_back(catalogue[i]);
    // The catalogue is in name order already; the list keeps it.
    m_functions.m_nRowCount = int16_t(std::min<size_t>(m_list.size(), INT16_MAX));
    m_functions.m_nTopRow = 0;
}

void CDlgInsertFunc::ShowDescription(const CFunc& func) {
    m_strDescription = func.m_strDesc;
    if (m_pDescription && m_pDescription->m_hWnd) m_pDescription->SetWindowText(func.m_strDesc);
}

void CDlgInsertFunc::FillGroups() {
    const std::vector<std::string>& groups = GetFuncGroups();
    const int top = m_groups.m_nTopRow;
    const int n = std::max(0, std::min<int>(m_groups.m_nPageRows, int(groups.size()) - top));
    for (int v = 0; v < n; ++v) {
        if (size_t(v) >= m_groups.m_rows.size()) {
            auto line = std::make_shared<CFuncGroupLine>();
            line->m_pGrid = &m_groups;
            m_groups.m_rows.push_back(line);
        }
        if (auto* line = dynamic_cast<CFuncGroupLine*>(m_groups.m_rows[size_t(v)].get()))
            line->m_strText = groups[size_t(top + v)];
    }
    m_groups.m_rows.resize(size_t(n));
}

void CDlgInsertFunc::FillFunctions() {
    const int top = m_functions.m_nTopRow;
    const int n = std::max(0, std::min<int>(m_functions.m_nPageRows, int(m_list.size()) - top));
    m_functions.ResizePage(n, 2, [] { return std::make_shared<CFuncField>(); });
    for (int v = 0; v < n; ++v) {
        const CFunc& f = m_list[size_t(top + v)];
        auto& cells = m_functions.m_rows[size_t(v)]->m_cells;
        if (cells.size() > 0) static_cast<CFuncField&>(*cells[0]).m_strText = f.m_strName;
        if (cells.size() > 1) static_cast<CFuncField&>(*cells[1]).m_strText = f.m_strRemark;
    }
}

void CDlgInsertFunc::DrawBackground(CDC* dc) {
    CDlgTemplate::DrawBackground(dc);
    m_groups.Draw(dc);
    m_functions.Draw(dc);
}

void CDlgInsertFunc::OnHover(CPoint pt) {
    if (pt == m_lastMouse) return;
    m_lastMouse = pt;
    for (CGridUI* grid : {&m_groups, &m_functions}) {
        const int row = grid->HitTestRow(pt.x, pt.y);
        if (row == grid->m_nSelectedRow) continue;
        grid->m_nSelectedRow = int16_t(row);
        if (m_hWnd) InvalidateRect(&grid->m_rcOuter, FALSE);
    }
}

void CDlgInsertFunc::OnClick(CPoint pt) {
    const int g = m_groups.m_nSelectedRow;
    if (g != m_nGroup) {
        m_nGroup = g;
        if (g >= 0 && g < int(GetFuncGroups().size())) {
            SelectGroup(GetFuncGroups()[size_t(g)]);
            m_functions.SetRect(m_functions.m_rcOuter);
            if (m_hWnd) InvalidateRect(&m_functions.m_rcOuter, FALSE);
            if (!m_list.empty()) ShowDescription(m_list[0]);
            return;
        }
    }
    const int f = m_functions.m_nSelectedRow;
    if (f == m_nFunction) return;
    m_nFunction = f;
    if (f >= 0 && f < int(m_list.size())) ShowDescription(m_list[size_t(f)]);
}

LRESULT CDlgInsertFunc::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_MOUSEMOVE) {
        TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, m_hWnd, 1};
        ::TrackMouseEvent(&tme);
        OnHover(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    } else if (msg == WM_LBUTTONUP) {
        const CPoint pt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (m_groups.m_rcOuter.PtInRect(pt) || m_functions.m_rcOuter.PtInRect(pt)) {
            OnClick(pt);
            return 0;
        }
    }
    return CDlgTemplate::WindowProc(msg, wParam, lParam);
}
