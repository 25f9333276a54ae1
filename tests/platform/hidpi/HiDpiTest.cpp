// The layer on a screen of device-pixel ratio 2 (this suite runs with QT_SCALE_FACTOR=2):
// back buffers hold device pixels, so text and lines are drawn at full resolution, while
// every coordinate the program uses stays logical.
#include <gtest/gtest.h>

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
}  // namespace
