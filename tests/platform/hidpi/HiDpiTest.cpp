// The layer on a screen of device-pixel ratio 2 (this suite runs with QT_SCALE_FACTOR=2):
// back buffers hold device pixels, so text and lines are drawn at full resolution, while
// every coordinate the program uses stays logical.
#include <gtest/gtest.h>

#include <vector>

#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Services.h"
#include "platform/Wnd.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

struct HiDpi : ::testing::Test {
    CWnd w;
    CBitmap shot;
    void SetUp() override {
        ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 50),
                               nullptr, 0));
        w.UpdateWindow();
        platform::ProcessPendingEvents();
    }
    void Shoot() {
        w.UpdateWindow();
        ASSERT_TRUE(platform::CaptureWindow(&w, shot));
        ASSERT_EQ(shot.GetSize(), CSize(200, 100)) << "not a ratio-2 screen";
    }
    COLORREF Dev(int x, int y) const { return shot.GetPixel(x, y); }
};

TEST_F(HiDpi, CoordinatesStayLogicalOverDevicePixels) {
    CRect rc;
    w.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 100, 50));
    CClientDC dc(&w);
    EXPECT_EQ(dc.GetSurfaceSize(), CSize(100, 50));
    dc.FillSolidRect(CRect(10, 10, 20, 20), kRed);
    EXPECT_EQ(dc.GetPixel(10, 10), kRed);
    EXPECT_EQ(dc.GetPixel(19, 19), kRed);
    EXPECT_EQ(dc.GetPixel(20, 20), kWhite);
    dc.SetPixel(30, 5, kBlue);
    EXPECT_EQ(dc.GetPixel(30, 5), kBlue);
    Shoot();
    EXPECT_EQ(Dev(20, 20), kRed);  // logical 10 is device 20
    EXPECT_EQ(Dev(39, 39), kRed);
    EXPECT_EQ(Dev(19, 20), kWhite);
    EXPECT_EQ(Dev(40, 39), kWhite);
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) EXPECT_EQ(Dev(60 + dx, 10 + dy), kBlue);  // the whole pixel
}

TEST_F(HiDpi, TextAndSlantedLinesAreDrawnAtDeviceResolution) {
    CClientDC dc(&w);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.TextOut(4, 4, "国8");
    CPen pen(PS_SOLID, 1, kBlue);
    dc.SelectObject(&pen);
    dc.MoveTo(50, 10);
    dc.LineTo(90, 30);
    // a 1-pixel horizontal line covers two device rows, sharply
    dc.MoveTo(50, 40);
    dc.LineTo(90, 40);
    Shoot();
    // drawn at logical resolution and scaled up, every aligned 2x2 block would be one colour
    auto mixedBlocks = [&](int x0, int y0, int x1, int y1) {
        int mixed = 0;
        for (int y = y0; y < y1; y += 2)
            for (int x = x0; x < x1; x += 2) {
                const COLORREF c = Dev(x, y);
                if (Dev(x + 1, y) != c || Dev(x, y + 1) != c || Dev(x + 1, y + 1) != c) ++mixed;
            }
        return mixed;
    };
    EXPECT_GT(mixedBlocks(8, 8, 60, 44), 5) << "text is not rendered at device resolution";
    EXPECT_GT(mixedBlocks(100, 20, 180, 60), 5) << "the slanted line is blocky";
    EXPECT_EQ(Dev(120, 80), kBlue);
    EXPECT_EQ(Dev(120, 81), kBlue);
    EXPECT_EQ(Dev(120, 79), kWhite);
    EXPECT_EQ(Dev(120, 82), kWhite);
}

TEST_F(HiDpi, DrawingShortcutsLeaveTheDevicePixelsAsTheyWere) {
    // text from the shaped-text cache and lines drawn together, at ratio 2, against the
    // same drawn without shortcuts: device pixel for device pixel
    auto draw = [&](bool shortcuts) {
        platform::SetDrawingShortcuts(shortcuts);
        CClientDC dc(&w);
        dc.FillSolidRect(CRect(0, 0, 100, 50), kWhite);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(0, 0, 0));
        for (int round = 0; round < 2; ++round) dc.TextOut(3 + round, 2 + 20 * round, "国8 0.618(42.22)");
        CRect rc(4, 18, 96, 34);
        dc.DrawText("压力位 1.500", &rc, DT_SINGLELINE | DT_CENTER);
        CPen pen(PS_SOLID, 1, kBlue);
        dc.SelectObject(&pen);
        const POINT ends[] = {{50, 10}, {90, 30}, {60, 40}, {20, 40}, {70, 45}, {70, 5}};
        dc.DrawSegments(ends, 3);
        Shoot();
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x) pixels.push_back(Dev(x, y));
        return pixels;
    };
    const auto plain = draw(false);
    const auto fast = draw(true);
    const auto again = draw(true);
    platform::SetDrawingShortcuts(true);
    EXPECT_TRUE(plain == fast);
    EXPECT_TRUE(plain == again);
}

TEST_F(HiDpi, BitmapsKeepTheirPixelsAndAreBlittedAtLogicalSize) {
    CDC mem;
    mem.CreateCompatibleDC(nullptr);
    CBitmap bmp;
    ASSERT_TRUE(bmp.CreateCompatibleBitmap(&mem, 10, 10));
    mem.SelectObject(&bmp);
    EXPECT_EQ(bmp.GetSize(), CSize(10, 10));
    mem.FillSolidRect(CRect(0, 0, 10, 10), kBlue);
    mem.FillSolidRect(CRect(0, 0, 5, 10), RGB(0, 255, 0));  // the key colour on the left
    CClientDC dc(&w);
    dc.BitBlt(50, 10, 10, 10, &mem, 0, 0, SRCCOPY);
    dc.TransparentBlt(70, 10, 10, 10, &mem, 0, 0, 10, 10, RGB(0, 255, 0));
    BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
    dc.AlphaBlend(50, 30, 10, 10, &mem, 5, 0, 5, 10, half);
    EXPECT_EQ(dc.GetPixel(59, 19), kBlue);
    EXPECT_EQ(dc.GetPixel(72, 12), kWhite);  // keyed out
    EXPECT_EQ(dc.GetPixel(77, 12), kBlue);
    const COLORREF blended = dc.GetPixel(55, 35);
    EXPECT_NEAR(GetRValue(blended), 127, 2);
    EXPECT_NEAR(GetBValue(blended), 255, 1);
    Shoot();
    EXPECT_EQ(Dev(100, 20), RGB(0, 255, 0));
    EXPECT_EQ(Dev(119, 39), kBlue);
    EXPECT_EQ(Dev(120, 39), kWhite);
    EXPECT_EQ(Dev(145, 25), kWhite);
    EXPECT_EQ(Dev(150, 25), kBlue);
    // a window's buffer blitted into another window keeps its full resolution
    CWnd other;
    ASSERT_TRUE(other.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 50),
                               nullptr, 0));
    {
        CClientDC odc(&other);
        odc.BitBlt(0, 0, 100, 50, &dc, 0, 0, SRCCOPY);
        EXPECT_EQ(odc.GetPixel(59, 19), kBlue);
    }
}
// The double-buffer pattern: draw into a bitmap compatible with the window's DC, blit it
// 1:1. The result must be what drawing straight into the window gives, device pixel for
// device pixel, not a ratio-1 picture scaled up.
TEST_F(HiDpi, CompatibleBitmapsDrawAtTheWindowsRatio) {
    auto scene = [](CDC& dc, int x0) {
        dc.FillSolidRect(CRect(x0, 0, x0 + 50, 50), kWhite);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(0, 0, 0));
        dc.TextOut(x0 + 2, 2, "国8");
        CPen pen(PS_SOLID, 1, kBlue);
        CPen* old = dc.SelectObject(&pen);
        dc.MoveTo(x0 + 5, 30);
        dc.LineTo(x0 + 45, 30);
        dc.MoveTo(x0 + 5, 35);
        dc.LineTo(x0 + 45, 48);
        dc.SelectObject(old);
    };
    CClientDC dc(&w);
    scene(dc, 0);  // left half: drawn directly
    {
        CDC mem;
        ASSERT_TRUE(mem.CreateCompatibleDC(&dc));
        EXPECT_EQ(mem.GetPixelRatio(), 2.0);
        CBitmap bmp;
        ASSERT_TRUE(bmp.CreateCompatibleBitmap(&dc, 50, 50));
        EXPECT_EQ(bmp.GetPixelRatio(), 2.0);
        EXPECT_EQ(bmp.GetSize(), CSize(50, 50));
        EXPECT_EQ(bmp.GetBitmapDimension(), CSize(50, 50));
        BITMAP bm{};
        ASSERT_EQ(bmp.GetBitmap(&bm), (int)sizeof(BITMAP));
        EXPECT_EQ(bm.bmWidth, 50);
        EXPECT_EQ(bm.bmHeight, 50);
        EXPECT_EQ(bm.bmWidthBytes, 200);
        CBitmap* old = mem.SelectObject(&bmp);
        EXPECT_EQ(mem.GetSurfaceSize(), CSize(50, 50));
        scene(mem, 0);
        EXPECT_EQ(mem.GetPixel(20, 30), kBlue);
        EXPECT_EQ(bmp.GetPixel(20, 30), kBlue);
        EXPECT_EQ(bmp.GetPixel(50, 0), CLR_INVALID);
        dc.BitBlt(50, 0, 50, 50, &mem, 0, 0, SRCCOPY);  // right half: through the buffer
        mem.SelectObject(old);
    }
    Shoot();
    int differing = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if (Dev(x, y) != Dev(x + 100, y)) ++differing;
    EXPECT_EQ(differing, 0) << "the buffered half differs from the directly drawn one";
    // the 1-pixel line covers exactly two device rows, in full colour
    for (int x : {20, 60, 150, 180}) {
        EXPECT_EQ(Dev(x, 59), kWhite) << x;
        EXPECT_EQ(Dev(x, 60), kBlue) << x;
        EXPECT_EQ(Dev(x, 61), kBlue) << x;
        EXPECT_EQ(Dev(x, 62), kWhite) << x;
    }
}

// A memory DC made compatible with a window DC makes its bitmaps at the window's ratio as
// well; one made from nothing stays at 1. StretchBlt maps logical rectangles on both sides.
TEST_F(HiDpi, BlitsMapLogicalRectanglesBetweenRatios) {
    CClientDC dc(&w);
    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(&dc));
    CBitmap bmp;
    ASSERT_TRUE(bmp.CreateCompatibleBitmap(&mem, 20, 10));
    EXPECT_EQ(bmp.GetPixelRatio(), 2.0);
    CBitmap* old = mem.SelectObject(&bmp);
    mem.FillSolidRect(CRect(0, 0, 20, 10), kRed);
    mem.FillSolidRect(CRect(10, 0, 20, 10), kBlue);
    // the right half stretched over 20 x 20 logical pixels of the window
    ASSERT_TRUE(dc.StretchBlt(0, 0, 20, 20, &mem, 10, 0, 10, 10, SRCCOPY));
    // and a ratio-1 bitmap at the same place one to one
    CDC plain;
    plain.CreateCompatibleDC(nullptr);
    EXPECT_EQ(plain.GetPixelRatio(), 1.0);
    CBitmap small;
    ASSERT_TRUE(small.CreateCompatibleBitmap(&plain, 10, 10));
    EXPECT_EQ(small.GetPixelRatio(), 1.0);
    CBitmap* oldSmall = plain.SelectObject(&small);
    plain.FillSolidRect(CRect(0, 0, 10, 10), kRed);
    ASSERT_TRUE(dc.BitBlt(30, 0, 10, 10, &plain, 0, 0, SRCCOPY));
    // a window's pixels copied back into the ratio-2 bitmap land at logical places
    ASSERT_TRUE(mem.BitBlt(0, 0, 10, 10, &dc, 30, 0, SRCCOPY));
    EXPECT_EQ(mem.GetPixel(9, 9), kRed);
    EXPECT_EQ(mem.GetPixel(10, 0), kBlue);
    plain.SelectObject(oldSmall);
    mem.SelectObject(old);
    Shoot();
    EXPECT_EQ(Dev(0, 0), kBlue);
    EXPECT_EQ(Dev(39, 39), kBlue);
    EXPECT_EQ(Dev(40, 39), kWhite);
    EXPECT_EQ(Dev(60, 0), kRed);
    EXPECT_EQ(Dev(79, 19), kRed);
    EXPECT_EQ(Dev(80, 19), kWhite);
}

// DIB sections keep one pixel per logical pixel (their rows are written directly) and are
// scaled when blitted onto a window.
TEST_F(HiDpi, DibSectionsStayAtRatioOne) {
    CBitmap dib;
    void* bits = nullptr;
    ASSERT_TRUE(dib.CreateDIBSection(4, 2, &bits));
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(dib.GetPixelRatio(), 1.0);
    BITMAP bm{};
    ASSERT_EQ(dib.GetBitmap(&bm), (int)sizeof(BITMAP));
    EXPECT_EQ(bm.bmWidth, 4);
    EXPECT_EQ(bm.bmWidthBytes, 16);
    EXPECT_EQ(bm.bmBits, bits);
    auto* px = static_cast<uint32_t*>(bits);
    for (int i = 0; i < 8; ++i) px[i] = 0xff0000ffu;  // opaque blue, BGRA
    CClientDC dc(&w);
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap* old = mem.SelectObject(&dib);
    EXPECT_EQ(mem.GetPixelRatio(), 1.0);
    ASSERT_TRUE(dc.BitBlt(10, 10, 4, 2, &mem, 0, 0, SRCCOPY));
    mem.SelectObject(old);
    Shoot();
    EXPECT_EQ(Dev(20, 20), kBlue);
    EXPECT_EQ(Dev(27, 23), kBlue);
    EXPECT_EQ(Dev(28, 23), kWhite);
    EXPECT_EQ(Dev(27, 24), kWhite);
}
}  // namespace

namespace {
// Whatever the ratio, coordinates are logical pixels at 96 per inch and the screen's size
// is logical.
TEST_F(HiDpi, DeviceCapsAreLogical) {
    CClientDC dc(&w);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 96);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 96);
    CRect work;
    ASSERT_TRUE(SystemParametersWorkArea(&work));
    EXPECT_GE(dc.GetDeviceCaps(HORZRES), work.Width());
    EXPECT_LE(dc.GetDeviceCaps(HORZRES), work.Width() + 200);  // not the device width
}
}  // namespace
