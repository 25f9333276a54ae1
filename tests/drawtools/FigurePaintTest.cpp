// Painting a figure: lines go to the DC in runs of one pen, yet every item keeps its pen
// and its place in the order (a label drawn over a line, a line over a label).
#include <gtest/gtest.h>

#include <cstring>

#include "FakeChart.h"
#include "drawtools/ToolFigure.h"
#include "platform/Gdi.h"
#include "ui/CommonVar.h"

namespace {

constexpr int kW = 200, kH = 120;

struct Dib {
    CBitmap bmp;
    CDC dc;
    void* bits = nullptr;
    Dib() {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateDIBSection(kW, kH, &bits);
        dc.SelectObject(&bmp);
        dc.FillSolidRect(CRect(0, 0, kW, kH), RGB(0, 0, 0));
    }
};

TEST(FigurePaint, LinesInRunsKeepTheirPensAndTheirOrder) {
    FakeChart chart;  // brings up the platform
    GetCommonVar()->Init();
    CToolFigure figure;
    figure.AddLine(10, 10, 190, 10);
    figure.AddLine(190, 10, 190, 100);
    figure.AddLine(10, 100, 150, 30, FigureItem::DottedPen);
    figure.AddLine(10, 20, 190, 20, FigureItem::DottedPen);
    figure.AddText("0.618(42.22)", CRect(20, 14, 120, 34), DT_SINGLELINE | DT_LEFT);
    figure.AddLine(15, 24, 110, 24);  // over the label
    figure.AddLine(30, 50, 30, 110, FigureItem::SolidPen, RGB(0, 255, 0));
    figure.AddLine(20, 60, 180, 60);
    figure.AddLine(20, 60, 180, 62, FigureItem::DottedPen);
    figure.AddLine(-500, 80, -400, 80);  // far outside: skipped

    CPen pen(PS_SOLID, 1, RGB(255, 0, 0)), dot(PS_DOT, 1, RGB(0, 128, 255));
    FigurePaint paint;
    paint.pen = &pen;
    paint.dotPen = &dot;
    paint.textColor = RGB(255, 255, 0);
    Dib painted;
    painted.dc.MoveTo(3, 3);
    PaintFigure(&painted.dc, figure, paint);

    // the same, item by item with the DC's own calls
    Dib expected;
    CDC& dc = expected.dc;
    CPen solid(PS_SOLID, 1, RGB(0, 255, 0));
    for (const FigureItem& it : figure.items) {
        if (it.kind == FigureItem::Text) {
            dc.SelectObject(GetCommonVar()->GetFont(CommonVar::Font::Chart));
            dc.SetTextColor(paint.textColor);
            dc.SetBkMode(TRANSPARENT);
            CRect rc = it.rect;
            dc.DrawText(it.text, &rc, it.format);
            continue;
        }
        dc.SelectObject(it.pen == FigureItem::SolidPen ? &solid
                        : it.pen == FigureItem::DottedPen ? &dot
                                                          : &pen);
        dc.MoveTo(it.a.x, it.a.y);
        dc.LineTo(it.b.x, it.b.y);
    }
    EXPECT_EQ(std::memcmp(painted.bits, expected.bits, size_t(kW) * kH * 4), 0);
    // the label is there, and so is the line drawn over it
    EXPECT_EQ(painted.dc.GetPixel(60, 24), RGB(255, 0, 0));
    int label = 0;
    for (int y = 14; y < 34; ++y)
        for (int x = 20; x < 120; ++x) {
            const COLORREF c = painted.dc.GetPixel(x, y);  // yellow, or yellow on black
            label += GetRValue(c) > 60 && GetRValue(c) == GetGValue(c) && GetBValue(c) == 0;
        }
    EXPECT_GT(label, 20);
    // the pen and the current position are the DC's own again
    EXPECT_NE(painted.dc.GetCurrentPen(), &pen);
    EXPECT_NE(painted.dc.GetCurrentPen(), &dot);
}

}  // namespace
