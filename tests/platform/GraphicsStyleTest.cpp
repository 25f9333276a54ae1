// Dashed lines and trimmed strings of CGraphics, and bitmaps whose pixels are written directly.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/App.h"
#include "platform/Graphics.h"

namespace {

struct Canvas {
    CDC dc;
    CBitmap bmp;
    Canvas(int w, int h) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        dc.SelectObject(&bmp);
        CRect rc(0, 0, w, h);
        dc.FillSolidRect(&rc, RGB(255, 255, 255));
    }
    // The run of on (dark) and off pixels along row y, as a string of '#' and '.'.
    std::string Row(int y, int x0, int x1) {
        std::string s;
        for (int x = x0; x < x1; ++x) s += GetRValue(dc.GetPixel(x, y)) < 128 ? '#' : '.';
        return s;
    }
};

TEST(GraphicsDash, StylesHaveTheClassicLengths) {
    struct Case {
        DashStyle style;
        const char* row;  // 24 pixels of a 2-wide line
    };
    for (const Case& c : {
             Case{DashStyleSolid, "########################"},
             Case{DashStyleDash, "######..######..######.."},
             Case{DashStyleDot, "##..##..##..##..##..##.."},
             Case{DashStyleDashDot, "######..##..######..##.."},
             Case{DashStyleDashDotDot, "######..##..##..######.."},
         }) {
        Canvas cv(40, 10);
        CGraphics g(&cv.dc);
        g.SetDashStyle(c.style);
        EXPECT_EQ(g.GetDashStyle(), c.style);
        g.DrawLine(0xFF000000, 2.0f, 0, 5, 24, 5);
        EXPECT_EQ(cv.Row(5, 0, 24), c.row) << c.style;
    }
    // a custom pattern, and an offset into it
    Canvas cv(40, 10);
    CGraphics g(&cv.dc);
    const float pattern[] = {1, 2};
    g.SetDashPattern(pattern, 2);
    EXPECT_EQ(g.GetDashStyle(), DashStyleCustom);
    g.DrawLine(0xFF000000, 1.0f, 0, 2, 12, 2);
    EXPECT_EQ(cv.Row(2, 0, 12), "#..#..#..#..");
    g.SetDashOffset(1);
    g.DrawLine(0xFF000000, 1.0f, 0, 6, 12, 6);
    EXPECT_EQ(cv.Row(6, 0, 12), "..#..#..#..#");
    // outlines are dashed too
    g.SetDashStyle(DashStyleDot);
    g.SetDashOffset(0);
    g.DrawRectangle(0xFF000000, 1.0f, 20, 1, 10, 6);
    const std::string edge = cv.Row(1, 21, 29);
    EXPECT_TRUE(edge == "#.#.#.#." || edge == ".#.#.#.#") << edge;
}

TEST(GraphicsTrimming, CutsTheLastLineByTheKindAsked) {
    Canvas cv(200, 60);
    CGraphics g(&cv.dc);
    LOGFONT lf;
    lf.lfHeight = -12;
    lf.lfFaceName = "宋体";
    const std::string text = "trading practice system";
    const RectF one = g.MeasureString("trading prac", lf);  // a box for about 12 characters
    const float w = one.Width + 1, h = one.Height;
    g.SetStringNoWrap(TRUE);
    struct Case {
        StringTrimming trimming;
        const char* expected;
    };
    for (const Case& c : {Case{StringTrimmingCharacter, "trading prac"},
                          Case{StringTrimmingWord, "trading"},
                          Case{StringTrimmingEllipsisWord, "trading…"},
                          Case{StringTrimmingNone, "trading practice system"}}) {
        g.SetStringTrimming(c.trimming);
        EXPECT_EQ(g.TrimString(text, lf, w, h), c.expected) << c.trimming;
    }
    g.SetStringTrimming(StringTrimmingEllipsisCharacter);
    const std::string ell = g.TrimString(text, lf, w, h);
    EXPECT_EQ(ell.substr(ell.size() - 3), "…");
    EXPECT_EQ(ell.rfind("trading pr", 0), 0u);
    EXPECT_LE(g.MeasureString(ell, lf).Width, w);
    g.SetStringTrimming(StringTrimmingEllipsisPath);
    const std::string path = g.TrimString("C:/Tarrow/layout/分析走势.xlay", lf, w, h);
    EXPECT_EQ(path.rfind("C:", 0), 0u);
    EXPECT_NE(path.find("…"), std::string::npos);
    EXPECT_EQ(path.substr(path.size() - 4), "xlay");
    // Chinese text has a word boundary between any two characters
    g.SetStringTrimming(StringTrimmingWord);
    const float cjk = g.MeasureString("交易训练", lf).Width + 1;
    EXPECT_EQ(g.TrimString("交易训练系统", lf, cjk, h), "交易训练");
    // wrapped: the lines that fit stay whole, the last one takes the rest and is cut
    g.SetStringNoWrap(FALSE);
    g.SetStringTrimming(StringTrimmingEllipsisWord);
    EXPECT_EQ(g.TrimString("trading practice system for stocks", lf, w, h * 2 + 1),
              "trading\npractice…");

    // the look: nothing past the box, and an ellipsis drawn where the cut is
    g.SetStringNoWrap(TRUE);
    g.SetStringTrimming(StringTrimmingEllipsisCharacter);
    g.DrawString(text, lf, 0xFF000000, RectF{0, 0, w, h + 2});
    int past = 0, inside = 0;
    for (int y = 0; y < (int)h + 2; ++y) {
        for (int x = (int)w; x < 200; ++x) past += GetRValue(cv.dc.GetPixel(x, y)) < 160;
        for (int x = 0; x < (int)w; ++x) inside += GetRValue(cv.dc.GetPixel(x, y)) < 160;
    }
    EXPECT_EQ(past, 0);
    EXPECT_GT(inside, 20);
}

TEST(BitmapBits, WrittenPixelsAreWhatIsBlittedAndDrawingShowsInThem) {
    CBitmap dib;
    void* bits = nullptr;
    ASSERT_TRUE(dib.CreateDIBSection(4, 2, &bits));
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(dib.GetBits(), bits);
    BITMAP bm{};
    ASSERT_EQ(dib.GetBitmap(&bm), (int)sizeof(BITMAP));
    EXPECT_EQ(bm.bmWidth, 4);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmWidthBytes, 16);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(bm.bmBits, bits);
    auto* px = static_cast<uint8_t*>(bits);
    for (int i = 0; i < 32; ++i) ASSERT_EQ(px[i], 0);  // transparent at first
    // top-down B, G, R, A, premultiplied: row 0 opaque blue, pixel (1,1) half-transparent red
    for (int x = 0; x < 4; ++x) {
        uint8_t* p = px + x * 4;
        p[0] = 255, p[1] = 0, p[2] = 0, p[3] = 255;
    }
    uint8_t* half = px + 16 + 4;
    half[0] = 0, half[1] = 0, half[2] = 128, half[3] = 128;

    CDC src;
    src.CreateCompatibleDC(nullptr);
    CBitmap* old = src.SelectObject(&dib);
    CDC dst;
    dst.CreateCompatibleDC(nullptr);
    CBitmap canvas;
    canvas.CreateCompatibleBitmap(&dst, 10, 10);
    dst.SelectObject(&canvas);
    CRect rc(0, 0, 10, 10);
    dst.FillSolidRect(&rc, RGB(255, 255, 255));
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ASSERT_TRUE(dst.AlphaBlend(2, 2, 4, 2, &src, 0, 0, 4, 2, bf));
    EXPECT_EQ(dst.GetPixel(2, 2), RGB(0, 0, 255));
    const COLORREF blended = dst.GetPixel(3, 3);
    EXPECT_NEAR(GetRValue(blended), 255, 2);
    EXPECT_NEAR(GetGValue(blended), 127, 2);
    EXPECT_NEAR(GetBValue(blended), 127, 2);
    EXPECT_EQ(dst.GetPixel(2, 3), RGB(255, 255, 255));  // fully transparent stays white
    // what a DC draws on the bitmap is in the bits at once, still at the same address
    src.FillSolidRect(3, 1, 1, 1, RGB(10, 20, 30));
    EXPECT_EQ(dib.GetBits(), bits);
    const uint8_t* drawn = px + 16 + 12;
    EXPECT_EQ(drawn[0], 30);
    EXPECT_EQ(drawn[1], 20);
    EXPECT_EQ(drawn[2], 10);
    EXPECT_EQ(drawn[3], 255);
    src.SelectObject(old);
    // an ordinary bitmap has no bits to hand out
    EXPECT_EQ(canvas.GetBits(), nullptr);
    EXPECT_FALSE(CBitmap().CreateDIBSection(0, 4, &bits));
    EXPECT_EQ(bits, nullptr);
}

}  // namespace
