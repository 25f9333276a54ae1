#include "ui/grid/ScrollStripLayout.h"

namespace scroll_strip {

int RowCount(int count, int columns) {
    return columns > 0 ? count / columns + 1 : 0;
}

CRect CheckButtonRect(int i, int columns, int w, int h) {
    int r = RowOf(i, columns), c = ColumnOf(i, columns);
    return CRect(c * w + 20, r * h + 15, c * w + 36, r * h + 31);
}

CRect CaptionRect(int i, int columns, int w, int h) {
    int r = RowOf(i, columns), c = ColumnOf(i, columns);
    return CRect(c * w + 46, r * h + 15, (c + 1) * w + 20, r * h + 31);
}

CRect TagRect(int i, int columns, int w, int h) {
    int r = RowOf(i, columns), c = ColumnOf(i, columns);
    return CRect(c * w + 8, r * h + 8, c * w + 60, r * h + 30);
}

CRect TagCloseBox(const CRect& tag) {
    int t = tag.top + (tag.Height() - 7) / 2;
    return CRect(tag.right - 12, t, tag.right - 5, t + 7);
}

bool IsRowVisible(int r, int topRow, int rowCount, int pageRows) {
    return topRow <= r && r < rowCount && r < topRow + pageRows;
}

int VisibleTop(int r, int topRow, int h, int itemHeight, int clientTop) {
    return clientTop + (r - topRow) * h + (h - itemHeight) / 2 + 10;
}

}  // namespace scroll_strip
