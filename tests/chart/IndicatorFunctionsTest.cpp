// Indicator draw functions, checked in pixels.
#include <gtest/gtest.h>

#include "chart/IndicatorFunctions.h"
#include "formula/engine/IndCommonSpace.h"
#include "ChartCanvas.h"

namespace {

class Bars : public chart::IBarSource {
public:
    double GetOpen(int32_t) const override { return 10; }
    double GetHigh(int32_t) const override { return 12; }
    double GetLow(int32_t) const override { return 8; }
    double GetClose(int32_t) const override { return 11; }
    double GetVolume(int32_t) const override { return 1; }
    double GetTime(int32_t i) const override { return 20240102 + i; }
    double GetAvgPrice(int32_t) const override { return 10; }
    int32_t GetFirst() const override { return 0; }
    int32_t GetLast() const override { return 10; }
    int16_t GetDataType() const override { return chart::kTypeDay; }
};

CIndicatorExp Series(std::vector<double> v) {
    CIndicatorExp e;
    e.m_bComputed = 1;
    e.m_nKind = CValueRecord::kSeries;
    e.m_aValues = std::move(v);
    e.m_nFirst = 0;
    e.m_nLast = static_cast<int32_t>(e.m_aValues.size()) - 1;
    e.m_bOwnColor = 1;
    e.m_crColor = RGB(255, 255, 0);
    return e;
}
// A constant text argument.
CIndicatorExp Text(const char* t) {
    CIndicatorExp e;
    e.m_bComputed = 1;
    e.m_nKind = CValueRecord::kText;
    e.m_strText = t;
    e.m_nFirst = 0;
    e.m_nLast = 9;
    return e;
}
CIndicatorExp Const(double v) {
    return Series(std::vector<double>(10, v));
}

// 20 pixels per bar from x 10; value v at y 100 - v.
chart::IndicatorPane Pane() {
    chart::IndicatorPane p;
    p.map.rect = CRect(0, 0, 200, 100);
    p.map.end = 10;
    p.map.barWidth = 20;
    p.map.indexToX = [](int32_t i) { return 10 + 20 * i; };
    p.map.valueToY = [](double v) { return std::clamp(static_cast<int>(100 - v), 0, 99); };
    return p;
}

void Draw(Canvas& c, int kind, const std::vector<CIndicatorExp>& args) {
    CIndicatorDrawFunc f;
    f.m_nKind = kind;
    f.m_nFirst = 0;
    f.m_nEnd = static_cast<int32_t>(args.size());
    Bars bars;
    chart::DrawIndicatorFunctions(c.dc, bars, Pane(), {f}, args, 39);
}

constexpr COLORREF kInk = RGB(255, 255, 0);

TEST(DrawColours, ReadTheEnginesEncoding) {
    double v = IndCommonSpace::ColorToDouble(RGB(1, 2, 3), 2);
    EXPECT_EQ(chart::ColorOfValue(v), RGB(1, 2, 3));
    EXPECT_EQ(chart::FillModeOfValue(v), 2);
    EXPECT_EQ(chart::FillModeOfValue(IndCommonSpace::ColorToDouble(RGB(9, 9, 9))), 0);
}

TEST(DrawFunctions, StickLineWidthShiftAndHollow) {
    std::vector<double> on(10, 0);
    on[2] = 1;  // x 50
    {
        Canvas c;
        Draw(c, 4, {Series(on), Const(80), Const(60), Const(10), Const(0)});
        // A full bar width (20), centred, filled between y 20 and 40.
        EXPECT_EQ(c.At(41, 30), kInk);
        EXPECT_EQ(c.At(59, 30), kInk);
        EXPECT_EQ(c.At(38, 30), 0u);
        EXPECT_EQ(c.At(62, 30), 0u);
        EXPECT_EQ(c.At(50, 40), kInk);
    }
    {
        Canvas c;
        Draw(c, 4, {Series(on), Const(80), Const(60), Const(10), Const(1005)});
        // Half a bar right (centre 60) and hollow.
        EXPECT_EQ(c.At(50, 25), kInk);  // left edge
        EXPECT_EQ(c.At(60, 30), 0u);    // inside stays empty
        EXPECT_EQ(c.At(69, 25), kInk);  // right edge
        EXPECT_EQ(c.At(45, 30), 0u);
    }
}

TEST(DrawFunctions, PolylineBridgesBarsWhereTheConditionFails) {
    std::vector<double> cond{1, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    Canvas c;
    Draw(c, 3, {Series(cond), Const(50)});
    EXPECT_EQ(c.At(30, 50), kInk);  // between bar 0 and bar 2, across bar 1
    EXPECT_EQ(c.At(100, 50), 0u);
}

TEST(DrawFunctions, BackgroundNeedsABarWhereItHolds) {
    {
        Canvas c;
        Draw(c, 19, {Const(0), Series(std::vector<double>(10, IndCommonSpace::ColorToDouble(RGB(0, 0, 255))))});
        EXPECT_EQ(c.Count(CRect(0, 0, 200, 100)), 0);
    }
    {
        std::vector<double> cond(10, 0);
        cond[3] = 1;  // x 70: column 60..80
        Canvas c;
        Draw(c, 19, {Series(cond), Series(std::vector<double>(10, IndCommonSpace::ColorToDouble(RGB(0, 0, 255))))});
        EXPECT_EQ(c.At(65, 50), RGB(0, 0, 255));
        EXPECT_EQ(c.At(65, 0), 0u);  // from the plot top + 1
        EXPECT_EQ(c.At(55, 50), 0u);
        EXPECT_EQ(c.At(85, 50), 0u);
    }
}

TEST(DrawFunctions, WrongArgumentCountOrNoThicknessDrawsNothing) {
    Canvas c;
    Draw(c, 3, {Const(1), Const(50), Const(50)});  // kind 3 takes exactly two
    Draw(c, 5, {Const(1)});                         // fewer than it needs
    auto thin = Const(1);
    thin.m_nThick = 0;
    Draw(c, 3, {thin, Const(50)});
    EXPECT_EQ(c.Count(CRect(0, 0, 200, 100)), 0);
    Draw(c, 3, {Const(1), Const(50)});
    EXPECT_GT(c.Count(CRect(0, 0, 200, 100)), 100);
}

TEST(DrawFunctions, PartLineColoursRunsAndTicksLoneBars) {
    // on, on, off, on (lone), off...: the first pair (condition 1) takes red.
    std::vector<double> cond{1, 1, 0, 1, 0, 0, 0, 0, 0, 0};
    double red = IndCommonSpace::ColorToDouble(RGB(255, 0, 0));
    Canvas c;
    Draw(c, 10, {Const(50), Series(cond), Const(red)});
    EXPECT_EQ(c.At(20, 50), RGB(255, 0, 0));  // the run of bars 0 and 1
    EXPECT_EQ(c.At(40, 50), 0u);              // off bar 2 breaks it
    EXPECT_EQ(c.At(69, 50), RGB(255, 0, 0));  // the lone bar 3: a short tick at x 70
    EXPECT_EQ(c.At(60, 50), 0u);
}

TEST(DrawFunctions, TickLineMarksBarsWhereAPairHolds) {
    std::vector<double> cond(10, 0);
    cond[4] = 1;  // x 90
    double blue = IndCommonSpace::ColorToDouble(RGB(0, 0, 255));
    Canvas c;
    Draw(c, 7, {Const(50), Const(30), Series(cond), Const(blue)});
    EXPECT_EQ(c.At(60, 50), kInk);             // the line
    EXPECT_EQ(c.At(90, 35), RGB(0, 0, 255));   // a tick 30 up at bar 4
    EXPECT_EQ(c.At(90, 22), 0u);
    EXPECT_EQ(c.At(70, 35), 0u);               // none where the condition fails
}

TEST(DrawFunctions, BandsFillBetweenTwoLinesOrBelowOne) {
    std::vector<double> cond(10, 0);
    cond[5] = 1;  // x 110: hexagon from x 100 to 120
    double green = IndCommonSpace::ColorToDouble(RGB(0, 200, 0));
    {
        Canvas c;
        Draw(c, 11, {Const(70), Const(40), Series(cond), Const(green)});
        EXPECT_EQ(c.At(110, 45), RGB(0, 200, 0));
        EXPECT_EQ(c.At(103, 55), RGB(0, 200, 0));
        EXPECT_EQ(c.At(110, 25), 0u);
        EXPECT_EQ(c.At(90, 45), 0u);
    }
    {
        Canvas c;
        Draw(c, 12, {Const(70), Const(40), Series(cond), Const(green)});  // 40 clamps to 15
        EXPECT_EQ(c.At(110, 40), RGB(0, 200, 0));
        EXPECT_EQ(c.At(110, 50), 0u);
    }
}

TEST(DrawFunctions, FixedTextAtThePixelPositionOfTheLastBar) {
    CIndicatorExp text = Text("MARK");
    Canvas c;
    Draw(c, 15, {Const(120), Const(10), text});
    EXPECT_GT(c.Count(CRect(120, 10, 200, 40)), 0);
    EXPECT_EQ(c.Count(CRect(0, 0, 118, 100)), 0);
}

TEST(DrawFunctions, BarPairColoursByWhichValueIsLarger) {
    CommonColorTable colors{};
    colors[CommonColor::uniTurnover] = RGB(200, 200, 0);
    colors[CommonColor::uniPic_Rise] = RGB(250, 0, 0);
    colors[CommonColor::uniPic_Fall] = RGB(0, 250, 0);
    colors[CommonColor::uniEqual] = RGB(100, 100, 100);
    colors[CommonColor::uniBackGround] = RGB(255, 255, 255);
    chart::PriceStyle st{&colors, 1};
    auto pane = Pane();
    pane.indicatorZeroY = 99;
    pane.map.barWidth = 2;  // sticks only
    CIndicatorDrawFunc f;
    f.m_nKind = 21;
    f.m_nEnd = 2;
    Bars bars;
    Canvas c;
    std::vector<double> b{30, 70, 50, 30, 70, 50, 30, 70, 50, 30};
    chart::DrawIndicatorFunctions(c.dc, bars, pane, {f}, {Const(50), Series(b)}, 39, -1, &st);
    EXPECT_EQ(c.At(10, 60), RGB(200, 200, 0));  // a1 < a0: stick to a0 in turnover colour
    EXPECT_EQ(c.At(10, 80), RGB(250, 0, 0));    // and to a1 in rise colour over it
    EXPECT_EQ(c.At(30, 40), RGB(0, 250, 0));    // a1 > a0: fall colour
    EXPECT_EQ(c.At(50, 60), RGB(100, 100, 100));
}

TEST(DrawFunctions, SegmentsWithEndSquaresAndExtensions) {
    std::vector<double> start(10, 0), end(10, 0);
    start[1] = 1;  // x 30, price 70 (y 30)
    end[3] = 1;    // x 70, price 50 (y 50)
    {
        Canvas c;
        Draw(c, 1, {Series(start), Const(70), Series(end), Const(50), Const(0)});
        EXPECT_EQ(c.At(50, 40), kInk);  // on the segment
        EXPECT_EQ(c.At(31, 31), kInk);  // end square, side 3
        EXPECT_EQ(c.At(110, 70), 0u);   // no extension
    }
    {
        Canvas c;
        Draw(c, 1, {Series(start), Const(70), Series(end), Const(50), Const(1)});
        EXPECT_EQ(c.At(110, 70), kInk);  // extended to the right edge
        EXPECT_EQ(c.At(10, 20), 0u);
    }
    {
        // Both conditions on the same bar with extension 11: the full plot height.
        std::vector<double> both(10, 0);
        both[4] = 1;
        Canvas c;
        Draw(c, 1, {Series(both), Const(70), Series(both), Const(50), Const(11)});
        int column = 0;
        for (int y = 0; y < 100; ++y) column += c.At(90, y) == kInk;
        EXPECT_GE(column, 99);
    }
}

TEST(DrawFunctions, PriceTextsAlignedOnTheirPoint) {
    CIndicatorExp text = Text("B");
    std::vector<double> cond(10, 0);
    cond[5] = 1;  // x 110
    auto c0 = Series(cond);
    c0.m_nHAlign = 2;  // text ends at the point
    Canvas c;
    Draw(c, 2, {c0, Const(50), text});
    EXPECT_GT(c.Count(CRect(95, 45, 111, 70)), 0);
    EXPECT_EQ(c.Count(CRect(112, 0, 200, 100)), 0);
}

TEST(DrawFunctions, TextKindsFillThePanesListsSortedByBar) {
    CIndicatorExp text = Text("S");
    std::vector<double> cond(10, 0);
    cond[6] = cond[2] = 1;
    chart::IndicatorTextLists lists;
    Bars bars;
    std::vector<CIndicatorExp> args{Series(cond), Const(50), text, Series(cond), text,
                                    Series(cond), Const(0), text};
    std::vector<CIndicatorDrawFunc> funcs(3);
    funcs[0] = {22, 0, 3};
    funcs[1] = {17, 3, 5};
    funcs[2] = {23, 5, 8};
    Canvas c;
    chart::DrawIndicatorFunctions(c.dc, bars, Pane(), funcs, args, 39, -1, nullptr, &lists);
    ASSERT_EQ(lists.positions.size(), 2u);
    EXPECT_EQ(lists.positions[0].bar, 2);
    EXPECT_EQ(lists.positions[1].bar, 6);
    EXPECT_EQ(lists.positions[1].items[0].x, 130);
    EXPECT_EQ(lists.positions[1].items[0].y, 50);
    EXPECT_EQ(lists.positions[1].items[0].text, "S");
    EXPECT_EQ(lists.titleFlags.size(), 2u);
    ASSERT_EQ(lists.hoverTips.size(), 2u);
    EXPECT_EQ(lists.hoverTips[0].items[0].y, 100 - 17);  // price 0: at the plot's foot

    chart::FlagTextList list;
    chart::AddFlagText(list, 5, {0, 0, 0, "b"});
    chart::AddFlagText(list, 1, {0, 0, 0, "a"});
    chart::AddFlagText(list, 5, {0, 0, 0, "c"});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].bar, 1);
    EXPECT_EQ(list[1].items.size(), 2u);
}

TEST(DrawFunctions, BandsPairStartAndEndBars) {
    std::vector<double> start(10, 0), end(10, 0);
    start[1] = 1;  // x 30
    end[4] = 1;    // x 90
    auto a0 = Series(start);
    a0.m_nThick = 3;
    {
        Canvas c;
        Draw(c, 8, {a0, Const(50), Series(end)});
        EXPECT_EQ(c.At(60, 49), kInk);  // three rows centred on y 50
        EXPECT_EQ(c.At(60, 51), kInk);
        EXPECT_EQ(c.At(60, 53), 0u);
        EXPECT_EQ(c.At(30, 48), kInk);  // the caps reach a row above
        EXPECT_EQ(c.At(20, 50), 0u);
        EXPECT_EQ(c.At(100, 50), 0u);
    }
    {
        // Backwards: a start at bar 4 pairs with the nearest earlier end at bar 1.
        Canvas c;
        Draw(c, 8, {Series(end), Const(50), Series(start), Const(1)});
        EXPECT_EQ(c.At(60, 50), kInk);
        EXPECT_EQ(c.At(100, 50), 0u);
    }
}

// Two 4 x 4 icons: the first a white left column, the second a white top row.
struct Strip {
    CBitmap bmp;
    CDC dc;
    Strip() {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, 8, 4);
        dc.SelectObject(&bmp);
        dc.FillSolidRect(0, 0, 8, 4, 0);
        dc.FillSolidRect(0, 0, 1, 4, RGB(255, 255, 255));
        dc.FillSolidRect(4, 0, 4, 1, RGB(255, 255, 255));
    }
};

TEST(DrawFunctions, IconsThroughTheMaskFallBackToTheFirst) {
    Canvas c;  // initialises the platform before the strip is made
    Strip strip;
    chart::IndicatorImages images{&strip.bmp, ""};
    std::vector<double> cond(10, 0);
    cond[1] = 1;  // x 30, top-left at (30, 50)
    cond[5] = 1;  // x 110
    std::vector<double> number(10, 0);
    number[5] = 2;  // second icon; bar 1 asks for icon 0, which shows the first
    CIndicatorDrawFunc f{0, 0, 3};
    Bars bars;
    std::vector<CIndicatorExp> args{Series(cond), Const(50), Series(number)};
    chart::DrawIndicatorFunctions(c.dc, bars, Pane(), {f}, args, 39, -1, nullptr, nullptr, &images);
    EXPECT_EQ(c.At(30, 53), kInk);  // left column
    EXPECT_EQ(c.At(31, 50), 0u);
    EXPECT_EQ(c.At(113, 50), kInk); // top row
    EXPECT_EQ(c.At(110, 53), 0u);
}

TEST(DrawFunctions, BitmapFilesStayInsideTheirFolder) {
    Canvas c;
    std::string dir = std::string(TARROW_BINARY_DIR) + "/chart_bmp";
    std::string cmd = "mkdir -p '" + dir + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    Strip strip;
    ASSERT_TRUE(strip.bmp.SavePng(dir + "/UP.BMP"));
    ASSERT_TRUE(strip.bmp.SavePng(std::string(TARROW_BINARY_DIR) + "/OUT.BMP"));
    chart::IndicatorImages images{nullptr, dir};
    auto name = Text;
    std::vector<double> cond(10, 0);
    cond[2] = 1;  // x 50
    Bars bars;
    CIndicatorDrawFunc f{18, 0, 3};
    chart::DrawIndicatorFunctions(c.dc, bars, Pane(), {f}, {Series(cond), Const(50), name("UP")},
                                  39, -1, nullptr, nullptr, &images);
    EXPECT_EQ(c.At(50, 53), RGB(255, 255, 255));  // copied as it is
    Canvas out;
    chart::DrawIndicatorFunctions(out.dc, bars, Pane(), {f},
                                  {Series(cond), Const(50), name("../OUT")}, 39, -1, nullptr,
                                  nullptr, &images);
    EXPECT_EQ(out.Count(CRect(0, 0, 200, 100)), 0);

    // The background kind tiles a named bitmap over its column, under the same rule.
    CIndicatorDrawFunc bg{19, 0, 2};
    Canvas tiled;
    chart::DrawIndicatorFunctions(tiled.dc, bars, Pane(), {bg}, {Series(cond), name("UP")}, 39,
                                  -1, nullptr, nullptr, &images);
    EXPECT_GT(tiled.Count(CRect(40, 1, 60, 100)), 20);
    EXPECT_EQ(tiled.Count(CRect(0, 0, 39, 100)), 0);
    Canvas escaped;
    chart::DrawIndicatorFunctions(escaped.dc, bars, Pane(), {bg}, {Series(cond), name("../OUT")},
                                  39, -1, nullptr, nullptr, &images);
    EXPECT_EQ(escaped.Count(CRect(0, 0, 200, 100)), 0);
}

}  // namespace
