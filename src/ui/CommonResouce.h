#pragma once
// The common resources: the cursors the chart and the drawing tools show, the
// application icon, three small image lists and the connection-state image. One object
// per process, reached through GetCommonResouce(); filled once by Init at start-up.
#include <memory>

#include "platform/Gdi.h"
#include "platform/Graphics.h"
#include "platform/Icon.h"
#include "platform/WinTypes.h"

class CommonResouce {
public:
    // Cursor slots: 0-3 resources 307-310, 4 the arrow, 5-9 resources 311-315.
    enum Cursor {
        kCursorRowResize = 0,  // 307: moves a horizontal splitter
        kCursorColResize = 1,  // 308: moves a vertical splitter
        kCursorPan = 2,       // 309
        kCursorArrow = 4,
        kCursorResize = 5,    // 311
        kCursorMove = 6,      // 312
        kCursorTimePan = 7,   // 313
        kCursorDrawing = 8,   // 314
        kCursorEraser = 9,    // 315
        kCursorCount = 10
    };

    CommonResouce();
    ~CommonResouce();
    CommonResouce(const CommonResouce&) = delete;
    CommonResouce& operator=(const CommonResouce&) = delete;

    // Loads everything in slot order; a resource that is missing leaves its slot empty.
    void Init();

    HCURSOR GetCursor(int slot) const {
        return slot >= 0 && slot < kCursorCount ? m_cursors[slot] : nullptr;
    }
    // Never null: the arrow when the slot is empty.
    HCURSOR GetCursorOrArrow(int slot) const;

    HCURSOR m_cursors[kCursorCount] = {};
    HICON m_hIcon = nullptr;                // icon resource 128 (shared, never destroyed)
    CImageList m_imageList1;                // 16 x 16, bitmap 202
    CImageList m_imageList2;                // 16 x 16, bitmap 204
    CImageList m_imageList3;                // 15 x 15, bitmap 199, blue transparent
    std::unique_ptr<CImage> m_pImage;       // PNG 321: the connection-state cells
};

CommonResouce* GetCommonResouce();

namespace common_resouce_testing {
void Reset();
}  // namespace common_resouce_testing
