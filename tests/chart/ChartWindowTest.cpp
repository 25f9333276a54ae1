// The chart window with its overlay and panes over bars in its data layer: mapping and
// layout against hand-worked numbers, the dispatch rule, keys, typed codes, commands and
// state answers, settings round trip, and painted charts checked at a few pixels.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ChartTestSupport.h"
#include "chart/ChartActions.h"
#include "chart/PicOverlay.h"

using namespace chart_test;
using chart::ChartOverlay;
using chart::OverlayMsgArgs;

namespace {

// ---- dispatch ----

struct Recorder : chart::POMsgAction {
    Recorder(chart::PicOverlay* o, std::vector<std::string>* log, std::string name, bool claim)
        : POMsgAction(o), log(log), name(std::move(name)), claim(claim) {}
    int OnMsg(int, OverlayMsgArgs& a) override {
        log->push_back(name);
        if (claim) a.result = 7;
        return claim ? 1 : 0;
    }
    std::vector<std::string>* log;
    std::string name;
    bool claim;
};

std::vector<std::shared_ptr<chart::PicOverlay>> Chains(std::vector<std::string>& log,
                                                        const std::string& claimer) {
    const std::vector<std::vector<std::string>> names = {
        {"DTO1", "DTO2", "DTO3", "DTO4"}, {"CO1", "CO2", "CO3"}, {"PT1"}};
    std::vector<std::shared_ptr<chart::PicOverlay>> overlays;
    for (size_t k = 0; k < names.size(); ++k) {
        auto o = std::make_shared<chart::PicOverlay>(nullptr, static_cast<int>(k));
        for (const auto& n : names[k])
            o->m_aActions.push_back(std::make_shared<Recorder>(o.get(), &log, n, n == claimer));
        overlays.push_back(o);
    }
    return overlays;
}

TEST(OverlayDispatch, OrderAndFirstClaim) {
    std::vector<std::string> log;
    OverlayMsgArgs args;
    EXPECT_FALSE(chart::DispatchOverlayMessage(Chains(log, ""), chart::kMsgMouseMove, args));
    EXPECT_EQ(log, (std::vector<std::string>{"DTO1", "CO1", "PT1", "DTO2", "CO2", "DTO3", "CO3", "DTO4"}));
    log.clear();
    EXPECT_TRUE(chart::DispatchOverlayMessage(Chains(log, "CO1"), chart::kMsgMouseHover, args));
    EXPECT_EQ(log, (std::vector<std::string>{"DTO1", "CO1"}));  // the tip never sees it
    EXPECT_EQ(args.result, 7);
}

TEST(OverlayDispatch, TextBlockCutsAtWholeCharacters) {
    OverlayMsgArgs a;
    EXPECT_EQ(a.SetText(std::string(100, 'a')), 100u);
    std::string chinese;
    for (int i = 0; i < 40; ++i) chinese += "指";  // 120 bytes
    EXPECT_EQ(a.SetText(chinese), 99u);            // 33 whole characters
    EXPECT_EQ(a.Text().size(), 99u);
    EXPECT_EQ(a.Text().substr(0, 3), "指");
    EXPECT_EQ(a.SetText("x" + chinese), 100u);  // 1 + 33 characters
    std::vector<std::string> log;
    auto overlays = Chains(log, "CO1");
    int64_t result = 0;
    EXPECT_TRUE(overlays[1]->SendText(std::string(300, 'b'), 0, 1, result));  // still delivered
    EXPECT_EQ(result, 7);
    EXPECT_FALSE(overlays[2]->SendText("x", 3, 1, result));  // no action at that index
}

TEST(ChartActions, TypedCodesAndZoomSteps) {
    struct Case {
        const char* text;
        int16_t type, period, wantType, wantPeriod;
    } cases[] = {
        {"05", 4, 1, 2, 0},  {"05", 3, 5, 4, 1},  {"08", 4, 5, 4, 6},  {"08", 4, 6, 3, 1},
        {"08", 3, 1, 3, 5},  {"08", 3, 5, 3, 15}, {"08", 3, 15, 3, 30}, {"08", 3, 30, 3, 60},
        {"08", 3, 60, 4, 1}, {"08", 2, 0, 4, 1},  {"95", 4, 1, 4, 6},  {"92", 4, 1, 4, 2},
        {"96", 4, 1, 3, 5},  {"90", 4, 1, 4, -1}, {"9.", 4, 1, 3, 1},  {"9/", 4, 1, 3, -1},
    };
    for (const Case& c : cases) {
        int16_t t = 0, p = 0;
        ASSERT_TRUE(chart::TypedCodeToPeriod(c.text, c.type, c.period, t, p)) << c.text;
        EXPECT_EQ(t, c.wantType) << c.text << " from " << c.type << "/" << c.period;
        EXPECT_EQ(p, c.wantPeriod) << c.text << " from " << c.type << "/" << c.period;
    }
    int16_t t, p;
    EXPECT_FALSE(chart::TypedCodeToPeriod("9", 4, 1, t, p));
    EXPECT_FALSE(chart::TypedCodeToPeriod("600000", 4, 1, t, p));

    EXPECT_EQ(chart::ZoomedCount(100, true, 1, 1000), 66);
    EXPECT_EQ(chart::ZoomedCount(26, true, 1, 1000), 17);
    EXPECT_EQ(chart::ZoomedCount(17, true, 3, 1000), 17);  // stops below 26
    EXPECT_EQ(chart::ZoomedCount(100, false, 1, 1000), 150);
    EXPECT_EQ(chart::ZoomedCount(100, false, 5, 200), 220);  // 110 % of the bars
    EXPECT_EQ(chart::ZoomedCount(300, false, 1, 200), 300);  // never below the start
}

// ---- a window over bars ----

class ChartWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureChartEnvironment();
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 900, 600), nullptr, 0);
        ASSERT_TRUE(wnd.Create(&host));
        host.ShowWindow(SW_SHOW);
        wnd.Layer().FillBars(DayBars(300));
        wnd.OnDataChanged();
        wnd.MoveWindow(0, 0, 800, 500);
        platform::ProcessPendingEvents();
        wnd.Chart().Layout();
        wnd.Chart().RecalcPanes();
    }
    void TearDown() override {
        wnd.DestroyWindow();
        host.DestroyWindow();
    }
    int Key(int key, int count = 1) { return wnd.OnElementKeyDown(static_cast<UINT>(key), static_cast<UINT>(count), 0); }
    CWnd host;
    TestChartWnd wnd;
};

TEST_F(ChartWindowTest, MappingOfBarsAndPixels) {
    ChartOverlay& c = wnd.Chart();
    c.m_rcPlot = CRect(50, 0, 652, 300);  // width 602: w = 600 / 100 = 6
    c.m_nVisibleCount = 100;
    c.m_nStart = 200;
    EXPECT_DOUBLE_EQ(c.GetBarWidth(), 6.0);
    const struct {
        int32_t i;
        int x;
    } xs[] = {{200, 54}, {201, 60}, {299, 648}, {199, 48}, {150, -246}, {400, 1254}};
    for (auto [i, x] : xs) EXPECT_EQ(c.IndexToX(i), x) << i;  // extrapolates both ways
    EXPECT_EQ(c.XToIndex(54), 200);
    EXPECT_EQ(c.XToIndex(56), 200);
    EXPECT_EQ(c.XToIndex(57), 201);
    EXPECT_EQ(c.XToIndex(-5000), 0);     // clamped into the bars
    EXPECT_EQ(c.XToIndex(99999), 299);
    EXPECT_EQ(c.XToIndexUnclamped(40), 198);
    c.m_nVisibleCount = 0;
    EXPECT_DOUBLE_EQ(c.GetBarWidth(), 1.0);
    c.m_nVisibleCount = 100;
    c.m_rcPlot = CRect(50, 0, 51, 300);  // narrower than its frame: never 0 or negative
    EXPECT_GT(c.GetBarWidth(), 0);
    EXPECT_NO_THROW(c.XToIndex(60));
}

TEST_F(ChartWindowTest, LayoutCentresOnTheCursorAndKeepsARightMargin) {
    ChartOverlay& c = wnd.Chart();
    c.m_nCursor = -1;
    c.m_nVisibleCount = 100;
    c.m_nEnd = 300;
    c.Layout();
    EXPECT_EQ(c.m_nEnd, 300);
    EXPECT_EQ(c.m_nStart, 205);  // 300 - 100 + 100 / 20
    c.m_nVisibleCount = 30;       // 30 / 20 = 1: two empty slots
    c.Layout();
    EXPECT_EQ(c.m_nStart, 272);
    c.m_nCursor = 100;
    c.m_nVisibleCount = 40;
    c.Layout();
    EXPECT_EQ(c.m_nEnd, 120);
    EXPECT_EQ(c.m_nStart, 80);
    c.m_nCursor = -1;
    c.m_nVisibleCount = 500;  // more than the bars: from the left edge
    c.m_nEnd = 300;
    c.Layout();
    EXPECT_EQ(c.m_nStart, 0);
    EXPECT_EQ(c.m_nEnd, 300);
}

TEST_F(ChartWindowTest, PanesShareThePlotByHeight) {
    ChartOverlay& c = wnd.Chart();
    while (c.GetPaneCount() > 2) c.RemovePane(c.GetPaneCount() - 1);
    c.m_aPanes[0]->Prop().m_nHeightPer = 500;
    c.m_aPanes[1]->Prop().m_nHeightPer = 250;
    c.m_rcPlot = CRect(60, 10, 700, 310);
    c.LayoutPanes();
    EXPECT_EQ(c.m_aPanes[0]->Prop().m_rcPane, CRect(60, 10, 700, 210));
    EXPECT_EQ(c.m_aPanes[1]->Prop().m_rcPane, CRect(60, 210, 700, 310));
    ASSERT_EQ(c.m_aSplitBars.size(), 1u);
    EXPECT_EQ(c.m_aSplitBars[0].m_nPos, 210);
    c.m_rcPlot = CRect(60, 10, 700, 19);  // 9 px: panes keep their places
    c.LayoutPanes();
    EXPECT_EQ(c.m_aPanes[1]->Prop().m_rcPane, CRect(60, 210, 700, 310));
}

TEST_F(ChartWindowTest, HitCodesOfPanes) {
    ChartOverlay& c = wnd.Chart();
    ASSERT_EQ(c.GetPaneCount(), 3);
    const chart::ChartPicProp& vol = c.m_aPanes[1]->Prop();
    ASSERT_GT(vol.m_nTitleHeight, 0);
    const int titleY = vol.m_rcPane.top + 2;
    EXPECT_EQ(vol.HitTest(CPoint(vol.m_rcPlot.CenterPoint())), chart::kHitPlot);
    EXPECT_EQ(vol.HitTest(CPoint(vol.m_rcPane.left + 20, titleY)), chart::kHitTitle);
    EXPECT_EQ(vol.HitTest(CPoint(vol.m_rcPane.right - 5, titleY)), chart::kHitClose);
    EXPECT_EQ(vol.HitTest(CPoint(c.m_rcChart.left + 1, vol.m_rcPlot.CenterPoint().y)), chart::kHitAxis);
    const chart::ChartPicProp& main = c.m_aPanes[0]->Prop();
    EXPECT_EQ(main.HitTest(CPoint(main.m_rcPane.right - 5, main.m_rcPane.top + 2)), chart::kHitTitle);
    c.RemovePane(2);  // two panes: no close box
    EXPECT_EQ(vol.HitTest(CPoint(vol.m_rcPane.right - 5, vol.m_rcPane.top + 2)), chart::kHitTitle);
}

TEST_F(ChartWindowTest, KeysZoomAndMoveTheCursor) {
    ChartOverlay& c = wnd.Chart();
    const int32_t before = c.m_nVisibleCount;
    EXPECT_EQ(Key(0x26), 1);  // Up zooms in
    EXPECT_EQ(c.m_nVisibleCount, before * 2 / 3);
    EXPECT_EQ(Key(0x28), 1);
    EXPECT_EQ(c.m_nVisibleCount, before * 2 / 3 * 3 / 2);
    EXPECT_EQ(c.m_nCursor, -1);
    EXPECT_EQ(Key(0x25), 1);  // Left enters cursor mode on the last visible bar
    EXPECT_TRUE(c.m_bCursorMode);
    EXPECT_EQ(c.m_nCursor, c.m_nEnd - 1);
    Key(0x25, 3);
    EXPECT_EQ(c.m_nCursor, c.m_nEnd - 4);
    Key(0x24);  // Home
    EXPECT_EQ(c.m_nCursor, c.m_nStart);
    Key(0x23);  // End
    EXPECT_EQ(c.m_nCursor, c.m_nEnd - 1);
    EXPECT_EQ(Key(0x1B), 1);  // Esc leaves
    EXPECT_FALSE(c.m_bCursorMode);
    EXPECT_EQ(c.m_nCursor, -1);
    EXPECT_EQ(Key('Q'), 0);
    const int ma = c.m_bDrawMA;
    Key(0x20);
    EXPECT_NE(c.m_bDrawMA, ma);
}

// What every pane shows over the visible bars: its range and each line's values.
std::vector<double> Shown(ChartOverlay& c) {
    std::vector<double> v;
    for (const auto& pane : c.m_aPanes) {
        const chart::ChartPicProp& p = pane->Prop();
        v.push_back(p.m_fMax);
        v.push_back(p.m_fMin);
        if (!p.m_pIndicator) continue;
        for (const CIndicatorExp& line : p.m_pIndicator->m_aExps)
            for (int32_t i = c.m_nStart; i < c.m_nEnd; ++i) {
                double x = -1e300;
                line.GetValue(i, x);
                v.push_back(x);
            }
    }
    return v;
}

// Zoom and pan keep the indicators' results and take only the ranges of the new view; what
// they show equals a full computation. New data computes again.
TEST_F(ChartWindowTest, ZoomAndPanReuseIndicatorResults) {
    ChartOverlay& c = wnd.Chart();
    c.m_nEnd = 300;  // the newest bars in view
    c.Layout();
    c.RecalcPanes();
    chart::ChartPicProp& macd = c.m_aPanes[2]->Prop();
    ASSERT_EQ(macd.m_strIndicatorName, "MACD");
    ASSERT_TRUE(macd.ResultsCurrent());
    std::vector<double>& first = macd.m_pIndicator->m_aExps.at(0).m_aValues;
    ASSERT_GT(first.size(), 40u);
    const double planted = 12345.0;
    first[40] = planted;  // a bar out of view: a computation would overwrite it
    auto full = [&] {
        for (const auto& pane : c.m_aPanes) pane->Prop().CalcIndicator(0, 300);
    };
    for (int key : {0x26, 0x26, 0x28, 0x28, 0x28}) {
        ASSERT_EQ(Key(key), 1);
        ASSERT_GT(c.m_nStart, 40);
        EXPECT_EQ(first[40], planted) << "recomputed on a zoom step";
        const std::vector<double> shown = Shown(c);
        const double keep = first[40];
        full();
        EXPECT_EQ(Shown(c), shown) << "visible " << c.m_nVisibleCount;
        first[40] = keep;
    }
    // Panning through the drawing tools' seam.
    c.SetVisibleRange(c.m_nStart - 30, c.m_nEnd - 30);
    EXPECT_EQ(first[40], planted);
    // New bars of the same count in the same buffer come with CalcIndicators: computed again.
    c.CalcIndicators(0, 300);
    EXPECT_NE(first[40], planted);
    // A resized result set (new data) is computed again on the next relayout.
    first[40] = planted;
    c.ResizePaneResults();
    EXPECT_FALSE(macd.ResultsCurrent());
    c.RecalcPanes();
    EXPECT_NE(macd.m_pIndicator->m_aExps.at(0).m_aValues.at(40), planted);
}

TEST_F(ChartWindowTest, TypedTextCommandsAndStateAnswers) {
    ChartOverlay& c = wnd.Chart();
    EXPECT_EQ(wnd.OnTypedText(1, "96"), 1);
    EXPECT_EQ(wnd.GetDataLayer()->GetDataType(), 3);
    EXPECT_EQ(wnd.GetDataLayer()->GetPeriod(), 5);
    EXPECT_EQ(wnd.OnTypedText(1, "91"), 1);
    EXPECT_EQ(wnd.GetDataLayer()->GetPeriod(), 1);
    EXPECT_EQ(wnd.OnTypedText(2, "B"), 1);  // style letters: American line
    EXPECT_EQ(c.m_nKLineType, 2);
    EXPECT_EQ(wnd.OnLayoutCommand(39942, 0), 0);  // the same style again
    EXPECT_EQ(wnd.OnLayoutCommand(39941, 0), 1);
    EXPECT_EQ(c.m_nKLineType, 1);
    EXPECT_EQ(wnd.SendMessage(chart::kMsgCommandState, 39941, 0), 3);
    EXPECT_EQ(wnd.SendMessage(chart::kMsgCommandState, 39943, 0), 1);
    EXPECT_EQ(wnd.SendMessage(chart::kMsgCommandState, 39988, 0), 3);  // day
    EXPECT_EQ(wnd.SendMessage(chart::kMsgCommandState, 39989, 0), 1);  // week
    EXPECT_EQ(wnd.SendMessage(chart::kMsgCommandState, 45600, 0), 1);
    wnd.OnLayoutCommand(45600, 0);
    EXPECT_EQ(wnd.SendMessage(chart::kMsgCommandState, 45600, 0), 3);
    wnd.SendMessage(chart::kMsgButtonReleased, 45600, 0);
    EXPECT_EQ(wnd.m_bDrawLineMode, 0);
    EXPECT_EQ(wnd.OnLayoutCommand(50127, 0), 1);  // logarithmic axis on the price pane
    EXPECT_EQ(c.m_aPanes[0]->Prop().m_nAxisType, chart::kAxisLog);
    EXPECT_EQ(wnd.SendMessage(chart::kMsgCommandState, 50127, 0), 3);
    EXPECT_EQ(wnd.OnLayoutCommand(50122, 0), 1);  // forward adjustment
    EXPECT_EQ(wnd.GetDataLayer()->GetAdjustMode(), 0);
    EXPECT_EQ(wnd.SendMessage(chart::kMsgCommandState, 50122, 0), 3);
    EXPECT_EQ(wnd.OnLayoutCommand(50122, 0), 0);  // the current mode
    // A longer typed text binds an indicator to the selected pane.
    c.m_nSelectedPane = 2;
    EXPECT_EQ(wnd.OnTypedText(2, "KDJ"), 1);
    EXPECT_EQ(c.m_aPanes[2]->Prop().m_strIndicatorName, "KDJ");
}

TEST_F(ChartWindowTest, SettingsRoundTrip) {
    wnd.m_bShowPicMenuBar = 1;
    wnd.m_bShowBarInd = 1;
    wnd.GetDataLayer()->SetDataType(3, 15);
    wnd.GetDataLayer()->SetCode(CIndSecuCode(1, "600036"));
    wnd.Chart().m_nKLineType = 3;
    wnd.Chart().m_aPanes[0]->Prop().SetAxisType(chart::kAxisLog);
    tinyxml2::XMLDocument doc;
    tinyxml2::XMLElement* node = doc.NewElement("Element");
    doc.InsertEndChild(node);
    wnd.SaveToXml(node);
    EXPECT_EQ(node->IntAttribute("IndependentBlock", -1), 0);  // written as well as read
    ASSERT_NE(node->FirstChildElement("ChartOverlay"), nullptr);

    TestChartWnd again;
    ASSERT_TRUE(again.Create(&host));
    again.LoadFromXml(node);
    EXPECT_EQ(again.m_bShowPicMenuBar, 1);
    EXPECT_EQ(again.m_bShowBarInd, 1);
    EXPECT_EQ(again.m_bIndependentBlock, 0);
    EXPECT_EQ(again.GetDataLayer()->GetDataType(), 3);
    EXPECT_EQ(again.GetDataLayer()->GetPeriod(), 15);
    EXPECT_EQ(again.GetDataLayer()->GetCode(), CIndSecuCode(1, "600036"));
    EXPECT_EQ(again.Chart().m_nKLineType, 3);
    ASSERT_EQ(again.Chart().GetPaneCount(), 3);
    EXPECT_EQ(again.Chart().m_aPanes[0]->Prop().m_nAxisType, chart::kAxisLog);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(again.Chart().m_aPanes[size_t(k)]->Prop().m_strIndicatorName,
                  wnd.Chart().m_aPanes[size_t(k)]->Prop().m_strIndicatorName);
        EXPECT_EQ(again.Chart().m_aPanes[size_t(k)]->Prop().m_nHeightPer,
                  wnd.Chart().m_aPanes[size_t(k)]->Prop().m_nHeightPer);
    }
    // Damaged settings stay in range.
    tinyxml2::XMLDocument bad;
    bad.Parse("<Element><DataLayer DataType='77' Period='9999'/>"
              "<ChartOverlay KLineType='99'><Chart HeightPer='0'/></ChartOverlay></Element>");
    TestChartWnd third;
    ASSERT_TRUE(third.Create(&host));
    third.LoadFromXml(bad.RootElement());
    EXPECT_EQ(third.GetDataLayer()->GetDataType(), 4);
    EXPECT_LE(third.Chart().m_nKLineType, 6);
    EXPECT_EQ(third.Chart().m_aPanes[0]->Prop().m_nHeightPer, 200);
    // A chart following the shared period keeps following it after a save.
    wnd.m_bIndependentBlock = 1;
    GetCommonVar()->m_nSharedDataType = 4;
    GetCommonVar()->m_nSharedPeriod = 3;
    tinyxml2::XMLElement* follow = doc.NewElement("Element");
    wnd.SaveToXml(follow);
    EXPECT_EQ(follow->IntAttribute("IndependentBlock", -1), 1);
    TestChartWnd fourth;
    ASSERT_TRUE(fourth.Create(&host));
    fourth.LoadFromXml(follow);
    EXPECT_EQ(fourth.m_bIndependentBlock, 1);
    EXPECT_EQ(fourth.GetDataLayer()->GetPeriod(), 3);  // the shared month period
    again.DestroyWindow();
    third.DestroyWindow();
    fourth.DestroyWindow();
}

// ---- painted charts ----

std::string ShotPath(const char* name) {
    const char* dir = std::getenv("TARROW_SHOT_DIR");
    return std::string(dir ? dir : ::testing::TempDir()) + "/" + name;
}

TEST_F(ChartWindowTest, DailyChartPaintsCandlesAxesAndAnErasableCrosshair) {
    Snapshot shot(800, 500);
    wnd.DrawClient(&shot.dc);
    shot.bmp.SavePng(ShotPath("chart_daily.png"));
    ChartOverlay& c = wnd.Chart();
    const CommonColorTable& colors = GetCommonVar()->Colors();
    const chart::ChartPicProp& main = c.m_aPanes[0]->Prop();
    // Some bar rises and some falls: both candle colours appear in the price pane.
    EXPECT_GT(shot.Count(main.m_rcPlot, colors[CommonColor::uniPic_Rise]), 50);
    EXPECT_GT(shot.Count(main.m_rcPlot, colors[CommonColor::uniPic_Fall]), 50);
    // The value axis and the time band carry text.
    EXPECT_GT(shot.Count(c.m_rcLeftAxis, colors[CommonColor::uniPic_Axe]), 20);
    EXPECT_FALSE(c.m_aGrid.empty());
    // MACD declares the single axis value 0: its range still spans its lines.
    const chart::ChartPicProp& macd = c.m_aPanes[2]->Prop();
    ASSERT_EQ(macd.m_strIndicatorName, "MACD");
    EXPECT_LT(macd.m_fMin, -0.05);
    EXPECT_GT(macd.m_fMax, 0.05);
    int labelPixels = 0;
    for (int y = c.m_rcTimeBand.top + 1; y < c.m_rcTimeBand.bottom; ++y)
        for (int x = c.m_rcPlot.left; x < c.m_rcPlot.right; ++x)
            labelPixels += shot.At(x, y) != colors[CommonColor::uniBackGround] &&
                           shot.At(x, y) != colors[CommonColor::uniPic_GridLine];
    EXPECT_GT(labelPixels, 30);
    // The crosshair is drawn over the chart and erased back to the identical image.
    const std::vector<COLORREF> before = shot.Pixels();
    const int32_t bar = (c.m_nStart + c.m_nEnd) / 2;
    const int y = main.m_rcPlot.CenterPoint().y;
    c.m_bCursorMode = 1;
    c.MoveCursor(bar, y, &shot.dc);
    shot.bmp.SavePng(ShotPath("chart_daily_cursor.png"));
    EXPECT_NE(shot.Pixels(), before);
    const int x = c.IndexToX(bar);
    EXPECT_NE(shot.At(x, main.m_rcPlot.top + 5), before[size_t(main.m_rcPlot.top + 5) * 800 + size_t(x)]);
    c.MoveCursor(-1, -1, &shot.dc);
    EXPECT_EQ(shot.Pixels(), before);
}

TEST_F(ChartWindowTest, FiveMinuteChartLabelsDays) {
    wnd.Layer().FillBars(FiveMinuteBars(6), PicDataLayer::kMinute, 5);
    ChartOverlay& c = wnd.Chart();
    c.Reset();
    c.CalcRects();
    c.Layout();
    c.RecalcPanes();
    Snapshot shot(800, 500);
    wnd.DrawClient(&shot.dc);
    shot.bmp.SavePng(ShotPath("chart_5min.png"));
    int majors = 0;
    for (const auto& g : c.m_aGrid) majors += g.kind == 0;
    EXPECT_GE(majors, 1);  // a new day inside the view
    const CommonColorTable& colors = GetCommonVar()->Colors();
    EXPECT_GT(shot.Count(c.m_aPanes[0]->Prop().m_rcPlot, colors[CommonColor::uniPic_Rise]) +
                  shot.Count(c.m_aPanes[0]->Prop().m_rcPlot, colors[CommonColor::uniPic_Fall]),
              100);
}

TEST(ChartIntraday, OneDayWithPriceAndVolumePanes) {
    EnsureChartEnvironment();
    CWnd host;
    host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 700, 400), nullptr, 0);
    TestIntradayWnd wnd;
    ASSERT_TRUE(wnd.Create(&host));
    host.ShowWindow(SW_SHOW);
    std::vector<std::array<double, 4>> rows;
    for (int m = 0; m < 240; ++m) {
        const double price = 10 + 0.3 * std::sin(m / 20.0);
        rows.push_back({2401020000.0 + chart::SessionMinuteTime({}, m), price, 10 + 0.1 * std::sin(m / 40.0), 0});
    }
    wnd.Layer().FillIntraday(rows, PicDataLayer::kHistoryIntraday);
    wnd.Layer().SetPreviousClose(10.0);
    wnd.OnDataChanged();
    wnd.MoveWindow(0, 0, 640, 360);
    platform::ProcessPendingEvents();
    ChartOverlay& c = wnd.Chart();
    c.Layout();
    c.RecalcPanes();
    ASSERT_EQ(c.GetPaneCount(), 2);
    EXPECT_GT(c.m_aPanes[0]->Prop().m_nTitleHeight, 0);  // intraday panes show their titles
    EXPECT_EQ(c.m_nStart, 0);
    EXPECT_EQ(c.m_nEnd, 240);
    // Symmetric about the previous close.
    const chart::ChartPicProp& p = c.m_aPanes[0]->Prop();
    EXPECT_NEAR(p.m_fMax - 10.0, 10.0 - p.m_fMin, 1e-9);
    Snapshot shot(640, 360);
    wnd.DrawClient(&shot.dc);
    shot.bmp.SavePng(ShotPath("chart_intraday.png"));
    int intradayMarks = 0;
    for (const auto& g : c.m_aGrid) intradayMarks += g.kind == 2;
    EXPECT_GE(intradayMarks, 1);
    const std::vector<COLORREF> before = shot.Pixels();
    c.m_bCursorMode = 1;
    c.MoveCursor(100, p.m_rcPlot.CenterPoint().y, &shot.dc);
    EXPECT_NE(shot.Pixels(), before);
    c.MoveCursor(-1, -1, &shot.dc);
    EXPECT_EQ(shot.Pixels(), before);
    wnd.DestroyWindow();
    host.DestroyWindow();
}

TEST(ChartRegistration, LayoutsMakeTheChartByName) {
    EnsureChartEnvironment();
    RegisterChartElementTypes();
    auto e = CreateElementByType("CKlineChartWnd");
    ASSERT_NE(dynamic_cast<CKlineChartWnd*>(e.get()), nullptr);
    EXPECT_EQ(e->GetTypeName(), "CKlineChartWnd");
}

}  // namespace
