// The drawing tools on a real chart window (offscreen, bars written into its data layer):
// picked by command, placed, moved and deleted with the window's own mouse and key
// handlers, kept in the security's tool file across a close and reopen, painted by the
// panes, and the tool bar's pressed states answered through the window.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <filesystem>

#include "../chart/ChartTestSupport.h"
#include "common/ScratchDir.h"
#include "chart/ChartActions.h"
#include "drawtools/GannTools.h"
#include "drawtools/KlineDrawTools.h"
#include "drawtools/RegressionTools.h"
#include "drawtools/StraightLines.h"
#include "drawtools/TextTools.h"
#include "drawtools/ToolCatalogue.h"
#include "drawtools/ToolFile.h"
#include "drawtools/ToolSettings.h"
#include "platform/Services.h"

using namespace chart_test;

namespace {

constexpr COLORREF kToolColour = RGB(250, 0, 250);
constexpr int kTrendLineCommand = 49995 + 11;
constexpr int kGannFanCommand = 49995 + 58;
constexpr int kSegmentCommand = 49995 + 12;

// One chart window of security 1/600000, days, over 300 bars, its tools kept in `dir`.
struct ChartOnScreen {
    explicit ChartOnScreen(const std::string& toolDir, bool withSecurity = true) {
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 900, 600), nullptr, 0);
        EXPECT_TRUE(wnd.Create(&host));
        host.ShowWindow(SW_SHOW);
        Join().Tools().SetToolDirectory(toolDir);
        if (withSecurity) wnd.SetSecurity(CIndSecuCode(1, "600000"), nullptr);
        wnd.Layer().FillBars(DayBars(300));
        wnd.OnDataChanged();
        wnd.MoveWindow(0, 0, 800, 500);
        platform::ProcessPendingEvents();
        wnd.Chart().m_nVisibleCount = 80;
        wnd.Chart().Layout();
        wnd.Chart().RecalcPanes();
    }
    ~ChartOnScreen() {
        wnd.DestroyWindow();
        host.DestroyWindow();
    }
    KlineDrawToolOverlay& Join() {
        auto join = std::dynamic_pointer_cast<KlineDrawToolOverlay>(wnd.GetDrawToolOverlay());
        EXPECT_TRUE(join);
        return *join;
    }
    const std::vector<std::shared_ptr<CRecRgnLines>>& Tools() { return Join().Tools().Tools(); }
    int Command(int id) { return wnd.OnLayoutCommand(UINT(id), 0); }
    LRESULT State(int id) { return wnd.WindowProc(chart::kMsgCommandState, WPARAM(id), 0); }
    void Drag(CPoint a, CPoint b) {
        wnd.OnElementLButtonDown(0, a.x, a.y);
        wnd.OnElementMouseMove(1, (a.x + b.x) / 2, (a.y + b.y) / 2);
        wnd.OnElementMouseMove(1, b.x, b.y);
        wnd.OnElementLButtonUp(0, b.x, b.y);
    }
    // A point on the price pane at bar i and value v.
    CPoint At(int32_t i, double v) {
        return CPoint(wnd.Chart().IndexToX(i), wnd.Chart().ValueToY(0, std::string(), v));
    }
    double Low() { return wnd.Chart().YToValue(0, std::string(), wnd.Chart().GetPaneRect(0, "").bottom - 40); }
    double High() { return wnd.Chart().YToValue(0, std::string(), wnd.Chart().GetPaneRect(0, "").top + 40); }
    int32_t Start() { return wnd.Chart().GetStartIndex(); }
    // Pixels of the tool colour within a few pixels of the segment a-b, as painted now.
    int ColourAlong(CPoint a, CPoint b) {
        wnd.Invalidate(FALSE);
        wnd.UpdateWindow();
        CBitmap shot;
        if (!platform::CaptureWindow(&wnd, shot)) return -1;
        const double ratio = shot.GetPixelRatio();
        int hits = 0;
        for (int k = 1; k < 20; ++k) {
            const int x = a.x + (b.x - a.x) * k / 20, y = a.y + (b.y - a.y) * k / 20;
            bool found = false;
            for (int dy = -2; dy <= 2 && !found; ++dy)
                for (int dx = -2; dx <= 2 && !found; ++dx)
                    found = (shot.GetPixel(int((x + dx) * ratio), int((y + dy) * ratio)) & 0xFFFFFF) == kToolColour;
            hits += found;
        }
        return hits;
    }

    CWnd host;
    TestChartWnd wnd;
};

class ChartJoin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        EnsureChartEnvironment();
        InstallKlineDrawTools();
    }
    static void TearDownTestSuite() { chart::SetDrawToolOverlayFactory(nullptr); }
    void SetUp() override {
        GetToolSettings() = ToolSettings{};
        GetCommonVar()->m_nDragFlag = 0;
        GetCommonVar()->m_clrDrawDefault = kToolColour;
    }
    std::string ToolDir() { return dir.File("Data/Tools"); }
    std::vector<std::shared_ptr<CRecRgnLines>> Saved() {
        std::vector<std::shared_ptr<CRecRgnLines>> tools;
        LoadToolFile(ToolDir() + "/1_600000_4001.xml", tools);
        return tools;
    }
    ScratchDir dir;
};

}  // namespace

TEST_F(ChartJoin, TrendLineDrawnKeptAcrossReopenMovedAndDeleted) {
    CPoint a, b;
    int64_t leftKey = 0;
    {
        ChartOnScreen c(ToolDir());
        const int32_t s = c.Start();
        a = c.At(s + 10, c.Low());
        b = c.At(s + 60, c.High());
        ASSERT_EQ(c.ColourAlong(a, b), 0);  // nothing of the tool colour before
        EXPECT_EQ(c.Command(kTrendLineCommand), 1);
        EXPECT_EQ(c.Join().GetMode(), 11);
        c.Drag(a, b);
        ASSERT_EQ(c.Tools().size(), 1u);
        EXPECT_STREQ(c.Tools()[0]->GetTypeName(), "QSLineTool");
        EXPECT_EQ(c.Tools()[0]->m_nPaneIndex, 0);
        EXPECT_EQ(c.Tools()[0]->m_strChart, "");
        EXPECT_EQ(c.Join().GetMode(), 4);  // one line, then back to selecting
        leftKey = c.Tools()[0]->m_lLeft;
        EXPECT_EQ(leftKey, int64_t(c.wnd.Chart().GetBars()->GetTime(s + 10)));
        const auto saved = Saved();
        ASSERT_EQ(saved.size(), 1u);
        EXPECT_STREQ(saved[0]->GetTypeName(), "QSLineTool");
        EXPECT_EQ(saved[0]->m_lLeft, leftKey);
        EXPECT_GE(c.ColourAlong(a, b), 17);
    }
    {
        // Reopened: the line comes back from the file and is painted where it was.
        ChartOnScreen c(ToolDir());
        ASSERT_EQ(c.Tools().size(), 1u);
        EXPECT_EQ(c.Tools()[0]->m_lLeft, leftKey);
        EXPECT_GE(c.ColourAlong(a, b), 17);

        // Grab its middle and move it 5 bars right.
        const CPoint mid((a.x + b.x) / 2, (a.y + b.y) / 2);
        const int dx = c.wnd.Chart().IndexToX(c.Start() + 40) - c.wnd.Chart().IndexToX(c.Start() + 35);
        c.Drag(mid, CPoint(mid.x + dx, mid.y));
        ASSERT_EQ(c.Tools().size(), 1u);
        const int64_t moved = c.Tools()[0]->m_lLeft;
        EXPECT_EQ(moved, int64_t(c.wnd.Chart().GetBars()->GetTime(c.Start() + 15)));
        ASSERT_EQ(Saved().size(), 1u);
        EXPECT_EQ(Saved()[0]->m_lLeft, moved);

        // Delete removes the selected line from the chart and the file.
        EXPECT_EQ(c.wnd.OnElementKeyDown(46, 1, 0), 1);
        EXPECT_TRUE(c.Tools().empty());
        EXPECT_TRUE(Saved().empty());
        EXPECT_EQ(c.ColourAlong(a, b), 0);
    }
}

TEST_F(ChartJoin, ChartRestoredFromALayoutShowsItsTools) {
    {
        ChartOnScreen c(ToolDir());
        c.Command(kSegmentCommand);
        c.Drag(c.At(c.Start() + 5, c.Low()), c.At(c.Start() + 30, c.High()));
        ASSERT_EQ(Saved().size(), 1u);
    }
    // A layout names the security and period; nobody sets the security afterwards.
    ChartOnScreen c(ToolDir(), false);
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<wnd><DataLayer DataType=\"4\" Period=\"1\" market=\"1\" code=\"600000\"/></wnd>"),
              tinyxml2::XML_SUCCESS);
    c.wnd.LoadFromXml(doc.RootElement());
    c.wnd.Layer().FillBars(DayBars(300));
    c.wnd.OnDataChanged();
    c.wnd.Chart().Layout();
    c.wnd.Chart().RecalcPanes();
    c.wnd.Invalidate(FALSE);
    c.wnd.UpdateWindow();
    ASSERT_EQ(c.Tools().size(), 1u);
    // Changes go to that security's file: Delete removes the line there.
    c.Join().Tools().Select(c.Tools()[0].get());
    EXPECT_EQ(c.wnd.OnElementKeyDown(46, 1, 0), 1);
    EXPECT_TRUE(Saved().empty());
}

TEST_F(ChartJoin, ToolsFollowTheSecurityAndPeriod) {
    ChartOnScreen c(ToolDir());
    c.Command(kSegmentCommand);
    c.Drag(c.At(c.Start() + 5, c.Low()), c.At(c.Start() + 30, c.High()));
    ASSERT_EQ(c.Tools().size(), 1u);
    // Weeks have their own file: nothing there yet.
    c.wnd.SetPeriod(4, 2);
    EXPECT_TRUE(c.Tools().empty());
    EXPECT_FALSE(std::filesystem::exists(ToolDir() + "/1_600000_4002.xml"));
    c.wnd.SetPeriod(4, 1);
    EXPECT_EQ(c.Tools().size(), 1u);
    c.wnd.SetSecurity(CIndSecuCode(2, "000001"), nullptr);
    EXPECT_TRUE(c.Tools().empty());
    c.wnd.SetSecurity(CIndSecuCode(1, "600000"), nullptr);
    EXPECT_EQ(c.Tools().size(), 1u);
}

TEST_F(ChartJoin, ChartWithoutSecurityKeepsNoFile) {
    ChartOnScreen c(ToolDir(), false);
    c.Command(kSegmentCommand);
    c.Drag(c.At(c.Start() + 5, c.Low()), c.At(c.Start() + 30, c.High()));
    EXPECT_EQ(c.Tools().size(), 1u);  // drawn, but nowhere to keep it
    EXPECT_FALSE(std::filesystem::exists(ToolDir()));
}

TEST_F(ChartJoin, ButtonStatesAnsweredThroughTheWindow) {
    ChartOnScreen c(ToolDir());
    struct Step {
        int command;  // 0: only ask
        int ask;
        LRESULT want;
    } steps[] = {
        {0, kTrendLineCommand, 1},
        {kTrendLineCommand, kTrendLineCommand, 3},
        {0, kSegmentCommand, 1},
        {50069, 50069, 3},  // the symbol of variant 7
        {0, kTrendLineCommand, 1},
        {0, 50104, 1},
        {50104, 50104, 3},
        {0, 45601, 1},
        {45601, 45601, 3},
        {0, chart::kCmdDrawLine, 1},  // still the chart's own answer
        {chart::kCmdDrawLine, chart::kCmdDrawLine, 3},
    };
    for (const Step& s : steps) {
        if (s.command) {
            EXPECT_EQ(c.Command(s.command), 1) << s.command;
        }
        EXPECT_EQ(c.State(s.ask), s.want) << "after " << s.command << " asking " << s.ask;
    }
    // The chart keeps its value ranges while pan mode is on.
    EXPECT_EQ(c.wnd.Chart().m_bPanMode, 1);
    c.wnd.WindowProc(chart::kMsgButtonReleased, 45601, 0);
    EXPECT_EQ(c.State(45601), 1);
    EXPECT_EQ(c.wnd.Chart().m_bPanMode, 0);
    // Leaving draw-line mode puts the tools down: no tool or eraser stays chosen.
    c.Command(kGannFanCommand);
    c.Command(50104);
    c.wnd.WindowProc(chart::kMsgButtonReleased, chart::kCmdDrawLine, 0);
    EXPECT_EQ(c.State(chart::kCmdDrawLine), 1);
    EXPECT_EQ(c.State(50104), 1);
    EXPECT_EQ(c.State(kGannFanCommand), 1);
    EXPECT_EQ(c.Join().GetMode(), 4);
}

TEST_F(ChartJoin, PanModeDragMovesBarsAndValues) {
    ChartOnScreen c(ToolDir());
    c.Command(45601);
    const int32_t start = c.Start();
    const CPoint from = c.At(start + 40, (c.Low() + c.High()) / 2);
    const double before = c.wnd.Chart().YToValue(0, "", from.y);
    const int bar = c.wnd.Chart().IndexToX(start + 41) - c.wnd.Chart().IndexToX(start + 40);
    c.Drag(from, CPoint(from.x + 3 * bar + bar / 2, from.y + 40));
    EXPECT_EQ(c.Start(), start - 3);
    // The value that was under the pointer's start went down with it (the axis keeps its
    // rounded scale steps, so within a few pixels).
    EXPECT_GT(c.wnd.Chart().GetValueOffset(0), 0);
    EXPECT_NEAR(c.wnd.Chart().ValueToY(0, "", before), from.y + 40, 8);
    EXPECT_TRUE(c.Tools().empty());
}

TEST_F(ChartJoin, ScreenshotOfAChartWithToolsAndSymbols) {
    ChartOnScreen c(ToolDir());
    const int32_t s = c.Start();
    const double lo = c.Low(), hi = c.High(), mid = (lo + hi) / 2;
    // Trend line and Gann fan placed with the mouse, as a user does.
    c.Command(kTrendLineCommand);
    c.Drag(c.At(s + 4, lo), c.At(s + 50, hi));
    GetCommonVar()->m_clrDrawDefault = RGB(0, 220, 255);
    c.Command(kGannFanCommand);
    c.Drag(c.At(s + 45, mid), c.At(s + 62, hi));
    // Two symbols: an up arrow and a star, one click each.
    GetCommonVar()->m_clrDrawDefault = RGB(255, 60, 60);
    c.Command(50060);
    const CPoint up = c.At(s + 20, lo);
    c.wnd.OnElementLButtonDown(0, up.x, up.y);
    c.wnd.OnElementLButtonUp(0, up.x, up.y);
    c.Command(50062 + 30);
    const CPoint star = c.At(s + 70, hi);
    c.wnd.OnElementLButtonDown(0, star.x, star.y);
    c.wnd.OnElementLButtonUp(0, star.x, star.y);
    // The text box asks for its text in a dialog: placed directly with its text.
    auto text = std::make_shared<CTextAssistor>();
    text->m_pOwner = &c.Join().DrawChart();
    text->m_nPaneIndex = 0;
    text->m_lLeft = int64_t(c.wnd.Chart().GetBars()->GetTime(s + 60));
    text->m_lRight = int64_t(c.wnd.Chart().GetBars()->GetTime(s + 52));
    text->m_fTop = lo + (hi - lo) * 0.1;
    text->m_fBottom = lo + (hi - lo) * 0.3;
    text->m_strText = "突破前高\n注意回踩";
    text->m_color = RGB(255, 255, 255);
    text->m_colorBK = RGB(40, 40, 110);
    c.Join().Tools().AddTool(text);
    c.Join().Tools().SaveTools();
    ASSERT_EQ(c.Tools().size(), 5u);
    EXPECT_EQ(Saved().size(), 5u);

    c.wnd.Invalidate();
    c.wnd.UpdateWindow();
    const std::string png = std::string(TARROW_BINARY_DIR) + "/drawtools-chart-screenshot.png";
    ASSERT_TRUE(platform::SaveWindowScreenshot(&c.wnd, png));
    EXPECT_GE(c.ColourAlong(c.At(s + 4, lo), c.At(s + 50, hi)), 15);  // the fan crosses its end
    // The text box is filled with its background colour.
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&c.wnd, shot));
    const double ratio = shot.GetPixelRatio();
    text->BuildFigure();
    const CRect box = text->m_rcText;
    ASSERT_FALSE(box.IsRectEmpty());
    int filled = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            filled += (shot.GetPixel(int(x * ratio), int(y * ratio)) & 0xFFFFFF) == RGB(40, 40, 110);
    EXPECT_GT(filled, box.Width() * box.Height() / 4);
}

TEST_F(ChartJoin, RegressionChannelAndVolumesComeFromTheDataLayer) {
    ChartOnScreen c(ToolDir());
    IDrawChart* chart = c.Join().Tools().Chart();
    ASSERT_NE(chart, nullptr);
    const int32_t first = c.Start() + 5, last = first + 30;
    RegressionChannel got;
    ASSERT_TRUE(chart->CalcRegressionChannel(first, last, got));
    double l0 = 0, l1 = 0, above = 0, below = 0;
    int32_t hi = -1, lo = -1;
    ASSERT_TRUE(c.wnd.m_pDataLayer->CalcRegressionChannel(last, first, l0, l1, above, below, hi, lo));
    EXPECT_EQ(got.lineFirst, l0);
    EXPECT_EQ(got.lineLast, l1);
    EXPECT_EQ(got.maxAbove, above);
    EXPECT_EQ(got.maxBelow, below);
    EXPECT_EQ(got.highestIndex, hi);
    EXPECT_EQ(got.lowestIndex, lo);
    EXPECT_FALSE(chart->CalcRegressionChannel(first, 100000, got));  // past the bars held
    EXPECT_EQ(chart->GetBarPrice(first, 5), c.wnd.m_pDataLayer->GetVolume(first));
    // A regression band over those bars sits on the layer's line.
    CHGDLineTool band;
    band.m_pOwner = chart;
    band.m_nPaneIndex = 0;
    band.x1 = c.wnd.Chart().IndexToX(first);
    band.x2 = c.wnd.Chart().IndexToX(last);
    band.y1 = band.y2 = 100;
    band.MakeFigure(1, 0);
    ASSERT_TRUE(band.m_bFitted);
    EXPECT_EQ(band.y1, c.wnd.Chart().ValueToY(0, std::string(), l0));
    EXPECT_EQ(band.y2, c.wnd.Chart().ValueToY(0, std::string(), l1));
}
