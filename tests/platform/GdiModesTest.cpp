// Device-context modes that the drawing tools and charts rely on: text ignores the raster
// mode; back buffers at the screen's pixel ratio; blending without copying the source.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Services.h"
#include "platform/Wnd.h"

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct Canvas {
    CBitmap bmp;
    CDC dc;
    Canvas(int w, int h, COLORREF bg) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        dc.SelectObject(&bmp);
        dc.FillSolidRect(CRect(0, 0, w, h), bg);
    }
    int Count(COLORREF c, CRect r) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += dc.GetPixel(x, y) == c;
        return n;
    }
};

TEST(TextOutput, TextIsACopyWhateverTheRasterMode) {
    // each text call, drawn twice under XOR: yellow on blue stays yellow
    const std::vector<std::pair<const char*, std::function<void(CDC&)>>> calls = {
        {"TextOut", [](CDC& dc) { dc.TextOut(4, 4, "国88"); }},
        {"DrawText",
         [](CDC& dc) {
             CRect rc(4, 4, 96, 40);
             dc.DrawText("国88", &rc, DT_SINGLELINE | DT_NOPREFIX);
         }},
    };
    for (const auto& [name, draw] : calls) {
        SCOPED_TRACE(name);
        for (int rop : {R2_XORPEN, R2_NOT, R2_NOTXORPEN, R2_MASKPEN}) {
            SCOPED_TRACE(rop);
            Canvas c(100, 40, kBlue);
            CFont font;
            LOGFONT lf;
            lf.lfHeight = -24;
            lf.lfFaceName = "宋体";
            font.CreateFontIndirect(&lf);
            c.dc.SelectObject(&font);
            c.dc.SetROP2(rop);
            c.dc.SetBkMode(TRANSPARENT);
            c.dc.SetTextColor(kYellow);
            draw(c.dc);
            const int yellow = c.Count(kYellow, CRect(0, 0, 100, 40));
            EXPECT_GT(yellow, 40);
            EXPECT_EQ(c.Count(kWhite, CRect(0, 0, 100, 40)), 0);
            draw(c.dc);  // a second draw does not erase it
            EXPECT_GE(c.Count(kYellow, CRect(0, 0, 100, 40)), yellow);
        }
    }
}

TEST(TextOutput, TheRasterModeStillAppliesToLinesAfterText) {
    Canvas c(60, 20, kBlue);
    CPen white(PS_SOLID, 1, kWhite);
    c.dc.SelectObject(&white);
    c.dc.SetROP2(R2_XORPEN);
    c.dc.SetBkMode(OPAQUE);
    c.dc.SetBkColor(RGB(0, 128, 0));
    c.dc.SetTextColor(kYellow);
    c.dc.TextOut(0, 0, "8");
    EXPECT_GT(c.Count(RGB(0, 128, 0), CRect(0, 0, 20, 20)), 0);  // opaque box copied too
    c.dc.MoveTo(30, 10);
    c.dc.LineTo(50, 10);
    EXPECT_EQ(c.dc.GetPixel(40, 10), kYellow);  // white XOR blue
    c.dc.MoveTo(30, 10);
    c.dc.LineTo(50, 10);
    EXPECT_EQ(c.dc.GetPixel(40, 10), kBlue);  // drawn twice: gone
}
}  // namespace

namespace {
// TransparentBlt keeps the keyed source between calls: it must follow the source's changes.
TEST(Blending, TransparentBltFollowsChangesOfItsSource) {
    Canvas sprite(4, 4, RGB(255, 0, 255));
    sprite.dc.FillSolidRect(CRect(1, 1, 3, 3), kBlue);
    Canvas dst(20, 10, kWhite);
    auto blit = [&](int x, COLORREF key) {
        dst.dc.TransparentBlt(x, 0, 4, 4, &sprite.dc, 0, 0, 4, 4, key);
    };
    blit(0, RGB(255, 0, 255));
    EXPECT_EQ(dst.dc.GetPixel(0, 0), kWhite);
    EXPECT_EQ(dst.dc.GetPixel(1, 1), kBlue);
    sprite.dc.FillSolidRect(CRect(1, 1, 3, 3), kYellow);  // drawn on
    blit(5, RGB(255, 0, 255));
    EXPECT_EQ(dst.dc.GetPixel(6, 6 - 5), kYellow);
    sprite.dc.SetPixel(0, 0, kBlue);  // one pixel set
    blit(10, RGB(255, 0, 255));
    EXPECT_EQ(dst.dc.GetPixel(10, 0), kBlue);
    blit(15, kYellow);  // another key
    EXPECT_EQ(dst.dc.GetPixel(16, 1), kWhite);
    EXPECT_EQ(dst.dc.GetPixel(15, 3), RGB(255, 0, 255));
    // AlphaBlend straight from the source, constant alpha
    Canvas blend(4, 4, RGB(0, 0, 0));
    BLENDFUNCTION half{AC_SRC_OVER, 0, 128, 0};
    blend.dc.AlphaBlend(0, 0, 4, 4, &sprite.dc, 0, 0, 4, 4, half);
    EXPECT_NEAR(GetRValue(blend.dc.GetPixel(1, 1)), 128, 2);
    EXPECT_NEAR(GetBValue(blend.dc.GetPixel(1, 1)), 0, 1);
}
}  // namespace
