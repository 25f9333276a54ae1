// The device context, checked pixel by pixel.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Graphics.h"
#include "platform/Services.h"
#include "platform/Wnd.h"

void PrintTo(const CRect& r, std::ostream* os) {
    *os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

struct Canvas {
    CBitmap bmp;
    CDC dc;
    Canvas(int w, int h, COLORREF bg = kWhite) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        dc.SelectObject(&bmp);
        CRect rc(0, 0, w, h);
        dc.FillSolidRect(&rc, bg);
    }
    COLORREF At(int x, int y) const { return dc.GetPixel(x, y); }
    // the row as characters: '#' for colour c, '.' otherwise
    std::string Row(int y, int x0, int x1, COLORREF c) const {
        std::string s;
        for (int x = x0; x < x1; ++x) s += At(x, y) == c ? '#' : '.';
        return s;
    }
    int Count(COLORREF c, CRect r) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += At(x, y) == c;
        return n;
    }
    // bounding box of pixels that are not the background
    CRect Ink(COLORREF bg = kWhite) const {
        CSize s = dc.GetSurfaceSize();
        CRect box(s.cx, s.cy, -1, -1);
        for (int y = 0; y < s.cy; ++y)
            for (int x = 0; x < s.cx; ++x)
                if (At(x, y) != bg) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }
};

TEST(DrawingLines, EachPenStyleDrawsItsPatternAndLeavesTheEndPointOut) {
    struct Case {
        int style;
        std::string pattern;
    };
    const Case cases[] = {
        {PS_SOLID, std::string(40, '#')},
        {PS_DASH, std::string(18, '#') + std::string(6, '.') + std::string(16, '#')},
        {PS_DOT, "###...###...###...###...###...###...###."},
        {PS_DASHDOT, std::string(9, '#') + "......###......" + std::string(9, '#') + "......#"},
        {PS_DASHDOTDOT, std::string(9, '#') + "...###...###..." + std::string(9, '#') + "...###."},
        {PS_NULL, std::string(40, '.')},
    };
    for (const Case& c : cases) {
        Canvas cv(50, 5);
        CPen pen(c.style, 1, kBlack);
        cv.dc.SelectObject(&pen);
        cv.dc.SetBkMode(TRANSPARENT);
        cv.dc.MoveTo(0, 2);
        cv.dc.LineTo(40, 2);
        EXPECT_EQ(cv.Row(2, 0, 40, kBlack), c.pattern) << "style " << c.style;
        EXPECT_EQ(cv.At(40, 2), kWhite) << "style " << c.style;
        EXPECT_EQ(cv.dc.GetCurrentPosition(), CPoint(40, 2));
    }
    // an opaque background fills the gaps of a styled pen with the background colour
    Canvas cv(50, 5);
    CPen dot(PS_DOT, 1, kBlack);
    cv.dc.SelectObject(&dot);
    cv.dc.SetBkMode(OPAQUE);
    cv.dc.SetBkColor(kRed);
    cv.dc.MoveTo(0, 2);
    cv.dc.LineTo(12, 2);
    EXPECT_EQ(cv.Row(2, 0, 12, kRed), "...###...###");
    // wide pens are solid and cover their width
    Canvas wide(30, 30);
    CPen thick(PS_DASH, 5, kBlue);
    wide.dc.SelectObject(&thick);
    wide.dc.MoveTo(5, 15);
    wide.dc.LineTo(25, 15);
    EXPECT_EQ(wide.Row(15, 5, 25, kBlue), std::string(20, '#'));
    EXPECT_EQ(wide.At(15, 13), kBlue);
    EXPECT_EQ(wide.At(15, 17), kBlue);
    EXPECT_EQ(wide.At(15, 19), kWhite);
    // a polyline joins its segments and leaves out only the last point
    Canvas poly(20, 20);
    POINT pts[3] = {{2, 2}, {10, 2}, {10, 10}};
    poly.dc.Polyline(pts, 3);
    EXPECT_EQ(poly.Row(2, 2, 11, kBlack), "#########");
    EXPECT_EQ(poly.At(10, 9), kBlack);
    EXPECT_EQ(poly.At(10, 10), kWhite);
}

TEST(DrawingShapes, RectanglesEllipsesPolygonsAndPiesFillInsideTheirBounds) {
    Canvas cv(60, 60);
    CPen pen(PS_SOLID, 1, kBlack);
    CBrush brush(kRed);
    cv.dc.SelectObject(&pen);
    cv.dc.SelectObject(&brush);
    cv.dc.Rectangle(10, 10, 20, 16);
    EXPECT_EQ(cv.Row(10, 9, 21, kBlack), ".##########.");
    EXPECT_EQ(cv.Row(12, 9, 21, kRed), "..########..");
    EXPECT_EQ(cv.At(10, 12), kBlack);
    EXPECT_EQ(cv.At(19, 12), kBlack);
    EXPECT_EQ(cv.At(15, 15), kBlack);
    EXPECT_EQ(cv.At(15, 16), kWhite);
    // without a pen the fill is one pixel short on the right and the bottom
    cv.dc.SelectStockObject(NULL_PEN);
    cv.dc.Rectangle(30, 10, 40, 16);
    EXPECT_EQ(cv.Count(kRed, CRect(28, 8, 42, 18)), 9 * 5);
    // with a hollow brush only the frame is drawn
    cv.dc.SelectObject(&pen);
    cv.dc.SelectStockObject(NULL_BRUSH);
    cv.dc.Rectangle(44, 10, 54, 16);
    EXPECT_EQ(cv.At(48, 12), kWhite);
    EXPECT_EQ(cv.At(44, 12), kBlack);

    Canvas el(50, 50);
    el.dc.SelectObject(&brush);
    el.dc.Ellipse(0, 0, 40, 40);
    EXPECT_EQ(el.At(20, 20), kRed);
    EXPECT_EQ(el.At(1, 1), kWhite);
    EXPECT_EQ(el.At(38, 38), kWhite);
    EXPECT_EQ(el.At(0, 20), kBlack);
    CRect ink = el.Ink();
    EXPECT_EQ(ink, CRect(0, 0, 40, 40));

    // a pentagram: its middle is outside in alternate mode and inside in winding mode
    POINT star[5] = {{30, 2}, {48, 56}, {2, 22}, {58, 22}, {12, 56}};
    for (int mode : {ALTERNATE, WINDING}) {
        Canvas st(60, 60);
        st.dc.SelectObject(&brush);
        st.dc.SelectStockObject(NULL_PEN);
        st.dc.SetPolyFillMode(mode);
        st.dc.Polygon(star, 5);
        EXPECT_EQ(st.At(30, 32), mode == WINDING ? kRed : kWhite) << mode;
        EXPECT_EQ(st.At(30, 12), kRed) << mode;
    }

    // a pie from 0 to 90 degrees fills the upper right quarter only
    Canvas pie(40, 40);
    CBrush blue(kBlue);
    pie.dc.SelectObject(&blue);
    pie.dc.SelectStockObject(NULL_PEN);
    pie.dc.Pie(0, 0, 40, 40, 40, 20, 20, 0);
    EXPECT_EQ(pie.At(30, 10), kBlue);
    EXPECT_EQ(pie.At(10, 10), kWhite);
    EXPECT_EQ(pie.At(30, 30), kWhite);
    EXPECT_EQ(pie.At(10, 30), kWhite);

    // round corners stay clear, the middle of each edge is drawn
    Canvas rr(40, 40);
    rr.dc.SelectObject(&brush);
    rr.dc.RoundRect(0, 0, 40, 40, 16, 16);
    EXPECT_EQ(rr.At(0, 0), kWhite);
    EXPECT_EQ(rr.At(20, 0), kBlack);
    EXPECT_EQ(rr.At(20, 20), kRed);

    // a hatch draws its lines in the brush colour and the gaps in the background colour
    Canvas h(20, 20);
    CBrush hatch(HS_HORIZONTAL, kBlue);
    CRect all(0, 0, 20, 20);
    h.dc.SetBkColor(kRed);
    h.dc.FillRect(&all, &hatch);
    EXPECT_GT(h.Count(kBlue, all), 20);
    EXPECT_GT(h.Count(kRed, all), 200);
    EXPECT_EQ(h.Count(kBlue, all) + h.Count(kRed, all), 400);
}

TEST(DrawingText, AlignmentFlagsPlaceTheTextInsideTheRectangle) {
    CFont font;
    LOGFONT lf;
    lf.lfHeight = -14;
    lf.lfFaceName = "宋体";
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    const std::string text = "HX中文";
    struct Case {
        UINT fmt;
        const char* name;
    };
    const CRect box(10, 10, 190, 70);
    for (Case c : {Case{DT_LEFT | DT_TOP | DT_SINGLELINE, "left top"},
                   Case{DT_CENTER | DT_VCENTER | DT_SINGLELINE, "centre"},
                   Case{DT_RIGHT | DT_BOTTOM | DT_SINGLELINE, "right bottom"}}) {
        Canvas cv(200, 80);
        cv.dc.SelectObject(&font);
        cv.dc.SetBkMode(TRANSPARENT);
        CSize ext = cv.dc.GetTextExtent(text);
        ASSERT_GT(ext.cx, 20);
        ASSERT_GE(ext.cy, 14);
        CRect r = box;
        int h = cv.dc.DrawText(text, &r, c.fmt);
        CRect ink = cv.Ink();
        ASSERT_FALSE(ink.IsRectEmpty()) << c.name;
        EXPECT_TRUE(CRect().IntersectRect(ink, box) && ink.left >= box.left &&
                    ink.right <= box.right)
            << c.name;
        int inkMidX = (ink.left + ink.right) / 2, inkMidY = (ink.top + ink.bottom) / 2;
        if (c.fmt & DT_CENTER) {
            EXPECT_NEAR(inkMidX, box.CenterPoint().x, 3) << c.name;
            EXPECT_NEAR(inkMidY, box.CenterPoint().y, 4) << c.name;
            EXPECT_EQ(h, (box.Height() - ext.cy) / 2 + ext.cy);
        } else if (c.fmt & DT_RIGHT) {
            EXPECT_NEAR(ink.right, box.right, 3) << c.name;
            EXPECT_NEAR(ink.bottom, box.bottom, 5) << c.name;
            EXPECT_GT(ink.top, box.bottom - ext.cy - 1) << c.name;
        } else {
            EXPECT_NEAR(ink.left, box.left, 3) << c.name;
            EXPECT_LT(ink.bottom, box.top + ext.cy + 1) << c.name;
            EXPECT_EQ(h, ext.cy);
        }
    }
    // word breaking: the measured rectangle grows to two lines; the ampersand prefix goes
    Canvas cv(200, 80);
    cv.dc.SelectObject(&font);
    CSize one = cv.dc.GetTextExtent("alpha");
    CRect calc(0, 0, one.cx + 4, 0);
    int h = cv.dc.DrawText("alpha beta", &calc, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(h, 2 * one.cy);
    EXPECT_EQ(calc.Height(), 2 * one.cy);
    CRect single(0, 0, 0, 0);
    cv.dc.DrawText("&File", &single, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(single.Width(), cv.dc.GetTextExtent("File").cx);
    // text drawn opaque fills its cell with the background colour
    Canvas op(100, 30);
    op.dc.SelectObject(&font);
    op.dc.SetBkColor(kRed);
    op.dc.TextOut(2, 2, "ab");
    EXPECT_EQ(op.At(3, 3), kRed);
    TEXTMETRIC tm;
    ASSERT_TRUE(op.dc.GetTextMetrics(&tm));
    EXPECT_EQ(tm.tmHeight, op.dc.GetTextExtent("ab").cy);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
}

// The faces the program names are drawn by the installed faces, whatever their case; a face
// of another name is asked for as it is.
TEST(DrawingText, NamedFacesDrawAsTheInstalledFaces) {
    auto draw = [](const char* face) {
        Canvas c(200, 30);
        CFont font;
        font.CreateFont(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, face);
        c.dc.SelectObject(&font);
        c.dc.SetBkMode(TRANSPARENT);
        c.dc.TextOut(2, 4, "训练 Trend 0.618");
        std::string pixels;
        for (int y = 0; y < 30; ++y) pixels += c.Row(y, 0, 200, kWhite);
        return std::make_pair(pixels, c.dc.GetTextExtent("训练 Trend 0.618"));
    };
    const auto cjk = draw("WenQuanYi Micro Hei");
    for (const char* face : {"宋体", "SIMSUN", "microsoft yahei", "Times New Roman", "Arial"}) {
        const auto named = draw(face);
        EXPECT_EQ(named.first, cjk.first) << face;
        EXPECT_EQ(named.second, cjk.second) << face;
    }
    EXPECT_EQ(draw("Courier New").first, draw("WenQuanYi Micro Hei Mono").first);
    EXPECT_NE(draw("Courier New").first, cjk.first);
}

TEST(DrawingText, TextOutAlignsOnItsReferencePoint) {
    Canvas cv(200, 80);
    cv.dc.SetBkMode(TRANSPARENT);
    cv.dc.SetTextAlign(TA_CENTER | TA_BOTTOM);
    cv.dc.TextOut(100, 50, "MMMM");
    CRect ink = cv.Ink();
    ASSERT_FALSE(ink.IsRectEmpty());
    EXPECT_NEAR((ink.left + ink.right) / 2, 100, 2);
    EXPECT_LE(ink.bottom, 50);
    EXPECT_GT(ink.bottom, 40);
    Canvas right(200, 80);
    right.dc.SetBkMode(TRANSPARENT);
    right.dc.SetTextAlign(TA_RIGHT | TA_BASELINE);
    right.dc.TextOut(100, 50, "MMMM");
    CRect r = right.Ink();
    EXPECT_NEAR(r.right, 100, 2);
    EXPECT_EQ(r.bottom, 50);  // capitals sit on the baseline
}

TEST(DrawingShapes, ArcRunsCounterClockwiseBetweenItsRadials) {
    Canvas cv(60, 60);
    // from the right (0 degrees) round to the left (180 degrees): the upper half only
    cv.dc.Arc(10, 10, 50, 50, 50, 30, 10, 30);
    CRect ink = cv.Ink();
    ASSERT_FALSE(ink.IsRectEmpty());
    EXPECT_LE(ink.bottom, 31);
    EXPECT_LE(ink.top, 11);
    EXPECT_EQ(cv.At(30, 10), kBlack);
    Canvas lower(60, 60);
    lower.dc.Arc(10, 10, 50, 50, 10, 30, 50, 30);  // and back: the lower half
    EXPECT_GE(lower.Ink().top, 29);
}

TEST(DrawingFills, GradientsRunFromStartToEndColour) {
    Canvas cv(101, 20);
    TRIVERTEX v[2] = {{0, 0, 0xff00, 0, 0, 0}, {100, 20, 0, 0, 0xff00, 0}};
    GRADIENT_RECT g{0, 1};
    ASSERT_TRUE(cv.dc.GradientFill(v, 2, &g, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(cv.At(0, 5), kRed);
    COLORREF mid = cv.At(50, 5);
    EXPECT_NEAR(GetRValue(mid), 127, 2);
    EXPECT_NEAR(GetBValue(mid), 127, 2);
    COLORREF last = cv.At(99, 5);
    EXPECT_LE(GetRValue(last), 3);
    EXPECT_GE(GetBValue(last), 252);
    EXPECT_EQ(cv.At(100, 5), kWhite);  // the right edge is outside
    // vertical: rows change, columns do not
    Canvas vc(10, 100);
    TRIVERTEX vv[2] = {{0, 0, 0, 0, 0, 0}, {10, 100, 0xff00, 0xff00, 0xff00, 0}};
    ASSERT_TRUE(vc.dc.GradientFill(vv, 2, &g, 1, GRADIENT_FILL_RECT_V));
    EXPECT_EQ(vc.At(0, 0), kBlack);
    EXPECT_EQ(vc.At(0, 50), vc.At(9, 50));
    EXPECT_NEAR(GetGValue(vc.At(0, 50)), 127, 2);
}

TEST(DrawingFills, AlphaBlendMixesBySourceConstantAndPerPixelAlpha) {
    Canvas dst(10, 10, kBlack);
    Canvas src(10, 10, kWhite);
    ASSERT_TRUE(dst.dc.AlphaBlend(0, 0, 10, 10, &src.dc, 0, 0, 10, 10,
                                  BLENDFUNCTION{AC_SRC_OVER, 0, 128, 0}));
    EXPECT_NEAR(GetRValue(dst.At(5, 5)), 128, 2);
    // per-pixel alpha: a premultiplied half-transparent red over white
    std::vector<uint32_t> bits(4 * 4, 0x80800000u);  // A=0x80, R=0x80 premultiplied
    CBitmap alpha;
    ASSERT_TRUE(alpha.CreateBitmap(4, 4, 1, 32, bits.data()));
    CDC adc;
    adc.CreateCompatibleDC(nullptr);
    adc.SelectObject(&alpha);
    Canvas white(4, 4);
    ASSERT_TRUE(white.dc.AlphaBlend(0, 0, 4, 4, &adc, 0, 0, 4, 4,
                                    BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA}));
    COLORREF c = white.At(1, 1);
    EXPECT_NEAR(GetRValue(c), 255, 2);
    EXPECT_NEAR(GetGValue(c), 127, 2);
    EXPECT_NEAR(GetBValue(c), 127, 2);
}

TEST(DrawingRasterOps, XorAndNotDrawnTwiceRestoreTheImage) {
    Canvas cv(64, 64);
    // something to draw over: stripes of colour
    for (int i = 0; i < 8; ++i) {
        CRect r(i * 8, 0, i * 8 + 8, 64);
        cv.dc.FillSolidRect(&r, RGB(i * 30, 255 - i * 30, (i * 70) % 256));
    }
    std::vector<COLORREF> before;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) before.push_back(cv.At(x, y));
    CPen pen(PS_SOLID, 1, RGB(200, 100, 50));
    CBrush brush(RGB(10, 200, 90));
    cv.dc.SelectObject(&pen);
    cv.dc.SelectObject(&brush);
    for (int rop : {R2_XORPEN, R2_NOT, R2_NOTXORPEN}) {
        cv.dc.SetROP2(rop);
        for (int pass = 0; pass < 2; ++pass) {
            cv.dc.MoveTo(0, 31);
            cv.dc.LineTo(64, 31);  // a crosshair
            cv.dc.MoveTo(31, 0);
            cv.dc.LineTo(31, 64);
            cv.dc.Rectangle(5, 5, 40, 20);  // a rubber band with a fill
            POINT tri[3] = {{50, 40}, {60, 60}, {40, 60}};
            cv.dc.Polygon(tri, 3);
            if (pass == 0) {
                EXPECT_NE(cv.At(10, 31), before[31 * 64 + 10]) << rop;
            }
        }
        cv.dc.SetROP2(R2_COPYPEN);
        int diff = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) diff += cv.At(x, y) != before[y * 64 + x];
        EXPECT_EQ(diff, 0) << "rop " << rop;
    }
    // XOR of a colour with itself gives black
    Canvas x(4, 4, RGB(12, 34, 56));
    CPen same(PS_SOLID, 1, RGB(12, 34, 56));
    x.dc.SelectObject(&same);
    x.dc.SetROP2(R2_XORPEN);
    x.dc.MoveTo(0, 1);
    x.dc.LineTo(4, 1);
    EXPECT_EQ(x.At(2, 1), kBlack);
    // a pen and brush gone while still selected (the classic object would refuse to go)
    // keep drawing as they were made when the raster mode changes
    Canvas g(8, 8, RGB(12, 34, 56));
    auto* gonePen = new CPen(PS_SOLID, 1, RGB(12, 34, 56));
    auto* goneBrush = new CBrush(RGB(1, 2, 3));
    g.dc.SelectObject(gonePen);
    g.dc.SelectObject(goneBrush);
    delete gonePen;
    delete goneBrush;
    g.dc.SetROP2(R2_XORPEN);
    g.dc.MoveTo(0, 1);
    g.dc.LineTo(8, 1);
    EXPECT_EQ(g.At(2, 1), kBlack);
    g.dc.SetROP2(R2_COPYPEN);
    g.dc.SelectStockObject(NULL_PEN);
    g.dc.Rectangle(0, 3, 8, 8);
    EXPECT_EQ(g.At(2, 5), RGB(1, 2, 3));
}

TEST(DrawingClip, ClipRectsRegionsOriginAndSavedStates) {
    Canvas cv(50, 50);
    CRect all(0, 0, 50, 50);
    cv.dc.SaveDC();
    cv.dc.IntersectClipRect(10, 10, 20, 20);
    cv.dc.FillSolidRect(&all, kRed);
    EXPECT_EQ(cv.Count(kRed, all), 100);
    CRect box;
    cv.dc.GetClipBox(&box);
    EXPECT_EQ(box, CRect(10, 10, 20, 20));
    cv.dc.RestoreDC(-1);
    cv.dc.ExcludeClipRect(0, 0, 40, 50);
    cv.dc.FillSolidRect(&all, kBlue);
    EXPECT_EQ(cv.Count(kBlue, all), 10 * 50);
    cv.dc.SelectClipRgn(nullptr);
    // an elliptic region keeps the corners out
    Canvas el(40, 40);
    CRgn rgn;
    rgn.CreateEllipticRgn(0, 0, 40, 40);
    el.dc.SelectClipRgn(&rgn);
    CRect big(0, 0, 40, 40);
    el.dc.FillSolidRect(&big, kBlue);
    EXPECT_EQ(el.At(20, 20), kBlue);
    EXPECT_EQ(el.At(1, 1), kWhite);
    EXPECT_TRUE(el.dc.PtVisible(20, 20));
    EXPECT_FALSE(el.dc.PtVisible(1, 1));
    // the viewport origin moves drawing; the clip stays in device pixels
    Canvas org(40, 40);
    org.dc.IntersectClipRect(0, 0, 20, 40);
    org.dc.SetViewportOrg(10, 5);
    CRect small(0, 0, 20, 5);
    org.dc.FillSolidRect(&small, kRed);
    EXPECT_EQ(org.At(0, 0), kRed);  // logical (0, 0) is device (10, 5)
    org.dc.SetViewportOrg(0, 0);
    EXPECT_EQ(org.Count(kRed, CRect(0, 0, 40, 40)), 10 * 5);
    EXPECT_EQ(org.At(10, 5), kRed);
    EXPECT_EQ(org.At(25, 5), kWhite);
    // regions combine
    CRgn a, b, c;
    a.CreateRectRgn(0, 0, 10, 10);
    b.CreateRectRgn(5, 5, 15, 15);
    c.CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(c.CombineRgn(&a, &b, RGN_AND), SIMPLEREGION);
    CRect rb;
    c.GetRgnBox(&rb);
    EXPECT_EQ(rb, CRect(5, 5, 10, 10));
    EXPECT_EQ(c.CombineRgn(&a, &b, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(c.PtInRegion(12, 12));
    EXPECT_FALSE(c.PtInRegion(12, 2));
    EXPECT_EQ(c.CombineRgn(&a, &a, RGN_DIFF), NULLREGION);
}

TEST(DrawingBlits, CopyStretchAndTransparentColour) {
    Canvas src(4, 4, kRed);
    CRect corner(0, 0, 2, 2);
    src.dc.FillSolidRect(&corner, kBlue);
    Canvas dst(20, 20);
    ASSERT_TRUE(dst.dc.BitBlt(1, 1, 4, 4, &src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.At(1, 1), kBlue);
    EXPECT_EQ(dst.At(4, 4), kRed);
    EXPECT_EQ(dst.At(5, 5), kWhite);
    ASSERT_TRUE(dst.dc.StretchBlt(10, 10, 8, 8, &src.dc, 0, 0, 4, 4, SRCCOPY));
    EXPECT_EQ(dst.Count(kBlue, CRect(10, 10, 18, 18)), 16);
    EXPECT_EQ(dst.Count(kRed, CRect(10, 10, 18, 18)), 48);
    Canvas t(10, 10, kBlack);
    ASSERT_TRUE(t.dc.TransparentBlt(0, 0, 4, 4, &src.dc, 0, 0, 4, 4, kBlue));
    EXPECT_EQ(t.At(0, 0), kBlack);
    EXPECT_EQ(t.At(3, 3), kRed);
    // a blit onto the same image reads the pixels as they were
    Canvas self(10, 2);
    CRect left(0, 0, 5, 2);
    self.dc.FillSolidRect(&left, kRed);
    self.dc.BitBlt(2, 0, 8, 2, &self.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(self.Row(0, 0, 10, kRed), "#######...");
}

TEST(DrawingAntiAliased, PathsFillAndHitTest) {
    Canvas cv(40, 40);
    CGraphics g(&cv.dc);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    CGraphicsPath path;
    PointF tri[3] = {{5, 5}, {35, 5}, {20, 35}};
    path.AddPolygon(tri, 3);
    g.FillPath(0xFF0000FF, path);
    EXPECT_EQ(cv.At(20, 12), kBlue);
    EXPECT_EQ(cv.At(3, 30), kWhite);
    EXPECT_TRUE(path.IsVisible(20, 12));
    EXPECT_FALSE(path.IsVisible(3, 30));
    // smoothing leaves intermediate colours along a slanted edge
    int partial = 0;
    for (int y = 5; y < 35; ++y)
        for (int x = 5; x < 35; ++x) {
            COLORREF c = cv.At(x, y);
            if (c != kWhite && c != kBlue) ++partial;
        }
    EXPECT_GT(partial, 10);
}

TEST(DrawingWindow, BackBufferKeepsDrawingMadeOutsidePaint) {
    struct Painted : CWnd {
        int paints = 0;
        void OnPaint() override {
            CPaintDC dc(this);
            ++paints;
            CRect rc;
            GetClientRect(&rc);
            dc.FillSolidRect(&rc, RGB(0, 64, 0));
        }
    } w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 80, 60), nullptr, 0));
    w.UpdateWindow();
    platform::PumpUntil([&] { return w.paints > 0; }, 2000);
    ASSERT_GT(w.paints, 0);
    int paints = w.paints;
    {
        // a crosshair drawn with XOR, then erased the same way
        CClientDC dc(&w);
        CPen pen(PS_SOLID, 1, RGB(255, 255, 255));
        dc.SelectObject(&pen);
        dc.SetROP2(R2_XORPEN);
        dc.MoveTo(0, 30);
        dc.LineTo(80, 30);
        EXPECT_EQ(dc.GetPixel(10, 30), RGB(255, 191, 255));
        dc.MoveTo(0, 30);
        dc.LineTo(80, 30);
        EXPECT_EQ(dc.GetPixel(10, 30), RGB(0, 64, 0));
        dc.SetROP2(R2_COPYPEN);
        dc.MoveTo(0, 10);
        dc.LineTo(80, 10);
    }
    platform::ProcessPendingEvents();
    EXPECT_EQ(w.paints, paints);  // showing the buffer is not a WM_PAINT
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&w, shot));
    EXPECT_EQ(shot.GetPixel(10, 10), RGB(255, 255, 255));
    EXPECT_EQ(shot.GetPixel(10, 30), RGB(0, 64, 0));
    // an invalidated part is painted again by WM_PAINT, clipped to that part
    struct Half : CWnd {
        void OnPaint() override {
            CPaintDC dc(this);
            CRect rc;
            GetClientRect(&rc);
            dc.FillSolidRect(&rc, color);
        }
        COLORREF color = RGB(10, 10, 10);
    } h;
    ASSERT_TRUE(h.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 40, 40), nullptr, 0));
    h.UpdateWindow();
    h.color = RGB(200, 0, 0);
    CRect part(0, 0, 20, 40);
    h.InvalidateRect(&part, FALSE);
    h.UpdateWindow();
    CBitmap hs;
    ASSERT_TRUE(platform::CaptureWindow(&h, hs));
    EXPECT_EQ(hs.GetPixel(5, 5), RGB(200, 0, 0));
    EXPECT_EQ(hs.GetPixel(30, 5), RGB(10, 10, 10));
}

}  // namespace

namespace {
// Device capabilities: logical pixels at 96 per inch, the screen's logical size, 32 bits.
TEST(DeviceCaps, AnswerForWindowAndMemoryDCs) {
    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 40, 30), nullptr, 0));
    CClientDC dc(&w);
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    for (CDC* d : {static_cast<CDC*>(&dc), &mem}) {
        EXPECT_EQ(d->GetDeviceCaps(LOGPIXELSX), 96);
        EXPECT_EQ(d->GetDeviceCaps(LOGPIXELSY), 96);
        EXPECT_EQ(d->GetDeviceCaps(BITSPIXEL), 32);
        EXPECT_EQ(d->GetDeviceCaps(PLANES), 1);
        EXPECT_GT(d->GetDeviceCaps(HORZRES), 0);
        EXPECT_GT(d->GetDeviceCaps(VERTRES), 0);
        EXPECT_EQ(d->GetDeviceCaps(-1), 0);
    }
    CRect work;
    ASSERT_TRUE(SystemParametersWorkArea(&work));
    EXPECT_GE(dc.GetDeviceCaps(HORZRES), work.Width());
    EXPECT_GE(dc.GetDeviceCaps(VERTRES), work.Height());
    // ratio 1 here: a compatible bitmap is what its bits say
    EXPECT_EQ(dc.GetPixelRatio(), 1.0);
    CBitmap bmp;
    ASSERT_TRUE(bmp.CreateCompatibleBitmap(&dc, 7, 5));
    EXPECT_EQ(bmp.GetPixelRatio(), 1.0);
    BITMAP bm{};
    ASSERT_EQ(bmp.GetBitmap(&bm), (int)sizeof(BITMAP));
    EXPECT_EQ(bm.bmWidth, 7);
    EXPECT_EQ(bm.bmHeight, 5);
    EXPECT_EQ(bm.bmWidthBytes, 28);
}
}  // namespace
