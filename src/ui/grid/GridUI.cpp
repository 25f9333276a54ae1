#include "ui/grid/GridUI.h"

#include <algorithm>
#include <cstring>

#include <tinyxml2.h>

#include "foundation/CommonColors.h"
#include "foundation/XmlAttr.h"
#include "ui/CommonResouce.h"
#include "ui/draw/DrawHelpers.h"

namespace {

// Column separators carry the column they size and where the drag started.
class GridSplitBar : public CSplitBar {
public:
    int m_nColumn = 0;
    int m_nStart = 0;
};

}  // namespace

// ---------------------------------------------------------------- cells and rows

void GridTitle::Draw(CDC* dc) {
    if (!m_pGrid) return;
    CFont* old = m_pGrid->m_titleFont.m_created ? dc->SelectObject(&m_pGrid->m_titleFont) : nullptr;
    dc->SetTextColor(m_pGrid->m_gridTitle);
    CRect rc = m_rect;
    dc->DrawText(m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}

bool GridField::IsSelected() const {
    const CGridUI* grid = m_pLine ? m_pLine->m_pGrid : nullptr;
    return grid && grid->m_nTopRow + m_nRow == grid->m_nSelectedRow;
}

void GridTextField::Draw(CDC* dc) {
    const CGridUI* grid = m_pLine ? m_pLine->m_pGrid : nullptr;
    if (!grid) return;
    CRect rc = m_rect;
    rc.DeflateRect(1, 1);
    bool selected = IsSelected();
    dc->FillSolidRect(&rc, selected ? grid->m_gridhighbk : grid->m_gridbk);
    dc->SetTextColor(selected ? m_clrSelText : m_clrText);
    CFont* font = m_pFont ? m_pFont : const_cast<CFont*>(&grid->m_font);
    CFont* old = font->m_created ? dc->SelectObject(font) : nullptr;
    dc->DrawText(m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}

void GridLine::Draw(CDC* dc, BOOL selected) {
    if (!m_pGrid) return;
    CRect row(left, top, right, bottom);
    CRect fill = row;
    fill.DeflateRect(1, 1);
    if (fill.Width() > 0 && fill.Height() > 0)
        dc->FillSolidRect(&fill, selected ? m_pGrid->m_gridhighbk : m_pGrid->m_gridbk);
    const auto& titles = m_pGrid->m_titles;
    size_t n = std::min(m_cells.size(), titles.size());
    for (size_t i = 0; i < n; ++i) {
        if (!m_pGrid->IsColumnVisible(int(i)) || !m_cells[i]) continue;
        const GridTitle& t = *titles[i];
        CRect cell(t.m_nLeft + left + 1, top, t.m_nRight + left - 1, bottom - 1);
        if (cell.right > right) break;
        m_cells[i]->m_rect = cell;
        m_cells[i]->Draw(dc);
        if (m_pGrid->m_bShowGridline && m_pGrid->IsColumnVisible(int(i) + 1)) {
            dc->MoveTo(cell.right + 1, cell.top);
            dc->LineTo(cell.right + 1, cell.bottom);
        }
    }
}

// ---------------------------------------------------------------- overlays

BOOL SplitOverlay::OnLButtonDown(UINT, int x, int y) {
    for (size_t i = 0; i < m_bars.size(); ++i) {
        if (!m_bars[i]->HitTest(x, y)) continue;
        m_nDragging = int(i);
        m_pGrid->m_bDragFinished = 0;
        m_bars[i]->BeginDrag(m_pGrid->m_pHost, x, y);
        return TRUE;
    }
    return FALSE;
}

BOOL SplitOverlay::OnMouseMove(UINT, int x, int y) {
    if (m_nDragging >= 0 && m_nDragging < int(m_bars.size())) {
        m_bars[m_nDragging]->Track(x, y);
        ::SetCursor(m_bars[m_nDragging]->GetCursor());
        return TRUE;
    }
    for (auto& bar : m_bars) {
        if (bar->HitTest(x, y)) {
            ::SetCursor(bar->GetCursor());
            return TRUE;
        }
    }
    return FALSE;
}

BOOL SplitOverlay::OnLButtonUp(UINT, int, int, int& result) {
    result = 0;
    if (m_nDragging < 0 || m_nDragging >= int(m_bars.size())) return FALSE;
    auto bar = std::static_pointer_cast<GridSplitBar>(m_bars[m_nDragging]);
    m_nDragging = -1;
    bar->EndDrag(m_pGrid->m_pHost);
    m_pGrid->m_bDragFinished = 1;
    int delta = bar->m_nPos - bar->m_nStart;
    if (delta != 0 && bar->m_nColumn >= 0 && bar->m_nColumn < int(m_pGrid->m_titles.size())) {
        GridTitle& t = *m_pGrid->m_titles[bar->m_nColumn];
        t.m_nWidth = int16_t(t.m_nWidth + delta);
        // SetRect lays the columns out again, which replaces the bars (bar stays alive).
        m_pGrid->SetRect(m_pGrid->m_rcOuter);
        m_pGrid->InvalidateHost();
    } else if (m_pGrid->m_bRedrawPending) {
        m_pGrid->InvalidateHost();
        m_pGrid->m_bRedrawPending = 0;
    }
    return TRUE;
}

BOOL SortGridFiedOverlay::OnLButtonUp(UINT, int x, int y, int& result) {
    result = 0;
    CGridUI* g = m_pGrid;
    int end = g->TitleEnd();
    for (int i = 0; i < int(g->m_titles.size()); ++i) {
        if (!g->IsColumnVisible(i)) continue;
        CRect rc = g->TitleRect(i);
        if (rc.right > end) return FALSE;
        if (!rc.PtInRect(CPoint(x, y))) continue;
        if (g->m_nSortColumn >= 0 && g->m_nSortColumn != i && g->m_nSortColumn < int(g->m_titles.size()))
            g->m_titles[g->m_nSortColumn]->m_nSort = 0;
        g->m_nSortColumn = int16_t(i);
        GridTitle& t = *g->m_titles[i];
        t.m_nSort = t.m_nSort == 0 ? 1 : int8_t(-t.m_nSort);
        if (g->m_fnSort) g->m_fnSort(g->m_pHost, i, static_cast<unsigned char>(t.m_nSort));
        result = 1;
        return TRUE;
    }
    return FALSE;
}

BOOL SelectGridOverlay::OnLButtonUp(UINT, int x, int y, int& result) {
    result = 0;
    CGridUI* g = m_pGrid;
    int n = std::min<int>(int(g->m_rows.size()), g->m_nPageRows);
    for (int i = 0; i < n; ++i) {
        const GridLine& r = *g->m_rows[i];
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom + 1) {
            g->m_nSelectedRow = int16_t(g->m_nTopRow + i);
            result = 1;
            return TRUE;
        }
    }
    return FALSE;
}

// ---------------------------------------------------------------- CScrollUI

CScrollUI::CScrollUI() : m_hScroll(this), m_vScroll(this) {
    m_vScroll.m_bHorizontal = FALSE;
}

CScrollUI::~CScrollUI() {
    if (m_hScroll.m_hWnd) m_hScroll.DestroyWindow();
    if (m_vScroll.m_hWnd) m_vScroll.DestroyWindow();
}

void CScrollUI::Attach(CWnd* host) {
    m_pHost = host;
    if (!host || !host->m_hWnd) return;
    CRect none(0, 0, 0, 0);
    if (!m_hScroll.m_hWnd) m_hScroll.CreateBar(WS_CHILD | WS_VISIBLE, none, host, UINT(-1));
    if (!m_vScroll.m_hWnd) m_vScroll.CreateBar(WS_CHILD | WS_VISIBLE | SBS_VERT, none, host, UINT(-1));
}

void CScrollUI::RecalcPage() {
    int rows = m_nLineHeight > 0 ? m_rcInner.Height() / m_nLineHeight : 1;
    if (m_nLineHeight > 0) {
        if (m_bShowTitle) --rows;
        if (m_bNeedHScroll) --rows;
    }
    if (rows <= 0) rows = 1;
    rows = std::min(rows, 32767);
    m_nRowsPerPage = m_nPageRows = int16_t(rows);
}

void CScrollUI::SetRect(int left, int top, int right, int bottom) {
    m_rcOuter = m_rcInner = CRect(left, top, right, bottom);
    RecalcPage();
    if (BarsExist()) {
        UpdateHScroll();
        UpdateVScroll();
        // Neither direction scrolls: the page still has to be filled and laid out.
        if (!m_bNeedHScroll && !m_bNeedVScroll) LayoutScrollBars();
    } else {
        LayoutScrollBars();
    }
}

void CScrollUI::PlaceBar(CXScrollBar& bar, const CRect& rc) {
    if (bar.m_hWnd)
        bar.SetWindowPos(nullptr, rc.left, rc.top, rc.Width(), rc.Height(),
                         SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    bar.SetClientRect(CRect(0, 0, std::max(0, rc.Width()), std::max(0, rc.Height())));
}

int CScrollUI::LayoutScrollBars() {
    bool vNeeded = m_bNeedVScroll && m_nPageRows < m_nRowCount;
    int cols = LayoutColumns();
    // From the outer edge, so that laying out twice does not take the strip twice.
    if (cols && m_bNeedHScroll && m_rcOuter.Height() > CXScrollBar::kThickness)
        m_rcInner.bottom = m_rcOuter.bottom - CXScrollBar::kThickness;
    if (vNeeded && m_rcOuter.Width() > CXScrollBar::kThickness) {
        m_rcInner.right = m_rcOuter.right - CXScrollBar::kThickness;
        m_bVScrollShown = 1;
    } else {
        m_rcInner.right = m_rcOuter.right;
        m_bVScrollShown = 0;
        m_nTopRow = 0;
    }
    bool hShown = cols && m_bNeedHScroll;
    PlaceBar(m_hScroll, hShown ? CRect(m_rcInner.left, m_rcInner.bottom, m_rcInner.right,
                                       m_rcInner.bottom + CXScrollBar::kThickness)
                               : CRect(0, 0, 0, 0));
    m_rcTitle = CRect(m_rcOuter.left, m_rcOuter.top, m_rcOuter.right,
                      m_rcOuter.top + (m_bShowTitle ? m_nLineHeight : 0));
    PlaceBar(m_vScroll, m_bVScrollShown ? CRect(m_rcInner.right, m_rcTitle.bottom,
                                                m_rcInner.right + CXScrollBar::kThickness, m_rcInner.bottom)
                                        : CRect(0, 0, 0, 0));
    if (m_fnFillPage) m_fnFillPage();
    LayoutRows();
    return cols;
}

void CScrollUI::UpdateHScroll() {
    if (!m_bNeedHScroll) return;
    LayoutScrollBars();
    m_nHMax = int16_t(std::max(0, m_nColumnCount - m_nFrozenCount - 1));
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, m_nHMax, 1,
                  m_nLastHidden - m_nFrozenCount + 1, 0};
    m_hScroll.SetScrollInfo(&si);
}

void CScrollUI::UpdateVScroll() {
    if (!m_bNeedVScroll) return;
    LayoutScrollBars();
    if (m_nRowCount < m_nPageRows) {
        m_nMaxTopRow = 0;
    } else {
        m_nMaxTopRow = int16_t(m_nRowCount - m_nPageRows);
        // Fewer rows than before: the page must not start past the last full page.
        if (m_nTopRow > m_nMaxTopRow) {
            m_nTopRow = m_nMaxTopRow;
            if (m_fnFillPage) m_fnFillPage();
            LayoutRows();
        }
    }
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, m_nMaxTopRow,
                  UINT(m_nPageRows), m_nRowCount < m_nPageRows ? 0 : m_nTopRow, 0};
    m_vScroll.SetScrollInfo(&si);
}

void CScrollUI::InvalidateHost() {
    if (m_pHost && m_pHost->m_hWnd) m_pHost->InvalidateRect(&m_rcOuter, FALSE);
}

bool CScrollUI::SetTopRow(int top) {
    top = std::clamp(top, 0, int(std::max<int16_t>(m_nMaxTopRow, 0)));
    if (top == m_nTopRow) return false;
    m_nTopRow = int16_t(top);
    m_vScroll.SetScrollPos(top);
    if (m_fnFillPage) m_fnFillPage();
    LayoutRows();
    return true;
}

int CScrollUI::OnScroll(int code, int pos, BOOL horizontal) {
    if (!horizontal) {
        int top = m_nTopRow;
        switch (code) {
            case SB_LINEUP: --top; break;
            case SB_LINEDOWN: ++top; break;
            case SB_PAGEUP: top -= m_nPageRows; break;
            case SB_PAGEDOWN: top += m_nPageRows; break;
            case SB_TOP: top = 0; break;
            case SB_BOTTOM: top = m_nMaxTopRow; break;
            case SB_THUMBTRACK: top = pos; break;
            default: break;
        }
        if (!SetTopRow(top)) return 0;
        InvalidateHost();
        return 1;
    }
    int last = m_nLastHidden;
    switch (code) {
        case SB_LINELEFT:
        case SB_PAGELEFT: --last; break;
        case SB_LINERIGHT:
        case SB_PAGERIGHT: ++last; break;
        // The bar's position counts scrolled columns; the frozen ones come before them.
        // SB_TOP and SB_BOTTOM are SB_LEFT and SB_RIGHT.
        case SB_THUMBTRACK: last = pos + m_nFrozenCount - 1; break;
        case SB_TOP: last = m_nFrozenCount - 1; break;
        case SB_BOTTOM: last = m_nColumnCount - 2; break;
        default: break;
    }
    int lo = m_nFrozenCount - 1, hi = std::max(lo, m_nColumnCount - 2);
    last = std::clamp(last, lo, hi);
    if (last == m_nLastHidden) return 0;
    m_nLastHidden = int16_t(last);
    m_hScroll.SetScrollPos(last - m_nFrozenCount + 1);
    LayoutColumns();
    InvalidateHost();
    return 1;
}

namespace {

bool ReadFlag(const tinyxml2::XMLElement* e, const char* key, int32_t& flag) {
    std::string v = GetXmlAttrString(e, key);
    if (v == "1" || v == "true") flag = 1;
    return true;
}

// "RGB(r,g,b)"; text that does not parse keeps the components read last.
COLORREF ReadColour(const tinyxml2::XMLElement* e, const char* key, int rgb[3]) {
    std::string v = GetXmlAttrString(e, key);
    int r, g, b;
    if (std::sscanf(v.c_str(), "RGB(%d,%d,%d)", &r, &g, &b) == 3) {
        rgb[0] = r;
        rgb[1] = g;
        rgb[2] = b;
    }
    return RGB(uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2]));
}

}  // namespace

void CScrollUI::LoadStyle(const tinyxml2::XMLElement* e) {
    if (!e) return;
    m_nColumnCount = int16_t(GetXmlAttrInt(e, "columnsize"));
    m_nLineHeight = int16_t(GetXmlAttrInt(e, "lineheight"));
    ReadFlag(e, "showTitle", m_bShowTitle);
    ReadFlag(e, "needhscroll", m_bNeedHScroll);
    ReadFlag(e, "needvscroll", m_bNeedVScroll);
    int rgb[3] = {0, 0, 0};
    COLORREF back = ReadColour(e, "sb_bkcolor", rgb);
    COLORREF thumb = ReadColour(e, "sb_thumbcolor", rgb);
    m_hScroll.SetColors(back, thumb);
    m_vScroll.SetColors(back, thumb);
}

// ---------------------------------------------------------------- CGridUI

CGridUI::CGridUI() = default;

CGridUI::~CGridUI() {
    m_overlays.clear();
    m_titles.clear();
    m_rows.clear();
}

bool CGridUI::AddTitle(const std::string& text, int width) {
    if (m_titles.size() >= size_t(kMaxColumns)) return false;
    m_titles.push_back(std::make_shared<GridTitle>(this, text, width));
    return true;
}

bool CGridUI::SetTitles(std::vector<std::shared_ptr<GridTitle>> titles) {
    if (titles.size() > size_t(kMaxColumns)) return false;
    m_titles = std::move(titles);
    for (auto& t : m_titles) t->m_pGrid = this;
    m_nColumnCount = int16_t(m_titles.size());
    return true;
}

void CGridUI::CreateFonts() {
    m_font.DeleteObject();
    m_titleFont.DeleteObject();
    m_font.CreateFont(m_nFontSize, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 32, m_strFontName.c_str());
    m_titleFont.CreateFont(m_nTitleFontSize, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 32,
                           m_strTitleFontName.c_str());
}

void CGridUI::InstallOverlays() {
    m_overlays = {std::make_shared<SplitOverlay>(this), std::make_shared<SortGridFiedOverlay>(this),
                  std::make_shared<SelectGridOverlay>(this)};
}

void CGridUI::ResizePage(int n, int columns, const std::function<std::shared_ptr<GridField>()>& makeCell) {
    n = std::max(n, 0);
    while (int(m_rows.size()) < n) {
        auto line = std::make_shared<GridLine>();
        line->m_pGrid = this;
        for (int c = 0; c < columns; ++c) {
            std::shared_ptr<GridField> cell = makeCell();
            cell->m_nColumn = c;
            cell->m_nRow = int(m_rows.size());
            cell->m_pLine = line.get();
            line->m_cells.push_back(std::move(cell));
        }
        m_rows.push_back(std::move(line));
    }
    if (int(m_rows.size()) > n) m_rows.resize(size_t(n));
}

void CGridUI::Attach(CWnd* host) {
    CScrollUI::Attach(host);
    CreateFonts();
    if (m_bCanDrag) InstallOverlays();
}

void CGridUI::RecalcPage() {
    int rows = 1;
    if (m_nLineHeight > 0) {
        rows = m_rcInner.Height() / m_nLineHeight;
        if (m_bShowTitle) --rows;
        if (m_bNeedHScroll) --rows;
    }
    rows = std::clamp(rows, 1, 500);
    m_nRowsPerPage = int16_t(rows);
    m_nPageRows = int16_t(m_bShow2Column ? 2 * rows : rows);
}

int CGridUI::LayoutColumns() {
    for (auto& o : m_overlays) o->OnLayout();
    int avail = m_bShow2Column ? m_rcInner.Width() / 2 : m_rcInner.Width();
    int x = 0, result = 0;
    uint32_t mask = 0;
    SplitOverlay* split = nullptr;
    for (auto& o : m_overlays)
        if (!split) split = dynamic_cast<SplitOverlay*>(o.get());
    for (int i = 0; i < int(m_titles.size()); ++i) {
        GridTitle& t = *m_titles[i];
        t.m_nLeft = int16_t(x);
        if (i >= m_nFrozenCount && i <= m_nLastHidden) {
            result = 1;
        } else {
            x += t.m_nWidth;
            if (x > avail)
                result = 1;
            else if (i < kMaxColumns)
                mask |= 1u << (i + 1);
        }
        t.m_nRight = int16_t(x);
        if (split) {
            auto bar = std::make_shared<GridSplitBar>();
            bar->m_nOrientation = 0;
            bar->m_rcBounds = CRect(m_rcInner.left + t.m_nLeft + 10, m_rcInner.top, m_rcInner.right,
                                    m_rcInner.top + m_nLineHeight - 1);
            bar->m_x1 = m_rcInner.left + t.m_nLeft + 10;
            bar->m_y1 = m_rcInner.top;
            bar->m_x2 = m_rcInner.right;
            bar->m_y2 = m_rcInner.bottom;
            bar->m_nPos = m_rcInner.left + x;
            bar->m_nPenWidth = 1;
            bar->m_nColumn = i;
            bar->m_nStart = bar->m_nPos;
            split->m_bars.push_back(bar);
        }
    }
    m_nVisibleMask = mask;
    return result;
}

void CGridUI::LayoutRows() {
    int middle = (m_rcInner.left + m_rcInner.right) / 2;
    int perPage = std::max<int>(m_nRowsPerPage, 1);
    int n = std::min<int>(int(m_rows.size()), m_nPageRows);
    for (int i = 0; i < n; ++i) {
        GridLine& r = *m_rows[i];
        bool second = m_bShow2Column && i >= perPage;
        r.left = second ? middle + 1 : m_rcInner.left;
        r.right = m_bShow2Column && !second ? middle - 1 : m_rcInner.right;
        r.top = m_rcTitle.bottom + (i % perPage) * m_nLineHeight;
        r.bottom = r.top + m_nLineHeight - 1;
    }
}

int CGridUI::TitleEnd() const {
    int middle = (m_rcTitle.left + m_rcTitle.right) / 2;
    return m_bShow2Column ? middle - 1 : m_rcTitle.right;
}

CRect CGridUI::TitleRect(int i) const {
    const GridTitle& t = *m_titles[i];
    return CRect(t.m_nLeft + m_rcTitle.left + 1, m_rcTitle.top, t.m_nRight + m_rcTitle.left - 1,
                 m_rcTitle.bottom - 1);
}

BOOL CGridUI::DrawTitle(CDC* dc) {
    int middle = (m_rcTitle.left + m_rcTitle.right) / 2;
    CRect band(m_rcTitle.left, m_rcTitle.top, m_rcTitle.right, m_rcTitle.bottom - 1);
    dc->FillSolidRect(&band, m_gridTitleBK);
    if (m_bShow2Column) {
        dc->MoveTo(middle, m_rcTitle.top);
        dc->LineTo(middle, m_rcInner.bottom);
    }
    int end = TitleEnd();
    for (int i = 0; i < int(m_titles.size()); ++i) {
        if (!IsColumnVisible(i)) continue;
        CRect rc = TitleRect(i);
        if (rc.right > end) break;
        if (m_bShowGridline && IsColumnVisible(i + 1)) {
            dc->MoveTo(rc.right + 1, rc.top);
            dc->LineTo(rc.right + 1, rc.bottom);
        }
        GridTitle& t = *m_titles[i];
        t.m_rect = rc;
        t.Draw(dc);
        if (m_bShow2Column) {
            t.m_rect.OffsetRect(middle + 1, 0);
            t.Draw(dc);
            t.m_rect = rc;
        }
    }
    dc->MoveTo(m_rcTitle.left, m_rcTitle.bottom);
    dc->LineTo(m_rcTitle.right, m_rcTitle.bottom);
    return TRUE;
}

void CGridUI::Draw(CDC* dc) {
    dc->SetBkMode(TRANSPARENT);
    dc->FillSolidRect(&m_rcInner, m_gridbk);
    CPen pen(PS_SOLID, m_nGridlineWidth, m_gridline);
    CPen* old = dc->SelectObject(&pen);
    if (m_bShowTitle) DrawTitle(dc);
    int n = std::min<int>(int(m_rows.size()), m_nPageRows);
    for (int i = 0; i < n; ++i) {
        GridLine& r = *m_rows[i];
        r.Draw(dc, m_nTopRow + i == m_nSelectedRow);
        if (m_bDashedRowLines) {
            DrawDashedLine(dc, 2, 2, m_rcInner.left, r.bottom, m_rcInner.right, r.bottom);
        } else if (m_bShowGridline) {
            dc->MoveTo(m_rcInner.left, r.bottom);
            dc->LineTo(m_rcInner.right, r.bottom);
        }
    }
    dc->SelectObject(old);
}

void CGridUI::OnLButtonDown(UINT flags, int x, int y) {
    for (auto& o : m_overlays)
        if (o->OnLButtonDown(flags, x, y)) return;
}

int CGridUI::OnLButtonUp(UINT flags, int x, int y) {
    // A copy: the split overlay's release lays the columns out again.
    auto overlays = m_overlays;
    for (auto& o : overlays) {
        int result = 0;
        if (o->OnLButtonUp(flags, x, y, result)) return result;
    }
    return 0;
}

void CGridUI::OnMouseMove(UINT flags, int x, int y) {
    for (auto& o : m_overlays)
        if (o->OnMouseMove(flags, x, y)) return;
    if (GetCommonResouce()) ::SetCursor(GetCommonResouce()->GetCursorOrArrow(CommonResouce::kCursorArrow));
}

int CGridUI::HitTestRow(int x, int y) const {
    int n = std::min<int>(int(m_rows.size()), m_nPageRows);
    for (int i = 0; i < n; ++i) {
        const GridLine& r = *m_rows[i];
        if (x >= r.left && x < r.right && y >= r.top && y <= r.bottom) return m_nTopRow + i;
    }
    return -1;
}

void CGridUI::LoadStyle(const tinyxml2::XMLElement* e) {
    if (!e) return;
    int rgb[3] = {0, 0, 0};
    m_gridbk = ReadColour(e, "gridbk", rgb);
    m_gridhighbk = ReadColour(e, "gridhighbk", rgb);
    m_gridline = ReadColour(e, "gridline", rgb);
    m_gridTitleBK = ReadColour(e, "gridTitleBK", rgb);
    m_gridTitle = ReadColour(e, "gridTitle", rgb);
    m_nGridlineWidth = GetXmlAttrInt(e, "gridlineWidth");
    ReadFlag(e, "showGridline", m_bShowGridline);
    ReadFlag(e, "show2column", m_bShow2Column);
    ReadFlag(e, "canDrag", m_bCanDrag);
    m_nFontSize = GetXmlAttrInt(e, "gridFontsize");
    // A skin that names no face keeps the default one: an empty face would leave the
    // text to whatever the system substitutes.
    std::string face = GetXmlAttrString(e, "gridfontName");
    if (!face.empty()) m_strFontName = face;
    m_nTitleFontSize = GetXmlAttrInt(e, "gridTitleFontsize");
    face = GetXmlAttrString(e, "gridTitlefontName");
    if (!face.empty()) m_strTitleFontName = face;
    if (m_nTitleFontSize == 0) m_nTitleFontSize = m_nFontSize;
    CScrollUI::LoadStyle(e);
}
