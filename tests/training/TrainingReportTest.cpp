// The list of every training session: row texts as a table, newest first, the click that
// hands the record to the windows beside it, the double-click, stop and resume, keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/ScratchDir.h"
#include "marketdata/DataCenter.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Menu.h"
#include "platform/Services.h"
#include "training/TotalTrainingRecord.h"
#include "training/TrainingRecord.h"
#include "training/wnd/TrainingReportWnd.h"
#include "ui/CommonVar.h"

namespace {

std::shared_ptr<CTrainingRecord> Record(int n, int status = kTrainStatusEnded) {
    auto r = std::make_shared<CTrainingRecord>(nullptr, CIndSecuCode(1, "600000"), 0, 1, 0, 0, 0, 100000,
                                                "浦发 银行", 0);
    r->TrainingDate = 20240100 + n;
    r->BeginTrainDate = 20230105;
    r->EndTrainDate = 20231120;
    r->EndDate = 20231231;
    r->TrainDays = 200 + n;
    r->TrainStatus = status;
    return r;
}

TEST(TrainingReportRows, TextsOfARecord) {
    auto r = Record(1);
    r->assets.push_back({20231120, 112345.678});
    EXPECT_EQ(TrainingReportRowTexts(*r),
              (std::vector<std::string>{"20240101", "浦发银行", "2023.1.5-2023.11.20", "201", "100000.00", "112345.68",
                                        "盈", "12.35%", "已结束"}));
    r->assets.clear();  // no asset points: the initial funds, a loss of nothing
    r->hideName = 1;
    r->TrainStatus = kTrainStatusRunning;
    r->hideDate = 1;
    const std::vector<std::string> texts = TrainingReportRowTexts(*r);
    EXPECT_EQ(texts[1], "--");
    EXPECT_EQ(texts[2], "--");  // hidden dates stay hidden while it runs
    EXPECT_EQ(texts[5], "100000.00");
    EXPECT_EQ(texts[6], "亏");
    EXPECT_EQ(texts[7], "0.00%");
    EXPECT_EQ(texts[8], "进行中");
    r->InitCapital = 0;  // a damaged file: no division by zero
    EXPECT_EQ(TrainingReportRowTexts(*r)[7], "0.00%");
}

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_training";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

// A window beside the list that shows the record clicked.
struct Viewer : CWnd, ITrainingRecordViewer {
    std::vector<std::shared_ptr<CTrainingRecord>> shown;
    void ShowTrainingRecord(const std::shared_ptr<CTrainingRecord>& r) override { shown.push_back(r); }
};

struct ReportListTest : ::testing::Test {
    ScratchDir dir;
    std::shared_ptr<CTotalTrainingRecord> list;
    CWnd host;
    Viewer viewer;
    TrainingReportWnd report;
    std::vector<std::shared_ptr<CTrainingRecord>> opened;
    void SetUp() override {
        EnsurePlatform();
        GetCommonVar()->LoadColours();
        list = std::make_shared<CTotalTrainingRecord>((dir.Path() / "totalRecord.xml").string());
        GetDataCenter()->SetTrainingRecords(list, nullptr);
        SetTrainingSessionOpener([this](const std::shared_ptr<CTrainingRecord>& r) { opened.push_back(r); });
        host.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 900, 400), nullptr, 0);
        viewer.CreateEx(0, nullptr, "", WS_CHILD, CRect(0, 0, 10, 10), &host, 0);
        ASSERT_TRUE(report.Create(&host));
        host.ShowWindow(SW_SHOW);
        report.MoveWindow(0, 0, 880, 35 * 6);  // the title and five rows
        platform::ProcessPendingEvents();
    }
    void TearDown() override {
        SetTrainingSessionOpener(nullptr);
        GetDataCenter()->SetTrainingRecords(nullptr, nullptr);
        report.DestroyWindow();
        host.DestroyWindow();
    }
    void Fill(int n) {
        for (int i = 0; i < n; ++i) list->records.push_back(Record(i));
        report.AttachData();
        report.RecalcLayout();
    }
    std::string Cell(size_t row, size_t column) {
        return static_cast<CTradeReportField&>(*report.m_grid.m_rows.at(row)->m_cells.at(column)).m_strText;
    }
    CPoint RowCentre(size_t row) {
        const GridLine& l = *report.m_grid.m_rows.at(row);
        return CPoint((l.left + l.right) / 2, (l.top + l.bottom) / 2);
    }
    std::vector<std::string> Menu() {
        CMenu menu;
        menu.CreatePopupMenu();
        report.BuildContextMenu(&menu, 0, 0);
        std::vector<std::string> items;
        for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
            std::string text;
            menu.GetMenuString(i, text, MF_BYPOSITION);
            items.push_back(text);
        }
        return items;
    }
};

TEST_F(ReportListTest, NewestFirstAndEmptyWithoutRecords) {
    report.AttachData();
    report.RecalcLayout();
    EXPECT_TRUE(report.m_grid.m_rows.empty());
    EXPECT_TRUE(Menu().empty());
    Fill(12);
    EXPECT_EQ(report.m_grid.m_nRowCount, 12);
    ASSERT_GE(report.m_grid.m_rows.size(), 4u);
    EXPECT_EQ(Cell(0, 0), "20240111");  // list index 11
    EXPECT_EQ(Cell(1, 0), "20240110");
    report.OnElementKeyDown(VK_END, 1, 0);
    const size_t last = report.m_grid.m_rows.size() - 1;
    EXPECT_EQ(Cell(last, 0), "20240100");  // list index 0 at the bottom
    report.OnElementKeyDown(VK_HOME, 1, 0);
    EXPECT_EQ(report.m_grid.m_nTopRow, 0);
    report.OnElementKeyDown(VK_DOWN, 1, 0);
    EXPECT_EQ(report.m_grid.m_nTopRow, 1);
    EXPECT_EQ(report.OnElementKeyDown('A', 1, 0), 0);
}

TEST_F(ReportListTest, ClickChoosesTheRecordForTheWindowsBesideIt) {
    Fill(3);
    const CPoint p = RowCentre(1);
    report.OnElementLButtonUp(0, p.x, p.y);
    EXPECT_EQ(list->selected, 1);
    ASSERT_EQ(viewer.shown.size(), 1u);
    EXPECT_EQ(viewer.shown[0], list->records[1]);
    report.OnElementLButtonDblClk(0, RowCentre(0).x, RowCentre(0).y);
    EXPECT_EQ(list->selected, 2);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], list->records[2]);
    report.OnElementLButtonUp(0, 5, 5);  // the title band: no record
    EXPECT_EQ(viewer.shown.size(), 1u);
}

TEST_F(ReportListTest, StopAndResumeFromTheMenuAreSaved) {
    list->records.push_back(Record(0, kTrainStatusRunning));
    auto over = Record(1, kTrainStatusEnded);
    over->EndTrainDate = over->EndDate;  // the period is over
    list->records.push_back(over);
    report.AttachData();
    report.RecalcLayout();
    list->selected = 0;
    EXPECT_EQ(Menu(), (std::vector<std::string>{"停止训练"}));
    report.OnLayoutCommand(TrainingReportWnd::kStopResumeCommand, 0);
    EXPECT_EQ(list->records[0]->TrainStatus, kTrainStatusEnded);
    EXPECT_EQ(Cell(1, 8), "已结束");
    EXPECT_TRUE(std::filesystem::exists(list->GetFilePath()));  // kept at once
    EXPECT_EQ(Menu(), (std::vector<std::string>{"恢复训练"}));
    // Another session running: no second one is resumed.
    auto running = Record(2, kTrainStatusRunning);
    list->records.push_back(running);
    std::vector<std::string> boxes;
    SetMessageBoxHook([&](const std::string& text, const std::string&, UINT) {
        boxes.push_back(text);
        return IDOK;
    });
    report.OnLayoutCommand(TrainingReportWnd::kStopResumeCommand, 0);
    EXPECT_EQ(list->records[0]->TrainStatus, kTrainStatusEnded);
    EXPECT_EQ(boxes, (std::vector<std::string>{"请先结束正在进行的趋势训练!!!"}));
    running->TrainStatus = kTrainStatusEnded;
    report.OnLayoutCommand(TrainingReportWnd::kStopResumeCommand, 0);
    SetMessageBoxHook(nullptr);
    EXPECT_EQ(list->records[0]->TrainStatus, kTrainStatusRunning);
    list->selected = 1;
    EXPECT_EQ(Menu(), (std::vector<std::string>{"停止训练"}));
    report.OnLayoutCommand(TrainingReportWnd::kStopResumeCommand, 0);
    EXPECT_EQ(over->TrainStatus, kTrainStatusEnded);  // nothing to resume or stop
}

}  // namespace
