// Indicator output lines in their styles, checked in pixels.
#include <gtest/gtest.h>

#include <array>

#include "chart/IndicatorLines.h"
#include "ChartCanvas.h"

namespace {

class FlatBars : public chart::IBarSource {
public:
    int16_t type = chart::kTypeDay;
    int32_t count = 10;
    std::vector<double> times;
    double GetOpen(int32_t) const override { return 10; }
    double GetHigh(int32_t) const override { return 12; }
    double GetLow(int32_t) const override { return 8; }
    double GetClose(int32_t) const override { return 11; }
    double GetVolume(int32_t) const override { return 1; }
    double GetTime(int32_t i) const override { return times.empty() ? 20240102 + i : times[i]; }
    double GetAvgPrice(int32_t) const override { return 10; }
    int32_t GetFirst() const override { return 0; }
    int32_t GetLast() const override { return count; }
    int16_t GetDataType() const override { return type; }
};

CIndicatorExp Line(int16_t style, std::vector<double> values, int32_t first = 0) {
    CIndicatorExp e;
    e.m_nStyle = style;
    e.m_bComputed = 1;
    e.m_nKind = CValueRecord::kSeries;
    e.m_aValues = std::move(values);
    e.m_nFirst = first;
    e.m_nLast = static_cast<int32_t>(e.m_aValues.size()) - 1;
    return e;
}

// 20 pixels per bar from x 10; value v at y 100 - v; zero at y 99 (clamped) on both axes.
chart::IndicatorPane Pane(int32_t bars = 10) {
    chart::IndicatorPane p;
    p.map.rect = CRect(0, 0, 200, 100);
    p.map.end = bars;
    p.map.barWidth = 20;
    p.map.indexToX = [](int32_t i) { return 10 + 20 * i; };
    p.map.valueToY = [](double v) { return std::clamp(static_cast<int>(100 - v), 0, 99); };
    p.priceZeroY = 99;
    p.indicatorZeroY = 50;
    return p;
}

struct Palette {
    std::array<COLORREF, CIndicatorExp::kPaletteSize> table{};
    COLORREF* saved;
    Palette() : saved(CIndicatorExp::m_pColor) {
        for (int k = 0; k < CIndicatorExp::kPaletteSize; ++k) table[k] = RGB(k * 4, 255 - k * 4, 128);
        CIndicatorExp::m_pColor = table.data();
    }
    ~Palette() { CIndicatorExp::m_pColor = saved; }
};

TEST(IndicatorLines, ColourIndexesStartAt41OnTheIntradayMainPane) {
    Palette pal;
    FlatBars bars;
    bars.type = chart::kTypeHistoryIntraday;
    for (int k = 0; k < 10; ++k) bars.times.push_back(202401020931.0 + k);
    CommonColorTable colors{};
    chart::PriceStyle st{&colors, 1};
    auto pane = Pane();
    pane.mainPane = true;
    std::vector<CIndicatorExp> lines{Line(1, std::vector<double>(10, 80)),
                                     Line(1, std::vector<double>(10, 60)),
                                     Line(1, std::vector<double>(10, 40))};
    Canvas c;
    EXPECT_EQ(chart::DrawIndicatorLines(c.dc, bars, pane, st, lines), 44);
    EXPECT_EQ(c.At(100, 20), pal.table[41]);
    EXPECT_EQ(c.At(100, 40), pal.table[42]);
    EXPECT_EQ(c.At(100, 60), pal.table[43]);

    pane.mainPane = false;  // any other pane starts at 39
    Canvas other;
    EXPECT_EQ(chart::DrawIndicatorLines(other.dc, bars, pane, st, lines), 42);
    EXPECT_EQ(other.At(100, 20), pal.table[39]);
}

TEST(IndicatorLines, SkippedLinesStillTakeTheirColour) {
    Palette pal;
    FlatBars bars;
    CommonColorTable colors{};
    chart::PriceStyle st{&colors, 1};
    auto pane = Pane();
    pane.mainPane = true;
    pane.drawMA = false;
    std::vector<CIndicatorExp> lines{Line(1, std::vector<double>(10, 80)),
                                     Line(0, std::vector<double>(10, 70)),  // no colour
                                     Line(1, std::vector<double>(10, 60))};
    lines[0].m_bMainChart = 1;  // hidden while moving averages are off
    Canvas c;
    EXPECT_EQ(chart::DrawIndicatorLines(c.dc, bars, pane, st, lines), 41);
    EXPECT_EQ(c.At(100, 20), 0u);
    EXPECT_EQ(c.At(100, 30), 0u);
    EXPECT_EQ(c.At(100, 40), pal.table[40]);
}

TEST(IndicatorLines, ShiftFirstValidAndMissingValues) {
    Palette pal;
    FlatBars bars;
    CommonColorTable colors{};
    chart::PriceStyle st{&colors, 1};
    auto line = Line(7, std::vector<double>(10, 50), 3);  // crosses from bar 3
    line.m_nShift = 2;
    Canvas c;
    chart::DrawIndicatorLines(c.dc, bars, Pane(), st, {line});
    const COLORREF ink = pal.table[39];
    EXPECT_EQ(c.At(90, 50), 0u);   // bar 4: value 2 is before the first valid one
    EXPECT_EQ(c.At(110, 50), ink); // bar 5 shows value 3
    EXPECT_EQ(c.At(190, 50), ink); // bar 9 shows value 7; values 8 and 9 land out of view
}

TEST(IndicatorLines, ColourSticksAndColourBars) {
    Palette pal;
    FlatBars bars;
    CommonColorTable colors{};
    colors[CommonColor::uniRise] = RGB(255, 0, 0);
    colors[CommonColor::uniFall] = RGB(0, 255, 0);
    colors[CommonColor::uniPic_Rise] = RGB(250, 0, 0);
    colors[CommonColor::uniPic_Fall] = RGB(0, 250, 0);
    colors[CommonColor::uniBackGround] = RGB(255, 255, 255);
    chart::PriceStyle st{&colors, 1};
    // 70 and 30 around the indicator zero at y 50 (value 50 is y 50 on this mapping).
    std::vector<double> v{70, 30, 70, 30, 70, 30, 70, 30, 70, 30};
    {
        Canvas c;
        chart::DrawIndicatorLines(c.dc, bars, Pane(), st, {Line(3, v)});
        EXPECT_EQ(c.At(10, 40), RGB(255, 0, 0));  // above 0: rise colour, from y 30 to 50
        EXPECT_EQ(c.At(30, 60), RGB(255, 0, 0));  // 30 is above 0 too
        EXPECT_EQ(c.At(10, 25), 0u);
    }
    {
        std::vector<double> signed_v{20, -20, 20, -20, 20, -20, 20, -20, 20, -20};
        auto pane = Pane();
        pane.map.valueToY = [](double x) { return std::clamp(static_cast<int>(50 - x), 0, 99); };
        Canvas c;
        chart::DrawIndicatorLines(c.dc, bars, pane, st, {Line(9, signed_v)});
        // Bars of half-width 7: rise above the zero line, fall below, gradient across.
        COLORREF up = c.At(10, 40), down = c.At(30, 60);
        EXPECT_GT(GetRValue(up), GetGValue(up));
        EXPECT_GT(GetGValue(down), GetRValue(down));
        EXPECT_NE(c.At(4, 40), 0u);
        EXPECT_EQ(c.At(2, 40), 0u);
        EXPECT_EQ(c.At(10, 25), 0u);
    }
}

TEST(IndicatorLines, SticksReachThePriceAxisZero) {
    Palette pal;
    FlatBars bars;
    CommonColorTable colors{};
    chart::PriceStyle st{&colors, 1};
    Canvas c;
    chart::DrawIndicatorLines(c.dc, bars, Pane(), st, {Line(4, std::vector<double>(10, 60))});
    const COLORREF ink = pal.table[39];
    EXPECT_EQ(c.At(10, 40), ink);
    EXPECT_EQ(c.At(10, 98), ink);
    EXPECT_EQ(c.At(10, 39), 0u);
    EXPECT_EQ(c.At(20, 60), 0u);
}

}  // namespace
