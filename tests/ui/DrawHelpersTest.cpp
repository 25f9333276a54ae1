// The shared drawing helpers against the geometry they promise, pixel by pixel.
#include <gtest/gtest.h>

#include "platform/App.h"
#include "ui/draw/DrawHelpers.h"

namespace {

class UiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_ui";
        static char* argv[] = {name, nullptr};
        platform::Initialize(argc, argv);
    }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new UiEnvironment);

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(200, 30, 40);

struct Canvas {
    CBitmap bmp;
    CDC dc;
    explicit Canvas(int w = 40, int h = 40) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        dc.SelectObject(&bmp);
        CRect rc(0, 0, w, h);
        dc.FillSolidRect(&rc, kWhite);
    }
    COLORREF At(int x, int y) const { return dc.GetPixel(x, y); }
    std::vector<std::pair<int, int>> Inked() const {
        std::vector<std::pair<int, int>> v;
        CSize s = dc.GetSurfaceSize();
        for (int y = 0; y < s.cy; ++y)
            for (int x = 0; x < s.cx; ++x)
                if (At(x, y) != kWhite) v.emplace_back(x, y);
        return v;
    }
    bool Near(int x, int y, COLORREF c, int tol = 3) const {
        COLORREF p = At(x, y);
        return std::abs(GetRValue(p) - GetRValue(c)) <= tol &&
               std::abs(GetGValue(p) - GetGValue(c)) <= tol &&
               std::abs(GetBValue(p) - GetBValue(c)) <= tol;
    }
};

// the exact pixel set of a triangle built from lines
std::vector<std::pair<int, int>> Expected(int kind, int size, RECT rc) {
    std::vector<std::pair<int, int>> v;
    int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    for (int k = 0; k < size; ++k)
        for (int d = -k; d <= k; ++d) {
            if (kind == 1) v.emplace_back(cx + d, cy + size / 2 - k);
            if (kind == 3) v.emplace_back(cx - size / 2 + k, cy + d);
            if (kind == 4) v.emplace_back(cx + size / 2 - k, cy + d);
        }
    std::sort(v.begin(), v.end(), [](auto a, auto b) {
        return a.second != b.second ? a.second < b.second : a.first < b.first;
    });
    return v;
}

TEST(DrawTriangleLines, EachKindFillsExactlyItsRows) {
    const RECT rc{3, 4, 24, 25};  // centre (13, 14)
    for (int kind : {1, 3, 4}) {
        for (int size : {1, 5, 6}) {
            Canvas cv;
            DrawTriangleLines(&cv.dc, kInk, kind, size, rc);
            EXPECT_EQ(cv.Inked(), Expected(kind, size, rc)) << "kind " << kind << " size " << size;
        }
    }
    Canvas cv;
    DrawTriangleLines(&cv.dc, kInk, 2, 5, rc);
    DrawTriangleLines(&cv.dc, kInk, 1, 0, rc);
    DrawTriangleLines(nullptr, kInk, 1, 5, rc);
    EXPECT_TRUE(cv.Inked().empty());
    // the context's pen is given back
    CPen mine(PS_SOLID, 1, RGB(1, 2, 3));
    cv.dc.SelectObject(&mine);
    DrawTriangleLines(&cv.dc, kInk, 1, 3, rc);
    EXPECT_EQ(cv.dc.GetCurrentPen(), &mine);
}

TEST(DrawTriangleAA, KindOneAsASmoothPath) {
    Canvas cv;
    const RECT rc{0, 0, 40, 40};
    DrawTriangleAA(kInk, &cv.dc, 9, rc);
    auto ink = cv.Inked();
    ASSERT_FALSE(ink.empty());
    // every touched pixel lies within the rows and spans of the line triangle, give or take one
    for (auto [x, y] : ink) {
        int k = 20 + 4 - y;
        EXPECT_GE(k, -1) << x << "," << y;
        EXPECT_LE(k, 9) << x << "," << y;
        EXPECT_LE(std::abs(x - 20), std::max(k, 0) + 1) << x << "," << y;
    }
    EXPECT_NE(cv.At(20, 23), kWhite);  // the row above the apex (the apex row has no length)
    EXPECT_NE(cv.At(20, 17), kWhite);
    // each row is a crisp 1-wide line on its own pixel row, full colour inside its span
    for (int k = 2; k < 9; ++k) EXPECT_EQ(cv.At(20, 24 - k), kInk) << k;
    EXPECT_EQ(cv.At(20, 25), kWhite);
}

TEST(DrawDashedLine, DashesStartEveryPeriodAndTheLastIsCutAtTheEnd) {
    struct Case {
        int gap, dash;
        std::string row;
    };
    for (Case c : {Case{2, 3, "###..###.."}, Case{2, 4, "####..####"}, Case{0, 5, "##########"}}) {
        Canvas cv(20, 20);
        CPen pen(PS_SOLID, 1, kInk);
        cv.dc.SelectObject(&pen);
        DrawDashedLine(&cv.dc, c.gap, c.dash, 0, 5, 10, 5);
        std::string row, col;
        for (int x = 0; x < 12; ++x) row += cv.At(x, 5) == kInk ? '#' : '.';
        EXPECT_EQ(row, c.row + "..") << c.gap << "/" << c.dash;
        Canvas vc(20, 20);
        vc.dc.SelectObject(&pen);
        DrawDashedLine(&vc.dc, c.gap, c.dash, 5, 0, 5, 10);
        for (int y = 0; y < 12; ++y) col += vc.At(5, y) == kInk ? '#' : '.';
        EXPECT_EQ(col, c.row + "..") << c.gap << "/" << c.dash;
    }
    Canvas none(20, 20);
    DrawDashedLine(&none.dc, 2, 3, 5, 10, 5, 10);
    DrawDashedLine(&none.dc, 2, 3, 5, 10, 5, 2);
    DrawDashedLine(&none.dc, 2, 3, 10, 5, 2, 5);
    DrawDashedLine(&none.dc, 2, 3, 0, 0, 10, 10);
    EXPECT_TRUE(none.Inked().empty());
}

TEST(DrawEllipseAA, OutlineAndFillInOneColour) {
    Canvas cv;
    DrawEllipseAA(kInk, &cv.dc, 5, 5, 30, 20);
    EXPECT_TRUE(cv.Near(20, 15, kInk));
    EXPECT_TRUE(cv.Near(7, 15, kInk));
    EXPECT_EQ(cv.At(6, 6), kWhite);
    EXPECT_EQ(cv.At(20, 27), kWhite);
}

TEST(FillRightTriangle, ApexOnTheRightAndBaseTwiceTheWidth) {
    Canvas cv;
    FillRightTriangle(kInk, &cv.dc, 10, 10, 18, 30);  // my = 20, half base = 8
    EXPECT_EQ(cv.At(17, 20), kInk);
    EXPECT_EQ(cv.At(10, 12), kInk);
    EXPECT_EQ(cv.At(10, 28), kInk);
    EXPECT_EQ(cv.At(16, 13), kWhite);
    EXPECT_EQ(cv.At(9, 20), kWhite);
    EXPECT_EQ(cv.At(19, 20), kWhite);
    auto ink = cv.Inked();
    EXPECT_EQ(
        std::min_element(ink.begin(), ink.end(), [](auto a, auto b) { return a.second < b.second; })
            ->second,
        12);
}

TEST(DrawTradeArrow, ShapesScaleAndHollowForms) {
    {
        Canvas cv;
        DrawTradeArrow(1, 20, 10, 3, 3, kInk, &cv.dc);  // up arrow, factor 1
        EXPECT_EQ(cv.At(20, 10), kInk);                 // tip
        EXPECT_EQ(cv.At(20, 14), kInk);                 // shaft
        EXPECT_EQ(cv.At(20, 17), kWhite);               // below the shaft
        Canvas same;
        DrawTradeArrow(1, 20, 10, 1.5, 0.5, kInk, &same.dc);  // factors never below 1
        EXPECT_EQ(same.Inked(), cv.Inked());
    }
    {
        Canvas cv;
        DrawTradeArrow(1, 20, 5, 6, 6, kInk, &cv.dc);  // factor 2: shaft to y + 12
        EXPECT_EQ(cv.At(20, 15), kInk);
        EXPECT_EQ(cv.At(26, 11), kInk);  // right barb at (x + 6, y + 6)
    }
    {
        Canvas cv;
        DrawTradeArrow(11, 20, 10, 3, 3, kInk, &cv.dc);  // the hollow up arrow
        EXPECT_EQ(cv.At(20, 14), kWhite);
        EXPECT_EQ(cv.At(19, 14), kInk);
    }
    {
        Canvas cv;
        DrawTradeArrow(-1, 20, 10, 3, 3, kInk, &cv.dc);  // down arrow: tip at the bottom
        EXPECT_EQ(cv.At(20, 15), kInk);
        EXPECT_EQ(cv.At(20, 11), kInk);
        Canvas d;
        DrawTradeArrow(0, 20, 10, 3, 3, kInk, &d.dc);  // diamond
        EXPECT_EQ(d.At(20, 13), kInk);
        EXPECT_EQ(d.At(17, 13), kInk);
        EXPECT_EQ(d.At(18, 11), kWhite);
    }
}

TEST(FillChevronAA, SixPointsInTheFixedColour) {
    const COLORREF chevron = RGB(0x86, 0xAB, 0xCA);
    Canvas up;
    FillChevronAA(&up.dc, 0, 0, 0, 30, 20);  // mx 15
    EXPECT_TRUE(up.Near(15, 2, chevron, 40));
    EXPECT_TRUE(up.Near(3, 16, chevron));
    EXPECT_EQ(up.At(15, 15), kWhite);  // the notch
    Canvas down;
    FillChevronAA(&down.dc, 1, 0, 0, 30, 20);
    EXPECT_TRUE(down.Near(15, 18, chevron, 40));
    EXPECT_TRUE(down.Near(3, 4, chevron));
    EXPECT_EQ(down.At(15, 5), kWhite);
    Canvas none;
    FillChevronAA(&none.dc, 2, 0, 0, 30, 20);
    EXPECT_TRUE(none.Inked().empty());
}

TEST(RoundRectAA, CornersAreRoundedAndEdgesStraight) {
    Canvas cv;
    {
        CGraphics g(&cv.dc);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        FillRoundRectAA(&g, ArgbFromColorref(kInk), 5, 5, 20, 10);
        DrawRoundRectAA(&g, ArgbFromColorref(RGB(0, 0, 200)), 2, 20, 30, 12);
    }
    EXPECT_TRUE(cv.Near(15, 10, kInk));
    EXPECT_TRUE(cv.Near(6, 10, kInk));  // inside the left edge, between the corners
    // pixel centres sit on whole coordinates: the edge column x = 5 is half covered
    EXPECT_FALSE(cv.Near(5, 10, kInk, 10));
    EXPECT_NE(cv.At(5, 10), kWhite);
    EXPECT_FALSE(cv.Near(5, 5, kInk, 10));  // the corner pixel is cut
    EXPECT_EQ(cv.At(15, 26), kWhite);       // the outline is hollow
    // the 1-wide edges are crisp: exactly their own row or column
    EXPECT_EQ(cv.At(16, 20), RGB(0, 0, 200));
    EXPECT_EQ(cv.At(16, 19), kWhite);
    EXPECT_EQ(cv.At(16, 21), kWhite);
    EXPECT_EQ(cv.At(2, 26), RGB(0, 0, 200));
    EXPECT_EQ(cv.At(32, 26), RGB(0, 0, 200));
    EXPECT_EQ(cv.At(16, 32), RGB(0, 0, 200));
    EXPECT_EQ(cv.At(0, 18), kWhite);
}

TEST(FillGradient, TwoAndThreeStops) {
    const RECT rc{0, 0, 30, 10};
    {
        Canvas cv;
        FillGradient(RGB(0, 0, 255), rc, &cv.dc, RGB(255, 0, 0), 1);
        EXPECT_EQ(cv.At(0, 5), RGB(255, 0, 0));
        EXPECT_GT(GetBValue(cv.At(29, 5)), 240);
        EXPECT_EQ(cv.At(10, 0), cv.At(10, 9));  // horizontal: columns are uniform
        EXPECT_EQ(cv.At(30, 5), kWhite);
    }
    {
        Canvas cv;
        FillGradient(RGB(0, 0, 255), rc, &cv.dc, RGB(255, 0, 0), 0);
        EXPECT_EQ(cv.At(0, 0), cv.At(29, 0));  // vertical: rows are uniform
        EXPECT_EQ(cv.At(0, 0), RGB(255, 0, 0));
        EXPECT_GT(GetBValue(cv.At(0, 9)), 200);
    }
    {
        Canvas cv;
        const COLORREF c = RGB(10, 20, 30);
        FillGradient(c, rc, &cv.dc, c, 1);
        EXPECT_EQ(cv.Inked().size(), 300u);
        for (auto [x, y] : cv.Inked()) ASSERT_EQ(cv.At(x, y), c);
        EXPECT_EQ(cv.dc.GetBkColor(), c);  // a single solid fill, as the classic one does
    }
    {
        Canvas cv;
        FillGradient3(&cv.dc, RGB(0, 0, 0), RECT{0, 0, 30, 10}, RGB(240, 240, 240));
        EXPECT_EQ(cv.At(0, 5), RGB(0, 0, 0));
        EXPECT_EQ(cv.At(10, 5), RGB(240, 240, 240));  // (right + 2 left) / 3
        EXPECT_LT(GetRValue(cv.At(29, 5)), 20);
        EXPECT_LT(GetRValue(cv.At(5, 5)), GetRValue(cv.At(9, 5)));
        EXPECT_GT(GetRValue(cv.At(12, 5)), GetRValue(cv.At(25, 5)));
    }
}

TEST(DrawWrappedChars, WrapsAtTheRightEdgeAndStopsAtTheBottom) {
    Canvas cv(200, 200);
    cv.dc.SetBkMode(TRANSPARENT);
    const CSize ch = cv.dc.GetTextExtent("国");
    const int lineH = ch.cy + 17;
    RECT rc{10, 10, 10 + ch.cx * 3, 200};
    DrawWrappedChars("一二三四五六七", rc, &cv.dc);  // 3 + 3 + 1 characters
    EXPECT_EQ(rc.top, 10 + 3 * lineH);
    // the fourth character starts the second line at the left edge
    bool inkSecondLine = false;
    for (int y = 10 + lineH; y < 10 + lineH + ch.cy; ++y)
        for (int x = 10; x < 10 + ch.cx; ++x) inkSecondLine |= cv.At(x, y) != kWhite;
    EXPECT_TRUE(inkSecondLine);
    // room for one line only: the rest is not drawn
    RECT one{10, 150, 10 + ch.cx * 3, 150 + lineH};
    DrawWrappedChars("一二三四五六七", one, &cv.dc);
    EXPECT_EQ(one.top, 150 + lineH);
    // mixed text: every character gets its own cell, ASCII included
    RECT mixed{0, 0, 400, 100};
    Canvas m(400, 100);
    DrawWrappedChars("ab中", mixed, &m.dc);
    EXPECT_EQ(mixed.top, lineH);
}

TEST(ApplyWindowTransparency, TogglesTheLayeredStyleOnlyWhenTheFlagIsSet) {
    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 50, 50), nullptr, 0));
    SetWindowTransparencyOptions(false, RGB(255, 0, 255));
    ApplyWindowTransparency(w.m_hWnd);
    EXPECT_FALSE(w.GetExStyle() & WS_EX_LAYERED);
    SetWindowTransparencyOptions(true, RGB(255, 0, 255));
    ApplyWindowTransparency(w.m_hWnd);
    EXPECT_TRUE(w.GetExStyle() & WS_EX_LAYERED);
    ApplyWindowTransparency(w.m_hWnd);
    EXPECT_FALSE(w.GetExStyle() & WS_EX_LAYERED);
    ApplyWindowTransparency(nullptr);  // no window: nothing
    SetWindowTransparencyOptions(false, 0);
}

TEST(ResourceImages, ImagesImageListsAndTheToolBar) {
    std::unique_ptr<CImage> png(LoadImageResource(320, 0));
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(png->GetWidth(), 8);
    EXPECT_EQ(LoadImageResource(320, 1), nullptr);  // no "TIF" 320
    EXPECT_EQ(LoadImageResource(320, 7), nullptr);  // no type name
    EXPECT_EQ(LoadImageResource(4242, 0), nullptr);

    CImageList plain;
    LoadImageList(plain, 223, 4, 4);
    EXPECT_EQ(plain.GetImageCount(), 2);
    CImageList masked;
    LoadMaskedImageList(masked, 4, 4);
    ASSERT_EQ(masked.GetImageCount(), 2);
    // blue is see-through in the masked list and drawn in the plain one
    Canvas a(4, 4), b(4, 4);
    masked.Draw(&a.dc, 1, POINT{0, 0}, ILD_TRANSPARENT);
    plain.Draw(&b.dc, 1, POINT{0, 0}, ILD_NORMAL);
    EXPECT_EQ(a.At(1, 1), kWhite);
    EXPECT_EQ(b.At(1, 1), RGB(0, 0, 255));
    EXPECT_EQ(a.At(0, 0), RGB(0, 255, 0));

    CSkinMenuIcons icons;
    EXPECT_TRUE(LoadToolBarImages(&icons));
    EXPECT_EQ(icons.MatchIcon(40001), 0);
    EXPECT_EQ(icons.MatchIcon(40002), 1);
    EXPECT_FALSE(LoadToolBarImages(nullptr));
}

}  // namespace
