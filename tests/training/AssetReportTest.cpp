// The training asset report: its statistics column over the newest session's period, the
// curve's points, the details tab of the session chosen in the report list (texts, wheel,
// title clicks, tips), the fold mark moving its splitter, and a screenshot of both tabs.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ReviewWindowSupport.h"
#include "TrainingLayoutHost.h"
#include "common/ScratchDir.h"
#include "foundation/CommonColors.h"
#include "marketdata/DataCenter.h"
#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Services.h"
#include "training/TotalTrainingRecord.h"
#include "training/TrainingRecord.h"
#include "training/wnd/TradeDetailGrid.h"
#include "training/wnd/TrainingDetailAndBenefitWnd.h"
#include "training/wnd/TrainingReportWnd.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"

namespace {

constexpr COLORREF kRed = RGB(255, 77, 77);
constexpr COLORREF kLossColour = RGB(92, 255, 38);

std::shared_ptr<CTrainingRecord> Session(int32_t date, double capital, double final, int trades = 0) {
    auto r = std::make_shared<CTrainingRecord>();
    r->TrainingDate = date;
    r->InitCapital = capital;
    r->TrainStatus = kTrainStatusEnded;
    r->assets = {{20150105, capital}, {20150106, final}};
    for (int i = 0; i < trades; ++i) {
        TradeDetailItem t;
        t.TradeDate = 20150105 + i;
        t.opdir = 1;
        t.bsdir = i % 2 ? -1 : 1;
        t.TradePrice = 10 + i;
        t.vol = 100;
        t.GainLoss = i % 2 ? 50.0 * i : 0;
        t.comment = i == 1 ? "放量突破" : "";
        r->trades.push_back(t);
    }
    return r;
}

struct AssetReportTest : ::testing::Test {
    ScratchDir dir;
    std::shared_ptr<CTotalTrainingRecord> list;
    CWnd host;
    TrainingDetailAndBenefitWnd report;

    void SetUp() override {
        EnsureReviewPlatform();
        GetCommonVar()->LoadColours();
        list = std::make_shared<CTotalTrainingRecord>((dir.Path() / "totalRecord.xml").string());
        GetDataCenter()->SetTrainingRecords(list, nullptr);
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 960, 420), nullptr, 0);
        ASSERT_TRUE(report.Create(&host));
        host.ShowWindow(SW_SHOW);
        report.MoveWindow(0, 0, 940, 400);
        platform::ProcessPendingEvents();
    }
    void TearDown() override {
        GetDataCenter()->SetTrainingRecords(nullptr, nullptr);
        report.DestroyWindow();
        host.DestroyWindow();
    }
    void Attach() {
        report.AttachData();
        report.RecalcLayout();
    }
    std::string Cell(size_t row, size_t column) {
        return static_cast<TradeDetailField&>(*report.m_grid.m_rows.at(row)->m_cells.at(column)).m_strText;
    }
    void ClickTab(const CRect& tab) { report.OnElementLButtonUp(0, tab.CenterPoint().x, tab.CenterPoint().y); }
};

TEST_F(AssetReportTest, StatisticsOfTheNewestSessionsWeek) {
    // Monday 5 January 2015 to Friday the 9th; a session of the week before does not count.
    list->records = {Session(20141229, 1000000, 1300000), Session(20150105, 1000000, 1030000),
                     Session(20150107, 1000000, 1000000), Session(20150109, 500000, 490000)};
    Attach();
    EXPECT_EQ(report.StatisticText(10), "3") << "训练次数";
    EXPECT_EQ(report.StatisticText(11), "1盈");
    EXPECT_EQ(report.StatisticText(13), "2亏");
    EXPECT_EQ(report.StatisticText(8), "+20000.0") << "盈利";
    EXPECT_EQ(report.StatisticColour(8), kRed);
    EXPECT_EQ(report.StatisticText(9), "+0.8%") << "20,000 over 2,500,000 of capital";
    EXPECT_EQ(report.StatisticText(14), "+3.00%") << "最大盈利";
    EXPECT_EQ(report.StatisticText(15), "-2.00%") << "最大亏损, of the half-million session's own capital";
    EXPECT_EQ(report.StatisticColour(15), kLossColour);
    EXPECT_EQ(report.StatisticText(7), "2520000.0") << "总资产 is filled with the total";
    ASSERT_EQ(report.m_finalAssets.size(), 4u) << "the curve shows every session";
    EXPECT_EQ(report.m_gains, (std::vector<bool>{true, true, false, false}));

    // 年: the 2014 session joins.
    report.SendMessage(WM_COMMAND, TrainingDetailAndBenefitWnd::kFirstPeriodId + 2, 0);
    EXPECT_EQ(report.m_nPeriod, 2);
    EXPECT_EQ(report.StatisticText(10), "3") << "2014 is another year";
    report.SendMessage(WM_COMMAND, TrainingDetailAndBenefitWnd::kFirstPeriodId + 1, 0);
    EXPECT_EQ(report.StatisticText(10), "3");
}

TEST_F(AssetReportTest, NothingIsDrawnBeforeTheFirstSession) {
    LoadProgramSkin();  // the separator's colour is not the background's
    Attach();
    EXPECT_TRUE(report.m_finalAssets.empty());
    EXPECT_EQ(report.StatisticText(10), "");
    report.RedrawWindow();
    platform::ProcessPendingEvents();
    CClientDC dc(&report);
    const COLORREF back = GetCommonVar()->GetColor(CommonColor::uniBenefitWndBK);
    const CRect& c = report.m_rcContent;
    EXPECT_EQ(dc.GetPixel(c.right - 175, c.top + 100), back) << "no separator without statistics";
    EXPECT_EQ(dc.GetPixel(c.left + 35, c.top + 100), back) << "no axis without assets";
}

TEST_F(AssetReportTest, ASingleSessionAtItsCapitalIsALoss) {
    list->records = {Session(20150105, 1000000, 1000000)};
    Attach();
    EXPECT_EQ(report.StatisticText(11), "0盈");
    EXPECT_EQ(report.StatisticText(13), "1亏");
    EXPECT_EQ(report.StatisticText(15), "0.00%");
    EXPECT_EQ(report.StatisticColour(15), kLossColour);
    EXPECT_EQ(report.StatisticText(8), "0.0") << "no sign on nothing";
    EXPECT_EQ(report.PointX(0, 1), report.m_rcChart.left + 35);
    EXPECT_NEAR(report.m_fMin, 800000, 0.01);
    EXPECT_NEAR(report.m_fMax, 1050000, 0.01);
}

TEST_F(AssetReportTest, ADamagedSessionWithoutCapitalDividesNothing) {
    list->records = {Session(20150105, 0, 800000), Session(20150106, 1000000, 1100000)};
    Attach();
    EXPECT_EQ(report.StatisticText(9), "+10.0%");
    EXPECT_EQ(report.StatisticText(13), "1亏");
    EXPECT_EQ(report.StatisticText(15), "0.00%");
}

TEST_F(AssetReportTest, PointsSpreadOverTheChartLessTheRightAxis) {
    list->records = {Session(20150105, 1000000, 1010000), Session(20150105, 1000000, 990000),
                     Session(20150105, 1000000, 1020000)};
    Attach();
    const int wc = report.m_rcChart.Width() - 70;
    EXPECT_EQ(report.PointX(0, 3), report.m_rcChart.left + 35);
    EXPECT_EQ(report.PointX(2, 3), report.m_rcChart.left + 35 + (wc - 85));
}

TEST_F(AssetReportTest, DetailsTabShowsTheChosenSession) {
    list->records = {Session(20150105, 1000000, 1010000, 30)};
    Attach();
    report.ShowTrainingRecord(list->records[0]);
    ClickTab(report.m_rcTab2);
    EXPECT_EQ(report.m_nTab, 2);
    CRect buttonRect;
    report.m_periodButtons[0]->GetWindowRect(&buttonRect);
    EXPECT_TRUE(buttonRect.IsRectEmpty()) << "the period buttons leave with their tab";
    ASSERT_FALSE(report.m_grid.m_rows.empty());
    EXPECT_EQ(Cell(0, 0), "20150105");
    EXPECT_EQ(Cell(0, 1), "多开");
    EXPECT_EQ(Cell(0, 5), "-");
    EXPECT_EQ(Cell(1, 5), "50.00");
    EXPECT_EQ(Cell(1, 9), "放量突破");

    // The wheel: two rows per -240, never past the last full page.
    report.OnElementMouseWheel(0, -240, 10, 100);
    EXPECT_EQ(report.m_grid.m_nTopRow, 2);
    EXPECT_EQ(Cell(0, 0), "20150107");
    for (int i = 0; i < 20; ++i) report.OnElementMouseWheel(0, -240, 10, 100);
    EXPECT_EQ(report.m_grid.m_nTopRow, report.m_grid.m_nMaxTopRow);
    EXPECT_LT(report.m_grid.m_nMaxTopRow, 30);
    report.OnElementMouseWheel(0, 4800, 10, 100);  // forty rows up: the top
    EXPECT_EQ(report.m_grid.m_nTopRow, 0);

    // The reason's tip, none over an empty reason (cells know their place once painted).
    report.RedrawWindow();
    platform::ProcessPendingEvents();
    std::vector<std::string> tips;
    const CRect reason = report.m_grid.m_rows[1]->m_cells[9]->m_rect;
    EXPECT_EQ(report.GetTipText(reason.CenterPoint().x, reason.CenterPoint().y, tips), 1);
    EXPECT_EQ(tips, (std::vector<std::string>{"放量突破"}));
    const CRect empty = report.m_grid.m_rows[0]->m_cells[9]->m_rect;
    EXPECT_EQ(report.GetTipText(empty.CenterPoint().x, empty.CenterPoint().y, tips), 0);

    // The 盈亏 title: red, then green; the rows keep the journal's order.
    const CRect title = report.m_grid.TitleRect(5);
    report.OnElementLButtonUp(0, title.CenterPoint().x, title.CenterPoint().y);
    EXPECT_EQ(report.m_grid.m_titles[5]->m_nSort, 1);
    report.OnElementLButtonUp(0, title.CenterPoint().x, title.CenterPoint().y);
    EXPECT_EQ(report.m_grid.m_titles[5]->m_nSort, -1);
    EXPECT_EQ(Cell(0, 0), "20150105");

    ClickTab(report.m_rcTab1);
    EXPECT_EQ(report.m_nTab, 1);
    report.m_periodButtons[0]->GetWindowRect(&buttonRect);
    EXPECT_FALSE(buttonRect.IsRectEmpty());
}

TEST_F(AssetReportTest, ASessionWithoutTradesGivesTitlesOnly) {
    list->records = {Session(20150105, 1000000, 1000000, 0)};
    Attach();
    report.ShowTrainingRecord(list->records[0]);
    ClickTab(report.m_rcTab2);
    EXPECT_TRUE(report.m_grid.m_rows.empty());
    EXPECT_EQ(report.m_grid.m_nRowCount, 0);
}

TEST_F(AssetReportTest, Screenshots) {
    LoadProgramSkin();
    list->records = {Session(20150105, 1000000, 1000000, 6), Session(20150106, 1000000, 1080000),
                     Session(20150107, 1000000, 960000),     Session(20150108, 1000000, 1120000),
                     Session(20150109, 500000, 900000)};
    Attach();
    report.RedrawWindow();
    platform::ProcessPendingEvents();
    const std::string chart = (dir.Path() / "asset-report.png").string();
    ASSERT_TRUE(platform::SaveWindowScreenshot(&report, chart));
    if (const char* keep = std::getenv("TARROW_KEEP_SCREENSHOTS"))
        std::filesystem::copy_file(chart, std::string(keep) + "/asset-report.png",
                                   std::filesystem::copy_options::overwrite_existing);
    CClientDC dc(&report);
    // The newest session's dot: red, half a million grown to 900,000.
    const size_t n = report.m_finalAssets.size();
    const int x = report.PointX(n - 1, n);
    const int y = report.m_leftAxis.ValueToPixel(report.m_finalAssets[n - 1], true);
    EXPECT_EQ(dc.GetPixel(x, y), kRed);
    // The win/loss bar: blue for the losses on the left, red for the wins.
    const CRect& c = report.m_rcContent;
    EXPECT_EQ(dc.GetPixel(c.right - 170, c.top + 64), RGB(77, 166, 255));
    EXPECT_EQ(dc.GetPixel(c.right - 10, c.top + 64), kRed);
    // The percent axis marks its ticks, and a dashed line runs across the chart at each.
    const std::vector<int>& rows = report.m_leftAxis.m_aGridRows;
    ASSERT_GE(rows.size(), 2u);
    for (int row : rows) {
        EXPECT_GT(row, report.m_rcChart.top);
        EXPECT_LT(row, report.m_rcChart.bottom);
        int dashes = 0;
        for (int dx = 0; dx < 40; ++dx) dashes += dc.GetPixel(report.m_rcChart.left + 120 + dx, row) == RGB(58, 85, 112);
        EXPECT_GE(dashes, 10) << "row " << row;
    }

    report.ShowTrainingRecord(list->records[0]);
    ClickTab(report.m_rcTab2);
    report.RedrawWindow();
    platform::ProcessPendingEvents();
    const std::string details = (dir.Path() / "asset-details.png").string();
    ASSERT_TRUE(platform::SaveWindowScreenshot(&report, details));
    if (const char* keep = std::getenv("TARROW_KEEP_SCREENSHOTS"))
        std::filesystem::copy_file(details, std::string(keep) + "/asset-details.png",
                                   std::filesystem::copy_options::overwrite_existing);
}

// The report under another pane of its workspace: the fold mark folds it to a strip at the
// bottom and unfolds it to half the view, always to the same places.
TEST(AssetReportFold, TheMarkFoldsAndUnfoldsThroughTheSplitter) {
    EnsureReviewPlatform();
    GetCommonVar()->LoadColours();
    RegisterTrainingElementTypes();
    constexpr int kViewHeight = 700;
    TrainingLayoutHost view(900, kViewHeight);
    CLayoutManager& root = view.Root();
    ASSERT_TRUE(root.CreateLeafWindow("CElementWnd"));
    ASSERT_TRUE(root.SplitLeaf(0, "TrainingDetailAndBenefitWnd", 3));
    view.RecalcLayout();
    auto* report = dynamic_cast<TrainingDetailAndBenefitWnd*>(root.m_pSecond->m_pWnd);
    ASSERT_NE(report, nullptr);
    const int bottom = view.Place(report).bottom;
    auto pressMark = [&] {
        const CPoint mark = report->m_rcToggle.CenterPoint();
        report->OnElementLButtonUp(0, mark.x, mark.y);
        platform::ProcessPendingEvents();
    };
    struct Places {
        CRect report, upper;
    };
    auto places = [&] { return Places{view.Place(report), view.Place(root.m_pFirst->m_pWnd)}; };

    pressMark();
    EXPECT_TRUE(report->m_bCollapsed);
    const Places folded = places();
    EXPECT_EQ(folded.report.bottom, bottom) << "folded towards the bottom";
    EXPECT_LE(folded.report.Height(), TrainingDetailAndBenefitWnd::kCollapsedHeight);
    EXPECT_GT(folded.report.Height(), 0);
    EXPECT_GT(folded.upper.Height(), kViewHeight - 40) << "the pane above takes the room";

    pressMark();
    EXPECT_FALSE(report->m_bCollapsed);
    const Places unfolded = places();
    EXPECT_EQ(unfolded.report.bottom, bottom);
    // Half the view's height, plus the six pixels above it where the cutter starts.
    EXPECT_NEAR(unfolded.upper.bottom, bottom - kViewHeight / 2 - 6, 10);
    EXPECT_NEAR(unfolded.report.Height(), kViewHeight / 2, 10);

    pressMark();
    const Places foldedAgain = places();
    pressMark();
    const Places unfoldedAgain = places();
    EXPECT_EQ(foldedAgain.report, folded.report);
    EXPECT_EQ(foldedAgain.upper, folded.upper);
    EXPECT_EQ(unfoldedAgain.report, unfolded.report);
    EXPECT_EQ(unfoldedAgain.upper, unfolded.upper);
}

}  // namespace
