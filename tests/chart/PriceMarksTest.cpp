// Highest/lowest labels, ex-rights marks and training trade marks, checked in pixels.
#include <gtest/gtest.h>

#include "chart/PriceMarks.h"
#include "platform/App.h"

namespace {

class MarkBars : public chart::IBarSource {
public:
    std::vector<std::array<double, 4>> v;  // low, high, time, unused
    int16_t type = chart::kTypeDay;
    double GetOpen(int32_t i) const override { return v[i][0]; }
    double GetHigh(int32_t i) const override { return v[i][1]; }
    double GetLow(int32_t i) const override { return v[i][0]; }
    double GetClose(int32_t i) const override { return v[i][1]; }
    double GetVolume(int32_t) const override { return 1; }
    double GetTime(int32_t i) const override { return v[i][2]; }
    double GetAvgPrice(int32_t i) const override { return v[i][0]; }
    int32_t GetFirst() const override { return 0; }
    int32_t GetLast() const override { return static_cast<int32_t>(v.size()); }
    int16_t GetDataType() const override { return type; }
};

struct Fixture {
    MarkBars bars;
    chart::PaneMapping map;
    CommonColorTable colors{};
    chart::PriceStyle st;
    CBitmap bmp;
    CDC dc;
    Fixture() {
        static int argc = 1;
        static char name[] = "test_chart";
        static char* argv[] = {name, nullptr};
        platform::Initialize(argc, argv);
        SetDefaultCommonColours(colors);
        colors[CommonColor::uniValue_Explain] = RGB(255, 255, 255);
        colors[CommonColor::uniDate_Time] = RGB(255, 0, 255);
        st = {&colors, 1};
        // Days 2024-01-02 .. 2024-01-11, 20 pixels apart from x = 10.
        for (int k = 0; k < 10; ++k) bars.v.push_back({40.0 + k, 60.0 + k, 20240102.0 + k, 0});
        map.rect = CRect(0, 0, 200, 100);
        map.end = 10;
        map.barWidth = 20;
        map.indexToX = [](int32_t i) { return 10 + 20 * i; };
        map.valueToY = [](double v) { return std::clamp(static_cast<int>(100 - v), 0, 99); };
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, 200, 100);
        dc.SelectObject(&bmp);
        dc.FillSolidRect(0, 0, 200, 100, RGB(0, 0, 0));
    }
    chart::TimeToX TimeLookup() {
        return [this](int64_t key, int32_t& index) {
            for (int32_t i = 0; i < bars.GetLast(); ++i)
                if (static_cast<int64_t>(bars.GetTime(i)) >= key) {
                    index = i;
                    return map.indexToX(i);
                }
            index = -1;
            return 0;
        };
    }
    int Count(CRect rc, COLORREF c) const {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) n += (dc.GetPixel(x, y) & 0xFFFFFF) == c;
        return n;
    }
};

TEST(MaxMin, LeaderGoesRightWhenTheTextFitsElseLeft) {
    Fixture f;
    const COLORREF ink = RGB(255, 255, 255);
    std::vector<std::string> texts;
    auto price = [&](double v) {
        texts.push_back(std::to_string(static_cast<int>(v)) + ".00");
        return texts.back();
    };
    chart::DrawMaxMin(f.dc, f.bars, f.map, f.st, 9, 0, price, nullptr);
    EXPECT_EQ(texts, (std::vector<std::string>{"69.00", "40.00"}));
    // Highest bar at x 190, y 31: no room on the right, leader to the left.
    EXPECT_EQ(f.Count(CRect(171, 31, 190, 32), ink), 19);
    EXPECT_GT(f.Count(CRect(120, 24, 170, 40), ink), 0);  // its text
    // Lowest bar at x 10, y 60: leader to the right and the text after it.
    EXPECT_EQ(f.Count(CRect(10, 60, 30, 61), ink), 20);
    EXPECT_GT(f.Count(CRect(31, 52, 80, 68), ink), 0);
    EXPECT_EQ(f.Count(CRect(0, 52, 9, 68), ink), 0);

    Fixture intraday;
    intraday.bars.type = chart::kTypeIntraday;
    chart::DrawMaxMin(intraday.dc, intraday.bars, intraday.map, intraday.st, 9, 0, price, nullptr);
    EXPECT_EQ(intraday.Count(CRect(0, 0, 200, 100), ink), 0);
}

TEST(ExRights, OnlyDatesInsideTheVisibleRangeAreMarked) {
    Fixture f;
    f.map.start = 2;  // visible 2024-01-04 .. 2024-01-11
    const COLORREF ink = RGB(255, 0, 255);
    chart::DrawExRightsMarks(f.dc, f.bars, f.map, f.st, {20240103, 20240105, 20240120}, 1,
                             f.TimeLookup());
    EXPECT_EQ(f.Count(CRect(0, 80, 60, 100), ink), 0);  // 01-03 is scrolled out
    EXPECT_GT(f.Count(CRect(60, 80, 80, 100), ink), 0);  // 01-05 at x 70
    EXPECT_EQ(f.Count(CRect(80, 0, 200, 100), ink), 0);  // 01-20 after the last bar
    EXPECT_EQ(f.Count(CRect(0, 0, 200, 80), ink), 0);    // marks sit at the pane's foot
}

TEST(TradeMarks, OpeningRedUnderTheLowOthersGreenOverTheHigh) {
    Fixture f;
    std::vector<TradeDetailItem> trades(3);
    trades[0].TradeDate = 20240104, trades[0].bsdir = 1;   // bar 2: x 50, low 42 -> y 58
    trades[1].TradeDate = 20240108, trades[1].bsdir = -1;  // bar 6: x 130, high 66 -> y 34
    trades[2].TradeDate = 20240301, trades[2].bsdir = 1;   // not in the data
    chart::DrawTradeMarks(f.dc, f.bars, f.map, trades, f.TimeLookup());
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0);
    EXPECT_GT(f.Count(CRect(35, 58, 66, 100), red), 0);
    EXPECT_EQ(f.Count(CRect(0, 0, 200, 58), red), 0);
    EXPECT_GT(f.Count(CRect(115, 0, 146, 34), green), 0);
    EXPECT_EQ(f.Count(CRect(0, 34, 200, 100), green), 0);
}

TEST(TradeMarks, StartMarkShowsTheThirdFrameAboveTheStartBar) {
    Fixture f;
    // Four 5 x 6 frames: blue (transparent) everywhere but the third frame's red centre.
    CBitmap strip;
    CDC sdc;
    sdc.CreateCompatibleDC(nullptr);
    strip.CreateCompatibleBitmap(&sdc, 20, 6);
    sdc.SelectObject(&strip);
    sdc.FillSolidRect(0, 0, 20, 6, RGB(0, 0, 255));
    sdc.FillSolidRect(0, 0, 5, 6, RGB(0, 255, 0));   // first frame: never shown
    sdc.FillSolidRect(11, 2, 2, 2, RGB(255, 0, 0));  // third frame, its centre
    sdc.SelectObject(static_cast<CBitmap*>(nullptr));
    // Bar 3 (2024-01-05): x 70, high 63 -> y 37; the image top is 37 - 6 - 25 = 6.
    chart::DrawTradeStartMark(f.dc, f.bars, f.map, strip, 20240105, f.TimeLookup());
    EXPECT_EQ(f.Count(CRect(71, 8, 73, 10), RGB(255, 0, 0)), 4);
    EXPECT_EQ(f.Count(CRect(0, 0, 200, 100), RGB(255, 0, 0)), 4);
    EXPECT_EQ(f.Count(CRect(0, 0, 200, 100), RGB(0, 0, 255)), 0);
    EXPECT_EQ(f.Count(CRect(0, 0, 200, 100), RGB(0, 255, 0)), 0);
}

TEST(TradeMarks, MinuteKeysJoinDateAndTime) {
    EXPECT_EQ(chart::DateKey(chart::kTypeMinute, 20240105, 1030), 202401051030LL);
    EXPECT_EQ(chart::DateKey(chart::kTypeDay, 20240105, 1030), 20240105);
}

}  // namespace
