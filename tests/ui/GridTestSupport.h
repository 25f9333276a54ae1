#pragma once
// A host window for the windowless grids, a canvas to draw them on, and the platform
// started once for the suite.
#include <gtest/gtest.h>

#include <string>

#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Wnd.h"

namespace grid_test {

inline void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

struct HostWnd : CWnd {
    HostWnd(int w = 400, int h = 400) {
        EnsurePlatform();
        CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, w, h), nullptr, 0);
    }
    ~HostWnd() override {
        if (m_hWnd) DestroyWindow();
    }
};

struct Canvas {
    CBitmap bmp;
    CDC dc;
    CBitmap* old = nullptr;
    Canvas(int w, int h) {
        EnsurePlatform();
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        old = dc.SelectObject(&bmp);
        CRect rc(0, 0, w, h);
        dc.FillSolidRect(&rc, RGB(255, 0, 255));
    }
    ~Canvas() { dc.SelectObject(old); }
    COLORREF Pixel(int x, int y) const { return dc.GetPixel(x, y); }
    // Written beside the test binary for a look.
    void Save(const std::string& name) {
        dc.SelectObject(old);
        bmp.SavePng(name);
        old = dc.SelectObject(&bmp);
    }
};

}  // namespace grid_test
