// Where the scroll control strip puts its check buttons, captions and tags, and which
// rows a scrolled page shows.
#include "ui/grid/ScrollStripLayout.h"

#include <gtest/gtest.h>

namespace {

using namespace scroll_strip;

TEST(ScrollStrip, RowsForItems) {
    struct Case {
        int count, columns, rows;
    } cases[] = {{9, 4, 3}, {8, 4, 3}, {0, 4, 1}, {3, 4, 1}, {4, 1, 5}, {5, 0, 0}};
    for (const Case& c : cases) EXPECT_EQ(RowCount(c.count, c.columns), c.rows) << c.count << "/" << c.columns;
}

TEST(ScrollStrip, ItemRectangles) {
    // 4 columns of 100 pixels, lines of 30: item 6 is in row 1, column 2.
    EXPECT_EQ(CheckButtonRect(6, 4, 100, 30), CRect(220, 45, 236, 61));
    EXPECT_EQ(CaptionRect(6, 4, 100, 30), CRect(246, 45, 320, 61));
    EXPECT_EQ(TagRect(6, 4, 100, 30), CRect(208, 38, 260, 60));
    EXPECT_EQ(CheckButtonRect(0, 4, 100, 30), CRect(20, 15, 36, 31));
    CRect close = TagCloseBox(CRect(8, 8, 60, 30));
    EXPECT_EQ(close, CRect(48, 15, 55, 22));
    EXPECT_TRUE(CRect(8, 8, 60, 30).PtInRect(close.CenterPoint()));
}

TEST(ScrollStrip, ScrolledPageShowsOnlyItsRows) {
    struct Case {
        int row, top, rowCount, pageRows;
        bool visible;
    } cases[] = {{0, 0, 3, 2, true}, {1, 0, 3, 2, true}, {2, 0, 3, 2, false}, {0, 1, 3, 2, false},
                 {2, 1, 3, 2, true}, {3, 1, 3, 5, false}};
    for (const Case& c : cases)
        EXPECT_EQ(IsRowVisible(c.row, c.top, c.rowCount, c.pageRows), c.visible) << c.row << " " << c.top;
    // Row 3 with the page starting at row 2, lines of 30, a 16-pixel button, client top 4.
    EXPECT_EQ(VisibleTop(3, 2, 30, 16, 4), 4 + 30 + 7 + 10);
}

}  // namespace
