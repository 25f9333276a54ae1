#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "FakeChart.h"
#include "drawtools/EncircleLines.h"
#include "drawtools/GannTools.h"
#include "drawtools/StraightLines.h"
#include "drawtools/TextTools.h"
#include "drawtools/ToolHelpers.h"
#include "drawtools/TriangleLines.h"

namespace {

template <class T>
std::shared_ptr<T> Placed(FakeChart& chart, int ax, int ay, int bx, int by, int pane = 0) {
    auto tool = std::make_shared<T>();
    tool->m_pOwner = &chart;
    tool->m_nPaneIndex = pane;
    tool->m_strChart = chart.GetPaneName(pane);
    tool->OnMouseDown(nullptr, ax, ay, 0);
    tool->OnMouseMove(bx, by, 0);
    tool->OnMouseUp(nullptr);
    tool->BuildFigure();
    return tool;
}

// Centre x of bar i in the fake chart.
int X(const FakeChart& c, int i) {
    return c.IndexToX(i);
}

}  // namespace

TEST(ToolBase, BigEnoughNeedsMoreThanFivePixels) {
    FakeChart chart;
    struct Case {
        int dx, dy;
        bool big;
    } cases[] = {{0, 0, false}, {0, 5, false}, {0, 6, true}, {6, 0, true}, {5, 5, false}};
    for (const Case& c : cases) {
        CRecRgnLines box;
        box.x1 = 100, box.y1 = 100, box.x2 = 100 + c.dx, box.y2 = 100 + c.dy;
        EXPECT_EQ(box.IsBigEnough(), c.big) << c.dx << "," << c.dy;
    }
    // The exceptions: one-click tools and multi-point tools.
    EXPECT_TRUE(CVerticalLines().IsBigEnough());
    EXPECT_TRUE(CShuiPingTool().IsBigEnough());
    EXPECT_TRUE(CTextAssistor().IsBigEnough());
    EXPECT_TRUE(CBMPPaster().IsBigEnough());
    EXPECT_TRUE(CTriangleLines().IsBigEnough());
}

TEST(ToolBase, AnchorsLandOnBarCentresAndFollowScrolling) {
    FakeChart chart;
    auto line = Placed<CSegmentLine>(chart, X(chart, 10) + 2, 100, X(chart, 30) - 1, 200);
    EXPECT_EQ(line->x1, X(chart, 10));
    EXPECT_EQ(line->x2, X(chart, 30));
    EXPECT_EQ(line->m_lLeft, chart.bars[10].key);
    EXPECT_EQ(line->m_lRight, chart.bars[30].key);
    chart.first = 5;
    line->BuildFigure();
    EXPECT_EQ(line->x1, X(chart, 10));  // same bar, new pixel
}

TEST(ToolBase, HandlesWinOverBodyAndAnchorOneOverAnchorTwo) {
    FakeChart chart;
    CRecRgnLines box;
    box.m_pOwner = &chart;
    box.m_nPaneIndex = 0;
    box.x1 = 100, box.y1 = 100, box.x2 = 102, box.y2 = 101;
    box.MakeFigure(1, 0);
    EXPECT_EQ(box.HitTest(101, 100), 1);  // both squares hold it
    box.x2 = 200, box.y2 = 200;
    box.MakeFigure(1, 0);
    EXPECT_EQ(box.HitTest(199, 199), 2);
    EXPECT_EQ(box.HitTest(150, 102), 3);  // near the top side
    EXPECT_EQ(box.HitTest(150, 150), 0);  // inside, far from every side
    // A handle wholly outside the pane is neither hit nor painted.
    box.x1 = 2, box.y1 = 5;
    EXPECT_EQ(box.HitTest(2, 5), 0);
}

TEST(ToolBase, SnapKindsTakeTheBarPrices) {
    FakeChart chart;
    for (int kind = 1; kind <= 4; ++kind) {
        CSegmentLine line;
        line.m_pOwner = &chart;
        line.m_nPaneIndex = 0;
        line.OnMouseDown(nullptr, X(chart, 7), 250, kind);
        line.OnMouseUp(nullptr);
        EXPECT_DOUBLE_EQ(line.m_fTop, chart.GetBarPrice(7, kind)) << kind;
    }
    // A tool loaded from file (pane index -1) never snaps.
    CSegmentLine loaded;
    loaded.m_pOwner = &chart;
    loaded.OnMouseDown(nullptr, X(chart, 7), 170, 2);
    loaded.OnMouseUp(nullptr);
    EXPECT_DOUBLE_EQ(loaded.m_fTop, chart.YToValue(0, "", 170));
}

TEST(ToolBase, ValueLabelGivesSlopeAndAngle) {
    FakeChart chart;
    // 1.5 over 3 bars, 45 degrees on screen: 18 pixels across, 18 up.
    chart.barWidth = 6;
    chart.panes[0].minValue = 10;
    chart.panes[0].maxValue = 10 + 300 * 1.5 / 18;
    CSegmentLine line;
    line.m_pOwner = &chart;
    line.m_nPaneIndex = 0;
    line.OnMouseDown(nullptr, X(chart, 10), 200, 0);
    line.OnMouseMove(X(chart, 13), 182, 0);
    EXPECT_NE(line.Figure().FindText("0.500/D,45'"), nullptr);
    line.OnMouseUp(nullptr);
    CSegmentLine up;
    up.m_pOwner = &chart;
    up.m_nPaneIndex = 0;
    up.OnMouseDown(nullptr, X(chart, 10), 200, 0);
    up.OnMouseMove(X(chart, 10), 100, 0);
    EXPECT_NE(up.Figure().FindText("90'"), nullptr);
    up.OnMouseMove(X(chart, 10), 290, 0);
    EXPECT_NE(up.Figure().FindText("270'"), nullptr);
    up.OnMouseUp(nullptr);
}

TEST(SelectionEditor, DragsEachAnchorAndTheBody) {
    FakeChart chart;
    for (int part = 1; part <= 3; ++part) {
        auto line = Placed<CSegmentLine>(chart, X(chart, 10), 100, X(chart, 30), 200);
        CEncircleLines editor;
        editor.m_pOwner = &chart;
        editor.m_pTarget = line.get();
        editor.m_nPart = part;
        const CPoint start = part == 1 ? CPoint(line->x1, line->y1)
                             : part == 2 ? CPoint(line->x2, line->y2)
                                         : CPoint((line->x1 + line->x2) / 2, 150);
        editor.OnMouseDown(nullptr, start.x, start.y, 0);
        editor.OnMouseMove(start.x + 6 * 5, start.y + 20, 0);
        editor.OnMouseUp(nullptr);
        line->BuildFigure();
        const int64_t k1 = part != 2 ? chart.bars[15].key : chart.bars[10].key;
        const int64_t k2 = part != 1 ? chart.bars[35].key : chart.bars[30].key;
        EXPECT_EQ(line->m_lLeft, k1) << part;
        EXPECT_EQ(line->m_lRight, k2) << part;
        EXPECT_EQ(line->y1, part != 2 ? 120 : 100) << part;
        EXPECT_EQ(line->y2, part != 1 ? 220 : 200) << part;
    }
}

TEST(StraightLines, TrendLineWithOneXIsFullHeightVertical) {
    FakeChart chart;
    CQSLineTool t;
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.x1 = t.x2 = 100, t.y1 = 50, t.y2 = 150;
    t.MakeFigure(1, 0);
    EXPECT_EQ(t.m_nLeftY, 20);
    EXPECT_EQ(t.m_nRightY, 320);
    EXPECT_EQ(t.m_nLeftX, 100);
    t.x2 = 200, t.y2 = 100;  // rising to the right: crosses both edges
    t.MakeFigure(1, 0);
    EXPECT_EQ(t.m_nLeftX, 10);
    EXPECT_EQ(t.m_nRightX, 610);
    EXPECT_EQ(t.m_nLeftY, 50 + 50 * (10 - 100) / 100);
    EXPECT_TRUE(t.HitSegments(300, 150));
}

TEST(StraightLines, RayRunsDownWhenVerticalAndToTheEdgeOtherwise) {
    FakeChart chart;
    CSHEXIANTool ray;
    ray.m_pOwner = &chart;
    ray.m_nPaneIndex = 0;
    ray.x1 = ray.x2 = 100, ray.y1 = 50, ray.y2 = 40;
    ray.MakeFigure(1, 0);
    ASSERT_EQ(ray.Segments().size(), 2u);
    EXPECT_EQ(ray.Segments()[1], CPoint(100, 320));
    ray.x2 = 50, ray.y2 = 60;  // to the left
    ray.MakeFigure(1, 0);
    EXPECT_EQ(ray.Segments()[1], CPoint(10, 50 + (10 - 100) * 10 / -50));
}

TEST(StraightLines, SegmentStoredLeftToRightAndOneClickLines) {
    FakeChart chart;
    CSegmentLine s;
    s.x1 = 300, s.y1 = 10, s.x2 = 100, s.y2 = 90;
    s.MakeFigure(1, 0);
    EXPECT_EQ(s.m_nLeftX, 100);
    EXPECT_EQ(s.m_nRightY, 10);
    EXPECT_TRUE(s.HitSegments(200, 50));
    auto h = Placed<CShuiPingTool>(chart, X(chart, 5), 170, X(chart, 5), 170);
    EXPECT_EQ(h->Segments()[0], CPoint(10, 170));
    EXPECT_EQ(h->Segments()[1], CPoint(610, 170));
    char label[32];
    std::snprintf(label, sizeof label, "%.2f", h->m_fBottom);
    EXPECT_NE(h->Figure().FindText(label), nullptr);
    auto v = Placed<CVerticalLines>(chart, X(chart, 42), 100, X(chart, 42), 100);
    EXPECT_NE(v->Figure().FindText("42"), nullptr);  // the bar index
    // Far into a long minute history the index is not cut to 16 bits.
    chart.bars.resize(40000, chart.bars.back());
    for (size_t i = 0; i < chart.bars.size(); ++i) chart.bars[i].key = 202001020930LL + int64_t(i);
    chart.first = 39900;
    auto far = Placed<CVerticalLines>(chart, X(chart, 39960), 100, X(chart, 39960), 100);
    EXPECT_NE(far->Figure().FindText("39960"), nullptr);
    EXPECT_EQ(far->m_lRight, 202001020930LL + 39960);
}

TEST(StraightLines, ThroughAllPanesVerticalIsHitInEveryPane) {
    FakeChart chart;
    auto v = Placed<CGuanChuanChuiZhiTool>(chart, X(chart, 20), 100, X(chart, 20), 100);
    EXPECT_EQ(v->Segments().size(), 4u);
    EXPECT_EQ(v->HitTest(X(chart, 20) + 1, 250), 3);
    EXPECT_EQ(v->HitTest(X(chart, 20) - 2, 400), 3);
    EXPECT_EQ(v->HitTest(X(chart, 20) + 8, 400), 0);
}

TEST(GannTools, FanWithZeroHeightStillDrawsDistinctLines) {
    FakeChart chart;
    CGumpLine fan;
    fan.m_pOwner = &chart;
    fan.m_nPaneIndex = 0;
    fan.x1 = 100, fan.y1 = 100, fan.x2 = 200, fan.y2 = 100;
    fan.MakeFigure(1, 0);
    ASSERT_EQ(fan.m_nLineCount, 7);
    EXPECT_EQ(fan.m_ends[0], CPoint(610, 101));  // H forced to 1
    EXPECT_EQ(fan.m_ends[1], CPoint(610, 102));
    EXPECT_EQ(fan.m_ends[3], CPoint(610, 104));
    // Anchors sharing x: one line toward anchor 2.
    fan.x2 = 100, fan.y2 = 50;
    fan.MakeFigure(1, 0);
    EXPECT_EQ(fan.m_nLineCount, 1);
    EXPECT_EQ(fan.m_ends[0], CPoint(100, 20));
    // Anchor 1 on the edge the fan opens toward: no division by zero.
    fan.x1 = 610, fan.x2 = 620, fan.y2 = 140;
    fan.MakeFigure(1, 0);
    EXPECT_EQ(fan.m_nLineCount, 7);
    // Opening left mirrors the construction.
    fan.x1 = 300, fan.y1 = 100, fan.x2 = 200, fan.y2 = 150;
    fan.MakeFigure(1, 0);
    EXPECT_EQ(fan.m_ends[0], CPoint(10, 100 + 50 * 290 / 100));
    CSZTool speed;
    speed.m_pOwner = &chart;
    speed.m_nPaneIndex = 0;
    speed.x1 = 100, speed.y1 = 100, speed.x2 = 200, speed.y2 = 100;
    speed.MakeFigure(1, 0);
    EXPECT_EQ(speed.m_nLineCount, 6);
    EXPECT_EQ(speed.m_ends[0], CPoint(610, 100));  // no correction for the speed lines
}

TEST(GannTools, BoxDrawsBothQuarterLevelsAndTheHalfOnce) {
    FakeChart chart;
    CJNXTool box;
    box.m_pOwner = &chart;
    box.m_nPaneIndex = 0;
    box.x1 = 100, box.y1 = 100, box.x2 = 200, box.y2 = 180;
    box.MakeFigure(1, 0);
    int quarterA = 0, quarterB = 0, half = 0, verticals = 0;
    const auto& seg = box.Segments();
    for (size_t i = 0; i + 1 < seg.size(); i += 2) {
        const CPoint a = seg[i], b = seg[i + 1];
        if (a.y == b.y && a.x == 100 && b.x == 200) {
            quarterA += a.y == 120;
            quarterB += a.y == 160;
            half += a.y == 140;
        }
        if (a.x == b.x && (a.x == 125 || a.x == 150 || a.x == 175)) ++verticals;
    }
    EXPECT_EQ(quarterA, 1);
    EXPECT_EQ(quarterB, 1);
    EXPECT_EQ(half, 1);
    EXPECT_EQ(verticals, 6);  // three in each pass
    EXPECT_NE(box.Figure().FindText("17.33"), nullptr);
    // A box of no width or height has no quarters and does not divide by zero.
    box.x2 = 100, box.y2 = 100;
    box.MakeFigure(1, 0);
    EXPECT_FALSE(box.Segments().empty());
    EXPECT_NE(box.Figure().FindText("17.33"), nullptr);
}

TEST(GannTools, SymmetricAnglePickedOnlyNearItsLines) {
    CSymmetricAngleLine s;
    s.x1 = 100, s.y1 = 100, s.x2 = 150, s.y2 = 50;
    s.MakeFigure(1, 0);
    EXPECT_EQ(s.m_nLineCount, 3);
    EXPECT_TRUE(s.HitSegments(75, 75));   // the mirror line
    EXPECT_TRUE(s.HitSegments(100, 70));  // the vertical
    EXPECT_FALSE(s.HitSegments(130, 100));
}

TEST(TextTools, WideLinesWrapAndTheBoxIsAtMost341Wide) {
    EXPECT_EQ(CTextAssistor::TextBoxSize({CSize(700, 14)}), CSize(341, 42));
    EXPECT_EQ(CTextAssistor::TextBoxSize({CSize(100, 14), CSize(340, 14)}), CSize(340, 28));
    EXPECT_EQ(CTextAssistor::TextBoxSize({CSize(341, 14)}), CSize(341, 28));
    EXPECT_EQ(CTextAssistor::SplitLines("a\nb\n").size(), 2u);
    EXPECT_EQ(CTextAssistor::SplitLines("a\n\nb").size(), 3u);
}

TEST(TextTools, LeaderEndsAtTheNearestCorner) {
    FakeChart chart;
    CTextAssistor t;
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.m_strText = "ab";
    t.x2 = 100, t.y2 = 100;
    t.x1 = 500, t.y1 = 200;  // right of and below the box
    t.MakeFigure(1, 0);
    EXPECT_EQ(t.m_leaderEnd, CPoint(t.m_rcText.right, t.m_rcText.bottom));
    t.x1 = 50, t.y1 = 30;  // left of and above the box bottom
    t.MakeFigure(1, 0);
    EXPECT_EQ(t.m_leaderEnd, CPoint(t.m_rcText.left, t.m_rcText.top));
    EXPECT_EQ(t.HitTest(50, 30), 1);
    EXPECT_EQ(t.HitTest(100, 100), 2);
    EXPECT_EQ(t.HitTest(t.m_rcText.left + 5, t.m_rcText.top + 2), 3);
}

TEST(TextTools, PriceTagFlipsAtTheLeftAndTopEdges) {
    FakeChart chart;
    CBMPPaster tag(CBMPPaster::kPriceTag);
    tag.m_pOwner = &chart;
    tag.m_nPaneIndex = 0;
    tag.x2 = 300, tag.y2 = 200;
    tag.MakeFigure(1, 0);
    const FigureItem* text = nullptr;
    for (const FigureItem& it : tag.Figure().items)
        if (it.kind == FigureItem::Text) text = &it;
    ASSERT_NE(text, nullptr);
    EXPECT_LT(text->rect.right, 300);
    EXPECT_LT(text->rect.bottom, 200);
    tag.x2 = 15, tag.y2 = 25;  // near the left and top edges of the pane
    tag.MakeFigure(1, 0);
    for (const FigureItem& it : tag.Figure().items)
        if (it.kind == FigureItem::Text) text = &it;
    EXPECT_EQ(text->rect.left, 15 + 20);
    EXPECT_EQ(text->rect.top, 25 + 24);
    EXPECT_EQ(tag.HitTest(15, 25), 2);
}

TEST(TextTools, SymbolsDrawTheirCharacterAndHitWhereDrawn) {
    FakeChart chart;
    CBMPPaster s(25);
    s.m_pOwner = &chart;
    s.m_nPaneIndex = 0;
    s.x2 = 300, s.y2 = 200;
    s.MakeFigure(1, 0);
    EXPECT_NE(s.Figure().FindText("▽"), nullptr);
    EXPECT_EQ(s.HitTest(309, 191), 3);
    s.m_nVariant = 40;
    s.MakeFigure(1, 0);
    EXPECT_TRUE(s.Figure().Empty());
    // The arrows' areas follow the arrows: the down arrow above the point, the up one below.
    s.m_nVariant = CBMPPaster::kDownArrow;
    s.MakeFigure(1, 0);
    EXPECT_EQ(s.Figure().Count(FigureItem::TradeArrow), 1);
    EXPECT_EQ(s.HitTest(300, 196), 3);
    EXPECT_EQ(s.HitTest(300, 204), 0);
    s.m_nVariant = CBMPPaster::kUpArrow;
    EXPECT_EQ(s.HitTest(300, 204), 3);
    EXPECT_EQ(s.HitTest(300, 196), 0);
    EXPECT_STREQ(CBMPPaster(1).GetTypeName(), "FallTool");
    EXPECT_STREQ(CBMPPaster(2000).GetTypeName(), "RiseTool");
}

// Labels are made without printf where their format allows; the texts must be printf's.
TEST(ToolLabels, FormatGivesPrintfsText) {
    const double values[] = {0.0,    -0.0,   0.125,  0.375, 2.675,  1.005,   -1.005, 10.0 / 3,
                             44.995, -44.5,  1e-9,   0.5,   1.5,    2.5,     -2.5,   123456.789,
                             9.9999, 99.995, 1e14,   1e15,  1e16,   -1e300,  NAN,    INFINITY};
    const char* realFormats[] = {"%.2f", "%.02f%%", "%.01f%%(%.2f)", "%.03f(%.2f)",
                                 "100%% %.2f", "%.0f", "%.6f"};
    for (const char* fmt : realFormats) {
        for (double v : values) {
            char expected[160];
            std::snprintf(expected, sizeof expected, fmt, v, -v * 7);
            SCOPED_TRACE(testing::Message() << fmt << " " << v);
            // Formats with one conversion take the first argument only.
            const bool two = std::string(fmt).find("(%") != std::string::npos;
            if (two)
                EXPECT_EQ(Format(fmt, v, -v * 7), expected);
            else
                EXPECT_EQ(Format(fmt, v), std::string(expected).substr(0, 159));
        }
    }
    const int wholes[] = {0, 7, -7, 2147483647, -2147483647 - 1};
    for (int n : wholes) {
        char expected[160];
        std::snprintf(expected, sizeof expected, "%d(T)", n);
        EXPECT_EQ(Format("%d(T)", n), expected);
    }
    char expected[160];
    std::snprintf(expected, sizeof expected, "K数:%d 涨:%s 振:%s 权均:%.2f 均:%.2f", 12,
                  "3.25%", "--", 10.125, 9.875);
    EXPECT_EQ(Format("K数:%d 涨:%s 振:%s 权均:%.2f 均:%.2f", 12, "3.25%", "--", 10.125, 9.875),
              expected);
    // What printf alone handles, and a label longer than the buffer.
    std::snprintf(expected, sizeof expected, "%5.1f|%x|%+d", 3.14159, 255, 4);
    EXPECT_EQ(Format("%5.1f|%x|%+d", 3.14159, 255, 4), expected);
    const std::string longText(300, 'x');
    EXPECT_EQ(Format("%s!", longText.c_str()), longText.substr(0, 159));
    EXPECT_EQ(Format("%d%%", 5), "5%");
}
