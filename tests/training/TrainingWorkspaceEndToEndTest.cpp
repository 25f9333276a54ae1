// A whole trend-training session in the workspace of "trendtraining.xlay" against the data
// server on loopback: the chart at leaf 1 and the control panel at leaf 2, joined through the
// layout. The session steps, buys and sells through the order dialog, a stop-loss closes the
// rest, the user ends it, the program quits; after a restart the record file holds exactly
// what the session did. A screenshot of the workspace is taken mid-session, with the buy
// marked on the chart.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ClientHarness.h"
#include "ReviewWindowSupport.h"
#include "TestSupport.h"
#include "chart/ChartPic.h"
#include "formula/YBIndClass.h"
#include "marketdata/CQData.h"
#include "marketdata/DataCenter.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/Security.h"
#include "marketdata/net/MarketLink.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Gdi.h"
#include "platform/Input.h"
#include "platform/Services.h"
#include "platform/home/ProgramDir.h"
#include "training/TotalTrainingRecord.h"
#include "training/TrainingChartRules.h"
#include "training/TrainingPicData.h"
#include "training/TrainingRecord.h"
#include "training/wnd/DlgTrainingBS.h"
#include "training/wnd/TradeDetailWnd.h"
#include "training/wnd/TrainingAssistWnd.h"
#include "training/wnd/TrainingKlineWnd.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/DlgTemplate.h"
#include "ui/dialog/SkinControls.h"
#include "ui/element/ElementHost.h"
#include "ui/layout/LayoutManager.h"

namespace {

// The workspace view as far as a layout needs one.
class Workspace : public CWnd, public CElementHost {
public:
    Workspace() {
        CreateEx(0, nullptr, "workspace", WS_POPUP, CRect(0, 0, 1280, 820), nullptr, 0);
        ShowWindow(SW_SHOW);
        root = std::make_unique<CLayoutManager>(this, nullptr);
    }
    ~Workspace() override {
        if (root) root->DetachAll();
        root.reset();
        if (m_hWnd) DestroyWindow();
    }
    bool Open(const std::string& path, void* context) {
        tinyxml2::XMLDocument doc;
        if (doc.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS || !doc.RootElement()) return false;
        root->ReadViewProp(doc.RootElement()->FirstChildElement("ViewProp"));
        root->Load(doc.RootElement());
        root->SetContextAll(context);
        RecalcLayout();
        root->AttachAll();
        return true;
    }

    CWnd* GetHostWnd() override { return this; }
    int IsHostActive() const override { return 1; }
    CElementWnd* GetActiveElement() const override { return m_active; }
    void SetActiveElement(CElementWnd* e) override { m_active = e; }
    CElementWnd* GetSoloWindow() const override { return nullptr; }
    void SetSoloWindow(CElementWnd*) override {}
    void SetLayoutModified() override {}
    void RecalcLayout() override {
        CRect rc;
        GetClientRect(&rc);
        root->Recalc(rc);
    }
    std::string GetWorkspaceKey() const override { return "trendtraining"; }
    int IsThinSplitter() const override { return 0; }

    std::unique_ptr<CLayoutManager> root;

private:
    CElementWnd* m_active = nullptr;
};

// Runs fn inside the order dialog's modal loop once its controls exist.
void WhenDialogShown(std::shared_ptr<bool> running, std::function<void(CDlgTrainingBS*)> fn) {
    platform::PostTask([running, fn] {
        if (!*running) return;
        auto* dlg = dynamic_cast<CDlgTrainingBS*>(CWnd::GetActiveWindow());
        if (dlg && dlg->m_hWnd && dlg->m_pHandsEdit && dlg->m_pFractionButtons[5])
            fn(dlg);
        else
            WhenDialogShown(running, fn);
    });
}

void Click(CWnd* w) {
    ASSERT_NE(w, nullptr);
    platform::InjectMouse(w, WM_LBUTTONDOWN, 5, 5);
    platform::InjectMouse(w, WM_LBUTTONUP, 5, 5);
}

// Presses an order button of the panel and confirms the dialog at a fraction of the maximum.
std::string Order(CTrainingAssistWnd& panel, UINT button, int fraction) {
    auto running = std::make_shared<bool>(true);
    std::string title;
    WhenDialogShown(running, [&title, fraction](CDlgTrainingBS* d) {
        title = d->m_strTitle;
        Click(d->m_pFractionButtons[fraction]);
        Click(d->m_pLayout->GetControl(IDOK).get());
    });
    panel.OnButtonCommand(button);
    *running = false;
    return title;
}

// The journal's rows as shown: date and action of each.
std::vector<std::string> JournalRows(CTrainingAssistWnd& panel) {
    std::vector<std::string> rows;
    for (const auto& line : panel.Journal()->m_grid.m_rows) {
        auto text = [&](size_t c) { return static_cast<CTradeDetailField&>(*line->m_cells.at(c)).m_strText; };
        rows.push_back(text(0) + " " + text(1));
    }
    return rows;
}

double InFileFormat(double v, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(v * scale) / scale;
}

// The program around a trend-training workspace: the skin, the dialogs and the windows
// registered, the data server on loopback and the client logged in to it, message boxes
// answered "no" (and recorded).
class TrainingWorkspaceEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureReviewPlatform();
        GetCommonVar()->Init();
        LoadProgramSkin();
        {
            CDC dc;
            dc.CreateCompatibleDC(nullptr);
            GetCommonVar()->MeasureFonts(&dc);
        }
        GetYBIndClass()->Read(platform::InstalledResourcesDir() + "/Sys.xml");
        CYBIndClass::SetUp();
        ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_SOURCE_DIR) +
                                                       "/resources/DlgConfig.xml"));
        SetMessageBoxHook([this](const std::string& text, const std::string&, UINT type) {
            boxes.push_back(text);
            return (type & MB_YESNO) ? IDNO : IDOK;
        });
        RegisterTrainingChartTypes();
        RegisterTrainingPanelTypes();
        ASSERT_TRUE(server.Running());
        TestLoop();
        SetDataLayerHooks({[](void* window, uint32_t msg, uint64_t wParam, int64_t lParam) {
                               ::PostMessage(static_cast<HWND>(window), msg, (WPARAM)wParam, (LPARAM)lParam);
                           },
                           std::this_thread::get_id()});
        link = std::make_unique<CMarketLink>(std::vector<HostAddress>{{"127.0.0.1", server.Port()}},
                                             TestLoop());
        link->Connect("127.0.0.1", server.Port());
        ASSERT_TRUE(WaitUntil([&] { return home.Count(UM_CODELIST_READY) == 1; }));
        file = (home.Path() / "Data" / "training" / "totalRecord.xml").string();
    }
    void TearDown() override {
        if (link) link->Stop();
        DrainLoop();
        SetDataLayerHooks({});
        SetMessageBoxHook({});
        GetDataCenter()->SetTrainingRecords(nullptr, nullptr);
    }
    // Waits until the workspace's chart has loaded its session.
    bool WaitForSession(Workspace& workspace, CTrainingRecord& record) {
        auto* chart = dynamic_cast<TrainingKlineWnd*>(workspace.root->FindLeafById(1));
        return chart && platform::PumpUntil(
                            [&] { return record.TrainStatus != kTrainStatusStart && chart->GetReveal()->revealedCount > 0; },
                            20000);
    }

    CScratchHome home;
    CServerProcess server;
    std::unique_ptr<CMarketLink> link;
    std::vector<std::string> boxes;
    std::string file;
};

TEST_F(TrainingWorkspaceEndToEnd, ASessionPlayedInTheWorkspaceIsWhatTheRecordFileHoldsAfterARestart) {
    const CIndSecuCode code(1, "600036");
    CSecurity* security = GetDataCenter()->FindSecurity(code);
    ASSERT_NE(security, nullptr);
    CTrainingRecord expected;  // what the session did, copied before the quit
    {
        auto list = std::make_shared<CTotalTrainingRecord>(file);
        GetDataCenter()->SetTrainingRecords(list, nullptr);
        auto record = list->CreateRecord(0, 0, security, code, security->GetName(), 0, 0, 1, 1000000, 0.0003);
        record->StartDate = 20240102;
        record->EndDate = 20240329;

        Workspace workspace;
        ASSERT_TRUE(workspace.Open(std::string(TARROW_SOURCE_DIR) + "/resources/layout/trendtraining.xlay",
                                   record.get()));
        auto* chart = dynamic_cast<TrainingKlineWnd*>(workspace.root->FindLeafById(1));
        ASSERT_NE(chart, nullptr) << "leaf 1 is the training chart";
        CTrainingAssistWnd* panel = FindTrainingAssist(workspace.root.get());
        ASSERT_NE(panel, nullptr) << "leaf 2 is the panel";
        EXPECT_EQ(chart->GetTrainingLayer()->GetDataType(), PicDataLayer::kDay);
        EXPECT_EQ(chart->GetTrainingLayer()->GetPeriod(), 1);
        EXPECT_EQ(chart->FindTrainingPanel(), panel) << "the chart hands its bars to leaf 2";
        ASSERT_TRUE(platform::PumpUntil(
            [&] { return record->TrainStatus == kTrainStatusRunning && chart->GetReveal()->revealedCount > 50; },
            20000));
        EXPECT_EQ(record->BeginTrainDate, 20240102);
        const int32_t first = chart->GetReveal()->revealedCount;
        EXPECT_EQ(chart->GetReveal()->dataBegin, first - 1 - TrainingPicData::kHistoryBars)
            << "fifty bars of history before the first training bar";

        // Steps, through the panel's button as the user presses it.
        for (int i = 0; i < 3; ++i) panel->OnButtonCommand(CTrainingAssistWnd::kNextBar);
        EXPECT_EQ(chart->GetReveal()->revealedCount, first + 3);
        EXPECT_EQ(chart->GetTrainingLayer()->GetEnd(), first + 3);
        const int32_t buyDate = record->EndTrainDate;
        EXPECT_EQ(Order(*panel, CTrainingAssistWnd::kFirstOrder, 2), "买入");  // half the maximum
        ASSERT_EQ(record->trades.size(), 1u);
        EXPECT_EQ(record->trades[0].TradeDate, buyDate);
        EXPECT_EQ(JournalRows(*panel), (std::vector<std::string>{std::to_string(buyDate) + " 多开"}));

        panel->OnButtonCommand(CTrainingAssistWnd::kNextBar);
        EXPECT_EQ(Order(*panel, CTrainingAssistWnd::kFirstOrder + 1, 3), "卖出");  // a third
        ASSERT_EQ(record->trades.size(), 2u);
        EXPECT_EQ(record->trades[1].bsdir, -1);
        EXPECT_EQ(JournalRows(*panel),
                  (std::vector<std::string>{std::to_string(buyDate) + " 多开",
                                            std::to_string(record->trades[1].TradeDate) + " 多平"}));

        // Mid-session, the workspace as the user sees it: the buy marked under its bar.
        workspace.RedrawWindow();
        platform::ProcessPendingEvents();
        const std::string png = (home.Path() / "trendtraining.png").string();
        ASSERT_TRUE(platform::SaveWindowScreenshot(&workspace, png));
        if (const char* keep = std::getenv("TARROW_KEEP_SCREENSHOTS"))
            std::filesystem::copy_file(png, std::string(keep) + "/trendtraining.png",
                                       std::filesystem::copy_options::overwrite_existing);
        {
            auto overlay = chart->GetTrainingOverlay();
            int32_t index = -1;
            const int x = overlay->TimeToX(buyDate, index);
            ASSERT_GE(index, overlay->m_nStart);
            const chart::ChartPicProp& price = overlay->m_aPanes.front()->Prop();
            const int y = price.m_axeMain.ValueToPixel(chart->GetTrainingLayer()->GetLow(index), true) + 5;
            CClientDC dc(chart);
            int red = 0;
            for (int dy = 0; dy < 12; ++dy) red += dc.GetPixel(x, y + dy) == RGB(255, 0, 0);
            EXPECT_GT(red, 4) << "the buy's red arrow under its bar";
        }
        {
            // The journal tab shows both rows: the buy's action in red, the sale's in green.
            CTradeDetailWnd& journal = *panel->Journal();
            ASSERT_TRUE(journal.IsWindowVisible());
            ASSERT_EQ(journal.m_grid.m_rows.size(), 2u);
            CClientDC dc(&journal);
            // The thin glyphs are smoothed: a lit pixel leans clearly to red (the buy) or to
            // green (the sale).
            auto leans = [](COLORREF c, bool red) {
                const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
                return red ? r > g + 60 && r > b + 60 : g > r + 60 && g > b + 60;
            };
            for (size_t row = 0; row < 2; ++row) {
                const CRect cell = journal.m_grid.m_rows[row]->m_cells.at(1)->m_rect;
                ASSERT_FALSE(cell.IsRectEmpty());
                int lit = 0;
                for (int y = cell.top; y < cell.bottom; ++y)
                    for (int x = cell.left; x < cell.right; ++x) lit += leans(dc.GetPixel(x, y), row == 0);
                EXPECT_GT(lit, 5) << "row " << row << " shows its action";
            }
        }

        // A stop-loss a hair under the cost sells the rest at the first close below it.
        panel->StopEdit(false)->SetWindowText("0.01");
        platform::ProcessPendingEvents();
        EXPECT_DOUBLE_EQ(record->zs, 0.0001);
        for (int i = 0; i < 40 && record->trades.size() < 3 && record->TrainStatus == kTrainStatusRunning; ++i)
            panel->OnButtonCommand(CTrainingAssistWnd::kNextBar);
        ASSERT_EQ(record->trades.size(), 3u) << "the stop-loss fired";
        EXPECT_EQ(record->trades[2].comment, "0.01% 止损");
        EXPECT_EQ(record->GetPositionVolume(true), 0);

        // Auto-play: the panel steps once and sets the chart's timer; each tick steps a bar.
        const int32_t beforePlay = chart->GetReveal()->revealedCount;
        panel->ToggleAutoPlay();
        EXPECT_TRUE(panel->IsPlaying());
        EXPECT_TRUE(chart->IsAutoPlayTimerSet());
        // The chart's own timer, once a second, steps the next bar.
        ASSERT_TRUE(platform::PumpUntil([&] { return chart->GetReveal()->revealedCount > beforePlay + 1; }, 5000));
        EXPECT_EQ(chart->GetReveal()->revealedCount, beforePlay + 2);
        panel->ToggleAutoPlay();
        EXPECT_FALSE(chart->IsAutoPlayTimerSet());
        panel->EndOrResume();
        EXPECT_EQ(record->TrainStatus, kTrainStatusEnded);
        EXPECT_EQ(chart->GetToolFilePath(), "toolerr.xml");
        EXPECT_LT(record->EndTrainDate, record->EndDate);
        for (const std::string& box : boxes) ADD_FAILURE() << "unexpected message: " << box;
        expected = *record;

        // The quit: the workspace goes, the list is written at shut-down.
        workspace.root->DetachAll();
        EXPECT_TRUE(list->Save());
        GetDataCenter()->SetTrainingRecords(nullptr, nullptr);
    }

    // The restart reads the file.
    CTotalTrainingRecord again(file);
    ASSERT_TRUE(again.Load());
    ASSERT_EQ(again.records.size(), 1u);
    const CTrainingRecord& r = *again.records[0];
    EXPECT_EQ(r.TrainStatus, kTrainStatusEnded);
    EXPECT_EQ(r.BeginTrainDate, expected.BeginTrainDate);
    EXPECT_EQ(r.EndTrainDate, expected.EndTrainDate);
    EXPECT_EQ(r.StartDate, expected.StartDate);
    EXPECT_EQ(r.EndDate, expected.EndDate);
    EXPECT_EQ(r.TrainDays, expected.TrainDays);
    EXPECT_EQ(r.code, code);
    ASSERT_EQ(r.trades.size(), expected.trades.size());
    for (size_t i = 0; i < r.trades.size(); ++i) {
        SCOPED_TRACE(i);
        const TradeDetailItem& a = r.trades[i];
        const TradeDetailItem& b = expected.trades[i];
        EXPECT_GE(a.TradeDate, r.BeginTrainDate);
        EXPECT_LE(a.TradeDate, r.EndTrainDate);
        EXPECT_EQ(a.TradeDate, b.TradeDate);
        EXPECT_EQ(a.TradeTime, b.TradeTime);
        EXPECT_EQ(a.bsdir, b.bsdir);
        EXPECT_EQ(a.opdir, b.opdir);
        EXPECT_EQ(a.vol, b.vol);
        EXPECT_DOUBLE_EQ(a.TradePrice, InFileFormat(b.TradePrice, 3));
        EXPECT_DOUBLE_EQ(a.Turnover, InFileFormat(b.Turnover, 3));
        EXPECT_DOUBLE_EQ(a.commit, InFileFormat(b.commit, 3));
        EXPECT_EQ(a.comment, b.comment);
    }
    ASSERT_EQ(r.assets.size(), expected.assets.size());
    for (size_t i = 0; i < r.assets.size(); ++i) {
        EXPECT_GE(r.assets[i].date, uint32_t(r.BeginTrainDate));
        EXPECT_LE(r.assets[i].date, uint32_t(r.EndTrainDate));
        EXPECT_EQ(r.assets[i].date, expected.assets[i].date);
        EXPECT_DOUBLE_EQ(r.assets[i].asset, InFileFormat(expected.assets[i].asset, 2));
    }
}

}  // namespace

namespace {

// The first ex-rights event of the security served after `from`, or none.
bool FirstEventAfter(const CIndSecuCode& code, uint32_t from, CSingleCQDataPerSecu& event) {
    CSortArray<CSingleCQDataPerSecu> events;
    if (!GetAllCQData()->GetEvents(events, code)) return false;
    for (int i = 0; i < int(events.GetSize()); ++i)
        if (events[i].m_nDate > from) {
            event = events[i];
            return true;
        }
    return false;
}

TEST_F(TrainingWorkspaceEndToEnd, EveryOrderKindAnExRightsEventStopsAndAutoPlayThenTheSessionOpensAgain) {
    const CIndSecuCode code(1, "600036");
    CSecurity* security = GetDataCenter()->FindSecurity(code);
    ASSERT_NE(security, nullptr);
    CSingleCQDataPerSecu event;
    ASSERT_TRUE(WaitUntil([&] { return FirstEventAfter(code, 20180101, event); }))
        << "the server's ex-rights table";
    // A session with short selling from a month before the event (served in June or July)
    // to two months after it.
    ASSERT_GE(event.m_nDate / 100 % 100, 6u);
    const int32_t start = int32_t(event.m_nDate) - 100;
    const int32_t end = int32_t(event.m_nDate) + 200;
    const int32_t expectedTrades = 6;
    {
        auto list = std::make_shared<CTotalTrainingRecord>(file);
        GetDataCenter()->SetTrainingRecords(list, nullptr);
        auto record = list->CreateRecord(0, 1, security, code, security->GetName(), 0, 0, 1, 1000000, 0.0003);
        record->StartDate = start;
        record->EndDate = end;
        Workspace workspace;
        ASSERT_TRUE(workspace.Open(std::string(TARROW_SOURCE_DIR) + "/resources/layout/trendtraining.xlay",
                                   record.get()));
        auto* chart = dynamic_cast<TrainingKlineWnd*>(workspace.root->FindLeafById(1));
        CTrainingAssistWnd* panel = FindTrainingAssist(workspace.root.get());
        ASSERT_TRUE(chart && panel);
        ASSERT_TRUE(WaitForSession(workspace, *record));
        EXPECT_EQ(panel->Button(4)->GetWindowText(), "空开");

        // Long and short before the event.
        panel->OnButtonCommand(CTrainingAssistWnd::kNextBar);
        EXPECT_EQ(Order(*panel, CTrainingAssistWnd::kFirstOrder, 2), "多开");
        EXPECT_EQ(Order(*panel, CTrainingAssistWnd::kFirstOrder + 2, 4), "空开");
        ASSERT_EQ(record->trades.size(), 2u);
        EXPECT_EQ(record->trades[1].opdir, -1);
        EXPECT_EQ(JournalRows(*panel).size(), 2u);
        const int32_t longBefore = record->GetPositionVolume(true);
        ASSERT_GT(longBefore, 0);

        // Steps over the event: the account is settled before the bar after it shows.
        double cashBefore = record->leftCapital;
        int32_t longAt = longBefore;
        while (record->EndTrainDate < int32_t(event.m_nDate) && record->TrainStatus == kTrainStatusRunning) {
            cashBefore = record->leftCapital;
            longAt = record->GetPositionVolume(true);
            panel->OnButtonCommand(CTrainingAssistWnd::kNextBar);
        }
        ASSERT_GE(record->EndTrainDate, int32_t(event.m_nDate));
        const bool rightsIssue = event.m_nRights != 0 && event.m_nRightsPrice != 0;
        const bool shares = event.m_nBonus + event.m_nTransfer > 0 || (event.m_nRights != 0 && !rightsIssue);
        if (event.m_nCash > 0) {
            EXPECT_GT(record->leftCapital, cashBefore) << "the cash dividend was paid";
        }
        if (shares) {
            EXPECT_GT(record->GetPositionVolume(true), longAt) << "the bonus or new shares came";
        }
        if (rightsIssue) {
            ASSERT_GE(boxes.size(), 2u);
            EXPECT_NE(boxes[boxes.size() - 2].find("是否配股?"), std::string::npos);
            EXPECT_EQ(boxes.back(), "配股后股价下跌，是否停止播放准备卖出?");
            boxes.clear();
        }
        for (const std::string& box : boxes) ADD_FAILURE() << "unexpected message: " << box;
        boxes.clear();

        // Closing both sides in part, then stops at a hair from the cost close the rest.
        panel->OnButtonCommand(CTrainingAssistWnd::kNextBar);
        EXPECT_EQ(Order(*panel, CTrainingAssistWnd::kFirstOrder + 1, 3), "多平");
        EXPECT_EQ(Order(*panel, CTrainingAssistWnd::kFirstOrder + 3, 0), "空平");
        ASSERT_EQ(record->trades.size(), 4u);
        EXPECT_EQ(record->GetPositionVolume(false), 0);
        EXPECT_EQ(JournalRows(*panel).back().substr(9), "空平");
        if (const char* keep = std::getenv("TARROW_KEEP_SCREENSHOTS")) {
            workspace.RedrawWindow();
            platform::ProcessPendingEvents();
            platform::SaveWindowScreenshot(&workspace, std::string(keep) + "/trendtraining-short.png");
        }
        panel->StopEdit(true)->SetWindowText("0.01");
        panel->StopEdit(false)->SetWindowText("0.01");
        platform::ProcessPendingEvents();
        for (int i = 0; i < 40 && record->GetPositionVolume(true) > 0; ++i)
            panel->OnButtonCommand(CTrainingAssistWnd::kNextBar);
        ASSERT_EQ(record->trades.size(), 5u) << "a stop fired";
        EXPECT_EQ(record->GetPositionVolume(true), 0);
        EXPECT_NE(record->trades[4].comment.find("0.01% 止"), std::string::npos) << record->trades[4].comment;
        EXPECT_EQ(JournalRows(*panel).size(), 5u);
        // One more buy, left open to the end.
        EXPECT_EQ(Order(*panel, CTrainingAssistWnd::kFirstOrder, 5), "多开");
        panel->StopEdit(true)->SetWindowText("");
        panel->StopEdit(false)->SetWindowText("");
        platform::ProcessPendingEvents();

        // Auto-play to the end of the period, one tick at a time.
        panel->ToggleAutoPlay();
        ASSERT_TRUE(panel->IsPlaying());
        for (int i = 0; i < 400 && panel->IsPlaying(); ++i) chart->SendMessage(WM_TIMER, kAutoPlayTimerId, 0);
        EXPECT_FALSE(panel->IsPlaying());
        EXPECT_FALSE(chart->IsAutoPlayTimerSet());
        EXPECT_EQ(record->TrainStatus, kTrainStatusEnded);
        EXPECT_EQ(record->EndTrainDate, record->EndDate);
        EXPECT_EQ(boxes, std::vector<std::string>{"训练周期结束"});
        EXPECT_EQ(record->trades.size(), size_t(expectedTrades));
        EXPECT_EQ(JournalRows(*panel).size(), size_t(expectedTrades));
        workspace.root->DetachAll();
        EXPECT_TRUE(list->Save());
        GetDataCenter()->SetTrainingRecords(nullptr, nullptr);
    }

    // After a restart the session is found in the file and its workspace shows it as it ended.
    auto again = std::make_shared<CTotalTrainingRecord>(file);
    ASSERT_TRUE(again->Load());
    ASSERT_EQ(again->records.size(), 1u);
    GetDataCenter()->SetTrainingRecords(again, nullptr);
    CTrainingRecord& record = *again->records[0];
    EXPECT_EQ(record.TrainStatus, kTrainStatusEnded);
    EXPECT_EQ(record.trades.size(), size_t(expectedTrades));
    Workspace workspace;
    ASSERT_TRUE(workspace.Open(std::string(TARROW_SOURCE_DIR) + "/resources/layout/trendtraining.xlay", &record));
    ASSERT_TRUE(WaitForSession(workspace, record));
    auto* chart = dynamic_cast<TrainingKlineWnd*>(workspace.root->FindLeafById(1));
    CTrainingAssistWnd* panel = FindTrainingAssist(workspace.root.get());
    ASSERT_TRUE(chart && panel);
    EXPECT_EQ(JournalRows(*panel).size(), size_t(expectedTrades));
    CFloatDayItem last;
    ASSERT_TRUE(chart->GetTrainingLayer()->LoadedBar(chart->GetReveal()->revealedCount - 1, last));
    EXPECT_EQ(int32_t(last.m_nTime), record.EndDate) << "the chart shows the session up to its end";
    boxes.clear();
    panel->OnButtonCommand(CTrainingAssistWnd::kNextBar);
    EXPECT_EQ(boxes, std::vector<std::string>{"训练周期结束，无法继续训练"});
    workspace.root->DetachAll();
}

}  // namespace

namespace {

TEST_F(TrainingWorkspaceEndToEnd, ARightsIssueSubscribedThenStoppedAtIsSettledOnce) {
    const CIndSecuCode code(1, "600036");
    CSecurity* security = GetDataCenter()->FindSecurity(code);
    ASSERT_NE(security, nullptr);
    CSingleCQDataPerSecu event;
    ASSERT_TRUE(WaitUntil([&] {
        uint32_t from = 20050101;
        while (FirstEventAfter(code, from, event)) {
            if (event.m_nRights != 0 && event.m_nRightsPrice != 0) return true;
            from = event.m_nDate;
        }
        return false;
    })) << "a rights issue among the served events";
    ASSERT_GE(event.m_nDate / 100 % 100, 6u);
    // Subscribe, then stop to sell; later questions are answered no.
    int stops = 0;
    SetMessageBoxHook([this, &stops](const std::string& text, const std::string&, UINT type) {
        boxes.push_back(text);
        if (!(type & MB_YESNO)) return IDOK;
        if (text.find("是否配股?") != std::string::npos) return IDYES;
        return stops++ == 0 ? IDYES : IDNO;
    });
    auto list = std::make_shared<CTotalTrainingRecord>(file);
    GetDataCenter()->SetTrainingRecords(list, nullptr);
    auto record = list->CreateRecord(0, 0, security, code, security->GetName(), 0, 0, 1, 1000000, 0.0003);
    record->StartDate = int32_t(event.m_nDate) - 100;
    record->EndDate = int32_t(event.m_nDate) + 100;
    Workspace workspace;
    ASSERT_TRUE(workspace.Open(std::string(TARROW_SOURCE_DIR) + "/resources/layout/trendtraining.xlay",
                               record.get()));
    CTrainingAssistWnd* panel = FindTrainingAssist(workspace.root.get());
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(WaitForSession(workspace, *record));
    panel->OnButtonCommand(CTrainingAssistWnd::kNextBar);
    EXPECT_EQ(Order(*panel, CTrainingAssistWnd::kFirstOrder, 3), "买入");  // a third of the money
    const int32_t held = record->GetPositionVolume(true);
    ASSERT_GT(held, 0);

    // Steps up to the prompt: the rights are bought, then the step stops short of the event.
    int32_t clock = 0;
    while (stops == 0 && record->EndTrainDate < int32_t(event.m_nDate)) {
        clock = record->EndTrainDate;
        panel->OnButtonCommand(CTrainingAssistWnd::kNextBar);
    }
    ASSERT_EQ(stops, 1) << "both questions were asked";
    EXPECT_EQ(record->EndTrainDate, clock) << "the stopped step left the clock where it was";
    const int32_t subscribed = record->GetPositionVolume(true);
    EXPECT_GT(subscribed, held) << "the rights shares were bought";
    // The subscription is a holding of the long book, not a trade of the journal.
    ASSERT_EQ(record->trades.size(), 1u);
    ASSERT_FALSE(record->CallPos->holdings.empty());
    EXPECT_LE(record->CallPos->holdings.back().date, clock) << "dated at the clock's bar, never after it";
    EXPECT_EQ(JournalRows(*panel).size(), 1u);

    // The next step goes past the event without settling it a second time.
    const double cash = record->leftCapital;
    panel->OnButtonCommand(CTrainingAssistWnd::kNextBar);
    EXPECT_GE(record->EndTrainDate, int32_t(event.m_nDate));
    EXPECT_EQ(record->GetPositionVolume(true), subscribed);
    EXPECT_EQ(record->trades.size(), 1u);
    EXPECT_DOUBLE_EQ(record->leftCapital, cash);
    EXPECT_EQ(stops, 1) << "no second stop question";
    EXPECT_EQ(std::count_if(boxes.begin(), boxes.end(),
                            [](const std::string& b) { return b.find("是否配股?") != std::string::npos; }),
              1)
        << "the subscription is not offered again";
    workspace.root->DetachAll();
}

}  // namespace
