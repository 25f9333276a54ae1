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

    // Loads the icon, the image lists and the image; a resource that is missing leaves its
    // slot empty. The cursors are decoded when one is first asked for (UI thread), since
    // the first window on screen needs none of them.
    void Init();

    HCURSOR GetCursor(int slot) const {
        if (slot < 0 || slot >= kCursorCount) return nullptr;
        if (!m_bCursorsLoaded) LoadCursors();
        return m_cursors[slot];
    }
    // Never null: the arrow when the slot is empty.
    HCURSOR GetCursorOrArrow(int slot) const;

    mutable HCURSOR m_cursors[kCursorCount] = {};
    mutable bool m_bCursorsLoaded = false;
    HICON m_hIcon = nullptr;                // icon resource 128 (shared, never destroyed)
    CImageList m_imageList1;                // 16 x 16, bitmap 202
    CImageList m_imageList2;                // 16 x 16, bitmap 204
    CImageList m_imageList3;                // 15 x 15, bitmap 199, blue transparent
    std::unique_ptr<CImage> m_pImage;       // PNG 321: the connection-state cells

private:
    // In slot order: 307-310, the arrow, 311-315.
    void LoadCursors() const;
};

CommonResouce* GetCommonResouce();

namespace common_resouce_testing {
void Reset();
}  // namespace common_resouce_testing
