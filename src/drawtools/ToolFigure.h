#pragma once
// A tool's figure: what its last DrawShape produced (lines, rectangles, fills, texts,
// arrows), kept apart from painting so that the geometry can be checked without pixels
// and a rubber band can be erased by painting the very figure it drew before.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/CommonColors.h"
#include "platform/Gdi.h"

struct FigureItem {
    enum Kind {
        Line,        // a to b with the pen
        Outline,     // rect's four sides with the pen, hollow
        Fill,        // rect filled with color
        Invert,      // rect inverted
        Text,        // text in rect with DrawText flags
        TradeArrow,  // DrawTradeArrow(arrowKind, a.x, a.y, scale, scale, color)
        Arc,         // the ellipse in rect, counter-clockwise from the radial through a
                     // to the one through b, with the pen
    };
    enum Pen { ToolPen = 0, DottedPen = 1, SolidPen = 2 };  // SolidPen: 1 pixel of `color`
    enum Font { ChartFont = 0, ToolFont = 1, SymbolFont = 2, PriceTagFont = 3 };

    Kind kind = Line;
    CPoint a, b;
    CRect rect;
    int pen = ToolPen;
    COLORREF color = CLR_INVALID;  // CLR_INVALID: the tool's text colour for texts
    std::string text;
    UINT format = 0;
    int font = ChartFont;
    int arrowKind = 0;
    double scale = 0;
};

class CToolFigure {
public:
    std::vector<FigureItem> items;

    void Clear() { items.clear(); }
    bool Empty() const { return items.empty(); }
    void AddLine(int xa, int ya, int xb, int yb, int pen = FigureItem::ToolPen,
                 COLORREF color = CLR_INVALID);
    void AddOutline(const RECT& rc, int pen = FigureItem::ToolPen);
    void AddFill(const RECT& rc, COLORREF color);
    void AddInvert(const RECT& rc);
    void AddText(const std::string& text, const RECT& rc, UINT format,
                 int font = FigureItem::ChartFont, COLORREF color = CLR_INVALID);
    void AddTradeArrow(int kind, int x, int y, double scale, COLORREF color);
    // The bounding rectangle may come in any corner order; it is kept in order.
    void AddArc(const RECT& rc, int xs, int ys, int xe, int ye, int pen = FigureItem::ToolPen);

    // Counts by kind, for tests and for tools that ask what they drew.
    int Count(FigureItem::Kind kind) const;
    const FigureItem* FindText(const std::string& text) const;
};

// What a figure is painted with. The pens are built from the tool's style, width and
// colour (or its complement when the tool is painted inverted).
struct FigurePaint {
    CPen* pen = nullptr;
    CPen* dotPen = nullptr;
    CFont* chartFont = nullptr;
    CFont* toolFont = nullptr;
    COLORREF textColor = 0;
    // Erasing a rubber band: lines and rectangles are painted again under the inverting
    // raster mode (which restores them), texts are covered with the background colour.
    bool erase = false;
    COLORREF background = 0;
};

void PaintFigure(CDC* dc, const CToolFigure& figure, const FigurePaint& paint);
