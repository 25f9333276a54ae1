#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "FakeChart.h"
#include "drawtools/PeriodLines.h"

namespace {

// Bar x positions of the vertical lines in a figure, by pen.
std::vector<int> LineXs(const CToolFigure& f, int pen) {
    std::vector<int> xs;
    for (const FigureItem& it : f.items)
        if (it.kind == FigureItem::Line && it.pen == pen) xs.push_back(it.a.x);
    return xs;
}

std::vector<int> Bars(const FakeChart& chart, std::initializer_list<int> indexes) {
    std::vector<int> xs;
    for (int i : indexes) xs.push_back(chart.IndexToX(i));
    return xs;
}

template <class T>
void Attach(T& tool, FakeChart& chart, int barA, int period) {
    tool.m_pOwner = &chart;
    tool.m_nPaneIndex = 0;
    tool.m_lLeft = chart.bars[barA].key;
    tool.m_lRight = chart.bars[barA + 20].key;  // another bar: the period decides
    tool.m_fTop = tool.m_fBottom = 15;
    tool.m_nPeriod = int16_t(period);
}

}  // namespace

TEST(TimeCycles, PeriodLinesStepFromTheEarlierAnchor) {
    FakeChart chart;
    CPeriodLines t;
    Attach(t, chart, 20, -5);
    t.BuildFigure();
    EXPECT_EQ(t.x2, chart.IndexToX(15));
    std::vector<int> expected;
    for (int i = 15; i <= 95; i += 5) expected.push_back(chart.IndexToX(i));  // bar 100 is past the pane
    EXPECT_EQ(LineXs(t.Figure(), FigureItem::ToolPen), expected);
    EXPECT_EQ(t.m_levels, expected);
    EXPECT_NE(t.Figure().FindText("0"), nullptr);
    EXPECT_NE(t.Figure().FindText("80"), nullptr);
    // Hit by x alone, 3 pixels either side.
    const int x = chart.IndexToX(50);
    EXPECT_TRUE(t.HitSegments(x - 3, 300));
    EXPECT_TRUE(t.HitSegments(x + 3, 40));
    EXPECT_FALSE(t.HitSegments(x - 4, 300));
}

TEST(TimeCycles, PeriodFollowsThePixelsAndZeroDrawsNothing) {
    FakeChart chart;
    CPeriodLines t;
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.x1 = chart.IndexToX(30), t.y1 = 100, t.x2 = chart.IndexToX(37), t.y2 = 120;
    t.PixelsToData(0);
    EXPECT_EQ(t.m_nPeriod, 7);
    t.x2 = t.x1;
    t.PixelsToData(0);
    EXPECT_EQ(t.m_nPeriod, 0);
    t.MakeFigure(1, 0);
    EXPECT_TRUE(t.Figure().Empty());
    EXPECT_FALSE(t.HitSegments(t.x1, 100));
}

TEST(TimeCycles, PeriodSurvivesTheFileAndOutranksTheStoredKey) {
    FakeChart chart;
    CPeriodLines t;
    Attach(t, chart, 20, -5);
    tinyxml2::XMLDocument doc;
    auto* e = doc.NewElement("element");
    t.saveToXml(e);
    EXPECT_EQ(e->IntAttribute("Period"), -5);
    CPeriodLines back;
    back.loadFromXml(e);
    EXPECT_EQ(back.m_nPeriod, -5);
    back.m_pOwner = &chart;
    back.m_nPaneIndex = 0;
    back.DataToPixels(0);
    EXPECT_EQ(back.x2, chart.IndexToX(15));
}

TEST(TimeCycles, FibonacciLinesFromAnchorTwo) {
    FakeChart chart;
    CFiboLines t;
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.x1 = chart.IndexToX(2), t.x2 = chart.IndexToX(10), t.y1 = t.y2 = 100;
    t.MakeFigure(1, 0);
    // Offsets 0 1 2 3 5 8 13 21 34 55 89; 144 is past the pane.
    EXPECT_EQ(LineXs(t.Figure(), FigureItem::ToolPen),
              Bars(chart, {10, 11, 12, 13, 15, 18, 23, 31, 44, 65, 99}));
    EXPECT_EQ(t.Figure().FindText("0"), nullptr);
    EXPECT_NE(t.Figure().FindText("89"), nullptr);
    EXPECT_TRUE(t.HitSegments(chart.IndexToX(44) + 3, 10));
    EXPECT_FALSE(t.HitSegments(chart.IndexToX(44) + 4, 10));
}

TEST(TimeCycles, FibonacciNumbersThatWouldCrowdAreLeftOut) {
    FakeChart chart;
    chart.barWidth = 2;
    CFiboLines t;
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.x1 = t.x2 = chart.IndexToX(10), t.y1 = t.y2 = 100;
    t.MakeFigure(1, 0);
    EXPECT_EQ(LineXs(t.Figure(), FigureItem::ToolPen).size(), 13u);  // up to offset 233
    // "1" starts 2 px after anchor 2, "3" right after "2": their lines stay, their numbers go.
    EXPECT_EQ(t.Figure().FindText("1"), nullptr);
    EXPECT_NE(t.Figure().FindText("2"), nullptr);
    EXPECT_EQ(t.Figure().FindText("3"), nullptr);
}

TEST(TimeCycles, FibonacciTimePeriods) {
    FakeChart chart;
    CFiboPeriodLines t;
    Attach(t, chart, 10, 10);
    t.BuildFigure();
    EXPECT_EQ(LineXs(t.Figure(), FigureItem::ToolPen), Bars(chart, {10, 20, 30}));
    EXPECT_EQ(LineXs(t.Figure(), FigureItem::DottedPen),
              Bars(chart, {14, 16, 24, 26, 36, 52, 79}));
    for (const char* label : {"10", "1", "2", "0.382", "0.618", "1.382", "1.618", "2.618", "4.236",
                              "6.854"})
        EXPECT_NE(t.Figure().FindText(label), nullptr) << label;
    EXPECT_EQ(t.Figure().FindText("11.090"), nullptr);  // its bar is past the pane
    EXPECT_TRUE(t.HitSegments(chart.IndexToX(30) - 3, 50));
}

TEST(TimeCycles, FibonacciTimePeriodsGuards) {
    FakeChart chart;
    struct Case {
        int bar, period;
    } cases[] = {{10, 0}, {150, 32700}, {50, -32000}};
    for (const Case& c : cases) {
        CFiboPeriodLines t;
        t.m_pOwner = &chart;
        t.m_nPaneIndex = 0;
        t.x1 = chart.IndexToX(c.bar), t.x2 = t.x1, t.y1 = t.y2 = 100;
        t.m_nPeriod = int16_t(c.period);
        t.MakeFigure(1, 0);  // ends, and draws nothing
        EXPECT_TRUE(t.Figure().Empty()) << c.period;
    }
}

TEST(TimeCycles, ClonesKeepPeriodAndClass) {
    FakeChart chart;
    CFiboPeriodLines t;
    Attach(t, chart, 10, 7);
    auto copy = t.Clone();
    ASSERT_NE(dynamic_cast<CFiboPeriodLines*>(copy.get()), nullptr);
    EXPECT_EQ(static_cast<CPeriodLines&>(*copy).m_nPeriod, 7);
}
