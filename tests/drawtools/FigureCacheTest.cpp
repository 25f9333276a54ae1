// Curve tools (and multi-point tools drawn from their points alone) keep their stored figure between repaints while their pixel anchors and pane
// stay put. Whatever moves underneath (scrolling, the value range, the log axis, the pane's
// size, the tool's own data, a drag), the figure a repaint shows must be the one a fresh
// build gives.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "FakeChart.h"
#include "drawtools/ArcLines.h"
#include "drawtools/CurveTools.h"
#include "drawtools/ParallelLines.h"

namespace {

std::shared_ptr<CRecRgnLines> Placed(std::shared_ptr<CRecRgnLines> tool, FakeChart& chart, int ax,
                                     int ay, int bx, int by) {
    tool->m_pOwner = &chart;
    tool->m_nPaneIndex = 0;
    tool->m_strChart = chart.GetPaneName(0);
    tool->OnMouseDown(nullptr, ax, ay, 0);
    tool->OnMouseMove(bx, by, 0);
    tool->OnMouseUp(nullptr);
    tool->BuildFigure();
    return tool;
}

bool SameItem(const FigureItem& x, const FigureItem& y) {
    return x.kind == y.kind && x.a == y.a && x.b == y.b && x.rect == y.rect && x.pen == y.pen &&
           x.color == y.color && x.text == y.text;
}

// The figure and segments as a build from scratch would make them now.
void ExpectFresh(CRecRgnLines& tool, const char* change) {
    auto fresh = tool.Clone();
    fresh->DataToPixels(0);
    fresh->MakeFigure(1, 0);
    const auto& got = tool.Figure().items;
    const auto& want = fresh->Figure().items;
    ASSERT_EQ(got.size(), want.size()) << tool.GetTypeName() << " after " << change;
    for (size_t i = 0; i < got.size(); ++i)
        ASSERT_TRUE(SameItem(got[i], want[i])) << tool.GetTypeName() << " item " << i << " after " << change;
    EXPECT_EQ(tool.Segments(), fresh->Segments()) << tool.GetTypeName() << " after " << change;
}

}  // namespace

TEST(FigureCache, RepaintsMatchAFreshBuildWhateverChanges) {
    const std::function<std::shared_ptr<CRecRgnLines>()> kinds[] = {
        [] { return std::make_shared<CCircleTool>(); },  [] { return std::make_shared<CEllipseTool>(); },
        [] { return std::make_shared<CSinLineTool>(); }, [] { return std::make_shared<CParaBolaLines>(); },
        [] { return std::make_shared<CDSLXTool>(); },    [] { return std::make_shared<CArcLines>(); },
    };
    struct Change {
        const char* what;
        std::function<void(FakeChart&, CRecRgnLines&)> apply;
    };
    const Change changes[] = {
        {"nothing", [](FakeChart&, CRecRgnLines&) {}},
        {"scrolling", [](FakeChart& c, CRecRgnLines&) { c.first += 3; }},
        {"a wider value range", [](FakeChart& c, CRecRgnLines&) { c.panes[0].maxValue = 24; }},
        {"the log axis", [](FakeChart& c, CRecRgnLines&) { c.logAxis = true; }},
        // Anchors stay where they were; only how far the curves run changes.
        {"a narrower pane", [](FakeChart& c, CRecRgnLines&) { c.panes[0].rect.right = 330; }},
        {"a taller pane", [](FakeChart& c, CRecRgnLines&) { c.panes[0].rect.bottom = 420; }},
        {"its own data", [](FakeChart&, CRecRgnLines& t) { t.m_fBottom += 0.7; }},
        {"a drag", [](FakeChart&, CRecRgnLines& t) {
             t.x2 += 9;
             t.MakeFigure(0, 1);
         }},
    };
    for (const auto& make : kinds) {
        FakeChart chart;
        auto tool = Placed(make(), chart, 220, 150, 260, 190);
        for (const Change& c : changes) {
            c.apply(chart, *tool);
            tool->BuildFigure();
            ExpectFresh(*tool, c.what);
            tool->BuildFigure();  // and again, from what was kept
            ExpectFresh(*tool, c.what);
        }
    }
}

// Multi-point tools whose figure follows their points: any point, the placing state or the
// pane changing builds the figure again.
TEST(FigureCache, MultiPointFiguresFollowEveryPoint) {
    const std::function<std::shared_ptr<CTriangleLines>()> kinds[] = {
        [] { return std::make_shared<CSDQXTool>(); },
        [] { return std::make_shared<CADLYCXTool>(); },
    };
    struct Change {
        const char* what;
        std::function<void(FakeChart&, CTriangleLines&)> apply;
    };
    const Change changes[] = {
        {"nothing", [](FakeChart&, CTriangleLines&) {}},
        {"scrolling", [](FakeChart& c, CTriangleLines&) { c.first += 3; }},
        {"a wider value range", [](FakeChart& c, CTriangleLines&) { c.panes[0].maxValue = 24; }},
        {"a narrower pane", [](FakeChart& c, CTriangleLines&) { c.panes[0].rect.right = 330; }},
        {"the third point's value", [](FakeChart&, CTriangleLines& t) { t.m_items[1].value2 += 0.8; }},
        {"the first point's bar", [](FakeChart&, CTriangleLines& t) { t.m_items[0].key1 += 2; }},
        {"the second item unplaced",
         [](FakeChart&, CTriangleLines& t) { t.m_items[1].begun = 0; }},
    };
    for (const auto& make : kinds) {
        FakeChart chart;
        auto tool = make();
        tool->m_pOwner = &chart;
        tool->m_nPaneIndex = 0;
        tool->m_strChart = chart.GetPaneName(0);
        tool->m_items[0] = CLineItem{0, 150, 220, 210, 120, 1};
        tool->m_items[1] = CLineItem{1, 210, 120, 280, 200, 1};
        tool->m_items[0].begun = tool->m_items[1].begun = 1;
        tool->PixelsToData(0);
        tool->BuildFigure();
        ASSERT_GT(tool->Figure().items.size(), 3u) << tool->GetTypeName();
        for (const Change& c : changes) {
            c.apply(chart, *tool);
            tool->BuildFigure();
            ExpectFresh(*tool, c.what);
            tool->BuildFigure();
            ExpectFresh(*tool, c.what);
        }
    }
}
