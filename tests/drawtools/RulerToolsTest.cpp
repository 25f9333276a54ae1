#include <gtest/gtest.h>

#include "FakeChart.h"
#include "drawtools/RulerTools.h"
#include "drawtools/ToolCatalogue.h"

// The fake chart's main pane: (10, 20)-(610, 320) for values 20 down to 10, so y = 20 + (20 -
// v) * 30; bar i is centred at x = 13 + 6 * i.

namespace {

template <class T>
void Place(T& t, FakeChart& chart, int x1, int y1, int x2, int y2, double top = 0,
           double bottom = 0) {
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.x1 = x1, t.y1 = y1, t.x2 = x2, t.y2 = y2;
    t.m_fTop = top;
    t.m_fBottom = bottom;
    t.MakeFigure(1, 0);
}

template <class T>
void PlaceItems(T& t, FakeChart& chart, CPoint a, CPoint b, CPoint c) {
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.m_items[0] = CLineItem{0, a.x, a.y, b.x, b.y, 1};
    t.m_items[1] = CLineItem{1, b.x, b.y, c.x, c.y, 1};
    t.m_items[0].begun = t.m_items[1].begun = 1;
    t.MakeFigure(1, 0);
}

std::vector<std::string> Texts(const CToolFigure& f) {
    std::vector<std::string> texts;
    for (const FigureItem& it : f.items)
        if (it.kind == FigureItem::Text) texts.push_back(it.text);
    return texts;
}

}  // namespace

TEST(RulerTools, RangeRulerGivesTheRatioTimeSpaceTheChange) {
    FakeChart chart;
    struct Case {
        double top, bottom;
        const char* difference;
        const char* rangeRatio;
        const char* change;
    };
    const Case cases[] = {
        {10, 20, "10.00", "200.00%", "100.00%"},  // a doubling
        {16, 12, "-4.00", "75.00%", "-25.00%"},
    };
    for (const Case& c : cases) {
        CFDCTool range;
        Place(range, chart, 100, 170, 200, 80, c.top, c.bottom);
        EXPECT_EQ(Texts(range.Figure()), (std::vector<std::string>{c.difference, c.rangeRatio}));
        // Between the two levels, right of the dotted middle.
        EXPECT_EQ(range.Figure().FindText(c.rangeRatio)->rect, CRect(151, 80, 610, 170));
        CTimeAndSpaceRectRgn box;
        Place(box, chart, chart.IndexToX(20), 170, chart.IndexToX(35), 80, c.top, c.bottom);
        EXPECT_EQ(Texts(box.Figure()),
                  (std::vector<std::string>{"15(T)", c.difference, c.change}));
    }
    // A level at 0 has no ratio and no change, and nothing divides by it.
    CFDCTool zero;
    Place(zero, chart, 100, 170, 200, 80, 0, 5);
    EXPECT_EQ(Texts(zero.Figure()), (std::vector<std::string>{"5.00"}));
    // The rubber band has no labels.
    zero.MakeFigure(0, 1);
    EXPECT_TRUE(Texts(zero.Figure()).empty());
}

TEST(RulerTools, MeasuredTargetProjectsDownwardEitherWay) {
    FakeChart chart;
    for (auto [ya, yb] : {std::pair{100, 150}, std::pair{150, 100}}) {
        CLDMBTool t;
        Place(t, chart, 100, ya, 200, yb);
        const auto& s = t.Segments();
        ASSERT_EQ(s.size(), 8u);
        EXPECT_EQ(s[4], CPoint(100, 200));
        EXPECT_EQ(s[5], CPoint(200, 200));
        EXPECT_EQ(s[6], CPoint(100, 250));
        EXPECT_EQ(s[7], CPoint(200, 250));
        // y 200 and 250 are 14.00 and 12.33 on the fake axis; each label just under its level.
        const FigureItem* first = t.Figure().FindText("100% 14.00");
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->rect, CRect(100, 200, 610, 320));
        ASSERT_NE(t.Figure().FindText("200% 12.33"), nullptr);
    }
}

TEST(RulerTools, TimeRulerCountsBarsAndDropsFromTheCloses) {
    FakeChart chart;
    const int xa = chart.IndexToX(10), xb = chart.IndexToX(30);  // closes 15.00: y 170
    struct Case {
        int y;
        int end;  // where the verticals from the closes stop: 10 pixels past the ruler
    };
    for (const Case& c : {Case{100, 90}, Case{250, 260}}) {
        CSJCTool t;
        Place(t, chart, xb, 200, xa, c.y);  // dragged right to left
        EXPECT_EQ(t.Segments(), (std::vector<CPoint>{{xa, c.y}, {113, c.y}, {153, c.y}, {xb, c.y},
                                                     {xb, 170}, {xb, c.end}, {xa, 170}, {xa, c.end}}));
        const FigureItem* label = t.Figure().FindText("20(T)");
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->rect, CRect(xa, c.y - 8, xb, 320));
    }
    // Shorter than the label's gap: only the ends.
    CSJCTool shortRuler;
    Place(shortRuler, chart, chart.IndexToX(10), 200, chart.IndexToX(13), 100);
    EXPECT_EQ(shortRuler.Segments().size(), 4u);
}

TEST(RulerTools, SolidRectangleIsFilledOnlyWhenStored) {
    FakeChart chart;
    CSolidRectRgn t;
    Place(t, chart, 200, 150, 100, 100);
    EXPECT_EQ(t.Figure().Count(FigureItem::Fill), 1);
    EXPECT_EQ(t.Figure().items[0].rect, CRect(100, 100, 200, 150));
    EXPECT_EQ(t.Segments().size(), 8u);
    t.MakeFigure(0, 1);
    EXPECT_EQ(t.Figure().Count(FigureItem::Fill), 0);
}

class BoxStatisticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Four bars, 10 to 13: highs, lows, closes and volumes.
        const double rows[4][4] = {
            {14, 11, 12.5, 100}, {17.6, 13, 14, 300}, {16, 12, 13.5, 0}, {16, 13, 15, 600}};
        for (int k = 0; k < 4; ++k) {
            FakeBar& b = chart.bars[10 + k];
            b.high = rows[k][0];
            b.low = rows[k][1];
            b.close = b.open = rows[k][2];
            b.volume = rows[k][3];
        }
    }
    void Draw(CXTXTool& t) { Place(t, chart, chart.IndexToX(13), 150, chart.IndexToX(10), 60); }
    FakeChart chart;
};

TEST_F(BoxStatisticsTest, CountsBothEndBarsAndWritesNoStrayPercent) {
    CXTXTool t;
    Draw(t);
    // 4 bars; rise 12.5 -> 15; amplitude 17.6 / 11; weighted (1250 + 4200 + 9000) / 1000.
    EXPECT_EQ(Texts(t.Figure()),
              (std::vector<std::string>{"K数:4 涨:20.00% 振:60.00% 权均:14.45 均:13.75"}));
    const int xl = chart.IndexToX(10), xr = chart.IndexToX(13);
    // Top at the highest high, bottom at the lowest low, then the two averages.
    EXPECT_EQ(t.Segments(), (std::vector<CPoint>{{xr, 92}, {xl, 92}, {xr, 290}, {xl, 290},
                                                 {xr, 187}, {xl, 187}, {xr, 208}, {xl, 208}}));
    EXPECT_EQ(t.Figure().FindText(Texts(t.Figure())[0])->rect, CRect(xl, 290, 610, 320));
    EXPECT_EQ(t.HitTest(xl + 1, 200), 3);  // a side
    EXPECT_EQ(t.HitTest(xl + 10, 188), 3);  // the weighted average
    EXPECT_EQ(t.HitTest(xl + 10, 250), 0);
}

TEST_F(BoxStatisticsTest, ZeroCloseOrLowLeavesThoseFiguresOut) {
    chart.bars[10].close = 0;
    chart.bars[12].low = 0;
    CXTXTool t;
    Draw(t);
    const std::vector<std::string> texts = Texts(t.Figure());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("K数:4 涨:-- 振:-- 权均:", 0), 0u) << texts[0];
    EXPECT_EQ(t.Segments().size(), 8u);
}

TEST_F(BoxStatisticsTest, IntradayRecordsUseTheirOnePrice) {
    chart.dataType = 2;
    CXTXTool t;
    Draw(t);
    // Highest 15, lowest 12.5 among the closes: amplitude 20 %.
    EXPECT_EQ(Texts(t.Figure()),
              (std::vector<std::string>{"K数:4 涨:20.00% 振:20.00% 权均:14.45 均:13.75"}));
}

TEST(RulerTools, VanishingPointAndItsUprightCase) {
    FakeChart chart;
    CJXDTool t;
    Place(t, chart, 200, 200, 100, 200);  // anchor 2 is the left one
    // Flat: theta 0, c 100; A = -36.6 and B = 136.6 from L = (100, 200).
    EXPECT_EQ(t.Segments(), (std::vector<CPoint>{{200, 200}, {100, 200}, {100, 200}, {63, 63},
                                                 {200, 200}, {63, 63}}));
    CJXDTool upright;
    Place(upright, chart, 150, 100, 150, 250);
    EXPECT_EQ(upright.Segments(), (std::vector<CPoint>{{150, 100}, {150, 250}}));
    CPoint v;
    EXPECT_FALSE(CJXDTool::VanishingPoint({150, 100}, {150, 250}, v));
}

TEST(RulerTools, PeriodRulerRepeatsTheFirstSpan) {
    FakeChart chart;
    CZQCTool t;
    // Span 10 bars (10 to 20), second point at bar 25: marks at +4, +6, +10 every 10 bars.
    PlaceItems(t, chart, {chart.IndexToX(10), 150}, {chart.IndexToX(20), 100},
               {chart.IndexToX(25), 200});
    const std::vector<std::string> texts = Texts(t.Figure());
    ASSERT_GE(texts.size(), 5u);
    EXPECT_EQ(texts[0], "10");
    EXPECT_EQ(texts[1], "5");
    EXPECT_EQ(std::vector<std::string>(texts.begin() + 2, texts.begin() + 8),
              (std::vector<std::string>{"4", "6", "10", "14", "16", "20"}));
    // Bars 29, 31, 35, ... 95, 99; bar 101 lies past the pane's right edge.
    EXPECT_EQ(texts.size(), 2u + 22u);
    EXPECT_EQ(texts.back(), "74");
    const auto& s = t.Segments();
    EXPECT_EQ(s[s.size() - 2], CPoint(chart.IndexToX(99), 200));
    EXPECT_EQ(s.back(), CPoint(chart.IndexToX(99), 320));
}

TEST(RulerTools, PeriodRulerWithAZeroSpanStops) {
    FakeChart chart;
    CZQCTool t;
    // A first span of no bars counts as one bar: a mark on every bar to the right edge.
    PlaceItems(t, chart, {chart.IndexToX(10), 150}, {chart.IndexToX(10), 100},
               {chart.IndexToX(90), 200});
    EXPECT_LE(Texts(t.Figure()).size(), 2u + 3u * 10u);
    EXPECT_GT(Texts(t.Figure()).size(), 2u);
}

TEST(RulerTools, FreeFibonacciLinesGrowBySums) {
    FakeChart chart;
    CZyfsxTool t;
    // S0 = 3 bars, G1 = 5: further lines at 8, 13, 21, 34, 55, 89 bars from bar 10.
    PlaceItems(t, chart, {chart.IndexToX(10), 150}, {chart.IndexToX(13), 100},
               {chart.IndexToX(15), 200});
    std::vector<int> xs;
    const auto& s = t.Segments();
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        EXPECT_EQ(s[i].y, 20);
        EXPECT_EQ(s[i + 1].y, 320);
        xs.push_back(s[i].x);
    }
    std::vector<int> want;
    for (int bar : {10, 13, 15, 18, 23, 31, 44, 65, 99}) want.push_back(chart.IndexToX(bar));
    EXPECT_EQ(xs, want);
    const std::vector<std::string> texts = Texts(t.Figure());
    EXPECT_EQ(texts, (std::vector<std::string>{"3", "5", "8", "13", "21", "34", "55", "89"}));
    // Its handles: the first start, the first end and the second end.
    EXPECT_EQ(t.HitTest(chart.IndexToX(10), 150), 1);
    EXPECT_EQ(t.HitTest(chart.IndexToX(15), 200), 2);
    EXPECT_EQ(t.HitTest(chart.IndexToX(31) + 2, 60), 3);
}

TEST(RulerTools, FreeFibonacciLinesThatShrinkStop) {
    FakeChart chart;
    CZyfsxTool t;
    // Leftward spans never reach the right edge; the number of lines stays bounded.
    PlaceItems(t, chart, {chart.IndexToX(50), 150}, {chart.IndexToX(40), 100},
               {chart.IndexToX(45), 200});
    EXPECT_LE(t.Segments().size(), 2u * (3 + CZyfsxTool::kMaxLines));
}

TEST(ToolCatalogue, EveryToolOfThePickerIsBuilt) {
    for (const ToolCatalogueEntry& e : ToolCatalogue()) {
        if (!*e.typeName) continue;  // the pan tool is never made by name
        auto tool = MakeDrawTool(e.typeName);
        ASSERT_NE(tool, nullptr) << e.typeName;
        EXPECT_STREQ(tool->GetTypeName(), e.typeName);
        if (std::string(e.displayName) != "符号") {
            EXPECT_STREQ(tool->GetDisplayName(), e.displayName);
        }
        if (e.number > 0) {
            EXPECT_NE(CreateToolByNumber(e.number), nullptr) << e.number;
        }
    }
    // Files may hold the free Fibonacci lines, which no button offers.
    EXPECT_NE(MakeDrawTool("ZyfsxTool"), nullptr);
    for (const ToolCatalogueEntry& e : ToolCatalogue()) EXPECT_STRNE(e.typeName, "ZyfsxTool");
}
