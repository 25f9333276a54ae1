// Value axis: mapping for every scale type, steps against hand-worked numbers, label
// formats and the multiplier, and the number formats the axis writes with.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "chart/AxeY.h"
#include "ChartCanvas.h"
#include "chart/ChartFormats.h"
#include "ui/CommonVar.h"

using chart::CAxeY;

namespace {

CAxeY Axis(double max, double min, int top = 0, int bottom = 100, int16_t type = 0) {
    CAxeY a;
    a.m_rcValue = CRect(0, top, 60, bottom);
    a.m_fMax = max;
    a.m_fMin = min;
    a.m_nType = type;
    return a;
}

struct MapCase {
    const char* name;
    int16_t type;
    double max, min, value;
    bool flipped, clamp;
    int row;
};

TEST(AxeYMapping, ValueToPixelTable) {
    const MapCase cases[] = {
        {"middle", 0, 110, 10, 60, false, false, 50},
        {"top", 0, 110, 10, 110, false, false, 0},
        {"bottom unclamped", 0, 110, 10, 10, false, false, 100},
        {"bottom clamped", 0, 110, 10, 10, false, true, 99},
        {"above clamped", 0, 110, 10, 500, false, true, 0},
        {"flipped min on top", 0, 110, 10, 10, true, false, 0},
        {"flipped max at bottom", 0, 110, 10, 110, true, false, 100},
        {"flat range middle row", 0, 5, 5, 7, false, false, 50},
        {"range within 0.0001", 0, 5.00005, 5, 1, false, false, 50},
        // ln 100 - ln 10 over ln 100 - ln 1: half way.
        {"log half", 2, 100, 1, 10, false, false, 50},
        {"equal-ratio log half", 4, 100, 1, 10, false, false, 50},
        // A non-positive value is raised to 0.0001: (ln 100 - ln 1e-4) / ln 100 = 3.
        {"log of negative", 2, 100, 1, -5, false, false, 299},  // 3 - ulp, truncated
        {"log of zero clamped", 2, 100, 1, 0, false, true, 99},
        {"log flipped", 2, 100, 1, 10, true, false, 50},
        // Uncomputed log range with a minimum of 0: floor keeps it finite.
        {"log with zero minimum", 2, 100, 0, 0.0001, false, false, 100},
    };
    for (const MapCase& c : cases) {
        CAxeY a = Axis(c.max, c.min, 0, 100, c.type);
        a.m_bFlipped = c.flipped;
        EXPECT_EQ(a.ValueToPixel(c.value, c.clamp), c.row) << c.name;
    }
}

TEST(AxeYMapping, DegenerateRectanglesAndValues) {
    CAxeY a = Axis(110, 10, 40, 40);
    EXPECT_EQ(a.ValueToPixel(60, true), 40);
    EXPECT_DOUBLE_EQ(a.PixelToValue(7), 60);
    a.m_rcValue = CRect(0, 50, 10, 20);  // inverted
    EXPECT_EQ(a.ValueToPixel(60, false), 35);
    CAxeY b = Axis(110, 10);
    EXPECT_EQ(b.ValueToPixel(std::nan(""), false), 50);
    EXPECT_EQ(b.ValueToPixel(1e300, true), 0);
    CAxeY logFlat = Axis(0, 0, 0, 100, 2);  // both floors equal
    EXPECT_EQ(logFlat.ValueToPixel(5, false), 50);
}

TEST(AxeYMapping, PixelToValueInvertsEveryType) {
    for (int16_t type : {0, 1, 2, 3, 4}) {
        for (int flipped : {0, 1}) {
            CAxeY a = Axis(200, 20, 10, 210, type);
            a.m_bFlipped = flipped;
            for (int row : {10, 60, 135, 209}) {
                const double v = a.PixelToValue(row);
                EXPECT_TRUE(std::isfinite(v));
                EXPECT_NEAR(a.ValueToPixel(v + 1e-9 * (flipped ? 1 : -1), false), row, 1)
                    << "type " << type << " row " << row;
            }
        }
    }
    EXPECT_DOUBLE_EQ(Axis(110, 10).PixelToValue(50), 60);
    CAxeY log = Axis(100, 1, 0, 100, 2);
    EXPECT_NEAR(log.PixelToValue(50), 10, 1e-9);
}

class AxeYScale : public ::testing::Test {
protected:
    void SetUp() override { GetCommonVar()->m_nChartTextHeight = 12; }  // labels 24 px
};

TEST_F(AxeYScale, StepsFromHandWorkedNumbers) {
    // 200 px, 10..20, decimals 2: rough step 10 / 50 = 0.2, first candidate above it 0.5;
    // 20 steps of 10 px; labels need 24 px -> 2 steps -> label step 1, every 2nd tick.
    CAxeY a = Axis(20, 10, 0, 200);
    a.CalcScale();
    ASSERT_TRUE(a.m_bScaleValid);
    EXPECT_DOUBLE_EQ(a.m_fStep, 0.5);
    EXPECT_DOUBLE_EQ(a.m_fLabelStep, 1);
    EXPECT_EQ(a.m_nLabelEvery, 2);
    EXPECT_EQ(a.m_nMultiplier, 1u);

    // 400 px, 0..1,000,000, decimals 0: rough 10,000 -> step 20,000; 8 px per step, 3
    // steps per label -> 60,000 -> label step 100,000 (every 5th), multiplier 100.
    CAxeY big = Axis(1000000, 0, 0, 400);
    big.m_nDecimals = 0;
    big.CalcScale();
    ASSERT_TRUE(big.m_bScaleValid);
    EXPECT_DOUBLE_EQ(big.m_fStep, 20000);
    EXPECT_DOUBLE_EQ(big.m_fLabelStep, 100000);
    EXPECT_EQ(big.m_nLabelEvery, 5);
    EXPECT_EQ(big.m_nMultiplier, 100u);
}

TEST_F(AxeYScale, FlatRangesAreWidened) {
    CAxeY a = Axis(10, 10);
    a.m_nDecimals = 3;
    a.CalcScale();
    EXPECT_TRUE(a.m_bScaleValid);
    EXPECT_DOUBLE_EQ(a.m_fMax, 10.001);
    EXPECT_DOUBLE_EQ(a.m_fMin, 9.999);

    CAxeY z = Axis(5, 4.5);
    z.m_nDecimals = 0;  // widened upward only
    z.CalcScale();
    EXPECT_TRUE(z.m_bScaleValid);
    EXPECT_DOUBLE_EQ(z.m_fMax, 6);
    EXPECT_DOUBLE_EQ(z.m_fMin, 4.5);

    CAxeY automatic = Axis(3, 3);
    automatic.m_nDecimals = -1;
    automatic.CalcScale();
    EXPECT_TRUE(automatic.m_bScaleValid);
    EXPECT_DOUBLE_EQ(automatic.m_fMax, 3.0001);
}

TEST_F(AxeYScale, InvalidInputsLeaveTheScaleInvalid) {
    CAxeY empty = Axis(20, 10, 5, 5);
    empty.CalcScale();
    EXPECT_FALSE(empty.m_bScaleValid);
    CAxeY percent = Axis(20, 10, 0, 200, 1);
    percent.m_fBaseValue = 0;
    percent.CalcScale();
    EXPECT_FALSE(percent.m_bScaleValid);
    CAxeY change = Axis(20, 10, 0, 200, 3);
    change.m_fBasePrice = 0.00005;
    change.CalcScale();
    EXPECT_FALSE(change.m_bScaleValid);
    CAxeY nan = Axis(std::nan(""), 1, 0, 200);
    nan.CalcScale();
    EXPECT_FALSE(nan.m_bScaleValid);
    EXPECT_TRUE(nan.BuildTicks().empty());
}

TEST_F(AxeYScale, PercentTypesWorkInPercent) {
    // Type 1: 9.5..11 over base 10 is 95..110 %.
    CAxeY a = Axis(11, 9.5, 0, 200, 1);
    a.m_fBaseValue = 10;
    a.CalcScale();
    ASSERT_TRUE(a.m_bScaleValid);
    EXPECT_DOUBLE_EQ(a.m_fPercentMax, 110);
    EXPECT_DOUBLE_EQ(a.m_fPercentMin, 95);
    // Labels read the change from the base: the tick at 9.5 says -5.
    const auto ticks = a.BuildTicks();
    ASSERT_FALSE(ticks.empty());
    EXPECT_NEAR(ticks.front().label, -5, 1e-9);
    EXPECT_NEAR(ticks.front().value, 9.5, 1e-9);
    EXPECT_EQ(ticks.front().row, 200);

    // Type 3 about a previous close of 10: 9..11 is -10..+10 %.
    CAxeY c = Axis(11, 9, 0, 200, 3);
    c.m_fBasePrice = 10;
    c.CalcScale();
    EXPECT_NEAR(c.m_fPercentMax, 10, 1e-9);
    EXPECT_NEAR(c.m_fPercentMin, -10, 1e-9);
    bool zeroAtMiddle = false;
    for (const auto& t : c.BuildTicks())
        if (std::fabs(t.label) < 1e-9) zeroAtMiddle = t.row == 100;
    EXPECT_TRUE(zeroAtMiddle);

    // A flat type-3 range is widened in percent and mapped back into prices.
    CAxeY flat = Axis(10, 10, 0, 200, 3);
    flat.m_fBasePrice = 10;
    flat.CalcScale();
    EXPECT_TRUE(flat.m_bScaleValid);
    EXPECT_NEAR(flat.m_fPercentMax, 0.01, 1e-12);
    EXPECT_NEAR(flat.m_fMax, 10.001, 1e-12);
}

TEST_F(AxeYScale, TicksOfEqualRatioAndFlippedAxes) {
    CAxeY r = Axis(20, 10, 0, 200, 4);
    r.CalcScale();
    const auto ticks = r.BuildTicks();
    ASSERT_GE(ticks.size(), 3u);
    EXPECT_DOUBLE_EQ(ticks[0].value, 10);
    EXPECT_DOUBLE_EQ(ticks[1].value, 11);
    EXPECT_NEAR(ticks[2].value, 12.1, 1e-12);
    for (const auto& t : ticks) EXPECT_TRUE(t.major);

    CAxeY f = Axis(20, 10, 0, 200);
    f.m_bFlipped = 1;
    f.CalcScale();
    const auto down = f.BuildTicks();
    ASSERT_GE(down.size(), 2u);
    EXPECT_EQ(down.front().row, 0);  // the minimum at the top
    EXPECT_GT(down[1].row, down[0].row);
    EXPECT_LE(down.back().row, 200);

    // The tick count stays bounded on absurd ranges.
    CAxeY huge = Axis(1e15, -1e15, 0, 100000);
    huge.CalcScale();
    EXPECT_LE(huge.BuildTicks().size(), 1001u);
}

TEST(AxeYFormat, LabelFormatsAndMultiplier) {
    CAxeY a;
    a.m_nDecimals = 3;
    EXPECT_EQ(a.FormatLabel(), "%.3f");
    a.m_nDecimals = -1;
    const std::pair<double, const char*> automatic[] = {
        {0.0005, "%.4f"}, {0.005, "%.3f"}, {0.05, "%.2f"}, {0.5, "%.1f"}, {5, "%.0f"}};
    for (auto [step, fmt] : automatic) {
        a.m_fLabelStep = step;
        EXPECT_EQ(a.FormatLabel(), fmt) << step;
    }
    a.m_nDecimals = 2;
    a.m_nType = chart::kAxisPercent;
    a.m_fLabelStep = 5;
    EXPECT_EQ(a.FormatLabel(), "%.0f%%");

    EXPECT_EQ(CAxeY::MultiplierFor(9999), 1u);
    EXPECT_EQ(CAxeY::MultiplierFor(25000), 10u);
    EXPECT_EQ(CAxeY::MultiplierFor(2000000000.0), 1000000u);
    EXPECT_EQ(CAxeY::MultiplierText(1), "");
    EXPECT_EQ(CAxeY::MultiplierText(10), "x10");
    EXPECT_EQ(CAxeY::MultiplierText(1000000), "x100万");
    EXPECT_EQ(CAxeY::MultiplierText(100000000), "x1亿");
}

TEST(ChartFormats, BigNumbersRoundHalfUp) {
    const struct {
        int64_t v;
        const char* number;
        const char* unit;
    } cases[] = {
        {99999, "99999", ""},          {100000, "10.00", "万"},     {-150000, "-15.00", "万"},
        {999949, "99.99", "万"},        {999950, "100.00", "万"},    {1234567, "123.5", "万"},
        {12345678, "1235", "万"},       {123456789, "1.235", "亿"},  {1234567890, "12.35", "亿"},
        {12345678901LL, "123.5", "亿"}, {123456789012LL, "1235", "亿"}, {-5, "-5", ""},
    };
    for (const auto& c : cases) {
        std::string number, unit;
        chart::FormatBigNumber(c.v, number, unit);
        EXPECT_EQ(number, c.number) << c.v;
        EXPECT_EQ(unit, c.unit) << c.v;
    }
}

TEST(ChartFormats, SplitPriceRoundsToShownDigits) {
    std::string i, f;
    chart::SplitPrice(12345, {3, 2}, i, f);
    EXPECT_EQ(i + "|" + f, "12|35");
    chart::SplitPrice(12345, {3, 3}, i, f);
    EXPECT_EQ(i + "|" + f, "12|345");
    chart::SplitPrice(12345, {3, 0}, i, f);
    EXPECT_EQ(i + "|" + f, "12|");
    chart::SplitPrice(12345, {0, 0}, i, f);
    EXPECT_EQ(i + "|" + f, "12345|");
    chart::SplitPrice(5, {3, 2}, i, f);
    EXPECT_EQ(i + "|" + f, "0|01");
    EXPECT_EQ(chart::FormatPriceText(-12345, {3, 2}), "12.35");
    EXPECT_EQ(chart::FormatPriceText(7000, {3, 2}), "7.00");
}

TEST(ChartFormats, PercentNumbers) {
    const struct {
        int64_t hundredths;
        const char* text;
    } cases[] = {{0, "0.00"},       {12345, "+123.5"}, {-250, "-2.50"}, {9999, "+99.99"},
                 {-9999, "-99.99"}, {10000, "+100.0"}, {1, "+0.01"},    {-100000, "-1000.0"}};
    for (const auto& c : cases) EXPECT_EQ(chart::FormatPercentNumber(c.hundredths), c.text) << c.hundredths;
}

// Both routines write right-aligned: the unit or "%" at the right edge in its own font, the
// number just left of it; nothing left of what they report as their width.
TEST(ChartFormats, BigNumberAndPercentAreRightAligned) {
    struct Case {
        const char* name;
        std::function<int(CDC&, const CRect&)> draw;
        std::vector<std::string> parts;
    };
    const Case cases[] = {
        {"big", [](CDC& dc, const CRect& rc) { return chart::DrawBigNumber(dc, 150000, nullptr, nullptr, RGB(255, 255, 255), rc); },
         {"15.00", "万"}},
        {"small", [](CDC& dc, const CRect& rc) { return chart::DrawBigNumber(dc, 4321, nullptr, nullptr, RGB(255, 255, 255), rc); },
         {"4321"}},
        {"none", [](CDC& dc, const CRect& rc) { return chart::DrawBigNumber(dc, 0, nullptr, nullptr, RGB(255, 255, 255), rc); },
         {" — "}},
        {"percent", [](CDC& dc, const CRect& rc) { return chart::DrawPercentValue(dc, 12345, RGB(255, 255, 255), rc, nullptr, nullptr); },
         {"+123.5", "%"}},
    };
    for (const Case& c : cases) {
        Canvas canvas;
        const CRect rc(0, 10, 190, 40);
        const int width = c.draw(canvas.dc, rc);
        int expected = 0;
        for (const std::string& part : c.parts) expected += canvas.dc.GetTextExtent(part).cx;
        EXPECT_EQ(width, expected) << c.name;
        EXPECT_GT(canvas.Count(CRect(rc.right - width, rc.top, rc.right, rc.bottom)), 0) << c.name;
        EXPECT_EQ(canvas.Count(CRect(0, 0, rc.right - width - 1, 100)), 0) << c.name;
        EXPECT_EQ(canvas.Count(CRect(rc.right + 1, 0, 200, 100)), 0) << c.name;
    }
}

}  // namespace
