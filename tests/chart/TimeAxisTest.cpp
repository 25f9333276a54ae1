// Time-axis scans with a fixed-width text measure (7 px a character): day, minute,
// intraday and tick labels, the grid positions the panes draw, and the spacing kept when
// the axis is hidden.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "chart/TimeAxis.h"

using chart::CAxeGrid;

namespace {

struct Series {
    std::vector<int64_t> times;
    int barWidth = 10;
    chart::TimeAxisSource Source(int16_t type, int16_t period = 1) const {
        chart::TimeAxisSource s;
        s.dataType = type;
        s.period = period;
        s.count = static_cast<int32_t>(times.size());
        s.start = 0;
        s.end = s.count;
        s.visibleCount = s.count;
        const int w = barWidth;
        const int32_t n = s.count;
        // The overlay's mapping on a plot whose left edge is 0.
        s.indexToX = [w](int32_t i) { return 1 + static_cast<int>(w * (i + 0.5)); };
        s.xToIndex = [w, n](int x) { return std::clamp<int32_t>((x - 1) / w, 0, n - 1); };
        s.timeAt = [this](int32_t i) {
            return i >= 0 && i < static_cast<int32_t>(times.size()) ? times[size_t(i)] : 0;
        };
        s.textWidth = [](const std::string& t) { return static_cast<int>(t.size()) * 7; };
        s.charWidth = 7;
        return s;
    }
};

std::vector<std::string> Texts(const chart::TimeAxisResult& r) {
    std::vector<std::string> v;
    for (const auto& l : r.labels) v.push_back(l.text);
    return v;
}

Series Days(std::initializer_list<std::pair<int, int>> months) {  // (yyyymm, bars)
    Series s;
    for (auto [ym, n] : months)
        for (int d = 1; d <= n; ++d) s.times.push_back(int64_t(ym) * 100 + d);
    return s;
}

TEST(TimeAxisDays, YearAndMonthLabels) {
    // x = 10 i + 6. "2023/11" is 49 px wide: the scan jumps to the bar under x + 50.
    const Series s = Days({{202311, 20}, {202312, 20}, {202401, 20}});
    const auto r = chart::ScanTimeAxis(s.Source(4));
    EXPECT_EQ(r.grid, (std::vector<CAxeGrid>{{6, 1}, {206, 1}, {406, 0}}));
    EXPECT_EQ(Texts(r), (std::vector<std::string>{"2023/11", "12", "2024/1"}));
    EXPECT_EQ(r.ticks, (std::vector<int>{6, 206, 406}));
}

TEST(TimeAxisDays, MonthReachingIntoNextYearGivesWayToTheYear) {
    // One December bar: its label would end over January, so only the year is marked.
    const Series s = Days({{202311, 20}, {202312, 1}, {202401, 20}});
    const auto r = chart::ScanTimeAxis(s.Source(4));
    EXPECT_EQ(r.grid, (std::vector<CAxeGrid>{{6, 1}, {216, 0}}));
    EXPECT_EQ(Texts(r), (std::vector<std::string>{"2023/11", "2024/1"}));
}

TEST(TimeAxisDays, YearLabelIsDrawnEvenWhereTheXIsTaken) {
    // Three November bars: the scan resumes under the end of "2023/11" (bar 5), where the
    // new year is marked although the label before reaches that far.
    const Series s = Days({{202311, 3}, {202401, 10}});
    const auto r = chart::ScanTimeAxis(s.Source(4));
    EXPECT_EQ(Texts(r), (std::vector<std::string>{"2023/11", "2024/1"}));
    EXPECT_EQ(r.grid.back(), (CAxeGrid{56, 0}));
}

TEST(TimeAxisDays, HiddenAxisKeepsGridSpacedByFourCharacters) {
    const Series s = Days({{202311, 3}, {202312, 5}, {202401, 3}});
    auto src = s.Source(4);
    src.showX = false;
    const auto r = chart::ScanTimeAxis(src);
    EXPECT_TRUE(r.labels.empty());
    EXPECT_TRUE(r.ticks.empty());
    // The first mark reserves 28 px: December at x 36 is free, January is a year mark.
    EXPECT_EQ(r.grid, (std::vector<CAxeGrid>{{6, 1}, {36, 1}, {86, 0}}));
    // Labels switched off keep the same marks.
    src.showX = true;
    src.drawLabels = false;
    const auto quiet = chart::ScanTimeAxis(src);
    EXPECT_TRUE(quiet.labels.empty());
    // With real text widths December is marked under the end of "2023/11" instead.
    EXPECT_EQ(quiet.grid, (std::vector<CAxeGrid>{{6, 1}, {56, 1}, {86, 0}}));
}

TEST(TimeAxisMinutes, DatesAndHalfHours) {
    // 30-minute bars, 8 a day, 20 px a bar: x = 20 i + 11.
    Series s;
    s.barWidth = 20;
    const int times[] = {1000, 1030, 1100, 1130, 1330, 1400, 1430, 1500};
    for (int64_t date : {20240102LL, 20240103LL})
        for (int t : times) s.times.push_back(date * 10000 + t);
    const auto r = chart::ScanTimeAxis(s.Source(3, 30));
    EXPECT_EQ(Texts(r), (std::vector<std::string>{"1/02", "11:00", "13:30", "1/03", "11:00",
                                                  "13:30", "14:30"}));
    EXPECT_EQ(r.grid, (std::vector<CAxeGrid>{{11, 1}, {51, 1}, {91, 1}, {171, 0}, {211, 1},
                                             {251, 1}, {291, 1}}));
}

TEST(TimeAxisMinutes, EmptySlotsAfterTheNewestBarTakeSessionTimes) {
    Series s;
    s.barWidth = 20;
    s.times = {202401021000LL, 202401021030LL};
    auto src = s.Source(3, 30);
    src.visibleCount = 8;  // six empty slots to the day's end
    const auto r = chart::ScanTimeAxis(src);
    // Slot 4 is the fifth 30-minute bar of the day (13:30).
    EXPECT_EQ(Texts(r), (std::vector<std::string>{"1/02", "11:00", "13:30", "14:30"}));
}

TEST(TimeAxisIntraday, SessionBoundariesAndDays) {
    EXPECT_EQ(chart::SessionMinuteTime({}, 0), 931);
    EXPECT_EQ(chart::SessionMinuteTime({}, 119), 1130);
    EXPECT_EQ(chart::SessionMinuteTime({}, 120), 1301);
    EXPECT_EQ(chart::SessionMinuteTime({}, 239), 1500);
    // A full day and ten minutes of the next, one pixel a minute.
    Series s;
    s.barWidth = 1;
    for (int m = 0; m < 240; ++m) s.times.push_back(2401020000LL + chart::SessionMinuteTime({}, m));
    for (int m = 0; m < 10; ++m) s.times.push_back(2401030000LL + chart::SessionMinuteTime({}, m));
    auto src = s.Source(2);
    src.visibleCount = 480;
    const auto r = chart::ScanTimeAxis(src);
    const int x0 = 1;  // x of minute i is i + 1
    const std::vector<CAxeGrid> expected = {
        {x0 + 29, 1},  {x0 + 59, 1},  {x0 + 89, 1},  {x0 + 119, 2}, {x0 + 149, 1},
        {x0 + 179, 1}, {x0 + 209, 1}, {x0 + 239, 0},  // the day's close becomes the day mark
    };
    EXPECT_EQ(r.grid, expected);  // the new day's empty minutes get no marks
    ASSERT_FALSE(r.labels.empty());
    EXPECT_EQ(r.labels.back().text, "1/03");
}

TEST(TimeAxisTicks, MinuteLabelsWithinAndAcrossHours) {
    Series s;
    s.barWidth = 60;
    s.times = {93000, 93010, 93100, 100000};
    const auto r = chart::ScanTimeAxis(s.Source(13));
    EXPECT_EQ(Texts(r), (std::vector<std::string>{"9:30", "31", "10:00"}));
    ASSERT_EQ(r.grid.size(), 3u);
    EXPECT_EQ(r.grid[0].kind, 0);
    EXPECT_EQ(r.grid[1].kind, 1);
    EXPECT_EQ(r.grid[2].kind, 0);
}

TEST(TimeAxis, NoBarsNoMarks) {
    Series s;
    const auto r = chart::ScanTimeAxis(s.Source(4));
    EXPECT_TRUE(r.grid.empty());
    EXPECT_EQ(chart::BarsPerDay(1, 3), 240);
    EXPECT_EQ(chart::BarsPerDay(7, 3), 35);
    EXPECT_EQ(chart::BarsPerDay(-1, 3), 80);
    EXPECT_EQ(chart::BarsPerDay(-1, 0), 240);
}

}  // namespace
