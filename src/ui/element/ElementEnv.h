#pragma once
// What element windows, layout cutters and split bars read of the process-wide common
// variables and resources: the drag flag, the XOR switch, the current element, the colour
// table, the cutter size, cursors and fonts. The application points these at its
// singletons at start-up; until then they answer from defaults of their own, so the
// windows work the same in tests.
//
// UI thread only, like the windows that read them.
#include <functional>

#include "foundation/CommonColors.h"
#include "platform/Wnd.h"

class CElementWnd;

struct ElementEnv {
    // Set to 1 while a splitter or a drawing tool drags with the mouse captured.
    int* dragFlag = nullptr;
    // Non-zero: rubber bands and split bars draw with R2_XORPEN.
    int* xorFlag = nullptr;
    // The element under the mouse (the one whose crosshair is drawn).
    CElementWnd** currentElement = nullptr;
    // The live common colour table (65 slots).
    const COLORREF* colours = nullptr;
    // Pixel size of the splitters; layout cutters use half of it on inner borders.
    int* cutterSize = nullptr;
    // Common cursor by index (0 horizontal resize, 1 vertical resize, 4 arrow, ...).
    std::function<HCURSOR(int)> cursor;
    // Common font by index (7: the 14-pixel regular font, 13: the 12-pixel one).
    std::function<CFont*(int)> font;
};

// The environment in use; fields left null fall back to the defaults below.
ElementEnv& GetElementEnv();
// Restores the built-in defaults (tests).
void ResetElementEnv();

// Accessors that never fail.
int& ElementDragFlag();
int ElementXorFlag();
CElementWnd*& CurrentElement();
COLORREF ElementColour(int index);
int CutterSize();
HCURSOR CommonCursor(int index);
CFont* CommonFont(int index);
