#pragma once
// The one owner-drawn table of the program: quote lists, the code input's candidates,
// host lists, trade records and drop lists are all CGridUI. It is windowless: it draws
// into its host's DC inside the rectangle the host gives it, and the host forwards the
// mouse to it. It is a virtual list: only the rows of the visible page exist, and the
// host's page-fill function rebuilds them from its own data whenever the page moves.
//
// CScrollUI is the scrolling half: page arithmetic, the two thin scroll bars and the
// scrolling style keys. Column resize, header sort and row selection are overlays.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Gdi.h"
#include "platform/Wnd.h"
#include "ui/grid/XScrollBar.h"
#include "ui/layout/LayoutCutter.h"

namespace tinyxml2 {
class XMLElement;
}

class CGridUI;
class GridLine;

// One cell: widths and edges relative to the left of the title band and of each row.
class AtomicData {
public:
    virtual ~AtomicData() = default;
    virtual void Draw(CDC* dc) {}
    int16_t m_nWidth = 0;
    int16_t m_nLeft = 0;
    int16_t m_nRight = 0;
    CRect m_rect;  // last drawing rectangle, host coordinates
};

class GridTitle : public AtomicData {
public:
    GridTitle() = default;
    GridTitle(CGridUI* owner, std::string text, int width) : m_strText(std::move(text)), m_pGrid(owner) {
        m_nWidth = int16_t(width);
    }
    void Draw(CDC* dc) override;
    std::string m_strText;
    int8_t m_nSort = 0;  // 0 unsorted, 1, -1
    CGridUI* m_pGrid = nullptr;
};

// A data cell; every grid user derives its own.
class GridField : public AtomicData {
public:
    int m_nColumn = 0;
    int m_nRow = 0;  // index within the page
    GridLine* m_pLine = nullptr;
    // Helpers for the common cell: selected (top row + row index = selected row).
    bool IsSelected() const;
};

// A cell holding one text, drawn centred; the colours of the selected and other rows.
class GridTextField : public GridField {
public:
    void Draw(CDC* dc) override;
    std::string m_strText;
    COLORREF m_clrText = RGB(0, 0, 0);
    COLORREF m_clrSelText = RGB(255, 255, 255);
    CFont* m_pFont = nullptr;  // null: the grid's cell font
};

class GridLine {
public:
    virtual ~GridLine() = default;
    virtual void Draw(CDC* dc, BOOL selected);
    std::vector<std::shared_ptr<GridField>> m_cells;
    CGridUI* m_pGrid = nullptr;
    int left = 0, top = 0, right = 0, bottom = 0;
};

class GridOverlay {
public:
    explicit GridOverlay(CGridUI* grid) : m_pGrid(grid) {}
    virtual ~GridOverlay() = default;
    virtual BOOL OnLButtonDown(UINT flags, int x, int y) { return FALSE; }
    virtual BOOL OnLButtonUp(UINT flags, int x, int y, int& result) {
        result = 0;
        return FALSE;
    }
    virtual BOOL OnMouseMove(UINT flags, int x, int y) { return FALSE; }
    virtual void OnLayout() {}
    CGridUI* m_pGrid;
};

// Column resizing by the separators in the title band.
class SplitOverlay : public GridOverlay {
public:
    using GridOverlay::GridOverlay;
    BOOL OnLButtonDown(UINT flags, int x, int y) override;
    BOOL OnLButtonUp(UINT flags, int x, int y, int& result) override;
    BOOL OnMouseMove(UINT flags, int x, int y) override;
    void OnLayout() override {
        m_bars.clear();
        m_nDragging = -1;
    }
    std::vector<std::shared_ptr<CSplitBar>> m_bars;
    int m_nDragging = -1;
};

class SortGridFiedOverlay : public GridOverlay {
public:
    using GridOverlay::GridOverlay;
    BOOL OnLButtonUp(UINT flags, int x, int y, int& result) override;
};

class SelectGridOverlay : public GridOverlay {
public:
    using GridOverlay::GridOverlay;
    BOOL OnLButtonUp(UINT flags, int x, int y, int& result) override;
};

class CScrollUI {
public:
    CScrollUI();
    virtual ~CScrollUI();
    CScrollUI(const CScrollUI&) = delete;
    CScrollUI& operator=(const CScrollUI&) = delete;

    virtual void Attach(CWnd* host);
    virtual void RecalcPage();
    virtual void UpdateHScroll();
    virtual void UpdateVScroll();
    virtual int LayoutScrollBars();
    virtual int LayoutColumns() { return 0; }
    virtual void LayoutRows() {}

    void SetRect(int left, int top, int right, int bottom);
    void SetRect(const RECT& rc) { SetRect(rc.left, rc.top, rc.right, rc.bottom); }
    // Scroll codes of the bars (and of hosts for keys); 1 when the page moved.
    int OnScroll(int code, int pos, BOOL horizontal);
    // Moves the top row (clamped); true when it changed. Refills and lays out the rows.
    bool SetTopRow(int top);
    void LoadStyle(const tinyxml2::XMLElement* element);
    void InvalidateHost();

    CWnd* m_pHost = nullptr;
    CRect m_rcOuter;
    CRect m_rcInner;
    CRect m_rcTitle;
    int32_t m_bNeedVScroll = 0;
    int32_t m_bNeedHScroll = 0;
    int32_t m_bVScrollShown = 0;
    int32_t m_bShowTitle = 0;
    int16_t m_nColumnCount = 1;
    int16_t m_nFrozenCount = 1;
    int16_t m_nLastHidden = 0;
    int16_t m_nRowCount = 0;
    int16_t m_nRowsPerPage = 1;
    int16_t m_nPageRows = 1;
    int16_t m_nTopRow = 0;
    int16_t m_nSelectedRow = -1;
    int16_t m_nLineHeight = 0;
    int16_t m_nHMax = 0;
    int16_t m_nMaxTopRow = 0;
    std::function<void()> m_fnFillPage;
    CXScrollBar m_hScroll;
    CXScrollBar m_vScroll;

protected:
    bool BarsExist() const { return m_hScroll.m_hWnd || m_vScroll.m_hWnd; }
    void PlaceBar(CXScrollBar& bar, const CRect& rc);
};

class CGridUI : public CScrollUI {
public:
    static constexpr int kMaxColumns = 31;
    using SortCallback = void (*)(CWnd* host, int column, unsigned char direction);

    CGridUI();
    ~CGridUI() override;

    void Attach(CWnd* host) override;
    void RecalcPage() override;
    int LayoutColumns() override;
    void LayoutRows() override;
    BOOL DrawTitle(CDC* dc);

    // Adds a column; false (nothing added) past the 31 columns the visibility mask holds.
    bool AddTitle(const std::string& text, int width);
    // Replaces the titles; false and nothing changed when there are more than 31.
    bool SetTitles(std::vector<std::shared_ptr<GridTitle>> titles);
    void LoadStyle(const tinyxml2::XMLElement* element);
    void Draw(CDC* dc);
    void OnLButtonDown(UINT flags, int x, int y);
    int OnLButtonUp(UINT flags, int x, int y);
    void OnMouseMove(UINT flags, int x, int y);
    int HitTestRow(int x, int y) const;
    bool IsColumnVisible(int i) const { return i >= 0 && i < kMaxColumns && (m_nVisibleMask >> (i + 1)) & 1u; }
    // The title rectangle DrawTitle uses for column i (host coordinates).
    CRect TitleRect(int i) const;
    int TitleEnd() const;
    // Makes the fonts from the current names and sizes (Attach does it too).
    void CreateFonts();
    // Sets the overlays a draggable grid has: split, sort, select.
    void InstallOverlays();
    // The page-fill contract's bookkeeping: keeps n visible rows, making a missing one
    // with one cell per column from makeCell (told its column and visible row) and
    // dropping rows past n. The caller then puts the data into the cells.
    void ResizePage(int n, int columns, const std::function<std::shared_ptr<GridField>()>& makeCell);

    std::vector<std::shared_ptr<GridLine>> m_rows;
    std::vector<std::shared_ptr<GridTitle>> m_titles;
    COLORREF m_gridbk = RGB(255, 255, 255);
    COLORREF m_gridhighbk = RGB(49, 106, 197);
    COLORREF m_gridline = RGB(192, 192, 192);
    COLORREF m_gridTitleBK = RGB(230, 230, 230);
    COLORREF m_gridTitle = RGB(0, 0, 0);
    int32_t m_nGridlineWidth = 1;
    int32_t m_bShowGridline = 0;
    int32_t m_bDashedRowLines = 0;
    int32_t m_bShow2Column = 0;
    int32_t m_bCanDrag = 0;
    int32_t m_nFontSize = 12;
    std::string m_strFontName = "宋体";
    int32_t m_nTitleFontSize = 12;
    std::string m_strTitleFontName = "宋体";
    int32_t m_bDragFinished = 1;
    int32_t m_bRedrawPending = 0;
    int16_t m_nSortColumn = -1;
    uint32_t m_nVisibleMask = 0;
    CFont m_font;
    CFont m_titleFont;
    SortCallback m_fnSort = nullptr;
    std::vector<std::shared_ptr<GridOverlay>> m_overlays;
};
