#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "FakeChart.h"
#include "drawtools/ToolCatalogue.h"
#include "drawtools/WaveTools.h"

namespace {

// The first leg placed in pixels, then the pattern grown from it.
void FirstLeg(C3LANGTool& t, FakeChart& chart, CPoint p, CPoint q) {
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.m_items[0] = CLineItem{0, p.x, p.y, q.x, q.y, 1};
    t.m_items[0].begun = 1;
}

std::vector<CPoint> Ends(const C3LANGTool& t) {
    std::vector<CPoint> ends;
    for (const CLineItem& it : t.m_items) ends.emplace_back(it.x2, it.y2);
    return ends;
}

}  // namespace

TEST(WaveTools, LegsFollowTheFormulaWithItsRounding) {
    struct Case {
        const char* type;
        CPoint p, q;
        std::vector<CPoint> ends;  // every leg's end, the user's leg first
    };
    const Case cases[] = {
        // Up 100 over 40: the legs go down (int)(50 - 0.5) = 49, then up (int)(-100 + 0.5)
        // = -99 pixels: the rounding is taken toward the factor's sign, not the leg's.
        {"3LANGTool", {100, 250}, {140, 150}, {{140, 150}, {180, 199}, {220, 100}}},
        // Down 101: -0.33 gives (int)(101 * -0.33 - 0.5) = -33, 2.0 gives 202, 1.0 gives 101.
        {"5LANGTool",
         {100, 100},
         {130, 201},
         {{130, 201}, {160, 168}, {190, 370}, {220, 337}, {250, 438}}},
        {"8LANGTool",
         {100, 100},
         {110, 200},
         {{110, 200}, {120, 167}, {130, 367}, {140, 217}, {150, 467}, {160, 317}, {170, 392},
          {180, 242}}},
        {"MJBLTool", {100, 200}, {140, 100}, {{140, 100}, {180, 174}, {220, -25}}},
        {"TJXTool",
         {100, 100},
         {110, 150},
         {{110, 150}, {120, 100}, {130, 190}, {140, 100}, {150, 150}, {160, 100}}},
        // W/M: down, up, down after a leg drawn up, each as high as the first (less the
        // rounding); exactly as high after a leg drawn down.
        {"WTMDTool", {100, 160}, {120, 100}, {{120, 100}, {140, 159}, {160, 100}, {180, 159}}},
        {"WTMDTool", {100, 100}, {120, 160}, {{120, 160}, {140, 100}, {160, 160}, {180, 100}}},
    };
    FakeChart chart;
    for (const Case& c : cases) {
        auto tool = std::dynamic_pointer_cast<C3LANGTool>(MakeDrawTool(c.type));
        ASSERT_NE(tool, nullptr) << c.type;
        ASSERT_EQ(tool->m_items.size(), 1u);  // one leg to place
        FirstLeg(*tool, chart, c.p, c.q);
        tool->BuildLegs();
        EXPECT_EQ(Ends(*tool), c.ends) << c.type;
        for (size_t k = 1; k < tool->m_items.size(); ++k) {
            // Each leg starts where the one before ends and is as wide.
            const CLineItem& prev = tool->m_items[k - 1];
            const CLineItem& leg = tool->m_items[k];
            EXPECT_EQ(CPoint(leg.x1, leg.y1), CPoint(prev.x2, prev.y2));
            EXPECT_EQ(leg.x2 - leg.x1, prev.x2 - prev.x1);
            EXPECT_TRUE(leg.placed);
        }
        // The legs are drawn end to end (the area ratio adds box sides, tested apart).
        tool->MakeFigure(1, 0);
        if (std::string(c.type) != "MJBLTool")
            EXPECT_EQ(tool->Segments().size(), 2 * c.ends.size()) << c.type;
    }
}

TEST(WaveTools, PlacedByMouseKeepsItsLegsThroughTheFile) {
    FakeChart chart;
    C5LANGTool t;
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    const int xa = chart.IndexToX(10), xb = chart.IndexToX(15);
    t.OnMouseDown(nullptr, xa, 200, 0);
    t.OnMouseMove(xb, 140, 0);
    t.OnMouseUp(nullptr);
    ASSERT_TRUE(t.IsComplete());
    ASSERT_EQ(t.m_items.size(), 5u);
    // Every leg is five bars wide and stored by its bars.
    for (size_t k = 0; k < t.m_items.size(); ++k) {
        EXPECT_EQ(t.m_items[k].key2, chart.bars[15 + 5 * k].key) << k;
        EXPECT_TRUE(t.m_items[k].placed);
    }

    tinyxml2::XMLDocument doc;
    tinyxml2::XMLElement* e = doc.NewElement("element");
    doc.InsertEndChild(e);
    t.saveToXml(e);
    C5LANGTool back;
    back.loadFromXml(e);
    back.m_pOwner = &chart;
    ASSERT_EQ(back.m_items.size(), 5u);
    back.BuildFigure();
    t.BuildFigure();
    EXPECT_EQ(back.Segments(), t.Segments());
    // A reloaded tool is complete: releasing it again grows nothing.
    back.OnMouseUp(nullptr);
    EXPECT_EQ(back.m_items.size(), 5u);
}

TEST(WaveTools, HandlesAreTheFirstStartAndEveryEnd) {
    FakeChart chart;
    C3LANGTool t;
    FirstLeg(t, chart, {100, 250}, {140, 150});
    t.BuildLegs();
    t.MakeFigure(1, 0);
    EXPECT_EQ(t.HitTest(100, 250), 1);
    EXPECT_EQ(t.HitTest(180, 199), 2);
    EXPECT_EQ(t.HitTest(220, 100), 2);
    EXPECT_EQ(t.HitTest(200, 150), 3);  // on the third leg
    t.GetAnchorRect(200, 150);
    EXPECT_EQ(t.m_nCurItem, 2);
    EXPECT_EQ(t.HitTest(300, 300), 0);
}

TEST(WaveTools, AreaRatioLabelsEachLegsBox) {
    FakeChart chart;
    CMJBLTool t;
    // First leg 40 x 100; the legs then span 40 x 74 and 40 x 199.
    FirstLeg(t, chart, {100, 200}, {140, 100});
    t.BuildLegs();
    t.MakeFigure(1, 0);
    const FigureItem* first = t.Figure().FindText("0.74");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->rect, CRect(140, 100, 180, 174));
    const FigureItem* second = t.Figure().FindText("1.99");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->rect, CRect(180, -25, 220, 174));
    // Legs 2 and 3 record their two box sides; hitting a side picks its leg.
    EXPECT_EQ(t.Segments().size(), 2u + 6u + 6u);
    t.GetAnchorRect(220, 150);
    EXPECT_EQ(t.m_nCurItem, 2);
    // The rubber band has no labels.
    t.MakeFigure(0, 1);
    EXPECT_EQ(t.Figure().Count(FigureItem::Text), 0);

    CMJBLTool flat;  // a flat first leg has no area to compare with
    FirstLeg(flat, chart, {100, 200}, {140, 200});
    flat.BuildLegs();
    flat.MakeFigure(1, 0);
    EXPECT_EQ(flat.Figure().Count(FigureItem::Text), 0);
}

TEST(WaveTools, WaveRulerHangsTheFirstLegsLevelsFromTheSecond) {
    FakeChart chart;
    CBoLangTool t;
    t.m_pOwner = &chart;
    t.m_nPaneIndex = 0;
    t.m_items[0] = CLineItem{0, 100, 200, 140, 100, 1};
    t.m_items[1] = CLineItem{1, 140, 100, 180, 150, 1};
    t.m_items[0].begun = t.m_items[1].begun = 1;
    t.MakeFigure(1, 0);
    // The first leg is 100 pixels high: levels at 150 - 100 * L / 1000 below the end (180, 150).
    const int ys[] = {150, 112, 89, 50, -11, -111};
    const auto& s = t.Segments();
    ASSERT_EQ(s.size(), 2u + 2u + 12u + 2u);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(s[4 + 2 * k], CPoint(180, ys[k])) << k;
        EXPECT_EQ(s[5 + 2 * k], CPoint(210, ys[k])) << k;
    }
    EXPECT_EQ(s[16], CPoint(195, 150));
    EXPECT_EQ(s[17], CPoint(195, -111));
    // y 112 is 20 - 92 / 30 = 16.93 on the fake axis.
    const FigureItem* l382 = t.Figure().FindText("38.2%(16.93)");
    ASSERT_NE(l382, nullptr);
    EXPECT_EQ(l382->rect, CRect(210, 20, 610, 112));
    EXPECT_NE(t.Figure().FindText("0.0%(15.67)"), nullptr);
}

TEST(WaveTools, WaveRulerReloadsWhatItSaves) {
    FakeChart chart;
    CBoLangTool t;
    t.m_items[0].key1 = chart.bars[3].key;
    t.m_items[0].key2 = chart.bars[9].key;
    t.m_items[1].key1 = chart.bars[9].key;
    t.m_items[1].key2 = chart.bars[14].key;
    t.m_items[0].value1 = 12.5;
    t.m_items[0].value2 = 17.25;
    t.m_items[1].value1 = 17.25;
    t.m_items[1].value2 = 14.125;
    for (auto& it : t.m_items) it.placed = it.begun = 1;
    tinyxml2::XMLDocument doc;
    tinyxml2::XMLElement* e = doc.NewElement("element");
    doc.InsertEndChild(e);
    t.saveToXml(e);
    CBoLangTool back;
    EXPECT_EQ(back.loadFromXml(e), 1);
    ASSERT_EQ(back.m_items.size(), 2u);
    EXPECT_EQ(back.m_items[0].key1, chart.bars[3].key);
    EXPECT_EQ(back.m_items[1].key2, chart.bars[14].key);
    EXPECT_DOUBLE_EQ(back.m_items[0].value2, 17.25);
    EXPECT_DOUBLE_EQ(back.m_items[1].value2, 14.125);
    EXPECT_EQ(back.m_levels, t.m_levels);
}

TEST(WaveTools, ClonesKeepTheirClassAndFormula) {
    for (const char* type :
         {"3LANGTool", "5LANGTool", "8LANGTool", "MJBLTool", "TJXTool", "WTMDTool", "BoLangTool"}) {
        auto tool = MakeDrawTool(type);
        ASSERT_NE(tool, nullptr) << type;
        auto copy = tool->Clone();
        EXPECT_STREQ(copy->GetTypeName(), type);
        if (auto* wave = dynamic_cast<C3LANGTool*>(tool.get()))
            EXPECT_EQ(dynamic_cast<C3LANGTool*>(copy.get())->m_formula.size(),
                      wave->m_formula.size());
    }
}
