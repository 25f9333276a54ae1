#include <gtest/gtest.h>

#include "FakeChart.h"
#include "drawtools/RegressionTools.h"
#include "drawtools/ToolCatalogue.h"

// The fake chart's main pane: y = 20 + (20 - v) * 30 for values 10 to 20; bar i at
// x = 13 + 6 * i.

namespace {

class RegressionTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Closes on a line rising 0.25 a bar (15.00 at bar 20); highs 0.5 above and lows 0.5
        // below, except a high of 19 at bar 20 and a low of 10.75 at bar 15.
        for (int i = 0; i < int(chart.bars.size()); ++i) {
            FakeBar& b = chart.bars[i];
            b.close = b.open = 15 + 0.25 * (i - 20);
            b.high = b.close + 0.5;
            b.low = b.close - 0.5;
        }
        chart.bars[20].high = 19;
        chart.bars[15].low = 10.75;
    }
    template <class T>
    void Place(T& t, int bar1, int y1, int bar2, int y2, int final = 1) {
        t.m_pOwner = &chart;
        t.m_nPaneIndex = 0;
        t.x1 = chart.IndexToX(bar1), t.y1 = y1;
        t.x2 = chart.IndexToX(bar2), t.y2 = y2;
        t.MakeFigure(final, !final);
    }
    static std::vector<std::pair<CPoint, CPoint>> Lines(const CToolFigure& f) {
        std::vector<std::pair<CPoint, CPoint>> lines;
        for (const FigureItem& it : f.items)
            if (it.kind == FigureItem::Line) lines.emplace_back(it.a, it.b);
        return lines;
    }
    FakeChart chart;
};

// Bars 10 and 30: the fitted line runs from 12.5 (y 245) to 17.5 (y 95).
const CPoint kLineLeft(73, 245), kLineRight(193, 95);

}  // namespace

TEST_F(RegressionTest, TheMouseYDoesNotMoveTheLine) {
    for (auto [ya, yb] : {std::pair{50, 300}, std::pair{300, 50}, std::pair{170, 170}}) {
        CXXHGLineTool t;
        Place(t, 10, ya, 30, yb);
        EXPECT_EQ(Lines(t.Figure()), (std::vector<std::pair<CPoint, CPoint>>{{kLineLeft, kLineRight}}));
        EXPECT_EQ(t.y1, 245);
        EXPECT_EQ(t.y2, 95);
        // Anchors given right to left keep their own ends of the line.
        CXXHGLineTool back;
        Place(back, 30, ya, 10, yb);
        EXPECT_EQ(Lines(back.Figure()), Lines(t.Figure()));
        EXPECT_EQ(back.y1, 95);
        EXPECT_EQ(back.y2, 245);
    }
}

TEST_F(RegressionTest, PlacingShowsTheRangeGuides) {
    CXXHGLineTool t;
    Place(t, 10, 100, 30, 100, 0);
    const auto lines = Lines(t.Figure());
    ASSERT_EQ(lines.size(), 2u + 1u);
    EXPECT_EQ(lines[0], std::make_pair(CPoint(73, 20), CPoint(73, 320)));
    EXPECT_EQ(lines[1], std::make_pair(CPoint(193, 20), CPoint(193, 320)));
}

TEST_F(RegressionTest, BandPassesThroughTheHighestHighAndTheLowestLow) {
    CHGDLineTool t;
    Place(t, 10, 0, 30, 0);
    // Upper through (133, 50), the high of 19 at bar 20; lower through (103, 298), the low
    // of 10.75 at bar 15; both with the line's slope of -150 over 120 pixels.
    EXPECT_EQ(Lines(t.Figure()), (std::vector<std::pair<CPoint, CPoint>>{
                                     {kLineLeft, kLineRight},
                                     {{73, 125}, {193, -25}},
                                     {{73, 335}, {193, 186}}}));
    EXPECT_TRUE(t.HitSegments(133, 50));
    EXPECT_TRUE(t.HitSegments(103, 299));
    EXPECT_TRUE(t.HitSegments(133, 170));  // the line
    EXPECT_FALSE(t.HitSegments(133, 120));
}

TEST_F(RegressionTest, BandsThatDoNotStrayAreLeftOut) {
    struct Case {
        bool highsOnLine, lowsOnLine;
        size_t lines;
        CPoint oldBand;  // on the band the first drawing had and this one leaves out
    };
    const Case cases[] = {{true, false, 2, {133, 50}}, {false, true, 2, {103, 298}},
                          {true, true, 1, {133, 50}}};
    for (const Case& c : cases) {
        SetUp();
        CHGDLineTool t;
        Place(t, 10, 0, 30, 0);
        ASSERT_TRUE(t.HitSegments(c.oldBand.x, c.oldBand.y));
        for (FakeBar& b : chart.bars) {
            b.high = c.highsOnLine ? b.close : b.close + 0.5;
            b.low = c.lowsOnLine ? b.close : b.close - 0.5;
        }
        t.MakeFigure(1, 0);
        EXPECT_EQ(Lines(t.Figure()).size(), c.lines);
        EXPECT_EQ(t.m_upper.shown, !c.highsOnLine);
        EXPECT_EQ(t.m_lower.shown, !c.lowsOnLine);
        EXPECT_FALSE(t.HitSegments(c.oldBand.x, c.oldBand.y));
    }
}

TEST_F(RegressionTest, NoDataDrawsNothing) {
    chart.bars.clear();
    for (const char* type : {"XXHGLineTool", "HGDLineTool", "HGSXLineTool", "SXTDTool"}) {
        auto t = MakeDrawTool(type);
        ASSERT_NE(t, nullptr) << type;
        t->m_pOwner = &chart;
        t->m_nPaneIndex = 0;
        t->x1 = 73, t->y1 = 100, t->x2 = 193, t->y2 = 200;
        t->MakeFigure(1, 0);
        EXPECT_TRUE(t->Figure().Empty()) << type;
        EXPECT_FALSE(t->HitSegments(133, 150)) << type;
    }
}

TEST_F(RegressionTest, RayCarriesLineAndBandsToTheRightEdge) {
    CRegressHalfLines t;
    Place(t, 10, 0, 30, 0);
    const auto lines = Lines(t.Figure());
    ASSERT_EQ(lines.size(), 6u);
    // 417 pixels on at -150 / 120 a pixel (truncated).
    EXPECT_EQ(lines[3], std::make_pair(kLineRight, CPoint(610, -426)));
    EXPECT_EQ(lines[4], std::make_pair(CPoint(193, -25), CPoint(610, -546)));
    EXPECT_EQ(lines[5], std::make_pair(CPoint(193, 186), CPoint(610, -331)));
    for (size_t k = 3; k < 6; ++k) EXPECT_EQ(t.Figure().items[k].pen, FigureItem::DottedPen);
    EXPECT_TRUE(t.HitSegments(313, 95 - 150));  // on the line's continuation
}

TEST_F(RegressionTest, UpDownChannelDrawsTheBandsNotTheLine) {
    CUpDownPassageWay t;
    Place(t, 10, 0, 30, 0);
    const auto lines = Lines(t.Figure());
    EXPECT_EQ(lines, (std::vector<std::pair<CPoint, CPoint>>{{{73, 125}, {193, -25}},
                                                           {{73, 335}, {193, 186}},
                                                           {{193, -25}, {610, -546}},
                                                           {{193, 186}, {610, -331}}}));
    EXPECT_FALSE(t.HitSegments(133, 170));  // where the line would be
    EXPECT_TRUE(t.HitSegments(103, 298));
    EXPECT_TRUE(t.HitSegments(313, 186 - 149));
}

TEST(MultiChannel, ParallelsDivideTheGapIntoFifths) {
    FakeChart chart;
    struct Case {
        CPoint a, b, third;
        std::vector<int> leftYs;  // the base, then the five parallels
    };
    const Case cases[] = {
        {{100, 200}, {200, 200}, {150, 150}, {200, 150, 160, 170, 180, 190}},
        // Sloped (0.5): the third point lies 50 pixels above the base line.
        {{10, 200}, {110, 250}, {60, 175}, {200, 150, 160, 170, 180, 190}},
        // Below the base: the parallels step upward back toward it.
        {{100, 200}, {200, 200}, {150, 260}, {200, 260, 248, 236, 224, 212}},
    };
    for (const Case& c : cases) {
        CDTDXTool t;
        t.m_pOwner = &chart;
        t.m_nPaneIndex = 0;
        t.m_items[0] = CLineItem{0, c.a.x, c.a.y, c.b.x, c.b.y, 1};
        t.m_items[1] = CLineItem{1, c.b.x, c.b.y, c.third.x, c.third.y, 1};
        t.m_items[0].begun = t.m_items[1].begun = 1;
        t.MakeFigure(1, 0);
        std::vector<int> ys;
        const auto& s = t.Segments();
        for (size_t i = 0; i + 1 < s.size(); i += 2) {
            EXPECT_EQ(s[i].x, 10);
            EXPECT_EQ(s[i + 1].x, 610);
            ys.push_back(s[i].y);
        }
        EXPECT_EQ(ys, c.leftYs);
    }
    CDTDXTool upright;  // a vertical base: only the base line
    upright.m_pOwner = &chart;
    upright.m_nPaneIndex = 0;
    upright.m_items[0] = CLineItem{0, 100, 100, 100, 200, 1};
    upright.m_items[1] = CLineItem{1, 100, 200, 160, 150, 1};
    upright.m_items[0].begun = upright.m_items[1].begun = 1;
    upright.MakeFigure(1, 0);
    EXPECT_EQ(upright.Segments(), (std::vector<CPoint>{{100, 20}, {100, 320}}));
}
