#pragma once
// Short accessors for what element windows, layout cutters and split bars read of the
// common variables and resources: the drag flag, the XOR switch, the current element,
// the colour table, the cutter size, cursors and fonts. UI thread only.
#include "foundation/CommonColors.h"
#include "platform/Wnd.h"

class CElementWnd;

// Set to 1 while a splitter or a drawing tool drags with the mouse captured.
int& ElementDragFlag();
// Non-zero: rubber bands and split bars draw with R2_XORPEN.
int ElementXorFlag();
COLORREF ElementColour(int index);
// Pixel size of the splitters; layout nodes give half of it to inner borders.
int CutterSize();
// Common cursor by slot (0 up-down resize, 1 left-right resize, 4 arrow, ...); never null.
HCURSOR CommonCursor(int slot);
// Common font by index (3: 14-pixel bold, 7: 14-pixel regular, 13: 12-pixel regular).
CFont* CommonFont(int index);
