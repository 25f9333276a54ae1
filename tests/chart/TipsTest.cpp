// Hover labels, the floating value panel, the tip popups and the intraday popup.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "ChartTestSupport.h"
#include "chart/IntradayPopup.h"
#include "chart/PicTipOverlay.h"
#include "chart/TipPopups.h"
#include "chart/ValuePanel.h"
#include "marketdata/DataCenter.h"
#include "marketdata/Security.h"
#include "platform/App.h"
#include "platform/Services.h"
#include "training/TrainingChartHost.h"
#include "training/TrainingPicData.h"
#include "training/TrainingRecord.h"

using namespace chart;
using namespace chart_test;

namespace {

std::string ShotPath(const char* name) {
    const char* dir = std::getenv("TARROW_SHOT_DIR");
    return std::string(dir ? dir : ::testing::TempDir()) + "/" + name;
}

TradeDetailItem Trade(int32_t date, int32_t time, int8_t bs, int8_t op, double price, int32_t vol) {
    TradeDetailItem t;
    t.TradeDate = date;
    t.TradeTime = time;
    t.bsdir = bs;
    t.opdir = op;
    t.TradePrice = price;
    t.vol = vol;
    return t;
}

TEST(HoverTipText, TimeLabelsByDataType) {
    const struct {
        int16_t type;
        int64_t key;
        const char* text;
    } cases[] = {
        {4, 20131205, "2013/12/05,四"},    // a Thursday
        {4, 20240107, "2024/01/07,日"},    // Sunday
        {4, 20240302, "2024/03/02,六"},
        {4, 20240229, "2024/02/29,四"},    // leap day
        {4, 20230229, "2023/02/29"},       // not a date: no weekday to show
        {4, 20231301, "2023/13/01"},
        {3, 201312051030, "12/05/10:30"},  // yyyymmddhhmm, as the data keeps minute bars
        {3, 1312051030, "12/05/10:30"},    // yymmddhhmm
        {2, 930, "09:30"},
        {2, 1312051500, "15:00"},
        {5, 1312051030, "05/10:30"},
        {13, 93005, "09:30:05"},
        {13, 150000, "15:00:00"},
        {7, 20131205, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatTipTime(c.type, c.key), c.text) << c.type << " " << c.key;
    EXPECT_EQ(TextColumns("2013/12/05,四"), 13);
    EXPECT_EQ(TextColumns("09:30"), 5);
}

class TipsTest : public ::testing::Test {
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
        tip = wnd.TipOverlay();
        ASSERT_TRUE(tip);
    }
    void TearDown() override {
        if (CDlgValueBar* panel = GetValueBar(false)) {
            panel->ShowWindow(SW_HIDE);
            panel->SetOwnerChart(nullptr);
        }
        wnd.DestroyWindow();
        host.DestroyWindow();
    }
    // A point in the price pane's plot over bar.
    CPoint OverBar(int32_t bar) {
        const ChartPicProp& main = wnd.Chart().m_aPanes[0]->Prop();
        return CPoint(wnd.Chart().IndexToX(bar), main.m_rcPlot.CenterPoint().y);
    }
    CWnd host;
    TestChartWnd wnd;
    std::shared_ptr<PicTipOverlay> tip;
};

TEST_F(TipsTest, LabelsSitOnTheAxesAndLeaveTheExactPixelsBehind) {
    ChartOverlay& c = wnd.Chart();
    Snapshot shot(800, 500);
    wnd.DrawClient(&shot.dc);
    const std::vector<COLORREF> before = shot.Pixels();

    const int32_t bar = c.m_nStart + 20;
    const CPoint pt = OverBar(bar);
    tip->UpdateTip(true, pt, &shot.dc);
    shot.bmp.SavePng(ShotPath("chart_tips.png"));
    EXPECT_NE(shot.Pixels(), before);
    // The time label: the bar's date with its weekday, centred on x across the time band.
    CFloatDayItem b;
    ASSERT_TRUE(LayerBar(wnd.Layer(), bar, b));
    EXPECT_EQ(tip->m_timeLayer.GetText(), FormatTipTime(4, b.m_nTime));
    const CRect t = tip->m_timeLayer.GetSavedRect();
    EXPECT_EQ(t.top, c.m_rcTimeBand.top);
    EXPECT_EQ(t.bottom, c.m_rcTimeBand.bottom);
    EXPECT_LE(std::abs(t.CenterPoint().x - pt.x), 1);
    EXPECT_EQ(t.Width(), (TextColumns(tip->m_timeLayer.GetText()) + 2) * GetCommonVar()->m_nChartCharWidth);
    // The value label: the row's value in the left axis column, centred on y.
    const CRect v = tip->m_valueLayer.GetSavedRect();
    EXPECT_EQ(tip->m_valueLayer.GetText(), c.m_aPanes[0]->Prop().FormatValueAt(pt.y));
    EXPECT_EQ(v.left, c.m_rcChart.left);
    EXPECT_EQ(v.right, c.m_rcPlot.left);
    EXPECT_LE(std::abs(v.CenterPoint().y - pt.y), 1);
    const COLORREF labelBack = GetCommonVar()->Colors()[CommonColor::uniHigh_BackGround];
    EXPECT_GT(shot.Count(CRect(t.left + 1, t.top + 1, t.right - 1, t.bottom - 1), labelBack), 10);
    EXPECT_GT(shot.Count(CRect(v.left + 1, v.top + 1, v.right - 1, v.bottom - 1), labelBack), 10);

    // Moving on and away: each step puts back what the last label covered.
    tip->UpdateTip(true, OverBar(bar + 7), &shot.dc);
    tip->UpdateTip(true, OverBar(bar + 8) + CPoint(0, 30), &shot.dc);
    tip->UpdateTip(true, CPoint(c.m_rcChart.right + 5, pt.y), &shot.dc);  // off the chart
    EXPECT_FALSE(tip->m_timeLayer.IsShown());
    EXPECT_FALSE(tip->m_valueLayer.IsShown());
    EXPECT_EQ(shot.Pixels(), before);

    // A repaint under the labels: they are drawn again on top, and leaving restores the new
    // picture, not the old copy.
    tip->UpdateTip(true, pt, &shot.dc);
    wnd.DrawClient(&shot.dc);
    EXPECT_NE(shot.Pixels(), before);
    tip->UpdateTip(false, pt, &shot.dc);
    EXPECT_EQ(shot.Pixels(), before);
}

// The window's own events: the crosshair is XORed across the value label's rows by the
// mouse and the keys; once the labels go, the window holds exactly what a fresh paint
// with the crosshair where it ended would hold.
TEST_F(TipsTest, CrosshairMovesUnderTheLabelsLeaveNoTrace) {
    ChartOverlay& c = wnd.Chart();
    wnd.Repaint(true);
    ASSERT_EQ(wnd.OnElementKeyDown(0x25, 1, 0), 1);  // Left: cursor mode on the last bar
    const int32_t bar = c.m_nStart + 40;
    wnd.OnElementMouseMove(0, OverBar(bar).x, OverBar(bar).y);
    ASSERT_TRUE(tip->m_valueLayer.IsShown());
    ASSERT_TRUE(tip->m_timeLayer.IsShown());
    wnd.OnElementMouseMove(0, OverBar(bar + 3).x, OverBar(bar + 3).y + 9);
    for (int k = 0; k < 3; ++k) wnd.OnElementKeyDown(0x25, 1, 0);
    wnd.OnElementKeyDown(0x27, 1, 0);
    platform::ProcessPendingEvents();
    EXPECT_TRUE(tip->m_valueLayer.IsShown());
    tip->HideLabels();
    CBitmap moved;
    ASSERT_TRUE(platform::CaptureWindow(&wnd, moved));
    wnd.Repaint(true);
    CBitmap fresh;
    ASSERT_TRUE(platform::CaptureWindow(&wnd, fresh));
    const CSize size = moved.GetSize();
    ASSERT_EQ(size, fresh.GetSize());
    int differing = 0;
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            differing += (moved.GetPixel(x, y) & 0xFFFFFF) != (fresh.GetPixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(differing, 0);
    if (CDlgValueBar* panel = GetValueBar(false)) panel->HidePanel(0);
}

// New data under the cursor bar repaints the chart, and the value panel, fed from the
// paint, moves the labels in the middle of it: still nothing of an old picture comes back.
TEST_F(TipsTest, ARepaintThatMovesTheLabelsLeavesNoGhost) {
    ChartOverlay& c = wnd.Chart();
    wnd.Repaint(true);
    ASSERT_EQ(wnd.OnElementKeyDown(0x25, 1, 0), 1);
    const int32_t bar = c.m_nStart + 50;
    wnd.OnElementMouseMove(0, OverBar(bar).x, OverBar(bar).y);
    ASSERT_TRUE(tip->m_valueLayer.IsShown());
    std::vector<CFloatDayItem> bars = DayBars(300);
    bars[size_t(bar)].m_fClose += 0.37;
    bars[size_t(bar)].m_fHigh += 4.0;  // a new top: the value axis changes under the label
    wnd.Layer().FillBars(bars);
    wnd.Repaint(true);
    platform::ProcessPendingEvents();
    EXPECT_TRUE(tip->m_valueLayer.IsShown());
    tip->HideLabels();
    CBitmap after;
    ASSERT_TRUE(platform::CaptureWindow(&wnd, after));
    wnd.Repaint(true);
    CBitmap fresh;
    ASSERT_TRUE(platform::CaptureWindow(&wnd, fresh));
    int differing = 0;
    const CSize size = after.GetSize();
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            differing += (after.GetPixel(x, y) & 0xFFFFFF) != (fresh.GetPixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(differing, 0);
    if (CDlgValueBar* panel = GetValueBar(false)) panel->HidePanel(0);
}

TEST_F(TipsTest, CursorModeShowsTheCloseAndTheLabelDodgesTheValuePanel) {
    ChartOverlay& c = wnd.Chart();
    Snapshot shot(800, 500);
    wnd.DrawClient(&shot.dc);
    const int32_t bar = c.m_nStart + 30;
    c.m_bCursorMode = 1;
    c.MoveCursor(bar, OverBar(bar).y, &shot.dc);
    tip->UpdateTip(true, OverBar(bar), &shot.dc);
    char close[32];
    std::snprintf(close, sizeof close, "%.2f", wnd.Layer().GetClose(bar));
    EXPECT_EQ(tip->m_valueLayer.GetText(), close);
    tip->HideLabels(&shot.dc);

    // The value panel over the left axis column pushes the label to the right edge.
    CDlgValueBar* panel = GetValueBar(true);
    ASSERT_TRUE(panel);
    CRect column(c.m_rcChart.left, c.m_rcPlot.top, c.m_rcPlot.left, c.m_rcPlot.bottom);
    wnd.ClientToScreen(&column);
    CDlgValueBar::SetPosition(CPoint(column.left, column.top));
    panel->ShowPanel();
    platform::ProcessPendingEvents();
    tip->UpdateTip(true, OverBar(bar), &shot.dc);
    const CRect v = tip->m_valueLayer.GetSavedRect();
    EXPECT_EQ(v.right, c.m_rcChart.right);
    EXPECT_EQ(v.Width(), c.m_rcPlot.left - c.m_rcChart.left);
    EXPECT_EQ(c.m_rcValuePanel, v);
    panel->ShowWindow(SW_HIDE);
    tip->UpdateTip(true, OverBar(bar), &shot.dc);
    EXPECT_EQ(tip->m_valueLayer.GetSavedRect().left, c.m_rcChart.left);
    EXPECT_TRUE(c.m_rcValuePanel.IsRectEmpty());
}

TEST_F(TipsTest, PaneTipLinesAreTheFlagTextsNearThePoint) {
    ChartOverlay& c = wnd.Chart();
    const int32_t bar = c.m_nStart + 10;
    const CPoint pt = OverBar(bar);
    ChartPicProp& p = c.m_aPanes[0]->Prop();
    p.m_texts.hoverTips.clear();
    AddFlagText(p.m_texts.hoverTips, bar, CPosText{0, pt.x, pt.y + 5, "放量突破"});
    AddFlagText(p.m_texts.hoverTips, bar, CPosText{0, pt.x, pt.y + 40, "too far"});
    CTipArray lines;
    EXPECT_EQ(GetPaneTipText(c, 0, lines, pt), 1);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "提示文字");
    EXPECT_EQ(lines[1].text, "放量突破");
    EXPECT_EQ(lines[1].value, -1);
    lines.clear();
    EXPECT_EQ(GetPaneTipText(c, 0, lines, OverBar(bar + 1)), 0);  // another bar
    EXPECT_TRUE(lines.empty());
}

// The training side of a chart window, for a layer that carries a session record.
class TrainingSide : public ITrainingChartOwner {
public:
    explicit TrainingSide(TestChartWnd& w) : wnd(w) {}
    void* GetWindowHandle() const override { return wnd.GetWindowHandle(); }
    std::shared_ptr<IChartOverlay> GetChartOverlay() override { return wnd.GetChartOverlay(); }
    bool GetDrawToolMode(uint16_t& mode) override { return wnd.GetDrawToolMode(mode); }
    void ResetSeries() override {}
    void OnDataNotify(uint64_t, int64_t) override {}
    void RefreshTipAtCursor() override {}
    void Repaint(bool) override {}
    void ShowIntradayPicture(const CIndSecuCode&, uint32_t, const CFloatDayItem&, double) override {}
    TrainingReveal* GetReveal() override { return nullptr; }
    ITrainingPanel* FindTrainingPanel() override { return nullptr; }
    bool ShowPrompt(const std::string&, Prompt) override { return false; }
    TestChartWnd& wnd;
};

class RecordLayer : public TrainingPicData {
public:
    using TrainingPicData::TrainingPicData;
    void CopyBars(const TestLayer& from) {
        SetDataType(from.GetDataType(), from.GetPeriod());
        m_nItemCount = from.GetItemCount();
        Reserve();
        m_nBegin = from.GetBegin();
        m_nEnd = from.GetEnd();
        std::memcpy(m_items.data(), from.GetRecords(), size_t(m_nItemCount) * size_t(RecordSize()));
    }
    void RequestData() override {}
};

TEST_F(TipsTest, ATradeMarkOffersTheTradeRecordLineWithItsKey) {
    ChartOverlay& c = wnd.Chart();
    TrainingSide side(wnd);
    auto layer = std::make_shared<RecordLayer>(&side);
    layer->CopyBars(wnd.Layer());
    CTrainingRecord record;
    const int32_t bar = c.m_nStart + 15;
    CFloatDayItem b;
    ASSERT_TRUE(LayerBar(*layer, bar, b));
    const int32_t date = static_cast<int32_t>(b.m_nTime);
    record.trades = {Trade(date, 0, 1, 1, b.m_fLow, 100), Trade(date, 0, -1, 1, b.m_fHigh, 100)};
    layer->SetRecord(&record);
    c.SetDataLayer(layer.get());
    const ChartPicProp& p = c.m_aPanes[0]->Prop();
    const int x = c.IndexToX(bar);
    // Below the low for an opening trade, above the high for a closing one.
    const int below = p.PriceToY(b.m_fLow, false) + 5 + 10;
    const int above = p.PriceToY(b.m_fHigh, false) - 25 + 10;
    CTipArray lines;
    EXPECT_EQ(GetPaneTipText(c, 0, lines, CPoint(x, below)), 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "买卖记录-4-" + std::to_string(date) + "-1");
    lines.clear();
    EXPECT_EQ(GetPaneTipText(c, 0, lines, CPoint(x, above)), 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "买卖记录-4-" + std::to_string(date) + "-255");
    lines.clear();
    EXPECT_EQ(GetPaneTipText(c, 0, lines, CPoint(x + 30, below)), 0);
    // The tip turns the line into the rows of that bar and direction.
    CTipMulti* tip = GetTipMulti(true);
    ASSERT_TRUE(tip);
    std::shared_ptr<PicDataLayer> own = wnd.m_pDataLayer;
    wnd.m_pDataLayer = layer;
    tip->m_pending.clear();
    tip->m_pending.AddTipLine("买卖记录-4-" + std::to_string(date) + "-255");
    tip->ShowTip(&wnd, true, false);
    ASSERT_EQ(tip->m_trades.size(), 1u);
    EXPECT_EQ(tip->m_trades[0].bsdir, -1);
    tip->HideUnlessHovered(CPoint(-100, -100));

    // Minute bars: the key is yyyymmddhhmm, as the bars keep it.
    wnd.m_pDataLayer = own;
    TestLayer minutes(&wnd);
    minutes.FillBars(FiveMinuteBars(6), PicDataLayer::kMinute, 5);
    layer->CopyBars(minutes);
    c.Reset();
    c.CalcRects();
    c.Layout();
    c.RecalcPanes();
    const int32_t m = c.m_nStart + 9;
    ASSERT_TRUE(LayerBar(*layer, m, b));
    record.trades = {Trade(static_cast<int32_t>(b.m_nTime / 10000), static_cast<int32_t>(b.m_nTime % 10000), 1, -1,
                           b.m_fLow, 200)};
    lines.clear();
    EXPECT_EQ(GetPaneTipText(c, 0, lines, CPoint(c.IndexToX(m), c.m_aPanes[0]->Prop().PriceToY(b.m_fLow, false) + 15)),
              1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "买卖记录-3-" + std::to_string(b.m_nTime) + "-1");
    c.SetDataLayer(&wnd.Layer());
}

// ---- the value panel ----

TEST(ValuePanel, HeightsAndPlacement) {
    const struct {
        int16_t type;
        int height;
    } heights[] = {{2, 248}, {5, 253}, {13, 153}, {3, 373}, {4, 373}};
    for (auto [type, h] : heights) EXPECT_EQ(CDlgValueBar::PanelHeight(type), h) << type;
    const struct {
        int left, top;
        CPoint placed;
    } positions[] = {
        {200, 100, {200, 100}},   {200, -60, {200, 253}},  {200, -50, {200, -50}}, {200, 1081, {200, 253}},
        {200, 1080, {200, 1080}}, {-1, 100, {1000, 100}}, {1871, 100, {1000, 100}}, {1870, 100, {1870, 100}},
    };
    for (const auto& p : positions)
        EXPECT_EQ(CDlgValueBar::ClampPosition(p.left, p.top, 1920, 1080), p.placed) << p.left << "," << p.top;
}

TEST_F(TipsTest, PanelRowsFollowTheCursorBar) {
    ChartOverlay& c = wnd.Chart();
    CSecurity security;
    CDlgValueBar* panel = GetValueBar(true);
    ASSERT_TRUE(panel);
    CFloatDayItem bar{};
    bar.m_nTime = 20131205;
    bar.m_fOpen = 10.0;
    bar.m_fHigh = 10.5;
    bar.m_fLow = 9.8;
    bar.m_fClose = 10.2;
    bar.m_fVolume = 123456;
    bar.m_fAmount = 1.5e8;
    panel->SetBarValues(bar, 10.0, 4, &security);
    std::vector<CDlgValueBar::Line> lines = panel->Lines();
    std::vector<std::string> texts;
    for (const auto& l : lines) texts.push_back(l.text);
    const std::vector<std::string> expected = {"2013年", "12/05", "开盘", "10.00", "最高", "10.50", "最低", "9.80",
                                               "收盘",  "10.20", "涨跌", "0.20",  "涨跌幅", "2.00%", "成交", "12.35万",
                                               "金额",  "1.500亿", "持仓量", "0"};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(lines[3].color, int(CommonColor::uniEqual));  // open at the reference
    EXPECT_EQ(lines[5].color, int(CommonColor::uniRise));
    EXPECT_EQ(lines[7].color, int(CommonColor::uniFall));
    EXPECT_FALSE(lines[2].right);
    EXPECT_TRUE(lines[3].right);

    // Minute bars keep yyyymmddhhmm keys; a key off the calendar shows dashes.
    bar.m_nTime = 201312051030;
    panel->SetBarValues(bar, 10.0, 3, &security);
    lines = panel->Lines();
    EXPECT_EQ(lines[0].text, "13/12/05");
    EXPECT_EQ(lines[1].text, "10:30");
    bar.m_nTime = 201313051030;
    panel->SetBarValues(bar, 10.0, 3, &security);
    EXPECT_EQ(panel->Lines()[0].text, "-/-/-/");

    // A placeholder bar clears the figures.
    CFloatDayItem placeholder = bar;
    placeholder.m_fOpen = placeholder.m_fHigh = placeholder.m_fLow = placeholder.m_fClose = 0.1;
    panel->SetBarValues(placeholder, 10.0, 4, &security);
    EXPECT_EQ(double(panel->m_bar.m_fClose), 0);  // a packed field: read by value
    EXPECT_EQ(panel->m_fReference, 0);
    EXPECT_EQ(panel->Lines()[9].text, "0.00");

    // Ticks: day K-lines to ticks resizes the shown panel from 373 to 153 rows of pixels.
    CDlgValueBar::SetPosition(CPoint(100, 100));
    panel->ShowPanel();
    platform::ProcessPendingEvents();
    CRect rc;
    panel->GetWindowRect(&rc);
    EXPECT_EQ(rc.Height(), 373);
    EXPECT_EQ(rc.Width(), 64);
    uint8_t tick[40] = {};
    const uint32_t time = 93005;
    const double price = 9.9, volume = 500;
    std::memcpy(tick, &time, 4);
    std::memcpy(tick + 8, &price, 8);
    std::memcpy(tick + 16, &volume, 8);
    panel->SetTickValues(10.0, tick, 13, &security);
    panel->GetWindowRect(&rc);
    EXPECT_EQ(rc.Height(), 153);
    lines = panel->Lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1].text, "09:30:05");
    EXPECT_EQ(lines[3].text, "9.90");
    EXPECT_EQ(lines[3].color, int(CommonColor::uniFall));
    EXPECT_EQ(lines[5].text, "-1.00%");

    // Nothing to show without a security.
    panel->SetTickValues(10.0, tick, 13, nullptr);
    EXPECT_TRUE(panel->Lines().empty());
    (void)c;
}

TEST_F(TipsTest, CursorModeShowsThePanelBesideTheChartAndLeavingHidesIt) {
    ChartOverlay& c = wnd.Chart();
    Snapshot shot(800, 500);
    wnd.DrawClient(&shot.dc);
    const int32_t bar = c.m_nStart + 12;
    c.m_bCursorMode = 1;
    c.MoveCursor(bar, OverBar(bar).y, &shot.dc);
    c.DrawPaneTitles(&shot.dc);
    platform::ProcessPendingEvents();
    CDlgValueBar* panel = GetValueBar(false);
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->IsWindowVisible());
    EXPECT_EQ(panel->GetOwnerChart(), &wnd);
    CFloatDayItem b;
    ASSERT_TRUE(LayerBar(wnd.Layer(), bar, b));
    EXPECT_EQ(+panel->m_bar.m_nTime, +b.m_nTime);  // packed fields: read by value
    EXPECT_DOUBLE_EQ(panel->m_fReference, wnd.Layer().GetClose(bar - 1));
    // Beside the chart: the overlay's anchor, on screen.
    CPoint anchor = c.m_ptValueBarAnchor;
    wnd.ClientToScreen(&anchor);
    CRect rc;
    panel->GetWindowRect(&rc);
    EXPECT_EQ(rc.TopLeft(), anchor);
    // Leaving cursor mode (Esc) hides the panel; its close box takes the chart out of it.
    c.ExitCursorMode(true);
    c.DrawPaneTitles(&shot.dc);
    EXPECT_FALSE(panel->IsWindowVisible());
    c.m_bCursorMode = 1;
    c.DrawPaneTitles(&shot.dc);
    EXPECT_TRUE(panel->IsWindowVisible());
    panel->HidePanel(1);
    EXPECT_EQ(c.m_bCursorMode, 0);
    EXPECT_FALSE(panel->IsWindowVisible());
}

TEST_F(TipsTest, PopupsNeverTakeTheKeyboardFromTheChart) {
    wnd.SetFocus();
    platform::ProcessPendingEvents();
    ASSERT_EQ(CWnd::GetFocus(), &wnd);

    CDlgValueBar* panel = GetValueBar(true);
    panel->SetOwnerChart(&wnd);
    panel->ShowPanel();
    platform::ProcessPendingEvents();
    EXPECT_TRUE(panel->IsWindowVisible());
    EXPECT_EQ(CWnd::GetFocus(), &wnd);
    panel->SetFocus();  // a click on it: the keyboard goes back to the chart
    platform::ProcessPendingEvents();
    EXPECT_EQ(CWnd::GetFocus(), &wnd);

    CTipMulti* multi = GetTipMulti(true);
    ASSERT_TRUE(multi);
    multi->m_pending.AddTipLine("提示文字");
    multi->PlaceAt(CPoint(300, 300), CSize(1920, 1080));
    platform::ProcessPendingEvents();
    EXPECT_TRUE(multi->IsWindowVisible());
    EXPECT_EQ(CWnd::GetFocus(), &wnd);
    multi->SetFocus();
    platform::ProcessPendingEvents();
    EXPECT_EQ(CWnd::GetFocus(), &wnd);
    multi->HideUnlessHovered(CPoint(-100, -100));

    CTipBS bubble;
    ASSERT_TRUE(bubble.Create(&host));
    bubble.ShowText("连接中断", 400, 400);
    platform::ProcessPendingEvents();
    EXPECT_TRUE(bubble.IsWindowVisible());
    EXPECT_EQ(CWnd::GetFocus(), &wnd);
    bubble.SetFocus();
    platform::ProcessPendingEvents();
    EXPECT_EQ(CWnd::GetFocus(), &wnd);
    bubble.DestroyWindow();

    CDlgCurPic* popup = GetIntradayPopup(true);
    CFloatDayItem day{};
    day.m_nTime = 20131205;
    popup->ShowDay(&wnd, 5, 20131205, 10.0, CIndSecuCode{1, "600000"}, day);
    platform::ProcessPendingEvents();
    EXPECT_TRUE(popup->IsWindowVisible());
    EXPECT_EQ(CWnd::GetFocus(), &wnd);
    popup->DestroyWindow();
}

// ---- the status-bar bubble ----

TEST(TipBubble, SameTextOnlyMovesAndTheShapePointsAtTheAnchor) {
    EnsureChartEnvironment();
    CWnd host;
    host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 300, 200), nullptr, 0);
    CTipBS bubble;
    bubble.m_nStyle = 1;
    ASSERT_TRUE(bubble.Create(&host));
    bubble.ShowText("已断开", 500, 400);
    platform::ProcessPendingEvents();
    EXPECT_EQ(bubble.m_nLastUpdate, 2);
    bubble.ShowText("已断开", 520, 400);
    platform::ProcessPendingEvents();
    EXPECT_EQ(bubble.m_nLastUpdate, 1);
    bubble.Hide();
    platform::ProcessPendingEvents();
    EXPECT_FALSE(bubble.IsWindowVisible());
    // Style 1: the pointer's tip touches the anchor from above-left.
    const CTipBS::Shape s = CTipBS::ShapeFor(1, 60, 12, 6, CPoint(500, 400));
    EXPECT_EQ(s.window, CRect(440, 380, 500, 400));
    EXPECT_EQ(s.body, CRect(0, 0, 60, 15));
    EXPECT_EQ(s.pointer[1].x + s.window.left, 496);
    EXPECT_EQ(s.pointer[1].y + s.window.top, 400);
    const CTipBS::Shape s0 = CTipBS::ShapeFor(0, 60, 12, 6, CPoint(500, 400));
    EXPECT_EQ(s0.window.TopLeft(), CPoint(500, 400));
    bubble.DestroyWindow();
    host.DestroyWindow();
}

// ---- the trade-record tip ----


TEST(TradeTip, RowsOfTheBarUnderTheMark) {
    CTrainingRecord record;
    record.trades = {Trade(20240102, 1000, 1, 1, 10.0, 100),   Trade(20240103, 935, 1, 1, 10.1, 200),
                     Trade(20240103, 935, -1, 1, 10.2, 100),   Trade(20240103, 1400, 1, -1, 10.3, 300),
                     Trade(20240104, 1030, -1, -1, 10.4, 300)};
    const struct {
        int16_t type;
        int64_t key;
        int direction;
        std::vector<int32_t> volumes;
    } cases[] = {
        {4, 20240103, 1, {200, 300}},         // the day's opening trades only
        {4, 20240103, 255, {100}},            // its closing trade
        {3, 202401030935, 1, {200}},          // one minute, yyyymmddhhmm
        {3, 202401031400, 1, {300}},
        {3, 202401031401, 1, {}},
        {4, 20240105, 1, {}},
        {2, 20240103, 1, {}},                 // other data types list nothing
    };
    for (const auto& c : cases) {
        std::vector<int32_t> got;
        for (const auto& t : TradeRowsOf(record, c.type, c.key, c.direction)) got.push_back(t.vol);
        EXPECT_EQ(got, c.volumes) << c.type << " " << c.key << " " << c.direction;
    }
    EXPECT_STREQ(TradeOperationText(1, 1), "多开");
    EXPECT_STREQ(TradeOperationText(1, -1), "空开");
    EXPECT_STREQ(TradeOperationText(-1, 1), "多平");
    EXPECT_STREQ(TradeOperationText(-1, -1), "空平");
}

TEST(TradeTip, TableHeightStopsAtThreeRowsAndTheTipOpensAwayFromTheEdge) {
    EnsureChartEnvironment();
    CTipMulti* tip = GetTipMulti(true);
    ASSERT_TRUE(tip);
    tip->m_pending.clear();
    tip->m_pending.AddTipLine("买卖记录-4-20240103-1");
    tip->m_trades.assign(5, Trade(20240103, 935, 1, 1, 10, 100));
    tip->m_nAnchorStyle = 0;
    tip->PlaceAt(CPoint(200, 200), CSize(1920, 1080));
    EXPECT_TRUE(tip->IsTradeTable());
    EXPECT_EQ(tip->MeasureSize(), CSize(250, 4 * 17 + 40));
    tip->m_trades.resize(3);
    EXPECT_EQ(tip->MeasureSize(), CSize(250, 4 * 17 + 40));
    tip->m_trades.resize(1);
    EXPECT_EQ(tip->MeasureSize(), CSize(250, 2 * 17 + 40));
    EXPECT_EQ(tip->m_ptLast, CPoint(200 - 38, 220));
    // Near the right edge it opens to the left of the cursor; near the bottom, above it.
    tip->PlaceAt(CPoint(1800, 1050), CSize(1920, 1080));
    EXPECT_EQ(tip->m_ptLast.x, 1800 - 250 - 2 + 40);
    EXPECT_LT(tip->m_ptLast.y, 1050);
    tip->m_nAnchorStyle = 1;
    tip->PlaceAt(CPoint(1800, 500), CSize(1920, 1080));
    EXPECT_EQ(tip->m_ptLast, CPoint(1800 - 250 - 2, 520));
    // Plain lines: as wide as the widest line plus room.
    tip->m_pending.clear();
    tip->m_pending.AddTipLine("短");
    tip->m_pending.AddTipLine("一行长一些的提示文字");
    tip->PlaceAt(CPoint(200, 200), CSize(1920, 1080));
    EXPECT_FALSE(tip->IsTradeTable());
    const CSize plain = tip->MeasureSize();
    EXPECT_EQ(plain.cy, (tip->m_nTextHeight + 10) * 2 + 15);
    EXPECT_GT(plain.cx, 26);
    // The hide check keeps a tip the cursor is on.
    CRect rc;
    tip->GetWindowRect(&rc);
    EXPECT_FALSE(tip->HideUnlessHovered(rc.CenterPoint()));
    EXPECT_TRUE(tip->HideUnlessHovered(CPoint(rc.right + 50, rc.bottom + 50)));
    EXPECT_FALSE(tip->IsWindowVisible());
    EXPECT_TRUE(tip->m_pending.empty());
    EXPECT_EQ(tip->m_ptLast, CPoint(-1, -1));
}

TEST(TradeTip, ShowHideAndANewShowWhileHiding) {
    EnsureChartEnvironment();
    CTipMulti* tip = GetTipMulti(true);
    ASSERT_TRUE(tip);
    tip->HideUnlessHovered(CPoint(-100, -100));
    tip->m_pending.clear();
    tip->m_pending.AddTipLine("买卖记录-4-20240103-1");
    CWnd notAChart;
    tip->ShowTip(&notAChart, true, false);
    EXPECT_TRUE(tip->m_bShowTimer);  // shown soon
    EXPECT_EQ(tip->m_pOwner, &notAChart);
    EXPECT_TRUE(tip->m_trades.empty());  // the owner is not a chart: an empty table
    tip->PlaceAt(CPoint(300, 300), CSize(1920, 1080));
    ASSERT_TRUE(tip->IsWindowVisible());
    tip->ShowTip(&notAChart, false, false);
    EXPECT_TRUE(tip->m_bHiding);
    EXPECT_TRUE(tip->m_bHideTimer);
    EXPECT_FALSE(tip->m_bShowTimer);
    tip->ShowTip(&notAChart, true, false);  // back before it went
    EXPECT_FALSE(tip->m_bHiding);
    EXPECT_FALSE(tip->m_bHideTimer);
    EXPECT_TRUE(tip->m_bShowTimer);
    EXPECT_TRUE(tip->HideUnlessHovered(CPoint(-100, -100)));
    EXPECT_EQ(tip->m_pOwner, nullptr);
}

// A panel that is not a chart: a tip line over its left half only.
class CTipPanel : public CElementWnd {
public:
    int GetTipText(int x, int y, std::vector<std::string>& lines) override {
        if (x >= 50) return 0;
        lines.push_back("开仓理由: 突破");
        return 1;
    }
};

TEST(ElementTips, APanelThatIsNotAChartFillsTheMainTipAndLeavingItHidesIt) {
    EnsureChartEnvironment();
    InstallElementTips();
    CTipMulti* tip = GetTipMulti(true);
    ASSERT_TRUE(tip);
    tip->HideUnlessHovered(CPoint(-100, -100));
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100), nullptr, 0));
    CTipPanel panel;
    ASSERT_TRUE(panel.Create(&host));
    panel.MoveWindow(CRect(0, 0, 100, 100));

    panel.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    ASSERT_EQ(tip->m_pending.size(), 1u);
    EXPECT_EQ(tip->m_pending[0].text, "开仓理由: 突破");
    EXPECT_EQ(tip->m_pOwner, &panel);
    EXPECT_TRUE(tip->m_bShowTimer) << "shown soon";
    tip->PlaceAt(CPoint(300, 300), CSize(1920, 1080));
    ASSERT_TRUE(tip->IsWindowVisible());
    ASSERT_EQ(tip->m_shown.size(), 1u);

    panel.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(80, 10));  // no tip there
    EXPECT_TRUE(tip->m_pending.empty());
    EXPECT_TRUE(tip->m_bHiding);
    EXPECT_FALSE(tip->m_bShowTimer);

    panel.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
    EXPECT_FALSE(tip->m_bHiding) << "back on a line before the tip went";
    panel.SendMessage(WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(tip->m_bHiding);
    EXPECT_TRUE(tip->m_bHideTimer);
    EXPECT_TRUE(tip->HideUnlessHovered(CPoint(-100, -100)));

    // A chart draws its own tips: its moves do not go through the panels' path.
    TestChartWnd chartWnd;
    ASSERT_TRUE(chartWnd.Create(&host));
    EXPECT_TRUE(chartWnd.HasOwnTipLayer());
    EXPECT_FALSE(panel.HasOwnTipLayer());
    chartWnd.DestroyWindow();
    panel.DestroyWindow();
    host.DestroyWindow();
}

// ---- the intraday popup ----

TEST(IntradayPopup, TitlesAndQueryBox) {
    EnsureChartEnvironment();
    CSecurity named;
    named.SetName("浦发银行");
    EXPECT_EQ(CDlgCurPic::TitleFor(20131205, &named), "历史走势-浦发银行-13年12月5日");
    EXPECT_EQ(CDlgCurPic::TitleFor(0, &named), "今日走势-浦发银行");
    EXPECT_EQ(CDlgCurPic::TitleFor(20131205, nullptr), "历史走势-13年12月5日");
    EXPECT_EQ(CDlgCurPic::TitleFor(0, nullptr), "今日走势");
    CDlgCurPic* popup = GetIntradayPopup(true);
    CFloatDayItem day{};
    day.m_nTime = 20131205;
    day.m_fOpen = 10;
    day.m_fHigh = 10.6;
    day.m_fLow = 9.9;
    day.m_fClose = 10.5;
    day.m_fVolume = 1000;
    popup->ShowDay(nullptr, 3, 20131205, 10.0, CIndSecuCode{1, "999999"}, day);
    platform::ProcessPendingEvents();
    ASSERT_TRUE(popup->m_hWnd);
    std::string title;
    popup->GetWindowText(title);
    EXPECT_EQ(title, "历史走势-13年12月5日");  // a security missing from the table
    const auto rows = popup->DayRows();
    ASSERT_GE(rows.size(), 7u);
    EXPECT_EQ(rows[0].label, "日期");
    EXPECT_EQ(rows[0].value, "13/12/05 四");
    EXPECT_EQ(rows[4].label, "收盘");
    EXPECT_EQ(rows[4].color, int(CommonColor::uniRise));
    EXPECT_TRUE(popup->QueryRows().empty());
    uint8_t minute[28] = {};
    const int32_t time = 1030;
    const double price = 9.5, average = 9.8, volume = 1200;
    std::memcpy(minute, &time, 4);
    std::memcpy(minute + 4, &price, 8);
    std::memcpy(minute + 12, &average, 8);
    std::memcpy(minute + 20, &volume, 8);
    popup->SetQuery(10.0, minute, 5, nullptr);
    const auto query = popup->QueryRows();
    ASSERT_EQ(query.size(), 5u);
    EXPECT_EQ(query[0].value, "10:30");
    EXPECT_EQ(query[1].value, "9.50");
    EXPECT_EQ(query[1].color, int(CommonColor::uniFall));
    EXPECT_EQ(query[3].value, "-5.00%");
    EXPECT_EQ(query[4].value, "1200");
    // The panel paints the query box now.
    Snapshot shot(640, 420);
    CRect client;
    popup->GetClientRect(&client);
    popup->PaintPanel(&shot.dc);
    shot.bmp.SavePng(ShotPath("intraday_popup_panel.png"));
    // The next day hides the query box until the mouse moves again.
    popup->ShowDay(nullptr, 4, 20131206, 10.5, CIndSecuCode{1, "999999"}, day);
    EXPECT_TRUE(popup->QueryRows().empty());
    popup->DestroyWindow();
}

}  // namespace
