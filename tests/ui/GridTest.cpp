// The windowless grid: page arithmetic, scrolling by rows and columns, the overlays
// (resize, sort, select), hit tests, style keys, the thin scroll bar and the quote list.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <memory>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "ui/grid/GridUI.h"
#include "ui/grid/ReportWnd.h"
#include "ui/grid/XScrollBar.h"

using grid_test::Canvas;
using grid_test::HostWnd;

namespace {

// A grid over "r<n>" rows, one text per column, filled as hosts do.
struct TextGrid {
    CGridUI grid;
    std::vector<std::string> data;

    TextGrid(int rows, int columns, int width = 50) {
        for (int c = 0; c < columns; ++c) grid.AddTitle("c" + std::to_string(c), width);
        grid.m_nColumnCount = int16_t(columns);
        for (int r = 0; r < rows; ++r) data.push_back("r" + std::to_string(r));
        grid.m_nRowCount = int16_t(rows);
        grid.m_fnFillPage = [this] { Fill(); };
    }
    void Fill() {
        int top = grid.m_nTopRow;
        int n = top < int(data.size()) ? std::min<int>(grid.m_nPageRows, int(data.size()) - top) : 0;
        grid.ResizePage(n, grid.m_nColumnCount, [] { return std::make_shared<GridTextField>(); });
        for (int i = 0; i < n; ++i)
            for (auto& cell : grid.m_rows[size_t(i)]->m_cells)
                static_cast<GridTextField&>(*cell).m_strText = data[size_t(top + i)];
    }
    std::string FirstText() const {
        return grid.m_rows.empty() ? "" : static_cast<GridTextField&>(*grid.m_rows[0]->m_cells[0]).m_strText;
    }
};

TEST(GridPage, RowsPerPageAndPageRows) {
    struct Case {
        int lineHeight, height, title, hscroll, twoColumns, rowsPerPage, pageRows;
    } cases[] = {
        {20, 210, 1, 1, 0, 8, 8},        // 10 - title - horizontal strip
        {20, 210, 1, 1, 1, 8, 16},       // two-column mode doubles the page
        {1, 700, 0, 0, 0, 500, 500},     // clamped to 500
        {1, 700, 0, 0, 1, 500, 1000},
        {20, 30, 1, 1, 0, 1, 1},         // nothing left: one row
        {0, 300, 0, 0, 0, 1, 1},         // no line height: one row
        {24, 218, 0, 0, 0, 9, 9},
    };
    for (const Case& c : cases) {
        CGridUI grid;
        grid.m_nLineHeight = int16_t(c.lineHeight);
        grid.m_bShowTitle = c.title;
        grid.m_bNeedHScroll = c.hscroll;
        grid.m_bShow2Column = c.twoColumns;
        grid.m_rcInner = CRect(0, 0, 300, c.height);
        grid.RecalcPage();
        EXPECT_EQ(grid.m_nRowsPerPage, c.rowsPerPage) << c.lineHeight << "/" << c.height;
        EXPECT_EQ(grid.m_nPageRows, c.pageRows) << c.lineHeight << "/" << c.height;
    }
    // The scrolling base has no upper clamp and no doubling.
    CScrollUI base;
    base.m_nLineHeight = 1;
    base.m_rcInner = CRect(0, 0, 10, 700);
    base.RecalcPage();
    EXPECT_EQ(base.m_nPageRows, 700);
}

TEST(GridScroll, VerticalCodesMoveTheTopRowAndRefillThePage) {
    HostWnd host;
    TextGrid t(30, 3);
    t.grid.m_nLineHeight = 20;
    t.grid.m_bShowTitle = 1;
    t.grid.m_bNeedVScroll = 1;
    t.grid.Attach(&host);
    t.grid.SetRect(0, 0, 200, 200);  // 10 lines less the title: 9 rows
    ASSERT_EQ(t.grid.m_nPageRows, 9);
    EXPECT_EQ(t.grid.m_nMaxTopRow, 21);
    EXPECT_TRUE(t.grid.m_bVScrollShown);
    EXPECT_EQ(t.grid.m_rcInner.right, 194);  // the bar's strip
    struct Step {
        int code, pos, top, changed;
    } steps[] = {
        {SB_LINEUP, 0, 0, 0},      {SB_LINEDOWN, 0, 1, 1},  {SB_PAGEDOWN, 0, 10, 1},
        {SB_PAGEDOWN, 0, 19, 1},   {SB_PAGEDOWN, 0, 21, 1}, {SB_LINEDOWN, 0, 21, 0},
        {SB_THUMBTRACK, 5, 5, 1},  {SB_THUMBPOSITION, 9, 5, 0}, {SB_ENDSCROLL, 0, 5, 0},
        {SB_THUMBTRACK, 900, 21, 1}, {SB_TOP, 0, 0, 1},     {SB_BOTTOM, 0, 21, 1},
        {SB_PAGEUP, 0, 12, 1},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(t.grid.OnScroll(s.code, s.pos, FALSE), s.changed) << s.code << " " << s.pos;
        EXPECT_EQ(t.grid.m_nTopRow, s.top) << s.code << " " << s.pos;
        EXPECT_EQ(t.grid.m_vScroll.GetInfo().nPos, s.top);
        EXPECT_EQ(t.FirstText(), "r" + std::to_string(s.top));
        EXPECT_EQ(t.grid.m_rows.size(), 9u);
    }
}

TEST(GridScroll, FewerRowsThanAPageHideTheBar) {
    HostWnd host;
    TextGrid t(10, 2);
    t.grid.m_nLineHeight = 10;
    t.grid.m_bNeedVScroll = 1;
    t.grid.m_nTopRow = 3;
    t.grid.Attach(&host);
    t.grid.SetRect(0, 0, 100, 160);  // 16 page rows
    EXPECT_EQ(t.grid.m_nPageRows, 16);
    EXPECT_FALSE(t.grid.m_bVScrollShown);
    EXPECT_EQ(t.grid.m_nTopRow, 0);
    EXPECT_EQ(t.grid.m_vScroll.GetInfo().nMax, 0);
    EXPECT_EQ(t.grid.m_vScroll.GetInfo().nPos, 0);
    EXPECT_EQ(t.grid.m_rcInner.right, 100);
    EXPECT_EQ(t.grid.m_rows.size(), 10u);
    EXPECT_EQ(t.grid.OnScroll(SB_LINEDOWN, 0, FALSE), 0);
}

TEST(GridScroll, HorizontalScrollingMovesWholeColumns) {
    HostWnd host;
    TextGrid t(5, 6, 50);  // 300 pixels of columns in 200
    t.grid.m_nLineHeight = 20;
    t.grid.m_bNeedHScroll = 1;
    t.grid.Attach(&host);
    t.grid.SetRect(0, 0, 200, 200);
    EXPECT_EQ(t.grid.m_rcInner.bottom, 194);
    EXPECT_EQ(t.grid.m_hScroll.GetInfo().nMax, 4);  // 6 columns, 1 frozen
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(t.grid.IsColumnVisible(i)) << i;
    EXPECT_FALSE(t.grid.IsColumnVisible(4));
    struct Step {
        int code, pos, lastHidden, changed;
    } steps[] = {
        {SB_LINELEFT, 0, 0, 0},  {SB_LINERIGHT, 0, 1, 1}, {SB_PAGERIGHT, 0, 2, 1},
        {SB_BOTTOM, 0, 4, 1},    {SB_LINERIGHT, 0, 4, 0}, {SB_THUMBTRACK, 2, 2, 1},
        {SB_TOP, 0, 0, 1},       {SB_THUMBTRACK, 99, 4, 1},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(t.grid.OnScroll(s.code, s.pos, TRUE), s.changed) << s.code;
        EXPECT_EQ(t.grid.m_nLastHidden, s.lastHidden) << s.code;
        EXPECT_EQ(t.grid.m_hScroll.GetInfo().nPos, s.lastHidden) << s.code;
    }
    // Scrolled to the end: the frozen column stays, columns 1-4 are scrolled away.
    EXPECT_TRUE(t.grid.IsColumnVisible(0));
    for (int i = 1; i <= 4; ++i) EXPECT_FALSE(t.grid.IsColumnVisible(i)) << i;
    EXPECT_TRUE(t.grid.IsColumnVisible(5));
    EXPECT_EQ(t.grid.m_titles[5]->m_nLeft, 50);
}

TEST(GridColumns, MoreThanThirtyOneAreRefused) {
    CGridUI grid;
    for (int i = 0; i < CGridUI::kMaxColumns; ++i) EXPECT_TRUE(grid.AddTitle("t", 10)) << i;
    EXPECT_FALSE(grid.AddTitle("one too many", 10));
    EXPECT_EQ(grid.m_titles.size(), 31u);
    std::vector<std::shared_ptr<GridTitle>> many;
    for (int i = 0; i < 32; ++i) many.push_back(std::make_shared<GridTitle>(nullptr, "x", 5));
    EXPECT_FALSE(grid.SetTitles(many));
    EXPECT_EQ(grid.m_titles.size(), 31u);
    many.pop_back();
    EXPECT_TRUE(grid.SetTitles(many));
    EXPECT_EQ(grid.m_nColumnCount, 31);
    grid.m_rcInner = CRect(0, 0, 1000, 100);
    grid.m_nLastHidden = 0;
    grid.LayoutColumns();
    EXPECT_TRUE(grid.IsColumnVisible(30));
    EXPECT_FALSE(grid.IsColumnVisible(31));
}

struct SortRecord {
    static std::vector<std::pair<int, int>> calls;
    static void Callback(CWnd*, int column, unsigned char direction) { calls.push_back({column, direction}); }
};
std::vector<std::pair<int, int>> SortRecord::calls;

TEST(GridOverlays, HeaderSortCyclesAndResetsTheOtherColumn) {
    HostWnd host;
    TextGrid t(5, 3, 60);
    t.grid.m_nLineHeight = 20;
    t.grid.m_bShowTitle = 1;
    t.grid.m_bCanDrag = 1;
    t.grid.m_fnSort = &SortRecord::Callback;
    t.grid.Attach(&host);
    t.grid.SetRect(0, 0, 300, 200);
    SortRecord::calls.clear();
    // The middle of column 1's title (its separator sits at x 120).
    for (int i = 0; i < 3; ++i) EXPECT_EQ(t.grid.OnLButtonUp(0, 90, 10), 1);
    EXPECT_EQ(t.grid.m_titles[1]->m_nSort, 1);
    std::vector<std::pair<int, int>> expected{{1, 1}, {1, 255}, {1, 1}};
    EXPECT_EQ(SortRecord::calls, expected);
    EXPECT_EQ(t.grid.OnLButtonUp(0, 150, 10), 1);
    EXPECT_EQ(t.grid.m_titles[1]->m_nSort, 0);
    EXPECT_EQ(t.grid.m_titles[2]->m_nSort, 1);
    EXPECT_EQ(t.grid.m_nSortColumn, 2);
}

TEST(GridOverlays, RowClickSelectsAndHitTestFindsTheRow) {
    HostWnd host;
    TextGrid t(30, 2, 60);
    t.grid.m_nLineHeight = 20;
    t.grid.m_bShowTitle = 1;
    t.grid.m_bNeedVScroll = 1;
    t.grid.m_bCanDrag = 1;
    t.grid.Attach(&host);
    t.grid.SetRect(0, 0, 200, 200);
    t.grid.OnScroll(SB_LINEDOWN, 0, FALSE);
    struct Case {
        int x, y, row;
    } cases[] = {{10, 25, 1}, {10, 39, 1}, {10, 40, 2}, {10, 199, 9}, {10, 5, -1}, {196, 50, -1}};
    for (const Case& c : cases) EXPECT_EQ(t.grid.HitTestRow(c.x, c.y), c.row) << c.x << "," << c.y;
    EXPECT_EQ(t.grid.OnLButtonUp(0, 10, 65), 1);
    EXPECT_EQ(t.grid.m_nSelectedRow, 3);
    EXPECT_EQ(t.grid.OnLButtonUp(0, 10, 5), 1);  // on the title: the sort overlay takes it
    EXPECT_EQ(t.grid.m_nSelectedRow, 3);
}

TEST(GridOverlays, ColumnResizeKeepsTenPixelsAndAStillDragChangesNothing) {
    HostWnd host;
    host.ShowWindow(SW_SHOW);
    TextGrid t(5, 3, 60);
    t.grid.m_nLineHeight = 20;
    t.grid.m_bShowTitle = 1;
    t.grid.m_bCanDrag = 1;
    t.grid.Attach(&host);
    t.grid.SetRect(0, 0, 300, 200);
    // Column 1 spans 60..120; its separator is at 120.
    t.grid.OnLButtonDown(0, 120, 10);
    t.grid.OnLButtonUp(0, 120, 10);
    EXPECT_EQ(t.grid.m_titles[1]->m_nWidth, 60);
    EXPECT_TRUE(t.grid.m_bDragFinished);

    t.grid.OnLButtonDown(0, 120, 10);
    EXPECT_FALSE(t.grid.m_bDragFinished);
    t.grid.OnMouseMove(0, 100, 10);
    t.grid.OnMouseMove(0, 65, 10);  // left of 60 + 10: the separator stays at 100
    t.grid.OnLButtonUp(0, 65, 10);
    EXPECT_EQ(t.grid.m_titles[1]->m_nWidth, 40);
    EXPECT_EQ(t.grid.m_titles[2]->m_nLeft, 100);

    t.grid.OnLButtonDown(0, 100, 10);
    t.grid.OnMouseMove(0, 71, 10);
    t.grid.OnMouseMove(0, 30, 10);
    t.grid.OnLButtonUp(0, 30, 10);
    EXPECT_EQ(t.grid.m_titles[1]->m_nWidth, 11);
    EXPECT_GE(t.grid.m_titles[1]->m_nWidth, 10);
}

TEST(GridStyle, KeysFlagsFontsAndColours) {
    struct Case {
        const char* xml;
        const char* face;
        int fontSize, titleSize;
        COLORREF gridbk, gridhighbk;
        int showTitle;
    } cases[] = {
        {"<g gridbk=\"RGB(1,2,3)\" gridhighbk=\"bad\" gridFontsize=\"14\" showTitle=\"true\"/>", "宋体", 14, 14,
         RGB(1, 2, 3), RGB(1, 2, 3), 1},
        {"<g gridfontName=\"Arial\" gridFontsize=\"12\" gridTitleFontsize=\"16\" showTitle=\"yes\"/>", "Arial",
         12, 16, RGB(0, 0, 0), RGB(0, 0, 0), 0},
        {"<g gridbk=\"RGB(9,9,9)\" gridhighbk=\"RGB(4,5,6)\" showTitle=\"1\"/>", "宋体", 0, 0, RGB(9, 9, 9),
         RGB(4, 5, 6), 1},
    };
    for (const Case& c : cases) {
        tinyxml2::XMLDocument doc;
        ASSERT_EQ(doc.Parse(c.xml), tinyxml2::XML_SUCCESS);
        CGridUI grid;
        grid.LoadStyle(doc.RootElement());
        EXPECT_EQ(grid.m_strFontName, c.face) << c.xml;
        EXPECT_EQ(grid.m_nFontSize, c.fontSize) << c.xml;
        EXPECT_EQ(grid.m_nTitleFontSize, c.titleSize) << c.xml;
        EXPECT_EQ(grid.m_gridbk, c.gridbk) << c.xml;
        EXPECT_EQ(grid.m_gridhighbk, c.gridhighbk) << c.xml;
        EXPECT_EQ(grid.m_bShowTitle, c.showTitle) << c.xml;
    }
    tinyxml2::XMLDocument doc;
    doc.Parse("<g lineheight=\"22\" columnsize=\"4\" needvscroll=\"1\" sb_bkcolor=\"RGB(10,20,30)\" "
              "sb_thumbcolor=\"RGB(40,50,60)\"/>");
    CGridUI grid;
    grid.LoadStyle(doc.RootElement());
    EXPECT_EQ(grid.m_nLineHeight, 22);
    EXPECT_EQ(grid.m_nColumnCount, 4);
    EXPECT_EQ(grid.m_bNeedVScroll, 1);
    EXPECT_EQ(grid.m_vScroll.m_clrBack, RGB(10, 20, 30));
    EXPECT_EQ(grid.m_hScroll.m_clrThumb, RGB(40, 50, 60));
}

TEST(GridDraw, TitleRowsAndSelectionPixels) {
    HostWnd host;
    TextGrid t(30, 3, 60);
    t.grid.m_nLineHeight = 20;
    t.grid.m_bShowTitle = 1;
    t.grid.m_bNeedVScroll = 1;
    t.grid.m_bShowGridline = 1;
    t.grid.m_gridbk = RGB(20, 29, 37);
    t.grid.m_gridhighbk = RGB(49, 106, 197);
    t.grid.m_gridTitleBK = RGB(34, 50, 65);
    t.grid.m_gridline = RGB(200, 0, 0);
    t.grid.m_gridTitle = RGB(255, 255, 255);
    for (auto& title : t.grid.m_titles) title->m_strText = "代码";
    t.grid.Attach(&host);
    t.grid.SetRect(0, 0, 200, 200);
    t.grid.m_nSelectedRow = 2;
    Canvas canvas(200, 200);
    t.grid.Draw(&canvas.dc);
    canvas.Save("grid_page.png");
    EXPECT_EQ(canvas.Pixel(3, 3), RGB(34, 50, 65));       // title band
    EXPECT_EQ(canvas.Pixel(3, 20), RGB(200, 0, 0));      // line under the titles
    EXPECT_EQ(canvas.Pixel(5, 30), RGB(20, 29, 37));     // row 0
    EXPECT_EQ(canvas.Pixel(5, 70), RGB(49, 106, 197));   // row 2, selected
    EXPECT_EQ(canvas.Pixel(120, 70), RGB(200, 0, 0));    // column separator in a row
    EXPECT_EQ(canvas.Pixel(5, 39), RGB(200, 0, 0));      // row line
    // Text was drawn in the selected row and in the titles.
    int light = 0, titleInk = 0;
    for (int x = 0; x < 60; ++x)
        for (int y = 61; y < 79; ++y) light += canvas.Pixel(x, y) != RGB(49, 106, 197);
    for (int x = 0; x < 60; ++x)
        for (int y = 1; y < 18; ++y) titleInk += canvas.Pixel(x, y) != RGB(34, 50, 65);
    EXPECT_GT(light, 5);
    EXPECT_GT(titleInk, 5);
}

// ---------------------------------------------------------------- thin scroll bar

TEST(XScrollBar, ThumbGeometry) {
    struct Case {
        int length, min, max, page, pos;
        CRect thumb;
    } cases[] = {
        {100, 0, 90, 10, 45, CRect(0, 45, 6, 55)},
        {100, 0, 90, 10, 0, CRect(0, 0, 6, 10)},
        {100, 0, 90, 10, 90, CRect(0, 90, 6, 100)},
        {100, 0, 10000, 1, 0, CRect(0, 0, 6, 6)},        // never thinner than 6
        {100, 0, 10000, 1, 10000, CRect(0, 94, 6, 100)},
        {5, 0, 90, 10, 45, CRect()},                       // a bar shorter than 6: no thumb
        {100, 10, 10, 10, 10, CRect(0, 0, 6, 100)},        // max = min: whole bar
        {100, 0, 0, 0, 0, CRect()},                        // nothing to scroll
        {200, 50, 150, 100, 100, CRect(0, 50, 6, 150)},    // minimum other than 0
    };
    for (const Case& c : cases) {
        CXScrollBar bar;
        bar.m_bHorizontal = FALSE;
        bar.SetClientRect(CRect(0, 0, 6, c.length));
        SCROLLINFO si{sizeof si, SIF_ALL, c.min, c.max, UINT(c.page), c.pos, 0};
        bar.SetScrollInfo(&si);
        EXPECT_EQ(bar.GetThumbRect(), c.thumb) << c.length << " " << c.max << " " << c.page << " " << c.pos;
    }
    CXScrollBar h;
    h.SetClientRect(CRect(0, 0, 100, 6));
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 90, 10, 45, 0};
    h.SetScrollInfo(&si);
    EXPECT_EQ(h.GetThumbRect(), CRect(45, 0, 55, 6));
}

TEST(XScrollBar, InfoInvariantsAndSetScrollPos) {
    CXScrollBar bar;
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_POS, 20, 5, 0, 99, 0};  // max below min
    EXPECT_EQ(bar.SetScrollInfo(&si), 1);
    EXPECT_EQ(bar.GetInfo().nMax, 20);
    EXPECT_EQ(bar.GetInfo().nPos, 20);
    si = {sizeof si, SIF_RANGE, 0, 50, 0, 0, 0};
    bar.SetScrollInfo(&si);
    EXPECT_EQ(bar.SetScrollPos(70), 20);
    EXPECT_EQ(bar.GetInfo().nPos, 50);
    EXPECT_EQ(bar.SetScrollPos(-5), 50);
    EXPECT_EQ(bar.GetInfo().nPos, 0);
    si = {sizeof si, SIF_PAGE, 0, 0, 7, 0, 0};
    bar.SetScrollInfo(&si);
    EXPECT_EQ(bar.GetInfo().nPage, 7u);
    EXPECT_EQ(bar.GetInfo().nMax, 50);
}

TEST(XScrollBar, DragMappingAndClicksBesideTheThumb) {
    HostWnd host;
    TextGrid t(100, 1, 60);  // 10 rows a page: positions 0..90
    t.grid.m_nLineHeight = 10;
    t.grid.m_bNeedVScroll = 1;
    t.grid.Attach(&host);
    t.grid.SetRect(0, 0, 106, 100);
    CXScrollBar& bar = t.grid.m_vScroll;
    ASSERT_EQ(bar.GetInfo().nMax, 90);
    ASSERT_EQ(bar.GetThumbRect(), CRect(0, 0, 6, 10));
    // One page per click beside the thumb.
    bar.PressAt(CPoint(3, 50));
    EXPECT_EQ(t.grid.m_nTopRow, 10);
    bar.ReleaseAt(CPoint(3, 50));
    bar.PressAt(CPoint(3, 2));
    EXPECT_EQ(t.grid.m_nTopRow, 0);
    EXPECT_FALSE(bar.m_bDragging);
    // Dragging: the thumb's 90 free pixels map onto positions 0..90.
    struct Move {
        int y, top;
    } moves[] = {{50, 45}, {52, 47}, {200, 90}, {-40, 0}, {5, 0}, {95, 90}};
    bar.PressAt(CPoint(3, 5));
    ASSERT_TRUE(bar.m_bDragging);
    for (const Move& m : moves) {
        bar.MoveTo(CPoint(3, m.y));
        EXPECT_EQ(t.grid.m_nTopRow, m.top) << m.y;
        EXPECT_EQ(bar.GetInfo().nPos, m.top) << m.y;
    }
    bar.ReleaseAt(CPoint(3, 95));
    EXPECT_FALSE(bar.m_bDragging);
    bar.MoveTo(CPoint(3, 20));
    EXPECT_EQ(t.grid.m_nTopRow, 90);

    // A bar too short for a thumb ignores drags.
    CXScrollBar tiny;
    tiny.m_bHorizontal = FALSE;
    tiny.SetClientRect(CRect(0, 0, 6, 5));
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 90, 10, 0, 0};
    tiny.SetScrollInfo(&si);
    tiny.m_bDragging = TRUE;
    tiny.MoveTo(CPoint(3, 4));
    EXPECT_EQ(tiny.GetInfo().nPos, 0);
}

// ---------------------------------------------------------------- quote list

struct ReportFixture : ::testing::Test {
    HostWnd parent{500, 500};
    CReportWnd report;
    void SetUp() override {
        ASSERT_TRUE(report.Create(&parent));
        parent.ShowWindow(SW_SHOW);
        report.MoveWindow(0, 0, 400, 35 * 11);  // 11 lines: 10 rows below the title
        platform::ProcessPendingEvents();
    }
    std::string Text(int row, int column) const {
        return static_cast<CReportField&>(*report.m_grid.m_rows[size_t(row)]->m_cells[size_t(column)]).m_strText;
    }
};

TEST_F(ReportFixture, ShowsThirtySampleRowsWithTheFirstSelected) {
    EXPECT_EQ(report.m_grid.m_nRowCount, 30);
    EXPECT_EQ(report.m_grid.m_nSelectedRow, 0);
    ASSERT_EQ(report.m_grid.m_titles.size(), 6u);
    EXPECT_EQ(report.m_grid.m_titles[2]->m_strText, "股票名称");
    EXPECT_EQ(report.m_grid.m_titles[2]->m_nWidth, 75);
    ASSERT_EQ(report.m_grid.m_nPageRows, 10);
    EXPECT_EQ(Text(0, 0), "1");
    EXPECT_EQ(Text(9, 0), "10");
    EXPECT_EQ(Text(3, 2), "浦发银行");
    EXPECT_TRUE(IsElementTypeRegistered("CReportWnd") || (RegisterGridElementTypes(), true));
    auto made = CreateElementByType("CReportWnd");
    EXPECT_NE(dynamic_cast<CReportWnd*>(made.get()), nullptr);
}

TEST_F(ReportFixture, WheelMovesOneRowPerNotch) {
    struct Step {
        int delta, top, result;
    } steps[] = {{-240, 2, 1}, {60, 2, 1}, {240, 0, 1}, {120, 0, 1}, {-120 * 50, 20, 1}};
    for (const Step& s : steps) {
        EXPECT_EQ(report.OnElementMouseWheel(0, s.delta, 10, 10), s.result) << s.delta;
        EXPECT_EQ(report.m_grid.m_nTopRow, s.top) << s.delta;
    }
    // The last page: rows 21..30, then the list shrinks and the extra rows go.
    EXPECT_EQ(Text(9, 0), "30");
    report.m_rows.resize(25);
    report.m_grid.m_nRowCount = 25;
    report.RecalcLayout();
    EXPECT_EQ(report.m_grid.m_nTopRow, 15);
    EXPECT_EQ(report.m_grid.m_rows.size(), 10u);
    report.m_grid.OnScroll(SB_TOP, 0, FALSE);
    report.m_grid.m_nTopRow = 20;  // a page start past the data: only what remains is shown
    report.FillPage();
    EXPECT_EQ(report.m_grid.m_rows.size(), 5u);
    EXPECT_EQ(Text(4, 0), "25");
}

TEST_F(ReportFixture, HeaderClickCyclesSortWithoutReordering) {
    // "最新价" spans 165..230 of the title band.
    report.OnElementLButtonUp(0, 200, 10);
    report.OnElementLButtonUp(0, 200, 10);
    EXPECT_EQ(report.m_grid.m_titles[3]->m_nSort, -1);
    EXPECT_EQ(Text(0, 0), "1");
    EXPECT_EQ(Text(1, 0), "2");
    // Without a vertical bar the wheel does nothing.
    report.m_grid.m_bVScrollShown = 0;
    EXPECT_EQ(report.OnElementMouseWheel(0, -120, 10, 10), 0);
}

}  // namespace
