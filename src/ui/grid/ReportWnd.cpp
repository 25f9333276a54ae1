#include "ui/grid/ReportWnd.h"

#include <algorithm>

#include "ui/CommonVar.h"

CReportField::CReportField() {
    m_clrText = RGB(133, 145, 157);
    m_clrSelText = RGB(255, 255, 255);
}

void CReportField::Draw(CDC* dc) {
    m_pFont = GetCommonVar()->GetFont(CommonVar::Font::Shared14);
    GridTextField::Draw(dc);
}

CReportWnd::CReportWnd() {
    SetTypeName("CReportWnd");
}

int CReportWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CElementWnd::OnCreate(cs) == -1) return -1;
    static const struct {
        const char* text;
        int width;
    } kColumns[] = {{"序号", 45}, {"代码", 45}, {"股票名称", 75}, {"最新价", 65}, {"涨跌幅", 65}, {"现手", 65}};
    m_grid.m_titles.clear();
    for (const auto& c : kColumns) m_grid.AddTitle(c.text, c.width);
    m_grid.m_nColumnCount = int16_t(m_grid.m_titles.size());
    m_grid.m_fnFillPage = [this] { FillPage(); };
    m_grid.m_gridbk = RGB(20, 29, 37);
    m_grid.m_gridhighbk = RGB(49, 106, 197);
    m_grid.m_gridTitleBK = RGB(34, 50, 65);
    m_grid.m_gridTitle = RGB(133, 145, 157);
    m_grid.m_bShowTitle = 1;
    m_grid.m_bShowGridline = 0;
    m_grid.m_nLineHeight = 35;
    m_grid.m_bNeedVScroll = 1;
    m_grid.m_bCanDrag = 1;
    m_grid.m_strFontName = m_grid.m_strTitleFontName = "宋体";
    m_grid.m_nFontSize = m_grid.m_nTitleFontSize = 14;
    m_grid.m_vScroll.SetColors(RGB(20, 29, 37), RGB(138, 147, 161));
    m_grid.Attach(this);
    m_rows.clear();
    for (int n = 1; n <= 30; ++n)
        m_rows.push_back({{std::to_string(n), "600000", "浦发银行", "16", "%5", "10"}});
    m_grid.m_nRowCount = int16_t(m_rows.size());
    if (m_grid.m_nRowCount) m_grid.m_nSelectedRow = 0;
    return 0;
}

void CReportWnd::RecalcLayout() {
    CElementWnd::RecalcLayout();
    m_grid.SetRect(m_rcContent);
}

void CReportWnd::DrawClient(CDC* dc) {
    if (m_bPaintSuspended) return;
    CElementWnd::DrawClient(dc);
    m_grid.Draw(dc);
}

void CReportWnd::OnElementLButtonDown(UINT flags, int x, int y) { m_grid.OnLButtonDown(flags, x, y); }

void CReportWnd::OnElementMouseMove(UINT flags, int x, int y) { m_grid.OnMouseMove(flags, x, y); }

void CReportWnd::OnElementLButtonUp(UINT flags, int x, int y) {
    if (m_grid.OnLButtonUp(flags, x, y) && m_hWnd) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

int CReportWnd::OnElementMouseWheel(UINT, int delta, int, int) {
    if (!m_grid.m_bNeedVScroll || !m_grid.m_bVScrollShown) return 0;
    if (m_grid.SetTopRow(m_grid.m_nTopRow - delta / 120)) m_grid.InvalidateHost();
    if (m_hWnd) {
        Invalidate(TRUE);
        UpdateWindow();
    }
    return 1;
}

void CReportWnd::FillPage() {
    int top = m_grid.m_nTopRow;
    int count = int(m_rows.size());
    if (top >= count) return;
    int n = std::min<int>(m_grid.m_nPageRows, count - top);
    m_grid.ResizePage(n, 6, [] { return std::make_shared<CReportField>(); });
    for (int i = 0; i < n; ++i) {
        const CReportResult& data = m_rows[size_t(top + i)];
        auto& cells = m_grid.m_rows[size_t(i)]->m_cells;
        for (size_t c = 0; c < cells.size() && c < 6; ++c)
            static_cast<CReportField&>(*cells[c]).m_strText = data.texts[c];
    }
}

void RegisterGridElementTypes() {
    RegisterElementType("CReportWnd", [] { return std::make_unique<CReportWnd>(); });
}
