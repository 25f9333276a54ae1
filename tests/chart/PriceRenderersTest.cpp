// Price renderers and gap boxes against a table of bars and a linear pane mapping.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "chart/GapBoxes.h"
#include "chart/PriceRenderers.h"
#include "platform/App.h"

namespace {

class ChartEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_chart";
        static char* argv[] = {name, nullptr};
        platform::Initialize(argc, argv);
    }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new ChartEnvironment);

struct Bar {
    double open, high, low, close, volume = 100, time = 20240102;
};

class Bars : public chart::IBarSource {
public:
    std::vector<Bar> v;
    int16_t type = chart::kTypeDay;
    int32_t first = 0;
    double GetOpen(int32_t i) const override { return v[i].open; }
    double GetHigh(int32_t i) const override { return v[i].high; }
    double GetLow(int32_t i) const override { return v[i].low; }
    double GetClose(int32_t i) const override { return v[i].close; }
    double GetVolume(int32_t i) const override { return v[i].volume; }
    double GetTime(int32_t i) const override { return v[i].time; }
    double GetAvgPrice(int32_t i) const override { return v[i].open; }
    int32_t GetFirst() const override { return first; }
    int32_t GetLast() const override { return static_cast<int32_t>(v.size()); }
    int16_t GetDataType() const override { return type; }
};

// 10 pixels per bar from x = 5, one pixel per price unit with 100 at y = 0.
chart::PaneMapping Mapping(const Bars& b, double barWidth = 10) {
    chart::PaneMapping m;
    m.rect = CRect(0, 0, 120, 100);
    m.start = 0;
    m.end = static_cast<int32_t>(b.v.size());
    m.barWidth = barWidth;
    m.indexToX = [barWidth](int32_t i) { return 5 + static_cast<int>(i * barWidth); };
    m.valueToY = [](double v) { return std::clamp(static_cast<int>(std::lround(100 - v)), 0, 99); };
    return m;
}

CommonColorTable Colors() {
    CommonColorTable t{};
    SetDefaultCommonColours(t);
    t[CommonColor::uniPic_Rise] = RGB(255, 0, 0);
    t[CommonColor::uniPic_Fall] = RGB(0, 160, 0);
    t[CommonColor::uniPic_OtherPeriod] = RGB(0, 0, 255);
    t[CommonColor::uniBackGround] = RGB(0, 0, 0);
    return t;
}

constexpr COLORREF kBack = RGB(0, 0, 0);

struct Canvas {
    CBitmap bmp;
    CDC dc;
    Canvas(int w = 120, int h = 100) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        dc.SelectObject(&bmp);
        dc.FillSolidRect(0, 0, w, h, kBack);
    }
    COLORREF At(int x, int y) const { return dc.GetPixel(x, y) & 0xFFFFFF; }
};

// --- direction and geometry ---

TEST(Candles, DirectionTable) {
    struct Case {
        const char* name;
        double prevClose, open, close;
        bool falling;
    } cases[] = {
        {"close above open", 50, 50, 55, false},
        {"close below open", 50, 55, 50, true},
        {"doji below previous close", 60, 55, 55, true},
        {"doji above previous close", 50, 55, 55, false},
        {"doji at previous close", 55, 55, 55, false},
    };
    for (const auto& c : cases) {
        Bars b;
        b.v = {{c.prevClose, 70, 40, c.prevClose}, {c.open, 70, 40, c.close}};
        EXPECT_EQ(chart::IsFallingBar(b, 1), c.falling) << c.name;
    }
    // The first bar of the data compares a doji with its own open: rising.
    Bars one;
    one.v = {{55, 60, 50, 55}};
    EXPECT_FALSE(chart::IsFallingBar(one, 0));
}

TEST(Candles, BodyAndWickGeometry) {
    Bars b;
    b.v = {{50, 80, 30, 70}, {70, 75, 20, 40}};  // rising, then falling
    auto m = Mapping(b, 11);                     // half-width 4
    auto up = chart::CandleAt(b, m, 0);
    ASSERT_TRUE(up.hasBody);
    EXPECT_FALSE(up.falling);
    EXPECT_EQ(up.body, CRect(1, 30, 10, 51));  // x 5 ± 4, close 70 to open 50 inclusive
    EXPECT_EQ(up.upperWick[0], CPoint(5, 30));
    EXPECT_EQ(up.upperWick[1], CPoint(5, 20));
    EXPECT_EQ(up.lowerWick[0], CPoint(5, 50));
    EXPECT_EQ(up.lowerWick[1], CPoint(5, 70));

    auto down = chart::CandleAt(b, m, 1);
    EXPECT_TRUE(down.falling);
    EXPECT_EQ(down.body, CRect(12, 30, 21, 61));
    EXPECT_EQ(down.upperWick[0], CPoint(16, 30));  // from the open up to the high
    EXPECT_EQ(down.upperWick[1], CPoint(16, 25));
    EXPECT_EQ(down.lowerWick[0], CPoint(16, 60));  // from the close down to the low
    EXPECT_EQ(down.lowerWick[1], CPoint(16, 80));
}

TEST(Candles, NarrowBarsAreHighLowLines) {
    Bars b;
    b.v = {{50, 80, 30, 70}};
    for (double width : {0.0, 1.0, 2.7}) {
        auto g = chart::CandleAt(b, Mapping(b, width), 0);
        EXPECT_FALSE(g.hasBody) << width;
        EXPECT_EQ(g.upperWick[0], CPoint(5, 20)) << width;
        EXPECT_EQ(g.upperWick[1], CPoint(5, 70)) << width;
    }
    EXPECT_TRUE(chart::CandleAt(b, Mapping(b, 2.75), 0).hasBody);
}

// --- pixels ---

TEST(CandlePixels, RisingFallingAndDojiColours) {
    Bars b;
    //            rising            falling           doji below prev close
    b.v = {{50, 80, 30, 70}, {70, 75, 20, 40}, {35, 50, 30, 35}};
    auto colors = Colors();
    chart::PriceStyle st{&colors, 1};
    Canvas c;
    auto m = Mapping(b, 11);
    chart::DrawPriceSeries(c.dc, b, m, st, chart::kKLineTower, 0);
    const COLORREF rise = colors[CommonColor::uniPic_Rise], fall = colors[CommonColor::uniPic_Fall];
    EXPECT_EQ(c.At(1, 40), rise);   // body edge
    EXPECT_EQ(c.At(9, 50), rise);   // bottom row of the body is drawn
    EXPECT_EQ(c.At(10, 40), kBack); // right of the body
    EXPECT_EQ(c.At(5, 21), rise);   // upper wick
    EXPECT_EQ(c.At(5, 69), rise);   // lower wick
    EXPECT_EQ(c.At(4, 25), kBack);  // wicks are one pixel wide
    EXPECT_EQ(c.At(16, 50), fall);
    EXPECT_EQ(c.At(16, 26), fall);
    EXPECT_EQ(c.At(16, 79), fall);
    EXPECT_EQ(c.At(27, 65), fall);  // the doji body row
    EXPECT_EQ(c.At(23, 65), fall);
    c.bmp.SavePng(std::string(TARROW_BINARY_DIR) + "/chart_candles.png");
}

TEST(CandlePixels, OnlyVisibleLoadedBarsAreDrawn) {
    Bars b;
    b.v = {{50, 80, 30, 70}, {50, 80, 30, 70}, {50, 80, 30, 70}, {50, 80, 30, 70}};
    b.first = 1;  // bar 0 not loaded
    auto colors = Colors();
    chart::PriceStyle st{&colors, 1};
    Canvas c;
    auto m = Mapping(b, 11);
    m.end = 3;  // bar 3 scrolled out
    chart::DrawCandles(c.dc, b, m, st);
    const COLORREF rise = colors[CommonColor::uniPic_Rise];
    EXPECT_EQ(c.At(5, 40), kBack);
    EXPECT_EQ(c.At(16, 40), rise);
    EXPECT_EQ(c.At(27, 40), rise);
    EXPECT_EQ(c.At(38, 40), kBack);
}

TEST(CandlePixels, WidthOneBarsDrawHighLowLinesInTheirColour) {
    Bars b;
    b.v = {{50, 80, 30, 70}, {70, 75, 20, 40}};
    auto colors = Colors();
    chart::PriceStyle st{&colors, 1};
    Canvas c;
    auto m = Mapping(b, 1);  // x = 5 and 6
    chart::DrawCandles(c.dc, b, m, st);
    EXPECT_EQ(c.At(5, 20), colors[CommonColor::uniPic_Rise]);
    EXPECT_EQ(c.At(5, 69), colors[CommonColor::uniPic_Rise]);
    EXPECT_EQ(c.At(6, 25), colors[CommonColor::uniPic_Fall]);
    EXPECT_EQ(c.At(6, 79), colors[CommonColor::uniPic_Fall]);
    EXPECT_EQ(c.At(4, 40), kBack);
    EXPECT_EQ(c.At(7, 40), kBack);
}

TEST(OtherStyles, AmericanPriceTicksAndCompressed) {
    Bars b;
    b.v = {{50, 80, 30, 70, 100}, {70, 75, 20, 40, 300}};
    auto colors = Colors();
    chart::PriceStyle st{&colors, 1};
    const COLORREF other = colors[CommonColor::uniPic_OtherPeriod];
    auto m = Mapping(b, 11);
    {
        Canvas c;
        chart::DrawPriceSeries(c.dc, b, m, st, chart::kKLineAmerican, 0);
        // High (y 20) to low (y 70) reaching one pixel above the high, less the end point.
        int drawn = 0;
        for (int y = 0; y < 100; ++y) drawn += c.At(5, y) == other;
        EXPECT_EQ(drawn, 51);
        for (int y = 20; y < 70; ++y) ASSERT_EQ(c.At(5, y), other) << y;
        EXPECT_EQ(c.At(9, 30), other);  // close tick to the right
        EXPECT_EQ(c.At(3, 50), kBack);  // no open tick
    }
    {
        Canvas c;
        chart::DrawPriceSeries(c.dc, b, m, st, chart::kKLinePrice, 0);
        EXPECT_EQ(c.At(5, 30), other);
        EXPECT_EQ(c.At(10, 44), other);  // along the line to (16, 60)
    }
    {
        Canvas c;
        b.type = chart::kTypeTicks;
        chart::DrawPriceSeries(c.dc, b, m, st, chart::kKLineCandles, 0);
        EXPECT_EQ(c.At(1, 26), other);  // x - 4, y - 4
        EXPECT_EQ(c.At(9, 26), other);
        EXPECT_EQ(c.At(5, 40), kBack);
        b.type = chart::kTypeDay;
    }
    {
        Canvas c;
        // Average 200: the first body narrows to half, the second widens.
        chart::DrawPriceSeries(c.dc, b, m, st, chart::kKLineCompressed, 200);
        const COLORREF rise = colors[CommonColor::uniPic_Rise], fall = colors[CommonColor::uniPic_Fall];
        EXPECT_EQ(c.At(3, 40), rise);   // hollow outline at x - 2
        EXPECT_EQ(c.At(4, 40), kBack);  // inside the hollow body
        EXPECT_EQ(c.At(1, 40), kBack);  // the normal half-width is not used
        EXPECT_EQ(c.At(10, 40), fall);  // 16 - 6
        EXPECT_EQ(c.At(22, 40), fall);
    }
}

TEST(VolumeBars, ZeroTinyFallingAndHollow) {
    Bars b;
    b.v = {{50, 80, 30, 70, 40}, {70, 75, 20, 40, 0}, {40, 45, 35, 42, 0.2}, {42, 45, 35, 41, 60}};
    auto colors = Colors();
    chart::PriceStyle st{&colors, 1};
    auto m = Mapping(b, 11);
    Canvas c;
    chart::DrawVolumeBars(c.dc, b, m, st);
    const COLORREF rise = colors[CommonColor::uniPic_Rise], fall = colors[CommonColor::uniPic_Fall];
    // y0 = 99 (clamped value 0); volume 40 reaches y 60.
    EXPECT_EQ(c.At(1, 70), rise);   // hollow rising bar: outline
    EXPECT_EQ(c.At(5, 70), kBack);  // and no fill
    for (int y = 0; y < 100; ++y) ASSERT_EQ(c.At(16, y), kBack) << "volume 0 draws nothing, y " << y;
    EXPECT_EQ(c.At(27, 98), rise);  // tiny volume: one pixel
    EXPECT_EQ(c.At(27, 97), kBack);
    EXPECT_EQ(c.At(38, 70), fall);  // falling bar filled
}

TEST(IntradayLine, NewDayStartsAnUnconnectedSegment) {
    Bars b;
    b.type = chart::kTypeHistoryIntraday;
    // Day one: 3 minutes climbing; day two: 2 minutes, then a lone newest bar of day three.
    b.v = {{40, 0, 0, 50, 1, 202401020931}, {40, 0, 0, 50, 1, 202401020932},
           {40, 0, 0, 50, 1, 202401020933}, {60, 0, 0, 30, 1, 202401030931},
           {60, 0, 0, 30, 1, 202401030932}, {70, 0, 0, 80, 1, 202401040931}};
    auto colors = Colors();
    chart::PriceStyle st{&colors, 1};
    auto m = Mapping(b, 10);  // x = 5, 15, ... 55
    Canvas c;
    const COLORREF ink = RGB(255, 255, 0);
    // The average line draws the opens (the fixture's average price) with no area.
    chart::DrawIntradayLine(c.dc, b, m, st, ink, 1, chart::kIntradayAverage);
    EXPECT_EQ(c.At(10, 60), ink);   // inside day one
    EXPECT_EQ(c.At(30, 50), kBack); // no joint from day one (y 60) to day two (y 40)
    EXPECT_EQ(c.At(30, 55), kBack);
    EXPECT_EQ(c.At(30, 45), kBack);
    EXPECT_EQ(c.At(40, 40), ink);   // inside day two
    EXPECT_EQ(c.At(55, 30), ink);   // the lone newest bar is one pixel
    EXPECT_EQ(c.At(50, 35), kBack);
    EXPECT_EQ(c.At(54, 30), kBack);
}

TEST(IntradayLine, PriceAreaIsAHalfTransparentGradient) {
    Bars b;
    b.type = chart::kTypeIntraday;
    for (int k = 0; k < 12; ++k) b.v.push_back({50, 0, 0, 90, 1, 202401020931.0 + k});
    auto colors = Colors();
    colors[CommonColor::uniPic_CurPicBack_Begin] = RGB(0, 0, 255);
    colors[CommonColor::uniPic_CurPicBack_End] = RGB(0, 255, 0);
    colors[CommonColor::uniPic_CurPic_Price] = RGB(255, 255, 255);
    chart::PriceStyle st{&colors, 1};
    auto m = Mapping(b, 10);
    Canvas c;
    chart::DrawPriceSeries(c.dc, b, m, st, chart::kKLineCandles, 0);
    COLORREF high = c.At(60, 15), low = c.At(60, 95);
    // Over a black background, half of each end colour; blue fades into green downwards.
    EXPECT_GT(GetBValue(high), GetGValue(high));
    EXPECT_GT(GetGValue(low), GetBValue(low));
    EXPECT_LT(GetBValue(high), 200);
    EXPECT_GT(GetBValue(high), 60);
    EXPECT_EQ(c.At(60, 5), kBack);  // nothing above the price line
    c.bmp.SavePng(std::string(TARROW_BINARY_DIR) + "/chart_intraday.png");
}

// --- gaps ---

struct GapCase {
    const char* name;
    std::vector<std::pair<double, double>> lowHigh;  // oldest first
    std::vector<chart::GapSpan> expected;            // newest first
};

TEST(Gaps, FindingTable) {
    const GapCase cases[] = {
        {"no gap", {{1, 2}, {9, 11}, {10, 12}, {11, 13}}, {}},
        {"gap up", {{1, 2}, {9, 10}, {12, 14}, {13, 15}}, {{1, 10, 12, 9}}},
        {"gap down", {{1, 2}, {12, 14}, {9, 10}, {8, 9.5}}, {{1, 10, 12, 8}}},
        {"equal prices", {{1, 2}, {9, 10}, {10, 11}, {10.5, 12}}, {}},
        {"difference of 0.001 is no gap", {{1, 2}, {9, 10}, {10.001, 11}, {10.5, 12}}, {}},
        {"a little above 0.001 is a gap", {{1, 2}, {9, 10}, {10.0015, 11}, {10.5, 12}},
         {{1, 10, 10.0015, 9}}},
        {"gap up partly filled by a newer bar", {{1, 2}, {9, 10}, {14, 16}, {12, 15}},
         {{1, 10, 12, 9}}},
        {"gap up fully filled", {{1, 2}, {9, 10}, {14, 16}, {9.5, 15}}, {}},
        {"gap down partly filled", {{1, 2}, {12, 14}, {6, 8}, {7, 10}}, {{1, 10, 12, 6}}},
        {"first visible pair is not examined", {{9, 10}, {12, 14}, {13, 15}}, {}},
    };
    for (const auto& c : cases) {
        Bars b;
        for (auto [lo, hi] : c.lowHigh) b.v.push_back({lo, hi, lo, hi});
        auto got = chart::FindGaps(b, 0, static_cast<int32_t>(b.v.size()));
        ASSERT_EQ(got.size(), c.expected.size()) << c.name;
        for (size_t k = 0; k < got.size(); ++k) {
            EXPECT_EQ(got[k].older, c.expected[k].older) << c.name;
            EXPECT_DOUBLE_EQ(got[k].lower, c.expected[k].lower) << c.name;
            EXPECT_DOUBLE_EQ(got[k].upper, c.expected[k].upper) << c.name;
            EXPECT_DOUBLE_EQ(got[k].lowAfter, c.expected[k].lowAfter) << c.name;
        }
    }
}

TEST(Gaps, DayDataStopsAtThirteenMonthsMinuteDataDoesNot) {
    Bars b;
    // Gap up between bars 1 and 2 dated 2023-01; the newest bars in 2024-02.
    b.v = {{1, 2, 1, 2, 0, 20221201}, {9, 10, 9, 10, 0, 20230105}, {12, 14, 12, 14, 0, 20230110},
           {13, 15, 13, 15, 0, 20240201}, {14, 16, 14, 16, 0, 20240202}};
    EXPECT_TRUE(chart::FindGaps(b, 0, 5).empty());  // 13 months back
    b.v[2].time = 20230115;
    b.v[3].time = 20240115;
    b.v[4].time = 20240131;
    b.v[2].time = 20230201;  // 12 months back: still shown
    EXPECT_EQ(chart::FindGaps(b, 0, 5).size(), 1u);
    b.type = chart::kTypeMinute;
    b.v[2].time = 20200101;
    EXPECT_EQ(chart::FindGaps(b, 0, 5).size(), 1u);
}

TEST(Gaps, MissingOlderBarIsNoGap) {
    Bars b;
    b.v = {{1, 2, 1, 2}, {9, 10, 9, 10}, {12, 14, 12, 14}, {13, 15, 13, 15}};
    b.first = 2;  // bar 1 not loaded: it must not read as a price of 0
    EXPECT_TRUE(chart::FindGaps(b, 0, 4).empty());
}

TEST(Gaps, BoxAndLabelLayout) {
    Bars b;
    b.v = {{1, 2, 1, 2}, {50, 55, 50, 55}, {60, 65, 60, 65}, {61, 66, 61, 66}};
    auto m = Mapping(b, 11);
    auto boxes = chart::LayoutGapBoxes(b, m, [](const std::string&) { return CSize(30, 8); });
    ASSERT_EQ(boxes.size(), 1u);
    // x of bar 1 = 16; upper 60 -> y 40, lower 55 -> y 45 moved up to 44.
    EXPECT_EQ(boxes[0].box, CRect(16, 40, 120, 44));
    EXPECT_EQ(boxes[0].text, "55.00 - 60.00");
    EXPECT_EQ(boxes[0].label, CRect(28, 32, 58, 40));  // on the box's top edge, bw + 1 right

    auto wide = chart::LayoutGapBoxes(b, m, [](const std::string&) { return CSize(200, 8); });
    ASSERT_EQ(wide.size(), 1u);
    EXPECT_EQ(wide[0].label.left, 16 - 200 - 12);  // wider than the box: left of the bar
    EXPECT_EQ(wide[0].label.bottom, 40);
}

TEST(Gaps, DrawnGreyOnDayDataOnly) {
    Bars b;
    b.v = {{1, 2, 1, 2}, {50, 55, 50, 55}, {60, 65, 60, 65}, {61, 66, 61, 66}};
    auto colors = Colors();
    auto m = Mapping(b, 11);
    Canvas c;
    chart::DrawGapBoxes(c.dc, b, m, colors, nullptr);
    EXPECT_EQ(c.At(100, 42), RGB(128, 128, 128));
    EXPECT_EQ(c.At(100, 45), kBack);
    c.bmp.SavePng(std::string(TARROW_BINARY_DIR) + "/chart_gaps.png");
    Canvas intraday;
    b.type = chart::kTypeIntraday;
    chart::DrawGapBoxes(intraday.dc, b, m, colors, nullptr);
    EXPECT_EQ(intraday.At(100, 42), kBack);
}

}  // namespace
