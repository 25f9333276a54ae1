// Icons, DrawState and the draw states of image lists, checked by their pixels.
#include <gtest/gtest.h>

#include "platform/App.h"
#include "platform/Icon.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);

// A white memory canvas.
struct Canvas {
    CDC dc;
    CBitmap bmp;
    CBitmap* old = nullptr;
    Canvas(int w = 32, int h = 32) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        old = dc.SelectObject(&bmp);
        CRect rc(0, 0, w, h);
        dc.FillSolidRect(&rc, kWhite);
    }
    COLORREF At(int x, int y) { return dc.GetPixel(x, y); }
};

bool Near(COLORREF a, COLORREF b, int tolerance = 3) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

TEST(Icon, LoadDrawScaleAndDestroy) {
    HICON icon = LoadIcon(nullptr, 401);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIcon(nullptr, 401), icon);  // loaded once and shared
    EXPECT_EQ(LoadIcon(nullptr, 999), nullptr);
    SIZE s{};
    ASSERT_TRUE(GetIconSize(icon, &s));
    EXPECT_EQ(s.cx, 4);
    EXPECT_EQ(s.cy, 4);
    EXPECT_EQ(GetIconPixel(icon, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(GetIconPixel(icon, 3, 0) >> 24, 0u);  // transparent

    Canvas c;
    ASSERT_TRUE(DrawIcon(&c.dc, 10, 10, icon));
    EXPECT_EQ(c.At(10, 10), kRed);
    EXPECT_EQ(c.At(13, 10), kWhite);  // the transparent corner leaves the canvas
    EXPECT_EQ(c.At(13, 13), RGB(0, 0, 0));
    // scaled to 8 x 8; DI_MASK draws the shape in black
    ASSERT_TRUE(DrawIconEx(&c.dc, 0, 20, icon, 8, 8, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(c.At(1, 21), kRed);
    EXPECT_EQ(c.At(6, 27), RGB(0, 0, 0));
    EXPECT_EQ(c.At(7, 20), kWhite);
    ASSERT_TRUE(DrawIconEx(&c.dc, 20, 0, icon, 0, 0, 0, nullptr, DI_MASK));
    EXPECT_EQ(c.At(20, 0), RGB(0, 0, 0));
    EXPECT_EQ(c.At(23, 0), kWhite);
    // a flicker-free brush fills the rectangle first
    CBrush green(RGB(0, 255, 0));
    ASSERT_TRUE(DrawIconEx(&c.dc, 26, 0, icon, 0, 0, 0, &green, DI_NORMAL));
    EXPECT_EQ(c.At(29, 0), RGB(0, 255, 0));

    // a shared icon survives DestroyIcon; a copy is the caller's and goes
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_TRUE(DrawIcon(&c.dc, 0, 0, icon));
    HICON copy = CopyIcon(icon);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, icon);
    EXPECT_TRUE(DestroyIcon(copy));
    EXPECT_FALSE(DestroyIcon(copy));
    EXPECT_FALSE(DrawIcon(&c.dc, 0, 0, copy));
    EXPECT_FALSE(GetIconSize(copy, &s));
    EXPECT_FALSE(DrawIcon(&c.dc, 0, 0, nullptr));
    EXPECT_FALSE(DestroyIcon(reinterpret_cast<HICON>(&s)));
}

TEST(Icon, DrawStateLooks) {
    HICON icon = LoadIcon(nullptr, 401);
    ASSERT_NE(icon, nullptr);
    struct Case {
        UINT state;
        COLORREF red, black, beside;  // the icon's red corner, its black corner, (4,4) below-right
    };
    CBrush blue(RGB(0, 0, 255));
    for (const Case& k : {
             Case{DSS_NORMAL, kRed, RGB(0, 0, 0), kWhite},
             // embossed: the shape in shadow grey with a white edge below-right
             Case{DSS_DISABLED, RGB(128, 128, 128), RGB(128, 128, 128), kWhite},
             Case{DSS_MONO, RGB(0, 0, 255), RGB(0, 0, 255), kWhite},
         }) {
        Canvas c;
        ASSERT_TRUE(DrawState(&c.dc, CPoint(4, 4), CSize(0, 0), icon, DST_ICON | k.state, &blue));
        EXPECT_EQ(c.At(4, 4), k.red) << k.state;
        EXPECT_EQ(c.At(7, 7), k.black) << k.state;
        EXPECT_EQ(c.At(8, 8), k.beside) << k.state;
    }
    // a disabled image shows no colour of its own anywhere
    Canvas c;
    DrawState(&c.dc, CPoint(0, 0), CSize(8, 8), icon, DST_ICON | DSS_DISABLED);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            COLORREF p = c.At(x, y);
            ASSERT_TRUE(GetRValue(p) == GetGValue(p) && GetGValue(p) == GetBValue(p)) << x << "," << y;
        }
    // union: half way to the highlight colour
    Canvas u;
    DrawState(&u.dc, CPoint(0, 0), CSize(0, 0), icon, DST_ICON | DSS_UNION);
    EXPECT_TRUE(Near(u.At(0, 0), RGB(128, 60, 107), 4)) << std::hex << u.At(0, 0);
    EXPECT_EQ(u.At(3, 0), kWhite);
    // text: disabled is grey with a white shadow, never the text colour
    Canvas t(80, 24);
    t.dc.SetTextColor(RGB(0, 0, 0));
    ASSERT_TRUE(DrawState(&t.dc, CPoint(2, 2), CSize(0, 0), std::string("训练"), DST_TEXT | DSS_DISABLED));
    int grey = 0, black = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 80; ++x) {
            COLORREF p = t.At(x, y);
            grey += Near(p, RGB(128, 128, 128), 10);
            black += GetRValue(p) < 100;
        }
    EXPECT_GT(grey, 10);
    EXPECT_EQ(black, 0);
    EXPECT_FALSE(DrawState(&t.dc, CPoint(0, 0), CSize(0, 0), icon, DST_BITMAP));
}

TEST(ImageList, DrawStylesAndStates) {
    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(301));  // two 4 x 4 images on blue: red, green
    CImageList list;
    ASSERT_TRUE(list.Create(4, 4, ILC_COLOR32 | ILC_MASK, 0, 4));
    ASSERT_EQ(list.Add(&strip, RGB(0, 0, 255)), 0);
    ASSERT_EQ(list.GetImageCount(), 2);
    struct Case {
        UINT style;
        COLORREF bk;  // SetBkColor
        COLORREF edge, middle;  // pixel (0,0) is red, (1,1) was blue: transparent
    };
    for (const Case& k : {
             Case{ILD_NORMAL, CLR_NONE, kRed, kWhite},
             Case{ILD_TRANSPARENT, RGB(0, 255, 0), kRed, kWhite},
             Case{ILD_NORMAL, RGB(0, 255, 0), kRed, RGB(0, 255, 0)},  // the list's background
             Case{ILD_MASK, CLR_NONE, RGB(0, 0, 0), kWhite},
         }) {
        Canvas c;
        list.SetBkColor(k.bk);
        ASSERT_TRUE(list.Draw(&c.dc, 0, CPoint(2, 2), k.style));
        EXPECT_EQ(c.At(2, 2), k.edge) << k.style;
        EXPECT_EQ(c.At(3, 3), k.middle) << k.style;
    }
    list.SetBkColor(CLR_NONE);
    // selected: half the highlight, focused: a quarter; the transparent middle stays
    Canvas sel;
    list.Draw(&sel.dc, 0, CPoint(0, 0), ILD_SELECTED);
    EXPECT_TRUE(Near(sel.At(0, 0), RGB(128, 60, 107), 4)) << std::hex << sel.At(0, 0);
    EXPECT_EQ(sel.At(1, 1), kWhite);
    list.Draw(&sel.dc, 0, CPoint(8, 0), ILD_FOCUS);
    EXPECT_TRUE(Near(sel.At(8, 0), RGB(191, 30, 54), 4)) << std::hex << sel.At(8, 0);
    // the blend colour of DrawEx
    list.DrawEx(&sel.dc, 0, CPoint(16, 0), CSize(0, 0), CLR_NONE, RGB(0, 0, 0), ILD_BLEND50);
    EXPECT_TRUE(Near(sel.At(16, 0), RGB(128, 0, 0), 4));
    // disabled (saturated to grey) and half transparent
    Canvas st;
    list.DrawIndirect(&st.dc, 1, CPoint(0, 0), CSize(0, 0), CPoint(0, 0), ILD_TRANSPARENT, SRCCOPY,
                      CLR_NONE, CLR_DEFAULT, ILS_SATURATE);
    const COLORREF g = st.At(0, 0);
    EXPECT_TRUE(GetRValue(g) == GetGValue(g) && GetGValue(g) == GetBValue(g));
    EXPECT_NE(g, kWhite);
    list.DrawIndirect(&st.dc, 0, CPoint(8, 0), CSize(0, 0), CPoint(0, 0), ILD_TRANSPARENT, SRCCOPY,
                      CLR_NONE, CLR_DEFAULT, ILS_ALPHA, 128);
    EXPECT_TRUE(Near(st.At(8, 0), RGB(255, 127, 127), 3)) << std::hex << st.At(8, 0);
    // icons out of and into the list
    HICON green = list.ExtractIcon(1);
    ASSERT_NE(green, nullptr);
    EXPECT_EQ(GetIconPixel(green, 0, 0), 0xFF00FF00u);
    EXPECT_EQ(GetIconPixel(green, 1, 1) >> 24, 0u);
    EXPECT_EQ(list.ExtractIcon(2), nullptr);
    EXPECT_EQ(list.Add(green), 2);
    Canvas again;
    list.Draw(&again.dc, 2, CPoint(0, 0), ILD_TRANSPARENT);
    EXPECT_EQ(again.At(0, 0), RGB(0, 255, 0));
    DestroyIcon(green);
}

}  // namespace

// A resource picture is decoded once and shared: drawing on one bitmap loaded from it
// leaves the others, and later loads, as the resource has it.
TEST(ResourcePictures, SharedUntilDrawnOn) {
    CBitmap a, b;
    ASSERT_TRUE(a.LoadResourcePicture("BITMAP", 301));
    ASSERT_TRUE(b.LoadBitmap(301));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&a);
    const COLORREF first = dc.GetPixel(0, 0);
    dc.FillSolidRect(CRect(0, 0, 8, 4), RGB(1, 2, 3));
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(1, 2, 3));
    dc.SelectObject(&b);
    EXPECT_EQ(dc.GetPixel(0, 0), first);
    CBitmap c;
    ASSERT_TRUE(c.LoadBitmap(301));
    dc.SelectObject(&c);
    EXPECT_EQ(dc.GetPixel(0, 0), first);
    dc.SelectObject(old);
    EXPECT_EQ(c.GetSize(), CSize(8, 4));
    // A missing picture fails every time and spoils nothing.
    CBitmap missing;
    EXPECT_FALSE(missing.LoadResourcePicture("PNG", 65000));
    EXPECT_FALSE(missing.LoadResourcePicture("PNG", 65000));
    EXPECT_TRUE(missing.LoadBitmap(301));
}
