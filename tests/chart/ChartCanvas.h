#pragma once
// A 200 x 100 black offscreen bitmap to draw chart pieces on and read back.

#include "platform/App.h"
#include "platform/Gdi.h"

struct Canvas {
    CBitmap bmp;
    CDC dc;
    Canvas() {
        static int argc = 1;
        static char name[] = "test_chart";
        static char* argv[] = {name, nullptr};
        platform::Initialize(argc, argv);
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, 200, 100);
        dc.SelectObject(&bmp);
        dc.FillSolidRect(0, 0, 200, 100, 0);
    }
    COLORREF At(int x, int y) const { return dc.GetPixel(x, y) & 0xFFFFFF; }
    int Count(CRect rc) const {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) n += At(x, y) != 0;
        return n;
    }
};
