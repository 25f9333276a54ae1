#include "formula/wnd/DlgFormulaParam.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ui/dialog/CtrlLayout.h"

namespace {

std::string Fixed2(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.02f", value);
    return text;
}

bool RunCellEditor(CWnd* owner, std::string& text, CPoint screen) {
    CDlgEditGrid editor(owner);
    editor.m_strText = text;
    editor.m_nX = screen.x;
    editor.m_nY = screen.y;
    if (editor.DoModal() != IDOK) return false;
    text = editor.m_strText;
    return true;
}

}  // namespace

std::vector<std::string> FormulaParamRowTexts(const CIndicatorParam& param, int index) {
    return {std::to_string(index + 1), param.m_strName, Fixed2(param.m_dDefault),
            Fixed2(param.m_dMin), Fixed2(param.m_dMax), Fixed2(param.m_dStep)};
}

void ApplyFormulaParamEdit(CIndicatorParam& param, int column, const std::string& text) {
    const double number = std::atof(text.c_str());
    switch (column) {
        case 1: param.m_strName = text; return;
        case 2: param.m_dDefault = number; return;
        case 3: param.m_dMin = number; break;
        case 4: param.m_dMax = number; break;
        case 5: param.m_dStep = number; break;
        default: return;
    }
    if (param.m_dStep > 0) {
        // A range too wide for the count saturates rather than wrapping.
        const double steps = (param.m_dMax - param.m_dMin) / param.m_dStep + 1;
        param.m_nStepCount = int32_t(std::clamp(steps, double(INT32_MIN), double(INT32_MAX)));
    } else {
        param.m_nStepCount = 1;
    }
}

void CFormulaParamGridTitle::Draw(CDC* dc) {
    if (!m_pGrid) return;
    CRect rc = m_rect;
    rc.DeflateRect(1, 1);
    if (rc.Width() > 0 && rc.Height() > 0) dc->FillSolidRect(&rc, m_pGrid->m_gridTitleBK);
    CFont* old = m_pGrid->m_titleFont.m_created ? dc->SelectObject(&m_pGrid->m_titleFont) : nullptr;
    dc->SetTextColor(m_pGrid->m_gridTitle);
    dc->DrawText(m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}

void CFormulaParamGridField::Draw(CDC* dc) {
    const CGridUI* grid = m_pLine ? m_pLine->m_pGrid : nullptr;
    if (!grid) return;
    CRect rc = m_rect;
    rc.DeflateRect(1, 1);
    if (rc.Width() > 0 && rc.Height() > 0) dc->FillSolidRect(&rc, grid->m_gridbk);
    // The row number stands apart in slate; the values are black on the skin's light cells,
    // or light on a dark grid, which black would not show on.
    COLORREF text = m_nColumn == 0 ? RGB(93, 109, 132) : RGB(0, 0, 0);
    if (m_nColumn != 0 && GetRValue(grid->m_gridbk) + GetGValue(grid->m_gridbk) +
                                  GetBValue(grid->m_gridbk) < 3 * 96)
        text = RGB(235, 235, 235);
    dc->SetTextColor(text);
    CFont* font = const_cast<CFont*>(&grid->m_font);
    CFont* old = font->m_created ? dc->SelectObject(font) : nullptr;
    dc->DrawText(m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}

CDlgFormulaParam::CDlgFormulaParam(CWnd* parent) : CDlgTemplate(parent) {
    m_editCell = [this](std::string& text, CPoint screen) { return RunCellEditor(this, text, screen); };
}

CDlgFormulaParam::~CDlgFormulaParam() = default;

void CDlgFormulaParam::LoadSkin() {
    tinyxml2::XMLElement* node = LoadSkinNode("FormulaParam");
    if (node)
        if (const tinyxml2::XMLElement* style = node->FirstChildElement("Grid")) m_grid.LoadStyle(style);
}

void CDlgFormulaParam::BuildControls() {
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    CWnd topMost;
    topMost.m_hWnd = HWND_TOPMOST;
    SetWindowPos(&topMost, (cx - m_nWidth) / 2, m_nHeight / 2, m_nWidth, m_nHeight,
                 SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    topMost.m_hWnd = nullptr;
    CDlgTemplate::BuildControls();
    m_grid.Attach(this);
    m_grid.m_fnFillPage = [this] { FillPage(); };
    static const char* const kTitles[kColumns] = {"序号", "参数名", "缺省值", "最小值", "最大值", "参数档"};
    std::vector<std::shared_ptr<GridTitle>> titles;
    for (int i = 0; i < kColumns; ++i)
        titles.push_back(std::make_shared<CFormulaParamGridTitle>(&m_grid, kTitles[i], i == 0 ? 60 : 66));
    m_grid.SetTitles(std::move(titles));
    m_grid.m_nColumnCount = kColumns;
    m_grid.m_bShowTitle = 1;
    m_grid.m_nRowCount = int16_t(std::min<size_t>(m_params.size(), INT16_MAX));
    m_grid.SetRect(m_rcClient.left + 18, m_rcClient.top + 37, m_rcClient.left + 418,
                   m_rcClient.top + 277);
}

void CDlgFormulaParam::FillPage() {
    const int top = m_grid.m_nTopRow;
    const int count = m_grid.m_nRowCount;
    const int n = std::max(0, std::min<int>(m_grid.m_nRowsPerPage, count - top));
    m_grid.ResizePage(n, kColumns, [] { return std::make_shared<CFormulaParamGridField>(); });
    for (int v = 0; v < n; ++v) {
        const size_t p = size_t(top + v);
        if (p >= m_params.size()) break;
        const std::vector<std::string> texts = FormulaParamRowTexts(m_params[p], int(p));
        auto& cells = m_grid.m_rows[size_t(v)]->m_cells;
        for (size_t c = 0; c < cells.size() && c < texts.size(); ++c)
            static_cast<CFormulaParamGridField&>(*cells[c]).m_strText = texts[c];
    }
}

void CDlgFormulaParam::DrawBackground(CDC* dc) {
    CDlgTemplate::DrawBackground(dc);
    m_grid.Draw(dc);
}

bool CDlgFormulaParam::EditCellAt(CPoint p) {
    for (size_t v = 0; v < m_grid.m_rows.size(); ++v) {
        auto& cells = m_grid.m_rows[v]->m_cells;
        for (size_t c = 1; c < cells.size(); ++c) {
            auto* cell = static_cast<CFormulaParamGridField*>(cells[c].get());
            if (!cell->m_rect.PtInRect(p)) continue;
            const size_t param = size_t(m_grid.m_nTopRow) + v;
            if (param >= m_params.size()) return false;
            std::string text = cell->m_strText;
            CPoint at(cell->m_rect.left + 2, cell->m_rect.top + 2);
            ClientToScreen(&at);
            if (!m_editCell || !m_editCell(text, at)) return false;
            cell->m_strText = text;
            ApplyFormulaParamEdit(m_params[param], int(c), text);
            if (m_hWnd) {
                Invalidate(FALSE);
                UpdateWindow();
            }
            return true;
        }
    }
    return false;
}

LRESULT CDlgFormulaParam::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LBUTTONDBLCLK) {
        EditCellAt(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        return 0;
    }
    if (msg == WM_MOUSEWHEEL && m_grid.m_bVScrollShown) {
        const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        if (m_grid.SetTopRow(m_grid.m_nTopRow - delta / 120)) m_grid.InvalidateHost();
        return 0;
    }
    return CDlgTemplate::WindowProc(msg, wParam, lParam);
}
