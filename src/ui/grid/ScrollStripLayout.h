#pragma once
// Geometry of the scroll control strip (CScrollControlWnd): small items in a grid of rows
// and columns that scroll vertically by whole rows: image check buttons with a caption
// each, or removable tags with a close cross when selected. The strip window itself
// builds on the skinned buttons and statics; this is what it computes.
#include "platform/Geometry.h"

namespace scroll_strip {

// Rows for count items: count / columns + 1 (one empty row when the count divides); 0
// columns gives no rows.
int RowCount(int count, int columns);

// Item i's row and column.
inline int RowOf(int i, int columns) { return columns > 0 ? i / columns : 0; }
inline int ColumnOf(int i, int columns) { return columns > 0 ? i % columns : 0; }

// Column width w = client width / columns; h the line height.
CRect CheckButtonRect(int i, int columns, int w, int h);  // 16 x 16, 20 in, 15 down
CRect CaptionRect(int i, int columns, int w, int h);      // right of the button
CRect TagRect(int i, int columns, int w, int h);          // 52 x 22, 8 in, 8 down
// The close box of a selected tag: 7 x 7, 5 from its right edge, centred vertically.
CRect TagCloseBox(const CRect& tag);

// Placement of row r's item of the given height in a page starting at topRow with
// pageRows rows of height h below clientTop: visible when topRow <= r < rowCount and
// r < topRow + pageRows; then its top edge.
bool IsRowVisible(int r, int topRow, int rowCount, int pageRows);
int VisibleTop(int r, int topRow, int h, int itemHeight, int clientTop);

}  // namespace scroll_strip
