#include <gtest/gtest.h>

#include "FakeChart.h"
#include "drawtools/RatioLines.h"

namespace {

template <class T>
void Place(T& t, FakeChart& chart, int x1, int y1, int x2, int y2, double top, double bottom) {
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.x1 = x1, t.y1 = y1, t.x2 = x2, t.y2 = y2;
    t.m_fTop = top, t.m_fBottom = bottom;
}

std::vector<int> HorizontalYs(const CToolFigure& f) {
    std::vector<int> ys;
    for (const FigureItem& it : f.items)
        if (it.kind == FigureItem::Line && it.a.y == it.b.y) ys.push_back(it.a.y);
    return ys;
}

bool AnyTextHas(const CToolFigure& f, char c) {
    for (const FigureItem& it : f.items)
        if (it.kind == FigureItem::Text && it.text.find(c) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(RatioLines, GoldenLevelsLabelsAndHits) {
    FakeChart chart;
    CGoldLineTool t;
    Place(t, chart, 100, 100, 200, 300, 15, 5);
    t.MakeFigure(1, 0);
    EXPECT_EQ(HorizontalYs(t.Figure()),
              (std::vector<int>{100, 147, 176, 200, 223, 261, 300, 423, 623}));
    struct Label {
        const char* text;
        int bottom;
    } labels[] = {{"23.6%(12.64)", 147}, {"38.2%(11.18)", 176}, {"61.8%(8.82)", 223},
                  {"161.8%(-1.18)", 423}, {"261.8%(-11.18)", 623}};
    for (const Label& l : labels) {
        const FigureItem* it = t.Figure().FindText(l.text);
        ASSERT_NE(it, nullptr) << l.text;
        EXPECT_EQ(it->rect.bottom, l.bottom);
        EXPECT_EQ(it->rect.left, 10);
    }
    EXPECT_EQ(t.Figure().Count(FigureItem::Text), 7);  // not on 0 % and 100 %
    // Dotted except the two ends.
    int solid = 0;
    for (const FigureItem& it : t.Figure().items)
        if (it.kind == FigureItem::Line && it.pen == FigureItem::ToolPen) ++solid;
    EXPECT_EQ(solid, 2);
    // Hit along any level, far outside the anchors' x range.
    EXPECT_TRUE(t.HitSegments(600, 179));
    EXPECT_TRUE(t.HitSegments(20, 173));
    EXPECT_FALSE(t.HitSegments(150, 180));
    EXPECT_TRUE(t.IsBigEnough());
    t.y2 = t.y1 + 5;
    EXPECT_FALSE(t.IsBigEnough());
}

TEST(RatioLines, BandAndPercentageLevels) {
    FakeChart chart;
    CBFBLineTool p;
    Place(p, chart, 100, 100, 200, 300, 20, 10);
    p.MakeFigure(1, 0);
    EXPECT_EQ(HorizontalYs(p.Figure()).size(), 11u);
    EXPECT_NE(p.Figure().FindText("33.0%(16.70)"), nullptr);
    EXPECT_NE(p.Figure().FindText("67.0%(13.30)"), nullptr);
    CBDLineTool b;
    Place(b, chart, 100, 100, 200, 300, 20, 10);
    b.MakeFigure(1, 0);
    EXPECT_EQ(HorizontalYs(b.Figure()), (std::vector<int>{100, 150, 166, 200, 300}));
}

TEST(RatioLines, GoldenAAndBPrintRatiosWithoutPercent) {
    FakeChart chart;
    CHJFGX_ATool a;
    Place(a, chart, 100, 100, 200, 200, 15, 10);
    a.MakeFigure(1, 0);
    EXPECT_EQ(HorizontalYs(a.Figure()), (std::vector<int>{200, 162, 150, 138, 238, 250, 262}));
    EXPECT_NE(a.Figure().FindText("0.618(11.91)"), nullptr);
    EXPECT_NE(a.Figure().FindText("1.618(6.91)"), nullptr);
    EXPECT_FALSE(AnyTextHas(a.Figure(), '%'));
    EXPECT_TRUE(a.HitSegments(400, 262));

    CHJFGX_BTool b;
    Place(b, chart, 100, 100, 200, 200, 15, 10);
    b.MakeFigure(1, 0);
    EXPECT_EQ(HorizontalYs(b.Figure()), (std::vector<int>{100, 200, 162, 150, 138, 238, 250, 262}));
    EXPECT_NE(b.Figure().FindText("0.618(11.91)"), nullptr);
    EXPECT_NE(b.Figure().FindText("1.382(8.09)"), nullptr);
    EXPECT_FALSE(AnyTextHas(b.Figure(), '%'));
}

TEST(RatioLines, FreeRatio) {
    FakeChart chart;
    CZYBLTool t;
    Place(t, chart, 100, 100, 200, 200, 17.33, 14);
    t.MakeFigure(1, 0);
    // Value at y 138: 20 - 118 * 10 / 300.
    const FigureItem* level = t.Figure().FindText("38.20%(16.07)");
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->rect, CRect(100, 138, 138, 200));
    EXPECT_FALSE(level->format & DT_BOTTOM);  // at the top
    const FigureItem* bars = t.Figure().FindText("6");  // bars 15 to 21
    ASSERT_NE(bars, nullptr);
    EXPECT_TRUE(bars->format & DT_RIGHT);
    EXPECT_NE(t.Figure().FindText("138.20%(12.73)"), nullptr);  // y 238
    EXPECT_TRUE(t.HitSegments(238, 220));  // the 1.382 vertical
    EXPECT_TRUE(t.HitSegments(150, 150));  // the diagonal

    // Anchor 2 left of anchor 1: labels on anchor 1's side, the right.
    CZYBLTool m;
    Place(m, chart, 300, 100, 200, 200, 17.33, 14);
    m.MakeFigure(1, 0);
    const FigureItem* top = m.Figure().FindText("17.33");
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top->format & DT_RIGHT);
    EXPECT_EQ(top->rect, CRect(200, 100, 300, 200));
}

TEST(RatioLines, TurningRuler) {
    FakeChart chart;
    CZZCTool t;
    Place(t, chart, 100, 200, 200, 100, 0, 0);
    t.MakeFigure(1, 0);
    const auto& s = t.Segments();
    ASSERT_EQ(s.size(), 2u * (2 + 3 * (1 + 1 + 3)));
    EXPECT_EQ(s[2], CPoint(200, 100));
    EXPECT_EQ(s[3], CPoint(300, 200));
    // Ratio 0.382: o = 38, u = 100 - 38 * -100 / 100 = 138; a 30-pixel tick there.
    EXPECT_EQ(s[4], CPoint(223, 138));
    EXPECT_EQ(s[5], CPoint(253, 138));
    EXPECT_EQ(s[6], CPoint(238, 138));
    EXPECT_EQ(s[7], CPoint(276, 100));

    t.x2 = t.x1;  // no width: the two legs only
    t.MakeFigure(1, 0);
    EXPECT_EQ(t.Segments().size(), 4u);
}

TEST(RatioLines, SymmetricLinesMirrorAnchorTwo) {
    FakeChart chart;
    CSymmetricLines t;
    Place(t, chart, 200, 100, 260, 150, 0, 0);
    t.MakeFigure(1, 0);
    EXPECT_EQ(t.m_levels, (std::vector<int>{200, 260, 140}));
    EXPECT_TRUE(t.HitSegments(142, 300));
    EXPECT_FALSE(t.HitSegments(144, 300));
}
