#pragma once
// Draws an indicator's draw functions (the drawing primitives of its formula) over a pane.

#include <cstdint>
#include <string>
#include <vector>

#include "chart/IndicatorLines.h"
#include "formula/engine/IndicatorDrawFunc.h"

namespace chart {

// The colour a colour argument carries in the low 32 bits of its double, and the fill mode
// (0 solid, 1 horizontal, 2 vertical gradient) in bits 16..23 of the high 32 bits.
COLORREF ColorOfValue(double v);
int FillModeOfValue(double v);
// The second gradient colour: the 24 bits after the first colour's.
COLORREF SecondColorOfValue(double v);

// Texts the draw functions leave for the pane: one entry per bar, sorted by bar.
struct CPosText {
    int32_t color = 0;
    int32_t x = 0;
    int32_t y = 0;
    std::string text;
};
struct CFlagText {
    int32_t bar = 0;
    std::vector<CPosText> items;
};
using FlagTextList = std::vector<CFlagText>;
void AddFlagText(FlagTextList& list, int32_t bar, CPosText item);

struct IndicatorTextLists {
    FlagTextList positions;   // kind 22
    FlagTextList titleFlags;  // kind 17, shown in the pane's title
    FlagTextList hoverTips;   // kind 23, shown by the tip near its point
    void Clear() {
        positions.clear();
        titleFlags.clear();
        hoverTips.clear();
    }
};

// What the icon and bitmap kinds draw from.
struct IndicatorImages {
    const CBitmap* iconStrip = nullptr;  // a row of square icons as high as the bitmap
    std::string bitmapDir;               // where "<name>.BMP" files of kind 18 are read
};

// Draws the functions in order, their colours continuing from colorIndex (the index the
// line pass returned). cursorBar: the bar under the crosshair, -1 for none; style: the
// chart colours (the paired bars of kind 21 need them).
void DrawIndicatorFunctions(CDC& dc, const IBarSource& bars, const IndicatorPane& pane,
                            const std::vector<CIndicatorDrawFunc>& funcs,
                            const std::vector<CIndicatorExp>& args, int colorIndex,
                            int32_t cursorBar = -1, const PriceStyle* style = nullptr,
                            IndicatorTextLists* texts = nullptr,
                            const IndicatorImages* images = nullptr);

}  // namespace chart
